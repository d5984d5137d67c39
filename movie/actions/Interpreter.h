// The interpreter behind RunActions and CallActionFunction (see
// ActionInterpreter.h for what they promise). Internal to the actions layer:
// nothing outside movie/actions includes this header.
//
// One Interpreter serves one run: the actions of one block and every
// function they call, with one value stack, one allocation count and one
// run id. The run loop (ActionInterpreter.cpp) reads each action and hands
// it to the function of its group; the group table (ActionGroups.cpp) says
// which action codes each group handles. Names, members, methods and the
// comparisons live in InterpreterLookup.cpp.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "movie/actions/ActionInterpreter.h"
#include "movie/actions/ActionPath.h"
#include "movie/swf/SwfReader.h"

namespace Halvane::Movie::Interpreting {

// Text bytes one run may create (strings built, pushed or copied into
// functions). With shared texts, this bounds what a run can allocate even
// though every action is cheap.
constexpr std::size_t MaxRunAllocation = 16u << 20;

// One executing block: the actions of a frame, or one call of a function.
struct Scope {
  const std::uint8_t* code = nullptr;
  std::size_t size = 0;
  std::vector<std::string> ownPool;
  const std::vector<std::string>* pool = &ownPool;
  ActionTarget* original = nullptr;  // the timeline the block belongs to
  ActionTarget* current = nullptr;   // after SetTarget; null when it named nothing
  VariableStore* locals = nullptr;   // a function's own variables
  std::vector<ActionValue> registers;
  ActionValue thisValue;
  ActionValue returnValue;
};

// One action as the run loop hands it to its group: the code, the payload
// (bounds-checked), the payload's length and where the next action starts.
// A group that jumps moves next.
struct Action {
  std::uint8_t code = 0;
  SwfReader payload;
  std::size_t length = 0;
  std::size_t next = 0;
};

// What an action leaves for the run loop: nothing, and the loop goes on at
// the action's next; or the result that ends the block.
using Outcome = std::optional<ActionRunResult>;
inline constexpr std::nullopt_t GoOn = std::nullopt;

// Strings, timeline references, functions and objects compare and add as
// texts; everything else as numbers.
bool IsPrimitiveString(const ActionValue& v);

class Interpreter {
 public:
  Interpreter(ActionTarget& root, ActionContext& context)
      : root_(root),
        context_(context),
        version_(context.swfVersion),
        caseSensitive_(VariableStore::NamesAreCaseSensitive(context.swfVersion)) {}

  ActionRunResult Run(Scope& scope);
  ActionValue Call(const ActionValue& function, const ActionValue& thisValue,
                   const std::vector<ActionValue>& arguments, ActionRunResult& result);

 private:
  // The groups of actions, one function each; the group table in
  // ActionGroups.cpp says which codes each one handles.
  using Group = Outcome (Interpreter::*)(Scope&, Action&);
  static Group GroupOf(std::uint8_t code);  // null: an action without effect here
  Outcome StackAndArithmetic(Scope& s, Action& action);
  Outcome ComparisonAndLogic(Scope& s, Action& action);
  Outcome Strings(Scope& s, Action& action);
  Outcome VariablesAndProperties(Scope& s, Action& action);
  Outcome TimelineControl(Scope& s, Action& action);
  Outcome ControlFlowAndFunctions(Scope& s, Action& action);
  Outcome Objects(Scope& s, Action& action);
  Outcome Services(Scope& s, Action& action);

