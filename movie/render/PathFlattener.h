// Quadratic curves to straight pieces, in device pixels. Curves are cut into
// pieces of equal parameter length, as many as keep every piece within
// FlattenTolerance of the curve, so a shape magnified many times still shows
// no facets. The count is capped so that a curve with absurd coordinates
// costs bounded time.
#pragma once

#include <vector>

namespace Halvane::Movie::Render {

struct Point {
  double x = 0.0;
  double y = 0.0;
};

constexpr double FlattenTolerance = 0.05;  // device pixels
constexpr int MaxCurveSegments = 1024;

// Pieces needed for the curve p0, control p1, p2 to stay within tolerance
// (1 .. MaxCurveSegments; 1 for non-finite input).
int CurveSegmentCount(Point p0, Point p1, Point p2, double tolerance = FlattenTolerance);

// Pieces needed when the curve is the centre of a line halfWidth wide: also
// enough that the line's outer side turns by small enough steps.
int StrokeCurveSegmentCount(Point p0, Point p1, Point p2, double halfWidth);

// Appends the end points of the pieces (segments of them, the last one p2).
void FlattenCurve(Point p0, Point p1, Point p2, int segments, std::vector<Point>* out);

}  // namespace Halvane::Movie::Render
