// The picture show control: frame sequences, threads and pacing, states and events, painting.
#include "effects/ImageShow.h"
#include "effects/ShowEffect.h"

#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QEventLoop>
#include <QPainter>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

const QColor Red(200, 30, 30), Green(30, 180, 60), Blue(20, 40, 210), Yellow(230, 220, 20);

QImage Solid(int w, int h, const QColor &c)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(c);
    return image;
}

bool AllOf(const QImage &image, const QColor &c)
{
    if (image.isNull())
        return false;
    const QRgb want = c.rgb();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) | 0xff000000u) != want)
                return false;
    return true;
}

QColor At(const QImage &image, int x, int y) { return QColor(image.pixel(x, y)).toRgb(); }

// Everything the control reports, recorded from whichever thread fires it.
struct Recorder {
    std::mutex lock;
    std::vector<int> progress; // Progress of every rendered frame (OnAfterNewFrame)
    std::atomic<int> starts{0}, completes{0}, stops{0}, progressEvents{0}, changes{0},
        customDraws{0};
    QImage startScreen;

    void Attach(TCustomImageShow &show)
    {
        show.OnStart = [this](TCustomImageShow *, const QImage &, QImage &screen) {
            ++starts;
            std::lock_guard<std::mutex> g(lock);
            startScreen = screen.copy();
        };
        show.OnAfterNewFrame = [this](TCustomImageShow *s, const QImage &, QImage &) {
            std::lock_guard<std::mutex> g(lock);
            progress.push_back(s->Progress());
        };
        show.OnProgress = [this](TCustomImageShow *) { ++progressEvents; };
        show.OnComplete = [this](TCustomImageShow *s) {
            EXPECT_FALSE(s->Busy());
            ++completes;
        };
        show.OnStop = [this](TCustomImageShow *s) {
            EXPECT_FALSE(s->Busy());
            ++stops;
        };
        show.OnChange = [this](TCustomImageShow *) { ++changes; };
    }
    std::vector<int> Frames()
    {
        std::lock_guard<std::mutex> g(lock);
        return progress;
    }
    QImage StartScreen()
    {
        std::lock_guard<std::mutex> g(lock);
        return startScreen;
    }
    int LastFrame()
    {
        std::lock_guard<std::mutex> g(lock);
        return progress.empty() ? -1 : progress.back();
    }
};

std::vector<int> Sequence(int first, int step, int last)
{
    std::vector<int> v;
    if (step > 0)
        for (int p = first; p <= last; p += step)
            v.push_back(p);
    else
        for (int p = first; p >= last; p += step)
            v.push_back(p);
    return v;
}

// Serves the event queue until the control is idle (polled every millisecond).
bool WaitIdle(TCustomImageShow &show, int ms = 10000)
{
    QEventLoop loop;
    QTimer poll, limit;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!show.Busy())
            loop.quit();
    });
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    poll.start(1);
    limit.start(ms);
    if (show.Busy())
        loop.exec();
    return !show.Busy();
}

// A control shown on the offscreen platform, with a blue background and a red picture.
class ImageShowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        show = std::make_unique<TImageShow>();
        show->SetAutoSize(false);
        show->resize(80, 60);
        show->SetColor(Blue);
        show->SetStyle(0);
        show->SetDelay(0);
        rec.Attach(*show);
        show->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(show.get()));
        QTest::qWait(20);
    }
    void TearDown() override
    {
        show.reset();
        QCoreApplication::processEvents();
    }
    std::unique_ptr<TImageShow> show;
    Recorder rec;
};

// ---- frame sequences --------------------------------------------------------------------

struct SequenceCase {
    const char *name;
    bool threaded;
    int step;
    bool reverse;
    std::vector<int> frames;
};

std::vector<int> Append(std::vector<int> v, int last)
{
    v.push_back(last);
    return v;
}

class FrameSequenceTest : public ImageShowTest, public ::testing::WithParamInterface<SequenceCase> {
};

TEST_P(FrameSequenceTest, RendersEveryStepAndEndsOnTheRightPicture)
{
    const SequenceCase &c = GetParam();
    show->SetThreaded(c.threaded);
    show->SetStep(c.step);
    show->SetReverse(c.reverse);
    show->SetPicture(Solid(40, 30, Red));
    show->Execute();
    ASSERT_TRUE(WaitIdle(*show));
    EXPECT_EQ(rec.Frames(), c.frames);
    EXPECT_EQ(rec.progressEvents.load(), int(c.frames.size()));
    EXPECT_EQ(rec.completes.load(), 1);
    EXPECT_EQ(rec.stops.load(), 1);
    EXPECT_EQ(show->Progress(), c.reverse ? 0 : 100);
    // Forward: the new picture stays on show; reverse: the old screen (here the bare
    // background, as the control had never shown a picture) comes back and stays.
    EXPECT_TRUE(AllOf(show->FrameSnapshot(), c.reverse ? Blue : Red));
    QTest::qWait(10);
    EXPECT_TRUE(AllOf(show->grab().toImage().copy(0, 0, 40, 30), c.reverse ? Blue : Red));
}

