#include "movie/render/ShapeLayer.h"

namespace Halvane::Movie::Render {

void ShapeLayer::MoveTo(double x, double y) {
  penX_ = x;
  penY_ = y;
  moved_ = true;
}

void ShapeLayer::LineTo(double x, double y) {
  ShapeEdge e;
  e.toX = x;
  e.toY = y;
  Add(e);
}

void ShapeLayer::CurveTo(double controlX, double controlY, double x, double y) {
  ShapeEdge e;
  e.controlX = controlX;
  e.controlY = controlY;
  e.toX = x;
  e.toY = y;
  e.curved = true;
  Add(e);
}

void ShapeLayer::Add(ShapeEdge edge) {
  edge.fromX = penX_;
  edge.fromY = penY_;
  edge.startsPath = moved_;
  edge.fill0 = fill0_;
  edge.fill1 = fill1_;
  edge.line = line_;
  edges.push_back(edge);
  penX_ = edge.toX;
  penY_ = edge.toY;
  moved_ = false;
}

void ShapeLayer::Clear() {
  fills.clear();
  lines.clear();
  edges.clear();
  rule = FillRule::EvenOdd;
  penX_ = penY_ = 0.0;
  moved_ = false;
  fill0_ = fill1_ = line_ = 0;
}

}  // namespace Halvane::Movie::Render
