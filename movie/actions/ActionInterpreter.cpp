#include "movie/actions/ActionInterpreter.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <utility>

#include "movie/actions/ActionCodes.h"
#include "movie/actions/ActionPath.h"
#include "movie/actions/ExternalCall.h"
#include "movie/actions/Numbers.h"
#include "movie/swf/Text.h"

namespace Halvane::Movie {

namespace {

// Text bytes one run may create (strings built, pushed or copied into
// functions). With shared texts, this bounds what a run can allocate even
// though every action is cheap.
constexpr std::size_t MaxRunAllocation = 16u << 20;

// A bounds-checked reader over one action's payload. A read past the end
// answers zero and marks the reader failed; the caller checks Ok().
class PayloadReader {
 public:
  PayloadReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Ok() const { return ok_; }
  bool AtEnd() const { return pos_ >= size_; }
  std::size_t Position() const { return pos_; }

  std::uint8_t U8() {
    if (!Need(1)) return 0;
    return data_[pos_++];
  }
  std::uint16_t U16() {
    if (!Need(2)) return 0;
    const std::uint16_t v = static_cast<std::uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
  }
  std::int16_t S16() { return static_cast<std::int16_t>(U16()); }
  std::uint32_t U32() {
    if (!Need(4)) return 0;
    const std::uint32_t v = static_cast<std::uint32_t>(data_[pos_]) |
                            (static_cast<std::uint32_t>(data_[pos_ + 1]) << 8) |
                            (static_cast<std::uint32_t>(data_[pos_ + 2]) << 16) |
                            (static_cast<std::uint32_t>(data_[pos_ + 3]) << 24);
    pos_ += 4;
    return v;
  }
  float F32() {
    const std::uint32_t bits = U32();
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
  }
  // The pushed double is stored as two little-endian 32-bit words, the
  // high word first.
  double F64() {
    const std::uint64_t high = U32();
    const std::uint64_t low = U32();
    const std::uint64_t bits = (high << 32) | low;
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
  }
  // A zero-terminated string; without a terminator inside the payload the
  // reader fails.
  std::string CString() {
    if (!ok_) return std::string();
    const void* zero = pos_ < size_ ? std::memchr(data_ + pos_, 0, size_ - pos_) : nullptr;
    if (!zero) {
      ok_ = false;
      return std::string();
    }
    const std::size_t end = static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - data_);
    std::string s(reinterpret_cast<const char*>(data_ + pos_), end - pos_);
    pos_ = end + 1;
    return s;
  }

