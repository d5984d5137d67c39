// A top-level window of a class of our own that is never shown: owners for
// message boxes must be real windows.
#include "platform/HostWindow.h"

#include "platform/Com.h"
#include "platform/win32/ModuleInstance.h"

namespace Halvane::Platform {

namespace {
constexpr const wchar_t* kClassName = L"HalvaneHiddenWindow";

bool RegisterClassOnce(HINSTANCE instance) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (::GetClassInfoExW(instance, kClassName, &existing)) return true;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = ::DefWindowProcW;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kClassName;
  return ::RegisterClassExW(&windowClass) != 0;
}
}  // namespace

WindowHandle CreateHiddenWindow(const char* title) {
  HINSTANCE instance = ThisModule();
  if (!RegisterClassOnce(instance)) return nullptr;
  return ::CreateWindowExA(0, "HalvaneHiddenWindow", title != nullptr ? title : "",
                           WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 320, 240, nullptr,
                           nullptr, instance, nullptr);
}

void DestroyHiddenWindow(WindowHandle window) {
  if (window != nullptr) ::DestroyWindow(static_cast<HWND>(window));
}

}  // namespace Halvane::Platform
