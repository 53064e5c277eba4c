#pragma once
// JPEG pictures decoded with libjpeg-turbo straight into 32-bit pixels: no
// second pass converting 24-bit rows as Qt's reader makes, and a picture cut
// short is told from a whole one. Used by DecodePicture only.

#include "PictureDecoder.h"

#include <QByteArray>

#include <optional>

namespace imaging::detail {

// The bytes decoded, when they are a JPEG of a colour space this decoder
// takes (grey, YCbCr, RGB); nullopt otherwise, for Qt's reader to try.
// Pictures beyond `allocationLimit` bytes of pixels are refused. A JPEG that
// ends before its last row is `ok` false with the rows decoded before the
// end kept and every row after it white.
std::optional<DecodedPicture> DecodeJpeg(const QByteArray& bytes, qint64 allocationLimit);

// See PictureDecoder.h: PlaceableJpegSize, DecodeJpegRegions.
std::optional<QSize> JpegSize(const QByteArray& bytes);
bool DecodeJpegInto(const QByteArray& bytes, QList<RegionPlacement>& regions);

} // namespace imaging::detail
