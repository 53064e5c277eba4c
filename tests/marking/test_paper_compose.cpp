// Composing a paper's answer image from its cut regions over loopback HTTP,
// the thumbnail, the placeholders, the opening zoom and the history split.

#include "HttpGet.h"
#include "ImageView.h"
#include "PaperComposer.h"
#include "ScoreTexts.h"
#include "ScriptedServer.h"
#include "UntPublic.h"
#include "XmlReply.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QPainter>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <limits>
#include <memory>

using imaging::ImageView;

namespace {

// A page picture whose every pixel tells where it came from: red = x,
// green = y (both mod 256), blue = the page's mark.
QImage PagePicture(int width, int height, int mark) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, mark));
    return image;
}

QByteArray Png(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

const QRgb kWhite = qRgb(255, 255, 255);

class PaperComposeTest : public ::testing::Test {
protected:
    void SetUp() override {
        state.ServerUrl = QStringLiteral("http://") + server.address();
        state.PermissionId = QStringLiteral("P1");
        state.StudentId = QStringLiteral("S001");
        state.ImageRoot = QStringLiteral("img");
        state.CutMode = QStringLiteral("自动");
        setPages(2);
    }

    void setPages(int count) {
        state.PageCount = count;
        state.PageSlots = QList<PageSlot>(count);
        state.ResetPageSlots();
        views.clear();
        pageViews.clear();
        for (int i = 0; i < count; ++i) {
            views.push_back(std::make_unique<ImageView>());
            pageViews.append(views.back().get());
        }
    }

    // The pictures of a paper are fetched together and arrive in any
    // order, so each is served by its File value: picture n of student S001.
    static QString file(int n) { return QStringLiteral("img\\P1\\\\S001_%1.jpg").arg(n); }
    void serve(int n, const QByteArray& body, int status = 200,
               const QByteArray& type = "image/jpeg") {
        server.setReplyFor(QStringLiteral("GetImageFile"), "File", file(n), body, status, type);
    }
    void serve(int n, const QImage& picture) { serve(n, Png(picture)); }

    // The File values asked for, sorted: requests sent together reach the
    // server in any order.
    QStringList requestedFiles() const {
        QStringList files;
        for (const QByteArray& target : server.requestsFor(QStringLiteral("GetImageFile")))
            files << QueryValue(target, "File");
        files.sort();
        return files;
    }

    marking::ComposeOutcome compose() {
        return marking::ComposeAnswerImage(state, pageViews, mainView);
    }

    ScriptedServer server;
    QtHttpGet http{5000};
    XmlReply xml;
    TPublicFuctionObject state{http, xml};
    std::vector<std::unique_ptr<ImageView>> views;
    QList<ImageView*> pageViews;
    ImageView mainView;
};

TEST_F(PaperComposeTest, TwoRegionsOfOnePageCostOneFetchAndStackWithWhiteBesideTheNarrowerOne) {
    const QImage page = PagePicture(100, 200, 10);
    serve(1, page);
    state.Cuts = {{1, 1, 10, 20, 60, 50, 0}, {2, 1, 0, 100, 80, 130, 0}};

    const marking::ComposeOutcome outcome = compose();

    EXPECT_EQ(requestedFiles(), QStringList{QStringLiteral("img\\P1\\\\S001_1.jpg")});
    EXPECT_TRUE(outcome.failedPictures.isEmpty());
    const QImage composed = mainView.image();
    ASSERT_EQ(composed.size(), QSize(80, 60));
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 80; ++x) {
            QRgb expected;
            if (y < 30)
                expected = x < 50 ? page.pixel(10 + x, 20 + y) : kWhite;
            else
                expected = page.pixel(x, 100 + y - 30);
            ASSERT_EQ(composed.pixel(x, y), expected) << x << "," << y;
        }
    }
    EXPECT_EQ(state.PageSlots[0].PageNumber, 1);
    EXPECT_TRUE(state.PageSlots[0].Loaded);
    EXPECT_FALSE(state.PageSlots[1].Loaded);
    EXPECT_FALSE(pageViews[0]->hasSelection());
}

