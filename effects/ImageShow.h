#pragma once
// The picture show control: a widget that shows one picture and, on request, changes from
// whatever it shows at that moment to a new picture through a numbered transition effect,
// frame by frame. TCustomImageShow holds all behaviour; TImageShow is the control that the
// programs place on their windows.
//
// Threads: setters, Execute, Stop, Clear, painting and the events OnStart, OnComplete, OnStop,
// OnChange, OnMouseEnter and OnMouseLeave run on the GUI thread. With Threaded (the default)
// an animation thread steps the frames: it renders into the control's own bitmaps under their
// locks, never touches the widget, asks the GUI thread to paint the new frame (a posted
// event) and waits on FrameEvent until that paint has happened. OnBeforeNewFrame,
// OnCustomDraw, OnAfterNewFrame and OnProgress therefore run on the animation thread; their
// handlers must be safe off the GUI thread and must be assigned before Execute.
#include <QColor>
#include <QEvent>
#include <QImage>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class QEventLoop;
class QPainter;
class TCustomImageShow;

// How BgPicture is drawn behind the frame.
enum TBackgroundMode { bmNone, bmTiled, bmStretched, bmCentered };

// Placement of the control inside its parent, kept up to date when the parent is resized.
// alCustom behaves like alNone for placement but lets AutoSize change both dimensions.
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };

// Priority of the animation thread. On Linux only lowering is generally permitted; a raise
// that the system refuses leaves the thread at normal priority.
enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

using TNotifyEvent = std::function<void(TCustomImageShow *Sender)>;
// Picture is always the transition's NewPicture; Screen is FrameBitmap, except for OnStart
// where it is OldScreen.
using TCustomDrawEvent =
    std::function<void(TCustomImageShow *Sender, const QImage &Picture, QImage &Screen)>;

// A manual-reset event: stays signalled until reset; waiting returns at once while signalled.
class TFrameEvent {
public:
    explicit TFrameEvent(bool signalled) : Signalled(signalled) {}
    void SetEvent();
    void ResetEvent();
    void WaitFor();

private:
    std::mutex Lock;
    std::condition_variable Cond;
    bool Signalled;
};

// The animation thread of one threaded transition. The control creates it, and frees it when
// its end event (WM_ANIMATIONDONE) has been handled on the GUI thread.
class TAnimateThread {
public:
    TAnimateThread(TCustomImageShow *control, TThreadPriority priority);
    ~TAnimateThread(); // joins

    void Start();
    // Asks the body to end after the current step; wakes a resting body at once.
    void Terminate();
    bool Terminated();
    void WaitFor(); // joins the thread (idempotent)

    std::atomic<bool> Finished{false}; // the body has ended and posted its end event

private:
    void Execute();
    void Step();
    void Rest(int ms);

    TCustomImageShow *Control;
    TThreadPriority Priority;
    std::thread Thread;
    std::mutex Lock;
    std::condition_variable Wake;
    bool TerminateRequested = false;
};

class TCustomImageShow : public QWidget {
    Q_OBJECT
    friend class TAnimateThread;

public:
    // Posted by the animation thread when its body has ended.
    static constexpr QEvent::Type WM_ANIMATIONDONE = QEvent::Type(QEvent::User + 1025);
    // Posted by the animation thread when a rendered frame waits to be painted.
    static constexpr QEvent::Type WM_FRAMEREADY = QEvent::Type(QEvent::User + 1026);
    static constexpr int MaxStyle = 150;

    explicit TCustomImageShow(QWidget *parent = nullptr);
    ~TCustomImageShow() override;

    // ---- properties --------------------------------------------------------------------
    int Style() const { return FStyle.load(); }
    void SetStyle(int value); // ignored above 150 (and below 0)
    QString StyleName() const;
    void SetStyleName(const QString &value); // no matching name: nothing changes

    int Step() const { return FStep.load(); }
    void SetStep(int value); // clamped to 1..100
    int Delay() const { return FDelay.load(); }
    void SetDelay(int value); // milliseconds, clamped to 0..65535

    bool Manual() const { return FManual.load(); }
    void SetManual(bool value);
    bool Reverse() const { return FReverse.load(); }
    void SetReverse(bool value) { FReverse.store(value); }
    bool OverDraw() const { return FOverDraw; }
    void SetOverDraw(bool value) { FOverDraw = value; }
    bool Threaded() const { return FThreaded; }
    void SetThreaded(bool value) { FThreaded = value; }
    TThreadPriority ThreadPriority() const { return FThreadPriority; }
    void SetThreadPriority(TThreadPriority value) { FThreadPriority = value; }

