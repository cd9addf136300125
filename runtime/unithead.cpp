#include "runtime/unithead.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QDateTime>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <stdexcept>

#include "effects/EffectPrimitives.h"
#include "package/PackageFormat.h"
#include "platform/MessageService.h"
#include "platform/Taskbar.h"
#include "platform/TempPath.h"

TForm1::TForm1(const QString &packagePath, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_packagePath(packagePath.isEmpty() ? QCoreApplication::applicationFilePath() : packagePath)
{
    setWindowTitle(title());
    setAttribute(Qt::WA_DeleteOnClose, false);
    // Button face; hidden behind the picture control.
    setAutoFillBackground(true);
    if (QScreen *s = QGuiApplication::primaryScreen()) setGeometry(s->geometry());

    ImageShow1 = new TImageShow(this);
    ImageShow1->SetAlign(alClient);
    ImageShow1->SetCenter(true);
    ImageShow1->SetColor(Qt::black);

    FlashPlayer = new ::FlashPlayer(this);
    FlashPlayer->setGeometry(0, 0, 1, 1);
    FlashPlayer->hide();

    btnFlashFull = new QPushButton(QStringLiteral("btnFlashFull"), this);
    btnFlashFull->setGeometry(32, 48, 75, 25);
    btnFlashFull->setFocusPolicy(Qt::NoFocus);
    btnFlashFull->hide();
    connect(btnFlashFull, &QPushButton::clicked, this, [this] { btnFlashFullClick(); });

    mpBack = new MediaPlayer(this);
    connect(mpBack, &MediaPlayer::OnNotify, this, [this](MediaPlayer *) { mpBackNotify(); });

    SlidingTimer = new QTimer(this);
    SlidingTimer->setInterval(1000);
    connect(SlidingTimer, &QTimer::timeout, this, [this] { SlidingTimerTimer(); });

    FormCreate();
}

TForm1::~TForm1()
{
    if (m_filterInstalled) qApp->removeEventFilter(this);
    // Show mode can end without FormClose (the loader's effect error ends the program
    // before the window is ever closed); the taskbar comes back all the same.
    if (!m_closed) Taskbar::show();
}

void TForm1::FormCreate()
{
    // One process-wide generator serves the effects and the choice of the next effect.
    RandSeed.store(quint32(QDateTime::currentMSecsSinceEpoch()));
    EffectCount = 0;
    try {
        TempDir = TempPath::path();
    } catch (const TempPathError &e) {
        // Without a private folder nothing can be extracted: the window stays black and
        // only the close command ends it, as with an unreadable package.
        TempDir.clear();
        MessageService::message(QString::fromLocal8Bit(e.what()));
    }
    qApp->installEventFilter(this);
    m_filterInstalled = true;
    if (!TempDir.isEmpty()) LoadPackage(m_packagePath, *this, *this);
    if (SaverKind == QLatin1String("flash"))
        NextItem = FileCount > 1 ? 1 : 0;
    else
        NextItem = 0;
    MusicIndex = 0;
    IdleTicks = 100;
    mpBack->setNotify(true);
    SimulatingKey = false;
    Taskbar::hide();
    SlidingTimer->start();
}

void TForm1::showCoveringScreen()
{
    if (QScreen *s = QGuiApplication::primaryScreen()) setGeometry(s->geometry());
    showFullScreen();
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
        raise();
        activateWindow();
    }
}

// ---- the loader's requests ----------------------------------------------------------

void TForm1::hideFlashPlayer() { FlashPlayer->resize(0, 0); }

void TForm1::showFlashPlayer() { FlashPlayer->show(); }

void TForm1::startMusic(const QString &path)
{
    mpBack->setFileName(path);
    mpBack->Open();
    mpBack->Play();
}

void TForm1::startMovie(const QString &path)
{
    FlashPlayer->setMovie(path);
    FlashPlayer->Play();
}

void TForm1::hidePointer()
{
    // Hidden for the rest of the run; the program never shows it again.
    QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
}

QPoint TForm1::pointerPosition() { return QCursor::pos(); }

