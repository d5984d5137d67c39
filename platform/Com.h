// The COM shapes the subsystems are written against: IUnknown, IStream,
// IPersistStreamInit, BSTR, result codes and GUIDs. On Windows they are the
// platform's own declarations; elsewhere the project declares the same shapes
// (same method order, same result codes) in the target's ComDeclarations.h.
#pragma once

#include "ComDeclarations.h"

namespace Halvane::Platform {

// True when two interface or class identifiers are the same.
inline bool SameGuid(const GUID& a, const GUID& b) {
  return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
         a.Data4[0] == b.Data4[0] && a.Data4[1] == b.Data4[1] &&
         a.Data4[2] == b.Data4[2] && a.Data4[3] == b.Data4[3] &&
         a.Data4[4] == b.Data4[4] && a.Data4[5] == b.Data4[5] &&
         a.Data4[6] == b.Data4[6] && a.Data4[7] == b.Data4[7];
}

}  // namespace Halvane::Platform
