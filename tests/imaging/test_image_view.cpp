// The image view widget: selection, copy/paste, zoom, fit, scrolling,
// loading, tools and signals, on the offscreen platform.
#include "ImageView.h"
#include "TestPictures.h"

#include <QApplication>
#include <QBuffer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

using namespace imaging;

namespace {

QImage Filled(int w, int h, QColor c) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

int CountCode(const QSignalSpy& spy, int code) {
    int n = 0;
    for (const QList<QVariant>& args : spy)
        n += args.at(0).toInt() == code;
    return n;
}

// A shown view of a fixed size so mouse events and viewport sizes are real.
class ShownView : public ::testing::Test {
protected:
    void SetUp() override {
        view.resize(400, 300);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    // Scroll bars show or hide through a posted layout request.
    void settle() { QCoreApplication::sendPostedEvents(); }
    ImageView view;
};

} // namespace

TEST(ImageViewSelection, ClampedToThePicture) {
    ImageView view;
    view.setImage(Filled(100, 50, Qt::white));
    struct Case {
        int x1, y1, x2, y2;
        QRect expected;
    } cases[] = {
        {10, 5, 30, 25, QRect(10, 5, 20, 20)},
        {0, 0, 100, 50, QRect(0, 0, 100, 50)},     // whole picture
        {-20, -5, 500, 900, QRect(0, 0, 100, 50)}, // past every edge
        {80, 10, 150, 20, QRect(80, 10, 20, 10)},  // past the right edge: cut there
        {30, 25, 10, 5, QRect(10, 5, 20, 20)},     // corners swapped
        {120, 60, 200, 90, QRect(99, 49, 1, 1)},   // wholly outside: last pixel
        {10, 10, 10, 40, QRect()},                 // zero width: no selection
    };
    for (const Case& c : cases) {
        view.select(c.x1, c.y1, c.x2, c.y2);
        EXPECT_EQ(view.selection(), c.expected)
            << c.x1 << "," << c.y1 << "-" << c.x2 << "," << c.y2;
        EXPECT_EQ(view.hasSelection(), !c.expected.isEmpty());
    }
    view.select(QRect(10, 5, 20, 20));
    EXPECT_EQ(view.selection(), QRect(10, 5, 20, 20));
    view.clearSelection();
    EXPECT_FALSE(view.hasSelection());
}

TEST(ImageViewSelection, CopyGivesTheRegion) {
    ImageView page, target;
    QImage img = Filled(200, 100, Qt::white);
    img.setPixelColor(50, 20, Qt::red);
    page.setImage(img);
    target.setImage(Filled(10, 10, Qt::black));
    page.select(50, 20, 150, 60);
    ASSERT_TRUE(page.copySelectionTo(target));
    EXPECT_EQ(target.image().size(), QSize(100, 40));
    EXPECT_EQ(target.image().pixelColor(0, 0), QColor(Qt::red));

    page.clearSelection();
    EXPECT_FALSE(page.copySelectionTo(target));
    EXPECT_FALSE(target.hasPicture()); // never the previous picture
}

TEST(ImageViewSelection, PasteGrowsOnWhite) {
    ImageView page, target;
    target.setBackgroundColor(Qt::blue); // growth is white whatever the background
    page.setImage(Filled(700, 100, Qt::red));

    target.setImage(Filled(500, 200, Qt::black));
    page.select(0, 0, 300, 100);
    ASSERT_TRUE(page.pasteSelectionTo(target, QPoint(0, target.imageHeight())));
    QImage out = target.image();
    EXPECT_EQ(out.size(), QSize(500, 300));
    EXPECT_EQ(out.pixelColor(10, 10), QColor(Qt::black));
    EXPECT_EQ(out.pixelColor(299, 250), QColor(Qt::red));
    EXPECT_EQ(out.pixelColor(300, 250), QColor(Qt::white)); // the strip beside the narrower region
    EXPECT_EQ(out.pixelColor(499, 299), QColor(Qt::white));

    page.select(0, 0, 700, 100);
    ASSERT_TRUE(page.pasteSelectionTo(target, QPoint(0, 300)));
    out = target.image();
    EXPECT_EQ(out.size(), QSize(700, 400));
    EXPECT_EQ(out.pixelColor(600, 100), QColor(Qt::white)); // widened beside the old picture
    EXPECT_EQ(out.pixelColor(699, 399), QColor(Qt::red));

    page.clearSelection();
    EXPECT_FALSE(page.pasteSelectionTo(target, QPoint(0, 0)));
    EXPECT_EQ(target.image().size(), QSize(700, 400));
}

TEST(ImageViewPicture, BlankKeepsSizeAndFillsWithBackground) {
    ImageView view;
    view.setBackgroundColor(QColor(235, 242, 255));
    view.setImage(Filled(30, 20, Qt::black));
    view.blank();
    EXPECT_EQ(view.image().size(), QSize(30, 20));
    EXPECT_EQ(view.image().pixelColor(15, 10), QColor(235, 242, 255));
}

TEST(ImageViewPicture, LoadFromFileAndLoaderFailureLeavesEmptyPicture) {
    QTemporaryDir dir;
    const QString jpg = dir.filePath("page.jpg");
    ASSERT_TRUE(Filled(64, 48, Qt::gray).save(jpg, "JPEG"));
    const QByteArray png = PngBytes(Filled(20, 10, Qt::green));

    QStringList asked;
    ImageView view;
    view.setPictureLoader([&](const QString& address) -> std::optional<QByteArray> {
        asked << address;
        if (address.endsWith("good"))
            return png;
        if (address.endsWith("junk"))
            return QByteArray("not a picture");
        return std::nullopt;
    });

    struct Case {
        QString address;
        bool ok;
        QSize size;
    } cases[] = {
        {jpg, true, {64, 48}},
        {dir.filePath("missing.jpg"), false, {0, 0}},
        {"HtTp://server/GetImageFile?good", true, {20, 10}},
        {"http://server/junk", false, {0, 0}},
        {"http://server/good", true, {20, 10}},
        {"http://server/down", false, {0, 0}},
    };
    for (const Case& c : cases) {
        view.setImage(Filled(5, 5, Qt::red)); // a stale picture that must go on failure
        EXPECT_EQ(view.loadPicture(c.address), c.ok) << c.address.toStdString();
        EXPECT_EQ(view.image().size(), c.size) << c.address.toStdString();
        EXPECT_EQ(view.hasPicture(), c.ok);
    }
    EXPECT_EQ(asked, (QStringList{"HtTp://server/GetImageFile?good", "http://server/junk",
                                  "http://server/good", "http://server/down"}));
}

TEST(ImageViewZoom, ArithmeticAndChangeSignal) {
    ImageView view;
    view.setImage(Filled(100, 100, Qt::white));
    QSignalSpy spy(&view, &ImageView::viewChanged);
    view.setZoom(view.zoom() * 1.1);
    EXPECT_NEAR(view.zoom(), 110, 1e-9);
    view.setZoom(view.zoom() * 0.9);
    EXPECT_NEAR(view.zoom(), 99, 1e-9);
    EXPECT_EQ(int(view.zoom()), 99); // truncation gives the whole percentage
    const double before = view.zoom();
    view.setZoom(0);
    view.setZoom(-10);
    view.setZoom(before);
    EXPECT_EQ(view.zoom(), before);
    view.setZoom(50);
    EXPECT_EQ(CountCode(spy, ImageView::kZoomChanged), 3);
}

TEST_F(ShownView, FitOnAKnownViewport) {
    view.setImage(Filled(800, 300, Qt::white));
    EXPECT_DOUBLE_EQ(view.zoomForFit(), 50);
    EXPECT_DOUBLE_EQ(view.zoomForFitWidth(), 50);
    view.fit();
    EXPECT_DOUBLE_EQ(view.zoom(), 50);
    EXPECT_EQ(view.visibleImageRect(), QRect(0, 0, 800, 300));

    // Fitting the height of a wide picture brings a horizontal bar.
    const int barH = view.horizontalScrollBar()->sizeHint().height();
    EXPECT_DOUBLE_EQ(view.zoomForFitHeight(), 100.0 * (300 - barH) / 300);

    view.setImage(Filled(200, 1200, Qt::white));
    EXPECT_DOUBLE_EQ(view.zoomForFit(), 25);
    const int barW = view.verticalScrollBar()->sizeHint().width();
    view.fitWidth();
    settle();
    EXPECT_DOUBLE_EQ(view.zoom(), 100.0 * (400 - barW) / 200);
    EXPECT_EQ(view.viewport()->width(), 400 - barW);
}

TEST_F(ShownView, AFittedPictureLeavesNothingToScroll) {
    // The fitted zoom times the picture's size lands a hair above the
    // viewport's size for many sizes; that must not bring a scroll range of
    // one pixel (and a scroll bar that hides part of the fitted picture).
    for (int w = 300; w < 2600; w += 61) {
        for (int h = 200; h < 3600; h += 67) {
            // Only the size matters here; a one-bit picture keeps the loop quick.
            view.setImage(QImage(w, h, QImage::Format_Mono));
            view.fit();
            ASSERT_EQ(view.horizontalScrollBar()->maximum(), 0) << w << "x" << h;
            ASSERT_EQ(view.verticalScrollBar()->maximum(), 0) << w << "x" << h;
            view.fitWidth();
            ASSERT_EQ(view.horizontalScrollBar()->maximum(), 0) << w << "x" << h;
            view.fitHeight();
            ASSERT_EQ(view.verticalScrollBar()->maximum(), 0) << w << "x" << h;
        }
    }
}

TEST_F(ShownView, ScrollIsClampedAndReported) {
    view.setImage(Filled(1000, 2000, Qt::white));
    QSignalSpy spy(&view, &ImageView::viewChanged);
    view.setScroll(50, 100);
    EXPECT_EQ(view.scrollX(), 50);
    EXPECT_EQ(view.scrollY(), 100);
    EXPECT_EQ(view.viewToImage(QPoint(10, 20)), QPointF(60, 120));
    EXPECT_EQ(view.imageToView(QPointF(60, 120)), QPoint(10, 20));
    EXPECT_EQ(CountCode(spy, ImageView::kScrolled), 2);
    EXPECT_EQ(CountCode(spy, ImageView::kZoomChanged), 0);

    settle();
    view.setScroll(-5, 99999);
    EXPECT_EQ(view.scrollX(), 0);
    EXPECT_EQ(view.scrollY(), 2000 - view.viewport()->height());
    EXPECT_EQ(view.visibleImageRect().bottom(), 1999);
}

TEST_F(ShownView, WheelScrollsEightPercentWhenNotZooming) {
    view.setWheelZooms(false);
    const int step = qRound(0.08 * view.viewport()->height());
    auto notch = [&](int delta) {
        QWheelEvent e(QPointF(100, 100), view.viewport()->mapToGlobal(QPointF(100, 100)), QPoint(),
                      QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view.viewport(), &e);
    };
    view.setImage(Filled(1000, 2000, Qt::white)); // overflows both ways: vertical wins
    notch(-120);
    EXPECT_EQ(view.scrollY(), step);
    EXPECT_EQ(view.scrollX(), 0);
    notch(120);
    EXPECT_EQ(view.scrollY(), 0);

    view.setImage(Filled(2000, 100, Qt::white)); // overflows only sideways
    notch(-240);
    EXPECT_EQ(view.scrollX(), 2 * step);
    EXPECT_EQ(view.zoom(), 100);

    view.setWheelZooms(true);
    notch(120);
    EXPECT_NEAR(view.zoom(), 110, 1e-9);
}

TEST_F(ShownView, WheelZoomKeepsThePictureUnderTheCursorInPlace) {
    view.setImage(Filled(3000, 3000, Qt::white));
    view.setScroll(500, 700);
    for (const QPoint cursor : {QPoint(50, 40), QPoint(300, 200)}) {
        SCOPED_TRACE(cursor.x());
        const QPointF before = view.viewToImage(cursor);
        for (int delta : {120, 120, -120}) {
            QWheelEvent e(cursor, view.viewport()->mapToGlobal(QPointF(cursor)), QPoint(),
                          QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(view.viewport(), &e);
            const QPointF after = view.viewToImage(cursor);
            // Within the rounding of a scroll position to whole view pixels.
            EXPECT_NEAR(after.x(), before.x(), 1.0 / (view.zoom() / 100.0));
            EXPECT_NEAR(after.y(), before.y(), 1.0 / (view.zoom() / 100.0));
        }
    }
    EXPECT_NEAR(view.zoom(), 121, 1e-6); // a notch down undoes a notch up
}

TEST_F(ShownView, ClickMakesDefaultExtentAndDragMakesDraggedObject) {
    view.setImage(Filled(1000, 1000, Qt::white));
    VectorObject templ;
    templ.penColor = kGdiRed;
    view.setNewObjectTemplate(templ);
    QSignalSpy made(&view, &ImageView::newObject);
    QWidget* vp = view.viewport();

    struct Case {
        ImageView::Tool tool;
        QPoint press, release;
        ObjectKind kind;
        int left, top, width, height;
    } cases[] = {
        {ImageView::Tool::PutBox, {30, 40}, {30, 40}, ObjectKind::Box, 30, 40, 64, 64},
        {ImageView::Tool::PutLine, {30, 40}, {30, 40}, ObjectKind::Line, 30, 40, 64, 64},
        {ImageView::Tool::PutText, {5, 6}, {5, 6}, ObjectKind::Text, 5, 6, 64, 64},
        {ImageView::Tool::PutEllipse,
         {200, 150},
         {100, 50},
         ObjectKind::Ellipse,
         100,
         50,
         101,
         101},
        {ImageView::Tool::PutLine, {200, 150}, {100, 50}, ObjectKind::Line, 200, 150, -99, -99},
    };
    for (const Case& c : cases) {
        view.setTool(c.tool);
        QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, c.press);
        if (c.press != c.release)
            QTest::mouseMove(vp, c.release);
        QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, c.release);
        ASSERT_FALSE(made.isEmpty());
        const VectorObject* o = view.layer().object(made.takeLast().at(0).toInt());
        ASSERT_NE(o, nullptr);
        EXPECT_EQ(o->kind, c.kind);
        EXPECT_EQ(QRect(o->left, o->top, o->width, o->height),
                  QRect(c.left, c.top, c.width, c.height));
        EXPECT_EQ(o->penColor, kGdiRed); // the rest comes from the template
    }
    EXPECT_EQ(view.layer().count(), 5);

