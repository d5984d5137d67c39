// The COM shapes the subsystems are written against: IUnknown, IStream,
// IPersistStreamInit, BSTR, result codes and GUIDs. On Windows they are the
// platform's own declarations; elsewhere the project declares the same shapes
// (same method order, same result codes) in the target's ComDeclarations.h.
#pragma once

#include <cstddef>
#include <string>
#include <type_traits>

#include "ComDeclarations.h"
#include "PlatformTypes.h"

static_assert(sizeof(OLECHAR) == 2, "OLECHAR is one UTF-16 code unit on every target");
static_assert(std::is_same<OLECHAR, Halvane::Platform::WideChar>::value,
              "the seam's wide character is the platform's OLECHAR");

namespace Halvane::Platform {

// True when two interface or class identifiers are the same.
inline bool SameGuid(const GUID& a, const GUID& b) {
  return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
         a.Data4[0] == b.Data4[0] && a.Data4[1] == b.Data4[1] &&
         a.Data4[2] == b.Data4[2] && a.Data4[3] == b.Data4[3] &&
         a.Data4[4] == b.Data4[4] && a.Data4[5] == b.Data4[5] &&
         a.Data4[6] == b.Data4[6] && a.Data4[7] == b.Data4[7];
}

// The one crossing between COM text (BSTR, OLECHAR: wchar_t on Windows,
// char16_t elsewhere) and the UTF-16 strings the subsystems work with.
//
// The UTF-16 text of a BSTR, all SysStringLen units of it (zeros inside
// included); a null BSTR is the empty text.
std::u16string FromBstr(BSTR text);
// The first length units of text as OLECHARs; a null text with length 0 is
// the empty text.
std::u16string FromOleText(const OLECHAR* text, std::size_t length);
// A new BSTR holding the text, to be freed with SysFreeString; null when it
// cannot be allocated.
BSTR NewBstr(const std::u16string& text);

}  // namespace Halvane::Platform
