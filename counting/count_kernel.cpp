#include "count_kernel.h"

#include <algorithm>
#include <cstring>
#include <unistd.h>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

// Every kernel works in strides of 32 bytes so that it can see runs.
constexpr std::size_t kStride = 32;

// A block is sampled from its first bytes to choose its kernel.
constexpr std::size_t kSampleSize = 4096;

// With a small second-level cache, pairs gain when the block's effective
// number of values, n² over the sum of the squared counts of a sample of n
// bytes, is below this: about 240 for random bytes, 15 for text, under 64 for
// most program files. Uniform data over 96 values still gains, over 128 loses.
constexpr std::uint64_t kPairsBelowValues = 100;

constexpr std::size_t kPairTableSize = 1 << 16;

// Where each core's second-level cache holds the pair table four times over,
// the table's misses cost less than the second increment they save, even on
// bytes of all values alike: pairs gain on any data there.
bool pairsGainOnAnyData()
{
    static const bool gain = [] {
        const long secondLevel = ::sysconf(_SC_LEVEL2_CACHE_SIZE);
        return secondLevel >= long(4 * kPairTableSize * sizeof(std::uint32_t));
    }();
    return gain;
}

// Data counted where it lies in the page cache, or just read from the disk,
// is in memory, not in the processor's caches: asking for it this far ahead
// hides most of the wait. Prefetches past the end of the data are harmless,
// they never fault.
constexpr std::size_t kPrefetchAhead = 2048;

// True when the stride at p holds one value 32 times, which then costs one
// add instead of 32 increments of one counter, each waiting on the last.
// The first eight bytes settle it for almost every stride that is not a run,
// with one load and one branch that is rarely mispredicted.
[[gnu::always_inline]] inline bool isRun(const unsigned char* p)
{
    const std::uint64_t spread = p[0] * 0x0101'0101'0101'0101u;
    std::uint64_t first;
    std::memcpy(&first, p, sizeof first);
    if (first != spread)
        return false;
    std::uint64_t rest[3];
    std::memcpy(rest, p + sizeof first, sizeof rest);
    return ((rest[0] ^ spread) | (rest[1] ^ spread) | (rest[2] ^ spread)) == 0;
}

// Sixteen bytes, compared and combined in one instruction each on any
// processor with vectors of that width (SSE2 on every x86-64).
using Bytes16 = unsigned char __attribute__((vector_size(16)));

[[gnu::always_inline]] inline Bytes16 differing(const unsigned char* p, Bytes16 spread)
{
    Bytes16 bytes;
    std::memcpy(&bytes, p, sizeof bytes);
    return bytes ^ spread;
}

// The bytes from p on that repeat value, in whole steps of 64 that end at or
// before end: once a stride is a run, the rest of a long run (the zeros of a
// disk image, the padding of a program) goes at the speed of the cache it
// lies in. The four compares of a step are combined as a tree, not a chain,
// so that a step waits on two of them, not on all four in turn.
std::size_t runLengthSse2(const unsigned char* p, const unsigned char* end, unsigned char value)
{
    const Bytes16 spread = Bytes16{} + value;
    const unsigned char* q = p;
    for (; end - q >= 64; q += 64) {
        const Bytes16 differ = (differing(q, spread) | differing(q + 16, spread)) |
                               (differing(q + 32, spread) | differing(q + 48, spread));
        std::uint64_t halves[2];
        std::memcpy(halves, &differ, sizeof halves);
        if ((halves[0] | halves[1]) != 0)
            break;
    }
    return static_cast<std::size_t>(q - p);
}

#if defined(__x86_64__)
// The same in steps of 128 with vectors of 32 bytes, at twice the speed:
// for a file of zeros copied out of the cache, following the run is most of
// the time that is not the copy.
[[gnu::target("avx2"), gnu::always_inline]] inline __m256i differing32(const unsigned char* p, __m256i spread)
{
    return _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)), spread);
}

[[gnu::target("avx2")]] std::size_t runLengthAvx2(const unsigned char* p, const unsigned char* end,
                                                  unsigned char value)
{
    const __m256i spread = _mm256_set1_epi8(static_cast<char>(value));
    const unsigned char* q = p;
    for (; end - q >= 128; q += 128) {
        const __m256i differ = _mm256_or_si256(_mm256_or_si256(differing32(q, spread), differing32(q + 32, spread)),
                                               _mm256_or_si256(differing32(q + 64, spread), differing32(q + 96, spread)));
        if (!_mm256_testz_si256(differ, differ))
            break;
    }
    return static_cast<std::size_t>(q - p) + runLengthSse2(q, end, value);
}
#endif

