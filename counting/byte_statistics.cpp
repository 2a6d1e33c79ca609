#include "byte_statistics.h"

#include <algorithm>
#include <cmath>
#include <limits>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

__extension__ using Wide = unsigned __int128;
__extension__ using SignedWide = __int128;

constexpr int kGroup = 6; // bytes of one Monte Carlo point
constexpr std::uint64_t kRadius = (std::uint64_t(1) << 24) - 1;
constexpr std::uint64_t kRadiusSquared = kRadius * kRadius;
constexpr int kDegreesOfFreedom = 255;
// The bytes that both sums go over in turn: a multiple of the group, and
// small enough for the first-level cache.
constexpr std::size_t kPiece = 16 * 1024 - 16 * 1024 % kGroup;

std::int64_t groupStart(std::int64_t offset)
{
    return offset - offset % kGroup;
}

std::int64_t groupEnd(std::int64_t offset)
{
    return groupStart(offset) + kGroup;
}

bool hit(const unsigned char* p)
{
    const std::uint64_t x = std::uint64_t(p[0]) << 16 | std::uint64_t(p[1]) << 8 | p[2];
    const std::uint64_t y = std::uint64_t(p[3]) << 16 | std::uint64_t(p[4]) << 8 | p[5];
    return x * x + y * y <= kRadiusSquared;
}

std::uint64_t productsPlain(const unsigned char* data, std::size_t size)
{
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i + 1 < size; ++i)
        sum += std::uint32_t(data[i]) * data[i + 1];
    return sum;
}

std::uint64_t hitsPlain(const unsigned char* data, std::size_t groups)
{
    std::uint64_t hits = 0;
    for (std::size_t g = 0; g < groups; ++g)
        hits += hit(data + g * kGroup);
    return hits;
}

#if defined(__x86_64__)

// The products of neighbours as the odd bytes times the sum of the even bytes
// on either side, d[2k+1] * (d[2k] + d[2k+2]): one multiply-add of 16-bit
// lanes covers two products each, with no widening of the bytes.
[[gnu::target("avx2")]] std::uint64_t productsAvx2(const unsigned char* data, std::size_t size)
{
    constexpr std::size_t kStep = 32;
    // A 32-bit lane gains at most 2 * 255 * 510 a step: below 2^31 for this
    // many steps.
    constexpr int kStepsBetweenSums = 4096;
    const __m256i evenBytes = _mm256_set1_epi16(0x00FF);
    std::uint64_t total = 0;
    std::size_t i = 0;
    while (i + kStep + 2 <= size) {
        __m256i sum = _mm256_setzero_si256();
        for (int step = 0; step < kStepsBetweenSums && i + kStep + 2 <= size; ++step, i += kStep) {
            const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i));
            const __m256i ahead = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i + 2));
            const __m256i odd = _mm256_srli_epi16(here, 8);
            const __m256i around =
                _mm256_add_epi16(_mm256_and_si256(here, evenBytes), _mm256_and_si256(ahead, evenBytes));
            sum = _mm256_add_epi32(sum, _mm256_madd_epi16(odd, around));
        }
        alignas(32) std::uint32_t lanes[8];
        _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), sum);
        for (const std::uint32_t lane : lanes)
            total += lane;
    }
    return total + productsPlain(data + i, size - i);
}