INSTANTIATE_TEST_SUITE_P(
    Steps, FrameSequenceTest,
    ::testing::Values(
        SequenceCase{"Step4", true, 4, false, Sequence(4, 4, 100)},
        SequenceCase{"Step3", true, 3, false, Append(Sequence(3, 3, 99), 100)},
        SequenceCase{"Step100", true, 100, false, {100}},
        SequenceCase{"Step0StoredAs1", true, 0, false, Sequence(1, 1, 100)},
        SequenceCase{"ReverseStep4", true, 4, true, Sequence(96, -4, 0)},
        SequenceCase{"ReverseStep3", true, 3, true, Append(Sequence(97, -3, 1), 0)},
        SequenceCase{"LoopStep4", false, 4, false, Sequence(4, 4, 100)},
        SequenceCase{"LoopStep3Reverse", false, 3, true, Append(Sequence(97, -3, 1), 0)},
        SequenceCase{"LoopStep100", false, 100, false, {100}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ImageShowTest, ThreadedExecuteReturnsAtOnceAndStepsAtDelayPace)
{
    // With Threaded the call returns while the transition runs; the loop returns at its end.
    show->SetDelay(30);
    show->SetPicture(Solid(40, 30, Red));
    show->Execute();
    EXPECT_TRUE(show->Busy());
    EXPECT_LT(rec.Frames().size(), 25u);
    ASSERT_TRUE(WaitIdle(*show));
    EXPECT_EQ(rec.Frames().size(), 25u);

    show->SetThreaded(false);
    show->SetDelay(0);
    show->SetPicture(Solid(40, 30, Green));
    show->Execute();
    EXPECT_FALSE(show->Busy());
    EXPECT_EQ(rec.Frames().size(), 50u);
    EXPECT_EQ(rec.completes.load(), 2);
}

// Records the Progress of every paint.
class PaintRecordingShow : public TImageShow {
public:
    std::vector<int> painted;

protected:
    void Paint() override
    {
        TImageShow::Paint();
        painted.push_back(Progress());
    }
};

TEST(ImageShowPacing, EveryRenderedFrameIsPaintedBeforeTheNextIsRendered)
{
    PaintRecordingShow show;
    Recorder rec;
    rec.Attach(show);
    show.SetAutoSize(true);
    show.SetDelay(0);
    show.SetStyle(0);
    show.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&show));
    // The worker goes on only when its last frame was painted: every rendered frame shows.
    for (int round = 0; round < 5; ++round) {
        show.painted.clear();
        {
            std::lock_guard<std::mutex> g(rec.lock);
            rec.progress.clear();
        }
        show.SetPicture(Solid(640, 480, round % 2 ? Red : Green));
        show.Execute();
        ASSERT_TRUE(WaitIdle(show));
        const std::vector<int> frames = rec.Frames();
        ASSERT_EQ(frames.size(), 25u);
        for (int p : frames)
            EXPECT_NE(std::find(show.painted.begin(), show.painted.end(), p), show.painted.end())
                << "frame " << p << " was rendered but never painted";
    }
}

TEST_F(ImageShowTest, CustomStyleWithoutHandlerShowsTheOldScreenUntilTheLastFrame)
{
    std::vector<std::pair<int, bool>> oldShown;
    show->OnAfterNewFrame = [&](TCustomImageShow *s, const QImage &, QImage &screen) {
        oldShown.emplace_back(s->Progress(), AllOf(screen, Blue));
    };
    show->SetThreaded(false);
    show->SetStep(25);
    show->SetPicture(Solid(40, 30, Red));
    show->Execute();
    const std::vector<std::pair<int, bool>> want{{25, true}, {50, true}, {75, true}, {100, false}};
    EXPECT_EQ(oldShown, want);
}

// ---- Execute, Stop, Manual ---------------------------------------------------------------

TEST_F(ImageShowTest, ExecuteWhileBusyIsIgnoredAndStopThenExecuteRestartsFromTheScreen)
{
    show->SetManual(true);
    show->SetPicture(Solid(40, 30, Red));
    show->Execute();
    ASSERT_TRUE(show->Busy());
    show->SetProgress(100);
    QTest::qWait(10); // the red frame is painted
    show->SetPicture(Solid(40, 30, Green));
    show->Execute();
    EXPECT_EQ(rec.starts.load(), 1);
    EXPECT_EQ(show->Progress(), 100);
    EXPECT_TRUE(AllOf(show->FrameSnapshot(), Red)) << "the running transition keeps its picture";

    show->Stop();
    EXPECT_FALSE(show->Busy());
    EXPECT_EQ(rec.stops.load(), 1);
    EXPECT_EQ(rec.completes.load(), 0);
    show->Stop(); // not Busy: nothing
    EXPECT_EQ(rec.stops.load(), 1);

    show->Execute();
    EXPECT_EQ(rec.starts.load(), 2);
    EXPECT_TRUE(AllOf(rec.StartScreen(), Red)) << "starts from the screen as last painted";
    show->SetProgress(100);
    EXPECT_TRUE(AllOf(show->FrameSnapshot(), Green));
    show->Stop();
}

TEST_F(ImageShowTest, StopFiresOnStopButNotOnComplete)
{
    for (bool threaded : {true, false}) {
        SCOPED_TRACE(threaded ? "threaded" : "loop");
        rec.completes = 0;
        rec.stops = 0;
        show->SetThreaded(threaded);
        show->SetDelay(20);
        show->SetPicture(Solid(40, 30, threaded ? Red : Green));
        if (threaded) {
            show->Execute();
            ASSERT_TRUE(QTest::qWaitFor([&] { return rec.LastFrame() >= 20; }, 5000));
            show->Stop();
        } else {
            // The loop serves the event queue; a timer stops the transition from there.
            QTimer::singleShot(100, show.get(), [&] { show->Stop(); });
            show->Execute();
        }
        EXPECT_FALSE(show->Busy());
        EXPECT_EQ(rec.stops.load(), 1);
        EXPECT_EQ(rec.completes.load(), 0);
        const size_t frames = rec.Frames().size();
        EXPECT_LT(rec.LastFrame(), 100);
        QTest::qWait(120);
        EXPECT_EQ(rec.Frames().size(), frames) << "no frame after Stop";
        EXPECT_EQ(rec.stops.load(), 1);
        {
            std::lock_guard<std::mutex> g(rec.lock);
            rec.progress.clear();
        }
    }
}

