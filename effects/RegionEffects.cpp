// The effects that draw the new picture through a clip region (families Curved, Bars,
// Shred, Triangles, Speckle, Blinds and Sweep) and the pixel effects (Fade and the pivots).
//
// Each region effect takes the frame's measures, builds one region from them and draws the
// whole new picture through it. Frames whose measures give no grid or no pitch (a grain X
// of 0, a grid count of 0, Wp or Hp of 0) draw nothing of the part that needs them.
#include "effects/EffectPrimitives.h"
#include "effects/EffectProcs.h"
#include "effects/EffectRegions.h"

#include <array>
#include <cmath>
#include <initializer_list>
#include <numbers>

namespace {

constexpr double Pi = std::numbers::pi;

QRect bounds(const EffectMetrics &m)
{
    return QRect(0, 0, m.W, m.H);
}

// A picture without pixels has nothing to draw (the measures are meaningless then).
bool empty(const EffectMetrics &m)
{
    return m.W <= 0 || m.H <= 0;
}

// The grid count of the grid effects: half the grain, or the grain itself below 2.
int gridCount(int x)
{
    return x > 1 ? x / 2 : x;
}

void drawBars(QImage &Screen, const QImage &Picture, const EffectMetrics &m, int lr, int lc, int snap,
              int rowMode, int colMode)
{
    if (empty(m))
        return;
    ClipAndDraw(Screen, Picture, BarsRegion(lr, lc, m.W, m.H, snap, rowMode, colMode));
}

void drawShred(QImage &Screen, const QImage &Picture, const EffectMetrics &m, int rowMode, int colMode)
{
    if (empty(m))
        return;
    ClipAndDraw(Screen, Picture,
                ShredRegion(rowMode ? m.Wp : 0, colMode ? m.Hp : 0, m.W, m.H, rowMode, colMode));
}

void drawSpeckle(QImage &Screen, const QImage &Picture, const EffectMetrics &m, int rowMode, int colMode)
{
    if (empty(m))
        return;
    ClipAndDraw(Screen, Picture, SpeckleRegion(m.Wp, m.Hp, m.W, m.H, rowMode, colMode));
}

void drawTriangles(QImage &Screen, const QImage &Picture, const EffectMetrics &m,
                   std::initializer_list<std::array<int, 6>> triangles)
{
    if (empty(m))
        return;
    ShapeUnion u(bounds(m));
    for (const auto &t : triangles) {
        const QPoint points[3] = {{t[0], t[1]}, {t[2], t[3]}, {t[4], t[5]}};
        u.addPolygon(points, 3);
    }
    ClipAndDraw(Screen, Picture, u.region());
}

// Uneven blinds: slats at the pitch Wp (Hp), P per cent of it wide, from one side.
void addBlindsFromLeft(RectUnion &u, const EffectMetrics &m, int p)
{
    if (m.Wp <= 0)
        return;
    for (int k = 0; k * m.Wp < m.W; ++k)
        u.add(k * m.Wp, 0, k * m.Wp + p * m.Wp / 100, m.H);
}

void addBlindsFromRight(RectUnion &u, const EffectMetrics &m, int p)
{
    if (m.Wp <= 0)
        return;
    for (int k = 0; m.W - k * m.Wp >= 0; ++k)
        u.add(m.W - p * m.Wp / 100 - k * m.Wp, 0, m.W - k * m.Wp, m.H);
}

void addBlindsFromTop(RectUnion &u, const EffectMetrics &m, int p)
{
    if (m.Hp <= 0)
        return;
    for (int k = 0; k * m.Hp < m.H; ++k)
        u.add(0, k * m.Hp, m.W, k * m.Hp + p * m.Hp / 100);
}

void addBlindsFromBottom(RectUnion &u, const EffectMetrics &m, int p)
{
    if (m.Hp <= 0)
        return;
    for (int k = 0; m.H - k * m.Hp >= 0; ++k)
        u.add(0, m.H - p * m.Hp / 100 - k * m.Hp, m.W, m.H - k * m.Hp);
}

// Bands of pitch n = H div X across the picture, each 2e high about its centre line.
void addHorizontalBands(RectUnion &u, const EffectMetrics &m, int p)
{
    if (m.X <= 0)
        return;
    const int n = m.H / m.X;
    if (n <= 0)
        return;
    const int e = p * n / 200;
    for (int k = 0; n / 2 - e + k * n < m.H; ++k)
        u.add(0, n / 2 - e + k * n, m.W, n / 2 + e + k * n);
}

void addVerticalBands(RectUnion &u, const EffectMetrics &m, int p)
{
    if (m.X <= 0)
        return;
    const int n = m.W / m.X;
    if (n <= 0)
        return;
    const int e = p * n / 200;
    for (int k = 0; n / 2 - e + k * n < m.W; ++k)
        u.add(n / 2 - e + k * n, 0, n / 2 + e + k * n, m.H);
}

enum class Blinds { Left, Right, Top, Bottom };

void addUnevenBlinds(RectUnion &u, const EffectMetrics &m, int p, Blinds blinds)
{
    switch (blinds) {
    case Blinds::Left: addBlindsFromLeft(u, m, p); break;
    case Blinds::Right: addBlindsFromRight(u, m, p); break;
    case Blinds::Top: addBlindsFromTop(u, m, p); break;
    case Blinds::Bottom: addBlindsFromBottom(u, m, p); break;
    }
}

void drawBandsAndBlinds(QImage &Screen, const QImage &Picture, const EffectMetrics &m, int p,
                        bool horizontalBands, Blinds blinds)
{
    if (empty(m))
        return;
    RectUnion u(bounds(m));
    if (horizontalBands)
        addHorizontalBands(u, m, p);
    else
        addVerticalBands(u, m, p);
    addUnevenBlinds(u, m, p, blinds);
    ClipAndDraw(Screen, Picture, u.region());
}

void drawUnevenBlinds(QImage &Screen, const QImage &Picture, const EffectMetrics &m, int p, Blinds blinds)
{
    if (empty(m))
        return;
    RectUnion u(bounds(m));
    addUnevenBlinds(u, m, p, blinds);
    ClipAndDraw(Screen, Picture, u.region());
}

// Even blinds: slats of W / X (columns) or H / X (rows) pixels, each open by P percent.
void drawEvenBlinds(QImage &Screen, const QImage &Picture, const EffectMetrics &m, int p, bool columns)
{
    if (empty(m) || m.X <= 0)
        return;
    const int length = columns ? m.W : m.H;
    const int n = length / m.X;
    if (n <= 0)
        return;
    RectUnion u(bounds(m));
    for (int k = 0; k * n < length; ++k) {
        const int from = k * n, to = k * n + p * n / 100;
        if (columns)
            u.add(from, 0, to, m.H);
        else
            u.add(0, from, m.W, to);
    }
    ClipAndDraw(Screen, Picture, u.region());
}

// A sector around the centre that starts at twelve o'clock and sweeps P * 3.6 degrees,
// one way for direction 1 and the other for -1, reaching the corners.
void drawSweep(QImage &Screen, const QImage &Picture, const EffectMetrics &m, int p, int direction)
{
    if (empty(m))
        return;
    const int cx = m.W / 2;
    const int cy = m.H / 2;
    // The distance from the centre to the corner, rounded up.
    const int radius = int(std::ceil(std::sqrt(double(cx) * cx + double(cy) * cy)));
    ClipAndDraw(Screen, Picture,
                SectorRegion(cx, cy, radius, -Pi / 2, direction * p * Pi / 50 - Pi / 2, p, bounds(m)));
}

void drawTurnedPolygon(QImage &Screen, const QImage &Picture, const EffectMetrics &m, QPoint *points,
                       int count, int p)
{
    if (empty(m))
        return;
    RotatePoints(points, count - 1, m.W / 2, m.H / 2, p * Pi / 50);
    ClipAndDraw(Screen, Picture, PolygonRegion(points, count, bounds(m)));
}

} // namespace

