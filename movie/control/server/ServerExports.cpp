// The exports of the control's COM server library, as the platform's COM
// runtime and regsvr32 call them. Everything they do is ControlServer's.
#include "movie/control/ControlServer.h"

STDAPI DllGetClassObject(REFCLSID classId, REFIID iid, LPVOID* object) {
  return Halvane::Movie::GetControlClassObject(classId, iid, object);
}

STDAPI DllCanUnloadNow() { return Halvane::Movie::CanUnloadControlServer(); }

STDAPI DllRegisterServer() {
  return Halvane::Movie::RegisterControlServer(Halvane::Movie::RegistrationTarget::WhereAllowed);
}

STDAPI DllUnregisterServer() {
  return Halvane::Movie::UnregisterControlServer(Halvane::Movie::RegistrationTarget::WhereAllowed);
}

// regsvr32 /i:user or /i:machine (with /n: only this) chooses the place.
STDAPI DllInstall(BOOL install, LPCWSTR commandLine) {
  return Halvane::Movie::InstallControlServer(install != FALSE, commandLine);
}
