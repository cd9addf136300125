// The background music's advance and the Flash movies' switch.
#include <gtest/gtest.h>

#include <QFile>
#include <QTest>
#include <QTimer>

#include "runtime/unithead.h"
#include "tests/runtime/RuntimeFixtures.h"

using namespace fixtures;

namespace {

class Music : public ::testing::Test {
protected:
    std::unique_ptr<TForm1> open(QList<int> trackMs)
    {
        PictureOptions o;
        for (int ms : trackMs) o.music << MusicPiece{'2', Wav(ms)};
        auto f = std::make_unique<TForm1>(PicturePackage(env.dir(), {Jpeg({8, 8}, Qt::red)}, o));
        f->SlidingTimer->stop();
        return f;
    }
    RuntimeEnv env;
};

TEST_F(Music, TracksAdvanceInOrderAndWrap)
{
    auto f = open({250, 250, 250});
    ASSERT_EQ(f->MusicCount, 3);
    ASSERT_EQ(f->mpBack->Mode(), MediaMode::Playing) << "the loader started track 0";
    QStringList played;
    QObject::connect(f->mpBack, &MediaPlayer::OnNotify, [&](MediaPlayer *p) {
        played << p->fileName().section('/', -1) + ":" + QString::number(f->MusicIndex);
    });
    QTRY_VERIFY_WITH_TIMEOUT(played.size() >= 4, 30000);
    EXPECT_EQ(played.mid(0, 4), QStringList({"fscreen1.wav:1", "fscreen2.wav:2", "fscreen0.wav:0",
                                             "fscreen1.wav:1"}));
    EXPECT_TRUE(env.messages.calls.empty());
}

TEST_F(Music, ASingleTrackLoops)
{
    auto f = open({200});
    int ends = 0;
    QObject::connect(f->mpBack, &MediaPlayer::OnNotify, [&] { ++ends; });
    QTRY_VERIFY_WITH_TIMEOUT(ends >= 3, 30000);
    EXPECT_EQ(f->MusicIndex, 0);
    EXPECT_TRUE(f->mpBack->fileName().endsWith("/fscreen0.wav"));
    EXPECT_EQ(f->mpBack->Mode(), MediaMode::Playing);
}

TEST_F(Music, ANotificationWhileTheTrackPlaysOnlyRearms)
{
    auto f = open({8000, 200});
    ASSERT_EQ(f->mpBack->Mode(), MediaMode::Playing);
    f->mpBack->setNotify(false);
    f->mpBackNotify();
    EXPECT_EQ(f->MusicIndex, 0);
    EXPECT_TRUE(f->mpBack->fileName().endsWith("/fscreen0.wav"));
    EXPECT_EQ(f->mpBack->Mode(), MediaMode::Playing);
    EXPECT_TRUE(f->mpBack->notify());
}

TEST_F(Music, AMissingTrackIsReportedThenTheMusicStaysSilent)
{
    auto f = open({200, 200});
    ASSERT_TRUE(QFile::remove(env.tempDir() + "fscreen1.wav"));
    // The music player's refusal leaves the handler and reaches the application's report.
    QTRY_VERIFY_WITH_TIMEOUT(env.messages.calls.size() >= 2, 30000);
    EXPECT_EQ(env.messages.calls[0].text, "load music error");
    EXPECT_EQ(env.messages.calls[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(f->MusicIndex, 1);
    EXPECT_NE(f->mpBack->Mode(), MediaMode::Playing);
    EXPECT_FALSE(f->mpBack->notify()) << "no further notification is asked for";
}

TEST_F(Music, NoMusicIgnoresNotifications)
{
    auto f = open({});
    EXPECT_EQ(f->MusicCount, 0);
    f->mpBack->setNotify(false);
    f->mpBackNotify();
    EXPECT_EQ(f->MusicIndex, 0);
    EXPECT_FALSE(f->mpBack->notify());
    EXPECT_TRUE(env.messages.calls.empty());
}

class Flash : public ::testing::Test {
protected:
    // Movies at 1/256 frame per second: the current frame stays 0 through a test.
    static QByteArray still(int frames) { return Swf(frames, 1.0 / 256.0); }
    std::unique_ptr<TForm1> open(const QList<QByteArray> &movies, int quitMode = 3)
    {
        auto f = std::make_unique<TForm1>(FlashPackage(env.dir(), movies, quitMode));
        f->SlidingTimer->stop();
        return f;
    }
    static QString movie(TForm1 &f) { return f.FlashPlayer->movie().section('/', -1); }
    RuntimeEnv env;
};

TEST_F(Flash, MovieSwitchesWhenItsLastTwentyFramesAreReached)
{
    struct Case {
        int frames;
        bool switches;
    };
    // frame count - 20 > current frame (0) keeps the movie.
    const Case cases[] = {{15, true}, {20, true}, {21, false}, {1000, false}};
    for (const Case &c : cases) {
        auto f = open({still(c.frames), still(c.frames)});
        ASSERT_EQ(f->SaverKind, "flash");
        ASSERT_EQ(movie(*f), "fscreen0.swf");
        ASSERT_EQ(f->NextItem, 1);
        ASSERT_EQ(f->FlashPlayer->CurrentFrame(), 0);
        f->SlidingTimerTimer();
        EXPECT_EQ(movie(*f), c.switches ? "fscreen1.swf" : "fscreen0.swf") << c.frames;
        EXPECT_EQ(f->NextItem, c.switches ? 0 : 1) << c.frames;
    }
}

TEST_F(Flash, ShortMoviesSwitchAtEveryTickInPackageOrder)
{
    auto f = open({still(15), still(15), still(15)});
    QStringList order;
    for (int i = 0; i < 5; ++i) {
        f->SlidingTimerTimer();
        order << movie(*f);
    }
    EXPECT_EQ(order, QStringList({"fscreen1.swf", "fscreen2.swf", "fscreen0.swf", "fscreen1.swf",
                                  "fscreen2.swf"}));
}

TEST_F(Flash, ASingleMovieIsReloadedFromItsFile)
{
    auto f = open({still(15)});
    EXPECT_EQ(f->NextItem, 0);
    // Replace the extracted movie: the reload shows the file as it is now.
    ASSERT_TRUE(testmedia::WriteFile(env.tempDir() + "fscreen0.swf", still(1000)));
    EXPECT_EQ(f->FlashPlayer->FrameCount(), 15);
    f->SlidingTimerTimer();
    EXPECT_EQ(f->FlashPlayer->FrameCount(), 1000);
    EXPECT_TRUE(f->FlashPlayer->isPlaying());
    EXPECT_EQ(f->NextItem, 0);
}

TEST_F(Flash, AnUnplayableMovieMovesOnAtTheNextTick)
{
    auto f = open({QByteArray("garbage, not a movie"), still(1000)});
    EXPECT_EQ(f->FlashPlayer->FrameCount(), 0);
    f->SlidingTimerTimer();
    EXPECT_EQ(movie(*f), "fscreen1.swf");
    f->SlidingTimerTimer();
    EXPECT_EQ(movie(*f), "fscreen1.swf");
}

TEST_F(Flash, PlayerCoversTheScreenOnlyInFlashPackages)
{
    {
        auto f = open({still(1000)});
        f->showCoveringScreen();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(f.get()));
        EXPECT_TRUE(f->FlashPlayer->isVisible());
        EXPECT_EQ(f->FlashPlayer->geometry(), QRect(QPoint(0, 0), f->screen()->size()));
        EXPECT_EQ(f->FlashPlayer->grab().toImage().pixelColor(10, 10), QColor(Qt::blue));
    }
    PictureOptions o;
    TForm1 p(PicturePackage(env.dir(), {Jpeg({8, 8}, Qt::red)}, o));
    p.SlidingTimer->stop();
    p.showCoveringScreen();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&p));
    EXPECT_FALSE(p.FlashPlayer->isVisible());
    EXPECT_EQ(p.FlashPlayer->size(), p.screen()->size()) << "sized all the same, while hidden";
}

} // namespace
