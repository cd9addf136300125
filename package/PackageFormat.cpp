#include "package/PackageFormat.h"

#include <algorithm>
#include <cstring>

namespace package {

namespace {
void put32(std::uint8_t *p, std::int32_t v)
{
    const auto u = static_cast<std::uint32_t>(v);
    p[0] = std::uint8_t(u);
    p[1] = std::uint8_t(u >> 8);
    p[2] = std::uint8_t(u >> 16);
    p[3] = std::uint8_t(u >> 24);
}

std::int32_t get32(const std::uint8_t *p)
{
    const std::uint32_t u = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
                            std::uint32_t(p[3]) << 24;
    return static_cast<std::int32_t>(u);
}

bool fail(std::string *why, const char *text)
{
    if (why) *why = text;
    return false;
}
} // namespace

MusicKind MusicKindOf(const std::string &fileName)
{
    if (fileName.size() >= 4) {
        const std::string tail = fileName.substr(fileName.size() - 4);
        if (tail == ".mid") return MusicKind::Midi;
        if (tail == ".wav") return MusicKind::Wav;
    }
    return MusicKind::Mp3;
}

const char *MusicExtension(std::uint8_t code)
{
    switch (code) {
    case std::uint8_t(MusicKind::Midi): return ".mid";
    case std::uint8_t(MusicKind::Mp3): return ".mp3";
    case std::uint8_t(MusicKind::Wav): return ".wav";
    default: return "";
    }
}

bool IsExcludedEffect(int number)
{
    return std::find(ExcludedEffects.begin(), ExcludedEffects.end(), number) != ExcludedEffects.end();
}

bool IsOfferedEffect(int number)
{
    return number >= 1 && number <= MaxEffectNumber && !IsExcludedEffect(number);
}

std::vector<int> OfferedEffects()
{
    std::vector<int> out;
    for (int n = 1; n <= MaxEffectNumber; ++n)
        if (IsOfferedEffect(n))
            out.push_back(n);
    return out;
}

std::string ExcludedEffectsText()
{
    std::string text;
    for (std::size_t i = 0; i < ExcludedEffects.size();) {
        std::size_t j = i;
        while (j + 1 < ExcludedEffects.size() && ExcludedEffects[j + 1] == ExcludedEffects[j] + 1)
            ++j;
        const auto item = [&](std::size_t k) {
            if (!text.empty())
                text += ", ";
            text += std::to_string(ExcludedEffects[k]);
        };
        if (j - i >= 2) {
            item(i);
            text += '-';
            text += std::to_string(ExcludedEffects[j]);
        } else {
            for (std::size_t k = i; k <= j; ++k)
                item(k);
        }
        i = j + 1;
    }
    return text;
}

std::string TrailerLimitError(const Trailer &t)
{
    const int pieces = int(t.sizes.size());
    if (t.fileCount < 0) return "negative file count";
    if (t.isPictures()) {
        if (t.musicCount() > MaxMusicFiles)
            return "too many music files: at most " + std::to_string(MaxMusicFiles);
        if (pieces != t.fileCount + t.musicCount()) return "size table does not match the counts";
    } else if (pieces != t.fileCount) {
        return "size table does not match the count";
    }
    if (pieces > MaxPieces)
        return "too many files: at most " + std::to_string(MaxPieces) + " pictures and music files together";
    for (auto s : t.sizes)
        if (s < 0) return "a piece is 2 GB or larger";
    return {};
}

std::array<std::uint8_t, TrailerSize> WriteTrailer(const Trailer &t)
{
    std::array<std::uint8_t, TrailerSize> b{};
    b[OffSaverType] = t.saverType;
    b[OffMusicFlag] = t.musicFlag;
    put32(&b[OffFileCount], t.fileCount);
    if (t.isPictures()) {
        const int m = t.musicCount();
        if (m > 0) put32(&b[OffMusicCount], m);
        put32(&b[OffQuitMode], t.quitMode);
        std::copy(t.musicKinds.begin(), t.musicKinds.end(), b.begin() + OffMusicKinds);
        put32(&b[OffInterval(m)], t.interval);
        b[OffReserved(m)] = t.reserved;
        std::copy(t.effectFlags.begin(), t.effectFlags.end(), b.begin() + OffEffectFlags(m));
    } else {
        put32(&b[OffQuitMode], t.quitMode);
        b[OffFlashReserved] = t.reserved;
    }
    for (std::size_t i = 0; i < t.sizes.size() && i < std::size_t(SizeTableEntries); ++i)
        put32(&b[SizeTableOffset + 4 * i], t.sizes[i]);
    return b;
}

bool ReadTrailer(std::span<const std::uint8_t, TrailerSize> bytes, Trailer &out, std::string *why)
{
    const std::uint8_t *b = bytes.data();
    Trailer t;
    t.saverType = b[OffSaverType];
    t.musicFlag = b[OffMusicFlag];
    t.fileCount = get32(b + OffFileCount);
    if (t.fileCount < 0 || t.fileCount > SizeTableEntries) return fail(why, "file count outside the size table");
    t.quitMode = get32(b + OffQuitMode);
    int m = 0;
    if (t.isPictures()) {
        if (t.hasMusic()) {
            m = get32(b + OffMusicCount);
            if (m < 0 || m > MaxMusicFiles) return fail(why, "music count outside the header");
            if (t.fileCount + m > SizeTableEntries) return fail(why, "counts outside the size table");
        }
        t.musicKinds.assign(b + OffMusicKinds, b + OffMusicKinds + m);
        t.interval = get32(b + OffInterval(m));
        t.reserved = b[OffReserved(m)];
        std::memcpy(t.effectFlags.data(), b + OffEffectFlags(m), EffectFlagCount);
    } else {
        t.reserved = b[OffFlashReserved];
    }
    const int pieces = t.fileCount + m;
    t.sizes.resize(pieces);
    for (int i = 0; i < pieces; ++i) {
        t.sizes[i] = get32(b + SizeTableOffset + 4 * i);
        if (t.sizes[i] < 0) return fail(why, "negative piece size");
    }
    out = std::move(t);
    return true;
}

std::vector<int> UsableEffects(const std::array<std::uint8_t, EffectFlagCount> &flags)
{
    std::vector<int> list;
    for (int k = 0; k < EffectFlagCount; ++k)
        if (flags[k] == 1 && !IsExcludedEffect(k)) list.push_back(k);
    return list;
}

} // namespace package
