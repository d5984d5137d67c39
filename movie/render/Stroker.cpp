#include "movie/render/Stroker.h"

#include <algorithm>
#include <cmath>

namespace Halvane::Movie::Render {

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr int MaxArcSegments = 256;

Point Left(Point d) { return Point{-d.y, d.x}; }
Point Plus(Point a, Point b) { return Point{a.x + b.x, a.y + b.y}; }
Point Scaled(Point a, double s) { return Point{a.x * s, a.y * s}; }
double Cross(Point a, Point b) { return a.x * b.y - a.y * b.x; }
double Dot(Point a, Point b) { return a.x * b.x + a.y * b.y; }
bool Same(Point a, Point b) { return a.x == b.x && a.y == b.y; }

}  // namespace

void Stroker::Stroke(const std::vector<StrokePoint>& path, bool closed, const StrokeStyle& style, Contours* out) {
  style_ = style;
  out_ = out;
  const double h = style.halfWidth;
  if (!(h > 0.0) || !std::isfinite(h)) return;

  points_.clear();
  for (const StrokePoint& p : path) {
    if (!std::isfinite(p.at.x) || !std::isfinite(p.at.y)) return;
    if (!points_.empty() && Same(points_.back().at, p.at)) {
      points_.back().corner = points_.back().corner || p.corner;
      continue;
    }
    points_.push_back(p);
  }
  if (points_.empty()) return;
  if (closed && points_.size() > 1 && Same(points_.front().at, points_.back().at)) points_.pop_back();
  const std::size_t n = points_.size();
  if (n == 1) {
    // A dot: a zero-length piece facing right, so that square caps make an
    // upright square.
    if (style.startCap == CapStyle::None && style.endCap == CapStyle::None) return;
    const Point p = points_[0].at;
    const Point d{1.0, 0.0};
    const Point nrm = Left(d);
    Add(Plus(p, Scaled(nrm, h)));
    Cap(p, d, style.endCap, h);
    Add(Plus(p, Scaled(nrm, -h)));
    Cap(p, Scaled(d, -1.0), style.startCap, h);
    out->ends.push_back(out->points.size());
    return;
  }
  closed = closed && n > 1;

  const std::size_t segments = closed ? n : n - 1;
  directions_.resize(segments);
  for (std::size_t i = 0; i < segments; ++i) {
    const Point a = points_[i].at;
    const Point b = points_[(i + 1) % n].at;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len = std::sqrt(dx * dx + dy * dy);
    directions_[i] = len > 0.0 && std::isfinite(len) ? Point{dx / len, dy / len} : Point{1.0, 0.0};
  }
  halves_.resize(segments);
  for (std::size_t i = 0; i < segments; ++i) {
    const bool straight = style.straightByAxis && points_[i].corner && points_[(i + 1) % n].corner;
    halves_[i] = straight ? h * std::max(std::fabs(directions_[i].x), std::fabs(directions_[i].y)) : h;
  }

  if (closed) {
    // Two loops: the left side forward, the right side back, with a join at
    // every vertex including the one where the path closes.
    for (std::size_t k = 0; k < n; ++k) {
      const std::size_t before = (k + segments - 1) % segments;
      Join(points_[k], directions_[before], directions_[k], halves_[before], halves_[k]);
    }
    out->ends.push_back(out->points.size());
    for (std::size_t i = n; i-- > 0;) {
      const std::size_t before = (i + segments - 1) % segments;
      Join(points_[i], Scaled(directions_[i], -1.0), Scaled(directions_[before], -1.0), halves_[i], halves_[before]);
    }
    out->ends.push_back(out->points.size());
    return;
  }

  const Point first = points_[0].at;
  const Point last = points_[n - 1].at;
  const Point d0 = directions_[0];
  const Point dn = directions_[segments - 1];
  const double h0 = halves_[0];
  const double hn = halves_[segments - 1];
  Add(Plus(first, Scaled(Left(d0), h0)));
  for (std::size_t k = 1; k + 1 < n; ++k) Join(points_[k], directions_[k - 1], directions_[k], halves_[k - 1], halves_[k]);
  Add(Plus(last, Scaled(Left(dn), hn)));
  Cap(last, dn, style.endCap, hn);
  Add(Plus(last, Scaled(Left(dn), -hn)));
  for (std::size_t k = n - 1; k-- > 1;)
    Join(points_[k], Scaled(directions_[k], -1.0), Scaled(directions_[k - 1], -1.0), halves_[k], halves_[k - 1]);
  Add(Plus(first, Scaled(Left(d0), -h0)));
  Cap(first, Scaled(d0, -1.0), style.startCap, h0);
  out->ends.push_back(out->points.size());
}

