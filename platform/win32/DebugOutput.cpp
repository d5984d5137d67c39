// OutputDebugStringA takes text in the system code page, so the movie's
// UTF-8 line is converted through UTF-16 first.
#include "platform/DebugOutput.h"

#include <cmath>

#include "platform/Com.h"

namespace Halvane::Platform {

void WriteDebugOutput(const std::string& line) {
  const std::string utf8 = kDebugOutputPrefix + line + "\n";
  const int units = ::MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
  if (units <= 0) return;
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &wide[0], units);
  const int bytes = ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return;
  std::string text(static_cast<std::size_t>(bytes), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &text[0], bytes, nullptr, nullptr);
  ::OutputDebugStringA(text.c_str());
}

int LocalTimeOffsetMinutes(double utcMilliseconds) {
  if (!std::isfinite(utcMilliseconds)) return 0;
  // FILETIME counts 100 ns from 1601; the offset is the difference between
  // the local time the system computes for that moment and the moment.
  const double ticks = (utcMilliseconds + 11644473600000.0) * 10000.0;
  if (ticks < 0 || ticks > 9.2e18) return 0;
  const ULONGLONG value = static_cast<ULONGLONG>(ticks);
  FILETIME utc;
  utc.dwLowDateTime = static_cast<DWORD>(value & 0xFFFFFFFFu);
  utc.dwHighDateTime = static_cast<DWORD>(value >> 32);
  SYSTEMTIME utcSystem;
  SYSTEMTIME localSystem;
  FILETIME local;
  if (!::FileTimeToSystemTime(&utc, &utcSystem)) return 0;
  if (!::SystemTimeToTzSpecificLocalTime(nullptr, &utcSystem, &localSystem)) return 0;
  if (!::SystemTimeToFileTime(&localSystem, &local)) return 0;
  const ULONGLONG localValue = (static_cast<ULONGLONG>(local.dwHighDateTime) << 32) | local.dwLowDateTime;
  const double difference = static_cast<double>(static_cast<LONGLONG>(localValue - value)) / 10000.0;
  return static_cast<int>(std::lround(difference / 60000.0));
}

}  // namespace Halvane::Platform
