#pragma once
// The desktop's taskbar, hidden while a screensaver shows and shown again when it ends.
// On Linux there is no single taskbar window to hide: the full-screen window stays on top
// of the panels, so the real implementation does nothing. A test installs a
// RecordingTaskbar to see the calls.
#include <QStringList>

class Taskbar {
public:
    virtual ~Taskbar() = default;
    virtual void hideBar() = 0;
    virtual void showBar() = 0;

    // The taskbar in use; the desktop one unless a test installed another.
    static Taskbar &current();
    // Installs a taskbar (not owned); nullptr goes back to the desktop one.
    static void install(Taskbar *taskbar);

    static void hide() { current().hideBar(); }
    static void show() { current().showBar(); }
};

class DesktopTaskbar : public Taskbar {
public:
    void hideBar() override {}
    void showBar() override {}
};

// Records "hide" and "show" in order and keeps whether the bar is visible now.
// Installs itself for its lifetime.
class RecordingTaskbar : public Taskbar {
public:
    RecordingTaskbar();
    ~RecordingTaskbar() override;
    void hideBar() override;
    void showBar() override;

    QStringList calls;
    bool visible = true;
};
