// The readers open files sharing only reading, so while one holds the file,
// opening it for writing fails with a sharing violation.
#include "support/Handles.h"

#include "platform/Com.h"

namespace Halvane::Testing {

bool FileIsHeldOpen(const std::string& path) {
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_SHARING_VIOLATION;
  ::CloseHandle(file);
  return false;
}

}  // namespace Halvane::Testing
