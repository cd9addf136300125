#pragma once
// Makes a built screensaver the current user's screensaver.
#include <QString>

// Records path as the value "SCRNSAVE.EXE" of the current user's Control Panel\Desktop
// key in the registry store, exactly as given, and announces the settings change. Does
// nothing when no file exists at path. Throws ProfileWriteError when the store cannot be
// written.
void InstallSaver(const QString &path);