// The left side of the walk at a vertex: coming in along din, leaving along
// dout. Adds the end of the incoming piece's side, whatever joins it to the
// outgoing piece's side, and the start of that. A round join takes the
// radius of the wider piece.
void Stroker::Join(const StrokePoint& vertex, Point din, Point dout, double hin, double hout) {
  const double h = std::max(hin, hout);
  const Point p = vertex.at;
  const Point nin = Left(din);
  const Point nout = Left(dout);
  const double cross = Cross(din, dout);
  const double dot = Dot(din, dout);
  Add(Plus(p, Scaled(nin, hin)));
  if (cross > 0.0) {
    Add(p);  // the inner side of the turn
  } else if (cross < 0.0 || dot < 0.0) {
    // The outer side (a full turn back counts as outer on the left walk and
    // inner on the right one, so the two walks stay consistent).
    const JoinStyle join = vertex.corner ? style_.join : JoinStyle::Bevel;
    if (join == JoinStyle::Round) {
      Arc(p, nin, -std::acos(std::clamp(Dot(nin, nout), -1.0, 1.0)), h);
    } else if (join == JoinStyle::Miter && style_.miterLimit >= 1.0) {
      const double limit = style_.miterLimit * 2.0 * style_.halfWidth;  // from the corner
      // The tip, where the two sides meet. Pieces of unequal thickness meet
      // at an angle (so cross is not 0 there).
      bool within;
      Point tip;
      if (hin == hout) {
        const double cosHalf = std::sqrt(std::max(0.0, (1.0 + Dot(nin, nout)) / 2.0));
        within = cosHalf > 0.0 && h / cosHalf <= limit;
        tip = Scaled(Plus(nin, nout), h / (1.0 + Dot(nin, nout)));
      } else {
        const double c = Cross(nin, nout);
        tip = Point{(hin * nout.y - hout * nin.y) / c, (nin.x * hout - nout.x * hin) / c};
        within = std::sqrt(Dot(tip, tip)) <= limit;
      }
      if (within) {
        Add(Plus(p, tip));
      } else {
        // Cut square across the bisector at the limit.
        Point m = Plus(nin, nout);
        const double ml = std::sqrt(Dot(m, m));
        m = ml > 1e-12 ? Scaled(m, 1.0 / ml) : din;
        const double s1 = (limit - hin * Dot(nin, m)) / std::max(Dot(din, m), 1e-12);
        const double s2 = (limit - hout * Dot(nout, m)) / std::max(-Dot(dout, m), 1e-12);
        Add(Plus(Plus(p, Scaled(nin, hin)), Scaled(din, s1)));
        Add(Plus(Plus(p, Scaled(nout, hout)), Scaled(dout, -s2)));
      }
    }
  }
  Add(Plus(p, Scaled(nout, hout)));
}

// Between the left and right side of a piece ending at `at` going along
// direction, h its half-width: the points after the left corner and before
// the right one.
void Stroker::Cap(Point at, Point direction, CapStyle cap, double h) {
  const Point nrm = Left(direction);
  if (cap == CapStyle::Square) {
    const Point ahead = Plus(at, Scaled(direction, h));
    Add(Plus(ahead, Scaled(nrm, h)));
    Add(Plus(ahead, Scaled(nrm, -h)));
  } else if (cap == CapStyle::Round) {
    Arc(at, nrm, -Pi, h);
  }
}

// The points strictly inside an arc of radius h around center, starting at
// direction from and turning by sweep radians.
void Stroker::Arc(Point center, Point from, double sweep, double h) {
  if (!(h > FlattenTolerance)) return;
  if (center.x + h < area_.left - 1 || center.x - h > area_.right + 1 || center.y + h < area_.top - 1 ||
      center.y - h > area_.bottom + 1) {
    return;
  }
  const double step = 2.0 * std::acos(1.0 - FlattenTolerance / h);
  int count = step > 0.0 ? static_cast<int>(std::ceil(std::fabs(sweep) / step)) : MaxArcSegments;
  count = std::clamp(count, 1, MaxArcSegments);
  if (arcPoints_ >= MaxArcPoints) count = 1;
  arcPoints_ += static_cast<std::size_t>(count);
  const double start = std::atan2(from.y, from.x);
  for (int i = 1; i < count; ++i) {
    const double a = start + sweep * i / count;
    Add(Point{center.x + h * std::cos(a), center.y + h * std::sin(a)});
  }
}

}  // namespace Halvane::Movie::Render
