#pragma once

#include "source_file.h"

#include <array>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>

// The five figures that the classic randomness tester `ent` prints for a
// sequence of bytes in its byte mode, and the chi-square's tail probability,
// as it words them. Each is empty where it is undefined: every one for no
// bytes, the Monte Carlo estimate for fewer than 6 bytes, the serial
// correlation where all bytes are equal.
struct ByteFigures {
    // Shannon entropy in bits per byte, 0 to 8.
    std::optional<double> entropy;
    // Chi-square of the counts against 256 equally likely values.
    std::optional<double> chiSquare;
    // How often, in percent, a random sequence would exceed chiSquare: the
    // upper tail of the chi-square distribution with 255 degrees of freedom.
    std::optional<double> chiSquarePercent;
    // Arithmetic mean of the bytes; 127.5 for random ones.
    std::optional<double> mean;
    // 4 times the share of points inside the quarter circle of radius
    // 2^24 - 1, each point two 24-bit big-endian coordinates from 6 bytes
    // in a row, from the first byte on; an incomplete last group is left out.
    std::optional<double> monteCarloPi;
    // Correlation coefficient of each byte with the next, the last byte
    // taken with the first.
    std::optional<double> serialCorrelation;
};

// The figures that follow from the counts alone: entropy, chi-square and its
// percent, mean. The Monte Carlo estimate and serial correlation stay empty.
ByteFigures figuresOfCounts(const WideCounts& counts);

// Watches a count's stretches and works out what needs the bytes in their
// order: the products of neighbouring bytes and the Monte Carlo points. Each
// stretch is summed on the thread that counts it, without a lock; only its
// ends (first and last byte, the cut 6-byte groups) are joined with the
// stretches beside it under a lock, and joined runs are merged at once, so
// memory stays small however long the source. A hole adds nothing to the
// products and one hit per whole group of zeros.
class ByteStatistics final : public StretchObserver {
public:
    enum class Kernel {
        Chosen, // the widest of the others that the processor has
        Plain,  // one byte or group at a time: the reference
        Avx2,   // 32 bytes, 4 points a step
        Avx512, // 64 bytes, 8 points a step (AVX-512 BW and VBMI)
    };

    explicit ByteStatistics(Kernel kernel = Kernel::Chosen);

    void restart() override;
    void bytes(std::int64_t offset, const unsigned char* data, std::size_t size) override;
    void zeros(std::int64_t offset, std::int64_t length) override;

    // The six figures of the source whose counts the same pass gave. Where
    // the stretches seen since the last restart do not cover [0, total)
    // exactly, the Monte Carlo estimate and serial correlation are empty.
    ByteFigures figures(const WideCounts& counts) const;

    // Whether this processor runs kernel; one it does not is Plain.
    static bool kernelAvailable(Kernel kernel);

private:
    // A stretch of the source seen in full, with what joining it to its
    // neighbours needs.
    struct Run {
        std::int64_t begin = 0;
        std::int64_t end = 0;
        unsigned char first = 0;
        unsigned char last = 0;
        // The bytes of the 6-byte groups that the run cuts at its ends, by
        // their place in the group: head from begin to the group's end (or
        // the run's), tail from the group's start (or the run's) to end.
        std::array<unsigned char, 6> head{};
        std::array<unsigned char, 6> tail{};
    };

    static Run runOf(std::int64_t offset, const unsigned char* data, std::size_t size);
    void add(Run run, std::uint64_t products, std::uint64_t hits);
    // Joins b to a, which ends where b begins.
    void join(Run& a, const Run& b);

    Kernel kernel_;
    mutable std::mutex mutex_;
    std::map<std::int64_t, Run> runs_; // by begin; never two that touch
    __extension__ unsigned __int128 products_ = 0;
    std::uint64_t hits_ = 0;
    bool overlapped_ = false; // a stretch was seen twice in one pass
};
