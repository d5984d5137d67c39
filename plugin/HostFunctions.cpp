#include "plugin/HostFunctions.h"

#include <cstring>
#include <vector>

#include "platform/HostModule.h"

namespace Halvane::VlmPlugIn {

const char* const kHostFunctionNames[kHostFunctionCount] = {
    "VlmGetWindowSize", "VlmGetWindow",     "VMAGetFile",    "VM2GetFile",
    "VlmDoEvents",      "VlmExecWord",      "VlmGetMouse",   "VlmGetClick",
    "VlmGetKey",        "VlmSystemCall",    "VlmRefreshWindow", "VlmEffect",
    "VlmGetDestDC",     "VlmGetSrcDC",      "VlmGetDestDIB", "VlmGetSrcDIB",
    "AllocDIB",         "FreeDIB",          "GetSpriteData", "GetSpriteDIB",
    "RenderSprite",     "DrawClear",        "DrawFill",      "DrawBG",
    "DrawBG2",          "DrawSP",           "DrawSP2",
};

const char* const kBridgeFunctionNames[kBridgeFunctionCount] = {
    "VL_dostring",    "VL_register",    "VL_error",        "VL_settop",
    "VL_gettop",      "VL_isnumber",    "VL_istable",      "VL_isstring",
    "VL_isboolean",   "VL_isnil",       "VL_tonumber",     "VL_tointeger",
    "VL_tostring",    "VL_toboolean",   "VL_pushnumber",   "VL_pushinteger",
    "VL_pushstring",  "VL_pushboolean", "VL_gettable",     "VL_pop",
};

namespace {
// Table positions of the four functions the plug-in calls.
constexpr std::size_t kVlmGetWindowSize = 0;
constexpr std::size_t kVlmGetWindow = 1;
constexpr std::size_t kVMAGetFile = 2;
constexpr std::size_t kVM2GetFile = 3;

template <class F>
F As(void* entry) {
  return reinterpret_cast<F>(entry);
}
}  // namespace

VlmGetWindowSizeFunction HostEntryPoints::VlmGetWindowSize() const {
  return As<VlmGetWindowSizeFunction>(host[kVlmGetWindowSize]);
}
VlmGetWindowFunction HostEntryPoints::VlmGetWindow() const {
  return As<VlmGetWindowFunction>(host[kVlmGetWindow]);
}
GetFileFunction HostEntryPoints::VMAGetFile() const {
  return As<GetFileFunction>(host[kVMAGetFile]);
}
GetFileFunction HostEntryPoints::VM2GetFile() const {
  return As<GetFileFunction>(host[kVM2GetFile]);
}

HostEntryPoints& HostEntries() {
  static HostEntryPoints entries;
  return entries;
}

std::int32_t BindHostFunctions(const Platform::ModuleServices& modules) {
  HostEntryPoints& entries = HostEntries();
  if (entries.hostBound != 0) return 1;

  // The platform's path limit: 260 bytes on Windows; longer where paths are.
  std::vector<char> path(Platform::ExecutablePathBufferSize(260), 0);
  modules.getMainExecutablePath(path.data(), path.size());
  Platform::ModuleHandle host = modules.loadModule(path.data());
  if (host == nullptr) return 0;
  for (std::size_t i = 0; i < kHostFunctionCount; ++i) {
    entries.host[i] = modules.findFunction(host, kHostFunctionNames[i]);
  }
  // The entries stay valid: the module is the running executable itself.
  modules.releaseModule(host);

  Platform::ModuleHandle bridge = modules.loadModule(Platform::LibraryFileName("vmlua"));
  if (bridge != nullptr) {
    for (std::size_t i = 0; i < kBridgeFunctionCount; ++i) {
      entries.bridge[i] = modules.findFunction(bridge, kBridgeFunctionNames[i]);
    }
    // None of them is called; they stay usable while the host keeps the
    // bridge loaded.
    modules.releaseModule(bridge);
    entries.bridgeBound = 1;
  }
  entries.hostBound = 1;
  return 1;
}

Platform::WindowHandle HostWindow() {
  VlmGetWindowFunction getWindow = HostEntries().VlmGetWindow();
  return getWindow != nullptr ? getWindow() : nullptr;
}

std::int32_t AskHostForFile(const std::string& name, char (&path)[kHostPathSize],
                            std::int32_t& offset, std::int32_t& length) {
  std::memset(path, 0, sizeof path);
  offset = 0;
  length = 0;
  std::int32_t found = 0;
  if (GetFileFunction vm2 = HostEntries().VM2GetFile()) {
    found = vm2(name.c_str(), path, &offset, &length);
  }
  if (found == 0) {
    if (GetFileFunction vma = HostEntries().VMAGetFile()) {
      found = vma(name.c_str(), path, &offset, &length);
    }
  }
  // The player reads the path as a zero-terminated text.
  path[kHostPathSize - 1] = 0;
  return found != 0 ? 1 : 0;
}

void UnbindHostFunctionsForTesting() { HostEntries() = HostEntryPoints{}; }

}  // namespace Halvane::VlmPlugIn
