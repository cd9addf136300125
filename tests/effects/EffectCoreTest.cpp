// The effect catalogue's table and look-ups, the shared drawing routines and the copy-family
// effects (squeeze, slide, wipe, zoom, unroll, smear, push).
//
// Pictures used here carry their own coordinates in every pixel, so a frame can be read
// back pixel by pixel: which bitmap (old screen or new picture) and which column and row a
// pixel came from. A misplaced row or column shows at once.
#include "effects/EffectPrimitives.h"
#include "effects/EffectProcs.h"
#include "effects/ShowEffect.h"

#include <gtest/gtest.h>

#include <QImage>
#include <climits>
#include <cmath>
#include <functional>
#include <map>
#include <numbers>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr uint32_t OldFlag = 0x800000u;

// Pixel of the new picture at (x, y): x in bits 12..22, y in bits 0..11.
uint32_t picPixel(int x, int y) { return 0xFF000000u | (uint32_t(x) << 12) | uint32_t(y); }
uint32_t oldPixel(int x, int y) { return picPixel(x, y) | OldFlag; }

QImage coded(int w, int h, bool old)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, old ? oldPixel(x, y) : picPixel(x, y));
    return img;
}

struct Source {
    bool old;
    int x, y;
};

Source decode(QRgb p)
{
    return {(p & OldFlag) != 0, int((p >> 12) & 0x7FF), int(p & 0xFFF)};
}

Source at(const QImage &img, int x, int y) { return decode(img.pixel(x, y)); }

QImage frame(int effect, int w, int h, int step, int progress)
{
    QImage screen = coded(w, h, true);
    const QImage picture = coded(w, h, false);
    EffectProcOf(effect)(screen, picture, QRect(0, 0, w, h), step, progress);
    return screen;
}

// ------------------------------------------------------------------------------------------
// Catalogue

TEST(EffectTable, HoldsOneDistinctProcedurePerNumber)
{
    std::set<TEffectProc> procs;
    for (int n = 1; n <= EffectCount; ++n) {
        ASSERT_NE(EffectProcOf(n), nullptr) << n;
        EXPECT_EQ(EffectProcOf(n), EffectTable[n].Proc);
        EXPECT_FALSE(EffectNameOf(n).isEmpty()) << n;
        procs.insert(EffectProcOf(n));
    }
    EXPECT_EQ(procs.size(), size_t(EffectCount));
    for (int n : {-1, 0, 151, INT_MAX})
        EXPECT_EQ(EffectProcOf(n), nullptr) << n;
}

TEST(EffectTable, NamesAsTheUserSeesThem)
{
    const std::map<int, QString> names = {
        {1, "Expand from right"},
        {14, "Unroll from left"},
        {18, "Expand from bottom"},
        {25, "Expand in from top"},
        {29, "Slide in from top / bottom"},
        {33, "Expand from bottom"},
        {34, "Expand in from top"},
        {51, "Appear and Contract to middle"},
        {76, "Unven shred from bottom"},
        {116, "Starburst clockwise from center"},
        {118, "Fade"},
        {128, "Push right"},
        {134, "Push and sqeeze down"},
        {135, "Push and sqeeze up"},
        {145, "Rectangles apear from left and disapear to right"},
        {150, "Rotational star"},
    };
    for (const auto &[n, name] : names)
        EXPECT_EQ(EffectNameOf(n), name) << n;
    EXPECT_EQ(EffectNameOf(0), "Custom");
    EXPECT_TRUE(EffectNameOf(151).isEmpty());
    EXPECT_TRUE(EffectNameOf(-3).isEmpty());
}

TEST(EffectTable, LookUpByNameTakesTheFirstEntryIgnoringCase)
{
    struct Case {
        const char *name;
        std::optional<int> number;
    };
    const Case cases[] = {
        {"Expand in from top", 25}, // 34 carries the same name
        {"expand FROM bottom", 18}, // 33 carries the same name
        {"Custom", 0},
        {"cUSTOM", 0},
        {"fade", 118},
        {"Push and sqeeze up", 135},
        {"Push and squeeze up", std::nullopt}, // the stored spelling only
        {"Expand in from top ", std::nullopt},
        {"", std::nullopt},
        {"Nothing like it", std::nullopt},
    };
    for (const Case &c : cases)
        EXPECT_EQ(EffectNumberOf(QString::fromUtf8(c.name)), c.number) << c.name;
    // Every name finds itself or an earlier entry of the same name.
    for (int n = 1; n <= EffectCount; ++n) {
        const auto found = EffectNumberOf(EffectNameOf(n).toUpper());
        ASSERT_TRUE(found.has_value()) << n;
        EXPECT_EQ(EffectNameOf(*found), EffectNameOf(n));
        EXPECT_LE(*found, n);
    }
}

// ------------------------------------------------------------------------------------------
// Integer helpers, measures and the generator

TEST(Arithmetic, MulDivRoundsHalvesAwayFromZeroWithoutOverflow)
{
    struct Case {
        int a, b, c, expected;
    };
    const Case cases[] = {
        {640, 50, 100, 320},  {5, 1, 2, 3},        {-5, 1, 2, -3},      {5, -1, 2, -3},
        {-5, -1, 2, 3},       {5, 1, -2, -3},      {3, 1, 2, 2},        {1, 1, 3, 0},
        {2, 1, 3, 1},         {900, 4, 90, 40},    {300, 4, 90, 13},    {7, 1, 0, -1},
        {0, 5, 0, -1},        {INT_MAX, INT_MAX, INT_MAX, INT_MAX},
        {INT_MAX, 2, 1, -1},  {INT_MIN, 1, 1, INT_MIN}, {100000, 100000, 100000, 100000},
    };
    for (const Case &c : cases)
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
}

TEST(Arithmetic, RoundGoesHalfToEven)
{
    const std::pair<double, int> cases[] = {{0.5, 0},   {1.5, 2},  {2.5, 2},   {-0.5, 0}, {-1.5, -2},
                                            {-2.5, -2}, {2.4, 2},  {2.6, 3},   {-2.6, -3}, {0.0, 0},
                                            {1e12, INT_MAX}, {-1e12, INT_MIN}, {NAN, 0}};
    for (const auto &[v, expected] : cases)
        EXPECT_EQ(Round(v), expected) << v;
}

