#pragma once
// The one place where picture bytes become a QImage: page and region
// pictures of a paper, full sheets, pictures loaded from files.

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

namespace imaging {

struct DecodedPicture {
    // Null when nothing could be decoded. When `ok` is false but the image
    // is not null, the picture was cut short or broke part-way: the rows
    // decoded before that are kept and every row after them is white.
    QImage image;
    bool ok = false; // the whole picture decoded
};

// Bytes of pixels beyond which no picture is decoded or composed: Qt's
// image reader allocation limit.
qint64 PictureAllocationLimit();

// Decodes JPEG (libjpeg-turbo, straight into the pixels of the QImage),
// PNG or any other format QImage reads, from the contents. A JPEG whose data
// ends before its last row is not ok and white below what arrived.
DecodedPicture DecodePicture(const QByteArray& bytes);

// Reads a picture file; the format comes from the contents, or from the
// extension when the contents do not say.
DecodedPicture ReadPictureFile(const QString& path);

// The rectangle a selection from (x1, y1) to (x2, y2) covers on a picture of
// `size`: the columns x1 .. x2 - 1 and rows y1 .. y2 - 1, corners swapped
// into order and kept inside the picture (x1 within 0 .. width - 1, y1
// within 0 .. height - 1, x2 within 0 .. width, y2 within 0 .. height). An
// empty QRect when nothing is left.
QRect ClampedSelection(QSize size, int x1, int y1, int x2, int y2);

} // namespace imaging
