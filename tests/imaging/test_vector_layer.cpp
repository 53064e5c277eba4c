// Geometry of the vector layer: extents, distances and the nearest object.
#include "VectorLayer.h"

#include "CoordinateLimits.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

using namespace imaging;

namespace {

VectorObject Make(ObjectKind kind, int left, int top, int width, int height) {
    VectorObject o;
    o.kind = kind;
    o.left = left;
    o.top = top;
    o.width = width;
    o.height = height;
    return o;
}

} // namespace

TEST(SetExtentFromPoints, InclusiveExtentsAndLineDirection) {
    struct Case {
        ObjectKind kind;
        QPoint a, b;
        int left, top, width, height;
    } cases[] = {
        {ObjectKind::Box, {50, 280}, {349, 479}, 50, 280, 300, 200},
        {ObjectKind::Box, {349, 479}, {50, 280}, 50, 280, 300, 200}, // normalised
        {ObjectKind::Ellipse, {10, 40}, {5, 20}, 5, 20, 6, 21},
        {ObjectKind::Text, {7, 7}, {7, 7}, 7, 7, 1, 1},
        {ObjectKind::Line, {60, 600}, {260, 640}, 60, 600, 201, 41},
        {ObjectKind::Line, {260, 640}, {60, 600}, 260, 640, -199, -39}, // direction kept
        {ObjectKind::Line, {10, 10}, {9, 10}, 10, 10, 0, 1},
    };
    for (const Case& c : cases) {
        VectorObject o;
        o.kind = c.kind;
        SetExtentFromPoints(o, c.a, c.b);
        EXPECT_EQ(o.left, c.left);
        EXPECT_EQ(o.top, c.top);
        EXPECT_EQ(o.width, c.width);
        EXPECT_EQ(o.height, c.height);
        if (c.kind == ObjectKind::Line) {
            // The end point comes back as start + extent - 1.
            EXPECT_EQ(QPoint(o.right(), o.bottom()), c.b);
        }
    }
}

TEST(VectorObjectBounds, NormalisedAlsoForBackwardLines) {
    EXPECT_EQ(Make(ObjectKind::Line, 260, 640, -199, -39).bounds(),
              QRect(QPoint(60, 600), QPoint(260, 640)));
    EXPECT_EQ(Make(ObjectKind::Box, 50, 280, 300, 200).bounds(), QRect(50, 280, 300, 200));
}

TEST(VectorLayer, HandlesAreStableAndNeverReused) {
    VectorLayer layer;
    const ObjectHandle a = layer.add(Make(ObjectKind::Box, 0, 0, 5, 5));
    const ObjectHandle b = layer.add(Make(ObjectKind::Line, 1, 2, 5, 5));
    const ObjectHandle c = layer.add(Make(ObjectKind::Text, 1, 2, 5, 5));
    EXPECT_TRUE(layer.remove(b));
    EXPECT_FALSE(layer.remove(b));
    const ObjectHandle d = layer.add(Make(ObjectKind::Ellipse, 9, 9, 5, 5));
    EXPECT_NE(d, b);
    EXPECT_EQ(layer.handles(), (QList<ObjectHandle>{a, c, d}));
    EXPECT_EQ(layer.handleAt(1), c);
    EXPECT_EQ(layer.handleAt(3), kNoObject);
    EXPECT_EQ(layer.object(c)->kind, ObjectKind::Text);
    EXPECT_EQ(layer.object(b), nullptr);
    EXPECT_EQ(layer.findAt(1, 2), c); // b at the same place is gone
    EXPECT_EQ(layer.findAt(2, 1), kNoObject);
    layer.clear();
    EXPECT_EQ(layer.count(), 0);
    EXPECT_EQ(layer.object(a), nullptr);
    EXPECT_FALSE(layer.contains(c));
    EXPECT_NE(layer.add(VectorObject{}), a);
}

TEST(VectorLayer, EveryHandleStillFindsItsObjectAfterRemovalsFromTheMiddle) {
    VectorLayer layer;
    QList<ObjectHandle> handles;
    for (int i = 0; i < 50; ++i)
        handles.append(layer.add(Make(ObjectKind::Box, i, i, 5, 5)));
    for (int i : {0, 17, 18, 31, 49})
        ASSERT_TRUE(layer.remove(handles[i]));
    for (int i = 0; i < 50; ++i) {
        const VectorObject* o = layer.object(handles[i]);
        const bool removed = i == 0 || i == 17 || i == 18 || i == 31 || i == 49;
        EXPECT_EQ(o == nullptr, removed) << i;
        if (o) {
            EXPECT_EQ(o->left, i);
        }
    }
    EXPECT_EQ(layer.count(), 45);
    EXPECT_EQ(layer.handleAt(16), handles[19]);
}

TEST(VectorLayer, ExtremePositionsAndSizesAreClampedOnTheWayIn) {
    const int k = kMaxCoordinate;
    struct Case {
        int left, top, width, height;
        int expectLeft, expectTop, expectWidth, expectHeight;
    } cases[] = {
        {INT_MAX, INT_MIN, INT_MAX, INT_MIN, k, -k, k, -k},
        {k, -k, k, -k, k, -k, k, -k},
        {k + 1, -k - 1, 1, 1, k, -k, 1, 1},
        {120, 300, 48, 32, 120, 300, 48, 32},
    };
    for (const Case& c : cases) {
        VectorLayer layer;
        const VectorObject* o =
            layer.object(layer.add(Make(ObjectKind::Line, c.left, c.top, c.width, c.height)));
        EXPECT_EQ(QRect(o->left, o->top, o->width, o->height),
                  QRect(c.expectLeft, c.expectTop, c.expectWidth, c.expectHeight))
            << c.left;
        // The far edges of a clamped object are ordinary ints.
        EXPECT_EQ(qint64(o->right()), qint64(o->left) + o->width - 1);
        EXPECT_EQ(qint64(o->bottom()), qint64(o->top) + o->height - 1);
    }
}

