#pragma once
// Shared routines of the effect procedures: the frame's measures, integer helpers, the
// process-wide pseudo-random generator, and the copy and pixel routines that draw the new
// picture into the screen bitmap.
//
// Bitmaps are QImage with 32 bits per pixel (Format_RGB32; the ARGB32 formats work the
// same way). Other formats are converted on the fly, which costs time but is correct.
// Rectangles are TRect: (Left, Top, Right, Bottom), right and bottom exclusive.
#include <QImage>
#include <QPoint>
#include <QRect>
#include <atomic>
#include <cstdint>

struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    constexpr TRect() = default;
    constexpr TRect(int l, int t, int r, int b) : Left(l), Top(t), Right(r), Bottom(b) {}
    constexpr int width() const { return Right - Left; }
    constexpr int height() const { return Bottom - Top; }
    // True when the rectangle holds no pixel (right <= left or bottom <= top).
    constexpr bool empty() const { return Right <= Left || Bottom <= Top; }
    constexpr bool operator==(const TRect &) const = default;
    static TRect fromQRect(const QRect &r) { return {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()}; }
    QRect toQRect() const { return QRect(Left, Top, Right - Left, Bottom - Top); }
};

// The measures of one frame: W, H the picture's size, Wp and Hp the share of W and H that
// Progress stands for (both derived from the longer side), X the grain derived from Step.
// With W or H equal to 0 the shares are meaningless (-1) and X is 0.
struct EffectMetrics {
    int W = 0, H = 0, Wp = 0, Hp = 0, X = 0;
    EffectMetrics() = default;
    EffectMetrics(const QRect &Rect, int Step, int Progress);
};

// a * b / c in 64 bits, rounded to the nearest integer with halves away from zero;
// -1 when c is 0 or the result does not fit in 32 bits.
int MulDiv(int a, int b, int c);
// Nearest integer, halves to the even neighbour; values outside the int range saturate,
// NaN gives 0.
int Round(double v);

// The process-wide generator's state. Shared and unsynchronised by design: a draw from
// another thread at the same moment may interleave (each access is atomic, never torn).
extern std::atomic<uint32_t> RandSeed;
// Advances RandSeed := RandSeed * 134775813 + 1 (mod 2^32) and returns
// (RandSeed * n) >> 32, a number 0 <= value < n; 0 when n <= 0 (the seed still advances).
int Random(int n);

// Stretch-copies rectangle S of Source onto rectangle D of Screen with nearest-neighbour
// sampling, S scaled to the size of D. Parts of D outside Screen are cut off; destination
// pixels whose sample falls outside Source keep their value. Empty D or S draws nothing.
void CopyRect(QImage &Screen, const TRect &D, const QImage &Source, const TRect &S);
// Copies rectangle S of Picture onto the same place of Screen (clipped to both).
void Reveal(QImage &Screen, const QImage &Picture, const TRect &S);
// Stretch-copies rectangle S of Screen onto rectangle D of Screen, reading the source as
// it was before the copy (overlap is allowed).
void ShiftRect(QImage &Screen, const TRect &D, const TRect &S);

// Mirroring stretch copy: S is cut to Source's bounds; a mirrored axis of D is widened by
// one pixel on each side and drawn back to front. Nothing is drawn when S is empty after
// the cut.
void MirrorBlt(QImage &Screen, TRect D, const QImage &Source, TRect S, bool MirrorH, bool MirrorV);

// Screen byte := (Screen byte * (100 - Percent) + Picture byte * Percent) div 100 for the
// blue, green and red byte of every pixel of Picture (clipped to Screen); the fourth byte
// is kept. Percent is clamped to 0..100.
void BlendBitmaps(QImage &Screen, const QImage &Picture, int Percent);

// Draws Picture turned counter-clockwise by Angle (radians, rows counted upward from the
// bottom) about its corner point (A, B), in 16.16 fixed point; the picture's point (A, B)
// lands on (A - 1, B - 1), so even at angle 0 the picture appears one pixel further left
// and one pixel lower. Pixels whose source lies outside Picture keep the old screen.
void RotateBitmap(QImage &Screen, const QImage &Picture, int A, int B, double Angle);

// Turns Points[0..Last] about (CX, CY) by Angle; with y growing downward a positive angle
// turns clockwise on the screen. Coordinates are rounded half to even.
void RotatePoints(QPoint *Points, int Last, int CX, int CY, double Angle);
