#include "effects/ImageShow.h"

#include "effects/ShowEffect.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QEventLoop>
#include <QImageReader>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QResizeEvent>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstring>

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

// Qt's event queue is not built with ThreadSanitizer, so the hand-off of an event posted by
// the animation thread (allocated there, read and freed on the GUI thread) is invisible to
// it. These annotations state that hand-off; they compile to nothing in other builds.
#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void *addr);
extern "C" void __tsan_release(void *addr);
#define NUVIRA_HANDOFF_RELEASE(p) __tsan_release(p)
#define NUVIRA_HANDOFF_ACQUIRE(p) __tsan_acquire(p)
#else
#define NUVIRA_HANDOFF_RELEASE(p) ((void)(p))
#define NUVIRA_HANDOFF_ACQUIRE(p) ((void)(p))
#endif

namespace {

constexpr QImage::Format FrameFormat = QImage::Format_RGB32;

bool IsPixelStyle(int style) { return style >= 118 && style <= 122; }

// Copies Source over Target at (0, 0). Same-sized frames of the same format (the case of
// every frame) are copied row block by row block without a painter.
void CopyImage(QImage &Target, const QImage &Source)
{
    if (Source.isNull() || Target.isNull())
        return;
    if (Target.size() == Source.size() && Target.format() == Source.format() &&
        Target.bytesPerLine() == Source.bytesPerLine()) {
        std::memcpy(Target.bits(), Source.constBits(), size_t(Source.sizeInBytes()));
        return;
    }
    QPainter p(&Target);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, Source);
}

void Ensure32(QImage &image)
{
    if (!image.isNull() && image.format() != FrameFormat)
        image.convertTo(FrameFormat);
}

long long TickCount()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

// ---- TFrameEvent ------------------------------------------------------------------------

void TFrameEvent::SetEvent()
{
    {
        std::lock_guard<std::mutex> g(Lock);
        Signalled = true;
    }
    Cond.notify_all();
}

void TFrameEvent::ResetEvent()
{
    std::lock_guard<std::mutex> g(Lock);
    Signalled = false;
}

void TFrameEvent::WaitFor()
{
    std::unique_lock<std::mutex> g(Lock);
    Cond.wait(g, [this] { return Signalled; });
}

// ---- TAnimateThread ---------------------------------------------------------------------

TAnimateThread::TAnimateThread(TCustomImageShow *control, TThreadPriority priority)
    : Control(control), Priority(priority)
{
}

TAnimateThread::~TAnimateThread()
{
    Terminate();
    if (Thread.joinable())
        Control->FrameEvent.SetEvent(); // a step waiting for a paint must see the request
    WaitFor();
}

void TAnimateThread::Start() { Thread = std::thread([this] { Execute(); }); }

void TAnimateThread::Terminate()
{
    {
        std::lock_guard<std::mutex> g(Lock);
        TerminateRequested = true;
    }
    Wake.notify_all();
}

bool TAnimateThread::Terminated()
{
    std::lock_guard<std::mutex> g(Lock);
    return TerminateRequested;
}

void TAnimateThread::WaitFor()
{
    if (Thread.joinable())
        Thread.join();
}

void TAnimateThread::Rest(int ms)
{
    std::unique_lock<std::mutex> g(Lock);
    Wake.wait_for(g, std::chrono::milliseconds(ms), [this] { return TerminateRequested; });
}

void TAnimateThread::Execute()
{
    // Priority of this thread only. Linux lets an unprivileged thread lower its priority;
    // a refused raise keeps the normal priority, which is what the user gets anyway.
    if (Priority == tpIdle) {
        sched_param param{};
        pthread_setschedparam(pthread_self(), SCHED_IDLE, &param);
    } else if (Priority != tpNormal) {
        static const int niceness[] = {19, 10, 5, 0, -5, -10, -15};
        setpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid)), niceness[Priority]);
    }
    try {
        while (!Terminated()) {
            const long long t0 = TickCount();
            Step();
            if (!Terminated()) {
                const long long rest = Control->Delay() - (TickCount() - t0);
                if (rest >= 0)
                    Rest(int(rest));
            }
        }
    } catch (...) {
        // An error in a frame ends the animation; the end event below still tells the
        // control, which finishes the transition as if it had reached its end.
    }
    Finished.store(true);
    Control->PostToGui(TCustomImageShow::WM_ANIMATIONDONE);
}

