#include <algorithm>
#include <cmath>
#include <cstring>

#include "movie/render/Bitmaps.h"
#include "movie/render/PaintShader.h"

namespace Halvane::Movie::Render {

namespace {

// The bitmap column or row of a coordinate, by the paint's edge rule. The
// coordinate is bounded first so that it converts to an integer safely
// whatever the matrix.
inline int Wrap(double t, int size, bool repeat) {
  if (!(t > -1e9)) t = -1e9;  // also NaN
  if (t > 1e9) t = 1e9;
  std::int64_t k = static_cast<std::int64_t>(t);
  if (t < static_cast<double>(k)) --k;
  if (repeat) {
    k %= size;
    return static_cast<int>(k < 0 ? k + size : k);
  }
  return static_cast<int>(k < 0 ? 0 : k >= size ? size - 1 : k);
}

inline int WrapIndex(std::int64_t k, int size, bool repeat) {
  if (repeat) {
    k %= size;
    return static_cast<int>(k < 0 ? k + size : k);
  }
  return static_cast<int>(k < 0 ? 0 : k >= size ? size - 1 : k);
}

}  // namespace

void BitmapShader::Prepare(const Paint& paint, const Transform& placement, const ColorTransform& transform,
                           double pixelOffset) {
  hold_ = paint.bitmap;
  bitmap_ = hold_.get();
  repeat_ = paint.repeat;
  smoothed_ = paint.smoothed && pixelOffset == 0.0;
  transform_ = transform;
  transformed_ = !transform.IsIdentity();
  const Transform toDevice = paint.matrix.Then(placement);
  singular_ = bitmap_ == nullptr || bitmap_->width <= 0 || bitmap_->height <= 0 || !toDevice.Invert(&toBitmap_);
  solid_ = singular_;
  color_ = Rgba{0, 0, 0, 0};
  opaque_ = !singular_ && bitmap_->opaque && transform.KeepsOpaque();
}

void BitmapShader::ShadeRow(int x, int y, int count, Rgba* out) const {
  if (singular_) {
    std::fill(out, out + count, color_);
    return;
  }
  const double px = x + 0.5;
  const double py = y + 0.5;
  const double u = toBitmap_.MapX(px, py);
  const double v = toBitmap_.MapY(px, py);
  if (smoothed_) {
    ShadeSmoothed(u, v, toBitmap_.a, toBitmap_.b, count, out);
  } else {
    ShadeNearest(u, v, toBitmap_.a, toBitmap_.b, count, out);
  }
  if (transformed_) {
    for (int i = 0; i < count; ++i) out[i] = transform_.Apply(out[i]);
  }
}

const std::uint8_t* BitmapShader::ReadyRow24(int x, int y, int count) const {
  if (singular_ || smoothed_ || transformed_ || bitmap_->bgr.empty() || toBitmap_.a != 1.0 || toBitmap_.b != 0.0 ||
      toBitmap_.c != 0.0 || toBitmap_.d != 1.0) {
    return nullptr;
  }
  const double u = std::floor(x + 0.5 + toBitmap_.tx);
  const double v = std::floor(y + 0.5 + toBitmap_.ty);
  if (!(u >= 0 && v >= 0 && u + count <= bitmap_->width && v < bitmap_->height)) return nullptr;
  return bitmap_->bgr.data() + (static_cast<std::size_t>(v) * bitmap_->width + static_cast<std::size_t>(u)) * 3;
}

void BitmapShader::ShadeNearest(double u, double v, double du, double dv, int count, Rgba* out) const {
  const Bitmap& b = *bitmap_;
  if (dv == 0.0) {
    const Rgba* row = b.Row(Wrap(v, b.height, repeat_));
    // One bitmap pixel per device pixel on the row: whole runs copy.
    if (du == 1.0 && u > -1e9 && u < 1e9) {
      std::int64_t k = static_cast<std::int64_t>(std::floor(u));
      int i = 0;
      while (i < count) {
        const int column = WrapIndex(k, b.width, repeat_);
        int run = 1;
        if (repeat_ || (k >= 0 && k < b.width)) {
          run = std::min(count - i, b.width - column);
          std::memcpy(out + i, row + column, static_cast<std::size_t>(run) * sizeof(Rgba));
        } else {
          out[i] = row[column];
        }
        i += run;
        k += run;
      }
      return;
    }
    for (int i = 0; i < count; ++i) out[i] = row[Wrap(u + du * i, b.width, repeat_)];
    return;
  }
  for (int i = 0; i < count; ++i) {
    out[i] = b.Row(Wrap(v + dv * i, b.height, repeat_))[Wrap(u + du * i, b.width, repeat_)];
  }
}

void BitmapShader::ShadeSmoothed(double u, double v, double du, double dv, int count, Rgba* out) const {
  const Bitmap& b = *bitmap_;
  for (int i = 0; i < count; ++i) {
    // Pixel centres sit at half coordinates: weights by the distance to them.
    double fx = u + du * i - 0.5;
    double fy = v + dv * i - 0.5;
    fx = std::clamp(fx, -1e9, 1e9);
    fy = std::clamp(fy, -1e9, 1e9);
    if (std::isnan(fx) || std::isnan(fy)) fx = fy = 0;
    const double x0f = std::floor(fx);
    const double y0f = std::floor(fy);
    const int wx = static_cast<int>((fx - x0f) * 256.0);
    const int wy = static_cast<int>((fy - y0f) * 256.0);
    const std::int64_t x0 = static_cast<std::int64_t>(x0f);
    const std::int64_t y0 = static_cast<std::int64_t>(y0f);
    const int cx0 = WrapIndex(x0, b.width, repeat_), cx1 = WrapIndex(x0 + 1, b.width, repeat_);
    const int cy0 = WrapIndex(y0, b.height, repeat_), cy1 = WrapIndex(y0 + 1, b.height, repeat_);
    const Rgba* taps[4] = {&b.Row(cy0)[cx0], &b.Row(cy0)[cx1], &b.Row(cy1)[cx0], &b.Row(cy1)[cx1]};
    const int weights[4] = {(256 - wx) * (256 - wy), wx * (256 - wy), (256 - wx) * wy, wx * wy};
    // Premultiplied while mixed, so that transparent pixels lend no colour.
    std::uint32_t r = 0, g = 0, bl = 0, a = 0;
    for (int k = 0; k < 4; ++k) {
      const Rgba& c = *taps[k];
      const std::uint32_t w = static_cast<std::uint32_t>(weights[k]) * c.alpha;
      r += c.red * w;
      g += c.green * w;
      bl += c.blue * w;
      a += static_cast<std::uint32_t>(weights[k]) * c.alpha;
    }
    if (a == 0) {
      out[i] = Rgba{0, 0, 0, 0};
      continue;
    }
    out[i] = Rgba{static_cast<std::uint8_t>((r + a / 2) / a), static_cast<std::uint8_t>((g + a / 2) / a),
                  static_cast<std::uint8_t>((bl + a / 2) / a), static_cast<std::uint8_t>((a + 32768) >> 16)};
  }
}

}  // namespace Halvane::Movie::Render
