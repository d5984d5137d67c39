// The command-line syntax, one row per rule or consequence.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/CommandParser.h"

namespace Halvane::VlmPlugIn {
namespace {

struct ParseRow {
  std::string text;
  bool parses;
  std::string name;
  std::vector<std::string> arguments;
};

const ParseRow kRows[] = {
    // Parentheses are required and the closing one must be the last byte.
    {"SwfPlay()", true, "SwfPlay", {}},
    {"SwfPlay", false, "", {}},
    {"SwfPlay() ", false, "", {}},
    {"SwfPlay)", false, "", {}},
    {"SwfPlay())", false, "", {}},
    {"SwfPlay()x", false, "", {}},
    {"SwfPlay(", false, "", {}},
    {"", false, "", {}},
    {"()", true, "", {}},
    // Spaces outside quotes are dropped everywhere, also inside the name.
    {"Swf Play ()", true, "SwfPlay", {}},
    {"SwfOpen(my movie.swf)", true, "SwfOpen", {"mymovie.swf"}},
    {"SwfMove( 10 , 20 )", true, "SwfMove", {"10", "20"}},
    // Apostrophes quote anywhere and are dropped.
    {"SwfOpen('my movie.swf')", true, "SwfOpen", {"my movie.swf"}},
    {"X('a b'c)", true, "X", {"a bc"}},
    {"X('a,b(c)')", true, "X", {"a,b(c)"}},
    {"'Swf Play'()", true, "Swf Play", {}},
    {"X('a)", false, "", {}},
    // A backslash makes the next byte literal, also inside quotes.
    {"SwfOpen(a\\,b)", true, "SwfOpen", {"a,b"}},
    {"X(a\\\\b)", true, "X", {"a\\b"}},
    {"X(\\'a\\')", true, "X", {"'a'"}},
    {"X(a\\ b)", true, "X", {"a b"}},
    {"X(\\(\\))", true, "X", {"()"}},
    {"X('\\'')", true, "X", {"'"}},
    {"X(a)\\", false, "", {}},
    {"X(a\\)", false, "", {}},
    // Empty arguments: the last one only counts when not empty.
    {"X(a,)", true, "X", {"a"}},
    {"X(,)", true, "X", {""}},
    {"X(,a)", true, "X", {"", "a"}},
    {"X('')", true, "X", {}},
    {"SwfSetVariable(a,'')", true, "SwfSetVariable", {"a"}},
    {"X(a,,b)", true, "X", {"a", "", "b"}},
    // Commas before the parenthesis already add arguments; a later opening
    // parenthesis replaces the name.
    {"x,SwfOpen(y)", true, "SwfOpen", {"x", "y"}},
    {"a(b(c)", true, "b", {"c"}},
    // Bytes above 0x7F are plain bytes; a second byte 0x5C escapes.
    {"X(\x95\x5C\x5C)", true, "X", {"\x95\x5C"}},
    {"X(\x95\x5C)", false, "", {}},
};

TEST(ParseCommandTest, SplitsNameAndArgumentsByTheSevenRules) {
  for (const ParseRow& row : kRows) {
    std::string name;
    CommandArguments arguments;
    ASSERT_EQ(ParseCommand(row.text, name, arguments), row.parses) << row.text;
    if (!row.parses) continue;
    EXPECT_EQ(name, row.name) << row.text;
    EXPECT_EQ(arguments, row.arguments) << row.text;
  }
}

}  // namespace
}  // namespace Halvane::VlmPlugIn
