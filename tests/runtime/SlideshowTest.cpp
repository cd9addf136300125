// The picture branch of the slideshow timer, ticked by hand so every tick is seen.
#include <gtest/gtest.h>

#include <QFile>
#include <QTest>
#include <QTimer>
#include <set>

#include "runtime/unithead.h"
#include "tests/runtime/RuntimeFixtures.h"

using namespace fixtures;

namespace {

class Slideshow : public ::testing::Test {
protected:
    std::unique_ptr<TForm1> open(int interval, int pictures = 3, QList<int> effects = {1})
    {
        PictureOptions o;
        o.interval = interval;
        o.effectFlags = effects;
        const QColor colours[] = {Qt::red, Qt::green, Qt::blue};
        QList<QByteArray> pics;
        for (int i = 0; i < pictures; ++i) pics << Jpeg({80, 60}, colours[i % 3]);
        auto form = std::make_unique<TForm1>(PicturePackage(env.dir(), pics, o));
        form->SlidingTimer->stop();
        return form;
    }
    // Ticks until a transition starts; returns the number of ticks it took (0: none in max).
    static int ticksUntilTransition(TForm1 &f, int max)
    {
        for (int i = 1; i <= max; ++i) {
            f.SlidingTimerTimer();
            if (f.ImageShow1->Busy()) return i;
        }
        return 0;
    }
    // Which of red, green, blue the picture being shown is.
    static int colourIndex(const QImage &img)
    {
        const QColor c = img.pixelColor(img.width() / 2, img.height() / 2);
        if (c.red() > 200 && c.green() < 60 && c.blue() < 60) return 0;
        if (c.green() > 200 && c.red() < 60 && c.blue() < 60) return 1;
        if (c.blue() > 200 && c.red() < 60 && c.green() < 60) return 2;
        return -1;
    }
    RuntimeEnv env;
};

TEST_F(Slideshow, FirstPictureAtFirstTickThenAfterSlideDelayIdleTicks)
{
    struct Case {
        int slideDelay;
        int first; // ticks until the first transition (the counter starts at 100)
        int next;  // idle ticks between the end of one transition and the next
    };
    const Case cases[] = {{5, 1, 5}, {1, 1, 1}, {101, 1, 101}, {102, 2, 102},
                          {150, 50, 150}, {0, 1, 1}, {-7, 1, 1}};
    for (const Case &c : cases) {
        auto f = open(c.slideDelay);
        EXPECT_EQ(f->IdleTicks, 100);
        EXPECT_EQ(f->SlideDelay, c.slideDelay);
        EXPECT_EQ(ticksUntilTransition(*f, 200), c.first) << "delay " << c.slideDelay;
        EXPECT_EQ(f->IdleTicks, 0);
        f->ImageShow1->Stop();
        ASSERT_FALSE(f->ImageShow1->Busy());
        EXPECT_EQ(ticksUntilTransition(*f, 200), c.next) << "delay " << c.slideDelay;
    }
}

TEST_F(Slideshow, TicksWhileATransitionRunsAreNotCounted)
{
    auto f = open(5);
    f->SlidingTimerTimer();
    ASSERT_TRUE(f->ImageShow1->Busy());
    ASSERT_EQ(f->NextItem, 1);
    for (int i = 0; i < 4; ++i) {
        f->SlidingTimerTimer();
        EXPECT_EQ(f->IdleTicks, 0);
        EXPECT_EQ(f->NextItem, 1);
    }
    // Once the transition has run to its end the counting starts again.
    QTRY_VERIFY_WITH_TIMEOUT(!f->ImageShow1->Busy(), 20000);
    f->SlidingTimerTimer();
    EXPECT_EQ(f->IdleTicks, 1);
}

TEST_F(Slideshow, PicturesComeInPackageOrderAndWrap)
{
    auto f = open(0);
    QList<int> shown;
    for (int i = 0; i < 7; ++i) {
        ASSERT_EQ(ticksUntilTransition(*f, 1), 1);
        shown << colourIndex(f->ImageShow1->Picture());
        f->ImageShow1->Stop();
    }
    EXPECT_EQ(shown, QList<int>({0, 1, 2, 0, 1, 2, 0}));
    EXPECT_EQ(f->NextItem, 1);
}

TEST_F(Slideshow, EffectsComeFromTheUsableListOnly)
{
    {
        auto f = open(0, 1, {7, 8}); // 7 is never played
        for (int i = 0; i < 20; ++i) {
            ASSERT_EQ(ticksUntilTransition(*f, 1), 1);
            EXPECT_EQ(f->ImageShow1->Style(), 8);
            f->ImageShow1->Stop();
        }
    }
    auto f = open(0, 1, {1, 52, 100});
    std::set<int> styles;
    for (int i = 0; i < 60; ++i) {
        ASSERT_EQ(ticksUntilTransition(*f, 1), 1);
        styles.insert(f->ImageShow1->Style());
        f->ImageShow1->Stop();
    }
    EXPECT_EQ(styles, std::set<int>({1, 52, 100})) << "each pick is uniform over the list";
}

TEST_F(Slideshow, UnreadablePictureIsRetriedAfterTheNextInterval)
{
    auto f = open(2);
    ASSERT_EQ(ticksUntilTransition(*f, 1), 1);
    f->ImageShow1->Stop();
    const QString second = env.tempDir() + "fpics1.jpg";
    QFile file(second);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray good = file.readAll();
    file.close();
    ASSERT_TRUE(testmedia::WriteFile(second, "not a picture"));

    f->SlidingTimerTimer(); // idle tick 1
    EXPECT_THROW(f->SlidingTimerTimer(), std::exception);
    EXPECT_EQ(f->IdleTicks, 0);
    EXPECT_EQ(f->NextItem, 1) << "the same picture is tried again";
    EXPECT_FALSE(f->ImageShow1->Busy());

    ASSERT_TRUE(testmedia::WriteFile(second, good));
    EXPECT_EQ(ticksUntilTransition(*f, 5), 2);
    EXPECT_EQ(colourIndex(f->ImageShow1->Picture()), 1);
    EXPECT_EQ(f->NextItem, 2);
}

TEST_F(Slideshow, AFailingTickIsReportedAndTheShowGoesOn)
{
    auto f = open(1, 2);
    QFile::remove(env.tempDir() + "fpics1.jpg");
    f->SlidingTimer->start(); // the real timer, through the application's error report
    QTRY_VERIFY_WITH_TIMEOUT(!env.messages.calls.empty(), 15000);
    EXPECT_TRUE(env.messages.calls[0].text.contains("fpics1.jpg")) << env.messages.calls[0].text.toStdString();
    EXPECT_FALSE(f->formClosed());
    EXPECT_TRUE(f->SlidingTimer->isActive());
    EXPECT_EQ(f->NextItem, 1);
}

TEST_F(Slideshow, EmptyOrUnreadablePackageLeavesTheWindowBlack)
{
    const QString bad = env.dir() + "/bad.scr";
    ASSERT_TRUE(testmedia::WriteFile(bad, QByteArray(700, '\x0e'))); // picture type, absurd counts
    TForm1 f(bad);
    f.SlidingTimer->stop();
    EXPECT_EQ(f.FileCount, 0);
    EXPECT_EQ(f.QuitMode, 0);
    for (int i = 0; i < 3; ++i) f.SlidingTimerTimer();
    EXPECT_FALSE(f.ImageShow1->Busy());
    EXPECT_TRUE(f.ImageShow1->Picture().isNull());
}

TEST_F(Slideshow, NoUsableEffectEndsTheProgramWithTheTaskbarShown)
{
    {
        PictureOptions o;
        o.effectFlags = {7, 9};
        TForm1 f(PicturePackage(env.dir(), {Jpeg({8, 8}, Qt::red)}, o));
        EXPECT_EQ(env.messages.texts(),
                  QStringList("Error al cargar efectos, crealo otra vez este proyector de pantalla   !"));
        EXPECT_TRUE(f.endRequested());
        f.showCoveringScreen();
        bool ranOut = false;
        QTimer failsafe;
        failsafe.setSingleShot(true);
        QObject::connect(&failsafe, &QTimer::timeout, [&] {
            ranOut = true;
            QCoreApplication::quit();
        });
        failsafe.start(10000);
        QCoreApplication::exec(); // the queued request ends the loop
        EXPECT_FALSE(ranOut);
    }
    EXPECT_EQ(env.taskbar.calls, QStringList({"hide", "show"}));
}

} // namespace
