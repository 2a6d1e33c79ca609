#include "cached_route.h"

#include <algorithm>
#include <sys/resource.h>

RouteChoice CachedRoute::next()
{
    if (!mapping_)
        return kCopied;
    switch (known_) {
    case Known::Nothing:
        return kProbe;
    case Known::LargeFolios:
        return kInPlace;
    case Known::SmallFolios:
        break;
    }
    if (++sinceProbe_ < gap_)
        return kCopied;
    sinceProbe_ = 0;
    return kProbe;
}

void CachedRoute::countedInPlace(std::int64_t bytes, long faults)
{
    if (bytes < kProbeBytes)
        return; // too little to tell
    const bool small = faults * (std::int64_t{1} << 20) > kFaultsPerMiB * bytes;
    if (!small)
        gap_ = 1;
    else if (known_ == Known::SmallFolios)
        gap_ = gap_ == 1 ? kProbeEvery : std::min(2 * gap_, kLongestGap);
    known_ = small ? Known::SmallFolios : Known::LargeFolios;
    sinceProbe_ = 0;
}

long threadFaults()
{
    rusage usage {};
    ::getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_minflt;
}
