#include "movie/actions/ExternalCall.h"

#include <cmath>
#include <limits>
#include <utility>

#include "movie/actions/ActionPath.h"
#include "movie/actions/Numbers.h"
#include "movie/swf/Text.h"

namespace Halvane::Movie {

namespace {

// Requests longer than this or with more arguments are refused outright:
// no host sends them, and the caps keep a hostile one cheap.
constexpr std::size_t MaxRequestLength = 1u << 20;
constexpr std::size_t MaxArguments = 256;

bool IsNameChar(char c) {
  return IsAsciiLetter(c) || IsAsciiDigit(c) || c == '_' || c == '-' || c == ':' || c == '.';
}


// Decodes the five named entities and numeric character references; any
// other "&" makes the text malformed.
bool DecodeEntities(const std::string& raw, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '&') {
      out += raw[i];
      continue;
    }
    // Entities are short: look for the ";" close by only, so that text full
    // of "&" costs linear time.
    std::size_t semicolon = i + 1;
    while (semicolon < raw.size() && semicolon - i <= 12 && raw[semicolon] != ';') ++semicolon;
    if (semicolon >= raw.size() || raw[semicolon] != ';') return false;
    const std::string entity = raw.substr(i + 1, semicolon - i - 1);
    i = semicolon;
    if (entity == "lt") out += '<';
    else if (entity == "gt") out += '>';
    else if (entity == "amp") out += '&';
    else if (entity == "quot") out += '"';
    else if (entity == "apos") out += '\'';
    else if (entity.size() >= 2 && entity[0] == '#') {
      const bool hex = entity[1] == 'x' || entity[1] == 'X';
      const std::size_t start = hex ? 2 : 1;
      if (start >= entity.size()) return false;
      std::uint32_t cp = 0;
      for (std::size_t k = start; k < entity.size(); ++k) {
        const char c = entity[k];
        const int d = DigitValue(c);
        if (d < 0 || d >= (hex ? 16 : 10)) return false;
        cp = cp * (hex ? 16 : 10) + static_cast<std::uint32_t>(d);
        if (cp > 0x10FFFF) return false;
      }
      if (cp == 0 || !AppendUtf8(out, cp)) return false;  // no text holds U+0000 or a surrogate
    } else {
      return false;
    }
  }
  return true;
}

std::string EscapeText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (c == '&') out += "&amp;";
    else if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else out += c;
  }
  return out;
}

struct Tag {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;
  bool selfClosing = false;
};

// A cursor over the request text for the few shapes of markup it may hold.
class Cursor {
 public:
  explicit Cursor(const std::string& text) : text_(text) {}

  void SkipSpace() {
    while (pos_ < text_.size() && IsXmlSpace(text_[pos_])) ++pos_;
  }
  bool AtEnd() const { return pos_ >= text_.size(); }
  bool Take(const char* literal) {
    std::size_t i = 0;
    while (literal[i]) {
      if (pos_ + i >= text_.size() || text_[pos_ + i] != literal[i]) return false;
      ++i;
    }
    pos_ += i;
    return true;
  }
  bool Peek(const char* literal) const {
    for (std::size_t i = 0; literal[i]; ++i) {
      if (pos_ + i >= text_.size() || text_[pos_ + i] != literal[i]) return false;
    }
    return true;
  }
  // Skips a leading "<?xml ... ?>" declaration.
  bool SkipDeclaration() {
    if (!Peek("<?")) return true;
    const std::size_t end = text_.find("?>", pos_);
    if (end == std::string::npos) return false;
    pos_ = end + 2;
    return true;
  }
  std::string Name() {
    const std::size_t start = pos_;
    while (pos_ < text_.size() && IsNameChar(text_[pos_])) ++pos_;
    return text_.substr(start, pos_ - start);
  }
  bool StartTag(Tag& tag) {
    if (!Take("<")) return false;
    tag.name = Name();
    if (tag.name.empty()) return false;
    for (;;) {
      const std::size_t before = pos_;
      SkipSpace();
      if (Take("/>")) {
        tag.selfClosing = true;
        return true;
      }
      if (Take(">")) return true;
      if (pos_ == before) return false;  // attributes need a space before them
      std::string name = Name();
      if (name.empty()) return false;
      SkipSpace();
      if (!Take("=")) return false;
      SkipSpace();
      if (AtEnd()) return false;
      const char quote = text_[pos_];
      if (quote != '"' && quote != '\'') return false;
      const std::size_t end = text_.find(quote, pos_ + 1);
      if (end == std::string::npos) return false;
      const std::string raw = text_.substr(pos_ + 1, end - pos_ - 1);
      if (raw.find('<') != std::string::npos) return false;
      std::string value;
      if (!DecodeEntities(raw, value)) return false;
      pos_ = end + 1;
      tag.attributes.emplace_back(std::move(name), std::move(value));
    }
  }
  bool EndTag(const std::string& name) {
    if (!Take("</")) return false;
    if (Name() != name) return false;
    SkipSpace();
    return Take(">");
  }
  // Character data up to the next "<", decoded.
  bool Text(std::string& out) {
    const std::size_t end = text_.find('<', pos_);
    if (end == std::string::npos) return false;
    const std::string raw = text_.substr(pos_, end - pos_);
    pos_ = end;
    return DecodeEntities(raw, out);
  }

 private:
  const std::string& text_;
  std::size_t pos_ = 0;
};

