// The interpreter behind RunActions and the other entry points of
// ActionInterpreter.h. Internal to the actions layer: nothing outside
// movie/actions includes this header.
//
// One Interpreter serves one run: the actions of one block and everything
// they call (functions of the movie, the built-ins, getters, watchers), with
// one value stack. The run loop (ActionInterpreter.cpp) reads each action and
// hands it to the function of its group; the group table (ActionGroups.cpp)
// says which action codes each group handles. Names, scopes, members and
// calls live in InterpreterLookup.cpp and InterpreterCalls.cpp, conversions
// and comparisons in InterpreterValues.cpp; the built-in classes in the
// Builtin*.cpp files, which reach the interpreter through NativeCall.
//
// A run ends its block normally, by an exception nobody catches (the block
// ends, the run goes on with the next block), or by a stop that ends
// everything the run is doing: the budget is spent, a cap is reached,
// calls nest too deep, or the bytecode is malformed.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "movie/actions/ActionBlock.h"
#include "movie/actions/ActionInterpreter.h"
#include "movie/actions/ActionPath.h"
#include "movie/actions/ScriptObject.h"
#include "movie/actions/ScriptRuntime.h"
#include "movie/actions/ScriptText.h"
#include "movie/actions/ValueStack.h"
#include "movie/swf/SwfReader.h"

namespace Halvane::Movie {

namespace Interpreting {
class Interpreter;
}

// Arguments of a call, wherever they lie: on the value stack (first
// argument on top, so stepping down) or in an array.
//
// Sixteen bytes, so that it travels between calls in two registers: a
// larger one goes through memory, written field by field and read back
// whole, which stalls the processor at every call. No call has anywhere
// near 2^32 arguments (the stack and apply cap them far below).
class ArgList {
 public:
  ArgList() = default;
  ArgList(const ActionValue* first, std::size_t count, int step = 1)
      : first_(first),
        count_(count < 0xFFFFFFFFu ? static_cast<std::uint32_t>(count) : 0xFFFFFFFFu),
        step_(step) {}
  explicit ArgList(const std::vector<ActionValue>& values) : ArgList(values.data(), values.size()) {}
  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  const ActionValue& operator[](std::size_t i) const { return first_[static_cast<std::ptrdiff_t>(i) * step_]; }
  std::vector<ActionValue> ToVector() const {
    std::vector<ActionValue> out;
    out.reserve(count_);
    for (std::size_t i = 0; i < count_; ++i) out.push_back((*this)[i]);
    return out;
  }

 private:
  const ActionValue* first_ = nullptr;
  std::uint32_t count_ = 0;
  std::int32_t step_ = 1;
};
static_assert(sizeof(ArgList) <= 16, "an argument list travels in two registers");

// What a native function gets.
class NativeCall {
 public:
  NativeCall(Interpreting::Interpreter& vm, const ActionValue& thisValue, ArgList args,
             FunctionObject* callee)
      : vm(vm), thisValue(thisValue), args(args), callee(callee) {}

  Interpreting::Interpreter& vm;
  const ActionValue& thisValue;
  ArgList args;
  FunctionObject* callee;
  // Called as super() of a subclass (or by new on a fresh object): a
  // built-in class may then make this an instance of its own.
  bool constructing = false;

