// Whole-string conversions on top of the platform's two calls: measure, then
// convert, then cut at the terminating zero.
#include "platform/CodePage.h"

#include <vector>

namespace Halvane::Platform {

bool SystemCodePageToUtf16(const std::string& text, std::u16string& out) {
  out.clear();
  if (text.empty() || text[0] == 0) return true;
  const int needed = MultiByteToWide(text.c_str(), -1, nullptr, 0);
  if (needed <= 0) return false;
  std::vector<WideChar> units(static_cast<std::size_t>(needed));
  if (MultiByteToWide(text.c_str(), -1, units.data(), needed) <= 0) return false;
  for (std::size_t i = 0; i < units.size() && units[i] != 0; ++i) {
    out.push_back(static_cast<char16_t>(units[i]));
  }
  return true;
}

bool Utf16ToSystemCodePage(const std::u16string& text, std::string& out) {
  out.clear();
  if (text.empty() || text[0] == 0) return true;
  const WideString units(text.begin(), text.end());
  const int needed = WideToMultiByte(units.c_str(), -1, nullptr, 0);
  if (needed <= 0) return false;
  std::vector<char> bytes(static_cast<std::size_t>(needed));
  if (WideToMultiByte(units.c_str(), -1, bytes.data(), needed) <= 0) return false;
  out.assign(bytes.data());
  return true;
}

}  // namespace Halvane::Platform
