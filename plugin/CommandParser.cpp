#include "plugin/CommandParser.h"

namespace Halvane::VlmPlugIn {

bool ParseCommand(const std::string& text, std::string& name, CommandArguments& arguments) {
  bool escaped = false;
  bool quoted = false;
  bool listOpened = false;
  std::string collected;
  const std::size_t length = text.size();
  for (std::size_t i = 0; i < length; ++i) {
    const char c = text[i];
    if (c == '\\' && !escaped) {
      escaped = true;
      continue;
    }
    if (c == '\'' && !escaped) {
      quoted = !quoted;
      continue;
    }
    const bool plain = !quoted && !escaped;
    if (c == ' ' && plain) continue;
    if (c == '(' && plain) {
      name = collected;
      collected.clear();
      listOpened = true;
      continue;
    }
    if (c == ')' && plain) {
      if (!listOpened || i + 1 != length) return false;
      if (!collected.empty()) arguments.push_back(collected);
      return true;
    }
    if (c == ',' && plain) {
      arguments.push_back(collected);
      collected.clear();
      continue;
    }
    escaped = false;
    collected.push_back(c);
  }
  return false;
}

}  // namespace Halvane::VlmPlugIn
