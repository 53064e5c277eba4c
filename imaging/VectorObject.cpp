#include "VectorObject.h"

#include <algorithm>
#include <cstdlib>

namespace imaging {

QRect VectorObject::bounds() const {
    // A line may run in any direction; its bounds are the normalised box of
    // its two end points, which are both part of the drawing.
    const int x2 = right();
    const int y2 = bottom();
    return QRect(QPoint(std::min(left, x2), std::min(top, y2)),
                 QPoint(std::max(left, x2), std::max(top, y2)));
}

void SetExtentFromPoints(VectorObject& o, QPoint a, QPoint b) {
    if (o.kind == ObjectKind::Line) {
        // The line keeps its direction: a is its start, b its end.
        o.left = a.x();
        o.top = a.y();
        o.width = b.x() - a.x() + 1;
        o.height = b.y() - a.y() + 1;
        return;
    }
    o.left = std::min(a.x(), b.x());
    o.top = std::min(a.y(), b.y());
    o.width = std::abs(b.x() - a.x()) + 1;
    o.height = std::abs(b.y() - a.y()) + 1;
}

} // namespace imaging
