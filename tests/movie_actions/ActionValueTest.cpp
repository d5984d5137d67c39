#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "movie/actions/ActionValue.h"
#include "movie/actions/ScriptRuntime.h"
#include "movie/actions/VariableStore.h"
#include "tests/movie_actions/FakeTimeline.h"

namespace Halvane::Movie {
namespace {

// A reference to the timeline _level0.a, as the interpreter makes one.
struct ClipReference {
  ClipReference() : root("", 10, false), child(root.AddChild("a")), runtime(6) {}
  ActionValue Value() { return ActionValue::Object(runtime.ClipOf(child)); }
  Testing::FakeTimeline root;
  Testing::FakeTimeline& child;
  ScriptRuntime runtime;
};

TEST(FormatNumber, WritesNumbersAsTheLanguageShowsThem) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double value;
    const char* text;
  } rows[] = {
      {0.0, "0"},
      {-0.0, "0"},
      {1.0, "1"},
      {-42.0, "-42"},
      {0.5, "0.5"},
      {0.1 + 0.2, "0.3"},
      {1.0 / 3.0, "0.333333333333333"},
      {2.0 / 3.0, "0.666666666666667"},
      {123456789012345.0, "123456789012345"},
      {999999999999999.0, "999999999999999"},
      {-999999999999999.0, "-999999999999999"},
      {4294967296.0, "4294967296"},
      {1e15, "1e+15"},
      {-1e15, "-1e+15"},
      {9007199254740993.0, "9.00719925474099e+15"},
      {1.5e21, "1.5e+21"},
      {0.00001, "0.00001"},
      {0.000001, "1e-6"},
      {-2.5e-7, "-2.5e-7"},
      {3.14159, "3.14159"},
      {100.25, "100.25"},
      {std::nan(""), "NaN"},
      {inf, "Infinity"},
      {-inf, "-Infinity"},
  };
  for (const auto& row : rows) EXPECT_EQ(FormatNumber(row.value), row.text) << row.text;
}

TEST(ParseNumber, AcceptsDecimalAndHexadecimalOnly) {
  const struct {
    const char* text;
    int version;
    bool ok;
    double value;
  } rows[] = {
      {"12", 6, true, 12},
      {"  -3.5", 6, true, -3.5},
      {"-3.5  ", 6, false, 0},
      {"+.5", 6, true, 0.5},
      {"1e3", 6, true, 1000},
      {"2.", 6, true, 2},
      {"0x1F", 6, true, 31},
      {"0x1F", 4, false, 0},
      {"0x", 6, false, 0},
      {"1e", 6, false, 0},
      {"12abc", 6, false, 0},
      {"abc", 6, false, 0},
      {"", 6, false, 0},
      {"   ", 6, false, 0},
      {"inf", 6, false, 0},
      {"nan", 6, false, 0},
      {".", 6, false, 0},
      {"-", 6, false, 0},
  };
  for (const auto& row : rows) {
    double value = -999;
    EXPECT_EQ(ParseNumber(row.text, row.version, value), row.ok) << row.text;
    if (row.ok) {
      EXPECT_EQ(value, row.value) << row.text;
    }
  }
}

TEST(ActionValueConversion, NumbersFollowTheMovieVersion) {
  const struct {
    ActionValue value;
    int version;
    double expected;  // NaN for NaN
  } rows[] = {
      {ActionValue(), 6, 0},
      {ActionValue(), 7, NAN},
      {ActionValue::Null(), 6, 0},
      {ActionValue::Null(), 7, NAN},
      {ActionValue::Boolean(true), 5, 1},
      {ActionValue::String("abc"), 4, 0},
      {ActionValue::String("abc"), 5, NAN},
      {ActionValue::String(""), 6, 0},
      {ActionValue::String(""), 7, NAN},
      {ActionValue::String(" 7"), 7, 7},
      {ActionValue::String("7 "), 7, NAN},
      {ClipReference().Value(), 6, NAN},
  };
  for (const auto& row : rows) {
    const double n = row.value.ToNumber(row.version);
    if (std::isnan(row.expected)) {
      EXPECT_TRUE(std::isnan(n)) << row.value.TypeOf() << " v" << row.version;
    } else {
      EXPECT_EQ(n, row.expected) << row.value.TypeOf() << " v" << row.version;
    }
  }
}

