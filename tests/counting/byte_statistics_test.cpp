#include "byte_statistics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

WideCounts countsOf(const Bytes& bytes)
{
    WideCounts counts{};
    for (const unsigned char byte : bytes)
        ++counts[byte];
    return counts;
}

Bytes bytesOf(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

ByteFigures inOneStretch(const Bytes& bytes, ByteStatistics::Kernel kernel = ByteStatistics::Kernel::Plain)
{
    ByteStatistics statistics(kernel);
    if (!bytes.empty())
        statistics.bytes(0, bytes.data(), bytes.size());
    return statistics.figures(countsOf(bytes));
}

// Figures worked out by hand.
struct KnownRow {
    const char* label;
    Bytes bytes;
    ByteFigures figures;
};

const std::optional<double> kNone;

const KnownRow kKnownRows[] = {
    {"Empty", {}, {}},
    // The only byte is its own successor: every byte equal.
    {"OneByte", bytesOf("A"), {0.0, 255.0, 48.82, 65.0, kNone, kNone}},
    {"ThreeAOneB", bytesOf("AAAB"), {0.8112781244591328, 636.0, 0.0, 65.25, kNone, -1.0 / 3}},
    // The origin is inside the circle.
    {"SixZeros", Bytes(6, 0), {0.0, 1530.0, 0.0, 0.0, 4.0, kNone}},
    // (2^24 - 1, 0) lies on the circle, which counts as inside.
    {"PointOnTheCircle", Bytes{255, 255, 255, 0, 0, 0}, {1.0, 762.0, 0.0, 127.5, 4.0, 1.0 / 3}},
    {"PointOutside", Bytes{255, 255, 255, 0, 0, 1},
     {1.4591479170272448, 591.3333333333333, 0.0, 127.66666666666667, 0.0, 0.33420250128490664}},
    // The incomplete group of the last 3 bytes is left out.
    {"NineBytes", Bytes{0, 0, 0, 0, 0, 0, 255, 255, 255}, {0.9182958340544896, 1271.0, 0.0, 85.0, 4.0, 0.5}},
};

void PrintTo(const KnownRow& row, std::ostream* out)
{
    *out << row.label;
}

void expectNear(const std::optional<double>& actual, const std::optional<double>& expected, double tolerance,
                const char* name)
{
    ASSERT_EQ(actual.has_value(), expected.has_value()) << name;
    if (expected) {
        EXPECT_NEAR(*actual, *expected, tolerance) << name;
    }
}

class KnownFiguresTest : public testing::TestWithParam<KnownRow> {};

TEST_P(KnownFiguresTest, AsWorkedOutByHand)
{
    for (const auto kernel : {ByteStatistics::Kernel::Plain, ByteStatistics::Kernel::Avx2,
                              ByteStatistics::Kernel::Avx512}) {
        const ByteFigures figures = inOneStretch(GetParam().bytes, kernel);
        const ByteFigures& expected = GetParam().figures;
        expectNear(figures.entropy, expected.entropy, 1e-12, "entropy");
        expectNear(figures.chiSquare, expected.chiSquare, 1e-9, "chi-square");
        // As ent prints it, to 2 decimals.
        expectNear(figures.chiSquarePercent, expected.chiSquarePercent, 0.005, "chi-square percent");
        expectNear(figures.mean, expected.mean, 1e-12, "mean");
        expectNear(figures.monteCarloPi, expected.monteCarloPi, 0, "Monte Carlo pi");
        expectNear(figures.serialCorrelation, expected.serialCorrelation, 1e-12, "serial correlation");
    }
}

INSTANTIATE_TEST_SUITE_P(Sequences, KnownFiguresTest, testing::ValuesIn(kKnownRows),
                         [](const auto& row) { return std::string(row.param.label); });

// The upper tail of chi-square with 255 degrees of freedom at the median and
// the 5 % and 1 % points of the distribution's tables.
TEST(ChiSquarePercentTest, MatchesTheDistributionsTables)
{
    for (const auto& [point, percent] : {std::pair(254.33, 50.0), std::pair(293.25, 5.0), std::pair(310.46, 1.0)}) {
        // A million of each value, d moved from one value to another: a
        // chi-square of 2 d^2 / 10^6.
        WideCounts counts{};
        counts.fill(1'000'000);
        const auto d = std::uint64_t(std::llround(std::sqrt(point * 1e6 / 2)));
        counts[0] += d;
        counts[1] -= d;
        const ByteFigures figures = figuresOfCounts(counts);
        ASSERT_NEAR(*figures.chiSquare, point, 0.05);
        // The tables' points are rounded to 0.01, which moves the tail by
        // less than 0.01 %.
        EXPECT_NEAR(*figures.chiSquarePercent, percent, 0.02) << point;
    }
}

// How a count hands its stretches over: the figures never depend on it.
struct Delivery {
    const char* label;
    std::size_t smallest; // of a stretch
    std::size_t largest;
    bool shuffled;
    int threads;
    bool zerosAsHoles; // runs of 64 zeros or more come as holes
    ByteStatistics::Kernel kernel;
};

const Delivery kDeliveries[] = {
    {"WholeVector", SIZE_MAX, SIZE_MAX, false, 1, false, ByteStatistics::Kernel::Chosen},
    {"SingleBytesShuffled", 1, 1, true, 1, false, ByteStatistics::Kernel::Plain},
    {"SmallPiecesShuffled", 1, 13, true, 1, false, ByteStatistics::Kernel::Chosen},
    {"BlocksInOrder", 4096, 4096, false, 1, false, ByteStatistics::Kernel::Chosen},
    {"UnevenBlocksOnFourThreads", 1, 70'000, true, 4, false, ByteStatistics::Kernel::Chosen},
    {"UnevenBlocksAvx2", 1, 70'000, true, 1, false, ByteStatistics::Kernel::Avx2},
    {"HolesOnTwoThreads", 1, 5'000, true, 2, true, ByteStatistics::Kernel::Chosen},
    {"HolesPlain", 7, 7, false, 1, true, ByteStatistics::Kernel::Plain},
};

void PrintTo(const Delivery& row, std::ostream* out)
{
    *out << row.label;
}

struct Stretch {
    std::size_t offset;
    std::size_t size;
};

// Cuts [0, size) into stretches of the delivery's sizes, and zeros runs out
// of them where they are to come as holes.
std::vector<Stretch> cut(const Bytes& bytes, const Delivery& delivery, std::mt19937& random)
{
    std::vector<Stretch> stretches;
    std::uniform_int_distribution<std::size_t> sizes(delivery.smallest,
                                                     std::min(delivery.largest, std::max<std::size_t>(bytes.size(), 1)));
    for (std::size_t offset = 0; offset < bytes.size();) {
        std::size_t size = std::min(sizes(random), bytes.size() - offset);
        stretches.push_back({offset, size});
        offset += size;
    }
    if (delivery.shuffled)
        std::shuffle(stretches.begin(), stretches.end(), random);
    return stretches;
}

bool allZeros(const Bytes& bytes, const Stretch& stretch)
{
    return std::all_of(bytes.begin() + std::ptrdiff_t(stretch.offset),
                       bytes.begin() + std::ptrdiff_t(stretch.offset + stretch.size),
                       [](unsigned char byte) { return byte == 0; });
}

void deliver(ByteStatistics& statistics, const Bytes& bytes, const std::vector<Stretch>& stretches,
             const Delivery& delivery)
{
    const auto part = [&](std::size_t first, std::size_t step) {
        for (std::size_t i = first; i < stretches.size(); i += step) {
            const Stretch& stretch = stretches[i];
            if (delivery.zerosAsHoles && allZeros(bytes, stretch))
                statistics.zeros(std::int64_t(stretch.offset), std::int64_t(stretch.size));
            else
                statistics.bytes(std::int64_t(stretch.offset), bytes.data() + stretch.offset, stretch.size);
        }
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < delivery.threads; ++t)
        threads.emplace_back(part, std::size_t(t), std::size_t(delivery.threads));
    for (std::thread& thread : threads)
        thread.join();
}

// Random bytes with runs of zeros and of one value, 6n + 3 long, so that
// groups, pairs and holes meet every kind of edge.
Bytes mixedBytes()
{
    std::mt19937 random(24);
    Bytes bytes;
    while (bytes.size() < 300'000) {
        const std::size_t run = random() % 9000;
        switch (random() % 3) {
        case 0: bytes.insert(bytes.end(), run, 0); break;
        case 1: bytes.insert(bytes.end(), run, static_cast<unsigned char>(random())); break;
        default:
            for (std::size_t i = 0; i < run; ++i)
                bytes.push_back(static_cast<unsigned char>(random()));
        }
    }
    bytes.resize(300'003);
    return bytes;
}

bool sameFigure(const std::optional<double>& a, const std::optional<double>& b)
{
    return a.has_value() == b.has_value() && (!a || *a == *b);
}

class DeliveryTest : public testing::TestWithParam<Delivery> {};

TEST_P(DeliveryTest, FiguresAreThoseOfTheBytesInOrder)
{
    const Bytes bytes = mixedBytes();
    const ByteFigures expected = inOneStretch(bytes);
    ASSERT_TRUE(expected.monteCarloPi && expected.serialCorrelation);
    std::mt19937 random(7);
    ByteStatistics statistics(GetParam().kernel);
    // What a pass before a restart saw is dropped.
    statistics.bytes(0, bytes.data() + 5, 1000);
    statistics.zeros(2000, 77);
    statistics.restart();
    deliver(statistics, bytes, cut(bytes, GetParam(), random), GetParam());

    const ByteFigures figures = statistics.figures(countsOf(bytes));
    EXPECT_TRUE(sameFigure(figures.entropy, expected.entropy));
    EXPECT_TRUE(sameFigure(figures.chiSquare, expected.chiSquare));
    EXPECT_TRUE(sameFigure(figures.mean, expected.mean));
    EXPECT_TRUE(sameFigure(figures.monteCarloPi, expected.monteCarloPi))
        << *figures.monteCarloPi << " " << *expected.monteCarloPi;
    EXPECT_TRUE(sameFigure(figures.serialCorrelation, expected.serialCorrelation))
        << *figures.serialCorrelation << " " << *expected.serialCorrelation;
}

INSTANTIATE_TEST_SUITE_P(Deliveries, DeliveryTest, testing::ValuesIn(kDeliveries),
                         [](const auto& row) { return std::string(row.param.label); });

// Each vector kernel against the plain ones at every offset and length
// around its steps, with bytes near the circle's edge.
class StatisticsKernelTest : public testing::TestWithParam<ByteStatistics::Kernel> {};

TEST_P(StatisticsKernelTest, AgreesWithThePlainOnes)
{
    if (!ByteStatistics::kernelAvailable(GetParam()))
        GTEST_SKIP() << "this processor does not run this kernel";
    std::mt19937 random(3);
    Bytes bytes(400);
    for (unsigned char& byte : bytes)
        byte = static_cast<unsigned char>(random() % 4 == 0 ? 255 : random() % 3 == 0 ? 0xB5 : random());
    for (std::size_t offset = 0; offset < 12; ++offset) {
        for (std::size_t size = 1; size <= 200; ++size) {
            ByteStatistics plain(ByteStatistics::Kernel::Plain);
            ByteStatistics vector(GetParam());
            for (ByteStatistics* statistics : {&plain, &vector}) {
                statistics->zeros(0, std::int64_t(offset));
                statistics->bytes(std::int64_t(offset), bytes.data() + offset, size);
            }
            Bytes whole(offset, 0);
            whole.insert(whole.end(), bytes.begin() + std::ptrdiff_t(offset),
                         bytes.begin() + std::ptrdiff_t(offset + size));
            const ByteFigures a = plain.figures(countsOf(whole));
            const ByteFigures b = vector.figures(countsOf(whole));
            ASSERT_TRUE(sameFigure(a.monteCarloPi, b.monteCarloPi)) << offset << " " << size;
            ASSERT_TRUE(sameFigure(a.serialCorrelation, b.serialCorrelation)) << offset << " " << size;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kernels, StatisticsKernelTest,
                         testing::Values(ByteStatistics::Kernel::Avx2, ByteStatistics::Kernel::Avx512),
                         [](const auto& row) {
                             return std::string(row.param == ByteStatistics::Kernel::Avx2 ? "Avx2" : "Avx512");
                         });

// A pass that leaves a gap or sees a stretch twice cannot give the figures
// that need the bytes in order; those from the counts stay.
TEST(IncompletePassTest, GivesNoFiguresThatNeedTheOrder)
{
    const Bytes bytes = mixedBytes();
    for (const bool gap : {true, false}) {
        ByteStatistics statistics;
        statistics.bytes(0, bytes.data(), 1000);
        statistics.bytes(gap ? 1001 : 999, bytes.data() + 1000, bytes.size() - 1001);
        const ByteFigures figures = statistics.figures(countsOf(bytes));
        EXPECT_TRUE(figures.entropy && figures.chiSquare && figures.mean);
        EXPECT_FALSE(figures.monteCarloPi || figures.serialCorrelation) << (gap ? "gap" : "overlap");
    }
}

} // namespace