TEST_F(PaperComposeTest, RegionsOnTwoPagesFillTwoSlots) {
    const QImage page1 = PagePicture(100, 100, 1);
    const QImage page2 = PagePicture(100, 100, 2);
    serve(1, page1);
    serve(2, page2);
    state.Cuts = {{1, 1, 0, 0, 40, 10, 0}, {2, 2, 0, 50, 40, 60, 0}, {3, 1, 0, 90, 40, 100, 0}};

    compose();

    EXPECT_EQ(requestedFiles(), (QStringList{QStringLiteral("img\\P1\\\\S001_1.jpg"),
                                             QStringLiteral("img\\P1\\\\S001_2.jpg")}));
    EXPECT_EQ(state.PageSlots[0].PageNumber, 1);
    EXPECT_EQ(state.PageSlots[1].PageNumber, 2);
    const QImage composed = mainView.image();
    ASSERT_EQ(composed.size(), QSize(40, 30));
    EXPECT_EQ(composed.pixel(5, 5), page1.pixel(5, 5));
    EXPECT_EQ(composed.pixel(5, 15), page2.pixel(5, 55));
    EXPECT_EQ(composed.pixel(5, 25), page1.pixel(5, 95));
}

TEST_F(PaperComposeTest, ReadyCutPicturesAreFetchedForEveryRegionAndUsedWhole) {
    state.CutMode = QStringLiteral("定制");
    const QImage cut1 = PagePicture(30, 10, 1);
    const QImage cut2 = PagePicture(50, 20, 2);
    serve(7, cut1);
    serve(8, cut2);
    state.Cuts = {{1, 1, 0, 0, 5, 5, 7}, {2, 1, 0, 0, 5, 5, 8}};

    compose();

    EXPECT_EQ(requestedFiles(), (QStringList{QStringLiteral("img\\P1\\\\S001_7.jpg"),
                                             QStringLiteral("img\\P1\\\\S001_8.jpg")}));
    const QImage composed = mainView.image();
    ASSERT_EQ(composed.size(), QSize(50, 30));
    EXPECT_EQ(composed.pixel(29, 9), cut1.pixel(29, 9));
    EXPECT_EQ(composed.pixel(40, 5), kWhite);
    EXPECT_EQ(composed.pixel(49, 29), cut2.pixel(49, 19));
}

TEST_F(PaperComposeTest, RegionPastTheRightEdgeIsCutAtTheEdge) {
    serve(1, PagePicture(100, 100, 1));
    state.Cuts = {{1, 1, 70, 10, 150, 30, 0}};

    compose();

    EXPECT_EQ(mainView.image().size(), QSize(30, 20));
}

TEST_F(PaperComposeTest, FailedPictureComposesWhiteAndIsReportedNeverThePreviousPaper) {
    // The page views still hold the previous paper's pictures.
    const QImage previous = PagePicture(100, 100, 200);
    pageViews[0]->setImage(previous);
    pageViews[1]->setImage(previous);
    const QImage page2 = PagePicture(100, 100, 2);
    serve(1, "missing", 404, "text/plain");
    serve(2, page2);
    state.Cuts = {{1, 1, 0, 0, 40, 10, 0}, {2, 2, 0, 0, 60, 10, 0}, {3, 1, 0, 50, 40, 60, 0}};

    const marking::ComposeOutcome outcome = compose();

    // Page 1 is asked for once; both its regions come out white.
    EXPECT_EQ(requestedFiles().size(), 2);
    EXPECT_EQ(outcome.failedPictures, QStringList{QStringLiteral("img\\P1\\\\S001_1.jpg")});
    const QImage composed = mainView.image();
    ASSERT_EQ(composed.size(), QSize(60, 30));
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 60; ++x) {
            const QRgb expected = (y >= 10 && y < 20) ? page2.pixel(x, y - 10) : kWhite;
            ASSERT_EQ(composed.pixel(x, y), expected) << x << "," << y;
        }
    }
    EXPECT_TRUE(marking::FailedPicturesMessage(outcome.failedPictures)
                    .contains(QStringLiteral("img\\P1\\\\S001_1.jpg")));
}

TEST_F(PaperComposeTest, UnreadablePictureOfTheFirstRegionGivesWhiteOfTheCutSize) {
    serve(1, "not a picture");
    mainView.setImage(PagePicture(300, 300, 99));
    state.Cuts = {{1, 1, 10, 10, 50, 30, 0}};

    const marking::ComposeOutcome outcome = compose();

    EXPECT_EQ(outcome.failedPictures.size(), 1);
    QImage white(40, 20, QImage::Format_RGB32);
    white.fill(Qt::white);
    EXPECT_EQ(mainView.image().convertToFormat(QImage::Format_RGB32), white);
}

