#include "host/PngWriter.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <fstream>

namespace Halvane::Host {

namespace {

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v >> 24));
  out.push_back(static_cast<std::uint8_t>(v >> 16));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
  out.push_back(static_cast<std::uint8_t>(v));
}

void PutChunk(std::vector<std::uint8_t>& out, const char* type,
              const std::vector<std::uint8_t>& data) {
  PutU32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  const uLong crc = crc32(0L, out.data() + start, static_cast<uInt>(out.size() - start));
  PutU32(out, static_cast<std::uint32_t>(crc));
}

}  // namespace

std::vector<std::uint8_t> EncodePng(const RgbImage& image) {
  if (image.width <= 0 || image.height <= 0 || image.width > 1 << 15 ||
      image.height > 1 << 15 ||
      image.rgb.size() != static_cast<std::size_t>(image.width) * image.height * 3) {
    return {};
  }
  const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 3;
  std::vector<std::uint8_t> raw;
  raw.reserve((rowBytes + 1) * image.height);
  for (int y = 0; y < image.height; ++y) {
    raw.push_back(0);
    const std::uint8_t* row = image.rgb.data() + rowBytes * y;
    raw.insert(raw.end(), row, row + rowBytes);
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::vector<std::uint8_t> packed(packedSize);
  if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 6) !=
      Z_OK) {
    return {};
  }
  packed.resize(packedSize);

  std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  PutU32(header, static_cast<std::uint32_t>(image.width));
  PutU32(header, static_cast<std::uint32_t>(image.height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // depth, RGB, deflate, filter, no interlace
  PutChunk(out, "IHDR", header);
  PutChunk(out, "IDAT", packed);
  PutChunk(out, "IEND", {});
  return out;
}

bool WritePng(const std::string& path, const RgbImage& image) {
  const std::vector<std::uint8_t> bytes = EncodePng(image);
  if (bytes.empty()) return false;
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return false;
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

RgbImage ContactSheet(const std::vector<RgbImage>& pictures, int columns) {
  constexpr int kGap = 8;
  constexpr std::uint8_t kGround = 48;
  constexpr long long kLargestSheet = 1 << 26;  // pixels
  RgbImage sheet;
  if (pictures.empty() || columns < 1) return sheet;
  int cellWidth = 1, cellHeight = 1;
  for (const RgbImage& p : pictures) {
    cellWidth = std::max(cellWidth, p.width);
    cellHeight = std::max(cellHeight, p.height);
  }
  const int count = static_cast<int>(pictures.size());
  const int across = std::min(columns, count);
  const int down = (count + across - 1) / across;
  const long long width = kGap + static_cast<long long>(across) * (cellWidth + kGap);
  const long long height = kGap + static_cast<long long>(down) * (cellHeight + kGap);
  if (width * height > kLargestSheet) return sheet;
  sheet.width = static_cast<int>(width);
  sheet.height = static_cast<int>(height);
  sheet.rgb.assign(static_cast<std::size_t>(sheet.width) * sheet.height * 3, kGround);
  for (int i = 0; i < count; ++i) {
    const RgbImage& p = pictures[static_cast<std::size_t>(i)];
    if (p.rgb.size() != static_cast<std::size_t>(p.width) * p.height * 3) continue;
    const int left = kGap + (i % across) * (cellWidth + kGap);
    const int top = kGap + (i / across) * (cellHeight + kGap);
    for (int y = 0; y < p.height; ++y) {
      std::memcpy(sheet.rgb.data() + (static_cast<std::size_t>(top + y) * sheet.width + left) * 3,
                  p.rgb.data() + static_cast<std::size_t>(y) * p.width * 3,
                  static_cast<std::size_t>(p.width) * 3);
    }
  }
  return sheet;
}

}  // namespace Halvane::Host
