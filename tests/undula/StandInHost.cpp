#include "StandInHost.h"

namespace UndulaTest {
StandInHost& Host() {
  static StandInHost host;
  return host;
}
}  // namespace UndulaTest

extern "C" int VlmGetWindowSize(int* width, int* height) {
  UndulaTest::StandInHost& host = UndulaTest::Host();
  ++host.calls;
  if (host.writesSize) {
    *width = host.width;
    *height = host.height;
  }
  return 1;
}
