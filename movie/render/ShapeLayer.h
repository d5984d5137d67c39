// One layer of a shape, in twips, ready to draw: its fill and line style
// tables, its fill rule and its edges. A shape whose records bring new style
// tables part way through is several layers, drawn in order.
//
// Each edge names the fill on its left and right as the shape records do:
// it bounds its fill1 region as drawn and its fill0 region reversed, so an
// edge with the same fill on both sides bounds neither. The edges need not
// link into closed paths; the rasterizer counts winding per fill.
//
// Lines: consecutive edges with the same line style form one stroke while
// each starts where the one before it ended and no move came between; a
// stroke that ends where it started is closed with a join.
#pragma once

#include <cstdint>
#include <vector>

#include "movie/render/Paint.h"
#include "movie/render/RenderTypes.h"

namespace Halvane::Movie::Render {

struct ShapeEdge {
  double fromX = 0.0;
  double fromY = 0.0;
  double controlX = 0.0;  // curved edges only
  double controlY = 0.0;
  double toX = 0.0;
  double toY = 0.0;
  bool curved = false;
  bool startsPath = false;  // a move came before this edge
  // Indices from 1 into fills and lines; 0 (or an index past the table)
  // means none.
  std::uint32_t fill0 = 0;
  std::uint32_t fill1 = 0;
  std::uint32_t line = 0;
};

class ShapeLayer {
 public:
  std::vector<Paint> fills;
  std::vector<LineStyle> lines;
  FillRule rule = FillRule::EvenOdd;
  std::vector<ShapeEdge> edges;

  // Building in record order: the pen and the current styles are kept
  // between calls, as a style-change record leaves them.
  void MoveTo(double x, double y);
  void SetFill0(std::uint32_t index) { fill0_ = index; }
  void SetFill1(std::uint32_t index) { fill1_ = index; }
  void SetLine(std::uint32_t index) { line_ = index; }
  void LineTo(double x, double y);
  void CurveTo(double controlX, double controlY, double x, double y);

  // Empties the edges and tables and puts the pen at the origin.
  void Clear();

 private:
  void Add(ShapeEdge edge);

  double penX_ = 0.0;
  double penY_ = 0.0;
  bool moved_ = false;
  std::uint32_t fill0_ = 0;
  std::uint32_t fill1_ = 0;
  std::uint32_t line_ = 0;
};

}  // namespace Halvane::Movie::Render
