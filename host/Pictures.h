// The reference host's pictures: PNG files written from the screen and from
// contact sheets, and background pictures (PNG, JPEG, GIF or BMP) read for
// the screen, all through io's image codec.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/HostScreen.h"

namespace Halvane::Host {

// The complete file; empty for an image without pixels or with a pixel
// buffer of the wrong size.
std::vector<std::uint8_t> EncodePng(const RgbImage& image);

// Writes EncodePng's bytes to path; false when encoding or writing fails.
bool WritePng(const std::string& path, const RgbImage& image);

// Reads a picture file of at most maxSide pixels a side; false, with error
// saying why, when the file cannot be read or decoded or is too large.
bool ReadPicture(const std::string& path, int maxSide, RgbImage& image, std::string& error);

// Many pictures side by side, up to `columns` in a row, each in a cell of
// the largest picture's size, on a dark grey ground with 8-pixel gaps.
// Empty when there is nothing to show or the sheet would pass 2^26 pixels.
RgbImage ContactSheet(const std::vector<RgbImage>& pictures, int columns = 4);

}  // namespace Halvane::Host