  std::size_t Count() const { return args.size(); }
  const ActionValue& Arg(std::size_t i) const {
    static const ActionValue undefined;
    return i < args.size() ? args[i] : undefined;
  }
  bool Has(std::size_t i) const { return i < args.size(); }
  ScriptObject* This() const { return thisValue.ObjectValue(); }
  int Tag() const { return callee ? callee->tag : 0; }
};

namespace Interpreting {

// The super object of a method or a constructor, with this unchanged:
// super() calls the __constructor__ found from home, super.x looks from the
// super object's own prototype. For a method found on an object, super()
// starts at that object and super.x at its prototype; for a constructor of
// class C, super() starts at C.prototype and super.x above it. When home
// is on this's prototype chain, super() looks at the same place of the
// chain as it is at the call: a script that gives this another __proto__
// before calling super() reaches the new one's __constructor__.
class SuperObject final : public ScriptObject {
 public:
  SuperObject(bool caseSensitive, ActionValue thisValue, ScriptObject* home)
      : ScriptObject(ObjectKind::Plain, caseSensitive), thisValue(std::move(thisValue)), home(home) {
    MarkSuper();
  }
  ActionValue thisValue;
  ScriptObject* home;
  int homeDepth = -1;  // home's place on this's chain (1: this.__proto__); -1: not on it
  void Trace(GcMarker& marker) override;
};

// o as the super object it is, or null. Asked at every member access and
// method call, so a flag of the object rather than a test of its type
// (which compares type names where the toolchain does not merge them).
inline SuperObject* AsSuper(ScriptObject* o) {
  if (o == nullptr || !o->IsSuper()) return nullptr;
  return static_cast<SuperObject*>(o);
}

// Text bytes one run may create (strings built, pushed or copied). With
// shared texts, this bounds what a run can allocate even though every
// action is cheap.
constexpr std::size_t MaxRunAllocation = 16u << 20;
// Nested calls of the getter and setter of one property (addProperty):
// past this many the call is not made (the property reads undefined, the
// assignment is dropped). A property deleted and defined again counts anew.
constexpr int MaxAccessorDepth = 65;

// How a range of actions ended.
enum class Flow : std::uint8_t {
  Normal,  // reached its end, or jumped out of the range (see exitPc)
  Return,  // a Return action
  Throw,   // an exception, held by the interpreter
  Stop,    // the run stops (budget, cap, malformed code, too deep)
};

// One executing block: the actions of a frame or of a clip event, or one
// call of a function.
struct Frame {
  const std::uint8_t* code = nullptr;
  std::size_t begin = 0;
  std::size_t end = 0;
  // The block (code is its bytes), and who holds it: functions defined in
  // it share it. Held elsewhere (by the run of a frame's block or by the
  // function called), since frames are many and short.
  ActionBlock* block = nullptr;
  const std::shared_ptr<ActionBlock>* blockHolder = nullptr;
  // Whether the copy of the block for its functions has been counted
  // against the run's allocations (once per run of a frame's block).
  bool blockCharged = false;
  // The constant pool in force, held by the function called or, once a
  // ConstantPool action ran here, by ownPool.
  const std::vector<ActionValue>* pool = nullptr;
  const std::shared_ptr<const std::vector<ActionValue>>* poolHolder = nullptr;
  std::shared_ptr<const std::vector<ActionValue>> ownPool;

  ActionTarget* original = nullptr;  // the timeline the block runs on
  ActionTarget* current = nullptr;   // after SetTarget; null when it named nothing
  // Scopes, innermost first: the objects of open with blocks, the
  // function's activation (its locals, made on first need), the chain the
  // function was defined in; then the timeline (current) and _global.
  std::vector<ScriptObject*> withs;
  ScriptObject* activation = nullptr;
  ScopeNode* outer = nullptr;
  bool isFunction = false;

