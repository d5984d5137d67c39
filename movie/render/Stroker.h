// Lines to fill outlines, in device pixels. A line is the non-zero union of
// its pieces: a quadrilateral per straight piece, a wedge on the outer side
// of each join, and its two caps. The outline walks the left side forward
// and the right side back; on the inner side of a turn it passes through the
// corner itself, which makes the outline's winding exactly the sum of the
// pieces' windings however short the pieces are, so a non-zero fill of the
// outline is their union.
#pragma once

#include <cstddef>
#include <vector>

#include "movie/render/Paint.h"
#include "movie/render/PathFlattener.h"

namespace Halvane::Movie::Render {

// Closed outlines: contour i is points[ends[i - 1] .. ends[i]) (from 0 for
// the first); each closes back to its first point.
struct Contours {
  std::vector<Point> points;
  std::vector<std::size_t> ends;
  void Clear() {
    points.clear();
    ends.clear();
  }
};

struct StrokePoint {
  Point at;
  // True where two edges of the shape meet: the line's join style applies.
  // Points inside a flattened curve are false and bevelled, which the fine
  // flattening makes indistinguishable from a round join.
  bool corner = true;
};

struct StrokeStyle {
  double halfWidth = 0.5;
  CapStyle startCap = CapStyle::Round;
  CapStyle endCap = CapStyle::Round;
  JoinStyle join = JoinStyle::Round;
  double miterLimit = 3.0;
  // Each piece between two corners of the path (a straight edge of the
  // shape) is as thick as the line along the axis it runs less along:
  // across each pixel row where it is steep, down each pixel column where it
  // is shallow, and so thinner square to itself when diagonal. Pieces of
  // curves keep the width square to them.
  bool straightByAxis = false;
};

class Stroker {
 public:
  // Round joins and caps take as many points as keep them within the
  // flattening tolerance; past this many points since the last Reset they
  // are cut straight, so that a shape of many huge round joins stays
  // bounded.
  static constexpr std::size_t MaxArcPoints = std::size_t{1} << 18;
  // Starts a drawing whose visible part is the device rectangle area (arcs
  // wholly outside it are cut straight: nothing of them would show).
  void Reset(const PixelRect& area) {
    arcPoints_ = 0;
    area_ = area;
  }

  // Appends the outline of the line through path. A closed path ends where
  // it starts and gets a join there instead of caps. A path that never moves
  // is a dot: its caps only (nothing for caps None).
  void Stroke(const std::vector<StrokePoint>& path, bool closed, const StrokeStyle& style, Contours* out);

 private:
  // hin and hout: the half-widths of the pieces coming in and leaving.
  void Join(const StrokePoint& vertex, Point din, Point dout, double hin, double hout);
  void Cap(Point at, Point direction, CapStyle cap, double h);
  void Arc(Point center, Point from, double sweep, double h);
  void Add(Point p) { out_->points.push_back(p); }

  StrokeStyle style_;
  Contours* out_ = nullptr;
  std::size_t arcPoints_ = 0;
  PixelRect area_;
  std::vector<StrokePoint> points_;
  std::vector<Point> directions_;
  std::vector<double> halves_;  // each piece's half-width, square to it
};

}  // namespace Halvane::Movie::Render