TEST(Arithmetic, EffectMetricsFollowTheLongerSide)
{
    struct Case {
        int w, h, step, progress;
        int W, H, Wp, Hp, X;
    };
    const Case cases[] = {
        {640, 480, 4, 50, 640, 480, 320, 240, 28},
        {300, 600, 4, 33, 300, 600, 99, 198, 27},
        {900, 600, 4, 50, 900, 600, 450, 300, 40},
        {900, 600, 1, 50, 900, 600, 450, 300, 10},
        {200, 100, 4, 10, 200, 100, 20, 10, 9},
        {1920, 1080, 4, 25, 1920, 1080, 480, 270, 85},
        {11, 5, 4, 50, 11, 5, 6, 3, 0},   // 11 * 4 < 45: no grain
        {12, 5, 4, 50, 12, 5, 6, 3, 1},   // 12 * 4 >= 45
        {10, 10, 4, 1, 10, 10, 0, 0, 0},  // share below half a pixel
        {0, 0, 4, 50, 0, 0, 0, -1, 0},    // empty: the shares are meaningless, X is 0
        {0, 10, 4, 50, 0, 10, 0, 5, 0},
        {10, 0, 4, 50, 10, 0, 5, 0, 0},
    };
    for (const Case &c : cases) {
        const EffectMetrics m(QRect(0, 0, c.w, c.h), c.step, c.progress);
        EXPECT_EQ(m.W, c.W) << c.w << "x" << c.h;
        EXPECT_EQ(m.H, c.H) << c.w << "x" << c.h;
        EXPECT_EQ(m.Wp, c.Wp) << c.w << "x" << c.h << " P" << c.progress;
        EXPECT_EQ(m.Hp, c.Hp) << c.w << "x" << c.h << " P" << c.progress;
        EXPECT_EQ(m.X, c.X) << c.w << "x" << c.h << " step " << c.step;
    }
}

TEST(Generator, FollowsTheLinearCongruentialRecurrence)
{
    RandSeed = 0;
    const std::pair<int, std::pair<uint32_t, int>> draws[] = {
        {100, {1u, 0}},
        {1000, {134775814u, 31}},
        {7, {3698175007u, 6}},
        {0, {870078620u, 0}}, // Random(0) is 0 and still advances the seed
        {INT_MAX, {1172187917u, 586093958}},
    };
    for (const auto &[n, expected] : draws) {
        EXPECT_EQ(Random(n), expected.second) << n;
        EXPECT_EQ(RandSeed.load(), expected.first) << n;
    }
    // Values stay below n for any seed.
    RandSeed = 0xFFFFFFFFu;
    for (int i = 0; i < 1000; ++i) {
        const int v = Random(13);
        ASSERT_GE(v, 0);
        ASSERT_LT(v, 13);
    }
    RandSeed = 42;
    const int a = Random(1 << 30);
    RandSeed = 42;
    EXPECT_EQ(Random(1 << 30), a);
    EXPECT_EQ(Random(-5), 0);
}

// ------------------------------------------------------------------------------------------
// Copy and pixel routines

TEST(Primitives, MirrorBltWidensTheMirroredAxisByOnePixelEachSide)
{
    const QImage picture = coded(30, 10, false);
    QImage screen = coded(30, 10, true);
    MirrorBlt(screen, {10, 0, 20, 10}, picture, {0, 0, 12, 10}, true, false);
    // Columns 9..20 (the 10 columns given, plus one each side) show source columns 11..0.
    for (int x = 0; x < 30; ++x) {
        const Source s = at(screen, x, 4);
        if (x < 9 || x > 20) {
            EXPECT_TRUE(s.old) << x;
            continue;
        }
        EXPECT_FALSE(s.old) << x;
        EXPECT_EQ(s.x, 20 - x) << x; // 12 source columns onto 12 destination columns, reversed
        EXPECT_EQ(s.y, 4);
    }

    // Vertical mirror with a source strip running past the picture: the strip is cut.
    QImage screen2 = coded(30, 10, true);
    MirrorBlt(screen2, {0, 2, 30, 6}, picture, {0, 8, 30, 14}, false, true);
    for (int y = 0; y < 10; ++y) {
        const Source s = at(screen2, 5, y);
        if (y < 1 || y > 6) {
            EXPECT_TRUE(s.old) << y;
        } else {
            EXPECT_FALSE(s.old) << y;
            EXPECT_GE(s.y, 8);
            EXPECT_LE(s.y, 9);
            EXPECT_EQ(s.x, 5);
        }
    }
    EXPECT_EQ(at(screen2, 5, 1).y, 9); // top of the mirrored band is the source's last row
    EXPECT_EQ(at(screen2, 5, 6).y, 8);

    // A source wholly outside the picture draws nothing.
    QImage screen3 = coded(30, 10, true);
    MirrorBlt(screen3, {0, 0, 10, 10}, picture, {40, 0, 50, 10}, true, false);
    EXPECT_EQ(screen3, coded(30, 10, true));
}