  FunctionObject* callee = nullptr;
  FunctionObject* caller = nullptr;  // the function that made the call, if any
  ActionValue thisValue;
  // Where the method was found, or for a constructor the prototype of its
  // class (see SuperObject).
  ScriptObject* home = nullptr;
  bool constructing = false;
  ArgList args;
  ActionValue argumentsValue;    // made on first use
  // Whether this, arguments and super answer by name (a DefineFunction2
  // function that suppresses or preloads one does not have it by name).
  bool thisByName = true;
  bool argumentsByName = true;
  bool superByName = true;
  std::size_t registerBase = 0;
  std::size_t registerCount = 0;
  ActionValue returnValue;
};

// An action as the run loop hands it to its group: the code, the payload
// (bounds-checked), the payload's length and where the next action starts.
// A group that jumps moves next.
struct Action {
  std::uint8_t code = 0;
  SwfReader payload;
  std::size_t length = 0;
  std::size_t start = 0;
  std::size_t next = 0;
};

// What an action leaves for the run loop: nothing, and the loop goes on at
// the action's next; or the flow that ends the range.
using Outcome = std::optional<Flow>;
inline constexpr std::nullopt_t GoOn = std::nullopt;

class Interpreter {
 public:
  Interpreter(ActionTarget& root, ActionContext& context);
  ~Interpreter();
  Interpreter(const Interpreter&) = delete;
  Interpreter& operator=(const Interpreter&) = delete;

  ScriptRuntime& Runtime() { return rt_; }
  ActionContext& Context() { return context_; }
  ActionTarget& RootTarget() { return root_; }
  int Version() const { return version_; }
  bool CaseSensitive() const { return caseSensitive_; }

  // --- Entry points (ActionInterpreter.cpp).
  ActionRunResult RunBlock(const std::uint8_t* code, std::size_t size, ActionTarget& target,
                           const ActionValue& thisValue = ActionValue());
  // Calls function with this and the arguments; undefined when it is no
  // function. Afterwards Stopped() or Throwing() tell a call that ended
  // abnormally. home is the object the function was found on (for super).
  ActionValue Call(const ActionValue& function, const ActionValue& thisValue, ArgList args,
                   ScriptObject* home = nullptr, bool constructing = false);
  // new function(args): a new object whose prototype is function.prototype,
  // made by the function.
  ActionValue Construct(const ActionValue& function, ArgList args);
  // Calls the method name of object (found through its prototypes).
  ActionValue CallMethod(const ActionValue& object, const ActionValue& name, ArgList args);
  ActionValue CallMethod(const ActionValue& object, const char* name, ArgList args);
  ActionRunResult ResultOfRun() const;
  // Ends an exception that nothing caught, writing it to the debug output
  // as the player does.
  void ReportUncaught();

  // --- State of the run.
  bool Stopped() const { return stop_ != StopReason::None; }
  bool Throwing() const { return throwing_; }
  bool Abnormal() const { return throwing_ || stop_ != StopReason::None; }
  void Throw(ActionValue value) {
    thrown_ = std::move(value);
    throwing_ = true;
  }
  // An error of the built-ins: throws a new Error with message.
  void ThrowError(const std::string& message);
  ActionValue TakeThrown() {
    throwing_ = false;
    return std::move(thrown_);
  }
  void Fault() { Stop(StopReason::Fault); }
  // Counts new text against the run's allocation cap.
  bool Charge(std::size_t bytes) {
    if (bytes > ActionContext::MaxStringLength || bytes > MaxRunAllocation - allocated_) {
      Fault();
      return false;
    }
    allocated_ += bytes;
    return true;
  }
  // Work that walks a text or an array costs budget by its size as well, so
  // that no single action can stretch a frame far beyond its budget.
  void Work(std::size_t units) {
    context_.instructionBudget = units >= context_.instructionBudget ? 0 : context_.instructionBudget - units;
  }
  bool BudgetLeft() const { return context_.instructionBudget > 0; }

