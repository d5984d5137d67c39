// Registering an in-process COM server in the system's registry, as
// regsvr32 asks a server to do: the class under its identifier with the
// module that serves it, apartment threading, its ProgID both ways and the
// mark of an ActiveX control. Either for the current user
// (HKEY_CURRENT_USER\Software\Classes, which needs no elevation) or for the
// whole machine (HKEY_LOCAL_MACHINE\Software\Classes). Windows merges both
// into HKEY_CLASSES_ROOT; Wine 8 reads only the machine-wide classes.
//
// On Linux there is no registry: every call answers E_NOTIMPL.
#pragma once

#include "platform/Com.h"

namespace Halvane::Platform {

enum class RegistryScope { CurrentUser, Machine };

struct InprocServerClass {
  CLSID classId;
  const char* name;    // shown by tools that list classes
  const char* progId;  // "Vendor.Component"; null for none
};

// Writes the class's entries for the module that contains moduleAddress
// (its full path as the server). E_ACCESSDENIED when the scope may not be
// written (the machine without elevation); a failure leaves what was
// written in place, which a later unregistration removes.
HRESULT RegisterInprocServer(const InprocServerClass& entry, RegistryScope scope,
                             const void* moduleAddress);

// Removes the class's entries from the scope, but only where they name the
// module that contains moduleAddress: another server registered under the
// same class stays. S_FALSE when there was nothing of this module's.
HRESULT UnregisterInprocServer(const InprocServerClass& entry, RegistryScope scope,
                               const void* moduleAddress);

}  // namespace Halvane::Platform
