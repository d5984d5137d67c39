#include "movie/actions/ActionValue.h"

#include <cmath>

#include "movie/actions/ActionPath.h"
#include "movie/actions/ScriptObject.h"

namespace Halvane::Movie {

std::uint32_t ScriptString::HashName(std::string_view name, bool caseSensitive) noexcept {
  std::uint32_t h = 2166136261u;
  for (const char c : name) {
    const unsigned char b = static_cast<unsigned char>(caseSensitive || c < 'A' || c > 'Z' ? c : c - 'A' + 'a');
    h = (h ^ b) * 16777619u;
  }
  return h == 0 ? 1 : h;
}

bool ScriptString::IsAscii() const noexcept {
  if (ascii_ < 0) {
    ascii_ = 1;
    for (const char c : text_) {
      if (static_cast<unsigned char>(c) >= 0x80) {
        ascii_ = 0;
        break;
      }
    }
  }
  return ascii_ == 1;
}

bool ScriptString::HasPathMarks() const noexcept {
  if (pathMarks_ < 0) pathMarks_ = text_.find_first_of(":/.") != std::string::npos ? 1 : 0;
  return pathMarks_ == 1;
}

const std::string& ActionValue::EmptyText() noexcept {
  static const std::string empty;
  return empty;
}

ActionValue ActionValue::Object(ScriptObject* object) {
  ActionValue v;
  if (object == nullptr) return v;
  switch (object->Kind()) {
    case ObjectKind::Function: v.type_ = ActionValueType::Function; break;
    case ObjectKind::Clip: v.type_ = ActionValueType::MovieClip; break;
    default: v.type_ = ActionValueType::Object; break;
  }
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
      const std::string& text = text_->Text();
      if (text.empty()) return swfVersion >= 7 ? nan : 0.0;
      double value = 0.0;
      if (ParseNumber(text, swfVersion, value)) return value;
      if (swfVersion < 5) {
        // The first generation reads the number a text starts with.
        value = ParseFloatPrefix(text);
        return std::isnan(value) ? 0.0 : value;
      }
      return nan;
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
      // Movies before version 5 write booleans as numbers.
      if (swfVersion < 5) return boolean_ ? "1" : "0";
      return boolean_ ? "true" : "false";
    case ActionValueType::Number:
      return FormatNumber(number_);
    case ActionValueType::String:
      return text_->Text();
    case ActionValueType::MovieClip: {
      // A reference to an instance that is gone reads as an empty text
      // (the interpreter first looks for a new instance of that path).
      const auto* clip = static_cast<const ClipObject*>(object_);
      return clip->Target() ? DotTargetPath(*clip->Target()) : std::string();
    }
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
      if (swfVersion >= 7) return !text_->Text().empty();
      const double n = ToNumber(swfVersion);
      return n != 0.0 && !std::isnan(n);
    }
    default:
      return true;
  }
}

const char* ActionValue::TypeOf() const {
  switch (type_) {
    case ActionValueType::Undefined: return "undefined";
    case ActionValueType::Null: return "null";
    case ActionValueType::Boolean: return "boolean";
    case ActionValueType::Number: return "number";
    case ActionValueType::String: return "string";
    case ActionValueType::MovieClip: {
      const auto* clip = static_cast<const ClipObject*>(object_);
      const ActionTarget* t = clip->Target();
      return t && (t->IsTextField() || t->IsButton()) ? "object" : "movieclip";
    }
    case ActionValueType::Function: return "function";
    case ActionValueType::Object: return "object";
  }
  return "undefined";
}

}  // namespace Halvane::Movie
