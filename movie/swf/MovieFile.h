// A movie file as a whole: the stored form ("FWS") or the compressed one
// ("CWS", its body zlib-compressed), and the largest movie the control takes.
#pragma once

#include <cstdint>
#include <vector>

namespace Halvane::Movie {

constexpr std::uint32_t kMaxMovieBytes = 128u << 20;

// The movie as an uncompressed file: FWS as it is, CWS inflated (at most
// kMaxMovieBytes, stopping at the first fault of the compressed data). False
// for any other signature or a file shorter than its header.
bool UncompressMovie(const std::vector<std::uint8_t>& file, std::vector<std::uint8_t>& out);

}  // namespace Halvane::Movie
