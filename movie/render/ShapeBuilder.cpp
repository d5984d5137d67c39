#include "movie/render/ShapeBuilder.h"

#include <algorithm>
#include <cstddef>

namespace Halvane::Movie::Render {

namespace {

constexpr double Fixed16 = 65536.0;

Rgba ColorOf(const Movie::Rgba& c) { return Rgba{c.red, c.green, c.blue, c.alpha}; }

CapStyle CapOf(Movie::CapStyle cap) {
  switch (cap) {
    case Movie::CapStyle::None:
      return CapStyle::None;
    case Movie::CapStyle::Square:
      return CapStyle::Square;
    default:
      return CapStyle::Round;
  }
}

JoinStyle JoinOf(Movie::JoinStyle join) {
  switch (join) {
    case Movie::JoinStyle::Bevel:
      return JoinStyle::Bevel;
    case Movie::JoinStyle::Miter:
      return JoinStyle::Miter;
    default:
      return JoinStyle::Round;
  }
}

// Straight interpolation between a morph's start and end at ratio / 65535.
struct Mixer {
  std::uint32_t ratio;
  double t;
  explicit Mixer(std::uint16_t r) : ratio(r), t(r / 65535.0) {}
  double Value(double a, double b) const { return ratio == 0 ? a : ratio == 65535 ? b : a + (b - a) * t; }
  // Channels round to the nearest, so that the two ends are exact.
  std::uint8_t Channel(std::uint8_t a, std::uint8_t b) const {
    return static_cast<std::uint8_t>((a * (65535u - ratio) + b * ratio + 32767u) / 65535u);
  }
  Movie::Rgba Color(const Movie::Rgba& a, const Movie::Rgba& b) const {
    return Movie::Rgba{Channel(a.red, b.red), Channel(a.green, b.green), Channel(a.blue, b.blue),
                       Channel(a.alpha, b.alpha)};
  }
  Transform Matrix(const Movie::Matrix& a, const Movie::Matrix& b) const {
    const Transform s = TransformOf(a), e = TransformOf(b);
    Transform m;
    m.a = Value(s.a, e.a);
    m.b = Value(s.b, e.b);
    m.c = Value(s.c, e.c);
    m.d = Value(s.d, e.d);
    m.tx = Value(s.tx, e.tx);
    m.ty = Value(s.ty, e.ty);
    return m;
  }
};

Paint MorphPaint(const Movie::FillStyle& start, const Movie::FillStyle& end, const Mixer& mix,
                 const BitmapSource* bitmaps) {
  Paint p = PaintOf(start, bitmaps);
  if (p.kind == PaintKind::Bitmap) p.matrix = mix.Matrix(start.matrix, end.matrix);
  if (start.kind == FillKind::Solid) {
    p.color = ColorOf(mix.Color(start.color, end.color));
  } else if (IsGradient(start.kind)) {
    p.matrix = mix.Matrix(start.matrix, end.matrix);
    const std::size_t stops = std::min(start.gradient.stops.size(), end.gradient.stops.size());
    p.gradient.stops.resize(stops);
    for (std::size_t i = 0; i < stops; ++i) {
      const Movie::GradientStop& a = start.gradient.stops[i];
      const Movie::GradientStop& b = end.gradient.stops[i];
      p.gradient.stops[i].ratio = mix.Channel(a.ratio, b.ratio);
      p.gradient.stops[i].color = ColorOf(mix.Color(a.color, b.color));
    }
    p.gradient.focalPoint =
        std::clamp(mix.Value(start.gradient.focalPoint, end.gradient.focalPoint) / 256.0, -1.0, 1.0);
  }
  return p;
}

// Edges in record order into layers, the pen and the styles carried from
// record to record as the records leave them.
class LayerWriter {
 public:
  LayerWriter(std::vector<ShapeLayer>* out, FillRule rule) : out_(out), rule_(rule) { out_->clear(); }

  ShapeLayer& StartLayer() {
    if (!out_->empty() && out_->back().edges.empty()) out_->pop_back();
    out_->emplace_back();
    ShapeLayer& layer = out_->back();
    layer.rule = rule_;
    layer.MoveTo(x_, y_);
    return layer;
  }
  ShapeLayer& Current() { return out_->back(); }