  // Stack.
  ActionValue Pop() {
    if (stack_.size() <= base_) return ActionValue();
    ActionValue v = std::move(stack_.back());
    stack_.pop_back();
    return v;
  }
  void Push(ActionValue v) {
    if (stack_.size() >= ActionContext::MaxStack) {
      failed_ = true;
      return;
    }
    stack_.push_back(std::move(v));
  }
  std::size_t Available() const { return stack_.size() - base_; }
  // A count popped from the stack, clamped to what the stack holds.
  std::size_t PopCount(std::size_t perItem = 1) {
    const double n = Number(Pop());
    if (!(n > 0)) return 0;
    const std::size_t limit = Available() / perItem;
    return n >= static_cast<double>(limit) ? limit : static_cast<std::size_t>(n);
  }
  std::vector<ActionValue> PopArguments() {
    const std::size_t n = PopCount();
    std::vector<ActionValue> args;
    args.reserve(n);
    for (std::size_t i = 0; i < n; ++i) args.push_back(Pop());
    return args;
  }
  // Counts new text against the run's allocation cap.
  bool Charge(std::size_t bytes) {
    if (bytes > ActionContext::MaxStringLength || bytes > MaxRunAllocation - allocated_) {
      failed_ = true;
      return false;
    }
    allocated_ += bytes;
    return true;
  }
  // Work that walks a text costs budget by its length as well, so that a
  // loop over a long text cannot stretch a frame far beyond its budget.
  void Work(std::size_t bytes) {
    const std::size_t units = bytes / 256;
    context_.instructionBudget =
        units >= context_.instructionBudget ? 0 : context_.instructionBudget - units;
  }
  static std::size_t TextBytes(const ActionValue& v) {
    return v.Type() == ActionValueType::String || v.Type() == ActionValueType::MovieClip
               ? v.StringValue().size()
               : 0;
  }
  std::string Text(const ActionValue& v) {
    Work(TextBytes(v));
    return v.ToString(version_);
  }
  double Number(const ActionValue& v) {
    Work(TextBytes(v));
    return v.ToNumber(version_);
  }
  bool Truth(const ActionValue& v) {
    Work(TextBytes(v));
    return v.ToBoolean(version_);
  }
  void PushString(std::string s) {
    if (Charge(s.size())) Push(ActionValue::String(std::move(s)));
  }
  void PushBool(bool b) {
    // Movies before version 5 have no booleans: their comparisons give 1 or 0.
    Push(version_ >= 5 ? ActionValue::Boolean(b) : ActionValue::Number(b ? 1 : 0));
  }

  ActionTarget& Base(Scope& s) { return s.current ? *s.current : *s.original; }
  ActionValue ClipValue(ActionTarget& t) { return ActionValue::MovieClip(DotTargetPath(t), &t, runId_); }
  ActionTarget* ClipTarget(const ActionValue& v) {
    if (v.Type() != ActionValueType::MovieClip) return nullptr;
    if (ActionTarget* t = v.RunTarget(runId_)) return t;
    return ResolveTarget(root_, root_, v.TargetPath(), caseSensitive_);
  }
  ActionTarget* TargetOf(Scope& s, const ActionValue& v) {
    if (v.Type() == ActionValueType::MovieClip) return ClipTarget(v);
    const std::string path = Text(v);
    if (path.empty()) return &Base(s);
    return ResolveTarget(root_, Base(s), path, caseSensitive_);
  }

  // Names, members and methods (InterpreterLookup.cpp).
  ActionValue Lookup(Scope& s, const std::string& name);
  ActionValue LookupPlain(Scope& s, const std::string& name);
  void Assign(Scope& s, const std::string& name, ActionValue value);
  ActionValue GetMember(const ActionValue& object, const std::string& name);
  void SetMember(const ActionValue& object, const std::string& name, ActionValue value);
  ActionValue CallMethod(const ActionValue& object, const std::string& name,
                         const std::vector<ActionValue>& args, ActionRunResult& result);
  bool TimelineMethod(ActionTarget& t, const std::string& name, const std::vector<ActionValue>& args);
  void GotoValue(ActionTarget& t, const ActionValue& frame, bool play, int bias);
  // The conversion functions of the global scope (Number, String, Boolean,
  // isNaN, isFinite, parseInt, parseFloat); false for any other name.
  bool GlobalFunction(const std::string& name, const std::vector<ActionValue>& args, ActionValue& value);
  bool LooseEquals(const ActionValue& a, const ActionValue& b, int depth = 0);
  static bool StrictEquals(const ActionValue& a, const ActionValue& b);
  void Compare(bool greater);

  // Payloads and blocks (ActionInterpreter.cpp).
  bool PushValues(Scope& s, SwfReader& r);
  bool DefineFunction(Scope& s, Action& action);
  bool SkipActions(Scope& s, std::size_t& pc, int count);

  ActionTarget& root_;
  ActionContext& context_;
  const int version_;
  const bool caseSensitive_;
  std::vector<ActionValue> stack_;
  std::size_t base_ = 0;
  int depth_ = 0;
  std::size_t allocated_ = 0;
  bool failed_ = false;
  // Tells this run's timeline references from those of earlier runs.
  const std::uint64_t runId_ = NextRunId();

  static std::uint64_t NextRunId() {
    static std::atomic<std::uint64_t> counter{0};
    return ++counter;
  }
};

}  // namespace Halvane::Movie::Interpreting