TEST_F(ImageShowTest, OnCompleteAndOnStopHandlersMayStartTheNextTransition)
{
    for (bool viaStop : {false, true}) {
        SCOPED_TRACE(viaStop ? "OnStop during Stop" : "OnComplete at the end");
        rec.completes = 0;
        rec.stops = 0;
        int restarts = 0;
        auto restart = [&](TCustomImageShow *s) {
            if (restarts++ == 0) {
                EXPECT_FALSE(s->Busy());
                s->SetPicture(Solid(40, 30, Green));
                s->Execute();
            }
        };
        show->OnStop = [&](TCustomImageShow *s) {
            ++rec.stops;
            if (viaStop)
                restart(s);
        };
        show->OnComplete = [&](TCustomImageShow *s) {
            ++rec.completes;
            if (!viaStop)
                restart(s);
        };
        show->SetDelay(viaStop ? 20 : 0);
        show->SetPicture(Solid(40, 30, Red));
        show->Execute();
        if (viaStop) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return rec.LastFrame() >= 8; }, 5000));
            show->Stop();
            EXPECT_TRUE(show->Busy()) << "the transition started by OnStop runs";
        }
        ASSERT_TRUE(WaitIdle(*show));
        EXPECT_EQ(restarts, 2);
        EXPECT_TRUE(AllOf(show->FrameSnapshot(), Green));
        EXPECT_EQ(rec.stops.load(), 2);
        EXPECT_EQ(rec.completes.load(), viaStop ? 1 : 2);
    }
}

TEST_F(ImageShowTest, ManualModeRendersOneFramePerNewProgress)
{
    show->SetProgress(50); // not Busy: nothing
    EXPECT_EQ(show->Progress(), 0);
    show->SetManual(true);
    show->SetPicture(Solid(40, 30, Red));
    show->OnCustomDraw = [&](TCustomImageShow *s, const QImage &pic, QImage &screen) {
        ++rec.customDraws;
        QPainter p(&screen);
        p.drawImage(QRect(0, 0, s->Progress() * 40 / 100, 30), pic, QRect(0, 0, s->Progress() * 40 / 100, 30));
    };
    show->Execute(); // returns after OnStart
    EXPECT_TRUE(show->Busy());
    EXPECT_EQ(rec.starts.load(), 1);
    EXPECT_EQ(show->Progress(), 0);
    EXPECT_TRUE(rec.Frames().empty());

    show->SetProgress(50);
    show->SetProgress(50); // the current value: nothing
    EXPECT_EQ(rec.Frames(), std::vector<int>{50});
    EXPECT_EQ(rec.progressEvents.load(), 1);
    EXPECT_EQ(rec.customDraws.load(), 1);
    const QImage half = show->FrameSnapshot();
    EXPECT_EQ(At(half, 5, 5), Red);
    EXPECT_EQ(At(half, 35, 5), Blue);

    show->SetProgress(250); // taken as 100
    EXPECT_EQ(show->Progress(), 100);
    EXPECT_TRUE(AllOf(show->FrameSnapshot(), Red));
    EXPECT_EQ(rec.customDraws.load(), 1) << "the frame at 100 is drawn by the control";
    show->SetProgress(0);
    EXPECT_TRUE(AllOf(show->FrameSnapshot(), Blue)) << "the frame at 0 is the old screen";
    QTest::qWait(50);
    EXPECT_TRUE(show->Busy());
    EXPECT_EQ(rec.completes.load(), 0);
    show->Stop();
    EXPECT_EQ(rec.stops.load(), 1);
    EXPECT_EQ(rec.completes.load(), 0);
    EXPECT_EQ(rec.Frames(), (std::vector<int>{50, 100, 0}));
}

TEST_F(ImageShowTest, ManualFreezesAndResumesAThreadedTransition)
{
    show->SetDelay(15);
    show->SetPicture(Solid(40, 30, Red));
    show->Execute();
    ASSERT_TRUE(QTest::qWaitFor([&] { return rec.LastFrame() >= 24; }, 5000));
    show->SetManual(true);
    const int frozen = show->Progress();
    const size_t frames = rec.Frames().size();
    QTest::qWait(150);
    EXPECT_TRUE(show->Busy());
    EXPECT_EQ(show->Progress(), frozen);
    EXPECT_EQ(rec.Frames().size(), frames);
    EXPECT_EQ(rec.stops.load(), 0);

    show->SetManual(false);
    ASSERT_TRUE(WaitIdle(*show));
    EXPECT_EQ(rec.Frames(), Sequence(4, 4, 100)) << "resumed from the frozen value, nothing lost or repeated";
    EXPECT_EQ(rec.completes.load(), 1);
    EXPECT_EQ(rec.stops.load(), 1);
    // Not Busy: switching Manual sets Progress to the start value without a frame.
    show->SetManual(true);
    EXPECT_EQ(show->Progress(), 0);
    show->SetReverse(true);
    show->SetManual(false);
    EXPECT_EQ(show->Progress(), 100);
}

