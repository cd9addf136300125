// Extracting a 200 MB package (one piece) into the private folder, against `cp` of the
// same bytes, in one run. Run: build/bench/package/bench_extract
#include "RecordingMedia.h"

#include "package/PackageFormat.h"
#include "platform/TempPath.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {

constexpr qint64 PieceSize = 200ll << 20;

QTemporaryDir &workDir()
{
    static QTemporaryDir dir;
    return dir;
}

QString packagePath()
{
    static const QString path = [] {
        const QString p = workDir().filePath("big.scr");
        QFile f(p);
        if (!f.open(QIODevice::WriteOnly)) std::abort();
        QByteArray chunk(1 << 20, '\0');
        for (int i = 0; i < chunk.size(); ++i) chunk[i] = char(i * 31 + 7);
        f.write("runtime");
        for (qint64 done = 0; done < PieceSize; done += chunk.size()) f.write(chunk);
        package::Trailer t;
        t.saverType = package::FlashSaver;
        t.fileCount = 1;
        t.quitMode = 3;
        t.sizes = {std::int32_t(PieceSize)};
        const auto b = package::WriteTrailer(t);
        f.write(reinterpret_cast<const char *>(b.data()), package::TrailerSize);
        return p;
    }();
    return path;
}

void BM_LoadPackage200MB(benchmark::State &state)
{
    TempDir = TempPath::ensurePrivateFolder(workDir().filePath("tmp"));
    for (auto _ : state) {
        PlayerState s;
        RecordingMedia media;
        if (!LoadPackage(packagePath(), s, media)) state.SkipWithError("load failed");
    }
    state.SetBytesProcessed(state.iterations() * PieceSize);
}
BENCHMARK(BM_LoadPackage200MB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_Cp200MB(benchmark::State &state)
{
    const QByteArray cmd = ("cp '" + packagePath() + "' '" + workDir().filePath("copy.bin") + "'").toLocal8Bit();
    for (auto _ : state)
        if (std::system(cmd.constData()) != 0) state.SkipWithError("cp failed");
    state.SetBytesProcessed(state.iterations() * (PieceSize + 607));
}
BENCHMARK(BM_Cp200MB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    packagePath();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