  // --- Values (InterpreterValues.cpp). These call valueOf and toString of
  // objects as the language does.
  // valueOf's answer when it is a primitive, else the object itself.
  ActionValue ValueOf(const ActionValue& v);
  ActionValue ToPrimitive(const ActionValue& v, bool preferString);
  std::string Text(const ActionValue& v);
  // A text of the movie's actions as UTF-8 (older movies: from the code page).
  std::string MovieText(std::string text);
  double Number(const ActionValue& v);
  bool Truth(const ActionValue& v) { return v.IsBoolean() ? v.BooleanValue() : v.ToBoolean(version_); }
  ActionValue StringValue(std::string text) {
    if (!Charge(text.size())) return ActionValue();
    return ActionValue::String(std::move(text));
  }
  // Objects for primitives (new String etc. semantics for member access);
  // null for undefined and null.
  ScriptObject* ToObject(const ActionValue& v);
  // A member of a boolean, number or text is looked up on an object made by
  // the class the global object names Boolean, Number or String at that
  // moment (its getter called, no __resolve). Answers false when that is
  // the class as installed: the primitive then answers through the
  // installed prototype without a wrapper made. Otherwise wrapper is what
  // new of that class gave for the value, or undefined when it names no
  // function or gave no object.
  bool WrapPrimitive(const ActionValue& v, ActionValue& wrapper);
  bool LooseEquals(const ActionValue& a, const ActionValue& b);
  // Movies from version 6 see NaN equal to NaN, as the platform's player does.
  static bool StrictEquals(const ActionValue& a, const ActionValue& b, int swfVersion = 10);
  // a < b: true, false, or undefined when either is NaN.
  ActionValue LessThan(const ActionValue& a, const ActionValue& b);
  // The text of a value as trace prints it.
  std::string TraceText(const ActionValue& v);