TEST_F(ImageShowTest, ReversingInTheMiddleSendsTheTransitionBack)
{
    show->SetManual(true);
    show->SetPicture(Solid(40, 30, Red));
    show->Execute();
    show->SetProgress(40);
    show->SetReverse(true);
    show->SetThreaded(false);
    show->SetManual(false); // the loop steps back down from 40
    EXPECT_FALSE(show->Busy());
    EXPECT_EQ(rec.Frames(), Append(Sequence(40, -4, 4), 0));
    EXPECT_TRUE(AllOf(show->FrameSnapshot(), Blue));
}

TEST_F(ImageShowTest, StyleChangeDuringATransitionAppliesToTheNextFrame)
{
    show->SetManual(true);
    show->OnCustomDraw = [&](TCustomImageShow *, const QImage &, QImage &) { ++rec.customDraws; };
    show->SetPicture(Solid(40, 30, Red));
    show->Execute();
    show->SetProgress(30);
    EXPECT_EQ(rec.customDraws.load(), 1);

    show->SetStyle(151);
    EXPECT_EQ(show->Style(), 0);
    show->SetStyle(5); // "Reveal from left": the left share of the new picture is uncovered
    EXPECT_TRUE(show->Busy());
    EXPECT_EQ(show->Progress(), 30) << "the running transition is not restarted";
    show->SetProgress(50);
    EXPECT_EQ(rec.customDraws.load(), 1);
    const QImage frame = show->FrameSnapshot();
    EXPECT_EQ(At(frame, 2, 15), Red);
    EXPECT_EQ(At(frame, 37, 15), Blue);

    show->SetStyle(118); // a pixel effect: the working bitmaps are 32-bit
    show->SetProgress(60);
    EXPECT_EQ(show->FrameSnapshot().depth(), 32);
    show->Stop();
}

TEST_F(ImageShowTest, NewPictureDuringATransitionLeavesItUnchanged)
{
    show->SetManual(true);
    show->SetAutoSize(true);
    show->SetPicture(Solid(40, 30, Red));
    EXPECT_EQ(show->size(), QSize(40, 30));
    show->Execute();
    const int changes = rec.changes.load();
    show->SetPicture(Solid(60, 50, Green));
    EXPECT_EQ(rec.changes.load(), changes + 1);
    EXPECT_EQ(show->size(), QSize(60, 50)) << "AutoSize applies at once";
    show->SetProgress(100);
    const QImage frame = show->FrameSnapshot();
    EXPECT_EQ(frame.size(), QSize(40, 30));
    EXPECT_TRUE(AllOf(frame, Red));
    show->Stop();
    show->Execute(); // the next transition brings the new picture
    show->SetProgress(100);
    EXPECT_TRUE(AllOf(show->FrameSnapshot(), Green));
    show->Stop();
}

TEST_F(ImageShowTest, ClearOnlyBetweenTransitions)
{
    show->SetManual(true);
    show->SetPicture(Solid(40, 30, Red));
    show->Execute();
    show->SetProgress(100);
    show->Clear();
    EXPECT_FALSE(show->FrameEmpty());
    EXPECT_TRUE(AllOf(show->FrameSnapshot(), Red));
    show->Stop();
    EXPECT_TRUE(AllOf(show->FrameSnapshot(), Red)) << "the last frame stays after the end";

    show->Clear();
    EXPECT_TRUE(show->FrameEmpty());
    EXPECT_TRUE(AllOf(show->grab().toImage(), Blue)) << "only the background is shown";
    // The next transition starts from that background.
    show->SetPicture(Solid(40, 30, Green));
    show->Execute();
    EXPECT_TRUE(AllOf(rec.StartScreen(), Blue));
    show->Stop();
}

TEST(ImageShowSnapshot, FirstTransitionStartsFromTheBackground)
{
    // Not yet painted: even with OverDraw the first snapshot is the bare background.
    struct Case {
        bool paintFirst;
        bool overDraw;
        QColor expected;
    };
    for (const Case &c : {Case{false, true, Blue}, Case{true, true, Red}, Case{true, false, Blue}}) {
        SCOPED_TRACE(testing::Message() << "painted " << c.paintFirst << " overdraw " << c.overDraw);
        TImageShow show;
        Recorder rec;
        rec.Attach(show);
        show.SetAutoSize(false);
        show.resize(40, 30);
        show.SetStyle(0);
        show.SetManual(true);
        show.SetColor(Blue);
        if (c.paintFirst) {
            show.SetPicture(Solid(40, 30, Red));
            show.Execute();
            show.SetProgress(100);
            show.Stop();
            show.grab(); // paints (and so composes BackBuffer)
        }
        show.SetOverDraw(c.overDraw);
        show.SetPicture(Solid(40, 30, Green));
        show.Execute();
        EXPECT_TRUE(AllOf(rec.StartScreen(), c.expected));
        show.Stop();
    }
}

TEST(ImageShowPacing, AHiddenControlStillRunsItsTransitions)
{
    // Nothing can be painted, yet every paint request must let the animation thread go on.
    TImageShow show;
    Recorder rec;
    rec.Attach(show);
    show.SetDelay(0);
    show.SetStyle(0);
    show.SetPicture(Solid(40, 30, Red));
    show.Execute();
    ASSERT_TRUE(WaitIdle(show));
    EXPECT_EQ(rec.Frames(), Sequence(4, 4, 100));
    EXPECT_TRUE(AllOf(show.FrameSnapshot(), Red));
}

