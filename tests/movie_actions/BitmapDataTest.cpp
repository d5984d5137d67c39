#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <limits>
#include <string>
#include <vector>

#include "movie/actions/ActionCodes.h"
#include "movie/actions/ActionInterpreter.h"
#include "movie/actions/BitmapPixels.h"
#include "tests/movie_actions/FakeTimeline.h"
#include "tests/movie_actions/ScriptedMovie.h"
#include "tools/ActionWriter.h"

namespace Halvane::Movie {
namespace {

using Testing::FakeTimeline;
using Tools::ActionWriter;
namespace Op = ActionCode;

// --- The pixel store

TEST(BitmapPixels, TranslucentColoursRoundTripWithThePlayersRounding) {
  const struct {
    std::uint32_t in, out;
  } rows[] = {
      {0xAABBCCDDu, 0xAABBCCDCu},                              // blue loses a step at alpha 170
      {0x12345678u, 0x12395571u},                              // coarse steps at alpha 18
      {0x80FFFFFFu, 0x80FFFFFFu},                              // white survives any alpha
      {0x01FFFFFFu, 0x01FFFFFFu}, {0xFF123456u, 0xFF123456u},  // opaque colours are exact
      {0x00123456u, 0x00000000u},                              // no colour without alpha
  };
  for (const auto& row : rows) {
    EXPECT_EQ(BitmapPixels::Unmultiply(BitmapPixels::Premultiply(row.in)), row.out) << std::hex << row.in;
  }
}

TEST(BitmapPixels, SizesOutsideOneToTheMaximumSideAreRefused) {
  BitmapPixels p;
  for (auto size : {std::pair<int, int>{0, 1},
                    {1, 0},
                    {-5, 10},
                    {2881, 1},
                    {1, 2881},
                    {std::numeric_limits<std::int32_t>::min(), 1}}) {
    EXPECT_FALSE(p.Create(size.first, size.second, true, 0)) << size.first << "x" << size.second;
    EXPECT_TRUE(p.Disposed());
  }
  EXPECT_TRUE(p.Create(2880, 1, true, 0));
  EXPECT_EQ(p.Bytes(), 2880u * 4);
}

TEST(BitmapPixels, ExtremeRectanglesClipWithoutOverflow) {
  BitmapPixels p;
  ASSERT_TRUE(p.Create(4, 3, false, 0));
  const std::int32_t lo = std::numeric_limits<std::int32_t>::min(), hi = std::numeric_limits<std::int32_t>::max();
  const BitmapArea whole = p.Clip(BitmapArea{lo, lo, hi, hi});
  EXPECT_EQ(whole.width, 0);  // ends far left of the bitmap
  const BitmapArea all = p.Clip(BitmapArea{-1, -1, hi, hi});
  EXPECT_EQ(all.x, 0);
  EXPECT_EQ(all.width, 4);
  EXPECT_EQ(all.height, 3);
  const BitmapArea none = p.Clip(BitmapArea{hi, hi, hi, hi});
  EXPECT_EQ(none.width, 0);
  p.FillRect(BitmapArea{lo, lo, hi, hi}, 0xFFFFFFFFu);
  EXPECT_EQ(p.Get(0, 0), 0xFF000000u);
}

TEST(BitmapPixels, FloodFillCoversTheLargestBitmapWithoutRecursion) {
  BitmapPixels p;
  ASSERT_TRUE(p.Create(BitmapPixels::MaxSide, BitmapPixels::MaxSide, false, 0xFF000000u));
  p.Set(5, 0, 0xFF00FF00u);
  EXPECT_TRUE(p.FloodFill(0, 0, 0xFFFF0000u));
  EXPECT_EQ(p.Get(BitmapPixels::MaxSide - 1, BitmapPixels::MaxSide - 1), 0xFFFF0000u);
  EXPECT_EQ(p.Get(5, 0), 0xFF00FF00u);
  EXPECT_FALSE(p.FloodFill(0, 0, 0xFFFF0000u));  // already that colour
  EXPECT_FALSE(p.FloodFill(-1, 0, 0xFF0000FFu));
}

TEST(DissolveOrder, VisitsEveryIndexOnceAPeriodForAnyAreaUpToTheLargest) {
  const std::uint32_t largest = static_cast<std::uint32_t>(BitmapPixels::MaxSide) * BitmapPixels::MaxSide;
  for (std::uint32_t count : {2u, 3u, 4u, 5u, 63u, 64u, 65u, 100u, 4194304u, 4194305u, largest}) {
    std::vector<bool> seen(count, false);
    DissolveOrder order(count, 12345);
    for (std::uint32_t i = 0; i + 1 < count; ++i) {
      const std::uint32_t index = order.Current();
      ASSERT_GE(index, 1u) << count;
      ASSERT_LT(index, count) << count;
      ASSERT_FALSE(seen[index]) << count << " revisits " << index;
      seen[index] = true;
      order.Advance();
    }
  }
}

TEST(DissolveOrder, ASeedPastTheAreaStillStartsInside) {
  for (std::uint32_t seed : {0u, 7u, 0xFFFFFFFFu, 0x80000000u}) {
    DissolveOrder order(5, seed);
    EXPECT_GE(order.Current(), 1u);
    EXPECT_LT(order.Current(), 5u);
  }
}

TEST(DissolveOrder, ASeedPastTheAreaIsRunThroughTheRegisterWhateverItsWidth) {
  struct Row {
    std::uint32_t seed, first;
  } rows[] = {{0, 3}, {2, 2}, {10, 1}, {100, 2}, {0xFFFFFFFEu, 2}, {0xFFFFFFFFu, 3}};
  for (const Row& row : rows) EXPECT_EQ(DissolveOrder(4, row.seed).Current(), row.first) << row.seed;
}

// --- Through scripts: hostile sizes and arguments

using Movie = Testing::ScriptedMovie;

void PushNumbers(ActionWriter& w, std::initializer_list<double> args) {
  for (auto it = std::rbegin(args); it != std::rend(args); ++it) w.PushDouble(*it);
  w.PushInteger(static_cast<std::int32_t>(args.size()));
}

// name = new flash.display.BitmapData(args)
void NewBitmap(ActionWriter& w, const char* name, std::initializer_list<double> args) {
  w.PushString(name);
  PushNumbers(w, args);
  w.PushString("flash").Op(Op::GetVariable).PushString("display").Op(Op::GetMember);
  w.PushString("BitmapData").Op(Op::NewMethod).Op(Op::SetVariable);
}

// trace(name.method(args))
void TraceCall(ActionWriter& w, const char* name, const char* method, std::initializer_list<double> args) {
  PushNumbers(w, args);
  w.PushString(name).Op(Op::GetVariable).PushString(method).Op(Op::CallMethod).Op(Op::Trace);
}

void TraceVariable(ActionWriter& w, const char* name) { w.PushString(name).Op(Op::GetVariable).Op(Op::Trace); }

TEST(BitmapDataScript, ImpossibleSizesMakeNoBitmap) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  Movie movie;
  ActionWriter w;
  NewBitmap(w, "a", {nan, nan});
  NewBitmap(w, "b", {-1, 5});
  NewBitmap(w, "c", {1e10, 1});
  NewBitmap(w, "d", {inf, inf});
  NewBitmap(w, "e", {2881, 2880});
  NewBitmap(w, "f", {3});
  for (const char* name : {"a", "b", "c", "d", "e", "f"}) TraceVariable(w, name);
  EXPECT_EQ(movie.Run(w), ActionRunResult::Completed);
  EXPECT_EQ(movie.traces, std::vector<std::string>(6, "undefined"));
}

TEST(BitmapDataScript, PixelMemoryOfAMovieIsCappedAndGivenBackOnDispose) {
  Movie movie;
  ActionWriter w;
  // Each of these holds about 33 MB: the fifth is over the movie's cap.
  static_assert(BitmapPixels::MaxTotalBytes / (2880u * 2880u * 4u) == 4, "four of the largest fit");
  for (const char* name : {"a", "b", "c", "d", "e"}) NewBitmap(w, name, {2880, 2880});
  w.PushString("e").Op(Op::GetVariable).Op(Op::TypeOf).Op(Op::Trace);
  TraceCall(w, "a", "dispose", {});
  NewBitmap(w, "e", {2880, 2880});
  w.PushString("e").Op(Op::GetVariable).Op(Op::TypeOf).Op(Op::Trace);
  EXPECT_EQ(movie.Run(w), ActionRunResult::Completed);
  EXPECT_EQ(movie.traces, (std::vector<std::string>{"undefined", "undefined", "object"}));
}

TEST(BitmapDataScript, HugeCountsAndCoordinatesStayInsideTheBitmap) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  Movie movie;
  ActionWriter w;
  NewBitmap(w, "b", {64, 64, 0, 0xFF000000u});
  TraceCall(w, "b", "setPixel32", {-1e300, 1e300, 0xFFFFFFFFu});
  TraceCall(w, "b", "getPixel32", {nan, nan});
  TraceCall(w, "b", "floodFill", {1e12, -1e12, 0xFFFFFFFFu});
  TraceCall(w, "b", "noise", {-2147483648.0, -1e9, 1e9, -1});
  // A dissolve of every pixel many times over still ends within the call.
  w.PushDouble(0xFFFF0000u).PushDouble(4294967295.0).PushDouble(7);
  w.PushInteger(0).PushInteger(0).PushInteger(2).PushString("flash").Op(Op::GetVariable);
  w.PushString("geom").Op(Op::GetMember).PushString("Point").Op(Op::NewMethod);
  w.PushString("b").Op(Op::GetVariable).PushString("rectangle").Op(Op::GetMember);
  w.PushString("b").Op(Op::GetVariable).PushInteger(6);
  w.PushString("b").Op(Op::GetVariable).PushString("pixelDissolve").Op(Op::CallMethod).Op(Op::TypeOf).Op(Op::Trace);
  TraceCall(w, "b", "getPixel32", {63, 63});
  EXPECT_EQ(movie.Run(w), ActionRunResult::Completed);
  EXPECT_EQ(movie.traces, (std::vector<std::string>{"0", "-16777216", "0", "0", "number", "-65536"}));
}

