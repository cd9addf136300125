#include "platform/TempPath.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace TempPath {

QString ensurePrivateFolder(const QString &folder)
{
    QString dir = folder;
    if (!dir.endsWith('/')) dir += '/';
    const QByteArray native = QFile::encodeName(dir.chopped(1));
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        throw TempPathError("cannot create " + native.toStdString() + ": " + std::strerror(errno));
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0)
        throw TempPathError("cannot examine " + native.toStdString() + ": " + std::strerror(errno));
    if (!S_ISDIR(st.st_mode))
        throw TempPathError(native.toStdString() + " is not a folder (or is a link)");
    if (st.st_uid != ::geteuid())
        throw TempPathError(native.toStdString() + " belongs to another user");
    if ((st.st_mode & 0077) != 0 && ::chmod(native.constData(), 0700) != 0)
        throw TempPathError("cannot make " + native.toStdString() + " private");
    return dir;
}

QString path()
{
    const QByteArray runtimeDir = qgetenv("XDG_RUNTIME_DIR");
    if (!runtimeDir.isEmpty()) {
        QString base = QFile::decodeName(runtimeDir);
        if (!base.endsWith('/')) base += '/';
        return ensurePrivateFolder(base + "nuvira/");
    }
    return ensurePrivateFolder(QStringLiteral("/tmp/nuvira-%1/").arg(::geteuid()));
}

int createFileNoFollow(const QString &filePath)
{
    const QByteArray native = QFile::encodeName(filePath);
    return ::open(native.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
}

} // namespace TempPath
