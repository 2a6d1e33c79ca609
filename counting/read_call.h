#pragma once

#include <cstddef>
#include <functional>
#include <sys/types.h>

// Reads up to size bytes at offset, as pread does: the one call through which
// every byte that is not counted in place comes in, so that tests can inject
// failures and watch what is read.
using ReadAt = std::function<ssize_t(int fd, void* buffer, std::size_t size, off_t offset)>;
