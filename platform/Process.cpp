#include "platform/Process.h"

#include <QProcess>

namespace {
Process *installed = nullptr;
}

Process &Process::current()
{
    static SystemProcess real;
    return installed ? *installed : real;
}

void Process::install(Process *process) { installed = process; }

bool SystemProcess::startDetached(const QString &program, const QStringList &arguments)
{
    return QProcess::startDetached(program, arguments);
}

RecordingProcess::RecordingProcess() { install(this); }
RecordingProcess::~RecordingProcess() { install(nullptr); }

bool RecordingProcess::startDetached(const QString &program, const QStringList &arguments)
{
    calls.push_back({program, arguments});
    return true;
}
