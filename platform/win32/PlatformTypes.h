// The few types the seam's portable headers need on Windows, without the
// Windows headers themselves.
#pragma once

namespace Halvane::Platform {

// One UTF-16 code unit as the platform's wide calls take it (WCHAR, OLECHAR).
using WideChar = wchar_t;

}  // namespace Halvane::Platform
