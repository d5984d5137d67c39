#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#include "movie/actions/ActionCodes.h"
#include "movie/actions/Interpreter.h"
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
// (StopSounds, EndDrag, ...) and unknown ones.
std::array<Interpreter::Group, 256> Interpreter::MakeGroupTable() {
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
        Op::CloneSprite, Op::StartDrag, Op::RemoveSprite, Op::ToggleQuality}},
      {&Interpreter::ControlFlowAndFunctions,
       {Op::Jump, Op::If, Op::DefineFunction, Op::DefineFunction2, Op::CallFunction,
        Op::CallMethod, Op::Return, Op::Throw, Op::Try, Op::With}},
      {&Interpreter::Objects,
       {Op::InitArray, Op::InitObject, Op::NewObject, Op::NewMethod, Op::Enumerate,
        Op::Enumerate2, Op::Extends, Op::InstanceOf, Op::ImplementsOp, Op::CastOp}},
      {&Interpreter::Services,
       {Op::Trace, Op::GetTime, Op::RandomNumber, Op::GetUrl2, Op::Call}},
  };
  std::array<Group, 256> byCode{};
  for (const Entry& entry : kTable) {
    for (std::uint8_t c : entry.codes) byCode[c] = entry.group;
  }
  return byCode;
}

const std::array<Interpreter::Group, 256> Interpreter::kGroups = Interpreter::MakeGroupTable();