// ---------------------------------------------------------------------------------------
// Curved

void Effect058(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    const EffectMetrics m(Rect, Step, Progress);
    if (empty(m))
        return;
    ClipAndDraw(Screen, Picture, RoundRectRegion(-2 * m.W, -5, 2 * m.Wp, m.H + 5, 2 * m.W, 2 * m.W, bounds(m)));
}

void Effect059(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    const EffectMetrics m(Rect, Step, Progress);
    if (empty(m))
        return;
    ClipAndDraw(Screen, Picture,
                RoundRectRegion(m.W - 2 * m.Wp, -5, 3 * m.W, m.H + 5, 2 * m.W, 2 * m.W, bounds(m)));
}

void Effect069(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    const EffectMetrics m(Rect, Step, Progress);
    if (empty(m))
        return;
    ClipAndDraw(Screen, Picture, RoundRectRegion(-5, -2 * m.H, m.W + 5, 2 * m.Hp, 2 * m.H, 2 * m.H, bounds(m)));
}

void Effect070(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    const EffectMetrics m(Rect, Step, Progress);
    if (empty(m))
        return;
    ClipAndDraw(Screen, Picture,
                RoundRectRegion(-5, m.H - 2 * m.Hp, m.W + 5, 3 * m.H, 2 * m.H, 2 * m.H, bounds(m)));
}

