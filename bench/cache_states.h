#pragma once

#include "bench_support.h"

#include <string>
#include <vector>

// The ways in which a file that a user counts comes to be in the page cache,
// each of which leaves it in folios of its own size, and so counting it
// costs differently.
struct CacheState {
    const char* key;   // its name on the command line
    const char* title; // as printed
};

const std::vector<CacheState>& cacheStates();

// Makes the file of a data set, written with large writes to a disk, be in
// `state`: it, or a copy of it in the same folder (or on tmpfs). Gives the
// path of what is to be counted.
std::string prepareState(const CacheState& state, const std::string& source);
// Brings the file back into its state, where reading it changes that (the
// evicted stretches and the cold file come back into the cache when read
// through it).
void restoreState(const CacheState& state, const std::string& path);
// Removes what prepareState made beside the source.
void removeState(const CacheState& state, const std::string& source, const std::string& path);
