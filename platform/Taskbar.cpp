#include "platform/Taskbar.h"

namespace {
Taskbar *installed = nullptr;
}

Taskbar &Taskbar::current()
{
    static DesktopTaskbar desktop;
    return installed ? *installed : desktop;
}

void Taskbar::install(Taskbar *taskbar) { installed = taskbar; }

RecordingTaskbar::RecordingTaskbar() { install(this); }
RecordingTaskbar::~RecordingTaskbar() { install(nullptr); }

void RecordingTaskbar::hideBar()
{
    calls << QStringLiteral("hide");
    visible = false;
}

void RecordingTaskbar::showBar()
{
    calls << QStringLiteral("show");
    visible = true;
}
