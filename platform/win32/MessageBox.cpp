// The platform's wide message box: the text shows as written whatever the
// system's code page.
#include "platform/MessageBox.h"

#include "platform/Com.h"

namespace Halvane::Platform {

static_assert(kBoxOkButton == MB_OK && kBoxErrorIcon == MB_ICONERROR &&
                  kBoxClosedWithOk == IDOK,
              "box styles and results have the platform's values");

int ShowMessageBox(WindowHandle owner, const WideChar* text, const WideChar* caption,
                   std::uint32_t style) {
  return ::MessageBoxW(static_cast<HWND>(owner), text != nullptr ? text : L"",
                       caption != nullptr ? caption : L"", style);
}

}  // namespace Halvane::Platform
