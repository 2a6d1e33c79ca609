#pragma once

#include "routes.h"

#include <cstdint>

// The route of a stretch, and whether it is a probe: counted in place on its
// own, so that what mapping it cost is known before more are joined to it.
struct RouteChoice {
    Route route = Route::Buffered;
    bool probe = false;

    bool operator==(const RouteChoice&) const = default;
};

// Chooses, for one counting thread, how the stretches that the page cache
// holds in whole are counted: where they lie, through a mapping, or copied
// out with pread in pieces that the second-level cache holds.
//
// Mapping a stretch costs a fault for every 64 KiB where the cache holds it
// in small folios (files written in small pieces, copied with cp, on tmpfs),
// each of whose pages is then mapped, walked and unmapped one by one; where
// it holds large folios (files read in, or written in large pieces) a fault
// maps a whole folio and counting in place costs next to nothing beside the
// count. Copying costs the same for both, a little more than mapping large
// folios and less than mapping small ones. So the first stretch is counted in
// place on its own, a probe; while mappings take few faults, stretches are
// counted in place; once one took many, they are copied, with a probe now and
// then, should the folios grow further on: at once, since a file read in is
// held in small folios at its start, where readahead begins small, and in
// large ones from a few MiB on; then after 16 stretches, then twice as many
// after each probe that finds small folios again, up to 256, so that probes
// cost little where the whole file is held in small folios. A probe maps
// only the first kProbeBytes of its stretch, enough to tell: mapping small
// folios costs three times a copy. The rest of the stretch goes the way
// the probe found.
class CachedRoute {
public:
    explicit CachedRoute(bool mapping = true)
        : mapping_(mapping)
    {
    }

    // What next() gives: in place, with as many stretches as follow in one
    // go; in place, this stretch alone; or copied.
    static constexpr RouteChoice kInPlace{Route::InPlace};
    static constexpr RouteChoice kProbe{Route::InPlace, true};
    static constexpr RouteChoice kCopied{Route::Copied};

    // How the next cached stretch is counted.
    RouteChoice next();
    // How the rest of a probed stretch is counted: in place where the probe
    // found large folios, else copied.
    RouteChoice afterProbe() const { return known_ == Known::LargeFolios ? kInPlace : kCopied; }
    // What counting `bytes` in place cost: the minor faults taken meanwhile.
    void countedInPlace(std::int64_t bytes, long faults);

    // More faults than this per MiB mapped: the folios are small.
    static constexpr long kFaultsPerMiB = 4;
    // What a probe maps of its stretch, and the least that tells: the page
    // cache's largest folios are 2 MiB, and a mapping that holds only part
    // of one maps it 64 KiB a fault, as if it were small.
    static constexpr std::int64_t kProbeBytes = std::int64_t{2} << 20;
    // Once small folios were found twice running, the next probe comes this
    // many cached stretches later; the gap doubles with every probe that
    // finds them again, up to kLongestGap.
    static constexpr int kProbeEvery = 16;
    static constexpr int kLongestGap = 256;

private:
    enum class Known { Nothing, LargeFolios, SmallFolios };
    bool mapping_;
    Known known_ = Known::Nothing;
    int sinceProbe_ = 0;
    int gap_ = 1;
};

// The minor faults that the calling thread has taken so far.
long threadFaults();
