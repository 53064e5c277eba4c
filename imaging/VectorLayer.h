#pragma once
// The ordered list of vector objects with stable handles. Pure logic.
//
// A handle finds its object in constant time, so loops over the layer that
// look objects up by handle stay linear with 100,000 marks.

#include "VectorObject.h"

#include <QList>
#include <QPointF>
#include <QRect>

#include <vector>

namespace imaging {

using ObjectHandle = int; // -1 = none
constexpr ObjectHandle kNoObject = -1;

class VectorLayer {
public:
    // Appends the object; handles are never reused within one layer. Left,
    // top, width and height are clamped to +-kMaxCoordinate, so no edge of
    // an object overflows an int whatever a stored tag said.
    ObjectHandle add(const VectorObject& object);
    bool remove(ObjectHandle handle);
    void clear();

    int count() const { return int(m_objects.size()); }
    bool contains(ObjectHandle handle) const { return indexOf(handle) >= 0; }
    // Handles in object (drawing) order.
    QList<ObjectHandle> handles() const;
    // Handle of the object at position `index` of the order.
    ObjectHandle handleAt(int index) const;

    VectorObject* object(ObjectHandle handle);
    const VectorObject* object(ObjectHandle handle) const;

    // First object, in order, whose left and top are exactly (left, top).
    ObjectHandle findAt(int left, int top) const;

    // Nearest visible object to `point` among those at least partly inside
    // `visibleRect` (image coordinates). Distance 0 inside a text object,
    // distance to the outline for boxes and ellipses, to the segment for
    // lines. With maxDistance >= 0 only objects within that distance count.
    ObjectHandle nearest(QPointF point, const QRect& visibleRect, double maxDistance = -1,
                         double* distance = nullptr) const;

    // Geometric distance from `point` to the object (as `nearest` measures it).
    static double distanceTo(const VectorObject& object, QPointF point);

private:
    int indexOf(ObjectHandle handle) const;

    struct Entry {
        ObjectHandle handle;
        VectorObject object;
    };
    QList<Entry> m_objects;
    // Position in m_objects of every handle given out since the last clear,
    // indexed by handle - m_firstHandle; -1 once removed. Handles are dense
    // and rising, so a plain array serves as the map.
    std::vector<int> m_positions;
    ObjectHandle m_firstHandle = 0;
    ObjectHandle m_nextHandle = 0;
};

} // namespace imaging
