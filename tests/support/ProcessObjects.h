// How many kernel objects this process holds, so that a test can see that a
// cycle of work gives back what it took: on Windows the process's entries of
// the system's handle table (GetProcessHandleCount answers 0 under Wine), on
// Linux its open file descriptors and its threads.
#pragma once

#include <cstddef>

namespace Halvane::Testing {

// The count, or 0 when it cannot be learnt.
std::size_t KernelObjectCount();

}  // namespace Halvane::Testing