  // --- Objects and members (InterpreterLookup.cpp).
  ClipObject* ClipOf(ActionTarget& t) { return rt_.ClipOf(t); }
  ActionValue ClipValue(ActionTarget& t) { return ActionValue::Object(rt_.ClipOf(t)); }
  // The live target a clip value stands for (resolved by path when the
  // instance it was made from is gone); null when none.
  ActionTarget* TargetOf(const ActionValue& v);
  ActionTarget* TargetOfObject(ScriptObject* o);
  // Member access as GetMember / SetMember do it, with getters, setters,
  // watchers and __resolve.
  ActionValue GetMember(const ActionValue& object, const ActionValue& name);
  // The GetMember action on the stack: name on top, the object under it.
  void PopAndGetMember() {
    const std::size_t size = stack_.size();
    if (size >= base_ + 2) {
      if (const ActionValue* own = OwnValue(stack_[size - 2], stack_[size - 1])) {
        // Neither pop can touch the object's table.
        stack_.pop_back();
        stack_.back() = *own;
        return;
      }
      double length = 0;
      if (ArrayLengthOf(stack_[size - 2], stack_[size - 1], length)) {
        stack_.pop_back();
        stack_.back() = ActionValue::Number(length);
        return;
      }
    }
    const ActionValue name = Pop();
    const ActionValue object = Pop();
    Push(GetMember(object, name));
  }
  // What GetMember answers without running anything: a plain value of a
  // plain object's own property or an array's element, found as
  // LookUpMember finds them first. Null when only the general path can
  // tell (no such property, an accessor, __proto__, another kind).
  const ActionValue* OwnValue(const ActionValue& object, const ActionValue& name) {
    if (object.Type() != ActionValueType::Object) return nullptr;
    ScriptObject* o = object.ObjectValue();
    if (o->Kind() == ObjectKind::Plain) {
      const ScriptString* rep = name.StringRep();
      if (rep == nullptr || o->IsSuper()) return nullptr;
      const VariableStore::Entry* e = o->Properties().FindEntry(*rep);
      // A name with the hash of __proto__ may be that name.
      if (e == nullptr || e->Accessor() || !PropertyFlag::VisibleTo(e->flags, version_) ||
          rep->Hash(caseSensitive_) == protoHash_) {
        return nullptr;
      }
      return &e->value;
    }
    if (o->Kind() == ObjectKind::Array && name.IsNumber()) {
      const auto* array = static_cast<const ArrayObject*>(o->Core());
      const double d = name.NumberValue();
      if (array->shadowed || !(d >= 0 && d < 4294967295.0 && d == std::floor(d))) return nullptr;
      const auto index = static_cast<std::uint32_t>(d);
      if (index >= array->elements.size() || array->elements[index].order == 0) return nullptr;
      return &array->elements[index].value;
    }
    return nullptr;
  }
  // An array's length as GetMember reads it, when the name is the shared
  // text "length" (a constant of the pool) and no addProperty on the
  // array shadows it.
  bool ArrayLengthOf(const ActionValue& object, const ActionValue& name, double& length) const {
    if (object.Type() != ActionValueType::Object || name.StringRep() != rt_.names.length.StringRep()) return false;
    const ScriptObject* o = object.ObjectValue();
    if (o->Kind() != ObjectKind::Array) return false;
    const auto* array = static_cast<const ArrayObject*>(o->Core());
    if (array->shadowed) return false;
    length = array->length;
    return true;
  }
  // The same without asking __resolve for a member not found: the
  // conversions look up valueOf and toString so.
  ActionValue GetMemberUnresolved(const ActionValue& object, const ActionValue& name);
  ActionValue GetMember(const ActionValue& object, const char* name);
  void SetMember(const ActionValue& object, const ActionValue& name, ActionValue value);
  void SetMember(const ActionValue& object, const char* name, ActionValue value);
  bool DeleteMember(ScriptObject* object, const ActionValue& name);
  // The property name found on object or its prototypes: the entry and the
  // object holding it. Looks at plain properties only (no timeline
  // properties, no children).
  VariableStore::Entry* FindProperty(ScriptObject* object, const ActionValue& name, ScriptObject** holder);
  // Whether object or an object above it may hold a getter or setter.
  bool ChainMayHoldAccessors(ScriptObject* object) const;
  // The own property of object (display properties and children of
  // timelines included); false when there is none.
  bool GetOwn(ScriptObject* object, const ActionValue& thisValue, const ActionValue& name, ActionValue& out);
  // Whether the object or its prototypes have the property.
  bool HasProperty(ScriptObject* object, const ActionValue& name);
  bool HasOwnProperty(ScriptObject* object, const ActionValue& name);
  // Names for for-in, newest first, prototypes after the object.
  std::vector<ActionValue> EnumerableNames(ScriptObject* object);
  // Defines a plain property, bypassing setters and read-only flags.
  void DefineValue(ScriptObject* object, const ActionValue& name, ActionValue value, std::uint16_t flags = 0);
  // Array helpers.
  double ArrayLength(ScriptObject* array);
  ActionValue ArrayGet(ArrayObject* array, std::uint32_t index);
  void ArraySet(ArrayObject* array, std::uint32_t index, ActionValue value);
  void ArraySetLength(ArrayObject* array, double length);
  ArrayObject* NewArray(const std::vector<ActionValue>& values);
  // A name as a value (string), made once per call site.
  ActionValue Name(const char* name) { return ActionValue::String(name); }
  // instanceof, and CastOp when cast is set.
  bool IsInstanceOf(const ActionValue& value, const ActionValue& constructor, bool cast = false);
  // The same for a built-in class the runtime keeps (null: no such class,
  // so nothing is an instance of it).
  bool IsInstanceOf(const ActionValue& value, ScriptObject* constructor) {
    return constructor != nullptr && IsInstanceOf(value, ActionValue::Object(constructor));
  }

