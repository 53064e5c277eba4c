#pragma once
// The largest coordinate or extent, in image pixels, that a mark, a region
// or a box position may have. Far beyond any scanned page or composed answer
// image, yet small enough that the sum or difference of two of them (a right
// edge, a region's size) stays well inside a 32-bit int. Positions and sizes
// from the server (tags, cut regions, score positions, the information box)
// are clamped to it where they are read, and the vector layer clamps every
// object it takes in, so both sides agree on where a clamped object lies.

#include <algorithm>

namespace imaging {

constexpr int kMaxCoordinate = 1'000'000;

constexpr int ClampCoordinate(long long value) {
    return int(std::clamp<long long>(value, -kMaxCoordinate, kMaxCoordinate));
}

} // namespace imaging
