#include "host/Pictures.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "io/ImageCodec.h"

namespace Halvane::Host {

std::vector<std::uint8_t> EncodePng(const RgbImage& image) {
  if (image.width <= 0 || image.height <= 0 || image.width > 1 << 15 ||
      image.height > 1 << 15 ||
      image.rgb.size() != static_cast<std::size_t>(image.width) * image.height * 3) {
    return {};
  }
  return IO::EncodePngRgb(image.rgb.data(), image.width, image.height,
                          static_cast<std::size_t>(image.width) * 3);
}

bool ReadPicture(const std::string& path, int maxSide, RgbImage& image, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot read " + path;
    return false;
  }
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                        std::istreambuf_iterator<char>());
  std::int32_t width = 0, height = 0;
  if (!IO::PeekImageSize(bytes.data(), bytes.size(), &width, &height)) {
    error = path + " is no PNG, JPEG, GIF or BMP picture";
    return false;
  }
  if (width < 1 || height < 1 || width > maxSide || height > maxSide) {
    error = path + " is larger than " + std::to_string(maxSide) + " pixels a side";
    return false;
  }
  IO::DecodedImage decoded;
  if (!IO::DecodeImage(bytes.data(), bytes.size(), decoded)) {
    error = path + " cannot be decoded";
    return false;
  }
  image.width = decoded.width;
  image.height = decoded.height;
  image.rgb.resize(static_cast<std::size_t>(decoded.width) * decoded.height * 3);
  for (std::size_t i = 0, n = image.rgb.size() / 3; i < n; ++i) {
    std::memcpy(&image.rgb[i * 3], &decoded.rgba[i * 4], 3);
  }
  return true;
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
