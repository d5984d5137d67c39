#include "movie/render/Bitmaps.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "io/ImageCodec.h"

namespace Halvane::Movie::Render {

namespace {

// Inflates a zlib stream into at most limit bytes; the buffer grows as the
// data delivers, never ahead of it. False on damaged data; a stream that
// ends short of limit is not a failure here (callers check the size).
bool Inflate(const ByteBlock& in, std::size_t limit, ByteBlock& out) {
  out.clear();
  if (in.empty()) return false;
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return false;
  z.next_in = const_cast<Bytef*>(in.data());
  z.avail_in = static_cast<uInt>(std::min<std::size_t>(in.size(), std::numeric_limits<uInt>::max()));
  const std::size_t chunk = 64 * 1024;
  int status = Z_OK;
  while (out.size() < limit) {
    const std::size_t had = out.size();
    const std::size_t room = std::min(chunk, limit - had);
    out.resize(had + room);
    z.next_out = out.data() + had;
    z.avail_out = static_cast<uInt>(room);
    status = inflate(&z, Z_NO_FLUSH);
    out.resize(had + (room - z.avail_out));
    if (status == Z_STREAM_END) break;
    if (status != Z_OK) break;  // damaged data, or no progress possible (Z_BUF_ERROR)
  }
  inflateEnd(&z);
  return status == Z_OK || status == Z_STREAM_END;
}

std::uint8_t Unpremultiply(std::uint8_t c, std::uint8_t a) {
  if (a == 0) return 0;
  const unsigned clamped = std::min<unsigned>(c, a);
  return static_cast<std::uint8_t>((clamped * 255u + a / 2u) / a);
}

std::shared_ptr<Bitmap> NewBitmap(int width, int height) {
  auto bitmap = std::make_shared<Bitmap>();
  bitmap->width = width;
  bitmap->height = height;
  bitmap->pixels.resize(static_cast<std::size_t>(width) * height);
  return bitmap;
}

// known: the format cannot hold transparency (JPEG data without its own
// alpha), so the pixels need no look.
void NoteOpacity(Bitmap& bitmap, bool known = false) {
  bitmap.opaque =
      known || std::all_of(bitmap.pixels.begin(), bitmap.pixels.end(), [](const Rgba& c) { return c.alpha == 255; });
  if (!bitmap.opaque) return;
  bitmap.bgr.resize(bitmap.pixels.size() * 3);
  std::uint8_t* out = bitmap.bgr.data();
  for (const Rgba& c : bitmap.pixels) {
    *out++ = c.blue;
    *out++ = c.green;
    *out++ = c.red;
  }
}

std::shared_ptr<const Bitmap> DecodeLossless(const BitmapDefinition& d, std::size_t maxPixels) {
  const int w = d.width, h = d.height;
  const std::size_t pixels = static_cast<std::size_t>(w) * h;
  if (w == 0 || h == 0 || pixels > maxPixels) return nullptr;
  const bool alpha = d.encoding == BitmapEncoding::Lossless2;
  std::size_t paletteBytes = 0, rowBytes = 0;
  switch (d.format) {
    case 3:
      paletteBytes = static_cast<std::size_t>(d.paletteSize) * (alpha ? 4 : 3);
      rowBytes = (static_cast<std::size_t>(w) + 3) & ~std::size_t{3};
      break;
    case 4:
      rowBytes = ((static_cast<std::size_t>(w) + 1) & ~std::size_t{1}) * 2;
      break;
    case 5:
      rowBytes = static_cast<std::size_t>(w) * 4;
      break;
    default:
      return nullptr;
  }
  const std::size_t needed = paletteBytes + rowBytes * h;
  ByteBlock raw;
  if (!Inflate(d.data, needed, raw) || raw.size() < needed) return nullptr;
  auto bitmap = NewBitmap(w, h);
  const std::uint8_t* palette = raw.data();
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* row = raw.data() + paletteBytes + rowBytes * y;
    Rgba* out = bitmap->pixels.data() + static_cast<std::size_t>(y) * w;
    for (int x = 0; x < w; ++x) {
      Rgba c;
      if (d.format == 3) {
        const std::size_t index = row[x];
        if (index >= d.paletteSize) {
          c = Rgba{0, 0, 0, alpha ? std::uint8_t{0} : std::uint8_t{255}};
        } else {
          const std::uint8_t* p = palette + index * (alpha ? 4 : 3);
          c = Rgba{p[0], p[1], p[2], alpha ? p[3] : std::uint8_t{255}};
        }
      } else if (d.format == 4) {
        const unsigned v = (static_cast<unsigned>(row[2 * x]) << 8) | row[2 * x + 1];
        const auto expand = [](unsigned five) { return static_cast<std::uint8_t>((five * 255 + 15) / 31); };
        c = Rgba{expand((v >> 10) & 31), expand((v >> 5) & 31), expand(v & 31), 255};
      } else {
        const std::uint8_t* p = row + 4 * x;
        if (alpha) {
          c = Rgba{Unpremultiply(p[1], p[0]), Unpremultiply(p[2], p[0]), Unpremultiply(p[3], p[0]), p[0]};
        } else {
          c = Rgba{p[1], p[2], p[3], 255};
        }
      }
      out[x] = c;
    }
  }
  NoteOpacity(*bitmap);
  return bitmap;
}

bool StartsWith(const ByteBlock& data, const char* signature, std::size_t length) {
  return data.size() >= length && std::memcmp(data.data(), signature, length) == 0;
}

// Stated pixels a compressed picture may have for its bytes: generous for
// real images (a flat colour compresses far), yet a tiny file cannot make
// the decoder take the memory of a huge picture.
bool SizeProvenByData(std::int64_t pixels, std::size_t bytes) {
  return pixels <= (std::int64_t{1} << 20) || pixels / 4096 <= static_cast<std::int64_t>(bytes);
}

std::shared_ptr<const Bitmap> DecodeCompressed(const BitmapDefinition& d, const ByteBlock& tables,
                                               std::size_t maxPixels) {
  const bool png = StartsWith(d.data, "\x89PNG", 4);
  const bool gif = StartsWith(d.data, "GIF8", 4);
  ByteBlock mended;
  const ByteBlock* bytes = &d.data;
  if (!png && !gif) {
    const bool shared = d.encoding == BitmapEncoding::JpegWithTables;
    mended = MendJpeg(shared ? tables.data() : nullptr, shared ? tables.size() : 0, d.data.data(), d.data.size());
    bytes = &mended;
  }
  std::int32_t w = 0, h = 0;
  if (!IO::PeekImageSize(bytes->data(), bytes->size(), &w, &h) || w <= 0 || h <= 0) return nullptr;
  const std::int64_t pixels = static_cast<std::int64_t>(w) * h;
  if (pixels > static_cast<std::int64_t>(maxPixels) || !SizeProvenByData(pixels, bytes->size())) return nullptr;
  std::shared_ptr<Bitmap> bitmap;
  const bool decoded = IO::DecodeImageWith(
      bytes->data(), bytes->size(), maxPixels, [&bitmap](const std::uint8_t* rgba, std::int32_t width, std::int32_t height) {
        bitmap = NewBitmap(width, height);
        static_assert(sizeof(Rgba) == 4, "Rgba is red, green, blue, alpha bytes");
        std::memcpy(bitmap->pixels.data(), rgba, bitmap->pixels.size() * 4);
      });
  if (!decoded || !bitmap) return nullptr;
  const std::size_t count = bitmap->pixels.size();
  // The separate alpha of the third and fourth JPEG forms; the colours are
  // then premultiplied by it. PNG and GIF data bring their own alpha.
  bool opaque = !png && !gif;
  if (d.hasAlpha && !png && !gif && !d.alpha.empty()) {
    ByteBlock alpha;
    if (Inflate(d.alpha, count, alpha) && alpha.size() == count) {
      for (std::size_t i = 0; i < count; ++i) {
        Rgba& c = bitmap->pixels[i];
        const std::uint8_t a = alpha[i];
        c = Rgba{Unpremultiply(c.red, a), Unpremultiply(c.green, a), Unpremultiply(c.blue, a), a};
      }
      opaque = false;
    }
  }
  NoteOpacity(*bitmap, opaque);
  return bitmap;
}

}  // namespace

