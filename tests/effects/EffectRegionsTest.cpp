// The clip regions of the region effects: exact membership of rectangle unions and set
// operations (checked against QRegion), polygons with the winding rule, sectors, rounded
// rectangles, the bar, shred and speckle builders, and the draw through a region.
#include "effects/EffectPrimitives.h"
#include "effects/EffectRegions.h"

#include <QPainterPath>
#include <QRegion>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace {

struct Pt {
    int x, y;
};

// A region with points that must be in it and points that must not.
struct MembershipCase {
    const char *name;
    EffectRegion region;
    std::vector<Pt> inside, outside;
};

void expectMembership(const std::vector<MembershipCase> &cases)
{
    for (const MembershipCase &c : cases) {
        SCOPED_TRACE(c.name);
        for (const Pt &p : c.inside)
            EXPECT_TRUE(c.region.contains(p.x, p.y)) << p.x << "," << p.y;
        for (const Pt &p : c.outside)
            EXPECT_FALSE(c.region.contains(p.x, p.y)) << p.x << "," << p.y;
    }
}

// Every pixel of (0, 0, w, h) is in the region exactly when it is in the reference.
void expectSameMembership(const EffectRegion &region, const QRegion &reference, int w, int h)
{
    int mismatches = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (region.contains(x, y) != reference.contains(QPoint(x, y)) && ++mismatches <= 5)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") region " << region.contains(x, y);
    EXPECT_EQ(mismatches, 0);
}

QRegion toQRegion(const std::vector<QRect> &rects, const QRect &bounds)
{
    QRegion r;
    for (const QRect &q : rects)
        r += q;
    return r & bounds;
}

std::vector<QRect> randomRects(std::mt19937 &gen, int count, int w, int h)
{
    std::uniform_int_distribution<int> xs(-20, w + 20), ys(-20, h + 20), size(0, 40);
    std::vector<QRect> out;
    for (int i = 0; i < count; ++i)
        out.emplace_back(xs(gen), ys(gen), size(gen), size(gen));
    return out;
}

EffectRegion unionOf(const std::vector<QRect> &rects, const QRect &bounds)
{
    RectUnion u(bounds);
    for (const QRect &r : rects)
        u.add(r);
    return u.region();
}

// The rows of a region as (top, bottom, left, right) boxes, for exact comparisons.
std::vector<QRect> boxes(const EffectRegion &r)
{
    return r.rects();
}

} // namespace

TEST(EffectRegion, RectangleUnionsAndSetOperationsMatchQRegionExactly)
{
    std::mt19937 gen(7);
    const QRect bounds(0, 0, 160, 90);
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(round);
        const auto a = randomRects(gen, 3 + round * 4, 160, 90);
        const auto b = randomRects(gen, 5 + round * 3, 160, 90);
        const EffectRegion ra = unionOf(a, bounds);
        const EffectRegion rb = unionOf(b, bounds);
        const QRegion qa = toQRegion(a, bounds);
        const QRegion qb = toQRegion(b, bounds);
        expectSameMembership(ra, qa, 160, 90);
        expectSameMembership(ra.united(rb), qa | qb, 160, 90);
        expectSameMembership(ra.intersected(rb), qa & qb, 160, 90);
        expectSameMembership(ra.xored(rb), qa ^ qb, 160, 90);
        expectSameMembership(ra.subtracted(rb), qa - qb, 160, 90);
        EXPECT_TRUE((ra.toQRegion() ^ qa).isEmpty());
    }
}

TEST(EffectRegion, EmptyAndInvertedRectanglesAddNothing)
{
    RectUnion u(QRect(0, 0, 50, 50));
    u.add(10, 10, 10, 20); // zero width
    u.add(10, 20, 20, 10); // bottom above top
    u.add(60, 0, 80, 10);  // outside the bounds
    EXPECT_TRUE(u.region().isEmpty());
    EXPECT_TRUE(EffectRegion().united(EffectRegion()).isEmpty());
}