TEST(BitmapDataScript, LoopsOverTheLargestBitmapEndWithTheBudget) {
  Movie movie;
  ActionWriter w;
  NewBitmap(w, "b", {2880, 2880});
  w.Label("again");
  w.PushInteger(0);
  w.PushString("b").Op(Op::GetVariable).PushString("rectangle").Op(Op::GetMember);
  w.PushInteger(2).PushString("b").Op(Op::GetVariable).PushString("fillRect").Op(Op::CallMethod).Op(Op::Pop);
  w.PushBoolean(true).If("again");
  EXPECT_EQ(movie.Run(w), ActionRunResult::BudgetExhausted);
}

// new flash.<package>.<name>(args) left on the stack.
void PushNew(ActionWriter& w, const char* package, const char* name, std::initializer_list<double> args) {
  PushNumbers(w, args);
  w.PushString("flash").Op(Op::GetVariable).PushString(package).Op(Op::GetMember);
  w.PushString(name).Op(Op::NewMethod);
}

TEST(BitmapDataScript, ThresholdCountsAndScrollKeepsWhatNothingCovers) {
  Movie movie;
  ActionWriter w;
  NewBitmap(w, "b", {4, 1, 0, 0xFF000000u});
  TraceCall(w, "b", "setPixel32", {1, 0, 0xFFFFFFFFu});
  TraceCall(w, "b", "setPixel32", {2, 0, 0xFFFFFFFFu});
  // b.threshold(b, b.rectangle, new Point(0, 0), "==", 0xFFFFFFFF, 0xFFFF0000)
  w.PushDouble(0xFFFF0000u).PushDouble(0xFFFFFFFFu).PushString("==");
  PushNew(w, "geom", "Point", {0, 0});
  w.PushString("b").Op(Op::GetVariable).PushString("rectangle").Op(Op::GetMember);
  w.PushString("b").Op(Op::GetVariable).PushInteger(6);
  w.PushString("b").Op(Op::GetVariable).PushString("threshold").Op(Op::CallMethod).Op(Op::Trace);
  TraceCall(w, "b", "scroll", {-1, 0});
  for (double x : {0, 1, 2, 3}) TraceCall(w, "b", "getPixel32", {x, 0});
  TraceCall(w, "b", "scroll", {1e10, 0});  // past the bitmap: nothing moves
  TraceCall(w, "b", "getPixel32", {0, 0});
  EXPECT_EQ(movie.Run(w), ActionRunResult::Completed);
  EXPECT_EQ(movie.traces, (std::vector<std::string>{"0", "0", "2", "undefined", "-65536", "-65536", "-16777216",
                                                    "-16777216", "undefined", "-65536"}));
}

