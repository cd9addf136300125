#include "package/PackageFormat.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace package;

namespace {
std::int32_t at32(const std::array<std::uint8_t, TrailerSize> &b, int off)
{
    std::int32_t v;
    std::memcpy(&v, &b[std::size_t(off)], 4);
    return v;
}

Trailer pictures(int n, int m, int quit, int interval, std::vector<int> effects)
{
    Trailer t;
    t.saverType = PictureSaver;
    t.musicFlag = m > 0 ? MusicPresent : NoMusic;
    t.fileCount = n;
    t.quitMode = quit;
    t.interval = interval;
    t.musicKinds.assign(std::size_t(m), std::uint8_t(MusicKind::Mp3));
    for (int k : effects) t.effectFlags[std::size_t(k)] = 1;
    for (int i = 0; i < n + m; ++i) t.sizes.push_back(100 + i);
    return t;
}
} // namespace

TEST(Trailer, WorkedExampleByteForByte)
{
    // Pictures of 1000 and 2000 bytes, one MP3 of 500, quit rule 1, interval 5, effects 1 and 2.
    Trailer t = pictures(2, 1, 1, 5, {1, 2});
    t.sizes = {1000, 2000, 500};
    const auto b = WriteTrailer(t);

    std::array<std::uint8_t, TrailerSize> expected{};
    expected[0] = 14;
    expected[1] = 14;
    expected[2] = 2;
    expected[6] = 1;
    expected[10] = 1;
    expected[14] = '1';
    expected[15] = 5;
    expected[19] = ReservedValue;
    expected[21] = 1;
    expected[22] = 1;
    const std::int32_t sizes[] = {1000, 2000, 500};
    std::memcpy(&expected[200], sizes, sizeof sizes);
    EXPECT_EQ(b, expected);

    // Reading it back gives the same fields.
    Trailer r;
    ASSERT_TRUE(ReadTrailer(b, r));
    EXPECT_EQ(r.fileCount, 2);
    EXPECT_EQ(r.musicCount(), 1);
    EXPECT_EQ(r.quitMode, 1);
    EXPECT_EQ(r.interval, 5);
    EXPECT_EQ(r.sizes, (std::vector<std::int32_t>{1000, 2000, 500}));
    EXPECT_EQ(UsableEffects(r.effectFlags), (std::vector<int>{1, 2}));
}

TEST(Trailer, FieldOffsetsFollowTheMusicCount)
{
    struct Case {
        int m;
        int interval, reserved, flagsFirst, flagsLast;
    };
    for (const Case c : {Case{0, 14, 18, 19, 141}, Case{1, 15, 19, 20, 142}, Case{58, 72, 76, 77, 199}}) {
        SCOPED_TRACE(c.m);
        Trailer t = pictures(3, c.m, 2, 0x01020304, {});
        t.effectFlags[0] = 1;   // first flag byte
        t.effectFlags[122] = 1; // last flag byte
        t.reserved = 0xAB;
        const auto b = WriteTrailer(t);
        EXPECT_EQ(b[1], c.m > 0 ? 14 : 10);
        EXPECT_EQ(at32(b, 6), c.m); // filler (zero) without music
        EXPECT_EQ(at32(b, c.interval), 0x01020304);
        EXPECT_EQ(b[std::size_t(c.reserved)], 0xAB);
        EXPECT_EQ(b[std::size_t(c.flagsFirst)], 1);
        EXPECT_EQ(b[std::size_t(c.flagsLast)], 1);
        for (int i = c.flagsFirst + 1; i < c.flagsLast; ++i) EXPECT_EQ(b[std::size_t(i)], 0) << i;
        // Sizes: pictures first, then music, in one run of entries.
        for (int i = 0; i < 3 + c.m; ++i) EXPECT_EQ(at32(b, 200 + 4 * i), 100 + i);
        EXPECT_TRUE(TrailerLimitError(t).empty());
    }
}