void Effect080(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    const EffectMetrics m(Rect, Step, Progress);
    if (empty(m))
        return;
    ClipAndDraw(Screen, Picture,
                RoundRectRegion(-2 * m.W, -2 * m.H, 2 * m.Wp, 2 * m.Hp, 2 * m.W, 2 * m.H, bounds(m)));
}

void Effect081(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    const EffectMetrics m(Rect, Step, Progress);
    if (empty(m))
        return;
    ClipAndDraw(Screen, Picture,
                RoundRectRegion(m.W - 2 * m.Wp, -2 * m.H, 3 * m.W, 2 * m.Hp, 2 * m.W, 2 * m.H, bounds(m)));
}

void Effect082(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    const EffectMetrics m(Rect, Step, Progress);
    if (empty(m))
        return;
    ClipAndDraw(Screen, Picture,
                RoundRectRegion(-2 * m.W, m.H - 2 * m.Hp, 2 * m.Wp, 3 * m.H, 2 * m.W, 2 * m.H, bounds(m)));
}

void Effect083(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    const EffectMetrics m(Rect, Step, Progress);
    if (empty(m))
        return;
    // The corner of this one is 2H wide, not 2W as in its three siblings.
    ClipAndDraw(Screen, Picture,
                RoundRectRegion(m.W - 2 * m.Wp, m.H - 2 * m.Hp, 3 * m.W, 3 * m.H, 2 * m.H, 2 * m.H, bounds(m)));
}

void Effect084(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    const EffectMetrics m(Rect, Step, Progress);
    if (empty(m))
        return;
    ClipAndDraw(Screen, Picture,
                RoundRectRegion(m.W / 2 - m.Wp, m.H / 2 - m.Hp, m.W / 2 + m.Wp, m.H / 2 + m.Hp,
                                m.Wp * 9 / 5, m.Hp * 9 / 5, bounds(m)));
}

void Effect085(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    const EffectMetrics m(Rect, Step, Progress);
    if (empty(m))
        return;
    RectUnion whole(bounds(m));
    whole.add(0, 0, m.W, m.H);
    const EffectRegion shape =
        RoundRectRegion(m.Wp - m.W / 2, m.Hp - m.H / 2, 3 * m.W / 2 - m.Wp, 3 * m.H / 2 - m.Hp,
                        (m.W - m.Wp) * 9 / 5, (m.H - m.Hp) * 9 / 5, bounds(m));
    ClipAndDraw(Screen, Picture, whole.region().xored(shape));
}

// ---------------------------------------------------------------------------------------
// Bars

#define NUVIRA_BARS_EFFECT(name, lr, lc, snap, rowMode, colMode)                                  \
    void name(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress) \
    {                                                                                            \
        const EffectMetrics m(Rect, Step, Progress);                                             \
        drawBars(Screen, Picture, m, lr, lc, snap, rowMode, colMode);                            \
    }

