// Drives the rasterizer with arbitrary input: a view (size, 3 or 4 bytes per
// pixel, top-down or bottom-up, a clip rectangle, a quality) allocated to
// exactly its size, then a sequence of canvas calls: shapes built from the
// input (fills of every paint kind, lines of every style, edges with any
// coordinates including huge and non-finite ones, any placement and colour
// transform), masks and blend layers, balanced or not.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "movie/render/Canvas.h"

namespace {

using namespace Halvane::Movie::Render;

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool Empty() const { return pos_ >= size_; }
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::int16_t Short() {
    const int lo = Byte();
    return static_cast<std::int16_t>(lo | (Byte() << 8));
  }
  // Mostly ordinary numbers around the view, sometimes extreme ones.
  double Coordinate() {
    const std::uint8_t kind = Byte();
    switch (kind) {
      case 0:
        return std::numeric_limits<double>::quiet_NaN();
      case 1:
        return std::numeric_limits<double>::infinity();
      case 2:
        return -std::numeric_limits<double>::infinity();
      case 3:
        return 1e300;
      case 4:
        return -1e12;
      default:
        return Short() * (kind & 0x10 ? 1.0 : 0.25);
    }
  }
  double Factor() {
    const std::uint8_t kind = Byte();
    if (kind < 3) return Coordinate();
    return Short() / 4096.0;
  }
  Rgba Color() { return Rgba{Byte(), Byte(), Byte(), Byte()}; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

Transform MakeTransform(Input& in, double scale) {
  Transform t;
  t.a = in.Factor() * scale;
  t.b = in.Factor() * scale;
  t.c = in.Factor() * scale;
  t.d = in.Factor() * scale;
  t.tx = in.Coordinate();
  t.ty = in.Coordinate();
  return t;
}

Paint MakePaint(Input& in) {
  Paint p;
  const std::uint8_t kind = in.Byte();
  p.kind = static_cast<PaintKind>(kind % 4);
  p.color = in.Color();
  if (p.kind != PaintKind::Solid) {
    p.gradient.spread = Gradient::SpreadFromBits(in.Byte() & 3);
    p.gradient.interpolation = Gradient::InterpolationFromBits(in.Byte() & 3);
    const int stops = in.Byte() % 18;
    for (int i = 0; i < stops; ++i) p.gradient.stops.push_back(GradientStop{in.Byte(), in.Color()});
    p.gradient.focalPoint = in.Factor();
    p.matrix = MakeTransform(in, 1.0);
  }
  return p;
}

ShapeLayer MakeShape(Input& in) {
  ShapeLayer shape;
  shape.rule = in.Byte() & 1 ? FillRule::NonZero : FillRule::EvenOdd;
  const int fills = in.Byte() % 5;
  for (int i = 0; i < fills; ++i) shape.fills.push_back(MakePaint(in));
  const int lines = in.Byte() % 4;
  for (int i = 0; i < lines; ++i) {
    LineStyle line;
    line.width = in.Byte() & 0x80 ? in.Coordinate() : in.Byte() * 4.0;
    line.paint = MakePaint(in);
    const std::uint8_t flags = in.Byte();
    line.startCap = static_cast<CapStyle>(flags % 3);
    line.endCap = static_cast<CapStyle>((flags / 3) % 3);
    line.join = static_cast<JoinStyle>((flags / 9) % 3);
    line.noHScale = flags & 0x20;
    line.noVScale = flags & 0x40;
    line.noClose = flags & 0x80;
    line.miterLimit = in.Byte() / 16.0;
    shape.lines.push_back(line);
  }
  const int edges = in.Byte() * 2;
  for (int i = 0; i < edges && !in.Empty(); ++i) {
    const std::uint8_t op = in.Byte();
    switch (op % 8) {
      case 0:
        shape.MoveTo(in.Coordinate(), in.Coordinate());
        break;
      case 1:
        shape.SetFill0(in.Byte() % 7);
        break;
      case 2:
        shape.SetFill1(in.Byte() % 7);
        break;
      case 3:
        shape.SetLine(in.Byte() % 5);
        break;
      case 4:
      case 5:
        shape.LineTo(in.Coordinate(), in.Coordinate());
        break;
      default: {
        const double cx = in.Coordinate(), cy = in.Coordinate();
        shape.CurveTo(cx, cy, in.Coordinate(), in.Coordinate());
        break;
      }
    }
  }
  return shape;
}

ColorTransform MakeColorTransform(Input& in) {
  std::int32_t mult[4], add[4];
  for (int i = 0; i < 4; ++i) {
    mult[i] = in.Short();
    add[i] = in.Short();
  }
  return ColorTransform::FromFields(mult, add);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  const int width = in.Byte() % 70;
  const int height = in.Byte() % 70;
  const std::uint8_t layout = in.Byte();
  const int bytesPerPixel = layout & 1 ? 4 : 3;
  const bool bottomUp = layout & 2;
  const Quality quality = static_cast<Quality>((layout >> 2) % 3);
  const std::size_t stride = (static_cast<std::size_t>(width) * bytesPerPixel + 3) & ~std::size_t{3};
  std::vector<std::uint8_t> pixels(stride * static_cast<std::size_t>(height));
  PixelView view;
  view.top = pixels.empty() ? nullptr : pixels.data() + (bottomUp ? stride * (height - 1) : 0);
  view.stride = bottomUp ? -static_cast<std::ptrdiff_t>(stride) : static_cast<std::ptrdiff_t>(stride);
  view.width = width;
  view.height = height;
  view.bytesPerPixel = bytesPerPixel;
  PixelRect clip{in.Short() % 80, in.Short() % 80, in.Short() % 80, in.Short() % 80};

  Canvas canvas;
  if (layout & 0x40) {
    canvas.Begin(view, quality, clip);
  } else {
    canvas.Begin(view, quality);
  }
  int steps = 0;
  while (!in.Empty() && steps++ < 64) {
    const std::uint8_t op = in.Byte();
    switch (op % 8) {
      case 0:
      case 1:
      case 2: {
        const ShapeLayer shape = MakeShape(in);
        const Transform placement = MakeTransform(in, 0.05);
        canvas.DrawShape(shape, placement, MakeColorTransform(in));
        break;
      }
      case 3:
        canvas.BeginMask();
        break;
      case 4:
        canvas.EndMask();
        break;
      case 5:
        canvas.PopMask();
        break;
      case 6:
        canvas.PushLayer(BlendModeFromByte(in.Byte() % 16));
        break;
      default:
        canvas.PopLayer();
        break;
    }
  }
  canvas.End();
  return 0;
}