// ---- threads: destruction, stopping while a paint is pending, errors -----------------------

TEST(ImageShowLife, DestroyingTheControlInTheMiddleOfATransition)
{
    auto stops = std::make_shared<std::atomic<int>>(0);
    auto frames = std::make_shared<std::atomic<int>>(0);
    for (bool threaded : {true, false}) {
        SCOPED_TRACE(threaded ? "threaded" : "loop");
        QPointer<TImageShow> show = new TImageShow;
        show->SetDelay(10);
        show->SetStyle(0);
        show->SetThreaded(threaded);
        show->OnStop = [stops](TCustomImageShow *) { ++*stops; };
        show->OnComplete = [stops](TCustomImageShow *) { ++*stops; };
        show->OnAfterNewFrame = [frames](TCustomImageShow *, const QImage &, QImage &) { ++*frames; };
        show->SetPicture(Solid(200, 150, Red));
        show->show();
        *frames = 0;
        if (threaded) {
            show->Execute();
            ASSERT_TRUE(QTest::qWaitFor([&] { return *frames >= 5; }, 5000));
            delete show.data();
        } else {
            // A handler served by the loop destroys the control; Execute must come back
            // without touching it.
            QTimer::singleShot(60, [show] { delete show.data(); });
            show->Execute();
        }
        EXPECT_TRUE(show.isNull());
        const int seen = *frames;
        QTest::qWait(60); // late posted events of the dead control must not arrive anywhere
        EXPECT_EQ(*frames, seen);
        EXPECT_EQ(*stops, 0) << "no events while the control is destroyed";
    }
}

TEST_F(ImageShowTest, StoppingWhileAPaintRequestIsPendingNeverDeadlocks)
{
    show->SetPicture(Solid(320, 240, Red));
    show->SetAutoSize(true);
    show->SetPicture(Solid(320, 240, Red));
    std::atomic<int> handlerSlow{0};
    show->OnProgress = [&](TCustomImageShow *) {
        if (handlerSlow.load())
            std::this_thread::sleep_for(std::chrono::microseconds(300));
    };
    for (int i = 0; i < 300; ++i) {
        rec.stops = 0;
        handlerSlow = i % 3 == 0;
        show->SetPicture(Solid(320, 240, i % 2 ? Red : Green));
        show->Execute();
        ASSERT_TRUE(show->Busy());
        // The worker renders its first frame, posts the paint request and waits for it on
        // FrameEvent; this thread does not serve its queue, so the request stays pending.
        std::this_thread::sleep_for(std::chrono::microseconds((i % 7) * 400));
        if (i % 5 == 0)
            QCoreApplication::processEvents(); // some requests served, some pending
        const int completes = rec.completes.load();
        show->Stop();
        ASSERT_FALSE(show->Busy());
        ASSERT_EQ(rec.stops.load(), 1);
        ASSERT_EQ(rec.completes.load(), completes) << "Stop never completes";
    }
    QTest::qWait(20);
}

TEST_F(ImageShowTest, StopFromOnStartLeavesNothingRunning)
{
    for (bool threaded : {true, false}) {
        SCOPED_TRACE(threaded ? "threaded" : "loop");
        rec.stops = 0;
        show->SetThreaded(threaded);
        show->OnStart = [](TCustomImageShow *s, const QImage &, QImage &) { s->Stop(); };
        show->SetPicture(Solid(40, 30, Red));
        show->Execute();
        EXPECT_FALSE(show->Busy());
        EXPECT_EQ(rec.stops.load(), 1);
        QTest::qWait(30);
        EXPECT_TRUE(rec.Frames().empty()) << "no frame of a stopped transition";
        show->OnStart = nullptr;
        show->Execute(); // the next one runs normally
        ASSERT_TRUE(WaitIdle(*show));
        EXPECT_EQ(rec.Frames().size(), 25u);
        EXPECT_EQ(rec.stops.load(), 2);
        std::lock_guard<std::mutex> g(rec.lock);
        rec.progress.clear();
    }
}

TEST_F(ImageShowTest, AnErrorInAThreadedFrameFinishesTheTransition)
{
    show->OnCustomDraw = [&](TCustomImageShow *s, const QImage &, QImage &) {
        if (s->Progress() >= 20)
            throw std::runtime_error("drawing failed");
    };
    show->SetPicture(Solid(40, 30, Red));
    show->Execute();
    ASSERT_TRUE(WaitIdle(*show));
    EXPECT_EQ(rec.LastFrame(), 16);
    EXPECT_EQ(rec.completes.load(), 1);
    EXPECT_EQ(rec.stops.load(), 1);
}

TEST_F(ImageShowTest, AnErrorBeforeOrDuringALoopTransitionReachesTheCaller)
{
    show->SetThreaded(false);
    show->SetPicture(Solid(40, 30, Red));
    show->OnStart = [](TCustomImageShow *, const QImage &, QImage &) { throw std::runtime_error("start"); };
    EXPECT_THROW(show->Execute(), std::runtime_error);
    EXPECT_FALSE(show->Busy());
    show->OnStart = nullptr;
    show->OnCustomDraw = [](TCustomImageShow *s, const QImage &, QImage &) {
        if (s->Progress() == 12)
            throw std::runtime_error("draw");
    };
    EXPECT_THROW(show->Execute(), std::runtime_error);
    EXPECT_FALSE(show->Busy());
    EXPECT_EQ(rec.completes.load(), 0);
    EXPECT_EQ(rec.stops.load(), 0);
    show->OnCustomDraw = nullptr;
    show->Execute(); // usable again
    EXPECT_EQ(rec.completes.load(), 1);
}