NUVIRA_BARS_EFFECT(Effect060, 2 * m.Wp, 0, m.X, 1, 0)
NUVIRA_BARS_EFFECT(Effect061, 2 * m.Wp, 0, m.X, 2, 0)
NUVIRA_BARS_EFFECT(Effect062, 2 * m.Wp, 0, m.X, 4, 0)
NUVIRA_BARS_EFFECT(Effect063, 2 * m.Wp, 0, m.X, 5, 0)
NUVIRA_BARS_EFFECT(Effect064, m.Wp, 0, 0, 3, 0)
NUVIRA_BARS_EFFECT(Effect071, 0, 2 * m.Hp, m.X, 0, 1)
NUVIRA_BARS_EFFECT(Effect072, 0, 2 * m.Hp, m.X, 0, 2)
NUVIRA_BARS_EFFECT(Effect073, 0, 2 * m.Hp, m.X, 0, 4)
NUVIRA_BARS_EFFECT(Effect074, 0, 2 * m.Hp, m.X, 0, 5)
NUVIRA_BARS_EFFECT(Effect075, 0, m.Hp, 0, 0, 3)
NUVIRA_BARS_EFFECT(Effect086, 2 * m.Wp, 2 * m.Hp, m.X, 1, 1)
NUVIRA_BARS_EFFECT(Effect087, 2 * m.Wp, 2 * m.Hp, m.X, 1, 2)
NUVIRA_BARS_EFFECT(Effect088, 2 * m.Wp, 2 * m.Hp, m.X, 2, 1)
NUVIRA_BARS_EFFECT(Effect089, 2 * m.Wp, 2 * m.Hp, m.X, 2, 2)
NUVIRA_BARS_EFFECT(Effect090, 2 * m.Wp, 2 * m.Hp, m.X, 4, 4)
NUVIRA_BARS_EFFECT(Effect091, 2 * m.Wp, 2 * m.Hp, m.X, 4, 5)
NUVIRA_BARS_EFFECT(Effect092, 2 * m.Wp, 2 * m.Hp, m.X, 5, 4)
NUVIRA_BARS_EFFECT(Effect093, 2 * m.Wp, 2 * m.Hp, m.X, 5, 5)
NUVIRA_BARS_EFFECT(Effect094, m.Wp, m.Hp, m.X, 1, 3)
NUVIRA_BARS_EFFECT(Effect095, m.Wp, m.Hp, m.X, 2, 3)
NUVIRA_BARS_EFFECT(Effect096, m.Wp, m.Hp, m.X, 3, 1)
NUVIRA_BARS_EFFECT(Effect097, m.Wp, m.Hp, m.X, 3, 2)
NUVIRA_BARS_EFFECT(Effect098, m.Wp, m.Hp, 0, 3, 3)

#undef NUVIRA_BARS_EFFECT

void Effect099(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    const EffectMetrics m(Rect, Step, Progress);
    if (empty(m))
        return;
    const EffectRegion a = BarsRegion(2 * m.Wp, 2 * m.Hp, m.W, m.H, m.X, 1, 1);
    const EffectRegion b = BarsRegion(2 * m.Wp, 2 * m.Hp, m.W, m.H, m.X, 2, 2);
    ClipAndDraw(Screen, Picture, a.intersected(b));
}

// ---------------------------------------------------------------------------------------
// Shred

#define NUVIRA_SHRED_EFFECT(name, rowMode, colMode)                                              \
    void name(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress) \
    {                                                                                            \
        const EffectMetrics m(Rect, Step, Progress);                                             \
        drawShred(Screen, Picture, m, rowMode, colMode);                                         \
    }

NUVIRA_SHRED_EFFECT(Effect065, 1, 0)
NUVIRA_SHRED_EFFECT(Effect066, 2, 0)
NUVIRA_SHRED_EFFECT(Effect067, 3, 0)
NUVIRA_SHRED_EFFECT(Effect068, 4, 0)
NUVIRA_SHRED_EFFECT(Effect076, 0, 1)
NUVIRA_SHRED_EFFECT(Effect077, 0, 2)
NUVIRA_SHRED_EFFECT(Effect078, 0, 3)
NUVIRA_SHRED_EFFECT(Effect079, 0, 4)
NUVIRA_SHRED_EFFECT(Effect100, 1, 1)
NUVIRA_SHRED_EFFECT(Effect101, 1, 2)
NUVIRA_SHRED_EFFECT(Effect102, 2, 1)
NUVIRA_SHRED_EFFECT(Effect103, 2, 2)
NUVIRA_SHRED_EFFECT(Effect104, 1, 3)
NUVIRA_SHRED_EFFECT(Effect105, 2, 3)
NUVIRA_SHRED_EFFECT(Effect106, 3, 1)
NUVIRA_SHRED_EFFECT(Effect107, 3, 2)
NUVIRA_SHRED_EFFECT(Effect108, 3, 3)
NUVIRA_SHRED_EFFECT(Effect109, 4, 4)

