// The host engine's helper functions and its script bridge's functions,
// found by name at the first set-up and kept for the life of the process.
// The plug-in links against neither: the host exports its helpers from its
// own executable, the bridge is the library "vmlua" in the platform's naming.
// Written once on the host's thread during set-up, read there afterwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/HostModule.h"
#include "platform/MessageBox.h"

namespace Halvane::VlmPlugIn {

// The four host functions the plug-in calls (caller-cleans convention,
// 32-bit integers, 8-bit text in the system code page).
using VlmGetWindowSizeFunction = std::int32_t (*)(std::int32_t* width, std::int32_t* height);
using VlmGetWindowFunction = Platform::WindowHandle (*)();
// name as the script gave it; a zero-filled 261-byte path buffer; byte
// offset and byte length of the movie inside that file (length 0: to the
// end). Nonzero when the host found the file.
using GetFileFunction = std::int32_t (*)(const char* name, char* path,
                                         std::int32_t* offset, std::int32_t* length);
// Every other entry is only bound, never called.
using HostFunction = void (*)();

constexpr std::size_t kHostFunctionCount = 27;
constexpr std::size_t kBridgeFunctionCount = 20;

// The names, in the order in which they are looked up.
extern const char* const kHostFunctionNames[kHostFunctionCount];
extern const char* const kBridgeFunctionNames[kBridgeFunctionCount];

// The process-wide table of entry points; all null until bound.
struct HostEntryPoints {
  std::int32_t hostBound = 0;    // 1 once BindHostFunctions has completed
  std::int32_t bridgeBound = 0;  // 1 when the bridge library was found
  void* host[kHostFunctionCount] = {};
  void* bridge[kBridgeFunctionCount] = {};

  VlmGetWindowSizeFunction VlmGetWindowSize() const;
  VlmGetWindowFunction VlmGetWindow() const;
  GetFileFunction VMAGetFile() const;
  GetFileFunction VM2GetFile() const;
};

HostEntryPoints& HostEntries();

// Binds the table once per process: 1 when bound (now or before), 0 when the
// host executable could not be loaded (then nothing is bound and the next
// call tries again). Names the host does not export stay null; a missing
// bridge library is not an error. The look-up goes through the given module
// services (the platform's own unless a test hands in its own).
std::int32_t BindHostFunctions(
    const Platform::ModuleServices& modules = Platform::SystemModuleServices());

// The owner for a command error box: the host's main window, asked anew on
// every call; null when the host has no VlmGetWindow.
Platform::WindowHandle HostWindow();

// Size of the path buffer of the file look-ups: 260 bytes and a zero.
constexpr std::size_t kHostPathSize = 261;

// Asks the host where a movie named by the script lies: the path buffer is
// zero-filled and offset and length zeroed, then VM2GetFile is asked and,
// only when it answers 0, VMAGetFile with the same buffer and integers (not
// cleared again). A look-up the host does not export counts as "not found".
// 1 when one of them found the file. The buffer always ends with a zero,
// whatever the host wrote into it.
std::int32_t AskHostForFile(const std::string& name, char (&path)[kHostPathSize],
                            std::int32_t& offset, std::int32_t& length);

// Test hook: forgets the binding, as if the process had just started.
void UnbindHostFunctionsForTesting();

}  // namespace Halvane::VlmPlugIn
