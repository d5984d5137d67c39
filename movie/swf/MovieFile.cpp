#include "movie/swf/MovieFile.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include <zlib.h>

namespace Halvane::Movie {

namespace {
constexpr std::size_t kChunk = 64 * 1024;
}  // namespace

bool UncompressMovie(const std::vector<std::uint8_t>& file, std::vector<std::uint8_t>& out) {
  if (file.size() < 8) return false;
  if (std::memcmp(file.data(), "FWS", 3) == 0) {
    out = file;
    return true;
  }
  if (std::memcmp(file.data(), "CWS", 3) != 0) return false;
  std::uint32_t length = 0;
  std::memcpy(&length, file.data() + 4, 4);  // little-endian on both targets
  if (length < 8) length = 8;
  if (length > kMaxMovieBytes) length = kMaxMovieBytes;
  out.assign(file.begin(), file.begin() + 8);
  out[0] = 'F';
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return false;
  z.next_in = const_cast<Bytef*>(file.data() + 8);
  z.avail_in = static_cast<uInt>(file.size() - 8);
  std::vector<std::uint8_t> chunk(kChunk);
  while (out.size() < length) {
    z.next_out = chunk.data();
    z.avail_out = static_cast<uInt>(std::min<std::size_t>(kChunk, length - out.size()));
    const int result = inflate(&z, Z_NO_FLUSH);
    const std::size_t produced = static_cast<std::size_t>(z.next_out - chunk.data());
    out.insert(out.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(produced));
    if (result != Z_OK || produced == 0) break;  // end, fault or no progress
  }
  inflateEnd(&z);
  return true;
}

}  // namespace Halvane::Movie
