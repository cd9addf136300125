#pragma once
// The full-screen player window of the runtime. It loads the package it heads while it is
// created, shows the pictures with random transitions (or plays the Flash movies), loops
// the music, and closes on the package's quit rule.
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "effects/ImageShow.h"
#include "media/FlashPlayer.h"
#include "media/MediaPlayer.h"
#include "runtime/LoadPackage.h"
#include "runtime/PlayerState.h"

class QPushButton;
class QTimer;
class QKeyEvent;
class QMouseEvent;

class TForm1 : public QWidget, public PlayerState, public PackageMedia {
    Q_OBJECT
public:
    // The caption of the window and the title of the application in show mode.
    static QString title() { return QStringLiteral("NUVIRA "); }

    // Creates the window and runs FormCreate, which loads packagePath (the program's
    // own file when empty). The window is not shown.
    explicit TForm1(const QString &packagePath = QString(), QWidget *parent = nullptr);
    ~TForm1() override;

    // The components, in creation order (a later one lies above an earlier one).
    TImageShow *ImageShow1 = nullptr;
    ::FlashPlayer *FlashPlayer = nullptr;
    QPushButton *btnFlashFull = nullptr;
    MediaPlayer *mpBack = nullptr;
    QTimer *SlidingTimer = nullptr;

    // Event handlers.
    void FormCreate();
    void FormResize();
    void FormClose();
    void SlidingTimerTimer();
    void btnFlashFullClick();
    void mpBackNotify();
    // The application's input hook: sees each mouse message once, at the window it was
    // delivered to, before any widget. Returns true when the message is handled (dropped).
    bool AppMessage(QObject *receiver, QEvent *event);
    void FormKeyDown(int key, Qt::KeyboardModifiers shift);

    // Shows the window frameless, on top, covering the screen.
    void showCoveringScreen();

    // True once FormClose ran.
    bool formClosed() const { return m_closed; }
    // True once the loader asked the application to end (no usable effect).
    bool endRequested() const { return m_endRequested; }

    // PackageMedia: what the loader asks of the players and the pointer.
    void hideFlashPlayer() override;
    void showFlashPlayer() override;
    void startMusic(const QString &path) override;
    void startMovie(const QString &path) override;
    void hidePointer() override;
    QPoint pointerPosition() override;
    void effectError() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void keyPreview(QObject *receiver, QKeyEvent *event);
    // The system close command (Alt+F4): always closes, whatever the quit rule.
    static bool isCloseCommand(int key, Qt::KeyboardModifiers shift);

    QString m_packagePath;
    bool m_closed = false;
    bool m_endRequested = false;
    bool m_filterInstalled = false;
    // The key event last handed to FormKeyDown and the widget it was aimed at: a key a
    // child ignores travels up to its parents as the same event, and must count once.
    const QEvent *m_lastKey = nullptr;
    QPointer<QObject> m_lastKeyReceiver;
};
