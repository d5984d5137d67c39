// A movie's bitmaps decoded for drawing: the stored forms of the bitmap
// tags (JPEG with or without the movie's shared tables, PNG or GIF in the
// JPEG tags from version 8, the zlib-compressed lossless forms) into rows
// of straight-alpha colours, each decoded at most once and kept while its
// library lives.
//
// Opaque bitmaps are kept twice (their colours and the 3-byte copy), and
// counted so.
//
// Bounds: a bitmap larger than MaxPixels is refused on its stated size,
// before any pixel memory is taken; the lossless forms grow their buffer
// only as the compressed data delivers bytes, so a huge stated size with
// little data costs little; all bitmaps of a library together are held to
// MaxLibraryBytes (bitmaps past it draw nothing). Decoding time follows the
// pixels, so MaxPixels caps it too. A bitmap that fails to decode (damaged,
// cut short, too large) is remembered as missing and draws nothing.
//
// Used by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "movie/render/RenderTypes.h"
#include "movie/swf/SwfRecords.h"

namespace Halvane::Movie::Render {

struct Bitmap {
  int width = 0;
  int height = 0;
  std::vector<Rgba> pixels;  // width * height, the top row first
  bool opaque = true;        // every alpha is 255
  // Opaque bitmaps also as 3-byte blue, green, red pixels, the layout of
  // the plug-in's bitmaps, so that an unscaled bitmap draws by row copies.
  std::vector<std::uint8_t> bgr;
  const Rgba* Row(int y) const { return pixels.data() + static_cast<std::size_t>(y) * width; }
};

constexpr std::size_t MaxBitmapPixels = std::size_t{1} << 24;

// Decodes one bitmap; null when the data is damaged or states more than
// maxPixels pixels. jpegTables are the movie's shared JPEG tables (used by
// the first JPEG form only).
std::shared_ptr<const Bitmap> DecodeBitmap(const BitmapDefinition& definition, const ByteBlock& jpegTables,
                                           std::size_t maxPixels = MaxBitmapPixels);

// The JPEG framing movies use, mended into the form standard decoders take:
// the tables (when given) joined to the image, an end-of-image marker
// followed by a start-of-image marker before the frame header removed
// (wherever it stands: at the start, between tables and image, or as the
// pair older tools put in front), bytes after the image's end dropped, and
// a missing end marker added. Data that does not follow JPEG's marker
// structure is returned as it was given.
ByteBlock MendJpeg(const std::uint8_t* tables, std::size_t tablesSize, const std::uint8_t* image,
                   std::size_t imageSize);

class BitmapLibrary {
 public:
  static constexpr std::size_t MaxLibraryBytes = std::size_t{256} << 20;

  // The bitmaps of movie from now on (null: none); a different movie
  // drops what was decoded.
  void SetMovie(const MovieDefinition* movie);
  // The decoded bitmap with character id; null when the movie has none by
  // that id, it cannot be decoded, or the library is full.
  std::shared_ptr<const Bitmap> Find(std::uint16_t id);
  std::size_t Bytes() const { return bytes_; }

 private:
  const MovieDefinition* movie_ = nullptr;
  std::map<std::uint16_t, std::shared_ptr<const Bitmap>> decoded_;  // null: tried and failed
  std::size_t bytes_ = 0;
};

}  // namespace Halvane::Movie::Render
