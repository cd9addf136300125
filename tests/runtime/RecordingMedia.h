#pragma once
// Stands in for the show window's players while the loader runs: records every call.
#include "runtime/LoadPackage.h"

#include <QStringList>
#include <stdexcept>

class RecordingMedia : public PackageMedia {
public:
    QStringList calls;
    bool refuseMusic = false;
    QPoint pointer{123, 456};

    void hideFlashPlayer() override { calls << "hideFlash"; }
    void showFlashPlayer() override { calls << "showFlash"; }
    void startMusic(const QString &path) override
    {
        calls << "music " + path;
        if (refuseMusic) throw std::runtime_error("cannot open");
    }
    void startMovie(const QString &path) override { calls << "movie " + path; }
    void hidePointer() override { calls << "hidePointer"; }
    QPoint pointerPosition() override { return pointer; }
    void effectError() override { calls << "effectError"; }
};
