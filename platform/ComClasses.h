// Creation of COM objects by class identifier, shaped after CoCreateInstance:
// the classes the system has registered (on Windows; Linux has none) and,
// behind them, a small in-process table of the classes this program brings
// itself, filled with RegisterComClass (the plug-in's built-in movie
// control registers itself there).
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

// As CoCreateInstance, from the system's registered classes first. Only
// where the system answers that it knows no such class
// (REGDB_E_CLASSNOTREG), or the calling thread has not entered COM, is the
// class looked up in the table: a class the system has registered but
// cannot create fails with the system's result, and the table's class is
// not tried. From the table: REGDB_E_CLASSNOTREG for an unknown class or a
// context without an in-process server; CLASS_E_NOAGGREGATION when an outer
// object is given (no class of the table aggregates); otherwise the
// factory's result. E_POINTER for a null object pointer.
HRESULT CreateComInstance(REFCLSID classId, IUnknown* outer, DWORD context, REFIID iid,
                          void** object);

// The system's registered classes alone (CoCreateInstance); on Linux every
// class is unknown (REGDB_E_CLASSNOTREG).
HRESULT CreateSystemInstance(REFCLSID classId, IUnknown* outer, DWORD context, REFIID iid,
                             void** object);

// True when the system's answer means that only the table can help: the
// class is not registered, or the thread has not entered COM.
bool SystemLacksClass(HRESULT systemResult);

}  // namespace Halvane::Platform
