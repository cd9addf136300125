#include "runtime/FadeText.h"

#include <QPainter>
#include <algorithm>

FadeText::FadeText(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_timer.setInterval(40);
    connect(&m_timer, &QTimer::timeout, this, &FadeText::tick);
    resize(145, 34);
    setActive(true);
}

void FadeText::setLines(const QStringList &lines)
{
    m_lines = lines;
    m_clock.restart();
    update();
}

void FadeText::setActive(bool on)
{
    if (on) {
        m_clock.restart();
        m_timer.start();
    } else {
        m_timer.stop();
    }
}

FadeText::Frame FadeText::frameAt(qint64 t) const
{
    Frame f;
    if (m_lines.isEmpty()) return f;
    const qint64 fade = std::max(0, FadeDelay);
    const qint64 period = std::max<qint64>(1, std::max(0, LineDelay) + fade);
    const qint64 n = m_lines.size();
    const qint64 step = t / period;
    const qint64 within = t % period;
    f.line = int(step % n);
    if (within < LineDelay || fade == 0) {
        f.opacity = 1.0;
        return f;
    }
    const double x = double(within - LineDelay) / double(fade); // 0..1 through the fade
    if (x < 0.5) {
        f.opacity = 1.0 - 2.0 * x;
    } else {
        f.line = int((step + 1) % n);
        f.opacity = 2.0 * x - 1.0;
    }
    return f;
}

FadeText::Frame FadeText::currentFrame() const
{
    return frameAt(m_clock.isValid() ? m_clock.elapsed() : 0);
}

// While a line stands still nothing needs painting; only a change of line or of fade
// asks for a paint.
void FadeText::tick()
{
    if (!m_hasPainted || currentFrame() != m_painted)
        update();
}

void FadeText::paintEvent(QPaintEvent *)
{
    const Frame f = currentFrame();
    m_painted = f;
    m_hasPainted = true;
    QPainter p(this);
    p.fillRect(rect(), m_background);
    if (m_lines.isEmpty()) return;
    const auto mix = [&](int a, int b) { return int(a + (b - a) * f.opacity + 0.5); };
    const QColor c(mix(m_background.red(), m_textColor.red()),
                   mix(m_background.green(), m_textColor.green()),
                   mix(m_background.blue(), m_textColor.blue()));
    p.setPen(c);
    p.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, m_lines.at(f.line));
}