 private:
  bool Need(std::size_t n) {
    if (!ok_ || size_ - pos_ < n || pos_ > size_) {
      ok_ = false;
      return false;
    }
    return true;
  }

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};


// The language's chr of a character code: no text for 0 or for what is
// no character.
std::string CharacterText(std::uint32_t code) {
  std::string out;
  if (code != 0) AppendUtf8(out, code);
  return out;
}

bool IsPrimitiveString(const ActionValue& v) {
  return v.Type() == ActionValueType::String || v.Type() == ActionValueType::MovieClip ||
         v.Type() == ActionValueType::Function || v.Type() == ActionValueType::Object;
}

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
    context_.instructionBudget = units >= context_.instructionBudget ? 0 : context_.instructionBudget - units;
  }
  static std::size_t TextBytes(const ActionValue& v) {
    return v.Type() == ActionValueType::String || v.Type() == ActionValueType::MovieClip ? v.StringValue().size() : 0;
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

  // Variables.
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

  // Operations.
  bool LooseEquals(const ActionValue& a, const ActionValue& b, int depth = 0);
  static bool StrictEquals(const ActionValue& a, const ActionValue& b);
  void Compare(bool greater);
  bool DefineFunction(Scope& s, PayloadReader& r, bool second, std::size_t next, std::size_t& after);
  bool PushValues(Scope& s, PayloadReader& r);
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

ActionValue Interpreter::LookupPlain(Scope& s, const std::string& name) {
  if (s.locals) {
    if (const ActionValue* v = s.locals->Find(name)) return *v;
  }
  ActionTarget& base = Base(s);
  if (SameName(name, "this", caseSensitive_)) {
    return s.thisValue.IsUndefined() ? ClipValue(base) : s.thisValue;
  }
  if (SameName(name, "_root", caseSensitive_) || SameName(name, "_level0", caseSensitive_)) {
    return ClipValue(root_);
  }
  if (SameName(name, "_parent", caseSensitive_)) {
    ActionTarget* parent = base.Parent();
    return parent ? ClipValue(*parent) : ActionValue();
  }
  if (SameName(name, "_global", caseSensitive_)) return ActionValue::Object(BuiltinObject::Global);
  if (const ActionValue* v = base.Variables().Find(name)) return *v;
  TargetProperty property;
  if (PropertyByName(name, property)) return GetTargetProperty(base, property, version_);
  if (ActionTarget* child = base.ChildByName(name, caseSensitive_)) return ClipValue(*child);
  if (SameName(name, "flash", caseSensitive_)) return ActionValue::Object(BuiltinObject::FlashPackage);
  return ActionValue();
}

ActionValue Interpreter::Lookup(Scope& s, const std::string& name) {
  const bool hasColon = name.find(':') != std::string::npos;
  const bool hasSlash = name.find('/') != std::string::npos;
  const bool hasDot = name.find('.') != std::string::npos;
  if (!hasColon && !hasSlash && !hasDot) return LookupPlain(s, name);

  ResolvedVariable resolved;
  if (ResolveVariable(root_, Base(s), name, caseSensitive_, resolved)) {
    TargetProperty property;
    if (PropertyByName(resolved.name, property)) {
      return GetTargetProperty(*resolved.target, property, version_);
    }
    if (const ActionValue* v = resolved.target->Variables().Find(resolved.name)) return *v;
    if (ActionTarget* child = resolved.target->ChildByName(resolved.name, caseSensitive_)) {
      return ClipValue(*child);
    }
  }
  if (ActionTarget* t = ResolveTarget(root_, Base(s), name, caseSensitive_)) return ClipValue(*t);
  if (!hasColon && !hasSlash) {
    // A dotted chain through values: flash.external.ExternalInterface.
    std::size_t begin = 0;
    std::size_t dot = name.find('.');
    ActionValue value = LookupPlain(s, name.substr(0, dot));
    while (dot != std::string::npos && !value.IsUndefined()) {
      begin = dot + 1;
      dot = name.find('.', begin);
      value = GetMember(value, name.substr(begin, dot == std::string::npos ? dot : dot - begin));
    }
    return value;
  }
  return ActionValue();
}

void Interpreter::Assign(Scope& s, const std::string& name, ActionValue value) {
  const bool isPath = name.find_first_of(":/.") != std::string::npos;
  ActionTarget* target = &Base(s);
  std::string variable = name;
  if (isPath) {
    ResolvedVariable resolved;
    if (!ResolveVariable(root_, Base(s), name, caseSensitive_, resolved)) return;
    target = resolved.target;
    variable = resolved.name;
  } else if (s.locals && s.locals->Find(name)) {
    s.locals->Set(name, std::move(value));
    return;
  }
  TargetProperty property;
  if (PropertyByName(variable, property)) {
    SetTargetProperty(*target, property, value, version_);
    return;
  }
  target->Variables().Set(variable, std::move(value));
}

ActionValue Interpreter::GetMember(const ActionValue& object, const std::string& name) {
  switch (object.Type()) {
    case ActionValueType::MovieClip: {
      ActionTarget* t = ClipTarget(object);
      if (!t) return ActionValue();
      TargetProperty property;
      if (PropertyByName(name, property)) return GetTargetProperty(*t, property, version_);
      if (const ActionValue* v = t->Variables().Find(name)) return *v;
      if (ActionTarget* child = t->ChildByName(name, caseSensitive_)) return ClipValue(*child);
      if (SameName(name, "_parent", caseSensitive_) && t->Parent()) return ClipValue(*t->Parent());
      return ActionValue();
    }
    case ActionValueType::Object:
      switch (object.ObjectValue()) {
        case BuiltinObject::Global:
          if (SameName(name, "flash", caseSensitive_)) return ActionValue::Object(BuiltinObject::FlashPackage);
          break;
        case BuiltinObject::FlashPackage:
          if (SameName(name, "external", caseSensitive_)) return ActionValue::Object(BuiltinObject::ExternalPackage);
          break;
        case BuiltinObject::ExternalPackage:
          if (SameName(name, "ExternalInterface", caseSensitive_)) {
            return ActionValue::Object(BuiltinObject::ExternalInterface);
          }
          break;
        case BuiltinObject::ExternalInterface:
          if (SameName(name, "available", caseSensitive_)) return ActionValue::Boolean(true);
          break;
      }
      return ActionValue();
    case ActionValueType::String:
      if (SameName(name, "length", caseSensitive_)) {
        return ActionValue::Number(static_cast<double>(object.StringValue().size()));
      }
      return ActionValue();
    default:
      return ActionValue();
  }
}

void Interpreter::SetMember(const ActionValue& object, const std::string& name, ActionValue value) {
  ActionTarget* t = ClipTarget(object);
  if (!t) return;  // the built-in objects are read-only
  TargetProperty property;
  if (PropertyByName(name, property)) {
    SetTargetProperty(*t, property, value, version_);
    return;
  }
  t->Variables().Set(name, std::move(value));
}

void Interpreter::GotoValue(ActionTarget& t, const ActionValue& frame, bool play, int bias) {
  if (frame.Type() == ActionValueType::String) {
    // "label", "12", or a frame of another timeline: "/a:label", "_root.a:3".
    std::string text = frame.StringValue();
    ActionTarget* target = &t;
    const std::size_t colon = text.rfind(':');
    if (colon != std::string::npos) {
      target = ResolveTarget(root_, t, text.substr(0, colon), caseSensitive_);
      text = text.substr(colon + 1);
      if (!target) return;
    }
    double number = 0;
    if (ParseNumber(text, version_, number)) {
      GotoValue(*target, ActionValue::Number(number), play, bias);
    } else {
      target->GotoLabel(text, play);
    }
    return;
  }
  const double number = Number(frame);
  if (!std::isfinite(number)) return;
  const double index = std::floor(number) - 1.0 + bias;
  if (index < 0 || index > std::numeric_limits<int>::max()) return;
  t.GotoFrame(static_cast<int>(index), play);
}

bool Interpreter::TimelineMethod(ActionTarget& t, const std::string& name,
                                 const std::vector<ActionValue>& args) {
  const ActionValue first = args.empty() ? ActionValue() : args[0];
  if (SameName(name, "play", caseSensitive_)) t.Play();
  else if (SameName(name, "stop", caseSensitive_)) t.Stop();
  else if (SameName(name, "nextFrame", caseSensitive_)) t.NextFrame();
  else if (SameName(name, "prevFrame", caseSensitive_)) t.PreviousFrame();
  else if (SameName(name, "gotoAndPlay", caseSensitive_)) GotoValue(t, first, true, 0);
  else if (SameName(name, "gotoAndStop", caseSensitive_)) GotoValue(t, first, false, 0);
  else return false;
  return true;
}

ActionValue Interpreter::CallMethod(const ActionValue& object, const std::string& name,
                                    const std::vector<ActionValue>& args, ActionRunResult& result) {
  if (name.empty()) return Call(object, ActionValue(), args, result);
  if (object.Type() == ActionValueType::Object &&
      object.ObjectValue() == BuiltinObject::ExternalInterface) {
    if (SameName(name, "addCallback", caseSensitive_)) {
      if (!context_.callbacks || args.size() < 3 || args[2].Type() != ActionValueType::Function) {
        return ActionValue::Boolean(false);
      }
      return ActionValue::Boolean(
          context_.callbacks->Register(Text(args[0]), args[2], args[1]));
    }
    return ActionValue();  // call: the host answers nothing to the movie
  }
  if (ActionTarget* t = ClipTarget(object)) {
    if (const ActionValue* v = t->Variables().Find(name)) {
      if (v->Type() == ActionValueType::Function) {
        const ActionValue function = *v;
        return Call(function, object, args, result);
      }
    }
    TimelineMethod(*t, name, args);
  }
  return ActionValue();
}

bool Interpreter::GlobalFunction(const std::string& name, const std::vector<ActionValue>& args,
                                 ActionValue& value) {
  const ActionValue first = args.empty() ? ActionValue() : args[0];
  if (SameName(name, "Number", caseSensitive_)) {
    value = ActionValue::Number(Number(first));
  } else if (SameName(name, "String", caseSensitive_)) {
    std::string text = Text(first);
    if (!Charge(text.size())) return false;
    value = ActionValue::String(std::move(text));
  } else if (SameName(name, "Boolean", caseSensitive_)) {
    value = ActionValue::Boolean(Truth(first));
  } else if (SameName(name, "isNaN", caseSensitive_)) {
    value = ActionValue::Boolean(std::isnan(Number(first)));
  } else if (SameName(name, "isFinite", caseSensitive_)) {
    value = ActionValue::Boolean(std::isfinite(Number(first)));
  } else if (SameName(name, "parseInt", caseSensitive_)) {
    const int radix = args.size() > 1 ? TruncateToInt32(Number(args[1])) : 0;
    value = ActionValue::Number(ParseIntPrefix(Text(first), radix));
  } else if (SameName(name, "parseFloat", caseSensitive_)) {
    value = ActionValue::Number(ParseFloatPrefix(Text(first)));
  } else {
    return false;
  }
  return true;
}

bool Interpreter::LooseEquals(const ActionValue& a, const ActionValue& b, int depth) {
  const ActionValueType ta = a.Type();
  const ActionValueType tb = b.Type();
  if (ta == tb) return StrictEquals(a, b);
  const auto nullish = [](ActionValueType t) {
    return t == ActionValueType::Undefined || t == ActionValueType::Null;
  };
  if (nullish(ta) && nullish(tb)) return true;
  if (nullish(ta) || nullish(tb) || depth > 2) return false;
  if (ta == ActionValueType::Boolean) return LooseEquals(ActionValue::Number(Number(a)), b, depth + 1);
  if (tb == ActionValueType::Boolean) return LooseEquals(a, ActionValue::Number(Number(b)), depth + 1);
  if (ta == ActionValueType::Number && tb == ActionValueType::String) return a.NumberValue() == Number(b);
  if (ta == ActionValueType::String && tb == ActionValueType::Number) return Number(a) == b.NumberValue();
  if (ta == ActionValueType::MovieClip) return LooseEquals(ActionValue::String(a.TargetPath()), b, depth + 1);
  if (tb == ActionValueType::MovieClip) return LooseEquals(a, ActionValue::String(b.TargetPath()), depth + 1);
  return false;
}

bool Interpreter::StrictEquals(const ActionValue& a, const ActionValue& b) {
  if (a.Type() != b.Type()) return false;
  switch (a.Type()) {
    case ActionValueType::Undefined:
    case ActionValueType::Null:
      return true;
    case ActionValueType::Boolean:
      return a.BooleanValue() == b.BooleanValue();
    case ActionValueType::Number:
      return a.NumberValue() == b.NumberValue();
    case ActionValueType::String:
    case ActionValueType::MovieClip:
      return a.StringValue() == b.StringValue();
    case ActionValueType::Function:
      return a.FunctionValue() == b.FunctionValue();
    case ActionValueType::Object:
      return a.ObjectValue() == b.ObjectValue();
  }
  return false;
}

// Less2 and Greater: strings compare as strings, anything else as numbers;
// a comparison with NaN is undefined.
void Interpreter::Compare(bool greater) {
  const ActionValue a = Pop();
  const ActionValue b = Pop();
  const ActionValue& left = greater ? a : b;   // Less2: b < a; Greater: b > a == a < b
  const ActionValue& right = greater ? b : a;
  if (IsPrimitiveString(left) && IsPrimitiveString(right)) {
    Push(ActionValue::Boolean(Text(left) < Text(right)));
    return;
  }
  const double l = Number(left);
  const double r = Number(right);
  if (std::isnan(l) || std::isnan(r)) {
    Push(ActionValue());
    return;
  }
  Push(ActionValue::Boolean(l < r));
}

bool Interpreter::PushValues(Scope& s, PayloadReader& r) {
  while (!r.AtEnd()) {
    const std::uint8_t type = r.U8();
    switch (type) {
      case ActionCode::PushType::String: {
        std::string text = r.CString();
        if (!r.Ok()) return false;
        PushString(std::move(text));
        break;
      }
      case ActionCode::PushType::Float: {
        const float f = r.F32();
        if (!r.Ok()) return false;
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
        if (!r.Ok()) return false;
        Push(index < s.registers.size() ? s.registers[index] : ActionValue());
        break;
      }
      case ActionCode::PushType::Boolean: {
        const std::uint8_t b = r.U8();
        if (!r.Ok()) return false;
        Push(ActionValue::Boolean(b != 0));
        break;
      }
      case ActionCode::PushType::Double: {
        const double d = r.F64();
        if (!r.Ok()) return false;
        Push(ActionValue::Number(d));
        break;
      }
      case ActionCode::PushType::Integer: {
        const std::int32_t i = static_cast<std::int32_t>(r.U32());
        if (!r.Ok()) return false;
        Push(ActionValue::Number(i));
        break;
      }
      case ActionCode::PushType::Constant8:
      case ActionCode::PushType::Constant16: {
        const std::size_t index = type == ActionCode::PushType::Constant8 ? r.U8() : r.U16();
        if (!r.Ok()) return false;
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

bool Interpreter::DefineFunction(Scope& s, PayloadReader& r, bool second, std::size_t next,
                                 std::size_t& after) {
  auto function = std::make_shared<ActionFunction>();
  function->name = r.CString();
  const std::uint16_t count = r.U16();
  if (second) {
    function->hasRegisters = true;
    function->registerCount = r.U8();
    function->flags = r.U16();
  }
  for (std::uint16_t i = 0; i < count && r.Ok(); ++i) {
    if (second) function->parameterRegisters.push_back(r.U8());
    function->parameters.push_back(r.CString());
  }
  const std::uint16_t codeSize = r.U16();
  if (!r.Ok() || codeSize > s.size - next) return false;
  std::size_t poolBytes = 0;
  for (const auto& text : *s.pool) poolBytes += text.size() + 1;
  if (!Charge(codeSize) || !Charge(poolBytes)) return false;
  function->body.assign(s.code + next, s.code + next + codeSize);
  function->constantPool = *s.pool;
  function->definerPath = DotTargetPath(Base(s));
  function->definerTarget = &Base(s);
  function->definerRun = runId_;
  after = next + codeSize;

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

ActionRunResult Interpreter::Run(Scope& s) {
  std::size_t pc = 0;
  while (pc < s.size) {
    if (failed_) return ActionRunResult::Faulted;
    if (context_.instructionBudget == 0) return ActionRunResult::BudgetExhausted;
    --context_.instructionBudget;

    const std::uint8_t code = s.code[pc++];
    if (code == ActionCode::End) return ActionRunResult::Completed;
    std::size_t length = 0;
    if (code >= 0x80) {
      if (s.size - pc < 2) return ActionRunResult::Faulted;
      length = s.code[pc] | (s.code[pc + 1] << 8);
      pc += 2;
      if (length > s.size - pc) return ActionRunResult::Faulted;
    }
    PayloadReader r(s.code + pc, length);
    const std::size_t next = pc + length;
    pc = next;
    ActionTarget* timeline = s.current;  // null after a SetTarget that named nothing

    switch (code) {
      // Timeline control.
      case ActionCode::NextFrame:
        if (timeline) timeline->NextFrame();
        break;
      case ActionCode::PreviousFrame:
        if (timeline) timeline->PreviousFrame();
        break;
      case ActionCode::Play:
        if (timeline) timeline->Play();
        break;
      case ActionCode::Stop:
        if (timeline) timeline->Stop();
        break;
      case ActionCode::GotoFrame: {
        const std::uint16_t frame = r.U16();
        if (!r.Ok()) return ActionRunResult::Faulted;
        if (timeline) timeline->GotoFrame(frame, false);
        break;
      }
      case ActionCode::GotoLabel: {
        const std::string label = r.CString();
        if (!r.Ok()) return ActionRunResult::Faulted;
        if (timeline) timeline->GotoLabel(label, false);
        break;
      }
      case ActionCode::GotoFrame2: {
        const std::uint8_t flags = r.U8();
        const int bias = (flags & 2) ? r.U16() : 0;
        if (!r.Ok()) return ActionRunResult::Faulted;
        const ActionValue frame = Pop();
        if (timeline) GotoValue(*timeline, frame, (flags & 1) != 0, bias);
        break;
      }
      case ActionCode::SetTarget: {
        const std::string path = r.CString();
        if (!r.Ok()) return ActionRunResult::Faulted;
        s.current = path.empty() ? s.original : ResolveTarget(root_, *s.original, path, caseSensitive_);
        break;
      }
      case ActionCode::SetTarget2: {
        const ActionValue v = Pop();
        if (v.Type() == ActionValueType::MovieClip) {
          s.current = ClipTarget(v);
        } else {
          const std::string path = Text(v);
          s.current = path.empty() ? s.original : ResolveTarget(root_, *s.original, path, caseSensitive_);
        }
        break;
      }
      case ActionCode::WaitForFrame: {
        const std::uint16_t frame = r.U16();
        const std::uint8_t skip = r.U8();
        if (!r.Ok()) return ActionRunResult::Faulted;
        if (timeline && frame >= timeline->FramesLoaded() && !SkipActions(s, pc, skip)) {
          return ActionRunResult::Completed;
        }
        break;
      }
      case ActionCode::WaitForFrame2: {
        const std::uint8_t skip = r.U8();
        if (!r.Ok()) return ActionRunResult::Faulted;
        const double frame = Number(Pop());
        if (timeline && !(frame - 1 < timeline->FramesLoaded()) && !SkipActions(s, pc, skip)) {
          return ActionRunResult::Completed;
        }
        break;
      }

      // Stack and values.
      case ActionCode::ConstantPool: {
        const std::uint16_t count = r.U16();
        std::vector<std::string> pool;
        pool.reserve(count);
        for (std::uint16_t i = 0; i < count && r.Ok(); ++i) pool.push_back(r.CString());
        if (!r.Ok() || !Charge(length)) return ActionRunResult::Faulted;
        s.ownPool = std::move(pool);
        s.pool = &s.ownPool;
        break;
      }
      case ActionCode::Push:
        if (!PushValues(s, r)) return ActionRunResult::Faulted;
        break;
      case ActionCode::Pop:
        Pop();
        break;
      case ActionCode::PushDuplicate: {
        ActionValue v = Available() ? stack_.back() : ActionValue();
        Push(std::move(v));
        break;
      }
      case ActionCode::StackSwap: {
        ActionValue a = Pop();
        ActionValue b = Pop();
        Push(std::move(a));
        Push(std::move(b));
        break;
      }
      case ActionCode::StoreRegister: {
        const std::uint8_t index = r.U8();
        if (!r.Ok()) return ActionRunResult::Faulted;
        if (index < s.registers.size()) s.registers[index] = Available() ? stack_.back() : ActionValue();
        break;
      }

      // Variables and properties.
      case ActionCode::GetVariable: {
        const std::string name = Text(Pop());
        Push(Lookup(s, name));
        break;
      }
      case ActionCode::SetVariable: {
        ActionValue value = Pop();
        const std::string name = Text(Pop());
        Assign(s, name, std::move(value));
        break;
      }
      case ActionCode::DefineLocal: {
        ActionValue value = Pop();
        const std::string name = Text(Pop());
        if (s.locals) s.locals->Set(name, std::move(value));
        else Assign(s, name, std::move(value));
        break;
      }
      case ActionCode::DefineLocal2: {
        const std::string name = Text(Pop());
        VariableStore& store = s.locals ? *s.locals : Base(s).Variables();
        if (!store.Find(name)) store.Set(name, ActionValue());
        break;
      }
      case ActionCode::Delete: {
        const std::string name = Text(Pop());
        const ActionValue object = Pop();
        ActionTarget* t = ClipTarget(object);
        PushBool(t && t->Variables().Remove(name));
        break;
      }
      case ActionCode::Delete2: {
        const std::string name = Text(Pop());
        bool removed = s.locals && s.locals->Remove(name);
        if (!removed) removed = Base(s).Variables().Remove(name);
        PushBool(removed);
        break;
      }
      case ActionCode::GetProperty: {
        const double index = Number(Pop());
        const ActionValue targetValue = Pop();
        ActionTarget* t = TargetOf(s, targetValue);
        if (t && index >= 0 && index <= static_cast<double>(TargetProperty::YMouse)) {
          Push(GetTargetProperty(*t, static_cast<TargetProperty>(static_cast<int>(index)), version_));
        } else {
          Push(ActionValue());
        }
        break;
      }
      case ActionCode::SetProperty: {
        const ActionValue value = Pop();
        const double index = Number(Pop());
        const ActionValue targetValue = Pop();
        ActionTarget* t = TargetOf(s, targetValue);
        if (t && index >= 0 && index <= static_cast<double>(TargetProperty::YMouse)) {
          SetTargetProperty(*t, static_cast<TargetProperty>(static_cast<int>(index)), value, version_);
        }
        break;
      }
      case ActionCode::GetMember: {
        const std::string name = Text(Pop());
        const ActionValue object = Pop();
        Push(GetMember(object, name));
        break;
      }
      case ActionCode::SetMember: {
        ActionValue value = Pop();
        const std::string name = Text(Pop());
        const ActionValue object = Pop();
        SetMember(object, name, std::move(value));
        break;
      }
      case ActionCode::TargetPath: {
        const ActionValue v = Pop();
        Push(v.Type() == ActionValueType::MovieClip ? ActionValue::String(v.TargetPath()) : ActionValue());
        break;
      }

      // Arithmetic of the first generation: everything is a number.
      case ActionCode::Add:
      case ActionCode::Subtract:
      case ActionCode::Multiply:
      case ActionCode::Divide:
      case ActionCode::Modulo: {
        const double a = Number(Pop());
        const double b = Number(Pop());
        double result = 0;
        switch (code) {
          case ActionCode::Add: result = b + a; break;
          case ActionCode::Subtract: result = b - a; break;
          case ActionCode::Multiply: result = b * a; break;
          case ActionCode::Divide:
            if (a == 0 && version_ < 5) {
              PushString("#ERROR#");
              continue;
            }
            result = b / a;
            break;
          default: result = std::fmod(b, a); break;
        }
        Push(ActionValue::Number(result));
        break;
      }
      case ActionCode::Increment:
      case ActionCode::Decrement: {
        const double a = Number(Pop());
        Push(ActionValue::Number(code == ActionCode::Increment ? a + 1 : a - 1));
        break;
      }
      case ActionCode::Add2: {
        const ActionValue a = Pop();
        const ActionValue b = Pop();
        if (IsPrimitiveString(a) || IsPrimitiveString(b)) {
          const std::string left = Text(b);
          const std::string right = Text(a);
          if (!Charge(left.size() + right.size())) return ActionRunResult::Faulted;
          Push(ActionValue::String(left + right));
        } else {
          Push(ActionValue::Number(Number(b) + Number(a)));
        }
        break;
      }
      case ActionCode::BitAnd:
      case ActionCode::BitOr:
      case ActionCode::BitXor:
      case ActionCode::BitLShift:
      case ActionCode::BitRShift:
      case ActionCode::BitURShift: {
        const std::int32_t a = WrapToInt32(Number(Pop()));
        const std::int32_t b = WrapToInt32(Number(Pop()));
        const std::uint32_t ub = static_cast<std::uint32_t>(b);
        const int shift = a & 31;
        double result = 0;
        switch (code) {
          case ActionCode::BitAnd: result = b & a; break;
          case ActionCode::BitOr: result = b | a; break;
          case ActionCode::BitXor: result = b ^ a; break;
          case ActionCode::BitLShift: result = static_cast<std::int32_t>(ub << shift); break;
          case ActionCode::BitRShift: result = b >> shift; break;
          default: result = ub >> shift; break;
        }
        Push(ActionValue::Number(result));
        break;
      }

      // Comparison and logic.
      case ActionCode::Equals: {
        const double a = Number(Pop());
        const double b = Number(Pop());
        PushBool(b == a);
        break;
      }
      case ActionCode::Less: {
        const double a = Number(Pop());
        const double b = Number(Pop());
        PushBool(b < a);
        break;
      }
      case ActionCode::Less2:
        Compare(false);
        break;
      case ActionCode::Greater:
        Compare(true);
        break;
      case ActionCode::Equals2: {
        const ActionValue a = Pop();
        const ActionValue b = Pop();
        Work(TextBytes(a) + TextBytes(b));
        Push(ActionValue::Boolean(LooseEquals(b, a)));
        break;
      }
      case ActionCode::StrictEquals: {
        const ActionValue a = Pop();
        const ActionValue b = Pop();
        Work(TextBytes(a) + TextBytes(b));
        Push(ActionValue::Boolean(StrictEquals(b, a)));
        break;
      }
      case ActionCode::And:
      case ActionCode::Or: {
        const bool a = Truth(Pop());
        const bool b = Truth(Pop());
        PushBool(code == ActionCode::And ? (b && a) : (b || a));
        break;
      }
      case ActionCode::Not:
        PushBool(!Truth(Pop()));
        break;
      case ActionCode::StringEquals:
      case ActionCode::StringLess:
      case ActionCode::StringGreater: {
        const std::string a = Text(Pop());
        const std::string b = Text(Pop());
        PushBool(code == ActionCode::StringEquals ? b == a : code == ActionCode::StringLess ? b < a : b > a);
        break;
      }

      // Strings.
      case ActionCode::StringAdd: {
        const std::string a = Text(Pop());
        const std::string b = Text(Pop());
        if (!Charge(a.size() + b.size())) return ActionRunResult::Faulted;
        Push(ActionValue::String(b + a));
        break;
      }
      case ActionCode::StringLength:
        Push(ActionValue::Number(static_cast<double>(Text(Pop()).size())));
        break;
      case ActionCode::MBStringLength:
        Push(ActionValue::Number(static_cast<double>(Utf8CharacterStarts(Text(Pop())).size())));
        break;
      case ActionCode::StringExtract:
      case ActionCode::MBStringExtract: {
        // The index counts from 1; a negative count takes the rest.
        const int count = TruncateToInt32(Number(Pop()));
        const int index = TruncateToInt32(Number(Pop()));
        const std::string text = Text(Pop());
        std::vector<std::size_t> starts;
        if (code == ActionCode::MBStringExtract) {
          starts = Utf8CharacterStarts(text);
        } else {
          starts.resize(text.size());
          for (std::size_t i = 0; i < text.size(); ++i) starts[i] = i;
        }
        const std::size_t chars = starts.size();
        const std::size_t first = index <= 1 ? 0 : static_cast<std::size_t>(index - 1);
        std::string result;
        if (first < chars) {
          std::size_t last = chars;
          if (count >= 0 && static_cast<std::size_t>(count) < chars - first) last = first + count;
          const std::size_t begin = starts[first];
          const std::size_t end = last < chars ? starts[last] : text.size();
          result = text.substr(begin, end - begin);
        }
        PushString(std::move(result));
        break;
      }
      case ActionCode::CharToAscii: {
        const std::string text = Text(Pop());
        Push(ActionValue::Number(text.empty() ? 0 : static_cast<unsigned char>(text[0])));
        break;
      }
      case ActionCode::MBCharToAscii: {
        const std::string text = Text(Pop());
        Push(ActionValue::Number(text.empty() ? 0 : DecodeUtf8(text, 0).codePoint));
        break;
      }
      case ActionCode::AsciiToChar: {
        const int c = WrapToInt32(Number(Pop())) & 0xFF;
        PushString(c == 0 ? std::string() : std::string(1, static_cast<char>(c)));
        break;
      }
      case ActionCode::MBAsciiToChar:
        PushString(CharacterText(static_cast<std::uint32_t>(WrapToInt32(Number(Pop())))));
        break;
      case ActionCode::ToInteger: {
        const double v = Number(Pop());
        Push(ActionValue::Number(std::isnan(v) ? 0.0 : std::trunc(v)));
        break;
      }
      case ActionCode::ToNumber:
        Push(ActionValue::Number(Number(Pop())));
        break;
      case ActionCode::ToString:
        PushString(Text(Pop()));
        break;
      case ActionCode::TypeOf:
        Push(ActionValue::String(Pop().TypeOf()));
        break;

      // Control flow.
      case ActionCode::Jump:
      case ActionCode::If: {
        const std::int16_t offset = r.S16();
        if (!r.Ok()) return ActionRunResult::Faulted;
        if (code == ActionCode::If && !Truth(Pop())) break;
        const long long target = static_cast<long long>(next) + offset;
        if (target < 0 || target > static_cast<long long>(s.size)) return ActionRunResult::Completed;
        pc = static_cast<std::size_t>(target);
        break;
      }
      case ActionCode::DefineFunction:
      case ActionCode::DefineFunction2: {
        std::size_t after = next;
        if (!DefineFunction(s, r, code == ActionCode::DefineFunction2, next, after)) {
          return ActionRunResult::Faulted;
        }
        pc = after;
        break;
      }
      case ActionCode::CallFunction: {
        const std::string name = Text(Pop());
        const std::vector<ActionValue> args = PopArguments();
        const ActionValue function = Lookup(s, name);
        ActionValue value;
        if (function.Type() != ActionValueType::Function && GlobalFunction(name, args, value)) {
          Push(std::move(value));
          break;
        }
        ActionRunResult result;
        value = Call(function, ActionValue(), args, result);
        if (result != ActionRunResult::Completed) return result;
        Push(std::move(value));
        break;
      }
      case ActionCode::CallMethod: {
        // An undefined method name calls the object itself (a function value).
        const ActionValue nameValue = Pop();
        const std::string name = nameValue.IsUndefined() ? std::string() : Text(nameValue);
        const ActionValue object = Pop();
        const std::vector<ActionValue> args = PopArguments();
        ActionRunResult result = ActionRunResult::Completed;
        ActionValue value = CallMethod(object, name, args, result);
        if (result != ActionRunResult::Completed) return result;
        Push(std::move(value));
        break;
      }
      case ActionCode::Return:
        s.returnValue = Pop();
        return ActionRunResult::Completed;
      case ActionCode::Throw:
        Pop();
        return ActionRunResult::Completed;

      // Services.
      case ActionCode::Trace: {
        const ActionValue v = Pop();
        if (context_.trace) context_.trace(v.IsUndefined() ? "undefined" : Text(v));
        break;
      }
      case ActionCode::GetTime:
        Push(ActionValue::Number(context_.elapsedMilliseconds ? context_.elapsedMilliseconds() : 0));
        break;
      case ActionCode::RandomNumber: {
        const int max = TruncateToInt32(Number(Pop()));
        std::uint32_t x = context_.randomState ? context_.randomState : 0x2545F491u;
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        context_.randomState = x;
        Push(ActionValue::Number(max > 0 ? x % static_cast<std::uint32_t>(max) : 0));
        break;
      }

      // Actions whose effect the control does not have (drag, sprite
      // cloning, URLs, objects) keep the stack balanced and do nothing else.
      case ActionCode::GetUrl2:
        Pop();
        Pop();
        break;
      case ActionCode::Call:
      case ActionCode::RemoveSprite:
        Pop();
        break;
      case ActionCode::CloneSprite:
        Pop();
        Pop();
        Pop();
        break;
      case ActionCode::StartDrag: {
        Pop();
        Pop();
        if (Truth(Pop())) {
          for (int i = 0; i < 4; ++i) Pop();
        }
        break;
      }
      case ActionCode::InitArray: {
        for (std::size_t i = PopCount(); i > 0; --i) Pop();
        Push(ActionValue());
        break;
      }
      case ActionCode::InitObject: {
        for (std::size_t i = PopCount(2) * 2; i > 0; --i) Pop();
        Push(ActionValue());
        break;
      }
      case ActionCode::NewObject: {
        Pop();
        PopArguments();
        Push(ActionValue());
        break;
      }
      case ActionCode::NewMethod: {
        Pop();
        Pop();
        PopArguments();
        Push(ActionValue());
        break;
      }
      case ActionCode::Enumerate:
      case ActionCode::Enumerate2:
        Pop();
        Push(ActionValue::Null());  // the end marker: nothing to enumerate
        break;
      default:
        break;  // unknown or without effect here: skipped by its length
    }
  }
  return failed_ ? ActionRunResult::Faulted : ActionRunResult::Completed;
}

}  // namespace

ActionRunResult RunActions(const std::uint8_t* code, std::size_t size, ActionTarget& target,
                           ActionContext& context) {
  if (!code || size == 0) return ActionRunResult::Completed;
  Interpreter interpreter(*target.Root(), context);
  Scope scope;
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
  Interpreter interpreter(*root.Root(), context);
  ActionRunResult result;
  ActionValue value = interpreter.Call(function, thisValue, arguments, result);
  return result == ActionRunResult::Completed ? value : ActionValue();
}

}  // namespace Halvane::Movie
