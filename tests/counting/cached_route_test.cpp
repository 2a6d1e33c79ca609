#include "cached_route.h"

#include <gtest/gtest.h>

#include <variant>
#include <vector>

// Where GoogleTest looks for it, beside RouteChoice.
void PrintTo(const RouteChoice& choice, std::ostream* out)
{
    *out << (choice.probe ? "probe" : choice.route == Route::InPlace ? "in place" : "copied");
}

namespace {

constexpr RouteChoice kInPlace = CachedRoute::kInPlace, kProbe = CachedRoute::kProbe, kCopied = CachedRoute::kCopied;

constexpr std::int64_t kMiB = 1 << 20;

// What counting a stretch in place cost: its bytes and the faults taken.
struct Mapped {
    std::int64_t bytes;
    long faults;
};

// A choice: what next() must give; Mapped: told to countedInPlace().
using Step = std::variant<RouteChoice, Mapped>;

struct Row {
    const char* name;
    bool mapping;
    std::vector<Step> steps;
};

std::vector<Step> repeated(RouteChoice choice, int times)
{
    return std::vector<Step>(std::size_t(times), choice);
}

std::vector<Step> joined(std::initializer_list<std::vector<Step>> parts)
{
    std::vector<Step> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(CachedRoute, CountsInPlaceWhileMappingTakesFewFaultsAndCopiesOtherwise)
{
    const int copies = CachedRoute::kProbeEvery - 1;
    const long many = CachedRoute::kFaultsPerMiB * 4 + 1; // for 4 MiB
    // Small folios found by the first probe and by the one right after it.
    const std::vector<Step> smallTwice = {kProbe, Mapped{4 * kMiB, many}, kProbe, Mapped{4 * kMiB, many}};
    const Row rows[] = {
        {"the first stretch is a probe", true, {kProbe, kProbe}},
        {"large folios: in place from then on", true,
         joined({{kProbe, Mapped{4 * kMiB, 2}}, repeated(kInPlace, 40)})},
        {"small folios at the start only, as in a file read in", true,
         joined({{kProbe, Mapped{4 * kMiB, many}, kProbe, Mapped{4 * kMiB, 2}}, repeated(kInPlace, 20)})},
        {"small folios: copied, with probes ever further apart", true,
         joined({smallTwice, repeated(kCopied, copies), {kProbe}, {Mapped{4 * kMiB, many}},
                 repeated(kCopied, 2 * copies + 1), {kProbe}, {Mapped{4 * kMiB, many}},
                 repeated(kCopied, 4 * copies + 3), {kProbe}})},
        {"small folios for long: a probe every 256 stretches", true,
         joined({smallTwice, repeated(kCopied, copies), {kProbe},
                 {Mapped{4 * kMiB, many}}, repeated(kCopied, 31), {kProbe},
                 {Mapped{4 * kMiB, many}}, repeated(kCopied, 63), {kProbe},
                 {Mapped{4 * kMiB, many}}, repeated(kCopied, 127), {kProbe},
                 {Mapped{4 * kMiB, many}}, repeated(kCopied, 255), {kProbe},
                 {Mapped{4 * kMiB, many}}, repeated(kCopied, 255), {kProbe}})},
        {"a probe that finds large folios again", true,
         joined({smallTwice, repeated(kCopied, copies), {kProbe, Mapped{4 * kMiB, 1}},
                 repeated(kInPlace, 3), {Mapped{4 * kMiB, 64}, kProbe, Mapped{4 * kMiB, 64}},
                 repeated(kCopied, copies), {kProbe}})},
        {"large folios that turn small", true,
         joined({{kProbe, Mapped{4 * kMiB, 0}, kInPlace, Mapped{16 * kMiB, 256}, kProbe,
                  Mapped{4 * kMiB, many}},
                 repeated(kCopied, copies), {kProbe}})},
        {"too little mapped to tell", true, {kProbe, Mapped{kMiB - 1, 16}, kProbe}},
        {"no mapping: always copied", false, joined({repeated(kCopied, 40)})},
    };
    for (const Row& row : rows) {
        CachedRoute route(row.mapping);
        int step = 0;
        for (const auto& s : row.steps) {
            if (const RouteChoice* choice = std::get_if<RouteChoice>(&s)) {
                EXPECT_EQ(route.next(), *choice) << row.name << ", step " << step;
            } else {
                const Mapped& mapped = std::get<Mapped>(s);
                route.countedInPlace(mapped.bytes, mapped.faults);
            }
            ++step;
        }
    }
}

} // namespace
