// Heap accounting for the benchmarks: the bench executable replaces the
// global allocation functions so each benchmark can report the largest heap
// it held at once.
#pragma once

#include <cstddef>

namespace sb::bench {

// Starts a new peak from the bytes live now.
void resetHeapPeak();
// Largest number of live heap bytes since the last reset.
std::size_t heapPeakBytes();

}  // namespace sb::bench
