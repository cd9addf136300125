#pragma once
// The catalogue of the 150 numbered transition effects. An effect number 1..150 indexes
// EffectTable; 0 is not an effect but the host's own drawing, named "Custom".
#include <QImage>
#include <QRect>
#include <QString>
#include <optional>

// One frame of one effect. Screen holds the old screen on entry and receives the new
// picture's share of the frame; Picture is read only; Rect is (0, 0, W, H), the size of
// both bitmaps; Step is the control's step 1..100; Progress the frame's position 1..99.
using TEffectProc = void (*)(QImage &Screen, const QImage &Picture, const QRect &Rect, int Step,
                             int Progress);

struct TEffect {
    const char *Name; // English display name, stored exactly as shown to the user
    TEffectProc Proc;
};

inline constexpr int EffectCount = 150;

// Index 1..EffectCount; entry 0 is the "Custom" placeholder without a procedure.
extern const TEffect EffectTable[EffectCount + 1];

// The procedure of effect n, or nullptr when n is not in 1..EffectCount.
TEffectProc EffectProcOf(int n);
// The name of effect n; "Custom" for 0; an empty string for any other number.
QString EffectNameOf(int n);
// The number of the first effect whose name equals Name ignoring letter case; 0 for
// "Custom" in any case; nothing when no entry matches.
std::optional<int> EffectNumberOf(const QString &Name);
