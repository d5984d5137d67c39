// Without a window system a window is a token: a unique address that stands
// for it until it is destroyed.
#include "platform/HostWindow.h"

#include <new>
#include <string>

namespace Halvane::Platform {

namespace {
struct Window {
  std::string title;
};
}  // namespace

WindowHandle CreateHiddenWindow(const char* title) {
  return new (std::nothrow) Window{title != nullptr ? title : ""};
}

void DestroyHiddenWindow(WindowHandle window) { delete static_cast<Window*>(window); }

}  // namespace Halvane::Platform