TEST(Primitives, BlendMixesColourBytesAndKeepsTheFourthByte)
{
    QImage screen(4, 2, QImage::Format_ARGB32);
    QImage picture(4, 2, QImage::Format_ARGB32);
    screen.fill(qRgba(10, 255, 200, 0x40)); // blue 200
    picture.fill(qRgba(0, 1, 40, 0xFF));     // blue 40
    BlendBitmaps(screen, picture, 25);
    const QRgb p = screen.pixel(3, 1);
    EXPECT_EQ(qBlue(p), 160);                // (200 * 75 + 40 * 25) div 100
    EXPECT_EQ(qGreen(p), 191);               // (255 * 75 + 1 * 25) div 100 = 191.5 -> 191
    EXPECT_EQ(qRed(p), 7);                   // 7.5 -> 7
    EXPECT_EQ(qAlpha(p), 0x40);

    // At 50 every byte is the mean rounded down; 0 and 100 give either picture.
    QImage a(3, 1, QImage::Format_RGB32), b(3, 1, QImage::Format_RGB32);
    a.setPixel(0, 0, qRgb(0, 255, 7));
    a.setPixel(1, 0, qRgb(1, 2, 3));
    a.setPixel(2, 0, qRgb(254, 100, 9));
    b.setPixel(0, 0, qRgb(255, 0, 8));
    b.setPixel(1, 0, qRgb(2, 2, 2));
    b.setPixel(2, 0, qRgb(255, 101, 10));
    QImage half = a.copy();
    BlendBitmaps(half, b, 50);
    for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(qRed(half.pixel(x, 0)), (qRed(a.pixel(x, 0)) + qRed(b.pixel(x, 0))) / 2);
        EXPECT_EQ(qGreen(half.pixel(x, 0)), (qGreen(a.pixel(x, 0)) + qGreen(b.pixel(x, 0))) / 2);
        EXPECT_EQ(qBlue(half.pixel(x, 0)), (qBlue(a.pixel(x, 0)) + qBlue(b.pixel(x, 0))) / 2);
    }
    QImage none = a.copy(), all = a.copy();
    BlendBitmaps(none, b, 0);
    BlendBitmaps(all, b, 100);
    EXPECT_EQ(none, a);
    EXPECT_EQ(all, b);
}

TEST(Primitives, BlendMatchesTheByteFormulaForEveryPercent)
{
    // A row long enough for the four-pixel path and its tail, with varied bytes.
    const int W = 23, H = 3;
    QImage a(W, H, QImage::Format_ARGB32), b(W, H, QImage::Format_ARGB32);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const int k = y * W + x;
            a.setPixel(x, y, qRgba((k * 37) & 255, (k * 91 + 255) & 255, (255 - k * 13) & 255, k & 255));
            b.setPixel(x, y, qRgba((k * 53 + 7) & 255, 255 - ((k * 29) & 255), (k * 201) & 255, 255 - k));
        }
    for (int percent = 0; percent <= 100; ++percent) {
        QImage mixed = a.copy();
        BlendBitmaps(mixed, b, percent);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const QRgb o = a.pixel(x, y), n = b.pixel(x, y), m = mixed.pixel(x, y);
                auto mix = [&](int ob, int nb) { return (ob * (100 - percent) + nb * percent) / 100; };
                ASSERT_EQ(qRed(m), mix(qRed(o), qRed(n))) << percent << " " << x;
                ASSERT_EQ(qGreen(m), mix(qGreen(o), qGreen(n))) << percent << " " << x;
                ASSERT_EQ(qBlue(m), mix(qBlue(o), qBlue(n))) << percent << " " << x;
                ASSERT_EQ(qAlpha(m), qAlpha(o)) << percent << " " << x;
            }
    }
}

TEST(Primitives, RotateBitmapAtZeroShiftsOnePixelLeftAndDown)
{
    const int W = 12, H = 9;
    QImage screen = coded(W, H, true);
    RotateBitmap(screen, coded(W, H, false), 0, 0, 0.0);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const Source s = at(screen, x, y);
            if (x + 1 < W && y >= 1) {
                EXPECT_FALSE(s.old) << x << "," << y;
                EXPECT_EQ(s.x, x + 1);
                EXPECT_EQ(s.y, y - 1);
            } else {
                // The source falls outside the picture: the old screen stays.
                EXPECT_TRUE(s.old) << x << "," << y;
                EXPECT_EQ(s.x, x);
                EXPECT_EQ(s.y, y);
            }
        }
}

TEST(Primitives, RotateBitmapHalfTurnAboutTheCentreMirrorsBothAxes)
{
    const int W = 16, H = 10;
    QImage screen = coded(W, H, true);
    RotateBitmap(screen, coded(W, H, false), W / 2, H / 2, std::numbers::pi);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const Source s = at(screen, x, y);
            ASSERT_FALSE(s.old) << x << "," << y;
            EXPECT_EQ(s.x, W - 1 - x);
            EXPECT_EQ(s.y, H - 1 - y);
        }
}

// The pixel mapping written out directly, pixel by pixel, as the reference for the
// row-run implementation.
QImage rotateReference(const QImage &screen, const QImage &picture, int A, int B, double angle)
{
    QImage out = screen.copy();
    const int W = picture.width(), H = picture.height();
    const int C = Round(std::cos(-angle) * 65536), S = Round(std::sin(-angle) * 65536);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            const int u = x + 1 - A, v = H - B - y;
            const int sx = A + ((u * C - v * S) >> 16);
            const int sr = B + ((u * S + v * C) >> 16);
            if (sr >= 0 && sr < H && sx >= 0 && sx < W)
                out.setPixel(x, y, picture.pixel(sx, H - 1 - sr));
        }
    return out;
}

TEST(Primitives, RotateBitmapMatchesThePixelMappingAtAnyAngle)
{
    const int W = 61, H = 40;
    const QImage picture = coded(W, H, false);
    const QImage old = coded(W, H, true);
    struct Pivot {
        int a, b;
    };
    const Pivot pivots[] = {{-1, -1}, {-1, H}, {W, -1}, {W, H}, {W / 2, H / 2}, {7, 33}};
    for (const Pivot &pv : pivots)
        for (double deg : {0.0, 0.9, 10.0, 45.0, 89.1, 90.0, 135.0, 180.0, 250.0, -30.0, -89.1}) {
            const double angle = deg * std::numbers::pi / 180;
            QImage screen = old.copy();
            RotateBitmap(screen, picture, pv.a, pv.b, angle);
            EXPECT_EQ(screen, rotateReference(old, picture, pv.a, pv.b, angle))
                << "pivot " << pv.a << "," << pv.b << " angle " << deg;
        }
}

