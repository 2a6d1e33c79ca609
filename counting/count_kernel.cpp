#include "count_kernel.h"

#include <cstring>

void countBytesReference(const unsigned char* data, std::size_t size, ByteCounts& counts)
{
    for (std::size_t i = 0; i < size; ++i)
        counts[data[i]]++;
}

// Four sub-tables so that a run of one repeated byte value spreads its
// increments over four independent counters: a single table would chain every
// increment on the previous store to the same address. Random data gains too,
// since the out-of-order core overlaps the four chains.
void countBytes(const unsigned char* data, std::size_t size, ByteCounts& counts)
{
    std::uint32_t table[4][256] = {};
    const unsigned char* p = data;
    const unsigned char* const end = data + size;

    while (end - p >= 16) {
        std::uint64_t a;
        std::uint64_t b;
        std::memcpy(&a, p, 8);
        std::memcpy(&b, p + 8, 8);
        p += 16;
        for (int shift = 0; shift < 64; shift += 16) {
            table[0][(a >> shift) & 0xFF]++;
            table[1][(a >> (shift + 8)) & 0xFF]++;
            table[2][(b >> shift) & 0xFF]++;
            table[3][(b >> (shift + 8)) & 0xFF]++;
        }
    }
    while (p < end)
        table[0][*p++]++;

    for (int v = 0; v < 256; ++v)
        counts[v] += table[0][v] + table[1][v] + table[2][v] + table[3][v];
}
