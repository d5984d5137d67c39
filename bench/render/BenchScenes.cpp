#include "BenchScenes.h"

#include <cmath>
#include <cstdint>

namespace Halvane::Movie::Render::Bench {

namespace {

constexpr double Pi = 3.14159265358979323846;

class Random {
 public:
  explicit Random(std::uint32_t seed) : state_(seed) {}
  double Next() {  // 0 .. 1
    state_ = state_ * 1664525u + 1013904223u;
    return (state_ >> 8) / 16777216.0;
  }
  double Range(double lo, double hi) { return lo + (hi - lo) * Next(); }
  std::uint8_t Byte() { return static_cast<std::uint8_t>(Next() * 256.0); }

 private:
  std::uint32_t state_;
};

Transform Unscaled() {
  Transform t;
  t.a = t.d = 0.05;
  return t;
}

// A closed wavy blob of count curves around (cx, cy) in pixels, in twips.
Subpath Blob(Random& random, double cx, double cy, double radius, int count) {
  Subpath s;
  auto at = [&](double angle, double r) {
    return Point{(cx + r * std::cos(angle)) * 20, (cy + r * std::sin(angle)) * 20};
  };
  s.start = at(0, radius);
  for (int k = 0; k < count; ++k) {
    const double a0 = 2 * Pi * k / count;
    const double a1 = 2 * Pi * (k + 1) / count;
    Segment seg;
    seg.curved = true;
    seg.control = at((a0 + a1) / 2, radius * random.Range(0.9, 1.5));
    seg.to = k + 1 == count ? s.start : at(a1, radius * random.Range(0.6, 1.0));
    s.segments.push_back(seg);
  }
  return s;
}

// An open curvy line through the frame.
Subpath Squiggle(Random& random, int count) {
  Subpath s;
  Point p{random.Range(0, Width) * 20, random.Range(0, Height) * 20};
  s.start = p;
  for (int k = 0; k < count; ++k) {
    Segment seg;
    seg.curved = k % 3 != 2;
    seg.control = Point{p.x + random.Range(-1800, 1800), p.y + random.Range(-1800, 1800)};
    p = Point{p.x + random.Range(-1600, 1600), p.y + random.Range(-1600, 1600)};
    seg.to = p;
    s.segments.push_back(seg);
  }
  return s;
}

Subpath Rect(double x0, double y0, double x1, double y1) {
  Subpath s;
  s.start = Point{x0 * 20, y0 * 20};
  for (const Point p : {Point{x1, y0}, Point{x1, y1}, Point{x0, y1}, Point{x0, y0}}) {
    Segment seg;
    seg.to = Point{p.x * 20, p.y * 20};
    s.segments.push_back(seg);
  }
  return s;
}

Rgba Color(Random& random, bool translucent) {
  return Rgba{random.Byte(), random.Byte(), random.Byte(),
              translucent ? static_cast<std::uint8_t>(160) : std::uint8_t{255}};
}

Paint GradientPaint(Random& random, PaintKind kind, double cx, double cy, double size, double angle,
                    SpreadMode spread) {
  Paint p;
  p.kind = kind;
  p.gradient.spread = spread;
  p.gradient.interpolation = random.Next() < 0.3 ? Interpolation::LinearRgb : Interpolation::Rgb;
  const int stops = 2 + static_cast<int>(random.Next() * 6);
  for (int i = 0; i < stops; ++i) {
    p.gradient.stops.push_back(GradientStop{static_cast<std::uint8_t>(255 * i / (stops - 1)), Color(random, false)});
  }
  p.gradient.focalPoint = kind == PaintKind::FocalRadialGradient ? 0.6 : 0.0;
  // The square (32768 twips) scaled to size pixels, turned and centred.
  const double s = size * 20.0 / 32768.0;
  p.matrix.a = s * std::cos(angle);
  p.matrix.b = s * std::sin(angle);
  p.matrix.c = -s * std::sin(angle);
  p.matrix.d = s * std::cos(angle);
  p.matrix.tx = cx * 20;
  p.matrix.ty = cy * 20;
  return p;
}

ScenePath Fill(Subpath s, Paint paint) {
  ScenePath p;
  p.subpaths.push_back(std::move(s));
  p.paint = std::move(paint);
  return p;
}

ScenePath Stroke(Subpath s, double widthPixels, Rgba color, JoinStyle join, CapStyle cap) {
  ScenePath p;
  p.subpaths.push_back(std::move(s));
  p.stroke = true;
  p.line.width = widthPixels * 20;
  p.line.paint = Paint::SolidColor(color);
  p.line.join = join;
  p.line.startCap = p.line.endCap = cap;
  p.line.miterLimit = 4.0;
  return p;
}

void Build(SceneShape& shape) {
  ShapeLayer& layer = shape.layer;
  layer.Clear();
  layer.rule = shape.rule;
  for (const ScenePath& path : shape.paths) {
    if (path.stroke) {
      layer.lines.push_back(path.line);
      layer.SetFill1(0);
      layer.SetLine(static_cast<std::uint32_t>(layer.lines.size()));
    } else {
      layer.fills.push_back(path.paint);
      layer.SetLine(0);
      layer.SetFill1(static_cast<std::uint32_t>(layer.fills.size()));
    }
    for (const Subpath& s : path.subpaths) {
      layer.MoveTo(s.start.x, s.start.y);
      for (const Segment& seg : s.segments) {
        if (seg.curved) {
          layer.CurveTo(seg.control.x, seg.control.y, seg.to.x, seg.to.y);
        } else {
          layer.LineTo(seg.to.x, seg.to.y);
        }
      }
    }
  }
}

Scene Shapes(std::uint32_t seed) {
  Random random(seed);
  Scene scene{"shapes", {}};
  for (int group = 0; group < 6; ++group) {
    SceneShape shape;
    shape.placement = Unscaled();
    for (int i = 0; i < 10; ++i) {
      shape.paths.push_back(Fill(Blob(random, random.Range(0, Width), random.Range(0, Height), random.Range(20, 110),
                                      8 + static_cast<int>(random.Next() * 8)),
                                 Paint::SolidColor(Color(random, random.Next() < 0.25))));
    }
    scene.shapes.push_back(std::move(shape));
  }
  return scene;
}

Scene Gradients(std::uint32_t seed) {
  Random random(seed);
  Scene scene{"gradients", {}};
  const PaintKind kinds[] = {PaintKind::LinearGradient, PaintKind::RadialGradient, PaintKind::FocalRadialGradient};
  const SpreadMode spreads[] = {SpreadMode::Pad, SpreadMode::Reflect, SpreadMode::Repeat};
  {
    SceneShape background;
    background.placement = Unscaled();
    background.paths.push_back(Fill(Rect(0, 0, Width, Height), GradientPaint(random, PaintKind::LinearGradient, 320,
                                                                             240, 700, 0.4, SpreadMode::Pad)));
    scene.shapes.push_back(std::move(background));
  }
  for (int i = 0; i < 9; ++i) {
    SceneShape shape;
    shape.placement = Unscaled();
    const double cx = random.Range(60, Width - 60), cy = random.Range(60, Height - 60);
    const double r = random.Range(60, 160);
    shape.paths.push_back(Fill(Blob(random, cx, cy, r, 10), GradientPaint(random, kinds[i % 3], cx, cy, r * 1.6,
                                                                          random.Range(0, Pi), spreads[(i / 3) % 3])));
    scene.shapes.push_back(std::move(shape));
  }
  return scene;
}

Scene Strokes(std::uint32_t seed) {
  Random random(seed);
  Scene scene{"strokes", {}};
  const JoinStyle joins[] = {JoinStyle::Round, JoinStyle::Bevel, JoinStyle::Miter};
  const CapStyle caps[] = {CapStyle::Round, CapStyle::None, CapStyle::Square};
  for (int group = 0; group < 5; ++group) {
    SceneShape shape;
    shape.placement = Unscaled();
    for (int i = 0; i < 8; ++i) {
      const int k = group * 8 + i;
      shape.paths.push_back(Stroke(Squiggle(random, 6 + static_cast<int>(random.Next() * 6)), random.Range(1, 12),
                                   Color(random, false), joins[k % 3], caps[(k / 3) % 3]));
    }
    for (int i = 0; i < 2; ++i) {
      const double x = random.Range(0, Width - 120), y = random.Range(0, Height - 100);
      shape.paths.push_back(Stroke(Rect(x, y, x + random.Range(30, 120), y + random.Range(30, 100)),
                                   random.Range(1, 10), Color(random, false), JoinStyle::Miter, CapStyle::Round));
    }
    scene.shapes.push_back(std::move(shape));
  }
  return scene;
}

}  // namespace

std::vector<Scene> MakeScenes() {
  std::vector<Scene> scenes = {Shapes(11), Gradients(22), Strokes(33)};
  Scene mixed{"mixed", {}};
  for (const Scene& s : scenes) {
    for (const SceneShape& shape : s.shapes) mixed.shapes.push_back(shape);
  }
  scenes.push_back(std::move(mixed));
  for (Scene& s : scenes) {
    for (SceneShape& shape : s.shapes) Build(shape);
  }
  return scenes;
}

std::vector<std::vector<Point>> DevicePolylines(const ScenePath& path, const Transform& placement) {
  std::vector<std::vector<Point>> out;
  const double halfWidth = path.stroke ? LineWidthInPixels(path.line, placement) / 2 : 0.0;
  auto map = [&](Point p) { return Point{placement.MapX(p.x, p.y), placement.MapY(p.x, p.y)}; };
  for (const Subpath& s : path.subpaths) {
    std::vector<Point> points{map(s.start)};
    for (const Segment& seg : s.segments) {
      const Point to = map(seg.to);
      if (seg.curved) {
        const Point from = points.back();
        const Point control = map(seg.control);
        const int n =
            path.stroke ? StrokeCurveSegmentCount(from, control, to, halfWidth) : CurveSegmentCount(from, control, to);
        FlattenCurve(from, control, to, n, &points);
      } else {
        points.push_back(to);
      }
    }
    out.push_back(std::move(points));
  }
  return out;
}

}  // namespace Halvane::Movie::Render::Bench