#undef NUVIRA_SHRED_EFFECT

// ---------------------------------------------------------------------------------------
// Triangles

void Effect110(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    const EffectMetrics m(Rect, Step, Progress);
    drawTriangles(Screen, Picture, m, {{0, 0, 2 * m.Wp, 0, 0, 2 * m.Hp}});
}

void Effect111(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    const EffectMetrics m(Rect, Step, Progress);
    drawTriangles(Screen, Picture, m, {{m.W, 0, m.W - 2 * m.Wp, 0, m.W, 2 * m.Hp}});
}

void Effect112(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    const EffectMetrics m(Rect, Step, Progress);
    drawTriangles(Screen, Picture, m, {{0, m.H, 2 * m.Wp, m.H, 0, m.H - 2 * m.Hp}});
}

void Effect113(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    const EffectMetrics m(Rect, Step, Progress);
    drawTriangles(Screen, Picture, m, {{m.W, m.H, m.W - 2 * m.Wp, m.H, m.W, m.H - 2 * m.Hp}});
}

void Effect114(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    const EffectMetrics m(Rect, Step, Progress);
    drawTriangles(Screen, Picture, m,
                  {{0, m.H, 0, 0, m.Wp, m.H}, {m.W, m.H, m.W, 0, m.W - m.Wp, 0}});
}

void Effect115(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    const EffectMetrics m(Rect, Step, Progress);
    drawTriangles(Screen, Picture, m,
                  {{m.W, 0, 0, 0, m.W, m.Hp}, {m.W, m.H, 0, m.H, 0, m.H - m.Hp}});
}

void Effect116(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    const EffectMetrics m(Rect, Step, Progress);
    const int cx = m.W / 2;
    const int cy = m.H / 2;
    drawTriangles(Screen, Picture, m,
                  {{cx, cy, 0, m.H, 0, m.H - m.Hp},
                   {0, 0, m.Wp, 0, cx, cy},
                   {m.W - m.Wp, m.H, cx, cy, m.W, m.H},
                   {cx, cy, m.W, 0, m.W, m.Hp}});
}

void Effect117(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    const EffectMetrics m(Rect, Step, Progress);
    if (empty(m))
        return;
    const int n = gridCount(m.X);
    if (n <= 0 || m.Wp <= 0 || m.Hp <= 0)
        return; // no grid, or triangles without size
    const int w = m.W / n;
    const int h = m.H / n;
    const int a = m.Wp / n;
    const int b = m.Hp / n;
    ClipAndDraw(Screen, Picture, TriangleGridRegion(n, w, h, a, b, bounds(m)));
}

// ---------------------------------------------------------------------------------------
// Pixel

void Effect118(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    (void)Rect;
    (void)Step;
    BlendBitmaps(Screen, Picture, Progress);
}

void Effect119(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    (void)Rect;
    (void)Step;
    RotateBitmap(Screen, Picture, -1, -1, (100 - Progress) * Pi / 200);
}

void Effect120(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    const EffectMetrics m(Rect, Step, Progress);
    RotateBitmap(Screen, Picture, -1, m.H, (Progress - 100) * Pi / 200);
}

void Effect121(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    const EffectMetrics m(Rect, Step, Progress);
    RotateBitmap(Screen, Picture, m.W, -1, (Progress - 100) * Pi / 200);
}

void Effect122(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    const EffectMetrics m(Rect, Step, Progress);
    RotateBitmap(Screen, Picture, m.W, m.H, (100 - Progress) * Pi / 200);
}

// ---------------------------------------------------------------------------------------
// Speckle

void Effect123(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    drawSpeckle(Screen, Picture, EffectMetrics(Rect, Step, Progress), 1, 0);
}

void Effect124(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    drawSpeckle(Screen, Picture, EffectMetrics(Rect, Step, Progress), 2, 0);
}

void Effect125(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    drawSpeckle(Screen, Picture, EffectMetrics(Rect, Step, Progress), 0, 1);
}

