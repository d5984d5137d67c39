// The host's screen layout and the pictures written from it.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <vector>

#include "host/HostScreen.h"
#include "host/PngWriter.h"

namespace Halvane::Host {
namespace {

std::uint32_t Be32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

// Reads back the chunks of a PNG written by EncodePng, checking each CRC,
// and returns the unfiltered RGB rows.
RgbImage Decode(const std::vector<std::uint8_t>& png) {
  RgbImage image;
  const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  EXPECT_EQ(std::memcmp(png.data(), signature, 8), 0);
  std::vector<std::uint8_t> packed;
  std::size_t at = 8;
  bool ended = false;
  while (at + 12 <= png.size()) {
    const std::uint32_t length = Be32(&png[at]);
    const std::uint8_t* type = &png[at + 4];
    EXPECT_LE(at + 12 + length, png.size());
    const uLong crc = crc32(0L, type, length + 4);
    EXPECT_EQ(Be32(&png[at + 8 + length]), crc);
    if (std::memcmp(type, "IHDR", 4) == 0) {
      image.width = static_cast<int>(Be32(type + 4));
      image.height = static_cast<int>(Be32(type + 8));
      EXPECT_EQ(type[12], 8);
      EXPECT_EQ(type[13], 2);
    } else if (std::memcmp(type, "IDAT", 4) == 0) {
      packed.insert(packed.end(), type + 4, type + 4 + length);
    } else if (std::memcmp(type, "IEND", 4) == 0) {
      ended = true;
    }
    at += 12 + length;
  }
  EXPECT_TRUE(ended);
  const std::size_t row = static_cast<std::size_t>(image.width) * 3;
  std::vector<std::uint8_t> raw((row + 1) * image.height);
  uLongf rawSize = static_cast<uLongf>(raw.size());
  EXPECT_EQ(uncompress(raw.data(), &rawSize, packed.data(), static_cast<uLong>(packed.size())),
            Z_OK);
  EXPECT_EQ(rawSize, raw.size());
  for (int y = 0; y < image.height; ++y) {
    EXPECT_EQ(raw[(row + 1) * y], 0);  // filter type none
    image.rgb.insert(image.rgb.end(), raw.begin() + (row + 1) * y + 1,
                     raw.begin() + (row + 1) * (y + 1));
  }
  return image;
}

TEST(HostScreenTest, RowsAreBottomUpBlueGreenRedPaddedToFourBytes) {
  HostScreen screen;
  ASSERT_TRUE(screen.Resize(5, 3));
  EXPECT_EQ(screen.Stride(), 16u);  // 15 bytes of pixels, padded
  ASSERT_TRUE(screen.Fill("10,20,30"));
  // The first row in memory is the bottom row of the picture.
  const std::uint8_t* bottomLeft = screen.Pixels();
  EXPECT_EQ(bottomLeft, screen.PixelAt(0, 2));
  EXPECT_EQ(bottomLeft[0], 30);
  EXPECT_EQ(bottomLeft[1], 20);
  EXPECT_EQ(bottomLeft[2], 10);
  EXPECT_EQ(bottomLeft[15], 0);  // padding is left alone
  EXPECT_EQ(screen.PixelAt(5, 0), nullptr);
  EXPECT_EQ(screen.PixelAt(0, -1), nullptr);
}

TEST(HostScreenTest, RefusesSizesAndPicturesItCannotMake) {
  HostScreen screen;
  ASSERT_TRUE(screen.Resize(4, 4));
  EXPECT_FALSE(screen.Resize(0, 4));
  EXPECT_FALSE(screen.Resize(4, 4097));
  EXPECT_FALSE(screen.Resize(-1, -1));
  EXPECT_EQ(screen.Width(), 4);
  EXPECT_FALSE(screen.Fill("256,0,0"));
  EXPECT_FALSE(screen.Fill("1,2"));
  EXPECT_FALSE(screen.Fill("1,2,3x"));
  EXPECT_FALSE(screen.Fill("plaid"));
}

TEST(PngWriterTest, PictureReadsBackAsTheScreenTopDown) {
  HostScreen screen;
  ASSERT_TRUE(screen.Resize(7, 5));
  ASSERT_TRUE(screen.Fill("gradient"));
  const RgbImage image = screen.ToRgb();
  const RgbImage back = Decode(EncodePng(image));
  EXPECT_EQ(back.width, 7);
  EXPECT_EQ(back.height, 5);
  EXPECT_EQ(back.rgb, image.rgb);
  // Top left is black-ish red 0 green 0, bottom right full red and green.
  EXPECT_EQ(back.rgb[0], 0);
  EXPECT_EQ(back.rgb[1], 0);
  EXPECT_EQ(back.rgb[back.rgb.size() - 3], 255);
  EXPECT_EQ(back.rgb[back.rgb.size() - 2], 255);
}

TEST(PngWriterTest, RefusesImagesWhoseBufferDoesNotMatchTheirSize) {
  RgbImage image;
  EXPECT_TRUE(EncodePng(image).empty());
  image.width = 2;
  image.height = 2;
  image.rgb.assign(11, 0);
  EXPECT_TRUE(EncodePng(image).empty());
}

TEST(ContactSheetTest, PlacesPicturesInCellsOfTheLargestSize) {
  RgbImage red{2, 2, std::vector<std::uint8_t>(12, 0)};
  for (std::size_t i = 0; i < 12; i += 3) red.rgb[i] = 255;
  RgbImage wide{4, 1, std::vector<std::uint8_t>(12, 200)};
  const RgbImage sheet = ContactSheet({red, wide, red}, 2);
  EXPECT_EQ(sheet.width, 8 + 2 * (4 + 8));
  EXPECT_EQ(sheet.height, 8 + 2 * (2 + 8));
  auto at = [&](int x, int y) { return &sheet.rgb[(static_cast<std::size_t>(y) * sheet.width + x) * 3]; };
  EXPECT_EQ(at(8, 8)[0], 255);        // first picture
  EXPECT_EQ(at(20, 8)[0], 200);       // second, in the next cell
  EXPECT_EQ(at(8, 18)[0], 255);       // third, second row
  EXPECT_EQ(at(0, 0)[0], 48);         // ground
  EXPECT_EQ(at(10, 8)[0], 48);        // right of the smaller picture
  EXPECT_TRUE(ContactSheet({}).rgb.empty());
}

}  // namespace
}  // namespace Halvane::Host
