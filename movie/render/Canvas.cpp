#include "movie/render/Canvas.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "movie/render/LayerBlend.h"
#include "movie/render/PaintShader.h"
#include "movie/render/PathFlattener.h"
#include "movie/render/ScanConverter.h"
#include "movie/render/SpanPainter.h"
#include "movie/render/Stroker.h"

namespace Halvane::Movie::Render {

namespace {

// Style tables longer than this are cut short (movies count styles in 16 bits).
constexpr std::size_t MaxStyles = 1 << 16;
// Flattened points per draw beyond which curves become their chords.
constexpr std::size_t MaxFlatPoints = std::size_t{1} << 20;
// Lines wider than this (device pixels) are drawn this wide: they cover any
// view already.
constexpr double MaxHalfWidth = 1e6;
// Open masks and layers beyond these depths are only counted.
constexpr std::size_t MaxDepth = 256;

PixelRect Intersect(const PixelRect& a, const PixelRect& b) {
  PixelRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
  if (r.Empty()) return PixelRect{};
  return r;
}

std::int64_t Area(const PixelRect& r) {
  return r.Empty() ? 0 : static_cast<std::int64_t>(r.right - r.left) * (r.bottom - r.top);
}

Point Map(const Transform& m, double x, double y) { return Point{m.MapX(x, y), m.MapY(x, y)}; }

bool Finite(Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// The 2 x 2 grid's samples of one byte of a 4 x 4 sample mask (two rows of
// four samples): bit 0 for the left quarter, bit 1 for the right one, each
// set when at least two of its four finer samples are.
constexpr std::array<std::uint8_t, 256> MakeHalfRows() {
  std::array<std::uint8_t, 256> table{};
  for (unsigned b = 0; b < 256; ++b) {
    const unsigned left = (b & 1u) + (b >> 1 & 1u) + (b >> 4 & 1u) + (b >> 5 & 1u);
    const unsigned right = (b >> 2 & 1u) + (b >> 3 & 1u) + (b >> 6 & 1u) + (b >> 7 & 1u);
    table[b] = static_cast<std::uint8_t>((left >= 2 ? 1u : 0u) | (right >= 2 ? 2u : 0u));
  }
  return table;
}
constexpr std::array<std::uint8_t, 256> HalfRows = MakeHalfRows();

// True when the triangle hull of a curve, grown by margin, misses the clip:
// its chord then does for the clip what the curve does.
bool HullMisses(Point a, Point b, Point c, const PixelRect& clip, double margin) {
  const double minX = std::min({a.x, b.x, c.x}) - margin, maxX = std::max({a.x, b.x, c.x}) + margin;
  const double minY = std::min({a.y, b.y, c.y}) - margin, maxY = std::max({a.y, b.y, c.y}) + margin;
  return maxX < clip.left - 1 || minX > clip.right + 1 || maxY < clip.top - 1 || minY > clip.bottom + 1;
}

struct LayerBuffer {
  std::vector<std::uint8_t> pixels;
  PixelRect area;
  PixelRect dirty;
  Surface surface;
  void Allocate(const PixelRect& a) {
    const std::size_t size =
        static_cast<std::size_t>(a.right - a.left) * static_cast<std::size_t>(a.bottom - a.top) * 4;
    area = a;
    dirty = PixelRect{};
    if (pixels.size() != size) pixels.assign(size, 0);  // a released buffer is all zero
    surface.origin = pixels.data();
    surface.stride = static_cast<std::ptrdiff_t>(a.right - a.left) * 4;
    surface.originX = a.left;
    surface.originY = a.top;
    surface.bytesPerPixel = 4;
    surface.layer = true;
  }
  void Release() {
    for (int y = dirty.top; y < dirty.bottom; ++y) {
      std::uint8_t* row = surface.Pixel(dirty.left, y);
      std::fill(row, row + static_cast<std::size_t>(dirty.right - dirty.left) * 4, std::uint8_t{0});
    }
    dirty = PixelRect{};
  }
};

}  // namespace

struct Canvas::State {
  bool active = false;
  PixelView view;
  PixelRect clip;
  int side = 1;
  double pixelOffset = 0.5;

