#include "media/FlashPlayer.h"

#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>

#include <zlib.h>

#include <cmath>
#include <cstring>
#include <memory>

namespace {

// The bytes that follow a movie's 8-byte file header, read in order: straight from the
// file for "FWS", through zlib for "CWS". Reads never go past the length the header
// declares.
class MovieBody {
public:
    MovieBody(QFile &file, bool compressed, quint64 declared)
        : m_file(file), m_compressed(compressed), m_left(declared) {
        if (m_compressed) {
            std::memset(&m_zs, 0, sizeof m_zs);
            m_zinit = inflateInit(&m_zs) == Z_OK;
            m_zok = m_zinit;
        }
    }
    ~MovieBody() {
        if (m_zinit) inflateEnd(&m_zs);
    }
    MovieBody(const MovieBody &) = delete;
    MovieBody &operator=(const MovieBody &) = delete;

    // Reads up to n bytes into out (nullptr discards them); returns how many came.
    quint64 read(unsigned char *out, quint64 n) {
        n = std::min(n, m_left);
        quint64 done = 0;
        unsigned char scratch[16384];
        while (done < n) {
            const quint64 want = std::min<quint64>(n - done, sizeof scratch);
            unsigned char *dst = out ? out + done : scratch;
            const quint64 got = m_compressed ? inflateSome(dst, want) : fileSome(dst, want);
            if (got == 0) break;
            done += got;
        }
        m_left -= done;
        return done;
    }
    bool skip(quint64 n) { return read(nullptr, n) == n; }
    quint64 left() const { return m_left; }

private:
    quint64 fileSome(unsigned char *dst, quint64 n) {
        const qint64 got = m_file.read(reinterpret_cast<char *>(dst), static_cast<qint64>(n));
        return got > 0 ? static_cast<quint64>(got) : 0;
    }
    quint64 inflateSome(unsigned char *dst, quint64 n) {
        if (!m_zok || m_zend) return 0;
        m_zs.next_out = dst;
        m_zs.avail_out = static_cast<uInt>(n);
        while (m_zs.avail_out > 0) {
            if (m_zs.avail_in == 0) {
                const qint64 got = m_file.read(m_in, sizeof m_in);
                if (got <= 0) break;
                m_zs.next_in = reinterpret_cast<Bytef *>(m_in);
                m_zs.avail_in = static_cast<uInt>(got);
            }
            const int rc = inflate(&m_zs, Z_NO_FLUSH);
            if (rc == Z_STREAM_END) {
                m_zend = true;
                break;
            }
            if (rc != Z_OK) { // corrupt stream: what came so far is all there is
                m_zok = false;
                break;
            }
        }
        return n - m_zs.avail_out;
    }

    QFile &m_file;
    bool m_compressed;
    quint64 m_left;
    z_stream m_zs;
    bool m_zinit = false;
    bool m_zok = false;
    bool m_zend = false;
    char m_in[16384];
};

class BitReader {
public:
    BitReader(const unsigned char *p, int n) : m_p(p), m_bits(n * 8) {}
    bool bits(int count, quint32 &v) {
        if (count < 0 || m_pos + count > m_bits) return false;
        v = 0;
        for (int i = 0; i < count; ++i, ++m_pos)
            v = (v << 1) | ((m_p[m_pos / 8] >> (7 - m_pos % 8)) & 1);
        return true;
    }
    bool sbits(int count, qint32 &v) {
        quint32 u;
        if (!bits(count, u)) return false;
        if (count > 0 && count < 32 && (u & (1u << (count - 1)))) u |= ~0u << count;
        v = static_cast<qint32>(u);
        return true;
    }
    int bytesUsed() const { return (m_pos + 7) / 8; }

private:
    const unsigned char *m_p;
    int m_bits;
    int m_pos = 0;
};

quint32 le32(const unsigned char *p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (quint32(p[3]) << 24);
}

constexpr int TagEnd = 0;
constexpr int TagShowFrame = 1;
constexpr int TagSetBackgroundColor = 9;

} // namespace

