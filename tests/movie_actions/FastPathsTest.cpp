// Work the interpreter does a shorter way in the common case must answer
// what the general way answers, above all where the short way does not
// apply: reads from one look-up (an own property of a plain object, an
// array element, a closure's variable, a character of an ASCII text) next
// to hidden properties, holes and other spellings; texts sorted by their
// first bytes next to longer texts, equal starts and non-ASCII bytes.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "movie/actions/ActionCodes.h"
#include "tests/movie_actions/ScriptedMovie.h"
#include "tools/ActionWriter.h"

namespace Halvane::Movie {
namespace {

using Tools::ActionWriter;
namespace Op = ActionCode;

struct LookupRow {
  const char* name;
  int version;
  std::function<void(ActionWriter&)> build;  // traces what it reads
  std::vector<std::string> traced;
};

// name = {} on the timeline.
void NewObject(ActionWriter& w, const char* name) {
  w.PushString(name).PushInteger(0).Op(Op::InitObject).Op(Op::SetVariable);
}

// object.member = text, object a variable or "Object.prototype".
void SetText(ActionWriter& w, const char* object, const char* member, const char* text) {
  if (std::string(object) == "Object.prototype") {
    w.PushString("Object").Op(Op::GetVariable).PushString("prototype").Op(Op::GetMember);
  } else {
    w.PushString(object).Op(Op::GetVariable);
  }
  w.PushString(member).PushString(text).Op(Op::SetMember);
}

void TraceMember(ActionWriter& w, const char* object, const std::function<void(ActionWriter&)>& member) {
  w.PushString(object).Op(Op::GetVariable);
  member(w);
  w.Op(Op::GetMember).Op(Op::Trace);
}

// outer() { var Kk = "closure"; return function () { return <read>; }; }
// called, and its answer called.
void TraceClosureRead(ActionWriter& w, const char* read) {
  ActionWriter inner;
  inner.PushString(read).Op(Op::GetVariable).Op(Op::Return);
  ActionWriter outer;
  outer.PushString("Kk").PushString("closure").Op(Op::DefineLocal);
  outer.DefineFunction("", {}, inner).Op(Op::Return);
  w.DefineFunction("outer", {}, outer);
  w.PushInteger(0).PushInteger(0).PushString("outer").Op(Op::CallFunction).PushUndefined();
  w.Op(Op::CallMethod).Op(Op::Trace);
}

// text.charAt(i) for each i, traced.
void TraceCharacters(ActionWriter& w, const char* text, const std::vector<int>& at) {
  for (const int i : at) {
    w.PushInteger(i).PushInteger(1).PushString(text).PushString("charAt").Op(Op::CallMethod).Op(Op::Trace);
  }
}

TEST(ActionLookups, ShortReadsAnswerAsTheGeneralPath) {
  const std::vector<LookupRow> rows = {
      {"own value of a plain object", 8,
       [](ActionWriter& w) {
         NewObject(w, "o");
         SetText(w, "o", "x", "own");
         TraceMember(w, "o", [](ActionWriter& m) { m.PushString("x"); });
       },
       {"own"}},
      {"own property hidden from this version reads the prototype's", 8,
       [](ActionWriter& w) {
         NewObject(w, "o");
         SetText(w, "o", "x", "own");
         SetText(w, "Object.prototype", "x", "proto");
         // ASSetPropFlags(o, "x", Version9)
         w.PushInteger(1 << 13).PushString("x").PushString("o").Op(Op::GetVariable).PushInteger(3);
         w.PushString("ASSetPropFlags").Op(Op::CallFunction).Op(Op::Pop);
         TraceMember(w, "o", [](ActionWriter& m) { m.PushString("x"); });
       },
       {"proto"}},
      {"__proto__ of a plain object", 8,
       [](ActionWriter& w) {
         NewObject(w, "o");
         w.PushString("o").Op(Op::GetVariable).PushString("__proto__").Op(Op::GetMember);
         w.PushString("Object").Op(Op::GetVariable).PushString("prototype").Op(Op::GetMember);
         w.Op(Op::StrictEquals).Op(Op::Trace);
       },
       {"true"}},
      {"array elements by number, a hole read through the prototypes", 8,
       [](ActionWriter& w) {
         w.PushString("a").PushInteger(0).Op(Op::InitArray).Op(Op::SetVariable);
         w.PushString("a").Op(Op::GetVariable).PushInteger(0).PushString("first").Op(Op::SetMember);
         w.PushString("a").Op(Op::GetVariable).PushInteger(3).PushString("last").Op(Op::SetMember);
         SetText(w, "Object.prototype", "2", "inherited");
         for (const int i : {0, 2, 3, 4}) TraceMember(w, "a", [i](ActionWriter& m) { m.PushInteger(i); });
         TraceMember(w, "a", [](ActionWriter& m) { m.PushDouble(0.5); });
       },
       {"first", "inherited", "last", "undefined", "undefined"}},
      {"closure variable spelled otherwise, case-insensitive movie", 6,
       [](ActionWriter& w) { TraceClosureRead(w, "kK"); }, {"closure"}},
      {"closure variable spelled otherwise, case-sensitive movie", 7,
       [](ActionWriter& w) { TraceClosureRead(w, "kK"); }, {"undefined"}},
      {"closure variable spelled as defined", 7,
       [](ActionWriter& w) { TraceClosureRead(w, "Kk"); }, {"closure"}},
      {"characters of ASCII and of other texts", 8,
       [](ActionWriter& w) {
         TraceCharacters(w, "ab", {0, 1, 2, -1});
         TraceCharacters(w, "x\xC3\xA9y", {1, 2});
         // Two reads of one character are equal texts.
         w.PushInteger(0).PushInteger(1).PushString("ab").PushString("charAt").Op(Op::CallMethod);
         w.PushInteger(1).PushInteger(1).PushString("ba").PushString("charAt").Op(Op::CallMethod);
         w.Op(Op::StrictEquals).Op(Op::Trace);
       },
       {"a", "b", "", "", "\xC3\xA9", "y", "true"}},
  };
  for (const LookupRow& row : rows) {
    SCOPED_TRACE(row.name);
    Testing::ScriptedMovie movie(row.version);
    ActionWriter w;
    row.build(w);
    EXPECT_EQ(movie.Run(w), ActionRunResult::Completed);
    EXPECT_EQ(movie.traces, row.traced);
  }
}

// Method calls on texts remember where _global holds String; that memory
// must follow the global object as it grows, loses String and gets it back.
TEST(ActionLookups, TextsFindTheGlobalStringClassAfterTheGlobalsChange) {
  const auto lengthOfText = [](ActionWriter& w) {
    w.PushString("abc").PushString("length").Op(Op::GetMember).Op(Op::Trace);
  };
  const auto global = [](ActionWriter& w) { w.PushString("_global").Op(Op::GetVariable); };
  Testing::ScriptedMovie movie(8);
  ActionWriter w;
  w.PushString("saved").PushString("String").Op(Op::GetVariable).Op(Op::SetVariable);
  lengthOfText(w);
  // Enough new globals that the table grows and its entries move.
  for (int i = 0; i < 64; ++i) {
    global(w);
    w.PushString("g" + std::to_string(i)).PushInteger(i).Op(Op::SetMember);
  }
  lengthOfText(w);
  global(w);
  w.PushString("String").Op(Op::Delete).Op(Op::Pop);
  lengthOfText(w);
  global(w);
  w.PushString("String").PushString("saved").Op(Op::GetVariable).Op(Op::SetMember);
  lengthOfText(w);
  EXPECT_EQ(movie.Run(w), ActionRunResult::Completed);
  EXPECT_EQ(movie.traces, (std::vector<std::string>{"3", "3", "undefined", "3"}));
}

TEST(ActionSorting, TextsSortInByteOrderWhateverTheirLengths) {
  // Texts, and numbers, a boolean and null, which sort as their texts.
  using Push = std::function<void(ActionWriter&)>;
  const auto text = [](const char* t) -> Push { return [t](ActionWriter& w) { w.PushString(t); }; };
  const std::vector<Push> values = {
      text("b"), text("abcdefghij"), text("abcdefghi"), text("abcdefghiz"), text("abcdefgh"), text("\xC3\xA9"),
      text("Z"), text("a"), text(""), text("abcdefghij"), text("abcdefgh\xC3\xA9"),
      [](ActionWriter& w) { w.PushInteger(10); }, [](ActionWriter& w) { w.PushInteger(9); },
      [](ActionWriter& w) { w.PushDouble(100); }, [](ActionWriter& w) { w.PushBoolean(true); },
      [](ActionWriter& w) { w.PushNull(); }};
  const std::string ascending =
      ",10,100,9,Z,a,abcdefgh,abcdefghi,abcdefghij,abcdefghij,abcdefghiz,abcdefgh\xC3\xA9,b,null,true,\xC3\xA9";
  const std::string descending =
      "\xC3\xA9,true,null,b,abcdefgh\xC3\xA9,abcdefghiz,abcdefghij,abcdefghij,abcdefghi,abcdefgh,a,Z,9,100,10,";
  for (const bool down : {false, true}) {
    SCOPED_TRACE(down ? "descending" : "ascending");
    Testing::ScriptedMovie movie(8);
    ActionWriter w;
    for (auto it = values.rbegin(); it != values.rend(); ++it) (*it)(w);
    w.PushInteger(static_cast<std::int32_t>(values.size())).Op(Op::InitArray);
    w.PushString("a").Op(Op::StackSwap).Op(Op::SetVariable);
    // a.sort(down ? Array.DESCENDING : 0); trace(a.join(","))
    w.PushInteger(down ? 2 : 0).PushInteger(1).PushString("a").Op(Op::GetVariable).PushString("sort");
    w.Op(Op::CallMethod).Op(Op::Pop);
    w.PushString(",").PushInteger(1).PushString("a").Op(Op::GetVariable).PushString("join").Op(Op::CallMethod);
    w.Op(Op::Trace);
    EXPECT_EQ(movie.Run(w), ActionRunResult::Completed);
    EXPECT_EQ(movie.traces, std::vector<std::string>{down ? descending : ascending});
  }
}

}  // namespace
}  // namespace Halvane::Movie