void TForm1::effectError()
{
    MessageService::message(
        QStringLiteral("Error al cargar efectos, crealo otra vez este proyector de pantalla   !"));
    // The request takes effect once start-up has returned to the event loop.
    m_endRequested = true;
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

// ---- the slideshow and the Flash movies ------------------------------------------------

void TForm1::SlidingTimerTimer()
{
    if (SaverKind == QLatin1String("picture")) {
        if (FileCount <= 0) return;
        if (ImageShow1->Busy()) return; // the tick is not counted
        ++IdleTicks;
        if (IdleTicks < SlideDelay) return;
        IdleTicks = 0;
        const int k = EffectCount > 0 ? Random(EffectCount) : 0;
        ImageShow1->SetStyle(EffectCount > 0 ? int(EffectList.value(k)) : 0);
        QString error;
        const QString file = TempDir + PictureFileName(NextItem);
        if (!ImageShow1->LoadPicture(file, &error))
            // Leaves the handler: the application reports it, and the same picture is
            // tried again after the next interval.
            throw std::runtime_error(
                QStringLiteral("%1: %2").arg(QFileInfo(file).fileName(), error).toStdString());
        ImageShow1->Execute();
        ++NextItem;
        if (NextItem >= FileCount) NextItem = 0;
    } else if (SaverKind == QLatin1String("flash")) {
        if (FileCount <= 0) return;
        if (FlashPlayer->FrameCount() - 20 > FlashPlayer->CurrentFrame()) return;
        FlashPlayer->setMovie(TempDir + MovieFileName(NextItem));
        FlashPlayer->Play();
        ++NextItem;
        if (NextItem >= FileCount) NextItem = 0;
    }
}

void TForm1::FormResize()
{
    SimulatingKey = true;
    // A Space press and release handed straight to the hidden button: it takes them as a
    // press of itself and clicks. The press also reaches the key preview, which ignores it.
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QCoreApplication::sendEvent(btnFlashFull, &down);
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QCoreApplication::sendEvent(btnFlashFull, &up);
    FlashPlayer->repaint();
    SimulatingKey = false;
}

void TForm1::btnFlashFullClick()
{
    QSize size = this->size();
    if (QScreen *s = screen()) size = s->size();
    FlashPlayer->resize(size);
    // A click at the player's corner handed straight to it: it never passes AppMessage.
    FlashPlayer->click(QPoint(0, 0));
    FlashPlayer->repaint();
}

// ---- the music --------------------------------------------------------------------------

void TForm1::mpBackNotify()
{
    if (MusicCount <= 0) return;
    const bool ended = mpBack->Mode() == MediaMode::Stopped || mpBack->Position() == mpBack->Length();
    if (ended) {
        if (MusicIndex >= MusicCount - 1)
            MusicIndex = 0;
        else
            ++MusicIndex;
        const auto code = MusicIndex < MusicKinds.size() ? std::uint8_t(MusicKinds.at(MusicIndex)) : std::uint8_t(0);
        const QString name = TempDir + MusicFileName(MusicIndex, code);
        if (!QFileInfo(name).isFile()) MessageService::message(QStringLiteral("load music error"));
        mpBack->setFileName(name);
        mpBack->Open(); // a refused file leaves the handler; the application reports it
        mpBack->Play();
    }
    mpBack->setNotify(true);
}

// ---- input and closing ------------------------------------------------------------------

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
        // Every input message reaches its window first and is then passed on to widgets
        // (and from a widget to its parents); only the first delivery is the message.
        if (watched->isWindowType()) return AppMessage(watched, event);
        return false;
    case QEvent::KeyPress:
        if (watched->isWindowType()) {
            m_lastKey = nullptr; // a new key message starts here
            return false;
        }
        keyPreview(watched, static_cast<QKeyEvent *>(event));
        return false;
    default:
        return false;
    }
}

bool TForm1::AppMessage(QObject *, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        const auto *me = static_cast<QMouseEvent *>(event);
        const bool right = me->button() == Qt::RightButton;
        const bool left = me->button() == Qt::LeftButton;
        if ((left || right) && (QuitMode == 2 || QuitMode == 4)) close();
        // No control ever sees a right-button press.
        return right;
    }
    if (event->type() == QEvent::MouseMove) {
        if (QuitMode == 1 || QuitMode == 4) ++MoveCount;
        CurPos = pointerPosition();
        if (MoveCount > 3) {
            // Signed differences: only right of or below the load-time point closes.
            if (qint64(CurPos.x()) - RefPos.x() > 20)
                close();
            else if (qint64(CurPos.y()) - RefPos.y() > 20)
                close();
        }
    }
    return false;
}

void TForm1::keyPreview(QObject *receiver, QKeyEvent *event)
{
    if (!receiver->isWidgetType()) return;
    auto *w = static_cast<QWidget *>(receiver);
    if (w != this && !isAncestorOf(w)) return;
    // The same key travelling from a child up to its parents counts once.
    if (event == m_lastKey && m_lastKeyReceiver && m_lastKeyReceiver->isWidgetType() &&
        w->isAncestorOf(static_cast<QWidget *>(m_lastKeyReceiver.data())))
        return;
    m_lastKey = event;
    m_lastKeyReceiver = receiver;
    FormKeyDown(event->key(), event->modifiers());
}

bool TForm1::isCloseCommand(int key, Qt::KeyboardModifiers shift)
{
    return key == Qt::Key_F4 && (shift & Qt::AltModifier);
}

void TForm1::FormKeyDown(int key, Qt::KeyboardModifiers shift)
{
    if (key == Qt::Key_Space && SimulatingKey) return; // the Flash sizing's own key
    if (QuitMode == 3 || QuitMode == 4 || isCloseCommand(key, shift)) close();
}

void TForm1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // The close command always closes the window, in every quit mode.
    if (!m_closed) FormClose();
    event->accept();
}

void TForm1::FormClose()
{
    m_closed = true;
    Taskbar::show();
}
