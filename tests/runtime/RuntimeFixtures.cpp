#include "tests/runtime/RuntimeFixtures.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QtEndian>
#include <cmath>

#include "builder/PicturePreparation.h"
#include "package/PackageFormat.h"

namespace fixtures {

QByteArray Jpeg(QSize size, QColor colour)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(colour);
    return EncodeJpeg(img, 80);
}

namespace {
void put16(QByteArray &b, quint16 v)
{
    b.append(char(v & 0xff));
    b.append(char(v >> 8));
}
void put32(QByteArray &b, quint32 v)
{
    put16(b, quint16(v & 0xffff));
    put16(b, quint16(v >> 16));
}
} // namespace

QByteArray Wav(int milliseconds)
{
    const int rate = 22050;
    const int samples = rate * milliseconds / 1000;
    QByteArray data;
    for (int i = 0; i < samples; ++i)
        put16(data, quint16(qint16(3000 * std::sin(2 * M_PI * 440.0 * i / rate))));
    QByteArray b("RIFF");
    put32(b, quint32(36 + data.size()));
    b.append("WAVEfmt ");
    put32(b, 16);
    put16(b, 1);        // PCM
    put16(b, 1);        // mono
    put32(b, rate);
    put32(b, rate * 2); // bytes per second
    put16(b, 2);        // block align
    put16(b, 16);       // bits
    b.append("data");
    put32(b, quint32(data.size()));
    b.append(data);
    return b;
}

QByteArray Swf(int frames, double frameRate, QColor background, QSize stage)
{
    // Stage rectangle: 5 bits of field width, then Xmin, Xmax, Ymin, Ymax in twips.
    const int nbits = 16;
    const quint32 fields[4] = {0, quint32(stage.width() * 20), 0, quint32(stage.height() * 20)};
    QByteArray rect;
    quint64 acc = 0;
    int accBits = 0;
    auto pushBits = [&](quint32 v, int n) {
        for (int i = n - 1; i >= 0; --i) {
            acc = (acc << 1) | ((v >> i) & 1u);
            if (++accBits == 8) {
                rect.append(char(acc & 0xff));
                acc = 0;
                accBits = 0;
            }
        }
    };
    pushBits(nbits, 5);
    for (quint32 f : fields) pushBits(f, nbits);
    if (accBits) pushBits(0, 8 - accBits);

    QByteArray body = rect;
    put16(body, quint16(std::lround(frameRate * 256.0)));
    put16(body, quint16(frames));
    put16(body, quint16((9 << 6) | 3)); // SetBackgroundColor
    body.append(char(background.red()));
    body.append(char(background.green()));
    body.append(char(background.blue()));
    put16(body, 0); // End

    QByteArray b("FWS");
    b.append(char(10));
    put32(b, quint32(8 + body.size()));
    b.append(body);
    return b;
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