TEST(VectorLayer, DistanceByKind) {
    struct Case {
        const char* what;
        VectorObject object;
        QPointF point;
        double distance;
    } cases[] = {
        {"inside text", Make(ObjectKind::Text, 100, 100, 48, 32), {120, 110}, 0},
        {"text edge pixel", Make(ObjectKind::Text, 100, 100, 48, 32), {147, 131}, 0},
        {"left of text", Make(ObjectKind::Text, 100, 100, 48, 32), {90, 110}, 10},
        {"diagonal from text", Make(ObjectKind::Text, 100, 100, 48, 32), {97, 96}, 5},
        {"inside box: nearest edge", Make(ObjectKind::Box, 0, 0, 101, 101), {30, 50}, 30},
        {"box centre", Make(ObjectKind::Box, 0, 0, 101, 101), {50, 50}, 50},
        {"on box outline", Make(ObjectKind::Box, 0, 0, 101, 101), {100, 40}, 0},
        {"outside box", Make(ObjectKind::Box, 0, 0, 101, 101), {103, 104}, 5},
        {"circle centre", Make(ObjectKind::Ellipse, 0, 0, 101, 101), {50, 50}, 50},
        {"inside circle", Make(ObjectKind::Ellipse, 0, 0, 101, 101), {50, 30}, 30},
        {"outside circle", Make(ObjectKind::Ellipse, 0, 0, 101, 101), {50, 110}, 10},
        {"ellipse axis end", Make(ObjectKind::Ellipse, 0, 0, 201, 101), {0, 50}, 0},
        {"inside ellipse near minor axis",
         Make(ObjectKind::Ellipse, 0, 0, 201, 101),
         {100, 40},
         40},
        {"line segment middle", Make(ObjectKind::Line, 0, 0, 101, 1), {50, 7}, 7},
        {"beyond line end", Make(ObjectKind::Line, 0, 0, 101, 1), {103, 4}, 5},
        {"backward line", Make(ObjectKind::Line, 100, 100, -99, -99), {-1, -1}, std::sqrt(2.0)},
        {"point line", Make(ObjectKind::Line, 5, 5, 1, 1), {8, 9}, 5},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(VectorLayer::distanceTo(c.object, c.point), c.distance, 1e-6) << c.what;
}

// Picture 1000 x 800, visible part (0,0)-(999,599).
class Nearest : public ::testing::Test {
protected:
    VectorLayer layer;
    const QRect visible{0, 0, 1000, 600};
    ObjectHandle scoreText = layer.add(Make(ObjectKind::Text, 120, 300, 48, 32));
    ObjectHandle cross = layer.add(Make(ObjectKind::Text, 380, 334, 40, 40));
    ObjectHandle box = layer.add(Make(ObjectKind::Box, 600, 100, 100, 100));
};

TEST_F(Nearest, Cases) {
    VectorObject hidden =
        Make(ObjectKind::Text, 450, 560, 100, 40); // nearer than the rest, but hidden
    hidden.visible = false;
    layer.add(hidden);
    layer.add(Make(ObjectKind::Line, 0, 650, 1000, 1)); // lies below the visible part

    struct Case {
        const char* what;
        QPointF point;
        double maxDistance;
        ObjectHandle expected;
    } cases[] = {
        {"inside the score text", {130, 310}, -1, scoreText},
        // Near the cross but nearer to the score text: the score text wins.
        {"between, nearer the score text", {250, 320}, -1, scoreText},
        {"between, nearer the cross", {300, 340}, -1, cross},
        // Far from everything: the nearest counts, whatever its distance.
        {"far away", {900, 590}, -1, box},
        {"inside box, nearer the outline of the box", {610, 150}, -1, box},
        {"within the limit", {709, 150}, 10, box},
        {"beyond the limit", {710, 150}, 10, kNoObject},
        {"hidden and off-view objects ignored", {500, 640}, -1, cross},
    };
    for (const Case& c : cases)
        EXPECT_EQ(layer.nearest(c.point, visible, c.maxDistance), c.expected) << c.what;
}

TEST_F(Nearest, OnlyMarkVisibleIsFoundFarAway) {
    // Score texts scrolled out of view: the one visible mark is the answer.
    double d = -2;
    EXPECT_EQ(layer.nearest(QPointF(990, 10), QRect(500, 0, 500, 300), -1, &d), box);
    EXPECT_NEAR(d, std::hypot(990 - 699, 100 - 10), 1e-9);
    EXPECT_EQ(layer.nearest(QPointF(0, 0), QRect(0, 700, 10, 10), -1, &d), kNoObject);
    EXPECT_EQ(d, -1);
}

TEST_F(Nearest, TieGoesToTheEarlierObject) {
    const ObjectHandle twin = layer.add(Make(ObjectKind::Text, 120, 300, 48, 32));
    EXPECT_EQ(layer.nearest(QPointF(130, 310), visible), scoreText);
    layer.remove(scoreText);
    EXPECT_EQ(layer.nearest(QPointF(130, 310), visible), twin);
}
