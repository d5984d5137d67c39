// TextField.StyleSheet as scripts use it: CSS text read into styles, the
// sheet's own copies of them, and a field's HTML styled by its sheet.
#include <gtest/gtest.h>

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

struct Movie : Testing::ScriptedMovie {
  Movie() : field(root.AddTextField("t")) {}
  TextFieldData& field;
};

// s = new TextField.StyleSheet()
void NewSheet(ActionWriter& w) {
  w.PushString("s").PushInteger(0).PushString("TextField").Op(Op::GetVariable).PushString("StyleSheet");
  w.Op(Op::NewMethod).Op(Op::SetVariable);
}

// s.method(argument)
void CallSheet(ActionWriter& w, const char* method, const std::string& argument) {
  w.PushString(argument).PushInteger(1).PushString("s").Op(Op::GetVariable).PushString(method).Op(Op::CallMethod);
}

// trace(s.parseCSS(css)); trace(s.getStyleNames()); trace(s.getStyle(selector)[property])
std::vector<std::string> ParseCss(const std::string& css, const char* selector, const char* property) {
  Movie movie;
  ActionWriter w;
  NewSheet(w);
  CallSheet(w, "parseCSS", css);
  w.Op(Op::Trace);
  w.PushInteger(0).PushString("s").Op(Op::GetVariable).PushString("getStyleNames").Op(Op::CallMethod).Op(Op::Trace);
  CallSheet(w, "getStyle", selector);
  w.PushString(property).Op(Op::GetMember).Op(Op::Trace);
  movie.Run(w);
  return movie.traces;
}

TEST(StyleSheetScript, ParseCssReadsRulesOrNothing) {
  struct Case {
    const char* css;
    const char* selector;
    const char* property;
    std::vector<std::string> traces;
  };
  const Case cases[] = {
      {"a { color: blue ; }", "a", "color", {"true", "a", "blue "}},
      {"/* list */ h1, .note{font-size:12px}", ".note", "fontSize", {"true", "h1,.note", "12px"}},
      {"p { text-align: right; margin-left: 4 }", "p", "marginLeft", {"true", "p", "4 "}},
      {"a { color: red", "a", "color", {"false", "", "undefined"}},
      {"a { color }", "a", "color", {"false", "", "undefined"}},
      {"a { b { color: red } }", "a", "color", {"false", "", "undefined"}},
      {"a { color: red } stray", "a", "color", {"false", "", "undefined"}},
      {"/* open", "a", "color", {"false", "", "undefined"}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseCss(c.css, c.selector, c.property), c.traces) << c.css;
  // More selectors than a sheet keeps refuse the whole text.
  std::string many;
  for (int i = 0; i < 5000; ++i) many += "a" + std::to_string(i) + ",";
  EXPECT_EQ(ParseCss(many + "b { color: red }", "b", "color"), (std::vector<std::string>{"false", "", "undefined"}));
}

TEST(StyleSheetScript, TheSheetKeepsCopiesAndNullRemovesAStyle) {
  Movie movie;
  ActionWriter w;
  NewSheet(w);
  // o = {color: "#FF0000"}; s.setStyle(".red", o); o.color = "#00FF00"
  w.PushString("o").PushString("color").PushString("#FF0000").PushInteger(1).Op(Op::InitObject).Op(Op::SetVariable);
  w.PushString("o").Op(Op::GetVariable).PushString(".red").PushInteger(2);
  w.PushString("s").Op(Op::GetVariable).PushString("setStyle").Op(Op::CallMethod).Op(Op::Pop);
  w.PushString("o").Op(Op::GetVariable).PushString("color").PushString("#00FF00").Op(Op::SetMember);
  CallSheet(w, "getStyle", ".red");
  w.PushString("color").Op(Op::GetMember).Op(Op::Trace);
  // s.setStyle(".red", null)
  w.PushNull().PushString(".red").PushInteger(2);
  w.PushString("s").Op(Op::GetVariable).PushString("setStyle").Op(Op::CallMethod).Op(Op::Pop);
  CallSheet(w, "getStyle", ".red");
  w.Op(Op::Trace);
  movie.Run(w);
  EXPECT_EQ(movie.traces, (std::vector<std::string>{"#FF0000", "null"}));
}

TEST(StyleSheetScript, AFieldsHtmlTakesItsSheetsStylesAndIsAnsweredAsGiven) {
  Movie movie;
  ActionWriter w;
  NewSheet(w);
  CallSheet(w, "parseCSS", ".red { color: #FF0000; } span.big { font-size: 30 }");
  w.Op(Op::Pop);
  // t.styleSheet = s; t.htmlText = html; trace(t.htmlText)
  const std::string html = "<span class=\"RED\">a</span><span class=\"big\">b</span>c";
  w.PushString("t").Op(Op::GetVariable).PushString("styleSheet").PushString("s").Op(Op::GetVariable);
  w.Op(Op::SetMember);
  w.PushString("t").Op(Op::GetVariable).PushString("htmlText").PushString(html).Op(Op::SetMember);
  w.PushString("t").Op(Op::GetVariable).PushString("htmlText").Op(Op::GetMember).Op(Op::Trace);
  // A display object is no style sheet: t.styleSheet = t takes it away.
  w.PushString("t").Op(Op::GetVariable).PushString("styleSheet").PushString("t").Op(Op::GetVariable);
  w.Op(Op::SetMember);
  w.PushString("t").Op(Op::GetVariable).PushString("styleSheet").Op(Op::GetMember).Op(Op::Trace);
  movie.field.defaultFormat.size = 12;
  movie.Run(w);
  EXPECT_EQ(movie.traces, (std::vector<std::string>{html, "undefined"}));
  ASSERT_EQ(movie.field.Text(), "abc");
  ASSERT_EQ(movie.field.runs.size(), 3u);
  EXPECT_EQ(movie.field.runs[0].format.color, 0xFF0000u);
  EXPECT_EQ(movie.field.runs[1].format.size, 30);
  EXPECT_EQ(movie.field.runs[1].format.color, 0u);
  EXPECT_EQ(movie.field.runs[2].format.size, 12);
  EXPECT_EQ(movie.field.styleSheet, nullptr);
}

TEST(StyleSheetScript, AnObjectThatIsNoSheetStylesNothing) {
  Movie movie;
  ActionWriter w;
  // t.styleSheet = {}; t.htmlText = "<b>a</b>"; trace(t.htmlText)
  w.PushString("t").Op(Op::GetVariable).PushString("styleSheet").PushInteger(0).Op(Op::InitObject);
  w.Op(Op::SetMember);
  w.PushString("t").Op(Op::GetVariable).PushString("htmlText").PushString("<b>a</b>").Op(Op::SetMember);
  w.PushString("t").Op(Op::GetVariable).PushString("htmlText").Op(Op::GetMember).Op(Op::Trace);
  EXPECT_EQ(movie.Run(w), ActionRunResult::Completed);
  EXPECT_EQ(movie.traces, std::vector<std::string>{"<b>a</b>"});
  ASSERT_EQ(movie.field.runs.size(), 1u);
  EXPECT_TRUE(movie.field.runs[0].format.bold);
}

}  // namespace
}  // namespace Halvane::Movie
