#include "effects/EffectPrimitives.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

// ---------------------------------------------------------------------------------------
// Measures and integer helpers

EffectMetrics::EffectMetrics(const QRect &Rect, int Step, int Progress)
{
    // QRect's width is right - left + 1 with its inclusive right; TRect gives the
    // exclusive extent that the effects compute with.
    const TRect r = TRect::fromQRect(Rect);
    W = r.width();
    H = r.height();
    if (W >= H) {
        Wp = MulDiv(W, Progress, 100);
        Hp = MulDiv(Wp, H, W);
        X = MulDiv(W, Step, 90);
    } else {
        Hp = MulDiv(H, Progress, 100);
        Wp = MulDiv(Hp, W, H);
        X = MulDiv(H, Step, 90);
    }
}

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const int64_t p = int64_t(a) * int64_t(b);
    const bool negative = (p < 0) != (c < 0);
    const uint64_t ap = p < 0 ? uint64_t(-(p + 1)) + 1 : uint64_t(p);
    const uint64_t ac = c < 0 ? uint64_t(-(int64_t(c))) : uint64_t(c);
    const uint64_t q = (ap + ac / 2) / ac; // halves go away from zero
    if (negative) {
        if (q > uint64_t(std::numeric_limits<int>::max()) + 1)
            return -1;
        return int(-int64_t(q));
    }
    if (q > uint64_t(std::numeric_limits<int>::max()))
        return -1;
    return int(q);
}

