#include "movie/render/PathFlattener.h"

#include <algorithm>
#include <cmath>

namespace Halvane::Movie::Render {

namespace {

int Bounded(double count) {
  if (!(count >= 1.0)) return 1;  // also NaN
  if (count >= MaxCurveSegments) return MaxCurveSegments;
  return static_cast<int>(std::ceil(count));
}

}  // namespace

int CurveSegmentCount(Point p0, Point p1, Point p2, double tolerance) {
  // The chord of a piece of parameter length 1/n strays at most |p0 - 2 p1 + p2| / (4 n^2)
  // from the curve.
  const double ddx = p0.x - 2.0 * p1.x + p2.x;
  const double ddy = p0.y - 2.0 * p1.y + p2.y;
  const double dd = std::sqrt(ddx * ddx + ddy * ddy);
  return Bounded(std::sqrt(dd / (4.0 * tolerance)));
}

int StrokeCurveSegmentCount(Point p0, Point p1, Point p2, double halfWidth) {
  int count = CurveSegmentCount(p0, p1, p2);
  if (!(halfWidth > FlattenTolerance)) return count;
  // The curve turns by the angle between its two control legs; the outer
  // side of the line, halfWidth away, keeps within tolerance when each
  // piece turns by at most 2 acos(1 - tolerance / halfWidth).
  const double ax = p1.x - p0.x, ay = p1.y - p0.y;
  const double bx = p2.x - p1.x, by = p2.y - p1.y;
  const double turn = std::fabs(std::atan2(ax * by - ay * bx, ax * bx + ay * by));
  const double step = 2.0 * std::acos(1.0 - FlattenTolerance / halfWidth);
  if (step > 0.0) count = std::max(count, Bounded(turn / step));
  return count;
}

void FlattenCurve(Point p0, Point p1, Point p2, int segments, std::vector<Point>* out) {
  segments = std::clamp(segments, 1, MaxCurveSegments);
  for (int i = 1; i < segments; ++i) {
    const double t = static_cast<double>(i) / segments;
    const double u = 1.0 - t;
    out->push_back(
        Point{u * u * p0.x + 2.0 * t * u * p1.x + t * t * p2.x, u * u * p0.y + 2.0 * t * u * p1.y + t * t * p2.y});
  }
  out->push_back(p2);
}

}  // namespace Halvane::Movie::Render
