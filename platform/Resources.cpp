#include "platform/Resources.h"

#include <vector>

namespace {
struct Entry {
    QString type, name;
    QByteArrayView bytes;
};
std::vector<Entry> &table()
{
    static std::vector<Entry> entries;
    return entries;
}
}

namespace Resources {

bool add(const char *type, const char *name, const unsigned char *data, std::size_t size)
{
    table().push_back({QString::fromLatin1(type), QString::fromLatin1(name),
                       QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size))});
    return true;
}

std::optional<QByteArrayView> find(const QString &type, const QString &name)
{
    for (const Entry &e : table())
        if (e.type.compare(type, Qt::CaseInsensitive) == 0 && e.name.compare(name, Qt::CaseInsensitive) == 0)
            return e.bytes;
    return std::nullopt;
}

}