void Get(ActionWriter& w, const char* name) { w.PushString(name).Op(Op::GetVariable); }

// name.method(...) with the arguments pushed by args (last first) and their
// count, the answer traced.
void TraceCallWith(ActionWriter& w, const char* name, const char* method, int count,
                   const std::function<void(ActionWriter&)>& args) {
  args(w);
  w.PushInteger(count);
  Get(w, name);
  w.PushString(method).Op(Op::CallMethod).Op(Op::Trace);
}

TEST(BitmapDataScript, DrawSkipsMatricesThatCannotBeInvertedAndSamplesScaledOnes) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  Movie movie;
  ActionWriter w;
  NewBitmap(w, "b", {4, 4, 0, 0xFF000000u});
  NewBitmap(w, "s", {2, 2, 0, 0xFFFFFFFFu});
  for (auto matrix : {std::initializer_list<double>{0, 0, 0, 0, 0, 0}, {nan, 0, 0, 1, 0, 0}, {1, 0, 0, 1, 1e308, 0}}) {
    TraceCallWith(w, "b", "draw", 2, [&](ActionWriter& a) {
      PushNew(a, "geom", "Matrix", matrix);
      Get(a, "s");
    });
  }
  TraceCall(w, "b", "getPixel32", {0, 0});
  TraceCallWith(w, "b", "draw", 2, [&](ActionWriter& a) {
    PushNew(a, "geom", "Matrix", {2, 0, 0, 2, 0, 0});
    Get(a, "s");
  });
  TraceCall(w, "b", "getPixel32", {3, 3});
  EXPECT_EQ(movie.Run(w), ActionRunResult::Completed);
  EXPECT_EQ(movie.traces,
            (std::vector<std::string>{"undefined", "undefined", "undefined", "-16777216", "undefined", "-1"}));
}

