// The effects that work by copying rectangles: squeeze, slide, wipe, zoom, unroll, smear
// (1..57) and push (128..135). Each procedure computes the frame's measures and performs
// one to four block copies straight from Picture (or within Screen) into Screen; whatever
// a copy does not reach keeps the old screen.
#include "effects/EffectPrimitives.h"
#include "effects/EffectProcs.h"

#include <algorithm>

namespace {

// Stretch-copies rectangle S of Picture onto rectangle D of Screen.
inline void copy(QImage &Screen, const QImage &Picture, const TRect &D, const TRect &S)
{
    CopyRect(Screen, D, Picture, S);
}

inline TRect whole(int W, int H) { return TRect(0, 0, W, H); }

// Width of the roll of the unroll effects at the leading edge: grows with the uncovered
// part at the start, shrinks to nothing at the far edge, W div 10 in between.
int rollWidth(int Size, int Share)
{
    if (Share < Size / 5)
        return Share / 2;
    if (Size < Share + Size / 5)
        return (Size - Share) / 2;
    return Size / 10;
}

// Far edge L of the roll for the unroll effects that start at the far side; E is the
// edge of the uncovered part.
int rollStart(int Size, int Share)
{
    const int E = Size - Share;
    if (E + Size / 5 > Size)
        return E - Share / 2;
    if (Size / 5 > E)
        return E - E / 2;
    return E - Size / 10;
}

} // namespace

#define EFFECT(n)                                                                                  \
    void Effect##n(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step, int Progress)
#define MEASURES                                                                                   \
    const EffectMetrics M(Rect, Step, Progress);                                                   \
    [[maybe_unused]] const int W = M.W, H = M.H, Wp = M.Wp, Hp = M.Hp, X = M.X

// ---- Squeeze, slide, wipe and zoom along the horizontal axis -------------------------------

EFFECT(001) { MEASURES; copy(Screen, Picture, {W - Wp, 0, W, H}, whole(W, H)); }
EFFECT(002) { MEASURES; copy(Screen, Picture, {0, 0, Wp, H}, whole(W, H)); }
EFFECT(003) { MEASURES; copy(Screen, Picture, {W - Wp, 0, 2 * W - Wp, H}, whole(W, H)); }
EFFECT(004) { MEASURES; copy(Screen, Picture, {Wp - W, 0, Wp, H}, whole(W, H)); }
EFFECT(005) { MEASURES; Reveal(Screen, Picture, {0, 0, Wp, H}); }
EFFECT(006) { MEASURES; Reveal(Screen, Picture, {W - Wp, 0, W, H}); }
EFFECT(007) { MEASURES; copy(Screen, Picture, {0, 0, 2 * W - Wp, H}, {0, 0, Wp, H}); }
EFFECT(008) { MEASURES; copy(Screen, Picture, {Wp - W, 0, W, H}, {W - Wp, 0, W, H}); }
EFFECT(009)
{
    MEASURES;
    copy(Screen, Picture, {Wp - W, 0, 2 * W - Wp, H}, {(W - Wp) / 2, 0, (W + Wp) / 2, H});
}
EFFECT(010) { MEASURES; copy(Screen, Picture, {(W - Wp) / 2, 0, (W + Wp) / 2, H}, whole(W, H)); }
EFFECT(011) { MEASURES; Reveal(Screen, Picture, {(W - Wp) / 2, 0, (W + Wp) / 2, H}); }
EFFECT(012)
{
    MEASURES;
    Reveal(Screen, Picture, {0, 0, Wp / 2 + 1, H});
    Reveal(Screen, Picture, {W - Wp / 2 - 1, 0, W, H});
}
EFFECT(013)
{
    MEASURES;
    copy(Screen, Picture, {0, 0, Wp / 2 + 1, H}, {0, 0, W / 2 + 1, H});
    copy(Screen, Picture, {W - Wp / 2 - 1, 0, W, H}, {W / 2, 0, W, H});
}

// ---- Unroll ---------------------------------------------------------------------------------

