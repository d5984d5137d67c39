// The interpreter of the movie's action bytecode (DoAction and the bodies
// of defined functions): timeline control, variables, arithmetic,
// comparison, logic, strings, jumps, and functions enough for external
// callbacks.
//
// All bytecode is untrusted. Every read is bounds-checked; a jump outside
// the block ends the block; an action the interpreter does not know is
// skipped by its length field; the stack, the call depth and string lengths
// are capped; each executed action spends one unit of the context's
// instruction budget, and a run stops when the budget is spent, so an
// endless loop in a movie ends with the frame.
//
// Called on the control's worker thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "movie/actions/ActionTarget.h"
#include "movie/actions/ActionValue.h"

namespace Halvane::Movie {

class ExternalCallbacks;

// A function defined by DefineFunction or DefineFunction2. It keeps a copy
// of its body and of the constant pool in force where it was defined, so it
// outlives the action block that defined it.
struct ActionFunction {
  std::string name;
  std::vector<std::string> parameters;
  // DefineFunction2: the register each parameter goes to (0: none), the
  // register count and the flags word (preload/suppress this, arguments,
  // super, _root, _parent, _global).
  std::vector<std::uint8_t> parameterRegisters;
  bool hasRegisters = false;  // defined by DefineFunction2
  std::uint8_t registerCount = 0;
  std::uint16_t flags = 0;
  std::vector<std::uint8_t> body;
  std::vector<std::string> constantPool;
  // The timeline it was defined on (dot target path); its variables are the
  // function's outer scope. A function whose timeline is gone runs on the root.
  std::string definerPath;
  // The same timeline, valid only for the interpreter run definerRun that
  // defined the function (an instance without a name has no usable path).
  ActionTarget* definerTarget = nullptr;
  std::uint64_t definerRun = 0;
};

// What a run needs beyond its target. The control keeps one per movie.
struct ActionContext {
  static constexpr std::size_t DefaultBudget = 200000;
  static constexpr std::size_t MaxStack = 4096;
  static constexpr int MaxCallDepth = 32;
  static constexpr std::size_t MaxStringLength = 1 << 20;

  int swfVersion = 10;
  // Instructions left; RunActions spends from it and the control refills it
  // at each frame (DefaultBudget), so one frame's actions share one budget.
  std::size_t instructionBudget = DefaultBudget;
  // Receives the text of each trace action; may be empty.
  std::function<void(const std::string&)> trace;
  // Milliseconds since the movie started, for GetTime; may be empty (0).
  std::function<std::uint32_t()> elapsedMilliseconds;
  // State of the generator behind RandomNumber; set it for repeatable runs.
  std::uint32_t randomState = 0x2545F491u;
  // Where ExternalInterface.addCallback registers; may be null (the
  // registration is then ignored).
  ExternalCallbacks* callbacks = nullptr;
};

enum class ActionRunResult {
  Completed,        // reached the end, an End action or a jump out of the block
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

}  // namespace Halvane::Movie
