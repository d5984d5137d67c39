// Looks through the process's open descriptors for one on the file.
#include "support/Handles.h"

#include <dirent.h>
#include <sys/stat.h>

#include <string>

namespace Halvane::Testing {

bool FileIsHeldOpen(const std::string& path) {
  struct stat target;
  if (stat(path.c_str(), &target) != 0) return false;
  bool held = false;
  if (DIR* d = opendir("/proc/self/fd")) {
    while (dirent* entry = readdir(d)) {
      struct stat open;
      const std::string fd = std::string("/proc/self/fd/") + entry->d_name;
      if (stat(fd.c_str(), &open) == 0 && open.st_dev == target.st_dev &&
          open.st_ino == target.st_ino) {
        held = true;
      }
    }
    closedir(d);
  }
  return held;
}

}  // namespace Halvane::Testing
