#pragma once
// The runtime's temporary folder: a private per-user folder, $XDG_RUNTIME_DIR/nuvira/
// when that is set, else /tmp/nuvira-<uid>/. It is created with mode 0700 and refused
// when it is a link or belongs to another user, so nobody else can plant files or links
// where the runtime extracts its media.
#include <QString>
#include <stdexcept>

class TempPathError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace TempPath {
// The folder, created on demand, always ending with '/'. Throws TempPathError.
QString path();
// Checks and creates a given folder the same way (used by path(); open for tests).
QString ensurePrivateFolder(const QString &folder);
// Opens a file for writing in a private folder without following a link at its name:
// replaces a regular file, refuses a link. Returns a file descriptor or -1 (errno set).
int createFileNoFollow(const QString &filePath);
}
