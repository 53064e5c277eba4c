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

inline QByteArray PngBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}
