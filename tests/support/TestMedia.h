#pragma once
// Files the tests make for themselves: short PCM WAV tracks and Flash movies written
// byte by byte, and a plain file writer.
#include <QByteArray>
#include <QString>

namespace testmedia {

// Writes the bytes to path, replacing what was there; false when it cannot.
bool WriteFile(const QString &path, const QByteArray &bytes);

// Little-endian 16- and 32-bit values.
QByteArray Le16(int v);
QByteArray Le32(quint32 v);

// A 440 Hz tone: 22050 Hz, mono, 16-bit PCM.
QByteArray Wav(int milliseconds);

// A Flash movie: signature "FWS" (plain) or "CWS" (zlib body), stage size in pixels,
// frame rate in 8.8 fixed point, frame count, and tags placed before the first frame.
struct SwfMovie {
    QByteArray signature = "FWS";
    int width = 550, height = 400;
    int rate88 = 12 << 8;
    int frames = 15;
    QByteArray tagsBeforeFrame;
};

// A tag record, in short form when the body allows it unless longForm is asked.
QByteArray SwfTag(int code, const QByteArray &body, bool longForm = false);
// A SetBackgroundColor tag.
QByteArray SwfBackground(int r, int g, int b);
// The whole movie: header, tags, one ShowFrame per frame, End.
QByteArray Swf(const SwfMovie &movie);

} // namespace testmedia
