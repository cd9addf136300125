#pragma once
// The command line of nuvira-build.
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>
#include <optional>

struct BuildOptions {
    bool help = false;
    QString inspect;          // --inspect FILE
    bool flash = false;
    QStringList music;
    int delay = 5;
    std::optional<int> quit;  // default: 1 for pictures, 3 for Flash
    QList<int> effects;       // default: all offered
    std::optional<QSize> screen;
    bool exe = false;
    QString output;
    QStringList files;
};

// Parses "1,8,52-60" or "all". Returns an error text, empty when it parsed.
QString ParseEffectList(const QString &text, QList<int> &out);

// Parses the arguments (without the program name). Returns an error text, empty when
// they parsed.
QString ParseBuildOptions(const QStringList &args, BuildOptions &out);

extern const char *const BuildUsage;
