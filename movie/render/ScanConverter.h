// The sampling core: device-space line segments, each bounding one or two
// "slots" (a fill or a line of the shape being drawn), to per-row runs of
// sample coverage.
//
// Samples sit on an S x S grid in every pixel (S = 1, 2 or 4) at the centres
// of the grid's cells. A sample exactly on an edge belongs to the region on
// the edge's right and below it: an edge covers the sample rows from its top
// (inclusive) to its bottom (exclusive), and toggles the samples at or right
// of where it crosses a sample row. Crossings are found exactly, in integers:
// vertices are rounded to 1/256 pixel, on which grid every sample position
// lies, and each edge steps from sample row to sample row with a quotient and
// remainder, so no rounding drifts along long edges.
//
// Per sample row the crossings are swept left to right, counting winding per
// slot; each slot is inside by its own fill rule. What covers a sample is its
// "stack": the slots inside there from the topmost down to the first opaque
// one (an opaque slot hides everything under it). Stacks are numbered: 0 is
// nothing, 1 .. slotCount is one opaque slot (number - 1), larger numbers are
// interned lists. A row is handed on as spans: a span of one pixel where the
// samples of the pixel differ, a longer span where every pixel has the same
// sample stacks; each span lists its stacks with the samples they cover
// (bit j * S + i for the sample in row j, column i).
//
// A drawing whose edges are all upright (rectangles) changes only at the
// sample rows where an edge starts or ends: a pixel row none starts or ends
// inside has alike sample rows, swept once and handed on for every row down
// to the next such one. A drawing on the 4 x 4 grid whose slots are all
// opaque (at most 64) has a sample's stack in its topmost inside slot alone: each pixel row's
// crossings are made for all its sample rows in one visit of the edges and
// go straight into spans, each slot's inside samples of a pixel a bit mask.
// With at most four slots, all even-odd, a crossing only flips samples: an
// edge's crossings within a pixel are taken as one flip, and a sink that
// can takes each pixel's or run's samples per slot as one word.
//
// Geometry is clipped on entry: what lies above or below the clip rectangle
// is dropped, what lies left or right of it is moved onto a vertical line
// just outside it, which keeps the winding inside exact. So coordinates of
// any size cost nothing, non-finite ones are dropped, and the edge count is
// capped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "movie/render/RenderTypes.h"

namespace Halvane::Movie::Render {

struct CoveragePart {
  std::uint32_t stack = 0;
  std::uint32_t samples = 0;
};

// Pixels every sample of which is inside slot (an opaque one) and no slot
// above it.
struct SlotRun {
  std::int32_t x0 = 0;
  std::int32_t x1 = 0;
  std::uint32_t slot = 0;
};

// Pixels of a drawing of at most four opaque slots, all alike: the samples
// each slot shows in each of them (bit slot * 16 + sample; a sample shows
// the topmost slot it is inside).
struct SlotSamples {
  std::int32_t x0 = 0;
  std::int32_t x1 = 0;
  std::uint64_t masks = 0;
};

struct RowSpan {
  std::int32_t x0 = 0;  // first pixel
  std::int32_t x1 = 0;  // one past the last
  std::uint32_t firstPart = 0;
  std::uint32_t partCount = 0;
};

class RowSink {
 public:
  virtual ~RowSink() = default;
  // The covered spans of pixel row y, left to right, each inside the clip.
  virtual void Row(int y, const RowSpan* spans, std::size_t spanCount, const CoveragePart* parts) = 0;
  // The same spans for count rows from y on (count >= 1).
  virtual void Rows(int y, int count, const RowSpan* spans, std::size_t spanCount, const CoveragePart* parts) {
    for (int i = 0; i < count; ++i) Row(y + i, spans, spanCount, parts);
  }
  // True when the sink takes rows of whole pixels as SlotRuns; otherwise
  // they come as spans like any other.
  virtual bool TakesSlotRuns() const { return false; }
  // count rows from y on, each the same runs (left to right, apart, inside
  // the clip), every pixel of a run wholly its slot's.
  virtual void SlotRuns(int y, int count, const SlotRun* runs, std::size_t runCount) {}
  // True when the sink takes the rows of a drawing of at most four opaque
  // even-odd slots on the 4 x 4 grid as SlotSamples; otherwise they come as
  // spans like any other.
  virtual bool TakesSlotSamples() const { return false; }
  // count rows from y on, each the same runs (left to right, apart, inside
  // the clip, none without samples).
  virtual void SlotSampleRows(int y, int count, const SlotSamples* runs, std::size_t runCount) {}
};

class ScanConverter {
 public:
  static constexpr std::uint32_t NoSlot = 0xFFFFFFFFu;
  static constexpr std::size_t MaxEdges = std::size_t{1} << 19;
  // The sample rows all edges together may cross: the work of a drawing.
  static constexpr std::int64_t MaxEdgeRows = std::int64_t{1} << 26;
  static constexpr std::size_t MaxStacks = 512;
  static constexpr int MaxSide = 1 << 14;  // clip rectangle coordinates stay within 0 .. MaxSide