  ScanConverter converter;
  SpanPainter painter;
  MaskPainter maskPainter;
  ShaderPool shaders;
  Stroker stroker;
  Contours contours;
  std::vector<SlotPaint> slots;
  std::vector<Point> flat;
  std::vector<StrokePoint> strokePath;
  std::size_t flatPoints = 0;
  std::int64_t work = 0;  // spent this frame
  std::int64_t workBudget = 0;

  // Masks: each open level is already intersected with the ones below it.
  // A null mask is one that did not fit: nothing shows through it.
  std::vector<std::unique_ptr<SampleMask>> freeMasks;
  std::vector<std::unique_ptr<SampleMask>> masks;
  std::vector<bool> maskRefused;
  std::size_t excessMasks = 0;
  bool building = false;
  std::unique_ptr<SampleMask> buildMask;  // null while building: refused
  // The top mask on the 2 x 2 grid of lines at high quality: made when first
  // needed, dropped whenever the masks change.
  std::unique_ptr<SampleMask> lineMask;
  bool lineMaskMade = false;
  int ignoredInMask = 0;                  // masks and layers opened while building

  // Layers: null buffer for one that did not fit.
  struct Level {
    std::unique_ptr<LayerBuffer> buffer;
    BlendMode mode;
  };
  std::vector<std::unique_ptr<LayerBuffer>> freeLayers;
  std::vector<Level> layers;
  std::size_t excessLayers = 0;
  std::size_t bufferBytes = 0;

  Surface ViewSurface() const {
    Surface s;
    s.origin = view.top;
    s.stride = view.stride;
    s.bytesPerPixel = view.bytesPerPixel;
    return s;
  }
  LayerBuffer* TopLayer() {
    for (std::size_t i = layers.size(); i-- > 0;) {
      if (layers[i].buffer) return layers[i].buffer.get();
    }
    return nullptr;
  }

  std::unique_ptr<SampleMask> TakeMask() {
    const std::size_t bytes = static_cast<std::size_t>(clip.right - clip.left) * (clip.bottom - clip.top) * 2;
    std::unique_ptr<SampleMask> m;
    if (!freeMasks.empty()) {
      m = std::move(freeMasks.back());
      freeMasks.pop_back();
      bufferBytes -= m->Bytes();
    } else {
      m = std::make_unique<SampleMask>();
    }
    if (bufferBytes + std::max(bytes, m->Bytes()) > MaxBufferBytes) {
      return nullptr;  // dropped, and its memory with it
    }
    m->Allocate(clip);
    bufferBytes += m->Bytes();
    return m;
  }
  void GiveMask(std::unique_ptr<SampleMask> m) {
    if (!m) return;
    m->Clear();
    freeMasks.push_back(std::move(m));
  }
  std::unique_ptr<LayerBuffer> TakeLayer() {
    const std::size_t bytes = static_cast<std::size_t>(clip.right - clip.left) * (clip.bottom - clip.top) * 4;
    std::unique_ptr<LayerBuffer> b;
    if (!freeLayers.empty()) {
      b = std::move(freeLayers.back());
      freeLayers.pop_back();
      bufferBytes -= b->pixels.capacity();
    } else {
      b = std::make_unique<LayerBuffer>();
    }
    if (bufferBytes + std::max(bytes, b->pixels.capacity()) > MaxBufferBytes) return nullptr;
    b->Allocate(clip);
    bufferBytes += b->pixels.capacity();
    return b;
  }
  void GiveLayer(std::unique_ptr<LayerBuffer> b) {
    if (!b) return;
    b->Release();
    freeLayers.push_back(std::move(b));
  }

