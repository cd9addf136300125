#include "media/MediaPlayer.h"

#include "media/MidiLength.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QStringList>

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <vector>

// The process has one music stream (SDL_mixer's) and one audio output, opened on the
// first Open. MusicChannel owns both, knows which player's music plays, and turns
// SDL_mixer's music-finished callback (which runs on the audio thread, or inside
// Mix_HaltMusic) into a queued call on the GUI thread.
class MusicChannel : public QObject {
public:
    static MusicChannel &instance() {
        // Never destroyed: the audio thread may still post to it while the process ends.
        static MusicChannel *channel = new MusicChannel;
        return *channel;
    }

    void openAudio() {
        if (m_open) return;
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
            throw MediaError(std::string("No audio device: ") + SDL_GetError());
        Mix_Init(MIX_INIT_MID | MIX_INIT_MP3);
        if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 2048) != 0) {
            const std::string text = std::string("No audio device: ") + Mix_GetError();
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            throw MediaError(text);
        }
        chooseSoundFont();
        Mix_HookMusicFinished(&MusicChannel::musicFinished);
        m_open = true;
        if (QCoreApplication::instance()) qAddPostRoutine(&MusicChannel::shutdown);
    }

    MediaPlayer *owner() const { return m_owner; }
    std::uint64_t generation() const { return m_generation.load(); }

    // Starts music for a player; the player that played before loses the stream.
    bool start(MediaPlayer *player, Mix_Music *music) {
        if (m_owner && m_owner != player) {
            MediaPlayer *previous = m_owner;
            previous->channelFinished(previous->reachedEnd() ? MediaNotifyValue::Successful
                                                             : MediaNotifyValue::Superseded);
            halt();
        } else if (m_owner) {
            halt();
        }
        ++m_generation;
        if (Mix_PlayMusic(music, 0) != 0) return false;
        m_owner = player;
        return true;
    }

    // Stops the music; the finished callback that halting raises is left stale.
    void halt() {
        if (!m_open) return;
        Mix_HaltMusic();
        ++m_generation;
        m_owner = nullptr;
    }

    void forget(MediaPlayer *player) {
        if (m_owner == player) halt();
    }

    bool musicPlaying() const { return m_open && Mix_PlayingMusic() != 0; }

    QString soundFont() const { return m_soundFont; }

private:
    static void musicFinished() {
        MusicChannel *self = &instance();
        const std::uint64_t generation = self->m_generation.load();
        QMetaObject::invokeMethod(
            self, [self, generation] { self->finished(generation); }, Qt::QueuedConnection);
    }

    void finished(std::uint64_t generation) {
        if (generation != m_generation.load() || !m_owner || musicPlaying()) return;
        MediaPlayer *player = m_owner;
        m_owner = nullptr;
        ++m_generation;
        player->channelFinished(MediaNotifyValue::Successful);
    }

    static void shutdown() {
        MusicChannel &self = instance();
        if (!self.m_open) return;
        Mix_HookMusicFinished(nullptr);
        Mix_HaltMusic();
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        self.m_open = false;
        self.m_owner = nullptr;
    }

    // MIDI plays through FluidSynth, which needs a General MIDI soundfont. SDL_mixer
    // has a built-in default path; when nothing exists there, the usual places where
    // Linux distributions install one are tried.
    void chooseSoundFont() {
        auto firstExisting = [](const QString &list) -> QString {
            for (const QString &p : list.split(QLatin1Char(';'), Qt::SkipEmptyParts))
                if (QFileInfo(p).isFile()) return p;
            return {};
        };
        m_soundFont = firstExisting(QString::fromUtf8(Mix_GetSoundFonts() ? Mix_GetSoundFonts() : ""));
        if (!m_soundFont.isEmpty()) return;
        static const char *const candidates[] = {
            "/usr/share/sounds/sf3/default-GM.sf3", "/usr/share/sounds/sf2/default-GM.sf2",
            "/usr/share/sounds/sf2/TimGM6mb.sf2",   "/usr/share/sounds/sf2/FluidR3_GM.sf2",
            "/usr/share/soundfonts/default.sf2",    "/usr/share/soundfonts/FluidR3_GM.sf2",
            "/usr/local/share/soundfonts/default.sf2",
        };
        for (const char *c : candidates) {
            if (QFileInfo(QString::fromUtf8(c)).isFile()) {
                m_soundFont = QString::fromUtf8(c);
                Mix_SetSoundFonts(c);
                return;
            }
        }
    }

    bool m_open = false;
    MediaPlayer *m_owner = nullptr;
    std::atomic<std::uint64_t> m_generation{0};
    QString m_soundFont;
};