TEST(EffectRegion, TouchingBandsWithEqualSpansAreKeptAsOneBand)
{
    RectUnion u(QRect(0, 0, 100, 100));
    u.add(0, 0, 10, 5);
    u.add(0, 5, 10, 10);
    u.add(10, 0, 20, 10); // touches the first two on the right
    const EffectRegion r = u.region();
    ASSERT_EQ(r.bands().size(), 1u);
    EXPECT_EQ(boxes(r), (std::vector<QRect>{QRect(0, 0, 20, 10)}));
    EXPECT_EQ(r.area(), 200);
    EXPECT_EQ(r.boundingRect(), QRect(0, 0, 20, 10));
}

TEST(PolygonRegion, FillsWithTheWindingRule)
{
    // A pentagram: its centre has winding number 2, so it is inside under the winding rule
    // (and would be a hole under even-odd).
    std::vector<QPoint> star;
    for (int i = 0; i < 5; ++i) {
        const double a = -std::numbers::pi / 2 + i * 4 * std::numbers::pi / 5;
        star.emplace_back(100 + int(std::lround(80 * std::cos(a))), 100 + int(std::lround(80 * std::sin(a))));
    }
    const EffectRegion r = PolygonRegion(star, QRect(0, 0, 200, 200));
    EXPECT_TRUE(r.contains(100, 100));
    EXPECT_TRUE(r.contains(100, 30)); // in the top point
    EXPECT_FALSE(r.contains(5, 5));
    EXPECT_FALSE(r.contains(100, 190)); // between the two lower points

    // Away from the edges, membership equals Qt's winding fill.
    const QRegion reference(QPolygon(QList<QPoint>(star.begin(), star.end())), Qt::WindingFill);
    QPainterPath outline;
    outline.setFillRule(Qt::WindingFill);
    outline.addPolygon(QPolygonF(QPolygon(QList<QPoint>(star.begin(), star.end()))));
    outline.closeSubpath();
    for (int y = 0; y < 200; y += 3)
        for (int x = 0; x < 200; x += 3) {
            const QRectF near(x - 1.5, y - 1.5, 4, 4);
            if (outline.intersects(near) && !outline.contains(near))
                continue; // pixel coverage along the edges is free
            EXPECT_EQ(r.contains(x, y), reference.contains(QPoint(x, y))) << x << "," << y;
        }
}

TEST(PolygonRegion, TrianglesAndRectanglesMembership)
{
    const QRect bounds(0, 0, 100, 100);
    const QPoint square[4] = {{10, 10}, {30, 10}, {30, 20}, {10, 20}};
    const std::vector<MembershipCase> cases = {
        {"right angle top left", TriangleRegion(0, 0, 60, 0, 0, 40, bounds),
         {{1, 1}, {40, 5}, {5, 30}, {20, 15}},
         {{59, 38}, {40, 30}, {99, 99}}},
        {"corner points outside the bounds", TriangleRegion(150, 150, -50, 150, 150, -50, bounds),
         {{99, 99}, {60, 60}, {99, 10}},
         {{0, 0}, {40, 40}}},
        {"clockwise and anticlockwise alike", TriangleRegion(0, 40, 60, 0, 0, 0, bounds),
         {{1, 1}, {20, 15}},
         {{59, 38}}},
        {"degenerate", TriangleRegion(0, 0, 50, 50, 100, 100, bounds), {}, {{50, 50}, {25, 25}}},
        {"axis-aligned square takes exactly its pixels", PolygonRegion(square, 4, bounds),
         {{10, 10}, {29, 19}, {10, 19}},
         {{9, 10}, {30, 10}, {10, 20}, {10, 9}}},
    };
    expectMembership(cases);
    EXPECT_EQ(PolygonRegion(square, 4, bounds).area(), 200);
}

