#pragma once
// Starting a program without waiting for it. The real service uses QProcess; tests
// install a RecordingProcess.
#include <QString>
#include <QStringList>
#include <vector>

class Process {
public:
    virtual ~Process() = default;
    // Returns whether the program was started.
    virtual bool startDetached(const QString &program, const QStringList &arguments) = 0;

    static Process &current();
    // Installs a service (not owned); nullptr goes back to the real one.
    static void install(Process *process);
};

class SystemProcess : public Process {
public:
    bool startDetached(const QString &program, const QStringList &arguments) override;
};

// Records the programs it was asked to start. Installs itself for its lifetime.
class RecordingProcess : public Process {
public:
    struct Call {
        QString program;
        QStringList arguments;
    };
    RecordingProcess();
    ~RecordingProcess() override;
    bool startDetached(const QString &program, const QStringList &arguments) override;

    std::vector<Call> calls;
};
