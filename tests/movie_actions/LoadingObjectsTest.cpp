// Objects that load from outside the movie, as a script sees them while
// nothing can arrive: what load answers and what they count.
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

// trace(x.method()) with arguments already pushed (count of them).
void TraceCall(ActionWriter& w, const char* method, int count = 0) {
  w.PushInteger(count).PushString("x").Op(Op::GetVariable).PushString(method).Op(Op::CallMethod).Op(Op::Trace);
}

TEST(Loading, LoadTakesAnyAddressAndXmlCountsFromItsRequest) {
  Testing::ScriptedMovie movie;
  ActionWriter w;
  w.PushString("x").PushInteger(0).PushString("TextField").Op(Op::GetVariable).PushString("StyleSheet");
  w.Op(Op::NewMethod).Op(Op::SetVariable);
  TraceCall(w.PushNull(), "load", 1);
  TraceCall(w.PushString("a.css"), "load", 1);
  w.PushString("x").PushInteger(0).PushString("XML").Op(Op::NewObject).Op(Op::SetVariable);
  TraceCall(w, "getBytesLoaded");
  TraceCall(w, "load");
  TraceCall(w.PushString("a.xml"), "load", 1);
  TraceCall(w, "getBytesLoaded");
  TraceCall(w, "getBytesTotal");
  // The counts are the object's own fields.
  w.PushString("x").Op(Op::GetVariable).PushString("_bytesTotal").PushInteger(9).Op(Op::SetMember);
  TraceCall(w, "getBytesTotal");
  movie.Run(w);
  EXPECT_EQ(movie.traces, (std::vector<std::string>{"false", "true", "undefined", "false", "true", "0",
                                                     "undefined", "9"}));
}

}  // namespace
}  // namespace Halvane::Movie