    // At 200 % view pixels halve into image pixels.
    view.setZoom(200);
    view.setScroll(0, 0);
    view.setTool(ImageView::Tool::PutBox);
    QTest::mouseClick(vp, Qt::LeftButton, Qt::NoModifier, QPoint(100, 60));
    ASSERT_EQ(made.size(), 1);
    const VectorObject* o = view.layer().object(made.takeFirst().at(0).toInt());
    EXPECT_EQ(QPoint(o->left, o->top), QPoint(50, 30));
}

TEST_F(ShownView, MouseSignalsComeBeforeTheNewObject) {
    view.setImage(Filled(1000, 1000, Qt::white));
    QStringList order;
    QObject::connect(&view, &ImageView::mouseDown, [&](Qt::MouseButton b, QPoint p) {
        order << QString("down %1 %2,%3").arg(int(b)).arg(p.x()).arg(p.y());
    });
    QObject::connect(&view, &ImageView::mouseUp, [&](Qt::MouseButton b, QPoint p) {
        order << QString("up %1 %2,%3").arg(int(b)).arg(p.x()).arg(p.y());
    });
    QObject::connect(&view, &ImageView::newObject, [&](ObjectHandle) { order << "new"; });
    view.setTool(ImageView::Tool::PutEllipse);
    QTest::mouseClick(view.viewport(), Qt::RightButton, Qt::NoModifier, QPoint(7, 8));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(9, 10));
    EXPECT_EQ(order, (QStringList{"down 2 7,8", "up 2 7,8", "down 1 9,10", "up 1 9,10", "new"}));
    EXPECT_EQ(view.tool(), ImageView::Tool::PutEllipse); // the receiver disarms it
}

