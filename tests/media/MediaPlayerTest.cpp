// The music player against real SDL2_mixer output (dummy audio driver: the mixer runs
// in real time but writes nowhere). Short files are made here: WAV and MP3 by sox, MIDI
// written byte by byte. What the mixer really produced is read through its post-mix hook.
#include "media/MediaPlayer.h"
#include "media/MidiLength.h"
#include "tests/support/TestMedia.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <vector>
#include <sys/stat.h>

namespace {

// Loudest sample the mixer has produced since the last reset.
std::atomic<int> g_peak{0};

void measurePeak(void *, Uint8 *stream, int len) {
    const auto *samples = reinterpret_cast<const Sint16 *>(stream);
    int peak = g_peak.load();
    for (int i = 0; i < len / 2; ++i) peak = std::max(peak, std::abs(int(samples[i])));
    g_peak.store(peak);
}

QByteArray vlq(quint32 v) {
    QByteArray out;
    out.prepend(char(v & 0x7F));
    while (v >>= 7) out.prepend(char((v & 0x7F) | 0x80));
    return out;
}

QByteArray be(quint32 v, int bytes) {
    QByteArray out;
    for (int i = bytes - 1; i >= 0; --i) out.append(char((v >> (8 * i)) & 0xFF));
    return out;
}

QByteArray chunk(const char *id, const QByteArray &body) {
    return QByteArray(id, 4) + be(quint32(body.size()), 4) + body;
}

QByteArray smf(int format, quint16 division, const std::vector<QByteArray> &tracks) {
    QByteArray out = chunk("MThd", be(format, 2) + be(quint32(tracks.size()), 2) + be(division, 2));
    for (const QByteArray &t : tracks) out += chunk("MTrk", t);
    return out;
}

QByteArray tempo(quint32 delta, quint32 usPerQuarter) {
    return vlq(delta) + QByteArray("\xFF\x51\x03", 3) + be(usPerQuarter, 3);
}
QByteArray endOfTrack(quint32 delta = 0) { return vlq(delta) + QByteArray("\xFF\x2F\x00", 3); }

// One piano note of `ticks` at 480 ticks per quarter and 120 beats a minute.
QByteArray oneNoteMidi(quint32 ticks) {
    QByteArray track = tempo(0, 500000);
    track += vlq(0) + QByteArray("\xC0\x00", 2);           // program change: piano
    track += vlq(0) + QByteArray("\x90\x3C\x64", 3);       // note on, middle C
    track += vlq(ticks) + QByteArray("\x80\x3C\x00", 3);   // note off
    track += endOfTrack();
    return smf(0, 480, {track});
}

using testmedia::WriteFile;

// Waits for a condition while the event loop runs (the timeout only bounds a failure).
template <class F> bool waitFor(F condition, int timeoutMs = 15000) {
    return QTest::qWaitFor(condition, timeoutMs);
}

struct Recorder {
    std::vector<MediaNotifyValue> values;
    std::vector<bool> onGuiThread;
    void attach(MediaPlayer &player) {
        QObject::connect(&player, &MediaPlayer::OnNotify, [this](MediaPlayer *sender) {
            values.push_back(sender->notifyValue());
            onGuiThread.push_back(QThread::currentThread() == qApp->thread());
        });
    }
};

class MediaPlayerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new QTemporaryDir;
        ASSERT_TRUE(dir->isValid());
        // 0.4 s tones; sox and its MP3 format are part of the project's setup.
        for (const char *name : {"tone.wav", "tone.mp3"}) {
            const int rc = QProcess::execute(
                "sox", {"-n", "-r", "44100", "-c", "2", dir->filePath(name), "synth", "0.4", "sine", "440"});
            ASSERT_EQ(rc, 0) << "sox could not write " << name;
        }
        ASSERT_TRUE(WriteFile(dir->filePath("note.mid"), oneNoteMidi(480)));
        ASSERT_TRUE(WriteFile(dir->filePath("garbage.wav"), QByteArray(3000, '\x5A')));
        ASSERT_TRUE(WriteFile(dir->filePath("garbage.mp3"), QByteArray("this is plain text, not sound\n").repeated(60)));
        ASSERT_TRUE(WriteFile(dir->filePath("garbage.mid"), QByteArray(2000, '\x11')));
        ASSERT_TRUE(WriteFile(dir->filePath("empty.wav"), QByteArray()));
        ASSERT_EQ(mkfifo(QFile::encodeName(dir->filePath("pipe.wav")).constData(), 0600), 0);
        ASSERT_TRUE(QDir(dir->path()).mkdir("folder.mid"));
    }
    static void TearDownTestSuite() {
        delete dir;
        dir = nullptr;
    }
    void TearDown() override {
        QTest::qWait(10); // let queued calls of a finished test go
    }
    static QString path(const char *name) { return dir->filePath(name); }

    static QTemporaryDir *dir;
};
QTemporaryDir *MediaPlayerTest::dir = nullptr;