void Effect126(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    drawSpeckle(Screen, Picture, EffectMetrics(Rect, Step, Progress), 0, 2);
}

void Effect127(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    const EffectMetrics m(Rect, Step, Progress);
    // Every frame restarts the shared generator from the picture's size, so the k-th draw
    // is the same number in every frame and a square, once shown, stays while P grows.
    RandSeed = uint32_t(m.W) * uint32_t(m.H);
    if (empty(m))
        return;
    const int n = gridCount(m.X);
    if (n <= 0)
        return;
    RectUnion u(bounds(m));
    for (int x = 0; x < m.W; x += n)
        for (int y = 0; y < m.H; y += n) {
            const int v = Random(100);
            if (Progress > v)
                u.add(x - n, y - n, x + n, y + n);
        }
    ClipAndDraw(Screen, Picture, u.region());
}

// ---------------------------------------------------------------------------------------
// Blinds

void Effect136(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    drawEvenBlinds(Screen, Picture, EffectMetrics(Rect, Step, Progress), Progress, true);
}

void Effect137(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    drawEvenBlinds(Screen, Picture, EffectMetrics(Rect, Step, Progress), Progress, false);
}

void Effect138(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    drawUnevenBlinds(Screen, Picture, EffectMetrics(Rect, Step, Progress), Progress, Blinds::Left);
}

void Effect139(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    drawUnevenBlinds(Screen, Picture, EffectMetrics(Rect, Step, Progress), Progress, Blinds::Right);
}

void Effect140(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    drawUnevenBlinds(Screen, Picture, EffectMetrics(Rect, Step, Progress), Progress, Blinds::Top);
}

void Effect141(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    drawUnevenBlinds(Screen, Picture, EffectMetrics(Rect, Step, Progress), Progress, Blinds::Bottom);
}

void Effect142(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    const EffectMetrics m(Rect, Step, Progress);
    if (empty(m) || m.X <= 0)
        return;
    const int a = m.Wp / m.X;
    const int b = m.Hp / m.X;
    const int n = gridCount(m.X);
    const int w = m.W / n;
    const int h = m.H / n;
    ClipAndDraw(Screen, Picture, RectGridRegion(n, w, h, a, b, bounds(m)));
}

void Effect145(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    drawBandsAndBlinds(Screen, Picture, EffectMetrics(Rect, Step, Progress), Progress, true, Blinds::Left);
}

void Effect146(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    drawBandsAndBlinds(Screen, Picture, EffectMetrics(Rect, Step, Progress), Progress, true, Blinds::Right);
}

void Effect147(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    drawBandsAndBlinds(Screen, Picture, EffectMetrics(Rect, Step, Progress), Progress, false, Blinds::Top);
}

void Effect148(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    drawBandsAndBlinds(Screen, Picture, EffectMetrics(Rect, Step, Progress), Progress, false, Blinds::Bottom);
}

// ---------------------------------------------------------------------------------------
// Sweep

void Effect143(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    drawSweep(Screen, Picture, EffectMetrics(Rect, Step, Progress), Progress, 1);
}

void Effect144(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    drawSweep(Screen, Picture, EffectMetrics(Rect, Step, Progress), Progress, -1);
}

void Effect149(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    const EffectMetrics m(Rect, Step, Progress);
    const int cx = m.W / 2;
    const int cy = m.H / 2;
    const int a = m.Wp / 2;
    const int b = m.Hp / 2;
    QPoint points[4] = {{cx - a, cy - b}, {cx + a, cy - b}, {cx + a, cy + b}, {cx - a, cy + b}};
    drawTurnedPolygon(Screen, Picture, m, points, 4, Progress);
}

void Effect150(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
{
    const EffectMetrics m(Rect, Step, Progress);
    const int cx = m.W / 2;
    const int cy = m.H / 2;
    const int a = m.Wp;
    const int b = m.Hp;
    QPoint points[8] = {{cx - 2 * a, cy},         {cx - a / 2, cy - b / 2}, {cx, cy - 2 * b},
                        {cx + a / 2, cy - b / 2}, {cx + 2 * a, cy},         {cx + a / 2, cy + b / 2},
                        {cx, cy + 2 * b},         {cx - a / 2, cy + b / 2}};
    drawTurnedPolygon(Screen, Picture, m, points, 8, Progress);
}
