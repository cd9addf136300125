#pragma once
// INI files with the private-profile semantics the creator relies on: sections and keys
// are matched without regard to case, a write replaces one key and keeps every other key
// and its order, a new key goes to the end of its section and a new section to the end
// of the file. Reading never fails: a missing file, section or key gives the default, and
// a value that is no integer gives the integer default. A bare file name (no folder)
// resolves into the per-user NUVIRA folder, $XDG_CONFIG_HOME/nuvira/ (default
// ~/.config/nuvira/), created on demand.
#include <QString>
#include <QStringList>
#include <stdexcept>

// A write the system refused; its text is "No se puede escribir <file>".
class ProfileWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace PrivateProfile {

// The per-user NUVIRA folder, ending with '/'. It is not created here.
QString userFolder();

// The file a name stands for: a bare name lands in userFolder(), anything with a folder
// part is used as it is.
QString resolve(const QString &fileName);

// One file read once, edited in memory and written back once: for reading or writing
// many keys of the same file. The single-key functions below use it too.
class Profile {
public:
    explicit Profile(const QString &fileName); // reads the file (a missing one is empty)

    QString readString(const QString &section, const QString &key, const QString &defaultValue) const;
    int readInteger(const QString &section, const QString &key, int defaultValue) const;
    void writeString(const QString &section, const QString &key, const QString &value);
    void writeInteger(const QString &section, const QString &key, int value);
    // Writes the file back. Throws ProfileWriteError when it (or the per-user folder)
    // cannot be written.
    void save() const;

private:
    QString m_fileName;
    QString m_path;
    QStringList m_lines;
};

QString readString(const QString &fileName, const QString &section, const QString &key,
                   const QString &defaultValue);
int readInteger(const QString &fileName, const QString &section, const QString &key, int defaultValue);

// Throws ProfileWriteError when the file (or the per-user folder) cannot be written.
void writeString(const QString &fileName, const QString &section, const QString &key,
                 const QString &value);
void writeInteger(const QString &fileName, const QString &section, const QString &key, int value);

} // namespace PrivateProfile