EFFECT(014)
{
    MEASURES;
    const int R = Wp + rollWidth(W, Wp);
    MirrorBlt(Screen, {Wp, 0, R, H}, Picture, {R, 0, 2 * R - Wp, H}, true, false);
    Reveal(Screen, Picture, {0, 0, Wp, H});
}
EFFECT(015)
{
    MEASURES;
    const int E = W - Wp;
    const int L = rollStart(W, Wp);
    MirrorBlt(Screen, {L, 0, E, H}, Picture, {2 * L - E, 0, L, H}, true, false);
    Reveal(Screen, Picture, {W - Wp, 0, W, H});
}
EFFECT(031)
{
    MEASURES;
    const int R = Hp + rollWidth(H, Hp);
    MirrorBlt(Screen, {0, Hp, W, R}, Picture, {0, R, W, 2 * R - Hp}, false, true);
    Reveal(Screen, Picture, {0, 0, W, Hp});
}
EFFECT(032)
{
    MEASURES;
    const int E = H - Hp;
    const int L = rollStart(H, Hp);
    MirrorBlt(Screen, {0, L, W, E}, Picture, {0, 2 * L - E, W, L}, false, true);
    Reveal(Screen, Picture, {0, H - Hp, W, H});
}

// ---- Smear ----------------------------------------------------------------------------------
// The strip beyond the uncovered part is W div X (H div X) pixels thick. With X = 0 (a tiny
// picture or step) there is no strip to stretch: only the uncovered part is drawn. The same
// happens when the strip is empty because X exceeds the side.

EFFECT(016)
{
    MEASURES;
    Reveal(Screen, Picture, {0, 0, Wp, H});
    if (X != 0)
        copy(Screen, Picture, {Wp, 0, W, H}, {Wp, 0, std::min(Wp + W / X, W), H});
}
EFFECT(017)
{
    MEASURES;
    Reveal(Screen, Picture, {W - Wp, 0, W, H});
    if (X != 0)
        copy(Screen, Picture, {0, 0, W - Wp, H}, {std::max(W - Wp - W / X, 0), 0, W - Wp, H});
}
EFFECT(033)
{
    MEASURES;
    Reveal(Screen, Picture, {0, 0, W, Hp});
    if (X != 0)
        copy(Screen, Picture, {0, Hp, W, H}, {0, Hp, W, std::min(Hp + H / X, H)});
}
EFFECT(034)
{
    MEASURES;
    Reveal(Screen, Picture, {0, H - Hp, W, H});
    if (X != 0)
        copy(Screen, Picture, {0, 0, W, H - Hp}, {0, std::max(H - Hp - H / X, 0), W, H - Hp});
}

// ---- Squeeze, slide, wipe and zoom along the vertical axis ---------------------------------

EFFECT(018) { MEASURES; copy(Screen, Picture, {0, H - Hp, W, H}, whole(W, H)); }
EFFECT(019) { MEASURES; copy(Screen, Picture, {0, 0, W, Hp}, whole(W, H)); }
EFFECT(020) { MEASURES; copy(Screen, Picture, {0, H - Hp, W, 2 * H - Hp}, whole(W, H)); }
EFFECT(021) { MEASURES; copy(Screen, Picture, {0, Hp - H, W, Hp}, whole(W, H)); }
EFFECT(022) { MEASURES; Reveal(Screen, Picture, {0, 0, W, Hp}); }
EFFECT(023) { MEASURES; Reveal(Screen, Picture, {0, H - Hp, W, H}); }
EFFECT(024) { MEASURES; copy(Screen, Picture, {0, 0, W, 2 * H - Hp}, {0, 0, W, Hp}); }
EFFECT(025) { MEASURES; copy(Screen, Picture, {0, Hp - H, W, H}, {0, H - Hp, W, H}); }
EFFECT(026)
{
    MEASURES;
    copy(Screen, Picture, {0, Hp - H, W, 2 * H - Hp}, {0, (H - Hp) / 2, W, (H + Hp) / 2});
}
EFFECT(027) { MEASURES; copy(Screen, Picture, {0, (H - Hp) / 2, W, (H + Hp) / 2}, whole(W, H)); }
EFFECT(028) { MEASURES; Reveal(Screen, Picture, {0, (H - Hp) / 2, W, (H + Hp) / 2}); }
EFFECT(029)
{
    MEASURES;
    Reveal(Screen, Picture, {0, 0, W, Hp / 2 + 1});
    Reveal(Screen, Picture, {0, H - Hp / 2 - 1, W, H});
}
EFFECT(030)
{
    MEASURES;
    copy(Screen, Picture, {0, 0, W, Hp / 2 + 1}, {0, 0, W, H / 2 + 1});
    copy(Screen, Picture, {0, H - Hp / 2 - 1, W, H}, {0, H / 2, W, H});
}

