#include "cached_route.h"

#include <gtest/gtest.h>

#include <variant>
#include <vector>

namespace {

using Way = CachedRoute::Way;

constexpr std::int64_t kMiB = 1 << 20;

// What counting a stretch in place cost: its bytes and the faults taken.
struct Mapped {
    std::int64_t bytes;
    long faults;
};

struct Row {
    const char* name;
    bool mapping;
    // A way: what next() must give; Mapped: told to countedInPlace().
    std::vector<std::variant<Way, Mapped>> steps;
};

std::vector<std::variant<Way, Mapped>> repeated(Way way, int times)
{
    return std::vector<std::variant<Way, Mapped>>(std::size_t(times), way);
}

std::vector<std::variant<Way, Mapped>> joined(std::initializer_list<std::vector<std::variant<Way, Mapped>>> parts)
{
    std::vector<std::variant<Way, Mapped>> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(CachedRoute, CountsInPlaceWhileMappingTakesFewFaultsAndCopiesOtherwise)
{
    const int copies = CachedRoute::kProbeEvery - 1;
    const long many = CachedRoute::kFaultsPerMiB * 4 + 1; // for 4 MiB
    // Small folios found by the first probe and by the one right after it.
    const std::vector<std::variant<Way, Mapped>> smallTwice = {Way::Probe, Mapped{4 * kMiB, many}, Way::Probe, Mapped{4 * kMiB, many}};
    const Row rows[] = {
        {"the first stretch is a probe", true, {Way::Probe, Way::Probe}},
        {"large folios: in place from then on", true,
         joined({{Way::Probe, Mapped{4 * kMiB, 2}}, repeated(Way::InPlace, 40)})},
        {"small folios at the start only, as in a file read in", true,
         joined({{Way::Probe, Mapped{4 * kMiB, many}, Way::Probe, Mapped{4 * kMiB, 2}}, repeated(Way::InPlace, 20)})},
        {"small folios: copied, with probes ever further apart", true,
         joined({smallTwice, repeated(Way::Copied, copies), {Way::Probe}, {Mapped{4 * kMiB, many}},
                 repeated(Way::Copied, 2 * copies + 1), {Way::Probe}, {Mapped{4 * kMiB, many}},
                 repeated(Way::Copied, 4 * copies + 3), {Way::Probe}})},
        {"small folios for long: a probe every 256 stretches", true,
         joined({smallTwice, repeated(Way::Copied, copies), {Way::Probe},
                 {Mapped{4 * kMiB, many}}, repeated(Way::Copied, 31), {Way::Probe},
                 {Mapped{4 * kMiB, many}}, repeated(Way::Copied, 63), {Way::Probe},
                 {Mapped{4 * kMiB, many}}, repeated(Way::Copied, 127), {Way::Probe},
                 {Mapped{4 * kMiB, many}}, repeated(Way::Copied, 255), {Way::Probe},
                 {Mapped{4 * kMiB, many}}, repeated(Way::Copied, 255), {Way::Probe}})},
        {"a probe that finds large folios again", true,
         joined({smallTwice, repeated(Way::Copied, copies), {Way::Probe, Mapped{4 * kMiB, 1}},
                 repeated(Way::InPlace, 3), {Mapped{4 * kMiB, 64}, Way::Probe, Mapped{4 * kMiB, 64}},
                 repeated(Way::Copied, copies), {Way::Probe}})},
        {"large folios that turn small", true,
         joined({{Way::Probe, Mapped{4 * kMiB, 0}, Way::InPlace, Mapped{16 * kMiB, 256}, Way::Probe,
                  Mapped{4 * kMiB, many}},
                 repeated(Way::Copied, copies), {Way::Probe}})},
        {"too little mapped to tell", true, {Way::Probe, Mapped{kMiB - 1, 16}, Way::Probe}},
        {"no mapping: always copied", false, joined({repeated(Way::Copied, 40)})},
    };
    for (const Row& row : rows) {
        CachedRoute route(row.mapping);
        int step = 0;
        for (const auto& s : row.steps) {
            if (const Way* way = std::get_if<Way>(&s)) {
                EXPECT_EQ(route.next(), *way) << row.name << ", step " << step;
            } else {
                const Mapped& mapped = std::get<Mapped>(s);
                route.countedInPlace(mapped.bytes, mapped.faults);
            }
            ++step;
        }
    }
}

} // namespace