TEST(Primitives, RotatePointsTurnsClockwiseOnTheScreen)
{
    QPoint pts[] = {{110, 50}, {100, 40}, {100, 50}, {103, 51}};
    RotatePoints(pts, 3, 100, 50, std::numbers::pi / 2);
    EXPECT_EQ(pts[0], QPoint(100, 60)); // right of the centre turns to below it
    EXPECT_EQ(pts[1], QPoint(110, 50)); // above turns to the right
    EXPECT_EQ(pts[2], QPoint(100, 50));
    EXPECT_EQ(pts[3], QPoint(99, 53));
    QPoint one[] = {{7, 3}, {9, 9}};
    RotatePoints(one, 0, 0, 0, std::numbers::pi); // only up to the given last index
    EXPECT_EQ(one[0], QPoint(-7, -3));
    EXPECT_EQ(one[1], QPoint(9, 9));
}

TEST(Primitives, ShiftRectReadsTheSourceAsItWasBeforeTheCopy)
{
    struct Case {
        TRect d, s;
    };
    const int W = 40, H = 30;
    const Case cases[] = {
        {{10, 0, 40, 30}, {0, 0, 30, 30}},  // right, overlapping
        {{0, 0, 30, 30}, {10, 0, 40, 30}},  // left
        {{0, 7, 40, 30}, {0, 0, 40, 23}},   // down
        {{0, 0, 40, 23}, {0, 7, 40, 30}},   // up
        {{12, 0, 40, 30}, {0, 0, 40, 30}},  // squeezed right
        {{0, 9, 40, 30}, {0, 0, 40, 30}},   // squeezed down
        {{0, 0, 40, 21}, {0, 0, 40, 30}},   // squeezed up
        {{5, 0, 35, 30}, {0, 0, 40, 30}},   // columns cross each other within a row
        {{0, 0, 40, 30}, {6, 0, 30, 30}},   // columns cross, magnified
        {{5, 5, 35, 25}, {0, 10, 40, 20}},  // rows cross each other
    };
    for (const Case &c : cases) {
        QImage screen = coded(W, H, false);
        const QImage before = screen.copy();
        ShiftRect(screen, c.d, c.s);
        QImage expected = before.copy();
        CopyRect(expected, c.d, before, c.s); // the same stretch from an untouched copy
        EXPECT_EQ(screen, expected) << c.d.Left << "," << c.d.Top << " <- " << c.s.Left << "," << c.s.Top;
    }
}

TEST(Primitives, CopiesAcceptPicturesOfOtherFormats)
{
    const QImage picture = coded(50, 20, false);
    QImage a = coded(50, 20, true), b = coded(50, 20, true);
    EffectProcOf(2)(a, picture, QRect(0, 0, 50, 20), 4, 60);
    EffectProcOf(2)(b, picture.convertToFormat(QImage::Format_ARGB32), QRect(0, 0, 50, 20), 4, 60);
    EXPECT_EQ(a, b);
    // A 24-bit picture is converted on the fly: colours survive.
    QImage colour(8, 4, QImage::Format_RGB888);
    colour.fill(QColor(10, 200, 30));
    QImage screen(8, 4, QImage::Format_RGB32);
    screen.fill(Qt::black);
    Reveal(screen, colour, {0, 0, 8, 4});
    EXPECT_EQ(screen.pixel(7, 3), qRgb(10, 200, 30));
    // A 32-bit picture in another byte order keeps its colours too.
    QImage rgba = colour.convertToFormat(QImage::Format_RGBA8888);
    screen.fill(Qt::black);
    CopyRect(screen, {0, 0, 8, 4}, rgba, {0, 0, 4, 2});
    EXPECT_EQ(screen.pixel(5, 1), qRgb(10, 200, 30));
    QImage mixed(8, 4, QImage::Format_RGB32);
    mixed.fill(Qt::black);
    BlendBitmaps(mixed, rgba, 100);
    EXPECT_EQ(mixed.pixel(2, 2), qRgb(10, 200, 30));
}

// ------------------------------------------------------------------------------------------
// The copy-family effects against their geometry, pixel by pixel.
//
// Each effect is written here as its list of operations. The checker walks every pixel of
// the frame, finds the last operation covering it and verifies where the pixel came from:
// one-to-one copies must hit the exact source pixel; stretched ones a source pixel within
// one of the ideal position (the resampling is nearest-neighbour, not fixed further);
// pixels that no operation covers must be the untouched old screen.

enum class OpKind { Copy, Shift, MirrorH, MirrorV };

struct Op {
    OpKind kind;
    TRect d, s;
};

Op copyOp(TRect d, TRect s) { return {OpKind::Copy, d, s}; }
Op revealOp(TRect r) { return {OpKind::Copy, r, r}; }
Op shiftOp(TRect d, TRect s) { return {OpKind::Shift, d, s}; }

using Geometry = std::function<std::vector<Op>(int W, int H, int Wp, int Hp, int X)>;

int rollR(int size, int share)
{
    const int r = share < size / 5 ? share / 2 : size < share + size / 5 ? (size - share) / 2 : size / 10;
    return share + r;
}
int rollL(int size, int share)
{
    const int E = size - share;
    return E + size / 5 > size ? E - share / 2 : size / 5 > E ? E - E / 2 : E - size / 10;
}

