#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "movie/actions/ActionCodes.h"
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

using Arg = std::variant<double, std::string>;

void Push(ActionWriter& w, const Arg& a) {
  if (const double* d = std::get_if<double>(&a)) w.PushDouble(*d);
  else w.PushString(std::get<std::string>(a));
}

// An array of numbers on the stack.
void PushArray(ActionWriter& w, const std::vector<double>& items) {
  for (auto it = items.rbegin(); it != items.rend(); ++it) w.PushDouble(*it);
  w.PushInteger(static_cast<std::int32_t>(items.size())).Op(Op::InitArray);
}

void PushClass(ActionWriter& w, const char* name) {
  w.PushString("flash").Op(Op::GetVariable).PushString("filters").Op(Op::GetMember).PushString(name);
}

// var = new flash.filters.<name>(args).
void NewFilter(ActionWriter& w, const char* var, const char* name, const std::vector<Arg>& args = {}) {
  w.PushString(var);
  for (auto it = args.rbegin(); it != args.rend(); ++it) Push(w, *it);
  w.PushInteger(static_cast<std::int32_t>(args.size()));
  PushClass(w, name);
  w.Op(Op::NewMethod).Op(Op::SetVariable);
}

void PushMember(ActionWriter& w, const char* var, const char* member) {
  w.PushString(var).Op(Op::GetVariable).PushString(member).Op(Op::GetMember);
}
// mc.filters[index] on the stack.
void PushPlaced(ActionWriter& w, int index) {
  PushMember(w, "mc", "filters");
  w.PushInteger(index).Op(Op::GetMember);
}

// Traces var's members named in "name=value name=value ..." and answers
// the values expected.
std::vector<std::string> TraceMembers(ActionWriter& w, const char* var, const std::string& members) {
  std::vector<std::string> expected;
  std::size_t at = 0;
  while (at < members.size()) {
    std::size_t end = members.find(' ', at);
    if (end == std::string::npos) end = members.size();
    const std::string item = members.substr(at, end - at);
    const std::size_t equals = item.find('=');
    PushMember(w, var, item.substr(0, equals).c_str());
    w.Op(Op::Trace);
    expected.push_back(item.substr(equals + 1));
    at = end + 1;
  }
  return expected;
}

TEST(FilterClasses, ConstructorsTakeTheDocumentedOrderAndDefaults) {
  const std::string angle = "angle=44.9999999772279";  // the default, a rounded radian value
  const struct {
    const char* name;
    std::vector<Arg> args;
    std::string members;
  } rows[] = {
      {"BlurFilter", {}, "blurX=4 blurY=4 quality=1"},
      {"BlurFilter", {9.0, 3.0, 2.0}, "blurX=9 blurY=3 quality=2"},
      {"DropShadowFilter", {}, "distance=4 " + angle + " color=0 alpha=1 blurY=4 strength=1 hideObject=false"},
      {"DropShadowFilter", {10.0, 30.0, 255.0, 0.5, 2.0, 3.0, 1.5, 3.0, 1.0, 0.0, 1.0},
       "distance=10 angle=30 color=255 alpha=0.5 blurX=2 blurY=3 strength=1.5 quality=3 inner=true knockout=false "
       "hideObject=true"},
      {"GlowFilter", {}, "color=16711680 alpha=1 blurX=6 blurY=6 strength=2 quality=1 inner=false knockout=false"},
      {"GlowFilter", {65280.0, 0.25, 8.0, 9.0, 3.0, 2.0, 1.0, 1.0},
       "color=65280 alpha=0.25 blurX=8 blurY=9 strength=3 quality=2 inner=true knockout=true"},
      {"BevelFilter", {}, angle + " highlightColor=16777215 shadowColor=0 shadowAlpha=1 type=inner"},
      {"BevelFilter", {5.0, 60.0, 65280.0, 0.5, 255.0, 0.75, 2.0, 3.0, 1.5, 2.0, std::string("outer"), 1.0},
       "distance=5 angle=60 highlightColor=65280 highlightAlpha=0.5 shadowColor=255 shadowAlpha=0.75 blurX=2 "
       "blurY=3 strength=1.5 quality=2 type=outer knockout=true"},
      {"GradientBevelFilter", {}, angle + " colors= alphas= ratios= strength=1 type=inner"},
      // Gradient lists that are no arrays stay empty; the rest still counts.
      {"GradientGlowFilter", {7.0, 90.0, 1.0, 2.0, 3.0, 5.0, 6.0, 2.0, 3.0, std::string("full")},
       "distance=7 angle=90 colors= blurX=5 blurY=6 strength=2 quality=3 type=full"},
      {"ColorMatrixFilter", {}, "matrix=1,0,0,0,0,0,1,0,0,0,0,0,1,0,0,0,0,0,1,0"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.members);
    Movie movie;
    ActionWriter w;
    NewFilter(w, "f", row.name, row.args);
    const std::vector<std::string> expected = TraceMembers(w, "f", row.members);
    EXPECT_EQ(movie.Run(w), ActionRunResult::Completed);
    EXPECT_EQ(movie.traces, expected);
  }
}