// Four points at a time: each 128-bit lane takes two groups of 6 bytes and
// turns their big-endian coordinates into 32-bit ones; squares and sums are
// exact in 64 bits. size is what may be read from data, groups * 6 or more.
[[gnu::target("avx2")]] std::uint64_t hitsAvx2(const unsigned char* data, std::size_t groups,
                                               std::size_t size)
{
    const __m256i coordinates = _mm256_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1,
                                                 2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1);
    const __m256i radiusSquared = _mm256_set1_epi64x(std::int64_t(kRadiusSquared));
    __m256i misses = _mm256_setzero_si256();
    std::size_t g = 0;
    // Each step reads 28 bytes: its two lanes' loads are 16 bytes each.
    for (; g + 4 <= groups && g * kGroup + 28 <= size; g += 4) {
        const unsigned char* p = data + g * kGroup;
        const __m256i raw = _mm256_inserti128_si256(
            _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))),
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2 * kGroup)), 1);
        const __m256i xy = _mm256_shuffle_epi8(raw, coordinates);
        const __m256i y = _mm256_srli_epi64(xy, 32);
        const __m256i squares = _mm256_add_epi64(_mm256_mul_epu32(xy, xy), _mm256_mul_epu32(y, y));
        misses = _mm256_sub_epi64(misses, _mm256_cmpgt_epi64(squares, radiusSquared));
    }
    alignas(32) std::uint64_t lanes[4];
    _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), misses);
    const std::uint64_t missed = lanes[0] + lanes[1] + lanes[2] + lanes[3];
    return g - missed + hitsPlain(data + g * kGroup, groups - g);
}

// GCC 12's AVX-512 headers fill unused lanes from a variable that it then
// warns of as uninitialised (its bug 105593) wherever sanitizers are on.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

// As productsAvx2, 64 bytes a step.
[[gnu::target("avx512f,avx512bw")]] std::uint64_t productsAvx512(const unsigned char* data, std::size_t size)
{
    constexpr std::size_t kStep = 64;
    constexpr int kStepsBetweenSums = 4096;
    const __m512i evenBytes = _mm512_set1_epi16(0x00FF);
    std::uint64_t total = 0;
    std::size_t i = 0;
    while (i + kStep + 2 <= size) {
        __m512i sum = _mm512_setzero_si512();
        for (int step = 0; step < kStepsBetweenSums && i + kStep + 2 <= size; ++step, i += kStep) {
            const __m512i here = _mm512_loadu_si512(data + i);
            const __m512i ahead = _mm512_loadu_si512(data + i + 2);
            const __m512i odd = _mm512_srli_epi16(here, 8);
            const __m512i around =
                _mm512_add_epi16(_mm512_and_si512(here, evenBytes), _mm512_and_si512(ahead, evenBytes));
            sum = _mm512_add_epi32(sum, _mm512_madd_epi16(odd, around));
        }
        // Sixteen lanes of up to 2^30 each: summed in 64 bits.
        const __m512i low = _mm512_cvtepu32_epi64(_mm512_castsi512_si256(sum));
        const __m512i high = _mm512_cvtepu32_epi64(_mm512_extracti64x4_epi64(sum, 1));
        total += std::uint64_t(_mm512_reduce_add_epi64(_mm512_add_epi64(low, high)));
    }
    return total + productsPlain(data + i, size - i);
}

// Eight points at a time: one byte permutation puts each group's two
// big-endian coordinates into 32-bit lanes, whose top bytes the mask clears.
[[gnu::target("avx512f,avx512bw,avx512vbmi")]] std::uint64_t hitsAvx512(const unsigned char* data,
                                                                      std::size_t groups, std::size_t size)
{
    alignas(64) static constexpr unsigned char kOrder[64] = {
        2,  1,  0,  0, 5,  4,  3,  0, 8,  7,  6,  0, 11, 10, 9,  0, 14, 13, 12, 0, 17, 16,
        15, 0, 20, 19, 18, 0, 23, 22, 21, 0, 26, 25, 24, 0, 29, 28, 27, 0, 32, 31, 30, 0,
        35, 34, 33, 0, 38, 37, 36, 0, 41, 40, 39, 0, 44, 43, 42, 0, 47, 46, 45, 0,
    };
    constexpr __mmask64 kCoordinateBytes = 0x7777'7777'7777'7777;
    const __m512i order = _mm512_load_si512(kOrder);
    const __m512i radiusSquared = _mm512_set1_epi64(std::int64_t(kRadiusSquared));
    const __m512i one = _mm512_set1_epi64(1);
    __m512i misses = _mm512_setzero_si512();
    std::size_t g = 0;
    // Each step loads 64 bytes, of which it uses 48.
    for (; g + 8 <= groups && g * kGroup + 64 <= size; g += 8) {
        const __m512i raw = _mm512_loadu_si512(data + g * kGroup);
        const __m512i xy = _mm512_maskz_permutexvar_epi8(kCoordinateBytes, order, raw);
        const __m512i y = _mm512_srli_epi64(xy, 32);
        const __m512i squares = _mm512_add_epi64(_mm512_mul_epu32(xy, xy), _mm512_mul_epu32(y, y));
        const __mmask8 outside = _mm512_cmpgt_epu64_mask(squares, radiusSquared);
        misses = _mm512_mask_add_epi64(misses, outside, misses, one);
    }
    const auto missed = std::uint64_t(_mm512_reduce_add_epi64(misses));
    return g - missed + hitsPlain(data + g * kGroup, groups - g);
}

