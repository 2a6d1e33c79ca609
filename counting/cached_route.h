#pragma once

#include <cstdint>

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
// then, should the folios grow further on (a file of which a part was read
// in).
class CachedRoute {
public:
    enum class Way {
        InPlace, // in place, with as many stretches as follow in one go
        Probe,   // in place, this stretch alone
        Copied,
    };

    explicit CachedRoute(bool mapping = true)
        : mapping_(mapping)
    {
    }

    // How the next cached stretch is counted.
    Way next();
    // What counting `bytes` in place cost: the minor faults taken meanwhile.
    void countedInPlace(std::int64_t bytes, long faults);

    // More faults than this per MiB mapped: the folios are small.
    static constexpr long kFaultsPerMiB = 4;
    // Of this many cached stretches while copying, the last is a probe, to
    // see whether the folios are still small.
    static constexpr int kProbeEvery = 16;

private:
    enum class Known { Nothing, LargeFolios, SmallFolios };
    bool mapping_;
    Known known_ = Known::Nothing;
    int sinceProbe_ = 0;
};

// The minor faults that the calling thread has taken so far.
long threadFaults();
