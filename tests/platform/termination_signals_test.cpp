#include "termination_signals.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

class TerminationSignal : public testing::TestWithParam<int> {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_P(TerminationSignal, EndsTheProgramAtOnceWhenNothingHoldsIt)
{
    EXPECT_EXIT(
        {
            installTerminationSignals();
            std::raise(GetParam());
            std::_Exit(0);
        },
        testing::KilledBySignal(GetParam()), "");
}

TEST_P(TerminationSignal, WaitsForTheLastHoldAndEndsWithTheFirstSignal)
{
    EXPECT_EXIT(
        {
            installTerminationSignals();
            {
                const HoldTermination outer;
                {
                    const HoldTermination inner;
                    std::raise(GetParam());
                    std::raise(GetParam() == SIGTERM ? SIGINT : SIGTERM);
                    std::fputs("inner finished\n", stderr);
                }
                std::fputs("outer finished\n", stderr);
            }
            std::_Exit(0);
        },
        testing::KilledBySignal(GetParam()), "inner finished\nouter finished");
}

INSTANTIATE_TEST_SUITE_P(Signals, TerminationSignal, testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& row) { return std::string(sigabbrev_np(row.param)); });

} // namespace
