// The message language: which texts are draw messages, which stop the wave,
// how the numbers are read, and that nothing but a complete draw message
// or "stop" changes the effect.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "WaveTestSupport.h"
#include "undula/WaveMessage.h"

namespace {

using Halvane::Undula::ParseDecimal;
using Halvane::Undula::ParseWaveMessage;
using Halvane::Undula::WaveMessage;
using Kind = WaveMessage::Kind;
using namespace UndulaTest;

struct MessageCase {
  const char* text;
  Kind kind;
  int amplitude;
  int step;
  int speed;
};

TEST(WaveMessage, MatchingRulesOfTheLanguage) {
  const MessageCase cases[] = {
      {"draw/30,10,1", Kind::Draw, 30, 10, 1},
      {"draw/30,90,1", Kind::Draw, 30, 90, 1},
      // Text before "draw" and between "draw" and "/" is ignored.
      {"xx draw now /30,10,2", Kind::Draw, 30, 10, 2},
      // "stop" counts only when "draw" is absent.
      {"stop draw/30,10,1", Kind::Draw, 30, 10, 1},
      {"draw/30,10,1 stop", Kind::Draw, 30, 10, 1},
      {"stop", Kind::Stop, 0, 0, 0},
      {"please stop now", Kind::Stop, 0, 0, 0},
      // Case-sensitive.
      {"STOP", Kind::None, 0, 0, 0},
      {"Draw/30,10,1", Kind::None, 0, 0, 0},
      {"DRAW/30,10,1", Kind::None, 0, 0, 0},
      {"", Kind::None, 0, 0, 0},
      {"dra w/30,10,1", Kind::None, 0, 0, 0},
      // The "/" is looked for from "draw" on, not before it.
      {"/30,10,1 draw", Kind::Refused, 0, 0, 0},
      {"/5,5,5 draw/30,10,1", Kind::Draw, 30, 10, 1},
      // Incomplete draw messages are refused, even with "stop" in them.
      {"draw", Kind::Refused, 0, 0, 0},
      {"draw 30,10,1", Kind::Refused, 0, 0, 0},
      {"draw/30", Kind::Refused, 0, 0, 0},
      {"draw/30,10", Kind::Refused, 0, 0, 0},
      {"stop draw/30,10", Kind::Refused, 0, 0, 0},
      // Fields are read like atoi: white space, sign, digits, then anything.
      {"draw/ 30 , 10 , 1", Kind::Draw, 30, 10, 1},
      {"draw/-30,+10,-3", Kind::Draw, -30, 10, -3},
      {"draw/abc,10,x", Kind::Draw, 0, 10, 0},
      {"draw/30px,10deg,1fast", Kind::Draw, 30, 10, 1},
      {"draw/,10,", Kind::Draw, 0, 10, 0},
      // The first "/" after "draw" starts the amplitude, later ones are text.
      {"draw/30,10,1/2", Kind::Draw, 30, 10, 1},
      {"draw//30,10,1", Kind::Draw, 0, 10, 1},
      // Extra commas after the second belong to the speed text.
      {"draw/30,10,1,9", Kind::Draw, 30, 10, 1},
      // Step: 1 to 360 inclusive, anything else refused.
      {"draw/30,1,0", Kind::Draw, 30, 1, 0},
      {"draw/30,360,0", Kind::Draw, 30, 360, 0},
      {"draw/30,0,1", Kind::Refused, 0, 0, 0},
      {"draw/30,361,1", Kind::Refused, 0, 0, 0},
      {"draw/30,-10,1", Kind::Refused, 0, 0, 0},
      {"draw/30,x,1", Kind::Refused, 0, 0, 0},
      {"draw/30,99999999999999999999,1", Kind::Refused, 0, 0, 0},
      // Amplitude clamped to -127..127.
      {"draw/127,10,1", Kind::Draw, 127, 10, 1},
      {"draw/128,10,1", Kind::Draw, 127, 10, 1},
      {"draw/200,30,1", Kind::Draw, 127, 30, 1},
      {"draw/-128,10,1", Kind::Draw, -127, 10, 1},
      {"draw/99999999999999999999,10,1", Kind::Draw, 127, 10, 1},
      {"draw/-99999999999999999999,10,1", Kind::Draw, -127, 10, 1},
      // Speed is any integer; huge ones saturate.
      {"draw/30,10,360", Kind::Draw, 30, 10, 360},
      {"draw/30,10,99999999999999999999", Kind::Draw, 30, 10, INT_MAX},
      {"draw/30,10,-99999999999999999999", Kind::Draw, 30, 10, INT_MIN},
  };
  for (const MessageCase& c : cases) {
    SCOPED_TRACE(c.text);
    const WaveMessage m = ParseWaveMessage(c.text);
    EXPECT_EQ(m.kind, c.kind);
    if (c.kind == Kind::Draw) {
      EXPECT_EQ(m.amplitude, c.amplitude);
      EXPECT_EQ(m.stepDegrees, c.step);
      EXPECT_EQ(m.speed, c.speed);
    }
  }
  EXPECT_EQ(ParseWaveMessage(nullptr).kind, Kind::None);
}

TEST(WaveMessage, DecimalFieldsReadLikeAtoiAndSaturate) {
  const struct {
    const char* text;
    int value;
  } cases[] = {
      {"0", 0},
      {"42", 42},
      {"  \t\n\v\f\r42", 42},
      {"+7", 7},
      {"-7", -7},
      {"- 7", 0},
      {"+-7", 0},
      {"", 0},
      {"x12", 0},
      {"12x3", 12},
      {"007", 7},
      {"2147483647", INT_MAX},
      {"-2147483648", INT_MIN},
      {"2147483648", INT_MAX},
      {"-2147483649", INT_MIN},
      {"123456789012345678901234567890", INT_MAX},
      {"-123456789012345678901234567890", INT_MIN},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseDecimal(c.text), c.value);
  }
  EXPECT_EQ(ParseDecimal(nullptr), 0);
}

