#pragma once

#include "count_kernel.h"

#include <atomic>
#include <cstddef>
#include <functional>

// Fills a block with the next bytes of the input: how many it wrote, 0 once
// the input is used up. Called by one thread at a time, in turn.
using ReadNextBlock = std::function<std::size_t(unsigned char* block, std::size_t capacity)>;

// Counts the input that readNext gives, block by block, on the caller's
// thread and `workers` more. Each thread reads a block and then counts it
// while another reads the next, so reading overlaps counting and each block
// is counted by the core that read it, still in its cache. Memory: one block
// and one counter a thread, whatever the amount of input.
//
// Once *stop is set (when given), no further block is read and no block not
// yet begun is counted: the counts are then partial, for the caller to throw
// away. Returns after every thread has ended.
ByteCounts countBlocks(int workers, std::size_t blockSize, const ReadNextBlock& readNext,
                       const std::atomic<bool>* stop = nullptr);
