// Modal error message boxes, shaped after MessageBoxA: an owner window, the
// text, the caption and a style. On Windows the box is the platform's; on
// Linux the caption and the text go to standard error. Tests install a sink
// of their own to observe every box that would be shown.
#pragma once

#include <cstdint>

namespace Halvane::Platform {

// A window handle as the host engine hands it out (HWND on Windows); only
// passed on, never dereferenced.
using WindowHandle = void*;

// Style bits (the values of the platform's MB_* flags).
constexpr std::uint32_t MB_OK = 0x00000000u;
constexpr std::uint32_t MB_ICONERROR = 0x00000010u;

// Button identifiers that a box returns.
constexpr int IDOK = 1;

// Shows a modal box and returns the button that closed it (IDOK), after the
// box has been closed. Text and caption are zero-terminated 8-bit text in the
// system code page; a null pointer stands for an empty text.
int ShowMessageBox(WindowHandle owner, const char* text, const char* caption,
                   std::uint32_t style);

// A replacement for the box, called instead of it with the same arguments;
// its result is the box's result. The context is passed back unchanged.
using MessageBoxSink = int (*)(void* context, WindowHandle owner, const char* text,
                               const char* caption, std::uint32_t style);

// Installs a sink (null restores the platform's box) and returns the sink
// that was installed before, with its context in *previousContext when that
// pointer is not null. Not thread-safe: install sinks before boxes can show.
MessageBoxSink SetMessageBoxSink(MessageBoxSink sink, void* context,
                                 void** previousContext = nullptr);

}  // namespace Halvane::Platform
