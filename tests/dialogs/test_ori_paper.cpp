// The full-paper viewer on its own against a scripted server: the sheets side
// by side, the covering box, the refusal without this paper's box, failed
// sheets, the sheet addresses and the zoom.

#include "GbkText.h"
#include "ImageView.h"
#include "RecordingMessages.h"
#include "ScriptedClient.h"
#include "ScriptedServer.h"
#include "TestPictures.h"
#include "UntOriPaper.h"
#include "UntPublic.h"

#include <QBuffer>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

namespace {

const QRgb kSheetOne = qRgb(20, 30, 120);
const QRgb kSheetTwo = qRgb(120, 30, 20);
const QRgb kWhite = qRgb(255, 255, 255);

QByteArray InfoReply(int x, int y, int w, int h) {
    return GbkXml(QStringLiteral("<Info><InfoStartX>%1</InfoStartX><InfoStartY>%2</InfoStartY>"
                                 "<InfoEndX>%3</InfoEndX><InfoEndY>%4</InfoEndY></Info>")
                      .arg(x)
                      .arg(y)
                      .arg(w)
                      .arg(h));
}

class OriPaperTest : public ::testing::Test, protected ScriptedClient {
protected:
    void SetUp() override {
        state.ImageRoot = QStringLiteral("D:\\img");
        state.PermissionId = QStringLiteral("05x");
        state.StudentId = QStringLiteral("AB12CD34");
        state.QuestionId = QStringLiteral("0501");
        state.StudentFolderStart = 3;
        state.StudentFolderLength = 2;
        state.CutMode = QStringLiteral("自动");
        state.SheetImageCount = 2;
        state.ShowInfoBox = QStringLiteral("是");
        server.setReply(QStringLiteral("GetInfoParam"), InfoReply(100, 50, 300, 200));
        serveSheet(1, PngBytes(PlainPicture(1000, 1400, kSheetOne)));
        serveSheet(2, PngBytes(PlainPicture(1000, 1400, kSheetTwo)));
    }

    static QString sheetFile(int n, bool custom = false) {
        return custom ? QStringLiteral("D:\\img\\05\\info\\12\\AB12CD34_%1F.jpg").arg(n)
                      : QStringLiteral("D:\\img\\05\\12\\AB12CD34_%1.jpg").arg(n);
    }
    void serveSheet(int n, const QByteArray& body, int status = 200, bool custom = false) {
        server.setReplyFor(QStringLiteral("GetImageFile"), "File", sheetFile(n, custom), body,
                           status);
    }
    QStringList requestedFiles() const {
        QStringList files;
        for (const QByteArray& target : server.requestsFor(QStringLiteral("GetImageFile")))
            files.append(QueryValue(target, "File"));
        files.sort();
        return files;
    }

    // Shows the viewer (its show event builds the picture) at a known size.
    std::unique_ptr<TFrmOriPaper> open() {
        auto viewer = std::make_unique<TFrmOriPaper>(state);
        viewer->setWindowState(Qt::WindowNoState);
        viewer->setGeometry(0, 0, 640, 720);
        viewer->show();
        return viewer;
    }

