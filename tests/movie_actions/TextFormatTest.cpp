#include <gtest/gtest.h>

#include <cmath>
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

struct Movie {
  Movie() : root("", 1, true) {
    context.swfVersion = 8;
    context.trace = [this](const std::string& text) { traces.push_back(text); };
  }
  ActionRunResult Run(const ActionWriter& program) {
    const Tools::Bytes code = program.Build();
    return RunActions(code.data(), code.size(), root, context);
  }
  FakeTimeline root;
  ActionContext context;
  std::vector<std::string> traces;
};

// tf = new TextFormat(); tf.tabStops = {length: length}; trace(tf.tabStops.length)
std::vector<std::string> TabStopsFromLength(double length) {
  Movie movie;
  ActionWriter w;
  w.PushString("tf").PushInteger(0).PushString("TextFormat").Op(Op::NewObject).Op(Op::SetVariable);
  w.PushString("tf").Op(Op::GetVariable).PushString("tabStops");
  w.PushString("length").PushDouble(length).PushInteger(1).Op(Op::InitObject);
  w.Op(Op::SetMember);
  w.PushString("tf").Op(Op::GetVariable).PushString("tabStops").Op(Op::GetMember);
  w.PushString("length").Op(Op::GetMember).Op(Op::Trace);
  movie.Run(w);
  return movie.traces;
}

TEST(TextFormatScript, TabStopsCopyNoMoreThanAFieldCanShow) {
  EXPECT_EQ(TabStopsFromLength(1e9), std::vector<std::string>{"1024"});
  EXPECT_EQ(TabStopsFromLength(1e300), std::vector<std::string>{"1024"});
  EXPECT_EQ(TabStopsFromLength(-5), std::vector<std::string>{"0"});
  EXPECT_EQ(TabStopsFromLength(std::nan("")), std::vector<std::string>{"0"});
  EXPECT_EQ(TabStopsFromLength(3), std::vector<std::string>{"3"});
}

}  // namespace
}  // namespace Halvane::Movie
