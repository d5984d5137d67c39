// The 38 commands as the host sees them through Message: the frame of every
// handler without a player, and the plug-in commands in full.
#include <cstring>
#include <string>

#include "TestHost.h"
#include "activex/SwfPlayer.h"
#include "commands/CommandFrame.h"
#include "plugin/CommandTable.h"

namespace Halvane::VlmPlugIn::Testing {
namespace {

constexpr std::int32_t kUntouched = 0x5A5A5A5A;

struct FrameRow {
  const char* text;
  std::int32_t returns;
  std::int32_t intResult;  // kUntouched: the host's value stays
  bool zeroesText;
};

// Without a player: the first integer value, the zeroed text result and the
// value returned without a player, for every command with the right count.
const FrameRow kWithoutPlayer[] = {
    {"SwfGoToFrame(3)", 1, 0, false},
    {"SwfGoToFrame(abc)", 1, 0, false},
    {"SwfGetCurrentFrame()", 0, -1, false},
    {"SwfSetCurrentFrame(3)", 0, 0, false},
    {"SwfSetFlashVars(a=1)", 0, 0, false},
    {"SwfGetVariable(_root.x)", 0, 0, true},
    {"SwfSetVariable(a,b)", 0, 0, false},
    {"SwfCallFunction(<invoke/>)", 0, 0, true},
    {"SwfOpen(x.swf)", 1, 0, false},
    {"SwfBeginOpen(x.swf)", 1, 0, false},
    {"SwfEndOpen()", 1, 0, false},
    {"SwfClose()", 0, 0, false},
    {"SwfPlay()", 0, 0, false},
    {"SwfPause()", 1, 0, false},
    {"SwfStop()", 1, 0, false},
    {"SwfIsPlaying()", 0, 0, false},
    {"SwfIsClosed()", 0, 0, false},
    {"SwfGetFileName()", 0, 0, true},
    {"SwfResize(2048,100)", 1, 0, false},
    {"SwfGetWidth()", 0, 0, false},
    {"SwfGetHeight()", 0, 0, false},
    {"SwfSetWidth(640)", 1, 0, false},
    {"SwfSetHeight(480)", 1, 0, false},
    {"SwfGetLoop()", 0, 0, false},
    {"SwfSetLoop(OFF)", 0, 0, false},
    {"SwfGetQuality()", 0, 0, false},
    {"SwfSetQuality(2)", 1, 0, false},
    {"SwfGetTotalFrames()", 0, -1, false},
    {"SwfShow()", 1, kUntouched, false},
    {"SwfHide()", 1, kUntouched, false},
};

// With a player and no movie open: the requests answer without a worker;
// loop, quality and size are kept for the next movie.
const FrameRow kWithoutMovie[] = {
    {"SwfGoToFrame(3)", 1, 0, false},
    {"SwfGetCurrentFrame()", 0, -1, false},
    {"SwfSetCurrentFrame(3)", 0, 0, false},
    {"SwfSetFlashVars(a=1)", 0, 0, false},
    {"SwfGetVariable(_root.x)", 0, 0, true},
    {"SwfSetVariable(a,b)", 0, 0, false},
    {"SwfCallFunction(<invoke/>)", 0, 0, true},
    {"SwfEndOpen()", 1, 0, false},
    {"SwfClose()", 0, 0, false},
    {"SwfPlay()", 0, 0, false},
    {"SwfPause()", 1, 0, false},
    {"SwfStop()", 1, 0, false},
    {"SwfIsPlaying()", 0, 0, false},
    {"SwfIsClosed()", 0, 1, false},
    {"SwfGetFileName()", 0, 0, true},
    {"SwfGetWidth()", 0, 800, false},
    {"SwfResize(2048,100)", 0, 0, false},
    {"SwfResize(-1,100)", 0, 0, false},
    {"SwfResize(99999999999,100)", 0, 0, false},
    {"SwfSetWidth(640)", 1, 1, false},
    {"SwfGetWidth()", 0, 640, false},
    {"SwfGetHeight()", 0, 600, false},
    {"SwfSetHeight(480)", 1, 1, false},
    {"SwfGetHeight()", 0, 480, false},
    {"SwfGetLoop()", 0, 1, false},
    {"SwfSetLoop(on)", 0, 0, false},
    {"SwfSetLoop(OFF)", 0, 1, false},
    {"SwfGetLoop()", 0, 0, false},
    {"SwfGetQuality()", 0, 1, false},
    {"SwfSetQuality(2)", 0, 0, false},
    {"SwfSetQuality(0)", 1, 1, false},
    {"SwfGetQuality()", 0, 0, false},
    {"SwfGetTotalFrames()", 0, -1, false},
};

class CommandFrameTest : public PlugInTest {
 protected:
  // Sends each row's command and checks its return value, its integer
  // result and whether it zeroed the text result.
  template <std::size_t N>
  void ExpectRows(const FrameRow (&rows)[N]) {
    for (const FrameRow& row : rows) {
      std::memset(textResult, 'g', sizeof textResult);
      std::int32_t intResult = kUntouched;
      EXPECT_EQ(Send(row.text, &intResult), row.returns) << row.text;
      EXPECT_EQ(intResult, row.intResult) << row.text;
      for (std::size_t i = 0; i < 261; ++i) {
        ASSERT_EQ(textResult[i], row.zeroesText ? 0 : 'g') << row.text << " byte " << i;
      }
    }
  }
};

TEST_F(CommandFrameTest, PlayerCommandsWithoutAMovieAnswerFromThePlayer) {
  ExpectRows(kWithoutMovie);
  EXPECT_TRUE(Host().boxes.empty());
}

TEST_F(CommandFrameTest, PlayerCommandsWithoutAPlayerDoOnlyTheirFrame) {
  // A set-up whose player could not be allocated.
  ::Initialize(0);
  delete plugin().player;
  plugin().player = nullptr;
  ExpectRows(kWithoutPlayer);
  EXPECT_TRUE(Host().boxes.empty());
}

TEST_F(CommandFrameTest, EveryCommandRefusesAWrongArgumentCountUntouched) {
  // One argument too many for each command, and none for those that need some.
  for (const CommandEntry& entry : kCommandTable) {
    const std::string name = entry.name;
    for (const std::string& list : {std::string("(a,b,c)"), std::string("()")}) {
      Host().boxes.clear();
      std::memset(textResult, 'g', sizeof textResult);
      std::int32_t intResult = kUntouched;
      const std::string text = name + list;
      const std::int32_t result = Send(text.c_str(), &intResult);
      if (Host().boxes.empty()) {
        EXPECT_EQ(list, "()") << text << " takes three arguments?";
        continue;
      }
      EXPECT_EQ(result, 0) << text;
      ASSERT_EQ(Host().boxes.size(), 1u) << text;
      EXPECT_EQ(Host().boxes[0].text, kCountText + text);
      EXPECT_EQ(intResult, kUntouched) << text;
      for (std::size_t i = 0; i < 261; ++i) ASSERT_EQ(textResult[i], 'g') << text;
    }
  }
}

TEST_F(CommandFrameTest, OpeningWithoutAPlayerEmptiesTheNames) {
  std::int32_t intResult = kUntouched;
  ::Initialize(0);  // set-up empties both names itself
  plugin().fileName = "a.swf";
  plugin().pendingFileName = "b.swf";
  EXPECT_EQ(Send("SwfOpen(x.swf)", &intResult), 1);
  EXPECT_EQ(plugin().fileName, "");
  EXPECT_EQ(plugin().pendingFileName, "b.swf");
  plugin().fileName = "a.swf";
  EXPECT_EQ(Send("SwfBeginOpen(x.swf)", &intResult), 1);
  EXPECT_EQ(plugin().fileName, "");
  EXPECT_EQ(plugin().pendingFileName, "");
}

struct PlugInRow {
  const char* text;
  std::int32_t returns;
  std::int32_t intResult;
  std::int32_t posX, posY, visible, interval;  // the fields afterwards
};

TEST_F(CommandFrameTest, PlugInCommandsChangeTheirFieldsOrNothing) {
  // Each row starts from posX 0, posY 0, visible 1, interval 50.
  const PlugInRow rows[] = {
      {"SwfMove(10,20)", 1, 1, 10, 20, 1, 50},
      {"SwfMove(-5,7x)", 1, 1, -5, 7, 1, 50},
      {"SwfMove(10,2147483647)", 0, 0, 0, 0, 1, 50},
      {"SwfMove(-2147483648,1)", 0, 0, 0, 0, 1, 50},
      {"SwfSetPosX(33)", 1, 1, 33, 0, 1, 50},
      {"SwfSetPosX(2147483647)", 0, 0, 0, 0, 1, 50},
      {"SwfSetPosY(-44)", 1, 1, 0, -44, 1, 50},
      {"SwfSetPosY(99999999999)", 0, 0, 0, 0, 1, 50},
      {"SwfHide()", 1, kUntouched, 0, 0, 0, 50},
      {"SwfSetVisible(OFF)", 1, 1, 0, 0, 0, 50},
      {"SwfSetVisible(ON)", 1, 1, 0, 0, 1, 50},
      {"SwfSetVisible(on)", 1, 0, 0, 0, 1, 50},
      {"SwfSetVisible('OFF ')", 1, 0, 0, 0, 1, 50},
      {"SwfGetVisible()", 0, 1, 0, 0, 1, 50},
      {"SwfGetInterval()", 0, 50, 0, 0, 1, 50},
      {"SwfSetInterval(10000)", 0, 1, 0, 0, 1, 10000},
      {"SwfSetInterval(0)", 0, 1, 0, 0, 1, 0},
      {"SwfSetInterval(10001)", 0, 0, 0, 0, 1, 50},
      {"SwfSetInterval(-1)", 0, 0, 0, 0, 1, 50},
      {"SwfSetInterval(2147483647)", 0, 0, 0, 0, 1, 50},
      {"SwfSetI(20)", 0, 1, 0, 0, 1, 20},
  };
  for (const PlugInRow& row : rows) {
    VMSwf& p = plugin();
    p.posX = p.posY = 0;
    p.visible = 1;
    p.interval = 50;
    std::int32_t intResult = kUntouched;
    EXPECT_EQ(Send(row.text, &intResult), row.returns) << row.text;
    EXPECT_EQ(intResult, row.intResult) << row.text;
    EXPECT_EQ(p.posX, row.posX) << row.text;
    EXPECT_EQ(p.posY, row.posY) << row.text;
    EXPECT_EQ(p.visible, row.visible) << row.text;
    EXPECT_EQ(p.interval, row.interval) << row.text;
  }
  EXPECT_TRUE(Host().boxes.empty());
}

TEST_F(CommandFrameTest, GetVisibleAndGetIntervalReportTheCurrentValues) {
  std::int32_t intResult = kUntouched;
  Send("SwfHide()", &intResult);
  Send("SwfGetVisible()", &intResult);
  EXPECT_EQ(intResult, 0);
  plugin().visible = 7;
  Send("SwfGetVisible()", &intResult);
  EXPECT_EQ(intResult, 1);
  Send("SwfSetInterval(125)", &intResult);
  Send("SwfGetInterval()", &intResult);
  EXPECT_EQ(intResult, 125);
}

TEST(TextResultTest, CopyFitsTheHostBufferOrRefuses) {
  char buffer[261 + 4];
  std::memset(buffer, 'g', sizeof buffer);
  EXPECT_TRUE(CopyTextResult(buffer, std::string(260, 'a')));
  EXPECT_EQ(buffer[259], 'a');
  EXPECT_EQ(buffer[260], 0);
  EXPECT_EQ(buffer[261], 'g');

  std::memset(buffer, 0, sizeof buffer);
  EXPECT_FALSE(CopyTextResult(buffer, std::string(261, 'b')));
  for (char c : buffer) EXPECT_EQ(c, 0);

  EXPECT_TRUE(CopyTextResult(nullptr, "name"));
  ClearTextResult(nullptr);
  std::memset(buffer, 'g', sizeof buffer);
  ClearTextResult(buffer);
  for (std::size_t i = 0; i < 261; ++i) ASSERT_EQ(buffer[i], 0);
  EXPECT_EQ(buffer[261], 'g');
}

}  // namespace
}  // namespace Halvane::VlmPlugIn::Testing
