#include "tools/ZipWriter.h"

#include <zlib.h>

namespace Halvane::Tools {

namespace {
constexpr std::uint16_t kDosTime = 0;                             // 00:00:00
constexpr std::uint16_t kDosDate = ((2020 - 1980) << 9) | (1 << 5) | 1;  // 2020-01-01
constexpr std::uint16_t kUtf8Names = 0x0800;
}  // namespace

Bytes StoredZip(const std::vector<std::pair<std::string, Bytes>>& entries) {
  ByteWriter archive;
  ByteWriter directory;
  for (const auto& [name, data] : entries) {
    const std::uint32_t offset = static_cast<std::uint32_t>(archive.Data().size());
    const std::uint32_t crc = static_cast<std::uint32_t>(
        crc32(crc32(0L, Z_NULL, 0), data.data(), static_cast<uInt>(data.size())));
    const auto size = static_cast<std::uint32_t>(data.size());
    const auto nameLength = static_cast<std::uint16_t>(name.size());
    archive.U32(0x04034B50).U16(10).U16(kUtf8Names).U16(0).U16(kDosTime).U16(kDosDate);
    archive.U32(crc).U32(size).U32(size).U16(nameLength).U16(0);
    archive.Append(Bytes(name.begin(), name.end())).Append(data);
    directory.U32(0x02014B50).U16(20).U16(10).U16(kUtf8Names).U16(0).U16(kDosTime).U16(kDosDate);
    directory.U32(crc).U32(size).U32(size).U16(nameLength).U16(0).U16(0).U16(0).U16(0).U32(0);
    directory.U32(offset).Append(Bytes(name.begin(), name.end()));
  }
  const auto directoryOffset = static_cast<std::uint32_t>(archive.Data().size());
  const auto directorySize = static_cast<std::uint32_t>(directory.Data().size());
  const auto count = static_cast<std::uint16_t>(entries.size());
  archive.Append(directory.Data());
  archive.U32(0x06054B50).U16(0).U16(0).U16(count).U16(count).U32(directorySize);
  archive.U32(directoryOffset).U16(0);
  return archive.Take();
}

}  // namespace Halvane::Tools