const std::map<int, Geometry> &geometries()
{
    static const std::map<int, Geometry> g = {
        // Squeeze
        {1, [](int W, int H, int Wp, int, int) { return std::vector{copyOp({W - Wp, 0, W, H}, {0, 0, W, H})}; }},
        {2, [](int W, int H, int Wp, int, int) { return std::vector{copyOp({0, 0, Wp, H}, {0, 0, W, H})}; }},
        {10, [](int W, int H, int Wp, int, int) { return std::vector{copyOp({(W - Wp) / 2, 0, (W + Wp) / 2, H}, {0, 0, W, H})}; }},
        {13, [](int W, int H, int Wp, int, int) {
             return std::vector{copyOp({0, 0, Wp / 2 + 1, H}, {0, 0, W / 2 + 1, H}),
                                copyOp({W - Wp / 2 - 1, 0, W, H}, {W / 2, 0, W, H})};
         }},
        {18, [](int W, int H, int, int Hp, int) { return std::vector{copyOp({0, H - Hp, W, H}, {0, 0, W, H})}; }},
        {19, [](int W, int H, int, int Hp, int) { return std::vector{copyOp({0, 0, W, Hp}, {0, 0, W, H})}; }},
        {27, [](int W, int H, int, int Hp, int) { return std::vector{copyOp({0, (H - Hp) / 2, W, (H + Hp) / 2}, {0, 0, W, H})}; }},
        {30, [](int W, int H, int, int Hp, int) {
             return std::vector{copyOp({0, 0, W, Hp / 2 + 1}, {0, 0, W, H / 2 + 1}),
                                copyOp({0, H - Hp / 2 - 1, W, H}, {0, H / 2, W, H})};
         }},
        {35, [](int W, int H, int Wp, int Hp, int) { return std::vector{copyOp({W - Wp, H - Hp, W, H}, {0, 0, W, H})}; }},
        {36, [](int W, int H, int Wp, int Hp, int) { return std::vector{copyOp({W - Wp, 0, W, Hp}, {0, 0, W, H})}; }},
        {37, [](int W, int H, int Wp, int Hp, int) { return std::vector{copyOp({0, 0, Wp, Hp}, {0, 0, W, H})}; }},
        {38, [](int W, int H, int Wp, int Hp, int) { return std::vector{copyOp({0, H - Hp, Wp, H}, {0, 0, W, H})}; }},
        {52, [](int W, int H, int Wp, int Hp, int) {
             return std::vector{copyOp({(W - Wp) / 2, (H - Hp) / 2, (W + Wp) / 2, (H + Hp) / 2}, {0, 0, W, H})};
         }},
        {56, [](int W, int H, int Wp, int Hp, int) {
             return std::vector{copyOp({0, 0, Wp / 2 + 1, Hp / 2 + 1}, {0, 0, W / 2 + 1, H / 2 + 1}),
                                copyOp({0, H - Hp / 2, Wp / 2 + 1, H}, {0, H / 2 + 1, W / 2 + 1, H}),
                                copyOp({W - Wp / 2, H - Hp / 2, W, H}, {W / 2 + 1, H / 2 + 1, W, H}),
                                copyOp({W - Wp / 2, 0, W, Hp / 2 + 1}, {W / 2 + 1, 0, W, H / 2 + 1})};
         }},
        // Slide
        {3, [](int W, int H, int Wp, int, int) { return std::vector{copyOp({W - Wp, 0, 2 * W - Wp, H}, {0, 0, W, H})}; }},
        {4, [](int W, int H, int Wp, int, int) { return std::vector{copyOp({Wp - W, 0, Wp, H}, {0, 0, W, H})}; }},
        {20, [](int W, int H, int, int Hp, int) { return std::vector{copyOp({0, H - Hp, W, 2 * H - Hp}, {0, 0, W, H})}; }},
        {21, [](int W, int H, int, int Hp, int) { return std::vector{copyOp({0, Hp - H, W, Hp}, {0, 0, W, H})}; }},
        {39, [](int W, int H, int Wp, int Hp, int) { return std::vector{copyOp({W - Wp, H - Hp, 2 * W - Wp, 2 * H - Hp}, {0, 0, W, H})}; }},
        {40, [](int W, int H, int Wp, int Hp, int) { return std::vector{copyOp({W - Wp, Hp - H, 2 * W - Wp, Hp}, {0, 0, W, H})}; }},
        {41, [](int W, int H, int Wp, int Hp, int) { return std::vector{copyOp({Wp - W, Hp - H, Wp, Hp}, {0, 0, W, H})}; }},
        {42, [](int W, int H, int Wp, int Hp, int) { return std::vector{copyOp({Wp - W, H - Hp, Wp, 2 * H - Hp}, {0, 0, W, H})}; }},
        {57, [](int W, int H, int Wp, int Hp, int) {
             return std::vector{
                 copyOp({(Wp - W) / 2, 0, Wp / 2 + 1, H / 2 + 1}, {0, 0, W / 2 + 1, H / 2 + 1}),
                 copyOp({W / 2 - 1, (Hp - H) / 2, W, Hp / 2 + 1}, {W / 2 - 1, 0, W, H / 2 + 1}),
                 copyOp({W - Wp / 2, H / 2 - 1, W + (W - Wp) / 2, H}, {W / 2 + 1, H / 2 - 1, W, H}),
                 copyOp({0, H - Hp / 2, W / 2 + 1, H + (H - Hp) / 2}, {0, H / 2 + 1, W / 2 + 1, H})};
         }},
        // Wipe
        {5, [](int, int H, int Wp, int, int) { return std::vector{revealOp({0, 0, Wp, H})}; }},
        {6, [](int W, int H, int Wp, int, int) { return std::vector{revealOp({W - Wp, 0, W, H})}; }},
        {11, [](int W, int H, int Wp, int, int) { return std::vector{revealOp({(W - Wp) / 2, 0, (W + Wp) / 2, H})}; }},
        {12, [](int W, int H, int Wp, int, int) {
             return std::vector{revealOp({0, 0, Wp / 2 + 1, H}), revealOp({W - Wp / 2 - 1, 0, W, H})};
         }},
        {22, [](int W, int, int, int Hp, int) { return std::vector{revealOp({0, 0, W, Hp})}; }},
        {23, [](int W, int H, int, int Hp, int) { return std::vector{revealOp({0, H - Hp, W, H})}; }},
        {28, [](int W, int H, int, int Hp, int) { return std::vector{revealOp({0, (H - Hp) / 2, W, (H + Hp) / 2})}; }},
        {29, [](int W, int H, int, int Hp, int) {
             return std::vector{revealOp({0, 0, W, Hp / 2 + 1}), revealOp({0, H - Hp / 2 - 1, W, H})};
         }},
        {43, [](int, int, int Wp, int Hp, int) { return std::vector{revealOp({0, 0, Wp, Hp})}; }},
        {44, [](int, int H, int Wp, int Hp, int) { return std::vector{revealOp({0, H - Hp, Wp, H})}; }},
        {45, [](int W, int H, int Wp, int Hp, int) { return std::vector{revealOp({W - Wp, H - Hp, W, H})}; }},
        {46, [](int W, int, int Wp, int Hp, int) { return std::vector{revealOp({W - Wp, 0, W, Hp})}; }},
        {53, [](int W, int H, int Wp, int Hp, int) {
             return std::vector{revealOp({(W - Wp) / 2, (H - Hp) / 2, (W + Wp) / 2, (H + Hp) / 2})};
         }},
        {54, [](int W, int H, int Wp, int Hp, int) {
             return std::vector{revealOp({0, 0, W, Hp / 2}), revealOp({0, H - Hp / 2, W, H}),
                                revealOp({0, 0, Wp / 2, H}), revealOp({W - Wp / 2, 0, W, H})};
         }},
        {55, [](int W, int H, int Wp, int Hp, int) {
             return std::vector{revealOp({0, 0, Wp / 2 + 1, Hp / 2 + 1}), revealOp({0, H - Hp / 2 - 1, Wp / 2 + 1, H}),
                                revealOp({W - Wp / 2 - 1, H - Hp / 2 - 1, W, H}),
                                revealOp({W - Wp / 2 - 1, 0, W, Hp / 2 + 1})};
         }},
        // Zoom
        {7, [](int W, int H, int Wp, int, int) { return std::vector{copyOp({0, 0, 2 * W - Wp, H}, {0, 0, Wp, H})}; }},
        {8, [](int W, int H, int Wp, int, int) { return std::vector{copyOp({Wp - W, 0, W, H}, {W - Wp, 0, W, H})}; }},
        {9, [](int W, int H, int Wp, int, int) {
             return std::vector{copyOp({Wp - W, 0, 2 * W - Wp, H}, {(W - Wp) / 2, 0, (W + Wp) / 2, H})};
         }},
        {24, [](int W, int H, int, int Hp, int) { return std::vector{copyOp({0, 0, W, 2 * H - Hp}, {0, 0, W, Hp})}; }},
        {25, [](int W, int H, int, int Hp, int) { return std::vector{copyOp({0, Hp - H, W, H}, {0, H - Hp, W, H})}; }},
        {26, [](int W, int H, int, int Hp, int) {
             return std::vector{copyOp({0, Hp - H, W, 2 * H - Hp}, {0, (H - Hp) / 2, W, (H + Hp) / 2})};
         }},
        {47, [](int W, int H, int Wp, int Hp, int) { return std::vector{copyOp({0, 0, 2 * W - Wp, 2 * H - Hp}, {0, 0, Wp, Hp})}; }},
        {48, [](int W, int H, int Wp, int Hp, int) { return std::vector{copyOp({0, Hp - H, 2 * W - Wp, H}, {0, H - Hp, Wp, H})}; }},
        {49, [](int W, int H, int Wp, int Hp, int) { return std::vector{copyOp({Wp - W, Hp - H, W, H}, {W - Wp, H - Hp, W, H})}; }},
        {50, [](int W, int H, int Wp, int Hp, int) { return std::vector{copyOp({Wp - W, 0, W, 2 * H - Hp}, {W - Wp, 0, W, Hp})}; }},
        {51, [](int W, int H, int Wp, int Hp, int) {
             return std::vector{copyOp({Wp - W, Hp - H, 2 * W - Wp, 2 * H - Hp},
                                       {(W - Wp) / 2, (H - Hp) / 2, (W + Wp) / 2, (H + Hp) / 2})};
         }},
        // Unroll
        {14, [](int W, int H, int Wp, int, int) {
             const int R = rollR(W, Wp);
             return std::vector{Op{OpKind::MirrorH, {Wp, 0, R, H}, {R, 0, 2 * R - Wp, H}}, revealOp({0, 0, Wp, H})};
         }},
        {15, [](int W, int H, int Wp, int, int) {
             const int E = W - Wp, L = rollL(W, Wp);
             return std::vector{Op{OpKind::MirrorH, {L, 0, E, H}, {2 * L - E, 0, L, H}}, revealOp({W - Wp, 0, W, H})};
         }},
        {31, [](int W, int H, int, int Hp, int) {
             const int R = rollR(H, Hp);
             return std::vector{Op{OpKind::MirrorV, {0, Hp, W, R}, {0, R, W, 2 * R - Hp}}, revealOp({0, 0, W, Hp})};
         }},
        {32, [](int W, int H, int, int Hp, int) {
             const int E = H - Hp, L = rollL(H, Hp);
             return std::vector{Op{OpKind::MirrorV, {0, L, W, E}, {0, 2 * L - E, W, L}}, revealOp({0, H - Hp, W, H})};
         }},
        // Smear (with no grain only the uncovered part)
        {16, [](int W, int H, int Wp, int, int X) {
             std::vector v{revealOp({0, 0, Wp, H})};
             if (X)
                 v.push_back(copyOp({Wp, 0, W, H}, {Wp, 0, std::min(Wp + W / X, W), H}));
             return v;
         }},
        {17, [](int W, int H, int Wp, int, int X) {
             std::vector v{revealOp({W - Wp, 0, W, H})};
             if (X)
                 v.push_back(copyOp({0, 0, W - Wp, H}, {std::max(W - Wp - W / X, 0), 0, W - Wp, H}));
             return v;
         }},
        {33, [](int W, int H, int, int Hp, int X) {
             std::vector v{revealOp({0, 0, W, Hp})};
             if (X)
                 v.push_back(copyOp({0, Hp, W, H}, {0, Hp, W, std::min(Hp + H / X, H)}));
             return v;
         }},
        {34, [](int W, int H, int, int Hp, int X) {
             std::vector v{revealOp({0, H - Hp, W, H})};
             if (X)
                 v.push_back(copyOp({0, 0, W, H - Hp}, {0, std::max(H - Hp - H / X, 0), W, H - Hp}));
             return v;
         }},
        // Push
        {128, [](int W, int H, int Wp, int, int) {
             return std::vector{shiftOp({Wp, 0, W, H}, {0, 0, W - Wp, H}), copyOp({0, 0, Wp, H}, {W - Wp, 0, W, H})};
         }},
        {129, [](int W, int H, int Wp, int, int) {
             return std::vector{shiftOp({0, 0, W - Wp, H}, {Wp, 0, W, H}), copyOp({W - Wp, 0, W, H}, {0, 0, Wp, H})};
         }},
        {130, [](int W, int H, int Wp, int, int) {
             return std::vector{shiftOp({Wp, 0, W, H}, {0, 0, W, H}), copyOp({0, 0, Wp, H}, {W - Wp, 0, W, H})};
         }},
        {131, [](int W, int H, int Wp, int, int) {
             return std::vector{shiftOp({0, 0, W - Wp, H}, {0, 0, W, H}), copyOp({W - Wp, 0, W, H}, {0, 0, Wp, H})};
         }},
        {132, [](int W, int H, int, int Hp, int) {
             return std::vector{shiftOp({0, Hp, W, H}, {0, 0, W, H - Hp}), copyOp({0, 0, W, Hp}, {0, H - Hp, W, H})};
         }},
        {133, [](int W, int H, int, int Hp, int) {
             return std::vector{shiftOp({0, 0, W, H - Hp}, {0, Hp, W, H}), copyOp({0, H - Hp, W, H}, {0, 0, W, Hp})};
         }},
        {134, [](int W, int H, int, int Hp, int) {
             return std::vector{shiftOp({0, Hp, W, H}, {0, 0, W, H}), copyOp({0, 0, W, Hp}, {0, H - Hp, W, H})};
         }},
        {135, [](int W, int H, int, int Hp, int) {
             return std::vector{shiftOp({0, 0, W, H - Hp}, {0, 0, W, H}), copyOp({0, H - Hp, W, H}, {0, 0, W, Hp})};
         }},
    };
    return g;
}

