#pragma once
// A line of text that changes every LineDelay milliseconds, fading from one line to the
// next over FadeDelay milliseconds; the lines repeat from the first after the last.
// Text is drawn centred on the widget's background colour.
#include <QColor>
#include <QElapsedTimer>
#include <QStringList>
#include <QTimer>
#include <QWidget>

class FadeText : public QWidget {
    Q_OBJECT
public:
    explicit FadeText(QWidget *parent = nullptr);

    void setLines(const QStringList &lines);
    QStringList lines() const { return m_lines; }
    int LineDelay = 3000; // ms a line stands
    int FadeDelay = 600;  // ms of the change from one line to the next
    void setActive(bool on);
    bool active() const { return m_timer.isActive(); }
    void setTextColor(const QColor &c) { m_textColor = c; update(); }
    void setBackground(const QColor &c) { m_background = c; update(); }

    // What a paint at elapsed time t (ms since activation) shows: the line index and how
    // strongly its text stands out from the background (0..1). During a fade the first
    // half fades the old line out, the second half fades the new one in.
    struct Frame {
        int line = 0;
        double opacity = 1.0;
        bool operator==(const Frame &) const = default;
    };
    Frame frameAt(qint64 t) const;
    Frame currentFrame() const;

protected:
    void paintEvent(QPaintEvent *) override;

private:
    void tick();

    QStringList m_lines;
    QColor m_textColor = Qt::black;
    QColor m_background = Qt::white;
    QTimer m_timer;
    QElapsedTimer m_clock;
    Frame m_painted;    // what the last paint showed
    bool m_hasPainted = false;
};