QByteArray JpegBytes(const QImage& image) {
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 85);
    return jpeg;
}

TEST_F(PaperComposeTest, JpegPagesGiveTheirRegionsPixelForPixel) {
    // JPEG cuts are decoded straight into the answer image, only the rows
    // and columns they need: the pixels must be those of the whole pages.
    const QByteArray page1 = JpegBytes(PagePicture(331, 421, 40));
    const QByteArray page2 =
        JpegBytes(PagePicture(300, 300, 90).convertToFormat(QImage::Format_Grayscale8));
    serve(1, page1);
    serve(2, page2);
    state.Cuts = {
        {1, 1, 13, 27, 250, 90, 0}, {2, 2, 7, 150, 300, 301, 0}, {3, 1, 101, 300, 331, 421, 0}};

    const marking::ComposeOutcome outcome = compose();

    EXPECT_TRUE(outcome.failedPictures.isEmpty());
    const QImage whole1 = QImage::fromData(page1).convertToFormat(QImage::Format_RGB32);
    const QImage whole2 = QImage::fromData(page2).convertToFormat(QImage::Format_RGB32);
    QImage expected(293, 63 + 150 + 121, QImage::Format_RGB32);
    expected.fill(Qt::white);
    QPainter p(&expected);
    p.drawImage(0, 0, whole1, 13, 27, 237, 63);
    p.drawImage(0, 63, whole2, 7, 150, 293, 150);
    p.drawImage(0, 213, whole1, 101, 300, 230, 121);
    p.end();
    EXPECT_EQ(mainView.image(), expected);
}

TEST_F(PaperComposeTest, AJpegCutShortShowsWhatArrivedWhiteBelowAndIsReported) {
    // Served whole-looking (status 200), but with only part of its bytes.
    const QImage page = PagePicture(100, 400, 7);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(page.save(&buffer, "JPEG", 90));
    const QImage whole = QImage::fromData(jpeg);
    serve(1, jpeg.left(jpeg.size() * 6 / 10));
    state.Cuts = {{1, 1, 0, 0, 100, 40, 0}, {2, 1, 0, 360, 100, 400, 0}};

    const marking::ComposeOutcome outcome = compose();

    EXPECT_EQ(outcome.failedPictures, QStringList{file(1)});
    const QImage composed = mainView.image();
    ASSERT_EQ(composed.size(), QSize(100, 80));
    for (int y = 0; y < 80; ++y) {
        for (int x = 0; x < 100; ++x) {
            // The top of the page arrived; its bottom did not.
            const QRgb expected = y < 40 ? whole.pixel(x, y) : kWhite;
            ASSERT_EQ(composed.pixel(x, y), expected) << x << "," << y;
        }
    }
}

TEST_F(PaperComposeTest, SizesFromTheServerAreBoundedBeforeAnythingIsAllocated) {
    // A failed picture's white stand-in takes the cut's size; a composed
    // picture may not pass Qt's allocation limit (128 MB).
    const int big = std::numeric_limits<int>::max();
    const int small = std::numeric_limits<int>::min();
    const struct {
        const char* name;
        QList<CutRegion> cuts;
        QSize composed; // empty: too large to show
    } cases[] = {
        {"corners swapped", {{1, 1, 50, 30, 10, 10, 0}}, {40, 20}},
        {"40000 x 40000", {{1, 1, 0, 0, 40000, 40000, 0}}, {}},
        {"the whole int range", {{1, 1, small, small, big, big, 0}}, {}},
        {"the width's subtraction would overflow",
         {{1, 1, small, 0, big, 10, 0}},
         {marking::kLargestPictureSide, 10}},
    };
    for (const auto& c : cases) {
        server.clearRequests();
        mainView.setImage(PagePicture(30, 30, 1)); // the previous paper
        state.ResetPageSlots();
        state.Cuts = c.cuts;
        QElapsedTimer clock;
        clock.start();
        const marking::ComposeOutcome outcome = compose(); // no picture is served: 404
        EXPECT_LT(clock.elapsed(), 3000) << c.name;
        EXPECT_EQ(outcome.failedPictures.size(), 1) << c.name;
        if (c.composed.isEmpty()) {
            EXPECT_EQ(outcome.pictureTooLarge, marking::kPictureTooLargeMessage) << c.name;
            EXPECT_FALSE(mainView.hasPicture()) << c.name;
        } else {
            EXPECT_TRUE(outcome.pictureTooLarge.isEmpty()) << c.name;
            EXPECT_EQ(mainView.image().size(), c.composed) << c.name;
        }
    }
    // Every region fits, but 300 of them stacked would take 2.4 GB.
    serve(1, PagePicture(2000, 1000, 3));
    state.ResetPageSlots();
    state.Cuts = QList<CutRegion>(300, CutRegion{1, 1, 0, 0, 2000, 1000, 0});
    const marking::ComposeOutcome outcome = compose();
    EXPECT_TRUE(outcome.failedPictures.isEmpty());
    EXPECT_EQ(outcome.pictureTooLarge, marking::kPictureTooLargeMessage);
    EXPECT_FALSE(mainView.hasPicture());
}

