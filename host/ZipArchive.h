// The reference host's data archives: standard ZIP files whose entries are
// stored without compression, so that a file inside an archive is a window
// of the archive (its path, a byte offset and a length). Compressed entries,
// ZIP64 archives and windows beyond 2^31 bytes are not offered.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace Halvane::Host {

struct ArchiveWindow {
  std::uint32_t offset = 0;
  std::uint32_t length = 0;
};

class ZipArchive {
 public:
  // Reads the archive's directory; false when the file cannot be read or is
  // not a ZIP file. Malformed entries are skipped, never read past the file.
  bool Open(const std::string& path);

  const std::string& Path() const { return path_; }
  std::size_t EntryCount() const { return entries_.size(); }

  // The window of the stored entry of that exact name, or false.
  bool Find(const std::string& name, ArchiveWindow& window) const;

 private:
  std::string path_;
  std::map<std::string, ArchiveWindow> entries_;
};

}  // namespace Halvane::Host