#pragma GCC diagnostic pop

#endif

// The upper tail of the gamma distribution, Q(a, x), to double precision:
// its series where x < a + 1, else its continued fraction.
double upperIncompleteGamma(double a, double x)
{
    if (x <= 0)
        return 1;
    constexpr double kEpsilon = 1e-16;
    constexpr int kMostTerms = 100000;
    const double logFront = a * std::log(x) - x - std::lgamma(a);
    if (x < a + 1) {
        double term = 1 / a;
        double sum = term;
        for (int n = 1; n < kMostTerms && std::abs(term) > std::abs(sum) * kEpsilon; ++n) {
            term *= x / (a + n);
            sum += term;
        }
        return std::max(0.0, 1 - sum * std::exp(logFront));
    }
    // Lentz's method for the continued fraction of Q.
    constexpr double kTiny = 1e-300;
    double b = x + 1 - a;
    double c = 1 / kTiny;
    double d = 1 / b;
    double fraction = d;
    for (int n = 1; n < kMostTerms; ++n) {
        const double an = -n * (n - a);
        b += 2;
        d = an * d + b;
        if (std::abs(d) < kTiny)
            d = kTiny;
        c = b + an / c;
        if (std::abs(c) < kTiny)
            c = kTiny;
        d = 1 / d;
        const double delta = d * c;
        fraction *= delta;
        if (std::abs(delta - 1) < kEpsilon)
            break;
    }
    return std::exp(logFront) * fraction;
}

double toDouble(SignedWide value)
{
    return static_cast<double>(value);
}

} // namespace

ByteFigures figuresOfCounts(const WideCounts& counts)
{
    std::uint64_t total = 0;
    Wide sum = 0;
    for (int v = 0; v < 256; ++v) {
        total += counts[v];
        sum += Wide(counts[v]) * unsigned(v);
    }
    ByteFigures figures;
    if (total == 0)
        return figures;
    const double n = double(total);
    const double expected = n / 256;
    double entropy = 0;
    double chiSquare = 0;
    for (const std::uint64_t count : counts) {
        if (count > 0) {
            const double p = double(count) / n;
            entropy -= p * std::log2(p);
        }
        const double deviation = double(count) - expected;
        chiSquare += deviation * deviation / expected;
    }
    figures.entropy = entropy;
    figures.chiSquare = chiSquare;
    figures.chiSquarePercent = 100 * upperIncompleteGamma(kDegreesOfFreedom / 2.0, chiSquare / 2);
    figures.mean = double(sum) / n;
    return figures;
}

ByteStatistics::ByteStatistics(Kernel kernel)
    : kernel_(kernel)
{
    if (kernel_ == Kernel::Chosen)
        kernel_ = kernelAvailable(Kernel::Avx512) ? Kernel::Avx512
                  : kernelAvailable(Kernel::Avx2) ? Kernel::Avx2
                                                  : Kernel::Plain;
    else if (!kernelAvailable(kernel_))
        kernel_ = Kernel::Plain;
}

