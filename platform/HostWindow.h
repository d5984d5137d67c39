// A window of the program's own that other windows can belong to: the
// reference host's main window, which owns the plug-ins' error boxes. On
// Windows a real top-level window that is never shown; on Linux a token
// that stands for one.
#pragma once

#include "platform/MessageBox.h"

namespace Halvane::Platform {

// Creates the window on the calling thread; null when it cannot.
WindowHandle CreateHiddenWindow(const char* title);

// Destroys a window made by CreateHiddenWindow, on the thread that made it;
// null is ignored.
void DestroyHiddenWindow(WindowHandle window);

}  // namespace Halvane::Platform
