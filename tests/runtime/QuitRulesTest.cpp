// The quit rules of the full-screen window, driven by input that arrives the way real
// input does: through the window first, then its widgets.
#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QPushButton>
#include <QWindow>

#include "runtime/unithead.h"
#include "tests/runtime/RuntimeFixtures.h"

using namespace fixtures;

namespace {

const QPoint kRef(300, 200); // where the pointer is while the package loads

class QuitRules : public ::testing::Test {
protected:
    std::unique_ptr<TForm1> open(int quitMode)
    {
        PictureOptions o;
        o.quitMode = quitMode;
        const QString pkg = PicturePackage(env.dir(), {Jpeg({64, 48}, Qt::red)}, o);
        QCursor::setPos(kRef);
        QCoreApplication::processEvents();
        auto form = std::make_unique<TForm1>(pkg);
        form->SlidingTimer->stop(); // the slideshow plays no part here
        form->showCoveringScreen();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        QCoreApplication::processEvents();
        return form;
    }
    // Moves the pointer: the window system delivers one mouse-move message.
    static void moveTo(QPoint p)
    {
        QCursor::setPos(p);
        QCoreApplication::processEvents();
    }
    static void press(TForm1 &f, Qt::MouseButton b)
    {
        QTest::mousePress(f.windowHandle(), b, {}, QPoint(400, 300));
        QTest::mouseRelease(f.windowHandle(), b, {}, QPoint(400, 300));
        QCoreApplication::processEvents();
    }
    static void key(TForm1 &f, Qt::Key k, Qt::KeyboardModifiers m = {})
    {
        QTest::keyPress(f.windowHandle(), k, m);
        QTest::keyRelease(f.windowHandle(), k, m);
        QCoreApplication::processEvents();
    }
    RuntimeEnv env;
};

TEST_F(QuitRules, EachMouseMoveIsCountedOnce)
{
    auto f = open(1);
    ASSERT_EQ(f->RefPos, kRef);
    EXPECT_EQ(f->MoveCount, 0);
    moveTo(kRef + QPoint(-5, 0));
    EXPECT_EQ(f->MoveCount, 1);
    moveTo(kRef + QPoint(-6, 0));
    EXPECT_EQ(f->MoveCount, 2);
    EXPECT_EQ(f->CurPos, kRef + QPoint(-6, 0));
}

TEST_F(QuitRules, FirstThreeMovesNeverCloseThenOnlyRightOrDownBeyondTwenty)
{
    struct Case {
        QPoint offset;
        bool closes;
    };
    const Case fourth[] = {
        {{21, 0}, true},     {{0, 21}, true},     {{200, -200}, true}, {{-200, 200}, true},
        {{20, 20}, false},   {{-100, 0}, false},  {{0, -100}, false},  {{-250, -150}, false},
    };
    for (int mode : {1, 4}) {
        for (const Case &c : fourth) {
            auto f = open(mode);
            for (QPoint far : {QPoint(400, 400), QPoint(500, 300), QPoint(600, 500)}) {
                moveTo(far);
                ASSERT_TRUE(f->isVisible()) << "a move among the first three closed, mode " << mode;
            }
            moveTo(kRef + c.offset);
            EXPECT_EQ(f->formClosed(), c.closes)
                << "mode " << mode << " offset " << c.offset.x() << "," << c.offset.y();
            EXPECT_EQ(f->MoveCount, 4);
        }
    }
}

TEST_F(QuitRules, MovesCountOnlyUnderTheMoveRules)
{
    for (int mode : {2, 3, 5, 0}) {
        auto f = open(mode);
        for (int i = 0; i < 6; ++i) moveTo(kRef + QPoint(100 + 10 * i, 100));
        EXPECT_EQ(f->MoveCount, 0) << mode;
        EXPECT_FALSE(f->formClosed()) << mode;
    }
}

TEST_F(QuitRules, LeftAndRightClicksCloseUnderClickRulesMiddleNever)
{
    struct Case {
        int mode;
        Qt::MouseButton button;
        bool closes;
    };
    const Case cases[] = {
        {2, Qt::LeftButton, true},    {2, Qt::RightButton, true},  {2, Qt::MiddleButton, false},
        {4, Qt::LeftButton, true},    {4, Qt::RightButton, true},  {4, Qt::MiddleButton, false},
        {1, Qt::LeftButton, false},   {3, Qt::RightButton, false}, {5, Qt::LeftButton, false},
        {0, Qt::RightButton, false},
    };
    for (const Case &c : cases) {
        auto f = open(c.mode);
        press(*f, c.button);
        EXPECT_EQ(f->formClosed(), c.closes) << "mode " << c.mode << " button " << int(c.button);
    }
}

TEST_F(QuitRules, RightPressNeverReachesTheControlsItsReleasePassesTheHook)
{
    struct Seen : QObject {
        int presses = 0, releases = 0;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::MouseButtonPress) ++presses;
            if (e->type() == QEvent::MouseButtonRelease) ++releases;
            return false;
        }
    } seen;
    auto f = open(5);
    f->ImageShow1->installEventFilter(&seen);
    Seen atWindow;
    f->windowHandle()->installEventFilter(&atWindow);
    Seen atForm;
    f->installEventFilter(&atForm);
    QTest::mousePress(f->windowHandle(), Qt::RightButton, {}, QPoint(400, 300));
    QTest::mouseRelease(f->windowHandle(), Qt::RightButton, {}, QPoint(400, 300));
    QCoreApplication::processEvents();
    EXPECT_EQ(seen.presses, 0);
    EXPECT_EQ(atForm.presses, 0);
    // The release passes the hook; Qt hands a widget no release whose press it never had.
    EXPECT_EQ(atWindow.releases, 1);
    QTest::mousePress(f->windowHandle(), Qt::LeftButton, {}, QPoint(400, 300));
    QTest::mouseRelease(f->windowHandle(), Qt::LeftButton, {}, QPoint(400, 300));
    QCoreApplication::processEvents();
    EXPECT_EQ(seen.presses, 1);
    EXPECT_FALSE(f->formClosed());
}

