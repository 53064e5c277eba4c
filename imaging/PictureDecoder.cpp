#include "PictureDecoder.h"

#include <algorithm>
#include <utility>

namespace imaging {

DecodedPicture DecodePicture(const QByteArray& bytes) {
    DecodedPicture picture;
    picture.ok = picture.image.loadFromData(bytes);
    return picture;
}

DecodedPicture ReadPictureFile(const QString& path) {
    DecodedPicture picture;
    if (!path.isEmpty())
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
