#pragma once
// The saver package: the runtime executable, the media, then a 600-byte trailer made of
// a 200-byte header and a 400-byte table of piece sizes. Every 4-byte field is a 32-bit
// signed little-endian integer. Pieces carry no separators; only the sizes find them.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace package {

inline constexpr int TrailerSize = 600;
inline constexpr int HeaderSize = 200;
inline constexpr int SizeTableOffset = 200;
inline constexpr int SizeTableSize = 400;
inline constexpr int SizeTableEntries = SizeTableSize / 4; // 100

// Saver type byte (offset 0).
inline constexpr std::uint8_t PictureSaver = 14;
inline constexpr std::uint8_t FlashSaver = 15;
// Music flag byte (offset 1).
inline constexpr std::uint8_t MusicPresent = 14;
inline constexpr std::uint8_t NoMusic = 10;

// Header offsets common to both kinds.
inline constexpr int OffSaverType = 0;
inline constexpr int OffMusicFlag = 1;
inline constexpr int OffFileCount = 2;
inline constexpr int OffMusicCount = 6;
inline constexpr int OffQuitMode = 10;
// Picture package, m music files: kinds at 14, interval at 14+m, reserved at 18+m,
// effect flags at 19+m .. 141+m.
inline constexpr int OffMusicKinds = 14;
inline constexpr int OffInterval(int m) { return 14 + m; }
inline constexpr int OffReserved(int m) { return 18 + m; }
inline constexpr int OffEffectFlags(int m) { return 19 + m; }
inline constexpr int EffectFlagCount = 123; // indexed by effect number 0..122
// Flash package: the reserved byte follows the quit rule.
inline constexpr int OffFlashReserved = 14;

// The value this writer puts into the reserved byte.
inline constexpr std::uint8_t ReservedValue = 0;

// Limits of the format.
inline constexpr int MaxPieces = SizeTableEntries;          // pictures + music files
inline constexpr int MaxMusicFiles = HeaderSize - 142;      // 58: flags must end by offset 199
inline constexpr int MaxEffectNumber = 122;

// Music kind codes, one byte per music file.
enum class MusicKind : std::uint8_t { Midi = '0', Mp3 = '1', Wav = '2' };

// The code for a music file name, from its last four characters, compared case-sensitively:
// ".mid" MIDI, ".wav" WAV, everything else MP3.
MusicKind MusicKindOf(const std::string &fileName);
// The extension the reader gives a music file of this code, or empty for an unknown code.
const char *MusicExtension(std::uint8_t code);

// Effect numbers that are never offered nor played.
inline constexpr std::array<int, 19> ExcludedEffects{7, 9, 16, 17, 24, 25, 26, 27, 33, 34,
                                                     47, 48, 49, 50, 51, 119, 120, 121, 122};
bool IsExcludedEffect(int number);
// The effect numbers a user can choose: 1 to MaxEffectNumber without the excluded ones.
bool IsOfferedEffect(int number);
// All of them, in order (103 numbers).
std::vector<int> OfferedEffects();
// The excluded numbers as a person reads them: runs of three or more joined as "24-27".
std::string ExcludedEffectsText();

// The content of a trailer, as both programs see it.
struct Trailer {
    std::uint8_t saverType = PictureSaver;
    std::uint8_t musicFlag = NoMusic;
    std::int32_t fileCount = 0;
    std::int32_t quitMode = 0;
    std::uint8_t reserved = ReservedValue;
    // Picture packages only.
    std::vector<std::uint8_t> musicKinds; // its size is the music count
    std::int32_t interval = 0;
    std::array<std::uint8_t, EffectFlagCount> effectFlags{};
    // Piece sizes: pictures (or movies) first, then music files.
    std::vector<std::int32_t> sizes;

    bool isPictures() const { return saverType == PictureSaver; }
    bool hasMusic() const { return musicFlag == MusicPresent; }
    int musicCount() const { return int(musicKinds.size()); }
};

// Why a trailer cannot be written: empty when it fits the format's limits.
std::string TrailerLimitError(const Trailer &t);

// Encodes a trailer into its 600 bytes. Fields are written in the order the format
// fixes; filler stays zero. The trailer must be within the limits.
std::array<std::uint8_t, TrailerSize> WriteTrailer(const Trailer &t);

// Decodes the 600 bytes as the runtime reads them: type 14 is a picture package, any
// other value Flash; music only when the flag is 14. Counts that would read past the
// trailer make it fail (returns false, with a reason).
bool ReadTrailer(std::span<const std::uint8_t, TrailerSize> bytes, Trailer &out, std::string *why = nullptr);

// The usable effect numbers of a flag array, ascending: flags exactly 1, not excluded.
std::vector<int> UsableEffects(const std::array<std::uint8_t, EffectFlagCount> &flags);

} // namespace package
