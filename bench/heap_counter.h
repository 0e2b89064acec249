// Heap accounting for the benchmarks that state their peak memory: every
// operator new of a program that links this goes through a counter.
#pragma once

#include <cstddef>

namespace quorvel::bench {

// Bytes allocated now and not yet freed.
size_t heapInUse();
// The most in use since the last resetHeapPeak().
size_t heapPeak();
// Starts a new peak from what is in use now.
void resetHeapPeak();

}  // namespace quorvel::bench