// ---- properties -------------------------------------------------------------------------

TEST(ImageShowProperties, DefaultsAndClamps)
{
    TImageShow show;
    EXPECT_EQ(show.Style(), 51);
    EXPECT_EQ(show.Step(), 4);
    EXPECT_EQ(show.Delay(), 40);
    EXPECT_FALSE(show.Manual());
    EXPECT_FALSE(show.Reverse());
    EXPECT_TRUE(show.OverDraw());
    EXPECT_TRUE(show.Threaded());
    EXPECT_EQ(show.ThreadPriority(), tpNormal);
    EXPECT_FALSE(show.Stretch());
    EXPECT_FALSE(show.StretchFine());
    EXPECT_FALSE(show.Center());
    EXPECT_TRUE(show.AutoSize());
    EXPECT_EQ(show.Align(), alNone);
    EXPECT_EQ(show.BgMode(), bmTiled);
    EXPECT_EQ(show.Color(), show.palette().color(QPalette::Base));
    EXPECT_EQ(show.Progress(), 0);
    EXPECT_FALSE(show.Busy());
    EXPECT_EQ(show.size(), QSize(100, 100));
    EXPECT_TRUE(show.Picture().isNull());
    EXPECT_TRUE(show.FrameEmpty());

    struct { int in, step; } steps[] = {{0, 1}, {1, 1}, {100, 100}, {101, 100}, {65535, 100}, {-3, 1}};
    for (auto s : steps) {
        show.SetStep(s.in);
        EXPECT_EQ(show.Step(), s.step) << s.in;
    }
    show.SetDelay(70000);
    EXPECT_EQ(show.Delay(), 65535);
    show.SetStyle(150);
    EXPECT_EQ(show.Style(), 150);
    show.SetStyle(151);
    show.SetStyle(-1);
    EXPECT_EQ(show.Style(), 150);
    show.Execute(); // no picture: nothing
    EXPECT_FALSE(show.Busy());
}

TEST(ImageShowProperties, StyleName)
{
    TImageShow show;
    show.SetStyle(0);
    EXPECT_EQ(show.StyleName(), "Custom");
    show.SetStyle(18);
    EXPECT_EQ(show.StyleName(), EffectNameOf(18));
    show.SetStyle(1);
    show.SetStyleName(EffectNameOf(33).toUpper()); // 18 and 33 share a name: the lower wins
    EXPECT_EQ(show.Style(), 18);
    show.SetStyleName("cUsToM");
    EXPECT_EQ(show.Style(), 0);
    show.SetStyleName("no such effect");
    EXPECT_EQ(show.Style(), 0);
    show.SetStyleName(EffectNameOf(122).toLower());
    EXPECT_EQ(show.Style(), 122);
}

TEST(ImageShowGeometry, MulDivAndFitRect)
{
    struct { int a, b, c, want; } muldiv[] = {
        {10, 3, 4, 8}, {10, 1, 4, 3}, {-10, 1, 4, -3}, {5, 1, 2, 3}, {-5, 1, 2, -3}, {7, 7, 0, -1},
        {2000000000, 3, 4, 1500000000}};
    for (auto m : muldiv)
        EXPECT_EQ(TCustomImageShow::MulDiv(m.a, m.b, m.c), m.want) << m.a << "*" << m.b << "/" << m.c;

    struct { QRect a, b, want; } fits[] = {
        {QRect(0, 0, 400, 300), QRect(0, 0, 200, 200), QRect(0, 25, 200, 150)},   // letterbox
        {QRect(0, 0, 300, 400), QRect(0, 0, 200, 200), QRect(25, 0, 150, 200)},   // pillarbox
        {QRect(0, 0, 40, 30), QRect(10, 20, 80, 60), QRect(10, 20, 80, 60)},      // same shape
        {QRect(0, 0, 1920, 1080), QRect(5, 5, 100, 100), QRect(5, 27, 100, 56)},
        {QRect(0, 0, 0, 0), QRect(0, 0, 100, 50), QRect(50, 25, 0, 0)},           // no area
    };
    for (auto f : fits)
        EXPECT_EQ(TCustomImageShow::FitRect(f.a, f.b), f.want);
}

TEST(ImageShowGeometry, AutoSizeFollowsThePictureAsFarAsAlignAllows)
{
    struct Case {
        TAlign align;
        bool autoSize;
        QSize want;
    } cases[] = {{alNone, true, {40, 30}},   {alTop, true, {300, 30}},   {alBottom, true, {300, 30}},
                 {alLeft, true, {40, 200}},  {alRight, true, {40, 200}}, {alClient, true, {300, 200}},
                 {alCustom, true, {40, 30}}, {alNone, false, {100, 100}}};
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.align));
        QWidget parent;
        parent.resize(300, 200);
        auto *show = new TImageShow(&parent);
        show->SetAutoSize(c.autoSize);
        show->SetAlign(c.align);
        show->SetPicture(Solid(40, 30, Red));
        EXPECT_EQ(show->size(), c.want);
        if (c.align == alBottom) {
            EXPECT_EQ(show->geometry().bottom(), 199);
        }
        if (c.align == alRight) {
            EXPECT_EQ(show->geometry().right(), 299);
        }
    }
    // alClient follows the parent.
    QWidget parent;
    parent.resize(300, 200);
    auto *show = new TImageShow(&parent);
    show->SetAlign(alClient);
    parent.show();
    parent.resize(320, 240);
    EXPECT_EQ(show->geometry(), QRect(0, 0, 320, 240));
    // Switching AutoSize on applies it.
    show->SetAlign(alNone);
    show->SetAutoSize(false);
    show->SetPicture(Solid(40, 30, Red));
    EXPECT_EQ(show->size(), QSize(320, 240));
    show->SetAutoSize(true);
    EXPECT_EQ(show->size(), QSize(40, 30));
}

