// The image layout (bottom-up rows padded to 4 bytes), the refusals of
// Attach and Create, and the copy's clipping, including its rule that a
// negative origin moves to 0 without shortening the rectangle.
#include <gtest/gtest.h>

#include <vector>

#include "graphics/CopyDIBitsRect.h"
#include "graphics/DIBSection.h"
#include "graphics/DIBits.h"
#include "graphics/HDCGetter.h"

namespace Halvane::Graphics {
namespace {

// An image whose every pixel holds its own coordinates: blue x, green y,
// red a tag, so a copied pixel tells where it came from.
struct Image {
  Image(std::int32_t w, std::int32_t h, std::uint8_t tag, int depth = 24) {
    const std::int32_t stride = ((depth / 8) * w + 3) & ~3;
    memory.assign(static_cast<std::size_t>(stride) * h, 0xEE);
    dib.Attach(memory.data(), w, h, depth);
    for (std::int32_t y = 0; y < h; ++y) {
      for (std::int32_t x = 0; x < w; ++x) {
        std::uint8_t* p = Pixel(x, y);
        p[0] = static_cast<std::uint8_t>(x);
        p[1] = static_cast<std::uint8_t>(y);
        p[2] = tag;
      }
    }
  }
  std::uint8_t* Pixel(std::int32_t x, std::int32_t y) {
    return dib.bits + (dib.height - 1 - y) * dib.stride + x * dib.bytesPerPixel;
  }
  std::vector<std::uint8_t> memory;
  DIBits dib;
};

TEST(DIBitsTest, AttachDescribesTheLayoutOrRefusesChangingNothing) {
  std::vector<std::uint8_t> memory(64 * 1024);
  struct Row {
    std::int32_t width, height, depth;
    bool accepted;
    std::int32_t stride;
  };
  for (const Row& row : {Row{1, 1, 24, true, 4}, Row{4, 1, 24, true, 12}, Row{5, 3, 24, true, 16},
                         Row{3, 2, 32, true, 12}, Row{2046, 1, 24, true, 6140},
                         Row{2047, 1, 24, false, 0}, Row{0, 1, 24, false, 0},
                         Row{1, 0, 24, false, 0}, Row{4, 4, 16, false, 0}}) {
    DIBits dib;
    EXPECT_EQ(dib.Attach(memory.data(), row.width, row.height, row.depth), row.accepted);
    EXPECT_EQ(dib.stride, row.stride) << row.width;
    if (!row.accepted) {
      EXPECT_EQ(dib.attached, 0);
      EXPECT_EQ(dib.header.biSize, 0u);
      continue;
    }
    EXPECT_EQ(dib.imageSize, row.stride * row.height);
    EXPECT_EQ(dib.header.biSize, 40u);
    EXPECT_EQ(dib.header.biHeight, row.height);  // bottom-up
    EXPECT_EQ(dib.header.biCompression, row.depth == 32 ? Platform::kDibBitFields : Platform::kDibRgb);
    EXPECT_EQ(dib.header.masks[0], row.depth == 32 ? 0x00FF0000u : 0u);
  }
  DIBits dib;
  EXPECT_FALSE(dib.Attach(nullptr, 4, 4, 24));
  EXPECT_FALSE(dib.Detach());
  ASSERT_TRUE(dib.Attach(memory.data(), 4, 4, 24));
  EXPECT_TRUE(dib.Detach());
  EXPECT_EQ(dib.bits, nullptr);
  EXPECT_EQ(dib.width, 0);
}

TEST(DIBitsTest, TopRowLiesLastInMemory) {
  Image image(2, 3, 0);
  EXPECT_EQ(image.Pixel(0, 0), image.dib.bits + 2 * image.dib.stride);
  EXPECT_EQ(image.Pixel(0, 2), image.dib.bits);
}

struct CopyRow {
  const char* name;
  std::int32_t x, y, w, h;
  int result;
  std::int32_t copiedX, copiedY, copiedW, copiedH;  // where pixels changed
};

TEST(CopyDIBitsRectTest, CopiesTheClippedRectangleRowByRow) {
  const CopyRow rows[] = {
      {"inside", 3, 2, 4, 3, 0, 3, 2, 4, 3},
      {"cut at the right and bottom", 13, 9, 20, 20, 0, 13, 9, 2, 3},
      {"negative origin keeps the size", -5, -5, 8, 6, 0, 0, 0, 8, 6},
      {"starts past the right edge", 15, 0, 4, 4, -1, 0, 0, 0, 0},
      {"starts past the bottom edge", 0, 12, 4, 4, -1, 0, 0, 0, 0},
      {"no area", 2, 2, 0, 5, -1, 0, 0, 0, 0},
  };
  for (const CopyRow& row : rows) {
    Image destination(15, 12, 1);  // rows of 45 bytes padded to 48
    Image source(15, 12, 2);
    EXPECT_EQ(CopyDIBitsRect(destination.dib, row.x, row.y, row.w, row.h, source.dib, row.x, row.y),
              row.result)
        << row.name;
    for (std::int32_t y = 0; y < 12; ++y) {
      for (std::int32_t x = 0; x < 15; ++x) {
        const bool inside = x >= row.copiedX && x < row.copiedX + row.copiedW && y >= row.copiedY &&
                            y < row.copiedY + row.copiedH;
        const std::uint8_t* p = destination.Pixel(x, y);
        ASSERT_EQ(p[2], inside ? 2 : 1) << row.name << " at " << x << "," << y;
        ASSERT_EQ(p[0], x);
        ASSERT_EQ(p[1], y);
      }
    }
    // Row padding is never written.
    for (std::int32_t y = 0; y < 12; ++y) {
      for (int pad = 45; pad < 48; ++pad) ASSERT_EQ(destination.memory[y * 48 + pad], 0xEE) << row.name;
    }
  }
}

TEST(CopyDIBitsRectTest, WholeRowsWithoutPaddingKeepTheirPlaceAndOrder) {
  Image destination(4, 6, 1);  // 12 bytes a row: no padding
  Image source(4, 6, 2);
  ASSERT_EQ(CopyDIBitsRect(destination.dib, 0, 2, 4, 3, source.dib, 0, 2), 0);
  for (std::int32_t y = 0; y < 6; ++y) {
    for (std::int32_t x = 0; x < 4; ++x) {
      const std::uint8_t* p = destination.Pixel(x, y);
      EXPECT_EQ(p[2], y >= 2 && y < 5 ? 2 : 1) << x << "," << y;
      EXPECT_EQ(p[1], y);
    }
  }
}

TEST(CopyDIBitsRectTest, DifferentPixelSizesOrEmptyImagesCopyNothing) {
  Image destination(8, 8, 1);
  Image wide(8, 8, 2, 32);
  EXPECT_EQ(CopyDIBitsRect(destination.dib, 0, 0, 8, 8, wide.dib, 0, 0), -1);
  DIBits empty;
  EXPECT_EQ(CopyDIBitsRect(destination.dib, 0, 0, 8, 8, empty, 0, 0), -1);
  EXPECT_EQ(CopyDIBitsRect(empty, 0, 0, 8, 8, destination.dib, 0, 0), -1);
  EXPECT_EQ(destination.Pixel(0, 0)[2], 1);
}

TEST(DIBSectionTest, SectionOfTheScreenSizeOrNone) {
  DIBSection frame(640, 480);
  ASSERT_NE(frame.bitmap, nullptr);
  EXPECT_EQ(frame.attached, 1);
  EXPECT_EQ(frame.stride, 1920);
  EXPECT_NE(frame.bits, nullptr);
  EXPECT_FALSE(frame.Create(3000, 10, 24));  // refused before anything is destroyed
  EXPECT_NE(frame.bitmap, nullptr);
  EXPECT_TRUE(frame.Create(8, 8, 32));
  EXPECT_EQ(frame.bitsPerPixel, 32);
  frame.Destroy();
  EXPECT_EQ(frame.bitmap, nullptr);
  EXPECT_EQ(frame.width, 0);

  DIBSection tooWide(3000, 10);
  EXPECT_EQ(tooWide.bitmap, nullptr);
  Image image(4, 4, 1);
  EXPECT_EQ(CopyDIBitsRect(tooWide, 0, 0, 4, 4, image.dib, 0, 0), -1);
}

TEST(HDCGetterTest, BitmapIsSelectedForTheScopeAndFreeAfterwards) {
  DIBSection frame(16, 8);
  ASSERT_NE(frame.bitmap, nullptr);
  {
    HDCGetter getter(frame.bitmap);
    ASSERT_NE(getter.Context(), nullptr);
    Platform::DibPixels pixels;
    ASSERT_TRUE(Platform::SelectedDibPixels(getter.Context(), &pixels));
    EXPECT_EQ(pixels.bits, frame.bits);
    EXPECT_EQ(pixels.width, 16);
  }
  // No longer selected anywhere: it can be deleted.
  frame.Destroy();
  EXPECT_EQ(frame.bitmap, nullptr);
}

}  // namespace
}  // namespace Halvane::Graphics
