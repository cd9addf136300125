#include "effects/EffectPrimitives.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

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

bool is32(const QImage &img) { return img.depth() == 32; }

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

// Writes one destination row from one source row through the column map.
inline void gatherRow(uint32_t *dst, const uint32_t *src, const AxisMap &cols)
{
    const size_t n = cols.map.size();
    if (cols.identity) {
        std::memcpy(dst + cols.first, src + cols.map[0], n * 4);
        return;
    }
    uint32_t *d = dst + cols.first;
    const int *m = cols.map.data();
    for (size_t i = 0; i < n; ++i)
        d[i] = src[m[i]];
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
    // The source columns of a row are copied aside first, so that columns may overlap.
    const int srcFirst = cols.map.front();
    const int srcLast = cols.map.back();
    std::vector<uint32_t> buffer(size_t(srcLast - srcFirst + 1));
    for (int k = 0; k < nrows; ++k) {
        const int i = allAbove ? nrows - 1 - k : k;
        const int y = rows.first + i;
        const int sr = rows.map[size_t(i)];
        auto *drow = reinterpret_cast<uint32_t *>(base + y * bpl);
        const auto *srow = reinterpret_cast<const uint32_t *>(base + sr * bpl);
        if (cols.identity) {
            std::memmove(drow + cols.first, srow + srcFirst, n * 4);
            continue;
        }
        std::memcpy(buffer.data(), srow + srcFirst, buffer.size() * 4);
        uint32_t *d = drow + cols.first;
        const int *m = cols.map.data();
        const uint32_t *b = buffer.data() - srcFirst;
        for (size_t j = 0; j < n; ++j)
            d[j] = b[m[j]];
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
    std::vector<uint8_t> mixed(size_t(w) * 4);
    for (int y = 0; y < h; ++y) {
        uint8_t *d = dbase + y * dbpl;
        const uint8_t *s = sbase + y * sbpl;
        uint8_t *out = mixed.data();
        // Every byte mixed in 16 bits (at most 255 * 100), then the fourth byte put back.
        for (int k = 0; k < w * 4; ++k)
            out[k] = uint8_t(uint16_t(uint16_t(d[k] * q) + uint16_t(s[k] * p)) / 100u);
        auto *d32 = reinterpret_cast<uint32_t *>(d);
        const auto *m32 = reinterpret_cast<const uint32_t *>(out);
        for (int x = 0; x < w; ++x) {
            // Byte order in memory is blue, green, red, fourth byte: the fourth byte is the
            // top byte of the little-endian 32-bit pixel.
            d32[x] = (m32[x] & 0x00FFFFFFu) | (d32[x] & 0xFF000000u);
        }
    }
}

void RotateBitmap(QImage &Screen, const QImage &Picture, int A, int B, double Angle)
{
    if (Screen.isNull() || Picture.isNull())
        return;
    ensure32(Screen);
    QImage tmp;
    const QImage &pic = source32(Picture, tmp);
    const int W = pic.width();
    const int H = pic.height();
    const int64_t C = Round(std::cos(-Angle) * 65536.0);
    const int64_t S = Round(std::sin(-Angle) * 65536.0);
    uchar *dbase = Screen.bits();
    const qsizetype dbpl = Screen.bytesPerLine();
    const uchar *sbase = pic.constBits();
    const qsizetype sbpl = pic.bytesPerLine();
    const int dw = Screen.width();
    const int dh = Screen.height();
    for (int y = 0; y < dh; ++y) {
        auto *drow = reinterpret_cast<uint32_t *>(dbase + y * dbpl);
        const int64_t v = int64_t(H) - B - y;
        const int64_t u0 = int64_t(1) - A; // u at x = 0
        int64_t nx = u0 * C - v * S;       // grows by C per column
        int64_t ny = u0 * S + v * C;       // grows by S per column
        for (int x = 0; x < dw; ++x, nx += C, ny += S) {
            const int64_t sx = A + (nx >> 16);
            const int64_t sr = B + (ny >> 16);
            if (sr >= 0 && sr < H && sx >= 0 && sx < W) {
                const auto *srow = reinterpret_cast<const uint32_t *>(sbase + (H - 1 - sr) * sbpl);
                drow[x] = srow[sx];
            }
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
