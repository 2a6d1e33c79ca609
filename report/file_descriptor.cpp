#include "file_descriptor.h"

#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace {

// How long a pipe or device may take nothing before the write gives up: a
// reader that stopped reading must not freeze the window.
constexpr int kStallMilliseconds = 3000;

bool waitUntilWritable(int fd)
{
    pollfd wanted{fd, POLLOUT, 0};
    const int ready = ::poll(&wanted, 1, kStallMilliseconds);
    if (ready == 0)
        errno = EAGAIN;
    return ready > 0;
}

} // namespace

FileDescriptor::~FileDescriptor()
{
    if (fd_ >= 0)
        ::close(fd_);
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

bool FileDescriptor::close()
{
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
}

bool writeAll(int fd, const QByteArray& bytes, const WriteCall& write)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const char* data = bytes.constData() + done;
        const auto size = std::size_t(bytes.size() - done);
        const ssize_t step = write ? write(fd, data, size) : ::write(fd, data, size);
        if (step > 0) {
            done += step;
            continue;
        }
        if (step == 0)
            errno = EIO; // a write that takes nothing of a non-empty block would loop for ever
        if (errno == EINTR || (errno == EAGAIN && waitUntilWritable(fd)))
            continue;
        return false;
    }
    return true;
}

QByteArray descriptorPath(int fd)
{
    return "/proc/self/fd/" + QByteArray::number(fd);
}
