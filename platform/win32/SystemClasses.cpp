// The system's class registry: CoCreateInstance, which looks the class up in
// the registry (HKEY_CLASSES_ROOT, where Windows merges the per-user and
// the machine-wide classes).
#include "platform/ComClasses.h"

namespace Halvane::Platform {

HRESULT CreateSystemInstance(REFCLSID classId, IUnknown* outer, DWORD context, REFIID iid,
                             void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  return ::CoCreateInstance(classId, outer, context, iid, object);
}

bool SystemLacksClass(HRESULT systemResult) {
  return systemResult == REGDB_E_CLASSNOTREG || systemResult == CO_E_NOTINITIALIZED;
}

}  // namespace Halvane::Platform
