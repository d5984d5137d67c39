// Blocks are decoded once and run again from what was decoded: these pin
// that a block behaves the same on every run, whatever its bytes do.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "movie/actions/ActionCodes.h"
#include "movie/actions/ActionInterpreter.h"
#include "tests/movie_actions/FakeTimeline.h"
#include "tools/ActionWriter.h"

namespace Halvane::Movie {
namespace {

using Testing::FakeTimeline;
using Tools::ActionWriter;
using Tools::Bytes;
namespace Op = ActionCode;

struct Movie {
  explicit Movie(int version = 10) : root("", 10, version >= 7) {
    context.swfVersion = version;
    context.trace = [this](const std::string& text) { traces.push_back(text); };
  }
  ActionRunResult Run(const Bytes& code) { return RunActions(code.data(), code.size(), root, context); }

  FakeTimeline root;
  ActionContext context;
  std::vector<std::string> traces;
};

Bytes Join(const std::vector<Bytes>& parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

Bytes Code(const ActionWriter& w) { return w.Build(); }

Bytes JumpBy(std::int16_t offset, std::uint8_t code = Op::Jump) {
  const auto bits = static_cast<std::uint16_t>(offset);
  return {code, 2, 0, static_cast<std::uint8_t>(bits & 0xFF), static_cast<std::uint8_t>(bits >> 8)};
}

// An action no player knows, skipped by its length, hiding bytes.
Bytes Hidden(const Bytes& inside) {
  Bytes out{0xF0, static_cast<std::uint8_t>(inside.size()), 0};
  out.insert(out.end(), inside.begin(), inside.end());
  return out;
}

TEST(DecodedActions, JumpIntoTheMiddleOfAnActionRunsWhatStartsThereOnEveryRun) {
  ActionWriter inside;
  inside.PushString("inside").Op(Op::Trace);
  ActionWriter after;
  after.PushString("after").Op(Op::Trace);
  // Past the hidden action's code and length, onto the Push it hides.
  const Bytes code = Join({JumpBy(3), Hidden(Code(inside)), Code(after)});
  Movie movie;
  for (int run = 0; run < 2; ++run) {
    EXPECT_EQ(movie.Run(code), ActionRunResult::Completed) << run;
  }
  EXPECT_EQ(movie.traces, (std::vector<std::string>{"inside", "after", "inside", "after"}));
}

TEST(DecodedActions, ARecordCutShortByItsFunctionFaultsThoughTheBlockReadsItWhole) {
  // f's body is the start of a Push whose values lie past the body. The
  // block runs that Push whole first (jumping into the body), then calls f.
  const Bytes body{Op::Push, 0x05, 0x00};
  const Bytes nulls(5, Op::PushType::Null);  // the Push's values; on their own, unknown actions
  const Bytes define = Join({{Op::DefineFunction, 0x06, 0x00, 'f', 0x00, 0x00, 0x00,
                              static_cast<std::uint8_t>(body.size()), 0x00},
                             body});
  // Once: set seen, and back into the body; then call f.
  const auto checkPart = [](ActionWriter& w, const char* label) {
    w.PushString("seen").Op(Op::GetVariable).If(label);
    w.PushString("seen").PushInteger(1).Op(Op::SetVariable);
  };
  ActionWriter sized;
  checkPart(sized, "here");
  sized.Label("here");
  const std::size_t checkSize = sized.Build().size();
  ActionWriter rest;
  checkPart(rest, "call");
  const auto back = static_cast<std::uint16_t>(-static_cast<int>(body.size() + nulls.size() + checkSize + 5));
  rest.Op(Op::Jump, {static_cast<std::uint8_t>(back & 0xFF), static_cast<std::uint8_t>(back >> 8)});
  rest.Label("call").PushInteger(0).PushString("f").Op(Op::CallFunction).PushString("after").Op(Op::Trace);
  const Bytes code = Join({define, nulls, Code(rest)});
  Movie movie;
  EXPECT_EQ(movie.Run(code), ActionRunResult::Faulted);
  EXPECT_TRUE(movie.traces.empty());
}

TEST(DecodedActions, NewBytesAtTheSameAddressRunAsTheyAre) {
  ActionWriter w;
  w.PushString("one").Op(Op::Trace);
  Bytes code = w.Build();
  Movie movie;
  ASSERT_EQ(movie.Run(code), ActionRunResult::Completed);
  const std::size_t at = std::string(code.begin(), code.end()).find("one");
  ASSERT_NE(at, std::string::npos);
  code[at] = 't';
  code[at + 1] = 'w';
  code[at + 2] = 'o';
  ASSERT_EQ(movie.Run(code), ActionRunResult::Completed);
  EXPECT_EQ(movie.traces, (std::vector<std::string>{"one", "two"}));
}

TEST(DecodedActions, PushesReadThePoolInForceAndFunctionsKeepTheirs) {
  ActionWriter body;
  body.PushConstant(0).Op(Op::Trace);
  ActionWriter w;
  w.ConstantPool({"first"}).DefineFunction("f", {}, body).PushConstant(0).Op(Op::Trace);
  w.ConstantPool({"second"}).PushConstant(0).Op(Op::Trace);
  w.PushInteger(0).PushString("f").Op(Op::CallFunction).Op(Op::Pop);
  const Bytes code = w.Build();
  Movie movie;
  for (int run = 0; run < 2; ++run) ASSERT_EQ(movie.Run(code), ActionRunResult::Completed) << run;
  EXPECT_EQ(movie.traces, (std::vector<std::string>{"first", "second", "first", "first", "second", "first"}));
}

TEST(DecodedActions, OlderMoviesConvertPushedTextOnEveryRun) {
  Movie movie(5);
  int conversions = 0;
  movie.context.legacyText = [&conversions](const std::string&) {
    ++conversions;
    return std::string("converted");
  };
  ActionWriter w;
  w.PushString("caf\xE9").Op(Op::Trace).PushString("plain").Op(Op::Trace);
  const Bytes code = w.Build();
  for (int run = 0; run < 2; ++run) ASSERT_EQ(movie.Run(code), ActionRunResult::Completed) << run;
  EXPECT_EQ(movie.traces, (std::vector<std::string>{"converted", "plain", "converted", "plain"}));
  EXPECT_EQ(conversions, 2);
}

TEST(DecodedActions, RecursionThatReachesNewCodeLeavesTheCallersIntact) {
  // The innermost call is the first to run the else branch, while every
  // caller is in the middle of its own actions of the same block.
  ActionWriter body;
  body.PushInteger(0).PushString("n").Op(Op::GetVariable).Op(Op::Less2).Op(Op::Not).If("bottom");
  body.PushString("n").Op(Op::GetVariable).Op(Op::Decrement).PushInteger(1).PushString("f");
  body.Op(Op::CallFunction).Op(Op::Pop).Jump("end");
  body.Label("bottom").PushString("bottom").Op(Op::Trace);
  body.Label("end").PushString("n").Op(Op::GetVariable).Op(Op::Trace);
  ActionWriter w;
  w.DefineFunction("f", {"n"}, body).PushInteger(3).PushInteger(1).PushString("f").Op(Op::CallFunction).Op(Op::Pop);
  Movie movie;
  ASSERT_EQ(movie.Run(w.Build()), ActionRunResult::Completed);
  EXPECT_EQ(movie.traces, (std::vector<std::string>{"bottom", "0", "1", "2", "3"}));
}

}  // namespace
}  // namespace Halvane::Movie