TEST(Trailer, FlashWritesOnlyItsFields)
{
    Trailer t;
    t.saverType = FlashSaver;
    t.musicFlag = NoMusic;
    t.fileCount = 3;
    t.quitMode = 3;
    t.reserved = 7;
    t.sizes = {11, 22, 33};
    const auto b = WriteTrailer(t);
    std::array<std::uint8_t, TrailerSize> expected{};
    expected[0] = 15;
    expected[1] = 10;
    expected[2] = 3;
    expected[10] = 3;
    expected[14] = 7;
    expected[200] = 11;
    expected[204] = 22;
    expected[208] = 33;
    EXPECT_EQ(b, expected);

    Trailer r;
    ASSERT_TRUE(ReadTrailer(b, r));
    EXPECT_FALSE(r.isPictures());
    EXPECT_EQ(r.musicCount(), 0);
    EXPECT_EQ(r.reserved, 7);
    EXPECT_EQ(r.sizes, (std::vector<std::int32_t>{11, 22, 33}));
}

TEST(Trailer, ReaderTreatsAnyOtherTypeAsFlashAndMusicOnlyWithFlag14)
{
    std::array<std::uint8_t, TrailerSize> b{};
    b[0] = 99; // not 14: Flash
    b[2] = 1;
    b[200] = 5;
    Trailer r;
    ASSERT_TRUE(ReadTrailer(b, r));
    EXPECT_FALSE(r.isPictures());

    b[0] = 14;
    b[1] = 13; // music flag other than 14: no music, count at offset 6 ignored
    b[6] = 50;
    ASSERT_TRUE(ReadTrailer(b, r));
    EXPECT_EQ(r.musicCount(), 0);
    EXPECT_EQ(r.sizes.size(), 1u);
}

TEST(Trailer, ReaderRefusesInconsistentCounts)
{
    struct Case {
        const char *what;
        int offset;
        std::int32_t value;
    };
    for (const Case c : {Case{"negative file count", 2, -1}, Case{"huge file count", 2, 0x7fffffff},
                         Case{"101 files", 2, 101}, Case{"negative music count", 6, -3},
                         Case{"59 music files", 6, 59}, Case{"pieces beyond the table", 6, 58},
                         Case{"negative size", 200, -5}}) {
        SCOPED_TRACE(c.what);
        Trailer t = pictures(50, 1, 1, 5, {1});
        auto b = WriteTrailer(t);
        std::memcpy(&b[std::size_t(c.offset)], &c.value, 4);
        Trailer r;
        std::string why;
        EXPECT_FALSE(ReadTrailer(b, r, &why));
        EXPECT_FALSE(why.empty());
    }
}

TEST(Trailer, LimitsOfTheFormat)
{
    EXPECT_TRUE(TrailerLimitError(pictures(42, 58, 1, 5, {})).empty());
    EXPECT_FALSE(TrailerLimitError(pictures(42, 59, 1, 5, {})).empty());
    EXPECT_FALSE(TrailerLimitError(pictures(43, 58, 1, 5, {})).empty());
    EXPECT_TRUE(TrailerLimitError(pictures(100, 0, 1, 5, {})).empty());
    EXPECT_FALSE(TrailerLimitError(pictures(101, 0, 1, 5, {})).empty());
}

TEST(MusicKind, ByTheLastFourCharactersCaseSensitive)
{
    struct Case {
        const char *name;
        char code;
        const char *ext;
    };
    for (const Case c : {Case{"song.mid", '0', ".mid"}, Case{"song.mp3", '1', ".mp3"}, Case{"song.wav", '2', ".wav"},
                         Case{"SONG.MID", '1', ".mp3"}, Case{"song.midi", '1', ".mp3"}, Case{"song.ogg", '1', ".mp3"},
                         Case{"mid", '1', ".mp3"}, Case{".wav", '2', ".wav"}}) {
        SCOPED_TRACE(c.name);
        const auto code = std::uint8_t(MusicKindOf(c.name));
        EXPECT_EQ(code, std::uint8_t(c.code));
        EXPECT_STREQ(MusicExtension(code), c.ext);
    }
    EXPECT_STREQ(MusicExtension('3'), "");
}

TEST(Effects, OnlyFlagsOfExactlyOneAndNotExcluded)
{
    std::array<std::uint8_t, EffectFlagCount> flags{};
    flags[0] = 1;   // index 0 is not excluded
    flags[7] = 1;   // excluded
    flags[8] = 1;
    flags[10] = 2;  // only the value 1 enables
    flags[118] = 1;
    flags[119] = 1; // excluded
    EXPECT_EQ(UsableEffects(flags), (std::vector<int>{0, 8, 118}));

    int offered = 0;
    for (int k = 1; k <= MaxEffectNumber; ++k) offered += !IsExcludedEffect(k);
    EXPECT_EQ(offered, 103);
}
