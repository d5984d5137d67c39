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

// A movie with one text field "t" holding "abcd".
struct Movie : Testing::ScriptedMovie {
  Movie() : field(root.AddTextField("t")) { field.SetText("abcd"); }
  TextFieldData& field;
};

// Selection.method(args...) with the arguments already pushed in reverse.
ActionWriter& CallSelection(ActionWriter& w, int argumentCount, const char* method) {
  return w.PushInteger(argumentCount).PushString("Selection").Op(Op::GetVariable).PushString(method).Op(Op::CallMethod);
}

ActionWriter& TraceSelection(ActionWriter& w) {
  for (const char* method : {"getBeginIndex", "getEndIndex", "getCaretIndex"}) {
    CallSelection(w, 0, method).Op(Op::Trace);
  }
  return w;
}

// Selection.setFocus(t); Selection.setSelection(begin, end); then the indexes.
std::vector<std::string> SelectAfterFocus(double begin, double end) {
  Movie movie;
  ActionWriter w;
  w.PushString("t").Op(Op::GetVariable);
  CallSelection(w, 1, "setFocus").Op(Op::Pop);
  w.PushDouble(end).PushDouble(begin);
  CallSelection(w, 2, "setSelection").Op(Op::Pop);
  TraceSelection(w);
  movie.Run(w);
  return movie.traces;
}

TEST(SelectionScript, IndexesFromScriptsStayInsideTheText) {
  const std::vector<std::string> none = {"0", "0", "0"};
  EXPECT_EQ(SelectAfterFocus(1, 3), (std::vector<std::string>{"1", "3", "3"}));
  EXPECT_EQ(SelectAfterFocus(3, 1), (std::vector<std::string>{"1", "3", "1"}));
  EXPECT_EQ(SelectAfterFocus(std::nan(""), 1e300), (std::vector<std::string>{"0", "4", "4"}));
  EXPECT_EQ(SelectAfterFocus(-1e300, -5), none);
  EXPECT_EQ(SelectAfterFocus(-INFINITY, INFINITY), (std::vector<std::string>{"0", "4", "4"}));
}

TEST(SelectionScript, NothingFocusedReportsNoSelectionAndIgnoresSetSelection) {
  Movie movie;
  ActionWriter w;
  w.PushInteger(2).PushInteger(1);
  CallSelection(w, 2, "setSelection").Op(Op::Pop);
  TraceSelection(w);
  // A value that is no display object cannot take the focus.
  w.PushInteger(5);
  CallSelection(w, 1, "setFocus").Op(Op::Trace);
  CallSelection(w, 0, "getFocus").Op(Op::Trace);
  movie.Run(w);
  EXPECT_EQ(movie.traces, (std::vector<std::string>{"-1", "-1", "-1", "false", "null"}));
  EXPECT_EQ(movie.field.selectionAnchor, 0);
  EXPECT_EQ(movie.field.caret, 0);
}

TEST(SelectionScript, ReplaceSelUsesASelectionLeftBeyondAShorterText) {
  Movie movie;
  movie.field.selectionAnchor = 2;
  movie.field.caret = 1000;
  ActionWriter w;
  w.PushString("|").PushInteger(1).PushString("t").Op(Op::GetVariable).PushString("replaceSel").Op(Op::CallMethod);
  w.Op(Op::Pop);
  movie.Run(w);
  EXPECT_EQ(movie.field.Text(), "ab|");
  EXPECT_EQ(movie.field.caret, 3);
  EXPECT_EQ(movie.field.selectionAnchor, 3);
}

}  // namespace
}  // namespace Halvane::Movie
