#include "builder/Install.h"

#include "platform/Desktop.h"
#include "platform/Registry.h"

#include <QFileInfo>

void InstallSaver(const QString &path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile()) return;
    Registry::writeString(Registry::CurrentUserDesktop, QStringLiteral("SCRNSAVE.EXE"), path);
    Desktop::current().broadcastSettingsChange();
}
