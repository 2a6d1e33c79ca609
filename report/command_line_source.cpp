#include "command_line_source.h"

#include "messages.h"
#include "name_bytes.h"

#include <QtGlobal>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What the name is where it is no file to count, or nothing.
QString kindOfNonFile(const QByteArray& name)
{
    struct stat status {};
    if (::stat(name.constData(), &status) != 0)
        return {};
    switch (status.st_mode & S_IFMT) {
    case S_IFCHR: return QStringLiteral("Is a character device, not a file");
    case S_IFBLK: return QStringLiteral("Is a block device, not a file");
    case S_IFIFO: return QStringLiteral("Is a named pipe, not a file; read it as standard input (-)");
    case S_IFSOCK: return QStringLiteral("Is a socket, not a file");
    default: return {};
    }
}

// A pipe holds 64 KiB at first: the program that writes into it would wait
// each time this one counts what it read. Room for a whole block lets both
// work at once. Where the system allows less, or fd is no pipe, nothing
// changes.
void widenPipe(int fd, std::size_t size)
{
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISFIFO(status.st_mode))
        ::fcntl(fd, F_SETPIPE_SZ, int(size));
}

} // namespace

ReadOutcome countCommandLineSource(const QByteArray& name, SourceCount& count, const ReadOptions& options)
{
    if (name == "-") {
        widenPipe(STDIN_FILENO, options.blockSize);
        return countStream(STDIN_FILENO, count, options);
    }
    return countSourceFile(name.toStdString(), count, options);
}

QString sourceFailureLine(const QByteArray& name, const ReadOutcome& outcome)
{
    QString reason;
    switch (outcome.status) {
    case ReadStatus::Missing:
        reason = qt_error_string(ENOENT);
        break;
    case ReadStatus::Changed:
        reason = QString::fromLatin1(kChangedWhileCountedReason);
        break;
    case ReadStatus::Stopped:
        reason = qt_error_string(EINTR);
        break;
    case ReadStatus::ReadFailed:
        reason = kindOfNonFile(name);
        if (reason.isEmpty())
            reason = qt_error_string(outcome.error);
        break;
    case ReadStatus::Counted:
    case ReadStatus::LimitReached:
        break;
    }
    return textOfBytes(name) + QStringLiteral(": ") + reason;
}
