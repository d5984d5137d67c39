// The last step of a draw: spans of sample coverage into pixels. Within a
// shape every sample is composited on its own (the stack of slots covering
// it over what the pixel held), and the pixel gets the mean of its samples,
// so two fills that meet inside a pixel show no seam of what lies beneath.
// With a mask active only the samples inside the mask count; the others keep
// the pixel as it was.
//
// Compositing is integer arithmetic on alpha / 255 and the coverage count,
// truncated once at the end as the platform's control does. Pixels no sample
// covers are never touched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "movie/render/PaintShader.h"
#include "movie/render/RenderTypes.h"
#include "movie/render/ScanConverter.h"
#include "movie/render/WeightedBlend.h"

namespace Halvane::Movie::Render {

// Where a draw lands: the caller's view (3 or 4 bytes per pixel, B, G, R;
// the fourth byte is left alone) or a transparent layer (B, G, R, A,
// premultiplied by A).
struct Surface {
  std::uint8_t* origin = nullptr;  // the pixel at (originX, originY)
  std::ptrdiff_t stride = 0;
  int originX = 0;
  int originY = 0;
  int bytesPerPixel = 3;
  bool layer = false;
  std::uint8_t* Pixel(int x, int y) const {
    return origin + static_cast<std::ptrdiff_t>(y - originY) * stride +
           static_cast<std::ptrdiff_t>(x - originX) * bytesPerPixel;
  }
};

// A sample mask over an area: one bit per sample (bit j * S + i, as the scan
// converter numbers them) per pixel. bounds holds every set bit.
class SampleMask {
 public:
  // Covers area, every bit clear. Reuses the memory of an earlier area.
  void Allocate(const PixelRect& area);
  // Clears the bits set so far (only within bounds).
  void Clear();
  const PixelRect& Area() const { return area_; }
  const PixelRect& Bounds() const { return bounds_; }
  void GrowBounds(int x0, int x1, int y);
  std::uint16_t* Row(int y) { return bits_.data() + static_cast<std::size_t>(y - area_.top) * Width(); }
  const std::uint16_t* Row(int y) const { return bits_.data() + static_cast<std::size_t>(y - area_.top) * Width(); }
  std::size_t Bytes() const { return bits_.capacity() * sizeof(std::uint16_t); }
  // Keeps only the bits also set in other (same area); bounds shrink to
  // both bounds.
  void IntersectWith(const SampleMask& other);

 private:
  std::size_t Width() const { return static_cast<std::size_t>(area_.right - area_.left); }
  PixelRect area_;
  PixelRect bounds_;
  std::vector<std::uint16_t> bits_;
  bool clean_ = false;  // no bit set anywhere in bits_
};

// 8 pixels of an opaque colour in the 3-byte layout, ready to be stored.
struct ColorPattern {
  std::uint64_t words[3];
  bool grey;
};

// How the painter colours one slot.
struct SlotPaint {
  const PaintShader* shader = nullptr;
};

class SpanPainter : public RowSink {
 public:
  // slots: one per slot of converter. clipMask may be null. dirty (may be
  // null) grows to hold every pixel written.
  void Setup(const Surface& surface, const ScanConverter& converter, const SlotPaint* slots, const SampleMask* clipMask,
             PixelRect* dirty);
  // With false, every span is painted by the general path, row by row,
  // without the shortcuts for solid slots (for tests that compare both).
  void UseShortcuts(bool on) { shortcuts_ = on; }
  void Row(int y, const RowSpan* spans, std::size_t spanCount, const CoveragePart* parts) override;
  // Spans that an opaque colour covers whole are filled with it on every
  // row at once; the rest are painted row by row.
  void Rows(int y, int count, const RowSpan* spans, std::size_t spanCount, const CoveragePart* parts) override;
  // Whole-pixel runs are taken without a mask: each is its slot's colours,
  // as the spans would give them.
  bool TakesSlotRuns() const override { return shortcuts_ && clipMask_ == nullptr; }
  void SlotRuns(int y, int count, const SlotRun* runs, std::size_t runCount) override;
  // Taken when every slot is an opaque solid colour, on the 4 x 4 grid,
  // without a mask, into the view.
  bool TakesSlotSamples() const override { return shortcuts_ && takesSlotSamples_; }
  void SlotSampleRows(int y, int count, const SlotSamples* runs, std::size_t runCount) override;

