// Creation of COM objects by class identifier, shaped after CoCreateInstance.
// On Windows these are the platform's class registry calls; on this target a
// small in-process table that subsystems fill with RegisterComClass (the
// movie control registers itself there).
//
// All functions may be called from any thread.
#pragma once

#include "platform/Com.h"

namespace Halvane::Platform {

// Creates an object of the class and answers its interface iid in *object
// with one reference, or a failing result with *object null.
using ComClassFactory = HRESULT (*)(REFIID iid, void** object);

// Adds the class, or replaces the factory of a class already there.
HRESULT RegisterComClass(REFCLSID classId, ComClassFactory factory);
// Removes the class; S_FALSE when it was not there.
HRESULT RevokeComClass(REFCLSID classId);

// As CoCreateInstance: E_POINTER for a null object pointer;
// REGDB_E_CLASSNOTREG for an unknown class or a context without an
// in-process server; CLASS_E_NOAGGREGATION when an outer object is given
// (no class of the table aggregates); otherwise the factory's result.
HRESULT CreateComInstance(REFCLSID classId, IUnknown* outer, DWORD context, REFIID iid,
                          void** object);

}  // namespace Halvane::Platform