TEST(ActionValueConversion, TextsAndTruthFollowTheMovieVersion) {
  EXPECT_EQ(ActionValue().ToString(6), "");
  EXPECT_EQ(ActionValue().ToString(7), "undefined");
  EXPECT_EQ(ActionValue::Null().ToString(6), "null");
  EXPECT_EQ(ActionValue::Boolean(false).ToString(6), "false");
  EXPECT_EQ(ActionValue::Number(0.1 + 0.2).ToString(6), "0.3");
  ClipReference clip;
  EXPECT_EQ(clip.Value().ToString(6), "_level0.a");

  // A string is true when it reads as a nonzero number up to version 6,
  // when it is not empty from version 7.
  EXPECT_FALSE(ActionValue::String("abc").ToBoolean(6));
  EXPECT_TRUE(ActionValue::String("abc").ToBoolean(7));
  EXPECT_TRUE(ActionValue::String("2").ToBoolean(6));
  EXPECT_FALSE(ActionValue::String("0").ToBoolean(6));
  EXPECT_TRUE(ActionValue::String("0").ToBoolean(7));
  EXPECT_FALSE(ActionValue::String("").ToBoolean(7));
  EXPECT_FALSE(ActionValue::Number(std::nan("")).ToBoolean(7));
  EXPECT_TRUE(clip.Value().ToBoolean(7));
}

TEST(VariableStore, OldMoviesMatchNamesWithoutCase) {
  VariableStore old(VariableStore::NamesAreCaseSensitive(6));
  ASSERT_TRUE(old.Set("Score", ActionValue::Number(1)));
  ASSERT_TRUE(old.Set("SCORE", ActionValue::Number(2)));
  ASSERT_NE(old.Find("score"), nullptr);
  EXPECT_EQ(old.Find("score")->NumberValue(), 2);
  EXPECT_EQ(old.Count(), 1u);
  EXPECT_EQ(old.Names(), std::vector<std::string>{"Score"});  // first spelling kept

  VariableStore modern(VariableStore::NamesAreCaseSensitive(7));
  modern.Set("Score", ActionValue::Number(1));
  EXPECT_EQ(modern.Find("score"), nullptr);
  modern.Set("score", ActionValue::Number(2));
  EXPECT_EQ(modern.Count(), 2u);
}

TEST(VariableStore, RemoveKeepsTheOtherNamesReachable) {
  VariableStore store;
  store.Set("a", ActionValue::Number(1));
  store.Set("b", ActionValue::Number(2));
  store.Set("c", ActionValue::Number(3));
  EXPECT_TRUE(store.Remove("a"));
  EXPECT_FALSE(store.Remove("a"));
  ASSERT_NE(store.Find("c"), nullptr);
  EXPECT_EQ(store.Find("c")->NumberValue(), 3);
  EXPECT_EQ(store.Names(), (std::vector<std::string>{"b", "c"}));
}

TEST(VariableStore, FullStoreRefusesNewNamesButUpdatesOldOnes) {
  VariableStore store;
  for (std::size_t i = 0; i < VariableStore::MaxVariables; ++i) {
    ASSERT_TRUE(store.Set("v" + std::to_string(i), ActionValue::Number(1)));
  }
  EXPECT_FALSE(store.Set("one_more", ActionValue::Number(1)));
  EXPECT_EQ(store.Find("one_more"), nullptr);
  EXPECT_TRUE(store.Set("v0", ActionValue::Number(5)));
  EXPECT_EQ(store.Find("v0")->NumberValue(), 5);
  EXPECT_EQ(store.Count(), VariableStore::MaxVariables);
}

}  // namespace
}  // namespace Halvane::Movie
