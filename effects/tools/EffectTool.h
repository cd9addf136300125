#pragma once
// Shared parts of the effect-frame and effect-sheet programs.
#include <QImage>
#include <QString>
#include <QStringList>
#include <optional>

// Reads a picture as a 32-bit bitmap; prints a message to stderr and returns nothing when it
// cannot be read.
std::optional<QImage> loadPicture(const QString &path);

// Parses a whole decimal number within [lo, hi]; prints a message naming the option otherwise.
std::optional<int> parseNumber(const QString &option, const QString &text, int lo, int hi);

// One frame as the picture show control draws it: the old screen at progress 0, the new
// picture at 100, in between the effect drawn over the old screen.
QImage renderFrame(const QImage &oldScreen, const QImage &picture, int style, int step, int progress);

// The program's arguments after its name.
QStringList programArguments(int argc, char **argv);

// Makes the Qt GUI classes (fonts for the labels) usable without a display.
void prepareHeadlessGui();
