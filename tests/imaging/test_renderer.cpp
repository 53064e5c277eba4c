// The layer renderer: one rendered picture per object kind, checked at a
// few pixels.
#include "Renderer.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using namespace imaging;

namespace {

VectorObject Make(ObjectKind kind, int left, int top, int width, int height) {
    VectorObject o;
    o.kind = kind;
    o.left = left;
    o.top = top;
    o.width = width;
    o.height = height;
    o.penColor = kGdiRed;
    return o;
}

QImage Render(const VectorObject& o, QColor ground = Qt::white, double scale = 1.0,
              QPointF offset = {}, bool blend = true) {
    QImage img(200, 120, QImage::Format_RGB32);
    img.fill(ground);
    VectorLayer layer;
    layer.add(o);
    QPainter p(&img);
    RenderLayer(p, layer, scale, offset, blend);
    return img;
}

bool IsRed(QColor c) {
    return c.red() > 200 && c.green() < 80 && c.blue() < 80;
}

int CountPixels(const QImage& img, const QRect& area, const std::function<bool(QColor)>& pred) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += pred(img.pixelColor(x, y));
    return n;
}

void ExpectNear(QColor actual, QColor expected, int tolerance = 3) {
    EXPECT_NEAR(actual.red(), expected.red(), tolerance);
    EXPECT_NEAR(actual.green(), expected.green(), tolerance);
    EXPECT_NEAR(actual.blue(), expected.blue(), tolerance);
}

} // namespace

TEST(Renderer, LineCoversItsPixelsBothEnds) {
    const QImage img =
        Render(Make(ObjectKind::Line, 60, 10, -49, 1)); // from (60,10) back to (10,10)
    for (int x : {10, 35, 60})
        EXPECT_TRUE(IsRed(img.pixelColor(x, 10))) << x;
    EXPECT_EQ(img.pixelColor(35, 12), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(62, 10), QColor(Qt::white));
}

TEST(Renderer, ScaleAndOffsetMapImagePixels) {
    const QImage img = Render(Make(ObjectKind::Line, 10, 10, 21, 1), Qt::white, 2.0, QPointF(5, 5));
    EXPECT_TRUE(IsRed(img.pixelColor(25, 25))); // image (10,10)
    EXPECT_TRUE(IsRed(img.pixelColor(65, 25))); // image (30,10)
    EXPECT_EQ(img.pixelColor(15, 25), QColor(Qt::white));
}

TEST(Renderer, BoxOutlineAndFill) {
    VectorObject box = Make(ObjectKind::Box, 20, 20, 50, 40);
    QImage img = Render(box);
    EXPECT_TRUE(IsRed(img.pixelColor(20, 40)));
    EXPECT_TRUE(IsRed(img.pixelColor(69, 40)));
    EXPECT_TRUE(IsRed(img.pixelColor(45, 59)));
    EXPECT_EQ(img.pixelColor(45, 40), QColor(Qt::white)); // clear brush: not filled
    EXPECT_EQ(img.pixelColor(70, 40), QColor(Qt::white));

    box.brushStyle = BrushStyle::Solid;
    box.brushColor = kGdiBlue;
    box.penStyle = PenStyle::Clear;
    img = Render(box);
    EXPECT_EQ(img.pixelColor(45, 40), QColor(Qt::blue));
    EXPECT_EQ(img.pixelColor(20, 40), QColor(Qt::blue)); // no outline drawn
}

TEST(Renderer, EllipseOutlineInscribed) {
    const QImage img = Render(Make(ObjectKind::Ellipse, 20, 20, 81, 61));
    EXPECT_TRUE(IsRed(img.pixelColor(60, 20))); // top of the ellipse
    EXPECT_TRUE(IsRed(img.pixelColor(20, 50))); // left end
    EXPECT_EQ(img.pixelColor(60, 50), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(21, 21), QColor(Qt::white)); // box corner is outside the ellipse
}

TEST(Renderer, TextInPenColourInsideItsBox) {
    InstallFontSubstitutions();
    VectorObject x = Make(ObjectKind::Text, 80, 40, 40, 40);
    x.text = "X";
    x.fontHeight = 40;
    x.penStyle = PenStyle::Clear;
    const QImage img = Render(x);
    EXPECT_GT(CountPixels(img, QRect(80, 40, 40, 40), IsRed), 30);
    EXPECT_EQ(CountPixels(img, QRect(0, 0, 70, 120), [](QColor c) { return c != Qt::white; }), 0);
    EXPECT_EQ(img.pixelColor(81, 41), QColor(Qt::white)); // no frame with a clear pen
}

TEST(Renderer, InvisibleObjectsAreNotDrawn) {
    VectorObject box = Make(ObjectKind::Box, 20, 20, 50, 40);
    box.visible = false;
    const QImage img = Render(box);
    EXPECT_EQ(CountPixels(img, img.rect(), [](QColor c) { return c != Qt::white; }), 0);
}

TEST(Renderer, HalfTransparentScoreTextBlendsAsAWhole) {
    InstallFontSubstitutions();
    VectorObject score = Make(ObjectKind::Text, 40, 30, 80, 40);
    score.text = "8";
    score.fontName = "宋体";
    score.brushStyle = BrushStyle::Solid;
    score.brushColor = kGdiWhite;
    score.penStyle = PenStyle::Clear;
    score.transparency = 128;
    score.highlighter = true;

    QImage img = Render(score, Qt::black);
    ExpectNear(img.pixelColor(42, 32), QColor(128, 128, 128)); // white box half over black
    // Where the text is, red over white blended over black: about (128,0,0),
    // never the box showing through the text.
    EXPECT_GT(
        CountPixels(img, QRect(40, 30, 80, 40),
                    [](QColor c) { return c.red() > 110 && c.red() < 145 && c.green() < 20; }),
        20);
    EXPECT_EQ(img.pixelColor(30, 30), QColor(Qt::black));

    img = Render(score, Qt::black, 1.0, {}, false); // blending off: opaque
    EXPECT_EQ(img.pixelColor(42, 32), QColor(Qt::white));
    EXPECT_GT(CountPixels(img, QRect(40, 30, 80, 40), IsRed), 20);
}

TEST(Renderer, ChineseFacesRenderChineseGlyphs) {
    InstallFontSubstitutions();
    const QString good = QString::fromUtf8("\xe5\xa5\xbd"); // 好
    for (const char* face : {"宋体", "Arial"}) {
        EXPECT_TRUE(QFontMetrics(QFont(QString::fromUtf8(face))).inFontUcs4(good.at(0).unicode()))
            << face;
        VectorObject t = Make(ObjectKind::Text, 10, 10, 80, 40);
        t.text = good;
        t.fontName = QString::fromUtf8(face);
        t.penStyle = PenStyle::Clear;
        EXPECT_GT(CountPixels(Render(t), QRect(10, 10, 80, 40), IsRed), 50) << face;
    }
}
