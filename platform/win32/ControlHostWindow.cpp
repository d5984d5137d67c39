// Host windows as real windows of two classes registered by this module. The
// window procedure makes the site when the window is created, answers the
// two registered messages from it, tells it the window's new size, and
// ends its control and releases it when the window goes.
#include "platform/ControlHost.h"

#include <mutex>

#include "platform/Com.h"
#include "platform/win32/ModuleInstance.h"
#include "platform/ControlSite.h"

namespace Halvane::Platform {

namespace {

UINT GetHostMessage() {
  static const UINT message = ::RegisterWindowMessageA(kGetHostMessageName);
  return message;
}

UINT GetControlMessage() {
  static const UINT message = ::RegisterWindowMessageA(kGetControlMessageName);
  return message;
}

ControlSite* SiteOf(HWND window) {
  return reinterpret_cast<ControlSite*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
}

LRESULT CALLBACK HostWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    ControlSite* site = ControlSite::Create(window);
    if (site == nullptr) return FALSE;  // the window is not created
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(site));
  } else if (message == WM_NCDESTROY) {
    if (ControlSite* site = SiteOf(window)) {
      ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      site->Detach();
      site->Release();
    }
  } else if (message == WM_SIZE) {
    if (ControlSite* site = SiteOf(window)) site->WindowResized(LOWORD(lParam), HIWORD(lParam));
  } else if (message == GetHostMessage() && message != 0) {
    ControlSite* site = SiteOf(window);
    return site != nullptr ? reinterpret_cast<LRESULT>(site->Identity()) : 0;
  } else if (message == GetControlMessage() && message != 0) {
    ControlSite* site = SiteOf(window);
    return site != nullptr ? reinterpret_cast<LRESULT>(site->Control()) : 0;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

// Registration and unregistration may come from different threads.
std::mutex& ClassLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

bool RegisterControlHostClasses() {
  const HINSTANCE instance = ThisModule();
  bool registered = true;
  {
    std::lock_guard<std::mutex> guard(ClassLock());
    for (const char* name : {kControlHostClass, kLicensedControlHostClass}) {
      WNDCLASSEXA existing{};
      existing.cbSize = sizeof existing;
      if (::GetClassInfoExA(instance, name, &existing)) continue;
      WNDCLASSEXA windowClass{};
      windowClass.cbSize = sizeof windowClass;
      windowClass.lpfnWndProc = &HostWindowProcedure;
      windowClass.hInstance = instance;
      windowClass.lpszClassName = name;
      if (::RegisterClassExA(&windowClass) == 0) registered = false;
    }
  }
  return registered && GetHostMessage() != 0 && GetControlMessage() != 0;
}

void UnregisterControlHostClasses() {
  std::lock_guard<std::mutex> guard(ClassLock());
  ::UnregisterClassA(kControlHostClass, ThisModule());
  ::UnregisterClassA(kLicensedControlHostClass, ThisModule());
}

std::uint32_t RegisterMessageName(const char* name) {
  if (name == nullptr || name[0] == 0) return 0;
  return ::RegisterWindowMessageA(name);
}

WindowHandle CreatePopupWindow(const char* className, std::int32_t width, std::int32_t height) {
  if (className == nullptr) return nullptr;
  return ::CreateWindowExA(0, className, nullptr, WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                           ThisModule(), nullptr);
}

std::intptr_t SendMessageToWindow(WindowHandle window, std::uint32_t message,
                                  std::uintptr_t wParam, std::intptr_t lParam) {
  if (window == nullptr || !::IsWindow(static_cast<HWND>(window))) return 0;
  return ::SendMessageA(static_cast<HWND>(window), message, wParam, lParam);
}

bool IsLiveWindow(WindowHandle window) {
  return window != nullptr && ::IsWindow(static_cast<HWND>(window));
}

bool DestroyWindowOf(WindowHandle window) {
  return window != nullptr && ::DestroyWindow(static_cast<HWND>(window));
}

bool SetWindowClientSize(WindowHandle window, std::int32_t width, std::int32_t height) {
  HWND native = static_cast<HWND>(window);
  if (native == nullptr) return false;
  RECT rect{0, 0, width, height};
  const DWORD style = static_cast<DWORD>(::GetWindowLongA(native, GWL_STYLE));
  ::AdjustWindowRect(&rect, style, FALSE);
  return ::SetWindowPos(native, nullptr, rect.left, rect.top, rect.right - rect.left,
                        rect.bottom - rect.top,
                        SWP_NOACTIVATE | SWP_NOREDRAW | SWP_NOZORDER | SWP_NOMOVE) != FALSE;
}

bool GetWindowClientSize(WindowHandle window, std::int32_t* width, std::int32_t* height) {
  RECT rect{};
  if (width == nullptr || height == nullptr || window == nullptr ||
      !::GetClientRect(static_cast<HWND>(window), &rect)) {
    return false;
  }
  *width = rect.right - rect.left;
  *height = rect.bottom - rect.top;
  return true;
}

}  // namespace Halvane::Platform
