#pragma once
// The per-user registry store: the keys and string values the system keeps in the
// Windows registry live in $XDG_CONFIG_HOME/nuvira/registry.ini, one section per key
// path (for example "HKEY_CURRENT_USER\Control Panel\Desktop").
#include <QString>

namespace Registry {

inline const QString CurrentUserDesktop = QStringLiteral("HKEY_CURRENT_USER\\Control Panel\\Desktop");

// The store's file.
QString storePath();

// Throws ProfileWriteError when the store cannot be written.
void writeString(const QString &keyPath, const QString &name, const QString &value);
// The value, or defaultValue when the key or the value does not exist.
QString readString(const QString &keyPath, const QString &name, const QString &defaultValue = {});

} // namespace Registry
