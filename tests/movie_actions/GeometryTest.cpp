#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "movie/actions/ActionCodes.h"
#include "movie/actions/ActionInterpreter.h"
#include "tests/movie_actions/FakeTimeline.h"
#include "tests/movie_actions/ScriptedMovie.h"
#include "tools/ActionWriter.h"

namespace Halvane::Movie {
namespace {

using Testing::FakeTimeline;
using Tools::ActionWriter;
namespace Op = ActionCode;

// A version 8 movie: a root timeline with a child "mc".
struct Movie : Testing::ScriptedMovie {
  Movie() { root.AddChild("mc"); }
  FakeTimeline& Clip() { return static_cast<FakeTimeline&>(*root.ChildByName("mc", true)); }
};

// new flash.geom.<name>(args) left on the stack.
void PushNew(ActionWriter& w, const char* name, std::initializer_list<double> args) {
  for (auto it = std::rbegin(args); it != std::rend(args); ++it) w.PushDouble(*it);
  w.PushInteger(static_cast<std::int32_t>(args.size()));
  w.PushString("flash").Op(Op::GetVariable).PushString("geom").Op(Op::GetMember);
  w.PushString(name).Op(Op::NewMethod);
}

// mc.transform.<part> on the stack.
void PushPart(ActionWriter& w, const char* part) {
  w.PushString("mc").Op(Op::GetVariable).PushString("transform").Op(Op::GetMember);
  w.PushString(part).Op(Op::GetMember);
}

TEST(TransformScript, AssignedMatricesReachTheTimelineInItsFixedPoint) {
  Movie movie;
  ActionWriter w;
  w.PushString("t").PushString("mc").Op(Op::GetVariable).PushString("transform").Op(Op::GetMember);
  w.Op(Op::SetVariable);
  w.PushString("t").Op(Op::GetVariable).PushString("matrix");
  PushNew(w, "Matrix", {2, 0, 0, 2, 10.5, -20});
  w.Op(Op::SetMember);
  // Not a Matrix: ignored.
  w.PushString("t").Op(Op::GetVariable).PushString("matrix").PushInteger(0).Op(Op::InitObject).Op(Op::SetMember);
  PushPart(w, "matrix");
  w.Op(Op::Trace);
  // A changed copy changes nothing.
  PushPart(w, "matrix");
  w.PushString("a").PushInteger(9).Op(Op::SetMember);
  PushPart(w, "matrix");
  w.PushString("a").Op(Op::GetMember).Op(Op::Trace);
  EXPECT_EQ(movie.Run(w), ActionRunResult::Completed);
  EXPECT_EQ(movie.traces, (std::vector<std::string>{"(a=2, b=0, c=0, d=2, tx=10.5, ty=-20)", "2"}));
  EXPECT_EQ(movie.Clip().matrix.scaleX, 2 * 65536);
  EXPECT_EQ(movie.Clip().matrix.translateX, 210);
  EXPECT_EQ(movie.Clip().matrix.translateY, -400);
}

TEST(TransformScript, ColourValuesWrapIntoTheTimelinesSixteenBits) {
  Movie movie;
  movie.root.colorTransform.mult[2] = 32640;  // blue times 127.5 on the root
  ActionWriter w;
  w.PushString("mc").Op(Op::GetVariable).PushString("transform").Op(Op::GetMember);
  w.PushString("colorTransform");
  PushNew(w, "ColorTransform", {1, 1, 1, 1, 0, 0, 40000, 0});
  w.Op(Op::SetMember);
  PushPart(w, "colorTransform");
  w.PushString("blueOffset").Op(Op::GetMember).Op(Op::Trace);
  PushPart(w, "concatenatedColorTransform");
  w.PushString("blueOffset").Op(Op::GetMember).Op(Op::Trace);
  EXPECT_EQ(movie.Run(w), ActionRunResult::Completed);
  // 40000 wraps to -25536; times 127.5 it wraps again.
  EXPECT_EQ(movie.traces, (std::vector<std::string>{"-25536", "20960"}));
  EXPECT_EQ(movie.Clip().colorTransform.add[2], -25536);
}

TEST(TransformScript, OnlyClipsHaveATransform) {
  Movie movie;
  ActionWriter w;
  for (auto push : {+[](ActionWriter& a) { a.PushInteger(5); }, +[](ActionWriter& a) { a.PushString("mc"); },
                    +[](ActionWriter& a) { a.PushInteger(0).Op(Op::InitObject); }}) {
    push(w);
    w.PushInteger(1).PushString("flash").Op(Op::GetVariable).PushString("geom").Op(Op::GetMember);
    w.PushString("Transform").Op(Op::NewMethod).Op(Op::TypeOf).Op(Op::Trace);
  }
  EXPECT_EQ(movie.Run(w), ActionRunResult::Completed);
  EXPECT_EQ(movie.traces, std::vector<std::string>(3, "undefined"));
}

}  // namespace
}  // namespace Halvane::Movie