std::optional<FlashMovieInfo> readFlashMovie(const QString &path) {
    // Only regular files: a folder, a device or a pipe is no movie (and a pipe could
    // keep a read waiting for ever).
    if (path.isEmpty() || !QFileInfo(path).isFile()) return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;

    unsigned char head[8];
    if (file.read(reinterpret_cast<char *>(head), 8) != 8) return std::nullopt;
    const bool compressed = head[0] == 'C';
    if ((head[0] != 'F' && head[0] != 'C') || head[1] != 'W' || head[2] != 'S') return std::nullopt;

    FlashMovieInfo info;
    std::memcpy(info.signature, head, 3);
    info.version = head[3];
    info.fileLength = le32(head + 4);
    if (info.fileLength < 8) return std::nullopt;
    const quint64 bodyLength = info.fileLength - 8;
    // The whole movie has to be there: a file cut short plays nothing.
    if (!compressed && static_cast<quint64>(file.size()) < info.fileLength) return std::nullopt;

    MovieBody body(file, compressed, bodyLength);

    // Stage rectangle (5-bit field width, then four signed fields, in twips), frame
    // rate (8.8 fixed point, little-endian) and frame count.
    unsigned char fixed[17 + 4];
    const quint64 got = body.read(fixed, sizeof fixed);
    BitReader bits(fixed, static_cast<int>(got));
    quint32 nbits;
    qint32 xmin, xmax, ymin, ymax;
    if (!bits.bits(5, nbits) || !bits.sbits(int(nbits), xmin) || !bits.sbits(int(nbits), xmax) ||
        !bits.sbits(int(nbits), ymin) || !bits.sbits(int(nbits), ymax))
        return std::nullopt;
    const int used = bits.bytesUsed();
    if (static_cast<quint64>(used) + 4 > got) return std::nullopt;
    const unsigned char *rest = fixed + used;
    info.stageWidth = std::max<qint64>(0, (qint64(xmax) - xmin) / 20);
    info.stageHeight = std::max<qint64>(0, (qint64(ymax) - ymin) / 20);
    info.frameRate = rest[1] + rest[0] / 256.0;
    info.frameCount = rest[2] | (rest[3] << 8);

    // Tags that came with the fixed fields, then the rest of the body: the first
    // SetBackgroundColor before the first frame is shown gives the stage colour.
    QByteArray pending(reinterpret_cast<const char *>(rest + 4), static_cast<qsizetype>(got - used - 4));
    auto take = [&](unsigned char *out, quint64 n) -> bool {
        quint64 fromPending = std::min<quint64>(n, static_cast<quint64>(pending.size()));
        if (out) std::memcpy(out, pending.constData(), fromPending);
        pending.remove(0, static_cast<qsizetype>(fromPending));
        if (fromPending == n) return true;
        return body.read(out ? out + fromPending : nullptr, n - fromPending) == n - fromPending;
    };
    for (;;) {
        unsigned char th[2];
        if (!take(th, 2)) break;
        const int code = (th[0] | (th[1] << 8)) >> 6;
        quint64 length = th[0] & 0x3F;
        if (length == 0x3F) {
            unsigned char l4[4];
            if (!take(l4, 4)) break;
            length = le32(l4);
        }
        if (code == TagEnd || code == TagShowFrame) break;
        if (code == TagSetBackgroundColor && length >= 3) {
            unsigned char rgb[3];
            if (!take(rgb, 3)) break;
            info.background = QColor(rgb[0], rgb[1], rgb[2]);
            break;
        }
        if (!take(nullptr, length)) break;
    }
    // For a compressed movie, only inflating it to the end shows whether it is whole.
    if (compressed) {
        while (body.left() > 0)
            if (body.read(nullptr, body.left()) == 0) break;
        if (body.left() > 0) return std::nullopt;
    }
    return info;
}

FlashPlayer::FlashPlayer(QWidget *parent) : QWidget(parent) {
    // The control draws the stage itself; without a movie the window beneath shows.
    setAutoFillBackground(false);
    setContextMenuPolicy(Qt::PreventContextMenu);
}

void FlashPlayer::setMovie(const QString &path) {
    m_movie = path;
    m_info = readFlashMovie(path);
    m_playing = false;
    m_stoppedFrame = 0;
    update();
}

QString FlashPlayer::movie() const { return m_movie; }
bool FlashPlayer::hasMovie() const { return m_info.has_value(); }

void FlashPlayer::Play() {
    if (!m_info) return;
    m_clock.start();
    m_clockOffsetMs = 0;
    m_playing = true;
    update();
}

void FlashPlayer::Stop() {
    if (!m_playing) return;
    m_stoppedFrame = CurrentFrame();
    m_playing = false;
}

bool FlashPlayer::isPlaying() const { return m_playing; }

int FlashPlayer::FrameCount() const { return m_info ? m_info->frameCount : 0; }

int FlashPlayer::CurrentFrame() const {
    if (!m_info || m_info->frameCount <= 0) return 0;
    if (!m_playing) return m_stoppedFrame;
    if (m_info->frameRate <= 0) return 0;
    const auto shown = static_cast<qint64>(std::floor((m_clock.elapsed() + m_clockOffsetMs) * m_info->frameRate / 1000.0));
    if (m_loop) return static_cast<int>(shown % m_info->frameCount);
    return static_cast<int>(std::min<qint64>(shown, m_info->frameCount - 1));
}

double FlashPlayer::FrameRate() const { return m_info ? m_info->frameRate : 0.0; }
QColor FlashPlayer::BackgroundColor() const { return m_info ? m_info->background : QColor(); }
QSize FlashPlayer::stageSize() const {
    return m_info ? QSize(m_info->stageWidth, m_info->stageHeight) : QSize();
}

void FlashPlayer::setLoop(bool loop) {
    if (m_playing && loop != m_loop && m_info && m_info->frameRate > 0) {
        // Keep the frame shown now when the rule changes under a running clock.
        const int frame = CurrentFrame();
        m_clock.start();
        m_clockOffsetMs = static_cast<qint64>(std::ceil(frame * 1000.0 / m_info->frameRate));
    }
    m_loop = loop;
}
bool FlashPlayer::loop() const { return m_loop; }

void FlashPlayer::click(const QPoint &pos) {
    const QPointF local(pos);
    const QPointF global(mapToGlobal(pos));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    mousePressEvent(&press);
    mouseReleaseEvent(&release);
}

int FlashPlayer::clickCount() const { return m_clicks; }

void FlashPlayer::paintEvent(QPaintEvent *) {
    if (!m_info) return;
    QPainter painter(this);
    painter.fillRect(rect(), m_info->background);
}

void FlashPlayer::mousePressEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton) m_leftDown = true;
    event->accept();
}

void FlashPlayer::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton && m_leftDown) {
        m_leftDown = false;
        ++m_clicks;
        emit movieClicked(event->position().toPoint());
    }
    event->accept();
}

void FlashPlayer::contextMenuEvent(QContextMenuEvent *event) {
    // The movie has no menu of its own here.
    event->accept();
}
