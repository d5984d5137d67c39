// Host windows without a window system: a window is an object of this file,
// known by its address while it is in the table of live windows, so that a
// destroyed window's handle is recognised as dead instead of being followed.
// Registered classes and message numbers are kept in tables as well; message
// numbers start where the platform's registered messages start (0xC000).
#include "platform/ControlHost.h"

#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/ControlSite.h"

namespace Halvane::Platform {

namespace {

struct Window {
  ControlSite* site = nullptr;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

struct Tables {
  std::mutex mutex;
  std::unordered_set<Window*> windows;
  std::vector<std::string> classes;
  std::vector<std::string> messages;  // message number 0xC000 + index
};

// Never destroyed, so that windows destroyed at process exit find it.
Tables& State() {
  static Tables* tables = new Tables;
  return *tables;
}

constexpr std::uint32_t kFirstRegisteredMessage = 0xC000;
constexpr std::uint32_t kLastRegisteredMessage = 0xFFFF;

bool ClassRegistered(Tables& tables, const char* name) {
  for (const std::string& known : tables.classes) {
    if (known == name) return true;
  }
  return false;
}

// The window while it lives, or null.
Window* Live(WindowHandle handle) {
  Tables& tables = State();
  std::lock_guard<std::mutex> guard(tables.mutex);
  auto* window = static_cast<Window*>(handle);
  return tables.windows.count(window) != 0 ? window : nullptr;
}

}  // namespace

bool RegisterControlHostClasses() {
  Tables& tables = State();
  {
    std::lock_guard<std::mutex> guard(tables.mutex);
    try {
      for (const char* name : {kControlHostClass, kLicensedControlHostClass}) {
        if (!ClassRegistered(tables, name)) tables.classes.emplace_back(name);
      }
    } catch (const std::bad_alloc&) {
      return false;
    }
  }
  return RegisterMessageName(kGetHostMessageName) != 0 &&
         RegisterMessageName(kGetControlMessageName) != 0;
}

void UnregisterControlHostClasses() {
  Tables& tables = State();
  std::lock_guard<std::mutex> guard(tables.mutex);
  for (const char* name : {kControlHostClass, kLicensedControlHostClass}) {
    for (auto it = tables.classes.begin(); it != tables.classes.end(); ++it) {
      if (*it == name) {
        tables.classes.erase(it);
        break;
      }
    }
  }
}

std::uint32_t RegisterMessageName(const char* name) {
  if (name == nullptr || name[0] == 0) return 0;
  Tables& tables = State();
  std::lock_guard<std::mutex> guard(tables.mutex);
  for (std::size_t i = 0; i < tables.messages.size(); ++i) {
    if (tables.messages[i] == name) return kFirstRegisteredMessage + static_cast<std::uint32_t>(i);
  }
  if (kFirstRegisteredMessage + tables.messages.size() > kLastRegisteredMessage) return 0;
  try {
    tables.messages.emplace_back(name);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  return kFirstRegisteredMessage + static_cast<std::uint32_t>(tables.messages.size() - 1);
}

WindowHandle CreatePopupWindow(const char* className, std::int32_t width, std::int32_t height) {
  if (className == nullptr) return nullptr;
  Tables& tables = State();
  std::lock_guard<std::mutex> guard(tables.mutex);
  if (!ClassRegistered(tables, className)) return nullptr;
  // Both host classes own a site; no other class is registered here.
  auto* window = new (std::nothrow) Window;
  if (window == nullptr) return nullptr;
  window->site = ControlSite::Create(window);
  window->width = width;
  window->height = height;
  bool added = false;
  if (window->site != nullptr) {
    try {
      added = tables.windows.insert(window).second;
    } catch (const std::bad_alloc&) {
    }
  }
  if (!added) {
    if (window->site != nullptr) window->site->Release();
    delete window;
    return nullptr;
  }
  return window;
}

std::intptr_t SendMessageToWindow(WindowHandle handle, std::uint32_t message, std::uintptr_t,
                                  std::intptr_t) {
  Window* window = Live(handle);
  if (window == nullptr || message < kFirstRegisteredMessage) return 0;
  if (message == RegisterMessageName(kGetHostMessageName)) {
    return reinterpret_cast<std::intptr_t>(window->site->Identity());
  }
  if (message == RegisterMessageName(kGetControlMessageName)) {
    return reinterpret_cast<std::intptr_t>(window->site->Control());
  }
  return 0;
}

bool IsLiveWindow(WindowHandle window) { return window != nullptr && Live(window) != nullptr; }

bool DestroyWindowOf(WindowHandle handle) {
  auto* window = static_cast<Window*>(handle);
  {
    Tables& tables = State();
    std::lock_guard<std::mutex> guard(tables.mutex);
    if (tables.windows.erase(window) == 0) return false;
  }
  // Ending the control may take time and call back into the site; the
  // tables are not held meanwhile.
  window->site->Detach();
  window->site->Release();
  delete window;
  return true;
}

bool SetWindowClientSize(WindowHandle handle, std::int32_t width, std::int32_t height) {
  Window* window = Live(handle);
  if (window == nullptr) return false;
  // A popup window has no frame: the outer size is the client size.
  window->width = width;
  window->height = height;
  window->site->WindowResized(width, height);
  return true;
}

bool GetWindowClientSize(WindowHandle handle, std::int32_t* width, std::int32_t* height) {
  Window* window = Live(handle);
  if (window == nullptr || width == nullptr || height == nullptr) return false;
  *width = window->width;
  *height = window->height;
  return true;
}

}  // namespace Halvane::Platform
