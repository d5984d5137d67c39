// A paint made ready for one draw: colour transform applied, gradient ramp
// built, and the map from device pixels back into the paint worked out. The
// rasterizer asks a shader for the colours of a run of pixels; a paint has
// one colour per pixel (gradients are not anti-aliased beyond the coverage
// of the shape's edges).
//
// Where a pixel's colour is taken: at its centre at low quality, at its
// top-left corner otherwise, as the platform's control does.
//
// Bitmaps take their colour at the pixel's centre at every quality (so that
// an unscaled bitmap shows its own pixels), from the nearest bitmap pixel
// or, when the paint is smoothed and the quality is not low, bilinearly
// from the four around it. The rasterizer sees only this interface.
#pragma once

#include <vector>

#include <memory>

#include "movie/render/ColorTransform.h"
#include "movie/render/GradientRamp.h"
#include "movie/render/Paint.h"
#include "movie/render/RenderTypes.h"

namespace Halvane::Movie::Render {

class PaintShader {
 public:
  virtual ~PaintShader() = default;
  // The colours (straight alpha) of count pixels of row y from column x.
  virtual void ShadeRow(int x, int y, int count, Rgba* out) const = 0;
  // True, with their colour, when ShadeRow would give those pixels all one
  // colour; false when they may differ.
  virtual bool RowColor(int x, int y, int count, Rgba* color) const { return false; }
  // The colours ShadeRow would give, opaque, already as 3-byte blue, green,
  // red pixels the shader keeps, when it has them; null otherwise.
  virtual const std::uint8_t* ReadyRow24(int x, int y, int count) const { return nullptr; }
  // True when every colour the shader gives has alpha 255.
  bool Opaque() const { return opaque_; }
  // True for a paint of one colour everywhere, which is then Color().
  bool Solid() const { return solid_; }
  Rgba Color() const { return color_; }

 protected:
  bool opaque_ = true;
  bool solid_ = false;
  Rgba color_;
};

class SolidShader : public PaintShader {
 public:
  void Prepare(const Rgba& color);
  void ShadeRow(int x, int y, int count, Rgba* out) const override;
};

class GradientShader : public PaintShader {
 public:
  // placement: the shape's twips to device pixels. pixelOffset: where in a
  // pixel the colour is taken (0.5 at the centre, 0 at the corner).
  void Prepare(const Paint& paint, const Transform& placement, const ColorTransform& transform, double pixelOffset);
  void ShadeRow(int x, int y, int count, Rgba* out) const override;
  bool RowColor(int x, int y, int count, Rgba* color) const override;

 private:
  PaintKind kind_ = PaintKind::LinearGradient;
  SpreadMode spread_ = SpreadMode::Pad;
  double focal_ = 0.0;
  bool singular_ = false;  // the paint's matrix has no inverse: the last ramp colour everywhere
  Transform toSquare_;     // device pixels to the gradient square
  double offset_ = 0.0;
  GradientRamp ramp_;
  // A linear gradient whose colours change only across the rows gives every
  // row the same colours: the last row shaded is kept and copied.
  mutable std::vector<Rgba> row_;
  mutable int rowX_ = 0;
};

class BitmapShader : public PaintShader {
 public:
  // As GradientShader; pixelOffset 0.5 (low quality) also turns smoothing off.
  void Prepare(const Paint& paint, const Transform& placement, const ColorTransform& transform, double pixelOffset);
  void ShadeRow(int x, int y, int count, Rgba* out) const override;
  // Unscaled, unsmoothed, untinted opaque bitmaps whose row lies inside
  // the bitmap: straight from the bitmap's own 3-byte copy.
  const std::uint8_t* ReadyRow24(int x, int y, int count) const override;

 private:
  void ShadeNearest(double u, double v, double du, double dv, int count, Rgba* out) const;
  void ShadeSmoothed(double u, double v, double du, double dv, int count, Rgba* out) const;
  const Bitmap* bitmap_ = nullptr;
  std::shared_ptr<const Bitmap> hold_;
  bool repeat_ = false;
  bool smoothed_ = false;
  bool singular_ = false;
  bool transformed_ = false;  // the colour transform is not the identity
  ColorTransform transform_;
  Transform toBitmap_;  // device pixels to bitmap pixels
};

// Shaders kept from draw to draw, so that a frame allocates nothing once the
// pool has grown to the largest shape.
class ShaderPool {
 public:
  // Ready for a new draw: earlier shaders may be reused.
  void Reset() { solidUsed_ = gradientUsed_ = bitmapUsed_ = 0; }
  const PaintShader* Prepare(const Paint& paint, const Transform& placement, const ColorTransform& transform,
                             double pixelOffset);

 private:
  std::vector<std::unique_ptr<SolidShader>> solids_;
  std::vector<std::unique_ptr<GradientShader>> gradients_;
  std::vector<std::unique_ptr<BitmapShader>> bitmaps_;
  std::size_t solidUsed_ = 0;
  std::size_t gradientUsed_ = 0;
  std::size_t bitmapUsed_ = 0;
};

}  // namespace Halvane::Movie::Render
