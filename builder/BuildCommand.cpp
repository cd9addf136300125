#include "builder/BuildCommand.h"

#include "platform/Resources.h"

#include <QFile>
#include <QFileInfo>

bool ExtractRuntime(const QString &resourceType, const QString &resourceName, const QString &path)
{
    const auto bytes = Resources::find(resourceType, resourceName);
    if (!bytes) return false;
    QFile::remove(path); // a new file, so a running copy of an earlier build is not rewritten
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    if (out.write(bytes->data(), bytes->size()) != bytes->size()) return false;
    out.close();
    if (out.error() != QFileDevice::NoError) return false;
    return out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                              QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther |
                              QFileDevice::ExeOther);
}

QString ReplaceExtension(const QString &path, const QString &extension)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot > slash) return path.left(dot) + extension;
    return path + extension;
}

QString OutputPath(const QString &outputFolder, const QString &outputName, const QString &firstSource,
                   int outputKind)
{
    const QString path = !outputName.isEmpty() ? outputFolder + outputName + QStringLiteral(".exe")
                                               : outputFolder + QFileInfo(firstSource).fileName();
    if (outputKind == 0) return ReplaceExtension(path, QStringLiteral(".scr"));
    if (outputKind == 1) return ReplaceExtension(path, QStringLiteral(".exe"));
    return path;
}
