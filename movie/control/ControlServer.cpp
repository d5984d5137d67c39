#include "movie/control/ControlServer.h"

#include <atomic>

#include "movie/control/ControlObject.h"
#include "platform/ComClasses.h"
#include "platform/ComServerRegistration.h"
#include "platform/HostModule.h"
#include "platform/ShockwaveFlash.h"

namespace Halvane::Movie {

namespace {

std::atomic<int> serverLocks{0};

// One factory for the life of the library: its references keep nothing
// alive (LockServer does that), as the platform expects of class objects.
class ControlClassFactory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (Platform::SameGuid(iid, IID_IUnknown) || Platform::SameGuid(iid, IID_IClassFactory)) {
      *object = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return ControlObject::Create(iid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      ++serverLocks;
    } else if (serverLocks.load() > 0) {
      --serverLocks;
    }
    return S_OK;
  }
};

ControlClassFactory& Factory() {
  static ControlClassFactory factory;
  return factory;
}

const Platform::InprocServerClass kServerClass{CLSID_ShockwaveFlash, "vmswf movie control",
                                                "ShockwaveFlash.ShockwaveFlash"};

// An address inside this library, by which the registration finds its path.
const void* ThisLibrary() { return reinterpret_cast<const void*>(&GetControlClassObject); }

bool SameWordIgnoringCase(const OLECHAR* text, const char* word) {
  if (text == nullptr) return false;
  for (;; ++text, ++word) {
    OLECHAR c = *text;
    if (c >= 'A' && c <= 'Z') c = static_cast<OLECHAR>(c - 'A' + 'a');
    if (c != static_cast<OLECHAR>(*word)) return false;
    if (*word == 0) return true;
  }
}

}  // namespace

HRESULT RegisterBuiltInControlClass() {
  return Platform::RegisterComClass(CLSID_ShockwaveFlash, &ControlObject::Create);
}

HRESULT GetControlClassObject(REFCLSID classId, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!Platform::SameGuid(classId, CLSID_ShockwaveFlash)) return CLASS_E_CLASSNOTAVAILABLE;
  // The library's statically linked runtime keeps handles that unloading
  // does not give back, and COM unloads in-process servers whenever a
  // process leaves its last apartment, as the player's worker does after
  // every movie. Once used, the library therefore stays loaded.
  static const bool kept = Platform::KeepModuleLoaded(ThisLibrary());
  (void)kept;
  return Factory().QueryInterface(iid, object);
}

HRESULT CanUnloadControlServer() {
  return ControlObject::Alive() == 0 && serverLocks.load() == 0 ? S_OK : S_FALSE;
}

HRESULT RegisterControlServer(RegistrationTarget target) {
  using Platform::RegistryScope;
  switch (target) {
    case RegistrationTarget::CurrentUser:
      return Platform::RegisterInprocServer(kServerClass, RegistryScope::CurrentUser, ThisLibrary());
    case RegistrationTarget::Machine:
      return Platform::RegisterInprocServer(kServerClass, RegistryScope::Machine, ThisLibrary());
    case RegistrationTarget::WhereAllowed:
      break;
  }
  // Not elevated, the machine's classes refuse to be written: then the
  // user's, as the platform expects of a program that is not elevated.
  const HRESULT machine =
      Platform::RegisterInprocServer(kServerClass, RegistryScope::Machine, ThisLibrary());
  if (machine != E_ACCESSDENIED) return machine;
  return Platform::RegisterInprocServer(kServerClass, RegistryScope::CurrentUser, ThisLibrary());
}

HRESULT UnregisterControlServer(RegistrationTarget target) {
  using Platform::RegistryScope;
  switch (target) {
    case RegistrationTarget::CurrentUser:
      return Platform::UnregisterInprocServer(kServerClass, RegistryScope::CurrentUser,
                                              ThisLibrary());
    case RegistrationTarget::Machine:
      return Platform::UnregisterInprocServer(kServerClass, RegistryScope::Machine,
                                              ThisLibrary());
    case RegistrationTarget::WhereAllowed:
      break;
  }
  const HRESULT user =
      Platform::UnregisterInprocServer(kServerClass, RegistryScope::CurrentUser, ThisLibrary());
  const HRESULT machine =
      Platform::UnregisterInprocServer(kServerClass, RegistryScope::Machine, ThisLibrary());
  if (FAILED(user)) return user;
  // Nothing of ours machine-wide is not worth an error when the user's
  // entries were removed; what was there and could not be removed is.
  if (FAILED(machine)) return machine;
  return user == S_OK || machine == S_OK ? S_OK : S_FALSE;
}

HRESULT InstallControlServer(bool install, const OLECHAR* commandLine) {
  RegistrationTarget target = RegistrationTarget::WhereAllowed;
  if (SameWordIgnoringCase(commandLine, "user")) {
    target = RegistrationTarget::CurrentUser;
  } else if (SameWordIgnoringCase(commandLine, "machine")) {
    target = RegistrationTarget::Machine;
  } else if (commandLine != nullptr && commandLine[0] != 0) {
    return E_INVALIDARG;
  }
  return install ? RegisterControlServer(target) : UnregisterControlServer(target);
}

}  // namespace Halvane::Movie
