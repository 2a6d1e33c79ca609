// The counting engine's speed: on files in each state that the page cache
// can hold them in (--cached), on files read from the disk (--cold), or both,
// one after the other, when given neither. --states and --data pick states
// and data sets by name, separated by commas; --rounds sets the rounds.
// `--count FILE` counts FILE alone and prints the peak resident memory of
// the process, which the bench runs to measure the engine's own footprint.
#include "bench_support.h"
#include "cache_states.h"
#include "source_file.h"

#include <fstream>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

namespace {

std::vector<std::string> namesIn(const char* list)
{
    std::vector<std::string> names;
    std::stringstream stream(list);
    for (std::string name; std::getline(stream, name, ',');)
        if (!name.empty())
            names.push_back(name);
    return names;
}

// The peak resident memory of this process image (VmHWM): unlike ru_maxrss,
// which after exec still holds the peak of the process that forked it.
double peakResidentMiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return -1;
}

int usage(const char* program)
{
    std::string states;
    for (const CacheState& state : cacheStates())
        states += std::string(states.empty() ? "" : ",") + state.key;
    std::fprintf(stderr,
                 "usage: %s [--cached | --cold] [--states LIST] [--data LIST] [--rounds N]\n"
                 "  states: %s\n  data: random,text,zeros,binary (cold: random,text)\n",
                 program, states.c_str());
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc == 3 && std::string(argv[1]) == "--count") {
        FrequencyState state;
        const ReadStatus status = readSourceFile(argv[2], state).status;
        std::printf("%.1f\n", peakResidentMiB());
        return status == ReadStatus::Counted || status == ReadStatus::LimitReached ? 0 : 1;
    }
    BenchChoice choice;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        if (option == "--cached") {
            choice.cold = false;
        } else if (option == "--cold") {
            choice.cached = false;
        } else if (option == "--states" && hasValue) {
            choice.states = namesIn(argv[++i]);
        } else if (option == "--data" && hasValue) {
            choice.dataSets = namesIn(argv[++i]);
        } else if (option == "--rounds" && hasValue) {
            choice.rounds = std::atoi(argv[++i]);
        } else {
            return usage(argv[0]);
        }
    }
    if (!choice.cached && !choice.cold)
        return usage(argv[0]);
    int status = 0;
    if (choice.cached)
        status = runCachedBench(choice);
    if (status == 0 && choice.cold)
        status = runColdBench(choice);
    return status;
}