ByteBlock MendJpeg(const std::uint8_t* tables, std::size_t tablesSize, const std::uint8_t* image,
                   std::size_t imageSize) {
  ByteBlock in;
  in.reserve(tablesSize + imageSize);
  if (tables != nullptr) in.insert(in.end(), tables, tables + tablesSize);
  if (image != nullptr) in.insert(in.end(), image, image + imageSize);
  ByteBlock out;
  out.reserve(in.size() + 2);
  const std::size_t n = in.size();
  std::size_t i = 0;
  bool started = false;   // the first start marker is written
  bool scanned = false;   // a scan has begun: the image data follows
  while (i < n) {
    if (in[i] != 0xFF || i + 1 >= n) return in;  // not the structure of a JPEG
    const std::uint8_t marker = in[i + 1];
    if (marker == 0xFF) {  // fill byte
      ++i;
      continue;
    }
    if (marker == 0xD8) {  // start of image: only the first counts
      if (!started) out.insert(out.end(), {0xFF, 0xD8});
      started = true;
      i += 2;
      continue;
    }
    if (marker == 0xD9) {  // end of image: before the first scan it is the pair's first half
      if (scanned) {
        out.insert(out.end(), {0xFF, 0xD9});
        return out;
      }
      i += 2;
      continue;
    }
    if (!started) return in;
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
      out.insert(out.end(), in.begin() + static_cast<std::ptrdiff_t>(i), in.begin() + static_cast<std::ptrdiff_t>(i) + 2);
      i += 2;
      continue;
    }
    if (i + 4 > n) break;
    const std::size_t length = (static_cast<std::size_t>(in[i + 2]) << 8) | in[i + 3];
    if (length < 2 || i + 2 + length > n) break;
    out.insert(out.end(), in.begin() + static_cast<std::ptrdiff_t>(i),
               in.begin() + static_cast<std::ptrdiff_t>(i + 2 + length));
    i += 2 + length;
    if (marker == 0xDA) {
      scanned = true;
      // Entropy-coded data up to the next marker that is not a stuffed
      // byte or a restart.
      const std::size_t from = i;
      while (i < n) {
        if (in[i] == 0xFF && i + 1 < n && in[i + 1] != 0x00 && !(in[i + 1] >= 0xD0 && in[i + 1] <= 0xD7) &&
            in[i + 1] != 0xFF) {
          break;
        }
        ++i;
      }
      out.insert(out.end(), in.begin() + static_cast<std::ptrdiff_t>(from), in.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
  if (!started) return in;
  out.insert(out.end(), {0xFF, 0xD9});
  return out;
}

std::shared_ptr<const Bitmap> DecodeBitmap(const BitmapDefinition& definition, const ByteBlock& jpegTables,
                                           std::size_t maxPixels) {
  if (definition.encoding == BitmapEncoding::Lossless || definition.encoding == BitmapEncoding::Lossless2) {
    return DecodeLossless(definition, maxPixels);
  }
  return DecodeCompressed(definition, jpegTables, maxPixels);
}

void BitmapLibrary::SetMovie(const MovieDefinition* movie) {
  if (movie == movie_) return;
  movie_ = movie;
  decoded_.clear();
  bytes_ = 0;
}

std::shared_ptr<const Bitmap> BitmapLibrary::Find(std::uint16_t id) {
  if (movie_ == nullptr) return nullptr;
  const auto known = decoded_.find(id);
  if (known != decoded_.end()) return known->second;
  const auto it = movie_->bitmaps.find(id);
  if (it == movie_->bitmaps.end()) return nullptr;
  const std::size_t room = (MaxLibraryBytes - bytes_) / (sizeof(Rgba) + 3);
  std::shared_ptr<const Bitmap> bitmap = DecodeBitmap(*it->second, movie_->jpegTables, std::min(MaxBitmapPixels, room));
  if (bitmap) bytes_ += bitmap->pixels.size() * sizeof(Rgba) + bitmap->bgr.size();
  decoded_.emplace(id, bitmap);
  return bitmap;
}

}  // namespace Halvane::Movie::Render
