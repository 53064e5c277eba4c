#include "PictureDecoder.h"

#include "JpegDecoder.h"

#include <QFile>
#include <QImageReader>

#include <algorithm>
#include <limits>
#include <utility>

namespace imaging {

qint64 PictureAllocationLimit() {
    // Qt's image readers refuse pictures beyond this (128 MB unless the
    // application or QT_IMAGEIO_MAXALLOC says otherwise; 0 = no limit).
    const int mb = QImageReader::allocationLimit();
    return mb > 0 ? qint64(mb) * 1024 * 1024 : std::numeric_limits<qint64>::max();
}

DecodedPicture DecodePicture(const QByteArray& bytes) {
    if (std::optional<DecodedPicture> jpeg = detail::DecodeJpeg(bytes, PictureAllocationLimit()))
        return std::move(*jpeg);
    DecodedPicture picture;
    picture.ok = picture.image.loadFromData(bytes);
    return picture;
}

std::optional<QSize> PlaceableJpegSize(const QByteArray& bytes) {
    return detail::JpegSize(bytes);
}

bool DecodeJpegRegions(const QByteArray& bytes, QList<RegionPlacement>& regions) {
    return detail::DecodeJpegInto(bytes, regions);
}

DecodedPicture ReadPictureFile(const QString& path) {
    DecodedPicture picture;
    if (path.isEmpty())
        return picture;
    QFile file(path);
    // A JPEG is decoded from memory like a downloaded one; a file far larger
    // than any picture the limit allows is not read in whole.
    if (file.open(QIODevice::ReadOnly) && file.size() <= PictureAllocationLimit()) {
        if (std::optional<DecodedPicture> jpeg =
                detail::DecodeJpeg(file.readAll(), PictureAllocationLimit()))
            return std::move(*jpeg);
    }
    // Other formats: from the contents, or from the extension when the
    // contents do not say.
    picture.ok = picture.image.load(path);
    return picture;
}

QRect ClampedSelection(QSize size, int x1, int y1, int x2, int y2) {
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    const int w = size.width();
    const int h = size.height();
    x1 = std::clamp(x1, 0, std::max(0, w - 1));
    y1 = std::clamp(y1, 0, std::max(0, h - 1));
    x2 = std::clamp(x2, 0, w);
    y2 = std::clamp(y2, 0, h);
    return (x2 > x1 && y2 > y1) ? QRect(x1, y1, x2 - x1, y2 - y1) : QRect();
}

} // namespace imaging
