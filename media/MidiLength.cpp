#include "media/MidiLength.h"

#include <QFile>
#include <algorithm>
#include <map>
#include <vector>

namespace {

struct Reader {
    const unsigned char *p;
    std::size_t n;
    std::size_t i = 0;

    bool has(std::size_t k) const { return k <= n - i; }
    bool u8(unsigned &v) {
        if (!has(1)) return false;
        v = p[i++];
        return true;
    }
    bool be(std::size_t k, std::uint32_t &v) {
        if (!has(k)) return false;
        v = 0;
        for (std::size_t j = 0; j < k; ++j) v = (v << 8) | p[i++];
        return true;
    }
    // Variable-length quantity: at most four bytes, seven bits each.
    bool vlq(std::uint32_t &v) {
        v = 0;
        for (int j = 0; j < 4; ++j) {
            unsigned b;
            if (!u8(b)) return false;
            v = (v << 7) | (b & 0x7F);
            if (!(b & 0x80)) return true;
        }
        return false;
    }
    bool skip(std::size_t k) {
        if (!has(k)) return false;
        i += k;
        return true;
    }
};

// Finds the SMF data inside a RIFF RMID file; returns the bytes unchanged otherwise.
QByteArray unwrapRmid(const QByteArray &bytes) {
    if (bytes.size() < 20 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "RMID") return bytes;
    Reader r{reinterpret_cast<const unsigned char *>(bytes.constData()),
             static_cast<std::size_t>(bytes.size()), 12};
    while (r.has(8)) {
        const std::size_t id = r.i;
        r.i += 4;
        const auto *q = r.p + r.i;
        const std::uint32_t len = q[0] | (q[1] << 8) | (q[2] << 16) | (std::uint32_t(q[3]) << 24);
        r.i += 4;
        if (bytes.mid(static_cast<qsizetype>(id), 4) == "data") {
            const std::size_t avail = std::min<std::size_t>(len, r.n - r.i);
            return bytes.mid(static_cast<qsizetype>(r.i), static_cast<qsizetype>(avail));
        }
        if (!r.skip(std::size_t(len) + (len & 1))) break;
    }
    return {};
}

} // namespace

std::optional<std::int64_t> midiLengthMs(const QByteArray &input) {
    const QByteArray bytes = unwrapRmid(input);
    Reader r{reinterpret_cast<const unsigned char *>(bytes.constData()),
             static_cast<std::size_t>(bytes.size())};
    std::uint32_t tag, headerLen, format, tracks, division;
    if (!r.be(4, tag) || tag != 0x4D546864 /* MThd */ || !r.be(4, headerLen) || headerLen < 6 ||
        !r.be(2, format) || !r.be(2, tracks) || !r.be(2, division) || !r.skip(headerLen - 6))
        return std::nullopt;
    if (division == 0) return std::nullopt;

    // Tempo changes by tick (microseconds per quarter note); the last one at a tick wins.
    std::map<std::uint64_t, std::uint32_t> tempos;
    std::uint64_t lastTick = 0;

    std::uint32_t seen = 0;
    while (seen < tracks && r.has(8)) {
        std::uint32_t chunk = 0, len = 0;
        if (!r.be(4, chunk) || !r.be(4, len)) break;
        const std::size_t avail = std::min<std::size_t>(len, r.n - r.i);
        if (chunk != 0x4D54726B /* MTrk */) { // unknown chunks are skipped, not counted
            r.i += avail;
            continue;
        }
        ++seen;
        Reader tr{r.p + r.i, avail};
        r.i += avail;
        std::uint64_t tick = 0;
        unsigned running = 0;
        while (tr.has(1)) {
            std::uint32_t delta;
            if (!tr.vlq(delta)) break;
            tick += delta;
            unsigned status;
            if (!tr.u8(status)) break;
            bool ok = true;
            if (status == 0xFF) {
                unsigned type;
                std::uint32_t mlen;
                if (!tr.u8(type) || !tr.vlq(mlen) || !tr.has(mlen)) break;
                if (type == 0x51 && mlen >= 3) {
                    const unsigned char *q = tr.p + tr.i;
                    const std::uint32_t us = (q[0] << 16) | (q[1] << 8) | q[2];
                    if (us > 0) tempos[tick] = us;
                }
                tr.i += mlen;
                lastTick = std::max(lastTick, tick);
                if (type == 0x2F) break; // end of track
                running = 0;
                continue;
            }
            if (status == 0xF0 || status == 0xF7) {
                std::uint32_t slen;
                ok = tr.vlq(slen) && tr.skip(slen);
                running = 0;
            } else {
                unsigned data = 0;
                if (status < 0x80) { // running status: this byte is the first data byte
                    if (!running) break;
                    data = 1;
                    status = running;
                } else {
                    running = status;
                }
                const unsigned kind = status & 0xF0;
                const unsigned need = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
                ok = tr.skip(need - data);
            }
            if (!ok) break;
            lastTick = std::max(lastTick, tick);
        }
    }

    if (division & 0x8000) { // SMPTE: frames per second times ticks per frame
        const int fps = -static_cast<std::int8_t>(division >> 8);
        const int perFrame = division & 0xFF;
        const double ticksPerSecond = (fps == 29 ? 29.97 : fps) * perFrame;
        if (ticksPerSecond <= 0) return std::nullopt;
        return static_cast<std::int64_t>(lastTick * 1000.0 / ticksPerSecond + 0.5);
    }
    // Quarter-note ticks through the tempo map (120 beats a minute until a change).
    double us = 0;
    std::uint64_t at = 0;
    std::uint32_t tempo = 500000;
    for (const auto &[tick, next] : tempos) {
        if (tick >= lastTick) break;
        us += double(tick - at) * tempo / division;
        at = tick;
        tempo = next;
    }
    us += double(lastTick - at) * tempo / division;
    return static_cast<std::int64_t>(us / 1000.0 + 0.5);
}

std::optional<std::int64_t> midiFileLengthMs(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    // MIDI files are small; refuse to pull a huge file into memory for this.
    if (f.size() > 64 * 1024 * 1024) return std::nullopt;
    return midiLengthMs(f.readAll());
}
