#include "Fixtures.h"
#include "LoaderFixture.h"
#include "RecordingMedia.h"

#include "cli/BuildOptions.h"

#include <QProcess>

TEST(EffectList, ParsesNumbersRangesAndAll)
{
    QList<int> out;
    EXPECT_EQ(ParseEffectList("1,8,52-60", out), QString());
    EXPECT_EQ(out, (QList<int>{1, 8, 52, 53, 54, 55, 56, 57, 58, 59, 60}));
    EXPECT_EQ(ParseEffectList("all", out), QString());
    EXPECT_EQ(out.size(), 103);
    EXPECT_FALSE(out.contains(7));
    EXPECT_TRUE(out.contains(118));
    EXPECT_EQ(ParseEffectList("8,1,8", out), QString());
    EXPECT_EQ(out, (QList<int>{1, 8}));
    for (const char *bad : {"7", "1-10", "0", "123", "150", "x", "5-3", "1,,a"}) {
        EXPECT_NE(ParseEffectList(bad, out), QString()) << bad;
    }
}

TEST(BuildOptionsParse, DefaultsAndErrors)
{
    BuildOptions o;
    EXPECT_EQ(ParseBuildOptions({"-o", "x", "a.jpg", "b.jpg"}, o), QString());
    EXPECT_EQ(o.files, (QStringList{"a.jpg", "b.jpg"}));
    EXPECT_EQ(o.delay, 5);
    EXPECT_FALSE(o.quit.has_value());
    EXPECT_EQ(o.effects.size(), 103);
    EXPECT_FALSE(o.exe);

    BuildOptions p;
    EXPECT_EQ(ParseBuildOptions({"--flash", "--music", "m1.mp3", "--music", "m2.mid", "--delay", "9", "--quit", "4",
                                 "--screen", "800x600", "--exe", "-o", "y", "m.swf"}, p), QString());
    EXPECT_TRUE(p.flash);
    EXPECT_EQ(p.music, (QStringList{"m1.mp3", "m2.mid"}));
    EXPECT_EQ(p.delay, 9);
    EXPECT_EQ(p.quit, 4);
    EXPECT_EQ(p.screen, QSize(800, 600));
    EXPECT_TRUE(p.exe);

    for (const QStringList &bad : {QStringList{"--quit", "6"}, QStringList{"--quit"}, QStringList{"--delay", "x"},
                                   QStringList{"--screen", "800"}, QStringList{"--screen", "0x5"},
                                   QStringList{"--effects", "9"}, QStringList{"--bogus"}}) {
        BuildOptions q;
        EXPECT_NE(ParseBuildOptions(bad, q), QString()) << bad.join(' ').toStdString();
    }
}

