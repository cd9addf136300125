#include "effects/EffectRegions.h"

#include "effects/EffectPrimitives.h"

#include <QPainter>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

constexpr int kFar = INT_MAX;

// Pixel columns whose centres lie in [left, right): from ceil(left - 0.5) to
// ceil(right - 0.5), exclusive.
inline int pixelEdge(double x)
{
    const double v = std::ceil(x - 0.5);
    if (v < double(INT_MIN / 2))
        return INT_MIN / 2;
    if (v > double(INT_MAX / 2))
        return INT_MAX / 2;
    return int(v);
}

// Integer division rounding toward minus infinity (b > 0).
inline int floorDiv(int a, int b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// The union of the intervals [k * pitch - half, k * pitch + half) for k = 0..n, cut to
// [lo, hi), as sorted disjoint spans.
// Appends [left, right) to spans kept in left order, joining it to the last span when they
// touch or overlap.
inline void appendSpan(std::vector<RegionSpan> &spans, int left, int right)
{
    if (!spans.empty() && left <= spans.back().right)
        spans.back().right = std::max(spans.back().right, right);
    else
        spans.push_back({left, right});
}

std::vector<RegionSpan> periodicSpans(int n, int pitch, int half, int lo, int hi)
{
    std::vector<RegionSpan> out;
    for (int k = 0; k <= n; ++k) {
        const int l = std::max(k * pitch - half, lo);
        const int r = std::min(k * pitch + half, hi);
        if (l >= r)
            continue;
        appendSpan(out, l, r);
        if (pitch == 0)
            break;
    }
    return out;
}

// Combines two span lists (sorted, disjoint, not touching) under a set operation.
template <typename Op>
void combineSpans(const RegionSpan *a, int na, const RegionSpan *b, int nb, Op op,
                  std::vector<RegionSpan> &out)
{
    out.clear();
    int i = 0, j = 0;
    bool inA = false, inB = false;
    int start = 0;
    for (;;) {
        const int xa = i < na ? (inA ? a[i].right : a[i].left) : kFar;
        const int xb = j < nb ? (inB ? b[j].right : b[j].left) : kFar;
        const int x = std::min(xa, xb);
        if (x == kFar)
            break;
        const bool before = op(inA, inB);
        if (xa == x) {
            if (inA)
                ++i;
            inA = !inA;
        }
        if (xb == x) {
            if (inB)
                ++j;
            inB = !inB;
        }
        const bool after = op(inA, inB);
        if (!before && after) {
            start = x;
        } else if (before && !after) {
            if (!out.empty() && out.back().right == start)
                out.back().right = x;
            else
                out.push_back({start, x});
        }
    }
}

template <typename Op>
EffectRegion combineRegions(const EffectRegion &a, const EffectRegion &b, Op op)
{
    RegionWriter writer;
    const auto &ab = a.bands();
    const auto &bb = b.bands();
    const RegionSpan *as = a.spans().data();
    const RegionSpan *bs = b.spans().data();
    std::vector<RegionSpan> merged;
    std::size_t ia = 0, ib = 0;
    int y = INT_MIN;
    while (ia < ab.size() || ib < bb.size()) {
        const RegionBand *ba = ia < ab.size() ? &ab[ia] : nullptr;
        const RegionBand *bbp = ib < bb.size() ? &bb[ib] : nullptr;
        const int aTop = ba ? ba->top : kFar;
        const int bTop = bbp ? bbp->top : kFar;
        int start = y;
        if (start < aTop && start < bTop)
            start = std::min(aTop, bTop);
        const bool inA = ba && ba->top <= start;
        const bool inB = bbp && bbp->top <= start;
        int end = kFar;
        if (ba)
            end = std::min(end, inA ? ba->bottom : ba->top);
        if (bbp)
            end = std::min(end, inB ? bbp->bottom : bbp->top);
        combineSpans(inA ? as + ba->first : nullptr, inA ? ba->count : 0,
                     inB ? bs + bbp->first : nullptr, inB ? bbp->count : 0, op, merged);
        writer.addBand(start, end, merged.data(), int(merged.size()));
        y = end;
        if (ba && ba->bottom <= y)
            ++ia;
        if (bbp && bbp->bottom <= y)
            ++ib;
    }
    return writer.take();
}

// Merges spans sorted by left into disjoint, non-touching spans.
void mergeSorted(std::vector<RegionSpan> &spans)
{
    if (spans.empty())
        return;
    std::size_t out = 0;
    for (std::size_t i = 1; i < spans.size(); ++i) {
        if (spans[i].left <= spans[out].right) {
            spans[out].right = std::max(spans[out].right, spans[i].right);
        } else {
            spans[++out] = spans[i];
        }
    }
    spans.resize(out + 1);
}

struct Edge {
    double x0, y0, x1, y1; // y0 < y1
    int top, bottom;       // pixel rows [top, bottom) whose centres the edge crosses
    int dir;
};

struct Crossing {
    double x;
    int dir;
};

// Calls sink(y, left, right) for every row of the polygon within [rowFrom, rowTo), with the
// real-valued ends of each inside run (winding number not zero).
template <typename Sink>
void rasterizePolygon(const QPoint *points, int count, int rowFrom, int rowTo, Sink sink)
{
    if (count < 3 || rowFrom >= rowTo)
        return;
    std::vector<Edge> edges;
    edges.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QPoint p = points[i];
        const QPoint q = points[(i + 1) % count];
        if (p.y() == q.y())
            continue;
        Edge e;
        if (p.y() < q.y()) {
            e = {double(p.x()), double(p.y()), double(q.x()), double(q.y()), 0, 0, 1};
        } else {
            e = {double(q.x()), double(q.y()), double(p.x()), double(p.y()), 0, 0, -1};
        }
        // Row y is crossed when y0 <= y + 0.5 < y1; with integer ends: y0 <= y < y1.
        e.top = std::max(int(e.y0), rowFrom);
        e.bottom = std::min(int(e.y1), rowTo);
        if (e.top < e.bottom)
            edges.push_back(e);
    }
    if (edges.empty())
        return;
    std::sort(edges.begin(), edges.end(), [](const Edge &a, const Edge &b) { return a.top < b.top; });
    const int first = edges.front().top;
    int last = first;
    for (const Edge &e : edges)
        last = std::max(last, e.bottom);

    std::vector<const Edge *> active;
    std::vector<Crossing> crossings;
    std::size_t next = 0;
    for (int y = first; y < last; ++y) {
        active.erase(std::remove_if(active.begin(), active.end(),
                                    [y](const Edge *e) { return e->bottom <= y; }),
                     active.end());
        while (next < edges.size() && edges[next].top <= y)
            active.push_back(&edges[next++]);
        if (active.empty())
            continue;
        const double yc = y + 0.5;
        crossings.clear();
        for (const Edge *e : active) {
            const double x = e->x0 + (yc - e->y0) * (e->x1 - e->x0) / (e->y1 - e->y0);
            crossings.push_back({x, e->dir});
        }
        std::sort(crossings.begin(), crossings.end(),
                  [](const Crossing &a, const Crossing &b) { return a.x < b.x; });
        int winding = 0;
        double start = 0;
        for (const Crossing &c : crossings) {
            const int before = winding;
            winding += c.dir;
            if (before == 0 && winding != 0)
                start = c.x;
            else if (before != 0 && winding == 0)
                sink(y, start, c.x);
        }
    }
}