bool ByteStatistics::kernelAvailable(Kernel kernel)
{
    switch (kernel) {
    case Kernel::Chosen:
    case Kernel::Plain:
        return true;
#if defined(__x86_64__)
    case Kernel::Avx2:
        return __builtin_cpu_supports("avx2");
    case Kernel::Avx512:
        return __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi");
#else
    case Kernel::Avx2:
    case Kernel::Avx512:
        return false;
#endif
    }
    return false;
}

void ByteStatistics::restart()
{
    const std::lock_guard lock(mutex_);
    runs_.clear();
    products_ = 0;
    hits_ = 0;
    overlapped_ = false;
}

ByteStatistics::Run ByteStatistics::runOf(std::int64_t offset, const unsigned char* data, std::size_t size)
{
    Run run;
    run.begin = offset;
    run.end = offset + std::int64_t(size);
    run.first = data[0];
    run.last = data[size - 1];
    if (run.begin % kGroup != 0)
        for (std::int64_t at = run.begin; at < std::min(run.end, groupEnd(run.begin)); ++at)
            run.head[std::size_t(at % kGroup)] = data[at - offset];
    if (run.end % kGroup != 0)
        for (std::int64_t at = std::max(run.begin, groupStart(run.end)); at < run.end; ++at)
            run.tail[std::size_t(at % kGroup)] = data[at - offset];
    return run;
}

void ByteStatistics::bytes(std::int64_t offset, const unsigned char* data, std::size_t size)
{
    if (size == 0)
        return;
    const std::size_t lead = std::size_t((kGroup - offset % kGroup) % kGroup);
    const std::size_t groups = size > lead ? (size - lead) / kGroup : 0;
    std::uint64_t products = 0;
    std::uint64_t hits = 0;
    // Both sums go over one piece after the other, so that the second finds
    // the piece still in the first-level cache.
    for (std::size_t done = 0; done < size; done += kPiece) {
        // Pairs that begin in the piece, the last one reaching into the next.
        const std::size_t pairBytes = std::min(kPiece + 1, size - done);
        // Groups that begin in the piece (its lead shifted by lead bytes).
        const std::size_t firstGroup = done / kGroup;
        const std::size_t pieceGroups = std::min((done + kPiece) / kGroup, groups) - std::min(firstGroup, groups);
        const unsigned char* groupData = data + lead + firstGroup * kGroup;
        const std::size_t readable = size - std::min(size, lead + firstGroup * kGroup);
        switch (kernel_) {
#if defined(__x86_64__)
        case Kernel::Avx512:
            products += productsAvx512(data + done, pairBytes);
            hits += hitsAvx512(groupData, pieceGroups, readable);
            break;
        case Kernel::Avx2:
            products += productsAvx2(data + done, pairBytes);
            hits += hitsAvx2(groupData, pieceGroups, readable);
            break;
#endif
        default:
            products += productsPlain(data + done, pairBytes);
            hits += hitsPlain(groupData, pieceGroups);
        }
    }
    add(runOf(offset, data, size), products, hits);
}

void ByteStatistics::zeros(std::int64_t offset, std::int64_t length)
{
    if (length <= 0)
        return;
    Run run; // first, last, head and tail: all zeros
    run.begin = offset;
    run.end = offset + length;
    const std::int64_t firstWhole = run.begin % kGroup == 0 ? run.begin : groupEnd(run.begin);
    const std::int64_t wholeEnd = groupStart(run.end);
    // The origin is inside every circle.
    const std::uint64_t hits = wholeEnd > firstWhole ? std::uint64_t((wholeEnd - firstWhole) / kGroup) : 0;
    add(run, 0, hits);
}