TEST_F(QuitRules, EveryKeyClosesUnderKeyRulesOnlyTheCloseCommandOtherwise)
{
    const Qt::Key keys[] = {Qt::Key_A, Qt::Key_Escape, Qt::Key_Return, Qt::Key_F1,
                            Qt::Key_Shift, Qt::Key_Control, Qt::Key_Alt, Qt::Key_Space};
    for (int mode : {3, 4, 1, 2, 5, 0}) {
        for (Qt::Key k : keys) {
            auto f = open(mode);
            key(*f, k);
            EXPECT_EQ(f->formClosed(), mode == 3 || mode == 4) << "mode " << mode << " key " << k;
        }
        auto f = open(mode);
        key(*f, Qt::Key_F4, Qt::AltModifier);
        EXPECT_TRUE(f->formClosed()) << "Alt+F4 in mode " << mode;
    }
}

TEST_F(QuitRules, CloseCommandAlwaysClosesAndShowsTheTaskbarAgain)
{
    for (int mode : {5, 0, 1}) {
        env.taskbar.calls.clear();
        auto f = open(mode);
        EXPECT_FALSE(env.taskbar.visible);
        f->windowHandle()->close(); // what the window manager's close request does
        QCoreApplication::processEvents();
        EXPECT_TRUE(f->formClosed()) << mode;
        EXPECT_FALSE(f->isVisible());
        EXPECT_TRUE(env.taskbar.visible);
        f.reset();
        EXPECT_EQ(env.taskbar.calls, QStringList({"hide", "show"})) << "shown once, mode " << mode;
        EXPECT_TRUE(QFile::exists(env.tempDir() + "fpics0.jpg")) << "extracted media stay";
    }
}

TEST_F(QuitRules, FlashSizingKeyAndClickNeverClose)
{
    for (int mode : {2, 3, 4}) {
        auto f = open(mode);
        const int clicks = f->FlashPlayer->clickCount();
        f->resize(f->width() - 100, f->height() - 100); // a change of resolution
        QCoreApplication::processEvents();
        EXPECT_FALSE(f->formClosed()) << mode;
        EXPECT_FALSE(f->SimulatingKey);
        EXPECT_EQ(f->FlashPlayer->size(), f->screen()->size());
        EXPECT_EQ(f->FlashPlayer->clickCount(), clicks + 1) << "the player was clicked at its corner";
    }
}

TEST_F(QuitRules, ClicksOnOtherWindowsOfTheProgramCountToo)
{
    // A message window of the runtime shares the input hook: a click on it closes the
    // saver under the click rules.
    auto f = open(2);
    QWidget box;
    box.setGeometry(100, 100, 200, 100);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    QTest::mousePress(box.windowHandle(), Qt::LeftButton, {}, QPoint(50, 50));
    QTest::mouseRelease(box.windowHandle(), Qt::LeftButton, {}, QPoint(50, 50));
    QCoreApplication::processEvents();
    EXPECT_TRUE(f->formClosed());
}

} // namespace

namespace {

TEST(ShowWindow, ComponentsAndStateAfterCreation)
{
    RuntimeEnv env;
    PictureOptions o;
    o.quitMode = 2;
    TForm1 f(PicturePackage(env.dir(), {Jpeg({8, 8}, Qt::red)}, o));
    EXPECT_EQ(f.windowTitle(), "NUVIRA ");
    EXPECT_TRUE(f.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(f.windowFlags() & Qt::WindowStaysOnTopHint);
    // Creation order: a later component lies above an earlier one.
    const QObjectList kids = f.children();
    EXPECT_LT(kids.indexOf(f.ImageShow1), kids.indexOf(f.FlashPlayer));
    EXPECT_LT(kids.indexOf(f.FlashPlayer), kids.indexOf(f.btnFlashFull));
    EXPECT_EQ(f.ImageShow1->Align(), alClient);
    EXPECT_TRUE(f.ImageShow1->Center());
    EXPECT_EQ(f.ImageShow1->Color(), QColor(Qt::black));
    EXPECT_EQ(f.ImageShow1->Style(), 51) << "untouched until the first tick";
    EXPECT_EQ(f.btnFlashFull->geometry(), QRect(32, 48, 75, 25));
    EXPECT_EQ(f.btnFlashFull->text(), "btnFlashFull");
    EXPECT_FALSE(f.btnFlashFull->isVisibleTo(&f));
    EXPECT_FALSE(f.FlashPlayer->isVisibleTo(&f));
    EXPECT_EQ(f.SlidingTimer->interval(), 1000);
    EXPECT_TRUE(f.SlidingTimer->isActive());
    EXPECT_TRUE(f.mpBack->notify());
    EXPECT_EQ(TempDir, env.tempDir());
    EXPECT_EQ(f.SaverKind, "picture");
    EXPECT_EQ(f.NextItem, 0);
    EXPECT_EQ(f.MusicIndex, 0);
    EXPECT_EQ(f.IdleTicks, 100);
    EXPECT_FALSE(f.SimulatingKey);
    EXPECT_EQ(env.taskbar.calls, QStringList("hide"));
}

} // namespace
