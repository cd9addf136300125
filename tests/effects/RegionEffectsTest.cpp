// The region and pixel effects as the picture show control calls them: through the
// catalogue, with Screen holding the old screen and Picture the new one.
#include "effects/EffectPrimitives.h"
#include "effects/ShowEffect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

namespace {

// Old screen and new picture differ in every pixel (red is 200 on the old screen, below 200
// in the picture), and the picture's pixels tell where they came from.
QRgb oldPixel(int x, int y)
{
    return qRgb(200, (x * 3) & 255, (y * 7) & 255);
}

QRgb newPixel(int x, int y)
{
    return qRgb(x % 200, y & 255, (x >> 8) * 16 + (y >> 8));
}

QImage makeImage(int w, int h, QRgb (*pixel)(int, int))
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, pixel(x, y));
    return image;
}

struct Frame {
    int w = 0, h = 0;
    QImage screen, picture;

    Frame(int effect, int width, int height, int step, int progress) : w(width), h(height)
    {
        screen = makeImage(w, h, oldPixel);
        picture = makeImage(w, h, newPixel);
        EffectProcOf(effect)(screen, picture, QRect(0, 0, w, h), step, progress);
    }
    bool isNew(int x, int y) const { return screen.pixel(x, y) == picture.pixel(x, y); }
    bool isOld(int x, int y) const { return screen.pixel(x, y) == oldPixel(x, y); }
    // Share of the picture shown, 0..1.
    double coverage() const
    {
        if (w == 0 || h == 0)
            return 0;
        long shown = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                shown += isNew(x, y);
        return double(shown) / (double(w) * h);
    }
    std::vector<bool> mask() const
    {
        std::vector<bool> m;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                m.push_back(isNew(x, y));
        return m;
    }
};

std::vector<int> regionEffects()
{
    std::vector<int> out;
    for (int n = 58; n <= 117; ++n)
        out.push_back(n);
    for (int n = 123; n <= 127; ++n)
        out.push_back(n);
    for (int n = 136; n <= 150; ++n)
        out.push_back(n);
    return out;
}

// Compares the frame with a rule that says which pixels show the new picture.
void expectMask(const Frame &f, const std::function<bool(int, int)> &shown)
{
    int wrong = 0;
    for (int y = 0; y < f.h; ++y)
        for (int x = 0; x < f.w; ++x) {
            const bool expected = shown(x, y);
            if ((expected ? !f.isNew(x, y) : !f.isOld(x, y)) && ++wrong <= 5)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") should be " << (expected ? "new" : "old");
        }
    EXPECT_EQ(wrong, 0);
}

struct Pt {
    int x, y;
};

} // namespace

TEST(RegionEffects, DrawOnlyTheNewPictureInPlaceAtEverySizeStepAndProgress)
{
    // Includes pictures whose grain X is 0 (10 x 10 with Step 4), whose Wp is 0 at the first
    // frames, a single pixel, and portrait shapes; every call must end and every pixel must
    // be either the old screen's or the picture's own pixel at that place.
    struct Size {
        int w, h;
    };
    const Size sizes[] = {{1, 1}, {5, 3}, {10, 10}, {12, 7}, {37, 23}, {23, 61}, {160, 90}};
    for (int effect : regionEffects())
        for (const Size s : sizes)
            for (int step : {1, 4, 100})
                for (int p : {1, 2, 25, 50, 75, 98, 99}) {
                    const Frame f(effect, s.w, s.h, step, p);
                    int foreign = 0;
                    for (int y = 0; y < s.h; ++y)
                        for (int x = 0; x < s.w; ++x)
                            foreign += !f.isNew(x, y) && !f.isOld(x, y);
                    EXPECT_EQ(foreign, 0) << "effect " << effect << " size " << s.w << "x" << s.h
                                          << " step " << step << " P " << p;
                }
}