  // Variables (names and paths) as the frame sees them.
  ActionValue GetVariable(Frame& f, const ActionValue& name);
  void SetVariable(Frame& f, const ActionValue& name, ActionValue value);
  // The timeline actions act on: the current target, the root when a
  // tellTarget named nothing (its variables are then out of reach).
  // The timeline the actions act on: tellTarget's, else the block's own; a
  // removed one gives way to the block's own, then to the root.
  ActionTarget& Base(Frame& f) {
    if (f.current == nullptr) return root_;
    if (!f.current->Gone()) return *f.current;
    if (f.original != nullptr && !f.original->Gone()) return *f.original;
    return root_;
  }
  ScriptObject* EnsureActivation(Frame& f);
  // Register index of the running block, or null when there is none.
  ActionValue* RegisterSlot(Frame& f, std::uint8_t index) {
    return index < f.registerCount ? &registers_[f.registerBase + index] : OuterRegisterSlot(f, index);
  }
  ActionValue* OuterRegisterSlot(Frame& f, std::uint8_t index);
  Frame* CurrentFrame() { return frames_.empty() ? nullptr : frames_.back(); }
  // The timeline that native code runs on: the current frame's, else the root.
  ActionTarget& ActiveTarget() {
    Frame* f = CurrentFrame();
    return f ? Base(*f) : root_;
  }

  // Timeline helpers shared with the MovieClip built-ins.
  void GotoValue(ActionTarget& t, const ActionValue& frame, bool play, int bias);
  bool TimelineMethod(ActionTarget& t, const std::string& name, ArgList args);

 private:
  friend class ::Halvane::Movie::NativeCall;
  enum class StopReason { None, Budget, Fault };
  void Stop(StopReason reason) {
    if (stop_ == StopReason::None) stop_ = reason;
  }

  // The groups of actions, one function each; the group table in
  // ActionGroups.cpp says which codes each one handles.
  using Group = Outcome (Interpreter::*)(Frame&, Action&);
  // null: an action without effect here. Looked up for every action run,
  // so the table is built once, before any run, and read in place.
  static Group GroupOf(std::uint8_t code) { return kGroups[code]; }
  static const std::array<Group, 256> kGroups;
  static std::array<Group, 256> MakeGroupTable();
  Outcome StackAndArithmetic(Frame& f, Action& action);
  Outcome ComparisonAndLogic(Frame& f, Action& action);
  Outcome Strings(Frame& f, Action& action);
  Outcome VariablesAndProperties(Frame& f, Action& action);
  Outcome TimelineControl(Frame& f, Action& action);
  Outcome ControlFlowAndFunctions(Frame& f, Action& action);
  Outcome Objects(Frame& f, Action& action);
  Outcome Services(Frame& f, Action& action);

