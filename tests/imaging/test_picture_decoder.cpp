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
