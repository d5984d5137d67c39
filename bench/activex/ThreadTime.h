// The processor time that the calling thread has used, for measuring how
// much of it a blocked thread spends while it waits.
#pragma once

#include <cstdint>

namespace Halvane::Bench {

std::uint64_t ThreadProcessorNanoseconds();

}  // namespace Halvane::Bench
