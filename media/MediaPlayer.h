#pragma once
// The music player of both programs: one hidden, non-visual player per window, over
// SDL2_mixer. It plays MIDI (FluidSynth with the installed General MIDI soundfont),
// MP3 and WAV files, one command at a time, and reports the end of a command through
// OnNotify on the GUI thread.
//
// Usage:
//   player.setFileName(path);   // names the file of the next Open
//   player.Open();              // closes what is open, opens the file; throws MediaError
//   player.setNotify(true);     // report the end of the play below (or of the one running)
//   player.Play();              // from the beginning, returns at once
//   ... OnNotify(&player) arrives when that play ends (to its end, superseded, aborted,
//       or failed); Mode() / Position() / Length() tell what happened.
//
// SDL_mixer has a single music stream per process: a Play on one player supersedes the
// music of any other player, which then reports Superseded and reads as stopped.
#include <QObject>
#include <QString>
#include <cstdint>
#include <stdexcept>
#include <string>

// Raised by Open when the media system refuses the file (missing, unreadable, not a
// format it can decode, no audio device). what() is the media system's own text.
class MediaError : public std::runtime_error {
public:
    explicit MediaError(const std::string &text) : std::runtime_error(text) {}
};

// The device a file opens with, chosen from its extension (".mid"/".midi", ".mp3",
// ".wav", compared without case). Other extensions open with whatever decoder the
// media system recognises in the file's content (Other).
enum class MediaDevice { None, Midi, Mp3, Wave, Other };

enum class MediaMode {
    NotOpen,  // no device open (at start, after Close, after a failed Open)
    Stopped,  // open and not playing: before the first Play, after the end, after a refused play
    Playing,  // playing in the background
};

// How the command that was sent with the notify flag ended.
enum class MediaNotifyValue {
    None,        // nothing reported yet
    Successful,  // the play reached its end (or an Open/Close command completed)
    Superseded,  // another Play (on this or another player) took over the music
    Aborted,     // Close, a new Open, or destroying the player stopped it
    Failure,     // the command failed (a refused Open or Play)
};

class MediaPlayer : public QObject {
    Q_OBJECT
public:
    explicit MediaPlayer(QObject *parent = nullptr);
    // Closes the device: the music stops when the player's window goes.
    ~MediaPlayer() override;

    MediaPlayer(const MediaPlayer &) = delete;
    MediaPlayer &operator=(const MediaPlayer &) = delete;

    // The full path that the next Open uses. Changing it does not touch what is open.
    void setFileName(const QString &path);
    QString fileName() const;

    // The device chosen for a path from its extension.
    static MediaDevice deviceFor(const QString &path);
    // The device of what is open now (None when nothing is open).
    MediaDevice deviceType() const;

    // Closes a device that is still open, then opens fileName(). Opens the process's
    // audio output on first use. Throws MediaError carrying the media system's text
    // when the file or the audio output cannot be opened; the player is then closed.
    void Open();

    // Plays the open file from its beginning, in the background; returns at once.
    // A play that the media system refuses keeps its error (error(), errorMessage())
    // and raises nothing; with the notify flag it is reported as Failure. Without an
    // open device it does nothing but record the error.
    void Play();

    // Stops the music and closes the device. Nothing happens when nothing is open.
    void Close();

    // The notify flag. When set, the end of one command is reported once through
    // OnNotify and the flag clears; it must be set again for the next report. The
    // command is the play still running when the flag is set (unless that play is
    // already to be reported), or else the next command sent (Open, Play or Close;
    // Open and Close end as soon as they return, and are reported after returning).
    // The flag reads false again once a command has taken it.
    void setNotify(bool on);
    bool notify() const;
    // How the last reported command ended.
    MediaNotifyValue notifyValue() const;

    MediaMode Mode() const;

    // Position in the track and the track's length, both in milliseconds. After a
    // play has reached its end Position() == Length(). Before the first Play the
    // position is 0; without an open device both are 0.
    // MIDI: SDL_mixer knows neither, so the length is worked out from the file itself
    // (its tempo map and last event) and the position runs on a clock started by
    // Play; it stays at most the length while FluidSynth's release tail still sounds
    // and equals it once the track has ended.
    std::int64_t Position() const;
    std::int64_t Length() const;

    // The error of the last refused command (0 and "" when the last one succeeded).
    int error() const;
    QString errorMessage() const;

    // The soundfont MIDI files are played with, known once the audio output is open
    // (the first Open); "" before that or when none was found.
    static QString soundFont();

signals:
    // Raised on the GUI thread, once per command sent with the notify flag.
    void OnNotify(MediaPlayer *sender);

private:
    friend class MusicChannel;
    void channelFinished(MediaNotifyValue how);
    bool reachedEnd() const;
    void stopMusic(MediaNotifyValue how);
    void closeDevice();
    void queueNotify(MediaNotifyValue how);
    void setError(int code, const QString &text);
    std::int64_t livePosition() const;

    QString m_fileName;
    MediaDevice m_device = MediaDevice::None;
    void *m_music = nullptr;          // Mix_Music*, owned
    std::int64_t m_length = 0;        // ms; -1 while unknown
    bool m_playing = false;           // this player owns the music stream and it plays
    bool m_ended = false;             // the last play reached its end
    std::int64_t m_playStartMs = 0;   // clock reading at Play
    std::int64_t m_stoppedPosition = 0; // where a play that was stopped had got to
    std::int64_t m_endedLength = -1;  // measured length of a play that ended (length unknown)
    bool m_notifyFlag = false;
    bool m_playNotifies = false;      // the running play reports its end
    MediaNotifyValue m_notifyValue = MediaNotifyValue::None;
    int m_error = 0;
    QString m_errorMessage;
};
