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

std::string FormatNumber(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
  if (value == 0.0) return "0";

  // 15 significant digits, then drop the zeros the rounding left behind.
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.14e", value);
  const char* p = buffer;
  std::string sign;
  if (*p == '-') {
    sign = "-";
    ++p;
  }
  std::string digits;
  while (*p && *p != 'e') {
    if (*p >= '0' && *p <= '9') digits += *p;
    ++p;
  }
  const int exponent = (*p == 'e') ? std::atoi(p + 1) : 0;
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out = sign;
  if (exponent >= 15 || exponent < -5) {
    out += digits[0];
    if (digits.size() > 1) {
      out += '.';
      out += digits.substr(1);
    }
    out += 'e';
    out += exponent >= 0 ? '+' : '-';
    out += std::to_string(exponent >= 0 ? exponent : -exponent);
    return out;
  }
  if (exponent < 0) {
    out += "0.";
    out.append(static_cast<std::size_t>(-exponent - 1), '0');
    out += digits;
    return out;
  }
  const std::size_t intDigits = static_cast<std::size_t>(exponent) + 1;
  if (digits.size() <= intDigits) {
    out += digits;
    out.append(intDigits - digits.size(), '0');
  } else {
    out += digits.substr(0, intDigits);
    out += '.';
    out += digits.substr(intDigits);
  }
  return out;
}

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool ParseNumber(const std::string& text, int swfVersion, double& value) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsSpace(text[begin])) ++begin;
  while (end > begin && IsSpace(text[end - 1])) --end;
  if (begin == end) return false;

  if (swfVersion >= 5 && end - begin > 2 && text[begin] == '0' &&
      (text[begin + 1] == 'x' || text[begin + 1] == 'X')) {
    double result = 0.0;
    for (std::size_t i = begin + 2; i < end; ++i) {
      const int d = HexDigit(text[i]);
      if (d < 0) return false;
      result = result * 16.0 + d;
    }
    value = result;
    return true;
  }

  // Validate the decimal shape first so that strtod never sees (and never
  // accepts) anything else, such as "inf" or hexadecimal floats.
  std::size_t i = begin;
  if (text[i] == '+' || text[i] == '-') ++i;
  std::size_t mantissaDigits = 0;
  while (i < end && IsDigit(text[i])) ++i, ++mantissaDigits;
  if (i < end && text[i] == '.') {
    ++i;
    while (i < end && IsDigit(text[i])) ++i, ++mantissaDigits;
  }
  if (mantissaDigits == 0) return false;
  if (i < end && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < end && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t exponentDigits = 0;
    while (i < end && IsDigit(text[i])) ++i, ++exponentDigits;
    if (exponentDigits == 0) return false;
  }
  if (i != end) return false;
  const std::string number = text.substr(begin, end - begin);
  value = std::strtod(number.c_str(), nullptr);
  return true;
}

}  // namespace Halvane::Movie
