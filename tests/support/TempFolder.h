// A folder of its own for one test's files, removed with everything in it
// when the test ends. Works on every target (std::filesystem).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Halvane::Testing {

class TempFolder {
 public:
  // A new, empty folder under the system's temporary folder, its name
  // starting with prefix. Path() is empty when none could be made.
  explicit TempFolder(const std::string& prefix = "vm-test");
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path_; }

  // Writes a file of the folder (name may hold sub-folders, made as needed)
  // and returns its full path.
  std::string Write(const std::string& name, const std::vector<std::uint8_t>& content);

 private:
  std::string path_;
};

}  // namespace Halvane::Testing
