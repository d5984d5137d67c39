// Cairo draws the scenes: the same device-space polylines the rasterizer
// makes of the curves, filled with the same rule or stroked with the same
// width, caps and joins, with the same colours and gradient geometry, into a
// 32-bit image with Cairo's default anti-aliasing.
#include <cairo.h>

#include <map>

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
  cairo_pattern_t* p = nullptr;
  const double f = paint.gradient.focalPoint * 16384.0;
  switch (paint.kind) {
    case PaintKind::LinearGradient:
      p = cairo_pattern_create_linear(-16384, 0, 16384, 0);
      break;
    case PaintKind::RadialGradient:
      p = cairo_pattern_create_radial(0, 0, 0, 0, 0, 16384);
      break;
    default:
      p = cairo_pattern_create_radial(f, 0, 0, 0, 0, 16384);
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
  cairo_matrix_init(&m, toSquare.a, toSquare.b, toSquare.c, toSquare.d, toSquare.tx, toSquare.ty);
  cairo_pattern_set_matrix(p, &m);
  return p;
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
    for (const PreparedPath& p : prepared_[&scene]) {
      cairo_new_path(cr_);
      for (const std::vector<Point>& line : p.polylines) {
        cairo_move_to(cr_, line[0].x, line[0].y);
        for (std::size_t i = 1; i < line.size(); ++i) cairo_line_to(cr_, line[i].x, line[i].y);
        if (!p.stroke || p.closed) cairo_close_path(cr_);
      }
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
    cairo_surface_flush(surface_);
  }

 private:
  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
  std::map<const Scene*, std::vector<PreparedPath>> prepared_;
};

}  // namespace

std::unique_ptr<Oracle> MakeOracle() { return std::make_unique<CairoOracle>(); }

}  // namespace Halvane::Movie::Render::Bench
