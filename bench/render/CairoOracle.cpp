// Cairo draws the scenes and the reference frames: the same device-space
// polylines the rasterizer makes of the curves, filled with the same rule or
// stroked with the same width, caps and joins, with the same colours and
// gradient geometry, into a 32-bit image with Cairo's default
// anti-aliasing. A reference frame's masks become clips and its blend
// layers groups painted with the nearest Cairo operator.
#include <cairo.h>

#include <algorithm>
#include <map>
#include <utility>

#include "Oracle.h"

namespace Halvane::Movie::Render::Bench {

namespace {

struct PreparedPath {
  std::vector<std::vector<Point>> polylines;
  bool stroke = false;
  bool closed = false;
  FillRule rule = FillRule::EvenOdd;
  cairo_pattern_t* pattern = nullptr;
  double width = 1.0;
  cairo_line_cap_t cap = CAIRO_LINE_CAP_ROUND;
  cairo_line_join_t join = CAIRO_LINE_JOIN_ROUND;
  double miterLimit = 3.0;
};

cairo_line_cap_t Cap(CapStyle cap) {
  return cap == CapStyle::None     ? CAIRO_LINE_CAP_BUTT
         : cap == CapStyle::Square ? CAIRO_LINE_CAP_SQUARE
                                   : CAIRO_LINE_CAP_ROUND;
}

cairo_line_join_t Join(JoinStyle join) {
  return join == JoinStyle::Bevel   ? CAIRO_LINE_JOIN_BEVEL
         : join == JoinStyle::Miter ? CAIRO_LINE_JOIN_MITER
                                    : CAIRO_LINE_JOIN_ROUND;
}

cairo_pattern_t* MakePattern(const Paint& paint, const Transform& placement) {
  if (paint.kind == PaintKind::Solid) {
    return cairo_pattern_create_rgba(paint.color.red / 255.0, paint.color.green / 255.0, paint.color.blue / 255.0,
                                     paint.color.alpha / 255.0);
  }
  // The gradient square as -1 .. 1: Cairo's image backend holds pattern
  // coordinates in 16.16 fixed point, which twips far from the square's
  // centre overflow.
  cairo_pattern_t* p = nullptr;
  const double f = paint.gradient.focalPoint;
  switch (paint.kind) {
    case PaintKind::LinearGradient:
      p = cairo_pattern_create_linear(-1, 0, 1, 0);
      break;
    case PaintKind::RadialGradient:
      p = cairo_pattern_create_radial(0, 0, 0, 0, 0, 1);
      break;
    default:
      p = cairo_pattern_create_radial(f, 0, 0, 0, 0, 1);
      break;
  }
  for (const GradientStop& s : paint.gradient.stops) {
    cairo_pattern_add_color_stop_rgba(p, s.ratio / 255.0, s.color.red / 255.0, s.color.green / 255.0,
                                      s.color.blue / 255.0, s.color.alpha / 255.0);
  }
  cairo_pattern_set_extend(p, paint.gradient.spread == SpreadMode::Reflect  ? CAIRO_EXTEND_REFLECT
                              : paint.gradient.spread == SpreadMode::Repeat ? CAIRO_EXTEND_REPEAT
                                                                            : CAIRO_EXTEND_PAD);
  Transform toSquare;
  paint.matrix.Then(placement).Invert(&toSquare);
  cairo_matrix_t m;
  constexpr double k = 1.0 / 16384.0;
  cairo_matrix_init(&m, toSquare.a * k, toSquare.b * k, toSquare.c * k, toSquare.d * k, toSquare.tx * k,
                    toSquare.ty * k);
  cairo_pattern_set_matrix(p, &m);
  return p;
}

Paint Transformed(Paint paint, const ColorTransform& color) {
  paint.color = color.Apply(paint.color);
  for (GradientStop& stop : paint.gradient.stops) stop.color = color.Apply(stop.color);
  return paint;
}

// An edge in device pixels, curves flattened as the canvas flattens them.
std::vector<Point> Flattened(const ShapeEdge& e, const Transform& m, double strokeHalfWidth) {
  const Point from{m.MapX(e.fromX, e.fromY), m.MapY(e.fromX, e.fromY)};
  const Point to{m.MapX(e.toX, e.toY), m.MapY(e.toX, e.toY)};
  std::vector<Point> points{from};
  if (!e.curved) {
    points.push_back(to);
    return points;
  }
  const Point control{m.MapX(e.controlX, e.controlY), m.MapY(e.controlX, e.controlY)};
  const int n = strokeHalfWidth > 0 ? StrokeCurveSegmentCount(from, control, to, strokeHalfWidth)
                                    : CurveSegmentCount(from, control, to);
  FlattenCurve(from, control, to, n, &points);
  return points;
}

// The closed outlines of fill (from 1) of shape: its edges as the fill sees
// them (fill1 side forward, fill0 side reversed), linked end to start.
std::vector<std::vector<Point>> FillOutlines(const ShapeLayer& shape, std::uint32_t fill, const Transform& m) {
  std::vector<std::vector<Point>> pieces;
  for (const ShapeEdge& e : shape.edges) {
    if (e.fill0 == e.fill1 || (e.fill1 != fill && e.fill0 != fill)) continue;
    std::vector<Point> piece = Flattened(e, m, 0.0);
    if (e.fill0 == fill) std::reverse(piece.begin(), piece.end());
    pieces.push_back(std::move(piece));
  }
  std::multimap<std::pair<double, double>, std::size_t> starts;
  for (std::size_t i = 0; i < pieces.size(); ++i) starts.emplace(std::make_pair(pieces[i][0].x, pieces[i][0].y), i);
  std::vector<bool> used(pieces.size(), false);
  std::vector<std::vector<Point>> outlines;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (used[i]) continue;
    std::vector<Point> outline = pieces[i];
    used[i] = true;
    for (;;) {
      const Point end = outline.back();
      auto range = starts.equal_range(std::make_pair(end.x, end.y));
      auto next = range.first;
      while (next != range.second && used[next->second]) ++next;
      if (next == range.second) break;
      used[next->second] = true;
      const std::vector<Point>& piece = pieces[next->second];
      outline.insert(outline.end(), piece.begin() + 1, piece.end());
    }
    outlines.push_back(std::move(outline));
  }
  return outlines;
}

cairo_operator_t Operator(BlendMode mode) {
  switch (mode) {
    case BlendMode::Multiply: return CAIRO_OPERATOR_MULTIPLY;
    case BlendMode::Screen: return CAIRO_OPERATOR_SCREEN;
    case BlendMode::Lighten: return CAIRO_OPERATOR_LIGHTEN;
    case BlendMode::Darken: return CAIRO_OPERATOR_DARKEN;
    case BlendMode::Difference:
    case BlendMode::Subtract: return CAIRO_OPERATOR_DIFFERENCE;
    case BlendMode::Add: return CAIRO_OPERATOR_ADD;
    case BlendMode::Invert: return CAIRO_OPERATOR_XOR;
    case BlendMode::Alpha: return CAIRO_OPERATOR_DEST_IN;
    case BlendMode::Erase: return CAIRO_OPERATOR_DEST_OUT;
    case BlendMode::Overlay: return CAIRO_OPERATOR_OVERLAY;
    case BlendMode::HardLight: return CAIRO_OPERATOR_HARD_LIGHT;
    default: return CAIRO_OPERATOR_OVER;
  }
}

struct PreparedCall {
  FrameCall::Kind kind = FrameCall::Kind::Shape;
  std::vector<PreparedPath> paths;  // a shape's fills in style order, then its lines
  cairo_operator_t op = CAIRO_OPERATOR_OVER;
};

// A shape's fills and lines as the canvas draws them.
void PrepareShape(const FrameCall& call, std::vector<PreparedPath>* out) {
  const ShapeLayer& shape = *call.shape;
  for (std::uint32_t f = 1; f <= shape.fills.size(); ++f) {
    PreparedPath p;
    p.polylines = FillOutlines(shape, f, call.placement);
    if (p.polylines.empty()) continue;
    p.rule = shape.rule;
    p.pattern = MakePattern(Transformed(shape.fills[f - 1], call.color), call.placement);
    out->push_back(std::move(p));
  }
  const std::vector<ShapeEdge>& edges = shape.edges;
  for (std::size_t i = 0; i < edges.size();) {
    const std::uint32_t line = edges[i].line;
    if (line == 0 || line > shape.lines.size()) {
      ++i;
      continue;
    }
    const LineStyle& style = shape.lines[line - 1];
    const double width = LineWidthInPixels(style, call.placement);
    std::size_t j = i;
    while (j + 1 < edges.size() && edges[j + 1].line == line && !edges[j + 1].startsPath &&
           edges[j + 1].fromX == edges[j].toX && edges[j + 1].fromY == edges[j].toY) {
      ++j;
    }
    PreparedPath p;
    p.stroke = true;
    std::vector<Point> points;
    for (std::size_t k = i; k <= j; ++k) {
      const std::vector<Point> piece = Flattened(edges[k], call.placement, width / 2);
      points.insert(points.end(), piece.begin() + (points.empty() ? 0 : 1), piece.end());
    }
    p.closed = !style.noClose && edges[j].toX == edges[i].fromX && edges[j].toY == edges[i].fromY;
    p.polylines.push_back(std::move(points));
    p.pattern = MakePattern(Transformed(style.paint, call.color), call.placement);
    p.width = width;
    p.cap = Cap(style.startCap);
    p.join = Join(style.join);
    p.miterLimit = style.miterLimit;
    out->push_back(std::move(p));
    i = j + 1;
  }
}

void AddPolylines(cairo_t* cr, const PreparedPath& p) {
  for (const std::vector<Point>& line : p.polylines) {
    cairo_move_to(cr, line[0].x, line[0].y);
    for (std::size_t i = 1; i < line.size(); ++i) cairo_line_to(cr, line[i].x, line[i].y);
    if (!p.stroke || p.closed) cairo_close_path(cr);
  }
}

class CairoOracle : public Oracle {
 public:
  CairoOracle() {
    surface_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, Width, Height);
    cr_ = cairo_create(surface_);
    cairo_set_source_rgb(cr_, 1, 1, 1);
    cairo_paint(cr_);
  }
  ~CairoOracle() override {
    for (auto& scene : prepared_) {
      for (PreparedPath& p : scene.second) cairo_pattern_destroy(p.pattern);
    }
    for (auto& frame : preparedFrames_) {
      for (PreparedCall& c : frame.second) {
        for (PreparedPath& p : c.paths) cairo_pattern_destroy(p.pattern);
      }
    }
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
  }
  const char* Name() const override { return "Cairo"; }

