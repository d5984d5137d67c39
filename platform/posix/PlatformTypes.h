// The few types the seam's portable headers need on this target.
#pragma once

namespace Halvane::Platform {

// One UTF-16 code unit, the same type as this target's OLECHAR.
using WideChar = char16_t;

}  // namespace Halvane::Platform
