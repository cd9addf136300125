#include "Fixtures.h"

#include "builder/WritePackage.h"
#include "package/PackageFormat.h"
#include "platform/MessageService.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const QByteArray RuntimeBytes("RUNTIME-EXECUTABLE-STAND-IN");

class WritePackageTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    RecordingMessageService messages;
    QString out = dir.filePath("out.scr");

    void SetUp() override { writeBytes(out, RuntimeBytes); }

    package::Trailer trailerOf(const QByteArray &file)
    {
        std::array<std::uint8_t, package::TrailerSize> b{};
        std::memcpy(b.data(), file.constData() + file.size() - package::TrailerSize, b.size());
        package::Trailer t;
        EXPECT_TRUE(package::ReadTrailer(b, t));
        return t;
    }

    PackageSettings settings()
    {
        PackageSettings s;
        s.screen = QSize(160, 120);
        s.enabledEffects = {1, 8};
        s.mask.checked = true; // the box is checked, but no mask file is named
        return s;
    }
};

} // namespace

TEST_F(WritePackageTest, PicturePackageWithMusicLaysOutPiecesAndTrailer)
{
    const QString a = writeJpeg(dir, "a.jpg", flatImage(320, 240, Qt::red));
    ASSERT_TRUE(flatImage(50, 40, Qt::blue).save(dir.filePath("b.bmp"), "BMP"));
    const QByteArray mp3 = QByteArray(500, '\x11');
    const QByteArray mid = QByteArray(77, '\x22');
    writeBytes(dir.filePath("song.mp3"), mp3);
    writeBytes(dir.filePath("tune.mid"), mid);
    PackageSettings s = settings();
    s.musicFiles = {dir.filePath("song.mp3"), dir.filePath("tune.mid")};
    s.quitRule = 2;
    s.delaySeconds = 9;
    std::vector<std::pair<int, int>> progress;

    ASSERT_TRUE(WritePackage(out, {a, dir.filePath("b.bmp")}, s, [&](int k, int n) { progress.push_back({k, n}); }));
    EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{0, 2}, {1, 2}}));
    EXPECT_TRUE(messages.calls.empty());

    const QByteArray file = readBytes(out);
    const auto t = trailerOf(file);
    EXPECT_EQ(t.saverType, 14);
    EXPECT_EQ(t.musicFlag, 14);
    EXPECT_EQ(t.fileCount, 2);
    EXPECT_EQ(t.quitMode, 2);
    EXPECT_EQ(t.interval, 9);
    EXPECT_EQ(t.musicKinds, (std::vector<std::uint8_t>{'1', '0'}));
    EXPECT_EQ(package::UsableEffects(t.effectFlags), (std::vector<int>{1, 8}));
    ASSERT_EQ(t.sizes.size(), 4u);
    EXPECT_EQ(t.sizes[2], 500);
    EXPECT_EQ(t.sizes[3], 77);

    // Runtime, music in list order, pictures, trailer, with nothing in between.
    EXPECT_TRUE(file.startsWith(RuntimeBytes));
    qsizetype pos = RuntimeBytes.size();
    EXPECT_EQ(file.mid(pos, 500), mp3);
    EXPECT_EQ(file.mid(pos + 500, 77), mid);
    pos += 577;
    for (int i = 0; i < 2; ++i) {
        const QImage pic = DecodeJpegData(file.mid(pos, t.sizes[std::size_t(i)]));
        EXPECT_EQ(pic.size(), QSize(160, 120));
        pos += t.sizes[std::size_t(i)];
    }
    EXPECT_EQ(pos + package::TrailerSize, file.size());
    const QImage first = DecodeJpegData(file.mid(RuntimeBytes.size() + 577, t.sizes[0]));
    EXPECT_GT(qRed(first.pixel(80, 60)), 230);
}

TEST_F(WritePackageTest, PicturePackageWithoutMusic)
{
    const QString a = writeJpeg(dir, "a.jpg", flatImage(32, 32, Qt::white));
    ASSERT_TRUE(WritePackage(out, {a}, settings()));
    const QByteArray file = readBytes(out);
    EXPECT_EQ(quint8(file[file.size() - 600 + 1]), 10);
    const auto t = trailerOf(file);
    EXPECT_EQ(t.musicCount(), 0);
    EXPECT_EQ(t.interval, 5);
    EXPECT_EQ(file.size(), RuntimeBytes.size() + t.sizes[0] + 600);
}