TEST_F(MediaPlayerTest, EachKindOpensByItsExtensionAndSounds) {
    struct Case {
        const char *file;
        MediaDevice device;
        qint64 minLength, maxLength;
    };
    // MP3 encoders pad the stream, so its length is a little over the tone's.
    const Case cases[] = {
        {"tone.wav", MediaDevice::Wave, 400, 400},
        {"tone.mp3", MediaDevice::Mp3, 400, 480},
        {"note.mid", MediaDevice::Midi, 500, 500},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        MediaPlayer player;
        EXPECT_EQ(player.Mode(), MediaMode::NotOpen);
        player.setFileName(path(c.file));
        ASSERT_NO_THROW(player.Open());
        Mix_SetPostMix(measurePeak, nullptr);
        EXPECT_EQ(player.deviceType(), c.device);
        EXPECT_EQ(player.Mode(), MediaMode::Stopped);
        EXPECT_EQ(player.Position(), 0);
        EXPECT_GE(player.Length(), c.minLength);
        EXPECT_LE(player.Length(), c.maxLength);

        g_peak = 0;
        player.Play();
        EXPECT_EQ(player.error(), 0);
        EXPECT_EQ(player.Mode(), MediaMode::Playing);
        // Sound really comes out of the mixer (for MIDI: the soundfont's piano).
        EXPECT_TRUE(waitFor([] { return g_peak.load() > 1000; })) << "peak " << g_peak.load();
        EXPECT_TRUE(waitFor([&] { return player.Mode() == MediaMode::Stopped; }));
        EXPECT_EQ(player.Position(), player.Length());
        player.Close();
        EXPECT_EQ(player.Mode(), MediaMode::NotOpen);
    }
}

TEST_F(MediaPlayerTest, MidiUsesTheInstalledSoundfont) {
    MediaPlayer player;
    player.setFileName(path("note.mid"));
    player.Open();
    const QString font = MediaPlayer::soundFont();
    ASSERT_FALSE(font.isEmpty());
    EXPECT_TRUE(QFileInfo(font).isFile()) << font.toStdString();

    // The end comes after FluidSynth's release tail; until then the position stays
    // short of the length, and at the end they meet.
    Recorder rec;
    rec.attach(player);
    player.setNotify(true);
    player.Play();
    ASSERT_TRUE(waitFor([&] { return player.Position() >= 499; }));
    if (player.Mode() == MediaMode::Playing) {
        EXPECT_LT(player.Position(), player.Length());
    }
    ASSERT_TRUE(waitFor([&] { return !rec.values.empty(); }));
    EXPECT_EQ(rec.values, std::vector<MediaNotifyValue>{MediaNotifyValue::Successful});
    EXPECT_EQ(player.Mode(), MediaMode::Stopped);
    EXPECT_EQ(player.Position(), 500);
    EXPECT_EQ(player.Length(), 500);
}

TEST_F(MediaPlayerTest, EndOfAPlayIsNotifiedOnceOnTheGuiThread) {
    // The flag set before Play, and the flag set while the play already runs (which is
    // how the full-screen window asks for the end of the first track).
    for (bool flagBeforePlay : {true, false}) {
        SCOPED_TRACE(flagBeforePlay ? "flag before Play" : "flag while playing");
        MediaPlayer player;
        Recorder rec;
        rec.attach(player);
        player.setFileName(path("tone.wav"));
        player.Open();
        if (flagBeforePlay) player.setNotify(true);
        player.Play();
        if (!flagBeforePlay) player.setNotify(true);
        EXPECT_FALSE(player.notify()); // taken by the play

        ASSERT_TRUE(waitFor([&] { return !rec.values.empty(); }));
        QTest::qWait(300);
        ASSERT_EQ(rec.values.size(), 1u);
        EXPECT_EQ(rec.values[0], MediaNotifyValue::Successful);
        EXPECT_TRUE(rec.onGuiThread[0]);
        EXPECT_EQ(player.Mode(), MediaMode::Stopped);
        EXPECT_EQ(player.Position(), player.Length());
        EXPECT_EQ(player.Length(), 400);
    }
}

