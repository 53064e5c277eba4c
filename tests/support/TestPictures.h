#pragma once
// Pictures for tests: a plain picture of one colour and the PNG bytes a
// scripted server sends for a picture.

#include <QBuffer>
#include <QByteArray>
#include <QImage>

inline QImage PlainPicture(int width, int height, QRgb colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// A picture whose every pixel tells where it came from: red = x, green = y
// (both mod 256), blue = the picture's mark.
inline QImage MarkedPicture(int width, int height, int mark) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, mark));
    return image;
}

inline QByteArray PngBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}
