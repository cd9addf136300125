// The Flash control: movies written here (uncompressed and zlib-compressed), what it
// reads from them, how its frame clock runs, what it paints, and how it takes clicks.
#include "media/FlashPlayer.h"
#include "tests/support/TestMedia.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <set>
#include <sys/stat.h>

namespace {

using namespace testmedia;
using Movie = SwfMovie;

class FlashPlayerTest : public ::testing::Test {
protected:
    QString write(const char *name, const QByteArray &bytes) {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(WriteFile(path, bytes));
        return path;
    }
    QTemporaryDir dir;
};

TEST_F(FlashPlayerTest, ReadsTheHeaderOfBothKindsOfMovie) {
    Movie red;
    red.tagsBeforeFrame = SwfBackground(255, 0, 0);
    Movie redPacked = red;
    redPacked.signature = "CWS";
    // A big first tag in long form, then the colour; an odd frame rate and stage.
    Movie later;
    later.signature = "CWS";
    later.width = 800;
    later.height = 601;
    later.rate88 = (24 << 8) | 0x80; // 24.5
    later.frames = 300;
    later.tagsBeforeFrame = SwfTag(69, Le32(0)) + SwfTag(77, QByteArray(5000, 'm'), true) + SwfBackground(0, 128, 255);
    Movie plain; // no colour tag: white
    plain.rate88 = 30 << 8;
    plain.frames = 1;

    struct Case {
        const char *name;
        Movie movie;
        int frames;
        double rate;
        QColor colour;
        QSize stage;
    };
    const Case cases[] = {
        {"red.swf", red, 15, 12.0, QColor(255, 0, 0), QSize(550, 400)},
        {"red-packed.swf", redPacked, 15, 12.0, QColor(255, 0, 0), QSize(550, 400)},
        {"later.swf", later, 300, 24.5, QColor(0, 128, 255), QSize(800, 601)},
        {"plain.swf", plain, 1, 30.0, QColor(Qt::white), QSize(550, 400)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FlashPlayer player;
        player.setMovie(write(c.name, Swf(c.movie)));
        ASSERT_TRUE(player.hasMovie());
        EXPECT_EQ(player.FrameCount(), c.frames);
        EXPECT_EQ(player.TotalFrames(), c.frames);
        EXPECT_DOUBLE_EQ(player.FrameRate(), c.rate);
        EXPECT_EQ(player.BackgroundColor(), c.colour);
        EXPECT_EQ(player.stageSize(), c.stage);
        EXPECT_EQ(player.CurrentFrame(), 0);
        EXPECT_FALSE(player.isPlaying());
    }
}

TEST_F(FlashPlayerTest, WhatIsNoMovieGivesNoFramesAndNoError) {
    Movie good;
    good.tagsBeforeFrame = SwfBackground(255, 0, 0);
    const QByteArray fws = Swf(good);
    Movie packedMovie = good;
    packedMovie.signature = "CWS";
    const QByteArray cws = Swf(packedMovie);
    QByteArray zws = fws;
    zws[0] = 'Z';
    QByteArray badZlib = cws;
    for (int i = 12; i < badZlib.size(); ++i) badZlib[i] = char(0xA5 ^ i);

    struct Case {
        const char *name;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"truncated.swf", fws.left(fws.size() - 5)},
        {"truncated-header.swf", fws.left(10)},
        {"truncated-packed.swf", cws.left(cws.size() - 6)},
        {"bad-zlib.swf", badZlib},
        {"lzma.swf", zws},
        {"garbage.swf", QByteArray("GIF89a this is not a movie at all, only some bytes")},
        {"empty.swf", QByteArray()},
        {"short-length.swf", QByteArray("FWS\x0a\x04\0\0\0", 8)},
    };
    FlashPlayer player;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        player.setMovie(write(c.name, Swf(good))); // something playing before
        player.Play();
        ASSERT_TRUE(player.hasMovie());
        EXPECT_NO_THROW(player.setMovie(write(c.name, c.bytes)));
        EXPECT_FALSE(player.hasMovie());
        EXPECT_EQ(player.FrameCount(), 0);
        EXPECT_NO_THROW(player.Play());
        EXPECT_EQ(player.CurrentFrame(), 0);
        EXPECT_FALSE(player.isPlaying());
    }
    // The creator's name for "no movie", a folder, a pipe (never read: it would wait).
    const QString fifo = dir.filePath("pipe.swf");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString &path : {QString("noswf"), dir.path(), QString(), fifo}) {
        EXPECT_NO_THROW(player.setMovie(path));
        EXPECT_EQ(player.FrameCount(), 0);
        EXPECT_EQ(player.movie(), path);
    }
}