  // Starts a drawing: samplesPerSide is 1, 2 or 4; clip must lie within
  // 0 .. MaxSide. Slots all start as even-odd and opaque.
  void Reset(int samplesPerSide, const PixelRect& clip, std::uint32_t slotCount);
  void SetSlot(std::uint32_t slot, FillRule rule, bool opaque);

  // A segment as drawn: it bounds plus with winding +1 and minus with -1
  // (either may be NoSlot).
  void AddSegment(double x0, double y0, double x1, double y1, std::uint32_t plus, std::uint32_t minus);

  bool HasEdges() const { return !edges_.empty(); }
  // True when segments were dropped because MaxEdges or MaxEdgeRows was
  // reached.
  bool Overflowed() const { return overflowed_; }
  // Segments offered since Reset, kept or not.
  std::int64_t Offered() const { return offered_; }

  // Sweeps every row the edges reach and hands the covered ones to sink,
  // and returns the work done: a unit per edge per sample row, per crossing
  // swept, sorted or moved, per span and part assembled and per pixel handed
  // on. Once the work passes budget, the rows after the current one are
  // left out.
  std::int64_t Run(RowSink& sink, std::int64_t budget = INT64_MAX);

  // The slots of a stack, topmost first.
  const std::uint32_t* StackSlots(std::uint32_t stack, std::uint32_t* count) const;

  // With false, every drawing takes the general path, sample row by sample
  // row; the shortcuts for special shapes must give the same rows (for
  // tests that compare both).
  void UseShortcuts(bool on) { shortcuts_ = on; }

  int SamplesPerSide() const { return side_; }
  std::uint32_t SlotCount() const { return slotCount_; }

 private:
  struct Edge {
    std::int32_t firstRow;  // sample rows, counted from the top of the device
    std::int32_t endRow;
    std::int32_t sample;  // first sample column at or right of the crossing
    std::int32_t rem;     // how far past the crossing that column is, in 1/denom columns
    std::int32_t stepSamples;
    std::int32_t stepRem;
    std::int32_t denom;
    std::uint32_t positive;  // the slots whose winding the edge raises and lowers, left to right
    std::uint32_t negative;
  };
  struct Crossing {
    std::int32_t x;
    std::uint32_t slot;
    std::int32_t delta;
  };
  struct Transition {
    std::int32_t x;       // sample column
    std::uint32_t stack;  // the stack from there on
  };
  struct StackEntry {
    std::uint32_t offset;
    std::uint32_t count;
  };

  void AddClipped(double x0, double y0, double x1, double y1, std::uint32_t plus, std::uint32_t minus);
  void AddQuantized(std::int64_t xa, std::int64_t ya, std::int64_t xb, std::int64_t yb, std::uint32_t positive,
                    std::uint32_t negative);
  Transition* TransitionRoom(int j, std::size_t count);
  void EndTransitions(int j, std::size_t count);
  void CopyTransitions(int from, int to);
  std::int64_t RunUpright(RowSink& sink, std::int64_t budget, std::int64_t work);
  std::int64_t RunAligned(RowSink& sink, std::int64_t budget, std::int64_t work);
  // The current band's runs from the active borders, into slotRuns_ from
  // index at on: the count, and the work through *work.
  std::size_t SweepAligned(std::size_t at, std::int64_t* work);
  std::int64_t AdmitUpright(std::int32_t row, std::size_t* next);
  std::int64_t CrossUpright();
  void Sweep(int j) {
    if (slotCount_ <= 64) {
      SweepSmall(j);
    } else {
      SweepSampleRow(j);
    }
  }
  void SweepSampleRow(int j);
  void SweepSmall(int j);
  std::uint32_t CurrentStack();
  std::uint32_t Intern(const std::uint32_t* slots, std::uint32_t count);
  // The current pixel row's spans and parts from its sample rows'
  // transitions, into spans_ and parts_.
  void AssembleRow();
  template <int Side>
  void AssembleRowOf();
  void MakeRowRoom(int side);
  // The opaque path: a pixel row's crossings, all its sample rows' in one
  // list, then made into spans.
  template <bool Flips>
  std::int64_t CrossPixelRow(std::int32_t top, std::size_t* next, bool* vertical, bool* changed,
                             std::int32_t* firstEnd);
  std::int64_t Reorder();
  void AssembleOpaque();
  void AssembleOpaqueFew();
  template <int Slots>
  void AssembleOpaqueFewOf();
  // AssembleOpaqueFew from pixelFlips_ when every slot is even-odd; into
  // slotSamples_ rather than spans when direct.
  void AssembleFlips(bool direct);
  template <int Slots, bool Direct>
  void AssembleFlipsOf();
  // The same when every sample row of the pixel row has the transitions of
  // the first one.
  void AssembleUniform();
  template <int Side>
  void AssembleUniformOf();
  std::int32_t SteadyLimit(std::size_t next, std::int32_t firstEnd) const;
  int side_ = 1;
  int shift_ = 0;  // log2(side_)
  PixelRect clip_;
  std::uint32_t slotCount_ = 0;
  bool overflowed_ = false;
  bool upright_ = true;  // every edge kept so far is vertical
  bool aligned_ = true;  // and on pixel borders
  bool shortcuts_ = true;
  std::int64_t edgeRows_ = 0;
  std::int64_t offered_ = 0;
  std::int64_t firstEdgeRow_ = 0;  // sample rows the edges span
  std::int64_t endEdgeRow_ = 0;