TEST_F(ShownView, SelectToolDragsOnlyMovableObjectsWithinPickDistance) {
    view.setImage(Filled(1000, 1000, Qt::white));
    VectorObject mark;
    mark.kind = ObjectKind::Box;
    mark.left = 100;
    mark.top = 100;
    mark.width = 50;
    mark.height = 50;
    const ObjectHandle movable = view.layer().add(mark);
    mark.left = 300;
    mark.movable = false;
    const ObjectHandle fixed = view.layer().add(mark);
    view.layerChanged();
    view.setPickDistance(20);
    QSignalSpy moved(&view, &ImageView::objectMoved);
    QWidget* vp = view.viewport();

    auto drag = [&](QPoint from, QPoint to) {
        QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(vp, to);
        QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, to);
    };
    drag({90, 120}, {120, 140}); // 10 pixels left of the box outline
    EXPECT_EQ(QPoint(view.layer().object(movable)->left, view.layer().object(movable)->top),
              QPoint(130, 120));
    ASSERT_EQ(moved.size(), 1);
    EXPECT_EQ(moved.at(0).at(0).toInt(), movable);

    drag({100, 50}, {200, 50}); // 50 pixels from the moved box: beyond the pick distance
    EXPECT_EQ(view.layer().object(movable)->left, 130);

    drag({300, 120}, {350, 120}); // on the outline of the fixed box
    EXPECT_EQ(view.layer().object(fixed)->left, 300);
    EXPECT_EQ(moved.size(), 1);
}

