// The script runner and the exported host functions, with two plug-ins made
// of this test's own functions.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "host/HostSession.h"
#include "host/Pictures.h"
#include "support/TempFolder.h"

extern "C" std::int32_t VlmGetWindowSize(std::int32_t* width, std::int32_t* height);
extern "C" void* VlmGetWindow();
extern "C" std::int32_t VM2GetFile(const char*, char*, std::int32_t*, std::int32_t*);
extern "C" std::int32_t VMAGetFile(const char*, char*, std::int32_t*, std::int32_t*);

namespace Halvane::Host {
namespace {

std::vector<std::string> calls;
void* drawnPixels = nullptr;

void InitA(std::int32_t) { calls.push_back("A init"); }
void FinalA() { calls.push_back("A final"); }
void DrawA(void* pixels, std::int32_t) {
  calls.push_back("A draw");
  drawnPixels = pixels;
}
std::int32_t TimerA() { return 1; }
std::int32_t MessageA(const char* text, std::int32_t* intResult, char* textResult) {
  calls.push_back(std::string("A message ") + text);
  *intResult += 1;
  std::strcpy(textResult, "say \"hi\"\\\x01");
  return 7;
}

void InitB(std::int32_t) { calls.push_back("B init"); }
void DrawB(void*, std::int32_t) { calls.push_back("B draw"); }
std::int32_t TimerB() { return 0; }
std::int32_t MessageB(const char*, std::int32_t*, char* textResult) {
  std::memset(textResult, 'x', 261);  // no terminating zero anywhere
  return 0;
}

class HostSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    calls.clear();
    PlugInLibrary a;
    a.name = "a";
    a.initialize = &InitA;
    a.finalize = &FinalA;
    a.draw = &DrawA;
    a.timer = &TimerA;
    a.message = &MessageA;
    PlugInLibrary b{};
    b.name = "b";
    b.initialize = &InitB;
    b.draw = &DrawB;
    b.timer = &TimerB;
    b.message = &MessageB;
    ASSERT_TRUE(session.AddPlugIn(a));
    ASSERT_TRUE(session.AddPlugIn(b));
    ASSERT_FALSE(session.AddPlugIn(a));
  }

  bool Run(const std::string& line) { return session.RunLine(line, 3); }

  std::ostringstream out, err;
  HostSession session{out, err};
};

TEST_F(HostSessionTest, MessageLinePrintsTheThreeResults) {
  ASSERT_TRUE(Run("preset 41"));
  out.str("");
  ASSERT_TRUE(Run("a:   SwfPlay() \r"));
  EXPECT_EQ(calls.back(), "A message SwfPlay() ");  // trailing blank kept, \r dropped
  EXPECT_EQ(out.str(), "a: SwfPlay()  -> return 7, int 42, text \"say \\\"hi\\\"\\\\\\x01\"\n");
}

TEST_F(HostSessionTest, TextResultWithoutATerminatingZeroIsMarked) {
  ASSERT_TRUE(Run("b: SwfGetFileName()"));
  EXPECT_EQ(out.str(), "b: SwfGetFileName() -> return 0, int 0, text \"" + std::string(260, 'x') +
                           "\" (unterminated)\n");
}

TEST_F(HostSessionTest, StepsReachEveryPlugInInLoadOrderOrTheNamedOne) {
  ASSERT_TRUE(Run("initialize"));
  ASSERT_TRUE(Run("draw"));
  ASSERT_TRUE(Run("finalize"));
  ASSERT_TRUE(Run("initialize b"));
  EXPECT_EQ(calls, (std::vector<std::string>{"A init", "B init", "A draw", "B draw", "A final",
                                             "B init"}));
  EXPECT_EQ(drawnPixels, session.Screen().Pixels());
  EXPECT_NE(out.str().find("  b has no Finalize\n"), std::string::npos);
  out.str("");
  ASSERT_TRUE(Run("timer"));
  EXPECT_EQ(out.str(), "host: timer\n  a timer 1\n  b timer 0\n");
  out.str("");
  ASSERT_TRUE(Run("ticks 3"));
  ASSERT_TRUE(Run("ticks 2 b"));
  EXPECT_EQ(out.str(),
            "host: ticks 3\n  a timer 1 1 1\n  b timer 0 0 0\nhost: ticks 2 b\n  b timer 0 0\n");
}

