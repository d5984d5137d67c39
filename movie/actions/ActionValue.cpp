#include "movie/actions/ActionValue.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace Halvane::Movie {

const std::string& ActionValue::StringValue() const {
  static const std::string empty;
  return text_ ? *text_ : empty;
}

ActionValue ActionValue::Null() {
  ActionValue v;
  v.type_ = ActionValueType::Null;
  return v;
}

ActionValue ActionValue::Boolean(bool value) {
  ActionValue v;
  v.type_ = ActionValueType::Boolean;
  v.boolean_ = value;
  return v;
}

ActionValue ActionValue::Number(double value) {
  ActionValue v;
  v.type_ = ActionValueType::Number;
  v.number_ = value;
  return v;
}

ActionValue ActionValue::String(std::string value) {
  ActionValue v;
  v.type_ = ActionValueType::String;
  v.text_ = std::make_shared<const std::string>(std::move(value));
  return v;
}

ActionValue ActionValue::MovieClip(std::string targetPath) {
  ActionValue v;
  v.type_ = ActionValueType::MovieClip;
  v.text_ = std::make_shared<const std::string>(std::move(targetPath));
  return v;
}

ActionValue ActionValue::MovieClip(std::string targetPath, ActionTarget* target, std::uint64_t runId) {
  ActionValue v = MovieClip(std::move(targetPath));
  v.clipTarget_ = target;
  v.clipRun_ = runId;
  return v;
}

ActionValue ActionValue::Function(std::shared_ptr<const ActionFunction> function) {
  if (!function) return ActionValue();
  ActionValue v;
  v.type_ = ActionValueType::Function;
  v.function_ = std::move(function);
  return v;
}

ActionValue ActionValue::Object(BuiltinObject object) {
  ActionValue v;
  v.type_ = ActionValueType::Object;
  v.object_ = object;
  return v;
}

double ActionValue::ToNumber(int swfVersion) const {
  const double nan = std::nan("");
  switch (type_) {
    case ActionValueType::Undefined:
    case ActionValueType::Null:
      return swfVersion >= 7 ? nan : 0.0;
    case ActionValueType::Boolean:
      return boolean_ ? 1.0 : 0.0;
    case ActionValueType::Number:
      return number_;
    case ActionValueType::String: {
      const std::string& text = StringValue();
      if (text.empty()) return swfVersion >= 7 ? nan : 0.0;
      double value = 0.0;
      if (ParseNumber(text, swfVersion, value)) return value;
      return swfVersion >= 5 ? nan : 0.0;
    }
    default:
      return swfVersion >= 5 ? nan : 0.0;
  }
}

std::string ActionValue::ToString(int swfVersion) const {
  switch (type_) {
    case ActionValueType::Undefined:
      return swfVersion >= 7 ? "undefined" : "";
    case ActionValueType::Null:
      return "null";
    case ActionValueType::Boolean:
      return boolean_ ? "true" : "false";
    case ActionValueType::Number:
      return FormatNumber(number_);
    case ActionValueType::String:
    case ActionValueType::MovieClip:
      return StringValue();
    case ActionValueType::Function:
      return "[type Function]";
    case ActionValueType::Object:
      return "[object Object]";
  }
  return "";
}

bool ActionValue::ToBoolean(int swfVersion) const {
  switch (type_) {
    case ActionValueType::Undefined:
    case ActionValueType::Null:
      return false;
    case ActionValueType::Boolean:
      return boolean_;
    case ActionValueType::Number:
      return number_ != 0.0 && !std::isnan(number_);
    case ActionValueType::String: {
      if (swfVersion >= 7) return !StringValue().empty();
      const double n = ToNumber(swfVersion);
      return n != 0.0 && !std::isnan(n);
    }
    default:
      return true;
  }
}

std::string ActionValue::TypeOf() const {
  switch (type_) {
    case ActionValueType::Undefined: return "undefined";
    case ActionValueType::Null: return "null";
    case ActionValueType::Boolean: return "boolean";
    case ActionValueType::Number: return "number";
    case ActionValueType::String: return "string";
    case ActionValueType::MovieClip: return "movieclip";
    case ActionValueType::Function: return "function";
    case ActionValueType::Object: return "object";
  }
  return "undefined";
}

}  // namespace Halvane::Movie
