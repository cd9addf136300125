#pragma once
// Pieces of the build command shared by the creator and the command-line builder.
#include <QString>

// Copies the named embedded resource into a new file at path (replacing any file there),
// executable by everyone. Returns false on any failure.
bool ExtractRuntime(const QString &resourceType, const QString &resourceName, const QString &path);

// Replaces the extension of a path's file name (from its last dot on), or appends it when
// the file name has no dot.
QString ReplaceExtension(const QString &path, const QString &extension);

// The output path of a build: outputFolder + name + ".exe" when a name is given, else
// outputFolder + the first source's file name; then the extension of outputKind
// (0 ".scr", 1 ".exe") replaces the last one.
QString OutputPath(const QString &outputFolder, const QString &outputName, const QString &firstSource,
                   int outputKind);
