// Without COM the system registers no classes: every class is the table's.
#include "platform/ComClasses.h"

namespace Halvane::Platform {

HRESULT CreateSystemInstance(REFCLSID, IUnknown*, DWORD, REFIID, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  return REGDB_E_CLASSNOTREG;
}

bool SystemLacksClass(HRESULT systemResult) { return systemResult == REGDB_E_CLASSNOTREG; }

}  // namespace Halvane::Platform
