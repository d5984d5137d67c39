// Module look-up through the dynamic loader. The host executable exports its
// helper functions in its dynamic symbol table (it is linked with
// --export-dynamic), so a look-up in the main program finds them.
#include "platform/HostModule.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstring>
#include <limits.h>
#include <string>

namespace Halvane::Platform {

namespace {
std::string MainExecutable() {
  char path[PATH_MAX + 1];
  const ssize_t n = readlink("/proc/self/exe", path, PATH_MAX);
  if (n <= 0) return {};
  return std::string(path, static_cast<std::size_t>(n));
}
}  // namespace

std::size_t GetMainExecutablePath(char* buffer, std::size_t size) {
  if (buffer == nullptr || size == 0) return 0;
  const std::string path = MainExecutable();
  if (path.empty()) {
    buffer[0] = 0;
    return 0;
  }
  const std::size_t n = path.size() < size - 1 ? path.size() : size - 1;
  std::memcpy(buffer, path.data(), n);
  buffer[n] = 0;
  return n;
}

std::size_t ExecutablePathBufferSize(std::size_t nativeSize) {
  constexpr std::size_t longest = PATH_MAX + 1;
  return nativeSize > longest ? nativeSize : longest;
}

ModuleHandle LoadModule(const char* pathOrName) {
  if (pathOrName == nullptr || *pathOrName == 0) return nullptr;
  // The dynamic loader refuses to open a position-independent executable a
  // second time; the running program itself is reached through a null path.
  if (MainExecutable() == pathOrName) {
    return dlopen(nullptr, RTLD_NOW);
  }
  return dlopen(pathOrName, RTLD_NOW | RTLD_LOCAL);
}

void* FindModuleFunction(ModuleHandle module, const char* name) {
  if (module == nullptr || name == nullptr) return nullptr;
  return dlsym(module, name);
}

void ReleaseModule(ModuleHandle module) {
  if (module != nullptr) dlclose(module);
}

const char* LibraryFileName(const char* baseName) {
  thread_local std::string name;
  name = std::string("lib") + (baseName ? baseName : "") + ".so";
  return name.c_str();
}

bool KeepModuleLoaded(const void*) { return true; }

}  // namespace Halvane::Platform
