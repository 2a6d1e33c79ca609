#include "destination.h"

#include <QFile>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <unistd.h>

namespace {

// As many as the kernel follows in one path.
constexpr int kMostLinks = 40;

void split(const QByteArray& path, QByteArray& folder, QByteArray& name)
{
    const qsizetype slash = path.lastIndexOf('/');
    folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
    name = path.mid(slash + 1);
}

// A null array with errno set where the link cannot be read.
QByteArray readLink(int folder, const QByteArray& name)
{
    QByteArray target(PATH_MAX, '\0');
    const ssize_t size = ::readlinkat(folder, name.constData(), target.data(), std::size_t(target.size()));
    if (size < 0)
        return {};
    if (size == target.size()) {
        errno = ENAMETOOLONG;
        return {};
    }
    target.truncate(size);
    return target;
}

// Walks path one link at a time: each folder is opened by the kernel, and a
// link in the last place is read and its target walked on from the link's
// own folder, so that ".." in a target means the folder the kernel means.
// False with errno set where the walk cannot go on.
bool walk(QByteArray path, Destination& destination)
{
    for (int link = 0; link <= kMostLinks; ++link) {
        QByteArray folderPath;
        split(path, folderPath, destination.name);
        const int base = destination.folder.isOpen() ? destination.folder.get() : AT_FDCWD;
        // With "/." after it, a link that ends the folder's path is followed
        // as one inside a path, as the kernel's walk of the whole path does.
        const QByteArray inside = folderPath + "/.";
        FileDescriptor folder(::openat(base, inside.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!folder.isOpen())
            return false;
        destination.folder = std::move(folder);
        if (destination.name.isEmpty()) {
            errno = EISDIR; // a path that ends in "/"
            return false;
        }
        struct stat info {};
        if (::fstatat(destination.folder.get(), destination.name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            destination.existing.reset();
            return errno == ENOENT;
        }
        if (!S_ISLNK(info.st_mode)) {
            destination.existing = info;
            return true;
        }
        path = readLink(destination.folder.get(), destination.name);
        if (path.isNull())
            return false;
    }
    errno = ELOOP;
    return false;
}

} // namespace

bool sameFile(const struct stat& one, const struct stat& other)
{
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

std::optional<WriteFailure> findDestination(const QByteArray& path, Destination& destination)
{
    // The kernel's own open decides which links are followed and which are
    // refused.
    FileDescriptor reached(::open(path.constData(), O_PATH | O_CLOEXEC));
    struct stat there {};
    if (reached.isOpen() ? ::fstat(reached.get(), &there) != 0 : errno != ENOENT)
        return WriteFailure::system(errno);
    if (reached.isOpen() && S_ISDIR(there.st_mode))
        return WriteFailure::system(EISDIR);
    if (reached.isOpen() && !S_ISREG(there.st_mode)) {
        // Nothing is put beside a pipe or a device, so its folder and name
        // do not matter; the link of a pipe's /dev/fd/N names no path.
        destination.reached = std::move(reached);
        destination.existing = there;
        return std::nullopt;
    }
    if (!walk(path, destination))
        return WriteFailure::system(errno);
    // Both walks end at the same file unless the path changed in between.
    const bool agree = reached.isOpen() ? destination.existing && sameFile(*destination.existing, there)
                                        : !destination.existing;
    if (!agree)
        return WriteFailure::of(WriteFailure::Kind::PathChanged);
    destination.reached = std::move(reached);
    return std::nullopt;
}

QString pathOfDescriptor(int fd)
{
    return QFile::decodeName(readLink(AT_FDCWD, descriptorPath(fd)));
}

QString pathInFolder(int folder, const QByteArray& name)
{
    QString path = pathOfDescriptor(folder);
    if (!path.endsWith(u'/'))
        path += u'/';
    return path + QFile::decodeName(name);
}

bool refusesRemovals(int folder)
{
    constexpr auto kRefusing = STATX_ATTR_APPEND | STATX_ATTR_IMMUTABLE;
    struct statx info {};
    return ::statx(folder, "", AT_EMPTY_PATH, 0, &info) == 0 &&
           (info.stx_attributes & info.stx_attributes_mask & kRefusing) != 0;
}
