#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

// Occurrences of each byte value. Unsigned 32 bits suffice: no caller counts
// more than the source limit, which is below 2^31.
using ByteCounts = std::array<std::uint32_t, 256>;

// Adds the counts of more to total, value by value.
inline void addCounts(ByteCounts& total, const ByteCounts& more)
{
    for (int v = 0; v < 256; ++v)
        total[v] += more[v];
}

// The plain loop, one increment per byte: the reference every faster kernel
// is tested against.
void countBytesReference(const unsigned char* data, std::size_t size, ByteCounts& counts);

// Counts the bytes of many blocks, one after the other, into tables that are
// zeroed when the counter is made and summed only by counts(), so a count
// pays for them once however many blocks it has. At most 2^32 - 1
// occurrences of any one value. Not thread-safe: one counter per thread.
class ByteCounter {
public:
    enum class Kernel {
        Chosen,         // Pairs where this processor gains by them on any data,
                        // else Sampled
        Sampled,        // picked for each block from a sample of its first bytes
        Singles,        // one increment per byte, into eight sub-tables
        SinglesAndRuns, // the same, but 32 equal bytes in a row take one add
        Pairs,          // one increment per two bytes, into a table of pairs,
                        // and 32 equal bytes in a row take one add
    };

    explicit ByteCounter(Kernel kernel = Kernel::Chosen);
    ~ByteCounter();
    ByteCounter(const ByteCounter&) = delete;
    ByteCounter& operator=(const ByteCounter&) = delete;

    // Adds the occurrences of each byte of data[0, size).
    void add(const unsigned char* data, std::size_t size);
    // The occurrences of every value added so far.
    ByteCounts counts() const;

private:
    static constexpr int kSubTables = 8;
    using SubTables = std::array<ByteCounts, kSubTables>;

    // Counts data[0, size) and chooses the kernel for the rest of the block
    // that it begins.
    Kernel countSample(const unsigned char* data, std::size_t size);
    std::uint32_t* pairTable();

    Kernel kernel_;
    alignas(64) SubTables singles_{};
    std::array<ByteCounts, 1> sample_{};
    std::unique_ptr<std::uint32_t[]> pairs_; // 65,536 entries, made on first use
};
