// A movie for action tests: a root timeline, the context its actions run in,
// and every line they trace.
#pragma once

#include <string>
#include <vector>

#include "movie/actions/ActionInterpreter.h"
#include "tests/movie_actions/FakeTimeline.h"
#include "tools/ActionWriter.h"

namespace Halvane::Movie::Testing {

struct ScriptedMovie {
  explicit ScriptedMovie(int version = 8, int totalFrames = 1) : root("", totalFrames, version >= 7) {
    context.swfVersion = version;
    context.trace = [this](const std::string& text) { traces.push_back(text); };
  }
  ScriptedMovie(const ScriptedMovie&) = delete;
  ScriptedMovie& operator=(const ScriptedMovie&) = delete;

  // Runs code on the root, or on the given target.
  ActionRunResult Run(const Tools::Bytes& code, ActionTarget* on = nullptr) {
    return RunActions(code.data(), code.size(), on ? *on : root, context);
  }
  ActionRunResult Run(const Tools::ActionWriter& program, ActionTarget* on = nullptr) {
    return Run(program.Build(), on);
  }

  FakeTimeline root;
  ActionContext context;
  std::vector<std::string> traces;
};

}  // namespace Halvane::Movie::Testing
