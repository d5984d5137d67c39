// DIB sections and memory contexts behave alike on both targets: the layout
// of the pixels, what is selected where, and when a bitmap may be deleted.
#include <gtest/gtest.h>

#include "platform/Gdi.h"

namespace Halvane::Platform {
namespace {

DibHeader Header(std::int32_t width, std::int32_t height, int depth) {
  DibHeader h{};
  h.biSize = sizeof h;
  h.biWidth = width;
  h.biHeight = height;
  h.biPlanes = 1;
  h.biBitCount = static_cast<std::uint16_t>(depth);
  h.biCompression = depth == 32 ? kDibBitFields : kDibRgb;
  if (depth == 32) {
    h.masks[0] = 0x00FF0000;
    h.masks[1] = 0x0000FF00;
    h.masks[2] = 0x000000FF;
  }
  return h;
}

TEST(GdiTest, DibSectionsAreZeroedRowsPaddedToFourBytes) {
  HDC screen = GetScreenContext();
  ASSERT_NE(screen, nullptr);
  HDC memory = CreateMemoryContext(screen);
  ASSERT_NE(memory, nullptr);
  struct Row {
    std::int32_t width, height;
    int depth;
    std::int32_t stride;
  };
  for (const Row& row : {Row{5, 3, 24, 16}, Row{1, 1, 24, 4}, Row{4, 2, 24, 12}, Row{3, 2, 32, 12}}) {
    void* bits = nullptr;
    GdiObject bitmap = CreateDibSection(memory, Header(row.width, row.height, row.depth), &bits);
    ASSERT_NE(bitmap, nullptr);
    ASSERT_NE(bits, nullptr);
    const auto* bytes = static_cast<const std::uint8_t*>(bits);
    for (std::int32_t i = 0; i < row.stride * row.height; ++i) ASSERT_EQ(bytes[i], 0);
    GdiObject stock = SelectIntoContext(memory, bitmap);
    ASSERT_NE(stock, nullptr);
    DibPixels pixels;
    ASSERT_TRUE(SelectedDibPixels(memory, &pixels));
    EXPECT_EQ(pixels.bits, bits);
    EXPECT_EQ(pixels.width, row.width);
    EXPECT_EQ(pixels.height, row.height);
    EXPECT_EQ(pixels.bitsPerPixel, row.depth);
    EXPECT_EQ(pixels.stride, row.stride);
    EXPECT_TRUE(pixels.bottomUp);
    EXPECT_EQ(SelectIntoContext(memory, stock), bitmap);
    EXPECT_TRUE(DeleteGdiObject(bitmap));
  }
  EXPECT_TRUE(DeleteMemoryContext(memory));
  ReleaseScreenContext(screen);
}

TEST(GdiTest, ContextWithoutADibSectionHasNoPixels) {
  HDC memory = CreateMemoryContext(nullptr);
  ASSERT_NE(memory, nullptr);
  DibPixels pixels;
  pixels.width = 77;
  EXPECT_FALSE(SelectedDibPixels(memory, &pixels));  // the stock bitmap
  EXPECT_EQ(pixels.width, 77);
  EXPECT_FALSE(SelectedDibPixels(nullptr, &pixels));
  EXPECT_TRUE(DeleteMemoryContext(memory));
}

TEST(GdiTest, BitmapSelectedBackOutOfItsContextCanBeDeleted) {
  HDC first = CreateMemoryContext(nullptr);
  HDC second = CreateMemoryContext(nullptr);
  void* bits = nullptr;
  GdiObject bitmap = CreateDibSection(first, Header(8, 8, 24), &bits);
  ASSERT_NE(bitmap, nullptr);
  GdiObject stock = SelectIntoContext(first, bitmap);
  ASSERT_NE(stock, nullptr);
  DibPixels pixels;
  EXPECT_FALSE(SelectedDibPixels(second, &pixels));
  EXPECT_EQ(SelectIntoContext(first, stock), bitmap);
  // Out of the first context it may go into another, and then be deleted.
  GdiObject secondStock = SelectIntoContext(second, bitmap);
  ASSERT_NE(secondStock, nullptr);
  EXPECT_TRUE(SelectedDibPixels(second, &pixels));
  EXPECT_EQ(SelectIntoContext(second, secondStock), bitmap);
  EXPECT_TRUE(DeleteGdiObject(bitmap));
  EXPECT_TRUE(DeleteMemoryContext(first));
  EXPECT_TRUE(DeleteMemoryContext(second));
}

TEST(GdiTest, UnusableHeadersMakeNoBitmap) {
  HDC memory = CreateMemoryContext(nullptr);
  for (const DibHeader& header : {Header(0, 4, 24), Header(4, 0, 24), Header(-3, 4, 24)}) {
    void* bits = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(CreateDibSection(memory, header, &bits), nullptr);
    EXPECT_EQ(bits, nullptr);
  }
  EXPECT_TRUE(DeleteMemoryContext(memory));
}

}  // namespace
}  // namespace Halvane::Platform
