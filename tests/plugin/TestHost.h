// The test program plays the host engine: it exports VlmGetWindowSize and
// VlmGetWindow (the other host names are absent), owns a real window for the
// error boxes, watches and closes every box the plug-in shows, and hands
// the plug-in a clock and a host look-up of its own. PlugInTest gives each
// test a freshly set-up-able plug-in with default fields.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/BoxWatch.h"
#include "platform/HostModule.h"
#include "platform/Ticks.h"
#include "plugin/PlugInExports.h"
#include "plugin/TickSource.h"
#include "plugin/VMSwf.h"

namespace Halvane::VlmPlugIn::Testing {

// A box as the host saw it; texts in UTF-8.
struct Box {
  Platform::WindowHandle owner;
  std::string text;
  std::string caption;
  std::uint32_t style;
};

// What one of the host's file look-ups answers, and the names it was asked.
struct FileLookup {
  bool found = false;
  std::string path;
  std::int32_t offset = 0;
  std::int32_t length = 0;
  std::vector<std::string> asked;
};

struct FakeHost {
  std::int32_t screenWidth = 800;
  std::int32_t screenHeight = 600;
  Platform::WindowHandle window = nullptr;  // the host's main window
  int windowQueries = 0;
  std::vector<Box> boxes;
  FileLookup vm2;  // VM2GetFile
  FileLookup vma;  // VMAGetFile
};

FakeHost& Host();

// The clock the plug-in reads in tests: it stands still until a test sets
// or moves it. The timer capabilities it reports can be chosen, and the
// periods begun and not yet ended are counted.
struct TestClock {
  static std::uint32_t now;
  static bool capsAvailable;
  static Platform::TimerCaps caps;
  static int openPeriods;
  static void Reset();
  static const Platform::TimerServices& Services();
};

// The host look-up the plug-in binds through in tests: the platform's own,
// except that loading the main executable can be refused.
struct TestModules {
  static bool refuseMainExecutable;
  static const Platform::ModuleServices& Services();
};

// A path as one argument of the command language: quoted, its backslashes
// (Windows paths) escaped.
inline std::string Argument(const std::string& path) {
  std::string quoted = "'";
  for (char c : path) {
    if (c == '\\' || c == '\'') quoted += '\\';
    quoted += c;
  }
  return quoted + "'";
}

// The message texts as the boxes show them.
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

 private:
  std::unique_ptr<TickSource> ticks_;
  std::unique_ptr<Platform::BoxWatch> watch_;
};

}  // namespace Halvane::VlmPlugIn::Testing
