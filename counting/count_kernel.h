#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// Occurrences of each byte value. Unsigned 32 bits suffice: no caller counts
// more than the source limit, which is below 2^31.
using ByteCounts = std::array<std::uint32_t, 256>;

// Adds the occurrences of each byte of data[0, size) to counts.
// Fast kernel; gives exactly what countBytesReference gives.
void countBytes(const unsigned char* data, std::size_t size, ByteCounts& counts);

// The plain loop, kept as the kernel's reference.
void countBytesReference(const unsigned char* data, std::size_t size, ByteCounts& counts);