// Row extents of a rounded rectangle; calls sink(y, left, right) for the rows in
// [rowFrom, rowTo).
template <typename Sink>
void rasterizeRoundRect(int x1, int y1, int x2, int y2, int ew, int eh, int rowFrom, int rowTo,
                        Sink sink)
{
    if (x2 < x1)
        std::swap(x1, x2);
    if (y2 < y1)
        std::swap(y1, y2);
    if (x1 == x2 || y1 == y2)
        return;
    const double w = double(x2) - x1;
    const double h = double(y2) - y1;
    const double rx = std::clamp(double(std::abs(ew)), 0.0, w) / 2;
    const double ry = std::clamp(double(std::abs(eh)), 0.0, h) / 2;
    const int from = std::max(y1, rowFrom);
    const int to = std::min(y2, rowTo);
    for (int y = from; y < to; ++y) {
        double dx = 0;
        if (rx > 0 && ry > 0) {
            const double yc = y + 0.5;
            double dy = 0;
            if (yc < y1 + ry)
                dy = (y1 + ry - yc) / ry;
            else if (yc > y2 - ry)
                dy = (yc - (y2 - ry)) / ry;
            if (dy > 0)
                dx = rx * (1 - std::sqrt(std::max(0.0, 1 - dy * dy)));
        }
        sink(y, x1 + dx, x2 - dx);
    }
}

} // namespace

// ---------------------------------------------------------------------------------------
// EffectRegion

