#include "movie/actions/ActionInterpreter.h"

#include <cstring>
#include <memory>
#include <utility>

#include "movie/actions/ActionCodes.h"
#include "movie/actions/ExternalCall.h"
#include "movie/actions/Interpreter.h"
#include "movie/actions/TextFieldData.h"

namespace Halvane::Movie {

namespace Interpreting {

namespace {

// Registers of a block outside functions.
constexpr std::size_t kGlobalRegisters = 4;

}  // namespace

Interpreter::Interpreter(ActionTarget& root, ActionContext& context)
    : rt_(context.Runtime()),
      root_(root),
      context_(context),
      version_(context.swfVersion),
      caseSensitive_(VariableStore::NamesAreCaseSensitive(context.swfVersion)),
      protoHash_(ScriptString::HashName("__proto__", caseSensitive_)),
      // A run inside a run makes its own stack.
      stack_(rt_.spareStack, ActionContext::MaxStack + 1) {
  registers_.reserve(64);
}

Interpreter::~Interpreter() { stack_.GiveBack(rt_.spareStack); }

ActionRunResult Interpreter::ResultOfRun() const {
  switch (stop_) {
    case StopReason::None: return ActionRunResult::Completed;
    case StopReason::Budget: return ActionRunResult::BudgetExhausted;
    case StopReason::Fault: return ActionRunResult::Faulted;
  }
  return ActionRunResult::Faulted;
}

ActionRunResult Interpreter::RunBlock(const std::uint8_t* code, std::size_t size, ActionTarget& target,
                                      const ActionValue& thisValue) {
  if (Stopped()) return ResultOfRun();
  const std::shared_ptr<ActionBlock> block = rt_.blocks.Find(code, size);
  Frame f;
  f.block = block.get();
  f.blockHolder = &block;
  f.code = f.block->Data();
  f.begin = 0;
  f.end = f.block->Size();
  f.original = &target;
  f.current = &target;
  f.thisValue = thisValue;
  f.registerBase = registers_.size();
  f.registerCount = kGlobalRegisters;
  registers_.resize(f.registerBase + f.registerCount);
  const std::size_t savedBase = base_;
  base_ = stack_.size();
  RunFrame(f);
  stack_.resize(base_);
  base_ = savedBase;
  registers_.resize(f.registerBase);
  // An exception nobody caught ends its block, not the run.
  ReportUncaught();
  return ResultOfRun();
}

void Interpreter::ReportUncaught() {
  if (!throwing_) return;
  const ActionValue thrown = TakeThrown();
  // The value's text may itself throw (a toString that throws): that one
  // is dropped, the first is reported.
  const std::string text = TraceText(thrown);
  if (throwing_) TakeThrown();
  if (context_.trace && !Stopped()) context_.trace("Warning: Uncaught exception, " + text);
}

Flow Interpreter::RunFrame(Frame& f) {
  frames_.push_back(&f);
  std::size_t exit = f.begin;
  const Flow flow = RunRange(f, f.begin, f.end, exit);
  frames_.pop_back();
  return flow;
}

// Each action is decoded once (ActionBlock); the loop follows the links
// between decoded actions that earlier runs made, and runs the common
// actions on numbers itself. Anything else goes to the group of its code,
// which reads the payload from the block's bytes.
Flow Interpreter::RunRange(Frame& f, std::size_t start, std::size_t end, std::size_t& exitPc) {
  ActionBlock& block = *f.block;
  std::size_t pc = start;
  // The action at pc when a link knows it, and the link to fill when not.
  std::int32_t at = -1;
  std::int32_t linkFrom = -1;
  Link link = Link::Following;
  // Only a group, a call or a member access can stop the run, and the loop
  // returns right after those: asking once before it is enough.
  if (pc < end && stop_ != StopReason::None) return Flow::Stop;
  std::size_t& budget = context_.instructionBudget;
  const std::size_t frameEnd = f.end;
  // Set by each group that runs, read only when it ends the range.
  Outcome outcome;
  while (pc < end) {
    if (budget == 0) {
      Stop(StopReason::Budget);
      return Flow::Stop;
    }
    --budget;

    if (at < 0) {
      at = block.IndexAt(static_cast<std::uint32_t>(pc));
      if (linkFrom >= 0) {
        DecodedAction& from = block[linkFrom];
        (link == Link::Following ? from.following : link == Link::Jumped ? from.jumped : from.fusedFollowing) = at;
      }
    }
    const std::int32_t index = at;
    // Valid until something runs that may decode more of the block (a call,
    // a group): past that point the action is read through index.
    const DecodedAction& action = block[index];
    if (action.next > frameEnd) {
      Fault();  // the record runs past the block or the function
      return Flow::Stop;
    }
    const std::size_t following = action.next;
    std::size_t next = following;
    bool jumped = false;
    double a = 0;
    double b = 0;
    // Runs the action's group, which says where the run goes on. Through a
    // copy: a variable whose address a call takes lives in memory, and
    // next is written at every step.
    const auto group = [&]() {
      std::size_t after = next;
      const bool goOn = RunGroup(f, action, after, outcome);
      next = after;
      return goOn;
    };
    // Where the run goes on after a fused If (taken or not) or Jump.
    const auto branch = [&](bool taken) {
      const std::int64_t target = action.fusedTarget;
      if (!taken) {
        next = action.fusedNext;
      } else if (target < static_cast<std::int64_t>(f.begin) || target > static_cast<std::int64_t>(f.end)) {
        next = f.end;
      } else {
        next = static_cast<std::size_t>(target);
        jumped = true;
      }
    };
    switch (action.form) {
      case ActionForm::End:
        exitPc = f.end;  // the whole block ends, whatever range this is
        return Flow::Normal;
      case ActionForm::Push:
        if (action.fused == 0) {
          // Nothing runs with it (most pushes before a group).
          if (!PushDecoded(f, action)) {
            Fault();
            exitPc = next;
            return Flow::Stop;
          }
          break;
        }
        if (action.fusedOp == ActionCode::CallMethod || action.fusedOp == ActionCode::NewObject) {
          Flow flow = Flow::Normal;
          std::size_t after = next;
          if (PushAndCall(f, action, end, flow, exitPc, after)) {
            if (flow != Flow::Normal) return flow;
            next = after;
            break;
          }
        }
        if (action.fusedOp == ActionCode::GetMember || action.fusedOp == ActionCode::SetMember) {
          if (PushAndMember(f, action, end)) {
            if (throwing_) return Flow::Throw;
            if (stop_ != StopReason::None) return Flow::Stop;
            next = block[index].fusedNext;
            break;
          }
        }
        if (!PushDecoded(f, action)) {
          Fault();
          exitPc = next;
          return Flow::Stop;
        }
        if (action.fused == 0 || action.fusedOp == ActionCode::CallMethod ||
            action.fusedOp == ActionCode::SetMember || action.fusedOp == ActionCode::NewObject) {
          break;
        }
        if (action.fusedOp == ActionCode::GetMember) {
          // the object, the name or both pushed before
          if (!TakeFused(action, end)) break;
          next = action.fusedNext;
          PopAndGetMember();
          if (throwing_) return Flow::Throw;
          if (stop_ != StopReason::None) return Flow::Stop;
          break;
        }
        // Comparisons and arithmetic on numbers; on anything else the
        // actions run one by one.
        if (action.fusedOp == ActionCode::Less2 || action.fusedOp == ActionCode::Equals2) {
          if (!TopNumbers(b, a) || !TakeFused(action, end)) break;
          const bool result = action.fusedOp == ActionCode::Less2
                                  ? b < a
                                  : b == a || (version_ >= 6 && std::isnan(a) && std::isnan(b));
          stack_.PopPlain();
          stack_.PopPlain();
          branch(result != action.fusedNegate);
          break;
        }
        if (action.fusedOp == ActionCode::Increment || action.fusedOp == ActionCode::Decrement) {
          if (!Available() || !stack_.back().IsNumber() || !TakeFused(action, end)) break;
          a = stack_.back().NumberValue();
          stack_.back().SetPlainNumber(action.fusedOp == ActionCode::Increment ? a + 1 : a - 1);
        } else {
          if (!TopNumbers(b, a) || !TakeFused(action, end)) break;
          switch (action.fusedOp) {
            case ActionCode::Add2: ReplaceTopNumbers(b + a); break;
            case ActionCode::Subtract: ReplaceTopNumbers(b - a); break;
            case ActionCode::Multiply: ReplaceTopNumbers(b * a); break;
            default: ReplaceTopNumbers(Remainder(b, a)); break;
          }
        }
        if (action.fused == 1) {
          next = action.fusedNext;
          break;
        }
        // and StoreRegister, Pop, maybe Jump
        if (ActionValue* slot = RegisterSlot(f, action.fusedRegister)) *slot = stack_.back();
        stack_.pop_back();
        if (action.fusedCode == ActionCode::Jump) branch(true);
        else next = action.fusedNext;
        break;
      case ActionForm::Pop:
        Pop();
        break;
      case ActionForm::StoreRegister:
        if (ActionValue* slot = RegisterSlot(f, static_cast<std::uint8_t>(action.operand))) {
          *slot = Available() ? stack_.back() : ActionValue();
        }
        if (TakeFused(action, end)) {
          // and Pop, and maybe Jump
          if (Available()) stack_.pop_back();
          if (action.fusedCode == ActionCode::Jump) branch(true);
          else next = action.fusedNext;
        }
        break;
      case ActionForm::If:
        if (!Truth(Pop())) break;
        [[fallthrough]];
      case ActionForm::Jump: {
        // A jump outside the block ends the block.
        const std::int64_t target = action.operand;
        if (target < static_cast<std::int64_t>(f.begin) || target > static_cast<std::int64_t>(f.end)) {
          next = f.end;
        } else {
          next = static_cast<std::size_t>(target);
          jumped = true;
        }
        break;
      }
      // Numbers only; Divide by zero in the first generation gives text.
      case ActionForm::Add2:
        if (TopNumbers(b, a)) ReplaceTopNumbers(b + a);
        else if (!group()) return GroupFlow(outcome, exitPc, next);
        break;
      case ActionForm::Subtract:
        if (TopNumbers(b, a)) ReplaceTopNumbers(b - a);
        else if (!group()) return GroupFlow(outcome, exitPc, next);
        break;
      case ActionForm::Multiply:
        if (TopNumbers(b, a)) ReplaceTopNumbers(b * a);
        else if (!group()) return GroupFlow(outcome, exitPc, next);
        break;
      case ActionForm::Divide:
        if (TopNumbers(b, a) && (a != 0 || version_ >= 5)) ReplaceTopNumbers(b / a);
        else if (!group()) return GroupFlow(outcome, exitPc, next);
        break;
      case ActionForm::Modulo:
        if (TopNumbers(b, a)) ReplaceTopNumbers(Remainder(b, a));
        else if (!group()) return GroupFlow(outcome, exitPc, next);
        break;
      case ActionForm::Less2:
        // NaN gives undefined, which branches as false.
        if (TopNumbers(b, a)) {
          if (TakeFused(action, end)) {
            stack_.PopPlain();
            stack_.PopPlain();
            branch((b < a) != action.fusedNegate);
          } else {
            ReplaceTopNumbers(std::isnan(a) || std::isnan(b) ? ActionValue() : ActionValue::Boolean(b < a));
          }
        } else if (!group()) {
          return GroupFlow(outcome, exitPc, next);
        }
        break;
      case ActionForm::Equals2:
        // Movies from version 6 see NaN equal to NaN.
        if (TopNumbers(b, a)) {
          const bool equal = b == a || (version_ >= 6 && std::isnan(a) && std::isnan(b));
          if (TakeFused(action, end)) {
            stack_.PopPlain();
            stack_.PopPlain();
            branch(equal != action.fusedNegate);
          } else {
            ReplaceTopNumbers(ActionValue::Boolean(equal));
          }
        } else if (!group()) {
          return GroupFlow(outcome, exitPc, next);
        }
        break;
      case ActionForm::Step:
        if (Available() && stack_.back().IsNumber()) {
          a = stack_.back().NumberValue();
          stack_.back().SetPlainNumber(action.code == ActionCode::Increment ? a + 1 : a - 1);
        } else if (!group()) {
          return GroupFlow(outcome, exitPc, next);
        }
        break;
      case ActionForm::Not:
        // With nothing to pop, Not's push can meet a full stack: that one
        // runs on its own.
        if (Available() && TakeFused(action, end)) {
          branch(!Truth(Pop()));
        } else {
          PushBool(!Truth(Pop()));
        }
        break;
      case ActionForm::GetMember: {
        PopAndGetMember();
        if (throwing_) return Flow::Throw;
        if (stop_ != StopReason::None) return Flow::Stop;
        break;
      }
      case ActionForm::SetMember: {
        ActionValue value = Pop();
        const ActionValue name = Pop();
        const ActionValue object = Pop();
        SetMember(object, name, std::move(value));
        if (throwing_) return Flow::Throw;
        if (stop_ != StopReason::None) return Flow::Stop;
        break;
      }
      case ActionForm::Return:
        f.returnValue = Pop();
        exitPc = f.end;
        return Flow::Return;
      case ActionForm::Group:
        if (!group()) return GroupFlow(outcome, exitPc, next);
        break;
#if defined(__GNUC__)
      default:
        // The decoder gives every action one of the forms above: the jump
        // table needs no range check.
        __builtin_unreachable();
#endif
    }
    const DecodedAction& done = block[index];
    if (next == following) {
      at = done.following;
      linkFrom = index;
      link = Link::Following;
    } else if (jumped) {
      at = done.jumped;
      linkFrom = index;
      link = Link::Jumped;
    } else if (done.fused != 0 && next == done.fusedNext) {
      at = done.fusedFollowing;
      linkFrom = index;
      link = Link::Fused;
    } else {
      at = -1;
      linkFrom = -1;
    }
    pc = next;
    // A jump back out of this range (one past its end ends the loop).
    if (pc < start) break;
  }
  exitPc = pc;
  return stop_ != StopReason::None ? Flow::Stop : Flow::Normal;
}

bool Interpreter::PushAndCall(Frame& f, const DecodedAction& action, std::size_t end, Flow& flow, std::size_t& exitPc,
                              std::size_t& next) {
  // Pushed one by one, the values could meet the cap of the stack; a count
  // that is no number would be converted by a call of its own.
  const bool method = action.fusedOp == ActionCode::CallMethod;
  const std::uint32_t pushed = action.count - (method ? 3 : 2);
  const PushedValue* values = f.block->Pushes(action);
  if (stack_.size() + action.count > ActionContext::MaxStack) return false;
  const ActionValue& countValue = PushedSource(f, values[pushed]);
  if (!countValue.IsNumber() || !TakeFused(action, end)) return false;
  const double wanted = countValue.NumberValue();
  const ActionValue object = method ? PushedSource(f, values[pushed + 1]) : ActionValue();
  const ActionValue name = PushedSource(f, values[method ? pushed + 2 : pushed + 1]);
  for (std::uint32_t i = 0; i < pushed; ++i) stack_.push_back(PushedSource(f, values[i]));
  const std::size_t after = action.fusedNext;  // action may move once the call decodes more
  // As PopCount clamps it.
  std::size_t count = 0;
  if (wanted > 0) count = wanted >= static_cast<double>(Available()) ? Available() : static_cast<std::size_t>(wanted);
  ActionValue value;
  if (method) {
    value = CallMethod(object, name, StackArguments(count));
  } else {
    const ActionValue constructor = GetVariable(f, name);
    value = Construct(constructor, StackArguments(count));
  }
  Drop(count);
  if (throwing_) {
    exitPc = after;
    flow = Flow::Throw;
    return true;
  }
  Push(std::move(value));
  if (stop_ != StopReason::None) flow = Flow::Stop;
  next = after;
  return true;
}

bool Interpreter::PushAndMember(Frame& f, const DecodedAction& action, std::size_t end) {
  // Pushed one by one, the values could meet the cap of the stack.
  const bool set = action.fusedOp == ActionCode::SetMember;
  const std::uint32_t taken = set ? 3 : 2;
  if (action.count < taken || action.pushesText) return false;
  const std::uint32_t pushed = action.count - taken;
  const PushedValue* values = f.block->Pushes(action);
  if (stack_.size() + action.count > ActionContext::MaxStack || !TakeFused(action, end)) return false;
  if (!set) {
    // Pushing copies into the stack changes neither the registers, the
    // pool nor any object, so the object, the name and what they find
    // are read in place.
    const ActionValue& object = PushedSource(f, values[pushed]);
    const ActionValue& name = PushedSource(f, values[pushed + 1]);
    const ActionValue* own = OwnValue(object, name);
    double length = 0;
    if (own != nullptr || ArrayLengthOf(object, name, length)) {
      for (std::uint32_t i = 0; i < pushed; ++i) stack_.push_back(PushedSource(f, values[i]));
      if (own != nullptr) stack_.push_back(*own);
      else stack_.push_back(ActionValue::Number(length));
      return true;
    }
    if (object.IsString() && name.StringRep() == rt_.names.length.StringRep()) {
      // A text's length, as LookUpMember reads it: unless _global's String
      // is not the class installed, the text answers itself.
      const ActionValue text = object;
      const ActionValue lengthName = name;
      for (std::uint32_t i = 0; i < pushed; ++i) stack_.push_back(PushedSource(f, values[i]));
      ActionValue wrapper;
      if (!WrapPrimitive(text, wrapper)) {
        stack_.push_back(ActionValue::Number(static_cast<double>(Utf16Length(*text.StringRep()))));
      } else {
        Push(wrapper.IsObject() ? GetMember(wrapper, lengthName) : ActionValue());
      }
      return true;
    }
  }
  const ActionValue object = PushedSource(f, values[pushed]);
  const ActionValue name = PushedSource(f, values[pushed + 1]);
  ActionValue value = set ? PushedSource(f, values[pushed + 2]) : ActionValue();
  for (std::uint32_t i = 0; i < pushed; ++i) stack_.push_back(PushedSource(f, values[i]));
  if (set) SetMember(object, name, std::move(value));
  else Push(GetMember(object, name));
  return true;
}

// Runs the group of a decoded action; false when the range ends there
// (GroupFlow then says how). next is where the run goes on.
bool Interpreter::RunGroup(Frame& f, const DecodedAction& decoded, std::size_t& next, Outcome& outcome) {
  // An action without a group is unknown or has no effect here: it is
  // skipped by its length.
  const Group group = GroupOf(decoded.code);
  if (group == nullptr) return true;
  Action action;
  action.code = decoded.code;
  action.start = decoded.start;
  action.length = decoded.length;
  action.payload = SwfReader(f.code + decoded.payload, decoded.length);
  action.next = decoded.next;
  outcome = (this->*group)(f, action);
  next = action.next;
  return !outcome && !throwing_ && stop_ == StopReason::None;
}

Flow Interpreter::GroupFlow(const Outcome& outcome, std::size_t& exitPc, std::size_t next) const {
  if (outcome) {
    exitPc = next;
    return *outcome;
  }
  return throwing_ ? Flow::Throw : Flow::Stop;
}


// Try: the try body, then the catch body when something was thrown, then
// the finally body whatever happened; a return, a throw or a jump out of
// finally overrides what came before it.
Outcome Interpreter::TryBlock(Frame& f, Action& action) {
  SwfReader& r = action.payload;
  const std::uint8_t flags = r.U8();
  const std::uint16_t trySize = r.U16();
  const std::uint16_t catchSize = r.U16();
  const std::uint16_t finallySize = r.U16();
  const bool catchInRegister = (flags & 4) != 0;
  std::uint8_t catchRegister = 0;
  std::string catchName;
  if (catchInRegister) catchRegister = r.U8();
  else catchName = r.String();
  if (r.Failed()) {
    Fault();
    return Flow::Stop;
  }
  const bool hasCatch = (flags & 1) != 0;
  const bool hasFinally = (flags & 2) != 0;
  const std::size_t tryStart = action.next;
  const std::size_t catchStart = tryStart + trySize;
  const std::size_t finallyStart = catchStart + (hasCatch ? catchSize : 0);
  const std::size_t after = finallyStart + (hasFinally ? finallySize : 0);
  if (after > f.end) {
    Fault();
    return Flow::Stop;
  }

  const std::size_t height = stack_.size();
  std::size_t exit = catchStart;
  Flow flow = RunRange(f, tryStart, catchStart, exit);
  std::size_t continueAt = exit == catchStart ? after : exit;
  if (flow == Flow::Throw && hasCatch) {
    // What the try block pushed is dropped; what it popped stays popped.
    if (stack_.size() > height) stack_.resize(height);
    ActionValue caught = TakeThrown();
    if (catchInRegister) {
      if (catchRegister < f.registerCount) registers_[f.registerBase + catchRegister] = std::move(caught);
    } else if (f.isFunction) {
      DefineValue(EnsureActivation(f), ActionValue::String(catchName), std::move(caught));
    } else {
      SetVariable(f, ActionValue::String(catchName), std::move(caught));
    }
    exit = finallyStart;
    flow = RunRange(f, catchStart, finallyStart, exit);
    continueAt = exit == finallyStart ? after : exit;
  }
  if (hasFinally && flow != Flow::Stop) {
    // What the try or catch left is set aside while finally runs.
    const bool wasThrowing = throwing_;
    ActionValue pending = wasThrowing ? TakeThrown() : ActionValue();
    ActionValue returned = f.returnValue;
    std::size_t finallyExit = after;
    const Flow finallyFlow = RunRange(f, finallyStart, after, finallyExit);
    if (finallyFlow != Flow::Normal || finallyExit != after) {
      flow = finallyFlow;
      continueAt = finallyExit;
    } else {
      if (wasThrowing) Throw(std::move(pending));
      f.returnValue = std::move(returned);
    }
  }
  if (flow != Flow::Normal) return flow;
  action.next = continueAt;
  return GoOn;
}

Outcome Interpreter::WithBlock(Frame& f, Action& action) {
  const std::uint16_t size = action.payload.U16();
  if (action.payload.Failed() || size > f.end - action.next) {
    Fault();
    return Flow::Stop;
  }
  const ActionValue v = Pop();
  ScriptObject* object = ToObject(v);
  const std::size_t start = action.next;
  const std::size_t end = start + size;
  if (object == nullptr) {
    // with of nothing skips its body.
    action.next = end;
    return GoOn;
  }
  // Scopes are capped with the stack: a with nested without end stops.
  if (f.withs.size() >= ActionContext::MaxStack) {
    Fault();
    return Flow::Stop;
  }
  f.withs.push_back(object);
  std::size_t exit = end;
  const Flow flow = RunRange(f, start, end, exit);
  f.withs.pop_back();
  if (flow != Flow::Normal) return flow;
  action.next = exit;
  return GoOn;
}

std::string Interpreter::MovieText(std::string text) {
  if (version_ >= 6 || !context_.legacyText) return text;
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return context_.legacyText(text);
  }
  return text;
}

ActionValue* Interpreter::OuterRegisterSlot(Frame& f, std::uint8_t index) {
  // A register beyond a function's own is one of the blocks it runs in.
  for (std::size_t i = frames_.size(); i > 0; --i) {
    Frame* outer = frames_[i - 1];
    if (outer == &f) continue;
    if (index < outer->registerCount) return &registers_[outer->registerBase + index];
  }
  return nullptr;
}

// A push of texts, or near the cap of the stack: value by value.
bool Interpreter::PushEach(Frame& f, const DecodedAction& action) {
  const PushedValue* values = f.block->Pushes(action);
  const std::uint32_t count = action.count;
  const std::size_t height = stack_.size();
  const ActionValue* pool = f.pool != nullptr ? f.pool->data() : nullptr;
  const std::size_t poolSize = f.pool != nullptr ? f.pool->size() : 0;
  // Room for every value: only a text can stop the run (its allocation).
  const bool room = height + count <= ActionContext::MaxStack;
  for (std::uint32_t i = 0; i < count; ++i) {
    const PushedValue& v = values[i];
    switch (v.kind) {
      case PushedValue::Value:
        if (room) {
          stack_.push_back(v.value);
          continue;
        }
        Push(v.value);
        break;
      case PushedValue::Text:
        if (v.ascii || version_ >= 6 || !context_.legacyText) {
          if (Charge(v.value.StringValue().size())) Push(v.value);
        } else {
          PushString(MovieText(v.value.StringValue()));
        }
        break;
      case PushedValue::Constant: {
        const bool inPool = v.index < poolSize;
        if (room) {
          if (inPool) stack_.push_back(pool[v.index]);
          else stack_.emplace_back();
          continue;
        }
        Push(inPool ? pool[v.index] : ActionValue());
        break;
      }
      case PushedValue::Register: {
        ActionValue* slot = RegisterSlot(f, static_cast<std::uint8_t>(v.index));
        if (room) {
          if (slot != nullptr) stack_.push_back(*slot);
          else stack_.emplace_back();
          continue;
        }
        Push(slot != nullptr ? *slot : ActionValue());
        break;
      }
    }
    if (Stopped()) return false;
  }
  return !action.faultsAfter;
}

void Interpreter::SetConstantPool(Frame& f, Action& action) {
  const std::uint16_t count = action.payload.U16();
  auto pool = std::make_shared<std::vector<ActionValue>>();
  pool->reserve(count);
  for (std::uint16_t i = 0; i < count && !action.payload.Failed(); ++i) {
    pool->push_back(rt_.Name(MovieText(action.payload.String())));
  }
  if (action.payload.Failed() || !Charge(action.length)) {
    Fault();
    return;
  }
  f.ownPool = std::move(pool);
  f.pool = f.ownPool.get();
  f.poolHolder = &f.ownPool;
}

bool Interpreter::DefineFunction(Frame& f, Action& action) {
  SwfReader& r = action.payload;
  const bool second = action.code == ActionCode::DefineFunction2;
  const std::size_t next = action.next;
  auto code = std::make_shared<FunctionCode>();
  code->name = MovieText(r.String());
  const std::uint16_t count = r.U16();
  if (second) {
    code->secondForm = true;
    code->registerCount = r.U8();
    code->flags = r.U16();
  }
  for (std::uint16_t i = 0; i < count && !r.Failed(); ++i) {
    if (second) code->parameterRegisters.push_back(r.U8());
    code->parameters.push_back(ActionValue::String(MovieText(r.String())));
  }
  const std::uint16_t codeSize = r.U16();
  if (r.Failed() || codeSize > f.end - next) return false;
  if (!f.blockCharged) {
    // Functions outlive the block and share it; it counts against the run
    // as the copy it once was.
    if (!Charge(f.end)) return false;
    f.blockCharged = true;
  }
  code->block = *f.blockHolder;
  code->begin = next;
  code->size = codeSize;
  if (f.poolHolder) code->pool = *f.poolHolder;
  action.next = next + codeSize;  // the body is not run where it stands

  FunctionObject* function = rt_.NewFunction();
  if (function == nullptr) {
    Fault();
    return true;
  }
  function->code = code;
  function->definer = ClipOf(Base(f));
  if (version_ >= 6) {
    // The chain the function sees: open with blocks, this call's locals and
    // what this call sees in turn; outside functions, the timeline.
    ScopeNode* chain = nullptr;
    if (f.isFunction) {
      chain = rt_.NewScope(EnsureActivation(f), f.outer);
    } else {
      chain = rt_.NewScope(ClipOf(Base(f)), nullptr);
    }
    for (ScriptObject* w : f.withs) chain = rt_.NewScope(w, chain, true);
    function->scope = chain;
  }

  ActionValue value = ActionValue::Object(function);
  if (code->name.empty()) {
    Push(std::move(value));
  } else if (f.isFunction) {
    DefineValue(EnsureActivation(f), ActionValue::String(code->name), std::move(value));
  } else {
    SetVariable(f, ActionValue::String(code->name), std::move(value));
  }
  return true;
}

// Steps over count whole actions (for WaitForFrame); false when they run
// past the block.
bool Interpreter::SkipActions(Frame& f, std::size_t& pc, int count) {
  for (int i = 0; i < count; ++i) {
    if (pc >= f.end) return false;
    const std::uint8_t code = f.code[pc++];
    if (code >= 0x80) {
      if (f.end - pc < 2) return false;
      const std::size_t length = f.code[pc] | (f.code[pc + 1] << 8);
      pc += 2;
      if (length > f.end - pc) return false;
      pc += length;
    }
  }
  return true;
}

ActionValue Interpreter::Call(const ActionValue& functionValue, const ActionValue& thisValue, ArgList args,
                              ScriptObject* home, bool constructing) {
  ScriptObject* object = functionValue.ObjectValue();
  if (object == nullptr || !object->IsFunction() || Abnormal()) return ActionValue();
  auto* function = static_cast<FunctionObject*>(object);
  if (depth_ >= ActionContext::MaxCallDepth) {
    Fault();
    return ActionValue();
  }
  ++depth_;
  ActionValue result;
  if (function->native != nullptr) {
    NativeCall call(*this, thisValue, args, function);
    call.constructing = constructing;
    result = function->native(call);
  } else if (function->code) {
    result = CallCode(*function, thisValue, args, home, constructing);
  }
  --depth_;
  return result;
}

ActionValue Interpreter::CallCode(FunctionObject& function, const ActionValue& thisValue, ArgList args,
                                  ScriptObject* home, bool constructing) {
  // The function object, and so its code, the body and the pool, lives
  // through the call even if the call overwrites the variable it came
  // from: nothing is freed during a run.
  const FunctionCode* code = function.code.get();
  Frame f;
  f.block = code->block.get();
  f.blockHolder = &code->block;
  f.blockCharged = true;
  f.code = f.block->Data();
  f.begin = code->begin;
  f.end = code->begin + code->size;
  f.pool = code->pool.get();
  f.poolHolder = &code->pool;
  f.isFunction = true;
  f.callee = &function;
  f.caller = frames_.empty() ? nullptr : frames_.back()->callee;
  f.home = home;
  f.constructing = constructing;
  f.args = args;

  ActionTarget* base = nullptr;
  if (version_ >= 6) {
    base = TargetOfObject(function.definer);
    f.outer = function.scope;
  } else {
    // Movies before version 6 have no closures: a function sees its own
    // locals, then the timeline of the clip it was called on, or of its caller.
    base = TargetOf(thisValue);
    if (base == nullptr) base = &ActiveTarget();
  }
  if (base == nullptr) base = &root_;
  f.original = base;
  f.current = base;
  f.thisValue = thisValue;

  f.registerBase = registers_.size();
  f.registerCount = code->secondForm ? code->registerCount : kGlobalRegisters;
  // A few registers a call: added one by one, inline.
  for (std::size_t i = 0; i < f.registerCount; ++i) registers_.emplace_back();

  if (code->secondForm) {
    using namespace ActionCode::FunctionFlag;
    // Each preloaded value takes the next register, a suppressed one too
    // (left undefined); a _parent there is none of takes none.
    std::size_t reg = 1;
    const auto preload = [&](ActionValue v) {
      if (reg < f.registerCount) registers_[f.registerBase + reg] = std::move(v);
      ++reg;
    };
    const std::uint16_t flags = code->flags;
    f.thisByName = (flags & (PreloadThis | SuppressThis)) == 0;
    f.argumentsByName = (flags & (PreloadArguments | SuppressArguments)) == 0;
    f.superByName = (flags & (PreloadSuper | SuppressSuper)) == 0;
    if (flags & PreloadThis) {
      preload((flags & SuppressThis) ? ActionValue() : thisValue);
    }
    if (flags & PreloadArguments) preload(ArgumentsOf(f));
    if (flags & PreloadSuper) preload((flags & SuppressSuper) ? ActionValue() : SuperOf(f));
    if (flags & PreloadRoot) preload(ClipValue(root_));
    if ((flags & PreloadParent) && base->Parent()) preload(ClipValue(*base->Parent()));
    if (flags & PreloadGlobal) preload(ActionValue::Object(rt_.global));
  }
  for (std::size_t i = 0; i < code->parameters.size(); ++i) {
    ActionValue value = i < args.size() ? args[i] : ActionValue();
    const std::uint8_t reg = i < code->parameterRegisters.size() ? code->parameterRegisters[i] : 0;
    if (reg != 0) {
      if (reg < f.registerCount) registers_[f.registerBase + reg] = std::move(value);
    } else {
      DefineValue(EnsureActivation(f), code->parameters[i], std::move(value));
    }
  }

  const std::size_t savedBase = base_;
  base_ = stack_.size();
  const Flow flow = RunFrame(f);
  stack_.resize(base_);
  base_ = savedBase;
  registers_.resize(f.registerBase);
  return flow == Flow::Return ? std::move(f.returnValue) : ActionValue();
}

ActionValue Interpreter::Construct(const ActionValue& functionValue, ArgList args) {
  ScriptObject* object = functionValue.ObjectValue();
  if (object == nullptr || !object->IsFunction() || Abnormal()) return ActionValue();
  auto* function = static_cast<FunctionObject*>(object);
  if (function->construct != nullptr) {
    if (depth_ >= ActionContext::MaxCallDepth) {
      Fault();
      return ActionValue();
    }
    ++depth_;
    const ActionValue none;
    NativeCall call(*this, none, args, function);
    ActionValue made = function->construct(call);
    --depth_;
    return made;
  }
  // A plain prototype of the function's own, as GetMember would find it
  // first; anything else (an accessor, a hidden one, none) takes the
  // general look-up.
  const VariableStore::Entry* own = function->Properties().FindEntry(*rt_.names.prototype.StringRep());
  const ActionValue prototype = own != nullptr && !own->Accessor() && PropertyFlag::VisibleTo(own->flags, version_)
                                    ? own->value
                                    : GetMember(functionValue, rt_.names.prototype);
  ScriptObject* proto = prototype.ObjectValue();
  ScriptObject* made = rt_.NewObject(proto);
  if (made == nullptr) {
    Fault();
    return ActionValue();
  }
  if (!proto) made->SetProto(prototype);
  // The new object holds nothing yet: its first name needs no look-up.
  if (VariableStore::Entry* e = made->Properties().DefineAbsent(rt_.names.constructorOfThis)) {
    e->value = functionValue;
    e->flags = PropertyFlag::DontEnum;
  }
  if (version_ < 6) DefineValue(made, rt_.names.constructor, functionValue, PropertyFlag::DontEnum);
  const ActionValue madeValue = ActionValue::Object(made);
  Call(functionValue, madeValue, args, proto, true);
  return madeValue;
}

}  // namespace Interpreting