TEST(TriangleGridRegion, EqualsTheUnionOfItsTriangles)
{
    struct Case {
        int n, w, h, a, b;
    };
    // Separate triangles, triangles overlapping their neighbours in x, in y and in both,
    // grids squeezed to one column or row (w or h 0), flat and turned-over triangles.
    const Case cases[] = {{4, 50, 25, 10, 5},  {4, 50, 25, 25, 12}, {4, 50, 25, 40, 20}, {3, 30, 20, 7, 30},
                          {6, 20, 12, 30, 4},  {5, 0, 10, 6, 4},    {5, 12, 0, 6, 4},    {2, 40, 40, 0, 9},
                          {2, 40, 40, 9, 0},   {2, 40, 40, -6, -4}, {0, 10, 10, 3, 3},   {7, 23, 13, 22, 12}};
    const QRect bounds(0, 0, 160, 90);
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.n << " " << c.w << " " << c.h << " " << c.a << " " << c.b);
        ShapeUnion u(bounds);
        for (int row = 0; row <= c.n; ++row)
            for (int col = 0; col <= c.n; ++col) {
                const QPoint points[3] = {{col * c.w - c.a, row * c.h - c.b},
                                          {col * c.w + c.a, row * c.h - c.b},
                                          {col * c.w - c.a, row * c.h + c.b}};
                u.addPolygon(points, 3);
            }
        const EffectRegion expected = u.region();
        const EffectRegion grid = TriangleGridRegion(c.n, c.w, c.h, c.a, c.b, bounds);
        EXPECT_TRUE(grid == expected) << "areas " << grid.area() << " and " << expected.area();
    }
    EXPECT_TRUE(TriangleGridRegion(-1, 10, 10, 3, 3, bounds).isEmpty());
}

TEST(RectGridRegion, EqualsTheUnionOfItsRectangles)
{
    struct Case {
        int n, w, h, a, b;
    };
    // Separate cells, cells touching and overlapping their neighbours, grids squeezed to one
    // column or row, empty cells, a grid reaching past the bounds.
    const Case cases[] = {{4, 50, 25, 10, 5}, {4, 40, 20, 20, 10}, {3, 30, 20, 25, 16}, {5, 0, 10, 6, 4},
                          {5, 12, 0, 6, 4},   {2, 40, 40, 0, 9},   {0, 10, 10, 3, 3},  {9, 30, 20, 7, 3}};
    const QRect bounds(0, 0, 160, 90);
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.n << " " << c.w << " " << c.h << " " << c.a << " " << c.b);
        RectUnion u(bounds);
        for (int row = c.n; row >= 0; --row)
            for (int col = c.n; col >= 0; --col)
                u.add(col * c.w - c.a, row * c.h - c.b, col * c.w + c.a, row * c.h + c.b);
        EXPECT_TRUE(RectGridRegion(c.n, c.w, c.h, c.a, c.b, bounds) == u.region());
    }
}

TEST(SectorRegion, QuarterStopsOneStepShortOfItsEnd)
{
    // 25 points from 12 o'clock in steps of 3.6 degrees: the last lies at 86.4 degrees.
    const double pi = std::numbers::pi;
    const EffectRegion r = SectorRegion(100, 100, 90, -pi / 2, 0, 25, QRect(0, 0, 200, 200));
    auto at = [](double degrees, double radius) {
        const double a = (degrees - 90) * std::numbers::pi / 180;
        return QPoint(100 + int(std::lround(radius * std::cos(a))), 100 + int(std::lround(radius * std::sin(a))));
    };
    for (double deg : {2.0, 30.0, 45.0, 80.0}) {
        const QPoint p = at(deg, 60);
        EXPECT_TRUE(r.contains(p.x(), p.y())) << deg;
    }
    for (double deg : {89.0, 100.0, 180.0, 270.0, 358.0}) {
        const QPoint p = at(deg, 80);
        EXPECT_FALSE(r.contains(p.x(), p.y())) << deg;
    }
    EXPECT_FALSE(r.contains(150, 10)); // beyond the radius
    EXPECT_TRUE(SectorRegion(10, 10, 5, 0, 1, 0, QRect(0, 0, 20, 20)).isEmpty());
}

