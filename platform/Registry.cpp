#include "platform/Registry.h"

#include "platform/PrivateProfile.h"

namespace Registry {

QString storePath() { return PrivateProfile::userFolder() + QStringLiteral("registry.ini"); }

void writeString(const QString &keyPath, const QString &name, const QString &value)
{
    PrivateProfile::writeString(storePath(), keyPath, name, value);
}

QString readString(const QString &keyPath, const QString &name, const QString &defaultValue)
{
    return PrivateProfile::readString(storePath(), keyPath, name, defaultValue);
}

} // namespace Registry
