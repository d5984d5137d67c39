// Modal error message boxes, shaped after MessageBoxW: an owner window, the
// text, the caption and a style. The text is UTF-16, so a box reads the same
// whatever the system's code page. On Windows the box is the platform's; on
// Linux the caption and the text go to standard error as UTF-8 (see
// posix/MessageBoxSink.h for how tests there observe the boxes).
#pragma once

#include <cstdint>

#include "PlatformTypes.h"

namespace Halvane::Platform {

// A window handle as the host engine hands it out (HWND on Windows); only
// passed on, never dereferenced.
using WindowHandle = void*;

// Style bits, with the values of the platform's flags of the same meaning.
constexpr std::uint32_t kBoxOkButton = 0x00000000u;  // only an OK button
constexpr std::uint32_t kBoxErrorIcon = 0x00000010u;  // the error icon

// The button that closed a box: OK.
constexpr int kBoxClosedWithOk = 1;

// Shows a modal box and returns the button that closed it, after the box has
// been closed; 0 when no box could be shown. Text and caption are
// zero-terminated UTF-16; a null pointer stands for an empty text.
int ShowMessageBox(WindowHandle owner, const WideChar* text, const WideChar* caption,
                   std::uint32_t style);

}  // namespace Halvane::Platform
