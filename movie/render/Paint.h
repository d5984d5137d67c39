// What a fill or a line is painted with, as the shape states it. The canvas
// turns a paint into a PaintShader for one draw (colour transform applied,
// gradient ramp built, device-to-paint matrix worked out).
//
// Bitmap paints hold the decoded image they show; a bitmap fill whose
// image is missing or damaged is a fully transparent solid paint instead,
// so that its area still counts in a mask.
#pragma once

#include <cstdint>
#include <memory>

#include "movie/render/GradientRamp.h"
#include "movie/render/RenderTypes.h"

namespace Halvane::Movie::Render {

enum class PaintKind : std::uint8_t { Solid, LinearGradient, RadialGradient, FocalRadialGradient, Bitmap };

struct Bitmap;

struct Paint {
  PaintKind kind = PaintKind::Solid;
  Rgba color;         // solid paints
  Gradient gradient;  // gradient paints
  // Gradient paints: maps the gradient square (-16384 .. 16384 twips on both
  // axes) into the shape's twips. Bitmap paints: maps the bitmap's pixels
  // into the shape's twips.
  Transform matrix;
  // Bitmap paints: the image, tiled (repeat) or with its edge pixels
  // stretched outwards (clip), smoothed or taken from the nearest pixel.
  std::shared_ptr<const Bitmap> bitmap;
  bool repeat = false;
  bool smoothed = false;

  static Paint SolidColor(const Rgba& color) {
    Paint p;
    p.color = color;
    return p;
  }
};

enum class CapStyle : std::uint8_t { Round, None, Square };
enum class JoinStyle : std::uint8_t { Round, Bevel, Miter };

// A line is a circular pen of width pixels in device space, never thinner
// than one pixel. The width in twips is scaled by the placement matrix
// (a, b, c, d): normally by sqrt((|a + c|^2 + |b + d|^2) / 2), with
// noVScale by |a + c|, with noHScale by |b + d|, and with both by 1/20 (a
// twip is 1/20 pixel whatever the placement).
struct LineStyle {
  double width = 20.0;  // twips
  Paint paint;          // a solid colour, or the fill a line style may carry
  CapStyle startCap = CapStyle::Round;
  CapStyle endCap = CapStyle::Round;
  JoinStyle join = JoinStyle::Round;
  // Miter joins: the tip reaches at most miterLimit times the line's width
  // beyond the corner and is cut off square there; a limit below 1 bevels.
  double miterLimit = 3.0;
  bool noHScale = false;
  bool noVScale = false;
  // A line that ends where it started gets caps there instead of a join.
  bool noClose = false;
};

}  // namespace Halvane::Movie::Render
