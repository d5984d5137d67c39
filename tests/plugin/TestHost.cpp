#include "TestHost.h"

#include <cstring>

#include "platform/HostModule.h"
#include "platform/Ticks.h"
#include "plugin/HostFunctions.h"

using Halvane::VlmPlugIn::Testing::Host;

extern "C" std::int32_t VlmGetWindowSize(std::int32_t* width, std::int32_t* height) {
  *width = Host().screenWidth;
  *height = Host().screenHeight;
  return 1;
}

extern "C" Halvane::Platform::WindowHandle VlmGetWindow() {
  ++Host().windowQueries;
  return Host().window;
}

namespace Halvane::VlmPlugIn::Testing {

FakeHost& Host() {
  static FakeHost host;
  return host;
}

namespace {
int RecordBox(void*, Platform::WindowHandle owner, const char* text, const char* caption,
              std::uint32_t style) {
  Host().boxes.push_back(Box{owner, text ? text : "", caption ? caption : "", style});
  return Platform::IDOK;
}
}  // namespace

void PlugInTest::SetUp() {
  Host() = FakeHost{};
  Platform::SetMessageBoxSink(&RecordBox, nullptr);
  Platform::RefuseMainExecutableForTesting(false);
  Platform::DriveTicks(0);
  UnbindHostFunctionsForTesting();
  ::Finalize();
  VMSwf& p = plugin();
  p.screenWidth = p.screenHeight = 0;
  p.posX = p.posY = 0;
  p.visible = 1;
  p.interval = 50;
  p.fileName = "stale";
  p.pendingFileName = "stale";
  p.lastDrawTick = 0;
  std::memset(textResult, 'g', sizeof textResult);
}

void PlugInTest::TearDown() {
  Platform::SetMessageBoxSink(nullptr, nullptr);
  Platform::RefuseMainExecutableForTesting(false);
  Platform::ReleaseTicks();
}

std::int32_t PlugInTest::Send(const char* text, std::int32_t* intResult) {
  const std::int32_t result = ::Message(text, intResult, textResult);
  for (std::size_t i = 261; i < sizeof textResult; ++i) {
    EXPECT_EQ(textResult[i], 'g') << "text result written past 261 bytes by " << text;
  }
  return result;
}

}  // namespace Halvane::VlmPlugIn::Testing