namespace {

std::int64_t nowMs() {
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}

Mix_Music *asMusic(void *p) { return static_cast<Mix_Music *>(p); }

Mix_MusicType mixTypeFor(MediaDevice device) {
    switch (device) {
    case MediaDevice::Midi: return MUS_MID;
    case MediaDevice::Mp3: return MUS_MP3;
    case MediaDevice::Wave: return MUS_WAV;
    default: return MUS_NONE;
    }
}

// Error codes kept by the player (any non-zero value means "refused").
constexpr int ErrorNotOpen = 1;
constexpr int ErrorPlayRefused = 2;

} // namespace

MediaPlayer::MediaPlayer(QObject *parent) : QObject(parent) {}

MediaPlayer::~MediaPlayer() {
    if (!m_music) return;
    MusicChannel::instance().forget(this);
    Mix_FreeMusic(asMusic(m_music));
    m_music = nullptr;
}

void MediaPlayer::setFileName(const QString &path) { m_fileName = path; }
QString MediaPlayer::fileName() const { return m_fileName; }

MediaDevice MediaPlayer::deviceFor(const QString &path) {
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext.isEmpty()) return MediaDevice::Other;
    if (ext == QLatin1String("mid") || ext == QLatin1String("midi") || ext == QLatin1String("rmi"))
        return MediaDevice::Midi;
    if (ext == QLatin1String("mp3")) return MediaDevice::Mp3;
    if (ext == QLatin1String("wav")) return MediaDevice::Wave;
    return MediaDevice::Other;
}

MediaDevice MediaPlayer::deviceType() const { return m_device; }

void MediaPlayer::queueNotify(MediaNotifyValue how) {
    QMetaObject::invokeMethod(
        this,
        [this, how] {
            m_notifyValue = how;
            emit OnNotify(this);
        },
        Qt::QueuedConnection);
}

// Takes the notify flag for a command that is being sent: true when its end is to be reported.
static bool takeFlag(bool &flag) {
    const bool taken = flag;
    flag = false;
    return taken;
}

// The running play ended (to its end, superseded, aborted); reports it when asked to.
void MediaPlayer::channelFinished(MediaNotifyValue how) {
    if (!m_playing) return;
    m_playing = false;
    if (how == MediaNotifyValue::Successful) {
        m_ended = true;
        if (m_length < 0) m_endedLength = nowMs() - m_playStartMs;
    } else {
        m_stoppedPosition = livePosition();
    }
    if (m_playNotifies) {
        m_playNotifies = false;
        queueNotify(how);
    }
}

bool MediaPlayer::reachedEnd() const {
    // SDL_mixer stops the stream before its finished callback reaches the GUI thread;
    // a play whose stream stopped has ended even while that call is on its way.
    return m_playing && MusicChannel::instance().owner() == this &&
           !MusicChannel::instance().musicPlaying();
}

void MediaPlayer::stopMusic(MediaNotifyValue how) {
    if (!m_playing) return;
    MusicChannel &channel = MusicChannel::instance();
    if (reachedEnd()) {
        channel.halt();
        channelFinished(MediaNotifyValue::Successful);
        return;
    }
    const std::int64_t position = livePosition();
    channel.forget(this);
    channelFinished(how);
    m_stoppedPosition = position;
}

void MediaPlayer::closeDevice() {
    stopMusic(MediaNotifyValue::Aborted);
    MusicChannel::instance().forget(this);
    if (m_music) Mix_FreeMusic(asMusic(m_music));
    m_music = nullptr;
    m_device = MediaDevice::None;
    m_length = 0;
    m_ended = false;
    m_stoppedPosition = 0;
    m_endedLength = -1;
}