  void AddFillEdges(const ShapeLayer& shape, const Transform& placement, std::uint32_t fillCount,
                    const PixelRect& area);
  void AddLines(const ShapeLayer& shape, const Transform& placement, std::uint32_t fillCount, std::uint32_t lineCount,
                const PixelRect& area);
  void AddContours(std::uint32_t slot);
  void PaintScanned(const SlotPaint* paints, const SampleMask* clipMask);
  const SampleMask* LineMask();
  void DropLineMask() {
    GiveMask(std::move(lineMask));
    lineMaskMade = false;
  }
};

Canvas::Canvas() : state_(std::make_unique<State>()) {}
Canvas::~Canvas() = default;

bool Canvas::Begin(const PixelView& target, Quality quality) {
  return Begin(target, quality, PixelRect{0, 0, target.width, target.height});
}

bool Canvas::Begin(const PixelView& target, Quality quality, const PixelRect& clip) {
  End();
  State& s = *state_;
  if (target.top == nullptr || target.width <= 0 || target.height <= 0 || target.width > MaxSide ||
      target.height > MaxSide || (target.bytesPerPixel != 3 && target.bytesPerPixel != 4)) {
    return false;
  }
  const std::ptrdiff_t rowBytes = static_cast<std::ptrdiff_t>(target.width) * target.bytesPerPixel;
  if (target.stride < rowBytes && -target.stride < rowBytes) return false;
  s.view = target;
  s.clip = Intersect(clip, PixelRect{0, 0, target.width, target.height});
  s.side = quality == Quality::High ? 4 : quality == Quality::Medium ? 2 : 1;
  s.pixelOffset = quality == Quality::Low ? 0.5 : 0.0;
  s.work = 0;
  s.workBudget = std::max(MinFrameWork, FrameWorkPerPixel * Area(s.clip));
  s.active = true;
  return true;
}

void Canvas::End() {
  State& s = *state_;
  if (!s.active) return;
  s.building = false;
  s.GiveMask(std::move(s.buildMask));
  s.DropLineMask();
  s.ignoredInMask = 0;
  while (!s.layers.empty()) PopLayer();
  s.excessLayers = 0;
  while (!s.masks.empty()) PopMask();
  s.excessMasks = 0;
  s.active = false;
}

double LineWidthInPixels(const LineStyle& line, const Transform& m) {
  double scale;
  if (line.noHScale && line.noVScale) {
    scale = 1.0 / 20.0;
  } else if (line.noVScale) {
    scale = std::fabs(m.a + m.c);
  } else if (line.noHScale) {
    scale = std::fabs(m.b + m.d);
  } else {
    const double h = std::fabs(m.a + m.c), v = std::fabs(m.b + m.d);
    scale = std::sqrt((h * h + v * v) / 2.0);
  }
  const double width = line.width * scale;
  if (!(width > 1.0)) return 1.0;  // also NaN
  return std::min(width, 2.0 * MaxHalfWidth);
}

void Canvas::DrawShape(const ShapeLayer& shape, const Transform& placement, const ColorTransform& color) {
  State& s = *state_;
  if (!s.active || s.work >= s.workBudget) return;
  const bool maskMode = s.building;
  PixelRect area = s.clip;
  SampleMask* clipMask = nullptr;
  if (maskMode) {
    if (!s.buildMask) return;
  } else if (!s.masks.empty() || s.excessMasks > 0) {
    if (s.excessMasks > 0 || s.maskRefused.back()) return;
    clipMask = s.masks.back().get();
    area = Intersect(area, clipMask->Bounds());
  }
  if (area.Empty() || shape.edges.empty()) return;

  const std::uint32_t fillCount = static_cast<std::uint32_t>(std::min(shape.fills.size(), MaxStyles));
  const std::uint32_t lineCount = maskMode ? 0 : static_cast<std::uint32_t>(std::min(shape.lines.size(), MaxStyles));
  // Every edge is looked at, even those outside the clip.
  s.work += (maskMode ? 1 : FrameWorkPerStyle) * (fillCount + lineCount) +
            static_cast<std::int64_t>(shape.edges.size());
  // The platform's picture of lines at high quality (the strokes_scale
  // reference) has the five levels of a 2 x 2 grid on every edge, diagonal
  // and curved ones too, where a 4 x 4 grid would give sixteen: its lines
  // are sampled on the medium grid while fills keep the 4 x 4 one. So there
  // a shape with lines is scanned twice, its fills and then its lines over
  // them (the order they have within one scan too).
  const bool linesApart = lineCount > 0 && s.side == 4;
  const std::uint32_t linesTogether = linesApart ? 0 : lineCount;
  s.converter.Reset(s.side, area, fillCount + linesTogether);
  s.flatPoints = 0;
  s.stroker.Reset(area);
  if (maskMode) {
    for (std::uint32_t i = 0; i < fillCount; ++i) s.converter.SetSlot(i, shape.rule, true);
  } else {
    s.shaders.Reset();
    s.slots.resize(fillCount + lineCount);
    for (std::uint32_t i = 0; i < fillCount; ++i) {
      s.slots[i].shader = s.shaders.Prepare(shape.fills[i], placement, color, s.pixelOffset);
      s.converter.SetSlot(i, shape.rule, s.slots[i].shader->Opaque());
    }
    for (std::uint32_t i = 0; i < lineCount; ++i) {
      s.slots[fillCount + i].shader = s.shaders.Prepare(shape.lines[i].paint, placement, color, s.pixelOffset);
      if (i < linesTogether) {
        s.converter.SetSlot(fillCount + i, FillRule::NonZero, s.slots[fillCount + i].shader->Opaque());
      }
    }
  }
  s.AddFillEdges(shape, placement, fillCount, area);
  if (linesTogether > 0) s.AddLines(shape, placement, fillCount, lineCount, area);
  s.work += s.converter.Offered();

  if (maskMode) {
    if (!s.converter.HasEdges()) return;
    // A shape whose rows would take the frame past its budget is cut short.
    s.maskPainter.Setup(s.buildMask.get());
    s.work += s.converter.Run(s.maskPainter, s.workBudget - s.work);
    return;
  }
  s.PaintScanned(s.slots.data(), clipMask);
  if (!linesApart || s.work >= s.workBudget) return;

  s.converter.Reset(2, area, lineCount);
  for (std::uint32_t i = 0; i < lineCount; ++i) {
    s.converter.SetSlot(i, FillRule::NonZero, s.slots[fillCount + i].shader->Opaque());
  }
  s.AddLines(shape, placement, 0, lineCount, area);
  s.work += s.converter.Offered();
  const SampleMask* lineClip = nullptr;
  if (clipMask) {
    lineClip = s.LineMask();
    if (!lineClip) return;  // no room for it: the mask shows nothing
  }
  s.PaintScanned(s.slots.data() + fillCount, lineClip);
}

// What the converter holds, painted with paints (one per slot). A shape
// whose rows would take the frame past its budget is cut short.
void Canvas::State::PaintScanned(const SlotPaint* paints, const SampleMask* clipMask) {
  if (!converter.HasEdges()) return;
  LayerBuffer* layer = TopLayer();
  painter.Setup(layer ? layer->surface : ViewSurface(), converter, paints, clipMask, layer ? &layer->dirty : nullptr);
  work += converter.Run(painter, workBudget - work);
}

// The top mask (4 x 4 samples a pixel) on the 2 x 2 grid. Each sample of
// that grid sits at the centre of a quarter of the pixel holding four of the
// finer samples; it is inside when at least two of them are, as it would be
// for a straight mask edge through the quarter.
const SampleMask* Canvas::State::LineMask() {
  if (lineMaskMade) return lineMask.get();
  lineMaskMade = true;
  const SampleMask& top = *masks.back();
  lineMask = TakeMask();
  if (!lineMask) return nullptr;
  const PixelRect b = top.Bounds();
  work += Area(b);
  for (int y = b.top; y < b.bottom; ++y) {
    const std::uint16_t* from = top.Row(y) + (b.left - top.Area().left);
    std::uint16_t* to = lineMask->Row(y) + (b.left - lineMask->Area().left);
    const int width = b.right - b.left;
    int x = 0;
    while (x < width) {
      // The new mask is all clear, and most of a mask's box is empty: four
      // empty values are passed over at once.
      std::uint64_t four = 1;
      if (x + 4 <= width) std::memcpy(&four, from + x, 8);
      if (four == 0) {
        x += 4;
        continue;
      }
      const std::uint16_t v = from[x];
      to[x] = static_cast<std::uint16_t>(HalfRows[v & 0xFFu] | HalfRows[v >> 8] << 2);
      ++x;
    }
    if (b.right > b.left) lineMask->GrowBounds(b.left, b.right, y);
  }
  return lineMask.get();
}

void Canvas::State::AddFillEdges(const ShapeLayer& shape, const Transform& placement, std::uint32_t fillCount,
                                 const PixelRect& area) {
  for (const ShapeEdge& e : shape.edges) {
    const std::uint32_t plus = e.fill1 >= 1 && e.fill1 <= fillCount ? e.fill1 - 1 : ScanConverter::NoSlot;
    const std::uint32_t minus = e.fill0 >= 1 && e.fill0 <= fillCount ? e.fill0 - 1 : ScanConverter::NoSlot;
    if (plus == minus) continue;
    const Point from = Map(placement, e.fromX, e.fromY);
    const Point to = Map(placement, e.toX, e.toY);
    if (!e.curved) {
      converter.AddSegment(from.x, from.y, to.x, to.y, plus, minus);
      continue;
    }
    const Point control = Map(placement, e.controlX, e.controlY);
    int pieces = 1;
    if (flatPoints < MaxFlatPoints && !HullMisses(from, control, to, area, 0.0)) {
      pieces = CurveSegmentCount(from, control, to);
    }
    flatPoints += static_cast<std::size_t>(pieces);
    flat.clear();
    FlattenCurve(from, control, to, pieces, &flat);
    Point prev = from;
    for (const Point& p : flat) {
      converter.AddSegment(prev.x, prev.y, p.x, p.y, plus, minus);
      prev = p;
    }
  }
}

void Canvas::State::AddLines(const ShapeLayer& shape, const Transform& placement, std::uint32_t fillCount,
                             std::uint32_t lineCount, const PixelRect& area) {
  const std::vector<ShapeEdge>& edges = shape.edges;
  std::size_t i = 0;
  while (i < edges.size()) {
    const std::uint32_t line = edges[i].line;
    if (line == 0 || line > lineCount) {
      ++i;
      continue;
    }
    const LineStyle& style = shape.lines[line - 1];
    StrokeStyle stroke;
    stroke.halfWidth = LineWidthInPixels(style, placement) / 2.0;
    stroke.startCap = style.startCap;
    stroke.endCap = style.endCap;
    stroke.join = style.join;
    stroke.miterLimit = style.miterLimit;
    // The platform's picture of lines at high quality (strokes_scale) draws
    // straight edges so: its 1-pixel diagonals cover exactly one pixel per
    // row at 45 degrees and two at a slope of one half (not 1.41 and 2.24),
    // and the steep and shallow sides of its skewed outline are as thick
    // across rows and down columns as the line is wide, while its circle's
    // ring keeps the width all round. Its low-quality pictures (masks) draw
    // a 1-pixel diagonal square to itself, so only high quality does this.
    stroke.straightByAxis = side == 4;

    // The run: the edges that follow on without a move or a gap.
    std::size_t j = i;
    while (j + 1 < edges.size() && edges[j + 1].line == line && !edges[j + 1].startsPath &&
           edges[j + 1].fromX == edges[j].toX && edges[j + 1].fromY == edges[j].toY) {
      ++j;
    }
    strokePath.clear();
    strokePath.push_back(StrokePoint{Map(placement, edges[i].fromX, edges[i].fromY), true});
    for (std::size_t k = i; k <= j; ++k) {
      const ShapeEdge& e = edges[k];
      const Point from = strokePath.back().at;
      const Point to = Map(placement, e.toX, e.toY);
      if (e.curved) {
        const Point control = Map(placement, e.controlX, e.controlY);
        int pieces = 1;
        if (flatPoints < MaxFlatPoints && !HullMisses(from, control, to, area, stroke.halfWidth)) {
          pieces = StrokeCurveSegmentCount(from, control, to, stroke.halfWidth);
        }
        flatPoints += static_cast<std::size_t>(pieces);
        flat.clear();
        FlattenCurve(from, control, to, pieces, &flat);
        for (std::size_t q = 0; q + 1 < flat.size(); ++q) strokePath.push_back(StrokePoint{flat[q], false});
      }
      strokePath.push_back(StrokePoint{to, true});
    }
    const bool closed = !style.noClose && edges[j].toX == edges[i].fromX && edges[j].toY == edges[i].fromY;
    bool finite = true;
    for (const StrokePoint& p : strokePath) finite = finite && Finite(p.at);
    if (finite) {
      contours.Clear();
      stroker.Stroke(strokePath, closed, stroke, &contours);
      AddContours(fillCount + line - 1);
    }
    i = j + 1;
  }
}

void Canvas::State::AddContours(std::uint32_t slot) {
  std::size_t begin = 0;
  for (const std::size_t end : contours.ends) {
    if (end > begin) {
      Point prev = contours.points[end - 1];
      for (std::size_t k = begin; k < end; ++k) {
        const Point p = contours.points[k];
        converter.AddSegment(prev.x, prev.y, p.x, p.y, slot, ScanConverter::NoSlot);
        prev = p;
      }
    }
    begin = end;
  }
}

void Canvas::BeginMask() {
  State& s = *state_;
  if (!s.active) return;
  if (s.building) {
    ++s.ignoredInMask;
    return;
  }
  s.building = true;
  s.buildMask = s.TakeMask();
}

void Canvas::EndMask() {
  State& s = *state_;
  if (!s.active || !s.building || s.ignoredInMask > 0) return;
  s.building = false;
  std::unique_ptr<SampleMask> mask = std::move(s.buildMask);
  if (s.masks.size() + s.excessMasks >= MaxDepth) {
    s.GiveMask(std::move(mask));
    ++s.excessMasks;
    return;
  }
  bool refused = !mask;
  if (mask && !s.masks.empty()) {
    if (s.maskRefused.back()) {
      refused = true;
    } else {
      s.work += Area(mask->Bounds());
      mask->IntersectWith(*s.masks.back());
    }
  }
  if (refused) s.GiveMask(std::move(mask));
  s.DropLineMask();
  s.masks.push_back(std::move(mask));
  s.maskRefused.push_back(refused);
}

void Canvas::PopMask() {
  State& s = *state_;
  if (!s.active) return;
  if (s.building) {
    if (s.ignoredInMask > 0) --s.ignoredInMask;
    return;
  }
  if (s.excessMasks > 0) {
    --s.excessMasks;
    return;
  }
  if (s.masks.empty()) return;
  s.DropLineMask();
  s.GiveMask(std::move(s.masks.back()));
  s.masks.pop_back();
  s.maskRefused.pop_back();
}

void Canvas::PushLayer(BlendMode mode) {
  State& s = *state_;
  if (!s.active) return;
  if (s.building) {
    ++s.ignoredInMask;
    return;
  }
  if (s.layers.size() + s.excessLayers >= MaxDepth) {
    ++s.excessLayers;
    return;
  }
  s.layers.push_back(State::Level{s.TakeLayer(), mode});
}

void Canvas::PopLayer() {
  State& s = *state_;
  if (!s.active) return;
  if (s.building) {
    if (s.ignoredInMask > 0) --s.ignoredInMask;
    return;
  }
  if (s.excessLayers > 0) {
    --s.excessLayers;
    return;
  }
  if (s.layers.empty()) return;
  State::Level level = std::move(s.layers.back());
  s.layers.pop_back();
  if (!level.buffer) return;
  LayerBuffer* below = s.TopLayer();
  s.work += 2 * Area(level.buffer->dirty) + (below && level.mode == BlendMode::Alpha ? Area(below->dirty) : 0);
  PixelRect ignored;
  CompositeLayer(level.buffer->surface, level.buffer->dirty, below ? below->surface : s.ViewSurface(),
                 below ? &below->dirty : &ignored, level.mode);
  s.GiveLayer(std::move(level.buffer));
}

void Canvas::UseShortcuts(bool on) {
  state_->converter.UseShortcuts(on);
  state_->painter.UseShortcuts(on);
}

bool Canvas::Exhausted() const {
  const State& s = *state_;
  return s.active && s.work >= s.workBudget;
}

}  // namespace Halvane::Movie::Render
