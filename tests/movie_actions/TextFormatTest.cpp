#include <gtest/gtest.h>

#include <cmath>
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

using Movie = Testing::ScriptedMovie;

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

// A field "t" and the script run on it.
struct FieldMovie : Movie {
  FieldMovie() : field(root.AddTextField("t")) {}
  TextFieldData& field;
};

// tf = new TextFormat(); tf[member] = value; t.setTextFormat(begin, end, tf)
ActionWriter SetRangeFormat(double begin, double end, const char* member, bool value) {
  ActionWriter w;
  w.PushString("tf").PushInteger(0).PushString("TextFormat").Op(Op::NewObject).Op(Op::SetVariable);
  w.PushString("tf").Op(Op::GetVariable).PushString(member).PushBoolean(value).Op(Op::SetMember);
  w.PushString("tf").Op(Op::GetVariable).PushDouble(end).PushDouble(begin).PushInteger(3);
  w.PushString("t").Op(Op::GetVariable).PushString("setTextFormat").Op(Op::CallMethod).Op(Op::Pop);
  return w;
}

TEST(TextFormatScript, RangeFormatsReachTheirCharactersAndWholeParagraphs) {
  FieldMovie movie;
  movie.field.SetText("ab\rcd");
  movie.Run(SetRangeFormat(1, 2, "bold", true));
  movie.Run(SetRangeFormat(1, 2, "bullet", true));
  // The break belongs to the paragraph it ends.
  ASSERT_EQ(movie.field.runs.size(), 4u);
  const char* const texts[] = {"a", "b", "\r", "cd"};
  const bool bold[] = {false, true, false, false};
  const bool bullet[] = {true, true, true, false};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(movie.field.runs[i].text, texts[i]);
    EXPECT_EQ(movie.field.runs[i].format.bold, bold[i]) << i;
    EXPECT_EQ(movie.field.runs[i].format.bullet, bullet[i]) << i;
  }
}

TEST(TextFormatScript, RangesOutsideTheTextOrNotNumbersChangeNothing) {
  for (const auto& range : {std::pair<double, double>{std::nan(""), 2}, {3, 1}, {1e300, 1e301}, {-5, 0}}) {
    FieldMovie movie;
    movie.field.SetText("abc");
    movie.Run(SetRangeFormat(range.first, range.second, "bold", true));
    ASSERT_EQ(movie.field.runs.size(), 1u);
    EXPECT_FALSE(movie.field.runs[0].format.bold);
  }
}

TEST(TextFormatScript, OneFormatPerCharacterStopsAtTheRunCap) {
  FieldMovie movie;
  const std::size_t length = TextFieldData::MaxRuns * 2;
  movie.field.SetText(std::string(length, 'a'));
  // for (i = 0; i < length; i += 2) t.setTextFormat(i, i + 1, tf{bold: true})
  ActionWriter w;
  w.PushString("tf").PushInteger(0).PushString("TextFormat").Op(Op::NewObject).Op(Op::SetVariable);
  w.PushString("tf").Op(Op::GetVariable).PushString("bold").PushBoolean(true).Op(Op::SetMember);
  w.PushString("i").PushInteger(0).Op(Op::SetVariable);
  w.Label("loop");
  w.PushString("tf").Op(Op::GetVariable);
  w.PushString("i").Op(Op::GetVariable).PushInteger(1).Op(Op::Add2);
  w.PushString("i").Op(Op::GetVariable).PushInteger(3);
  w.PushString("t").Op(Op::GetVariable).PushString("setTextFormat").Op(Op::CallMethod).Op(Op::Pop);
  w.PushString("i").PushString("i").Op(Op::GetVariable).PushInteger(2).Op(Op::Add2).Op(Op::SetVariable);
  w.PushString("i").Op(Op::GetVariable).PushInteger(static_cast<std::int32_t>(length)).Op(Op::Less2);
  w.If("loop");
  EXPECT_EQ(movie.Run(w), ActionRunResult::Completed);
  EXPECT_LE(movie.field.runs.size(), TextFieldData::MaxRuns);
  EXPECT_EQ(movie.field.Text().size(), length);
}

TEST(HtmlText, DeepNestingAndLongStopListsAreCapped) {
  TextFieldData field;
  std::string html;
  for (int i = 0; i < 100000; ++i) html += "<font color=\"#FF0000\">";
  html += "a";
  for (int i = 0; i < 100000; ++i) html += "</font>";
  html += "b<textformat tabstops=\"";
  for (int i = 0; i < 100000; ++i) html += "7,";
  html += "\">c</textformat>";
  SetHtmlText(field, html, 8);
  ASSERT_EQ(field.Text(), "abc");
  ASSERT_EQ(field.runs.size(), 3u);
  EXPECT_EQ(field.runs[0].format.color, 0xFF0000u);
  // Every font that opened is closed again, counted ones or not.
  EXPECT_EQ(field.runs[1].format.color, 0u);
  EXPECT_EQ(field.runs[2].format.tabStops.size(), 1024u);
}

}  // namespace
}  // namespace Halvane::Movie