TEST_F(MediaPlayerTest, ATrackLoopsWhenEachReportReopensIt) {
    // The background-music pattern: open and play, then ask for the end; each report
    // that finds the track over opens and plays it again and asks again.
    MediaPlayer player;
    int starts = 0, reports = 0, stillPlaying = 0;
    QObject::connect(&player, &MediaPlayer::OnNotify, [&](MediaPlayer *p) {
        ++reports;
        if (p->Mode() == MediaMode::Stopped || p->Position() == p->Length()) {
            p->setFileName(path(starts % 2 ? "tone.wav" : "tone.mp3"));
            p->Open();
            p->Play();
            ++starts;
        } else {
            ++stillPlaying;
        }
        p->setNotify(true);
    });
    player.setFileName(path("tone.wav"));
    player.Open();
    player.Play();
    player.setNotify(true);
    ASSERT_TRUE(waitFor([&] { return starts >= 3; }));
    EXPECT_EQ(stillPlaying, 0);
    EXPECT_EQ(reports, starts);
    EXPECT_EQ(player.Mode(), MediaMode::Playing);
}

TEST_F(MediaPlayerTest, NoNotificationWithoutTheFlag) {
    MediaPlayer player;
    Recorder rec;
    rec.attach(player);
    player.setFileName(path("tone.wav"));
    player.Open();
    player.Play();
    player.Play();
    ASSERT_TRUE(waitFor([&] { return player.Mode() == MediaMode::Stopped; }));
    QTest::qWait(200);
    player.Close();
    QTest::qWait(50);
    EXPECT_TRUE(rec.values.empty());
}

TEST_F(MediaPlayerTest, PlayAgainRestartsFromTheBeginning) {
    MediaPlayer player;
    Recorder rec;
    rec.attach(player);
    player.setFileName(path("tone.mp3"));
    player.Open();
    player.setNotify(true);
    player.Play();
    ASSERT_TRUE(waitFor([&] { return player.Position() >= 200; }));
    const qint64 before = player.Position();
    player.setNotify(true); // now a flag for the next command: the play below
    player.Play();
    EXPECT_LT(player.Position(), before);
    EXPECT_EQ(player.Mode(), MediaMode::Playing);
    ASSERT_TRUE(waitFor([&] { return rec.values.size() == 2; }));
    EXPECT_EQ(rec.values[0], MediaNotifyValue::Superseded);
    EXPECT_EQ(rec.values[1], MediaNotifyValue::Successful);
    EXPECT_EQ(player.Position(), player.Length());
}

TEST_F(MediaPlayerTest, CloseWhilePlayingStopsTheSound) {
    MediaPlayer player;
    Recorder rec;
    rec.attach(player);
    player.setFileName(path("tone.wav"));
    player.Open();
    player.setNotify(true);
    player.Play();
    ASSERT_EQ(player.Mode(), MediaMode::Playing);
    player.Close();
    EXPECT_EQ(player.Mode(), MediaMode::NotOpen);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    EXPECT_EQ(player.Position(), 0);
    ASSERT_TRUE(waitFor([&] { return !rec.values.empty(); }));
    QTest::qWait(500); // past the tone's natural end: nothing more comes
    EXPECT_EQ(rec.values, std::vector<MediaNotifyValue>{MediaNotifyValue::Aborted});
    player.Close(); // closing again does nothing
    EXPECT_EQ(player.Mode(), MediaMode::NotOpen);
}

TEST_F(MediaPlayerTest, DestroyingThePlayerStopsTheSound) {
    {
        MediaPlayer player;
        player.setFileName(path("tone.wav"));
        player.Open();
        player.Play();
        ASSERT_NE(Mix_PlayingMusic(), 0);
    }
    EXPECT_EQ(Mix_PlayingMusic(), 0);
}

