#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

// Occurrences of each byte value in a count of any size.
using WideCounts = std::array<std::uint64_t, 256>;

// Adds the counts of more to total, value by value.
inline void addCounts(WideCounts& total, const WideCounts& more)
{
    for (int v = 0; v < 256; ++v)
        total[v] += more[v];
}

// The plain loop, one increment per byte: the reference every faster kernel
// is tested against.
void countBytesReference(const unsigned char* data, std::size_t size, WideCounts& counts);

// Counts the bytes of many blocks, one after the other, into tables that are
// zeroed when the counter is made and summed only by counts(), so a count
// pays for them once however many blocks it has. The tables hold 32-bit
// counters, which cost half the cache of wider ones; they are folded into
// 64-bit totals every 2 GiB, so any number of bytes can be added. Not
// thread-safe: one counter per thread.
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
    WideCounts counts() const;

    // Below this many bytes added since the last fold, no 32-bit counter of
    // the tables can overflow.
    static constexpr std::size_t kFoldAfter = std::size_t{1} << 31;

private:
    static constexpr int kSubTables = 8;
    using Table = std::array<std::uint32_t, 256>;
    using SubTables = std::array<Table, kSubTables>;

    void addBlock(const unsigned char* data, std::size_t size);
    // Counts data[0, size) and chooses the kernel for the rest of the block
    // that it begins.
    Kernel countSample(const unsigned char* data, std::size_t size);
    std::uint32_t* pairTable();
    // Moves the tables' counts into folded_ and zeroes them.
    void fold();
    WideCounts tableCounts() const;

    Kernel kernel_;
    alignas(64) SubTables singles_{};
    std::array<Table, 1> sample_{};
    std::unique_ptr<std::uint32_t[]> pairs_; // 65,536 entries, made on first use
    std::size_t sinceFold_ = 0;              // bytes added since the tables were last folded
    WideCounts folded_{};
};
