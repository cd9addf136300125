// Preparing a 4000x3000 JPEG for a 1920x1080 screen, against
// - the floor: libjpeg-turbo decoding the source at full size plus encoding one
//   1920x1080 picture at quality 80 (nothing else), and
// - ImageMagick doing the same job on the command line.
// Run: build/bench/builder/bench_prepare  (needs ImageMagick's convert on PATH)
#include "builder/PicturePreparation.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {

QTemporaryDir &workDir()
{
    static QTemporaryDir dir;
    return dir;
}

const QString &source()
{
    static const QString path = [] {
        const QString p = workDir().filePath("src.jpg");
        // A photograph-like picture: smooth gradients with fine detail.
        QImage img(4000, 3000, QImage::Format_RGB32);
        for (int y = 0; y < img.height(); ++y) {
            auto *row = reinterpret_cast<quint32 *>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x)
                row[x] = qRgb((x * 255 / 4000 + (x * y % 13)) & 255, (y * 255 / 3000 + (x % 7) * 3) & 255,
                              ((x + y) / 30 + (y % 5) * 5) & 255);
        }
        QFile f(p);
        if (!f.open(QIODevice::WriteOnly)) std::abort();
        f.write(EncodeJpeg(img, 90));
        return p;
    }();
    return path;
}

const QSize Screen(1920, 1080);

void BM_PreparePicture(benchmark::State &state)
{
    const MaskOption noMask{true, {}, {}};
    for (auto _ : state) benchmark::DoNotOptimize(PreparePicture(source(), Screen, noMask));
}
BENCHMARK(BM_PreparePicture)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Floor_DecodeFullPlusEncodeScreen(benchmark::State &state)
{
    // The same screen picture the preparation encodes, so both encode the same content.
    const QImage screenPicture = DecodeJpegData(PreparePicture(source(), Screen, MaskOption{true, {}, {}}));
    for (auto _ : state) {
        benchmark::DoNotOptimize(DecodeJpeg(source()));
        benchmark::DoNotOptimize(EncodeJpeg(screenPicture, 80));
    }
}
BENCHMARK(BM_Floor_DecodeFullPlusEncodeScreen)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ImageMagick(benchmark::State &state)
{
    const QString out = workDir().filePath("magick.jpg");
    const QByteArray cmd = QStringLiteral("convert '%1' -sample 1920x1080 -background black -gravity center "
                                          "-extent 1920x1080 -quality 80 '%2'")
                               .arg(source(), out)
                               .toLocal8Bit();
    for (auto _ : state)
        if (std::system(cmd.constData()) != 0) state.SkipWithError("convert failed");
}
BENCHMARK(BM_ImageMagick)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    source();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
