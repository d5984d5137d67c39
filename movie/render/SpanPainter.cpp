#include "movie/render/SpanPainter.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "movie/render/BitScan.h"

namespace Halvane::Movie::Render {

namespace {

constexpr std::array<std::uint32_t, 256> MakeWeights() {
  std::array<std::uint32_t, 256> w{};
  for (std::uint32_t a = 0; a < 256; ++a) w[a] = (a * 65536u + 127u) / 255u;
  return w;
}
constexpr std::array<std::uint32_t, 256> Weights = MakeWeights();

// Results are truncated, as the platform's pictures show (half a pixel of
// black over white is 127, not 128). The weights above are alpha / 255 to
// within half a unit of 1/65536; 1/128 of a level added before truncating
// keeps exact results such as 51 (alpha 51 of 255 over black) exact.
constexpr std::uint32_t Bias = 512;

constexpr std::array<std::uint8_t, 256> MakeByteBits() {
  std::array<std::uint8_t, 256> bits{};
  for (unsigned b = 0; b < 256; ++b) bits[b] = static_cast<std::uint8_t>((b & 1u) + bits[b >> 1]);
  return bits;
}
constexpr std::array<std::uint8_t, 256> ByteBits = MakeByteBits();

// The samples of a mask: 16 bits at most (a 4 x 4 grid), counted a byte at
// a time, which is shorter than the bit-parallel count.
inline int CountBits(std::uint32_t v) { return ByteBits[v & 0xFFu] + ByteBits[(v >> 8) & 0xFFu]; }

void Grow(PixelRect* r, int x0, int x1, int y) {
  if (r->Empty()) {
    *r = PixelRect{x0, y, x1, y + 1};
    return;
  }
  r->left = std::min(r->left, x0);
  r->right = std::max(r->right, x1);
  r->top = std::min(r->top, y);
  r->bottom = std::max(r->bottom, y + 1);
}

PixelRect Intersect(const PixelRect& a, const PixelRect& b) {
  PixelRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
  if (r.Empty()) return PixelRect{};
  return r;
}

void MakePattern(const Rgba& c, ColorPattern* pattern) {
  pattern->grey = c.blue == c.green && c.green == c.red;
  std::uint8_t unit[24];
  for (int k = 0; k < 24; k += 3) {
    unit[k] = c.blue;
    unit[k + 1] = c.green;
    unit[k + 2] = c.red;
  }
  std::memcpy(pattern->words, unit, 24);
}

// count pixels of the pattern's colour from p on (3 bytes a pixel). Grey
// (white and black are the usual ones) is a byte fill; other colours go in
// word stores, 8 pixels in 3 words. Only stores: a pattern written out and
// read back in wider pieces would stall the loads.
void FillPattern(std::uint8_t* p, int count, const ColorPattern& pattern) {
  if (count <= 0) return;
  if (pattern.grey) {
    std::uint8_t grey;
    std::memcpy(&grey, pattern.words, 1);
    std::memset(p, grey, static_cast<std::size_t>(count) * 3);
    return;
  }
  const std::uint64_t w0 = pattern.words[0], w1 = pattern.words[1], w2 = pattern.words[2];
  int i = 0;
  for (; i + 8 <= count; i += 8, p += 24) {
    std::memcpy(p, &w0, 8);
    std::memcpy(p + 8, &w1, 8);
    std::memcpy(p + 16, &w2, 8);
  }
  std::uint8_t unit[3];
  std::memcpy(unit, pattern.words, 3);
  for (; i < count; ++i, p += 3) {
    p[0] = unit[0];
    p[1] = unit[1];
    p[2] = unit[2];
  }
}

// count pixels of an opaque colour from p on.
template <int Bytes, bool Layer>
void FillOpaque(std::uint8_t* p, int count, const Rgba& c) {
  if (count <= 0) return;
  if (Bytes == 3) {
    if (c.blue == c.green && c.green == c.red) {
      std::memset(p, c.blue, static_cast<std::size_t>(count) * 3);
      return;
    }
    ColorPattern pattern;
    MakePattern(c, &pattern);
    FillPattern(p, count, pattern);
  } else if (!Layer) {
    // Whole words, the fourth byte kept (words made from bytes, so the
    // machine's byte order does not matter).
    const std::uint8_t colorBytes[4] = {c.blue, c.green, c.red, 0};
    const std::uint8_t keepBytes[4] = {0, 0, 0, 0xFF};
    std::uint32_t color, keep;
    std::memcpy(&color, colorBytes, 4);
    std::memcpy(&keep, keepBytes, 4);
    for (int i = 0; i < count; ++i, p += 4) {
      std::uint32_t word;
      std::memcpy(&word, p, 4);
      word = (word & keep) | color;
      std::memcpy(p, &word, 4);
    }
  } else {
    const std::uint8_t colorBytes[4] = {c.blue, c.green, c.red, 255};
    std::uint32_t color;
    std::memcpy(&color, colorBytes, 4);
    for (int i = 0; i < count; ++i, p += 4) std::memcpy(p, &color, 4);
  }
}

// Masks are mostly empty or whole over long stretches: their values are
// looked at four at a time where they can be.
inline std::uint64_t Four(const std::uint16_t* at) {
  std::uint64_t v;
  std::memcpy(&v, at, 8);
  return v;
}

// The first index from i on (end at most) whose mask value is not zero.
inline int SkipEmpty(const std::uint16_t* clip, int i, int end) {
  while (i + 4 <= end && Four(clip + i) == 0) i += 4;
  while (i < end && clip[i] == 0) ++i;
  return i;
}

// The first index from i on (end at most) whose mask value is not full.
inline int WholeRunEnd(const std::uint16_t* clip, int i, int end, std::uint32_t full) {
  const std::uint64_t four = full * std::uint64_t{0x0001000100010001u};
  while (i + 4 <= end && Four(clip + i) == four) i += 4;
  while (i < end && clip[i] == full) ++i;
  return i;
}

// The first index from i on (end at most) whose mask value is full.
inline int PartRunEnd(const std::uint16_t* clip, int i, int end, std::uint32_t full) {
  for (;;) {
    i = SkipEmpty(clip, i, end);
    if (i == end || clip[i] == full) return i;
    ++i;
  }
}

}  // namespace

// Puts col over what the stack colour holds so far.
void SpanPainter::Over(StackColor* sc, const Rgba& col) {
  const std::uint32_t w = Weights[col.alpha];
  const std::uint64_t inv = 65536 - w;
  sc->c[0] = static_cast<std::uint32_t>((sc->c[0] * inv + 32768) >> 16) + col.blue * w;
  sc->c[1] = static_cast<std::uint32_t>((sc->c[1] * inv + 32768) >> 16) + col.green * w;
  sc->c[2] = static_cast<std::uint32_t>((sc->c[2] * inv + 32768) >> 16) + col.red * w;
  sc->c[3] = static_cast<std::uint32_t>((sc->c[3] * inv + 32768) >> 16) + 255 * w;
  sc->t = static_cast<std::uint32_t>((sc->t * inv + 32768) >> 16);
}

std::uint32_t AlphaWeight(std::uint8_t alpha) { return Weights[alpha]; }

void SampleMask::Allocate(const PixelRect& area) {
  const std::size_t size =
      static_cast<std::size_t>(area.right - area.left) * static_cast<std::size_t>(area.bottom - area.top);
  const bool same =
      area.left == area_.left && area.top == area_.top && area.right == area_.right && area.bottom == area_.bottom;
  area_ = area;
  bounds_ = PixelRect{};
  if (same && clean_ && bits_.size() == size) return;
  bits_.assign(size, 0);
  clean_ = true;
}

void SampleMask::Clear() {
  for (int y = bounds_.top; y < bounds_.bottom; ++y) {
    std::uint16_t* row = Row(y);
    std::fill(row + (bounds_.left - area_.left), row + (bounds_.right - area_.left), std::uint16_t{0});
  }
  bounds_ = PixelRect{};
  clean_ = true;
}

void SampleMask::GrowBounds(int x0, int x1, int y) {
  Grow(&bounds_, x0, x1, y);
  clean_ = false;
}

void SampleMask::IntersectWith(const SampleMask& other) {
  const PixelRect keep = Intersect(bounds_, other.bounds_);
  for (int y = bounds_.top; y < bounds_.bottom; ++y) {
    std::uint16_t* const row = Row(y);
    const std::uint16_t* const with = other.Row(y);
    const int left = bounds_.left - area_.left, right = bounds_.right - area_.left;
    if (y < keep.top || y >= keep.bottom) {
      std::fill(row + left, row + right, std::uint16_t{0});
      continue;
    }
    const int keepLeft = keep.left - area_.left, keepRight = keep.right - area_.left;
    std::fill(row + left, row + keepLeft, std::uint16_t{0});
    for (int i = keepLeft; i < keepRight; ++i) row[i] = static_cast<std::uint16_t>(row[i] & with[i]);
    std::fill(row + keepRight, row + right, std::uint16_t{0});
  }
  bounds_ = keep;
}

void SpanPainter::Setup(const Surface& surface, const ScanConverter& converter, const SlotPaint* slots,
                        const SampleMask* clipMask, PixelRect* dirty) {
  surface_ = surface;
  converter_ = &converter;
  slots_ = slots;
  clipMask_ = clipMask;
  dirty_ = dirty;
  const int side = converter.SamplesPerSide();
  sampleCount_ = side * side;
  shift_ = 16 + (side == 4 ? 4 : side == 2 ? 2 : 0);
  full_ = (sampleCount_ == 32 ? 0u : (1u << sampleCount_)) - 1u;
  slotCount_ = converter.SlotCount();
  // Each solid slot's composite, ready for the pixels where it is alone.
  slotColors_.resize(slotCount_);
  slotSolid_.resize(slotCount_);
  slotPatterns_.resize(slotCount_);
  slotOpaque_.resize(slotCount_);
  for (std::uint32_t i = 0; i < slotCount_; ++i) {
    const PaintShader& shader = *slots[i].shader;
    slotSolid_[i] = shader.Solid() ? 1 : 0;
    slotOpaque_[i] = shader.Solid() && shader.Color().alpha == 255 ? 1 : 0;
    StackColor sc{65536, {0, 0, 0, 0}};
    if (shader.Solid()) Over(&sc, shader.Color());
    slotColors_[i] = sc;
    if (slotOpaque_[i]) MakePattern(shader.Color(), &slotPatterns_[i]);
  }
  takesSlotSamples_ = clipMask == nullptr && !surface.layer && sampleCount_ == 16 && slotCount_ <= 4 &&
                      std::all_of(slotOpaque_.begin(), slotOpaque_.end(), [](std::uint8_t o) { return o != 0; });
}

// True when every slot of the stack has one colour everywhere; then color
// holds the stack's composite.
inline bool SpanPainter::SolidStack(std::uint32_t stack, StackColor* color) const {
  if (stack <= slotCount_) {
    if (!slotSolid_[stack - 1]) return false;
    *color = slotColors_[stack - 1];
    return true;
  }
  std::uint32_t count = 0;
  const std::uint32_t* slots = converter_->StackSlots(stack, &count);
  StackColor sc{65536, {0, 0, 0, 0}};
  for (std::uint32_t q = count; q-- > 0;) {
    const PaintShader& shader = *slots_[slots[q]].shader;
    if (!shader.Solid()) return false;
    Over(&sc, shader.Color());
  }
  *color = sc;
  return true;
}

inline bool SpanPainter::SolidWeights(const RowSpan& span, const CoveragePart* parts, SpanWeights* weights) const {
  SpanWeights& w = *weights;
  w = SpanWeights();
  int covered = 0;
  for (std::uint32_t k = 0; k < span.partCount; ++k) {
    StackColor sc;
    if (!SolidStack(parts[k].stack, &sc)) return false;
    const std::uint32_t n = static_cast<std::uint32_t>(CountBits(parts[k].samples));
    covered += static_cast<int>(n);
    w.t += n * sc.t;
    for (int ch = 0; ch < 4; ++ch) w.c[ch] += n * sc.c[ch];
  }
  w.t += static_cast<std::uint32_t>(sampleCount_ - covered) << 16;
  return true;
}

template <int Bytes, bool Layer>
ChannelWeights SpanPainter::Channels(const SpanWeights& w) const {
  ChannelWeights cw;
  const std::uint32_t bias = Bias << (shift_ - 16);
  for (int ch = 0; ch < 4; ++ch) {
    cw.k[ch] = w.c[ch] + bias;
    cw.t[ch] = w.t;
  }
  if (Bytes == 4 && !Layer) {
    // The view's fourth byte is kept.
    cw.k[3] = 0;
    cw.t[3] = 1u << shift_;
  }
  cw.shift = shift_;
  return cw;
}

template <int Bytes, bool Layer>
inline void SpanPainter::ApplyWeights(std::uint8_t* p, int count, const SpanWeights& w) const {
  const ChannelWeights cw = Channels<Bytes, Layer>(w);
  // Runs long enough to pay for laying the weights out go 16 bytes at a
  // time.
  if (count * Bytes >= 2 * 48) {
    WeightPattern pattern;
    MakeWeightPattern(cw, Bytes, &pattern);
    BlendWeighted(p, count, pattern);
    return;
  }
  BlendWeightedPixels(p, count, Bytes, cw);
}

void SpanPainter::Row(int y, const RowSpan* spans, std::size_t spanCount, const CoveragePart* parts) {
  if (surface_.layer) {
    PaintRow<4, true>(y, spans, spanCount, parts);
  } else if (surface_.bytesPerPixel == 4) {
    PaintRow<4, false>(y, spans, spanCount, parts);
  } else {
    PaintRow<3, false>(y, spans, spanCount, parts);
  }
}

bool SpanPainter::OpaqueSolidSpan(const RowSpan& span, const CoveragePart* parts, Rgba* color) const {
  if (clipMask_ != nullptr || span.partCount != 1 || parts[span.firstPart].samples != full_) return false;
  std::uint32_t count = 0;
  const std::uint32_t* slots = converter_->StackSlots(parts[span.firstPart].stack, &count);
  if (count != 1) return false;
  const PaintShader& shader = *slots_[slots[0]].shader;
  *color = shader.Color();
  return shader.Solid() && color->alpha == 255;
}

// The opaque runs of Rows on count rows from y on, row by row so that each
// row's bytes are written in order. The row's first pixel is worked out
// once: stores through byte pointers may alias the painter, so the surface
// fields would be reloaded run by run.
template <int Bytes, bool Layer>
void SpanPainter::FillRuns(int y, int count) {
  const OpaqueRun* const runs = opaqueRuns_.data();
  const std::size_t runCount = opaqueRuns_.size();
  const std::ptrdiff_t stride = surface_.stride;
  std::uint8_t* rowStart = surface_.Pixel(0, y);
  if (Bytes == 3) {
    // Each run's pattern is made once for all its rows.
    patterns_.resize(runCount);
    bool allGrey = true;
    for (std::size_t k = 0; k < runCount; ++k) {
      MakePattern(runs[k].color, &patterns_[k]);
      allGrey = allGrey && patterns_[k].grey;
    }
    const ColorPattern* const patterns = patterns_.data();
    if (allGrey) {
      // Byte fills only (black and white shapes): each run's place, length
      // and byte worked out once, so a row is a call per run and nothing
      // else.
      greyRuns_.resize(runCount);
      for (std::size_t k = 0; k < runCount; ++k) {
        greyRuns_[k].offset = static_cast<std::ptrdiff_t>(runs[k].x0) * 3;
        greyRuns_[k].bytes = static_cast<std::size_t>(runs[k].x1 - runs[k].x0) * 3;
        greyRuns_[k].value = runs[k].color.blue;
      }
      const GreyRun* const grey = greyRuns_.data();
      for (int r = 0; r < count; ++r, rowStart += stride) {
        for (std::size_t k = 0; k < runCount; ++k) std::memset(rowStart + grey[k].offset, grey[k].value, grey[k].bytes);
      }
      return;
    }
    for (int r = 0; r < count; ++r, rowStart += stride) {
      for (std::size_t k = 0; k < runCount; ++k) {
        FillPattern(rowStart + static_cast<std::ptrdiff_t>(runs[k].x0) * 3, runs[k].x1 - runs[k].x0, patterns[k]);
      }
    }
    return;
  }
  for (int r = 0; r < count; ++r, rowStart += stride) {
    for (std::size_t k = 0; k < runCount; ++k) {
      FillOpaque<Bytes, Layer>(rowStart + static_cast<std::ptrdiff_t>(runs[k].x0) * Bytes, runs[k].x1 - runs[k].x0,
                               runs[k].color);
    }
  }
}

// The weighted spans of Rows on count rows from y on, span by span (they
// share no pixel with each other or with the spans painted row by row), so
// that each span's weights are laid out once.
template <int Bytes, bool Layer>
void SpanPainter::WeightedRuns(int y, int count) {
  const std::ptrdiff_t stride = surface_.stride;
  for (const SpanWeights& w : weighted_) {
    const ChannelWeights cw = Channels<Bytes, Layer>(w);
    const int width = w.x1 - w.x0;
    std::uint8_t* p = surface_.Pixel(w.x0, y);
    if (width > 1 && width * count >= 32) {
      WeightPattern pattern;
      MakeWeightPattern(cw, Bytes, &pattern);
      for (int r = 0; r < count; ++r, p += stride) BlendWeighted(p, width, pattern);
    } else {
      BlendWeightedBlock(p, width, count, stride, Bytes, cw);
    }
  }
}

void SpanPainter::Rows(int y, int count, const RowSpan* spans, std::size_t spanCount, const CoveragePart* parts) {
  if (!shortcuts_) {
    RowSink::Rows(y, count, spans, spanCount, parts);
    return;
  }
  Row(y, spans, spanCount, parts);
  if (count <= 1) return;
  const int bytes = surface_.layer ? 4 : surface_.bytesPerPixel;
  // The runs an opaque colour fills, the spans whose pixels all take the
  // same weights (worked out once), and those painted on every row.
  repaint_.clear();
  opaqueRuns_.clear();
  weighted_.clear();
  for (std::size_t s = 0; s < spanCount; ++s) {
    SpanWeights w;
    Rgba color;
    if (OpaqueSolidSpan(spans[s], parts, &color)) {
      // Neighbouring spans of one colour (a pixel-aligned edge gives its
      // pixel a span of its own) are filled as one run.
      if (!opaqueRuns_.empty() && opaqueRuns_.back().x1 == spans[s].x0 && opaqueRuns_.back().color == color) {
        opaqueRuns_.back().x1 = spans[s].x1;
      } else {
        opaqueRuns_.push_back(OpaqueRun{spans[s].x0, spans[s].x1, color});
      }
    } else if (!clipMask_ && SolidWeights(spans[s], parts + spans[s].firstPart, &w)) {
      w.x0 = spans[s].x0;
      w.x1 = spans[s].x1;
      weighted_.push_back(w);
    } else {
      repaint_.push_back(spans[s]);
    }
  }
  if (!opaqueRuns_.empty()) {
    if (surface_.layer) {
      FillRuns<4, true>(y + 1, count - 1);
    } else if (bytes == 4) {
      FillRuns<4, false>(y + 1, count - 1);
    } else {
      FillRuns<3, false>(y + 1, count - 1);
    }
  }
  if (!weighted_.empty()) {
    if (surface_.layer) {
      WeightedRuns<4, true>(y + 1, count - 1);
    } else if (bytes == 4) {
      WeightedRuns<4, false>(y + 1, count - 1);
    } else {
      WeightedRuns<3, false>(y + 1, count - 1);
    }
  }
  if (!repaint_.empty()) {
    // Painted as rows of their own (the opaque ones are done).
    for (int r = 1; r < count; ++r) Row(y + r, repaint_.data(), repaint_.size(), parts);
  }
  // The rows between the first and the last add nothing to the dirty
  // rectangle that those two do not.
  if (dirty_ && spanCount > 0) Grow(dirty_, spans[0].x0, spans[spanCount - 1].x1, y + count - 1);
}

void SpanPainter::SlotRuns(int y, int count, const SlotRun* runs, std::size_t runCount) {
  if (runCount == 0) return;
  opaqueRuns_.clear();
  shadedRuns_.clear();
  for (std::size_t k = 0; k < runCount; ++k) {
    const SlotRun& run = runs[k];
    if (!slotOpaque_[run.slot]) {
      shadedRuns_.push_back(run);
      continue;
    }
    const Rgba color = slots_[run.slot].shader->Color();
    if (!opaqueRuns_.empty() && opaqueRuns_.back().x1 == run.x0 && opaqueRuns_.back().color == color) {
      opaqueRuns_.back().x1 = run.x1;
    } else {
      opaqueRuns_.push_back(OpaqueRun{run.x0, run.x1, color});
    }
  }
  if (surface_.layer) {
    FillSlotRuns<4, true>(y, count);
  } else if (surface_.bytesPerPixel == 4) {
    FillSlotRuns<4, false>(y, count);
  } else {
    FillSlotRuns<3, false>(y, count);
  }
  if (dirty_) {
    Grow(dirty_, runs[0].x0, runs[runCount - 1].x1, y);
    Grow(dirty_, runs[0].x0, runs[runCount - 1].x1, y + count - 1);
  }
}

void SpanPainter::SlotSampleRows(int y, int count, const SlotSamples* runs, std::size_t runCount) {
  if (runCount == 0) return;
  for (int r = 0; r < count; ++r) {
    if (surface_.bytesPerPixel == 4) {
      SlotSampleRow<4>(y + r, runs, runCount);
    } else {
      SlotSampleRow<3>(y + r, runs, runCount);
    }
  }
  if (dirty_) {
    Grow(dirty_, runs[0].x0, runs[runCount - 1].x1, y);
    Grow(dirty_, runs[0].x0, runs[runCount - 1].x1, y + count - 1);
  }
}

// Every slot an opaque solid colour: a run one slot shows whole is filled
// with it; elsewhere each pixel is SolidPixel's mean of its samples, the
// samples no slot shows keeping the pixel's colour.
template <int Bytes>
void SpanPainter::SlotSampleRow(int y, const SlotSamples* runs, std::size_t runCount) {
  // Members in locals: the pixel stores could change them for all the
  // compiler knows, and it would read them again after each.
  const int originX = surface_.originX;
  std::uint8_t* const rowStart = surface_.Pixel(originX, y);
  const std::uint32_t slotCount = slotCount_;
  const StackColor* const colors = slotColors_.data();
  const ColorPattern* const patterns = slotPatterns_.data();
  constexpr std::uint32_t bias = Bias << 4;
  for (std::size_t k = 0; k < runCount; ++k) {
    const SlotSamples run = runs[k];
    std::uint8_t* p = rowStart + static_cast<std::ptrdiff_t>(run.x0 - originX) * Bytes;
    const int count = run.x1 - run.x0;
    const int first = LowestBit(run.masks) >> 4;
    if (run.masks == std::uint64_t{0xFFFF} << (16 * first)) {
      if (Bytes == 3) {
        FillPattern(p, count, patterns[first]);
      } else {
        FillOpaque<Bytes, false>(p, count, slots_[first].shader->Color());
      }
      continue;
    }
    std::uint32_t t = 0, c0 = 0, c1 = 0, c2 = 0;
    std::uint32_t covered = 0;
    for (std::uint32_t slot = static_cast<std::uint32_t>(first); slot < slotCount; ++slot) {
      const std::uint32_t n = static_cast<std::uint32_t>(CountBits(static_cast<std::uint32_t>(run.masks >> (16 * slot)) & 0xFFFFu));
      const StackColor& sc = colors[slot];
      covered += n;
      t += n * sc.t;
      c0 += n * sc.c[0];
      c1 += n * sc.c[1];
      c2 += n * sc.c[2];
    }
    t += (16 - covered) << 16;
    for (int i = 0; i < count; ++i, p += Bytes) {
      p[0] = WeightedChannel(c0 + bias, t, 20, p[0]);
      p[1] = WeightedChannel(c1 + bias, t, 20, p[1]);
      p[2] = WeightedChannel(c2 + bias, t, 20, p[2]);
    }
  }
}

template <int Bytes, bool Layer>
void SpanPainter::FillSlotRuns(int y, int count) {
  if (!opaqueRuns_.empty()) FillRuns<Bytes, Layer>(y, count);
  const std::ptrdiff_t stride = surface_.stride;
  for (const SlotRun& run : shadedRuns_) {
    const PaintShader& shader = *slots_[run.slot].shader;
    std::uint8_t* p = surface_.Pixel(run.x0, y);
    for (int r = 0; r < count; ++r, p += stride) FillRun<Bytes, Layer>(p, run.x0, y + r, run.x1 - run.x0, shader);
  }
}

template <int Bytes, bool Layer>
void SpanPainter::PaintRow(int y, const RowSpan* spans, std::size_t spanCount, const CoveragePart* parts) {
  const std::uint16_t* maskRow = clipMask_ ? clipMask_->Row(y) : nullptr;
  const int maskLeft = clipMask_ ? clipMask_->Area().left : 0;
  for (std::size_t s = 0; s < spanCount; ++s) {
    const RowSpan& span = spans[s];
    std::uint8_t* p = surface_.Pixel(span.x0, y);
    const std::uint16_t* clip = maskRow ? maskRow + (span.x0 - maskLeft) : nullptr;
    const CoveragePart* first = parts + span.firstPart;
    if (span.partCount == 1 && first->samples == full_) {
      std::uint32_t count = 0;
      const std::uint32_t* slots = converter_->StackSlots(first->stack, &count);
      if (count == 1) {
        const PaintShader& shader = *slots_[slots[0]].shader;
        if (!clip) {
          if (Bytes == 3 && !Layer && shortcuts_ && slotOpaque_[slots[0]]) {
            FillPattern(p, span.x1 - span.x0, slotPatterns_[slots[0]]);
          } else {
            FillRun<Bytes, Layer>(p, span.x0, y, span.x1 - span.x0, shader);
          }
          continue;
        }
        // Under a mask: runs the mask covers whole are filled, the rest
        // goes sample by sample.
        int x = span.x0;
        while (x < span.x1) {
          const bool whole = clip[x - span.x0] == full_;
          const int end = span.x0 + (whole ? WholeRunEnd(clip, x + 1 - span.x0, span.x1 - span.x0, full_)
                                           : PartRunEnd(clip, x + 1 - span.x0, span.x1 - span.x0, full_));
          std::uint8_t* at = surface_.Pixel(x, y);
          if (whole) {
            FillRun<Bytes, Layer>(at, x, y, end - x, shader);
          } else {
            RowSpan part = span;
            part.x0 = x;
            part.x1 = end;
            GeneralRun<Bytes, Layer>(at, y, part, first, clip + (x - span.x0));
          }
          x = end;
        }
        continue;
      }
    }
    if (!clip && shortcuts_ && span.x1 - span.x0 == 1 && SolidPixel<Bytes, Layer>(p, first, span.partCount)) continue;
    GeneralRun<Bytes, Layer>(p, y, span, first, clip);
  }
  if (dirty_ && spanCount > 0) Grow(dirty_, spans[0].x0, spans[spanCount - 1].x1, y);
}

// The arithmetic of SolidWeights and ApplyWeights for one pixel, without
// laying the weights out: a curved shape has a few such pixels on every row.
template <int Bytes, bool Layer>
inline bool SpanPainter::SolidPixel(std::uint8_t* p, const CoveragePart* parts, std::uint32_t partCount) const {
  std::uint32_t t = 0, c0 = 0, c1 = 0, c2 = 0, c3 = 0;
  std::uint32_t covered = 0;
  for (std::uint32_t k = 0; k < partCount; ++k) {
    const std::uint32_t slot = parts[k].stack - 1;  // a single-slot stack, when below slotCount_
    if (slot >= slotCount_ || !slotSolid_[slot]) return false;
    const StackColor& sc = slotColors_[slot];
    const std::uint32_t n = static_cast<std::uint32_t>(CountBits(parts[k].samples));
    covered += n;
    t += n * sc.t;
    c0 += n * sc.c[0];
    c1 += n * sc.c[1];
    c2 += n * sc.c[2];
    c3 += n * sc.c[3];
  }
  t += (static_cast<std::uint32_t>(sampleCount_) - covered) << 16;
  const std::uint32_t shift = static_cast<std::uint32_t>(shift_);
  const std::uint32_t bias = Bias << (shift - 16);
  p[0] = WeightedChannel(c0 + bias, t, shift, p[0]);
  p[1] = WeightedChannel(c1 + bias, t, shift, p[1]);
  p[2] = WeightedChannel(c2 + bias, t, shift, p[2]);
  if (Layer) p[3] = WeightedChannel(c3 + bias, t, shift, p[3]);
  return true;
}

template <int Bytes, bool Layer>
void SpanPainter::FillRun(std::uint8_t* p, int x, int y, int count, const PaintShader& shader) {
  Rgba c;
  if (shader.Solid() || shader.RowColor(x, y, count, &c)) {
    if (shader.Solid()) c = shader.Color();
    if (c.alpha == 255) {
      FillOpaque<Bytes, Layer>(p, count, c);
    } else if (c.alpha != 0) {
      const std::uint32_t w = Weights[c.alpha];
      const std::uint32_t inv = 65536 - w;
      const std::uint32_t cb = c.blue * w + Bias, cg = c.green * w + Bias, cr = c.red * w + Bias;
      const std::uint32_t ca = 255 * w + Bias;
      for (int i = 0; i < count; ++i, p += Bytes) {
        p[0] = static_cast<std::uint8_t>((cb + p[0] * inv) >> 16);
        p[1] = static_cast<std::uint8_t>((cg + p[1] * inv) >> 16);
        p[2] = static_cast<std::uint8_t>((cr + p[2] * inv) >> 16);
        if (Layer) p[3] = static_cast<std::uint8_t>((ca + p[3] * inv) >> 16);
      }
    }
    return;
  }
  if (Bytes == 3 && !Layer) {
    // Rows the shader holds ready in the target's layout copy whole.
    if (const std::uint8_t* ready = shader.ReadyRow24(x, y, count)) {
      std::memcpy(p, ready, static_cast<std::size_t>(count) * 3);
      return;
    }
  }
  if (colors_.size() < static_cast<std::size_t>(count)) colors_.resize(count);
  Rgba* colors = colors_.data();
  shader.ShadeRow(x, y, count, colors);
  if (shader.Opaque()) {
    // Every colour covers: stores only (bitmaps drawn whole take this path
    // for every row).
    int i = 0;
    for (; i < count; ++i, p += Bytes) {
      const Rgba c = colors[i];
      p[0] = c.blue;
      p[1] = c.green;
      p[2] = c.red;
      if (Layer) p[3] = 255;
    }
    return;
  }
  for (int i = 0; i < count; ++i, p += Bytes) {
    const Rgba c = colors[i];
    if (c.alpha == 255) {
      p[0] = c.blue;
      p[1] = c.green;
      p[2] = c.red;
      if (Layer) p[3] = 255;
    } else if (c.alpha != 0) {
      const std::uint32_t w = Weights[c.alpha];
      const std::uint32_t inv = 65536 - w;
      p[0] = static_cast<std::uint8_t>((c.blue * w + p[0] * inv + Bias) >> 16);
      p[1] = static_cast<std::uint8_t>((c.green * w + p[1] * inv + Bias) >> 16);
      p[2] = static_cast<std::uint8_t>((c.red * w + p[2] * inv + Bias) >> 16);
      if (Layer) p[3] = static_cast<std::uint8_t>((255 * w + p[3] * inv + Bias) >> 16);
    }
  }
}

// Colours of a slot over the current span, shaded once per span.
const Rgba* SpanPainter::ShadedColors(std::uint32_t slot, int x, int y, int count) {
  for (std::size_t k = 0; k < shadedSlots_.size(); ++k) {
    if (shadedSlots_[k] == slot) return colors_.data() + k * static_cast<std::size_t>(count);
  }
  const std::size_t k = shadedSlots_.size();
  shadedSlots_.push_back(slot);
  if (colors_.size() < (k + 1) * static_cast<std::size_t>(count))
    colors_.resize((k + 1) * static_cast<std::size_t>(count));
  Rgba* out = colors_.data() + k * static_cast<std::size_t>(count);
  slots_[slot].shader->ShadeRow(x, y, count, out);
  return out;
}

template <int Bytes, bool Layer>
void SpanPainter::GeneralRun(std::uint8_t* p, int y, const RowSpan& span, const CoveragePart* parts,
                             const std::uint16_t* clip) {
  const int count = span.x1 - span.x0;
  const int channels = Layer ? 4 : 3;
  const std::uint32_t bias = Bias << (shift_ - 16);
  // Without a mask and with colours that do not vary, every pixel of the
  // span takes the same weights.
  SpanWeights weights;
  if (!clip && SolidWeights(span, parts, &weights)) {
    ApplyWeights<Bytes, Layer>(p, count, weights);
    return;
  }
  shadedSlots_.clear();
  // The composites of the parts whose stacks are solid, made once for the
  // span (a span has a part per sample at most).
  StackColor partColors[16];
  std::uint32_t solidParts = 0;  // bit k: part k's composite is in partColors
  const std::uint32_t partCount = std::min<std::uint32_t>(span.partCount, 16);
  for (std::uint32_t k = 0; k < partCount; ++k) {
    if (SolidStack(parts[k].stack, &partColors[k])) solidParts |= 1u << k;
  }
  // Locals, not members: stores through p may alias the painter.
  const int shift = shift_;
  std::uint8_t* const start = p;
  for (int i = 0; i < count; ++i) {
    if (clip) {
      i = SkipEmpty(clip, i, count);
      if (i == count) break;
    }
    p = start + static_cast<std::ptrdiff_t>(i) * Bytes;
    const std::uint32_t inMask = clip ? clip[i] : full_;
    std::uint32_t t = 0;
    std::uint32_t c[4] = {0, 0, 0, 0};
    int covered = 0;
    for (std::uint32_t k = 0; k < span.partCount; ++k) {
      const std::uint32_t n = static_cast<std::uint32_t>(CountBits(parts[k].samples & inMask));
      if (n == 0) continue;
      covered += static_cast<int>(n);
      StackColor sc{65536, {0, 0, 0, 0}};
      if (k < 16 && (solidParts >> k & 1)) {
        sc = partColors[k];
      } else {
        std::uint32_t slotCount = 0;
        const std::uint32_t* slots = converter_->StackSlots(parts[k].stack, &slotCount);
        // Bottom of the stack first.
        for (std::uint32_t q = slotCount; q-- > 0;) {
          const PaintShader& shader = *slots_[slots[q]].shader;
          Over(&sc, shader.Solid() ? shader.Color() : ShadedColors(slots[q], span.x0, y, count)[i]);
        }
      }
      t += n * sc.t;
      for (int ch = 0; ch < 4; ++ch) c[ch] += n * sc.c[ch];
    }
    if (covered == 0) continue;
    t += static_cast<std::uint32_t>(sampleCount_ - covered) << 16;
    for (int ch = 0; ch < channels; ++ch) {
      const std::uint32_t v = (c[ch] + p[ch] * t + bias) >> shift;
      p[ch] = static_cast<std::uint8_t>(v > 255 ? 255 : v);
    }
  }
}

void MaskPainter::Row(int y, const RowSpan* spans, std::size_t spanCount, const CoveragePart* parts) {
  std::uint16_t* row = mask_->Row(y);
  const int left = mask_->Area().left;
  for (std::size_t s = 0; s < spanCount; ++s) {
    const RowSpan& span = spans[s];
    std::uint32_t bits = 0;
    for (std::uint32_t k = 0; k < span.partCount; ++k) bits |= parts[span.firstPart + k].samples;
    for (int x = span.x0; x < span.x1; ++x) row[x - left] = static_cast<std::uint16_t>(row[x - left] | bits);
  }
  if (spanCount > 0) mask_->GrowBounds(spans[0].x0, spans[spanCount - 1].x1, y);
}

}  // namespace Halvane::Movie::Render