  void Prepare(const Scene& scene) override {
    std::vector<PreparedPath>& paths = prepared_[&scene];
    if (!paths.empty()) return;
    for (const SceneShape& shape : scene.shapes) {
      for (const ScenePath& path : shape.paths) {
        PreparedPath p;
        p.polylines = DevicePolylines(path, shape.placement);
        p.stroke = path.stroke;
        p.rule = shape.rule;
        const std::vector<Point>& first = p.polylines.front();
        p.closed = first.front().x == first.back().x && first.front().y == first.back().y;
        if (path.stroke) {
          p.pattern = MakePattern(path.line.paint, shape.placement);
          p.width = LineWidthInPixels(path.line, shape.placement);
          p.cap = Cap(path.line.startCap);
          p.join = Join(path.line.join);
          p.miterLimit = path.line.miterLimit;
        } else {
          p.pattern = MakePattern(path.paint, shape.placement);
        }
        paths.push_back(p);
      }
    }
  }

  void Draw(const Scene& scene) override {
    for (const PreparedPath& p : prepared_[&scene]) DrawPath(p);
    cairo_surface_flush(surface_);
  }

  void Prepare(const ReferenceFrame& frame) override {
    std::vector<PreparedCall>& calls = preparedFrames_[&frame];
    if (!calls.empty()) return;
    for (const FrameCall& call : frame.Calls()) {
      PreparedCall c;
      c.kind = call.kind;
      c.op = Operator(call.mode);
      if (call.kind == FrameCall::Kind::Shape) PrepareShape(call, &c.paths);
      calls.push_back(std::move(c));
    }
  }

