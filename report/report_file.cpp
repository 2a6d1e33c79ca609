#include "report_file.h"

#include "file_descriptor.h"
#include "in_place_write.h"
#include "save_messages.h"
#include "scope_exit.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isOnlyBlanks(const QString& name)
{
    return !name.isEmpty() && name.trimmed().isEmpty();
}

// Where a chain of symbolic links ends, whether a file is there or not: the
// file to write. A loop leaves the path as it is, for the system to report.
QString finalTarget(const QString& path)
{
    constexpr int kMostLinks = 40;
    QFileInfo info(path);
    for (int link = 0; link < kMostLinks && info.isSymLink(); ++link)
        info.setFile(info.symLinkTarget());
    return info.isSymLink() ? path : info.filePath();
}

// Creates a new file in target's folder under a name of its own (so that a
// long target name cannot make it too long), with the mode a new file gets.
int createBeside(const QByteArray& target, QByteArray& name)
{
    const QByteArray folder = target.left(target.lastIndexOf('/') + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder + ".tallivor-" + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// False where the process may not give the replacement the old owner and
// group. The owner goes first: changing it clears set-ID bits of the mode.
bool keepOwnerAndMode(int fd, const struct stat& old)
{
    return ::fchown(fd, old.st_uid, old.st_gid) == 0 && ::fchmod(fd, old.st_mode & 07777) == 0;
}

// old describes the file there, if any.
std::optional<QString> replaceRegularFile(const QByteArray& target, const QByteArray& bytes,
                                          const struct stat* old, const WriteCall& write)
{
    QByteArray temporary;
    FileDescriptor file(createBeside(target, temporary));
    if (!file.isOpen()) {
        // A folder that takes no new file may still hold a writable file.
        return old ? overwriteInPlace(target, bytes, write) : systemReason(errno);
    }
    bool replaced = false;
    const ScopeExit removeUnlessReplaced([&] {
        if (!replaced)
            ::unlink(temporary.constData());
    });
    // Rather than hand someone else's file over to this process's user,
    // keep the file itself.
    if (old && !keepOwnerAndMode(file.get(), *old))
        return overwriteInPlace(target, bytes, write);
    if (!writeAll(file.get(), bytes, write) || ::fsync(file.get()) != 0 || !file.close() ||
        ::rename(temporary.constData(), target.constData()) != 0)
        return systemReason(errno);
    replaced = true;
    return std::nullopt;
}

// Replacing a device or a pipe by a regular file would destroy it.
std::optional<QString> writeToSpecialFile(const QByteArray& target, const QByteArray& bytes, bool isPipe,
                                          const WriteCall& write)
{
    // Opening a pipe for writing waits for a reader, and the window with it,
    // unless it is opened without blocking.
    FileDescriptor file(::open(target.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file.isOpen())
        return errno == ENXIO && isPipe ? kNoReaderReason : systemReason(errno);
    if (!writeAll(file.get(), bytes, write) || !file.close())
        return systemReason(errno);
    return std::nullopt;
}

} // namespace

std::optional<QString> writeWholeFile(const QString& path, const QByteArray& bytes, const WriteCall& write)
{
    if (isOnlyBlanks(QFileInfo(path).fileName()))
        return kBlankNameReason;
    const QByteArray target = QFile::encodeName(finalTarget(path));
    struct stat info {};
    if (::stat(target.constData(), &info) != 0)
        return errno == ENOENT ? replaceRegularFile(target, bytes, nullptr, write) : systemReason(errno);
    if (S_ISDIR(info.st_mode))
        return systemReason(EISDIR);
    if (!S_ISREG(info.st_mode))
        return writeToSpecialFile(target, bytes, S_ISFIFO(info.st_mode), write);
    // A replacement would get round the file's own protection.
    if (::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0)
        return systemReason(errno);
    if (info.st_nlink > 1)
        return overwriteInPlace(target, bytes, write);
    return replaceRegularFile(target, bytes, &info, write);
}

void ignoreWriteSignals()
{
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
}