TEST_F(PaperComposeTest, MorePagesThanSlotsStillShowEachRegionsOwnPage) {
    setPages(1);
    const QImage page1 = PagePicture(50, 50, 1);
    const QImage page2 = PagePicture(50, 50, 2);
    const QImage page3 = PagePicture(50, 50, 3);
    serve(1, page1);
    serve(2, page2);
    serve(3, page3);
    state.Cuts = {{1, 1, 0, 0, 10, 10, 0}, {2, 2, 0, 0, 10, 10, 0}, {3, 3, 0, 0, 10, 10, 0}};

    compose();

    EXPECT_EQ(requestedFiles().size(), 3);
    const QImage composed = mainView.image();
    ASSERT_EQ(composed.size(), QSize(10, 30));
    EXPECT_EQ(qBlue(composed.pixel(1, 1)), 1);
    EXPECT_EQ(qBlue(composed.pixel(1, 11)), 2);
    EXPECT_EQ(qBlue(composed.pixel(1, 21)), 3);
}

TEST_F(PaperComposeTest, TimingTextDescribesTheLastRegionAndIsEmptyWithoutRegions) {
    serve(1, PagePicture(20, 20, 1));
    state.Cuts = {{1, 1, 0, 0, 10, 10, 0}};
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^提卷\\d+毫秒切割\\d+毫秒$"))
                    .match(compose().timingText)
                    .hasMatch());

    state.Cuts.clear();
    const QImage before = mainView.image();
    EXPECT_TRUE(compose().timingText.isEmpty());
    EXPECT_EQ(mainView.image(), before);
}

TEST(PaperThumbnail, TopSquareOfTheAnswerImageAtTheViewsWidth) {
    // The top square is blue with a red lower-right quarter; below it the
    // picture is green, which the thumbnail must not show.
    const auto answer = [](QSize size) {
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(Qt::green);
        const int w = size.width();
        const int h = std::min(w, size.height());
        QPainter p(&picture);
        p.fillRect(0, 0, w, h, Qt::blue);
        p.fillRect(w / 2, h / 2, w - w / 2, h - h / 2, Qt::red);
        return picture;
    };
    struct Case {
        QSize composed;
        QSize thumbnail; // with the view 180 pixels wide
    } cases[] = {{{800, 1200}, {180, 180}}, {{800, 300}, {180, 68}}, {{120, 500}, {120, 120}}};
    for (const Case& c : cases) {
        ImageView main;
        ImageView thumb;
        thumb.resize(180, 180);
        main.setImage(answer(c.composed));
        main.select(0, 0, 10, 10);
        marking::MakeThumbnail(main, thumb);
        const QImage shown = thumb.image();
        EXPECT_EQ(shown.size(), c.thumbnail) << c.composed.width() << "x" << c.composed.height();
        EXPECT_EQ(shown.pixel(2, 2), qRgb(0, 0, 255));
        EXPECT_EQ(shown.pixel(shown.width() - 2, shown.height() - 2), qRgb(255, 0, 0));
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                ASSERT_LT(qGreen(shown.pixel(x, y)), 64) << x << "," << y;
        EXPECT_FALSE(main.hasSelection());
        EXPECT_DOUBLE_EQ(thumb.zoom(), thumb.zoomForFitWidth());
    }
}