  void Draw(const ReferenceFrame& frame) override {
    int building = 0;  // masks being drawn: their fills only add to the clip path
    for (const PreparedCall& call : preparedFrames_[&frame]) {
      switch (call.kind) {
        case FrameCall::Kind::Shape:
          for (const PreparedPath& p : call.paths) {
            if (building == 0) {
              DrawPath(p);
            } else if (!p.stroke) {
              AddPolylines(cr_, p);
            }
          }
          break;
        case FrameCall::Kind::BeginMask:
          if (building++ == 0) {
            cairo_save(cr_);
            cairo_new_path(cr_);
          }
          break;
        case FrameCall::Kind::EndMask:
          if (--building == 0) {
            cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
            cairo_clip(cr_);
          }
          break;
        case FrameCall::Kind::PopMask:
          cairo_restore(cr_);
          break;
        case FrameCall::Kind::PushLayer:
          cairo_push_group(cr_);
          break;
        case FrameCall::Kind::PopLayer:
          cairo_pop_group_to_source(cr_);
          cairo_set_operator(cr_, call.op);
          cairo_paint(cr_);
          cairo_set_operator(cr_, CAIRO_OPERATOR_OVER);
          break;
      }
    }
    cairo_surface_flush(surface_);
  }

 private:
  void DrawPath(const PreparedPath& p) {
    cairo_new_path(cr_);
    AddPolylines(cr_, p);
    cairo_set_source(cr_, p.pattern);
    if (p.stroke) {
      cairo_set_line_width(cr_, p.width);
      cairo_set_line_cap(cr_, p.cap);
      cairo_set_line_join(cr_, p.join);
      cairo_set_miter_limit(cr_, p.miterLimit);
      cairo_stroke(cr_);
    } else {
      cairo_set_fill_rule(cr_, p.rule == FillRule::EvenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
      cairo_fill(cr_);
    }
  }

  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
  std::map<const Scene*, std::vector<PreparedPath>> prepared_;
  std::map<const ReferenceFrame*, std::vector<PreparedCall>> preparedFrames_;
};

}  // namespace

std::unique_ptr<Oracle> MakeOracle() { return std::make_unique<CairoOracle>(); }

}  // namespace Halvane::Movie::Render::Bench