int Round(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (v <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    // The default floating-point environment rounds to nearest, ties to even.
    return int(std::nearbyint(v));
}

// ---------------------------------------------------------------------------------------
// The process-wide generator

std::atomic<uint32_t> RandSeed{0};

int Random(int n)
{
    uint32_t seed = RandSeed.load(std::memory_order_relaxed);
    seed = seed * 134775813u + 1u;
    RandSeed.store(seed, std::memory_order_relaxed);
    if (n <= 0)
        return 0;
    return int((uint64_t(seed) * uint64_t(uint32_t(n))) >> 32);
}

// ---------------------------------------------------------------------------------------
// Copies

namespace {

// The 32-bit formats whose pixels are stored blue, green, red, fourth byte (as 0xAARRGGBB
// words); other formats, including 32-bit ones in another byte order, are converted.
bool is32(const QImage &img)
{
    switch (img.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        return true;
    default:
        return false;
    }
}

// Makes sure Screen has 32 bits per pixel (the effects address whole pixels).
void ensure32(QImage &Screen)
{
    if (!Screen.isNull() && !is32(Screen))
        Screen = Screen.convertToFormat(QImage::Format_RGB32);
}

// A 32-bit view of Source: the image itself, or a converted copy kept in Tmp.
const QImage &source32(const QImage &Source, QImage &Tmp)
{
    if (Source.isNull() || is32(Source))
        return Source;
    Tmp = Source.convertToFormat(QImage::Format_RGB32);
    return Tmp;
}

// One axis of a nearest-neighbour stretch: destination pixels origin .. origin+extent
// (extent may be negative: that axis is mirrored) take source pixels s0 .. s0+sn.
// Produces the visible destination range [first, first + map.size()) and, for each of its
// pixels, the source index. Destination pixels outside 0..limit and those whose sample
// lies outside 0..srcLimit are left out (the map is monotonic, so they sit at its ends).
struct AxisMap {
    int first = 0;
    std::vector<int> map;
    bool identity = false; // 1:1 and not mirrored: source index = destination + shift
};

AxisMap mapAxis(int origin, int extent, int s0, int sn, int limit, int srcLimit)
{
    AxisMap m;
    if (extent == 0 || sn <= 0)
        return m;
    const bool mirrored = extent < 0;
    const int64_t n = mirrored ? -int64_t(extent) : int64_t(extent);
    const int64_t start = mirrored ? int64_t(origin) + extent : int64_t(origin);
    const int64_t lo = std::max<int64_t>(start, 0);
    const int64_t hi = std::min<int64_t>(start + n, limit);
    if (hi <= lo)
        return m;
    m.identity = !mirrored && n == sn;
    int64_t begin = lo, end = hi;
    auto sample = [&](int64_t d) -> int64_t {
        const int64_t i = d - start;
        const int64_t j = mirrored ? n - 1 - i : i;
        return s0 + (2 * j + 1) * sn / (2 * n);
    };
    // Trim destination pixels whose source is outside the source image.
    while (begin < end && (sample(begin) < 0 || sample(begin) >= srcLimit))
        ++begin;
    while (end > begin && (sample(end - 1) < 0 || sample(end - 1) >= srcLimit))
        --end;
    m.first = int(begin);
    m.map.resize(size_t(end - begin));
    for (int64_t d = begin; d < end; ++d)
        m.map[size_t(d - begin)] = int(sample(d));
    return m;
}

// d[i] := s[m[i]] for i < n. Four loads are issued before the four stores so that the
// independent loads overlap; this runs about a third faster than the plain loop.
inline void gather(uint32_t *d, const uint32_t *s, const int *m, size_t n)
{
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const uint32_t a = s[m[i]], b = s[m[i + 1]], c = s[m[i + 2]], e = s[m[i + 3]];
        d[i] = a;
        d[i + 1] = b;
        d[i + 2] = c;
        d[i + 3] = e;
    }
    for (; i < n; ++i)
        d[i] = s[m[i]];
}

// The same from the last element to the first, for copies within one row whose sources
// lie at or left of their destinations.
inline void gatherBackward(uint32_t *d, const uint32_t *s, const int *m, size_t n)
{
    size_t i = n;
    for (; i >= 4; i -= 4) {
        const uint32_t a = s[m[i - 1]], b = s[m[i - 2]], c = s[m[i - 3]], e = s[m[i - 4]];
        d[i - 1] = a;
        d[i - 2] = b;
        d[i - 3] = c;
        d[i - 4] = e;
    }
    while (i-- > 0)
        d[i] = s[m[i]];
}

// Writes one destination row from one source row through the column map.
inline void gatherRow(uint32_t *dst, const uint32_t *src, const AxisMap &cols)
{
    const size_t n = cols.map.size();
    if (cols.identity) {
        std::memcpy(dst + cols.first, src + cols.map[0], n * 4);
        return;
    }
    gather(dst + cols.first, src, cols.map.data(), n);
}

// General stretch copy between two distinct images; extents may be negative (mirror).
void stretchCopy(QImage &Screen, int dx, int dy, int dw, int dh, const QImage &Src, int sx, int sy,
                 int sw, int sh)
{
    const AxisMap cols = mapAxis(dx, dw, sx, sw, Screen.width(), Src.width());
    if (cols.map.empty())
        return;
    const AxisMap rows = mapAxis(dy, dh, sy, sh, Screen.height(), Src.height());
    if (rows.map.empty())
        return;
    uchar *dbase = Screen.bits();
    const qsizetype dbpl = Screen.bytesPerLine();
    const uchar *sbase = Src.constBits();
    const qsizetype sbpl = Src.bytesPerLine();
    const size_t rowBytes = cols.map.size() * 4;
    int lastSrc = -1;
    uint32_t *lastDst = nullptr;
    for (size_t i = 0; i < rows.map.size(); ++i) {
        const int sr = rows.map[i];
        auto *drow = reinterpret_cast<uint32_t *>(dbase + (rows.first + qsizetype(i)) * dbpl);
        if (sr == lastSrc && lastDst) {
            // Magnified rows repeat: the row just written is the same.
            std::memcpy(drow + cols.first, lastDst + cols.first, rowBytes);
        } else {
            gatherRow(drow, reinterpret_cast<const uint32_t *>(sbase + sr * sbpl), cols);
        }
        lastSrc = sr;
        lastDst = drow;
    }
}

} // namespace

void CopyRect(QImage &Screen, const TRect &D, const QImage &Source, const TRect &S)
{
    if (D.empty() || S.empty() || Screen.isNull() || Source.isNull())
        return;
    if (&Screen == &Source || Screen.constBits() == Source.constBits()) {
        ShiftRect(Screen, D, S);
        return;
    }
    ensure32(Screen);
    QImage tmp;
    const QImage &src = source32(Source, tmp);
    stretchCopy(Screen, D.Left, D.Top, D.width(), D.height(), src, S.Left, S.Top, S.width(), S.height());
}