bool ParseNumberText(const std::string& text, double& value) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsXmlSpace(text[begin])) ++begin;
  while (end > begin && IsXmlSpace(text[end - 1])) --end;
  const std::string trimmed = text.substr(begin, end - begin);
  if (trimmed == "NaN") {
    value = std::numeric_limits<double>::quiet_NaN();
    return true;
  }
  if (trimmed == "Infinity" || trimmed == "-Infinity") {
    value = trimmed[0] == '-' ? -std::numeric_limits<double>::infinity()
                              : std::numeric_limits<double>::infinity();
    return true;
  }
  // Decimal only: a host writes numbers the way the answers write them.
  if (trimmed.size() > 1 && trimmed[0] == '0' && (trimmed[1] == 'x' || trimmed[1] == 'X')) return false;
  return ParseNumber(trimmed, 10, value);
}

bool ParseArgument(Cursor& cursor, ActionValue& value) {
  Tag tag;
  if (!cursor.StartTag(tag) || !tag.attributes.empty()) return false;
  const std::string& name = tag.name;
  if (name == "true" || name == "false" || name == "null" || name == "undefined") {
    if (!tag.selfClosing && !cursor.EndTag(name)) return false;
    if (name == "true") value = ActionValue::Boolean(true);
    else if (name == "false") value = ActionValue::Boolean(false);
    else if (name == "null") value = ActionValue::Null();
    else value = ActionValue::Undefined();
    return true;
  }
  if (name == "string") {
    std::string text;
    if (!tag.selfClosing && (!cursor.Text(text) || !cursor.EndTag(name))) return false;
    value = ActionValue::String(std::move(text));
    return true;
  }
  if (name == "number") {
    std::string text;
    double number = 0;
    if (tag.selfClosing || !cursor.Text(text) || !cursor.EndTag(name)) return false;
    if (!ParseNumberText(text, number)) return false;
    value = ActionValue::Number(number);
    return true;
  }
  return false;  // <array>, <object> and anything else
}

}  // namespace

bool ParseInvokeRequest(const std::string& text, InvokeRequest& request) {
  if (text.size() > MaxRequestLength) return false;
  Cursor cursor(text);
  cursor.SkipSpace();
  if (!cursor.SkipDeclaration()) return false;
  cursor.SkipSpace();

  Tag invoke;
  if (!cursor.StartTag(invoke) || invoke.name != "invoke") return false;
  InvokeRequest result;
  bool named = false;
  for (const auto& attribute : invoke.attributes) {
    if (attribute.first == "name") {
      if (named) return false;
      result.name = attribute.second;
      named = true;
    } else if (attribute.first != "returntype") {
      return false;
    }
  }
  if (!named || result.name.empty()) return false;

  if (!invoke.selfClosing) {
    cursor.SkipSpace();
    if (cursor.Peek("<arguments")) {
      Tag arguments;
      if (!cursor.StartTag(arguments) || arguments.name != "arguments" ||
          !arguments.attributes.empty()) {
        return false;
      }
      if (!arguments.selfClosing) {
        for (;;) {
          cursor.SkipSpace();
          if (cursor.Peek("</")) break;
          if (result.arguments.size() >= MaxArguments) return false;
          ActionValue value;
          if (!ParseArgument(cursor, value)) return false;
          result.arguments.push_back(std::move(value));
        }
        if (!cursor.EndTag("arguments")) return false;
      }
      cursor.SkipSpace();
    }
    if (!cursor.EndTag("invoke")) return false;
  }
  cursor.SkipSpace();
  if (!cursor.AtEnd()) return false;
  request = std::move(result);
  return true;
}

std::string EncodeInvokeResult(const ActionValue& value, int swfVersion) {
  switch (value.Type()) {
    case ActionValueType::Null:
      return "<null/>";
    case ActionValueType::Boolean:
      return value.BooleanValue() ? "<true/>" : "<false/>";
    case ActionValueType::Number:
      return "<number>" + FormatNumber(value.NumberValue()) + "</number>";
    case ActionValueType::String:
    case ActionValueType::MovieClip:
      return "<string>" + EscapeText(value.ToString(swfVersion)) + "</string>";
    default:
      return "<undefined/>";
  }
}

bool ExternalCallbacks::Register(const std::string& name, ActionValue function,
                                 ActionValue thisValue) {
  for (auto& callback : callbacks_) {
    if (callback.name == name) {
      callback.function = std::move(function);
      callback.thisValue = std::move(thisValue);
      return true;
    }
  }
  if (callbacks_.size() >= MaxCallbacks) return false;
  callbacks_.push_back(Callback{name, std::move(function), std::move(thisValue)});
  return true;
}

const ExternalCallbacks::Callback* ExternalCallbacks::Find(const std::string& name) const {
  for (const auto& callback : callbacks_) {
    if (callback.name == name) return &callback;
  }
  return nullptr;
}

bool InvokeExternal(const std::string& request, ActionTarget& root, ActionContext& context,
                    std::string& response) {
  if (!context.callbacks) return false;
  InvokeRequest invoke;
  if (!ParseInvokeRequest(request, invoke)) return false;
  const ExternalCallbacks::Callback* callback = context.callbacks->Find(invoke.name);
  if (!callback || callback->function.Type() != ActionValueType::Function) return false;
  // Copies: the call may register again and so move the table's entries.
  const ActionValue function = callback->function;
  const ActionValue thisValue = callback->thisValue;

  // The call runs on a budget of its own, whatever the frame has spent.
  const std::size_t savedBudget = context.instructionBudget;
  context.instructionBudget = ActionContext::DefaultBudget;
  const ActionValue result = CallActionFunction(function, thisValue, invoke.arguments, root, context);
  context.instructionBudget = savedBudget;
  response = EncodeInvokeResult(result, context.swfVersion);
  return true;
}

}  // namespace Halvane::Movie
