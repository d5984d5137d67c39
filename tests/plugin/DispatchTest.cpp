// Matching names against the command table, and the three error boxes of the
// command path as the host sees them through Message.
#include <cstring>
#include <string>

#include "TestHost.h"
#include "platform/HostWindow.h"
#include "plugin/CommandTable.h"

namespace Halvane::VlmPlugIn::Testing {
namespace {

struct MatchRow {
  std::string name;
  const char* command;  // null: no match
};

const MatchRow kMatchRows[] = {
    {"", "SwfGoToFrame"},
    {"S", "SwfGoToFrame"},
    {"SwfGet", "SwfGetCurrentFrame"},
    {"SwfSet", "SwfSetCurrentFrame"},
    {"SwfGetV", "SwfGetVariable"},
    {"SwfGetVi", "SwfGetVisible"},
    {"SwfC", "SwfCallFunction"},
    {"SwfCl", "SwfClose"},
    {"SwfGetPos", "SwfGetPosX"},
    {"SwfSetPos", "SwfSetPosX"},
    {"SwfS", "SwfSetCurrentFrame"},
    {"SwfSt", "SwfStop"},
    {"SwfSh", "SwfShow"},
    {"SwfP", "SwfPlay"},
    {"SwfPa", "SwfPause"},
    {"SwfI", "SwfIsPlaying"},
    {"SwfGetT", "SwfGetTotalFrames"},
    {"SwfSetI", "SwfSetInterval"},
    {"swfplay", nullptr},
    {"SwfPlayNow", nullptr},
    {"SwfSetIntervalX", nullptr},
    {"Play", nullptr},
};

TEST(CommandMatchTest, NameReachesFirstCommandInTableOrder) {
  for (const MatchRow& row : kMatchRows) {
    const CommandEntry* entry = FindCommand(row.name);
    if (row.command == nullptr) {
      EXPECT_EQ(entry, nullptr) << row.name;
    } else {
      ASSERT_NE(entry, nullptr) << row.name;
      EXPECT_STREQ(entry->name, row.command) << row.name;
    }
  }
}

TEST(CommandTableTest, EveryFullNameReachesItsOwnCommand) {
  for (const CommandEntry& entry : kCommandTable) {
    const CommandEntry* found = FindCommand(entry.name);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found, &entry) << entry.name;
  }
}

TEST(CommandTableTest, OnlyTheThreeTextCommandsGetTheTextChannel) {
  for (const CommandEntry& entry : kCommandTable) {
    const std::string name = entry.name;
    const bool text = name == "SwfGetVariable" || name == "SwfCallFunction" ||
                      name == "SwfGetFileName";
    const bool none = name == "SwfShow" || name == "SwfHide";
    const CommandChannels expected =
        text ? CommandChannels::IntAndText : none ? CommandChannels::None : CommandChannels::Int;
    EXPECT_EQ(entry.channels, expected) << name;
  }
}

using CommandErrorTest = PlugInTest;

struct ErrorRow {
  const char* text;
  std::string message;
};

TEST_F(CommandErrorTest, EachErrorShowsItsTextAndLeavesChannelsAndStateAlone) {
  const ErrorRow rows[] = {
      {"SwfPlay", kSyntaxText},        {"SwfPlay() ", kSyntaxText},
      {"SwfMove(1,2", kSyntaxText},    {"swfplay()", kUnknownText},
      {"SwfPlayNow()", kUnknownText},  {"SwfMove(1)", kCountText},
      {"SwfShow(1)", kCountText},      {"SwfGetPosX(1)", kCountText},
      {"()", kCountText},              {"x,SwfOpen(y)", kCountText},
      {"SwfGetFileName(a)", kCountText},
  };
  for (const ErrorRow& row : rows) {
    Host().boxes.clear();
    Host().windowQueries = 0;
    std::memset(textResult, 'g', sizeof textResult);
    std::int32_t intResult = kUntouched;
    EXPECT_EQ(Send(row.text, &intResult), 0) << row.text;
    ASSERT_EQ(Host().boxes.size(), 1u) << row.text;
    const Box& box = Host().boxes[0];
    EXPECT_EQ(box.text, row.message + row.text);
    EXPECT_EQ(box.caption, "vmswf");
    EXPECT_EQ(box.style, Platform::kBoxOkButton | Platform::kBoxErrorIcon);
    EXPECT_EQ(box.owner, Host().window);
    EXPECT_EQ(Host().windowQueries, 1) << row.text;
    EXPECT_EQ(intResult, kUntouched) << row.text;
    for (std::size_t i = 0; i < sizeof textResult; ++i) ASSERT_EQ(textResult[i], 'g');
  }
  EXPECT_EQ(plugin().visible, 1);
  EXPECT_EQ(plugin().posX, 0);
}

TEST_F(CommandErrorTest, OwnerWindowIsAskedAnewForEveryBox) {
  std::int32_t intResult = 0;
  const Platform::WindowHandle first = Host().window;
  Send("SwfPlay", &intResult);
  Platform::WindowHandle second = Platform::CreateHiddenWindow("second");
  ASSERT_NE(second, nullptr);
  Host().window = second;
  Send("SwfShow(x)", &intResult);
  Platform::DestroyHiddenWindow(second);
  ASSERT_EQ(Host().boxes.size(), 2u);
  EXPECT_EQ(Host().boxes[0].owner, first);
  EXPECT_EQ(Host().boxes[1].owner, second);
  EXPECT_EQ(Host().windowQueries, 2);
}

TEST_F(CommandErrorTest, CommandAfterAnErrorIsHandledNormally) {
  std::int32_t intResult = 0;
  Send("SwfMove(", &intResult);
  EXPECT_EQ(Send("SwfMove(3,4)", &intResult), 1);
  EXPECT_EQ(intResult, 1);
  EXPECT_EQ(plugin().posX, 3);
  EXPECT_EQ(plugin().posY, 4);
}

TEST_F(CommandErrorTest, NullCommandTextIsASyntaxErrorWithEmptyText) {
  std::int32_t intResult = kUntouched;
  EXPECT_EQ(Send(nullptr, &intResult), 0);
  ASSERT_EQ(Host().boxes.size(), 1u);
  EXPECT_EQ(Host().boxes[0].text, kSyntaxText);
  EXPECT_EQ(intResult, kUntouched);
}

TEST_F(CommandErrorTest, NullChannelsAreNotWrittenButTheCommandStillRuns) {
  EXPECT_EQ(::Message("SwfMove(5,6)", nullptr, nullptr), 1);
  EXPECT_EQ(plugin().posX, 5);
  EXPECT_EQ(::Message("SwfGetVariable(a)", nullptr, nullptr), 0);
  EXPECT_EQ(::Message("SwfGetFileName()", nullptr, nullptr), 0);
  EXPECT_EQ(::Message("SwfGetPosY()", nullptr, nullptr), 0);
  EXPECT_EQ(::Message("SwfSetVisible(OFF)", nullptr, nullptr), 1);
  EXPECT_EQ(plugin().visible, 0);
  EXPECT_TRUE(Host().boxes.empty());
}

TEST_F(CommandErrorTest, DispatcherAnswersPositionQueries) {
  plugin().posX = -12;
  plugin().posY = 34;
  std::int32_t intResult = kUntouched;
  EXPECT_EQ(Send("SwfGetPosX()", &intResult), 0);
  EXPECT_EQ(intResult, -12);
  EXPECT_EQ(Send("SwfGetPos()", &intResult), 0);
  EXPECT_EQ(intResult, -12);
  EXPECT_EQ(Send("SwfGetPosY()", &intResult), 0);
  EXPECT_EQ(intResult, 34);
  EXPECT_TRUE(Host().boxes.empty());
}

}  // namespace
}  // namespace Halvane::VlmPlugIn::Testing