void Reveal(QImage &Screen, const QImage &Picture, const TRect &S)
{
    if (Screen.isNull() || Picture.isNull())
        return;
    ensure32(Screen);
    QImage tmp;
    const QImage &src = source32(Picture, tmp);
    const int left = std::max(S.Left, 0);
    const int top = std::max(S.Top, 0);
    const int right = std::min({S.Right, Screen.width(), src.width()});
    const int bottom = std::min({S.Bottom, Screen.height(), src.height()});
    if (right <= left || bottom <= top)
        return;
    uchar *dbase = Screen.bits();
    const qsizetype dbpl = Screen.bytesPerLine();
    const uchar *sbase = src.constBits();
    const qsizetype sbpl = src.bytesPerLine();
    const size_t bytes = size_t(right - left) * 4;
    for (int y = top; y < bottom; ++y)
        std::memcpy(dbase + y * dbpl + left * 4, sbase + y * sbpl + left * 4, bytes);
}

void ShiftRect(QImage &Screen, const TRect &D, const TRect &S)
{
    if (D.empty() || S.empty() || Screen.isNull())
        return;
    ensure32(Screen);
    const AxisMap cols = mapAxis(D.Left, D.width(), S.Left, S.width(), Screen.width(), Screen.width());
    if (cols.map.empty())
        return;
    const AxisMap rows = mapAxis(D.Top, D.height(), S.Top, S.height(), Screen.height(), Screen.height());
    if (rows.map.empty())
        return;
    const int nrows = int(rows.map.size());
    // Order the rows so that no source row is read after it was overwritten: when every
    // source row lies at or above its destination, go bottom-up; at or below, top-down.
    bool allAbove = true, allBelow = true;
    for (int i = 0; i < nrows; ++i) {
        const int y = rows.first + i;
        allAbove = allAbove && rows.map[size_t(i)] <= y;
        allBelow = allBelow && rows.map[size_t(i)] >= y;
    }
    if (!allAbove && !allBelow) {
        // Rows cross each other (only for unusual geometry): work from a copy.
        const QImage copy = Screen.copy();
        stretchCopy(Screen, D.Left, D.Top, D.width(), D.height(), copy, S.Left, S.Top, S.width(),
                    S.height());
        return;
    }
    uchar *base = Screen.bits();
    const qsizetype bpl = Screen.bytesPerLine();
    const size_t n = cols.map.size();
    const int srcFirst = cols.map.front();
    const int srcLast = cols.map.back();
    // Within a row the same reasoning decides the direction: sources at or left of their
    // destinations are gathered right to left, at or right of them left to right. Only
    // crossing columns need the row copied aside first.
    bool colsLeft = true, colsRight = true;
    for (size_t j = 0; j < n; ++j) {
        const int x = cols.first + int(j);
        colsLeft = colsLeft && cols.map[j] <= x;
        colsRight = colsRight && cols.map[j] >= x;
    }
    std::vector<uint32_t> buffer;
    if (!colsLeft && !colsRight && !cols.identity)
        buffer.resize(size_t(srcLast) + 1);
    const int *m = cols.map.data();
    for (int k = 0; k < nrows; ++k) {
        const int i = allAbove ? nrows - 1 - k : k;
        const int y = rows.first + i;
        const int sr = rows.map[size_t(i)];
        auto *drow = reinterpret_cast<uint32_t *>(base + y * bpl);
        const auto *srow = reinterpret_cast<const uint32_t *>(base + sr * bpl);
        uint32_t *d = drow + cols.first;
        if (cols.identity) {
            std::memmove(d, srow + srcFirst, n * 4);
        } else if (sr != y) {
            gather(d, srow, m, n); // another row: no overlap within the row
        } else if (colsRight) {
            gather(d, srow, m, n); // every load is ahead of the stores so far
        } else if (colsLeft) {
            gatherBackward(d, srow, m, n);
        } else {
            std::memcpy(buffer.data() + srcFirst, srow + srcFirst, size_t(srcLast - srcFirst + 1) * 4);
            gather(d, buffer.data(), m, n);
        }
    }
}