    bool Stretch() const { return FStretch; }
    void SetStretch(bool value);
    bool StretchFine() const { return FStretchFine; }
    void SetStretchFine(bool value);
    bool Center() const { return FCenter; }
    void SetCenter(bool value);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool value);
    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign value);

    QColor Color() const { return FColor; }
    void SetColor(const QColor &value);
    TBackgroundMode BgMode() const { return FBgMode; }
    void SetBgMode(TBackgroundMode value);
    const QImage &BgPicture() const { return FBgPicture; }
    void SetBgPicture(const QImage &value); // a null image clears it

    const QImage &Picture() const { return FPicture; }
    void SetPicture(const QImage &value); // a null image clears it
    // Loads Picture from a file by its extension (JPEG, BMP, GIF first frame, PNG...). On
    // failure Picture keeps its graphic, the reason goes to *error, and false is returned.
    bool LoadPicture(const QString &fileName, QString *error = nullptr);
    bool LoadBgPicture(const QString &fileName, QString *error = nullptr);

    int Progress() const { return FProgress.load(); }
    void SetProgress(int value); // only while Busy; above 100 is 100
    bool Busy() const { return FBusy.load(); }

    // ---- operations --------------------------------------------------------------------
    virtual void Execute();
    virtual void Stop();
    virtual void Clear();

    // ---- geometry helpers --------------------------------------------------------------
    // The largest rectangle with A's proportions centred in B.
    static QRect FitRect(const QRect &A, const QRect &B);
    // a * b / c rounded to the nearest integer, halves away from zero; -1 when c is 0.
    static int MulDiv(int a, int b, int c);
    QRect PicRect() const { return FPicRect; }
    void CalcPicRect();
    void AdjustClientSize();
    // Maps a rectangle of the frame (picture coordinates) to the window.
    QRect MapFrameRect(const QRect &r) const;

    // Copies taken under the bitmaps' locks, for hosts and tests that look at the frames.
    QImage FrameSnapshot() const;
    QImage BackBufferSnapshot() const;
    bool FrameEmpty() const;

    // ---- events ------------------------------------------------------------------------
    TNotifyEvent OnChange;
    TCustomDrawEvent OnStart;
    TCustomDrawEvent OnBeforeNewFrame;
    TCustomDrawEvent OnCustomDraw;
    TCustomDrawEvent OnAfterNewFrame;
    TNotifyEvent OnProgress;
    TNotifyEvent OnComplete;
    TNotifyEvent OnStop;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

protected:
    // Stops a running transition without events. The animation thread calls virtual
    // operations, so a descendant's destructor calls this before its own members go; the
    // base destructor calls it again (harmlessly) as the last resort.
    void BeginDestroy();

    virtual void PaintBackground(QPainter &Canvas, const QRect &R);
    virtual void DoChange();
    virtual void DoProgress();
    virtual void DoCustomDraw(const QImage &Picture, QImage &Screen);
    virtual void DoBeforeNewFrame(const QImage &Picture, QImage &Screen);
    virtual void DoAfterNewFrame(const QImage &Picture, QImage &Screen);
    virtual void DoComplete();
    virtual void DoStart(const QImage &Picture, QImage &Screen);
    virtual void DoStop();

    // What the control paints: BackBuffer recomposed with the background and the frame.
    virtual void Paint();

    bool event(QEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void enterEvent(QEnterEvent *e) override;
    void leaveEvent(QEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void PrepareTransition();
    void ReleaseTransitionBitmaps();
    void UpdateIfShowingFrame();
    void Animate();
    void AnimateLoop();
    bool StopThread();
    void AnimationDone();
    void FinishTransition();
    void RenderFrame();
    void PaintFramePending(); // GUI thread: paints the frame area that a render left dirty
    void PostToGui(QEvent::Type type); // from the animation thread
    void MarkFrameDirty(const QRect &r);
    int NextProgress() const;
    bool EndReached() const;
    void PictureChanged();
    void BgPictureChanged();
    void EnsureBackBufferSize();
    void ApplyAlign();
    bool OnGuiThread() const;

    // Bitmaps and their locks. Lock order: NewPicture, FrameBitmap, OldScreen; BackBuffer,
    // FrameBitmap. FrameLock is taken before all of them.
    QImage FrameBitmap;
    QImage BackBuffer;
    QImage OldScreen;
    QImage NewPicture;
    mutable std::recursive_mutex FrameBitmapLock;
    mutable std::recursive_mutex BackBufferLock;
    mutable std::recursive_mutex OldScreenLock;
    mutable std::recursive_mutex NewPictureLock;
    std::recursive_mutex FrameLock;
    TFrameEvent FrameEvent{true};

    QRect FPicRect;
    QSize FrameSize; // size of FrameBitmap as the GUI thread last set it
    int PicWidth = 0;
    int PicHeight = 0;

    // The frame area rendered but not yet painted (picture coordinates).
    std::mutex DirtyLock;
    QRect DirtyRect;
    bool PaintPosted = false;
    char HandOff = 0; // address that marks events handed from the animation thread

    std::unique_ptr<TAnimateThread> AnimThread;
    bool Stopping = false;
    bool Painting = false;
    unsigned PaintCount = 0; // paints performed (GUI thread)
    bool FirstPaintPending = true;
    bool Destroying = false;
    unsigned Generation = 0; // counts prepared transitions
    QEventLoop *LoopWait = nullptr;

    std::atomic<int> FStyle{51};
    std::atomic<int> FStep{4};
    std::atomic<int> FDelay{40};
    std::atomic<int> FProgress{0};
    std::atomic<bool> FManual{false};
    std::atomic<bool> FReverse{false};
    std::atomic<bool> FBusy{false};
    bool FOverDraw = true;
    bool FThreaded = true;
    TThreadPriority FThreadPriority = tpNormal;
    bool FStretch = false;
    bool FStretchFine = false;
    bool FCenter = false;
    bool FAutoSize = true;
    TAlign FAlign = alNone;
    QPointer<QWidget> AlignParent;
    QColor FColor;
    TBackgroundMode FBgMode = bmTiled;
    QImage FBgPicture;
    QImage FPicture;
};

// The control as the programs use it; all behaviour is in TCustomImageShow.
class TImageShow : public TCustomImageShow {
    Q_OBJECT
public:
    explicit TImageShow(QWidget *parent = nullptr) : TCustomImageShow(parent) {}
    ~TImageShow() override { BeginDestroy(); }
};
