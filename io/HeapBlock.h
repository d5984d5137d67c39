// Heap blocks of the stream code, through one place so that every allocation
// can be checked, and so that tests can make allocations fail on purpose to
// prove that a failed allocation is a failed operation, never a crash.
#pragma once

#include <cstddef>

namespace Halvane::IO {

// malloc, calloc, realloc and free, except that they return null when a
// simulated failure is due (see FailAllocationsAfter).
void* AllocateBlock(std::size_t bytes);
void* AllocateZeroedBlock(std::size_t bytes);
void* ReallocateBlock(void* block, std::size_t bytes);
void FreeBlock(void* block);

// True unless a simulated failure is due; counts as one allocation. Used
// before allocating objects with new (std::nothrow).
bool AllocationAllowed();

// Test hook: the next `allowed` allocations succeed, every later one fails,
// until the hook is cleared with a negative value (the default: never fail).
void FailAllocationsAfter(int allowed);

}  // namespace Halvane::IO
