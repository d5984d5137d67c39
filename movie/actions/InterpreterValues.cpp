// Conversions that call into objects (valueOf, toString), the comparisons,
// and calls of methods by name.
#include <cmath>
#include <limits>
#include <utility>

#include "movie/actions/Interpreter.h"
#include "movie/actions/Numbers.h"
#include "movie/swf/Text.h"

namespace Halvane::Movie::Interpreting {

ActionValue Interpreter::ValueOf(const ActionValue& v) {
  if (!v.IsObject()) return v;
  const ActionValue method = GetMemberUnresolved(v, rt_.names.valueOf);
  if (Abnormal()) return ActionValue();
  // An object without valueOf (no prototype) reads as undefined.
  if (!method.IsFunction()) return v.IsClip() || method.IsObject() ? v : ActionValue();
  ActionValue result = Call(method, v, ArgList());
  if (Abnormal()) return ActionValue();
  return result.IsObject() ? v : result;
}

ActionValue Interpreter::ToPrimitive(const ActionValue& v, bool preferString) {
  if (!v.IsObject()) return v;
  if (preferString || v.ObjectValue()->Kind() == ObjectKind::Date) return ActionValue::String(Text(v));
  return ValueOf(v);
}

std::string Interpreter::Text(const ActionValue& v) {
  if (v.IsString()) return v.StringValue();
  if (!v.IsObject()) return v.ToString(version_);
  if (v.IsClip()) {
    ActionTarget* t = TargetOf(v);
    if (t == nullptr) return std::string();
  }
  const ActionValue method = GetMemberUnresolved(v, rt_.names.toString);
  if (Abnormal()) return std::string();
  if (method.IsFunction()) {
    const ActionValue result = Call(method, v, ArgList());
    if (Abnormal()) return std::string();
    if (result.IsString()) return result.StringValue();
  } else if (v.IsClip()) {
    ActionTarget* t = TargetOf(v);
    return t ? DotTargetPath(*t) : std::string();
  }
  // A toString that gives no text.
  return v.IsFunction() ? "[type Function]" : "[type Object]";
}

double Interpreter::Number(const ActionValue& v) {
  if (v.IsNumber()) return v.NumberValue();
  if (!v.IsObject()) {
    if (v.IsString()) Work(v.StringValue().size() / 256);
    return v.ToNumber(version_);
  }
  const ActionValue p = ValueOf(v);
  if (p.IsObject()) return version_ >= 5 ? std::nan("") : 0.0;
  return p.ToNumber(version_);
}

std::string Interpreter::TraceText(const ActionValue& v) {
  if (v.IsUndefined()) return "undefined";
  return Text(v);
}

bool Interpreter::StrictEquals(const ActionValue& a, const ActionValue& b, int swfVersion) {
  if (a.Type() != b.Type()) return false;
  switch (a.Type()) {
    case ActionValueType::Undefined:
    case ActionValueType::Null:
      return true;
    case ActionValueType::Boolean:
      return a.BooleanValue() == b.BooleanValue();
    case ActionValueType::Number:
      if (swfVersion >= 6 && std::isnan(a.NumberValue()) && std::isnan(b.NumberValue())) return true;
      return a.NumberValue() == b.NumberValue();
    case ActionValueType::String:
      return a.StringRep() == b.StringRep() || a.StringValue() == b.StringValue();
    case ActionValueType::MovieClip: {
      if (a.ObjectValue() == b.ObjectValue()) return true;
      // Two references to the same instance, one of them from before it was
      // placed again.
      const auto* ca = static_cast<const ClipObject*>(a.ObjectValue());
      const auto* cb = static_cast<const ClipObject*>(b.ObjectValue());
      const std::string pa = ca->Target() ? DotTargetPath(*ca->Target()) : ca->LastPath();
      const std::string pb = cb->Target() ? DotTargetPath(*cb->Target()) : cb->LastPath();
      return !pa.empty() && pa == pb;
    }
    default:
      return a.ObjectValue() == b.ObjectValue();
  }
}

bool Interpreter::LooseEquals(const ActionValue& a, const ActionValue& b) {
  const ActionValueType ta = a.Type();
  const ActionValueType tb = b.Type();
  if (ta == tb) return StrictEquals(a, b, version_);
  if (a.IsNullish() && b.IsNullish()) return true;
  if (a.IsObject() && b.IsObject()) {
    // A timeline against another object: both as their primitives.
    if (a.IsClip() || b.IsClip()) return false;
    return a.ObjectValue() == b.ObjectValue();
  }
  // An object compares as what valueOf gives; one without valueOf as
  // undefined.
  if (a.IsObject()) {
    const ActionValue p = ValueOf(a);
    if (p.IsObject() || Abnormal()) return false;
    return LooseEquals(p, b);
  }
  if (b.IsObject()) {
    const ActionValue p = ValueOf(b);
    if (p.IsObject() || Abnormal()) return false;
    return LooseEquals(a, p);
  }
  if (a.IsNullish() || b.IsNullish()) return false;
  // A text read as a number is never equal to NaN.
  if (ta == ActionValueType::Number && tb == ActionValueType::String) return a.NumberValue() == Number(b);
  if (ta == ActionValueType::String && tb == ActionValueType::Number) return Number(a) == b.NumberValue();
  if (ta == ActionValueType::Boolean) return LooseEquals(ActionValue::Number(a.BooleanValue() ? 1 : 0), b);
  if (tb == ActionValueType::Boolean) return LooseEquals(a, ActionValue::Number(b.BooleanValue() ? 1 : 0));
  return false;
}

ActionValue Interpreter::LessThan(const ActionValue& a, const ActionValue& b) {
  if (a.IsNumber() && b.IsNumber()) {
    const double l = a.NumberValue();
    const double r = b.NumberValue();
    if (std::isnan(l) || std::isnan(r)) return ActionValue();
    return ActionValue::Boolean(l < r);
  }
  // An object that gives no primitive ends the comparison: false, without
  // converting the other operand.
  const ActionValue pa = ToPrimitive(a, false);
  if (pa.IsObject() && !pa.IsClip()) return ActionValue::Boolean(false);
  const ActionValue pb = ToPrimitive(b, false);
  if (pb.IsObject() && !pb.IsClip()) return ActionValue::Boolean(false);
  if (pa.IsString() && pb.IsString()) {
    Work((pa.StringValue().size() + pb.StringValue().size()) / 256);
    return ActionValue::Boolean(pa.StringValue() < pb.StringValue());
  }
  const double l = Number(pa);
  const double r = Number(pb);
  if (std::isnan(l) || std::isnan(r)) return ActionValue();
  return ActionValue::Boolean(l < r);
}

void SuperObject::Trace(GcMarker& marker) {
  ScriptObject::Trace(marker);
  marker.Mark(thisValue);
  marker.Mark(home);
}

void Interpreter::ThrowError(const std::string& message) {
  ScriptObject* error = rt_.NewObject(rt_.errorProto);
  if (error == nullptr) {
    Fault();
    return;
  }
  DefineValue(error, ActionValue::String("message"), ActionValue::String(message));
  Throw(ActionValue::Object(error));
}

ActionValue Interpreter::CallMethod(const ActionValue& object, const char* name, ArgList args) {
  return CallMethod(object, ActionValue::String(name), args);
}

ActionValue Interpreter::CallMethod(const ActionValue& object, const ActionValue& nameValue, ArgList args) {
  const bool noName = nameValue.IsUndefined() || (nameValue.IsString() && nameValue.StringValue().empty());
  ScriptObject* o = object.ObjectValue();
  if (auto* super = AsSuper(o)) {
    // super() calls the __constructor__ its base finds, super.x looks from
    // the prototype above the base; a timeline or a primitive as the
    // prototype has nothing for them.
    ScriptObject* holder = nullptr;
    if (noName) {
      ScriptObject* base = super->home;
      if (super->homeDepth > 0) {
        ScriptObject* now = super->thisValue.ObjectValue();
        for (int depth = 0; now != nullptr && depth < super->homeDepth; ++depth) now = now->Proto();
        if (now != nullptr) base = now;
      }
      if (base == nullptr || base->Kind() == ObjectKind::Clip) return ActionValue();
      VariableStore::Entry* e = FindProperty(base, rt_.names.constructorOfThis, &holder);
      if (e == nullptr) return ActionValue();
      const ActionValue constructor = e->Accessor() ? CallGetter(*e, super->thisValue) : e->value;
      return Call(constructor, super->thisValue, args, holder->Proto(), true);
    }
    ScriptObject* start = super->Proto();
    if (start == nullptr || start->Kind() == ObjectKind::Clip) return ActionValue();
    const ActionValue name = nameValue.IsString() ? nameValue : StringValue(Text(nameValue));
    VariableStore::Entry* e = FindProperty(start, name, &holder);
    if (e == nullptr) return ActionValue();
    const ActionValue method = e->Accessor() ? CallGetter(*e, super->thisValue, holder) : e->value;
    return Call(method, super->thisValue, args, holder);
  }
  // Objects are never wrapped: they skip the call.
  ActionValue wrapper;
  if (!object.IsObject() && WrapPrimitive(object, wrapper)) {
    return wrapper.IsObject() ? CallMethod(wrapper, nameValue, args) : ActionValue();
  }
  if (noName) return Call(object, ActionValue(), args);
  const ActionValue name = nameValue.IsString() ? nameValue : StringValue(Text(nameValue));
  ScriptObject* start = nullptr;
  ActionValue self = object;
  switch (object.Type()) {
    case ActionValueType::Undefined:
    case ActionValueType::Null:
      return ActionValue();
    case ActionValueType::String: start = rt_.stringProto; break;
    case ActionValueType::Number: start = rt_.numberProto; break;
    case ActionValueType::Boolean: start = rt_.booleanProto; break;
    case ActionValueType::MovieClip: {
      ActionTarget* t = TargetOf(object);
      if (t == nullptr) return ActionValue();
      ClipObject* clip = ClipOf(*t);
      self = ActionValue::Object(clip);
      if (VariableStore::Entry* e = t->Variables().FindEntry(*name.StringRep())) {
        if (PropertyFlag::VisibleTo(e->flags, version_)) {
          const ActionValue method = e->Accessor() ? CallGetter(*e, self) : e->value;
          return Call(method, self, args, clip);
        }
      }
      start = clip->Proto();
      if (start == nullptr || !FindProperty(start, name, nullptr)) {
        bool found = false;
        const ActionValue method = GetClipMember(*t, clip, name, found);
        if (!found) {
          const ActionValue resolved = ResolveFallback(clip, self, name);
          return Call(resolved, self, args);
        }
        return Call(method, self, args);
      }
      break;
    }
    default: {
      ActionValue own;
      if (GetOwn(o, object, name, own)) return Call(own, object, args, o);
      if (Abnormal()) return ActionValue();
      start = o->Proto();
      break;
    }
  }
  ScriptObject* holder = nullptr;
  if (start != nullptr) {
    if (VariableStore::Entry* e = FindProperty(start, name, &holder)) {
      const ActionValue method = e->Accessor() ? CallGetter(*e, self, holder) : e->value;
      if (Abnormal()) return ActionValue();
      return Call(method, self, args, holder);
    }
  }
  if (self.IsObject()) {
    const ActionValue resolved = ResolveFallback(self.ObjectValue(), self, name);
    return Call(resolved, self, args);
  }
  return ActionValue();
}

void Interpreter::GotoValue(ActionTarget& t, const ActionValue& frame, bool play, int bias) {
  if (frame.IsString()) {
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

void Interpreter::CallFrame(Frame& f, const ActionValue& frame) {
  ActionTarget* target = &Base(f);
  int index = -1;
  if (frame.IsString()) {
    std::string text = frame.StringValue();
    const std::size_t colon = text.rfind(':');
    if (colon != std::string::npos) {
      target = ResolveTarget(root_, *target, text.substr(0, colon), caseSensitive_);
      text = text.substr(colon + 1);
      if (target == nullptr) return;
    }
    double number = 0;
    if (ParseNumber(text, version_, number)) {
      if (std::isfinite(number) && number >= 1 && number <= std::numeric_limits<int>::max()) {
        index = static_cast<int>(number) - 1;
      }
    } else {
      index = target->FrameOfLabel(text);
    }
  } else {
    const double number = Number(frame);
    if (std::isfinite(number) && number >= 1 && number <= std::numeric_limits<int>::max()) {
      index = static_cast<int>(number) - 1;
    }
  }
  if (index < 0) return;
  const std::vector<ByteBlock>* blocks = target->FrameActions(index);
  if (blocks == nullptr) return;
  if (depth_ >= ActionContext::MaxCallDepth) {
    Fault();
    return;
  }
  ++depth_;
  for (const ByteBlock& block : *blocks) {
    RunBlock(block.data(), block.size(), *target);
    if (Stopped()) break;
  }
  --depth_;
}

}  // namespace Halvane::Movie::Interpreting
