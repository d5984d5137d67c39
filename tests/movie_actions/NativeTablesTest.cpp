// The natives scripts reach by number, with numbers and sizes no movie of
// the platform's would use.
#include <gtest/gtest.h>

#include <limits>
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
namespace Op = ActionCode;

std::vector<std::string> RunScript(const ActionWriter& program) {
  FakeTimeline root("", 1, true);
  ActionContext context;
  context.swfVersion = 8;
  std::vector<std::string> traces;
  context.trace = [&traces](const std::string& text) { traces.push_back(text); };
  const Tools::Bytes code = program.Build();
  RunActions(code.data(), code.size(), root, context);
  return traces;
}

// o = {}; ASSetNative(o, 103, "a,,b", first); trace(typeof o.a); trace(typeof o.b)
std::vector<std::string> SetDateNatives(double first) {
  ActionWriter w;
  w.PushString("o").PushInteger(0).Op(Op::InitObject).Op(Op::SetVariable);
  w.PushDouble(first).PushString("a,,b").PushInteger(103).PushString("o").Op(Op::GetVariable);
  w.PushInteger(4).PushString("ASSetNative").Op(Op::CallFunction).Op(Op::Pop);
  for (const char* name : {"a", "b"}) {
    w.PushString("o").Op(Op::GetVariable).PushString(name).Op(Op::GetMember).Op(Op::TypeOf).Op(Op::Trace);
  }
  return RunScript(w);
}

TEST(NativeTables, NumbersOutsideATableDefineNothing) {
  using Traces = std::vector<std::string>;
  EXPECT_EQ(SetDateNatives(15), (Traces{"function", "function"}));  // getTime, setTime
  EXPECT_EQ(SetDateNatives(20), (Traces{"function", "undefined"}));  // past the last
  EXPECT_EQ(SetDateNatives(-3), (Traces{"undefined", "undefined"}));
  EXPECT_EQ(SetDateNatives(1e300), (Traces{"undefined", "undefined"}));
  EXPECT_EQ(SetDateNatives(std::numeric_limits<double>::infinity()), (Traces{"undefined", "undefined"}));
  EXPECT_EQ(SetDateNatives(std::numeric_limits<double>::quiet_NaN()), (Traces{"undefined", "undefined"}));
}

TEST(NativeTables, ConvolutionMatrixSidesAreCapped) {
  ActionWriter w;
  w.PushString("f").PushDouble(-1e9).PushDouble(1e9).PushInteger(2);  // (1e9, -1e9)
  w.PushString("flash").Op(Op::GetVariable).PushString("filters").Op(Op::GetMember);
  w.PushString("ConvolutionFilter").Op(Op::NewMethod).Op(Op::SetVariable);
  for (const char* name : {"matrixX", "matrixY"}) {
    w.PushString("f").Op(Op::GetVariable).PushString(name).Op(Op::GetMember).Op(Op::Trace);
  }
  w.PushString("f").Op(Op::GetVariable).PushString("matrixY").PushDouble(1e9).Op(Op::SetMember);
  w.PushString("f").Op(Op::GetVariable).PushString("matrix").Op(Op::GetMember);
  w.PushString("length").Op(Op::GetMember).Op(Op::Trace);
  EXPECT_EQ(RunScript(w), (std::vector<std::string>{"15", "0", "225"}));
}

}  // namespace
}  // namespace Halvane::Movie