ActionContext::ActionContext() = default;
ActionContext::~ActionContext() = default;

ScriptRuntime& ActionContext::Runtime() {
  if (!runtime) runtime = std::make_unique<ScriptRuntime>(swfVersion);
  return *runtime;
}

ActionRunResult RunActions(const std::uint8_t* code, std::size_t size, ActionTarget& target,
                           ActionContext& context) {
  if (!code || size == 0) return ActionRunResult::Completed;
  Interpreting::Interpreter interpreter(*target.Root(), context);
  return interpreter.RunBlock(code, size, target);
}

ActionValue CallActionFunction(const ActionValue& function, const ActionValue& thisValue,
                               const std::vector<ActionValue>& arguments, ActionTarget& root,
                               ActionContext& context) {
  Interpreting::Interpreter interpreter(*root.Root(), context);
  ActionValue value = interpreter.Call(function, thisValue, ArgList(arguments));
  return interpreter.Abnormal() ? ActionValue() : value;
}

bool CallTargetMethod(ActionTarget& target, const std::string& name, const std::vector<ActionValue>& arguments,
                      ActionContext& context) {
  Interpreting::Interpreter interpreter(*target.Root(), context);
  const ActionValue self = interpreter.ClipValue(target);
  const ActionValue method = interpreter.GetMember(self, ActionValue::String(name));
  if (!method.IsFunction()) return false;
  interpreter.Call(method, self, ArgList(arguments));
  interpreter.ReportUncaught();
  return true;
}

