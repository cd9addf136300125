// The runtime's speed, in its real full-screen window. Run it on a 1920x1080 X screen:
//
//   xvfb-run -a -s "-screen 0 1920x1080x24" bench/runtime/runtime_bench
//
// StartToFirstFrame/N  a package of N 1920x1080 pictures: from creating the window (which
//                      extracts the package) to the first transition frame on the screen,
//                      the first timer tick taken at once instead of after its second.
//                      Counters: extract_ms (window creation, the extraction included),
//                      shown_ms (window on the screen), first_frame_ms.
// Transition/E         one transition of effect E between two 1920x1080 pictures, ticked
//                      as the slideshow does: frames painted, its duration, frames/s.
// DecodeNextPicture    what a tick spends reading the next 1920x1080 JPEG: the control's
//                      own loader, and libjpeg straight (for comparison).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <memory>

#include "builder/PicturePreparation.h"
#include "package/PackageFormat.h"
#include "platform/Application.h"
#include "platform/MessageService.h"
#include "runtime/unithead.h"

namespace {

using Clock = std::chrono::steady_clock;
double msSince(Clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// A photo-like picture: smooth gradients with some noise, so the JPEG has a real size.
QImage Photo(int seed)
{
    QImage img(1920, 1080, QImage::Format_RGB32);
    QRandomGenerator rng{quint32(seed)};
    for (int y = 0; y < img.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const int n = int(rng.bounded(24));
            row[x] = qRgb((x / 8 + seed * 50 + n) & 255, (y / 5 + seed * 30 + n) & 255, ((x + y) / 12 + n) & 255);
        }
    }
    return img;
}

struct Env {
    QTemporaryDir dir;
    RecordingMessageService messages;
    Env()
    {
        QDir(dir.path()).mkpath("run");
        QFile::setPermissions(dir.path() + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path() + "/run"));
    }
};

Env &env()
{
    static Env e;
    return e;
}

const QByteArray &PhotoJpeg(int i)
{
    static QList<QByteArray> cache;
    while (cache.size() <= i % 4) cache << EncodeJpeg(Photo(int(cache.size())), 80);
    return cache[i % 4];
}

// A package of n pictures (and no music), with the given effects enabled.
QString Package(int n, const QList<int> &effects, int interval = 0)
{
    const QString path = env().dir.path() + QStringLiteral("/bench-%1.scr").arg(n);
    package::Trailer t;
    t.saverType = package::PictureSaver;
    t.musicFlag = package::NoMusic;
    t.fileCount = n;
    t.quitMode = 5;
    t.interval = interval;
    for (int k : effects) t.effectFlags[std::size_t(k)] = 1;
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(QByteArray(8 << 20, 'R')); // about the size of the runtime program
    for (int i = 0; i < n; ++i) {
        f.write(PhotoJpeg(i));
        t.sizes.push_back(std::int32_t(PhotoJpeg(i).size()));
    }
    const auto trailer = package::WriteTrailer(t);
    f.write(reinterpret_cast<const char *>(trailer.data()), qint64(trailer.size()));
    return path;
}

// Runs the event loop until done() holds or the time runs out.
template <class F>
bool SpinUntil(F done, int ms = 20000)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void StartToFirstFrame(benchmark::State &state)
{
    const int n = int(state.range(0));
    const QString pkg = Package(n, {1});
    double extract = 0, shown = 0, first = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        auto form = std::make_unique<TForm1>(pkg);
        form->SlidingTimer->stop();
        extract += msSince(t0);
        std::atomic<int> frames{0};
        form->ImageShow1->OnAfterNewFrame = [&](TCustomImageShow *, const QImage &, QImage &) { ++frames; };
        form->showCoveringScreen();
        if (!QTest::qWaitForWindowExposed(form.get())) state.SkipWithError("window not shown");
        shown += msSince(t0);
        form->SlidingTimerTimer();
        // The frame rendered, then painted by the event loop.
        SpinUntil([&] { return frames.load() >= 1; });
        QCoreApplication::processEvents();
        first += msSince(t0);
        form->ImageShow1->Stop();
        state.SetIterationTime(msSince(t0) / 1000.0);
    }
    const double it = double(state.iterations());
    state.counters["extract_ms"] = extract / it;
    state.counters["shown_ms"] = shown / it;
    state.counters["first_frame_ms"] = first / it;
    state.counters["package_MB"] = double(QFileInfo(pkg).size()) / (1 << 20);
}
BENCHMARK(StartToFirstFrame)->Arg(1)->Arg(40)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

std::unique_ptr<TForm1> form; // freed before the application object

TForm1 &TransitionForm()
{
    if (!form) {
        form = std::make_unique<TForm1>(Package(2, {1}));
        form->SlidingTimer->stop();
        form->showCoveringScreen();
        if (!QTest::qWaitForWindowExposed(form.get()))
            qWarning("the full-screen window was not exposed; frame figures may be off");
    }
    return *form;
}

void Transition(benchmark::State &state)
{
    const int effect = int(state.range(0));
    TForm1 &f = TransitionForm();
    f.EffectList = {static_cast<unsigned char>(effect)};
    f.EffectCount = 1;
    f.SlideDelay = 0;
    std::atomic<int> frames{0};
    f.ImageShow1->OnAfterNewFrame = [&](TCustomImageShow *, const QImage &, QImage &) { ++frames; };
    double total = 0;
    int framesTotal = 0;
    for (auto _ : state) {
        frames = 0;
        const auto t0 = Clock::now();
        f.SlidingTimerTimer(); // the next picture comes in with this effect
        if (!SpinUntil([&] { return !f.ImageShow1->Busy(); })) state.SkipWithError("transition hung");
        const double ms = msSince(t0);
        total += ms;
        framesTotal += frames.load();
        state.SetIterationTime(ms / 1000.0);
    }
    f.ImageShow1->OnAfterNewFrame = nullptr;
    const double it = double(state.iterations());
    state.counters["frames"] = framesTotal / it;
    state.counters["duration_ms"] = total / it;
    state.counters["fps"] = framesTotal / (total / 1000.0);
}

void RegisterTransitions()
{
    for (int e = 1; e <= 122; ++e)
        if (!package::IsExcludedEffect(e))
            benchmark::RegisterBenchmark("Transition", Transition)
                ->Arg(e)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);
}

void DecodeNextPicture(benchmark::State &state)
{
    const QString file = env().dir.path() + "/next.jpg";
    QFile f(file);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(PhotoJpeg(1));
    f.close();
    const bool control = state.range(0) == 0;
    TImageShow show;
    for (auto _ : state) {
        if (control) {
            QString error;
            if (!show.LoadPicture(file, &error)) state.SkipWithError("unreadable");
        } else {
            benchmark::DoNotOptimize(DecodeJpeg(file));
        }
    }
    state.SetLabel(control ? "the control's loader (Qt reader)" : "libjpeg straight");
}
BENCHMARK(DecodeNextPicture)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    Application app(argc, argv);
    Application::setApplicationName(TForm1::title());
    RegisterTransitions();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    form.reset();
    return 0;
}