TEST(RegionEffects, EmptyPicturesDrawNothingAndDoNotFail)
{
    for (int effect = 58; effect <= 150; ++effect) {
        if (effect >= 128 && effect <= 135)
            continue;
        for (const QSize size : {QSize(0, 0), QSize(0, 7), QSize(7, 0)}) {
            QImage screen(size, QImage::Format_RGB32);
            const QImage picture(size, QImage::Format_RGB32);
            EffectProcOf(effect)(screen, picture, QRect(QPoint(0, 0), size), 4, 50);
            EXPECT_TRUE(screen.isNull()) << effect;
        }
    }
}

TEST(RegionEffects, ShowLittleAtTheFirstFrameAndMostAtTheLast)
{
    for (int effect : regionEffects()) {
        SCOPED_TRACE(effect);
        EXPECT_LE(Frame(effect, 300, 200, 4, 1).coverage(), 0.2);
        EXPECT_GE(Frame(effect, 300, 200, 4, 99).coverage(), 0.75);
    }
}

TEST(RegionEffects, GrowingEffectsNeverTakeBackWhatTheyShowed)
{
    const int growing[] = {58, 59, 60, 61, 62, 63, 64, 69, 70, 71, 72, 73, 74, 75, 80, 81, 82, 83,
                           84, 85, 86, 87, 88, 89, 90, 91, 92, 93, 94, 95, 96, 97, 98, 99, 110, 111,
                           112, 113, 114, 115, 116, 127, 136, 137, 142, 143, 144};
    for (int effect : growing) {
        SCOPED_TRACE(effect);
        std::vector<bool> before = Frame(effect, 120, 80, 4, 1).mask();
        for (int p = 5; p <= 99; p += 6) {
            const std::vector<bool> now = Frame(effect, 120, 80, 4, p).mask();
            int lost = 0;
            for (std::size_t i = 0; i < now.size(); ++i)
                lost += before[i] && !now[i];
            EXPECT_EQ(lost, 0) << "P " << p;
            before = now;
        }
    }
}