namespace {

struct ToolRun {
    int code;
    QString out, err;
};

ToolRun build(const QStringList &args)
{
    QProcess p;
    p.start(NUVIRA_BUILD_TOOL, args);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

class RoundTrip : public LoaderFixture {
protected:
    QTemporaryDir src;
    PlayerState state;
    RecordingMedia media;
};

} // namespace

TEST_F(RoundTrip, PicturePackagesWithAndWithoutMusicReadBackIdentically)
{
    const QString a = writeJpeg(src, "a.jpg", flatImage(640, 480, Qt::red));
    ASSERT_TRUE(flatImage(100, 300, Qt::blue).save(src.filePath("b.bmp"), "BMP"));
    QProcess::execute("convert", {"-size", "50x40", "xc:green", src.filePath("c.gif")});

    struct Case {
        const char *what;
        int music;
    };
    for (const Case c : {Case{"no music", 0}, Case{"two tracks", 2}, Case{"58 tracks", 58}}) {
        SCOPED_TRACE(c.what);
        QStringList args{"--screen", "320x200", "--quit", "2", "--delay", "3", "--effects", "1,8,52-54"};
        QList<QByteArray> tracks;
        for (int j = 0; j < c.music; ++j) {
            const QString name = src.filePath(QString("t%1%2").arg(j).arg(j % 3 == 0 ? ".wav" : j % 3 == 1 ? ".mid" : ".mp3"));
            tracks << QByteArray(100 + j, char('A' + j % 26));
            writeBytes(name, tracks.last());
            args << "--music" << name;
        }
        const QString out = src.filePath(QString("pkg%1.bin").arg(c.music));
        args << "-o" << out << a << src.filePath("b.bmp") << src.filePath("c.gif");
        const ToolRun r = build(args);
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        const QString written = src.filePath(QString("pkg%1.scr").arg(c.music));
        EXPECT_TRUE(QFileInfo(written).isExecutable());

        QDir(TempDir).removeRecursively();
        TempDir = TempPath::ensurePrivateFolder(work.filePath("tmp"));
        PlayerState s;
        RecordingMedia m;
        ASSERT_TRUE(LoadPackage(written, s, m));
        EXPECT_EQ(s.FileCount, 3);
        EXPECT_EQ(s.MusicCount, c.music);
        EXPECT_EQ(s.QuitMode, 2);
        EXPECT_EQ(s.SlideDelay, 3);
        EXPECT_EQ(s.EffectList, (QVector<unsigned char>{1, 8, 52, 53, 54}));
        for (int j = 0; j < c.music; ++j)
            EXPECT_EQ(extracted(QString("fscreen%1%2").arg(j).arg(j % 3 == 0 ? ".wav" : j % 3 == 1 ? ".mid" : ".mp3")), tracks[j]) << j;
        const QImage first = DecodeJpeg(TempDir + "fpics0.jpg");
        EXPECT_EQ(first.size(), QSize(320, 200));
        EXPECT_GT(qRed(first.pixel(160, 100)), 230);
        EXPECT_EQ(DecodeJpeg(TempDir + "fpics1.jpg").size(), QSize(320, 200));
        EXPECT_GT(qGreen(DecodeJpeg(TempDir + "fpics2.jpg").pixel(160, 100)), 100);
    }
}

TEST_F(RoundTrip, FlashPackageReadsBackIdentically)
{
    QList<QByteArray> movies{QByteArray("FWS\x06movie-one"), QByteArray(5000, 'z'), QByteArray("CWS\x0a third")};
    QStringList args{"--flash", "--exe", "-o", src.filePath("movies")};
    for (int i = 0; i < movies.size(); ++i) {
        writeBytes(src.filePath(QString("m%1.swf").arg(i)), movies[i]);
        args << src.filePath(QString("m%1.swf").arg(i));
    }
    const ToolRun r = build(args);
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    ASSERT_TRUE(LoadPackage(src.filePath("movies.exe"), state, media));
    EXPECT_EQ(state.SaverKind, "flash");
    EXPECT_EQ(state.QuitMode, 3); // what the creator chooses for Flash
    for (int i = 0; i < movies.size(); ++i) EXPECT_EQ(extracted(QString("fscreen%1.swf").arg(i)), movies[i]);

    const ToolRun inspect = build({"--inspect", src.filePath("movies.exe")});
    EXPECT_EQ(inspect.code, 0);
    EXPECT_TRUE(inspect.out.contains("saver type: 15 (flash)"));
    EXPECT_TRUE(inspect.out.contains(QString("sizes: %1 5000 %2").arg(movies[0].size()).arg(movies[2].size())));
}

TEST_F(RoundTrip, RefusalsLeaveNoFileBehind)
{
    const QString good = writeJpeg(src, "good.jpg", flatImage(16, 16, Qt::white));
    writeBytes(src.filePath("bad.jpg"), QByteArray("\xFF\xD8\xFF garbage", 12));
    writeBytes(src.filePath("pic.png"), QByteArray(10, 'p'));
    writeBytes(src.filePath("m.mp3"), QByteArray(10, 'm'));
    struct Case {
        const char *what;
        QStringList args;
        QString message;
    };
    const QString out = src.filePath("out.scr");
    QStringList sixty;
    for (int i = 0; i < 59; ++i) sixty << "--music" << src.filePath("m.mp3");
    for (const Case &c : {Case{"no files", {"-o", out}, "Selecciona imagenes o un archivo Swf primero"},
                          Case{"unsupported", {"-o", out, good, src.filePath("pic.png")}, "file not support"},
                          Case{"corrupt", {"-o", out, good, src.filePath("bad.jpg")}, "Proceso falló !"},
                          Case{"missing", {"-o", out, src.filePath("none.jpg")}, "cannot read"},
                          Case{"music with flash", {"--flash", "--music", src.filePath("m.mp3"), "-o", out, good}, "En Flash no se puede poner sonidos ."},
                          Case{"no effects", {"--effects", "", "-o", out, good}, "Selecciona al menos un efecto para el proyector scr "},
                          Case{"59 music files", sixty + QStringList{"-o", out, good}, "como máximo 58"},
                          Case{"excluded effect", {"--effects", "1,7", "-o", out, good}, "effect 7 is not offered"}}) {
        SCOPED_TRACE(c.what);
        const ToolRun r = build(c.args);
        EXPECT_NE(r.code, 0);
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(out));
    }
    const ToolRun shortFile = build({"--inspect", src.filePath("pic.png")});
    EXPECT_NE(shortFile.code, 0);
}
