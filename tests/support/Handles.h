// Whether this process still holds a file open, so that a test can see that
// what it opened was closed again.
#pragma once

#include <string>

namespace Halvane::Testing {

bool FileIsHeldOpen(const std::string& path);

}  // namespace Halvane::Testing
