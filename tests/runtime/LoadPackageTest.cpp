#include "LoaderFixture.h"
#include "RecordingMedia.h"

#include "package/PackageFormat.h"
#include "tests/support/TestMedia.h"

#include <QRandomGenerator>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray Runtime("\x7f" "ELF-runtime-bytes-of-some-length");

// Assembles a package by hand: runtime, the given pieces in file order, trailer.
QByteArray assemble(const QList<QByteArray> &inFileOrder, const package::Trailer &t)
{
    QByteArray file = Runtime;
    for (const auto &p : inFileOrder) file += p;
    const auto b = package::WriteTrailer(t);
    file += QByteArray(reinterpret_cast<const char *>(b.data()), package::TrailerSize);
    return file;
}

package::Trailer pictureTrailer(const QList<QByteArray> &pictures, const QList<QByteArray> &music,
                                std::vector<std::uint8_t> kinds, int quit, std::vector<int> effects)
{
    package::Trailer t;
    t.fileCount = int(pictures.size());
    t.musicFlag = music.isEmpty() ? package::NoMusic : package::MusicPresent;
    t.musicKinds = std::move(kinds);
    t.quitMode = quit;
    t.interval = 7;
    t.reserved = 0x5A;
    for (int k : effects) t.effectFlags[std::size_t(k)] = 1;
    for (const auto &p : pictures) t.sizes.push_back(std::int32_t(p.size()));
    for (const auto &m : music) t.sizes.push_back(std::int32_t(m.size()));
    return t;
}

class LoadPackageTest : public LoaderFixture {
protected:
    PlayerState state;
    RecordingMedia media;

    QString write(const QByteArray &bytes, const QString &name = "pkg.scr")
    {
        const QString path = work.filePath(name);
        EXPECT_TRUE(testmedia::WriteFile(path, bytes));
        return path;
    }
};

} // namespace

TEST_F(LoadPackageTest, PicturePackageExtractsEveryPieceAndStartsTrackZero)
{
    const QByteArray p0(1000, 'a'), p1(2000, 'b'), mp3(500, 'm'), wav(300, 'w');
    const auto t = pictureTrailer({p0, p1}, {mp3, wav}, {'1', '2'}, 2, {1, 7, 8, 119, 122});
    ASSERT_TRUE(LoadPackage(write(assemble({mp3, wav, p0, p1}, t)), state, media));

    EXPECT_EQ(extractedNames(), (QStringList{"fpics0.jpg", "fpics1.jpg", "fscreen0.mp3", "fscreen1.wav"}));
    EXPECT_EQ(extracted("fpics0.jpg"), p0);
    EXPECT_EQ(extracted("fpics1.jpg"), p1);
    EXPECT_EQ(extracted("fscreen0.mp3"), mp3);
    EXPECT_EQ(extracted("fscreen1.wav"), wav);
    EXPECT_EQ(media.calls, (QStringList{"hideFlash", "music " + TempDir + "fscreen0.mp3"}));

    EXPECT_EQ(state.SaverKind, "picture");
    EXPECT_EQ(state.FileCount, 2);
    EXPECT_EQ(state.MusicCount, 2);
    EXPECT_EQ(state.MusicKinds, QByteArray("12"));
    EXPECT_EQ(state.QuitMode, 2);
    EXPECT_EQ(state.SlideDelay, 7);
    EXPECT_EQ(state.Reserved, 0x5A);
    EXPECT_EQ(state.EffectList, (QVector<unsigned char>{1, 8}));
    EXPECT_EQ(state.EffectCount, 2);
    EXPECT_EQ(state.RefPos, QPoint(123, 456));
}

TEST_F(LoadPackageTest, PointerHiddenOnlyForMouseMoveRules)
{
    for (int quit = 1; quit <= 5; ++quit) {
        SCOPED_TRACE(quit);
        PlayerState s;
        RecordingMedia m;
        const QByteArray p(10, 'p');
        ASSERT_TRUE(LoadPackage(write(assemble({p}, pictureTrailer({p}, {}, {}, quit, {1}))), s, m));
        EXPECT_EQ(m.calls.contains("hidePointer"), quit == 1 || quit == 4);
        EXPECT_EQ(s.MusicCount, 0);
        EXPECT_TRUE(m.calls.filter("music").isEmpty());
    }
}