// Allowed source positions along one axis for destination pixel p of a copy from
// [s0, s0 + sn) onto [d0, d0 + dn) (reversed when mirrored): exact for one-to-one copies,
// otherwise the ideal interval widened by one pixel.
std::pair<int, int> allowed(int p, int d0, int dn, int s0, int sn, bool mirrored)
{
    int i = p - d0;
    if (mirrored)
        i = dn - 1 - i;
    if (dn == sn && !mirrored)
        return {s0 + i, s0 + i};
    const int lo = int(std::floor(double(i) * sn / dn)) - 1;
    const int hi = int(std::ceil(double(i + 1) * sn / dn));
    return {std::max(s0 + lo, s0), std::min(s0 + hi, s0 + sn - 1)};
}

// Where the frame's pixel (x, y) must come from: the last operation that covers it.
// Returns false when no operation covers it (the old screen stays).
struct Expect {
    bool old;
    std::pair<int, int> xs, ys;
};

bool expectedAt(const std::vector<Op> &ops, int x, int y, int W, int H, Expect &out)
{
    bool found = false;
    // The push effects read the old screen as moved by the shift; a later copy covers the
    // freed part. Walk the operations in order and keep the last one covering (x, y).
    for (const Op &op : ops) {
        TRect d = op.d, s = op.s;
        bool mh = false, mv = false;
        if (op.kind == OpKind::MirrorH || op.kind == OpKind::MirrorV) {
            s = {std::max(s.Left, 0), std::max(s.Top, 0), std::min(s.Right, W), std::min(s.Bottom, H)};
            if (s.empty())
                continue;
            if (op.kind == OpKind::MirrorH) {
                d = {d.Left - 1, d.Top, d.Right + 1, d.Bottom};
                mh = true;
            } else {
                d = {d.Left, d.Top - 1, d.Right, d.Bottom + 1};
                mv = true;
            }
        }
        if (d.empty() || s.empty())
            continue;
        if (x < d.Left || x >= d.Right || y < d.Top || y >= d.Bottom)
            continue;
        Expect e;
        e.old = op.kind == OpKind::Shift;
        e.xs = allowed(x, d.Left, d.width(), s.Left, s.width(), mh);
        e.ys = allowed(y, d.Top, d.height(), s.Top, s.height(), mv);
        // Samples falling outside the picture are not drawn; treat the pixel as uncovered
        // by this operation.
        if (e.xs.first >= W || e.xs.second < 0 || e.ys.first >= H || e.ys.second < 0)
            continue;
        out = e;
        found = true;
    }
    return found;
}

