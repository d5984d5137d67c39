// The platform's debug output, where a movie's trace lines go: on Windows
// OutputDebugStringA (what a debugger or a debug-output viewer shows), on
// Linux standard error. Each line is prefixed so that it reads as the
// movie's among the program's own messages.
//
// Nothing here can be switched by configuration or by tests: code that
// wants the lines elsewhere (tests, swfrun) gives the movie control a sink
// of its own instead.
#pragma once

#include <string>

namespace Halvane::Platform {

// The prefix of every line written.
constexpr const char* kDebugOutputPrefix = "[movie] ";

// Writes one line (UTF-8, without its line end); the line end is added.
// Safe to call from any thread.
void WriteDebugOutput(const std::string& line);

// The local time's offset from UTC, in minutes, at a time given in
// milliseconds since 1970-01-01 UTC (what Date objects of movies show).
int LocalTimeOffsetMinutes(double utcMilliseconds);

}  // namespace Halvane::Platform
