// Room for a CRITICAL_SECTION inside the objects that own one, so that their
// headers need no Windows header (the size is checked where it is used).
#pragma once

namespace Halvane::Platform {

struct LockStorage {
  alignas(8) unsigned char bytes[48];
};

}  // namespace Halvane::Platform
