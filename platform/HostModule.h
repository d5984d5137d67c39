// Finding functions by name in loaded modules: the host executable, whose
// exported helper functions the plug-ins call, and other libraries such as
// the host's script bridge. Mirrors GetModuleFileNameA, LoadLibraryA,
// GetProcAddress and FreeLibrary.
#pragma once

#include <cstddef>

namespace Halvane::Platform {

using ModuleHandle = void*;

// Writes the path of the process's main executable into buffer (at most
// size - 1 characters and a terminating zero, cut short when longer) and
// returns the number of characters written, 0 on failure.
std::size_t GetMainExecutablePath(char* buffer, std::size_t size);

// The size of a buffer for GetMainExecutablePath: nativeSize where the
// platform's paths are bounded by it (Windows: the path limit the callers
// name), and large enough for any path where the platform's paths can be
// longer, so that a host in a deep folder is still found.
std::size_t ExecutablePathBufferSize(std::size_t nativeSize);

// Loads a module by path or bare name (the platform's normal search order),
// adding a reference; null when it cannot be loaded. Loading the main
// executable's own path only adds a reference to the running program.
ModuleHandle LoadModule(const char* pathOrName);

// The address of an exported function of a loaded module, or null.
void* FindModuleFunction(ModuleHandle module, const char* name);

// Drops the reference taken by LoadModule.
void ReleaseModule(ModuleHandle module);

// The platform's file name of a library given by its base name: "vmlua"
// becomes "vmlua.dll" on Windows and "libvmlua.so" on Linux.
const char* LibraryFileName(const char* baseName);

// Keeps the module that contains address loaded until the process ends,
// however often it is released (GET_MODULE_HANDLE_EX_FLAG_PIN on Windows;
// nothing on Linux). For a library whose runtime cannot be unloaded
// without losing what it holds. False when it cannot.
bool KeepModuleLoaded(const void* address);

// The four module calls as one set of routines, so that code that binds to
// the host can be handed another look-up (a test's) instead of the
// platform's.
struct ModuleServices {
  std::size_t (*getMainExecutablePath)(char* buffer, std::size_t size);
  ModuleHandle (*loadModule)(const char* pathOrName);
  void* (*findFunction)(ModuleHandle module, const char* name);
  void (*releaseModule)(ModuleHandle module);
};

// The platform's own look-up.
const ModuleServices& SystemModuleServices();

}  // namespace Halvane::Platform