  void Style(const ShapeRecord& r) {
    ShapeLayer& layer = Current();
    if (r.fillStyle0) layer.SetFill0(*r.fillStyle0);
    if (r.fillStyle1) layer.SetFill1(*r.fillStyle1);
    if (r.lineStyle) layer.SetLine(*r.lineStyle);
  }
  void MoveTo(double x, double y) {
    x_ = x;
    y_ = y;
    Current().MoveTo(x, y);
  }
  void LineTo(double x, double y) {
    x_ = x;
    y_ = y;
    Current().LineTo(x, y);
  }
  void CurveTo(double cx, double cy, double x, double y) {
    x_ = x;
    y_ = y;
    Current().CurveTo(cx, cy, x, y);
  }
  void Finish() {
    if (!out_->empty() && out_->back().edges.empty()) out_->pop_back();
  }

 private:
  std::vector<ShapeLayer>* out_;
  FillRule rule_;
  double x_ = 0.0;
  double y_ = 0.0;
};

// An edge's end points in absolute twips, a straight edge with its control
// point at its middle.
struct EdgeGeometry {
  double controlX, controlY, toX, toY;
  bool curved;
};

EdgeGeometry Advance(const ShapeRecord& r, double* x, double* y) {
  EdgeGeometry g;
  g.curved = r.kind == ShapeRecord::Kind::CurvedEdge;
  if (g.curved) {
    g.controlX = *x + r.deltaX;
    g.controlY = *y + r.deltaY;
    g.toX = g.controlX + r.anchorDeltaX;
    g.toY = g.controlY + r.anchorDeltaY;
  } else {
    g.toX = *x + r.deltaX;
    g.toY = *y + r.deltaY;
    g.controlX = (*x + g.toX) / 2.0;
    g.controlY = (*y + g.toY) / 2.0;
  }
  *x = g.toX;
  *y = g.toY;
  return g;
}

}  // namespace

Transform TransformOf(const Matrix& m) {
  Transform t;
  t.a = m.scaleX / Fixed16;
  t.b = m.rotateSkew0 / Fixed16;
  t.c = m.rotateSkew1 / Fixed16;
  t.d = m.scaleY / Fixed16;
  t.tx = m.translateX;
  t.ty = m.translateY;
  return t;
}

Paint PaintOf(const FillStyle& fill, const BitmapSource* bitmaps) {
  Paint p;
  if (IsGradient(fill.kind)) {
    p.kind = fill.kind == FillKind::LinearGradient   ? PaintKind::LinearGradient
             : fill.kind == FillKind::RadialGradient ? PaintKind::RadialGradient
                                                     : PaintKind::FocalRadialGradient;
    p.matrix = TransformOf(fill.matrix);
    p.gradient.spread = Gradient::SpreadFromBits(fill.gradient.spreadMode);
    p.gradient.interpolation = Gradient::InterpolationFromBits(fill.gradient.interpolationMode);
    for (const Movie::GradientStop& s : fill.gradient.stops) {
      p.gradient.stops.push_back(GradientStop{s.ratio, ColorOf(s.color)});
    }
    p.gradient.focalPoint = std::clamp(fill.gradient.focalPoint / 256.0, -1.0, 1.0);
  } else if (IsBitmap(fill.kind)) {
    p.color = Rgba{0, 0, 0, 0};
    if (bitmaps != nullptr && bitmaps->library != nullptr) p.bitmap = bitmaps->library->Find(fill.bitmapId);
    if (p.bitmap) {
      p.kind = PaintKind::Bitmap;
      p.matrix = TransformOf(fill.matrix);
      p.repeat = fill.kind == FillKind::RepeatingBitmap || fill.kind == FillKind::RepeatingBitmapUnsmoothed;
      p.smoothed = bitmaps->movieVersion >= 8 &&
                   (fill.kind == FillKind::RepeatingBitmap || fill.kind == FillKind::ClippedBitmap);
    }
  } else {
    p.color = ColorOf(fill.color);
  }
  return p;
}

LineStyle LineOf(const Movie::LineStyle& line, const BitmapSource* bitmaps) {
  LineStyle l;
  l.width = line.width;
  l.paint = line.fill ? PaintOf(*line.fill, bitmaps) : Paint::SolidColor(ColorOf(line.color));
  l.startCap = CapOf(line.startCap);
  l.endCap = CapOf(line.endCap);
  l.join = JoinOf(line.join);
  l.miterLimit = line.miterLimitFactor / 256.0;
  l.noHScale = line.noHScale;
  l.noVScale = line.noVScale;
  l.noClose = line.noClose;
  return l;
}

void BuildShapeLayers(const ShapeDefinition& shape, std::vector<ShapeLayer>* out, const BitmapSource* bitmaps) {
  LayerWriter writer(out, shape.NonZeroWinding() ? FillRule::NonZero : FillRule::EvenOdd);
  auto tables = [bitmaps](ShapeLayer& layer, const ShapeStyles& styles) {
    for (const FillStyle& f : styles.fills) layer.fills.push_back(PaintOf(f, bitmaps));
    for (const Movie::LineStyle& l : styles.lines) layer.lines.push_back(LineOf(l, bitmaps));
  };
  tables(writer.StartLayer(), shape.styles);
  double x = 0.0, y = 0.0;
  for (const ShapeRecord& r : shape.records) {
    if (r.kind == ShapeRecord::Kind::StyleChange) {
      // New arrays come with their own indices; the ones in force before
      // named the old arrays, so they are dropped.
      if (r.newStyles) tables(writer.StartLayer(), *r.newStyles);
      if (r.moveTo) {
        x = r.moveTo->first;
        y = r.moveTo->second;
        writer.MoveTo(x, y);
      }
      writer.Style(r);
      continue;
    }
    const EdgeGeometry g = Advance(r, &x, &y);
    if (g.curved) {
      writer.CurveTo(g.controlX, g.controlY, g.toX, g.toY);
    } else {
      writer.LineTo(g.toX, g.toY);
    }
  }
  writer.Finish();
}

void BuildMorphLayers(const MorphShapeDefinition& morph, std::uint16_t ratio, std::vector<ShapeLayer>* out,
                      const BitmapSource* bitmaps) {
  const Mixer mix(ratio);
  LayerWriter writer(out, FillRule::EvenOdd);
  ShapeLayer& layer = writer.StartLayer();
  for (const MorphFillStyle& f : morph.fills) layer.fills.push_back(MorphPaint(f.start, f.end, mix, bitmaps));
  for (const MorphLineStyle& l : morph.lines) {
    LineStyle line = LineOf(l.start, bitmaps);
    line.width = mix.Value(l.start.width, l.end.width);
    if (l.start.fill && l.end.fill) {
      line.paint = MorphPaint(*l.start.fill, *l.end.fill, mix, bitmaps);
    } else {
      line.paint = Paint::SolidColor(ColorOf(mix.Color(l.start.color, l.end.color)));
    }
    layer.lines.push_back(line);
  }

  const std::vector<ShapeRecord>& ends = morph.endRecords;
  std::size_t j = 0;
  double sx = 0.0, sy = 0.0, ex = 0.0, ey = 0.0;
  // The end list's next style change (moves only) is consumed with each
  // style change of the start list; end edges pair with start edges.
  for (const ShapeRecord& r : morph.startRecords) {
    if (r.kind == ShapeRecord::Kind::StyleChange) {
      if (j < ends.size() && ends[j].kind == ShapeRecord::Kind::StyleChange) {
        if (ends[j].moveTo) {
          ex = ends[j].moveTo->first;
          ey = ends[j].moveTo->second;
        }
        ++j;
      } else if (r.moveTo) {
        ex = r.moveTo->first;
        ey = r.moveTo->second;
      }
      if (r.moveTo) {
        sx = r.moveTo->first;
        sy = r.moveTo->second;
        writer.MoveTo(mix.Value(sx, ex), mix.Value(sy, ey));
      }
      writer.Style(r);
      continue;
    }
    while (j < ends.size() && ends[j].kind == ShapeRecord::Kind::StyleChange) {
      if (ends[j].moveTo) {
        ex = ends[j].moveTo->first;
        ey = ends[j].moveTo->second;
      }
      ++j;
    }
    const EdgeGeometry s = Advance(r, &sx, &sy);
    EdgeGeometry e = s;
    if (j < ends.size()) {
      e = Advance(ends[j], &ex, &ey);
      ++j;
    } else {
      ex = sx;
      ey = sy;
    }
    const double toX = mix.Value(s.toX, e.toX), toY = mix.Value(s.toY, e.toY);
    if (s.curved || e.curved) {
      writer.CurveTo(mix.Value(s.controlX, e.controlX), mix.Value(s.controlY, e.controlY), toX, toY);
    } else {
      writer.LineTo(toX, toY);
    }
  }
  writer.Finish();
}

}  // namespace Halvane::Movie::Render