// ---- Corners and centre ---------------------------------------------------------------------

EFFECT(035) { MEASURES; copy(Screen, Picture, {W - Wp, H - Hp, W, H}, whole(W, H)); }
EFFECT(036) { MEASURES; copy(Screen, Picture, {W - Wp, 0, W, Hp}, whole(W, H)); }
EFFECT(037) { MEASURES; copy(Screen, Picture, {0, 0, Wp, Hp}, whole(W, H)); }
EFFECT(038) { MEASURES; copy(Screen, Picture, {0, H - Hp, Wp, H}, whole(W, H)); }
EFFECT(039) { MEASURES; copy(Screen, Picture, {W - Wp, H - Hp, 2 * W - Wp, 2 * H - Hp}, whole(W, H)); }
EFFECT(040) { MEASURES; copy(Screen, Picture, {W - Wp, Hp - H, 2 * W - Wp, Hp}, whole(W, H)); }
EFFECT(041) { MEASURES; copy(Screen, Picture, {Wp - W, Hp - H, Wp, Hp}, whole(W, H)); }
EFFECT(042) { MEASURES; copy(Screen, Picture, {Wp - W, H - Hp, Wp, 2 * H - Hp}, whole(W, H)); }
EFFECT(043) { MEASURES; Reveal(Screen, Picture, {0, 0, Wp, Hp}); }
EFFECT(044) { MEASURES; Reveal(Screen, Picture, {0, H - Hp, Wp, H}); }
EFFECT(045) { MEASURES; Reveal(Screen, Picture, {W - Wp, H - Hp, W, H}); }
EFFECT(046) { MEASURES; Reveal(Screen, Picture, {W - Wp, 0, W, Hp}); }
EFFECT(047) { MEASURES; copy(Screen, Picture, {0, 0, 2 * W - Wp, 2 * H - Hp}, {0, 0, Wp, Hp}); }
EFFECT(048) { MEASURES; copy(Screen, Picture, {0, Hp - H, 2 * W - Wp, H}, {0, H - Hp, Wp, H}); }
EFFECT(049) { MEASURES; copy(Screen, Picture, {Wp - W, Hp - H, W, H}, {W - Wp, H - Hp, W, H}); }
EFFECT(050) { MEASURES; copy(Screen, Picture, {Wp - W, 0, W, 2 * H - Hp}, {W - Wp, 0, W, Hp}); }
EFFECT(051)
{
    MEASURES;
    copy(Screen, Picture, {Wp - W, Hp - H, 2 * W - Wp, 2 * H - Hp},
         {(W - Wp) / 2, (H - Hp) / 2, (W + Wp) / 2, (H + Hp) / 2});
}
EFFECT(052)
{
    MEASURES;
    copy(Screen, Picture, {(W - Wp) / 2, (H - Hp) / 2, (W + Wp) / 2, (H + Hp) / 2}, whole(W, H));
}
EFFECT(053)
{
    MEASURES;
    Reveal(Screen, Picture, {(W - Wp) / 2, (H - Hp) / 2, (W + Wp) / 2, (H + Hp) / 2});
}
EFFECT(054)
{
    MEASURES;
    Reveal(Screen, Picture, {0, 0, W, Hp / 2});
    Reveal(Screen, Picture, {0, H - Hp / 2, W, H});
    Reveal(Screen, Picture, {0, 0, Wp / 2, H});
    Reveal(Screen, Picture, {W - Wp / 2, 0, W, H});
}
EFFECT(055)
{
    MEASURES;
    Reveal(Screen, Picture, {0, 0, Wp / 2 + 1, Hp / 2 + 1});
    Reveal(Screen, Picture, {0, H - Hp / 2 - 1, Wp / 2 + 1, H});
    Reveal(Screen, Picture, {W - Wp / 2 - 1, H - Hp / 2 - 1, W, H});
    Reveal(Screen, Picture, {W - Wp / 2 - 1, 0, W, Hp / 2 + 1});
}
EFFECT(056)
{
    MEASURES;
    copy(Screen, Picture, {0, 0, Wp / 2 + 1, Hp / 2 + 1}, {0, 0, W / 2 + 1, H / 2 + 1});
    copy(Screen, Picture, {0, H - Hp / 2, Wp / 2 + 1, H}, {0, H / 2 + 1, W / 2 + 1, H});
    copy(Screen, Picture, {W - Wp / 2, H - Hp / 2, W, H}, {W / 2 + 1, H / 2 + 1, W, H});
    copy(Screen, Picture, {W - Wp / 2, 0, W, Hp / 2 + 1}, {W / 2 + 1, 0, W, H / 2 + 1});
}
EFFECT(057)
{
    MEASURES;
    copy(Screen, Picture, {(Wp - W) / 2, 0, Wp / 2 + 1, H / 2 + 1}, {0, 0, W / 2 + 1, H / 2 + 1});
    copy(Screen, Picture, {W / 2 - 1, (Hp - H) / 2, W, Hp / 2 + 1}, {W / 2 - 1, 0, W, H / 2 + 1});
    copy(Screen, Picture, {W - Wp / 2, H / 2 - 1, W + (W - Wp) / 2, H}, {W / 2 + 1, H / 2 - 1, W, H});
    copy(Screen, Picture, {0, H - Hp / 2, W / 2 + 1, H + (H - Hp) / 2}, {0, H / 2 + 1, W / 2 + 1, H});
}

