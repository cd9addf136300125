#pragma once
// Packages and media made by the runtime's tests: JPEG pictures of one colour, short PCM
// WAV tracks, Flash movie headers, and saver packages that head them with filler bytes
// in place of the runtime program.
#include <QByteArray>
#include <QColor>
#include <QList>
#include <QSize>
#include <QString>
#include <QTemporaryDir>
#include <memory>

#include "platform/MessageService.h"
#include "platform/Taskbar.h"
#include "tests/support/TestMedia.h"

namespace fixtures {

QByteArray Jpeg(QSize size, QColor colour);
using testmedia::Wav;
// An uncompressed movie: stage size, frame rate (frames per second, stored as 8.8 fixed
// point), frame count and background colour.
QByteArray Swf(int frames, double frameRate, QColor background = Qt::blue, QSize stage = {550, 400});

struct MusicPiece {
    char kind = '2'; // MusicKind code
    QByteArray bytes;
};

struct PictureOptions {
    int quitMode = 5;
    int interval = 5;
    QList<int> effectFlags = {1}; // indexes whose flag byte is 1
    QList<MusicPiece> music;
};

// Writes filler + music + pictures + trailer to dir/name and returns its path.
QString PicturePackage(const QString &dir, const QList<QByteArray> &pictures,
                       const PictureOptions &options, const QString &name = "saver.scr");
QString FlashPackage(const QString &dir, const QList<QByteArray> &movies, int quitMode,
                     const QString &name = "flash.scr");

// A private temporary folder for the runtime (XDG_RUNTIME_DIR points into a fresh
// folder), recorded message boxes and a recorded taskbar, for one test.
class RuntimeEnv {
public:
    RuntimeEnv();
    ~RuntimeEnv();
    QString dir() const { return m_dir.path(); }
    // Where the runtime extracts: <dir>/run/nuvira/
    QString tempDir() const { return m_dir.path() + "/run/nuvira/"; }
    RecordingMessageService messages;
    RecordingTaskbar taskbar;

private:
    QTemporaryDir m_dir;
    QByteArray m_oldRuntimeDir;
    bool m_hadRuntimeDir = false;
};

} // namespace fixtures