TEST(RegionEffects, BarsAndBlindsArePixelExact)
{
    struct Case {
        const char *name;
        int effect, w, h, step, p;
        std::function<bool(int, int)> shown;
    };
    const std::vector<Case> cases = {
        // 100 x 20, Step 4: X = 4.
        {"60 first phase", 60, 100, 20, 4, 20, [](int x, int y) { return y % 10 < 5 && x >= 60; }},
        {"60 snapped to the edge", 60, 100, 20, 4, 49, [](int, int y) { return y % 10 < 5; }},
        {"60 second phase", 60, 100, 20, 4, 75, [](int x, int y) { return y % 10 < 5 || x >= 50; }},
        {"61 from the left", 61, 100, 20, 4, 20, [](int x, int y) { return y % 10 < 5 && x < 40; }},
        {"62 left, then right", 62, 100, 20, 4, 75, [](int x, int y) { return y % 10 < 5 || x >= 50; }},
        {"63 right, then left", 63, 100, 20, 4, 75, [](int x, int y) { return y % 10 < 5 || x < 50; }},
        // Effect 64 never has a second phase: at the last frame every row lacks one pixel.
        {"64 alternating, last frame", 64, 100, 20, 4, 99,
         [](int x, int y) { return y % 10 < 5 ? x >= 1 : x < 99; }},
        // 20 x 100 (portrait): Hp = P, X = 4.
        {"71 columns from the bottom", 71, 20, 100, 4, 20, [](int x, int y) { return x % 10 < 5 && y >= 60; }},
        {"72 columns from the top, second phase", 72, 20, 100, 4, 75,
         [](int x, int y) { return x % 10 < 5 || y < 50; }},
        {"75 columns alternating", 75, 20, 100, 4, 30,
         [](int x, int y) { return x % 10 < 5 ? y >= 70 : y < 30; }},
        // 900 wide, Step 4: X = 40, n = 22, slats every 22 pixels, 11 wide at P 50.
        {"136 blinds", 136, 900, 30, 4, 50, [](int x, int) { return x % 22 < 11; }},
        {"137 blinds", 137, 30, 900, 4, 50, [](int, int y) { return y % 22 < 11; }},
        // 200 x 100 at P 50: Wp = 100, Hp = 50.
        {"138 uneven from the left", 138, 200, 100, 4, 50, [](int x, int) { return x % 100 < 50; }},
        {"139 uneven from the right", 139, 200, 100, 4, 50, [](int x, int) { return x % 100 >= 50; }},
        {"140 uneven from the top", 140, 200, 100, 4, 50, [](int, int y) { return y % 50 < 25; }},
        {"141 uneven from the bottom", 141, 200, 100, 4, 50, [](int, int y) { return y % 50 >= 25; }},
        // X = 9, n = 100 div 9 = 11, e = 2: bands at rows 3..6 of every 11, with the slats of 138.
        {"145 bands and uneven blinds", 145, 200, 100, 4, 50,
         [](int x, int y) { return x % 100 < 50 || (y % 11 >= 3 && y % 11 <= 6); }},
        {"146 bands and uneven blinds", 146, 200, 100, 4, 50,
         [](int x, int y) { return x % 100 >= 50 || (y % 11 >= 3 && y % 11 <= 6); }},
        // n = 200 div 9 = 22, e = 5: columns 6..15 of every 22, with the slats of 140.
        {"147 bands and uneven blinds", 147, 200, 100, 4, 50,
         [](int x, int y) { return y % 50 < 25 || (x % 22 >= 6 && x % 22 <= 15); }},
        // X = 9: a = 100 div 9 = 11, b = 50 div 9 = 5, n = 4, w = 50, h = 25.
        {"142 grid of rectangles", 142, 200, 100, 4, 50,
         [](int x, int y) {
             const int dx = (x + 11) % 50, dy = (y + 5) % 25;
             return dx < 22 && dy < 10;
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        expectMask(Frame(c.effect, c.w, c.h, c.step, c.p), c.shown);
    }
}

TEST(RegionEffects, CrissCrossCrossingsAreTheOverlapOfTwoPatterns)
{
    for (int p : {10, 30, 60, 90}) {
        SCOPED_TRACE(p);
        const Frame a(86, 150, 90, 4, p), b(89, 150, 90, 4, p), both(99, 150, 90, 4, p);
        expectMask(both, [&](int x, int y) { return a.isNew(x, y) && b.isNew(x, y); });
    }
    EXPECT_LT(Frame(99, 150, 90, 4, 10).coverage(), 0.05);
    EXPECT_GT(Frame(99, 150, 90, 4, 99).coverage(), 0.95);
}

TEST(RegionEffects, ShapesShowWhereTheyShould)
{
    // 200 x 100 (Step 4) unless said otherwise; points that must show the new picture and
    // points that must keep the old screen.
    struct Case {
        const char *name;
        int effect, w, h, p;
        std::vector<Pt> shown, kept;
    };
    const std::vector<Case> cases = {
        {"58 rounded front from the left", 58, 200, 100, 50, {{5, 50}, {195, 50}, {100, 5}}, {{195, 2}, {195, 97}}},
        {"59 from the right", 59, 200, 100, 25, {{195, 50}, {120, 50}}, {{5, 50}, {90, 50}, {110, 2}}},
        {"69 from the top", 69, 100, 200, 25, {{50, 5}, {50, 80}}, {{50, 110}, {2, 90}}},
        {"70 from the bottom", 70, 100, 200, 25, {{50, 195}, {50, 120}}, {{50, 90}, {2, 110}}},
        {"80 from the top left", 80, 200, 100, 30, {{2, 2}, {90, 5}, {2, 40}}, {{150, 80}, {195, 95}}},
        {"81 from the top right", 81, 200, 100, 30, {{197, 2}, {110, 5}}, {{50, 80}, {5, 95}}},
        {"82 from the bottom left", 82, 200, 100, 30, {{2, 97}, {90, 95}}, {{150, 20}, {195, 5}}},
        // At P 50 the rectangle of 83 starts at (0, 0) with corners 2H = 200 wide: (110, 5)
        // lies on its straight top edge; with corners 2W wide it would be cut off.
        {"83 corner 2H by 2H", 83, 200, 100, 50, {{110, 5}, {197, 97}}, {{2, 2}, {20, 30}}},
        {"84 centred shape growing", 84, 200, 100, 30, {{100, 50}, {60, 50}, {100, 25}}, {{2, 2}, {197, 97}, {30, 50}}},
        {"85 outside a shrinking shape", 85, 200, 100, 50, {{2, 2}, {197, 97}, {5, 10}}, {{100, 50}, {80, 40}, {20, 50}}},
        {"110 triangle from the top left", 110, 200, 100, 50, {{2, 2}, {190, 2}, {2, 90}}, {{197, 97}, {110, 60}}},
        {"111 from the top right", 111, 200, 100, 50, {{197, 2}, {10, 2}, {197, 90}}, {{2, 97}, {90, 60}}},
        {"112 from the bottom left", 112, 200, 100, 50, {{2, 97}, {190, 97}, {2, 10}}, {{197, 2}, {110, 40}}},
        {"113 from the bottom right", 113, 200, 100, 50, {{197, 97}, {10, 97}, {197, 10}}, {{2, 2}, {90, 40}}},
        {"114 turning about two corners", 114, 200, 100, 50, {{5, 50}, {195, 50}, {60, 95}, {140, 5}},
         {{100, 50}, {140, 95}, {60, 5}}},
        {"115 turning the other way", 115, 200, 100, 50, {{100, 5}, {100, 95}, {195, 40}, {5, 60}},
         {{100, 50}, {5, 40}, {195, 60}}},
        {"116 wedges along the edges, clockwise", 116, 200, 100, 50,
         {{50, 2}, {198, 25}, {150, 98}, {2, 75}}, {{150, 2}, {198, 75}, {50, 98}, {2, 25}}},
        // X = 9, n = 4, w = 50, h = 25, a = 25, b = 12: the triangle of grid point (50, 25)
        // has its right angle at (25, 13) and legs of 50 and 24.
        {"117 grid of triangles", 117, 200, 100, 50, {{27, 15}, {26, 35}}, {{70, 35}}},
        // cx = cy = 100, R = 142; 25 arc points, the last at 86.4 degrees.
        {"143 quarter from 12 o'clock", 143, 200, 200, 25, {{150, 50}, {102, 5}, {195, 90}},
         {{50, 50}, {150, 150}, {50, 150}, {195, 97}, {98, 5}}},
        {"144 anticlockwise", 144, 200, 200, 25, {{50, 50}, {97, 5}}, {{150, 50}, {150, 150}, {50, 150}, {103, 5}}},
        // Turned by 90 degrees at P 25: a 50 x 25 rectangle becomes 24 wide and 50 high.
        {"149 turning rectangle", 149, 200, 100, 25, {{100, 50}, {100, 70}, {100, 30}}, {{120, 50}, {80, 50}}},
        // Star with tips 100 and 50 from the centre, turned by 90 degrees.
        {"150 turning star", 150, 200, 100, 25, {{100, 5}, {100, 95}, {140, 50}}, {{190, 50}, {10, 50}, {150, 10}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const Frame f(c.effect, c.w, c.h, 4, c.p);
        for (const Pt &p : c.shown)
            EXPECT_TRUE(f.isNew(p.x, p.y)) << p.x << "," << p.y;
        for (const Pt &p : c.kept)
            EXPECT_TRUE(f.isOld(p.x, p.y)) << p.x << "," << p.y;
    }
}

TEST(RegionEffects, RandomSquaresRepeatAtTheSameProgressAndAccumulate)
{
    const int w = 240, h = 160;
    RandSeed = 1;
    const Frame first(127, w, h, 4, 40);
    const uint32_t seedAfter = RandSeed;
    RandSeed = 987654321;
    const Frame again(127, w, h, 4, 40);
    EXPECT_EQ(first.screen, again.screen);
    // The generator continues from a value fixed by the picture's size.
    EXPECT_EQ(seedAfter, uint32_t(RandSeed));

    double previous = 0;
    std::vector<bool> before = Frame(127, w, h, 4, 1).mask();
    for (int p : {10, 40, 70, 99}) {
        const Frame f(127, w, h, 4, p);
        const std::vector<bool> now = f.mask();
        for (std::size_t i = 0; i < now.size(); ++i)
            ASSERT_FALSE(before[i] && !now[i]) << "P " << p;
        EXPECT_GT(f.coverage(), previous);
        previous = f.coverage();
        before = now;
    }
    // Squares are 2n wide, centred on a grid of pitch n: X = 11, n = 5.
    const Frame f(127, w, h, 4, 50);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (f.isNew(x, y)) {
                // A shown pixel lies in a whole 10 x 10 square aligned to the grid.
                const int gx = x / 5 * 5, gy = y / 5 * 5;
                bool inSquare = false;
                for (int ox : {0, 5})
                    for (int oy : {0, 5}) {
                        bool all = true;
                        for (int yy = gy - 5 + oy; yy < gy + 5 + oy && all; ++yy)
                            for (int xx = gx - 5 + ox; xx < gx + 5 + ox && all; ++xx)
                                if (xx >= 0 && yy >= 0 && xx < w && yy < h)
                                    all = f.isNew(xx, yy);
                        inSquare = inSquare || all;
                    }
                ASSERT_TRUE(inSquare) << x << "," << y;
            }
}

TEST(RegionEffects, ShredAndSpeckleDrawNewRandomEdgesEveryFrame)
{
    for (int effect : {65, 66, 67, 68, 76, 77, 78, 79, 100, 104, 108, 109, 123, 124, 125, 126}) {
        SCOPED_TRACE(effect);
        RandSeed = 42;
        const Frame a(effect, 300, 200, 4, 40);
        const Frame b(effect, 300, 200, 4, 40);
        EXPECT_NE(a.screen, b.screen);
        RandSeed = 42;
        const Frame c(effect, 300, 200, 4, 40);
        EXPECT_EQ(a.screen, c.screen); // the shared generator is the only source of change
    }
}

TEST(RegionEffects, ShredsAndSpecklesComeFromTheirSide)
{
    struct Case {
        int effect, w, h;
        std::vector<Pt> shown, kept;
    };
    // 300 x 200 at P 30: Wp 90, Hp 60; ragged by up to W div 7 = 42 (H div 7 = 28).
    const std::vector<Case> cases = {
        {65, 300, 200, {{290, 100}, {260, 10}}, {{10, 100}, {150, 190}}},
        {66, 300, 200, {{10, 100}, {40, 10}}, {{290, 100}, {150, 190}}},
        {67, 300, 200, {{150, 100}, {140, 10}}, {{10, 100}, {290, 100}}},
        {68, 300, 200, {{2, 100}, {297, 10}}, {{150, 100}}},
        {76, 300, 200, {{150, 195}, {10, 180}}, {{150, 5}, {150, 100}}},
        {77, 300, 200, {{150, 5}, {10, 20}}, {{150, 195}, {150, 100}}},
        {78, 300, 200, {{150, 100}, {10, 95}}, {{150, 5}, {150, 195}}},
        {79, 300, 200, {{150, 2}, {150, 197}}, {{150, 100}}},
        {123, 300, 200, {{290, 100}, {220, 10}}, {{10, 100}, {150, 50}}},
        {124, 300, 200, {{10, 100}, {80, 10}}, {{290, 100}, {150, 50}}},
        {125, 300, 200, {{150, 195}, {10, 150}}, {{150, 5}, {150, 100}}},
        {126, 300, 200, {{150, 5}, {10, 50}}, {{150, 195}, {150, 100}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.effect);
        for (int run = 0; run < 5; ++run) {
            const Frame f(c.effect, c.w, c.h, 4, 30);
            for (const Pt &p : c.shown)
                EXPECT_TRUE(f.isNew(p.x, p.y)) << p.x << "," << p.y;
            for (const Pt &p : c.kept)
                EXPECT_TRUE(f.isOld(p.x, p.y)) << p.x << "," << p.y;
        }
    }
}

TEST(RegionEffects, WithoutGrainTheGridAndPitchEffectsDrawNothing)
{
    // 10 x 10 with Step 4: X = MulDiv(10, 4, 90) = 0. 12 x 12 at P 1: Wp = Hp = 0.
    for (int effect : {117, 127, 136, 137, 142}) {
        SCOPED_TRACE(effect);
        for (int p : {1, 50, 99})
            EXPECT_EQ(Frame(effect, 10, 10, 4, p).coverage(), 0.0) << p;
    }
    for (int effect : {138, 139, 140, 141, 145, 146, 147, 148})
        EXPECT_EQ(Frame(effect, 12, 12, 4, 1).coverage(), 0.0) << effect;
    // Without X the bands of 145..148 are left out; the uneven blinds still grow.
    const Frame f(145, 10, 10, 4, 50);
    expectMask(f, [](int x, int) { return x % 5 < 2; });
}

TEST(PixelEffects, FadeMixesEveryColourByte)
{
    QImage screen(4, 2, QImage::Format_RGB32);
    screen.fill(qRgb(200, 100, 7));
    QImage picture(4, 2, QImage::Format_RGB32);
    picture.fill(qRgb(41, 0, 255));
    struct Case {
        int p;
        QRgb expected;
    };
    for (const Case c : {Case{50, qRgb(120, 50, 131)}, Case{25, qRgb(160, 75, 69)}, Case{1, qRgb(198, 99, 9)}}) {
        QImage s = screen;
        EffectProcOf(118)(s, picture, QRect(0, 0, 4, 2), 4, c.p);
        EXPECT_EQ(s.pixel(3, 1), c.expected) << c.p;
    }
}

TEST(PixelEffects, PivotsSwingInAboutTheirCorner)
{
    // At P 50 the picture is turned by 45 degrees about one corner. A shown pixel must come
    // from the picture's point that the turn carries onto it (within three pixels), and the
    // far corners keep the old screen.
    const int w = 200, h = 100;
    struct Case {
        int effect;
        Pt pivot;   // corner of the screen the picture turns about
        int sense;  // +1 counter-clockwise on the screen, -1 clockwise
        std::vector<Pt> shown, kept;
    };
    const std::vector<Case> cases = {
        {119, {0, h}, +1, {{50, 10}, {10, 70}}, {{199, 99}, {199, 0}}},
        {120, {0, 0}, -1, {{50, 90}, {10, 30}}, {{199, 0}, {199, 99}}},
        {121, {w, h}, -1, {{150, 10}, {190, 70}}, {{0, 99}, {0, 0}}},
        {122, {w, 0}, +1, {{150, 90}, {190, 50}}, {{0, 0}, {0, 99}}},
    };
    const double c45 = std::sqrt(0.5);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.effect);
        const Frame f(c.effect, w, h, 4, 50);
        for (const Pt &p : c.shown) {
            ASSERT_FALSE(f.isOld(p.x, p.y)) << p.x << "," << p.y;
            // Turn the screen point back about the pivot (screen y grows downward, so a
            // counter-clockwise turn on the screen is a negative angle in these axes).
            const double dx = p.x - c.pivot.x, dy = p.y - c.pivot.y;
            const double s = c.sense * c45; // sine of the turn to undo, in screen axes
            const double sx = c.pivot.x + dx * c45 - dy * s;
            const double sy = c.pivot.y + dx * s + dy * c45;
            const QRgb got = f.screen.pixel(p.x, p.y);
            bool near = false;
            for (int oy = -3; oy <= 3; ++oy)
                for (int ox = -3; ox <= 3; ++ox) {
                    const int qx = int(std::lround(sx)) + ox, qy = int(std::lround(sy)) + oy;
                    if (qx >= 0 && qy >= 0 && qx < w && qy < h && newPixel(qx, qy) == got)
                        near = true;
                }
            EXPECT_TRUE(near) << p.x << "," << p.y << " expected near " << sx << "," << sy;
        }
        for (const Pt &p : c.kept)
            EXPECT_TRUE(f.isOld(p.x, p.y)) << p.x << "," << p.y;
    }
}
