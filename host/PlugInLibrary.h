// One layer plug-in loaded by the reference host, reached through its
// exported functions. Initialize, Draw, Timer and Message are required;
// Finalize is optional (a plug-in without tear-down does not export it).
#pragma once

#include <cstdint>
#include <string>

#include "platform/HostModule.h"

namespace Halvane::Host {

struct PlugInLibrary {
  using InitializeFunction = void (*)(std::int32_t);
  using FinalizeFunction = void (*)();
  using DrawFunction = void (*)(void*, std::int32_t);
  using TimerFunction = std::int32_t (*)();
  using MessageFunction = std::int32_t (*)(const char*, std::int32_t*, char*);

  std::string name;
  std::string path;
  Platform::ModuleHandle module = nullptr;
  InitializeFunction initialize = nullptr;
  FinalizeFunction finalize = nullptr;
  DrawFunction draw = nullptr;
  TimerFunction timer = nullptr;
  MessageFunction message = nullptr;
};

// Loads the library at path under the given name; false with a reason in
// error when it cannot be loaded or lacks a required export. The library
// stays loaded for the life of the process.
bool LoadPlugInLibrary(const std::string& name, const std::string& path,
                       PlugInLibrary& library, std::string& error);

}  // namespace Halvane::Host
