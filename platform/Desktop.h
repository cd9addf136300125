#pragma once
// What the desktop offers around the screensaver setting: announcing that the settings
// changed, and opening the screensaver settings. The real service does nothing for the
// first (a Linux desktop has nothing to broadcast) and starts the first of
// xscreensaver-settings, xscreensaver-demo found on PATH for the second; tests install a
// RecordingDesktop.
#include <QString>

class Desktop {
public:
    virtual ~Desktop() = default;
    virtual void broadcastSettingsChange() = 0;
    // Starts the screensaver settings without waiting; a failure is not reported.
    virtual void openScreensaverSettings() = 0;

    static Desktop &current();
    // Installs a service (not owned); nullptr goes back to the real one.
    static void install(Desktop *desktop);
};

class SystemDesktop : public Desktop {
public:
    void broadcastSettingsChange() override;
    void openScreensaverSettings() override;
    // The settings program that openScreensaverSettings would start, or empty.
    static QString settingsProgram();
};

// Counts the calls instead of acting. Installs itself for its lifetime.
class RecordingDesktop : public Desktop {
public:
    RecordingDesktop();
    ~RecordingDesktop() override;
    void broadcastSettingsChange() override { ++broadcasts; }
    void openScreensaverSettings() override { ++settingsOpened; }

    int broadcasts = 0;
    int settingsOpened = 0;
};