void TAnimateThread::Step()
{
    // The previous frame must have been painted before the next one is rendered.
    Control->FrameEvent.WaitFor();
    if (Terminated())
        return;
    Control->FrameEvent.ResetEvent();
    Control->SetProgress(Control->NextProgress());
    if (Control->EndReached())
        Terminate();
}

// ---- TCustomImageShow: life -------------------------------------------------------------

TCustomImageShow::TCustomImageShow(QWidget *parent) : QWidget(parent)
{
    // The control paints every pixel of its client area itself, from BackBuffer.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    FColor = palette().color(QPalette::Base);
    resize(100, 100);
}

TCustomImageShow::~TCustomImageShow() { BeginDestroy(); }

void TCustomImageShow::BeginDestroy()
{
    Destroying = true;
    Stop();
    // A thread halted by Manual may still be referenced (its end not yet handled).
    if (AnimThread) {
        AnimThread->Terminate();
        FrameEvent.SetEvent();
        AnimThread.reset();
    }
    if (LoopWait)
        LoopWait->quit();
    if (AlignParent)
        AlignParent->removeEventFilter(this);
}

bool TCustomImageShow::OnGuiThread() const { return QThread::currentThread() == thread(); }

// ---- properties -------------------------------------------------------------------------

void TCustomImageShow::SetStyle(int value)
{
    const int current = FStyle.load();
    if (value == current || value < 0 || value > MaxStyle)
        return;
    if (Busy() && IsPixelStyle(value) && !IsPixelStyle(current)) {
        // The pixel effects address 32-bit rows directly.
        {
            std::lock_guard<std::recursive_mutex> g(NewPictureLock);
            Ensure32(NewPicture);
        }
        {
            std::lock_guard<std::recursive_mutex> g(FrameBitmapLock);
            Ensure32(FrameBitmap);
        }
    }
    FStyle.store(value);
}

QString TCustomImageShow::StyleName() const { return EffectNameOf(Style()); }

void TCustomImageShow::SetStyleName(const QString &value)
{
    if (const auto number = EffectNumberOf(value))
        SetStyle(*number);
}

void TCustomImageShow::SetStep(int value) { FStep.store(std::clamp(value, 1, 100)); }

void TCustomImageShow::SetDelay(int value) { FDelay.store(std::clamp(value, 0, 65535)); }

void TCustomImageShow::SetManual(bool value)
{
    if (value == Manual())
        return;
    FManual.store(value);
    if (value && LoopWait)
        LoopWait->quit();
    StopThread();
    if (!Busy())
        FProgress.store(Reverse() ? 100 : 0);
    else if (!value)
        Animate();
}

void TCustomImageShow::SetStretch(bool value)
{
    if (value == FStretch)
        return;
    FStretch = value;
    UpdateIfShowingFrame();
}

void TCustomImageShow::SetStretchFine(bool value)
{
    if (value == FStretchFine)
        return;
    FStretchFine = value;
    UpdateIfShowingFrame();
}

void TCustomImageShow::SetCenter(bool value)
{
    if (value == FCenter)
        return;
    FCenter = value;
    // The frame is placed whether or not Picture still holds a graphic: a frame left on
    // show after Picture was cleared must move too.
    CalcPicRect();
    UpdateIfShowingFrame();
}

void TCustomImageShow::SetAutoSize(bool value)
{
    if (value == FAutoSize)
        return;
    FAutoSize = value;
    if (value)
        AdjustClientSize();
}

void TCustomImageShow::SetAlign(TAlign value)
{
    FAlign = value;
    if (AlignParent && AlignParent != parentWidget()) {
        AlignParent->removeEventFilter(this);
        AlignParent = nullptr;
    }
    if (!AlignParent && parentWidget()) {
        AlignParent = parentWidget();
        AlignParent->installEventFilter(this);
    }
    ApplyAlign();
}

void TCustomImageShow::ApplyAlign()
{
    QWidget *p = parentWidget();
    if (!p || FAlign == alNone || FAlign == alCustom)
        return;
    const int pw = p->width(), ph = p->height();
    switch (FAlign) {
    case alTop: setGeometry(0, 0, pw, height()); break;
    case alBottom: setGeometry(0, ph - height(), pw, height()); break;
    case alLeft: setGeometry(0, 0, width(), ph); break;
    case alRight: setGeometry(pw - width(), 0, width(), ph); break;
    case alClient: setGeometry(0, 0, pw, ph); break;
    default: break;
    }
}

