#include "movie/actions/FlashVars.h"

#include "movie/swf/Text.h"

namespace Halvane::Movie {

namespace {

int HexValue(char c) {
  const int d = DigitValue(c);
  return d < 16 ? d : -1;
}

}  // namespace

std::string UrlDecode(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '+') {
      out += ' ';
    } else if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
               HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

std::vector<FlashVar> ParseFlashVars(const std::string& text) {
  std::vector<FlashVar> vars;
  std::size_t begin = 0;
  while (begin <= text.size()) {
    std::size_t end = text.find('&', begin);
    if (end == std::string::npos) end = text.size();
    const std::string pair = text.substr(begin, end - begin);
    const std::size_t equals = pair.find('=');
    FlashVar var;
    var.name = UrlDecode(pair.substr(0, equals));
    if (equals != std::string::npos) var.value = UrlDecode(pair.substr(equals + 1));
    if (!var.name.empty()) vars.push_back(std::move(var));
    begin = end + 1;
  }
  return vars;
}

std::size_t ApplyFlashVars(ActionTarget& root, const std::string& text) {
  std::size_t count = 0;
  for (auto& var : ParseFlashVars(text)) {
    if (root.Variables().Set(var.name, ActionValue::String(std::move(var.value)))) ++count;
  }
  return count;
}

}  // namespace Halvane::Movie