  // The run loop over [start, end) of f's code (ActionInterpreter.cpp).
  Flow RunRange(Frame& f, std::size_t start, std::size_t end, std::size_t& exitPc);
  Flow RunFrame(Frame& f);
  Outcome TryBlock(Frame& f, Action& action);
  Outcome WithBlock(Frame& f, Action& action);
  // The values of a decoded Push; false when the run faults. Inline: a
  // Push is every third action or so.
  bool PushDecoded(Frame& f, const DecodedAction& action) {
    const std::uint32_t count = action.count;
    if (action.pushesText || stack_.size() + count > ActionContext::MaxStack) return PushEach(f, action);
    // Most pushes: values, constants and registers only, with room for all
    // of them, so that nothing can fail.
    const PushedValue* values = f.block->Pushes(action);
    for (std::uint32_t i = 0; i < count; ++i) stack_.push_back(PushedSource(f, values[i]));
    return !action.faultsAfter;
  }
  // What a pushed value that is no text pushes: the value, the register or
  // the constant (undefined when there is no such register or constant).
  const ActionValue& PushedSource(Frame& f, const PushedValue& v) {
    if (v.kind == PushedValue::Register) {
      if (v.index < f.registerCount) return registers_[f.registerBase + v.index];
      if (const ActionValue* slot = OuterRegisterSlot(f, static_cast<std::uint8_t>(v.index))) return *slot;
    } else if (v.kind == PushedValue::Constant && f.pool != nullptr && v.index < f.pool->size()) {
      return (*f.pool)[v.index];
    }
    return v.value;  // undefined unless a Value
  }
  // A Push whose last values are the count, the object and the name of a
  // CallMethod right after it (or the count and the name of a NewObject):
  // the call takes those from where they lie instead of the stack. false
  // (and nothing done) when that cannot be told apart from running the two
  // actions one by one.
  bool PushAndCall(Frame& f, const DecodedAction& action, std::size_t end, Flow& flow, std::size_t& exitPc,
                   std::size_t& next);
  // The same for a Push whose last values are the object and the name of a
  // GetMember right after it, or the object, the name and the value of a
  // SetMember.
  bool PushAndMember(Frame& f, const DecodedAction& action, std::size_t end);
  // A push of texts, or near the cap of the stack: value by value.
  bool PushEach(Frame& f, const DecodedAction& action);
  // Whether the actions fused to action run with it now: they end inside
  // the range that runs and the budget has one more for each (then spent).
  bool TakeFused(const DecodedAction& action, std::size_t end) {
    if (action.fused == 0 || action.fusedNext > end || context_.instructionBudget < action.fused) return false;
    context_.instructionBudget -= action.fused;
    return true;
  }
  // Which link of a decoded action the run loop fills next.
  enum class Link : std::uint8_t { Following, Jumped, Fused };
  bool RunGroup(Frame& f, const DecodedAction& decoded, std::size_t& next, Outcome& outcome);
  Flow GroupFlow(const Outcome& outcome, std::size_t& exitPc, std::size_t next) const;
  // The two values on top when both are numbers (b below a).
  bool TopNumbers(double& b, double& a) const {
    const std::size_t size = stack_.size();
    if (size < base_ + 2 || !stack_[size - 1].IsNumber() || !stack_[size - 2].IsNumber()) return false;
    b = stack_[size - 2].NumberValue();
    a = stack_[size - 1].NumberValue();
    return true;
  }
  // Replaces the two numbers on top by v.
  void ReplaceTopNumbers(ActionValue v) {
    stack_.pop_back();
    stack_.back() = std::move(v);
  }
  // The same for a number: neither value on top owns a text, so both are
  // overwritten in place.
  void ReplaceTopNumbers(double v) {
    stack_.PopPlain();
    stack_.back().SetPlainNumber(v);
  }
  bool DefineFunction(Frame& f, Action& action);
  bool SkipActions(Frame& f, std::size_t& pc, int count);
  void SetConstantPool(Frame& f, Action& action);
  ActionValue CallCode(FunctionObject& function, const ActionValue& thisValue, ArgList args, ScriptObject* home,
                       bool constructing);

  // Stack.
 public:
  ActionValue Pop() {
    if (stack_.size() <= base_) return ActionValue();
    return stack_.TakeBack();
  }
  void Push(ActionValue v) {
    if (stack_.size() >= ActionContext::MaxStack) {
      Fault();
      return;
    }
    stack_.push_back(std::move(v));
  }

 private:
  std::size_t Available() const { return stack_.size() - base_; }
  // A count popped from the stack, clamped to what the stack holds.
  std::size_t PopCount(std::size_t perItem = 1) {
    const double n = Number(Pop());
    if (!(n > 0)) return 0;
    const std::size_t limit = Available() / perItem;
    return n >= static_cast<double>(limit) ? limit : static_cast<std::size_t>(n);
  }
  // The arguments on top of the stack as a view (first on top), and
  // dropping them once the call is done.
  ArgList StackArguments(std::size_t count) const {
    if (count == 0) return ArgList();
    return ArgList(&stack_[stack_.size() - 1], count, -1);
  }
  void Drop(std::size_t count) {
    const std::size_t n = count < Available() ? count : Available();
    stack_.resize(stack_.size() - n);
  }
  void PushString(std::string s) {
    if (Charge(s.size())) Push(ActionValue::String(std::move(s)));
  }
  void PushBool(bool b) { Push(ActionValue::Boolean(b)); }
  static std::size_t TextBytes(const ActionValue& v) { return v.IsString() ? v.StringValue().size() : 0; }

