#include "ThreadTime.h"

#include "platform/Com.h"

namespace Halvane::Bench {

std::uint64_t ThreadProcessorNanoseconds() {
  FILETIME created, ended, kernel, user;
  if (!::GetThreadTimes(::GetCurrentThread(), &created, &ended, &kernel, &user)) return 0;
  const auto ticks = [](const FILETIME& t) {
    return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return (ticks(kernel) + ticks(user)) * 100;  // 100 ns units
}

}  // namespace Halvane::Bench