bool TCustomImageShow::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == AlignParent && e->type() == QEvent::Resize)
        ApplyAlign();
    return QWidget::eventFilter(watched, e);
}

void TCustomImageShow::SetColor(const QColor &value)
{
    if (value == FColor)
        return;
    FColor = value;
    if (!Painting)
        update();
}

void TCustomImageShow::SetBgMode(TBackgroundMode value)
{
    if (value == FBgMode)
        return;
    FBgMode = value;
    if (!FBgPicture.isNull() && !Painting)
        update();
}

void TCustomImageShow::SetBgPicture(const QImage &value)
{
    FBgPicture = value;
    BgPictureChanged();
}

void TCustomImageShow::BgPictureChanged()
{
    if (FBgMode != bmNone && !Painting)
        update();
}

void TCustomImageShow::SetPicture(const QImage &value)
{
    FPicture = value;
    PictureChanged();
}

namespace {
bool ReadImage(const QString &fileName, QImage &out, QString *error)
{
    QImageReader reader(fileName);
    QImage image = reader.read();
    if (image.isNull()) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(fileName, reader.errorString());
        return false;
    }
    out = image;
    return true;
}
} // namespace

bool TCustomImageShow::LoadPicture(const QString &fileName, QString *error)
{
    QImage image;
    if (!ReadImage(fileName, image, error))
        return false;
    SetPicture(image);
    return true;
}

bool TCustomImageShow::LoadBgPicture(const QString &fileName, QString *error)
{
    QImage image;
    if (!ReadImage(fileName, image, error))
        return false;
    SetBgPicture(image);
    return true;
}

void TCustomImageShow::PictureChanged()
{
    if (Destroying)
        return;
    if (!FPicture.isNull() && FAutoSize)
        AdjustClientSize();
    DoChange();
}

void TCustomImageShow::SetProgress(int value)
{
    value = std::clamp(value, 0, 100);
    {
        std::lock_guard<std::recursive_mutex> g(FrameLock);
        if (!Busy() || value == FProgress.load()) {
            // The host set this value first: nothing to render, and the animation thread
            // must not wait for a paint that nobody requested.
            if (!OnGuiThread())
                FrameEvent.SetEvent();
            return;
        }
        FProgress.store(value);
        RenderFrame();
    }
    if (OnGuiThread()) {
        PaintFramePending();
    } else {
        // Ask the GUI thread to paint; its paint signals FrameEvent. A request that is still
        // pending (an unrelated paint woke this thread early) paints this frame too.
        enum { Post, Pending, Nothing } action;
        {
            std::lock_guard<std::mutex> g(DirtyLock);
            action = DirtyRect.isEmpty() ? Nothing : PaintPosted ? Pending : Post;
            if (action == Post)
                PaintPosted = true;
        }
        if (action == Post)
            PostToGui(WM_FRAMEREADY);
        else if (action == Nothing)
            FrameEvent.SetEvent();
    }
    DoProgress();
}

// ---- geometry ---------------------------------------------------------------------------

int TCustomImageShow::MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const long long num = (long long)a * b;
    const bool negative = (num < 0) != (c < 0);
    const long long an = num < 0 ? -num : num;
    const long long ac = c < 0 ? -(long long)c : c;
    const long long q = (2 * an + ac) / (2 * ac);
    return int(negative ? -q : q);
}

QRect TCustomImageShow::FitRect(const QRect &A, const QRect &B)
{
    // A rectangle without area has no proportions to keep.
    if (A.width() <= 0 || A.height() <= 0)
        return QRect(B.left() + B.width() / 2, B.top() + B.height() / 2, 0, 0);
    int w, h;
    if (double(B.height()) / A.height() > double(B.width()) / A.width()) {
        w = B.width();
        h = MulDiv(A.height(), B.width(), A.width());
    } else {
        w = MulDiv(A.width(), B.height(), A.height());
        h = B.height();
    }
    return QRect(B.left() + (B.width() - w) / 2, B.top() + (B.height() - h) / 2, w, h);
}

void TCustomImageShow::CalcPicRect()
{
    if (FrameSize.isEmpty())
        return;
    QRect r(0, 0, FrameSize.width(), FrameSize.height());
    if (FCenter)
        r.translate((width() - r.width()) / 2, (height() - r.height()) / 2);
    FPicRect = r;
}

