// The test program plays the host engine: it exports VlmGetWindowSize and
// VlmGetWindow (the other host names are absent), records every error box
// the plug-in shows, and drives the clocks. PlugInTest gives each test a
// freshly set-up-able plug-in with default fields.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/MessageBox.h"
#include "plugin/PlugInExports.h"
#include "plugin/VMSwf.h"

namespace Halvane::VlmPlugIn::Testing {

struct Box {
  Platform::WindowHandle owner;
  std::string text;
  std::string caption;
  std::uint32_t style;
};

struct FakeHost {
  std::int32_t screenWidth = 800;
  std::int32_t screenHeight = 600;
  Platform::WindowHandle window = reinterpret_cast<Platform::WindowHandle>(0x5150);
  int windowQueries = 0;
  std::vector<Box> boxes;
};

FakeHost& Host();

// The message texts in the system code page (UTF-8 on this target).
inline const std::string kSyntaxText = "構文エラー：\n\n";
inline const std::string kUnknownText = "該当する命令がありません：\n\n";
inline const std::string kCountText = "引数の数が一致しません：\n\n";

class PlugInTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  VMSwf& plugin() { return VMSwf::Instance(); }

  // Sends text through the export with the given channels; a fresh 261-byte
  // text result with guard bytes behind it is checked on every call.
  std::int32_t Send(const char* text, std::int32_t* intResult = nullptr);

  static constexpr std::int32_t kUntouched = 0x5A5A5A5A;
  char textResult[261 + 8];
};

}  // namespace Halvane::VlmPlugIn::Testing
