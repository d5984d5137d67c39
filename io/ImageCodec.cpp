#include "io/ImageCodec.h"

#include <algorithm>
#include <limits>

// The library's implementation is compiled here once, without its file and
// standard-input helpers (everything goes through memory), and without the
// formats the project never meets.
#define STBI_NO_STDIO
#define STBI_NO_HDR
#define STBI_NO_LINEAR
#define STBI_NO_PSD
#define STBI_NO_TGA
#define STBI_NO_PIC
#define STBI_NO_PNM
#define STBI_FAILURE_USERMSG
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBIW_WINDOWS_UTF8
#define STBI_WRITE_NO_STDIO
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include "stb_image.h"
#include "stb_image_write.h"

namespace Halvane::IO {

namespace {
int ByteCount(std::size_t size) {
  return size > static_cast<std::size_t>(std::numeric_limits<int>::max())
             ? std::numeric_limits<int>::max()
             : static_cast<int>(size);
}

void AppendBytes(void* context, void* data, int size) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(context);
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  out->insert(out->end(), bytes, bytes + size);
}
}  // namespace

bool PeekImageSize(const std::uint8_t* data, std::size_t size, std::int32_t* width,
                   std::int32_t* height) {
  if (data == nullptr || size == 0) return false;
  int w = 0, h = 0, channels = 0;
  if (stbi_info_from_memory(data, ByteCount(size), &w, &h, &channels) == 0) return false;
  if (width != nullptr) *width = w;
  if (height != nullptr) *height = h;
  return true;
}

bool DecodeImageWith(const std::uint8_t* data, std::size_t size, std::size_t maxPixels,
                     const std::function<void(const std::uint8_t* rgba, std::int32_t width, std::int32_t height)>& use) {
  std::int32_t w = 0, h = 0;
  if (!PeekImageSize(data, size, &w, &h) || w <= 0 || h <= 0) return false;
  if (static_cast<std::uint64_t>(w) * static_cast<std::uint64_t>(h) > maxPixels) return false;
  int gotWidth = 0, gotHeight = 0, channels = 0;
  stbi_uc* pixels =
      stbi_load_from_memory(data, ByteCount(size), &gotWidth, &gotHeight, &channels, 4);
  if (pixels == nullptr) return false;
  const bool same = gotWidth == w && gotHeight == h;
  if (same) use(pixels, w, h);
  stbi_image_free(pixels);
  return same;
}

bool DecodeImage(const std::uint8_t* data, std::size_t size, DecodedImage& image,
                 std::size_t maxPixels) {
  image = DecodedImage{};
  return DecodeImageWith(data, size, maxPixels, [&image](const std::uint8_t* rgba, std::int32_t w, std::int32_t h) {
    image.width = w;
    image.height = h;
    image.rgba.assign(rgba, rgba + static_cast<std::size_t>(w) * h * 4);
  });
}

std::vector<std::uint8_t> EncodePngRgb(const std::uint8_t* rgb, std::int32_t width,
                                       std::int32_t height, std::size_t stride) {
  std::vector<std::uint8_t> png;
  if (rgb == nullptr || width < 1 || height < 1 ||
      stride < static_cast<std::size_t>(width) * 3 || stride > 0x7FFFFFFF) {
    return png;
  }
  stbi_write_png_to_func(&AppendBytes, &png, width, height, 3, rgb, static_cast<int>(stride));
  return png;
}

std::vector<std::uint8_t> EncodeJpegRgb(const std::uint8_t* rgb, std::int32_t width, std::int32_t height,
                                        std::size_t stride, int quality) {
  std::vector<std::uint8_t> jpeg;
  if (rgb == nullptr || width < 1 || height < 1 || stride < static_cast<std::size_t>(width) * 3 ||
      quality < 1 || quality > 100) {
    return jpeg;
  }
  // The writer takes packed rows.
  std::vector<std::uint8_t> packed(static_cast<std::size_t>(width) * height * 3);
  for (std::int32_t y = 0; y < height; ++y) {
    std::copy(rgb + stride * y, rgb + stride * y + static_cast<std::size_t>(width) * 3,
              packed.begin() + static_cast<std::ptrdiff_t>(y) * width * 3);
  }
  stbi_write_jpg_to_func(&AppendBytes, &jpeg, width, height, 3, packed.data(), quality);
  return jpeg;
}

}  // namespace Halvane::IO
