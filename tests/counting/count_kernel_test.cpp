#include "count_kernel.h"

#include <gtest/gtest.h>

#include <random>
#include <sys/mman.h>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Kernel = ByteCounter::Kernel;
using Bytes = std::vector<unsigned char>;

enum class Data { Random, Text, Zeros, BrokenRuns, LongRuns, Mixed };

Bytes randomBytes(std::size_t size)
{
    std::mt19937 generator(7);
    Bytes bytes(size);
    for (auto& b : bytes)
        b = static_cast<unsigned char>(generator());
    return bytes;
}

Bytes textBytes(std::size_t size)
{
    const std::string line = "The quick brown fox jumps over the lazy dog, 0123456789 times.\n";
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<unsigned char>(line[i % line.size()]);
    return bytes;
}

// Strides of 32 equal bytes, each broken by one other byte at a position
// that moves along by one from stride to stride; every tenth stride whole.
Bytes brokenRuns(std::size_t size)
{
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        const std::size_t stride = i / 32;
        const auto value = static_cast<unsigned char>(stride * 37);
        const bool broken = stride % 10 != 0 && i % 32 == stride % 32;
        bytes[i] = broken ? static_cast<unsigned char>(value + 1) : value;
    }
    return bytes;
}

// Runs of one value, each one byte longer than the last from 33 on, so that
// a run ends at every place within any step a run is followed in.
Bytes longRuns(std::size_t size)
{
    Bytes bytes;
    for (std::size_t length = 33; bytes.size() < size; ++length)
        bytes.insert(bytes.end(), length, static_cast<unsigned char>(length * 5));
    bytes.resize(size);
    return bytes;
}

WideCounts countsOf(const Bytes& bytes)
{
    WideCounts counts{};
    countBytesReference(bytes.data(), bytes.size(), counts);
    return counts;
}

Bytes makeData(Data data, std::size_t size)
{
    switch (data) {
    case Data::Random:
        return randomBytes(size);
    case Data::Text:
        return textBytes(size);
    case Data::Zeros:
        return Bytes(size, 0);
    case Data::BrokenRuns:
        return brokenRuns(size);
    case Data::LongRuns:
        return longRuns(size);
    case Data::Mixed:
        break;
    }
    // Text, random bytes and zeros in turn, so that a counter that chooses
    // its kernel changes it from block to block.
    Bytes bytes;
    for (std::size_t part = 0; bytes.size() < size; ++part) {
        const Data kind = part % 3 == 0 ? Data::Text : part % 3 == 1 ? Data::Random : Data::Zeros;
        const Bytes piece = makeData(kind, 5000 + 999 * part);
        bytes.insert(bytes.end(), piece.begin(), piece.end());
    }
    bytes.resize(size);
    return bytes;
}

std::string caseName(const testing::TestParamInfo<std::tuple<Kernel, Data>>& info)
{
    const char* const kernels[] = {"Chosen", "Sampled", "Singles", "SinglesAndRuns", "Pairs"};
    const char* const data[] = {"Random", "Text", "Zeros", "BrokenRuns", "LongRuns", "Mixed"};
    return std::string(kernels[int(std::get<0>(info.param))]) + data[int(std::get<1>(info.param))];
}

class CountKernels : public testing::TestWithParam<std::tuple<Kernel, Data>> {};

// Sizes around the 32-byte stride, the 4 KiB sample and the reader's 1 MiB
// block, at every alignment a word load can meet, counted in one block or
// in uneven blocks into one counter.
TEST_P(CountKernels, MatchTheReferenceLoop)
{
    const auto [kernel, data] = GetParam();
    const Bytes all = makeData(data, (1 << 20) + 4096);
    for (const std::size_t size : {0, 1, 31, 32, 33, 63, 4095, 4096, 4097, 40'000, 1 << 20}) {
        for (const std::size_t offset : {0, 1, 7, 13, 31}) {
            const unsigned char* bytes = all.data() + offset;
            WideCounts expected{};
            countBytesReference(bytes, size, expected);

            ByteCounter whole(kernel);
            whole.add(bytes, size);
            ASSERT_EQ(whole.counts(), expected) << "size " << size << " offset " << offset;

            ByteCounter pieces(kernel);
            for (std::size_t done = 0, piece = 1; done < size; done += piece, piece = piece * 3 + 5) {
                piece = std::min(piece, size - done);
                pieces.add(bytes + done, piece);
            }
            ASSERT_EQ(pieces.counts(), expected) << "in pieces, size " << size << " offset " << offset;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    EachKernelOnEachKindOfData, CountKernels,
    testing::Combine(testing::Values(Kernel::Chosen, Kernel::Sampled, Kernel::Singles,
                                     Kernel::SinglesAndRuns, Kernel::Pairs),
                     testing::Values(Data::Random, Data::Text, Data::Zeros, Data::BrokenRuns,
                                     Data::LongRuns, Data::Mixed)),
    caseName);

// Past 2^32 occurrences of one value, which no 32-bit table counter holds:
// one block larger than the counter folds at (zeros of an untouched mapping,
// which take no memory), then more blocks.
TEST(ByteCounterWidth, CountsPastFourGiBOfOneValue)
{
    constexpr std::size_t kTotal = (std::size_t{4} << 30) + 5;
    void* mapping = ::mmap(nullptr, kTotal, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(mapping, MAP_FAILED);
    ::madvise(mapping, kTotal, MADV_HUGEPAGE); // fewer faults, where the huge zero page can be had
    const Bytes text = textBytes(3 << 20);
    WideCounts expected = countsOf(text);
    expected[0] += kTotal;
    for (const Kernel kernel : {Kernel::Sampled, Kernel::Pairs}) {
        ByteCounter counter(kernel);
        counter.add(static_cast<const unsigned char*>(mapping), kTotal);
        for (std::size_t at = 0; at < text.size(); at += 4096)
            counter.add(text.data() + at, 4096);
        EXPECT_EQ(counter.counts(), expected);
    }
    ::munmap(mapping, kTotal);
}

} // namespace