TEST(FilterClasses, SettingsAreHeldToTheirRangesAtBothEnds) {
  const struct {
    const char* name;
    const char* member;
    Arg value;
    const char* expected;
  } rows[] = {
      {"BlurFilter", "blurX", 300.0, "255"},
      {"BlurFilter", "quality", 100.0, "15"},
      {"BlurFilter", "quality", -1.0, "0"},
      {"BlurFilter", "quality", 2.5, "2"},
      {"GlowFilter", "alpha", 1.5, "1"},
      {"GlowFilter", "color", -1.0, "16777215"},
      {"GlowFilter", "color", 16777216.0, "0"},
      {"GlowFilter", "strength", 256.0, "255"},
      {"GlowFilter", "strength", -1.0, "0"},
      {"DropShadowFilter", "angle", 361.0, "1"},
      {"DropShadowFilter", "angle", -366.0, "-6"},
      {"DropShadowFilter", "distance", -1000.0, "-1000"},
      {"BevelFilter", "type", std::string("INNER"), "full"},
      {"BevelFilter", "type", 0.0, "full"},
      {"BevelFilter", "highlightColor", -10.0, "16777206"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.name) + "." + row.member);
    Movie movie;
    ActionWriter w;
    NewFilter(w, "f", row.name);
    w.PushString("f").Op(Op::GetVariable).PushString(row.member);
    Push(w, row.value);
    w.Op(Op::SetMember);
    PushMember(w, "f", row.member);
    w.Op(Op::Trace);
    EXPECT_EQ(movie.Run(w), ActionRunResult::Completed);
    EXPECT_EQ(movie.traces, std::vector<std::string>{row.expected});
  }
}

TEST(FilterClasses, GradientListsFollowTheLengthOfTheColours) {
  Movie movie;
  ActionWriter w;
  NewFilter(w, "g", "GradientBevelFilter");
  const auto set = [&](const char* member, const std::vector<double>& items) {
    w.PushString("g").Op(Op::GetVariable).PushString(member);
    PushArray(w, items);
    w.Op(Op::SetMember);
  };
  set("colors", {0x1FF0000, 255});
  TraceMembers(w, "g", "colors alphas ratios");
  set("alphas", {2, 0.5, 0.1});
  set("ratios", {-5});
  TraceMembers(w, "g", "alphas ratios");
  // Not an array: nothing changes.
  w.PushString("g").Op(Op::GetVariable).PushString("colors").PushDouble(5).Op(Op::SetMember);
  set("colors", {1});
  TraceMembers(w, "g", "colors alphas");
  NewFilter(w, "m", "ColorMatrixFilter");
  w.PushString("m").Op(Op::GetVariable).PushString("matrix");
  PushArray(w, {2, 3});
  w.Op(Op::SetMember);
  TraceMembers(w, "m", "matrix");
  EXPECT_EQ(movie.Run(w), ActionRunResult::Completed);
  EXPECT_EQ(movie.traces, (std::vector<std::string>{"16711680,255", "0,0", "0,0", "1,0.5", "0,0", "1", "1",
                                                     "2,3,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0"}));
}

TEST(FilterClasses, CloneIsAnIndependentFilterOfTheSameClass) {
  Movie movie;
  ActionWriter w;
  NewFilter(w, "x", "GlowFilter", {255.0});
  w.PushString("y").PushInteger(0).PushString("x").Op(Op::GetVariable).PushString("clone");
  w.Op(Op::CallMethod).Op(Op::SetVariable);
  w.PushString("y").Op(Op::GetVariable).PushString("blurX").PushDouble(20).Op(Op::SetMember);
  TraceMembers(w, "x", "blurX color");
  TraceMembers(w, "y", "blurX color");
  w.PushString("y").Op(Op::GetVariable);
  PushClass(w, "GlowFilter");
  w.Op(Op::GetMember).Op(Op::InstanceOf).Op(Op::Trace);
  w.PushString("y").Op(Op::GetVariable);
  PushClass(w, "BitmapFilter");
  w.Op(Op::GetMember).Op(Op::InstanceOf).Op(Op::Trace);
  w.PushString("x").Op(Op::GetVariable).PushString("y").Op(Op::GetVariable).Op(Op::Equals2).Op(Op::Trace);
  EXPECT_EQ(movie.Run(w), ActionRunResult::Completed);
  EXPECT_EQ(movie.traces, (std::vector<std::string>{"6", "255", "20", "255", "true", "true", "false"}));
}

