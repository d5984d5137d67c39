// The registry entries of an in-process server. 32-bit servers on 64-bit
// Windows: the registry places a 32-bit program's classes in its own view
// by itself, so the paths here are the plain ones.
#include "platform/ComServerRegistration.h"

#include <string>
#include <vector>

namespace Halvane::Platform {

namespace {

HKEY RootOf(RegistryScope scope) {
  return scope == RegistryScope::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

HRESULT FromError(LONG error) {
  return error == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(static_cast<DWORD>(error));
}

std::wstring Wide(const char* text) {
  std::wstring out;
  for (; text != nullptr && *text != 0; ++text) out += static_cast<wchar_t>(*text);
  return out;
}

std::wstring ClassText(const CLSID& classId) {
  wchar_t text[40] = {};
  ::StringFromGUID2(classId, text, 40);
  return text;
}

// The full path of the module that contains address; empty when unknown.
std::wstring ModulePath(const void* address) {
  HMODULE module = nullptr;
  if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCWSTR>(address), &module)) {
    return std::wstring();
  }
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return std::wstring();
    if (length < buffer.size()) return std::wstring(buffer.data(), length);
    if (buffer.size() >= 32768) return std::wstring();
    buffer.resize(buffer.size() * 2);
  }
}

// Creates the key (and those above it) and sets one text value; a null
// value name is the key's default value.
LONG SetText(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& text) {
  HKEY key = nullptr;
  LONG error = ::RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                                 nullptr);
  if (error != ERROR_SUCCESS) return error;
  error = ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  ::RegCloseKey(key);
  return error;
}

// The key's default text value; empty when the key or the value is missing.
std::wstring ReadText(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return std::wstring();
  }
  wchar_t text[1024] = {};
  DWORD size = sizeof text - sizeof(wchar_t);
  DWORD type = 0;
  const LONG error = ::RegQueryValueExW(key, nullptr, nullptr, &type,
                                        reinterpret_cast<BYTE*>(text), &size);
  ::RegCloseKey(key);
  if (error != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::wstring();
  return std::wstring(text);
}

// Deletes the key with everything below it (RegDeleteTree is not on every
// system the plug-ins run on).
LONG DeleteTree(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  LONG error = ::RegOpenKeyExW(root, path.c_str(), 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE,
                               &key);
  if (error == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
  if (error != ERROR_SUCCESS) return error;
  std::vector<std::wstring> children;
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD length = 256;
    if (::RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    children.emplace_back(name, length);
  }
  ::RegCloseKey(key);
  for (const std::wstring& child : children) {
    error = DeleteTree(root, path + L"\\" + child);
    if (error != ERROR_SUCCESS) return error;
  }
  error = ::RegDeleteKeyW(root, path.c_str());
  return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
}

const std::wstring kClasses = L"Software\\Classes\\";

}  // namespace

HRESULT RegisterInprocServer(const InprocServerClass& entry, RegistryScope scope,
                             const void* moduleAddress) {
  const std::wstring module = ModulePath(moduleAddress);
  if (module.empty()) return E_UNEXPECTED;
  const HKEY root = RootOf(scope);
  const std::wstring classText = ClassText(entry.classId);
  const std::wstring classKey = kClasses + L"CLSID\\" + classText;
  LONG error = SetText(root, classKey, nullptr, Wide(entry.name));
  if (error == ERROR_SUCCESS) error = SetText(root, classKey + L"\\InprocServer32", nullptr, module);
  if (error == ERROR_SUCCESS) {
    error = SetText(root, classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
  }
  // Marks it as a control for the tools that list controls to insert.
  if (error == ERROR_SUCCESS) error = SetText(root, classKey + L"\\Control", nullptr, L"");
  if (error == ERROR_SUCCESS && entry.progId != nullptr) {
    const std::wstring progId = Wide(entry.progId);
    error = SetText(root, classKey + L"\\ProgID", nullptr, progId);
    if (error == ERROR_SUCCESS) error = SetText(root, kClasses + progId, nullptr, Wide(entry.name));
    if (error == ERROR_SUCCESS) error = SetText(root, kClasses + progId + L"\\CLSID", nullptr, classText);
  }
  return FromError(error);
}

HRESULT UnregisterInprocServer(const InprocServerClass& entry, RegistryScope scope,
                               const void* moduleAddress) {
  const std::wstring module = ModulePath(moduleAddress);
  if (module.empty()) return E_UNEXPECTED;
  const HKEY root = RootOf(scope);
  const std::wstring classText = ClassText(entry.classId);
  const std::wstring classKey = kClasses + L"CLSID\\" + classText;
  const std::wstring server = ReadText(root, classKey + L"\\InprocServer32");
  if (server.empty() || ::lstrcmpiW(server.c_str(), module.c_str()) != 0) return S_FALSE;
  LONG error = DeleteTree(root, classKey);
  if (error == ERROR_SUCCESS && entry.progId != nullptr) {
    const std::wstring progId = kClasses + Wide(entry.progId);
    if (::lstrcmpiW(ReadText(root, progId + L"\\CLSID").c_str(), classText.c_str()) == 0) {
      error = DeleteTree(root, progId);
    }
  }
  return FromError(error);
}

}  // namespace Halvane::Platform
