// Without a debugger channel the lines go to standard error, written whole
// so that lines of two threads do not interleave.
#include "platform/DebugOutput.h"

#include <time.h>
#include <unistd.h>

#include <cmath>

namespace Halvane::Platform {

void WriteDebugOutput(const std::string& line) {
  std::string text = kDebugOutputPrefix;
  text += line;
  text += '\n';
  const char* p = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    const ssize_t written = ::write(STDERR_FILENO, p, left);
    if (written <= 0) return;
    p += written;
    left -= static_cast<std::size_t>(written);
  }
}

int LocalTimeOffsetMinutes(double utcMilliseconds) {
  if (!std::isfinite(utcMilliseconds)) return 0;
  const time_t seconds = static_cast<time_t>(std::floor(utcMilliseconds / 1000));
  struct tm local {};
  if (localtime_r(&seconds, &local) == nullptr) return 0;
  return static_cast<int>(local.tm_gmtoff / 60);
}

}  // namespace Halvane::Platform