  // Names (InterpreterLookup.cpp).
  bool IsPath(const std::string& name) const;
  ActionValue LookupName(Frame& f, const ActionValue& name, bool* found = nullptr, ScriptObject** where = nullptr);
  ActionValue LookupPath(Frame& f, const std::string& path);
  bool SpecialName(Frame& f, const std::string& name, ActionValue& out);
  ActionValue GetClipMember(ActionTarget& t, ClipObject* clip, const ActionValue& name, bool& found);
  bool SetClipMember(ActionTarget& t, const ActionValue& name, const ActionValue& value);
  // The accessors of property e, found on home (null: on this itself).
  ActionValue CallGetter(const VariableStore::Entry& e, const ActionValue& thisValue, ScriptObject* home = nullptr);
  void CallSetter(const VariableStore::Entry& e, const ActionValue& thisValue, const ActionValue& value,
                  ScriptObject* home = nullptr);
  ActionValue CallAccessor(const VariableStore::Entry& e, ScriptObject* accessor, const ActionValue& thisValue,
                           ArgList args, ScriptObject* home, bool* called = nullptr);
  void AssignProperty(ScriptObject* object, const ActionValue& thisValue, const ActionValue& name, ActionValue value);
  ActionValue ArgumentsOf(Frame& f);
  ActionValue SuperOf(Frame& f);
  // The Call action: runs the actions of a frame ("12", "label",
  // "path:frame") of the timeline acted on, there and then.
  void CallFrame(Frame& f, const ActionValue& frame);
  ActionValue MakeSuper(Frame& f, ScriptObject* constructorBase, ScriptObject* memberBase);
  ActionValue ResolveFallback(ScriptObject* object, const ActionValue& thisValue, const ActionValue& name);
  ActionValue LookUpMember(const ActionValue& object, const ActionValue& name, bool resolve);

  ScriptRuntime& rt_;
  ActionTarget& root_;
  ActionContext& context_;
  const int version_;
  const bool caseSensitive_;
  const std::uint32_t protoHash_;  // of "__proto__", as the property tables hash it
  ValueStack stack_;
  std::vector<ActionValue> registers_;
  std::vector<Frame*> frames_;
  std::size_t base_ = 0;
  int depth_ = 0;
  // The properties whose getter, setter or watcher is running, and how
  // often: by holder and order of definition, or by name (order 0) for a
  // watched name with no property yet.
  struct ActiveProperty {
    ScriptObject* holder;
    std::uint32_t order;
    ActionValue name;
    int calls;
  };
  std::vector<ActiveProperty> activeProperties_;
  std::size_t FindActive(ScriptObject* holder, std::uint32_t order, const ActionValue& name) const;
  // Counts one more call on the property; false (and nothing counted) past
  // MaxAccessorDepth.
  bool EnterProperty(ScriptObject* holder, std::uint32_t order, const ActionValue& name);
  void LeaveProperty(ScriptObject* holder, std::uint32_t order, const ActionValue& name);
  std::size_t allocated_ = 0;
  StopReason stop_ = StopReason::None;
  bool throwing_ = false;
  ActionValue thrown_;
};

// b % a. Loops count with whole numbers, whose remainder the integer unit
// gives at a fraction of fmod's cost; it is the same number when the
// dividend is not negative (no -0 to keep).
inline double Remainder(double b, double a) {
  constexpr double kExact = 9007199254740992.0;  // 2^53
  if (b >= 0 && b < kExact && a != 0 && a > -kExact && a < kExact && b == std::trunc(b) && a == std::trunc(a)) {
    return static_cast<double>(static_cast<std::int64_t>(b) % static_cast<std::int64_t>(a));
  }
  return std::fmod(b, a);
}

// The registers of a frame.
inline ActionValue* RegistersOf(std::vector<ActionValue>& registers, const Frame& f) {
  return registers.data() + f.registerBase;
}

}  // namespace Interpreting
}  // namespace Halvane::Movie
