#include "extended_attributes.h"

#include "file_descriptor.h"

#include <QList>
#include <cerrno>
#include <functional>
#include <sys/xattr.h>

namespace {

const QByteArray kFileCapability = "security.capability";

// Calls a list or get call of the xattr family until the buffer is large
// enough: an attribute may grow between asking for its size and reading it.
bool readAll(const std::function<ssize_t(char*, std::size_t)>& call, QByteArray& bytes)
{
    for (;;) {
        const ssize_t size = call(nullptr, 0);
        if (size < 0)
            return false;
        bytes.resize(size);
        const ssize_t read = call(bytes.data(), std::size_t(size));
        if (read >= 0) {
            bytes.truncate(read);
            return true;
        }
        if (errno != ERANGE)
            return false;
    }
}

// The names a list call gives; none where the file system keeps none.
bool listNames(const std::function<ssize_t(char*, std::size_t)>& list, QList<QByteArray>& names)
{
    QByteArray all;
    if (!readAll(list, all))
        return errno == ENOTSUP;
    for (const QByteArray& name : all.split('\0'))
        if (!name.isEmpty())
            names << name;
    return true;
}

} // namespace

bool copyExtendedAttributes(int folder, const QByteArray& name, int to)
{
    // The l-calls on a path through the folder's descriptor: the old file
    // may not be opened for reading, and its name is never a link.
    const QByteArray from = descriptorPath(folder) + '/' + name;
    QList<QByteArray> wanted;
    QList<QByteArray> present;
    if (!listNames([&](char* list, std::size_t size) { return ::llistxattr(from.constData(), list, size); },
                   wanted) ||
        !listNames([&](char* list, std::size_t size) { return ::flistxattr(to, list, size); }, present))
        return false;
    wanted.removeAll(kFileCapability);
    for (const QByteArray& attribute : present)
        if (!wanted.contains(attribute) && ::fremovexattr(to, attribute.constData()) != 0)
            return false;
    for (const QByteArray& attribute : wanted) {
        QByteArray value;
        const auto get = [&](char* bytes, std::size_t size) {
            return ::lgetxattr(from.constData(), attribute.constData(), bytes, size);
        };
        if (!readAll(get, value) ||
            ::fsetxattr(to, attribute.constData(), value.constData(), std::size_t(value.size()), 0) != 0)
            return false;
    }
    return true;
}
