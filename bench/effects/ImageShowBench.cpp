// Transitions of a 1920x1080 picture in a full-size offscreen window, as the runtime plays
// them (aligned to the window, Center, black Color, default Step 4 and Delay 40), one
// benchmark per effect that the creator offers. Reports per transition: frames rendered,
// frames painted, the transition's duration from Execute to OnStop, and the mean cost of
// rendering one frame (animation thread) and of painting it (GUI thread).
//
//   imageshow_bench                      every offered effect at Delay 40
//   imageshow_bench --benchmark_filter=FrameCost   the machinery's own cost per frame (Delay 0)
#include "effects/ImageShow.h"
#include "package/PackageFormat.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPainter>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>

namespace {

using Clock = std::chrono::steady_clock;

QImage Picture(int w, int h, int seed)
{
    // A gradient with a grid, so that every effect moves real pixels.
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        QRgb *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            row[x] = qRgb((x * 255 / w + seed * 90) & 255, (y * 255 / h + seed * 40) & 255,
                          ((x / 64 + y / 64) % 2) ? 200 - seed * 60 : 40 + seed * 60);
    }
    return image;
}

// Times every paint of the control.
class TimedShow : public TImageShow {
public:
    using TImageShow::TImageShow;
    std::atomic<long long> paintNs{0};
    std::atomic<int> paints{0};

protected:
    void Paint() override
    {
        const auto t0 = Clock::now();
        TImageShow::Paint();
        paintNs += std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - t0).count();
        ++paints;
    }
};

struct Stage {
    QWidget window;
    TimedShow *show = nullptr;
    QImage pictures[2];
    int next = 0;
    std::atomic<int> frames{0};
    std::atomic<long long> renderNs{0};
    Clock::time_point frameStart;
    Clock::time_point firstFrame, lastFrame; // written by the animation thread, read after it ended

    Stage()
    {
        window.resize(1920, 1080);
        show = new TimedShow(&window);
        show->SetAlign(alClient);
        show->SetCenter(true);
        show->SetColor(Qt::black);
        show->OnBeforeNewFrame = [this](TCustomImageShow *, const QImage &, QImage &) {
            frameStart = Clock::now();
        };
        show->OnAfterNewFrame = [this](TCustomImageShow *, const QImage &, QImage &) {
            const auto now = Clock::now();
            renderNs += std::chrono::duration_cast<std::chrono::nanoseconds>(now - frameStart).count();
            if (frames++ == 0)
                firstFrame = now;
            lastFrame = now;
        };
        pictures[0] = Picture(1920, 1080, 0);
        pictures[1] = Picture(1920, 1080, 1);
        window.show();
        QEventLoop settle;
        QTimer::singleShot(100, &settle, &QEventLoop::quit);
        settle.exec();
    }

    // Runs one transition; returns its duration from Execute to OnStop in seconds.
    double Transition(int style)
    {
        frames = 0;
        renderNs = 0;
        show->paintNs = 0;
        show->paints = 0;
        show->SetStyle(style);
        show->SetPicture(pictures[next]);
        next ^= 1;
        QEventLoop loop;
        Clock::time_point end;
        show->OnStop = [&](TCustomImageShow *) {
            end = Clock::now();
            loop.quit();
        };
        const auto start = Clock::now();
        show->Execute();
        if (show->Busy())
            loop.exec();
        show->OnStop = nullptr;
        return std::chrono::duration<double>(end - start).count();
    }
};

// Created on first use, destroyed in main while the application object still exists.
std::unique_ptr<Stage> &StagePtr()
{
    static std::unique_ptr<Stage> stage;
    return stage;
}

Stage &TheStage()
{
    if (!StagePtr())
        StagePtr() = std::make_unique<Stage>();
    return *StagePtr();
}

struct Figures {
    double seconds;
    int frames;
    double periodMs;
};
std::map<int, Figures> &Results()
{
    static std::map<int, Figures> results;
    return results;
}

