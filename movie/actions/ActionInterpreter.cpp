#include "movie/actions/ActionInterpreter.h"

#include <cstring>
#include <memory>
#include <utility>

#include "movie/actions/ActionCodes.h"
#include "movie/actions/Interpreter.h"

namespace Halvane::Movie {

namespace Interpreting {

namespace {

float ReadFloat(SwfReader& r) {
  const std::uint32_t bits = r.U32();
  float v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

// The pushed double is stored as two little-endian 32-bit words, the high
// word first.
double ReadDouble(SwfReader& r) {
  const std::uint64_t high = r.U32();
  const std::uint64_t low = r.U32();
  const std::uint64_t bits = (high << 32) | low;
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

}  // namespace

ActionRunResult Interpreter::Run(Scope& s) {
  std::size_t pc = 0;
  while (pc < s.size) {
    if (failed_) return ActionRunResult::Faulted;
    if (context_.instructionBudget == 0) return ActionRunResult::BudgetExhausted;
    --context_.instructionBudget;

    Action action;
    action.code = s.code[pc++];
    if (action.code == ActionCode::End) return ActionRunResult::Completed;
    if (action.code >= 0x80) {
      if (s.size - pc < 2) return ActionRunResult::Faulted;
      action.length = s.code[pc] | (s.code[pc + 1] << 8);
      pc += 2;
      if (action.length > s.size - pc) return ActionRunResult::Faulted;
    }
    action.payload = SwfReader(s.code + pc, action.length);
    action.next = pc + action.length;
    // An action without a group is unknown or has no effect here: it is
    // skipped by its length.
    if (const Group group = GroupOf(action.code)) {
      if (const Outcome outcome = (this->*group)(s, action)) return *outcome;
    }
    pc = action.next;
  }
  return failed_ ? ActionRunResult::Faulted : ActionRunResult::Completed;
}

bool Interpreter::PushValues(Scope& s, SwfReader& r) {
  while (r.Remaining() > 0) {
    const std::uint8_t type = r.U8();
    switch (type) {
      case ActionCode::PushType::String: {
        std::string text = r.String();
        if (r.Failed()) return false;
        PushString(std::move(text));
        break;
      }
      case ActionCode::PushType::Float: {
        const float f = ReadFloat(r);
        if (r.Failed()) return false;
        Push(ActionValue::Number(f));
        break;
      }
      case ActionCode::PushType::Null:
        Push(ActionValue::Null());
        break;
      case ActionCode::PushType::Undefined:
        Push(ActionValue());
        break;
      case ActionCode::PushType::Register: {
        const std::uint8_t index = r.U8();
        if (r.Failed()) return false;
        Push(index < s.registers.size() ? s.registers[index] : ActionValue());
        break;
      }
      case ActionCode::PushType::Boolean: {
        const std::uint8_t b = r.U8();
        if (r.Failed()) return false;
        Push(ActionValue::Boolean(b != 0));
        break;
      }
      case ActionCode::PushType::Double: {
        const double d = ReadDouble(r);
        if (r.Failed()) return false;
        Push(ActionValue::Number(d));
        break;
      }
      case ActionCode::PushType::Integer: {
        const std::int32_t i = static_cast<std::int32_t>(r.U32());
        if (r.Failed()) return false;
        Push(ActionValue::Number(i));
        break;
      }
      case ActionCode::PushType::Constant8:
      case ActionCode::PushType::Constant16: {
        const std::size_t index = type == ActionCode::PushType::Constant8 ? r.U8() : r.U16();
        if (r.Failed()) return false;
        if (index < s.pool->size()) PushString((*s.pool)[index]);
        else Push(ActionValue());
        break;
      }
      default:
        return false;  // an unknown type leaves the rest unreadable
    }
    if (failed_) return false;
  }
  return true;
}

bool Interpreter::DefineFunction(Scope& s, Action& action) {
  SwfReader& r = action.payload;
  const bool second = action.code == ActionCode::DefineFunction2;
  const std::size_t next = action.next;
  auto function = std::make_shared<ActionFunction>();
  function->name = r.String();
  const std::uint16_t count = r.U16();
  if (second) {
    function->hasRegisters = true;
    function->registerCount = r.U8();
    function->flags = r.U16();
  }
  for (std::uint16_t i = 0; i < count && !r.Failed(); ++i) {
    if (second) function->parameterRegisters.push_back(r.U8());
    function->parameters.push_back(r.String());
  }
  const std::uint16_t codeSize = r.U16();
  if (r.Failed() || codeSize > s.size - next) return false;
  std::size_t poolBytes = 0;
  for (const auto& text : *s.pool) poolBytes += text.size() + 1;
  if (!Charge(codeSize) || !Charge(poolBytes)) return false;
  function->body.assign(s.code + next, s.code + next + codeSize);
  function->constantPool = *s.pool;
  function->definerPath = DotTargetPath(Base(s));
  function->definerTarget = &Base(s);
  function->definerRun = runId_;
  action.next = next + codeSize;  // the body is not run where it stands

  ActionValue value = ActionValue::Function(std::move(function));
  const std::string name = value.FunctionValue()->name;
  if (name.empty()) {
    Push(std::move(value));
  } else if (s.locals) {
    s.locals->Set(name, std::move(value));
  } else {
    Base(s).Variables().Set(name, std::move(value));
  }
  return true;
}

// Steps over count whole actions (for WaitForFrame); false when they run
// past the block.
bool Interpreter::SkipActions(Scope& s, std::size_t& pc, int count) {
  for (int i = 0; i < count; ++i) {
    if (pc >= s.size) return false;
    const std::uint8_t code = s.code[pc++];
    if (code >= 0x80) {
      if (s.size - pc < 2) return false;
      const std::size_t length = s.code[pc] | (s.code[pc + 1] << 8);
      pc += 2;
      if (length > s.size - pc) return false;
      pc += length;
    }
  }
  return true;
}

ActionValue Interpreter::Call(const ActionValue& functionValue, const ActionValue& thisValue,
                              const std::vector<ActionValue>& arguments, ActionRunResult& result) {
  result = ActionRunResult::Completed;
  if (functionValue.Type() != ActionValueType::Function) return ActionValue();
  if (depth_ >= ActionContext::MaxCallDepth) return ActionValue();
  // Holding the value keeps the function (its body and pool) alive for the
  // call even if the call overwrites the variable it came from.
  const std::shared_ptr<const ActionFunction> function = functionValue.FunctionValue();

  ActionTarget* definer = function->definerRun == runId_ ? function->definerTarget : nullptr;
  if (!definer) definer = ResolveTarget(root_, root_, function->definerPath, caseSensitive_);
  if (!definer) definer = &root_;
  VariableStore locals(caseSensitive_);
  Scope scope;
  scope.code = function->body.data();
  scope.size = function->body.size();
  scope.pool = &function->constantPool;
  scope.original = definer;
  scope.current = definer;
  scope.locals = &locals;
  scope.thisValue = thisValue;
  scope.registers.resize(function->hasRegisters ? function->registerCount : 4);

  if (function->hasRegisters) {
    using namespace ActionCode::FunctionFlag;
    std::size_t reg = 1;
    const auto preload = [&](ActionValue v) {
      if (reg < scope.registers.size()) scope.registers[reg] = std::move(v);
      ++reg;
    };
    const std::uint16_t flags = function->flags;
    if (flags & PreloadThis) preload(thisValue.IsUndefined() ? ClipValue(*definer) : thisValue);
    if (flags & PreloadArguments) preload(ActionValue());
    if (flags & PreloadSuper) preload(ActionValue());
    if (flags & PreloadRoot) preload(ClipValue(root_));
    if (flags & PreloadParent) preload(definer->Parent() ? ClipValue(*definer->Parent()) : ActionValue());
    if (flags & PreloadGlobal) preload(ActionValue::Object(BuiltinObject::Global));
  }
  for (std::size_t i = 0; i < function->parameters.size(); ++i) {
    ActionValue value = i < arguments.size() ? arguments[i] : ActionValue();
    const std::uint8_t reg = i < function->parameterRegisters.size() ? function->parameterRegisters[i] : 0;
    if (reg != 0 && reg < scope.registers.size()) scope.registers[reg] = std::move(value);
    else locals.Set(function->parameters[i], std::move(value));
  }

  const std::size_t savedBase = base_;
  base_ = stack_.size();
  ++depth_;
  result = Run(scope);
  --depth_;
  stack_.resize(base_);
  base_ = savedBase;
  return scope.returnValue;
}

}  // namespace Interpreting

ActionRunResult RunActions(const std::uint8_t* code, std::size_t size, ActionTarget& target,
                           ActionContext& context) {
  if (!code || size == 0) return ActionRunResult::Completed;
  Interpreting::Interpreter interpreter(*target.Root(), context);
  Interpreting::Scope scope;
  scope.code = code;
  scope.size = size;
  scope.original = &target;
  scope.current = &target;
  scope.registers.resize(4);
  return interpreter.Run(scope);
}

ActionValue CallActionFunction(const ActionValue& function, const ActionValue& thisValue,
                               const std::vector<ActionValue>& arguments, ActionTarget& root,
                               ActionContext& context) {
  Interpreting::Interpreter interpreter(*root.Root(), context);
  ActionRunResult result;
  ActionValue value = interpreter.Call(function, thisValue, arguments, result);
  return result == ActionRunResult::Completed ? value : ActionValue();
}

}  // namespace Halvane::Movie
