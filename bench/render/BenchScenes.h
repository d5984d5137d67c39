// Scenes for the rasterizer benchmark, described once as paths in twips and
// turned into the rasterizer's shape layers and into device-space polygons
// for the oracle.
#pragma once

#include <string>
#include <vector>

#include "movie/render/Canvas.h"
#include "movie/render/PathFlattener.h"

namespace Halvane::Movie::Render::Bench {

struct Segment {
  bool curved = false;
  Point control;  // twips
  Point to;
};

struct Subpath {
  Point start;
  std::vector<Segment> segments;
};

// One filled or stroked path of a shape.
struct ScenePath {
  std::vector<Subpath> subpaths;
  bool stroke = false;
  Paint paint;     // fills
  LineStyle line;  // strokes
};

struct SceneShape {
  std::vector<ScenePath> paths;
  FillRule rule = FillRule::EvenOdd;
  Transform placement;
  ShapeLayer layer;  // built from paths
};

struct Scene {
  std::string name;
  std::vector<SceneShape> shapes;
};

constexpr int Width = 640;
constexpr int Height = 480;

// The scenes: many overlapping curved shapes, full-frame gradients, curved
// lines of many widths, and all of them together.
std::vector<Scene> MakeScenes();

// A path in device pixels, curves flattened exactly as the rasterizer
// flattens them (strokes with the stroke's finer rule).
std::vector<std::vector<Point>> DevicePolylines(const ScenePath& path, const Transform& placement);

}  // namespace Halvane::Movie::Render::Bench
