// The built library as a host loads it: its plain-named exports, its state
// at load, and a host that has no VlmGetWindowSize (this program exports no
// host functions).
#include <gtest/gtest.h>

#include "platform/HostModule.h"

#include <cstdint>
#include <vector>

namespace {

namespace Platform = Halvane::Platform;

using InitializeFunction = void (*)(int);
using DrawFunction = void (*)(void*, int);
using TimerFunction = int (*)();
using MessageFunction = int (*)(const char*, int*, char*);

class UndulaLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    // Loaded afresh for every test so that each one sees the state at load.
    library = Platform::LoadModule(UNDULA_LIBRARY_PATH);
    ASSERT_NE(library, nullptr) << UNDULA_LIBRARY_PATH;
    initialize = reinterpret_cast<InitializeFunction>(Platform::FindModuleFunction(library, "Initialize"));
    draw = reinterpret_cast<DrawFunction>(Platform::FindModuleFunction(library, "Draw"));
    timer = reinterpret_cast<TimerFunction>(Platform::FindModuleFunction(library, "Timer"));
    message = reinterpret_cast<MessageFunction>(Platform::FindModuleFunction(library, "Message"));
    ASSERT_NE(initialize, nullptr);
    ASSERT_NE(draw, nullptr);
    ASSERT_NE(timer, nullptr);
    ASSERT_NE(message, nullptr);
  }
  void TearDown() override {
    Platform::ReleaseModule(library);
  }
  int Send(const char* text) {
    int intResult = 0;
    char textResult[261] = {};
    return message(text, &intResult, textResult);
  }

  Platform::ModuleHandle library = nullptr;
  InitializeFunction initialize = nullptr;
  DrawFunction draw = nullptr;
  TimerFunction timer = nullptr;
  MessageFunction message = nullptr;
};

TEST_F(UndulaLibrary, ExportsTheFourFunctionsAndNoFinalize) {
  EXPECT_EQ(Platform::FindModuleFunction(library, "Finalize"), nullptr);
}

TEST_F(UndulaLibrary, IsOffAtLoad) {
  std::vector<std::uint8_t> pixels(4096, 0x5C);
  draw(pixels.data(), 0);  // before Initialize and before any draw message
  EXPECT_EQ(pixels, std::vector<std::uint8_t>(4096, 0x5C));
  EXPECT_EQ(timer(), 0);
  EXPECT_EQ(Send("stop"), 1);
  EXPECT_EQ(timer(), 0);
}

TEST_F(UndulaLibrary, HostWithoutScreenSizeFunctionLeavesTheScreenAlone) {
  initialize(0);
  EXPECT_EQ(Send("draw/30,10,1"), 1);
  std::vector<std::uint8_t> pixels(4096, 0x5C);
  for (int i = 0; i < 40; ++i) {
    EXPECT_EQ(timer(), 1);
    draw(pixels.data(), 0);
  }
  EXPECT_EQ(pixels, std::vector<std::uint8_t>(4096, 0x5C));
}

}  // namespace
