#include "support/TestMovies.h"

#include <string>

#include "movie/actions/ActionCodes.h"
#include "tools/ActionWriter.h"
#include "tools/SwfTags.h"

namespace Halvane::Testing {

Tools::Bytes ScriptedThreeFrameMovie(bool compressed) {
  namespace Op = Movie::ActionCode;
  using Tools::ActionWriter;
  ActionWriter echo;
  echo.PushString("echo ").PushString("what").Op(Op::GetVariable).Op(Op::Add2).Op(Op::Return);
  ActionWriter first;
  first.PushString("greeting").PushString("hello").Op(Op::SetVariable);
  first.PushString("long").PushString(std::string(300, 'x')).Op(Op::SetVariable);
  first.DefineFunction("", {"what"}, echo).PushNull().PushString("echo").PushInteger(3);
  first.PushString("flash.external.ExternalInterface").Op(Op::GetVariable);
  first.PushString("addCallback").Op(Op::CallMethod).Op(Op::Pop);
  Tools::SwfBuilder movie;
  movie.SetVersion(8).SetFrameSize(320 * 20, 240 * 20).SetFrameRate(12);
  for (int frame = 0; frame < 3; ++frame) {
    ActionWriter actions;
    if (frame == 0) actions = first;
    actions.PushString("frame").PushInteger(frame).Op(Op::SetVariable);
    movie.AddTag(Tools::kDoActionTag, Tools::DoAction(actions.Build())).ShowFrame();
  }
  return movie.End().Build(compressed);
}

}  // namespace Halvane::Testing