TEST(PaperPlaceholders, OneQuestionMarkPerSubQuestionWithThePlaceholderLook) {
    ImageView main;
    main.setImage(PagePicture(400, 400, 1));
    QList<TSubQuestion> subs(2);
    subs[0].PosX = 120;
    subs[0].PosY = 300;
    subs[1].PosX = 10;
    subs[1].PosY = 20;

    marking::AddPlaceholders(main, subs);

    ASSERT_EQ(main.layer().count(), 2);
    const imaging::VectorObject* o = main.layer().object(main.layer().handleAt(0));
    EXPECT_EQ(o->kind, imaging::ObjectKind::Text);
    EXPECT_EQ(o->text, QStringLiteral("?"));
    EXPECT_EQ(QRect(o->left, o->top, o->width, o->height), QRect(120, 300, 48, 32));
    EXPECT_EQ(o->fontName, QStringLiteral("宋体"));
    EXPECT_EQ(o->fontHeight, 40);
    EXPECT_EQ(o->penColor, imaging::kGdiRed);
    EXPECT_EQ(o->transparency, 128);
    EXPECT_TRUE(o->highlighter);
    EXPECT_EQ(o->brushStyle, imaging::BrushStyle::Solid);
    EXPECT_EQ(o->penStyle, imaging::PenStyle::Clear);
    EXPECT_EQ(o->align, imaging::TextAlign::Center);
    EXPECT_TRUE(o->editable);
    EXPECT_TRUE(o->visible);
    EXPECT_FALSE(o->movable);
    EXPECT_FALSE(o->resizable);
    const imaging::VectorObject* o2 = main.layer().object(main.layer().handleAt(1));
    EXPECT_EQ(QPoint(o2->left, o2->top), QPoint(10, 20));
    EXPECT_TRUE(main.transparencyRendering());
}

TEST(PaperZoom, ZoomSettingGivesTheOpeningZoom) {
    ImageView view;
    view.resize(400, 300);
    view.setImage(PagePicture(1000, 1500, 1));
    struct Case {
        QString setting;
        double zoom;
    } cases[] = {{QStringLiteral("150"), 150},
                 {QStringLiteral("abc"), 100},
                 {QStringLiteral("62.5"), 100},
                 {QStringLiteral("适应大小"), view.zoomForFit()}};
    for (const Case& c : cases) {
        view.setZoom(37);
        marking::ApplyZoomSetting(view, c.setting);
        EXPECT_DOUBLE_EQ(view.zoom(), c.zoom) << c.setting.toStdString();
    }
    EXPECT_EQ(marking::ZoomSettingText(63.9), QStringLiteral("63"));
    EXPECT_EQ(marking::ZoomSettingText(110.00000000000001), QStringLiteral("110"));
}

TEST(PaperHistory, EntriesSplitIntoThreePiecesOrStayEmpty) {
    const QList<marking::HistoryEntry> entries = marking::SplitHistory(
        QStringLiteral("张三&8&0;120;300;5!||李四&7|王五&6&0;120;300;6!2;10;10;X!|"));
    ASSERT_EQ(entries.size(), 3);
    EXPECT_TRUE(entries[0].valid);
    EXPECT_EQ(entries[0].text1, QStringLiteral("张三"));
    EXPECT_EQ(entries[0].text2, QStringLiteral("8"));
    EXPECT_EQ(entries[0].tag, QStringLiteral("0;120;300;5!"));
    EXPECT_FALSE(entries[1].valid);
    EXPECT_TRUE(entries[1].tag.isEmpty());
    EXPECT_TRUE(entries[2].valid);
    EXPECT_EQ(entries[2].tag, QStringLiteral("0;120;300;6!2;10;10;X!"));
    EXPECT_TRUE(marking::SplitHistory(QString()).isEmpty());
}

TEST(PaperPictureName, DecodesTheFileValueOfAnImageAddress) {
    XmlReply xml;
    QtHttpGet http;
    TPublicFuctionObject state(http, xml);
    state.ServerUrl = QStringLiteral("http://127.0.0.1:1");
    state.PermissionId = QStringLiteral("P1");
    state.StudentId = QStringLiteral("S 1");
    state.ImageRoot = QStringLiteral("D:\\考试");
    EXPECT_EQ(marking::PictureName(state.PageImageAddress(2)),
              QStringLiteral("D:\\考试\\P1\\\\S 1_2.jpg"));
    EXPECT_EQ(marking::PictureName(QStringLiteral("/tmp/a.jpg")), QStringLiteral("/tmp/a.jpg"));
}

} // namespace
