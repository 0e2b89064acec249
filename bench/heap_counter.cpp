#include "heap_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<size_t> inUse{0};
std::atomic<size_t> peak{0};

void noteAllocation(size_t bytes) {
  size_t now = inUse.fetch_add(bytes) + bytes;
  size_t seen = peak.load();
  while (now > seen && !peak.compare_exchange_weak(seen, now)) {
  }
}

}  // namespace

namespace quorvel::bench {

size_t heapInUse() { return inUse.load(); }
size_t heapPeak() { return peak.load(); }
void resetHeapPeak() { peak = inUse.load(); }

}  // namespace quorvel::bench

// Each block carries its size in front so that delete can account for it.
// (GCC cannot see that the malloc'd block is the one new returned.)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(size_t bytes) {
  void* block = std::malloc(bytes + 16);
  if (!block) throw std::bad_alloc();
  *static_cast<size_t*>(block) = bytes;
  noteAllocation(bytes);
  return static_cast<char*>(block) + 16;
}
void operator delete(void* p) noexcept {
  if (!p) return;
  void* block = static_cast<char*>(p) - 16;
  inUse.fetch_sub(*static_cast<size_t*>(block));
  std::free(block);
}
void operator delete(void* p, size_t) noexcept { operator delete(p); }
