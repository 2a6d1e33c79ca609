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
    : kernel_(kernel == Kernel::Chosen && !vectorKernelsAvailable() ? Kernel::Plain : kernel)
{
}

bool ByteStatistics::vectorKernelsAvailable()
{
#if defined(__x86_64__)
    static const bool available = __builtin_cpu_supports("avx2");
    return available;
#else
    return false;
#endif
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
#if defined(__x86_64__)
    if (kernel_ == Kernel::Chosen) {
        products = productsAvx2(data, size);
        hits = hitsAvx2(data + lead, groups, size - std::min(lead, size));
    } else
#endif
    {
        products = productsPlain(data, size);
        hits = hitsPlain(data + lead, groups);
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
