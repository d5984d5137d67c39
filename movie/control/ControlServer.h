// Our movie control as a COM server, for the plug-in and for other
// programs: the built-in class the plug-in registers in its own process,
// and what the server library's exports (movie/control/server/) do: hand
// out the class factory, tell whether the library may be unloaded, and
// register the class in the system's registry or remove it.
#pragma once

#include "platform/Com.h"

namespace Halvane::Movie {

// Adds ControlObject to the process's class table under the control's
// class identifier: the built-in control, which the player uses where the
// system has no such class registered.
HRESULT RegisterBuiltInControlClass();

// DllGetClassObject: the class factory of the control's class (its
// CreateInstance makes a ControlObject; CLASS_E_NOAGGREGATION with an outer
// object), answered as iid; CLASS_E_CLASSNOTAVAILABLE for any other class.
HRESULT GetControlClassObject(REFCLSID classId, REFIID iid, void** object);

// DllCanUnloadNow: S_OK when no control made here is alive and no
// LockServer holds the server, else S_FALSE.
HRESULT CanUnloadControlServer();

// Where registration writes: machine-wide where the caller may (elevated),
// else for the current user; or one of the two.
enum class RegistrationTarget { WhereAllowed, CurrentUser, Machine };

// DllRegisterServer (WhereAllowed) and DllInstall: the control's class with
// this library as its server, "ShockwaveFlash.ShockwaveFlash" as its ProgID.
HRESULT RegisterControlServer(RegistrationTarget target);
// DllUnregisterServer (WhereAllowed: from both places) and DllInstall:
// removes the entries that name this library, and only those.
HRESULT UnregisterControlServer(RegistrationTarget target);
// DllInstall: the command line "user" or "machine" (in any case) chooses
// the place, an empty or null one means WhereAllowed; E_INVALIDARG for
// anything else.
HRESULT InstallControlServer(bool install, const OLECHAR* commandLine);

}  // namespace Halvane::Movie
