#include "report_file.h"

#include "destination.h"
#include "extended_attributes.h"
#include "file_descriptor.h"
#include "in_place_write.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isOnlyBlanks(const QString& name)
{
    return !name.isEmpty() && name.trimmed().isEmpty();
}

// Creates a new file in folder under a name of its own (so that a long
// target name cannot make it too long).
int createBeside(int folder, mode_t mode, QByteArray& name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = ".tallivor-" + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        const int fd = ::openat(folder, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

WriteFailure unfinishedFileLeft(int error, const QString& file)
{
    WriteFailure failure = WriteFailure::system(error);
    failure.unfinishedFile = file;
    return failure;
}

// False where the process may not give the replacement all the old file
// has. The owner goes first, as changing it clears set-ID bits of the mode;
// the mode goes last, so that nothing the folder passed on widens it.
bool keepWhatTheOldFileHas(int fd, const Destination& destination)
{
    const struct stat& old = *destination.existing;
    return ::fchown(fd, old.st_uid, old.st_gid) == 0 &&
           copyExtendedAttributes(destination.folder.get(), destination.name, fd) &&
           ::fchmod(fd, old.st_mode & 07777) == 0;
}

// The file system refused to put a replacement there (a folder that takes
// no renames, a file mounted over), but the file itself may be writable.
bool refusedReplacing(int error)
{
    return error == EPERM || error == EACCES || error == EBUSY;
}

// Writes a file under a temporary name beside the destination and renames
// it over the destination once complete and on disk.
std::optional<WriteFailure> replaceRegularFile(const Destination& destination, const QByteArray& bytes,
                                          const WriteCall& write)
{
    const int folder = destination.folder.get();
    const bool exists = destination.existing.has_value();
    QByteArray temporary;
    // A replacement is readable by its owner alone until it has the old
    // file's mode.
    FileDescriptor file(createBeside(folder, exists ? 0600 : 0666, temporary));
    if (!file.isOpen()) {
        // A folder that takes no new file may still hold a writable file.
        return exists ? overwriteInPlace(destination, bytes, write) : WriteFailure::system(errno);
    }
    // Rather than hand someone else's file over to this process's user, or
    // drop an access list, keep the file itself.
    bool inPlaceInstead = exists && !keepWhatTheOldFileHas(file.get(), destination);
    if (!inPlaceInstead && writeAll(file.get(), bytes, write) && ::fsync(file.get()) == 0 && file.close()) {
        if (::renameat(folder, temporary.constData(), folder, destination.name.constData()) == 0)
            return std::nullopt;
        inPlaceInstead = exists && refusedReplacing(errno);
    }
    const int error = errno;
    if (::unlinkat(folder, temporary.constData(), 0) != 0)
        return unfinishedFileLeft(error, pathInFolder(folder, temporary));
    return inPlaceInstead ? overwriteInPlace(destination, bytes, write) : WriteFailure::system(error);
}

// A new file in a folder that lets nothing be removed. Written unnamed where
// the file system allows, it gets its name only once complete, so that a
// failure leaves nothing behind; elsewhere it is created under its name.
std::optional<WriteFailure> createDirectly(const Destination& destination, const QByteArray& bytes,
                                      const WriteCall& write)
{
    const int folder = destination.folder.get();
    const char* name = destination.name.constData();
    FileDescriptor unnamed(::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
    if (unnamed.isOpen()) {
        const QByteArray self = descriptorPath(unnamed.get());
        if (!writeAll(unnamed.get(), bytes, write) || ::fsync(unnamed.get()) != 0 ||
            ::linkat(AT_FDCWD, self.constData(), folder, name, AT_SYMLINK_FOLLOW) != 0 || !unnamed.close())
            return WriteFailure::system(errno);
        return std::nullopt;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR)
        return WriteFailure::system(errno);
    FileDescriptor file(::openat(folder, name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!file.isOpen())
        return WriteFailure::system(errno);
    if (writeAll(file.get(), bytes, write) && ::fsync(file.get()) == 0 && file.close())
        return std::nullopt;
    const int error = errno;
    if (::unlinkat(folder, name, 0) != 0)
        return unfinishedFileLeft(error, pathInFolder(folder, destination.name));
    return WriteFailure::system(error);
}

// The descriptor open on socket that this program was given when it
// started (its standard output under a service manager, a /dev/fd/N that
// its caller passed on), or -1. Such descriptors carry no close-on-exec
// mark, unlike the program's own connections (the display's, the
// accessibility bus's), which must never get a report's bytes.
int givenDescriptorOf(const struct stat& socket)
{
    DIR* descriptors = ::opendir("/proc/self/fd");
    if (!descriptors)
        return -1;
    int found = -1;
    while (const dirent* entry = ::readdir(descriptors)) {
        bool isNumber = false;
        const int fd = QByteArray(entry->d_name).toInt(&isNumber);
        struct stat info {};
        const int flags = isNumber ? ::fcntl(fd, F_GETFD) : -1;
        if (flags >= 0 && (flags & FD_CLOEXEC) == 0 && ::fstat(fd, &info) == 0 && S_ISSOCK(info.st_mode) &&
            sameFile(info, socket)) {
            found = fd;
            break;
        }
    }
    ::closedir(descriptors);
    return found;
}

// A socket cannot be opened, as a shell's `>` finds; it is written through
// the descriptor it came by, without waiting on a reader that stops reading.
std::optional<WriteFailure> writeToSocket(const struct stat& socket, const QByteArray& bytes, const WriteCall& write)
{
    const int fd = givenDescriptorOf(socket);
    if (fd < 0)
        return WriteFailure::system(ENXIO);
    const WriteCall sendWithoutWaiting = [](int to, const void* data, std::size_t size) {
        return ::send(to, data, size, MSG_DONTWAIT | MSG_NOSIGNAL);
    };
    if (!writeAll(fd, bytes, write ? write : sendWithoutWaiting))
        return WriteFailure::system(errno);
    return std::nullopt;
}

// Replacing a device or a pipe by a regular file would destroy it. It is
// opened again through what the kernel reached, so that a pipe named by
// /dev/stdout or /dev/fd/N is the very pipe.
std::optional<WriteFailure> writeToSpecialFile(const Destination& destination, const QByteArray& bytes,
                                          const WriteCall& write)
{
    const mode_t mode = destination.existing->st_mode;
    if (S_ISSOCK(mode))
        return writeToSocket(*destination.existing, bytes, write);
    // Opening a pipe for writing waits for a reader, and the window with it,
    // unless it is opened without blocking.
    constexpr int kFlags = O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    FileDescriptor file(::open(descriptorPath(destination.reached.get()).constData(), kFlags));
    if (!file.isOpen())
        return errno == ENXIO && S_ISFIFO(mode) ? WriteFailure::of(WriteFailure::Kind::NoReader)
                                                : WriteFailure::system(errno);
    if (!writeAll(file.get(), bytes, write) || !file.close())
        return WriteFailure::system(errno);
    return std::nullopt;
}

std::optional<WriteFailure> writeExistingFile(const Destination& destination, const QByteArray& bytes,
                                         const WriteCall& write)
{
    const mode_t mode = destination.existing->st_mode;
    // Written over, a disk or partition would lose its file system.
    if (S_ISBLK(mode))
        return WriteFailure::disk(pathOfDescriptor(destination.reached.get()));
    if (!S_ISREG(mode))
        return writeToSpecialFile(destination, bytes, write);
    const int folder = destination.folder.get();
    // A replacement would get round the file's own protection.
    if (::faccessat(folder, destination.name.constData(), W_OK, AT_EACCESS | AT_SYMLINK_NOFOLLOW) != 0)
        return WriteFailure::system(errno);
    if (destination.existing->st_nlink > 1 || refusesRemovals(folder))
        return overwriteInPlace(destination, bytes, write);
    return replaceRegularFile(destination, bytes, write);
}

std::optional<WriteFailure> writeFoundFile(const QString& path, const QByteArray& bytes, const WriteCall& write)
{
    Destination destination;
    if (const auto failure = findDestination(QFile::encodeName(path), destination))
        return failure;
    if (destination.existing)
        return writeExistingFile(destination, bytes, write);
    if (refusesRemovals(destination.folder.get()))
        return createDirectly(destination, bytes, write);
    return replaceRegularFile(destination, bytes, write);
}

} // namespace

std::optional<WriteFailure> writeWholeFile(const QString& path, const QByteArray& bytes, const WriteCall& write)
{
    if (isOnlyBlanks(QFileInfo(path).fileName()))
        return WriteFailure::of(WriteFailure::Kind::BlankName);
    auto failure = writeFoundFile(path, bytes, write);
    if (failure && failure->kind == WriteFailure::Kind::PathChanged)
        failure->file = QFileInfo(path).absoluteFilePath();
    return failure;
}

void ignoreWriteSignals()
{
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
}