// Stack and arithmetic: the constant pool, pushes, registers, the arithmetic
// of both generations and the bit operations. Push runs in the run loop,
// from the values decoded once.
Outcome Interpreter::StackAndArithmetic(Frame& f, Action& action) {
  switch (action.code) {
    case ActionCode::ConstantPool:
      SetConstantPool(f, action);
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
      if (action.payload.Failed()) {
        Fault();
        return Flow::Stop;
      }
      if (ActionValue* slot = RegisterSlot(f, index)) *slot = Available() ? stack_.back() : ActionValue();
      break;
    }

    case ActionCode::Add:
    case ActionCode::Subtract:
    case ActionCode::Multiply:
    case ActionCode::Divide:
    case ActionCode::Modulo: {
      // The first generation converts the left operand first for Add and
      // Multiply, the right one first for Subtract and Divide.
      const ActionValue right = Pop();
      const ActionValue left = Pop();
      const bool rightFirst = action.code == ActionCode::Subtract || action.code == ActionCode::Divide;
      double a = 0;
      double b = 0;
      if (rightFirst) {
        a = Number(right);
        b = Number(left);
      } else {
        b = Number(left);
        a = Number(right);
      }
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
        default: result = Remainder(b, a); break;
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
      if (a.IsNumber() && b.IsNumber()) {
        Push(ActionValue::Number(b.NumberValue() + a.NumberValue()));
        break;
      }
      // The right operand first; an object whose valueOf gives no
      // primitive stays an object, read as text (toString) beside a string
      // and as a number (NaN) otherwise. A date offers its toString instead
      // of valueOf.
      const auto operand = [this](const ActionValue& v) {
        if (!v.IsObject() || v.ObjectValue()->Kind() != ObjectKind::Date) return ValueOf(v);
        const ActionValue method = GetMember(v, rt_.names.toString);
        if (Abnormal() || !method.IsFunction()) return ActionValue();
        const ActionValue result = Call(method, v, ArgList());
        return result.IsObject() ? v : result;
      };
      const ActionValue pa = operand(a);
      const ActionValue pb = operand(b);
      if (Abnormal()) break;
      if (pa.IsString() || pb.IsString()) {
        // Texts are read in place: a string grown in a loop is copied once
        // per step, not three times.
        std::string leftText;
        std::string rightText;
        if (!pb.IsString()) leftText = Text(pb);
        if (!pa.IsString()) rightText = Text(pa);
        const std::string& left = pb.IsString() ? pb.StringValue() : leftText;
        const std::string& right = pa.IsString() ? pa.StringValue() : rightText;
        if (!Charge(left.size() + right.size())) return Flow::Stop;
        Work((left.size() + right.size()) / 256);
        std::string joined;
        joined.reserve(left.size() + right.size());
        joined.append(left).append(right);
        Push(ActionValue::String(std::move(joined)));
      } else {
        const double right = Number(pa);
        Push(ActionValue::Number(Number(pb) + right));
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
        default:
          // Older movies read the result back as a signed integer.
          result = version_ < 9 ? static_cast<double>(static_cast<std::int32_t>(ub >> shift))
                                : static_cast<double>(ub >> shift);
          break;
      }
      Push(ActionValue::Number(result));
      break;
    }
    case ActionCode::ToInteger: {
      const double v = Number(Pop());
      Push(ActionValue::Number(std::isnan(v) ? 0.0 : std::isinf(v) ? v : std::trunc(v)));
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
Outcome Interpreter::ComparisonAndLogic(Frame&, Action& action) {
  switch (action.code) {
    case ActionCode::Equals:
    case ActionCode::Less: {
      // The first generation converts the right operand of Equals first,
      // the left one of Less.
      const ActionValue right = Pop();
      const ActionValue left = Pop();
      double a = 0;
      double b = 0;
      if (action.code == ActionCode::Equals) {
        a = Number(right);
        b = Number(left);
      } else {
        b = Number(left);
        a = Number(right);
      }
      PushBool(action.code == ActionCode::Equals ? b == a : b < a);
      break;
    }
    case ActionCode::Less2: {
      const ActionValue a = Pop();
      const ActionValue b = Pop();
      Push(LessThan(b, a));
      break;
    }
    case ActionCode::Greater: {
      const ActionValue a = Pop();
      const ActionValue b = Pop();
      Push(LessThan(a, b));
      break;
    }
    case ActionCode::Equals2: {
      const ActionValue a = Pop();
      const ActionValue b = Pop();
      Work((TextBytes(a) + TextBytes(b)) / 256);
      PushBool(LooseEquals(b, a));
      break;
    }
    case ActionCode::StrictEquals: {
      const ActionValue a = Pop();
      const ActionValue b = Pop();
      Work((TextBytes(a) + TextBytes(b)) / 256);
      PushBool(StrictEquals(b, a, version_));
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
      Work((a.size() + b.size()) / 256);
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
Outcome Interpreter::Strings(Frame&, Action& action) {
  switch (action.code) {
    case ActionCode::StringAdd: {
      const std::string a = Text(Pop());
      const std::string b = Text(Pop());
      if (!Charge(a.size() + b.size())) return Flow::Stop;
      Work((a.size() + b.size()) / 256);
      Push(ActionValue::String(b + a));
      break;
    }
    case ActionCode::StringLength:
    case ActionCode::MBStringLength: {
      const std::string text = Text(Pop());
      Work(text.size() / 256);
      double length = 0;
      if (version_ >= 6) length = static_cast<double>(Utf16Length(text));
      else if (action.code == ActionCode::MBStringLength) length = static_cast<double>(Utf8CharacterStarts(text).size());
      else length = static_cast<double>(text.size());
      Push(ActionValue::Number(length));
      break;
    }
    case ActionCode::StringExtract:
    case ActionCode::MBStringExtract: {
      // The index counts from 1; a negative count takes the rest. Newer
      // movies count UTF-16 units in both forms, with 32-bit wrapping.
      const double countValue = Number(Pop());
      const double indexValue = Number(Pop());
      const std::string text = Text(Pop());
      Work(text.size() / 256);
      const int count = version_ >= 6 ? WrapToInt32(countValue) : TruncateToInt32(countValue);
      const int index = version_ >= 6 ? WrapToInt32(indexValue) : TruncateToInt32(indexValue);
      if (version_ >= 6) {
        const std::u16string units = Utf8ToUtf16(text);
        const std::size_t size = units.size();
        const std::size_t first = index <= 1 ? 0 : static_cast<std::size_t>(index - 1);
        std::u16string result;
        if (first < size) {
          const std::size_t take = count < 0 || static_cast<std::size_t>(count) > size - first ? size - first
                                                                                            : static_cast<std::size_t>(count);
          result = units.substr(first, take);
        }
        PushString(Utf16ToUtf8(result));
        break;
      }
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
    case ActionCode::CharToAscii:
    case ActionCode::MBCharToAscii: {
      const std::string text = Text(Pop());
      double code = 0;
      if (version_ >= 6) {
        // The first UTF-16 unit; half of a pair reads as the replacement.
        const std::u16string units = Utf8ToUtf16(text.substr(0, 4));
        if (!units.empty()) code = units[0] >= 0xD800 && units[0] <= 0xDFFF ? 0xFFFD : units[0];
      } else if (!text.empty()) {
        code = action.code == ActionCode::MBCharToAscii ? DecodeUtf8(text, 0).codePoint
                                                        : static_cast<unsigned char>(text[0]);
      }
      Push(ActionValue::Number(code));
      break;
    }
    case ActionCode::AsciiToChar:
    case ActionCode::MBAsciiToChar: {
      const std::int32_t value = WrapToInt32(Number(Pop()));
      if (version_ >= 6) {
        const char16_t unit = static_cast<char16_t>(value & 0xFFFF);
        PushString(unit == 0 ? std::string() : Utf16ToUtf8(std::u16string(1, unit)));
      } else if (action.code == ActionCode::MBAsciiToChar) {
        PushString(CharacterText(static_cast<std::uint32_t>(value)));
      } else {
        const int c = value & 0xFF;
        PushString(c == 0 ? std::string() : std::string(1, static_cast<char>(c)));
      }
      break;
    }
    case ActionCode::ToString: {
      const ActionValue v = Pop();
      if (v.IsString()) Push(v);
      else PushString(Text(v));
      break;
    }
    case ActionCode::TypeOf:
      Push(ActionValue::String(Pop().TypeOf()));
      break;
    default:
      break;
  }
  return GoOn;
}

// Variables, members and the properties of timelines.
Outcome Interpreter::VariablesAndProperties(Frame& f, Action& action) {
  switch (action.code) {
    case ActionCode::GetVariable: {
      const ActionValue name = Pop();
      Push(GetVariable(f, name));
      break;
    }
    case ActionCode::SetVariable: {
      ActionValue value = Pop();
      const ActionValue name = Pop();
      SetVariable(f, name, std::move(value));
      break;
    }
    case ActionCode::DefineLocal: {
      ActionValue value = Pop();
      const ActionValue name = Pop();
      if (f.isFunction) {
        DefineValue(EnsureActivation(f), name.IsString() ? name : StringValue(Text(name)), std::move(value));
      } else {
        ScriptObject* timeline = ClipOf(Base(f));
        AssignProperty(timeline, ActionValue::Object(timeline), name.IsString() ? name : StringValue(Text(name)),
                       std::move(value));
      }
      break;
    }
    case ActionCode::DefineLocal2: {
      const ActionValue name = Pop();
      const ActionValue key = name.IsString() ? name : StringValue(Text(name));
      // Declares without a value, unless the name is there already (on a
      // timeline, also through its prototypes).
      ScriptObject* scope = f.isFunction ? EnsureActivation(f) : ClipOf(Base(f));
      if (scope && key.IsString()) {
        const bool known = f.isFunction ? scope->Properties().FindEntry(*key.StringRep()) != nullptr
                                        : HasProperty(scope, key);
        if (!known) DefineValue(scope, key, ActionValue());
      }
      break;
    }
    case ActionCode::Delete: {
      const ActionValue name = Pop();
      const ActionValue object = Pop();
      ScriptObject* o = object.ObjectValue();
      PushBool(o != nullptr && DeleteMember(o, name));
      break;
    }
    case ActionCode::Delete2: {
      const ActionValue name = Pop();
      const std::string text = name.IsString() ? name.StringValue() : std::string();
      const std::size_t split = text.find_last_of(".:");
      if (IsPath(text) && split != std::string::npos && split > 0 && split + 1 < text.size()) {
        // A path: the last name is deleted from what the rest names.
        const ActionValue holder = GetVariable(f, ActionValue::String(text.substr(0, split)));
        if (Abnormal()) break;
        if (holder.IsString() || holder.IsNumber() || holder.IsBoolean()) {
          if (context_.trace) {
            context_.trace("Parameters of primitive types are no longer coerced into the required type - Object.");
          }
          PushBool(false);
          break;
        }
        ScriptObject* object = holder.IsClip() ? (TargetOf(holder) ? ClipOf(*TargetOf(holder)) : nullptr)
                                               : holder.ObjectValue();
        PushBool(object != nullptr && DeleteMember(object, ActionValue::String(text.substr(split + 1))));
        break;
      }
      bool found = false;
      ScriptObject* where = nullptr;
      LookupName(f, name, &found, &where);
      PushBool(found && where != nullptr && DeleteMember(where, name));
      break;
    }
    case ActionCode::GetProperty: {
      const double index = Number(Pop());
      const ActionValue targetValue = Pop();
      ActionTarget* t = nullptr;
      if (targetValue.IsClip()) {
        t = TargetOf(targetValue);
      } else {
        const std::string path = Text(targetValue);
        t = path.empty() ? f.current : ResolveTarget(root_, Base(f), path, caseSensitive_);
      }
      const double whole = std::trunc(index);
      if (t && whole >= 0 && whole <= static_cast<double>(TargetProperty::YMouse)) {
        Push(GetTargetProperty(*t, static_cast<TargetProperty>(static_cast<int>(whole)), version_));
      } else {
        Push(ActionValue());
      }
      break;
    }
    case ActionCode::SetProperty: {
      const ActionValue value = Pop();
      const double index = Number(Pop());
      const ActionValue targetValue = Pop();
      ActionTarget* t = nullptr;
      if (targetValue.IsClip()) {
        t = TargetOf(targetValue);
      } else {
        const std::string path = Text(targetValue);
        t = path.empty() ? f.current : ResolveTarget(root_, Base(f), path, caseSensitive_);
      }
      const double whole = std::trunc(index);
      if (whole >= 0 && whole <= static_cast<double>(TargetProperty::YMouse)) {
        // The value is converted whether or not the target exists: a name
        // and the quality as text, the focus rectangle and the address
        // (never written) not at all, the rest as a number.
        const auto property = static_cast<TargetProperty>(static_cast<int>(whole));
        ActionValue primitive = value;
        if (value.IsObject() && property != TargetProperty::FocusRect && property != TargetProperty::Url) {
          const bool text = property == TargetProperty::Name || property == TargetProperty::Quality;
          primitive = text ? StringValue(Text(value)) : ActionValue::Number(Number(value));
        }
        if (t && !Stopped()) SetTargetProperty(*t, property, primitive, version_);
      }
      break;
    }
    case ActionCode::GetMember: {
      const ActionValue name = Pop();
      const ActionValue object = Pop();
      Push(GetMember(object, name));
      break;
    }
    case ActionCode::SetMember: {
      ActionValue value = Pop();
      const ActionValue name = Pop();
      const ActionValue object = Pop();
      SetMember(object, name, std::move(value));
      break;
    }
    case ActionCode::TargetPath: {
      const ActionValue v = Pop();
      ActionTarget* t = v.IsClip() ? TargetOf(v) : nullptr;
      Push(t ? ActionValue::String(DotTargetPath(*t)) : ActionValue());
      break;
    }
    default:
      break;
  }
  return GoOn;
}

// Timeline control, on the current timeline (none after a SetTarget that
// named nothing). Dragging, which the control does not have, keeps the
// stack balanced.
Outcome Interpreter::TimelineControl(Frame& f, Action& action) {
  ActionTarget* timeline = &Base(f);
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
      if (action.payload.Failed()) {
        Fault();
        return Flow::Stop;
      }
      if (timeline) timeline->GotoFrame(frame, false);
      break;
    }
    case ActionCode::GotoLabel: {
      const std::string label = action.payload.String();
      if (action.payload.Failed()) {
        Fault();
        return Flow::Stop;
      }
      if (timeline) timeline->GotoLabel(label, false);
      break;
    }
    case ActionCode::GotoFrame2: {
      const std::uint8_t flags = action.payload.U8();
      const int bias = (flags & 2) ? action.payload.U16() : 0;
      if (action.payload.Failed()) {
        Fault();
        return Flow::Stop;
      }
      const ActionValue frame = Pop();
      if (timeline == nullptr) break;
      // The frame is read as text: a whole number (32 bits, wrapping) is a
      // frame, anything else a label ("undefined" and "false" too); both
      // count from the scene's first frame, and past the last frame is the
      // last frame, whose actions then do not run.
      std::string text = frame.IsString() ? frame.StringValue() : Text(frame);
      ActionTarget* target = timeline;
      const std::size_t colon = text.rfind(':');
      if (colon != std::string::npos) {
        target = ResolveTarget(root_, *timeline, text.substr(0, colon), caseSensitive_);
        text = text.substr(colon + 1);
        if (target == nullptr) break;
      }
      double number = 0;
      double index = -1;
      if (ParseNumber(text, version_, number) && std::isfinite(number) && number == std::floor(number)) {
        index = static_cast<double>(WrapToInt32(number)) - 1.0;
      } else if (bias == 0) {
        target->GotoLabel(text, (flags & 1) != 0);
        break;
      } else {
        const int labelled = target->FrameOfLabel(text);
        if (labelled >= 0) index = labelled;
      }
      if (index < 0) break;
      index += bias;
      const int last = target->TotalFrames() - 1;
      if (index > last) {
        target->GotoFrameWithoutActions(last, (flags & 1) != 0);
      } else {
        target->GotoFrame(static_cast<int>(index), (flags & 1) != 0);
      }
      break;
    }
    case ActionCode::SetTarget: {
      const std::string path = MovieText(action.payload.String());
      if (action.payload.Failed()) {
        Fault();
        return Flow::Stop;
      }
      f.current = path.empty() ? f.original : ResolveTellTarget(root_, *f.original, path, caseSensitive_);
      break;
    }
    case ActionCode::SetTarget2: {
      const ActionValue v = Pop();
      if (v.IsClip()) {
        // tellTarget goes by the path: among instances of one name, the
        // first answers.
        ActionTarget* t = TargetOf(v);
        ActionTarget* byPath = t ? ResolveTarget(root_, root_, DotTargetPath(*t), caseSensitive_) : nullptr;
        f.current = byPath ? byPath : t;
      } else {
        const std::string path = Text(v);
        f.current = path.empty() ? f.original : ResolveTellTarget(root_, *f.original, path, caseSensitive_);
      }
      break;
    }
    case ActionCode::WaitForFrame: {
      const std::uint16_t frame = action.payload.U16();
      const std::uint8_t skip = action.payload.U8();
      if (action.payload.Failed()) {
        Fault();
        return Flow::Stop;
      }
      if (timeline && frame >= timeline->FramesLoaded() && !SkipActions(f, action.next, skip)) {
        action.next = f.end;
      }
      break;
    }
    case ActionCode::WaitForFrame2: {
      const std::uint8_t skip = action.payload.U8();
      if (action.payload.Failed()) {
        Fault();
        return Flow::Stop;
      }
      // The frame may be a label, so an object is asked for its text; a
      // frame that is no number counts as loaded.
      ActionValue frameValue = Pop();
      if (frameValue.IsObject()) frameValue = StringValue(Text(frameValue));
      const double frame = Number(frameValue);
      if (timeline && frame - 1 >= timeline->FramesLoaded() && !SkipActions(f, action.next, skip)) {
        action.next = f.end;
      }
      break;
    }
    case ActionCode::CloneSprite: {
      const double depth = Number(Pop());
      const std::string name = Text(Pop());
      const ActionValue source = Pop();
      ActionTarget* t = source.IsClip() ? TargetOf(source)
                                        : ResolveTarget(root_, Base(f), Text(source), caseSensitive_);
      if (t && std::isfinite(depth)) t->Duplicate(name, TruncateToInt32(depth) - 16384);
      break;
    }
    case ActionCode::ToggleQuality: {
      // Anti-aliasing off where it is on, on where it is off, for the
      // whole movie.
      ActionTarget* root = Base(f).Root();
      if (root) {
        const bool smooth = root->GetDisplayProperty(TargetProperty::HighQuality) > 0;
        root->SetDisplayProperty(TargetProperty::HighQuality, smooth ? 0 : 1);
      }
      break;
    }
    case ActionCode::RemoveSprite: {
      const ActionValue source = Pop();
      ActionTarget* t = source.IsClip() ? TargetOf(source)
                                        : ResolveTarget(root_, Base(f), Text(source), caseSensitive_);
      if (t) t->RemoveFromParent();
      break;
    }
    case ActionCode::StartDrag: {
      // Nothing is dragged without a mouse, but the operands are converted
      // as the platform converts them, since scripts can watch that.
      const ActionValue target = Pop();
      if (!target.IsClip()) Text(target);
      // An object flag is compared with true, as the first generation's
      // flags were: its number must be exactly 1.
      const auto flag = [this](const ActionValue& v) { return v.IsObject() ? Number(v) == 1 : Truth(v); };
      flag(Pop());
      if (flag(Pop())) {
        for (int i = 0; i < 4; ++i) Number(Pop());
      }
      break;
    }
    default:
      break;
  }
  return GoOn;
}

// Jumps, branches, exceptions, with, function definitions and calls.
Outcome Interpreter::ControlFlowAndFunctions(Frame& f, Action& action) {
  switch (action.code) {
    case ActionCode::Jump:
    case ActionCode::If: {
      const std::int16_t offset = action.payload.S16();
      if (action.payload.Failed()) {
        Fault();
        return Flow::Stop;
      }
      if (action.code == ActionCode::If && !Truth(Pop())) break;
      const long long target = static_cast<long long>(action.next) + offset;
      // A jump outside the block ends the block.
      if (target < static_cast<long long>(f.begin) || target > static_cast<long long>(f.end)) {
        action.next = f.end;
      } else {
        action.next = static_cast<std::size_t>(target);
      }
      break;
    }
    case ActionCode::DefineFunction:
    case ActionCode::DefineFunction2:
      if (!DefineFunction(f, action)) {
        Fault();
        return Flow::Stop;
      }
      break;
    case ActionCode::CallFunction: {
      const ActionValue name = Pop();
      const std::size_t count = PopCount();
      bool found = false;
      ScriptObject* where = nullptr;
      const ActionValue function = LookupName(f, name, &found, &where);
      // A function found on a with object or a timeline is called on it;
      // others on the timeline the actions run on.
      ActionValue thisValue;
      if (where && where != f.activation && where != rt_.global && !where->IsFunction()) {
        thisValue = ActionValue::Object(where);
      } else {
        thisValue = ClipValue(Base(f));
      }
      // super(...) of a constructor is called by the name super.
      ActionValue value = AsSuper(function.ObjectValue()) != nullptr
                              ? CallMethod(function, ActionValue(), StackArguments(count))
                              : Call(function, thisValue, StackArguments(count));
      Drop(count);
      if (Throwing()) return Flow::Throw;
      Push(std::move(value));
      break;
    }
    case ActionCode::CallMethod: {
      const ActionValue name = Pop();
      const ActionValue object = Pop();
      const std::size_t count = PopCount();
      ActionValue value = CallMethod(object, name, StackArguments(count));
      Drop(count);
      if (Throwing()) return Flow::Throw;
      Push(std::move(value));
      break;
    }
    case ActionCode::Return:
      f.returnValue = Pop();
      action.next = f.end;
      return Flow::Return;
    case ActionCode::Throw:
      Throw(Pop());
      return Flow::Throw;
    case ActionCode::Try:
      return TryBlock(f, action);
    case ActionCode::With:
      return WithBlock(f, action);
    default:
      break;
  }
  return GoOn;
}

// Objects: literals, construction, enumeration, classes.
Outcome Interpreter::Objects(Frame& f, Action& action) {
  switch (action.code) {
    case ActionCode::InitArray: {
      // A count beyond the stack makes nothing and takes nothing.
      const double wanted = Number(Pop());
      if (wanted > static_cast<double>(Available())) {
        Push(ActionValue());
        break;
      }
      const std::size_t count = wanted > 0 ? static_cast<std::size_t>(wanted) : 0;
      ArrayObject* array = rt_.NewArray();
      if (array == nullptr) {
        Fault();
        return Flow::Stop;
      }
      std::vector<ActionValue> values;
      values.reserve(count);
      for (std::size_t i = 0; i < count; ++i) values.push_back(Pop());
      array->elements.resize(count);
      for (std::size_t i = 0; i < count; ++i) {
        array->elements[i].value = std::move(values[i]);
        array->elements[i].order = array->Properties().TakeOrder();
      }
      array->length = static_cast<double>(count);
      Push(ActionValue::Object(array));
      break;
    }
    case ActionCode::InitObject: {
      const double wanted = Number(Pop());
      if (wanted * 2 > static_cast<double>(Available())) {
        Push(ActionValue());
        break;
      }
      const std::size_t count = wanted > 0 ? static_cast<std::size_t>(wanted) : 0;
      ScriptObject* object = rt_.NewObject();
      if (object == nullptr) {
        Fault();
        return Flow::Stop;
      }
      // Pairs are defined as they come off the stack, the last first.
      for (std::size_t i = 0; i < count; ++i) {
        ActionValue value = Pop();
        const ActionValue name = Pop();
        const ActionValue key = name.IsString() ? name : StringValue(Text(name));
        SetMember(ActionValue::Object(object), key, std::move(value));
      }
      Push(ActionValue::Object(object));
      break;
    }
    case ActionCode::NewObject: {
      const ActionValue name = Pop();
      const std::size_t count = PopCount();
      const ActionValue constructor = GetVariable(f, name);
      ActionValue made = Construct(constructor, StackArguments(count));
      Drop(count);
      if (Throwing()) return Flow::Throw;
      Push(std::move(made));
      break;
    }
    case ActionCode::NewMethod: {
      const ActionValue name = Pop();
      const ActionValue object = Pop();
      const std::size_t count = PopCount();
      const bool noName = name.IsUndefined() || (name.IsString() && name.StringValue().empty());
      ActionValue constructor = noName ? object : GetMember(object, name);
      // A primitive called as a constructor is wrapped first, as for a member.
      if (noName) WrapPrimitive(object, constructor);
      ActionValue made = Construct(constructor, StackArguments(count));
      Drop(count);
      if (Throwing()) return Flow::Throw;
      Push(std::move(made));
      break;
    }
    case ActionCode::Enumerate:
    case ActionCode::Enumerate2: {
      ActionValue subject = Pop();
      if (action.code == ActionCode::Enumerate) subject = GetVariable(f, subject);
      ScriptObject* object = subject.IsObject() ? subject.ObjectValue() : nullptr;
      Push(ActionValue::Null());  // the end marker
      if (object == nullptr) break;
      const std::vector<ActionValue> names = EnumerableNames(object);
      Work(names.size());
      for (std::size_t i = names.size(); i > 0 && !Stopped(); --i) Push(names[i - 1]);
      break;
    }
    case ActionCode::Extends: {
      const ActionValue superclass = Pop();
      const ActionValue subclass = Pop();
      ScriptObject* sub = subclass.ObjectValue();
      if (sub == nullptr || !superclass.IsObject()) break;
      ScriptObject* proto = rt_.NewObject();
      if (proto == nullptr) {
        Fault();
        return Flow::Stop;
      }
      proto->SetProto(GetMember(superclass, rt_.names.prototype));
      DefineValue(proto, rt_.names.constructorOfThis, superclass, PropertyFlag::DontEnum);
      SetMember(subclass, rt_.names.prototype, ActionValue::Object(proto));
      break;
    }
    case ActionCode::InstanceOf: {
      const ActionValue constructor = Pop();
      const ActionValue object = Pop();
      PushBool(IsInstanceOf(object, constructor));
      break;
    }
    case ActionCode::ImplementsOp: {
      const ActionValue constructor = Pop();
      const std::size_t count = PopCount();
      std::vector<ScriptObject*> interfaces;
      for (std::size_t i = 0; i < count; ++i) {
        if (ScriptObject* o = Pop().ObjectValue()) interfaces.push_back(o);
      }
      const ActionValue prototype = GetMember(constructor, rt_.names.prototype);
      if (ScriptObject* p = prototype.ObjectValue()) p->Interfaces() = std::move(interfaces);
      break;
    }
    case ActionCode::CastOp: {
      const ActionValue object = Pop();
      const ActionValue constructor = Pop();
      Push(IsInstanceOf(object, constructor, true) ? object : ActionValue::Null());
      break;
    }
    default:
      break;
  }
  return GoOn;
}

// Services of the player: trace, time and random numbers. Loading from
// URLs has no effect in the control, and the first generation's Call keeps
// the stack balanced.
Outcome Interpreter::Services(Frame& f, Action& action) {
  switch (action.code) {
    case ActionCode::Trace: {
      const ActionValue v = Pop();
      std::string text = TraceText(v);
      // The platform's debug output ends lines with line feeds only: a
      // carriage return in the text starts a new line.
      std::replace(text.begin(), text.end(), '\r', '\n');
      if (context_.trace && !Stopped()) context_.trace(text);
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
    case ActionCode::GetUrl2: {
      // No page is loaded, but the target and then the address are read
      // as text. A movie asked into an instance (loadMovie, unloadMovie)
      // leaves it as a load that brought nothing does.
      const std::uint8_t flags = action.payload.U8();
      const ActionValue target = Pop();
      const ActionValue url = Pop();
      const std::string targetText = Text(target);
      const std::string address = Text(url);
      constexpr std::uint8_t kLoadTarget = 0x40;
      constexpr std::uint8_t kLoadVariables = 0x80;
      if (action.payload.Failed() || Abnormal() || (flags & (kLoadTarget | kLoadVariables)) != kLoadTarget) break;
      ActionTarget* t = target.IsClip() ? TargetOf(target) : ResolveTarget(root_, Base(f), targetText, caseSensitive_);
      if (t == nullptr) break;
      if (address.empty()) {
        t->RequestUnload();
      } else {
        t->RequestLoad(address);
      }
      break;
    }
    case ActionCode::Call: {
      const ActionValue frame = Pop();
      CallFrame(f, frame.IsObject() ? StringValue(Text(frame)) : frame);
      // A block whose timeline is gone ends with the frame it called.
      if (f.original != nullptr && f.original->Gone() && !Abnormal()) return Flow::Return;
      break;
    }
    default:
      break;
  }
  return GoOn;
}

}  // namespace Halvane::Movie::Interpreting
