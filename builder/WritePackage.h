#pragma once
// The package writer: appends the media and the trailer to an output file that already
// holds the runtime executable.
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>

#include "builder/PicturePreparation.h"

// The kind of screensaver: one byte, pictures or Flash movies.
enum class SaverType : unsigned char { Pictures = 0, Flash = 1 };

// What the writer takes from the project besides the output path and the source list.
struct PackageSettings {
    SaverType saverType = SaverType::Pictures;
    QStringList musicFiles;   // in playing order (pictures only)
    int quitRule = 1;         // QuitMode 1..5
    int delaySeconds = 5;     // interval between pictures
    QList<int> enabledEffects; // effect numbers
    MaskOption mask;          // the hidden mask option of picture preparation
    QSize screen;             // W x H of the prepared pictures
};

// Called before picture k (0-based) of n is prepared, so a window can show progress and
// keep its events served.
using PackageProgress = std::function<void(int k, int n)>;

// Why the lists cannot be stored in one package (more than 100 pieces, more than 58 music
// files, 2 GB or more of copied files), as a message for the user; empty when they can.
QString PackageLimitProblem(const QStringList &sourceList, const PackageSettings &settings);

// Appends the pieces and the trailer to outputPath. Returns true when the package was
// completed. On failure the output file is closed (the caller deletes it); an unsupported
// picture kind has shown "file not support" first. Lists beyond the format's limits are
// refused with a message before anything is written.
bool WritePackage(const QString &outputPath, const QStringList &sourceList,
                  const PackageSettings &settings, const PackageProgress &progress = {});
