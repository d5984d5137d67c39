// Arbitrary bytes as action bytecode, as an external-call request and as
// FlashVars text, against a small timeline tree.
//
// Input: byte 0 picks the movie version (1 to 16) and byte 1 the mode; the
// rest is the payload. Mode bit 0 clear: the payload runs as a frame's
// actions on the timeline that bits 1-2 pick (root, named child, child
// without a name, grandchild); the garbage collector runs, as between two
// frames; every function the run registered for external calls is called
// once; the payload runs again as the next frame's actions on what the
// first run left (its prototypes, globals and timers), the collector runs
// once more, and a few variable paths are read back.
// Mode bit 0 set: the payload is an invoke request sent to a movie with one
// registered callback, and also FlashVars text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "movie/actions/ActionCodes.h"
#include "movie/actions/ActionInterpreter.h"
#include "movie/actions/ActionPath.h"
#include "movie/actions/ExternalCall.h"
#include "movie/actions/FlashVars.h"
#include "tests/movie_actions/FakeTimeline.h"
#include "tools/ActionWriter.h"

using namespace Halvane::Movie;
using Halvane::Movie::Testing::FakeTimeline;

namespace {

// function (a) { return a + a; } registered as "f" through
// flash.external.ExternalInterface.addCallback.
const Halvane::Tools::Bytes& RegisterProgram() {
  static const Halvane::Tools::Bytes code = [] {
    namespace Op = ActionCode;
    Halvane::Tools::ActionWriter body;
    body.PushString("a").Op(Op::GetVariable).PushString("a").Op(Op::GetVariable).Op(Op::Add2).Op(Op::Return);
    Halvane::Tools::ActionWriter w;
    w.DefineFunction("", {"a"}, body).PushNull().PushString("f").PushInteger(3);
    w.PushString("flash").Op(Op::GetVariable).PushString("external").Op(Op::GetMember);
    w.PushString("ExternalInterface").Op(Op::GetMember).PushString("addCallback").Op(Op::CallMethod);
    return w.Build();
  }();
  return code;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const int version = (data[0] & 15) + 1;
  const std::uint8_t mode = data[1];
  data += 2;
  size -= 2;

  const bool caseSensitive = VariableStore::NamesAreCaseSensitive(version);
  FakeTimeline root("", 8, caseSensitive);
  FakeTimeline& menu = root.AddChild("menu", 4);
  FakeTimeline& button = menu.AddChild("button", 2);
  root.AddChild("intro", 3);
  FakeTimeline& unnamed = root.AddChild("", 2);
  root.AddLabel("start", 1);

  ExternalCallbacks callbacks;
  ActionContext context;
  context.swfVersion = version;
  context.instructionBudget = 4000;
  context.callbacks = &callbacks;
  std::size_t traced = 0;
  context.trace = [&traced](const std::string& text) { traced += text.size(); };

  if ((mode & 1) == 0) {
    FakeTimeline* const targets[] = {&root, &menu, &unnamed, &button};
    FakeTimeline& target = *targets[(mode >> 1) & 3];
    RunActions(data, size, target, context);
    CollectGarbage(root, context);
    // Call whatever the run registered, with one argument.
    const std::vector<ExternalCallbacks::Callback> registered = callbacks.All();
    for (const auto& callback : registered) {
      context.instructionBudget = 4000;
      EncodeInvokeResult(CallActionFunction(callback.function, callback.thisValue,
                                            {ActionValue::Number(2)}, root, context),
                         version);
    }
    context.instructionBudget = 4000;
    RunTimers(root, context, 1000.0);
    context.instructionBudget = 4000;
    RunActions(data, size, target, context);
    CollectGarbage(root, context);
    std::string value;
    GetVariableText(root, "x", version, value);
    GetVariableText(root, "/menu/button:x", version, value);
    GetVariableText(root, "_root.menu._x", version, value);
  } else {
    const Halvane::Tools::Bytes& program = RegisterProgram();
    RunActions(program.data(), program.size(), root, context);
    const std::string text(reinterpret_cast<const char*>(data), size);
    InvokeRequest request;
    ParseInvokeRequest(text, request);
    std::string response;
    InvokeExternal(text, root, context, response);
    ApplyFlashVars(root, text);
    std::string value;
    SetVariableText(root, text, text, version);
    GetVariableText(root, text, version, value);
  }
  return 0;
}
