#pragma once
// Shared parts of the effect-frame and effect-sheet programs.
#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

// Reads a picture as a 32-bit bitmap; prints a message to stderr and returns nothing when it
// cannot be read.
std::optional<QImage> loadPicture(const QString &path);

// The old screen and the new picture, both readable and of the same size; prints why not
// to stderr and returns nothing otherwise.
std::optional<std::pair<QImage, QImage>> loadPicturePair(const QString &oldPath, const QString &newPath);

// Writes a PNG; prints a message and returns false when it cannot.
bool savePng(const QImage &image, const QString &path);

// A whole-number option "--name VALUE" with its range and the variable it sets.
struct NumberOption {
    const char *name;
    int lo, hi;
    int *value;
};

// Reads the options and collects the other arguments into files. Returns the exit code the
// program ends with when it must not go on: 0 after --help (usage printed), 2 after a bad
// argument (the reason and the usage printed).
std::optional<int> parseArguments(const QStringList &args, const std::vector<NumberOption> &options,
                                  QStringList &files, void (*usage)());

// One frame as the picture show control draws it: the old screen at progress 0, the new
// picture at 100, in between the effect drawn over the old screen.
QImage renderFrame(const QImage &oldScreen, const QImage &picture, int style, int step, int progress);

// What both programs start with: their arguments after the name, read before Qt sees
// them (Qt would take "--style" for its own), and a GUI application that needs no display
// (fonts for the labels).
class EffectToolApp {
public:
    EffectToolApp(int argc, char **argv);
    const QStringList args;

private:
    int m_qtArgc = 1;
    QGuiApplication m_app;
};
