#include <gtest/gtest.h>

#include <limits>

#include "movie/actions/ActionPath.h"
#include "movie/actions/FlashVars.h"
#include "movie/actions/ScriptRuntime.h"
#include "tests/movie_actions/FakeTimeline.h"

namespace Halvane::Movie {
namespace {

using Testing::FakeTimeline;

// _level0 with "menu" holding "button", and "intro" beside it.
struct Tree {
  explicit Tree(bool caseSensitive = false)
      : root("", 10, caseSensitive),
        menu(root.AddChild("menu")),
        button(menu.AddChild("button")),
        intro(root.AddChild("intro")) {}
  FakeTimeline root;
  FakeTimeline& menu;
  FakeTimeline& button;
  FakeTimeline& intro;
};

TEST(ResolveVariable, SlashAndDotPathsNameTheSameTimelines) {
  Tree tree;
  const struct {
    const char* path;
    FakeTimeline* from;
    FakeTimeline* target;  // null: no timeline
    const char* name;
  } rows[] = {
      {"x", &tree.button, &tree.button, "x"},
      {"_root.x", &tree.button, &tree.root, "x"},
      {"_level0.x", &tree.button, &tree.root, "x"},
      {"/:x", &tree.button, &tree.root, "x"},
      {"/x", &tree.button, &tree.root, "x"},
      {"/menu/button:x", &tree.root, &tree.button, "x"},
      {"menu/button:x", &tree.root, &tree.button, "x"},
      {"menu.button.x", &tree.root, &tree.button, "x"},
      {"_root.menu.button.x", &tree.intro, &tree.button, "x"},
      {"_parent.x", &tree.button, &tree.menu, "x"},
      {"_parent._parent.intro.x", &tree.button, &tree.intro, "x"},
      {"../:x", &tree.button, &tree.menu, "x"},
      {"this.x", &tree.menu, &tree.menu, "x"},
      {"MENU.Button.x", &tree.root, &tree.button, "x"},  // no case in old movies
      {"_ROOT.x", &tree.button, &tree.root, "x"},
      {"/menu/:x", &tree.root, &tree.menu, "x"},
      {":x", &tree.menu, &tree.menu, "x"},
      {"nothing.x", &tree.root, nullptr, ""},
      {"/nothing:x", &tree.root, nullptr, ""},
      {"_parent.x", &tree.root, nullptr, ""},
      {"menu..x", &tree.root, nullptr, ""},
      {"menu.", &tree.root, nullptr, ""},
      {"", &tree.root, nullptr, ""},
      {"_level1.x", &tree.root, nullptr, ""},
  };
  for (const auto& row : rows) {
    ResolvedVariable resolved;
    const bool ok = ResolveVariable(tree.root, *row.from, row.path, false, resolved);
    EXPECT_EQ(ok, row.target != nullptr) << row.path;
    if (ok && row.target) {
      EXPECT_EQ(resolved.target, row.target) << row.path;
      EXPECT_EQ(resolved.name, row.name) << row.path;
    }
  }
}

TEST(ResolveVariable, ModernMoviesMatchInstanceNamesWithCase) {
  Tree tree(true);
  ResolvedVariable resolved;
  EXPECT_FALSE(ResolveVariable(tree.root, tree.root, "MENU.x", true, resolved));
  EXPECT_FALSE(ResolveVariable(tree.root, tree.root, "_ROOT.x", true, resolved));
  EXPECT_TRUE(ResolveVariable(tree.root, tree.root, "menu.x", true, resolved));
  EXPECT_EQ(resolved.target, &tree.menu);
}

TEST(ResolveTarget, VariableHoldingATimelineStandsForIt) {
  Tree tree;
  ScriptRuntime runtime(6);
  tree.root.Variables().Set("alias", ActionValue::Object(runtime.ClipOf(tree.button)));
  // A reference to an instance that is gone keeps the path it was made
  // under, not the one it had when it went.
  auto& old = tree.root.AddChild("old");
  ClipObject* gone = runtime.ClipOf(old);
  gone->Detach("_level0.renamed");
  tree.root.Variables().Set("self", ActionValue::Object(gone));
  EXPECT_EQ(ResolveTarget(tree.root, tree.root, "alias", false), &tree.button);
  EXPECT_EQ(ResolveTarget(tree.root, tree.root, "self", false), &old);
}

TEST(LevelNames, LevelAndFlashNameLevelsThatWrapAt32Bits) {
  const struct {
    const char* name;
    bool isLevel;
    int level;
  } rows[] = {
      {"_level0", true, 0},   {"_level", true, 0},        {"_flash", true, 0},
      {"_flash3", true, 3},   {"_level0abc", true, 0},    {"_level4294967296", true, 0},
      {"_level4294967297", true, 1}, {"_level2147483648", true, -2147483647 - 1},
      {"_level-1", false, 0}, {"_levelx", false, 0},      {"_lev", false, 0},
  };
  for (const auto& row : rows) {
    int level = 12345;
    EXPECT_EQ(LevelOfName(row.name, false, level), row.isLevel) << row.name;
    if (row.isLevel) {
      EXPECT_EQ(level, row.level) << row.name;
    }
  }
}

TEST(TargetPaths, SlashAndDotFormsOfEachTimeline) {
  Tree tree;
  EXPECT_EQ(SlashTargetPath(tree.root), "/");
  EXPECT_EQ(SlashTargetPath(tree.button), "/menu/button");
  EXPECT_EQ(DotTargetPath(tree.root), "_level0");
  EXPECT_EQ(DotTargetPath(tree.button), "_level0.menu.button");
}

TEST(ControlVariables, GetVariableAnswersTextsAndFailsForMissingNames) {
  Tree tree;
  tree.root.Variables().Set("n", ActionValue::Number(0.1 + 0.2));
  tree.root.Variables().Set("flag", ActionValue::Boolean(true));
  tree.root.Variables().Set("nothing", ActionValue());
  tree.button.Variables().Set("label", ActionValue::String("OK"));
  tree.root.frame = 4;
  const struct {
    const char* path;
    int version;
    bool ok;
    const char* value;
  } rows[] = {
      {"n", 6, true, "0.3"},
      {"/:n", 6, true, "0.3"},
      {"_level0.flag", 6, true, "true"},
      {"nothing", 6, true, ""},
      {"nothing", 7, true, "undefined"},
      {"menu.button.label", 6, true, "OK"},
      {"/menu/button:label", 6, true, "OK"},
      {"_currentframe", 6, true, "5"},
      {"/menu:_target", 6, true, "/menu"},
      {"missing", 6, false, "unchanged"},
      {"menu.missing", 6, false, "unchanged"},
      {"nowhere.n", 6, false, "unchanged"},
  };
  for (const auto& row : rows) {
    std::string value = "unchanged";
    EXPECT_EQ(GetVariableText(tree.root, row.path, row.version, value), row.ok) << row.path;
    EXPECT_EQ(value, row.value) << row.path;
  }
}

TEST(ControlVariables, SetVariableStoresTextsWhereThePathSays) {
  Tree tree;
  EXPECT_TRUE(SetVariableText(tree.root, "score", "10", 6));
  EXPECT_TRUE(SetVariableText(tree.root, "menu.button:caption", "Go", 6));
  EXPECT_TRUE(SetVariableText(tree.root, "/menu:_x", "12.5", 6));
  EXPECT_TRUE(SetVariableText(tree.root, "/menu:_y", "abc", 6));  // not a number: ignored
  EXPECT_FALSE(SetVariableText(tree.root, "nowhere.x", "1", 6));
  EXPECT_FALSE(SetVariableText(tree.root, "", "1", 6));

  ASSERT_NE(tree.root.Variables().Find("score"), nullptr);
  EXPECT_EQ(tree.root.Variables().Find("score")->Type(), ActionValueType::String);
  std::string value;
  EXPECT_TRUE(GetVariableText(tree.root, "/menu/button:caption", 6, value));
  EXPECT_EQ(value, "Go");
  EXPECT_EQ(tree.menu.properties.at(TargetProperty::X), 12.5);
  EXPECT_EQ(tree.menu.properties.count(TargetProperty::Y), 0u);
  EXPECT_EQ(tree.root.Variables().Count(), 1u);
}

TEST(FlashVars, PairsAreUrlDecoded) {
  const struct {
    const char* text;
    std::vector<std::pair<std::string, std::string>> vars;
  } rows[] = {
      {"a=1&b=two", {{"a", "1"}, {"b", "two"}}},
      {"msg=hello+world%21", {{"msg", "hello world!"}}},
      {"x=%E6%97%A5", {{"x", "\xE6\x97\xA5"}}},
      {"bad=%zz%4&pct=100%", {{"bad", "%zz%4"}, {"pct", "100%"}}},
      {"k%3Dq=v%26w", {{"k=q", "v&w"}}},
      {"eq=a=b", {{"eq", "a=b"}}},
      {"flag&=x&&empty=", {{"flag", ""}, {"empty", ""}}},
      {"a=1&a=2", {{"a", "1"}, {"a", "2"}}},
      {"", {}},
      {"%00=z", {{std::string(1, '\0'), "z"}}},
  };
  for (const auto& row : rows) {
    const std::vector<FlashVar> vars = ParseFlashVars(row.text);
    ASSERT_EQ(vars.size(), row.vars.size()) << row.text;
    for (std::size_t i = 0; i < vars.size(); ++i) {
      EXPECT_EQ(vars[i].name, row.vars[i].first) << row.text;
      EXPECT_EQ(vars[i].value, row.vars[i].second) << row.text;
    }
  }
}

TEST(FlashVars, ApplySetsRootVariablesAsStrings) {
  Tree tree;
  EXPECT_EQ(ApplyFlashVars(tree.root, "level=3&name=Ann+Lee&level=4"), 3u);
  std::string value;
  ASSERT_TRUE(GetVariableText(tree.root, "level", 6, value));
  EXPECT_EQ(value, "4");
  ASSERT_TRUE(GetVariableText(tree.root, "name", 6, value));
  EXPECT_EQ(value, "Ann Lee");
  EXPECT_EQ(tree.root.Variables().Find("level")->Type(), ActionValueType::String);
  EXPECT_EQ(tree.menu.Variables().Count(), 0u);
}

// Values a script hands a property that the screen cannot take: the
// assignment is ignored, or lands on a value the timeline can hold, and
// settings of the whole player go to the root.
TEST(SetTargetProperty, ValuesWithoutAPlaceOnScreenAreIgnoredOrBounded) {
  Tree tree;
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    TargetProperty property;
    ActionValue value;
    double expected;  // what the timeline holds afterwards; 7 = untouched
  } cases[] = {
      {TargetProperty::X, ActionValue::Number(nan), 7},
      {TargetProperty::X, ActionValue::Null(), 7},
      {TargetProperty::X, ActionValue::String(""), 7},
      {TargetProperty::X, ActionValue::Number(inf), -2147483648.0 / 20.0},
      {TargetProperty::Y, ActionValue::Number(-inf), -2147483648.0 / 20.0},
      {TargetProperty::Alpha, ActionValue::Number(inf), 0},
      {TargetProperty::Width, ActionValue::Number(inf), 7},
      {TargetProperty::Visible, ActionValue::Undefined(), 7},
      {TargetProperty::Visible, ActionValue::Number(-5), 1},
  };
  for (const auto& c : cases) {
    tree.button.properties[c.property] = 7;
    SetTargetProperty(tree.button, c.property, c.value, 6);
    EXPECT_EQ(tree.button.properties[c.property], c.expected) << static_cast<int>(c.property);
  }
  SetTargetProperty(tree.button, TargetProperty::SoundBufTime, ActionValue::Number(3), 6);
  EXPECT_EQ(tree.root.properties[TargetProperty::SoundBufTime], 3);
  EXPECT_EQ(tree.button.properties.count(TargetProperty::SoundBufTime), 0u);
  SetTargetProperty(tree.button, TargetProperty::Quality, ActionValue::String("best"), 6);
  EXPECT_EQ(tree.root.properties[TargetProperty::Quality], 3);
  SetTargetProperty(tree.button, TargetProperty::Quality, ActionValue::String("2"), 6);
  EXPECT_EQ(tree.root.properties[TargetProperty::Quality], 3);
}

}  // namespace
}  // namespace Halvane::Movie
