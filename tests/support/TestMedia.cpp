#include "tests/support/TestMedia.h"

#include <QFile>
#include <cmath>
#include <numbers>
#include <vector>
#include <zlib.h>

namespace testmedia {

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray Le16(int v) { return QByteArray(1, char(v & 0xFF)) + char((v >> 8) & 0xFF); }
QByteArray Le32(quint32 v) { return Le16(int(v & 0xFFFF)) + Le16(int(v >> 16)); }

QByteArray Wav(int milliseconds)
{
    const int rate = 22050;
    const int samples = rate * milliseconds / 1000;
    QByteArray data;
    data.reserve(samples * 2);
    for (int i = 0; i < samples; ++i)
        data += Le16(qint16(3000 * std::sin(2 * std::numbers::pi * 440.0 * i / rate)));
    QByteArray b("RIFF");
    b += Le32(quint32(36 + data.size()));
    b += "WAVEfmt ";
    b += Le32(16);
    b += Le16(1);              // PCM
    b += Le16(1);              // mono
    b += Le32(rate);
    b += Le32(rate * 2);       // bytes per second
    b += Le16(2);              // block align
    b += Le16(16);             // bits
    b += "data";
    b += Le32(quint32(data.size()));
    b += data;
    return b;
}

namespace {
// A RECT record: a 5-bit field width, then xmin, xmax, ymin, ymax, bit-packed.
QByteArray rect(int xmin, int xmax, int ymin, int ymax)
{
    int nbits = 1;
    for (int v : {xmin, xmax, ymin, ymax})
        while (v >= (1 << (nbits - 1)) || v < -(1 << (nbits - 1))) ++nbits;
    std::vector<bool> bits;
    for (int i = 4; i >= 0; --i) bits.push_back((nbits >> i) & 1);
    for (int v : {xmin, xmax, ymin, ymax})
        for (int i = nbits - 1; i >= 0; --i) bits.push_back((quint32(v) >> i) & 1);
    QByteArray out((int(bits.size()) + 7) / 8, '\0');
    for (size_t i = 0; i < bits.size(); ++i)
        if (bits[i]) out[int(i / 8)] = char(out[int(i / 8)] | (0x80 >> (i % 8)));
    return out;
}
} // namespace

QByteArray SwfTag(int code, const QByteArray &body, bool longForm)
{
    if (!longForm && body.size() < 0x3F) return Le16((code << 6) | int(body.size())) + body;
    return Le16((code << 6) | 0x3F) + Le32(quint32(body.size())) + body;
}

QByteArray SwfBackground(int r, int g, int b) { return SwfTag(9, QByteArray(1, char(r)) + char(g) + char(b)); }

QByteArray Swf(const SwfMovie &m)
{
    QByteArray body = rect(0, m.width * 20, 0, m.height * 20) + Le16(m.rate88) + Le16(m.frames);
    body += m.tagsBeforeFrame;
    for (int i = 0; i < m.frames; ++i) body += SwfTag(1, {}); // ShowFrame
    body += SwfTag(0, {});                                     // End
    const quint32 length = quint32(8 + body.size());
    if (m.signature == "CWS") {
        uLongf size = compressBound(uLong(body.size()));
        QByteArray packed(int(size), '\0');
        compress(reinterpret_cast<Bytef *>(packed.data()), &size,
                 reinterpret_cast<const Bytef *>(body.constData()), uLong(body.size()));
        packed.truncate(int(size));
        body = packed;
    }
    return m.signature + char(10) + Le32(length) + body;
}

} // namespace testmedia
