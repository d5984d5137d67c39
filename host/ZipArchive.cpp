#include "host/ZipArchive.h"

#include <algorithm>
#include <fstream>
#include <vector>

namespace Halvane::Host {

namespace {

constexpr std::uint32_t kEndOfDirectory = 0x06054b50;
constexpr std::uint32_t kDirectoryEntry = 0x02014b50;
constexpr std::uint32_t kLocalHeader = 0x04034b50;
constexpr std::size_t kEndRecordSize = 22;
constexpr std::size_t kLongestComment = 0xFFFF;
constexpr std::uint64_t kLargestDirectory = 16u << 20;
constexpr std::uint64_t kLargestWindowEnd = 0x7FFFFFFFu;

std::uint32_t U16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

bool ReadAt(std::ifstream& file, std::uint64_t offset, std::size_t size,
            std::vector<std::uint8_t>& out) {
  out.resize(size);
  file.clear();
  file.seekg(static_cast<std::streamoff>(offset));
  if (!file) return false;
  file.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(size));
  return static_cast<std::size_t>(file.gcount()) == size;
}

}  // namespace

bool ZipArchive::Open(const std::string& path) {
  entries_.clear();
  path_ = path;
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  file.seekg(0, std::ios::end);
  const std::streamoff end = file.tellg();
  if (end < static_cast<std::streamoff>(kEndRecordSize)) return false;
  const std::uint64_t fileSize = static_cast<std::uint64_t>(end);

  // The end record is the last 22 bytes plus a comment of up to 64 KiB.
  const std::size_t tailSize = static_cast<std::size_t>(
      std::min<std::uint64_t>(fileSize, kEndRecordSize + kLongestComment));
  std::vector<std::uint8_t> tail;
  if (!ReadAt(file, fileSize - tailSize, tailSize, tail)) return false;
  std::size_t at = tailSize - kEndRecordSize + 1;
  bool found = false;
  while (at-- > 0) {
    if (U32(&tail[at]) == kEndOfDirectory) {
      found = true;
      break;
    }
  }
  if (!found) return false;
  const std::uint64_t directorySize = U32(&tail[at + 12]);
  const std::uint64_t directoryOffset = U32(&tail[at + 16]);
  if (directorySize > kLargestDirectory || directoryOffset + directorySize > fileSize) {
    return false;
  }
  std::vector<std::uint8_t> directory;
  if (!ReadAt(file, directoryOffset, static_cast<std::size_t>(directorySize), directory)) {
    return false;
  }

  std::size_t pos = 0;
  std::vector<std::uint8_t> local;
  while (pos + 46 <= directory.size() && U32(&directory[pos]) == kDirectoryEntry) {
    const std::uint8_t* e = &directory[pos];
    const std::uint32_t method = U16(e + 10);
    const std::uint32_t packedSize = U32(e + 20);
    const std::uint32_t size = U32(e + 24);
    const std::size_t nameLength = U16(e + 28);
    const std::size_t extraLength = U16(e + 30);
    const std::size_t commentLength = U16(e + 32);
    const std::uint64_t localOffset = U32(e + 42);
    const std::size_t next = pos + 46 + nameLength + extraLength + commentLength;
    if (next > directory.size()) break;
    const std::string name(reinterpret_cast<const char*>(e + 46), nameLength);
    pos = next;
    // An empty entry cannot be a window: a length of 0 means "to the end of
    // the file" to the plug-ins.
    if (method != 0 || packedSize != size || size == 0 || name.empty() || name.back() == '/') {
      continue;
    }
    if (localOffset + 30 > fileSize || !ReadAt(file, localOffset, 30, local) ||
        U32(local.data()) != kLocalHeader) {
      continue;
    }
    const std::uint64_t dataOffset = localOffset + 30 + U16(&local[26]) + U16(&local[28]);
    if (dataOffset + size > fileSize || dataOffset + size > kLargestWindowEnd) continue;
    entries_.emplace(name, ArchiveWindow{static_cast<std::uint32_t>(dataOffset), size});
  }
  return true;
}

bool ZipArchive::Find(const std::string& name, ArchiveWindow& window) const {
  const auto it = entries_.find(name);
  if (it == entries_.end()) return false;
  window = it->second;
  return true;
}

}  // namespace Halvane::Host
