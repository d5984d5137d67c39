// How many kernel objects this process holds, so that a test can see that a
// cycle of work gives back what it took: on Windows the process's entries of
// the system's handle table (GetProcessHandleCount answers 0 under Wine), on
// Linux its open file descriptors and its threads. And, on Windows, the
// process's graphics objects, its loaded modules and its windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Halvane::Testing {

// The count, or 0 when it cannot be learnt.
std::size_t KernelObjectCount();

// The handles of the graphics objects of the kinds a program makes for
// drawing off screen (device contexts, bitmaps, fonts) that live in this
// process now, read from the process's table of them (under Wine;
// GetGuiResources answers 0 there). The regions and brushes that the
// system makes for windows of its own accord are left out. Empty where the
// table cannot be read: on Linux, whose graphics seam has no such objects,
// and on Windows itself, whose table has another layout.
std::vector<std::uintptr_t> LiveGraphicsObjects();
// Whether the handle names a graphics object that lives (GetObjectType
// answers its type, not 0); false on Linux.
bool GraphicsObjectLives(std::uintptr_t handle);

// Whether a module of that file name ("vmswfctl.dll") is loaded in this
// process; false on Linux.
bool ModuleIsLoaded(const char* fileName);

// How many windows of the class (top-level ones, of any thread of this
// process) exist; 0 on Linux, whose host windows are no system windows.
int WindowsOfClass(const char* className);

}  // namespace Halvane::Testing
