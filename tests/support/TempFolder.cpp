#include "support/TempFolder.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace Halvane::Testing {

namespace fs = std::filesystem;

TempFolder::TempFolder(const std::string& prefix) {
  static std::atomic<unsigned> counter{0};
  std::error_code error;
  const fs::path base = fs::temp_directory_path(error);
  if (error) return;
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path candidate =
        base / (prefix + "-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    if (fs::create_directory(candidate, error) && !error) {
      path_ = candidate.string();
      return;
    }
  }
}

TempFolder::~TempFolder() {
  if (path_.empty()) return;
  std::error_code error;
  fs::remove_all(path_, error);
}

std::string TempFolder::Write(const std::string& name, const std::vector<std::uint8_t>& content) {
  const fs::path file = fs::path(path_) / name;
  std::error_code error;
  fs::create_directories(file.parent_path(), error);
  std::ofstream out(file, std::ios::binary);
  if (!content.empty()) {
    out.write(reinterpret_cast<const char*>(content.data()),
              static_cast<std::streamsize>(content.size()));
  }
  return file.string();
}

}  // namespace Halvane::Testing
