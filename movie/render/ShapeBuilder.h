// A shape's records into the rasterizer's shape layers: the styles as paints
// and lines, the edges in absolute twips with their fill sides and line.
// Records that bring new style arrays start a new layer; layers without
// edges are left out. Shapes of the fourth form with the non-zero flag fill
// by the non-zero rule, every other shape (and every morph shape) even-odd.
//
// Bitmap fills take their image from a BitmapSource; without one, or when
// the image is missing or damaged, they are fully transparent (their area
// still counts where the shape is a mask).
#pragma once

#include <cstdint>
#include <vector>

#include "movie/render/Bitmaps.h"
#include "movie/render/ShapeLayer.h"
#include "movie/swf/SwfRecords.h"

namespace Halvane::Movie::Render {

// Where bitmap fills find their images, and the version of the movie they
// belong to: fills of the smoothed kinds are smoothed from version 8 on.
struct BitmapSource {
  BitmapLibrary* library = nullptr;
  int movieVersion = 0;
};

// Replaces out with the layers of shape.
void BuildShapeLayers(const ShapeDefinition& shape, std::vector<ShapeLayer>* out,
                      const BitmapSource* bitmaps = nullptr);

// Replaces out with the layers of morph at ratio (0: the start shape, 65535:
// the end shape). Edges pair up in record order; where one side has a
// straight edge against a curve, the straight edge counts as a curve with
// its control point at its middle. End edges past the start ones are
// ignored, start edges past the end ones keep their start positions.
void BuildMorphLayers(const MorphShapeDefinition& morph, std::uint16_t ratio, std::vector<ShapeLayer>* out,
                      const BitmapSource* bitmaps = nullptr);

// The style conversions, for callers that draw styles on their own.
Transform TransformOf(const Matrix& m);
Paint PaintOf(const FillStyle& fill, const BitmapSource* bitmaps = nullptr);
LineStyle LineOf(const Movie::LineStyle& line, const BitmapSource* bitmaps = nullptr);

}  // namespace Halvane::Movie::Render