void TCustomImageShow::AdjustClientSize()
{
    if (FPicture.isNull() || FAlign == alClient)
        return;
    int w = width(), h = height();
    if (FAlign == alNone || FAlign == alLeft || FAlign == alRight || FAlign == alCustom)
        w = FPicture.width();
    if (FAlign == alNone || FAlign == alTop || FAlign == alBottom || FAlign == alCustom)
        h = FPicture.height();
    resize(w, h);
    ApplyAlign();
}

QRect TCustomImageShow::MapFrameRect(const QRect &r) const
{
    if (r.isEmpty())
        return {};
    if (FStretch) {
        if (FPicRect.width() <= 0 || FPicRect.height() <= 0)
            return {};
        const QRect T = FStretchFine ? FitRect(FPicRect, rect()) : rect();
        const int left = T.left() + MulDiv(r.left(), T.width(), FPicRect.width());
        const int right = T.left() + MulDiv(r.left() + r.width(), T.width(), FPicRect.width());
        const int top = T.top() + MulDiv(r.top(), T.height(), FPicRect.height());
        const int bottom = T.top() + MulDiv(r.top() + r.height(), T.height(), FPicRect.height());
        return QRect(left, top, right - left, bottom - top);
    }
    return r.translated(FPicRect.topLeft()) & FPicRect;
}

QImage TCustomImageShow::FrameSnapshot() const
{
    std::lock_guard<std::recursive_mutex> g(FrameBitmapLock);
    return FrameBitmap.copy();
}

QImage TCustomImageShow::BackBufferSnapshot() const
{
    std::lock_guard<std::recursive_mutex> g(BackBufferLock);
    return BackBuffer.copy();
}

bool TCustomImageShow::FrameEmpty() const { return FrameSize.isEmpty(); }

// ---- operations -------------------------------------------------------------------------

void TCustomImageShow::Execute()
{
    if (FPicture.isNull() || Busy())
        return;
    FBusy.store(true);
    QPointer<TCustomImageShow> self(this);
    const unsigned generation = Generation + 1;
    try {
        PrepareTransition();
        // OnStart may have stopped the transition (or stopped it and started another).
        if (!Manual() && !Stopping && Busy() && Generation == generation)
            Animate();
    } catch (...) {
        // Only the transition started here is undone; a handler may have stopped it and
        // started another, or destroyed the control.
        if (self && Generation == generation && Busy()) {
            StopThread();
            ReleaseTransitionBitmaps();
            FBusy.store(false);
        }
        throw;
    }
}

// Asks for a repaint when a frame is on show and no paint is under way.
void TCustomImageShow::UpdateIfShowingFrame()
{
    if (!FrameEmpty() && !Painting)
        update();
}

// Frees the old screen and the incoming picture once a transition is over.
void TCustomImageShow::ReleaseTransitionBitmaps()
{
    {
        std::lock_guard<std::recursive_mutex> g(NewPictureLock);
        NewPicture = QImage();
    }
    {
        std::lock_guard<std::recursive_mutex> g(OldScreenLock);
        OldScreen = QImage();
    }
}

