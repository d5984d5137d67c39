// The module (DLL or program) this code is linked into: window classes of
// the seam are registered for it and unregistered by it.
#pragma once

#include "platform/Com.h"

namespace Halvane::Platform {

HINSTANCE ThisModule();

}  // namespace Halvane::Platform