bool EffectRegion::contains(int x, int y) const
{
    auto it = std::upper_bound(bands_.begin(), bands_.end(), y,
                               [](int v, const RegionBand &b) { return v < b.bottom; });
    if (it == bands_.end() || it->top > y)
        return false;
    const RegionSpan *first = spans_.data() + it->first;
    const RegionSpan *last = first + it->count;
    auto s = std::upper_bound(first, last, x, [](int v, const RegionSpan &sp) { return v < sp.right; });
    return s != last && s->left <= x;
}

std::int64_t EffectRegion::area() const
{
    std::int64_t total = 0;
    for (const RegionBand &b : bands_) {
        std::int64_t row = 0;
        for (int i = 0; i < b.count; ++i)
            row += spans_[b.first + i].right - spans_[b.first + i].left;
        total += row * (b.bottom - b.top);
    }
    return total;
}

QRect EffectRegion::boundingRect() const
{
    if (bands_.empty())
        return {};
    int left = INT_MAX, right = INT_MIN;
    for (const RegionBand &b : bands_) {
        left = std::min(left, spans_[b.first].left);
        right = std::max(right, spans_[b.first + b.count - 1].right);
    }
    return QRect(QPoint(left, bands_.front().top), QPoint(right - 1, bands_.back().bottom - 1));
}

std::vector<QRect> EffectRegion::rects() const
{
    std::vector<QRect> out;
    out.reserve(spans_.size());
    for (const RegionBand &b : bands_)
        for (int i = 0; i < b.count; ++i) {
            const RegionSpan &s = spans_[b.first + i];
            out.emplace_back(s.left, b.top, s.right - s.left, b.bottom - b.top);
        }
    return out;
}

QRegion EffectRegion::toQRegion() const
{
    const std::vector<QRect> r = rects();
    QRegion region;
    region.setRects(r.data(), int(r.size()));
    return region;
}

EffectRegion EffectRegion::united(const EffectRegion &other) const
{
    return combineRegions(*this, other, [](bool a, bool b) { return a || b; });
}

EffectRegion EffectRegion::intersected(const EffectRegion &other) const
{
    return combineRegions(*this, other, [](bool a, bool b) { return a && b; });
}

EffectRegion EffectRegion::xored(const EffectRegion &other) const
{
    return combineRegions(*this, other, [](bool a, bool b) { return a != b; });
}

EffectRegion EffectRegion::subtracted(const EffectRegion &other) const
{
    return combineRegions(*this, other, [](bool a, bool b) { return a && !b; });
}