TEST_F(ShownView, ObjectOverReportsTheNearestWithinPickDistance) {
    view.setImage(Filled(1000, 1000, Qt::white));
    VectorObject text;
    text.kind = ObjectKind::Text;
    text.left = 100;
    text.top = 100;
    text.width = 48;
    text.height = 32;
    const ObjectHandle h = view.layer().add(text);
    view.layerChanged();
    view.setPickDistance(20);
    QSignalSpy over(&view, &ImageView::objectOver);
    QTest::mouseMove(view.viewport(), QPoint(110, 110));
    QTest::mouseMove(view.viewport(), QPoint(112, 110)); // same object: no repeat
    QTest::mouseMove(view.viewport(), QPoint(300, 250));
    ASSERT_EQ(over.size(), 2);
    EXPECT_EQ(over.at(0).at(0).toInt(), h);
    EXPECT_EQ(over.at(1).at(0).toInt(), kNoObject);
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

TEST_F(ShownView, SuspendedPaintingHoldsEveryRepaintAndTheLastResumePaintsOnce) {
    PaintCounter counter(view.viewport());
    view.suspendPainting();
    view.suspendPainting();
    view.setImage(Filled(300, 200, Qt::red));
    view.layer().add(VectorObject{});
    view.layerChanged();
    view.setZoom(150);
    view.select(0, 0, 10, 10);
    view.blank();
    view.resumePainting(); // the inner one: still held
    QApplication::processEvents();
    EXPECT_EQ(counter.paints, 0);

    view.resumePainting();
    QApplication::processEvents();
    EXPECT_EQ(counter.paints, 1);
    view.resumePainting(); // an extra resume neither paints nor goes negative
    QApplication::processEvents();
    EXPECT_EQ(counter.paints, 1);
    EXPECT_FALSE(view.paintingSuspended());
}