TEST_F(MediaPlayerTest, OpenRefusalRaisesTheMediaSystemsText) {
    struct Case {
        const char *file;
        const char *textPart; // what the media system's message names
    };
    const Case cases[] = {
        {"missing.wav", "missing.wav"},  // SDL: "Couldn't open <path>"
        {"garbage.wav", ""},
        {"garbage.mp3", ""},
        {"garbage.mid", "garbage.mid"},
        {"empty.wav", ""},
        {"pipe.wav", "pipe.wav"},        // never opened for reading: it would wait
        {"folder.mid", "folder.mid"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        MediaPlayer player;
        // A track that plays is closed by the Open that fails.
        player.setFileName(path("tone.wav"));
        player.Open();
        player.Play();
        player.setFileName(path(c.file));
        try {
            player.Open();
            ADD_FAILURE() << "Open did not raise";
        } catch (const MediaError &e) {
            const std::string text = e.what();
            EXPECT_FALSE(text.empty());
            EXPECT_NE(text.find(c.textPart), std::string::npos) << text;
            EXPECT_EQ(player.errorMessage().toStdString(), text);
        }
        EXPECT_EQ(player.Mode(), MediaMode::NotOpen);
        EXPECT_EQ(Mix_PlayingMusic(), 0);
        EXPECT_NE(player.error(), 0);
    }
}

TEST_F(MediaPlayerTest, RefusedPlayKeepsItsErrorAndRaisesNothing) {
    MediaPlayer player;
    Recorder rec;
    rec.attach(player);
    player.setNotify(true);
    EXPECT_NO_THROW(player.Play()); // nothing open
    EXPECT_NE(player.error(), 0);
    EXPECT_FALSE(player.errorMessage().isEmpty());
    EXPECT_EQ(player.Mode(), MediaMode::NotOpen);
    ASSERT_TRUE(waitFor([&] { return !rec.values.empty(); }));
    EXPECT_EQ(rec.values, std::vector<MediaNotifyValue>{MediaNotifyValue::Failure});

    // A later successful command clears it.
    player.setFileName(path("tone.wav"));
    player.Open();
    player.Play();
    EXPECT_EQ(player.error(), 0);
    player.Close();
}

TEST_F(MediaPlayerTest, OpenAndCloseSentWithTheFlagAreReportedToo) {
    MediaPlayer player;
    Recorder rec;
    rec.attach(player);
    player.setFileName(path("tone.wav"));
    player.setNotify(true);
    player.Open();
    EXPECT_FALSE(player.notify());
    player.Play(); // no flag: not reported
    ASSERT_TRUE(waitFor([&] { return rec.values.size() == 1; }));
    EXPECT_EQ(rec.values[0], MediaNotifyValue::Successful);
    // Close sent with the flag once the play is over.
    ASSERT_TRUE(waitFor([&] { return player.Mode() == MediaMode::Stopped; }));
    player.setNotify(true);
    player.Close();
    ASSERT_TRUE(waitFor([&] { return rec.values.size() == 2; }));
    EXPECT_EQ(rec.values[1], MediaNotifyValue::Successful);
    QTest::qWait(50);
    EXPECT_EQ(rec.values.size(), 2u);

    player.setNotify(true);
    player.setFileName(path("missing.wav"));
    EXPECT_THROW(player.Open(), MediaError);
    ASSERT_TRUE(waitFor([&] { return rec.values.size() == 3; }));
    EXPECT_EQ(rec.values[2], MediaNotifyValue::Failure);
}

TEST_F(MediaPlayerTest, APlayOnAnotherPlayerSupersedesTheMusic) {
    // The process has one music stream: the creator's preview and any other player share it.
    MediaPlayer first, second;
    Recorder rec;
    rec.attach(first);
    first.setFileName(path("tone.wav"));
    second.setFileName(path("tone.mp3"));
    first.Open();
    second.Open();
    first.setNotify(true);
    first.Play();
    second.Play();
    EXPECT_EQ(first.Mode(), MediaMode::Stopped);
    EXPECT_EQ(second.Mode(), MediaMode::Playing);
    EXPECT_LT(first.Position(), first.Length());
    ASSERT_TRUE(waitFor([&] { return !rec.values.empty(); }));
    EXPECT_EQ(rec.values, std::vector<MediaNotifyValue>{MediaNotifyValue::Superseded});
    // Closing the first does not stop the second's music.
    first.Close();
    EXPECT_EQ(second.Mode(), MediaMode::Playing);
}

TEST_F(MediaPlayerTest, DeviceIsChosenFromTheExtension) {
    EXPECT_EQ(MediaPlayer::deviceFor("/a/b/track.MID"), MediaDevice::Midi);
    EXPECT_EQ(MediaPlayer::deviceFor("/a/b/track.mp3"), MediaDevice::Mp3);
    EXPECT_EQ(MediaPlayer::deviceFor("C:/x/fscreen0.Wav"), MediaDevice::Wave);
    EXPECT_EQ(MediaPlayer::deviceFor("/a/track.ogg"), MediaDevice::Other);
    EXPECT_EQ(MediaPlayer::deviceFor("/a/fscreen3"), MediaDevice::Other);
}

TEST_F(MediaPlayerTest, ContentOfAnotherKindThanTheNameStillPlays) {
    // A ".midi" file is stored by the creator under the MP3 kind, so the runtime finds
    // MIDI bytes in a file named ".mp3".
    ASSERT_TRUE(QFile::copy(path("note.mid"), path("midi-inside.mp3")));
    MediaPlayer player;
    player.setFileName(path("midi-inside.mp3"));
    ASSERT_NO_THROW(player.Open());
    EXPECT_EQ(player.Length(), 500);
    player.Play();
    EXPECT_EQ(player.Mode(), MediaMode::Playing);
    player.Close();
}

// Run in a child process: the audio output is opened once per process.
TEST(MediaPlayerNoAudio, OpenWithoutAnAudioDeviceRaises) {
    if (qEnvironmentVariableIsSet("NUVIRA_MEDIA_CHILD")) {
        QTemporaryDir dir;
        const QString file = dir.filePath("note.mid");
        ASSERT_TRUE(WriteFile(file, oneNoteMidi(480)));
        MediaPlayer player;
        player.setFileName(file);
        try {
            player.Open();
            ADD_FAILURE() << "Open did not raise";
        } catch (const MediaError &e) {
            std::printf("ERROR-TEXT[%s]\n", e.what());
        }
        EXPECT_EQ(player.Mode(), MediaMode::NotOpen);
        player.Play(); // kept inside, nothing raised
        EXPECT_NE(player.error(), 0);
        return;
    }
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("NUVIRA_MEDIA_CHILD", "1");
    env.insert("SDL_AUDIODRIVER", "no-such-driver");
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_filter=MediaPlayerNoAudio.OpenWithoutAnAudioDeviceRaises"});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QString out = QString::fromUtf8(child.readAllStandardOutput());
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains("ERROR-TEXT[No audio device: ")) << out.toStdString();
}