bool TargetHasMethod(ActionTarget& target, const std::string& name, ActionContext& context) {
  ScriptRuntime& rt = context.Runtime();
  ClipObject* clip = rt.ClipOf(target);
  Interpreting::Interpreter interpreter(*target.Root(), context);
  ScriptObject* holder = nullptr;
  const VariableStore::Entry* e = interpreter.FindProperty(clip, ActionValue::String(name), &holder);
  return e != nullptr && !e->Accessor() && e->value.IsFunction();
}

void SetTargetClass(ActionTarget& target, const std::string& symbol, ActionContext& context) {
  ScriptRuntime& rt = context.Runtime();
  if (symbol.empty()) return;
  const auto it = rt.registeredClasses.find(symbol);
  if (it == rt.registeredClasses.end() || !it->second.IsFunction()) return;
  const ActionValue constructor = it->second;
  Interpreting::Interpreter interpreter(*target.Root(), context);
  rt.ClipOf(target)->SetProto(interpreter.GetMember(constructor, rt.names.prototype));
}

void ConstructTarget(ActionTarget& target, const std::string& symbol, ActionContext& context) {
  ScriptRuntime& rt = context.Runtime();
  if (symbol.empty()) return;
  const auto it = rt.registeredClasses.find(symbol);
  if (it == rt.registeredClasses.end() || !it->second.IsFunction()) return;
  const ActionValue constructor = it->second;
  Interpreting::Interpreter interpreter(*target.Root(), context);
  ClipObject* clip = rt.ClipOf(target);
  const ActionValue prototype = interpreter.GetMember(constructor, rt.names.prototype);
  clip->SetProto(prototype);
  interpreter.DefineValue(clip, rt.names.constructorOfThis, constructor, PropertyFlag::DontEnum);
  interpreter.Call(constructor, ActionValue::Object(clip), ArgList(), prototype.ObjectValue(), true);
}