TEST_F(LoadPackageTest, NoUsableEffectIsReported)
{
    const QByteArray p(10, 'p');
    auto t = pictureTrailer({p}, {}, {}, 3, {7});
    t.effectFlags[10] = 2; // only 1 enables
    ASSERT_TRUE(LoadPackage(write(assemble({p}, t)), state, media));
    EXPECT_EQ(state.EffectCount, 0);
    EXPECT_TRUE(media.calls.contains("effectError"));
}

TEST_F(LoadPackageTest, MidiKindAndUnknownKinds)
{
    const QByteArray p(10, 'p'), mid(40, 'M'), odd(30, '?');
    ASSERT_TRUE(LoadPackage(write(assemble({mid, odd, p}, pictureTrailer({p}, {mid, odd}, {'0', '9'}, 3, {2}))), state, media));
    EXPECT_EQ(extracted("fscreen0.mid"), mid);
    EXPECT_EQ(extractedNames(), (QStringList{"fpics0.jpg", "fscreen0.mid"})); // kind '9' skipped
    EXPECT_TRUE(media.calls.contains("music " + TempDir + "fscreen0.mid"));
}

TEST_F(LoadPackageTest, MusicThatCannotStartStillLeavesTheSlideshowSettings)
{
    const QByteArray p(10, 'p'), mp3(20, 'm');
    media.refuseMusic = true;
    EXPECT_FALSE(LoadPackage(write(assemble({mp3, p}, pictureTrailer({p}, {mp3}, {'1'}, 3, {2, 5}))), state, media));
    EXPECT_EQ(state.FileCount, 1);
    EXPECT_EQ(extracted("fscreen0.mp3"), mp3);
    EXPECT_EQ(state.SlideDelay, 7);
    EXPECT_EQ(state.EffectList, (QVector<unsigned char>{2, 5}));
    EXPECT_FALSE(media.calls.contains("effectError"));
}

TEST_F(LoadPackageTest, FlashPackage)
{
    const QByteArray m0("FWS movie zero"), m1(700, 'x');
    package::Trailer t;
    t.saverType = package::FlashSaver;
    t.fileCount = 2;
    t.quitMode = 3;
    t.reserved = 9;
    t.sizes = {std::int32_t(m0.size()), 700};
    ASSERT_TRUE(LoadPackage(write(assemble({m0, m1}, t)), state, media));
    EXPECT_EQ(extracted("fscreen0.swf"), m0);
    EXPECT_EQ(extracted("fscreen1.swf"), m1);
    EXPECT_EQ(media.calls, (QStringList{"showFlash", "movie " + TempDir + "fscreen0.swf"}));
    EXPECT_EQ(state.SaverKind, "flash");
    EXPECT_EQ(state.FileCount, 2);
    EXPECT_EQ(state.QuitMode, 3);
    EXPECT_EQ(state.Reserved, 9);
    EXPECT_EQ(state.MusicCount, 0);
    EXPECT_EQ(state.SlideDelay, 0);
    EXPECT_EQ(state.EffectCount, 0);
}

TEST_F(LoadPackageTest, ASecondRunReplacesFilesAndLeavesHigherIndexes)
{
    const QByteArray a(50, 'a'), b(60, 'b'), c(70, 'c');
    ASSERT_TRUE(LoadPackage(write(assemble({a, b, c}, pictureTrailer({a, b, c}, {}, {}, 3, {1}))), state, media));
    PlayerState s2;
    const QByteArray z(5, 'z');
    ASSERT_TRUE(LoadPackage(write(assemble({z}, pictureTrailer({z}, {}, {}, 3, {1})), "small.scr"), s2, media));
    EXPECT_EQ(extracted("fpics0.jpg"), z);
    EXPECT_EQ(extracted("fpics2.jpg"), c);
}