void ByteStatistics::join(Run& a, const Run& b)
{
    products_ += std::uint32_t(a.last) * b.first;
    const std::int64_t middle = a.end;
    Run joined = a;
    joined.end = b.end;
    joined.last = b.last;
    joined.tail = b.tail;
    if (middle % kGroup != 0) {
        // The group that the join closes, or that stays cut at an end.
        const std::int64_t start = groupStart(middle);
        const std::int64_t from = std::max(a.begin, start);
        const std::int64_t to = std::min(b.end, start + kGroup);
        std::array<unsigned char, 6> group{};
        for (std::int64_t at = from; at < middle; ++at)
            group[std::size_t(at - start)] = a.tail[std::size_t(at - start)];
        for (std::int64_t at = middle; at < to; ++at)
            group[std::size_t(at - start)] = b.head[std::size_t(at - start)];
        if (from == start && to == start + kGroup) {
            hits_ += hit(group.data());
        } else {
            if (a.begin > start)
                joined.head = group;
            if (b.end < start + kGroup)
                joined.tail = group;
        }
    }
    a = joined;
}

void ByteStatistics::add(Run run, std::uint64_t products, std::uint64_t hits)
{
    const std::lock_guard lock(mutex_);
    products_ += products;
    hits_ += hits;
    auto next = runs_.lower_bound(run.begin);
    if (next != runs_.begin()) {
        if (const auto before = std::prev(next); before->second.end > run.begin)
            overlapped_ = true;
    }
    if (next != runs_.end() && next->second.begin < run.end)
        overlapped_ = true;
    if (overlapped_)
        return;

    auto joined = runs_.end();
    if (next != runs_.begin()) {
        if (const auto before = std::prev(next); before->second.end == run.begin) {
            join(before->second, run);
            joined = before;
        }
    }
    if (joined == runs_.end())
        joined = runs_.emplace_hint(next, run.begin, run);
    if (next != runs_.end() && next->second.begin == joined->second.end) {
        join(joined->second, next->second);
        runs_.erase(next);
    }
}

ByteFigures ByteStatistics::figures(const WideCounts& counts) const
{
    ByteFigures figures = figuresOfCounts(counts);
    std::uint64_t total = 0;
    Wide sum = 0;
    Wide sumOfSquares = 0;
    for (int v = 0; v < 256; ++v) {
        total += counts[v];
        sum += Wide(counts[v]) * unsigned(v);
        sumOfSquares += Wide(counts[v]) * unsigned(v * v);
    }
    const std::lock_guard lock(mutex_);
    if (total == 0 || overlapped_ || runs_.size() != 1)
        return figures;
    const Run& whole = runs_.begin()->second;
    if (whole.begin != 0 || std::uint64_t(whole.end) != total)
        return figures;

    if (const std::uint64_t groups = total / kGroup; groups > 0)
        figures.monteCarloPi = 4.0 * double(hits_) / double(groups);

    // The last byte is taken with the first, so every byte has a successor.
    const Wide products = products_ + std::uint32_t(whole.last) * whole.first;
    // n * sum(x * next) - sum(x)^2 over n * sum(x^2) - sum(x)^2: exact in 128
    // bits while 65025 n^2 is below 2^127, that is up to 2^55 bytes.
    double numerator = 0;
    double denominator = 0;
    if (total < (std::uint64_t(1) << 55)) {
        const SignedWide n = SignedWide(total);
        const SignedWide squaredSum = SignedWide(sum) * SignedWide(sum);
        numerator = toDouble(n * SignedWide(products) - squaredSum);
        denominator = toDouble(n * SignedWide(sumOfSquares) - squaredSum);
    } else {
        const long double n = static_cast<long double>(total);
        const long double s = static_cast<long double>(sum);
        numerator = double(n * static_cast<long double>(products) - s * s);
        denominator = double(n * static_cast<long double>(sumOfSquares) - s * s);
    }
    // Zero only where all bytes are equal.
    if (denominator != 0)
        figures.serialCorrelation = numerator / denominator;
    return figures;
}