TEST(RoundRectRegion, CornersAreQuarterEllipses)
{
    const QRect bounds(0, 0, 300, 300);
    const std::vector<MembershipCase> cases = {
        // Corner ellipses 40 wide, 20 high: centres 20 in from the sides and 10 from top/bottom.
        {"plain corners", RoundRectRegion(0, 0, 100, 60, 40, 20, bounds),
         {{50, 0}, {0, 30}, {99, 30}, {50, 59}, {12, 4}, {20, 1}},
         {{0, 0}, {2, 1}, {99, 59}, {97, 58}, {100, 30}, {50, 60}}},
        // Ellipses larger than the rectangle are cut to it: a 100 x 60 ellipse.
        {"ellipse cut to the rectangle", RoundRectRegion(0, 0, 100, 60, 500, 500, bounds),
         {{50, 30}, {50, 1}, {1, 30}, {98, 30}},
         {{10, 5}, {90, 55}, {5, 50}}},
        {"zero ellipse is the rectangle", RoundRectRegion(10, 10, 20, 20, 0, 0, bounds),
         {{10, 10}, {19, 19}},
         {{9, 10}, {20, 20}}},
        {"corners given swapped", RoundRectRegion(100, 60, 0, 0, 40, 20, bounds),
         {{50, 30}, {0, 30}},
         {{0, 0}}},
        {"reaching past the bounds", RoundRectRegion(-200, -10, 150, 310, 400, 400, bounds),
         {{0, 0}, {0, 299}, {100, 150}, {149, 150}},
         {{150, 150}, {149, 0}, {149, 299}}},
    };
    expectMembership(cases);
    EXPECT_TRUE(RoundRectRegion(10, 10, 10, 50, 4, 4, bounds).isEmpty());
}