void TCustomImageShow::PrepareTransition()
{
    ++Generation;
    PicWidth = FPicture.width();
    PicHeight = FPicture.height();
    const QRect whole(0, 0, PicWidth, PicHeight);

    QImage old(PicWidth, PicHeight, FrameFormat);
    old.fill(FColor);
    {
        std::lock_guard<std::recursive_mutex> g(FrameBitmapLock);
        FrameBitmap = QImage(PicWidth, PicHeight, FrameFormat);
        FrameSize = FrameBitmap.size();
    }
    CalcPicRect();

    const QRect client = rect();
    const QRect S = !FStretch ? FPicRect : (FStretchFine ? FitRect(FPicRect, client) : client);

    EnsureBackBufferSize();
    {
        std::lock_guard<std::recursive_mutex> g(BackBufferLock);
        if ((FirstPaintPending || !FOverDraw) && !BackBuffer.isNull()) {
            QPainter p(&BackBuffer);
            PaintBackground(p, client);
        }
        if (!BackBuffer.isNull() && !S.isEmpty()) {
            QPainter p(&old);
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.setRenderHint(QPainter::SmoothPixmapTransform, false);
            if (S.size() == whole.size()) {
                // One to one: copy the part of S that lies on BackBuffer; the rest keeps Color.
                const QRect on = S & BackBuffer.rect();
                if (!on.isEmpty())
                    p.drawImage(on.topLeft() - S.topLeft(), BackBuffer, on);
            } else {
                p.drawImage(whole, BackBuffer, S);
            }
        }
    }

    QImage picture = FPicture.format() == FrameFormat ? FPicture.copy()
                                                      : FPicture.convertToFormat(FrameFormat);
    if (picture.isNull()) {
        picture = QImage(PicWidth, PicHeight, FrameFormat);
        picture.fill(FColor);
        QPainter p(&picture);
        p.drawImage(0, 0, FPicture);
    }
    {
        std::lock_guard<std::recursive_mutex> g(NewPictureLock);
        NewPicture = std::move(picture);
    }
    {
        // Until the first frame is rendered the frame is the old screen, so a paint in
        // between never shows uninitialised pixels.
        std::lock_guard<std::recursive_mutex> g(FrameBitmapLock);
        CopyImage(FrameBitmap, old);
    }
    {
        std::lock_guard<std::recursive_mutex> g(OldScreenLock);
        OldScreen = std::move(old);
    }
    {
        std::lock_guard<std::mutex> g(DirtyLock);
        DirtyRect = QRect();
    }
    FProgress.store(Reverse() ? 100 : 0);
    DoStart(NewPicture, OldScreen);
}

void TCustomImageShow::Animate()
{
    if (FThreaded) {
        AnimThread = std::make_unique<TAnimateThread>(this, FThreadPriority);
        AnimThread->Start();
    } else {
        AnimateLoop();
    }
}

int TCustomImageShow::NextProgress() const
{
    const int p = Progress(), s = Step();
    if (Reverse())
        return p > s ? p - s : 0;
    return p < 100 - s ? p + s : 100;
}

bool TCustomImageShow::EndReached() const
{
    return Reverse() ? Progress() == 0 : Progress() == 100;
}

void TCustomImageShow::AnimateLoop()
{
    QPointer<TCustomImageShow> self(this);
    const unsigned generation = Generation;
    auto interrupted = [&] {
        return !self || !Busy() || Generation != generation || Manual();
    };
    bool done = false;
    for (;;) {
        QElapsedTimer clock;
        clock.start();
        SetProgress(NextProgress());
        if (interrupted())
            return;
        if (EndReached()) {
            done = true;
            break;
        }
        // Serve the application's events until more than Delay milliseconds have passed.
        while (!interrupted()) {
            const qint64 elapsed = clock.elapsed();
            if (elapsed > Delay())
                break;
            QEventLoop wait;
            QTimer timer;
            timer.setSingleShot(true);
            QObject::connect(&timer, &QTimer::timeout, &wait, &QEventLoop::quit);
            timer.start(int(Delay() - elapsed + 1));
            QEventLoop *outer = LoopWait;
            LoopWait = &wait;
            wait.exec();
            if (!self)
                return; // destroyed by a handler; nothing of it may be touched
            LoopWait = outer;
        }
        if (interrupted())
            return;
    }
    if (done)
        FinishTransition();
}

void TCustomImageShow::Stop()
{
    if (!Busy() || Stopping)
        return;
    Stopping = true;
    try {
        if (LoopWait)
            LoopWait->quit();
        // With a thread, its end handler finishes the transition (Stopping is set). Its
        // OnStop handler may already have started the next transition: that one stays.
        const unsigned generation = Generation;
        const bool hadThread = StopThread();
        if ((Manual() || !hadThread) && Busy() && Generation == generation)
            FinishTransition();
    } catch (...) {
        Stopping = false;
        throw;
    }
    Stopping = false;
}

bool TCustomImageShow::StopThread()
{
    if (!AnimThread)
        return false;
    AnimThread->Terminate();
    FrameEvent.SetEvent(); // a step waiting for the previous paint wakes and sees the request
    // The worker never waits for the GUI thread except through FrameEvent (just signalled):
    // it posts its paint requests and its end event. Joining it here cannot block on a
    // paint request that this thread would have to serve.
    AnimThread->WaitFor();
    // Its end event is in the queue (the body posts it last); take it out and handle it now.
    QCoreApplication::removePostedEvents(this, WM_ANIMATIONDONE);
    AnimationDone();
    return true;
}