// ---- Push -----------------------------------------------------------------------------------
// The old screen is moved (or squeezed) within Screen first, then the new picture's edge is
// drawn into the part that was freed.

EFFECT(128)
{
    MEASURES;
    ShiftRect(Screen, {Wp, 0, W, H}, {0, 0, W - Wp, H});
    copy(Screen, Picture, {0, 0, Wp, H}, {W - Wp, 0, W, H});
}
EFFECT(129)
{
    MEASURES;
    ShiftRect(Screen, {0, 0, W - Wp, H}, {Wp, 0, W, H});
    copy(Screen, Picture, {W - Wp, 0, W, H}, {0, 0, Wp, H});
}
EFFECT(130)
{
    MEASURES;
    ShiftRect(Screen, {Wp, 0, W, H}, whole(W, H));
    copy(Screen, Picture, {0, 0, Wp, H}, {W - Wp, 0, W, H});
}
EFFECT(131)
{
    MEASURES;
    ShiftRect(Screen, {0, 0, W - Wp, H}, whole(W, H));
    copy(Screen, Picture, {W - Wp, 0, W, H}, {0, 0, Wp, H});
}
EFFECT(132)
{
    MEASURES;
    ShiftRect(Screen, {0, Hp, W, H}, {0, 0, W, H - Hp});
    copy(Screen, Picture, {0, 0, W, Hp}, {0, H - Hp, W, H});
}
EFFECT(133)
{
    MEASURES;
    ShiftRect(Screen, {0, 0, W, H - Hp}, {0, Hp, W, H});
    copy(Screen, Picture, {0, H - Hp, W, H}, {0, 0, W, Hp});
}
EFFECT(134)
{
    MEASURES;
    ShiftRect(Screen, {0, Hp, W, H}, whole(W, H));
    copy(Screen, Picture, {0, 0, W, Hp}, {0, H - Hp, W, H});
}
EFFECT(135)
{
    MEASURES;
    ShiftRect(Screen, {0, 0, W, H - Hp}, whole(W, H));
    copy(Screen, Picture, {0, H - Hp, W, H}, {0, 0, W, Hp});
}
