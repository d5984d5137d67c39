// A movie file as a whole: the stored form ("FWS") or the compressed one
// ("CWS", its body zlib-compressed), and the largest movie the control takes.
#pragma once

#include <cstdint>
#include <vector>

namespace Halvane::Movie {

constexpr std::uint32_t kMaxMovieBytes = 128u << 20;

// The movie as an uncompressed file. FWS stays as it is. CWS is inflated the
// way the player splices a movie into the control's load stream (io's
// WriteSwfUncompressed): the header becomes "FWS" with the same version and
// length L, and the body is inflated up to L - 8 bytes, stopping at the first
// fault of the compressed data (the movie then ends early). False for another
// signature, a file shorter than its header, an L below 8 or above
// kMaxMovieBytes, and when the memory for the movie cannot be had.
bool UncompressMovie(const std::vector<std::uint8_t>& file, std::vector<std::uint8_t>& out);

}  // namespace Halvane::Movie
