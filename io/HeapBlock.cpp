#include "io/HeapBlock.h"

#include <atomic>
#include <cstdlib>

namespace Halvane::IO {

namespace {
// Allocations left before simulated failures start; negative: never fail.
std::atomic<int> allowedAllocations{-1};
}  // namespace

bool AllocationAllowed() {
  int left = allowedAllocations.load(std::memory_order_relaxed);
  while (left >= 0) {
    if (left == 0) return false;
    if (allowedAllocations.compare_exchange_weak(left, left - 1, std::memory_order_relaxed)) {
      return true;
    }
  }
  return true;
}

void FailAllocationsAfter(int allowed) {
  allowedAllocations.store(allowed < 0 ? -1 : allowed, std::memory_order_relaxed);
}

void* AllocateBlock(std::size_t bytes) {
  return AllocationAllowed() ? std::malloc(bytes) : nullptr;
}

void* AllocateZeroedBlock(std::size_t bytes) {
  return AllocationAllowed() ? std::calloc(bytes, 1) : nullptr;
}

void* ReallocateBlock(void* block, std::size_t bytes) {
  return AllocationAllowed() ? std::realloc(block, bytes) : nullptr;
}

void FreeBlock(void* block) { std::free(block); }

}  // namespace Halvane::IO
