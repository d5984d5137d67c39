#include "movie/actions/Interpreter.h"

#include <array>
#include <cmath>
#include <limits>
#include <utility>

#include "movie/actions/ActionCodes.h"
#include "movie/actions/ExternalCall.h"
#include "movie/actions/Numbers.h"
#include "movie/swf/Text.h"

namespace Halvane::Movie::Interpreting {

namespace {

// The language's chr of a character code: no text for 0 or for what is
// no character.
std::string CharacterText(std::uint32_t code) {
  std::string out;
  if (code != 0) AppendUtf8(out, code);
  return out;
}

}  // namespace

// The group table: which action codes each group handles. A code in no
// group is skipped by its length: the actions the control has no effect for
// (ToggleQuality, StopSounds, EndDrag, GetUrl, With, ...) and unknown ones.
Interpreter::Group Interpreter::GroupOf(std::uint8_t code) {
  namespace Op = ActionCode;
  struct Entry {
    Group group;
    std::vector<std::uint8_t> codes;
  };
  static const Entry kTable[] = {
      {&Interpreter::StackAndArithmetic,
       {Op::ConstantPool, Op::Push, Op::Pop, Op::PushDuplicate, Op::StackSwap, Op::StoreRegister,
        Op::Add, Op::Subtract, Op::Multiply, Op::Divide, Op::Modulo, Op::Increment, Op::Decrement,
        Op::Add2, Op::BitAnd, Op::BitOr, Op::BitXor, Op::BitLShift, Op::BitRShift, Op::BitURShift,
        Op::ToInteger, Op::ToNumber}},
      {&Interpreter::ComparisonAndLogic,
       {Op::Equals, Op::Less, Op::Less2, Op::Greater, Op::Equals2, Op::StrictEquals, Op::And,
        Op::Or, Op::Not, Op::StringEquals, Op::StringLess, Op::StringGreater}},
      {&Interpreter::Strings,
       {Op::StringAdd, Op::StringLength, Op::MBStringLength, Op::StringExtract,
        Op::MBStringExtract, Op::CharToAscii, Op::MBCharToAscii, Op::AsciiToChar,
        Op::MBAsciiToChar, Op::ToString, Op::TypeOf}},
      {&Interpreter::VariablesAndProperties,
       {Op::GetVariable, Op::SetVariable, Op::DefineLocal, Op::DefineLocal2, Op::Delete,
        Op::Delete2, Op::GetProperty, Op::SetProperty, Op::GetMember, Op::SetMember,
        Op::TargetPath}},
      {&Interpreter::TimelineControl,
       {Op::NextFrame, Op::PreviousFrame, Op::Play, Op::Stop, Op::GotoFrame, Op::GotoLabel,
        Op::GotoFrame2, Op::SetTarget, Op::SetTarget2, Op::WaitForFrame, Op::WaitForFrame2,
        Op::CloneSprite, Op::StartDrag, Op::RemoveSprite}},
      {&Interpreter::ControlFlowAndFunctions,
       {Op::Jump, Op::If, Op::DefineFunction, Op::DefineFunction2, Op::CallFunction,
        Op::CallMethod, Op::Return, Op::Throw}},
      {&Interpreter::Objects,
       {Op::InitArray, Op::InitObject, Op::NewObject, Op::NewMethod, Op::Enumerate,
        Op::Enumerate2}},
      {&Interpreter::Services,
       {Op::Trace, Op::GetTime, Op::RandomNumber, Op::GetUrl2, Op::Call}},
  };
  static const std::array<Group, 256> kByCode = [] {
    std::array<Group, 256> byCode{};
    for (const Entry& entry : kTable) {
      for (std::uint8_t c : entry.codes) byCode[c] = entry.group;
    }
    return byCode;
  }();
  return kByCode[code];
}

// Stack and arithmetic: the constant pool, pushes, registers, the arithmetic
// of both generations and the bit operations.
Outcome Interpreter::StackAndArithmetic(Scope& s, Action& action) {
  switch (action.code) {
    case ActionCode::ConstantPool: {
      const std::uint16_t count = action.payload.U16();
      std::vector<std::string> pool;
      pool.reserve(count);
      for (std::uint16_t i = 0; i < count && !action.payload.Failed(); ++i) {
        pool.push_back(action.payload.String());
      }
      if (action.payload.Failed() || !Charge(action.length)) return ActionRunResult::Faulted;
      s.ownPool = std::move(pool);
      s.pool = &s.ownPool;
      break;
    }
    case ActionCode::Push:
      if (!PushValues(s, action.payload)) return ActionRunResult::Faulted;
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
      const std::uint8_t index = action.payload.U8();
      if (action.payload.Failed()) return ActionRunResult::Faulted;
      if (index < s.registers.size()) {
        s.registers[index] = Available() ? stack_.back() : ActionValue();
      }
      break;
    }

    case ActionCode::Add:
    case ActionCode::Subtract:
    case ActionCode::Multiply:
    case ActionCode::Divide:
    case ActionCode::Modulo: {
      const double a = Number(Pop());
      const double b = Number(Pop());
      double result = 0;
      switch (action.code) {
        case ActionCode::Add: result = b + a; break;
        case ActionCode::Subtract: result = b - a; break;
        case ActionCode::Multiply: result = b * a; break;
        case ActionCode::Divide:
          if (a == 0 && version_ < 5) {
            PushString("#ERROR#");
            return GoOn;
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
      Push(ActionValue::Number(action.code == ActionCode::Increment ? a + 1 : a - 1));
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
      switch (action.code) {
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

    case ActionCode::ToInteger: {
      const double v = Number(Pop());
      Push(ActionValue::Number(std::isnan(v) ? 0.0 : std::trunc(v)));
      break;
    }
    case ActionCode::ToNumber:
      Push(ActionValue::Number(Number(Pop())));
      break;
    default:
      break;
  }
  return GoOn;
}

// Comparison and logic of both generations.
Outcome Interpreter::ComparisonAndLogic(Scope& s, Action& action) {
  switch (action.code) {
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
      PushBool(action.code == ActionCode::And ? (b && a) : (b || a));
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
      PushBool(action.code == ActionCode::StringEquals ? b == a
               : action.code == ActionCode::StringLess ? b < a
                                                      : b > a);
      break;
    }

    default:
      break;
  }
  return GoOn;
}

// Strings: bytes for the first forms, UTF-8 characters for the multi-byte ones.
Outcome Interpreter::Strings(Scope& s, Action& action) {
  switch (action.code) {
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
      if (action.code == ActionCode::MBStringExtract) {
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
    case ActionCode::ToString:
      PushString(Text(Pop()));
      break;
    case ActionCode::TypeOf:
      Push(ActionValue::String(Pop().TypeOf()));
      break;

    default:
      break;
  }
  return GoOn;
}

// Variables, members and the properties of timelines.
Outcome Interpreter::VariablesAndProperties(Scope& s, Action& action) {
  switch (action.code) {
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

    default:
      break;
  }
  return GoOn;
}

// Timeline control, on the current timeline (none after a SetTarget that
// named nothing). Sprite cloning and dragging, which the control does not
// have, keep the stack balanced.
Outcome Interpreter::TimelineControl(Scope& s, Action& action) {
  ActionTarget* timeline = s.current;  // null after a SetTarget that named nothing
  switch (action.code) {
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
      const std::uint16_t frame = action.payload.U16();
      if (action.payload.Failed()) return ActionRunResult::Faulted;
      if (timeline) timeline->GotoFrame(frame, false);
      break;
    }
    case ActionCode::GotoLabel: {
      const std::string label = action.payload.String();
      if (action.payload.Failed()) return ActionRunResult::Faulted;
      if (timeline) timeline->GotoLabel(label, false);
      break;
    }
    case ActionCode::GotoFrame2: {
      const std::uint8_t flags = action.payload.U8();
      const int bias = (flags & 2) ? action.payload.U16() : 0;
      if (action.payload.Failed()) return ActionRunResult::Faulted;
      const ActionValue frame = Pop();
      if (timeline) GotoValue(*timeline, frame, (flags & 1) != 0, bias);
      break;
    }
    case ActionCode::SetTarget: {
      const std::string path = action.payload.String();
      if (action.payload.Failed()) return ActionRunResult::Faulted;
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
      const std::uint16_t frame = action.payload.U16();
      const std::uint8_t skip = action.payload.U8();
      if (action.payload.Failed()) return ActionRunResult::Faulted;
      if (timeline && frame >= timeline->FramesLoaded() && !SkipActions(s, action.next, skip)) {
        return ActionRunResult::Completed;
      }
      break;
    }
    case ActionCode::WaitForFrame2: {
      const std::uint8_t skip = action.payload.U8();
      if (action.payload.Failed()) return ActionRunResult::Faulted;
      const double frame = Number(Pop());
      if (timeline && !(frame - 1 < timeline->FramesLoaded()) && !SkipActions(s, action.next, skip)) {
        return ActionRunResult::Completed;
      }
      break;
    }

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
    case ActionCode::RemoveSprite:
      Pop();
      break;
    default:
      break;
  }
  return GoOn;
}

// Jumps, branches, function definitions and calls.
Outcome Interpreter::ControlFlowAndFunctions(Scope& s, Action& action) {
  switch (action.code) {
    case ActionCode::Jump:
    case ActionCode::If: {
      const std::int16_t offset = action.payload.S16();
      if (action.payload.Failed()) return ActionRunResult::Faulted;
      if (action.code == ActionCode::If && !Truth(Pop())) break;
      const long long target = static_cast<long long>(action.next) + offset;
      if (target < 0 || target > static_cast<long long>(s.size)) return ActionRunResult::Completed;
      action.next = static_cast<std::size_t>(target);
      break;
    }
    case ActionCode::DefineFunction:
    case ActionCode::DefineFunction2:
      if (!DefineFunction(s, action)) return ActionRunResult::Faulted;
      break;
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

    default:
      break;
  }
  return GoOn;
}

// Objects. The control has only its built-in ones: creating and
// enumerating objects keep the stack balanced and give nothing.
Outcome Interpreter::Objects(Scope& s, Action& action) {
  switch (action.code) {
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
      break;
  }
  return GoOn;
}

// Services of the player: trace, time and random numbers. URLs and the
// first generation's Call keep the stack balanced.
Outcome Interpreter::Services(Scope& s, Action& action) {
  switch (action.code) {
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

    case ActionCode::GetUrl2:
      Pop();
      Pop();
      break;
    case ActionCode::Call:
      Pop();
      break;
    default:
      break;
  }
  return GoOn;
}

}  // namespace Halvane::Movie::Interpreting
