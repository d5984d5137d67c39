#include "HostScreen.h"

namespace UndulaTest {
HostScreen& Host() {
  static HostScreen host;
  return host;
}
}  // namespace UndulaTest

extern "C" int VlmGetWindowSize(int* width, int* height) {
  UndulaTest::HostScreen& host = UndulaTest::Host();
  ++host.calls;
  if (host.writesSize) {
    *width = host.width;
    *height = host.height;
  }
  return 1;
}
