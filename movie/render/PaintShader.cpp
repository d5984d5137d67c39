#include "movie/render/PaintShader.h"

#include <algorithm>
#include <cmath>

namespace Halvane::Movie::Render {

namespace {

constexpr double SquareHalf = 16384.0;  // the gradient square is -16384 .. 16384 twips

// Ramp index of u = t * 256 by the spread mode. u is bounded first so that
// it converts to an integer safely whatever the matrix.
template <SpreadMode Spread>
inline int RampIndex(double u) {
  if (!(u > -1e9)) u = -1e9;  // also NaN
  if (u > 1e9) u = 1e9;
  std::int64_t k = static_cast<std::int64_t>(u);  // towards zero, then down
  if (u < static_cast<double>(k)) --k;
  if (Spread == SpreadMode::Repeat) return static_cast<int>(k & 255);
  if (Spread == SpreadMode::Reflect) {
    const int m = static_cast<int>(k & 511);
    return m < 256 ? m : 511 - m;
  }
  return static_cast<int>(k < 0 ? 0 : k > 255 ? 255 : k);
}

// One loop per kind and spread, so that neither is decided per pixel.
template <SpreadMode Spread>
void ShadeKind(PaintKind kind, double gx0, double gy0, double dgx, double dgy, double focal, const Rgba* ramp,
               int count, Rgba* out) {
  switch (kind) {
    case PaintKind::LinearGradient: {
      // t = (gx + 16384) / 32768, so u = t * 256 = (gx + 16384) / 128.
      const double u0 = (gx0 + SquareHalf) / 128.0;
      const double du = dgx / 128.0;
      for (int i = 0; i < count; ++i) out[i] = ramp[RampIndex<Spread>(u0 + du * i)];
      break;
    }
    case PaintKind::RadialGradient: {
      for (int i = 0; i < count; ++i) {
        const double gx = gx0 + dgx * i;
        const double gy = gy0 + dgy * i;
        out[i] = ramp[RampIndex<Spread>(std::sqrt(gx * gx + gy * gy) / 64.0)];
      }
      break;
    }
    case PaintKind::FocalRadialGradient:
    default: {
      // From the focal point f on the x axis through the point to the unit
      // circle: t is the point's share of that distance.
      // With d = (f - u, -v) and L = |d|: t = L / (sqrt(1 - f^2 dy^2 / L^2) +
      // f dx / L), which is L^2 / (sqrt(L^2 - f^2 dy^2) + f dx): one root
      // and one division per pixel.
      const double f = focal;
      const double ff = f * f;
      for (int i = 0; i < count; ++i) {
        const double ux = (gx0 + dgx * i) / SquareHalf;
        const double vy = (gy0 + dgy * i) / SquareHalf;
        const double dx = f - ux;
        const double dy = -vy;
        const double l2 = dx * dx + dy * dy;
        const double denominator = std::sqrt(std::max(0.0, l2 - ff * dy * dy)) + f * dx;
        double t = 0.0;
        if (l2 > 0.0) {
          t = denominator > 0.0 && denominator * denominator > 1e-24 * l2 ? l2 / denominator : 1e9;
        }
        out[i] = ramp[RampIndex<Spread>(t * 256.0)];
      }
      break;
    }
  }
}

}  // namespace

void SolidShader::Prepare(const Rgba& color) {
  color_ = color;
  solid_ = true;
  opaque_ = color.alpha == 255;
}

void SolidShader::ShadeRow(int, int, int count, Rgba* out) const { std::fill(out, out + count, color_); }

void GradientShader::Prepare(const Paint& paint, const Transform& placement, const ColorTransform& transform,
                             double pixelOffset) {
  kind_ = paint.kind;
  spread_ = paint.gradient.spread;
  row_.clear();
  focal_ = std::isfinite(paint.gradient.focalPoint) ? std::clamp(paint.gradient.focalPoint, -1.0, 1.0) : 0.0;
  offset_ = pixelOffset;
  BuildGradientRamp(paint.gradient, transform, &ramp_);
  opaque_ = ramp_.opaque;
  solid_ = false;
  const Transform toDevice = paint.matrix.Then(placement);
  singular_ = !toDevice.Invert(&toSquare_);
  if (singular_) {
    solid_ = true;
    color_ = ramp_.colors[255];
    opaque_ = color_.alpha == 255;
  }
}

void GradientShader::ShadeRow(int x, int y, int count, Rgba* out) const {
  if (singular_) {
    std::fill(out, out + count, color_);
    return;
  }
  const bool sameEveryRow = kind_ == PaintKind::LinearGradient && toSquare_.c == 0.0;
  if (sameEveryRow && x >= rowX_ &&
      static_cast<std::size_t>(x - rowX_) + static_cast<std::size_t>(count) <= row_.size()) {
    std::copy_n(row_.begin() + (x - rowX_), count, out);
    return;
  }
  const double px = x + offset_;
  const double py = y + offset_;
  const double gx0 = toSquare_.MapX(px, py);
  const double gy0 = toSquare_.MapY(px, py);
  const double dgx = toSquare_.a;
  const double dgy = toSquare_.b;
  switch (spread_) {
    case SpreadMode::Repeat:
      ShadeKind<SpreadMode::Repeat>(kind_, gx0, gy0, dgx, dgy, focal_, ramp_.colors, count, out);
      break;
    case SpreadMode::Reflect:
      ShadeKind<SpreadMode::Reflect>(kind_, gx0, gy0, dgx, dgy, focal_, ramp_.colors, count, out);
      break;
    default:
      ShadeKind<SpreadMode::Pad>(kind_, gx0, gy0, dgx, dgy, focal_, ramp_.colors, count, out);
      break;
  }
  if (sameEveryRow) {
    rowX_ = x;
    row_.assign(out, out + count);
  }
}

bool GradientShader::RowColor(int x, int y, int count, Rgba* color) const {
  if (singular_) {
    *color = color_;
    return true;
  }
  if (kind_ != PaintKind::LinearGradient || count <= 0) return false;
  // The index the row's first and last pixels take, worked out as ShadeKind
  // works it out: the ramp position grows (or shrinks) monotonically along
  // the row, so equal ends mean one colour throughout.
  const double px = x + offset_;
  const double py = y + offset_;
  const double u0 = (toSquare_.MapX(px, py) + SquareHalf) / 128.0;
  const double du = toSquare_.a / 128.0;
  const double u1 = u0 + du * (count - 1);
  int first, last;
  switch (spread_) {
    case SpreadMode::Repeat:
    case SpreadMode::Reflect:
      // Within one period only.
      if (!(std::floor(u0) == std::floor(u1))) return false;
      first = spread_ == SpreadMode::Repeat ? RampIndex<SpreadMode::Repeat>(u0) : RampIndex<SpreadMode::Reflect>(u0);
      last = first;
      break;
    default:
      first = RampIndex<SpreadMode::Pad>(u0);
      last = RampIndex<SpreadMode::Pad>(u1);
      break;
  }
  if (first != last) return false;
  *color = ramp_.colors[first];
  return true;
}

const PaintShader* ShaderPool::Prepare(const Paint& paint, const Transform& placement, const ColorTransform& transform,
                                       double pixelOffset) {
  if (paint.kind == PaintKind::Solid) {
    if (solidUsed_ == solids_.size()) solids_.push_back(std::make_unique<SolidShader>());
    SolidShader* s = solids_[solidUsed_++].get();
    s->Prepare(transform.Apply(paint.color));
    return s;
  }
  if (paint.kind == PaintKind::Bitmap) {
    if (bitmapUsed_ == bitmaps_.size()) bitmaps_.push_back(std::make_unique<BitmapShader>());
    BitmapShader* b = bitmaps_[bitmapUsed_++].get();
    b->Prepare(paint, placement, transform, pixelOffset);
    return b;
  }
  if (gradientUsed_ == gradients_.size()) gradients_.push_back(std::make_unique<GradientShader>());
  GradientShader* g = gradients_[gradientUsed_++].get();
  g->Prepare(paint, placement, transform, pixelOffset);
  return g;
}

}  // namespace Halvane::Movie::Render
