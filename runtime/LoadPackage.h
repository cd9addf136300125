#pragma once
// Reads the trailer at the end of the runtime's own file, extracts every piece into the
// temporary folder and fills the player state; starts music track 0 or movie 0.
#include <QPoint>
#include <QString>
#include <cstdint>

#include "runtime/PlayerState.h"

// What the loader asks of the show window's players and pointer. The show window
// implements it over mpBack and FlashPlayer; tests record the calls.
class PackageMedia {
public:
    virtual ~PackageMedia() = default;
    virtual void hideFlashPlayer() = 0;     // width and height 0
    virtual void showFlashPlayer() = 0;     // visible
    // Sets the music player's file name, opens it and plays; throws on failure.
    virtual void startMusic(const QString &path) = 0;
    virtual void startMovie(const QString &path) = 0;
    virtual void hidePointer() = 0;
    virtual QPoint pointerPosition() = 0;
    // "Error al cargar efectos, ..." and the request to end the application.
    virtual void effectError() = 0;
};

// The global temporary folder of the runtime, with its trailing '/'.
extern QString TempDir;

// The names of the extracted pieces in TempDir: picture i, movie i, and music track i of
// the given kind code (no extension for an unknown code).
QString PictureFileName(int i);
QString MovieFileName(int i);
QString MusicFileName(int i, std::uint8_t kind);

// Returns true when loading ran to its end, false when an error stopped it; what was
// loaded before the error stays in place.
bool LoadPackage(const QString &path, PlayerState &state, PackageMedia &media);
