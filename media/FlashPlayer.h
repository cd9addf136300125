#pragma once
// The Flash movie control of both programs. No Flash renderer is available, so the
// control reads what a movie's header says - stage size, frame rate, frame count and
// the stage background colour - paints that colour over its whole area, and counts
// frames on a clock that Play starts. Movies are ".swf" files, uncompressed ("FWS")
// or zlib-compressed ("CWS"); "ZWS" (LZMA) and anything else are unplayable.
//
// A path that names no movie (the creator's "noswf"), a truncated or garbage file:
// the control shows nothing (its parent shows through), reports 0 frames and raises
// nothing. Size, position and visibility are the widget's own; a 0 x 0 control shows
// nothing. repaint() paints at once.
#include <QColor>
#include <QElapsedTimer>
#include <QSize>
#include <QString>
#include <QWidget>
#include <optional>

// What a movie's header holds. Pure data, readable without a widget.
struct FlashMovieInfo {
    char signature[4] = {0, 0, 0, 0}; // "FWS" or "CWS"
    int version = 0;
    quint32 fileLength = 0;   // uncompressed length the header declares
    int stageWidth = 0;       // pixels (twips / 20)
    int stageHeight = 0;
    double frameRate = 0.0;   // frames per second (8.8 fixed point in the file)
    int frameCount = 0;
    QColor background = Qt::white; // SetBackgroundColor, white when the movie sets none
};

// Reads the header of the movie at path. Returns nothing for a missing, truncated,
// "ZWS" or garbage file; never throws.
std::optional<FlashMovieInfo> readFlashMovie(const QString &path);

class FlashPlayer : public QWidget {
    Q_OBJECT
public:
    explicit FlashPlayer(QWidget *parent = nullptr);

    // Loads the movie at path in place of the one shown; stops the clock (the current
    // frame goes back to 0). Never raises: an unplayable path leaves no movie loaded.
    void setMovie(const QString &path);
    QString movie() const;
    bool hasMovie() const;

    // Starts (or restarts from frame 0) the clock of the loaded movie. Without a movie
    // it does nothing.
    void Play();
    // Stops the clock; the current frame stays where it is.
    void Stop();
    bool isPlaying() const;

    // Frames of the loaded movie; 0 without one.
    int FrameCount() const;
    int TotalFrames() const { return FrameCount(); }
    // The frame now shown, counted from 0 like the Flash control does: it advances at
    // the movie's frame rate from Play and, as a Flash movie loops, starts again at 0
    // after the last frame (setLoop(false) holds it on the last frame instead).
    // 0 without a movie or before Play.
    int CurrentFrame() const;
    double FrameRate() const;
    QColor BackgroundColor() const;
    QSize stageSize() const;

    void setLoop(bool loop);
    bool loop() const;

    // A left-button press and release at pos, handed straight to the control (the way
    // a window procedure is called directly): it does not pass the application's event
    // filters. It is taken as a click on the movie, exactly like a real click.
    void click(const QPoint &pos = QPoint(0, 0));
    // Left clicks the movie has taken, real or sent with click().
    int clickCount() const;

signals:
    // A left click reached the movie (press and release inside the control).
    void movieClicked(const QPoint &pos);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    QString m_movie;
    std::optional<FlashMovieInfo> m_info;
    QElapsedTimer m_clock;
    qint64 m_clockOffsetMs = 0;
    bool m_playing = false;
    bool m_loop = true;
    int m_stoppedFrame = 0;
    bool m_leftDown = false;
    int m_clicks = 0;
};