void Report(benchmark::State &state, Stage &stage, double seconds)
{
    state.SetIterationTime(seconds);
    const int frames = stage.frames.load();
    state.counters["frames"] = frames;
    state.counters["painted"] = stage.show->paints.load();
    state.counters["duration_s"] = seconds;
    state.counters["render_ms"] = frames ? stage.renderNs.load() / 1e6 / frames : 0;
    state.counters["paint_ms"] = stage.show->paints ? stage.show->paintNs.load() / 1e6 / stage.show->paints : 0;
    // Mean time from one frame to the next (the Delay slot each frame gets on screen).
    state.counters["period_ms"] =
        frames > 1 ? std::chrono::duration<double, std::milli>(stage.lastFrame - stage.firstFrame).count() / (frames - 1) : 0;
}

void BM_Transition(benchmark::State &state)
{
    Stage &stage = TheStage();
    const int style = int(state.range(0));
    stage.show->SetDelay(40);
    stage.show->SetStep(4);
    for (auto _ : state) {
        const double seconds = stage.Transition(style);
        Report(state, stage, seconds);
        const int frames = stage.frames.load();
        Results()[style] = {seconds, frames,
                            frames > 1 ? std::chrono::duration<double, std::milli>(stage.lastFrame - stage.firstFrame).count() / (frames - 1) : 0};
    }
}

void BM_FrameCost(benchmark::State &state)
{
    // Delay 0: the transition runs as fast as rendering and painting allow.
    Stage &stage = TheStage();
    const int style = int(state.range(0));
    stage.show->SetDelay(0);
    stage.show->SetStep(4);
    for (auto _ : state) {
        const double seconds = stage.Transition(style);
        Report(state, stage, seconds);
        state.counters["ms_per_frame"] = seconds * 1000 / std::max(1, stage.frames.load());
    }
    stage.show->SetDelay(40);
}

void OfferedEffects(benchmark::internal::Benchmark *b)
{
    for (int n : package::OfferedEffects())
        b->Arg(n);
}

BENCHMARK(BM_Transition)->Apply(OfferedEffects)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameCost)->Arg(0)->Arg(5)->Arg(3)->Arg(60)->Arg(118)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    StagePtr().reset();
    if (!Results().empty()) {
        int within = 0, with25 = 0, slotsWithin = 0;
        double lo = 1e9, hi = 0, plo = 1e9, phi = 0, psum = 0;
        for (const auto &[style, f] : Results()) {
            lo = std::min(lo, f.seconds);
            hi = std::max(hi, f.seconds);
            plo = std::min(plo, f.periodMs);
            phi = std::max(phi, f.periodMs);
            psum += f.periodMs;
            // Each frame is on show for one period, the last one included: the transition
            // occupies frames x period on screen (Execute to OnStop lacks the last period,
            // as the thread reports its end right after the last frame).
            const double onShow = f.frames * f.periodMs / 1000;
            slotsWithin += onShow >= 1.0 && onShow <= 1.1;
            with25 += f.frames == 25;
            within += f.seconds >= 1.0 && f.seconds <= 1.1;
        }
        std::printf("\n%zu effects: %d with 25 frames; Execute to OnStop %.3f s to %.3f s, %d within 1.0-1.1 s;"
                    " frame period %.1f to %.1f ms (mean %.1f)\n",
                    Results().size(), with25, lo, hi, within, plo, phi, psum / Results().size());
        std::printf("frames x period: %.3f s to %.3f s, %d within 1.0-1.1 s\n", 25 * plo / 1000, 25 * phi / 1000,
                    slotsWithin);
        for (const auto &[style, f] : Results())
            if (f.frames != 25 || f.seconds < 1.0 || f.seconds > 1.1)
                std::printf("  effect %d: %d frames in %.3f s\n", style, f.frames, f.seconds);
    }
    return 0;
}
