// The test program stands in for the host: it exports VlmGetWindowSize,
// which the library finds in the main executable, and answers with the size
// set here.
#pragma once

namespace UndulaTest {

struct StandInHost {
  int width = 640;
  int height = 480;
  bool writesSize = true;  // false: the host leaves both integers unwritten
  int calls = 0;
};

StandInHost& Host();

}  // namespace UndulaTest
