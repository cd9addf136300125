// Time of one effect procedure call on a 1920 x 1080 frame (Step 4) for every effect number
// at progress 25, 50 and 75, against a plain full-frame QPainter::drawImage of the new
// picture onto the screen bitmap. After the runs a summary gives each effect's time as a
// ratio to that baseline (processor time): the worst, the median and the slowest effects.
//
//   effects_bench [--benchmark_filter=...]   (the summary covers whatever ran)
#include "effects/ShowEffect.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int FrameW = 1920, FrameH = 1080, FrameStep = 4;

QImage makePicture(bool old)
{
    QImage img(FrameW, FrameH, QImage::Format_RGB32);
    for (int y = 0; y < FrameH; ++y) {
        auto *row = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < FrameW; ++x)
            row[x] = old ? qRgb((x ^ y) & 0xFF, 40, (x * 7) & 0xFF) : qRgb(x & 0xFF, y & 0xFF, (x + y) & 0xFF);
    }
    return img;
}

const QImage &oldScreen()
{
    static const QImage img = makePicture(true);
    return img;
}

const QImage &newPicture()
{
    static const QImage img = makePicture(false);
    return img;
}

void BM_Baseline(benchmark::State &state)
{
    QImage screen = oldScreen().copy();
    const QImage &picture = newPicture();
    for (auto _ : state) {
        QPainter p(&screen);
        p.drawImage(0, 0, picture);
        p.end();
        benchmark::DoNotOptimize(screen.constBits());
    }
}
BENCHMARK(BM_Baseline)->Name("Baseline/drawImage")->Unit(benchmark::kMicrosecond);

// The screen is not reset between calls: every effect costs the same whatever the screen
// holds, and a reset would add a full-frame copy to each measurement.
void BM_Effect(benchmark::State &state, int n)
{
    const int progress = int(state.range(0));
    QImage screen = oldScreen().copy();
    const QImage &picture = newPicture();
    const TEffectProc proc = EffectProcOf(n);
    const QRect rect(0, 0, FrameW, FrameH);
    for (auto _ : state) {
        proc(screen, picture, rect, FrameStep, progress);
        benchmark::DoNotOptimize(screen.constBits());
    }
    state.SetLabel(EffectNameOf(n).toStdString());
}

void registerEffects()
{
    for (int n = 1; n <= EffectCount; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "Effect/%03d", n);
        auto *b = benchmark::RegisterBenchmark(name, BM_Effect, n);
        for (int p : {25, 50, 75})
            b->Arg(p);
        b->Unit(benchmark::kMicrosecond);
    }
}

// Console output as usual, plus the ratio summary at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &r : runs) {
            if (r.run_type != Run::RT_Iteration || r.error_occurred)
                continue;
            const std::string name = r.benchmark_name();
            // Processor time of the benchmark thread: the machines these run on are shared,
            // and wall time there mostly measures the neighbours.
            const double t = r.GetAdjustedCPUTime(); // in the run's unit (microseconds)
            if (name.rfind("Baseline", 0) == 0)
                baseline_ = t;
            else if (name.rfind("Effect/", 0) == 0)
                times_[std::stoi(name.substr(7, 3))].push_back(t);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        if (baseline_ <= 0 || times_.empty()) {
            std::printf("\n(no ratio summary: run the baseline together with the effects)\n");
            return;
        }
        struct Row {
            int n;
            double mean, worst;
        };
        std::vector<Row> rows;
        for (const auto &[n, ts] : times_) {
            double sum = 0, worst = 0;
            for (double t : ts) {
                sum += t;
                worst = std::max(worst, t);
            }
            rows.push_back({n, sum / double(ts.size()) / baseline_, worst / baseline_});
        }
        std::vector<double> means;
        for (const Row &r : rows)
            means.push_back(r.mean);
        std::sort(means.begin(), means.end());
        const double median = means.size() % 2 ? means[means.size() / 2]
                                                : (means[means.size() / 2 - 1] + means[means.size() / 2]) / 2;
        std::sort(rows.begin(), rows.end(), [](const Row &a, const Row &b) { return a.worst > b.worst; });
        std::printf("\nBaseline drawImage %dx%d: %.1f us processor time\n", FrameW, FrameH, baseline_);
        std::printf("Effects measured: %zu; median of per-effect mean ratio: %.2fx (target <= 2x); "
                    "worst frame: effect %d at %.2fx (target <= 5x)\n",
                    rows.size(), median, rows.front().n, rows.front().worst);
        auto slowest = [&](const char *title, bool (*pick)(int)) {
            std::printf("%s\n", title);
            int shown = 0;
            for (const Row &r : rows) {
                if (!pick(r.n))
                    continue;
                std::printf("  %3d %-55s worst %.2fx  mean %.2fx\n", r.n, EffectNameOf(r.n).toUtf8().constData(),
                            r.worst, r.mean);
                if (++shown == 10)
                    break;
            }
        };
        slowest("Ten slowest copy effects (1..57, 128..135):",
                [](int n) { return n <= 57 || (n >= 128 && n <= 135); });
        slowest("Ten slowest region and pixel effects (58..127, 136..150):",
                [](int n) { return (n >= 58 && n <= 127) || n >= 136; });
    }

private:
    double baseline_ = 0;
    std::map<int, std::vector<double>> times_;
};

} // namespace

int main(int argc, char **argv)
{
    registerEffects();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