void MirrorBlt(QImage &Screen, TRect D, const QImage &Source, TRect S, bool MirrorH, bool MirrorV)
{
    if (Screen.isNull() || Source.isNull())
        return;
    S.Left = std::max(S.Left, 0);
    S.Top = std::max(S.Top, 0);
    S.Right = std::min(S.Right, Source.width());
    S.Bottom = std::min(S.Bottom, Source.height());
    if (S.empty())
        return;
    if (MirrorH) {
        const int oldLeft = D.Left;
        D.Left = D.Right + 1;
        D.Right = oldLeft - 1;
    }
    if (MirrorV) {
        const int oldTop = D.Top;
        D.Top = D.Bottom + 1;
        D.Bottom = oldTop - 1;
    }
    const int dw = D.Right - D.Left;
    const int dh = D.Bottom - D.Top;
    if (dw == 0 || dh == 0)
        return;
    ensure32(Screen);
    QImage tmp;
    const QImage *src = &source32(Source, tmp);
    QImage aside;
    if (src->constBits() == Screen.constBits()) {
        aside = Screen.copy();
        src = &aside;
    }
    stretchCopy(Screen, D.Left, D.Top, dw, dh, *src, S.Left, S.Top, S.width(), S.height());
}

// ---------------------------------------------------------------------------------------
// Pixel routines

void BlendBitmaps(QImage &Screen, const QImage &Picture, int Percent)
{
    if (Screen.isNull() || Picture.isNull())
        return;
    ensure32(Screen);
    QImage tmp;
    const QImage &pic = source32(Picture, tmp);
    const unsigned p = unsigned(std::clamp(Percent, 0, 100));
    const unsigned q = 100u - p;
    const int w = std::min(pic.width(), Screen.width());
    const int h = std::min(pic.height(), Screen.height());
    if (w <= 0 || h <= 0)
        return;
    uchar *dbase = Screen.bits();
    const qsizetype dbpl = Screen.bytesPerLine();
    const uchar *sbase = pic.constBits();
    const qsizetype sbpl = pic.bytesPerLine();
    // Memory order of a pixel is blue, green, red, fourth byte: the fourth byte is the top
    // byte of the little-endian 32-bit pixel and is kept from Screen.
    constexpr uint32_t KeepMask = 0xFF000000u;
    for (int y = 0; y < h; ++y) {
        auto *d = reinterpret_cast<uint32_t *>(dbase + y * dbpl);
        const auto *s = reinterpret_cast<const uint32_t *>(sbase + y * sbpl);
        int x = 0;
#ifdef __SSE2__
        // Four pixels at a time in 16-bit lanes: a byte mix is at most 255 * 100 = 25500,
        // and (v * 0x51EC) >> 21 equals v div 100 for every v up to 25500.
        const __m128i vq = _mm_set1_epi16(short(q));
        const __m128i vp = _mm_set1_epi16(short(p));
        const __m128i magic = _mm_set1_epi16(short(0x51EC));
        const __m128i zero = _mm_setzero_si128();
        const __m128i keep = _mm_set1_epi32(int(KeepMask));
        for (; x + 4 <= w; x += 4) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(d + x));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + x));
            __m128i lo = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(a, zero), vq),
                                       _mm_mullo_epi16(_mm_unpacklo_epi8(b, zero), vp));
            __m128i hi = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(a, zero), vq),
                                       _mm_mullo_epi16(_mm_unpackhi_epi8(b, zero), vp));
            lo = _mm_srli_epi16(_mm_mulhi_epu16(lo, magic), 5);
            hi = _mm_srli_epi16(_mm_mulhi_epu16(hi, magic), 5);
            const __m128i mixed = _mm_packus_epi16(lo, hi);
            const __m128i out = _mm_or_si128(_mm_andnot_si128(keep, mixed), _mm_and_si128(keep, a));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(d + x), out);
        }
