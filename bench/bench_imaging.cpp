// Figures for the image view: composing an answer picture from page regions
// and rendering marks. Prints timings, never fails.
#include "ImageView.h"
#include "PictureDecoder.h"
#include "Renderer.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

using namespace imaging;

namespace {

QImage Page(int seed) {
    // An A4 page at 200 dpi with some ink, so drawing is not all one colour.
    QImage page(1654, 2339, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter p(&page);
    p.setPen(QPen(Qt::black, 3));
    for (int y = 100 + seed * 7; y < 2300; y += 45)
        p.drawLine(80, y, 1570, y + (y % 13));
    return page;
}

void BM_ComposeFourRegionsAndRenderAtFit(benchmark::State& state) {
    ImageView page1, page2, main;
    page1.setImage(Page(1));
    page2.setImage(Page(2));
    main.resize(1280, 900);
    QImage screen(main.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        page1.select(0, 0, 1654, 600);
        page1.copySelectionTo(main);
        page1.select(0, 1200, 1654, 1800);
        page1.pasteSelectionTo(main, QPoint(0, main.imageHeight()));
        page2.select(0, 0, 1654, 600);
        page2.pasteSelectionTo(main, QPoint(0, main.imageHeight()));
        page2.select(0, 1200, 1654, 1800);
        page2.pasteSelectionTo(main, QPoint(0, main.imageHeight()));
        main.fit();
        main.render(&screen);
        benchmark::DoNotOptimize(screen.constBits());
    }
}
BENCHMARK(BM_ComposeFourRegionsAndRenderAtFit)->Unit(benchmark::kMillisecond);

QByteArray PageJpeg() {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    Page(1).save(&buffer, "JPEG", 80);
    return bytes;
}

// One A4 page at 200 dpi: Qt's reader against the program's decoder.
void BM_DecodePageWithQtsReader(benchmark::State& state) {
    const QByteArray bytes = PageJpeg();
    for (auto _ : state) {
        QImage image = QImage::fromData(bytes);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_DecodePageWithQtsReader)->Unit(benchmark::kMillisecond);

void BM_DecodePageWithDecodePicture(benchmark::State& state) {
    const QByteArray bytes = PageJpeg();
    for (auto _ : state) {
        DecodedPicture picture = DecodePicture(bytes);
        benchmark::DoNotOptimize(picture.image.constBits());
    }
}
BENCHMARK(BM_DecodePageWithDecodePicture)->Unit(benchmark::kMillisecond);

void BM_RenderHundredMarksAt100(benchmark::State& state) {
    VectorLayer layer;
    for (int i = 0; i < 100; ++i) {
        VectorObject o;
        o.penColor = kGdiRed;
        o.left = 20 + (i % 10) * 150;
        o.top = 20 + (i / 10) * 200;
        o.width = 120;
        o.height = 40;
        switch (i % 5) {
        case 0:
            o.kind = ObjectKind::Line;
            break;
        case 1:
            o.kind = ObjectKind::Box;
            break;
        case 2:
            o.kind = ObjectKind::Ellipse;
            break;
        case 3:
            o.kind = ObjectKind::Text;
            o.text = "X";
            o.penStyle = PenStyle::Clear;
            break;
        case 4: // a half-transparent score text
            o.kind = ObjectKind::Text;
            o.text = "2.5";
            o.fontName = "宋体";
            o.brushStyle = BrushStyle::Solid;
            o.penStyle = PenStyle::Clear;
            o.transparency = 128;
            o.highlighter = true;
            break;
        }
        layer.add(o);
    }
    QImage target(1654, 2339, QImage::Format_RGB32);
    target.fill(Qt::white);
    for (auto _ : state) {
        QPainter p(&target);
        RenderLayer(p, layer, 1.0, QPointF(0, 0), true);
        p.end();
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_RenderHundredMarksAt100)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InstallFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
