// The counting engine's speed: on cached files (--cached), on files read from
// the disk (--cold), or both, one after the other, when given neither.
#include "bench_support.h"

#include <cstdio>
#include <cstring>

int main(int argc, char* argv[])
{
    const char* mode = argc > 1 ? argv[1] : "";
    if (argc > 2 || (argc == 2 && std::strcmp(mode, "--cached") != 0 && std::strcmp(mode, "--cold") != 0)) {
        std::fprintf(stderr, "usage: %s [--cached | --cold]\n", argv[0]);
        return 2;
    }
    int status = 0;
    if (std::strcmp(mode, "--cold") != 0)
        status = runCachedBench();
    if (status == 0 && std::strcmp(mode, "--cached") != 0)
        status = runColdBench();
    return status;
}
