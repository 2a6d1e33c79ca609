#include "mapped_counting.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

std::atomic<int> foreignFaults = 0;

void recordForeignFault(int, siginfo_t*, void*)
{
    ++foreignFaults;
}

class MappedCountingTest : public testing::Test {
protected:
    void SetUp() override
    {
        path = testing::TempDir() + "tallivor-mapped-XXXXXX";
        fd = ::mkstemp(path.data());
        ASSERT_GE(fd, 0);
    }
    void TearDown() override
    {
        ::close(fd);
        ::unlink(path.c_str());
    }

    std::string path;
    int fd = -1;
};

// Records what an observer is shown.
struct Recorder : StretchObserver {
    void restart() override {}
    void bytes(std::int64_t offset, const unsigned char* data, std::size_t size) override
    {
        seen.emplace_back(offset, std::string(reinterpret_cast<const char*>(data), size));
    }
    void zeros(std::int64_t, std::int64_t) override {}
    std::vector<std::pair<std::int64_t, std::string>> seen;
};

TEST_F(MappedCountingTest, CountsCachedBytesWhereTheyLieAndShowsThemToAnObserver)
{
    std::string bytes((20 << 20) | 77, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i % 253);
    ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), 0), ssize_t(bytes.size()));
    for (const bool observed : {false, true}) {
        ByteCounter counter;
        Recorder recorder;
        // From an offset inside a page: the mapping starts at the page before it.
        const InPlaceCount result = countInPlace(fd, 5, bytes.size() - 5, counter, 1 << 20, nullptr,
                                                 observed ? &recorder : nullptr);
        EXPECT_EQ(result.status, InPlaceCount::Counted);
        EXPECT_EQ(result.bytes, std::int64_t(bytes.size() - 5));
        WideCounts expected{};
        countBytesReference(reinterpret_cast<const unsigned char*>(bytes.data()) + 5, bytes.size() - 5, expected);
        EXPECT_EQ(counter.counts(), expected);
        if (!observed)
            continue;
        std::string shown;
        for (const auto& [offset, data] : recorder.seen) {
            EXPECT_EQ(offset, std::int64_t(5 + shown.size()));
            shown += data;
        }
        EXPECT_EQ(shown, bytes.substr(5));
    }
}

// A mapping that reaches past the end of the file is what a file cut short
// while it is counted leaves: touching the part past the end raises SIGBUS,
// which must come back as a status, not end the process. A bus error that is
// not the count's still goes to the handler that was there before.
TEST_F(MappedCountingTest, FileCutShortUnderTheMappingFaultsWithoutEndingTheProcess)
{
    struct sigaction previous {}, recorder {};
    recorder.sa_sigaction = recordForeignFault;
    recorder.sa_flags = SA_SIGINFO;
    ASSERT_EQ(::sigaction(SIGBUS, &recorder, &previous), 0);

    const std::string bytes(8 << 20, 'c');
    ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), 0), ssize_t(bytes.size()));
    ASSERT_EQ(::ftruncate(fd, 3 << 20), 0);
    for (int attempt = 0; attempt < 2; ++attempt) {
        ByteCounter counter;
        const InPlaceCount result = countInPlace(fd, 0, bytes.size(), counter, 1 << 20, nullptr);
        EXPECT_EQ(result.status, InPlaceCount::Faulted);
        EXPECT_EQ(result.bytes, 0);
    }

    foreignFaults = 0;
    ::raise(SIGBUS);
    EXPECT_EQ(foreignFaults, 1);
    ::sigaction(SIGBUS, &previous, nullptr);
}

TEST_F(MappedCountingTest, StopsBeforeTheNextStep)
{
    const std::string bytes(4 << 20, 's');
    ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), 0), ssize_t(bytes.size()));
    const std::atomic<bool> stop = true;
    ByteCounter counter;
    countInPlace(fd, 0, bytes.size(), counter, 1 << 20, &stop);
    EXPECT_EQ(counter.counts()['s'], 0u);
}

} // namespace
