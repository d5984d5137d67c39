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

}  // namespace
}  // namespace Halvane::Movie