TEST_F(WritePackageTest, FlashPackageCopiesEveryEntryUnchecked)
{
    const QByteArray m1("FWS\x06 movie one"), m2(3000, '\x7f'), m3("not a movie at all");
    writeBytes(dir.filePath("1.swf"), m1);
    writeBytes(dir.filePath("2.swf"), m2);
    writeBytes(dir.filePath("3.txt"), m3);
    PackageSettings s = settings();
    s.saverType = SaverType::Flash;
    s.quitRule = 3;
    s.musicFiles = {dir.filePath("ignored.mp3")}; // not used for Flash
    s.enabledEffects.clear();
    ASSERT_TRUE(WritePackage(out, {dir.filePath("1.swf"), dir.filePath("2.swf"), dir.filePath("3.txt")}, s));
    const QByteArray file = readBytes(out);
    EXPECT_EQ(file, RuntimeBytes + m1 + m2 + m3 + file.right(600));
    const auto t = trailerOf(file);
    EXPECT_EQ(t.saverType, 15);
    EXPECT_EQ(t.musicFlag, 10);
    EXPECT_EQ(t.quitMode, 3);
    EXPECT_EQ(t.sizes, (std::vector<std::int32_t>{std::int32_t(m1.size()), 3000, std::int32_t(m3.size())}));
}

TEST_F(WritePackageTest, FailuresReturnFalse)
{
    const QString good = writeJpeg(dir, "good.jpg", flatImage(32, 32, Qt::white));
    writeBytes(dir.filePath("bad.jpg"), QByteArray("\xFF\xD8\xFF\xE0 truncated", 15));
    writeBytes(dir.filePath("empty.gif"), {});
    writeBytes(dir.filePath("pic.png"), QByteArray(100, 'p'));

    struct Case {
        const char *what;
        QStringList sources;
        QStringList music;
        bool fileNotSupport;
    };
    for (const Case &c : {Case{"corrupt jpeg", {good, dir.filePath("bad.jpg")}, {}, false},
                          Case{"empty gif", {dir.filePath("empty.gif")}, {}, false},
                          Case{"missing picture", {dir.filePath("none.jpg")}, {}, false},
                          Case{"missing music", {good}, {dir.filePath("none.mp3")}, false},
                          Case{"unsupported", {good, dir.filePath("pic.png")}, {}, true}}) {
        SCOPED_TRACE(c.what);
        messages.calls.clear();
        writeBytes(out, RuntimeBytes);
        PackageSettings s = settings();
        s.musicFiles = c.music;
        EXPECT_FALSE(WritePackage(out, c.sources, s));
        EXPECT_EQ(messages.texts(), c.fileNotSupport ? QStringList{"file not support"} : QStringList{});
    }
    // No output file to append to.
    EXPECT_FALSE(WritePackage(dir.filePath("absent.scr"), {good}, settings()));
}

TEST_F(WritePackageTest, ListsBeyondTheFormatAreRefusedBeforeWriting)
{
    const QString good = writeJpeg(dir, "good.jpg", flatImage(8, 8, Qt::white));
    writeBytes(dir.filePath("m.wav"), QByteArray(10, 'w'));
    struct Case {
        const char *what;
        int pictures, music;
    };
    for (const Case c : {Case{"101 pictures", 101, 0}, Case{"59 music files", 1, 59}, Case{"43 + 58", 43, 58}}) {
        SCOPED_TRACE(c.what);
        messages.calls.clear();
        PackageSettings s = settings();
        for (int i = 0; i < c.music; ++i) s.musicFiles << dir.filePath("m.wav");
        QStringList sources;
        for (int i = 0; i < c.pictures; ++i) sources << good;
        EXPECT_FALSE(PackageLimitProblem(sources, s).isEmpty());
        EXPECT_FALSE(WritePackage(out, sources, s));
        EXPECT_EQ(messages.calls.size(), 1u);
        EXPECT_EQ(readBytes(out), RuntimeBytes); // nothing appended
    }
    PackageSettings s = settings();
    for (int i = 0; i < 58; ++i) s.musicFiles << dir.filePath("m.wav");
    EXPECT_TRUE(PackageLimitProblem(QStringList(42, good), s).isEmpty());
}
