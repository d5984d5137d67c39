// Reference pictures through the project's image codec.
#include "tests/movie_control/PngImage.h"

#include <fstream>
#include <iterator>

#include "io/ImageCodec.h"

namespace Halvane::Movie::Testing {

bool ReadPng(const std::string& path, RgbaPicture* picture) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
  IO::DecodedImage image;
  if (file.empty() || !IO::DecodeImage(file.data(), file.size(), image)) return false;
  picture->width = image.width;
  picture->height = image.height;
  picture->pixels = std::move(image.rgba);
  return true;
}

}  // namespace Halvane::Movie::Testing
