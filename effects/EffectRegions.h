#pragma once
// Clip regions of the region effects and the draw through them.
//
// A region is kept the way it is drawn: horizontal bands (runs of rows that share the
// same spans), each with its sorted, disjoint, non-touching spans [left, right). Drawing
// through a region copies those spans row by row straight from the picture into the
// screen, so a region of a few thousand rectangles costs about as much as the pixels it
// covers. Every builder cuts its shapes to a bounds rectangle (the screen), exactly as the
// clip would; membership inside the bounds is exact for rectangles, and polygons and
// rounded rectangles take the pixels whose centres lie inside (winding rule).
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>

#include <cstdint>
#include <vector>

struct RegionSpan {
    int left;
    int right; // exclusive
    bool operator==(const RegionSpan &) const = default;
};

struct RegionBand {
    int top;
    int bottom; // exclusive
    int first;  // index of the band's first span
    int count;  // number of spans, at least 1
};

class EffectRegion {
public:
    EffectRegion() = default;

    bool isEmpty() const { return bands_.empty(); }
    bool contains(int x, int y) const;
    // Number of pixels in the region.
    std::int64_t area() const;
    // Smallest rectangle holding the region (empty for an empty region).
    QRect boundingRect() const;

    const std::vector<RegionBand> &bands() const { return bands_; }
    const std::vector<RegionSpan> &spans() const { return spans_; }

    // One rectangle per band and span; they do not overlap.
    std::vector<QRect> rects() const;
    QRegion toQRegion() const;

    EffectRegion united(const EffectRegion &other) const;
    EffectRegion intersected(const EffectRegion &other) const;
    EffectRegion xored(const EffectRegion &other) const;
    EffectRegion subtracted(const EffectRegion &other) const;

    bool operator==(const EffectRegion &other) const;

private:
    friend class RegionWriter;
    std::vector<RegionBand> bands_;
    std::vector<RegionSpan> spans_;
};

// Appends bands from top to bottom; merges a band into the one above it when they touch
// and have the same spans. Spans given to addBand must be sorted, disjoint and must not
// touch; an empty list adds nothing.
class RegionWriter {
public:
    void addBand(int top, int bottom, const RegionSpan *spans, int count);
    EffectRegion take();

private:
    EffectRegion region_;
};

// Union of rectangles (left, top, right, bottom; right and bottom exclusive). Rectangles
// with right <= left or bottom <= top add nothing; the rest are cut to the bounds.
class RectUnion {
public:
    explicit RectUnion(const QRect &bounds);
    void add(int left, int top, int right, int bottom);
    void add(const QRect &r) { add(r.left(), r.top(), r.left() + r.width(), r.top() + r.height()); }
    bool isEmpty() const { return rects_.empty(); }
    EffectRegion region() const;

private:
    struct Box {
        int left, top, right, bottom;
    };
    int bl_, bt_, br_, bb_;
    std::vector<Box> rects_;
};

// Union of shapes given row by row: polygons (each filled on its own with the winding
// rule), rounded rectangles and plain rectangles, cut to the bounds.
class ShapeUnion {
public:
    explicit ShapeUnion(const QRect &bounds);
    void addPolygon(const QPoint *points, int count);
    void addPolygon(const std::vector<QPoint> &points) { addPolygon(points.data(), int(points.size())); }
    void addRoundRect(int x1, int y1, int x2, int y2, int ellipseWidth, int ellipseHeight);
    void addRect(int left, int top, int right, int bottom);
    EffectRegion region() const;

private:
    struct RowSpan {
        int y, left, right;
    };
    void addSpan(int y, double left, double right);
    int bl_, bt_, br_, bb_;
    std::vector<RowSpan> spans_;
};

// Region of one polygon, winding fill.
EffectRegion PolygonRegion(const QPoint *points, int count, const QRect &bounds);
inline EffectRegion PolygonRegion(const std::vector<QPoint> &points, const QRect &bounds)
{
    return PolygonRegion(points.data(), int(points.size()), bounds);
}

// The triangle (X1, Y1), (X2, Y2), (X3, Y3), winding fill.
EffectRegion TriangleRegion(int x1, int y1, int x2, int y2, int x3, int y3, const QRect &bounds);

// The union, for c and d from 0 to n, of the right triangles (d w - a, c h - b),
// (d w + a, c h - b), (d w - a, c h + b): a grid of triangles whose right angles point to
// the top left. Built row by row from the fact that all triangles of the grid share their
// left edges and their slope, so a row needs only the longest run that any of them has.
EffectRegion TriangleGridRegion(int n, int w, int h, int a, int b, const QRect &bounds);

// The union, for c and d from 0 to n, of the rectangles (d w - a, c h - b, d w + a, c h + b).
EffectRegion RectGridRegion(int n, int w, int h, int a, int b, const QRect &bounds);

// The polygon of the centre (cx, cy) and count points on the circle of radius r, the i-th
// (i = 1..count) at angle start + (i - 1) * (end - start) / count; the last point lies one
// angular step short of end. count <= 0 gives an empty region.
EffectRegion SectorRegion(int cx, int cy, int r, double startAngle, double endAngle, int count,
                          const QRect &bounds);

// The rectangle (x1, y1, x2, y2) with its corners rounded by quarter ellipses ellipseWidth
// wide and ellipseHeight high (each cut to the rectangle's own width and height). A
// rectangle given with its corners swapped is taken in order.
EffectRegion RoundRectRegion(int x1, int y1, int x2, int y2, int ellipseWidth, int ellipseHeight,
                             const QRect &bounds);

// Bars 5 pixels thick on a 10-pixel pitch growing over (0, 0, W, H): rows of length lr in
// rowMode 0..5, then columns of length lc in colMode 0..5 (0 adds none). snap completes a
// bar that is closer to the far edge than snap.
EffectRegion BarsRegion(int lr, int lc, int w, int h, int snap, int rowMode, int colMode);

// Ragged bands every 5 pixels, their ends moved by numbers drawn from the shared generator.
// rowMode/colMode: 0 none, 1 from the right (bottom), 2 from the left (top), 3 out from the
// centre line, 4 in from both sides.
EffectRegion ShredRegion(int lr, int lc, int w, int h, int rowMode, int colMode);

// A solid part of length lr (lc) and, beyond its edge, a fringe of square cells present at
// random (shared generator). rowMode/colMode: 0 none, 1 from the right (bottom), 2 from the
// left (top).
EffectRegion SpeckleRegion(int lr, int lc, int w, int h, int rowMode, int colMode);

// Draws Picture at (0, 0) onto Screen through the region; pixels outside it keep what
// Screen held. An empty region draws nothing.
void ClipAndDraw(QImage &screen, const QImage &picture, const EffectRegion &region);
