#include "builder/WritePackage.h"

#include "package/PackageFormat.h"
#include "platform/MessageService.h"

#include <QFile>
#include <QFileInfo>

#include <limits>

namespace {

constexpr qint64 MaxStored = std::numeric_limits<std::int32_t>::max(); // sizes are 32-bit signed

// Appends the whole of a source file to out, one buffer at a time. Returns its size, or
// -1 when it cannot be read or written.
qint64 appendFile(QFile &out, const QString &path)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) return -1;
    static constexpr qint64 Chunk = 1 << 20;
    QByteArray buffer(Chunk, Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        const qint64 n = in.read(buffer.data(), Chunk);
        if (n < 0) return -1;
        if (n == 0) break;
        if (out.write(buffer.constData(), n) != n) return -1;
        total += n;
        if (total > MaxStored) return -1;
    }
    return total;
}

} // namespace

QString PackageLimitProblem(const QStringList &sources, const PackageSettings &s)
{
    const bool pictures = s.saverType == SaverType::Pictures;
    const qsizetype music = pictures ? s.musicFiles.size() : 0;
    if (pictures && music > package::MaxMusicFiles)
        return QStringLiteral("Demasiados sonidos: como máximo %1.").arg(package::MaxMusicFiles);
    if (sources.size() + music > package::MaxPieces)
        return QStringLiteral("Demasiados archivos: como máximo %1 entre imágenes y sonidos.").arg(package::MaxPieces);
    qint64 copied = 0;
    for (const QString &f : pictures ? s.musicFiles : sources)
        copied += QFileInfo(f).size();
    if (copied > MaxStored)
        return QStringLiteral("Los archivos suman 2 GB o más; el protector no puede guardarlos.");
    return {};
}

namespace {

bool finish(QFile &out, const package::Trailer &t)
{
    const auto bytes = package::WriteTrailer(t);
    const bool ok = out.write(reinterpret_cast<const char *>(bytes.data()), package::TrailerSize) ==
                    package::TrailerSize;
    out.close();
    return ok && out.error() == QFileDevice::NoError;
}

} // namespace

bool WritePackage(const QString &outputPath, const QStringList &sourceList, const PackageSettings &settings,
                  const PackageProgress &progress)
{
    if (const QString problem = PackageLimitProblem(sourceList, settings); !problem.isEmpty()) {
        MessageService::message(problem);
        return false;
    }
    QFile out(outputPath);
    if (!out.exists() || !out.open(QIODevice::WriteOnly | QIODevice::Append)) return false;

    package::Trailer t;
    t.fileCount = std::int32_t(sourceList.size());
    t.quitMode = settings.quitRule;
    qint64 total = 0;
    auto record = [&](qint64 size) {
        total += size;
        t.sizes.push_back(std::int32_t(size));
        return size >= 0 && total <= MaxStored;
    };

    if (settings.saverType == SaverType::Flash) {
        t.saverType = package::FlashSaver;
        t.musicFlag = package::NoMusic;
        for (const QString &movie : sourceList)
            if (!record(appendFile(out, movie))) return false;
        return finish(out, t);
    }

    t.saverType = package::PictureSaver;
    t.musicFlag = settings.musicFiles.isEmpty() ? package::NoMusic : package::MusicPresent;
    std::vector<std::int32_t> musicSizes;
    for (const QString &music : settings.musicFiles) {
        t.musicKinds.push_back(std::uint8_t(package::MusicKindOf(music.toStdString())));
        const qint64 size = appendFile(out, music);
        if (size < 0) return false;
        total += size;
        musicSizes.push_back(std::int32_t(size));
    }
    for (int k = 0; k < sourceList.size(); ++k) {
        if (progress) progress(k, int(sourceList.size()));
        QByteArray jpeg;
        try {
            jpeg = PreparePicture(sourceList[k], settings.screen, settings.mask);
        } catch (const UnsupportedPicture &) {
            MessageService::message(QStringLiteral("file not support"));
            return false;
        } catch (const std::exception &) {
            return false;
        }
        if (out.write(jpeg) != jpeg.size() || !record(jpeg.size())) return false;
    }
    t.sizes.insert(t.sizes.end(), musicSizes.begin(), musicSizes.end());
    t.interval = settings.delaySeconds;
    for (int k : settings.enabledEffects)
        if (k >= 0 && k < package::EffectFlagCount) t.effectFlags[std::size_t(k)] = 1;
    return finish(out, t);
}
