#pragma once

#include "write_call.h"

#include <QByteArray>
#include <utility>

// An open file descriptor, closed when its owner goes.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor();
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }
    // Closes now; false with errno set where the system reports a failure,
    // as some file systems report write failures only here.
    bool close();

private:
    int fd_;
};

// Writes all of bytes at the descriptor's position through write (the
// system's write() when empty). A pipe or device that takes nothing more
// for now is waited for, but never for long. False with errno set on
// failure.
bool writeAll(int fd, const QByteArray& bytes, const WriteCall& write = {});

// A path through which the kernel reaches the file open at fd, even a file
// with no name, or one open as a path only.
QByteArray descriptorPath(int fd);