void MediaPlayer::Open() {
    const bool report = takeFlag(m_notifyFlag);
    closeDevice();
    try {
        MusicChannel &channel = MusicChannel::instance();
        channel.openAudio();

        const MediaDevice device = deviceFor(m_fileName);
        const QByteArray path = QFile::encodeName(m_fileName);
        if (m_fileName.isEmpty()) throw MediaError("No file name was given to open");
        const QFileInfo info(m_fileName);
        if (info.exists() && !info.isFile()) // a folder, a device or a pipe is no track
            throw MediaError("Not a file: " + m_fileName.toStdString());
        if (!info.exists()) {
            // SDL's own text for a file it cannot open.
            SDL_RWops *rw = SDL_RWFromFile(path.constData(), "rb");
            if (rw) SDL_RWclose(rw);
            throw MediaError(rw ? "Not a file: " + m_fileName.toStdString() : std::string(SDL_GetError()));
        }

        // The extension chooses the decoder, as the device chosen by name would; a file
        // whose content is of another kind than its name says is given to SDL_mixer's
        // own detection before it is refused.
        Mix_Music *music = nullptr;
        std::string firstError;
        // The file's MIDI length, read once when first needed: by the header check below,
        // then as the track length, which SDL_mixer does not give for MIDI.
        std::optional<std::optional<std::int64_t>> midiLength;
        const auto midiLengthMs = [&] {
            if (!midiLength) midiLength = midiFileLengthMs(m_fileName);
            return *midiLength;
        };
        std::vector<Mix_MusicType> attempts;
        if (mixTypeFor(device) != MUS_NONE) attempts.push_back(mixTypeFor(device));
        attempts.push_back(MUS_NONE);
        for (Mix_MusicType attempt : attempts) {
            // FluidSynth takes any bytes as a MIDI file and plays silence; a file
            // without a MIDI header is not given to it.
            if (attempt == MUS_MID && !midiLengthMs()) {
                firstError = "Not a MIDI file: " + m_fileName.toStdString();
                continue;
            }
            SDL_RWops *rw = SDL_RWFromFile(path.constData(), "rb");
            if (!rw) {
                firstError = SDL_GetError();
                break;
            }
            music = Mix_LoadMUSType_RW(rw, attempt, SDL_TRUE);
            if (music) break;
            if (firstError.empty()) firstError = Mix_GetError();
        }
        if (!music) throw MediaError(firstError.empty() ? "Unrecognized audio format" : firstError);

        m_music = music;
        m_device = device;
        m_ended = false;
        m_stoppedPosition = 0;
        m_error = 0;
        m_errorMessage.clear();
        const double seconds = Mix_MusicDuration(music);
        if (seconds >= 0) {
            m_length = static_cast<std::int64_t>(std::llround(seconds * 1000.0));
        } else if (Mix_GetMusicType(music) == MUS_MID) {
            m_length = midiLengthMs().value_or(-1);
        } else {
            m_length = -1;
        }
    } catch (const MediaError &e) {
        setError(ErrorNotOpen, QString::fromStdString(e.what()));
        if (report) queueNotify(MediaNotifyValue::Failure);
        throw;
    }
    if (report) queueNotify(MediaNotifyValue::Successful);
}

void MediaPlayer::Play() {
    // A play still running is superseded by this one (or has just reached its end).
    stopMusic(MediaNotifyValue::Superseded);
    const bool report = takeFlag(m_notifyFlag);
    m_ended = false;
    m_stoppedPosition = 0;
    m_endedLength = -1;
    if (!m_music) {
        setError(ErrorNotOpen, QStringLiteral("No device is open"));
        if (report) queueNotify(MediaNotifyValue::Failure);
        return;
    }
    if (!MusicChannel::instance().start(this, asMusic(m_music))) {
        setError(ErrorPlayRefused, QString::fromUtf8(Mix_GetError()));
        if (report) queueNotify(MediaNotifyValue::Failure);
        return;
    }
    setError(0, QString());
    m_playing = true;
    m_playNotifies = report;
    m_playStartMs = nowMs();
}

void MediaPlayer::Close() {
    const bool report = takeFlag(m_notifyFlag);
    closeDevice();
    if (report) queueNotify(MediaNotifyValue::Successful);
}

void MediaPlayer::setNotify(bool on) {
    if (on && m_playing && !m_playNotifies && !m_ended) {
        // The command still running is the one whose end will be reported.
        m_playNotifies = true;
        m_notifyFlag = false;
        return;
    }
    m_notifyFlag = on;
}

bool MediaPlayer::notify() const { return m_notifyFlag; }
MediaNotifyValue MediaPlayer::notifyValue() const { return m_notifyValue; }

MediaMode MediaPlayer::Mode() const {
    if (!m_music) return MediaMode::NotOpen;
    if (m_playing && !reachedEnd()) return MediaMode::Playing;
    return MediaMode::Stopped;
}

std::int64_t MediaPlayer::livePosition() const {
    std::int64_t pos = -1;
    if (m_music && MusicChannel::instance().owner() == this) {
        const double seconds = Mix_GetMusicPosition(asMusic(m_music));
        if (seconds >= 0) pos = static_cast<std::int64_t>(std::llround(seconds * 1000.0));
    }
    if (pos < 0) pos = nowMs() - m_playStartMs;
    return std::max<std::int64_t>(pos, 0);
}

std::int64_t MediaPlayer::Length() const {
    if (!m_music) return 0;
    if (m_length >= 0) return m_length;
    // Length not known from the file: the time the play took, once it has ended;
    // while it plays, always a little ahead of the position.
    if (m_ended || reachedEnd()) return m_endedLength >= 0 ? m_endedLength : nowMs() - m_playStartMs;
    return Position() + 1;
}

std::int64_t MediaPlayer::Position() const {
    if (!m_music) return 0;
    if (m_ended || reachedEnd()) return Length();
    if (!m_playing) return m_stoppedPosition;
    std::int64_t pos = livePosition();
    // While the stream still sounds, the position stays short of the length, so that
    // position == length means the end and nothing else.
    if (m_length >= 0) pos = std::min(pos, std::max<std::int64_t>(m_length - 1, 0));
    return pos;
}

int MediaPlayer::error() const { return m_error; }
QString MediaPlayer::errorMessage() const { return m_errorMessage; }

void MediaPlayer::setError(int code, const QString &text) {
    m_error = code;
    m_errorMessage = text;
}

QString MediaPlayer::soundFont() { return MusicChannel::instance().soundFont(); }
