// The one place stb_image's implementation is compiled for the tests.
#include "tests/movie_control/PngImage.h"

#include <fstream>
#include <iterator>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include "stb_image.h"

namespace Halvane::Movie::Testing {

bool ReadPng(const std::string& path, RgbaPicture* picture) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<unsigned char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (file.empty()) return false;
  int width = 0, height = 0, channels = 0;
  stbi_uc* pixels = stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &width, &height, &channels, 4);
  if (pixels == nullptr) return false;
  picture->width = width;
  picture->height = height;
  picture->pixels.assign(pixels, pixels + static_cast<std::size_t>(width) * height * 4);
  stbi_image_free(pixels);
  return true;
}

}  // namespace Halvane::Movie::Testing