// ---- MIDI length, worked out from the file ----

TEST(MidiLength, FollowsTheTempoMapAndTheLongestTrack) {
    struct Case {
        const char *name;
        QByteArray bytes;
        std::int64_t ms;
    };
    // Format 1: tempo track doubles the speed after one quarter; the note track runs
    // 4 quarters: 500 ms + 3 * 250 ms.
    const QByteArray tempoTrack = tempo(0, 500000) + tempo(480, 250000) + endOfTrack();
    const QByteArray noteTrack = vlq(0) + QByteArray("\x90\x40\x50", 3) + vlq(1920) +
                                 QByteArray("\x80\x40\x00", 3) + endOfTrack();
    // Running status (note on, note on with velocity 0), a sysex and a text meta event.
    const QByteArray running = vlq(0) + QByteArray("\xF0\x03\x7E\x7F\xF7", 5) + vlq(0) +
                               QByteArray("\xFF\x01\x02hi", 5) + vlq(0) +
                               QByteArray("\x91\x40\x50", 3) + vlq(240) + QByteArray("\x40\x00", 2) +
                               vlq(240) + QByteArray("\x41\x50", 2) + vlq(480) +
                               QByteArray("\x41\x00", 2) + endOfTrack();
    // SMPTE: 25 frames a second, 40 ticks a frame: 1000 ticks a second.
    const QByteArray smpteTrack = vlq(0) + QByteArray("\x90\x40\x50", 3) + vlq(1500) +
                                  QByteArray("\x80\x40\x00", 3) + endOfTrack();
    QByteArray smpte = smf(0, 0, {smpteTrack});
    smpte[12] = char(0xE7); // -25
    smpte[13] = char(40);
    const QByteArray plain = oneNoteMidi(960);
    QByteArray rmid = "RIFF" + QByteArray(4, '\0') + "RMID" + "data";
    rmid += char(plain.size() & 0xFF);
    rmid += char((plain.size() >> 8) & 0xFF);
    rmid += QByteArray(2, '\0');
    rmid += plain;
    QByteArray cut = oneNoteMidi(960);
    cut.chop(4); // end-of-track lost: the note off is still there

    const Case cases[] = {
        {"one note", oneNoteMidi(480), 500},
        {"format 1 tempo change", smf(1, 480, {tempoTrack, noteTrack}), 1250},
        {"running status", smf(0, 480, {running}), 1000},
        {"smpte division", smpte, 1500},
        {"rmid wrapper", rmid, 1000},
        {"cut short", cut, 1000},
        {"trailing silence counts", smf(0, 480, {tempo(0, 500000) + endOfTrack(960)}), 1000},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto ms = midiLengthMs(c.bytes);
        ASSERT_TRUE(ms.has_value());
        EXPECT_EQ(*ms, c.ms);
    }
}

TEST(MidiLength, RejectsWhatIsNoMidiFile) {
    for (const QByteArray &bytes : {QByteArray(), QByteArray("MThd"), QByteArray(100, 'x'),
                                    QByteArray("MThd\0\0\0\x06\0\0\0\x01\0\0", 14)}) {
        EXPECT_FALSE(midiLengthMs(bytes).has_value()) << bytes.toHex().toStdString();
    }
}

} // namespace
