#pragma once
// Named binary resources linked into a program (the runtime's bytes inside the creator
// and the command-line builder). Type and name are compared without regard to case.
#include <QByteArrayView>
#include <QString>
#include <optional>

namespace Resources {
// Registers a resource; the bytes must outlive the program (static data).
bool add(const char *type, const char *name, const unsigned char *data, std::size_t size);
std::optional<QByteArrayView> find(const QString &type, const QString &name);
}