TEST(BitmapDataScript, CopiesWithinOneBitmapReadBeforeTheyWrite) {
  Movie movie;
  ActionWriter w;
  NewBitmap(w, "b", {3, 1, 0, 0xFF000000u});
  TraceCall(w, "b", "setPixel32", {0, 0, 0xFFFFFFFFu});
  TraceCallWith(w, "b", "copyPixels", 3, [](ActionWriter& a) {
    PushNew(a, "geom", "Point", {1, 0});
    PushNew(a, "geom", "Rectangle", {0, 0, 2, 1});
    Get(a, "b");
  });
  for (double x : {0, 1, 2}) TraceCall(w, "b", "getPixel32", {x, 0});
  EXPECT_EQ(movie.Run(w), ActionRunResult::Completed);
  EXPECT_EQ(movie.traces, (std::vector<std::string>{"0", "undefined", "-1", "-1", "-16777216"}));
}

TEST(BitmapDataScript, CompareAnswersZeroCodesOrADifferenceBitmap) {
  Movie movie;
  ActionWriter w;
  NewBitmap(w, "a", {2, 2, 1, 0x80FF0000u});
  NewBitmap(w, "b", {2, 2, 1, 0x80FF0000u});
  NewBitmap(w, "wide", {3, 2});
  NewBitmap(w, "tall", {2, 3});
  for (const char* other : {"b", "wide", "tall"}) {
    TraceCallWith(w, "a", "compare", 1, [other](ActionWriter& x) { Get(x, other); });
  }
  TraceCall(w, "b", "setPixel32", {0, 0, 0x40FF0000u});
  w.PushString("d");
  Get(w, "b");
  w.PushInteger(1);
  Get(w, "a");
  w.PushString("compare").Op(Op::CallMethod).Op(Op::SetVariable);
  TraceCall(w, "d", "getPixel32", {0, 0});  // alpha only: white with the alpha difference
  TraceCall(w, "d", "getPixel32", {1, 1});  // the same: nothing
  EXPECT_EQ(movie.Run(w), ActionRunResult::Completed);
  EXPECT_EQ(movie.traces, (std::vector<std::string>{"0", "-3", "-4", "0", "1090519039", "0"}));
}