  std::vector<Edge> edges_;
  std::vector<Edge> sorted_;  // edges_ by first row
  std::vector<std::uint32_t> rowStarts_;
  std::vector<std::uint32_t> rowFill_;
  std::vector<Edge> active_;
  std::vector<Edge> incoming_;
  std::vector<Edge> merged_;
  std::vector<Crossing> crossingRoom_;  // grows only; the current sample row's crossings first
  std::size_t crossingCount_ = 0;

  std::uint64_t evenOddBits_ = 0;  // the first 64 slots' rules and opacity as bits
  std::uint64_t opaqueBits_ = 0;
  std::vector<std::uint8_t> evenOdd_;
  std::vector<std::uint8_t> opaque_;
  std::vector<std::int32_t> winding_;
  std::vector<std::uint8_t> inside_;
  std::vector<std::uint32_t> insideSlots_;  // ascending
  std::vector<std::uint32_t> touched_;
  std::vector<std::uint32_t> stackScratch_;

  std::vector<std::uint32_t> singleSlots_;  // i at index i: the slots of single-slot stacks
  std::vector<std::uint32_t> stackData_;
  std::vector<StackEntry> stacks_;

  // The opaque path's crossings of a pixel row in column order, then an end
  // mark; slot holds slot * 4 + sample row.
  std::vector<Crossing> pixelCrossings_;
  // The same when every slot of at most four is even-odd: an edge's
  // crossings within one pixel as the bits they flip, so that a pixel an
  // edge passes through takes one entry rather than one per sample row and
  // side. The list is in pixel order, then an end mark.
  struct PixelFlip {
    std::int32_t x;        // pixel column
    std::uint32_t inside;  // bit row * 4 + slot
    std::uint64_t masks;   // bit slot * 16 + row * 4 + column
  };
  std::vector<PixelFlip> pixelFlips_;
  std::vector<SlotSamples> slotSamples_;  // the last row's, spanCount_ of them, when direct
  std::vector<std::int32_t> rowWinding_;  // slot * 4 + sample row, for non-zero slots; zero between rows
  std::vector<Transition> transitions_[4];  // room: each sample row's first, then an end mark
  std::size_t transitionCount_[4] = {0, 0, 0, 0};
  // The band's edges in column order: each its pixel column (clamped to
  // the clip, so not negative) above its index in sorted_, one word that
  // sorts by column and moves whole (an edge's fields written apart and
  // read back together stall).
  std::vector<std::uint64_t> borders_;
  // Bands swept and not yet handed on, their runs in slotRuns_.
  static constexpr std::size_t MaxHeldRuns = 4096;
  struct Band {
    std::int32_t y;
    std::int32_t count;
    std::size_t first;
    std::size_t runCount;
  };
  std::vector<Band> bands_;
  std::vector<SlotRun> slotRuns_;
  std::vector<RowSpan> spans_;  // room for a row's spans and their parts
  std::vector<CoveragePart> parts_;
  std::size_t spanCount_ = 0;  // the last row's
  std::int64_t rowWork_ = 0;
};

}  // namespace Halvane::Movie::Render
