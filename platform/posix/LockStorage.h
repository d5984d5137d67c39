// Room for this target's lock (a recursive pthread mutex) inside the objects
// that own one, so that their headers need no system header.
#pragma once

#include <cstddef>

namespace Halvane::Platform {

struct LockStorage {
  alignas(std::max_align_t) unsigned char bytes[64];
};

}  // namespace Halvane::Platform
