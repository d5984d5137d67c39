// Objects that load from outside the movie, as a script sees them while
// nothing can arrive: what they count and report.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "movie/actions/ActionCodes.h"
#include "tests/movie_actions/ScriptedMovie.h"
#include "tools/ActionWriter.h"

namespace Halvane::Movie {
namespace {

using Tools::ActionWriter;
namespace Op = ActionCode;

// trace(x.method())
void TraceCall(ActionWriter& w, const char* method) {
  w.PushInteger(0).PushString("x").Op(Op::GetVariable).PushString(method).Op(Op::CallMethod).Op(Op::Trace);
}

TEST(XmlLoading, BytesLoadedCountFromTheRequestAndFollowTheFields) {
  Testing::ScriptedMovie movie;
  ActionWriter w;
  w.PushString("x").PushInteger(0).PushString("XML").Op(Op::NewObject).Op(Op::SetVariable);
  TraceCall(w, "getBytesLoaded");
  w.PushString("a.xml").PushInteger(1).PushString("x").Op(Op::GetVariable).PushString("load").Op(Op::CallMethod);
  w.Op(Op::Pop);
  TraceCall(w, "getBytesLoaded");
  TraceCall(w, "getBytesTotal");
  w.PushString("x").Op(Op::GetVariable).PushString("_bytesTotal").PushInteger(9).Op(Op::SetMember);
  TraceCall(w, "getBytesTotal");
  w.PushString("x").Op(Op::GetVariable).PushString("_bytesLoaded").Op(Op::Delete).Op(Op::Pop);
  TraceCall(w, "getBytesLoaded");
  movie.Run(w);
  EXPECT_EQ(movie.traces, (std::vector<std::string>{"undefined", "0", "undefined", "9", "undefined"}));
}

TEST(Loading, LoadTakesAnyAddressAndRefusesNone) {
  struct Case {
    const char* what;
    bool styleSheet;
    int arguments;  // 0: none, 1: null, 2: an address
    const char* answer;
  };
  const Case cases[] = {
      {"XML with an address", false, 2, "true"},   {"XML with null", false, 1, "false"},
      {"XML with nothing", false, 0, "false"},     {"StyleSheet with an address", true, 2, "true"},
      {"StyleSheet with null", true, 1, "false"},  {"StyleSheet with nothing", true, 0, "false"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    Testing::ScriptedMovie movie;
    ActionWriter w;
    w.PushString("x").PushInteger(0);
    if (k.styleSheet) {
      w.PushString("TextField").Op(Op::GetVariable).PushString("StyleSheet").Op(Op::NewMethod);
    } else {
      w.PushString("XML").Op(Op::NewObject);
    }
    w.Op(Op::SetVariable);
    if (k.arguments == 2) w.PushString("a.css");
    if (k.arguments == 1) w.PushNull();
    w.PushInteger(k.arguments == 0 ? 0 : 1).PushString("x").Op(Op::GetVariable).PushString("load");
    w.Op(Op::CallMethod).Op(Op::Trace);
    movie.Run(w);
    EXPECT_EQ(movie.traces, (std::vector<std::string>{k.answer}));
  }
}

}  // namespace
}  // namespace Halvane::Movie