TEST(WaveMessage, MessageLeavesTheHostsTextUnchanged) {
  for (const char* text : {"draw/30,90,1", "xx draw now /30,10,2", "draw/30,10", "stop"}) {
    SCOPED_TRACE(text);
    char buffer[64];
    std::memset(buffer, 0x5A, sizeof buffer);
    std::strcpy(buffer, text);
    char before[sizeof buffer];
    std::memcpy(before, buffer, sizeof buffer);
    EXPECT_EQ(Send(buffer), 1);
    EXPECT_EQ(std::memcmp(buffer, before, sizeof buffer), 0);
  }
}

TEST(WaveMessage, MessageNeitherWritesResultsNorMindsTheirAbsence) {
  int intResult = 77;
  char textResult[261];
  std::memset(textResult, 0x33, sizeof textResult);
  EXPECT_EQ(Message("draw/30,90,1", &intResult, textResult), 1);
  EXPECT_EQ(intResult, 77);
  for (char c : textResult) ASSERT_EQ(c, 0x33);
  EXPECT_EQ(Message("stop", nullptr, nullptr), 1);
  EXPECT_EQ(Message(nullptr, nullptr, nullptr), 1);
}

TEST(WaveMessage, RefusedOrForeignMessagesChangeNothing) {
  UseScreen(64, 8);
  Send("draw/30,10,3");
  for (int i = 0; i < 5; ++i) Timer();
  const Halvane::Undula::WaveState before = S();
  for (const char* text : {"draw", "draw/30", "draw/40,10", "stop draw/40,10", "draw/40,0,1",
                           "draw/40,361,1", "draw/40,-5,1", "STOP", "Draw/40,10,1", "hello", ""}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(Send(text), 1);
    EXPECT_TRUE(SameState(S(), before));
  }
}

TEST(WaveMessage, StopOnlyClearsGrowing) {
  UseScreen(64, 8);
  Send("draw/30,10,3");
  for (int i = 0; i < 5; ++i) Timer();
  Halvane::Undula::WaveState expected = S();
  expected.growing = 0;
  EXPECT_EQ(Send("stop"), 1);
  EXPECT_TRUE(SameState(S(), expected));
}

}  // namespace