 private:
  template <int Bytes>
  void SlotSampleRow(int y, const SlotSamples* runs, std::size_t runCount);
  template <int Bytes, bool Layer>
  void PaintRow(int y, const RowSpan* spans, std::size_t spanCount, const CoveragePart* parts);
  // The opaque solid colour covering span whole, if one does.
  bool OpaqueSolidSpan(const RowSpan& span, const CoveragePart* parts, Rgba* color) const;
  template <int Bytes, bool Layer>
  void FillRuns(int y, int count);
  template <int Bytes, bool Layer>
  void FillRun(std::uint8_t* p, int x, int y, int count, const PaintShader& shader);
  template <int Bytes, bool Layer>
  void FillSlotRuns(int y, int count);
  template <int Bytes, bool Layer>
  void GeneralRun(std::uint8_t* p, int y, const RowSpan& span, const CoveragePart* parts, const std::uint16_t* clip);
  // One pixel, no mask, each part a single solid slot (a shape's edge
  // pixels, mostly): false, and nothing written, otherwise.
  template <int Bytes, bool Layer>
  bool SolidPixel(std::uint8_t* p, const CoveragePart* parts, std::uint32_t partCount) const;
  const Rgba* ShadedColors(std::uint32_t slot, int x, int y, int count);

  // Composite of one sample stack at one pixel: the sample becomes
  // (c + below * t) / 65536 per channel, alpha as a fourth channel whose
  // colour is 255.
  struct StackColor {
    std::uint32_t t;
    std::uint32_t c[4];
  };
  static void Over(StackColor* sc, const Rgba& color);
  bool SolidStack(std::uint32_t stack, StackColor* color) const;
  // A span every pixel of which takes the same weights: (c + below * t) /
  // (65536 * samples) per channel.
  struct SpanWeights {
    std::uint32_t t = 0;
    std::uint32_t c[4] = {0, 0, 0, 0};
    int x0 = 0;
    int x1 = 0;
  };
  // False when a colour of the span varies.
  bool SolidWeights(const RowSpan& span, const CoveragePart* parts, SpanWeights* weights) const;
  template <int Bytes, bool Layer>
  ChannelWeights Channels(const SpanWeights& weights) const;
  template <int Bytes, bool Layer>
  void ApplyWeights(std::uint8_t* p, int count, const SpanWeights& weights) const;
  template <int Bytes, bool Layer>
  void WeightedRuns(int y, int count);

  Surface surface_;
  const ScanConverter* converter_ = nullptr;
  const SlotPaint* slots_ = nullptr;
  const SampleMask* clipMask_ = nullptr;
  PixelRect* dirty_ = nullptr;
  bool shortcuts_ = true;
  bool takesSlotSamples_ = false;
  std::uint32_t slotCount_ = 0;
  std::vector<StackColor> slotColors_;
  std::vector<std::uint8_t> slotSolid_;
  // The 3-byte patterns of the slots of one opaque solid colour (others
  // unused), made once per draw rather than once per run.
  std::vector<ColorPattern> slotPatterns_;
  std::vector<std::uint8_t> slotOpaque_;
  int sampleCount_ = 1;
  int shift_ = 16;  // 16 + log2(sampleCount_)
  std::uint32_t full_ = 1;
  // Colours of the shaded slots of the current span.
  std::vector<Rgba> colors_;
  std::vector<std::uint32_t> shadedSlots_;
  std::vector<RowSpan> repaint_;
  struct OpaqueRun {
    int x0;
    int x1;
    Rgba color;
  };
  std::vector<OpaqueRun> opaqueRuns_;
  std::vector<SlotRun> shadedRuns_;  // runs of slots whose colours vary
  std::vector<ColorPattern> patterns_;
  struct GreyRun {
    std::ptrdiff_t offset;  // from the row's first byte
    std::size_t bytes;
    std::uint8_t value;
  };
  std::vector<GreyRun> greyRuns_;
  std::vector<SpanWeights> weighted_;
};

// Draws into a mask instead: every covered sample sets its bit.
class MaskPainter : public RowSink {
 public:
  void Setup(SampleMask* mask) { mask_ = mask; }
  void Row(int y, const RowSpan* spans, std::size_t spanCount, const CoveragePart* parts) override;

 private:
  SampleMask* mask_ = nullptr;
};

// alpha / 255 in 16.16 fixed point.
std::uint32_t AlphaWeight(std::uint8_t alpha);

}  // namespace Halvane::Movie::Render
