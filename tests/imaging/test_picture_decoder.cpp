// The one picture-decoding function: JPEG pixels as Qt's reader gives them,
// a picture cut short told from a whole one, and pictures beyond the
// allocation limit refused before anything is allocated.

#include "PictureDecoder.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QImageWriter>
#include <QPainter>

#include <cstring>

#include <gtest/gtest.h>

using imaging::DecodedPicture;
using imaging::DecodePicture;

namespace {

// Something like a scanned answer: a paper tone with strokes and a gradient,
// so the JPEG has real detail in every block.
QImage Sheet(int width, int height, QImage::Format format = QImage::Format_RGB32) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(240 - x % 40, 235 - y % 30, 200 + (x * y) % 50));
    QPainter p(&image);
    p.setPen(QPen(QColor(20, 40, 140), 3));
    for (int y = 20; y < height; y += 37)
        p.drawLine(10, y, width - 10, y + (y % 11));
    p.end();
    return image.convertToFormat(format);
}

QByteArray Jpeg(const QImage& image, bool progressive = false, int quality = 80) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "JPEG");
    writer.setQuality(quality);
    writer.setProgressiveScanWrite(progressive);
    EXPECT_TRUE(writer.write(image));
    return bytes;
}

bool RowIsWhite(const QImage& image, int y) {
    for (int x = 0; x < image.width(); ++x)
        if (image.pixel(x, y) != qRgb(255, 255, 255))
            return false;
    return true;
}

TEST(PictureDecoder, JpegPixelsAreThoseOfQtsReader) {
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"colour", Jpeg(Sheet(333, 250))},
        {"colour, best quality", Jpeg(Sheet(160, 120), false, 100)},
        {"grey", Jpeg(Sheet(200, 150, QImage::Format_Grayscale8))},
        {"progressive", Jpeg(Sheet(200, 150), true)},
    };
    for (const auto& c : cases) {
        const DecodedPicture decoded = DecodePicture(c.bytes);
        const QImage qt = QImage::fromData(c.bytes);
        ASSERT_FALSE(qt.isNull()) << c.name;
        EXPECT_TRUE(decoded.ok) << c.name;
        EXPECT_EQ(decoded.image.format(), qt.format()) << c.name;
        EXPECT_EQ(decoded.image, qt) << c.name;
    }
}

TEST(PictureDecoder, AJpegCutShortIsAFailureWhiteBelowWhatArrived) {
    const QImage sheet = Sheet(400, 600);
    const QByteArray whole = Jpeg(sheet);
    const QImage full = DecodePicture(whole).image;
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"a third of a baseline picture", whole.left(whole.size() / 3)},
        {"all but the end marker", whole.left(whole.size() - 2 - 200)},
    };
    for (const auto& c : cases) {
        const DecodedPicture cut = DecodePicture(c.bytes);
        EXPECT_FALSE(cut.ok) << c.name;
        ASSERT_EQ(cut.image.size(), sheet.size()) << c.name;
        // The rows that arrived are the picture's own, every row after is
        // white (Qt's reader shows them grey and calls the picture whole).
        int firstWhite = cut.image.height();
        while (firstWhite > 0 && RowIsWhite(cut.image, firstWhite - 1))
            --firstWhite;
        EXPECT_GT(firstWhite, 0) << c.name;
        EXPECT_LT(firstWhite, sheet.height()) << c.name;
        for (int y = 0; y < firstWhite; ++y)
            ASSERT_EQ(std::memcmp(cut.image.constScanLine(y), full.constScanLine(y),
                                  size_t(full.bytesPerLine())),
                      0)
                << c.name << " row " << y;
    }
    // A progressive picture cut short has no row that is certain: all white.
    const QByteArray progressive = Jpeg(sheet, true);
    const DecodedPicture cut = DecodePicture(progressive.left(progressive.size() / 2));
    EXPECT_FALSE(cut.ok);
    ASSERT_EQ(cut.image.size(), sheet.size());
    EXPECT_TRUE(RowIsWhite(cut.image, 0));
    EXPECT_TRUE(RowIsWhite(cut.image, sheet.height() - 1));
    // Cut inside the header: nothing to show.
    const DecodedPicture header = DecodePicture(whole.left(60));
    EXPECT_FALSE(header.ok);
    EXPECT_TRUE(header.image.isNull());
}

TEST(PictureDecoder, PicturesBeyondTheAllocationLimitAreRefusedAtOnce) {
    // A small JPEG whose frame header claims 30000 x 30000 (3.6 GB of
    // pixels): refused from the header, nothing allocated.
    QByteArray bytes = Jpeg(Sheet(16, 16));
    const qsizetype sof = bytes.indexOf("\xFF\xC0");
    ASSERT_GT(sof, 0);
    for (const int at : {5, 7}) { // height, then width, big-endian
        bytes[sof + at] = char(30000 >> 8);
        bytes[sof + at + 1] = char(30000 & 0xFF);
    }
    QElapsedTimer clock;
    clock.start();
    const DecodedPicture refused = DecodePicture(bytes);
    EXPECT_FALSE(refused.ok);
    EXPECT_TRUE(refused.image.isNull());
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_LT(imaging::PictureAllocationLimit(), 30000LL * 30000 * 4);
}

