// Where the movie control comes from: the system's registered control where
// there is one (on Windows; the test script registers our own COM server
// in a Wine prefix of its own), the plug-in's built-in one where there is
// none, and a clear failure where the registered one cannot be created.
// VM_CONTROL_SOURCE tells which the run has set up: "registered",
// "failing", or nothing registered when it is not set.
#include <cstdlib>
#include <cstring>
#include <string>

#include "TestHost.h"
#include "activex/SwfPlayer.h"
#include "platform/ControlHost.h"
#include "support/ProcessObjects.h"
#include "support/TempFolder.h"
#include "tools/SwfWriter.h"

namespace Halvane::VlmPlugIn::Testing {
namespace {

using Halvane::Testing::KernelObjectCount;
using Halvane::Testing::ModuleIsLoaded;
using Halvane::Testing::WindowsOfClass;

// The library of our control's COM server.
constexpr const char* kServerLibrary = "vmswfctl.dll";

bool RunHasSetUp(const char* source) {
  const char* set = std::getenv("VM_CONTROL_SOURCE");
  return std::strcmp(set != nullptr ? set : "", source) == 0;
}

class ControlSourceTest : public PlugInTest {
 protected:
  std::string OpenCommand() {
    Tools::SwfBuilder movie;
    movie.SetFrameSize(100 * 20, 80 * 20).SetFrameRate(12).ShowFrame().ShowFrame();
    return "SwfOpen(" + Argument(folder.Write("m.swf", movie.End().Build(true))) + ")";
  }
  std::int32_t Int(const std::string& text) {
    std::int32_t value = kUntouched;
    Send(text.c_str(), &value);
    return value;
  }

  Halvane::Testing::TempFolder folder;
};

TEST_F(ControlSourceTest, TheBuiltInControlPlaysWhereNoneIsRegistered) {
  if (!RunHasSetUp("")) GTEST_SKIP() << "a control is registered in this run";
  ASSERT_EQ(Int(OpenCommand()), 1);
  EXPECT_EQ(Int("SwfGetTotalFrames()"), 2);
  EXPECT_FALSE(ModuleIsLoaded(kServerLibrary));
}

TEST_F(ControlSourceTest, TheRegisteredControlIsCreatedThroughCom) {
  if (!RunHasSetUp("registered")) GTEST_SKIP() << "our COM server is not registered in this run";
  ASSERT_EQ(Int(OpenCommand()), 1);
  EXPECT_TRUE(ModuleIsLoaded(kServerLibrary)) << "the control runs in the server library";
  EXPECT_EQ(Int("SwfGetTotalFrames()"), 2);
  EXPECT_EQ(Int("SwfIsPlaying()"), 0);
}

TEST_F(ControlSourceTest, ARegisteredControlThatCannotBeCreatedOpensNothing) {
  if (!RunHasSetUp("failing")) GTEST_SKIP() << "no broken control is registered in this run";
  const std::string open = OpenCommand();
  // The first failure sets up what COM keeps for the process.
  ASSERT_EQ(Int(open), 0);
  const std::size_t kernelBefore = KernelObjectCount();
  std::int32_t returned = 0;
  std::int32_t opened = kUntouched;
  returned = Send(open.c_str(), &opened);
  EXPECT_EQ(opened, 0);
  EXPECT_EQ(returned, 1);
  EXPECT_EQ(Int("SwfIsClosed()"), 1);
  ASSERT_NE(plugin().player, nullptr);
  EXPECT_FALSE(plugin().player->IsRunning()) << "no worker left";
  EXPECT_EQ(WindowsOfClass(Platform::kControlHostClass), 0) << "no host window left";
  EXPECT_EQ(KernelObjectCount(), kernelBefore);
  EXPECT_EQ(Int("SwfEndOpen()"), 0);
  EXPECT_TRUE(Host().boxes.empty());
}

}  // namespace
}  // namespace Halvane::VlmPlugIn::Testing
