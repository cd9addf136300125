#pragma once
// The screensaver switches of the runtime's command line: "/p <window>" previews, a first
// argument whose second character is c or C configures, everything else shows.
#include <QString>
#include <QStringList>
#include <optional>

enum class RunMode { Preview, Configure, Show };

struct ModeChoice {
    RunMode mode = RunMode::Show;
    QString previewHost; // the second argument in preview mode (may be empty)
};

// args: the arguments after the program name, as the process received them.
ModeChoice ChooseMode(const QStringList &args);

// The preview host's window id: a decimal integer, optionally signed, nothing else.
std::optional<long long> ParsePreviewHost(const QString &text);

// Configure mode: the screensaver has nothing to set; says so and returns the exit code.
int RunConfigure();
