// Bitmaps as the movie stores them into pixels: every lossless format of
// both forms, the JPEG framing movies use mended for the decoder, separate
// alpha, and damaged or oversized data refused without taking its memory.
#include <gtest/gtest.h>

#include "io/ImageCodec.h"
#include "movie/render/Bitmaps.h"
#include "tools/MediaWriter.h"
#include "tools/SwfWriter.h"

namespace Halvane::Movie::Render {
namespace {

using Tools::Bytes;
using Tools::Compress;

BitmapDefinition Lossless(bool second, std::uint8_t format, int w, int h, const Bytes& raw, int palette = 0) {
  BitmapDefinition d;
  d.encoding = second ? BitmapEncoding::Lossless2 : BitmapEncoding::Lossless;
  d.format = format;
  d.width = static_cast<std::uint16_t>(w);
  d.height = static_cast<std::uint16_t>(h);
  d.paletteSize = static_cast<std::uint16_t>(palette);
  d.data = Compress(raw);
  return d;
}

TEST(BitmapDecode, LosslessFormatsOfBothForms) {
  // Palette: rows padded to 4 bytes; an index past the palette is black
  // (transparent in the second form).
  const Bytes rgbPalette = {10, 20, 30, 40, 50, 60, /*row*/ 1, 0, 5, 0, /*row*/ 0, 1, 1, 0};
  auto b = DecodeBitmap(Lossless(false, 3, 3, 2, rgbPalette, 2), {});
  ASSERT_TRUE(b);
  EXPECT_EQ(b->Row(0)[0], (Rgba{40, 50, 60, 255}));
  EXPECT_EQ(b->Row(0)[2], (Rgba{0, 0, 0, 255}));
  EXPECT_EQ(b->Row(1)[0], (Rgba{10, 20, 30, 255}));
  const Bytes rgbaPalette = {10, 20, 30, 128, 0, 0, 0, 0, /*row*/ 0, 1, 0, 0};
  b = DecodeBitmap(Lossless(true, 3, 2, 1, rgbaPalette, 2), {});
  ASSERT_TRUE(b);
  EXPECT_EQ(b->Row(0)[0], (Rgba{10, 20, 30, 128}));
  EXPECT_FALSE(b->opaque);

  // 15-bit big-endian x5-5-5, rows padded to an even count of pixels.
  const Bytes fifteen = {0x7C, 0x00, 0x03, 0xE0, 0x00, 0x1F, 0x00, 0x00, /*row*/ 0x42, 0x10, 0, 0, 0, 0, 0, 0};
  b = DecodeBitmap(Lossless(false, 4, 3, 2, fifteen), {});
  ASSERT_TRUE(b);
  EXPECT_EQ(b->Row(0)[0], (Rgba{255, 0, 0, 255}));
  EXPECT_EQ(b->Row(0)[1], (Rgba{0, 255, 0, 255}));
  EXPECT_EQ(b->Row(0)[2], (Rgba{0, 0, 255, 255}));
  EXPECT_EQ(b->Row(1)[0], (Rgba{132, 132, 132, 255}));  // 16 of 31: (16 * 255 + 15) / 31

  // 32-bit: XRGB in the first form, premultiplied ARGB in the second.
  const Bytes argb = {0x00, 1, 2, 3, 0x80, 0x40, 0x20, 0x10};
  b = DecodeBitmap(Lossless(false, 5, 2, 1, argb), {});
  ASSERT_TRUE(b);
  EXPECT_EQ(b->Row(0)[1], (Rgba{0x40, 0x20, 0x10, 255}));
  b = DecodeBitmap(Lossless(true, 5, 2, 1, argb), {});
  ASSERT_TRUE(b);
  EXPECT_EQ(b->Row(0)[0], (Rgba{0, 0, 0, 0}));
  EXPECT_EQ(b->Row(0)[1], (Rgba{0x80, 0x40, 0x20, 0x80}));
}

TEST(BitmapDecode, DamagedShortOrOversizedDataDecodesToNothing) {
  EXPECT_FALSE(DecodeBitmap(Lossless(false, 5, 4, 4, Bytes(63, 1)), {}));  // one byte short
  BitmapDefinition damaged = Lossless(false, 5, 4, 4, Bytes(64, 1));
  damaged.data[3] ^= 0xFF;
  EXPECT_FALSE(DecodeBitmap(damaged, {}));
  // A huge stated size with a few bytes of data: refused on the stated size
  // when past the cap, and below it refused when the data runs out, having
  // grown its buffer only as far as the data went.
  EXPECT_FALSE(DecodeBitmap(Lossless(true, 5, 65535, 65535, Bytes(16, 0)), {}));
  EXPECT_FALSE(DecodeBitmap(Lossless(true, 5, 4000, 4000, Bytes(16, 0)), {}));
  EXPECT_FALSE(DecodeBitmap(Lossless(true, 5, 4, 4, Bytes(64, 0)), {}, 15));
  BitmapDefinition notAnImage;
  notAnImage.data = {1, 2, 3, 4, 5};
  EXPECT_FALSE(DecodeBitmap(notAnImage, {}));
}

// A small JPEG made by the library's own writer, and the library's own
// decode of it.
struct Jpeg {
  Bytes file;
  IO::DecodedImage pixels;
};
Jpeg MakeJpeg(int w, int h) {
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(w) * h * 3);
  for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<std::uint8_t>((i * 37) ^ (i >> 4));
  Jpeg j;
  j.file = IO::EncodeJpegRgb(rgb.data(), w, h, static_cast<std::size_t>(w) * 3, 90);
  EXPECT_TRUE(IO::DecodeImage(j.file.data(), j.file.size(), j.pixels));
  return j;
}

void ExpectPixels(const Bitmap& b, const IO::DecodedImage& want) {
  ASSERT_EQ(b.width, want.width);
  ASSERT_EQ(b.height, want.height);
  for (std::size_t i = 0; i < b.pixels.size(); ++i) {
    const Rgba& c = b.pixels[i];
    ASSERT_EQ((Rgba{want.rgba[4 * i], want.rgba[4 * i + 1], want.rgba[4 * i + 2], 255}), c) << i;
  }
}

// Where the segments of a JPEG file end: the tables (everything before the
// frame header) and the rest.
std::size_t FrameHeaderAt(const Bytes& jpeg) {
  std::size_t i = 2;
  while (i + 4 < jpeg.size() && !(jpeg[i + 1] >= 0xC0 && jpeg[i + 1] <= 0xC2)) {
    i += 2 + ((static_cast<std::size_t>(jpeg[i + 2]) << 8) | jpeg[i + 3]);
  }
  return i;
}

TEST(BitmapDecode, JpegFramingOfMoviesIsMendedBeforeDecoding) {
  const Jpeg j = MakeJpeg(19, 11);
  const std::size_t frame = FrameHeaderAt(j.file);
  ASSERT_LT(frame, j.file.size());

  BitmapDefinition plain;
  plain.data = j.file;
  auto b = DecodeBitmap(plain, {});
  ASSERT_TRUE(b);
  ExpectPixels(*b, j.pixels);

  // The pair older tools put in front, and a missing end marker.
  BitmapDefinition framed;
  framed.data = {0xFF, 0xD9, 0xFF, 0xD8};
  framed.data.insert(framed.data.end(), j.file.begin(), j.file.end() - 2);
  b = DecodeBitmap(framed, {});
  ASSERT_TRUE(b);
  ExpectPixels(*b, j.pixels);

  // Tables apart (DefineBits with JPEGTables): tables with their own end,
  // the image with its own start.
  Bytes tables(j.file.begin(), j.file.begin() + static_cast<std::ptrdiff_t>(frame));
  tables.insert(tables.end(), {0xFF, 0xD9});
  BitmapDefinition shared;
  shared.encoding = BitmapEncoding::JpegWithTables;
  shared.data = {0xFF, 0xD8};
  shared.data.insert(shared.data.end(), j.file.begin() + static_cast<std::ptrdiff_t>(frame), j.file.end());
  b = DecodeBitmap(shared, tables);
  ASSERT_TRUE(b);
  ExpectPixels(*b, j.pixels);

  // Separate alpha (the third form): colours become at most alpha, kept
  // straight.
  BitmapDefinition withAlpha = plain;
  withAlpha.hasAlpha = true;
  withAlpha.alpha = Compress([] {
    Bytes a(19 * 11, 255);
    a[0] = 0;
    a[1] = 128;
    return a;
  }());
  b = DecodeBitmap(withAlpha, {});
  ASSERT_TRUE(b);
  EXPECT_EQ(b->pixels[0], (Rgba{0, 0, 0, 0}));
  EXPECT_EQ(b->pixels[1].alpha, 128);
  EXPECT_EQ(b->pixels[2].alpha, 255);
  EXPECT_FALSE(b->opaque);
}

TEST(BitmapDecode, MendingLeavesWhatIsNoJpegAlone) {
  const Bytes garbage = {0x12, 0xFF, 0xD8, 0x00};
  EXPECT_EQ(MendJpeg(nullptr, 0, garbage.data(), garbage.size()), garbage);
  const Bytes cut = {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x40, 1, 2};  // a segment longer than the data
  const Bytes mended = MendJpeg(nullptr, 0, cut.data(), cut.size());
  EXPECT_EQ(mended, (Bytes{0xFF, 0xD8, 0xFF, 0xD9}));
}

TEST(BitmapLibrary, DecodesOnceAndRemembersFailures) {
  MovieDefinition movie;
  auto good = std::make_shared<BitmapDefinition>(Lossless(false, 5, 2, 2, Bytes(16, 7)));
  auto bad = std::make_shared<BitmapDefinition>(Lossless(false, 5, 2, 2, Bytes(3, 7)));
  movie.bitmaps[1] = good;
  movie.bitmaps[2] = bad;
  BitmapLibrary library;
  EXPECT_FALSE(library.Find(1));  // no movie yet
  library.SetMovie(&movie);
  const auto first = library.Find(1);
  ASSERT_TRUE(first);
  EXPECT_EQ(library.Find(1).get(), first.get());
  EXPECT_EQ(library.Bytes(), 16u + 12u);  // opaque: its colours and its 3-byte copy
  EXPECT_FALSE(library.Find(2));
  EXPECT_FALSE(library.Find(3));
  MovieDefinition other;
  library.SetMovie(&other);
  EXPECT_FALSE(library.Find(1));
  EXPECT_EQ(library.Bytes(), 0u);
}

}  // namespace
}  // namespace Halvane::Movie::Render