TEST(BarsRegion, RowsAndColumnsInBothPhases)
{
    struct Case {
        const char *name;
        int lr, lc, w, h, snap, rowMode, colMode;
        std::vector<QRect> expected; // as (x, y, width, height), in band order
    };
    const std::vector<Case> cases = {
        {"first phase from the right", 40, 0, 100, 20, 4, 1, 0,
         {QRect(60, 0, 40, 5), QRect(60, 10, 40, 5)}},
        {"closer to the far edge than snap completes the bar", 98, 0, 100, 20, 4, 1, 0,
         {QRect(0, 0, 100, 5), QRect(0, 10, 100, 5)}},
        {"not within snap stays short", 95, 0, 100, 20, 4, 1, 0,
         {QRect(5, 0, 95, 5), QRect(5, 10, 95, 5)}},
        {"second phase fills the gaps from the right", 150, 0, 100, 20, 4, 1, 0,
         {QRect(0, 0, 100, 5), QRect(50, 5, 50, 5), QRect(0, 10, 100, 5), QRect(50, 15, 50, 5)}},
        {"mode 2 from the left", 40, 0, 100, 20, 4, 2, 0,
         {QRect(0, 0, 40, 5), QRect(0, 10, 40, 5)}},
        {"mode 4 left first, right second", 150, 0, 100, 20, 4, 4, 0,
         {QRect(0, 0, 100, 5), QRect(50, 5, 50, 5), QRect(0, 10, 100, 5), QRect(50, 15, 50, 5)}},
        {"mode 5 right first, left second", 150, 0, 100, 20, 4, 5, 0,
         {QRect(0, 0, 100, 5), QRect(0, 5, 50, 5), QRect(0, 10, 100, 5), QRect(0, 15, 50, 5)}},
        {"mode 3 alternates ends", 30, 0, 100, 20, 0, 3, 0,
         {QRect(70, 0, 30, 5), QRect(0, 5, 30, 5), QRect(70, 10, 30, 5), QRect(0, 15, 30, 5)}},
        {"mode 3 has no second phase", 150, 0, 100, 20, 0, 3, 0, {QRect(0, 0, 100, 5), QRect(0, 10, 100, 5)}},
        {"columns from the bottom", 0, 8, 20, 30, 2, 0, 1,
         {QRect(0, 22, 5, 8), QRect(10, 22, 5, 8)}},
        {"columns, mode 3", 0, 6, 20, 30, 0, 0, 3,
         {QRect(5, 0, 5, 6), QRect(15, 0, 5, 6), QRect(0, 24, 5, 6), QRect(10, 24, 5, 6)}},
        {"columns second phase from the top", 0, 45, 20, 30, 2, 0, 2,
         {QRect(0, 0, 20, 15), QRect(0, 15, 5, 15), QRect(10, 15, 5, 15)}},
        {"rows and columns together", 10, 10, 20, 20, 0, 2, 2,
         {QRect(0, 0, 15, 5), QRect(0, 5, 5, 5), QRect(10, 5, 5, 5), QRect(0, 10, 10, 5)}},
        {"mode 0 adds nothing", 50, 50, 100, 20, 4, 0, 0, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const EffectRegion r = BarsRegion(c.lr, c.lc, c.w, c.h, c.snap, c.rowMode, c.colMode);
        QRegion expected;
        for (const QRect &q : c.expected)
            expected += q;
        expectSameMembership(r, expected, c.w, c.h);
    }
}

TEST(ShredRegion, RaggedEdgesMoveEveryCallAndStayWithinTheirRange)
{
    RandSeed = 12345;
    const int w = 700, h = 100, lr = 300;
    const int j = w / 7;
    const EffectRegion a = ShredRegion(lr, 0, w, h, 1, 0);
    const EffectRegion b = ShredRegion(lr, 0, w, h, 1, 0);
    EXPECT_FALSE(a == b);
    for (int y = 0; y < h; ++y) {
        // The solid part well inside the band is always there; nothing reaches beyond the
        // largest ragged offset.
        EXPECT_TRUE(a.contains(w - lr + j, y)) << y;
        EXPECT_TRUE(a.contains(w - 1, y)) << y;
        EXPECT_FALSE(a.contains(w - lr - j, y)) << y;
    }
    // The last band reaches the bottom even when H is not a multiple of 5.
    const EffectRegion odd = ShredRegion(lr, 0, w, 103, 1, 0);
    EXPECT_TRUE(odd.contains(w - 1, 102));
}

TEST(ShredRegion, StraightEdgesWhenTheLengthCoversTheSide)
{
    // J is 0 once the length reaches the side: Random(0) is 0, so every edge is straight.
    struct Case {
        int lr, lc, rowMode, colMode;
        std::vector<QRect> expected;
    };
    const int w = 60, h = 40;
    const std::vector<Case> cases = {
        {60, 0, 1, 0, {QRect(0, 0, 60, 40)}},
        {70, 0, 2, 0, {QRect(0, 0, 60, 40)}},
        {0, 40, 0, 1, {QRect(0, 0, 60, 40)}},
        {60, 0, 3, 0, {QRect(0, 0, 60, 40)}},
        {100, 0, 4, 0, {QRect(0, 0, 50, 40), QRect(10, 0, 50, 40)}},
        {0, 50, 0, 3, {QRect(0, 0, 60, 40)}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.lr << " " << c.lc << " " << c.rowMode << " " << c.colMode);
        QRegion expected;
        for (const QRect &q : c.expected)
            expected += q;
        expectSameMembership(ShredRegion(c.lr, c.lc, w, h, c.rowMode, c.colMode), expected, w, h);
    }
}

TEST(SpeckleRegion, SolidPartAndRandomFringe)
{
    // W 800, Lr 400: fringe 80 pixels, cells of 4, 20 cells, near zone 15, rows every 2.
    RandSeed = 99;
    const int w = 800, h = 400;
    const EffectRegion r = SpeckleRegion(400, 0, w, h, 1, 0);
    int fringeCovered = 0, fringeTotal = 0;
    for (int y = 0; y < h; ++y) {
        EXPECT_TRUE(r.contains(400, y));
        EXPECT_TRUE(r.contains(799, y));
        EXPECT_TRUE(r.contains(396, y)) << y; // the cell next to the edge is always there
        EXPECT_FALSE(r.contains(319, y)) << y; // nothing beyond the fringe
        for (int x = 320; x < 396; ++x) {
            fringeCovered += r.contains(x, y);
            ++fringeTotal;
        }
    }
    EXPECT_GT(fringeCovered, fringeTotal / 20);
    EXPECT_LT(fringeCovered, fringeTotal / 2);
    // A cell i steps out is drawn with Random(i) <= 1 in the near zone: cell 2 always.
    for (int y = 0; y < h; ++y)
        EXPECT_TRUE(r.contains(392, y)) << y;

    // Cell 15 is the last of the near zone (present with probability 2/15), cell 16 the
    // first beyond it (1/16): over many rows the first is covered about twice as often.
    const EffectRegion tall = SpeckleRegion(400, 0, w, 4000, 1, 0);
    int near = 0, far = 0;
    for (int y = 0; y < 4000; ++y) {
        near += tall.contains(400 - 4 * 15 + 1, y);
        far += tall.contains(400 - 4 * 16 + 1, y);
    }
    EXPECT_GT(near, far * 3 / 2) << near << " " << far;
    EXPECT_GT(far, 4000 / 25);

    // Each cell row draws one number per cell: 200 rows of 20 draws.
    RandSeed = 5;
    SpeckleRegion(400, 0, w, h, 1, 0);
    const uint32_t after = RandSeed;
    RandSeed = 5;
    for (int i = 0; i < 200 * 20; ++i)
        Random(1);
    EXPECT_EQ(after, uint32_t(RandSeed));
}

TEST(SpeckleRegion, FromTheLeftTopAndBottomAndWithoutFringe)
{
    RandSeed = 3;
    const EffectRegion left = SpeckleRegion(300, 0, 800, 60, 2, 0);
    const EffectRegion top = SpeckleRegion(0, 30, 60, 400, 0, 2);
    const EffectRegion bottom = SpeckleRegion(0, 30, 60, 400, 0, 1);
    for (int t = 0; t < 60; ++t) {
        EXPECT_TRUE(left.contains(299, t));
        EXPECT_TRUE(left.contains(303, t)); // first cell beyond the edge
        EXPECT_FALSE(left.contains(380, t));
        EXPECT_TRUE(top.contains(t, 29));
        EXPECT_TRUE(top.contains(t, 31));
        EXPECT_FALSE(top.contains(t, 70));
        EXPECT_TRUE(bottom.contains(t, 370));
        EXPECT_TRUE(bottom.contains(t, 368));
        EXPECT_FALSE(bottom.contains(t, 329));
    }
    // Length reaching the side: no fringe, cells of 2, only the solid part.
    QRegion whole(0, 0, 50, 20);
    expectSameMembership(SpeckleRegion(50, 0, 50, 20, 1, 0), whole, 50, 20);
    EXPECT_TRUE(SpeckleRegion(30, 30, 50, 20, 0, 0).isEmpty());
}

TEST(ClipAndDraw, CopiesExactlyThePixelsOfTheRegion)
{
    const int w = 37, h = 23;
    QImage picture(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            picture.setPixel(x, y, qRgb(x * 5, y * 9, 200));
    const QImage old = [&] {
        QImage i(w, h, QImage::Format_RGB32);
        i.fill(qRgb(1, 2, 3));
        return i;
    }();

    RectUnion u(QRect(0, 0, w, h));
    u.add(3, 2, 30, 4);
    u.add(0, 10, 2, 23);
    u.add(20, 5, 37, 23);
    u.add(5, 6, 6, 7); // a single pixel
    // A comb of one-pixel teeth two apart, the kind of band drawn with a mask; its last
    // teeth fall on the row's tail beyond a multiple of four pixels.
    for (int x = 1; x < 32; x += 3)
        u.add(x, 0, x + 1, 2);
    const EffectRegion region = u.region();

    struct Case {
        const char *name;
        QImage::Format pictureFormat;
    };
    for (const Case c : {Case{"32-bit picture", QImage::Format_RGB32},
                         Case{"other picture format", QImage::Format_RGB888}}) {
        SCOPED_TRACE(c.name);
        QImage screen = old;
        ClipAndDraw(screen, picture.convertToFormat(c.pictureFormat), region);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(screen.pixel(x, y), region.contains(x, y) ? picture.pixel(x, y) : old.pixel(x, y))
                    << x << "," << y;
    }

    QImage screen = old;
    ClipAndDraw(screen, picture, EffectRegion());
    EXPECT_EQ(screen, old);

    // A picture smaller than the screen is drawn only where it has pixels.
    QImage small = picture.copy(0, 0, 10, 10);
    screen = old;
    RectUnion all(QRect(0, 0, w, h));
    all.add(0, 0, w, h);
    ClipAndDraw(screen, small, all.region());
    EXPECT_EQ(screen.pixel(9, 9), picture.pixel(9, 9));
    EXPECT_EQ(screen.pixel(10, 9), old.pixel(10, 9));
}
