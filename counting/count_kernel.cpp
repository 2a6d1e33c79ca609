#include "count_kernel.h"

#include <algorithm>
#include <cstring>

namespace {

// Every kernel works in strides of 32 bytes so that it can see runs.
constexpr std::size_t kStride = 32;

// A block is sampled from its first bytes to choose its kernel.
constexpr std::size_t kSampleSize = 4096;

// Pairs gain when the block's effective number of values, n² over the sum of
// the squared counts of a sample of n bytes, is below this: about 240 for
// random bytes, 15 for text, under 64 for most program files. Uniform data
// over 96 values still gains, over 128 loses.
constexpr std::uint64_t kPairsBelowValues = 100;

constexpr std::size_t kPairTableSize = 1 << 16;

// Data counted where it lies in the page cache, or just read from the disk,
// is in memory, not in the processor's caches: asking for it this far ahead
// hides most of the wait. Prefetches past the end of the data are harmless,
// they never fault.
constexpr std::size_t kPrefetchAhead = 2048;

// True when the stride at p holds one value 32 times, which then costs one
// add instead of 32 increments of one counter, each waiting on the last.
bool isRun(const unsigned char* p)
{
    std::uint64_t words[4];
    std::memcpy(words, p, sizeof words);
    const std::uint64_t spread = p[0] * 0x0101'0101'0101'0101u;
    return ((words[0] ^ spread) | (words[1] ^ spread) | (words[2] ^ spread) |
            (words[3] ^ spread)) == 0;
}

// One increment per byte, spread over sub-tables: values that repeat close
// together land on different counters, so an increment seldom waits for the
// store of the one before. One sub-table is enough for a small sample.
// Looking for runs costs a twentieth of the time on data without any.
// Gives the number of strides counted as runs.
template <bool Runs, std::size_t Tables>
std::size_t countSingles(const unsigned char* p, const unsigned char* end,
                         std::array<ByteCounts, Tables>& tables)
{
    std::size_t runs = 0;
    for (; end - p >= std::ptrdiff_t{kStride}; p += kStride) {
        __builtin_prefetch(p + kPrefetchAhead);
        if (Runs && isRun(p)) {
            tables[0][p[0]] += kStride;
            ++runs;
            continue;
        }
#pragma GCC unroll 32
        for (std::size_t i = 0; i < kStride; ++i)
            tables[i % Tables][p[i]]++;
    }
    for (; p < end; ++p)
        tables[0][*p]++;
    return runs;
}

// One increment per two bytes, past the limit of about one increment a cycle
// that every kernel of one increment per byte meets. The 256 KiB table stays
// in the fast caches only while few distinct pairs occur, as in text and
// programs; on bytes of all values alike it is slower than countSingles.
// Looking for runs costs next to nothing here, so it always does.
void countPairs(const unsigned char* p, const unsigned char* end, std::uint32_t* pairs,
                ByteCounts& singles)
{
    for (; end - p >= std::ptrdiff_t{kStride}; p += kStride) {
        __builtin_prefetch(p + kPrefetchAhead);
        if (isRun(p)) {
            singles[p[0]] += kStride;
            continue;
        }
#pragma GCC unroll 16
        for (std::size_t i = 0; i < kStride; i += 2) {
            std::uint16_t pair;
            std::memcpy(&pair, p + i, sizeof pair);
            pairs[pair]++;
        }
    }
    for (; p < end; ++p)
        singles[*p]++;
}

} // namespace

void countBytesReference(const unsigned char* data, std::size_t size, ByteCounts& counts)
{
    for (std::size_t i = 0; i < size; ++i)
        counts[data[i]]++;
}

ByteCounter::ByteCounter(Kernel kernel)
    : kernel_(kernel)
{
}

ByteCounter::~ByteCounter() = default;

void ByteCounter::add(const unsigned char* data, std::size_t size)
{
    const unsigned char* const end = data + size;
    Kernel kernel = kernel_;
    if (kernel == Kernel::Chosen) {
        const std::size_t sampled = std::min(size, kSampleSize);
        kernel = countSample(data, sampled);
        data += sampled;
    }
    switch (kernel) {
    case Kernel::Chosen: // never left by the sample
    case Kernel::Singles:
        countSingles<false>(data, end, singles_);
        break;
    case Kernel::SinglesAndRuns:
        countSingles<true>(data, end, singles_);
        break;
    case Kernel::Pairs:
        countPairs(data, end, pairTable(), singles_[0]);
        break;
    }
}

ByteCounter::Kernel ByteCounter::countSample(const unsigned char* data, std::size_t size)
{
    sample_[0].fill(0);
    const std::size_t runs = countSingles<true>(data, data + size, sample_);
    std::uint64_t squares = 0;
    for (int v = 0; v < 256; ++v) {
        singles_[0][v] += sample_[0][v];
        squares += std::uint64_t{sample_[0][v]} * sample_[0][v];
    }
    if (squares * kPairsBelowValues > std::uint64_t{size} * size)
        return Kernel::Pairs;
    return runs > 0 ? Kernel::SinglesAndRuns : Kernel::Singles;
}

std::uint32_t* ByteCounter::pairTable()
{
    if (!pairs_)
        pairs_ = std::make_unique<std::uint32_t[]>(kPairTableSize);
    return pairs_.get();
}

ByteCounts ByteCounter::counts() const
{
    ByteCounts total{};
    for (const ByteCounts& table : singles_)
        addCounts(total, table);
    if (!pairs_)
        return total;
    // A pair's index is its two bytes read as one 16-bit number; each pair
    // counts once for each of its bytes, whichever the byte order.
    for (int high = 0; high < 256; ++high) {
        std::uint32_t row = 0;
        for (int low = 0; low < 256; ++low) {
            const std::uint32_t n = pairs_[high << 8 | low];
            row += n;
            total[low] += n;
        }
        total[high] += row;
    }
    return total;
}
