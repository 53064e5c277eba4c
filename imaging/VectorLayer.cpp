#include "VectorLayer.h"

#include "CoordinateLimits.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace imaging {

namespace {

double DistanceToSegment(QPointF p, QPointF a, QPointF b) {
    const QPointF ab = b - a;
    const double len2 = QPointF::dotProduct(ab, ab);
    double t = len2 > 0 ? QPointF::dotProduct(p - a, ab) / len2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    const QPointF closest = a + t * ab;
    return std::hypot(p.x() - closest.x(), p.y() - closest.y());
}

// Distance to a filled rectangle (0 inside); edges are inclusive pixels.
double DistanceToArea(QPointF p, const QRect& r) {
    const double dx = std::max({double(r.left()) - p.x(), 0.0, p.x() - double(r.right())});
    const double dy = std::max({double(r.top()) - p.y(), 0.0, p.y() - double(r.bottom())});
    return std::hypot(dx, dy);
}

double DistanceToRectOutline(QPointF p, const QRect& r) {
    const double outside = DistanceToArea(p, r);
    if (outside > 0)
        return outside;
    // Inside: the nearest of the four edges.
    return std::min({p.x() - r.left(), r.right() - p.x(), p.y() - r.top(), r.bottom() - p.y()});
}

// Distance to the outline of the ellipse inscribed in r. The nearest point
// has no closed form; a coarse scan of the parameter followed by a golden
// section refinement is exact to far below a pixel and also copes with
// flat ellipses (one axis zero).
double DistanceToEllipseOutline(QPointF p, const QRect& r) {
    const double cx = (r.left() + r.right()) / 2.0;
    const double cy = (r.top() + r.bottom()) / 2.0;
    const double a = (r.right() - r.left()) / 2.0;
    const double b = (r.bottom() - r.top()) / 2.0;
    auto dist = [&](double t) {
        return std::hypot(cx + a * std::cos(t) - p.x(), cy + b * std::sin(t) - p.y());
    };

    constexpr int kSteps = 72;
    const double step = 2 * std::numbers::pi / kSteps;
    double bestT = 0;
    double best = dist(0);
    for (int i = 1; i < kSteps; ++i) {
        const double d = dist(i * step);
        if (d < best) {
            best = d;
            bestT = i * step;
        }
    }
    double lo = bestT - step;
    double hi = bestT + step;
    const double g = (std::sqrt(5.0) - 1) / 2;
    for (int i = 0; i < 60; ++i) {
        const double m1 = hi - g * (hi - lo);
        const double m2 = lo + g * (hi - lo);
        if (dist(m1) < dist(m2))
            hi = m2;
        else
            lo = m1;
    }
    return std::min(best, dist((lo + hi) / 2));
}

} // namespace

ObjectHandle VectorLayer::add(const VectorObject& object) {
    const ObjectHandle handle = m_nextHandle++;
    m_objects.append(Entry{handle, object});
    VectorObject& o = m_objects.last().object;
    o.left = ClampCoordinate(o.left);
    o.top = ClampCoordinate(o.top);
    o.width = ClampCoordinate(o.width);
    o.height = ClampCoordinate(o.height);
    m_positions.push_back(int(m_objects.size()) - 1);
    return handle;
}

bool VectorLayer::remove(ObjectHandle handle) {
    const int i = indexOf(handle);
    if (i < 0)
        return false;
    m_objects.removeAt(i);
    m_positions[size_t(handle - m_firstHandle)] = -1;
    for (int k = i; k < m_objects.size(); ++k)
        m_positions[size_t(m_objects[k].handle - m_firstHandle)] = k;
    return true;
}

void VectorLayer::clear() {
    m_objects.clear();
    m_positions.clear();
    m_firstHandle = m_nextHandle;
}

QList<ObjectHandle> VectorLayer::handles() const {
    QList<ObjectHandle> result;
    result.reserve(m_objects.size());
    for (const Entry& e : m_objects)
        result.append(e.handle);
    return result;
}

ObjectHandle VectorLayer::handleAt(int index) const {
    if (index < 0 || index >= m_objects.size())
        return kNoObject;
    return m_objects[index].handle;
}

VectorObject* VectorLayer::object(ObjectHandle handle) {
    const int i = indexOf(handle);
    return i < 0 ? nullptr : &m_objects[i].object;
}

const VectorObject* VectorLayer::object(ObjectHandle handle) const {
    const int i = indexOf(handle);
    return i < 0 ? nullptr : &m_objects[i].object;
}

ObjectHandle VectorLayer::findAt(int left, int top) const {
    for (const Entry& e : m_objects)
        if (e.object.left == left && e.object.top == top)
            return e.handle;
    return kNoObject;
}

double VectorLayer::distanceTo(const VectorObject& o, QPointF point) {
    switch (o.kind) {
    case ObjectKind::Line:
        return DistanceToSegment(point, QPointF(o.left, o.top), QPointF(o.right(), o.bottom()));
    case ObjectKind::Box:
        return DistanceToRectOutline(point, o.bounds());
    case ObjectKind::Ellipse:
        return DistanceToEllipseOutline(point, o.bounds());
    case ObjectKind::Text:
    case ObjectKind::Memo:
        return DistanceToArea(point, o.bounds());
    }
    return std::numeric_limits<double>::infinity();
}

ObjectHandle VectorLayer::nearest(QPointF point, const QRect& visibleRect, double maxDistance,
                                  double* distance) const {
    ObjectHandle best = kNoObject;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (const Entry& e : m_objects) {
        if (!e.object.visible || !e.object.bounds().intersects(visibleRect))
            continue;
        const double d = distanceTo(e.object, point);
        if (maxDistance >= 0 && d > maxDistance)
            continue;
        // Strictly smaller: on a tie the earlier object in the order wins.
        if (d < bestDistance) {
            bestDistance = d;
            best = e.handle;
        }
    }
    if (distance)
        *distance = best == kNoObject ? -1 : bestDistance;
    return best;
}

int VectorLayer::indexOf(ObjectHandle handle) const {
    if (handle < m_firstHandle || handle >= m_nextHandle)
        return -1;
    return m_positions[size_t(handle - m_firstHandle)];
}

} // namespace imaging
