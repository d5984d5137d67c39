#include "movie/actions/Interpreter.h"

#include <cmath>
#include <limits>
#include <utility>

#include "movie/actions/ExternalCall.h"
#include "movie/actions/Numbers.h"
#include "movie/swf/Text.h"

namespace Halvane::Movie::Interpreting {

bool IsPrimitiveString(const ActionValue& v) {
  return v.Type() == ActionValueType::String || v.Type() == ActionValueType::MovieClip ||
         v.Type() == ActionValueType::Function || v.Type() == ActionValueType::Object;
}

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

}  // namespace Halvane::Movie::Interpreting