TEST_F(FlashPlayerTest, CurrentFrameAdvancesAtTheFrameRateAndLoops) {
    Movie fast; // 15 frames at 40 fps: the whole movie in 0.375 s
    fast.rate88 = 40 << 8;
    FlashPlayer player;
    player.setMovie(write("fast.swf", Swf(fast)));
    EXPECT_EQ(player.CurrentFrame(), 0);
    QTest::qWait(100);
    EXPECT_EQ(player.CurrentFrame(), 0); // the clock starts with Play, not with the movie
    player.Play();
    EXPECT_TRUE(player.isPlaying());

    std::set<int> seen;
    bool wrapped = false;
    int last = 0;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const int f = player.CurrentFrame();
            EXPECT_GE(f, 0);
            EXPECT_LT(f, 15);
            if (f < last) wrapped = true;
            last = f;
            seen.insert(f);
            return wrapped && seen.size() >= 5;
        },
        10000));

    // Without looping it holds the last frame.
    player.setLoop(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return player.CurrentFrame() == 14; }, 10000));
    QTest::qWait(450);
    EXPECT_EQ(player.CurrentFrame(), 14);

    // Stop keeps the frame; a new movie goes back to frame 0 and waits for Play.
    player.Stop();
    EXPECT_EQ(player.CurrentFrame(), 14);
    player.setMovie(write("fast2.swf", Swf(fast)));
    EXPECT_EQ(player.CurrentFrame(), 0);
    EXPECT_FALSE(player.isPlaying());
}

TEST_F(FlashPlayerTest, PaintsTheStageColourOrNothing) {
    QWidget host;
    host.resize(80, 60);
    host.setAutoFillBackground(true);
    QPalette pal = host.palette();
    pal.setColor(QPalette::Window, Qt::blue);
    host.setPalette(pal);
    auto *player = new FlashPlayer(&host);
    player->setGeometry(10, 10, 40, 30);
    Movie red;
    red.tagsBeforeFrame = SwfBackground(255, 0, 0);
    red.signature = "CWS";
    player->setMovie(write("red.swf", Swf(red)));
    player->Play();
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));

    auto colourAt = [&](int x, int y) { return host.grab().toImage().pixelColor(x, y); };
    EXPECT_EQ(colourAt(10, 10), QColor(Qt::red));
    EXPECT_EQ(colourAt(49, 39), QColor(Qt::red));
    EXPECT_EQ(colourAt(50, 40), QColor(Qt::blue));
    EXPECT_EQ(colourAt(5, 5), QColor(Qt::blue));

    // The stage covers whatever rectangle it is given.
    player->setGeometry(0, 0, 80, 60);
    player->repaint();
    EXPECT_EQ(colourAt(79, 59), QColor(Qt::red));

    // 0 x 0 shows nothing.
    player->resize(0, 0);
    EXPECT_EQ(colourAt(0, 0), QColor(Qt::blue));

    // No movie: the window beneath shows through.
    player->resize(80, 60);
    player->setMovie("noswf");
    player->repaint();
    EXPECT_EQ(colourAt(40, 30), QColor(Qt::blue));
}

// Counts the mouse presses and releases that pass the application's event filter.
struct MouseFilter : QObject {
    int seen = 0;
    bool eventFilter(QObject *, QEvent *e) override {
        if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonRelease) ++seen;
        return false;
    }
};

TEST_F(FlashPlayerTest, ClickSentStraightToItIsTakenAsAClick) {
    QWidget host;
    host.resize(200, 150);
    auto *player = new FlashPlayer(&host);
    player->setGeometry(0, 0, 200, 150);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));

    MouseFilter filter;
    qApp->installEventFilter(&filter);
    std::vector<QPoint> clicks;
    QObject::connect(player, &FlashPlayer::movieClicked, [&](const QPoint &p) { clicks.push_back(p); });

    // Sent straight to the control: a click, unseen by the application's filter, even
    // before the control has a size.
    player->click();
    EXPECT_EQ(player->clickCount(), 1);
    EXPECT_EQ(filter.seen, 0);
    player->resize(0, 0);
    player->click(QPoint(0, 0));
    EXPECT_EQ(player->clickCount(), 2);
    EXPECT_EQ(filter.seen, 0);
    player->resize(200, 150);

    // A real click passes the filter and is taken the same way; a right click is not a
    // click on the movie and opens nothing.
    QTest::mouseClick(player, Qt::LeftButton, Qt::NoModifier, QPoint(30, 40));
    EXPECT_EQ(player->clickCount(), 3);
    EXPECT_GT(filter.seen, 0);
    QTest::mouseClick(player, Qt::RightButton, Qt::NoModifier, QPoint(30, 40));
    EXPECT_EQ(player->clickCount(), 3);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    qApp->removeEventFilter(&filter);

    ASSERT_EQ(clicks.size(), 3u);
    EXPECT_EQ(clicks[0], QPoint(0, 0));
    EXPECT_EQ(clicks[2], QPoint(30, 40));
}

} // namespace