std::size_t runLength(const unsigned char* p, const unsigned char* end, unsigned char value)
{
#if defined(__x86_64__)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2)
        return runLengthAvx2(p, end, value);
#endif
    return runLengthSse2(p, end, value);
}

// One increment per byte, spread over sub-tables: values that repeat close
// together land on different counters, so an increment seldom waits for the
// store of the one before. One sub-table is enough for a small sample.
// Looking for runs costs a twentieth of the time on data without any.
// Gives the number of strides counted as runs.
template <bool Runs, std::size_t Tables>
std::size_t countSingles(const unsigned char* p, const unsigned char* end,
                         std::array<std::array<std::uint32_t, 256>, Tables>& tables)
{
    std::size_t runs = 0;
    while (end - p >= std::ptrdiff_t{kStride}) {
        __builtin_prefetch(p + kPrefetchAhead);
        if (Runs && isRun(p)) {
            const std::size_t length = kStride + runLength(p + kStride, end, p[0]);
            tables[0][p[0]] += static_cast<std::uint32_t>(length);
            runs += length / kStride;
            p += length;
            continue;
        }
#pragma GCC unroll 32
        for (std::size_t i = 0; i < kStride; ++i)
            tables[i % Tables][p[i]]++;
        p += kStride;
    }
    for (; p < end; ++p)
        tables[0][*p]++;
    return runs;
}

// One increment per two bytes, past the limit of about one increment a cycle
// that every kernel of one increment per byte meets. The 256 KiB table stays
// in the first-level cache only while few distinct pairs occur, as in text
// and programs; bytes of all values alike spread it over the second level,
// which only a large one holds (see pairsGainOnAnyData).
// Looking for runs costs little here, so it always does. Each load of four
// bytes gives two pairs: fewer loads than one a pair, and no shifts of
// longer words.
void countPairs(const unsigned char* p, const unsigned char* end, std::uint32_t* pairs,
                std::array<std::uint32_t, 256>& singles)
{
    while (end - p >= std::ptrdiff_t{kStride}) {
        __builtin_prefetch(p + kPrefetchAhead);
        if (isRun(p)) {
            const std::size_t length = kStride + runLength(p + kStride, end, p[0]);
            singles[p[0]] += static_cast<std::uint32_t>(length);
            p += length;
            continue;
        }
#pragma GCC unroll 8
        for (std::size_t i = 0; i < kStride; i += 4) {
            std::uint32_t four;
            std::memcpy(&four, p + i, sizeof four);
            pairs[four & 0xffff]++;
            pairs[four >> 16]++;
        }
        p += kStride;
    }
    for (; p < end; ++p)
        singles[*p]++;
}

} // namespace

void countBytesReference(const unsigned char* data, std::size_t size, WideCounts& counts)
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
    while (size > 0) {
        const std::size_t piece = std::min(size, kFoldAfter - sinceFold_);
        addBlock(data, piece);
        sinceFold_ += piece;
        if (sinceFold_ == kFoldAfter)
            fold();
        data += piece;
        size -= piece;
    }
}

void ByteCounter::addBlock(const unsigned char* data, std::size_t size)
{
    const unsigned char* const end = data + size;
    Kernel kernel = kernel_;
    if (kernel == Kernel::Chosen)
        kernel = pairsGainOnAnyData() ? Kernel::Pairs : Kernel::Sampled;
    if (kernel == Kernel::Sampled) {
        const std::size_t sampled = std::min(size, kSampleSize);
        kernel = countSample(data, sampled);
        data += sampled;
    }
    switch (kernel) {
    case Kernel::Chosen: // never left by now
    case Kernel::Sampled:
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

void ByteCounter::fold()
{
    addCounts(folded_, tableCounts());
    for (Table& table : singles_)
        table.fill(0);
    if (pairs_)
        std::fill_n(pairs_.get(), kPairTableSize, 0);
    sinceFold_ = 0;
}

WideCounts ByteCounter::counts() const
{
    WideCounts total = tableCounts();
    addCounts(total, folded_);
    return total;
}

WideCounts ByteCounter::tableCounts() const
{
    WideCounts total{};
    for (const Table& table : singles_)
        for (int v = 0; v < 256; ++v)
            total[v] += table[v];
    if (!pairs_)
        return total;
    // A pair's index is its two bytes read as one 16-bit number; each pair
    // counts once for each of its bytes, whichever the byte order.
    for (int high = 0; high < 256; ++high) {
        std::uint64_t row = 0;
        for (int low = 0; low < 256; ++low) {
            const std::uint32_t n = pairs_[high << 8 | low];
            row += n;
            total[low] += n;
        }
        total[high] += row;
    }
    return total;
}