    // The view as painted, at 100 % from the picture's top-left corner, so
    // a view pixel is the image pixel of the same coordinates.
    static QImage paintedAt100(TFrmOriPaper& viewer) {
        imaging::ImageView& view = *viewer.ViewImageEnVect;
        view.setZoom(100);
        view.setScroll(0, 0);
        return view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
};

TEST_F(OriPaperTest, SheetsLieSideBySideTopAlignedAndFittedToTheHeight) {
    const struct {
        const char* name;
        QSize first, second;
        QSize picture;
        QPoint whiteAt; // below the shorter sheet; (-1, -1) for none
    } cases[] = {
        {"two equal sheets", {1000, 1400}, {1000, 1400}, {2000, 1400}, {-1, -1}},
        {"shorter first sheet", {800, 1000}, {1000, 1400}, {1800, 1400}, {400, 1200}},
        {"shorter second sheet", {1000, 1400}, {600, 700}, {1600, 1400}, {1300, 900}},
    };
    state.ShowInfoBox = QStringLiteral("否");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        server.clearRequests();
        serveSheet(1, PngBytes(PlainPicture(c.first.width(), c.first.height(), kSheetOne)));
        serveSheet(2, PngBytes(PlainPicture(c.second.width(), c.second.height(), kSheetTwo)));
        auto viewer = open();
        const imaging::ImageView& view = *viewer->ViewImageEnVect;
        EXPECT_EQ(view.image().size(), c.picture);
        EXPECT_EQ(view.image().pixel(10, 10), kSheetOne);
        EXPECT_EQ(view.image().pixel(c.first.width() - 1, 0), kSheetOne);
        EXPECT_EQ(view.image().pixel(c.first.width(), 0), kSheetTwo);
        EXPECT_EQ(view.image().pixel(c.picture.width() - 1, 0), kSheetTwo);
        if (c.whiteAt.x() >= 0) {
            EXPECT_EQ(view.image().pixel(c.whiteAt), kWhite);
        }
        // Fitted to the height: the whole height shows, and not much more
        // (beside the scroll bar a wide picture brings).
        EXPECT_DOUBLE_EQ(view.zoom(), view.zoomForFitHeight());
        QCoreApplication::processEvents();
        const double shown = c.picture.height() * view.zoom() / 100.0;
        EXPECT_LE(shown, view.viewport()->height() + 0.5);
        EXPECT_GE(shown, view.viewport()->height() - 1.0);
        EXPECT_TRUE(view.wheelZooms());
        EXPECT_EQ(view.layer().count(), 0);
        EXPECT_EQ(requestedFiles(), (QStringList{sheetFile(1), sheetFile(2)}));
        EXPECT_EQ(server.requestsFor(QStringLiteral("GetInfoParam")).size(), 1);
        EXPECT_TRUE(viewer->isVisible());
    }
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(OriPaperTest, WhiteBoxCoversTheReplysRectangleOpaquely) {
    auto viewer = open();
    const imaging::VectorLayer& layer = viewer->ViewImageEnVect->layer();
    ASSERT_EQ(layer.count(), 1);
    const imaging::VectorObject& box = *layer.object(layer.handleAt(0));
    EXPECT_EQ(box.kind, imaging::ObjectKind::Memo);
    EXPECT_EQ(QRect(box.left, box.top, box.width, box.height), QRect(100, 50, 300, 200));
    EXPECT_EQ(box.brushColor, 16777215u);
    EXPECT_EQ(box.brushStyle, imaging::BrushStyle::Solid);
    EXPECT_EQ(box.penStyle, imaging::PenStyle::Solid);
    EXPECT_TRUE(box.text.isEmpty());
    EXPECT_TRUE(box.visible);
    EXPECT_TRUE(box.movable);
    EXPECT_EQ(box.right(), 399);

    // What the marker sees: white inside, the frame on the edge pixels, the
    // sheet right outside them. Also with blended drawing on.
    for (bool blend : {false, true}) {
        SCOPED_TRACE(blend ? "blended" : "opaque");
        viewer->ViewImageEnVect->setTransparencyRendering(blend);
        const QImage shown = paintedAt100(*viewer);
        for (QPoint inside : {QPoint(101, 51), QPoint(250, 150), QPoint(398, 248)})
            EXPECT_EQ(shown.pixel(inside), kWhite) << inside.x() << "," << inside.y();
        for (QPoint edge : {QPoint(100, 150), QPoint(399, 150), QPoint(250, 50), QPoint(250, 249)})
            EXPECT_EQ(shown.pixel(edge), qRgb(0, 0, 0)) << edge.x() << "," << edge.y();
        for (QPoint outside :
             {QPoint(99, 150), QPoint(400, 150), QPoint(250, 49), QPoint(250, 250)})
            EXPECT_EQ(shown.pixel(outside), kSheetOne) << outside.x() << "," << outside.y();
    }
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(OriPaperTest, NoBoxForAnyValueButYesEvenWithoutTheBoxsReply) {
    const QString values[] = {
        QString(),           QStringLiteral("否"), QStringLiteral("是 "), QStringLiteral(" 是"),
        QStringLiteral("1"), QStringLiteral("Y")};
    // The box is not asked for, so a failing GetInfoParam stops nothing.
    server.setReply(QStringLiteral("GetInfoParam"), "", 500);
    for (const QString& value : values) {
        SCOPED_TRACE(value.toStdString());
        state.ShowInfoBox = value;
        auto viewer = open();
        EXPECT_EQ(viewer->ViewImageEnVect->layer().count(), 0);
        EXPECT_EQ(viewer->ViewImageEnVect->image().size(), QSize(2000, 1400));
        EXPECT_TRUE(viewer->isVisible());
    }
    EXPECT_EQ(server.requestsFor(QStringLiteral("GetInfoParam")).size(), std::size(values));
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(OriPaperTest, WithoutThisPapersBoxTheSheetsAreNotShown) {
    const struct {
        const char* name;
        QByteArray body;
        int status;
    } cases[] = {
        {"error status", InfoReply(100, 50, 300, 200), 500},
        {"empty reply", QByteArray(), 200},
        {"no root element (stale box left in place)",
         gbk::encode(QStringLiteral("<Info><InfoStartX>1</InfoStartX></Info>")), 200},
        {"third coordinate missing",
         GbkXml(QStringLiteral("<Info><InfoStartX>1</InfoStartX><InfoStartY>2</InfoStartY>"
                               "<InfoEndY>4</InfoEndY></Info>")),
         200},
        {"not an integer",
         GbkXml(QStringLiteral("<Info><InfoStartX>1</InfoStartX><InfoStartY>2"
                               "</InfoStartY><InfoEndX>3.5</InfoEndX>"
                               "<InfoEndY>4</InfoEndY></Info>")),
         200},
        {"zero width", InfoReply(100, 50, 0, 200), 200},
        {"negative height", InfoReply(100, 50, 300, -5), 200},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        messages.shown.clear();
        server.clearRequests();
        // An earlier paper's box, which must not be used for this one.
        state.InfoStartX = 10;
        state.InfoStartY = 10;
        state.InfoEndX = 500;
        state.InfoEndY = 500;
        server.setReply(QStringLiteral("GetInfoParam"), c.body, c.status);
        auto viewer = open();
        EXPECT_EQ(messages.shown,
                  QStringList{QStringLiteral("考生信息区位置获取失败，不能显示全卷!!")});
        EXPECT_TRUE(server.requestsFor(QStringLiteral("GetImageFile")).isEmpty());
        EXPECT_FALSE(viewer->ViewImageEnVect->hasPicture());
        EXPECT_EQ(viewer->ViewImageEnVect->layer().count(), 0);
        // It closes as soon as events run, without reaching the screen.
        EXPECT_TRUE(viewer->testAttribute(Qt::WA_DontShowOnScreen));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !viewer->isVisible(); }, 2000));
        EXPECT_EQ(viewer->result(), QDialog::Rejected);
    }
}

TEST_F(OriPaperTest, CustomCutModeFetchesTheSheetsUnderInfo) {
    state.CutMode = QStringLiteral("定制");
    serveSheet(1, PngBytes(PlainPicture(1000, 1400, kSheetOne)), 200, true);
    serveSheet(2, PngBytes(PlainPicture(1000, 1400, kSheetTwo)), 200, true);
    auto viewer = open();
    EXPECT_EQ(requestedFiles(),
              (QStringList{QStringLiteral("D:\\img\\05\\info\\12\\AB12CD34_1F.jpg"),
                           QStringLiteral("D:\\img\\05\\info\\12\\AB12CD34_2F.jpg")}));
    EXPECT_EQ(viewer->ViewImageEnVect->image().size(), QSize(2000, 1400));
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(OriPaperTest, SheetsThatFailAreWhiteInTheirPlaceAndNamedOnce) {
    state.SheetImageCount = 3;
    serveSheet(1, PngBytes(PlainPicture(900, 1300, kSheetOne)));
    serveSheet(2, "not found", 404);
    serveSheet(3, "not a picture at all");
    auto viewer = open();
    const QImage picture = viewer->ViewImageEnVect->image();
    EXPECT_EQ(picture.size(), QSize(2700, 1300));
    EXPECT_EQ(picture.pixel(899, 1299), kSheetOne);
    for (QPoint blank : {QPoint(900, 0), QPoint(1799, 1299), QPoint(1800, 0), QPoint(2699, 1299)})
        EXPECT_EQ(picture.pixel(blank), kWhite) << blank.x();
    EXPECT_EQ(viewer->ViewImageEnVect->layer().count(), 1); // the box is still there
    EXPECT_EQ(messages.shown, QStringList{QStringLiteral("全卷图片下载失败:\n") + sheetFile(2) +
                                          QLatin1Char('\n') + sheetFile(3)});

    // None loaded: each is a white sheet of 1000 x 1400.
    messages.shown.clear();
    serveSheet(1, "", 500);
    auto none = open();
    EXPECT_EQ(none->ViewImageEnVect->image().size(), QSize(3000, 1400));
    EXPECT_EQ(none->ViewImageEnVect->image().pixel(10, 10), kWhite);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown.first().count(QLatin1Char('\n')), 3);
}

TEST_F(OriPaperTest, SheetCountFromTheServerIsBounded) {
    const struct {
        int count;
        int requests;
        int width;
    } cases[] = {{0, 0, 0}, {-3, 0, 0}, {1, 1, 10}, {100000, 64, 640}};
    const QByteArray small = PngBytes(PlainPicture(10, 20, kSheetOne));
    server.setReply(QStringLiteral("GetImageFile"), small, 200, "image/jpeg");
    serveSheet(1, small);
    serveSheet(2, small);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        server.clearRequests();
        state.SheetImageCount = c.count;
        auto viewer = open();
        EXPECT_EQ(server.requestsFor(QStringLiteral("GetImageFile")).size(), c.requests);
        EXPECT_EQ(viewer->ViewImageEnVect->imageWidth(), c.width);
        // Without sheets the view stays empty, the box is still added.
        EXPECT_EQ(viewer->ViewImageEnVect->layer().count(), 1);
    }
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(OriPaperTest, ZoomButtonsAndTheWheel) {
    auto viewer = open();
    imaging::ImageView& view = *viewer->ViewImageEnVect;
    view.setZoom(100);
    for (int i = 0; i < 3; ++i)
        viewer->RzToolButton2->click();
    EXPECT_NEAR(view.zoom(), 133.1, 1e-9);
    viewer->RzToolButton3->click();
    EXPECT_NEAR(view.zoom(), 133.1 * 0.9, 1e-9);

    const double before = view.zoom();
    const QPoint at(view.viewport()->width() / 2, view.viewport()->height() / 2);
    QWheelEvent notch(at, view.viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.viewport(), &notch);
    EXPECT_NEAR(view.zoom(), before * 1.1, 1e-9);
}

TEST_F(OriPaperTest, BorderlessMaximisedOnTopAndClosedByItsButtonOrEscape) {
    TFrmOriPaper viewer(state);
    EXPECT_EQ(viewer.windowTitle(), QStringLiteral("全图显示"));
    EXPECT_TRUE(viewer.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(viewer.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(viewer.windowState().testFlag(Qt::WindowMaximized));
    EXPECT_EQ(viewer.RzToolButton1->text(), QStringLiteral("退出"));
    EXPECT_FALSE(viewer.RzToolButton2->icon().isNull());
    EXPECT_FALSE(viewer.RzToolButton3->icon().isNull());
    EXPECT_EQ(viewer.ImageEnVect->parentWidget(), viewer.ViewImageEnVect);

    viewer.show();
    EXPECT_FALSE(viewer.ImageEnVect->isVisible());
    EXPECT_FALSE(viewer.ImageEnVect->hasPicture()); // it let go of the last sheet
    viewer.RzToolButton1->click();
    EXPECT_FALSE(viewer.isVisible());

    auto again = open();
    QTest::keyClick(again.get(), Qt::Key_Escape);
    EXPECT_FALSE(again->isVisible());
}

TEST(InfoBoxObject, ExtremeCoordinatesNeitherOverflowNorUncoverThePicture) {
    const struct {
        const char* name;
        int left, top, width, height;
        QRect mustCover; // image pixels the box covers whole
    } cases[] = {
        {"ordinary", 80, 130, 640, 230, {80, 130, 640, 230}},
        {"one pixel", 5, 6, 1, 1, {5, 6, 1, 1}},
        {"from far left to far right", INT_MIN / 2, INT_MIN / 2, INT_MAX, INT_MAX, {0, 0, 1, 1}},
        {"huge size", -100, -100, INT_MAX, INT_MAX, {0, 0, 100000, 100000}},
        {"far right", INT_MAX - 1, INT_MAX - 1, INT_MAX, INT_MAX, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const imaging::VectorObject box = InfoBoxObject(c.left, c.top, c.width, c.height);
        EXPECT_GE(box.width, 1);
        EXPECT_GE(box.height, 1);
        EXPECT_GE(box.right(), box.left);
        EXPECT_GE(box.bottom(), box.top);
        if (!c.mustCover.isEmpty()) {
            EXPECT_TRUE(box.bounds().contains(c.mustCover)) << box.left << "," << box.width;
        }
    }
    const imaging::VectorObject ordinary = InfoBoxObject(80, 130, 640, 230);
    EXPECT_EQ(ordinary.bounds(), QRect(80, 130, 640, 230));
}

} // namespace

namespace {

TEST_F(OriPaperTest, TheBoxMovesOnlyWhenTakenHoldOf) {
    const std::unique_ptr<TFrmOriPaper> viewer = open();
    imaging::ImageView& view = *viewer->ViewImageEnVect;
    view.setZoom(100);
    view.setScroll(0, 0);
    const imaging::ObjectHandle box = view.layer().handleAt(0);
    auto drag = [&](QPoint from, QPoint to) {
        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, view.imageToView(from));
        QTest::mouseMove(view.viewport(), view.imageToView(to));
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, view.imageToView(to));
    };
    // A drag on the sheets far from the box leaves the student's name covered.
    drag({600, 600}, {650, 700});
    EXPECT_EQ(QPoint(view.layer().object(box)->left, view.layer().object(box)->top),
              QPoint(100, 50));
    // Taken by its inside, it moves.
    drag({200, 100}, {230, 140});
    EXPECT_EQ(QPoint(view.layer().object(box)->left, view.layer().object(box)->top),
              QPoint(130, 90));
}

} // namespace