// Exposes PaintBackground.
class BackgroundShow : public TImageShow {
public:
    void Background(QImage &image, const QRect &R)
    {
        QPainter p(&image);
        PaintBackground(p, R);
    }
};

TEST(ImageShowPainting, BackgroundModes)
{
    // A 4x3 background picture: yellow with a red top-left pixel.
    QImage bg = Solid(4, 3, Yellow);
    bg.setPixel(0, 0, Red.rgb());
    BackgroundShow show;
    show.SetColor(Blue);
    show.SetBgPicture(bg);
    const QRect R(5, 6, 10, 7);
    auto paint = [&](TBackgroundMode mode) {
        QImage image = Solid(30, 20, Green);
        show.SetBgMode(mode);
        show.Background(image, R);
        return image;
    };

    QImage none = paint(bmNone);
    EXPECT_TRUE(AllOf(none.copy(R), Blue));
    EXPECT_EQ(At(none, 4, 6), Green) << "nothing outside R";

    // Tiles at R's corner every 4x3, one more row and column than fit whole: 3x3 tiles
    // cover (5,6)-(17,15), beyond R itself.
    QImage tiled = paint(bmTiled);
    for (int i = 0; i <= 2; ++i)
        for (int j = 0; j <= 2; ++j)
            EXPECT_EQ(At(tiled, 5 + 4 * j, 6 + 3 * i), Red) << i << "," << j;
    EXPECT_EQ(At(tiled, 6, 6), Yellow);
    EXPECT_EQ(At(tiled, 16, 14), Yellow);
    EXPECT_EQ(At(tiled, 17, 6), Green);
    EXPECT_EQ(At(tiled, 5, 15), Green);

    QImage stretched = paint(bmStretched);
    EXPECT_EQ(At(stretched, 5, 6), Red);
    EXPECT_EQ(At(stretched, 7, 7), Red) << "the red pixel is scaled to 2.5 x 2.33";
    EXPECT_EQ(At(stretched, 14, 12), Yellow);
    EXPECT_EQ(At(stretched, 15, 6), Green);

    // Centred without R's own offset: ((10-4) div 2, (7-3) div 2) = (3, 2).
    QImage centred = paint(bmCentered);
    EXPECT_EQ(At(centred, 3, 2), Red);
    EXPECT_EQ(At(centred, 4, 2), Yellow);
    EXPECT_EQ(At(centred, 5, 6), Blue);
    EXPECT_EQ(At(centred, 9, 9), Blue);

    show.SetBgPicture(QImage());
    EXPECT_TRUE(AllOf(paint(bmTiled).copy(R), Blue));
}

TEST_F(ImageShowTest, PlacementOfTheFrame)
{
    show->resize(100, 80);
    QTest::qWait(10);
    show->SetThreaded(false);
    show->SetStep(100);
    show->SetPicture(Solid(40, 30, Red));
    show->Execute();

    QImage shot = show->grab().toImage();
    EXPECT_EQ(At(shot, 0, 0), Red);
    EXPECT_EQ(At(shot, 39, 29), Red);
    EXPECT_EQ(At(shot, 40, 29), Blue);

    show->SetCenter(true); // (30, 25)
    EXPECT_EQ(show->PicRect(), QRect(30, 25, 40, 30));
    shot = show->grab().toImage();
    EXPECT_EQ(At(shot, 29, 25), Blue);
    EXPECT_EQ(At(shot, 30, 25), Red);
    EXPECT_EQ(At(shot, 69, 54), Red);
    EXPECT_EQ(At(shot, 70, 54), Blue);
    EXPECT_EQ(show->MapFrameRect(QRect(0, 0, 40, 30)), QRect(30, 25, 40, 30));

    show->SetStretch(true);
    shot = show->grab().toImage();
    EXPECT_TRUE(AllOf(shot, Red));
    EXPECT_EQ(show->MapFrameRect(QRect(0, 0, 40, 30)), QRect(0, 0, 100, 80));
    EXPECT_EQ(show->MapFrameRect(QRect(10, 0, 10, 15)), QRect(25, 0, 25, 40));

    show->SetStretchFine(true); // 100x75 centred in 100x80
    shot = show->grab().toImage();
    EXPECT_EQ(At(shot, 50, 1), Blue);
    EXPECT_EQ(At(shot, 50, 2), Red);
    EXPECT_EQ(At(shot, 50, 76), Red);
    EXPECT_EQ(At(shot, 50, 77), Blue);

    // Resizing recomputes the centred place.
    show->SetStretch(false);
    show->resize(60, 50);
    EXPECT_EQ(show->PicRect(), QRect(10, 10, 40, 30));
}

