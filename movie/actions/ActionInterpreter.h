// The interpreter of the movie's action bytecode (DoAction, DoInitAction,
// clip events and the bodies of defined functions) with the object model of
// the language and its built-in classes.
//
// All bytecode is untrusted. Every read is bounds-checked; a jump outside
// the block ends the block; an action the interpreter does not know is
// skipped by its length field; the stack, the call depth, string lengths,
// the heap and array lengths are capped; each executed action spends one
// unit of the context's instruction budget (actions that walk long texts or
// arrays spend more), and a run stops when the budget is spent, so an
// endless loop in a movie ends with the frame.
//
// Called on the control's worker thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "movie/actions/ActionTarget.h"
#include "movie/actions/ActionValue.h"

namespace Halvane::Movie {

class ExternalCallbacks;
class ScriptRuntime;

// What a run needs beyond its target. The control keeps one per movie.
struct ActionContext {
  // Actions per frame: at the interpreter's speed, about a second of work.
  static constexpr std::size_t DefaultBudget = 4000000;
  static constexpr std::size_t MaxStack = 4096;
  // Calls nesting deeper than this stop the run, as the platform's player
  // stops a script that recurses without end.
  static constexpr int MaxCallDepth = 256;
  static constexpr std::size_t MaxStringLength = 1 << 20;

  ActionContext();
  ~ActionContext();
  ActionContext(const ActionContext&) = delete;
  ActionContext& operator=(const ActionContext&) = delete;

  int swfVersion = 10;
  // Instructions left; RunActions spends from it and the control refills it
  // at each frame (DefaultBudget), so one frame's actions share one budget.
  std::size_t instructionBudget = DefaultBudget;
  // Receives the text of each trace action; may be empty.
  std::function<void(const std::string&)> trace;
  // Milliseconds since the movie started, for getTimer and the timers; may
  // be empty (0).
  std::function<std::uint32_t()> elapsedMilliseconds;
  // The wall clock for Date: milliseconds since 1970-01-01 UTC, and the
  // local time's offset from UTC in minutes at a given time. Empty: the
  // system clock, and UTC as the local time.
  std::function<double()> currentTime;
  std::function<int(double)> localOffsetMinutes;
  // Texts of movies before version 6 are in the code page of the system
  // that plays them; this gives their UTF-8. Empty: taken as they are.
  std::function<std::string(const std::string&)> legacyText;
  // State of the generator behind RandomNumber and Math.random; set it for
  // repeatable runs.
  std::uint32_t randomState = 0x2545F491u;
  // Where ExternalInterface.addCallback registers; may be null (the
  // registration is then ignored).
  ExternalCallbacks* callbacks = nullptr;
  // The extent of a field's text (pixels) as the control lays it out, so
  // that textWidth and autoSize match the picture; false (or unset) where
  // the control cannot tell, and the actions estimate it.
  std::function<bool(const TextFieldData& field, double& width, double& height)> measureText;
  // The stage size in pixels (Stage.width, System.capabilities).
  int stageWidth = 550;
  int stageHeight = 400;
  // The movie file's length (getBytesTotal).
  std::size_t movieBytes = 0;

  // The movie's objects and built-ins, made by the first run.
  std::unique_ptr<ScriptRuntime> runtime;
  ScriptRuntime& Runtime();
};

enum class ActionRunResult {
  Completed,        // reached the end, an End action, a jump out of the block or an uncaught throw
  BudgetExhausted,  // the instruction budget ran out
  Faulted,          // malformed bytecode or a cap reached; what ran stays done
};

// Runs one action block on target (the timeline whose frame holds it).
ActionRunResult RunActions(const std::uint8_t* code, std::size_t size,
                           ActionTarget& target, ActionContext& context);

// Calls a function value with a this value and arguments, on the timeline
// tree of root; answers its return value (undefined when it returns none,
// faults or is not a function). Used by external calls.
ActionValue CallActionFunction(const ActionValue& function, const ActionValue& thisValue,
                               const std::vector<ActionValue>& arguments,
                               ActionTarget& root, ActionContext& context);

// Calls the method name of target's script object (onEnterFrame, onLoad,
// ...) when it has one that is a function; false when it has none.
bool CallTargetMethod(ActionTarget& target, const std::string& name,
                      const std::vector<ActionValue>& arguments, ActionContext& context);

// Whether target's script object has a function called name (without
// calling anything).
bool TargetHasMethod(ActionTarget& target, const std::string& name, ActionContext& context);

// Gives a new instance of an exported symbol its class: the prototype of
// the constructor registered for symbol (Object.registerClass), and
// (ConstructTarget) calls the constructor on it. No effect without a
// registered class.
void SetTargetClass(ActionTarget& target, const std::string& symbol, ActionContext& context);
void ConstructTarget(ActionTarget& target, const std::string& symbol, ActionContext& context);

// Calls the timers of setInterval and setTimeout that are due at the
// movie time now (milliseconds), each at most once.
void RunTimers(ActionTarget& root, ActionContext& context, double now);

// Calls the handlers deferred until the actions of the moment were done
// (ScriptRuntime::deferredCalls); false when there were none. Handlers
// these calls defer wait for the next call.
bool RunDeferredCalls(ActionTarget& root, ActionContext& context);

// Frees the objects the movie can no longer reach: call between runs,
// never during one.
void CollectGarbage(ActionTarget& root, ActionContext& context);

}  // namespace Halvane::Movie