void checkEffect(int effect, int W, int H, int step, int progress)
{
    SCOPED_TRACE(::testing::Message() << "effect " << effect << " on " << W << "x" << H << " step "
                                      << step << " P" << progress);
    const QImage f = frame(effect, W, H, step, progress);
    const EffectMetrics m(QRect(0, 0, W, H), step, progress);
    const std::vector<Op> ops = geometries().at(effect)(m.W, m.H, m.Wp, m.Hp, m.X);
    int failures = 0;
    for (int y = 0; y < H && failures < 5; ++y)
        for (int x = 0; x < W && failures < 5; ++x) {
            const Source s = at(f, x, y);
            Expect e;
            if (!expectedAt(ops, x, y, W, H, e)) {
                if (!s.old || s.x != x || s.y != y) {
                    ADD_FAILURE() << "(" << x << "," << y << ") should keep the old screen";
                    ++failures;
                }
                continue;
            }
            if (s.old != e.old || s.x < e.xs.first || s.x > e.xs.second || s.y < e.ys.first ||
                s.y > e.ys.second) {
                ADD_FAILURE() << "(" << x << "," << y << ") came from " << (s.old ? "old " : "new ")
                              << s.x << "," << s.y << "; expected " << (e.old ? "old " : "new ")
                              << e.xs.first << ".." << e.xs.second << ", " << e.ys.first << ".."
                              << e.ys.second;
                ++failures;
            }
        }
}

TEST(CopyEffects, EveryFrameFollowsItsGeometry)
{
    struct Size {
        int w, h, step;
    };
    const Size sizes[] = {{200, 100, 4}, {101, 77, 4}, {60, 90, 4}, {64, 48, 1}, {37, 23, 100}, {9, 7, 4}};
    const int progresses[] = {1, 10, 25, 33, 50, 66, 75, 90, 99};
    for (const auto &[effect, geometry] : geometries())
        for (const Size &s : sizes)
            for (int p : progresses)
                checkEffect(effect, s.w, s.h, s.step, p);
}

