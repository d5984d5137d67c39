// The host's screen layout and the pictures written from it.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "host/HostScreen.h"
#include "host/Pictures.h"
#include "io/ImageCodec.h"
#include "support/TempFolder.h"

namespace Halvane::Host {
namespace {

// Reads a PNG back through the image codec, as RGB rows.
RgbImage Decode(const std::vector<std::uint8_t>& png) {
  IO::DecodedImage decoded;
  EXPECT_TRUE(IO::DecodeImage(png.data(), png.size(), decoded));
  RgbImage image{decoded.width, decoded.height, {}};
  for (std::size_t i = 0; i + 3 < decoded.rgba.size() + 1; i += 4) {
    image.rgb.insert(image.rgb.end(), &decoded.rgba[i], &decoded.rgba[i] + 3);
    EXPECT_EQ(decoded.rgba[i + 3], 255);
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

TEST(PicturesTest, PictureReadsBackAsTheScreenTopDown) {
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

TEST(PicturesTest, RefusesImagesWhoseBufferDoesNotMatchTheirSize) {
  RgbImage image;
  EXPECT_TRUE(EncodePng(image).empty());
  image.width = 2;
  image.height = 2;
  image.rgb.assign(11, 0);
  EXPECT_TRUE(EncodePng(image).empty());
}

TEST(PicturesTest, BackgroundPicturesAreReadOrRefusedWithAReason) {
  Halvane::Testing::TempFolder folder;
  RgbImage picture{3, 2, {}};
  for (int i = 0; i < 18; ++i) picture.rgb.push_back(static_cast<std::uint8_t>(i * 13));
  const std::string png = folder.Write("back.png", EncodePng(picture));
  RgbImage read;
  std::string error;
  ASSERT_TRUE(ReadPicture(png, 16, read, error)) << error;
  EXPECT_EQ(read.width, 3);
  EXPECT_EQ(read.rgb, picture.rgb);
  EXPECT_FALSE(ReadPicture(png, 2, read, error));
  EXPECT_NE(error.find("larger"), std::string::npos);
  const std::string text = folder.Write("notes.png", {'n', 'o', 't', 'e'});
  EXPECT_FALSE(ReadPicture(text, 16, read, error));
  EXPECT_NE(error.find("no PNG"), std::string::npos);
  EXPECT_FALSE(ReadPicture(folder.Path() + "/missing.jpg", 16, read, error));
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