TEST_F(ImageShowTest, ASmallerPictureReplacesTheOldOneAroundItWithTheBackground)
{
    show->resize(100, 80);
    show->SetThreaded(false);
    show->SetStep(100);
    show->SetPicture(Solid(80, 60, Red));
    show->Execute();
    QTest::qWait(10);
    show->SetManual(true);
    show->SetPicture(Solid(40, 30, Green));
    show->Execute();
    show->SetProgress(50); // custom style without handler: the old screen part
    const QImage shot = show->grab().toImage();
    EXPECT_EQ(At(shot, 10, 10), Red);
    EXPECT_EQ(At(shot, 60, 50), Blue) << "outside the new picture: background, not the old picture";
    show->Stop();
}

TEST_F(ImageShowTest, ResizingDuringATransitionKeepsItGoing)
{
    show->SetManual(true);
    show->SetCenter(true);
    show->SetPicture(Solid(40, 30, Red));
    show->Execute();
    show->SetProgress(50);
    show->resize(120, 90);
    QTest::qWait(10);
    EXPECT_EQ(show->BackBufferSnapshot().size(), QSize(120, 90));
    EXPECT_EQ(show->PicRect(), QRect(40, 30, 40, 30));
    show->SetProgress(100);
    EXPECT_TRUE(show->Busy());
    const QImage shot = show->grab().toImage();
    EXPECT_EQ(At(shot, 40, 30), Red);
    EXPECT_EQ(At(shot, 39, 30), Blue);
    show->Stop();
}

TEST_F(ImageShowTest, MouseEnterAndLeave)
{
    int enters = 0, leaves = 0;
    show->OnMouseEnter = [&](TCustomImageShow *) { ++enters; };
    show->OnMouseLeave = [&](TCustomImageShow *) { ++leaves; };
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(show.get(), &enter);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(show.get(), &leave);
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(leaves, 1);
}

TEST(ImageShowPictures, LoadByExtension)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString jpeg = dir.filePath("p.jpg"), bmp = dir.filePath("p.bmp");
    ASSERT_TRUE(Solid(64, 48, Red).save(jpeg, "JPEG", 90));
    ASSERT_TRUE(Solid(10, 20, Green).save(bmp, "BMP"));
    TImageShow show;
    show.SetAutoSize(false);
    int changes = 0;
    show.OnChange = [&](TCustomImageShow *) { ++changes; };
    EXPECT_TRUE(show.LoadPicture(jpeg));
    EXPECT_EQ(show.Picture().size(), QSize(64, 48));
    QString error;
    EXPECT_FALSE(show.LoadPicture(dir.filePath("missing.jpg"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(show.Picture().size(), QSize(64, 48)) << "a failed load keeps the picture";
    EXPECT_TRUE(show.LoadBgPicture(bmp));
    EXPECT_EQ(show.BgPicture().size(), QSize(10, 20));
    EXPECT_EQ(changes, 1);
    show.SetPicture(QImage());
    EXPECT_TRUE(show.Picture().isNull());
    EXPECT_EQ(changes, 2);
}

// ---- the two uses in the programs, with every effect the creator offers -----------------------

bool Offered(int n)
{
    static const int excluded[] = {7, 9, 16, 17, 24, 25, 26, 27, 33, 34, 47, 48, 49, 50, 51, 119, 120, 121, 122};
    return n >= 1 && n <= 122 && std::find(std::begin(excluded), std::end(excluded), n) == std::end(excluded);
}

TEST(ImageShowUses, RuntimeWindowPlaysEveryOfferedEffectCentredOnBlack)
{
    QWidget window;
    window.resize(200, 150);
    auto *show = new TImageShow(&window);
    show->SetAlign(alClient);
    show->SetCenter(true);
    show->SetColor(Qt::black);
    show->SetDelay(0);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    int count = 0;
    for (int n = 1; n <= 122; ++n) {
        if (!Offered(n))
            continue;
        SCOPED_TRACE(n);
        ++count;
        show->SetStyle(n);
        show->SetPicture(Solid(120, 90, n % 2 ? Red : Green));
        show->Execute();
        ASSERT_TRUE(WaitIdle(*show));
        ASSERT_EQ(show->geometry(), QRect(0, 0, 200, 150));
        const QImage shot = window.grab().toImage();
        ASSERT_EQ(At(shot, 40, 30), n % 2 ? Red : Green);
        ASSERT_EQ(At(shot, 159, 119), n % 2 ? Red : Green);
        ASSERT_EQ(At(shot, 39, 30), QColor(Qt::black));
        ASSERT_EQ(At(shot, 160, 119), QColor(Qt::black));
    }
    EXPECT_EQ(count, 103);
}

TEST(ImageShowUses, CreatorPreviewStretchesOverItsPanel)
{
    QWidget panel;
    panel.resize(160, 120);
    auto *show = new TImageShow(&panel);
    show->SetAlign(alClient);
    show->SetStretch(true);
    show->SetDelay(0);
    QImage picture = Solid(320, 240, Red);
    QPainter(&picture).fillRect(160, 0, 160, 240, Green);
    show->SetPicture(picture);
    show->SetStyle(5);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    show->Execute();
    ASSERT_TRUE(WaitIdle(*show));
    EXPECT_EQ(show->size(), QSize(160, 120)) << "alClient: AutoSize does not apply";
    const QImage shot = panel.grab().toImage();
    EXPECT_EQ(At(shot, 0, 0), Red);
    EXPECT_EQ(At(shot, 79, 119), Red);
    EXPECT_EQ(At(shot, 80, 0), Green);
    EXPECT_EQ(At(shot, 159, 119), Green);
}

} // namespace
