// The in-process class table: the classes this program provides itself, found
// by class identifier.
#include "platform/ComClasses.h"

#include <mutex>
#include <vector>

namespace Halvane::Platform {

namespace {

struct ClassEntry {
  CLSID classId;
  ComClassFactory factory;
};

std::mutex& TableLock() {
  static std::mutex lock;
  return lock;
}

std::vector<ClassEntry>& Table() {
  static std::vector<ClassEntry> table;
  return table;
}

}  // namespace

HRESULT RegisterComClass(REFCLSID classId, ComClassFactory factory) {
  if (factory == nullptr) return E_INVALIDARG;
  std::lock_guard<std::mutex> guard(TableLock());
  for (ClassEntry& entry : Table()) {
    if (SameGuid(entry.classId, classId)) {
      entry.factory = factory;
      return S_OK;
    }
  }
  Table().push_back(ClassEntry{classId, factory});
  return S_OK;
}

HRESULT RevokeComClass(REFCLSID classId) {
  std::lock_guard<std::mutex> guard(TableLock());
  auto& table = Table();
  for (auto it = table.begin(); it != table.end(); ++it) {
    if (SameGuid(it->classId, classId)) {
      table.erase(it);
      return S_OK;
    }
  }
  return S_FALSE;
}

HRESULT CreateComInstance(REFCLSID classId, IUnknown* outer, DWORD context, REFIID iid,
                          void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  // An installed class goes first, also when it fails: a control that the
  // user installed and that cannot run is not silently replaced.
  const HRESULT system = CreateSystemInstance(classId, outer, context, iid, object);
  if (FAILED(system)) *object = nullptr;
  if (!SystemLacksClass(system)) return system;
  ComClassFactory factory = nullptr;
  {
    std::lock_guard<std::mutex> guard(TableLock());
    for (const ClassEntry& entry : Table()) {
      if (SameGuid(entry.classId, classId)) factory = entry.factory;
    }
  }
  if (factory == nullptr || (context & CLSCTX_INPROC_SERVER) == 0) return REGDB_E_CLASSNOTREG;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  const HRESULT result = factory(iid, object);
  if (FAILED(result)) *object = nullptr;
  return result;
}

}  // namespace Halvane::Platform
