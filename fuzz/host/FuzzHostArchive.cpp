// Writes the input to a file, opens it as a data archive and looks up every
// name it offers plus a few others; every window found must lie inside the
// file.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/ZipArchive.h"

namespace {
// The one scratch file of this process, removed again at exit.
struct ScratchFile {
  std::string path = "/tmp/fuzz_host_archive." + std::to_string(getpid()) + ".zip";
  ~ScratchFile() { std::remove(path.c_str()); }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const ScratchFile scratch;
  const std::string& path = scratch.path;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  Halvane::Host::ZipArchive archive;
  if (archive.Open(path)) {
    for (const char* name : {"a", "readme.txt", "movies/intro.swf", ""}) {
      Halvane::Host::ArchiveWindow window;
      if (archive.Find(name, window) &&
          std::uint64_t{window.offset} + window.length > size) {
        std::abort();
      }
    }
  }
  return 0;
}
