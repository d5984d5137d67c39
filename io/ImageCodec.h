// Pictures in the common file formats, through the stb image library (public
// domain): decoding PNG, JPEG, GIF (its first frame) and BMP into 8-bit RGBA,
// and encoding 8-bit RGB as PNG. The one place the project meets the
// library, for the reference host's pictures and the movie's bitmaps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace Halvane::IO {

// An image as rows of 8-bit red, green, blue, alpha, the top row first.
struct DecodedImage {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint8_t> rgba;  // width * height * 4 bytes
};

// The size a picture's header states, read without decoding; false when
// no decoder recognises the data.
bool PeekImageSize(const std::uint8_t* data, std::size_t size, std::int32_t* width,
                   std::int32_t* height);

// Decodes data into image. False, with image emptied, when no decoder
// accepts the data, or when the picture states more than maxPixels pixels:
// that is checked on the header, before any pixel memory is taken.
bool DecodeImage(const std::uint8_t* data, std::size_t size, DecodedImage& image,
                 std::size_t maxPixels = std::size_t{1} << 24);

// The same, handing the decoded rows (8-bit RGBA, the top row first) to use
// while the decoder's buffer lives, so that a caller keeping them in a form
// of its own copies them once. False, with use not called, as above.
bool DecodeImageWith(const std::uint8_t* data, std::size_t size, std::size_t maxPixels,
                     const std::function<void(const std::uint8_t* rgba, std::int32_t width, std::int32_t height)>& use);

// A PNG file of width x height 8-bit RGB pixels, rows of stride bytes, the
// top row first; empty for sizes below 1 or a stride shorter than a row.
std::vector<std::uint8_t> EncodePngRgb(const std::uint8_t* rgb, std::int32_t width,
                                       std::int32_t height, std::size_t stride);

// A baseline JPEG file of the same pixels at quality 1 to 100 (for tests,
// examples and benchmarks: the movies' JPEG bitmaps); empty on bad sizes.
std::vector<std::uint8_t> EncodeJpegRgb(const std::uint8_t* rgb, std::int32_t width, std::int32_t height,
                                        std::size_t stride, int quality);

}  // namespace Halvane::IO