void TCustomImageShow::AnimationDone()
{
    // An end event of a thread that was already handled (or of none still running) is stale.
    if (!AnimThread || !AnimThread->Finished.load())
        return;
    AnimThread->WaitFor();
    AnimThread.reset();
    if (Stopping || !Manual())
        FinishTransition();
}

void TCustomImageShow::FinishTransition()
{
    if (!Busy())
        return;
    FBusy.store(false);
    ReleaseTransitionBitmaps();
    if (LoopWait)
        LoopWait->quit();
    if (Destroying)
        return;
    // The stop is over for this transition: a handler that starts the next one with
    // Execute gets it animated, not left prepared.
    const bool stopped = Stopping;
    Stopping = false;
    if (!stopped)
        DoComplete();
    DoStop();
}

void TCustomImageShow::Clear()
{
    if (Busy() || FrameEmpty())
        return;
    {
        std::lock_guard<std::recursive_mutex> g(FrameBitmapLock);
        FrameBitmap = QImage();
        FrameSize = QSize();
    }
    update();
}

// ---- frames -----------------------------------------------------------------------------

void TCustomImageShow::RenderFrame()
{
    std::lock_guard<std::recursive_mutex> pictureLock(NewPictureLock);
    std::lock_guard<std::recursive_mutex> frameLock(FrameBitmapLock);
    {
        std::lock_guard<std::recursive_mutex> oldLock(OldScreenLock);
        CopyImage(FrameBitmap, OldScreen);
    }
    DoBeforeNewFrame(NewPicture, FrameBitmap);
    const QRect R(0, 0, PicWidth, PicHeight);
    const int progress = Progress();
    if (progress == 100) {
        CopyImage(FrameBitmap, NewPicture);
    } else if (progress > 0) {
        const int style = Style();
        if (style != 0) {
            if (const TEffectProc proc = EffectProcOf(style))
                proc(FrameBitmap, NewPicture, R, Step(), progress);
        } else {
            DoCustomDraw(NewPicture, FrameBitmap);
        }
    }
    MarkFrameDirty(R);
    DoAfterNewFrame(NewPicture, FrameBitmap);
}

void TCustomImageShow::MarkFrameDirty(const QRect &r)
{
    std::lock_guard<std::mutex> g(DirtyLock);
    DirtyRect |= r;
}

void TCustomImageShow::PaintFramePending()
{
    QRect r;
    {
        std::lock_guard<std::mutex> g(DirtyLock);
        r = DirtyRect;
        DirtyRect = QRect();
        PaintPosted = false;
    }
    const unsigned paintsBefore = PaintCount;
    if (!r.isEmpty() && !Painting && isVisible()) {
        const QRect target = MapFrameRect(r);
        if (!target.isEmpty())
            repaint(target);
    }
    // The paint signalled FrameEvent, and the worker may already be rendering the next
    // frame: signalling again would let it render the one after that before this one is
    // painted. When nothing could be painted (hidden, not exposed), the animation must
    // still go on.
    if (PaintCount == paintsBefore)
        FrameEvent.SetEvent();
}

void TCustomImageShow::EnsureBackBufferSize()
{
    std::lock_guard<std::recursive_mutex> g(BackBufferLock);
    if (BackBuffer.size() == size())
        return;
    if (width() <= 0 || height() <= 0) {
        BackBuffer = QImage();
        return;
    }
    // The last screen shown stays in the top-left corner; new area shows Color.
    QImage resized(size(), FrameFormat);
    resized.fill(FColor);
    if (!BackBuffer.isNull()) {
        QPainter p(&resized);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, BackBuffer);
    }
    BackBuffer = std::move(resized);
}

void TCustomImageShow::Paint()
{
    const QRect R = rect();
    EnsureBackBufferSize();
    std::lock_guard<std::recursive_mutex> backLock(BackBufferLock);
    if (BackBuffer.isNull())
        return;
    {
        QPainter canvas(&BackBuffer);
        std::lock_guard<std::recursive_mutex> frameLock(FrameBitmapLock);
        QRect target;
        if (!FrameBitmap.isNull())
            target = !FStretch ? QRect(FPicRect.topLeft(), FrameBitmap.size())
                               : (FStretchFine ? FitRect(FPicRect, R) : R);
        // The frame is opaque, so the background is only needed around it.
        const QRegion around = QRegion(R).subtracted(QRegion(target));
        if (!around.isEmpty()) {
            if (!target.isEmpty())
                canvas.setClipRegion(around);
            PaintBackground(canvas, R);
            canvas.setClipping(false);
        }
        if (!FrameBitmap.isNull()) {
            canvas.setCompositionMode(QPainter::CompositionMode_Source);
            if (!FStretch)
                canvas.drawImage(target.topLeft(), FrameBitmap);
            else
                canvas.drawImage(target, FrameBitmap);
        }
    }
    QPainter window(this);
    window.setCompositionMode(QPainter::CompositionMode_Source);
    window.drawImage(0, 0, BackBuffer);
}

