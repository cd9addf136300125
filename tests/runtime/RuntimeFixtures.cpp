#include "tests/runtime/RuntimeFixtures.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <cmath>

#include "builder/PicturePreparation.h"
#include "package/PackageFormat.h"
#include "tests/support/TestMedia.h"

namespace fixtures {

QByteArray Jpeg(QSize size, QColor colour)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(colour);
    return EncodeJpeg(img, 80);
}

QByteArray Swf(int frames, double frameRate, QColor background, QSize stage)
{
    testmedia::SwfMovie movie;
    movie.width = stage.width();
    movie.height = stage.height();
    movie.rate88 = int(std::lround(frameRate * 256.0));
    movie.frames = frames;
    movie.tagsBeforeFrame = testmedia::SwfBackground(background.red(), background.green(), background.blue());
    return testmedia::Swf(movie);
}

namespace {
QString writePackage(const QString &path, const QList<QByteArray> &piecesInFileOrder,
                     const package::Trailer &t)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return {};
    f.write(QByteArray(4096, 'R')); // stands for the runtime program
    for (const QByteArray &p : piecesInFileOrder) f.write(p);
    const auto trailer = package::WriteTrailer(t);
    f.write(reinterpret_cast<const char *>(trailer.data()), qint64(trailer.size()));
    return path;
}
} // namespace

QString PicturePackage(const QString &dir, const QList<QByteArray> &pictures,
                       const PictureOptions &o, const QString &name)
{
    package::Trailer t;
    t.saverType = package::PictureSaver;
    t.musicFlag = o.music.isEmpty() ? package::NoMusic : package::MusicPresent;
    t.fileCount = int(pictures.size());
    t.quitMode = o.quitMode;
    t.interval = o.interval;
    for (int k : o.effectFlags) t.effectFlags[std::size_t(k)] = 1;
    QList<QByteArray> pieces;
    for (const MusicPiece &m : o.music) {
        t.musicKinds.push_back(std::uint8_t(m.kind));
        pieces << m.bytes;
    }
    for (const QByteArray &p : pictures) {
        t.sizes.push_back(std::int32_t(p.size()));
        pieces << p;
    }
    for (const MusicPiece &m : o.music) t.sizes.push_back(std::int32_t(m.bytes.size()));
    return writePackage(dir + "/" + name, pieces, t);
}

QString FlashPackage(const QString &dir, const QList<QByteArray> &movies, int quitMode,
                     const QString &name)
{
    package::Trailer t;
    t.saverType = package::FlashSaver;
    t.musicFlag = package::NoMusic;
    t.fileCount = int(movies.size());
    t.quitMode = quitMode;
    for (const QByteArray &m : movies) t.sizes.push_back(std::int32_t(m.size()));
    return writePackage(dir + "/" + name, movies, t);
}

RuntimeEnv::RuntimeEnv()
{
    m_hadRuntimeDir = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
    m_oldRuntimeDir = qgetenv("XDG_RUNTIME_DIR");
    QDir(m_dir.path()).mkpath("run");
    QFile::setPermissions(m_dir.path() + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_dir.path() + "/run"));
}

RuntimeEnv::~RuntimeEnv()
{
    if (m_hadRuntimeDir)
        qputenv("XDG_RUNTIME_DIR", m_oldRuntimeDir);
    else
        qunsetenv("XDG_RUNTIME_DIR");
}

} // namespace fixtures
