#include "in_place_write.h"

#include "file_descriptor.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Opens for reading too where allowed, so that the bytes about to be
// overwritten can be kept; without blocking, as the path may have become a
// pipe since it was looked at.
int openForOverwrite(int folder, const QByteArray& name, bool& readable)
{
    constexpr int kFlags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW;
    int fd = ::openat(folder, name.constData(), O_RDWR | kFlags);
    readable = fd >= 0;
    if (fd < 0 && errno == EACCES)
        fd = ::openat(folder, name.constData(), O_WRONLY | kFlags);
    return fd;
}

bool readAt(int fd, off_t offset, QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t step = ::pread(fd, bytes.data() + done, std::size_t(bytes.size() - done), offset + done);
        if (step < 0 && errno == EINTR)
            continue;
        if (step <= 0)
            return false;
        done += step;
    }
    return true;
}

// Makes sure that writing length bytes from the start cannot fail for want
// of space. Where the file system reserves no space, the file is grown with
// zeros instead, which covers everything past the old end; the old bytes
// themselves stay untouched either way.
bool reserve(int fd, off_t oldSize, off_t length)
{
    if (length == 0 || ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, length) == 0)
        return true;
    if (errno != EOPNOTSUPP)
        return false;
    return length <= oldSize || (::lseek(fd, oldSize, SEEK_SET) == oldSize &&
                                 writeAll(fd, QByteArray(qsizetype(length - oldSize), '\0')));
}

// Puts the kept bytes back at the start and the old length back; also frees
// whatever was reserved past the old end.
bool restore(int fd, const std::optional<QByteArray>& kept, off_t oldSize)
{
    const int error = errno;
    const bool whole = kept && ::lseek(fd, 0, SEEK_SET) == 0 && writeAll(fd, *kept);
    const bool cut = ::ftruncate(fd, oldSize) == 0;
    errno = error;
    return whole && cut;
}

// The bytes are written over the old ones, then the file is cut to the new
// length and flushed to disk.
bool overwrite(int fd, const QByteArray& bytes, off_t oldSize, const WriteCall& write)
{
    return ::lseek(fd, 0, SEEK_SET) == 0 && writeAll(fd, bytes, write) &&
           (bytes.size() >= oldSize || ::ftruncate(fd, bytes.size()) == 0) && ::fsync(fd) == 0;
}

} // namespace

std::optional<WriteFailure> overwriteInPlace(int folder, const QByteArray& name, const QByteArray& bytes,
                                        const WriteCall& write)
{
    bool readable = false;
    FileDescriptor file(openForOverwrite(folder, name, readable));
    struct stat info {};
    if (!file.isOpen() || ::fstat(file.get(), &info) != 0)
        return WriteFailure::system(errno);
    if (!S_ISREG(info.st_mode))
        return WriteFailure::system(EINVAL);
    const off_t oldSize = info.st_size;

    std::optional<QByteArray> kept;
    if (readable) {
        QByteArray head(qsizetype(std::min<off_t>(oldSize, bytes.size())), '\0');
        if (readAt(file.get(), 0, head))
            kept = head;
    }
    if (!reserve(file.get(), oldSize, bytes.size())) {
        WriteFailure failure = WriteFailure::system(errno);
        // Frees a partial reservation and cuts off zeros that were added.
        failure.oldContentWhole = ::ftruncate(file.get(), oldSize) == 0;
        return failure;
    }
    if (!overwrite(file.get(), bytes, oldSize, write)) {
        WriteFailure failure = WriteFailure::system(errno);
        failure.oldContentWhole = restore(file.get(), kept, oldSize);
        return failure;
    }
    if (!file.close())
        return WriteFailure::system(errno);
    return std::nullopt;
}