bool EffectRegion::operator==(const EffectRegion &other) const
{
    if (bands_.size() != other.bands_.size())
        return false;
    for (std::size_t i = 0; i < bands_.size(); ++i) {
        const RegionBand &a = bands_[i];
        const RegionBand &b = other.bands_[i];
        if (a.top != b.top || a.bottom != b.bottom || a.count != b.count)
            return false;
        if (!std::equal(spans_.begin() + a.first, spans_.begin() + a.first + a.count,
                        other.spans_.begin() + b.first))
            return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------
// RegionWriter

void RegionWriter::addBand(int top, int bottom, const RegionSpan *spans, int count)
{
    if (count <= 0 || bottom <= top)
        return;
    auto &bands = region_.bands_;
    auto &all = region_.spans_;
    if (!bands.empty()) {
        RegionBand &last = bands.back();
        if (last.bottom == top && last.count == count
            && std::equal(spans, spans + count, all.begin() + last.first)) {
            last.bottom = bottom;
            return;
        }
    }
    bands.push_back({top, bottom, int(all.size()), count});
    all.insert(all.end(), spans, spans + count);
}

EffectRegion RegionWriter::take()
{
    EffectRegion out = std::move(region_);
    region_ = EffectRegion();
    return out;
}

// ---------------------------------------------------------------------------------------
// RectUnion

RectUnion::RectUnion(const QRect &bounds)
    : bl_(bounds.left()), bt_(bounds.top()), br_(bounds.left() + bounds.width()),
      bb_(bounds.top() + bounds.height())
{
}

void RectUnion::add(int left, int top, int right, int bottom)
{
    left = std::max(left, bl_);
    top = std::max(top, bt_);
    right = std::min(right, br_);
    bottom = std::min(bottom, bb_);
    if (right <= left || bottom <= top)
        return;
    rects_.push_back({left, top, right, bottom});
}

EffectRegion RectUnion::region() const
{
    RegionWriter writer;
    if (rects_.empty())
        return writer.take();

    // Band edges: every distinct top and bottom, found by marking rows of the bounds.
    const int rows = bb_ - bt_;
    std::vector<unsigned char> isEdge(std::size_t(rows) + 1, 0);
    std::vector<int> perTop(std::size_t(rows) + 1, 0);
    for (const Box &r : rects_) {
        isEdge[std::size_t(r.top - bt_)] = 1;
        isEdge[std::size_t(r.bottom - bt_)] = 1;
        ++perTop[std::size_t(r.top - bt_)];
    }
    std::vector<int> edges;
    for (int i = 0; i <= rows; ++i)
        if (isEdge[std::size_t(i)])
            edges.push_back(bt_ + i);

    // Rectangles in the order they enter the sweep: by top (a stable counting sort keeps
    // the order they were added in, which is mostly left to right already), then by left.
    int sum = 0;
    for (int &c : perTop) {
        const int n = c;
        c = sum;
        sum += n;
    }
    std::vector<Box> byTop(rects_.size());
    {
        std::vector<int> fill(perTop);
        for (const Box &r : rects_)
            byTop[std::size_t(fill[std::size_t(r.top - bt_)]++)] = r;
    }
    const auto byLeft = [](const Box &a, const Box &b) { return a.left < b.left; };
    for (int i = 0; i < rows; ++i) {
        const auto from = byTop.begin() + perTop[std::size_t(i)];
        const auto to = byTop.begin() + perTop[std::size_t(i) + 1];
        if (to - from > 1 && !std::is_sorted(from, to, byLeft))
            std::sort(from, to, byLeft);
    }

    // The rectangles that cover the current band, kept sorted by their left edge. The
    // rectangles entering at a band edge arrive sorted and are merged in one pass.
    std::vector<Box> active, merged;
    std::vector<RegionSpan> spans;
    std::size_t next = 0;
    for (std::size_t k = 0; k + 1 < edges.size(); ++k) {
        const int top = edges[k];
        const int bottom = edges[k + 1];
        active.erase(std::remove_if(active.begin(), active.end(),
                                    [top](const Box &r) { return r.bottom <= top; }),
                     active.end());
        const std::size_t from = next;
        while (next < byTop.size() && byTop[next].top <= top)
            ++next;
        if (next > from) {
            merged.resize(active.size() + (next - from));
            std::merge(active.begin(), active.end(), byTop.begin() + std::ptrdiff_t(from),
                       byTop.begin() + std::ptrdiff_t(next), merged.begin(), byLeft);
            active.swap(merged);
        }
        if (active.empty())
            continue;
        spans.clear();
        for (const Box &r : active)
            appendSpan(spans, r.left, r.right);
        writer.addBand(top, bottom, spans.data(), int(spans.size()));
    }
    return writer.take();
}

// ---------------------------------------------------------------------------------------
// ShapeUnion

ShapeUnion::ShapeUnion(const QRect &bounds)
    : bl_(bounds.left()), bt_(bounds.top()), br_(bounds.left() + bounds.width()),
      bb_(bounds.top() + bounds.height())
{
}

void ShapeUnion::addSpan(int y, double left, double right)
{
    const int l = std::max(pixelEdge(left), bl_);
    const int r = std::min(pixelEdge(right), br_);
    if (l < r)
        spans_.push_back({y, l, r});
}

void ShapeUnion::addPolygon(const QPoint *points, int count)
{
    rasterizePolygon(points, count, bt_, bb_,
                     [this](int y, double l, double r) { addSpan(y, l, r); });
}

void ShapeUnion::addRoundRect(int x1, int y1, int x2, int y2, int ellipseWidth, int ellipseHeight)
{
    rasterizeRoundRect(x1, y1, x2, y2, ellipseWidth, ellipseHeight, bt_, bb_,
                       [this](int y, double l, double r) { addSpan(y, l, r); });
}

void ShapeUnion::addRect(int left, int top, int right, int bottom)
{
    left = std::max(left, bl_);
    right = std::min(right, br_);
    if (right <= left)
        return;
    for (int y = std::max(top, bt_); y < std::min(bottom, bb_); ++y)
        spans_.push_back({y, left, right});
}

EffectRegion ShapeUnion::region() const
{
    RegionWriter writer;
    if (spans_.empty())
        return writer.take();
    // Bucket the spans by row (counting sort), then sort and merge each row.
    const int rows = bb_ - bt_;
    std::vector<int> start(std::size_t(rows) + 1, 0);
    for (const RowSpan &s : spans_)
        ++start[std::size_t(s.y - bt_) + 1];
    for (int i = 0; i < rows; ++i)
        start[i + 1] += start[i];
    std::vector<RegionSpan> sorted(spans_.size());
    {
        std::vector<int> fill(start.begin(), start.end() - 1);
        for (const RowSpan &s : spans_)
            sorted[fill[s.y - bt_]++] = {s.left, s.right};
    }
    std::vector<RegionSpan> row;
    for (int i = 0; i < rows; ++i) {
        if (start[i] == start[i + 1])
            continue;
        row.assign(sorted.begin() + start[i], sorted.begin() + start[i + 1]);
        if (row.size() > 1) {
            const auto byLeft = [](const RegionSpan &a, const RegionSpan &b) { return a.left < b.left; };
            if (!std::is_sorted(row.begin(), row.end(), byLeft))
                std::sort(row.begin(), row.end(), byLeft);
            mergeSorted(row);
        }
        writer.addBand(bt_ + i, bt_ + i + 1, row.data(), int(row.size()));
    }
    return writer.take();
}

// ---------------------------------------------------------------------------------------
// Shapes

EffectRegion PolygonRegion(const QPoint *points, int count, const QRect &bounds)
{
    // One polygon yields sorted, disjoint runs per row; only touching runs need joining.
    RegionWriter writer;
    const int bl = bounds.left();
    const int br = bounds.left() + bounds.width();
    std::vector<RegionSpan> row;
    int rowY = INT_MIN;
    auto flush = [&] {
        if (!row.empty())
            writer.addBand(rowY, rowY + 1, row.data(), int(row.size()));
        row.clear();
    };
    rasterizePolygon(points, count, bounds.top(), bounds.top() + bounds.height(),
                     [&](int y, double l, double r) {
                         if (y != rowY) {
                             flush();
                             rowY = y;
                         }
                         const int left = std::max(pixelEdge(l), bl);
                         const int right = std::min(pixelEdge(r), br);
                         if (left >= right)
                             return;
                         appendSpan(row, left, right);
                     });
    flush();
    return writer.take();
}

EffectRegion TriangleRegion(int x1, int y1, int x2, int y2, int x3, int y3, const QRect &bounds)
{
    const QPoint points[3] = {{x1, y1}, {x2, y2}, {x3, y3}};
    return PolygonRegion(points, 3, bounds);
}

EffectRegion TriangleGridRegion(int n, int w, int h, int a, int b, const QRect &bounds)
{
    if (n < 0 || a == 0 || b == 0)
        return {}; // triangles with a leg of length 0 cover nothing
    if (a < 0 || b < 0 || w < 0 || h < 0) {
        // Flat or turned-over triangles: the plain union handles every shape.
        ShapeUnion u(bounds);
        for (int c = n; c >= 0; --c)
            for (int d = n; d >= 0; --d) {
                const QPoint points[3] = {{d * w - a, c * h - b}, {d * w + a, c * h - b}, {d * w - a, c * h + b}};
                u.addPolygon(points, 3);
            }
        return u.region();
    }
    RegionWriter writer;
    const int bl = bounds.left();
    const int br = bounds.left() + bounds.width();
    const int top = bounds.top();
    const int bottom = bounds.top() + bounds.height();
    std::vector<RegionSpan> row;
    for (int y = top; y < bottom; ++y) {
        // Longest run in this row: each triangle of grid row c covers the rows
        // [c h - b, c h + b) from its left edge to its hypotenuse, sampled at the pixel centre
        // exactly as the polygon fill does.
        int longest = 0;
        const double yc = y + 0.5;
        // Grid rows with c h - b <= y < c h + b (all of them, alike, when h is 0).
        int cFirst = 0, cLast = 0;
        if (h > 0) {
            cFirst = std::max(floorDiv(y - b, h) + 1, 0);
            cLast = std::min(floorDiv(y + b, h), n);
        }
        for (int c = cFirst; c <= cLast; ++c) {
            const int y0 = c * h - b;
            if (y < y0 || y >= y0 + 2 * b)
                continue;
            const double t = (yc - y0) * (-2.0 * a) / (2.0 * b);
            longest = std::max(longest, pixelEdge(2.0 * a + t));
        }
        if (longest <= 0)
            continue;
        row.clear();
        if (w == 0 || longest >= w) {
            // The runs of one row touch or coincide: one span.
            row.push_back({std::max(-a, bl), std::min(n * w - a + longest, br)});
        } else {
            for (int d = 0; d <= n; ++d) {
                const int l = d * w - a;
                if (l >= br)
                    break;
                const int r = l + longest;
                if (r <= bl)
                    continue;
                row.push_back({std::max(l, bl), std::min(r, br)});
            }
        }
        if (!row.empty() && row.front().left >= row.front().right)
            row.erase(row.begin());
        if (!row.empty())
            writer.addBand(y, y + 1, row.data(), int(row.size()));
    }
    return writer.take();
}

EffectRegion RectGridRegion(int n, int w, int h, int a, int b, const QRect &bounds)
{
    if (n < 0 || w < 0 || h < 0)
        return {};
    // Every grid row has the same columns, so the union is the product of the rows covered
    // by some grid row and the columns covered by some grid column.
    const std::vector<RegionSpan> columns =
        periodicSpans(n, w, a, bounds.left(), bounds.left() + bounds.width());
    const std::vector<RegionSpan> rows = periodicSpans(n, h, b, bounds.top(), bounds.top() + bounds.height());
    RegionWriter writer;
    if (columns.empty())
        return writer.take();
    for (const RegionSpan &r : rows)
        writer.addBand(r.left, r.right, columns.data(), int(columns.size()));
    return writer.take();
}

EffectRegion SectorRegion(int cx, int cy, int r, double startAngle, double endAngle, int count,
                          const QRect &bounds)
{
    if (count <= 0)
        return {};
    std::vector<QPoint> points;
    points.reserve(std::size_t(count) + 1);
    points.emplace_back(cx, cy);
    for (int i = 1; i <= count; ++i) {
        const double a = startAngle + (i - 1) * (endAngle - startAngle) / count;
        points.emplace_back(cx + int(std::nearbyint(r * std::cos(a))),
                            cy + int(std::nearbyint(r * std::sin(a))));
    }
    return PolygonRegion(points, bounds);
}

EffectRegion RoundRectRegion(int x1, int y1, int x2, int y2, int ellipseWidth, int ellipseHeight,
                             const QRect &bounds)
{
    RegionWriter writer;
    const int bl = bounds.left();
    const int br = bounds.left() + bounds.width();
    rasterizeRoundRect(x1, y1, x2, y2, ellipseWidth, ellipseHeight, bounds.top(),
                       bounds.top() + bounds.height(), [&](int y, double l, double r) {
                           const RegionSpan span{std::max(pixelEdge(l), bl), std::min(pixelEdge(r), br)};
                           if (span.left < span.right)
                               writer.addBand(y, y + 1, &span, 1);
                       });
    return writer.take();
}

// ---------------------------------------------------------------------------------------
// Bars, shreds and speckles

EffectRegion BarsRegion(int lr, int lc, int w, int h, int snap, int rowMode, int colMode)
{
    RectUnion u(QRect(0, 0, std::max(w, 0), std::max(h, 0)));
    if (w <= 0 || h <= 0)
        return u.region();

    if (rowMode >= 1 && rowMode <= 5) {
        if (lr > w) {
            for (int i = 5; i < h + 5; i += 10) {
                u.add(0, i - 5, w, i);
                if (rowMode == 1 || rowMode == 4)
                    u.add(2 * w - lr, i, w, i + 5);
                else if (rowMode == 2 || rowMode == 5)
                    u.add(0, i, lr - w, i + 5);
            }
        } else {
            if (w < lr + snap)
                lr = w;
            for (int i = 0; i < h + 5; i += 10) {
                if (rowMode == 1 || rowMode == 5) {
                    u.add(w - lr, i, w, i + 5);
                } else if (rowMode == 2 || rowMode == 4) {
                    u.add(0, i, lr, i + 5);
                } else {
                    u.add(0, i + 5, lr, i + 10);
                    u.add(w - lr, i, w, i + 5);
                }
            }
        }
    }

    if (colMode >= 1 && colMode <= 5) {
        if (lc > h) {
            for (int j = 5; j < w + 5; j += 10) {
                u.add(j - 5, 0, j, h);
                if (colMode == 1 || colMode == 4)
                    u.add(j, 2 * h - lc, j + 5, h);
                else if (colMode == 2 || colMode == 5)
                    u.add(j, 0, j + 5, lc - h);
            }
        } else {
            if (h < lc + snap)
                lc = h;
            for (int j = 0; j < w + 5; j += 10) {
                if (colMode == 1 || colMode == 5) {
                    u.add(j, h - lc, j + 5, h);
                } else if (colMode == 2 || colMode == 4) {
                    u.add(j, 0, j + 5, lc);
                } else {
                    u.add(j, h - lc, j + 5, h);
                    u.add(j + 5, 0, j + 10, lc);
                }
            }
        }
    }
    return u.region();
}

namespace {

// One direction of the shred: bands 5 pixels apart across `extent`, each reaching `len`
// into `side` from the end the mode names, with a ragged edge of random depth.
// add(from, to, t, b) adds the band's span from..to along the side, t..b across it.
template <typename Add>
void shredBands(int len, int side, int extent, int mode, Add add)
{
    const int j = len < side ? side / 7 : 0;
    for (int t = 0; t < extent; t += 5) {
        const int b = t + 5 + extent % 5;
        const int r1 = Random(j);
        const int r2 = Random(j);
        switch (mode) {
        case 1: add(side - len + r1 - r2, side, t, b); break;
        case 2: add(0, len + r1 - r2, t, b); break;
        case 3: {
            const int r3 = Random(j);
            const int r4 = Random(j);
            add((side - len + r1 - r2) / 2, side / 2, t, b);
            add(side / 2, (side + len + r3 - r4) / 2, t, b);
            break;
        }
        default: {
            const int r3 = Random(j);
            const int r4 = Random(j);
            add(side - (len + r1 - r2) / 2, side, t, b);
            add(0, (len + r3 - r4) / 2, t, b);
            break;
        }
        }
    }
}

} // namespace

EffectRegion ShredRegion(int lr, int lc, int w, int h, int rowMode, int colMode)
{
    RectUnion u(QRect(0, 0, std::max(w, 0), std::max(h, 0)));
    if (w <= 0 || h <= 0)
        return u.region();
    if (rowMode >= 1 && rowMode <= 4)
        shredBands(lr, w, h, rowMode, [&](int from, int to, int t, int b) { u.add(from, t, to, b); });
    if (colMode >= 1 && colMode <= 4)
        shredBands(lc, h, w, colMode, [&](int from, int to, int t, int b) { u.add(t, from, b, to); });
    return u.region();
}

namespace {

struct Fringe {
    int size; // cell side
    int cells; // cells across the fringe
    int near;  // cells in the near zone
};

Fringe speckleFringe(int length, int side)
{
    const int f = length < side ? side / 10 : 0;
    const int s = std::max(f / 20, 2);
    return {s, f / s, ((3 * f) / s) / 4};
}

} // namespace

EffectRegion SpeckleRegion(int lr, int lc, int w, int h, int rowMode, int colMode)
{
    RectUnion u(QRect(0, 0, std::max(w, 0), std::max(h, 0)));
    if (w <= 0 || h <= 0)
        return u.region();

    if (rowMode == 1 || rowMode == 2) {
        const Fringe f = speckleFringe(lr, w);
        const int s = f.size;
        for (int t = 0; t < h; t += s / 2) {
            if (rowMode == 1)
                u.add(w - lr, t, w, t + s);
            else
                u.add(0, t, lr, t + s);
            for (int i = f.cells; i >= 1; --i) {
                const int limit = i <= f.near ? 1 : 0;
                if (Random(i) > limit)
                    continue;
                if (rowMode == 1)
                    u.add(w - lr - s * i, t, w - lr - s * i + s, t + s);
                else
                    u.add(lr + s * i - s, t, lr + s * i, t + s);
            }
        }
    }

    if (colMode == 1 || colMode == 2) {
        const Fringe f = speckleFringe(lc, h);
        const int s = f.size;
        for (int t = 0; t < w; t += s / 2) {
            if (colMode == 1)
                u.add(t, h - lc, t + s, h);
            else
                u.add(t, 0, t + s, lc);
            for (int i = f.cells; i >= 1; --i) {
                const int limit = i <= f.near ? 1 : 0;
                if (Random(i) > limit)
                    continue;
                if (colMode == 1)
                    u.add(t, h - lc - s * i, t + s, h - lc - s * i + s);
                else
                    u.add(t, lc + s * i - s, t + s, lc + s * i);
            }
        }
    }
    return u.region();
}

// ---------------------------------------------------------------------------------------
// Clip-and-draw

namespace {

bool copiesStraight(QImage::Format screen, QImage::Format picture)
{
    const bool screen32 = screen == QImage::Format_RGB32 || screen == QImage::Format_ARGB32
                          || screen == QImage::Format_ARGB32_Premultiplied;
    if (!screen32)
        return false;
    // An opaque 32-bit picture is the same bytes in any of the three 32-bit formats.
    return picture == screen || picture == QImage::Format_RGB32;
}

// Copies the spans of one band row by row.
void copySpans(uchar *dstBase, qsizetype dstStride, const uchar *srcBase, qsizetype srcStride, int top,
               int bottom, const RegionSpan *spans, int count)
{
    for (int y = top; y < bottom; ++y) {
        auto *dst = reinterpret_cast<quint32 *>(dstBase + dstStride * y);
        const auto *src = reinterpret_cast<const quint32 *>(srcBase + srcStride * y);
        for (int i = 0; i < count; ++i)
            std::memcpy(dst + spans[i].left, src + spans[i].left, std::size_t(spans[i].right - spans[i].left) * 4);
    }
}

// Many narrow spans: one call per span would cost more than the pixels, so the band's
// spans become a mask once and every row takes the picture's pixels where it is set, in
// one straight pass the compiler vectorises.
void selectByMask(uchar *dstBase, qsizetype dstStride, const uchar *srcBase, qsizetype srcStride, int top,
                  int bottom, const RegionSpan *spans, int count, std::vector<quint32> &mask)
{
    const int left = spans[0].left;
    const int right = spans[count - 1].right;
    const int width = right - left;
    mask.assign(std::size_t(width), 0u);
    for (int i = 0; i < count; ++i)
        std::fill(mask.begin() + (spans[i].left - left), mask.begin() + (spans[i].right - left), ~0u);
    const quint32 *m = mask.data();
    for (int y = top; y < bottom; ++y) {
        auto *dst = reinterpret_cast<quint32 *>(dstBase + dstStride * y) + left;
        const auto *src = reinterpret_cast<const quint32 *>(srcBase + srcStride * y) + left;
        int x = 0;
#ifdef __SSE2__
        for (; x + 4 <= width; x += 4) {
            const __m128i mv = _mm_loadu_si128(reinterpret_cast<const __m128i *>(m + x));
            const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + x));
            const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i *>(dst + x));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + x),
                             _mm_or_si128(_mm_and_si128(sv, mv), _mm_andnot_si128(mv, dv)));
        }