TEST_F(LoadPackageTest, BadPackagesFailWithoutHarm)
{
    const QByteArray p(100, 'p');
    const QByteArray good = assemble({p}, pictureTrailer({p}, {}, {}, 3, {1}));
    auto patched = [&](int trailerOffset, std::int32_t value) {
        QByteArray f = good;
        std::memcpy(f.data() + f.size() - 600 + trailerOffset, &value, 4);
        return f;
    };
    QByteArray randomBytes(5000, 0);
    QRandomGenerator gen(42);
    for (auto &ch : randomBytes) ch = char(gen.bounded(256));
    randomBytes[randomBytes.size() - 600] = 14; // make it look like a picture package

    struct Case {
        const char *what;
        QByteArray bytes;
    };
    for (const Case &c : {Case{"empty file", {}}, Case{"shorter than a trailer", QByteArray(599, '\x0e')},
                          Case{"negative count", patched(2, -1)}, Case{"huge count", patched(2, 0x7fffffff)},
                          Case{"huge size", patched(200, 0x7ffffff0)}, Case{"negative size", patched(200, -100)},
                          Case{"size past the start", patched(200, int(good.size()))},
                          Case{"random bytes", randomBytes}}) {
        SCOPED_TRACE(c.what);
        PlayerState s;
        RecordingMedia m;
        QDir(TempDir).removeRecursively();
        TempDir = TempPath::ensurePrivateFolder(work.filePath("tmp"));
        EXPECT_FALSE(LoadPackage(write(c.bytes, "bad.scr"), s, m));
        EXPECT_TRUE(extractedNames().isEmpty());
    }
    EXPECT_FALSE(LoadPackage(work.filePath("missing.scr"), state, media));
}

TEST_F(LoadPackageTest, ExtractionNeverFollowsALink)
{
    const QString outside = work.filePath("outside.txt");
    {
        QFile f(outside);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("keep me");
    }
    ASSERT_EQ(::symlink(QFile::encodeName(outside).constData(), QFile::encodeName(TempDir + "fpics0.jpg").constData()), 0);
    const QByteArray p(10, 'p');
    EXPECT_FALSE(LoadPackage(write(assemble({p}, pictureTrailer({p}, {}, {}, 3, {1}))), state, media));
    QFile f(outside);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("keep me"));
}

TEST(TempPath, PrivateFolderIsCheckedAndCreated)
{
    QTemporaryDir work;
    const QString made = TempPath::ensurePrivateFolder(work.filePath("a"));
    EXPECT_TRUE(made.endsWith('/'));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(made).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // A loose folder of ours is made private again.
    ASSERT_EQ(::chmod(QFile::encodeName(made).constData(), 0777), 0);
    TempPath::ensurePrivateFolder(made);
    ASSERT_EQ(::stat(QFile::encodeName(made).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // A link in its place is refused, even to a folder of ours.
    ASSERT_EQ(::symlink(QFile::encodeName(made).constData(), QFile::encodeName(work.filePath("link")).constData()), 0);
    EXPECT_THROW(TempPath::ensurePrivateFolder(work.filePath("link")), TempPathError);
    // A file in its place is refused.
    QFile file(work.filePath("file"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    EXPECT_THROW(TempPath::ensurePrivateFolder(work.filePath("file")), TempPathError);
    // A folder of another user is refused.
    if (::geteuid() == 0) {
        const QString theirs = work.filePath("theirs");
        ASSERT_TRUE(QDir().mkdir(theirs));
        ASSERT_EQ(::chown(QFile::encodeName(theirs).constData(), 65534, 65534), 0);
        EXPECT_THROW(TempPath::ensurePrivateFolder(theirs), TempPathError);
    } else {
        EXPECT_THROW(TempPath::ensurePrivateFolder("/usr"), TempPathError);
    }

    // The runtime's folder follows XDG_RUNTIME_DIR.
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(work.path()));
    EXPECT_EQ(TempPath::path(), work.path() + "/nuvira/");
    if (saved.isEmpty()) qunsetenv("XDG_RUNTIME_DIR"); else qputenv("XDG_RUNTIME_DIR", saved);
}