TEST(FiltersProperty, AssigningKeepsCopiesAndReadingMakesNewOnes) {
  Movie movie;
  ActionWriter w;
  NewFilter(w, "b", "BlurFilter", {9.0, 9.0, 2.0});
  NewFilter(w, "g", "GlowFilter");
  // mc.filters = [b, 5, g]: the number is skipped.
  w.PushString("mc").Op(Op::GetVariable).PushString("filters");
  w.PushString("g").Op(Op::GetVariable).PushDouble(5).PushString("b").Op(Op::GetVariable);
  w.PushInteger(3).Op(Op::InitArray).Op(Op::SetMember);
  PushMember(w, "mc", "filters");
  w.PushString("length").Op(Op::GetMember).Op(Op::Trace);
  PushPlaced(w, 0);
  PushPlaced(w, 0);
  w.Op(Op::Equals2).Op(Op::Trace);
  // Neither the assigned object nor a read copy reaches the clip.
  w.PushString("b").Op(Op::GetVariable).PushString("blurX").PushDouble(50).Op(Op::SetMember);
  PushPlaced(w, 0);
  w.PushString("blurX").PushDouble(70).Op(Op::SetMember);
  PushPlaced(w, 0);
  w.PushString("blurX").Op(Op::GetMember).Op(Op::Trace);
  // A value that is no array changes nothing.
  w.PushString("mc").Op(Op::GetVariable).PushString("filters").PushDouble(1).Op(Op::SetMember);
  PushPlaced(w, 1);
  w.PushString("color").Op(Op::GetMember).Op(Op::Trace);
  EXPECT_EQ(movie.Run(w), ActionRunResult::Completed);
  EXPECT_EQ(movie.traces, (std::vector<std::string>{"2", "false", "9", "16711680"}));
  ASSERT_EQ(movie.Clip().filters.size(), 2u);
  const auto* blur = std::get_if<BlurFilterRecord>(&movie.Clip().filters[0]);
  ASSERT_NE(blur, nullptr);
  EXPECT_EQ(blur->quality, 2);
  EXPECT_EQ(blur->blurX, 9);
  EXPECT_TRUE(std::holds_alternative<GlowFilterRecord>(movie.Clip().filters[1]));
}

TEST(FiltersProperty, PlacedFiltersReadBackAsFilterObjects) {
  Movie movie;
  BlurFilterRecord blur;
  blur.blurX = 9;
  blur.quality = 2;
  BevelFilterRecord bevel;
  bevel.placing = FilterPlacing::Full;
  movie.Clip().filters = {blur, bevel};
  ActionWriter w;
  PushPlaced(w, 0);
  w.PushString("quality").Op(Op::GetMember).Op(Op::Trace);
  PushPlaced(w, 0);
  w.PushString("blurX").Op(Op::GetMember).Op(Op::Trace);
  PushPlaced(w, 1);
  PushClass(w, "BevelFilter");
  w.Op(Op::GetMember).Op(Op::InstanceOf).Op(Op::Trace);
  PushPlaced(w, 1);
  w.PushString("type").Op(Op::GetMember).Op(Op::Trace);
  // The root has no filters: an empty array.
  w.PushString("_root").Op(Op::GetVariable).PushString("filters").Op(Op::GetMember);
  w.PushString("length").Op(Op::GetMember).Op(Op::Trace);
  // An array of no filters clears them, however long it claims to be.
  w.PushString("a").PushInteger(0).Op(Op::InitArray).Op(Op::SetVariable);
  w.PushString("a").Op(Op::GetVariable).PushString("length").PushDouble(4e9).Op(Op::SetMember);
  w.PushString("mc").Op(Op::GetVariable).PushString("filters").PushString("a").Op(Op::GetVariable).Op(Op::SetMember);
  PushMember(w, "mc", "filters");
  w.PushString("length").Op(Op::GetMember).Op(Op::Trace);
  EXPECT_EQ(movie.Run(w), ActionRunResult::Completed);
  EXPECT_EQ(movie.traces, (std::vector<std::string>{"2", "9", "true", "full", "0", "0"}));
}

}  // namespace
}  // namespace Halvane::Movie
