#pragma once

#include <cstddef>
#include <functional>
#include <sys/types.h>

// The write call for the report's bytes, replaceable so that tests can
// inject failures; the system's write() when empty.
using WriteCall = std::function<ssize_t(int fd, const void* data, std::size_t size)>;