TEST(CopyEffects, CoverTheFiveFamiliesWithoutGaps)
{
    std::set<int> expected;
    for (int n = 1; n <= 57; ++n)
        expected.insert(n);
    for (int n = 128; n <= 135; ++n)
        expected.insert(n);
    std::set<int> covered;
    for (const auto &entry : geometries())
        covered.insert(entry.first);
    EXPECT_EQ(covered, expected);
}

// The worked examples, with the numbers written out.

TEST(CopyEffects, SqueezeFromLeftAtHalfway)
{
    const QImage f = frame(2, 200, 100, 4, 50);
    for (int y : {0, 37, 99})
        for (int x = 0; x < 200; ++x) {
            const Source s = at(f, x, y);
            if (x < 100) {
                ASSERT_FALSE(s.old) << x;
                EXPECT_TRUE(s.x == 2 * x || s.x == 2 * x + 1) << x << " took " << s.x;
                EXPECT_EQ(s.y, y);
            } else {
                ASSERT_TRUE(s.old) << x;
                EXPECT_EQ(s.x, x);
            }
        }
}

TEST(CopyEffects, RevealFromLeftAtHalfway)
{
    const QImage f = frame(5, 200, 100, 4, 50);
    for (int x = 0; x < 200; ++x) {
        const Source s = at(f, x, 50);
        EXPECT_EQ(s.old, x >= 100) << x;
        EXPECT_EQ(s.x, x);
    }
}

TEST(CopyEffects, UnrollRollWidthGrowsHoldsAndShrinks)
{
    // (progress, Wp, roll width r): the roll covers Wp .. Wp + r (one extra column from
    // the widened mirror), showing the strip beyond it back to front.
    const std::tuple<int, int, int> cases[] = {{10, 20, 10}, {50, 100, 20}, {90, 180, 10}};
    for (const auto &[p, wp, r] : cases) {
        const QImage f = frame(14, 200, 100, 4, p);
        const int R = wp + r;
        for (int x = 0; x < 200; ++x) {
            const Source s = at(f, x, 60);
            if (x < wp) {
                EXPECT_FALSE(s.old);
                EXPECT_EQ(s.x, x);
            } else if (x <= R) {
                ASSERT_FALSE(s.old) << "P" << p << " x " << x;
                EXPECT_GE(s.x, R);
                EXPECT_LT(s.x, std::min(R + r, 200));
            } else {
                EXPECT_TRUE(s.old) << "P" << p << " x " << x;
            }
        }
        // Back to front: the column next to the uncovered part shows the far end of the strip.
        EXPECT_GT(at(f, wp, 60).x, at(f, R, 60).x) << "P" << p;
    }
}

TEST(CopyEffects, SmearStripFollowsTheGrain)
{
    // 900 x 600 at P 50: Wp 450. Step 4 gives X 40 and a strip of 22 columns; step 1 gives
    // X 10 and 90 columns, stretched over the 450 columns that are not uncovered yet.
    const std::pair<int, int> cases[] = {{4, 22}, {1, 90}};
    for (const auto &[step, strip] : cases) {
        const QImage f = frame(16, 900, 600, step, 50);
        std::set<int> used;
        for (int x = 450; x < 900; ++x) {
            const Source s = at(f, x, 300);
            ASSERT_FALSE(s.old);
            used.insert(s.x);
        }
        EXPECT_EQ(*used.begin(), 450) << step;
        EXPECT_EQ(*used.rbegin(), 450 + strip - 1) << step;
        EXPECT_EQ(int(used.size()), strip) << step;
    }
}

TEST(CopyEffects, PushRightAtAQuarter)
{
    const QImage f = frame(128, 400, 300, 4, 25);
    for (int y : {0, 150, 299})
        for (int x = 0; x < 400; ++x) {
            const Source s = at(f, x, y);
            if (x < 100) {
                EXPECT_FALSE(s.old);
                EXPECT_EQ(s.x, x + 300);
            } else {
                EXPECT_TRUE(s.old);
                EXPECT_EQ(s.x, x - 100);
            }
            EXPECT_EQ(s.y, y);
        }
}

TEST(CopyEffects, SmearWithoutGrainDrawsOnlyTheUncoveredPart)
{
    // 10 x 8 with step 4: X = 0.
    for (int effect : {16, 17, 33, 34}) {
        const QImage f = frame(effect, 10, 8, 4, 50);
        int fresh = 0;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 10; ++x) {
                const Source s = at(f, x, y);
                EXPECT_EQ(s.x, x);
                EXPECT_EQ(s.y, y);
                fresh += !s.old;
            }
        EXPECT_EQ(fresh, effect == 16 || effect == 17 ? 5 * 8 : 10 * 4) << effect;
    }
}

// Degenerate sizes: no effect may fail or hang; what little is drawn stays inside Screen.
// Steps and progress values outside the control's range (it never passes them) are included:
// a procedure called directly with them must not fail or hang either.
TEST(AllEffects, SurviveEmptyAndTinyPictures)
{
    const std::pair<int, int> sizes[] = {{0, 0}, {0, 10}, {10, 0}, {1, 1}, {2, 1}, {3, 2}, {11, 5}, {40, 21}};
    for (const auto &[w, h] : sizes)
        for (int step : {1, 4, 100, 0, -3, 1000})
            for (int p : {1, 2, 50, 99, 0, 100, 150, -5})
                for (int n = 1; n <= EffectCount; ++n) {
                    QImage screen = w && h ? coded(w, h, true) : QImage(w, h, QImage::Format_RGB32);
                    const QImage picture = w && h ? coded(w, h, false) : QImage(w, h, QImage::Format_RGB32);
                    const QSize before = screen.size();
                    EffectProcOf(n)(screen, picture, QRect(0, 0, w, h), step, p);
                    EXPECT_EQ(screen.size(), before) << n;
                }
}

} // namespace
