#include "platform/Desktop.h"

#include "platform/Process.h"

#include <QStandardPaths>

namespace {
Desktop *installed = nullptr;
}

Desktop &Desktop::current()
{
    static SystemDesktop real;
    return installed ? *installed : real;
}

void Desktop::install(Desktop *desktop) { installed = desktop; }

void SystemDesktop::broadcastSettingsChange() {}

QString SystemDesktop::settingsProgram()
{
    for (const char *name : {"xscreensaver-settings", "xscreensaver-demo"}) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!found.isEmpty()) return found;
    }
    return {};
}

void SystemDesktop::openScreensaverSettings()
{
    const QString program = settingsProgram();
    if (!program.isEmpty()) Process::current().startDetached(program, {});
}

RecordingDesktop::RecordingDesktop() { install(this); }
RecordingDesktop::~RecordingDesktop() { install(nullptr); }