// Decodes `regions` of `bytes` stacked into one picture and returns it.
QImage Stacked(const QByteArray& bytes, const QList<QRect>& regions, bool* ok) {
    int width = 0;
    int height = 0;
    for (const QRect& r : regions) {
        width = std::max(width, r.width());
        height += r.height();
    }
    QImage canvas(width, height, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QList<imaging::RegionPlacement> places;
    int y = 0;
    for (const QRect& r : regions) {
        places.append({r, canvas.scanLine(y), canvas.bytesPerLine()});
        y += r.height();
    }
    *ok = imaging::DecodeJpegRegions(bytes, places);
    return canvas;
}

TEST(PictureDecoder, RegionsDecodedStraightIntoPlaceHaveTheWholeDecodesPixels) {
    const QList<QRect> regions = {{0, 0, 333, 517},   {5, 7, 100, 50},  {17, 200, 300, 40},
                                  {250, 480, 83, 37}, {0, 100, 333, 1}, {160, 3, 9, 500},
                                  {40, 210, 20, 20}};
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"colour", Jpeg(Sheet(333, 517))},
        {"grey", Jpeg(Sheet(333, 517, QImage::Format_Grayscale8))},
        {"progressive", Jpeg(Sheet(333, 517), true)},
        {"best quality", Jpeg(Sheet(333, 517), false, 100)},
    };
    for (const auto& c : cases) {
        const QImage whole = QImage::fromData(c.bytes).convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(imaging::PlaceableJpegSize(c.bytes), std::optional<QSize>(whole.size()));
        // Each region alone (rows skipped above and below, columns cropped),
        // then all of them in one pass.
        for (const QRect& r : regions) {
            bool ok = false;
            const QImage one = Stacked(c.bytes, {r}, &ok);
            EXPECT_TRUE(ok) << c.name << " " << r.x() << "," << r.y();
            ASSERT_EQ(one, whole.copy(r))
                << c.name << " " << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
        }
        bool ok = false;
        const QImage all = Stacked(c.bytes, regions, &ok);
        EXPECT_TRUE(ok) << c.name;
        int y = 0;
        for (const QRect& r : regions) {
            EXPECT_EQ(all.copy(0, y, r.width(), r.height()), whole.copy(r)) << c.name;
            y += r.height();
        }
    }
}

TEST(PictureDecoder, RegionsOfAJpegCutShort) {
    const QByteArray whole = Jpeg(Sheet(300, 600));
    const QImage full = QImage::fromData(whole).convertToFormat(QImage::Format_RGB32);
    const QByteArray cut = whole.left(whole.size() / 2);
    bool ok = true;
    // A region above the end arrived whole, but the picture is cut short.
    const QImage top = Stacked(cut, {QRect(10, 0, 200, 60)}, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(top, full.copy(10, 0, 200, 60));
    // A region below the end is white; one across it keeps what arrived.
    const QImage bottom = Stacked(cut, {QRect(0, 500, 300, 100), QRect(0, 0, 300, 600)}, &ok);
    EXPECT_FALSE(ok);
    for (int y = 0; y < 100; ++y)
        ASSERT_TRUE(RowIsWhite(bottom, y)) << y;
    const QImage across = bottom.copy(0, 100, 300, 600);
    int firstWhite = across.height();
    while (firstWhite > 0 && RowIsWhite(across, firstWhite - 1))
        --firstWhite;
    EXPECT_GT(firstWhite, 100);
    EXPECT_LT(firstWhite, 500);
    EXPECT_EQ(across.copy(0, 0, 300, firstWhite), full.copy(0, 0, 300, firstWhite));
    // Not a JPEG at all: nothing to place, the regions white.
    const QImage junk = Stacked("\xFF\xD8\xFF\xE0 junk", {QRect(0, 0, 10, 10)}, &ok);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(RowIsWhite(junk, 9));
    EXPECT_FALSE(imaging::PlaceableJpegSize("\xFF\xD8\xFF\xE0 junk"));
}

TEST(PictureDecoder, OtherFormatsAndJunk) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    Sheet(30, 20).save(&buffer, "PNG");
    const DecodedPicture decoded = DecodePicture(png);
    EXPECT_TRUE(decoded.ok);
    EXPECT_EQ(decoded.image.convertToFormat(QImage::Format_RGB32), Sheet(30, 20));
    for (const QByteArray& junk : {QByteArray(), QByteArray("\xFF\xD8\xFF"),
                                   QByteArray("\xFF\xD8\xFF\xE0 not really"), QByteArray("GIF")}) {
        const DecodedPicture bad = DecodePicture(junk);
        EXPECT_FALSE(bad.ok);
    }
}

} // namespace
