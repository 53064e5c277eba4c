#pragma once
// The one place where picture bytes become a QImage: page and region
// pictures of a paper, full sheets, pictures loaded from files.

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>

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

// --- Regions of a JPEG decoded straight into a larger picture ----------

// Where one region of a picture goes.
struct RegionPlacement {
    QRect source;        // in the picture, inside it
    uchar* target;       // its top-left pixel in a QImage::Format_RGB32 picture
    qsizetype stride;    // that picture's bytes per line
    qint64 decodeNs = 0; // out: time spent on the region's rows
};

// The size of a JPEG whose regions DecodeJpegRegions can place (grey,
// YCbCr or RGB, header readable); nullopt for anything else, which is for
// DecodePicture.
std::optional<QSize> PlaceableJpegSize(const QByteArray& bytes);

// Decodes only the rows and columns the regions cover (with a margin, so
// the pixels are those of a whole decode) straight into their places, as
// 32-bit pixels; rows above, below and between them are skipped. False when
// the picture's data ends early, also below the last region, or breaks:
// region rows that did not decode are then white. Regions of one picture
// may be placed from several threads only as separate calls on separate
// targets.
bool DecodeJpegRegions(const QByteArray& bytes, QList<RegionPlacement>& regions);

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
