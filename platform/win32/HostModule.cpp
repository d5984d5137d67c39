// Module look-up through the platform's loader. The host executable exports
// its helper functions by name, so GetProcAddress on it finds them.
#include "platform/HostModule.h"

#include <string>

#include "platform/Com.h"

namespace Halvane::Platform {

std::size_t GetMainExecutablePath(char* buffer, std::size_t size) {
  if (buffer == nullptr || size == 0) return 0;
  const DWORD capacity = size > 0x7FFFFFFFu ? 0x7FFFFFFFu : static_cast<DWORD>(size);
  const DWORD n = ::GetModuleFileNameA(nullptr, buffer, capacity);
  // A path cut short fills the buffer; older systems leave it unterminated.
  if (n == 0) {
    buffer[0] = 0;
    return 0;
  }
  const std::size_t written = n < capacity ? n : capacity - 1;
  buffer[written] = 0;
  return written;
}

std::size_t ExecutablePathBufferSize(std::size_t nativeSize) { return nativeSize; }

ModuleHandle LoadModule(const char* pathOrName) {
  if (pathOrName == nullptr || *pathOrName == 0) return nullptr;
  return reinterpret_cast<ModuleHandle>(::LoadLibraryA(pathOrName));
}

void* FindModuleFunction(ModuleHandle module, const char* name) {
  if (module == nullptr || name == nullptr) return nullptr;
  return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(module), name));
}

void ReleaseModule(ModuleHandle module) {
  if (module != nullptr) ::FreeLibrary(static_cast<HMODULE>(module));
}

const char* LibraryFileName(const char* baseName) {
  thread_local std::string name;
  name = std::string(baseName ? baseName : "") + ".dll";
  return name.c_str();
}

bool KeepModuleLoaded(const void* address) {
  HMODULE module = nullptr;
  return ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                              static_cast<LPCWSTR>(address), &module) != FALSE;
}

}  // namespace Halvane::Platform