TEST(BitmapDataScript, MergeMovesChannelsByTheirMultipliersAndPaletteMapLooksThemUp) {
  Movie movie;
  ActionWriter w;
  NewBitmap(w, "b", {1, 1, 0, 0xFF000000u});
  NewBitmap(w, "white", {1, 1, 0, 0xFFFFFFFFu});
  // Red halfway, green not at all, blue all the way.
  TraceCallWith(w, "b", "merge", 7, [](ActionWriter& a) {
    a.PushInteger(256).PushInteger(256).PushInteger(0).PushInteger(128);
    PushNew(a, "geom", "Point", {0, 0});
    a.PushString("white").Op(Op::GetVariable).PushString("rectangle").Op(Op::GetMember);
    Get(a, "white");
  });
  TraceCall(w, "b", "getPixel32", {0, 0});
  // An empty red table maps every red to 0; channels without a table keep theirs.
  NewBitmap(w, "p", {1, 1, 0, 0xFF102030u});
  TraceCallWith(w, "p", "paletteMap", 4, [](ActionWriter& a) {
    a.PushInteger(0).Op(Op::InitArray);
    PushNew(a, "geom", "Point", {0, 0});
    a.PushString("p").Op(Op::GetVariable).PushString("rectangle").Op(Op::GetMember);
    Get(a, "p");
  });
  TraceCall(w, "p", "getPixel32", {0, 0});
  EXPECT_EQ(movie.Run(w), ActionRunResult::Completed);
  EXPECT_EQ(movie.traces, (std::vector<std::string>{"undefined", "-8453889", "undefined", "-16768976"}));
}

TEST(BitmapDataScript, HitTestAgainstARectangleLooksAtEveryPixelInside) {
  Movie movie;
  ActionWriter w;
  NewBitmap(w, "b", {4, 4, 1, 0});
  TraceCall(w, "b", "setPixel32", {3, 3, 0xFF000000u});
  for (auto rect : {std::initializer_list<double>{2, 2, 2, 2}, {0, 0, 2, 2}, {-1e12, -1e12, 1e12, 1e12}}) {
    TraceCallWith(w, "b", "hitTest", 3, [&](ActionWriter& a) {
      PushNew(a, "geom", "Rectangle", rect);
      a.PushInteger(1);
      PushNew(a, "geom", "Point", {0, 0});
    });
  }
  // Points and rectangles at the ends of the coordinate range.
  TraceCallWith(w, "b", "hitTest", 3, [](ActionWriter& a) {
    PushNew(a, "geom", "Rectangle", {-1e12, 1e12, 1e12, 1e12});
    a.PushInteger(1);
    PushNew(a, "geom", "Point", {1e12, -1e12});
  });
  TraceCallWith(w, "b", "copyPixels", 3, [](ActionWriter& a) {
    PushNew(a, "geom", "Point", {-1e12, 1e12});
    PushNew(a, "geom", "Rectangle", {1e12, -1e12, 1e12, 1e12});
    Get(a, "b");
  });
  EXPECT_EQ(movie.Run(w), ActionRunResult::Completed);
  EXPECT_EQ(movie.traces, (std::vector<std::string>{"0", "true", "false", "false", "false", "undefined"}));
}

}  // namespace
}  // namespace Halvane::Movie
