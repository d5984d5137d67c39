#include "plugin/ArgumentConversions.h"

#include <vector>

namespace Halvane::VlmPlugIn {

std::int32_t ParseInteger(const std::string& text, std::int32_t& value) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // Accumulate the magnitude, stopping to grow once it is out of range, so
  // that a long run of digits never overflows.
  constexpr std::int64_t kBeyond = std::int64_t{1} << 32;
  std::int64_t magnitude = 0;
  for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (magnitude < kBeyond) magnitude = magnitude * 10 + (text[i] - '0');
  }
  const std::int64_t result = negative ? -magnitude : magnitude;
  if (result >= INT32_MAX || result <= INT32_MIN) return 0;
  value = static_cast<std::int32_t>(result);
  return 1;
}

std::int32_t AnsiToWide(const std::string& text, Platform::WideString& wide) {
  const int needed = Platform::MultiByteToWide(text.c_str(), -1, nullptr, 0);
  if (needed <= 0) return 0;
  std::vector<Platform::WideChar> buffer(static_cast<std::size_t>(needed));
  if (Platform::MultiByteToWide(text.c_str(), -1, buffer.data(), needed) <= 0) return 0;
  std::size_t end = 0;
  while (end < buffer.size() && buffer[end] != 0) ++end;
  wide.assign(buffer.data(), end);
  return 1;
}

std::int32_t WideToAnsi(const Platform::WideString& wide, std::string& text) {
  const int needed = Platform::WideToMultiByte(wide.c_str(), -1, nullptr, 0);
  if (needed <= 0) return 0;
  std::vector<char> buffer(static_cast<std::size_t>(needed));
  if (Platform::WideToMultiByte(wide.c_str(), -1, buffer.data(), needed) <= 0) return 0;
  std::size_t end = 0;
  while (end < buffer.size() && buffer[end] != 0) ++end;
  text.assign(buffer.data(), end);
  return 1;
}

}  // namespace Halvane::VlmPlugIn
