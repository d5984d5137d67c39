// A stand-in movie control for the player's tests and benchmark, registered
// under the control's class identifier in place of the real one. What it
// does is set before a movie is opened (FakeControl::Install) and copied
// into every instance when it is created on the worker; what the player
// called is written to a log that the test reads afterwards.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Com.h"
#include "platform/ShockwaveFlash.h"

namespace Halvane::ActiveX::Testing {

struct FakeBehaviour {
  HRESULT createResult = S_OK;      // the factory's answer; a failure creates nothing
  std::string refuseProperty;       // "Quality", "Loop", "Playing" or "WMode": put_ fails
  bool failCalls = false;           // once loaded, every IShockwaveFlash call fails
  int setupMilliseconds = 0;        // Load takes this long
  int frameQueryMilliseconds = 0;   // get_FrameNum takes this long
  bool countFrameQueries = false;   // get_FrameNum answers 1, 2, 3, ...
  bool quitOnTotalFrames = false;   // get_TotalFrames ends the worker's loop
  bool quitOnLoad = false;          // Load ends the worker's loop right after set-up
  std::uint32_t frameInterval = 0;  // > 0: once loaded, runs its own timer of this period
  long totalFrames = 12;
  long lastFrame = 11;              // GotoFrame refuses frames beyond it
};

// Calls the player made, in order, across all instances.
struct FakeLog {
  std::vector<std::string> calls;
  std::vector<std::uint8_t> loadStream;  // what the hosted control loaded
  HDC drawDC = nullptr;
  RECTL drawBounds{};
  int clockTicks = 0;  // calls of the control's own timer
};

class FakeControl {
 public:
  // Registers the fake under the control's class with this behaviour and
  // empties the log.
  static void Install(const FakeBehaviour& behaviour);
  // Puts the built-in control back in the class table.
  static void Uninstall();
  static FakeLog Log();
  // Instances alive now.
  static int Alive();
};

}  // namespace Halvane::ActiveX::Testing