TEST_F(HostSessionTest, ScriptErrorsStopWithTheLineNumber) {
  const char* bad[] = {"c: SwfPlay()", "jump", "screen 0 10", "screen 10", "wait -1",
                       "wait 60001", "fill plaid", "preset 1x", "draw c", "timer a b",
                       "archive nothing.zip", "datadir nowhere", "png", "ticks", "ticks 0",
                       "ticks 1001", "ticks 2 c", "ticks 2 a b"};
  for (const char* line : bad) {
    err.str("");
    EXPECT_FALSE(Run(line)) << line;
    EXPECT_EQ(err.str().rfind("vmhost: line 3: ", 0), 0u) << line << ": " << err.str();
  }
  EXPECT_TRUE(Run("   # comment"));
  EXPECT_TRUE(Run(""));
  EXPECT_TRUE(Run(" \v\f "));
  EXPECT_TRUE(calls.empty());
}

TEST_F(HostSessionTest, ExportStepsFrameByFrameOverTheSameBackground) {
  Halvane::Testing::TempFolder folder;
  session.SetOutputFolder(folder.Path());
  ASSERT_TRUE(Run("screen 4 2"));
  ASSERT_TRUE(Run("fill 10,20,30"));
  calls.clear();
  ASSERT_TRUE(Run("export a 2 3 shot"));
  EXPECT_EQ(calls, (std::vector<std::string>{"A message SwfStop()", "A message SwfGoToFrame(2)",
                                             "A draw", "A message SwfGoToFrame(3)", "A draw"}));
  EXPECT_NE(out.str().find("  frame 2 (1 of 2) -> shot-2.png"), std::string::npos);
  for (const char* name : {"/shot-2.png", "/shot-3.png"}) {
    RgbImage picture;
    std::string error;
    ASSERT_TRUE(ReadPicture(folder.Path() + name, 16, picture, error)) << error;
    EXPECT_EQ(picture.rgb[0], 10);
  }
  EXPECT_FALSE(Run("export a 3 2 shot"));  // the last frame before the first
  EXPECT_FALSE(Run("export c 0 1 shot"));
  EXPECT_FALSE(Run("export a 0 5000 shot"));
}

TEST_F(HostSessionTest, LoopDrawsThePlugInsWhoseTimerAnswersOne) {
  calls.clear();
  ASSERT_TRUE(Run("loop 30"));
  EXPECT_FALSE(calls.empty());
  for (const std::string& call : calls) EXPECT_EQ(call, "A draw");  // B's Timer answers 0
  EXPECT_FALSE(Run("loop 70000"));
}

TEST_F(HostSessionTest, ExportedFunctionsAnswerFromTheSession) {
  ASSERT_TRUE(Run("screen 123 45"));
  std::int32_t w = 0, h = 0;
  VlmGetWindowSize(&w, &h);
  EXPECT_EQ(w, 123);
  EXPECT_EQ(h, 45);
  EXPECT_EQ(VlmGetWindow(), session.Window());
  VlmGetWindowSize(nullptr, nullptr);

  session.SetInputFolder("data");
  ASSERT_TRUE(Run("archive archive.zip"));
  ASSERT_TRUE(Run("datadir folder"));
  char path[261] = {};
  std::int32_t offset = 0, length = 0;
  EXPECT_EQ(VM2GetFile("readme.txt", path, &offset, &length), 1);
  EXPECT_EQ(offset, 40);
  EXPECT_EQ(length, 13);
  EXPECT_EQ(VMAGetFile("readme.txt", path, &offset, &length), 0);
  EXPECT_EQ(VMAGetFile("plain.txt", path, &offset, &length), 1);
  EXPECT_EQ(VM2GetFile(nullptr, path, &offset, &length), 0);
  EXPECT_EQ(VMAGetFile("plain.txt", nullptr, &offset, &length), 0);
  // Each look-up has archives of its own; VMAGetFile's come before its
  // folders, and VM2GetFile never sees them.
  HostSession other(out, err);
  other.SetInputFolder("data");
  ASSERT_TRUE(other.RunLine("vma-archive archive.zip", 1));
  EXPECT_EQ(VM2GetFile("readme.txt", path, &offset, &length), 0);
  EXPECT_EQ(VMAGetFile("readme.txt", path, &offset, &length), 1);
  EXPECT_EQ(offset, 40);
}

}  // namespace
}  // namespace Halvane::Host