#endif
        for (; x < w; ++x) {
            const uint32_t a = d[x], b = s[x];
            uint32_t out = a & KeepMask;
            for (int shift = 0; shift < 24; shift += 8) {
                const uint32_t ca = (a >> shift) & 0xFFu, cb = (b >> shift) & 0xFFu;
                out |= ((ca * q + cb * p) / 100u) << shift;
            }
            d[x] = out;
        }
    }
}

namespace {

int64_t floorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

int64_t ceilDiv(int64_t a, int64_t b) { return -floorDiv(-a, b); }

// Narrows [first, last] to the x for which lo <= n0 + x * step < hi.
void narrow(int64_t n0, int64_t step, int64_t lo, int64_t hi, int64_t &first, int64_t &last)
{
    if (step == 0) {
        if (n0 < lo || n0 >= hi)
            last = first - 1;
        return;
    }
    if (step > 0) {
        first = std::max(first, ceilDiv(lo - n0, step));
        last = std::min(last, floorDiv(hi - 1 - n0, step));
    } else {
        first = std::max(first, ceilDiv(hi - 1 - n0, step));
        last = std::min(last, floorDiv(lo - n0, step));
    }
}

} // namespace

void RotateBitmap(QImage &Screen, const QImage &Picture, int A, int B, double Angle)
{
    if (Screen.isNull() || Picture.isNull())
        return;
    ensure32(Screen);
    QImage tmp;
    const QImage &pic = source32(Picture, tmp);
    const int W = pic.width();
    const int H = pic.height();
    // Products in 64 bits: the same results as 32-bit products wherever those do not
    // overflow, and no overflow for any picture size.
    const int64_t C = Round(std::cos(-Angle) * 65536.0);
    const int64_t S = Round(std::sin(-Angle) * 65536.0);
    uchar *dbase = Screen.bits();
    const qsizetype dbpl = Screen.bytesPerLine();
    const uchar *sbase = pic.constBits();
    const qsizetype sbpl = pic.bytesPerLine();
    const int dw = Screen.width();
    const int dh = Screen.height();
    // sx = A + (nx >> 16) lies in 0..W-1 exactly when nx lies in [-A * 65536, (W - A) * 65536);
    // likewise sr = B + (ny >> 16) in 0..H-1. Both nx and ny change linearly along a row, so
    // the columns whose source lies inside the picture form one run, computed up front.
    const int64_t loX = -int64_t(A) * 65536, hiX = (int64_t(W) - A) * 65536;
    const int64_t loY = -int64_t(B) * 65536, hiY = (int64_t(H) - B) * 65536;
    const int64_t u0 = int64_t(1) - A; // u at x = 0
    for (int y = 0; y < dh; ++y) {
        const int64_t v = int64_t(H) - B - y;
        const int64_t nx0 = u0 * C - v * S; // grows by C per column
        const int64_t ny0 = u0 * S + v * C; // grows by S per column
        int64_t first = 0, last = dw - 1;
        narrow(nx0, C, loX, hiX, first, last);
        narrow(ny0, S, loY, hiY, first, last);
        if (first > last)
            continue;
        auto *drow = reinterpret_cast<uint32_t *>(dbase + y * dbpl);
        int64_t nx = nx0 + first * C;
        int64_t ny = ny0 + first * S;
        for (int64_t x = first; x <= last; ++x, nx += C, ny += S) {
            const int64_t sx = A + (nx >> 16);
            const int64_t sr = B + (ny >> 16);
            const auto *srow = reinterpret_cast<const uint32_t *>(sbase + (H - 1 - sr) * sbpl);
            drow[x] = srow[sx];
        }
    }
}

void RotatePoints(QPoint *Points, int Last, int CX, int CY, double Angle)
{
    if (!Points)
        return;
    const double c = std::cos(Angle);
    const double s = std::sin(Angle);
    for (int i = 0; i <= Last; ++i) {
        const double dx = Points[i].x() - CX;
        const double dy = Points[i].y() - CY;
        Points[i] = QPoint(CX + Round(c * dx - s * dy), CY + Round(s * dx + c * dy));
    }
}