#endif
        for (; x < width; ++x)
            dst[x] = (src[x] & m[x]) | (dst[x] & ~m[x]);
    }
}

} // namespace

void ClipAndDraw(QImage &screen, const QImage &picture, const EffectRegion &region)
{
    if (region.isEmpty() || screen.isNull() || picture.isNull())
        return;
    const int w = std::min(screen.width(), picture.width());
    const int h = std::min(screen.height(), picture.height());
    if (w <= 0 || h <= 0)
        return;

    if (!copiesStraight(screen.format(), picture.format())) {
        QPainter painter(&screen);
        painter.setClipRegion(region.toQRegion());
        painter.drawImage(0, 0, picture);
        return;
    }

    uchar *dstBase = screen.bits();
    const uchar *srcBase = picture.constBits();
    const qsizetype dstStride = screen.bytesPerLine();
    const qsizetype srcStride = picture.bytesPerLine();
    const auto &all = region.spans();
    std::vector<RegionSpan> cut;
    std::vector<quint32> mask;
    for (const RegionBand &band : region.bands()) {
        const int top = std::max(band.top, 0);
        const int bottom = std::min(band.bottom, h);
        if (top >= bottom)
            continue;
        // The band's spans cut to the width both images share.
        cut.clear();
        int covered = 0;
        for (int i = 0; i < band.count; ++i) {
            const RegionSpan &s = all[std::size_t(band.first + i)];
            const int l = std::max(s.left, 0);
            const int r = std::min(s.right, w);
            if (l < r) {
                cut.push_back({l, r});
                covered += r - l;
            }
        }
        if (cut.empty())
            continue;
        // Measured on full-screen frames: one copy call per span wins down to spans of about
        // eight pixels; below that a masked pass over the band's width is faster.
        const int count = int(cut.size());
        if (count <= 2 || covered >= 8 * count)
            copySpans(dstBase, dstStride, srcBase, srcStride, top, bottom, cut.data(), count);
        else
            selectByMask(dstBase, dstStride, srcBase, srcStride, top, bottom, cut.data(), count, mask);
    }
}