void TCustomImageShow::PaintBackground(QPainter &Canvas, const QRect &R)
{
    Canvas.fillRect(R, FColor);
    if (FBgPicture.isNull())
        return;
    const int gw = FBgPicture.width(), gh = FBgPicture.height();
    switch (FBgMode) {
    case bmTiled: {
        // Copies at R.topLeft + (j*gw, i*gh) for i in 0..height div gh, j in 0..width div
        // gw: one more row and column than fit whole. A texture fill draws the same pixels.
        const QRect tiles(R.left(), R.top(), (R.width() / gw + 1) * gw, (R.height() / gh + 1) * gh);
        Canvas.save();
        Canvas.setBrushOrigin(R.topLeft());
        Canvas.fillRect(tiles, QBrush(FBgPicture));
        Canvas.restore();
        break;
    }
    case bmStretched: Canvas.drawImage(R, FBgPicture); break;
    case bmCentered: Canvas.drawImage((R.width() - gw) / 2, (R.height() - gh) / 2, FBgPicture); break;
    case bmNone: break;
    }
}

// ---- Qt events --------------------------------------------------------------------------

void TCustomImageShow::PostToGui(QEvent::Type type)
{
    QEvent *e = new QEvent(type);
    NUVIRA_HANDOFF_RELEASE(&HandOff);
    QCoreApplication::postEvent(this, e);
}

bool TCustomImageShow::event(QEvent *e)
{
    NUVIRA_HANDOFF_ACQUIRE(&HandOff);
    if (e->type() == WM_ANIMATIONDONE) {
        AnimationDone();
        return true;
    }
    if (e->type() == WM_FRAMEREADY) {
        PaintFramePending();
        return true;
    }
    if (e->type() == QEvent::ParentChange && FAlign != alNone)
        SetAlign(FAlign);
    return QWidget::event(e);
}

void TCustomImageShow::paintEvent(QPaintEvent *)
{
    if (Painting)
        return;
    Painting = true;
    struct Done {
        TCustomImageShow *self;
        ~Done()
        {
            ++self->PaintCount;
            self->FrameEvent.SetEvent();
            self->Painting = false;
        }
    } done{this};
    Paint();
    FirstPaintPending = false;
}

void TCustomImageShow::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    EnsureBackBufferSize();
    // Placed also when Picture was cleared after the last transition (see SetCenter).
    CalcPicRect();
    UpdateIfShowingFrame();
}

void TCustomImageShow::enterEvent(QEnterEvent *e)
{
    QWidget::enterEvent(e);
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TCustomImageShow::leaveEvent(QEvent *e)
{
    QWidget::leaveEvent(e);
    if (OnMouseLeave)
        OnMouseLeave(this);
}

// ---- events -----------------------------------------------------------------------------

void TCustomImageShow::DoChange()
{
    if (OnChange)
        OnChange(this);
}

void TCustomImageShow::DoProgress()
{
    if (OnProgress)
        OnProgress(this);
}

void TCustomImageShow::DoCustomDraw(const QImage &Picture, QImage &Screen)
{
    if (OnCustomDraw)
        OnCustomDraw(this, Picture, Screen);
}

void TCustomImageShow::DoBeforeNewFrame(const QImage &Picture, QImage &Screen)
{
    if (OnBeforeNewFrame)
        OnBeforeNewFrame(this, Picture, Screen);
}

void TCustomImageShow::DoAfterNewFrame(const QImage &Picture, QImage &Screen)
{
    if (OnAfterNewFrame)
        OnAfterNewFrame(this, Picture, Screen);
}

void TCustomImageShow::DoComplete()
{
    if (OnComplete)
        OnComplete(this);
}

void TCustomImageShow::DoStart(const QImage &Picture, QImage &Screen)
{
    if (OnStart)
        OnStart(this, Picture, Screen);
}

void TCustomImageShow::DoStop()
{
    if (OnStop)
        OnStop(this);
}