void RunTimers(ActionTarget& root, ActionContext& context, double now) {
  ScriptRuntime& rt = context.Runtime();
  // Each timer due now is called once; timers made by these calls wait for
  // the next time.
  std::vector<int> due;
  for (const ScriptTimer& t : rt.timers) {
    if (t.due <= now) due.push_back(t.id);
  }
  for (const int id : due) {
    ScriptTimer timer;
    bool found = false;
    for (auto it = rt.timers.begin(); it != rt.timers.end(); ++it) {
      if (it->id != id) continue;
      found = true;
      if (it->once) {
        timer = std::move(*it);
        rt.timers.erase(it);
      } else {
        it->due = now + (it->interval > 0 ? it->interval : 1);
        timer = *it;
      }
      break;
    }
    if (!found) continue;  // cleared by an earlier timer's call
    Interpreting::Interpreter interpreter(root, context);
    const ArgList args(timer.arguments);
    if (timer.function.IsFunction()) {
      interpreter.Call(timer.function, ActionValue(), args);
    } else if (timer.object.IsObject()) {
      interpreter.CallMethod(timer.object, timer.method, args);
    }
    interpreter.ReportUncaught();
  }
}

bool RunDeferredCalls(ActionTarget& root, ActionContext& context) {
  if (!context.runtime || context.runtime->deferredCalls.empty()) return false;
  std::vector<DeferredCall> calls;
  calls.swap(context.runtime->deferredCalls);
  Interpreting::Interpreter interpreter(root, context);
  for (const DeferredCall& call : calls) interpreter.CallMethod(call.object, call.method.c_str(), ArgList());
  return true;
}

void CollectGarbage(ActionTarget& root, ActionContext& context) {
  if (!context.runtime) return;
  ScriptRuntime& rt = *context.runtime;
  // Collections cost what the heap holds: they wait until it has grown.
  if (rt.Heap().Count() < rt.collectAt) return;
  GcMarker marker;
  rt.MarkRoots(marker);
  if (context.callbacks) {
    for (const auto& callback : context.callbacks->All()) {
      marker.Mark(callback.function);
      marker.Mark(callback.thisValue);
    }
  }
  // Every timeline on stage: its script object and its variables.
  std::vector<ActionTarget*> pending{&root};
  while (!pending.empty()) {
    ActionTarget* t = pending.back();
    pending.pop_back();
    marker.Mark(t->Script());
    marker.Mark(t->Variables());
    if (const TextFieldData* field = t->TextField()) marker.Mark(field->styleSheet);
    t->ForEachChild([&pending](ActionTarget& child) { pending.push_back(&child); });
  }
  marker.Drain();
  rt.Heap().Sweep();
  const std::size_t live = rt.Heap().Count();
  rt.collectAt = live * 2 > live + 4096 ? live * 2 : live + 4096;
}

}  // namespace Halvane::Movie
