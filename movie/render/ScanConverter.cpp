#include "movie/render/ScanConverter.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <type_traits>

#include "movie/render/BitScan.h"

namespace Halvane::Movie::Render {

namespace {

// Charges the first of count alike rows to work, and the rest only while
// the budget holds; answers how many rows are handed on at once.
int ChargeRows(int count, std::int64_t rowWork, std::int64_t budget, std::int64_t* work) {
  *work += rowWork;
  if (count <= 1) return count;
  if (*work > budget) return 1;
  *work += (count - 1) * rowWork;
  return count;
}

// Calls f with the sampling grid's side as a constant, so that the row
// assembly is compiled once per grid.
template <class F>
void WithSide(int side, F&& f) {
  if (side == 4) {
    f(std::integral_constant<int, 4>{});
  } else if (side == 2) {
    f(std::integral_constant<int, 2>{});
  } else {
    f(std::integral_constant<int, 1>{});
  }
}

constexpr int Unit = 256;  // quantisation steps per pixel

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {  // b > 0
  return a >= 0 ? a / b : -((-a + b - 1) / b);
}

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) { return -FloorDiv(-a, b); }

// CeilDiv by 2^bits, without a division (right shifts of negative numbers
// are arithmetic with every compiler we build with).
std::int64_t CeilShift(std::int64_t a, int bits) { return (a + (std::int64_t{1} << bits) - 1) >> bits; }

// Farther than this from the clip rectangle nothing changes but precision.
constexpr double Far = 1e12;

double Tame(double v) { return std::clamp(v, -Far, Far); }

// The nearest integer (halves up); v is within a few million here.
inline std::int64_t Round(double v) {
  const double up = v + 0.5;
  std::int64_t r = static_cast<std::int64_t>(up);  // towards zero
  if (static_cast<double>(r) > up) --r;            // so down for negatives
  return r;
}

}  // namespace

void ScanConverter::Reset(int samplesPerSide, const PixelRect& clip, std::uint32_t slotCount) {
  side_ = samplesPerSide >= 4 ? 4 : samplesPerSide >= 2 ? 2 : 1;
  shift_ = side_ == 4 ? 2 : side_ == 2 ? 1 : 0;
  clip_.left = std::clamp(clip.left, 0, MaxSide);
  clip_.top = std::clamp(clip.top, 0, MaxSide);
  clip_.right = std::clamp(clip.right, clip_.left, MaxSide);
  clip_.bottom = std::clamp(clip.bottom, clip_.top, MaxSide);
  slotCount_ = slotCount;
  overflowed_ = false;
  edgeRows_ = 0;
  offered_ = 0;
  firstEdgeRow_ = endEdgeRow_ = 0;
  edges_.clear();
  upright_ = true;
  aligned_ = true;
  evenOdd_.assign(slotCount, 1);
  opaque_.assign(slotCount, 1);
  evenOddBits_ = ~std::uint64_t{0};
  opaqueBits_ = ~std::uint64_t{0};
  winding_.assign(slotCount, 0);
  inside_.assign(slotCount, 0);
  if (singleSlots_.size() < slotCount) {
    singleSlots_.resize(slotCount);
    std::iota(singleSlots_.begin(), singleSlots_.end(), 0u);
  }
  stackData_.clear();
  stacks_.clear();
}

void ScanConverter::SetSlot(std::uint32_t slot, FillRule rule, bool opaque) {
  if (slot >= slotCount_) return;
  evenOdd_[slot] = rule == FillRule::EvenOdd ? 1 : 0;
  opaque_[slot] = opaque ? 1 : 0;
  if (slot < 64) {
    const std::uint64_t bit = std::uint64_t{1} << slot;
    evenOddBits_ = rule == FillRule::EvenOdd ? evenOddBits_ | bit : evenOddBits_ & ~bit;
    opaqueBits_ = opaque ? opaqueBits_ | bit : opaqueBits_ & ~bit;
  }
}

const std::uint32_t* ScanConverter::StackSlots(std::uint32_t stack, std::uint32_t* count) const {
  if (stack == 0) {
    *count = 0;
    return nullptr;
  }
  if (stack <= slotCount_) {
    *count = 1;
    return &singleSlots_[stack - 1];
  }
  const StackEntry& e = stacks_[stack - slotCount_ - 1];
  *count = e.count;
  return stackData_.data() + e.offset;
}

void ScanConverter::AddSegment(double x0, double y0, double x1, double y1, std::uint32_t plus, std::uint32_t minus) {
  ++offered_;
  if (plus >= slotCount_) plus = NoSlot;
  if (minus >= slotCount_) minus = NoSlot;
  if (plus == minus) return;  // bounds the same region on both sides: nothing
  if (y0 == y1) return;        // crosses no sample row (what the lines below come to)
  if (std::isnan(x0) || std::isnan(y0) || std::isnan(x1) || std::isnan(y1)) return;
  x0 = Tame(x0);
  y0 = Tame(y0);
  x1 = Tame(x1);
  y1 = Tame(y1);
  // Work top to bottom; a segment drawn upwards bounds its slots the other
  // way round.
  if (y0 > y1) {
    std::swap(x0, x1);
    std::swap(y0, y1);
    std::swap(plus, minus);
  }
  if (y0 == y1) return;  // crosses no sample row
  const double top = clip_.top;
  const double bottom = clip_.bottom;
  if (!(y1 > top) || !(y0 < bottom)) return;
  if (x0 == x1 && shortcuts_) {
    // Upright: what the clipping below comes to, without its divisions.
    const std::int64_t x = Round(std::clamp(x0, clip_.left - 1.0, clip_.right + 1.0) * Unit);
    AddQuantized(x, Round(std::max(y0, top) * Unit), x, Round(std::min(y1, bottom) * Unit), plus, minus);
    return;
  }
  const double dxdy = (x1 - x0) / (y1 - y0);
  if (y0 < top) {
    x0 += (top - y0) * dxdy;
    y0 = top;
  }
  if (y1 > bottom) {
    x1 -= (y1 - bottom) * dxdy;
    y1 = bottom;
  }
  AddClipped(x0, y0, x1, y1, plus, minus);
}

// The segment runs down within the clip's rows. Parts left or right of the
// clip move onto a vertical line one pixel outside it: crossings there count
// for every sample of the row to their right, as they did before.
void ScanConverter::AddClipped(double x0, double y0, double x1, double y1, std::uint32_t plus, std::uint32_t minus) {
  const double left = clip_.left - 1.0;
  const double right = clip_.right + 1.0;
  double cuts[4];
  int cutCount = 0;
  cuts[cutCount++] = 0.0;
  const double dx = x1 - x0;
  if (dx != 0.0) {
    const double tl = (left - x0) / dx;
    const double tr = (right - x0) / dx;
    if (tl > 0.0 && tl < 1.0) cuts[cutCount++] = tl;
    if (tr > 0.0 && tr < 1.0) cuts[cutCount++] = tr;
    if (cutCount == 3 && cuts[2] < cuts[1]) std::swap(cuts[1], cuts[2]);
  }
  cuts[cutCount++] = 1.0;
  const double dy = y1 - y0;
  double px = x0, py = y0;
  for (int i = 1; i < cutCount; ++i) {
    const double t = cuts[i];
    const double nx = i + 1 == cutCount ? x1 : x0 + dx * t;
    const double ny = i + 1 == cutCount ? y1 : y0 + dy * t;
    const double ax = std::clamp(px, left, right);
    const double bx = std::clamp(nx, left, right);
    AddQuantized(Round(ax * Unit), Round(py * Unit), Round(bx * Unit), Round(ny * Unit), plus, minus);
    px = nx;
    py = ny;
  }
}

void ScanConverter::AddQuantized(std::int64_t xa, std::int64_t ya, std::int64_t xb, std::int64_t yb,
                                 std::uint32_t positive, std::uint32_t negative) {
  if (yb <= ya) return;
  const std::int64_t pitch = Unit >> shift_;  // quantisation steps between samples
  const std::int64_t half = pitch / 2;
  // Sample row g lies at g * pitch + half: the rows with ya <= that < yb.
  const int pitchBits = 8 - shift_;
  const std::int64_t firstRow = CeilShift(ya - half, pitchBits);
  const std::int64_t endRow = CeilShift(yb - half, pitchBits);
  if (firstRow >= endRow) return;
  if (edges_.size() >= MaxEdges || edgeRows_ + (endRow - firstRow) > MaxEdgeRows) {
    overflowed_ = true;
    return;
  }
  if (edges_.empty() || firstRow < firstEdgeRow_) firstEdgeRow_ = firstRow;
  if (edges_.empty() || endRow > endEdgeRow_) endEdgeRow_ = endRow;
  edgeRows_ += endRow - firstRow;
  const std::int64_t dx = xb - xa;
  const std::int64_t dy = yb - ya;
  if (dx == 0) {
    // Upright: the crossing is the same on every row, and the general
    // formula below reduces to this without its divisions.
    const std::int64_t column = CeilShift(xa - half, pitchBits);
    aligned_ = aligned_ && ((column | firstRow | endRow) & (side_ - 1)) == 0;
    // Written into the list field by field: an edge made whole and copied
    // in stalls on the copy.
    edges_.emplace_back();
    Edge& e = edges_.back();
    e.firstRow = static_cast<std::int32_t>(firstRow);
    e.endRow = static_cast<std::int32_t>(endRow);
    e.sample = static_cast<std::int32_t>(column);
    e.rem = static_cast<std::int32_t>((column * pitch - (xa - half)) * dy);
    e.stepSamples = 0;
    e.stepRem = 0;
    e.denom = static_cast<std::int32_t>(pitch * dy);
    e.positive = positive;
    e.negative = negative;
    return;
  }
  upright_ = false;
  // Sample column i (at i * pitch + half) is at or right of the crossing of
  // row g when i * pitch * dy >= (yg - ya) * dx + (xa - half) * dy.
  const std::int64_t denom = pitch * dy;
  const std::int64_t rowY = firstRow * pitch + half;
  const std::int64_t m = (rowY - ya) * dx + (xa - half) * dy;
  const std::int64_t sample = CeilDiv(m, denom);
  const std::int64_t step = pitch * dx;
  const std::int64_t stepSamples = FloorDiv(step, denom);
  edges_.emplace_back();
  Edge& e = edges_.back();
  e.firstRow = static_cast<std::int32_t>(firstRow);
  e.endRow = static_cast<std::int32_t>(endRow);
  e.sample = static_cast<std::int32_t>(sample);
  e.rem = static_cast<std::int32_t>(sample * denom - m);
  e.stepSamples = static_cast<std::int32_t>(stepSamples);
  e.stepRem = static_cast<std::int32_t>(step - stepSamples * denom);
  e.denom = static_cast<std::int32_t>(denom);
  e.positive = positive;
  e.negative = negative;
}

namespace {

// A stable sort that allocates nothing for the short lists rows usually
// bring (std::stable_sort takes a buffer from the heap every time).
template <typename T, typename Less>
void StableSort(T* first, T* last, Less less) {
  if (last - first > 32) {
    std::stable_sort(first, last, less);
    return;
  }
  for (T* i = first + (first != last); i < last; ++i) {
    const T v = *i;
    T* k = i;
    for (; k > first && less(v, *(k - 1)); --k) *k = *(k - 1);
    *k = v;
  }
}

// The work of sorting n items: n times the bits of n.
std::int64_t SortWork(std::size_t n) {
  std::int64_t bits = 1;
  while ((std::size_t{1} << bits) < n) ++bits;
  return static_cast<std::int64_t>(n) * bits;
}

// Sorts items[0, count) by key, stably, when items[0, from) are in order
// already: insertion while items move a place or two; once the moves pass
// moveLimit (items crossing many others), a whole sort takes over. Returns
// the work done.
template <typename T, typename Key>
std::int64_t SortNearlyOrdered(T* items, std::size_t from, std::size_t count, std::size_t moveLimit, Key key) {
  std::size_t moves = 0;
  for (std::size_t i = std::max<std::size_t>(from, 1); i < count && moves <= moveLimit; ++i) {
    if (key(items[i - 1]) <= key(items[i])) continue;
    const T item = items[i];
    std::size_t k = i;
    do {
      items[k] = items[k - 1];
      --k;
      ++moves;
    } while (k > 0 && key(items[k - 1]) > key(item));
    items[k] = item;
  }
  std::int64_t work = static_cast<std::int64_t>(moves);
  if (moves > moveLimit) {
    std::stable_sort(items, items + count, [&key](const T& a, const T& b) { return key(a) < key(b); });
    work += SortWork(count);
  }
  return work;
}

}  // namespace

// Room for the transitions of sample row j within the current pixel row:
// one per distinct crossing at most, and the end mark.
inline ScanConverter::Transition* ScanConverter::TransitionRoom(int j, std::size_t count) {
  std::vector<Transition>& room = transitions_[j];
  if (room.size() < count + 1) room.resize(2 * count + 1);
  return room.data();
}

// Closes sample row j's list after count transitions with a mark no sample
// column reaches, so the merge needs no count checks.
inline void ScanConverter::EndTransitions(int j, std::size_t count) {
  Transition* const end = transitions_[j].data() + count;
  end->x = INT32_MAX;
  end->stack = 0;
  transitionCount_[j] = count;
}

inline void ScanConverter::CopyTransitions(int from, int to) {
  const std::size_t count = transitionCount_[from];
  Transition* const out = TransitionRoom(to, count);
  std::copy(transitions_[from].data(), transitions_[from].data() + count, out);
  EndTransitions(to, count);
}

// While the active edges are upright and none starts or ends, every sample
// row gives the same transitions: the last sample row that holds for, given
// the next edge to start and the first end row among the active edges.
inline std::int32_t ScanConverter::SteadyLimit(std::size_t next, std::int32_t firstEnd) const {
  return std::min(firstEnd - 1, next < sorted_.size() ? sorted_[next].firstRow : INT32_MAX);
}

std::int64_t ScanConverter::Run(RowSink& sink, std::int64_t budget) {
  if (edges_.empty() || clip_.Empty()) return 0;
  // Edges in order of their first sample row, ties in the order added.
  const std::int32_t firstRow = static_cast<std::int32_t>(firstEdgeRow_);
  const std::size_t rows = static_cast<std::size_t>(endEdgeRow_ - firstEdgeRow_);
  const std::size_t n = edges_.size();
  sorted_.resize(n);
  if (n <= 64 && n * n <= 4 * rows) {
    // A few edges over many rows (a rectangle, a glyph): an insertion sort
    // costs less than walking the rows.
    for (std::size_t i = 0; i < n; ++i) {
      const Edge& e = edges_[i];
      std::size_t k = i;
      for (; k > 0 && sorted_[k - 1].firstRow > e.firstRow; --k) sorted_[k] = sorted_[k - 1];
      sorted_[k] = e;
    }
  } else {
    // A counting sort, linear in the edges and the rows they span.
    rowStarts_.assign(rows + 1, 0);
    for (const Edge& e : edges_) ++rowStarts_[static_cast<std::size_t>(e.firstRow - firstRow) + 1];
    for (std::size_t r = 0; r < rows; ++r) rowStarts_[r + 1] += rowStarts_[r];
    std::vector<std::uint32_t>& fill = rowFill_;
    fill.assign(rowStarts_.begin(), rowStarts_.end() - 1);
    for (const Edge& e : edges_) sorted_[fill[static_cast<std::size_t>(e.firstRow - firstRow)]++] = e;
  }
  active_.clear();
  std::int64_t work = static_cast<std::int64_t>(edges_.size() + rows);
  if (upright_ && shortcuts_) {
    const std::uint64_t slots = slotCount_ >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << slotCount_) - 1;
    if (aligned_ && slotCount_ <= 64 && (opaqueBits_ & slots) == slots && sink.TakesSlotRuns()) {
      return RunAligned(sink, budget, work);
    }
    return RunUpright(sink, budget, work);
  }
  // Shapes of a few opaque slots: each pixel row's crossings go straight
  // into spans, without the sweep to transitions. Only on the 4 x 4 grid:
  // with two sample rows a pixel row (lines at high quality) the stroke
  // scenes ran slower so. A crossing of a slot hidden under a higher one
  // still makes its pixel a span of its own here, which the sweep would not.
  const std::uint64_t allSlots = slotCount_ >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << slotCount_) - 1;
  const bool opaque = shortcuts_ && side_ == 4 && slotCount_ <= 64 && (opaqueBits_ & allSlots) == allSlots;
  if (opaque && rowWinding_.size() < 4 * static_cast<std::size_t>(slotCount_)) rowWinding_.assign(4 * slotCount_, 0);
  const bool flips = opaque && slotCount_ <= 4 && (evenOddBits_ & allSlots) == allSlots;
  const bool direct = flips && sink.TakesSlotSamples();
  // The last row assembled, to count rows from y on.
  const auto hand = [&](std::int32_t row, int count) {
    if (spanCount_ == 0) return;
    if (direct) {
      sink.SlotSampleRows(row, count, slotSamples_.data(), spanCount_);
    } else if (count == 1) {
      sink.Row(row, spans_.data(), spanCount_, parts_.data());
    } else {
      sink.Rows(row, count, spans_.data(), spanCount_, parts_.data());
    }
  };
  std::size_t next = 0;
  std::int32_t y = sorted_[0].firstRow >> shift_;
  const std::int32_t minX = clip_.left << shift_;
  const std::int32_t maxX = clip_.right << shift_;
  // Rows of upright edges repeat: when the last pixel row's edges were all
  // vertical and none started or ended in it, every row after it gives the
  // same spans until an edge starts or ends, and the edges need no stepping.
  bool steady = false;
  std::int32_t steadyUntil = 0;  // the first sample row at which an active edge ends
  while (y < clip_.bottom && work <= budget) {
    if (active_.empty()) {
      if (next >= sorted_.size()) break;
      y = std::max(y, sorted_[next].firstRow >> shift_);
      if (y >= clip_.bottom) break;
    }
    if (steady) {
      // The rows whose sample rows all lie before the next edge starts and
      // before an active edge ends.
      const std::int32_t count = std::min(clip_.bottom, SteadyLimit(next, steadyUntil) >> shift_) - y;
      if (count > 0) {
        hand(y, count);
        work += count * rowWork_;
        y += count;
        continue;
      }
    }
    // Edges that start at the row's first sample row leave its sample rows
    // alike; any other start or end makes this row or the next differ.
    bool changed = false;
    bool vertical = false;  // every active edge, as of the last sample row swept
    bool dropped = false;       // that row was some edge's last
    std::int32_t firstEnd = 0;  // the first end row among the edges left
    for (int j = 0; j < side_; ++j) {
      const std::int32_t row = (y << shift_) + j;
      // New edges go where their crossing belongs in the active list, which
      // stays in crossing order.
      const std::size_t from = next;
      while (next < sorted_.size() && sorted_[next].firstRow <= row) ++next;
      const bool inserted = next > from;
      if (next == from + 1) {
        const Edge& e = sorted_[from];
        auto at = active_.end();
        while (at != active_.begin() && (at - 1)->sample > e.sample) --at;
        work += static_cast<std::int64_t>(active_.size());
        active_.insert(at, e);
      } else if (inserted) {
        // Many at once (a shape's edges entering the clip at its top):
        // sorted among themselves, then merged in.
        const auto bySample = [](const Edge& a, const Edge& b) { return a.sample < b.sample; };
        incoming_.assign(sorted_.begin() + static_cast<std::ptrdiff_t>(from),
                         sorted_.begin() + static_cast<std::ptrdiff_t>(next));
        StableSort(incoming_.data(), incoming_.data() + incoming_.size(), bySample);
        merged_.resize(active_.size() + incoming_.size());
        std::merge(active_.begin(), active_.end(), incoming_.begin(), incoming_.end(), merged_.begin(), bySample);
        active_.swap(merged_);
        work += static_cast<std::int64_t>(active_.size()) + SortWork(incoming_.size());
      }
      changed = changed || (inserted && j > 0);
      if (opaque) {
        // One visit of the edges makes all the pixel row's sample rows'
        // crossings.
        work += flips ? CrossPixelRow<true>(row, &next, &vertical, &changed, &firstEnd)
                      : CrossPixelRow<false>(row, &next, &vertical, &changed, &firstEnd);
        break;
      }
      if (j > 0 && !inserted && !dropped && vertical && firstEnd > row + 1) {
        // The same vertical edges as the sample row above, none ending here.
        CopyTransitions(j - 1, j);
        continue;
      }
      vertical = true;
      firstEnd = INT32_MAX;
      // One pass: each edge's crossing, then its step to the next sample
      // row, dropping the edges that end.
      // Written field by field through a pointer into room made first:
      // building each crossing whole and copying it in costs a stall per
      // crossing on common processors.
      if (crossingRoom_.size() < 2 * active_.size()) crossingRoom_.resize(4 * active_.size());
      Crossing* const first = crossingRoom_.data();
      Crossing* out = first;
      bool ordered = true;
      bool stepOrdered = true;  // the edges still in crossing order for the next sample row
      std::int32_t last = INT32_MIN;
      std::int32_t lastStepped = INT32_MIN;
      std::size_t kept = 0;
      const std::size_t activeCount = active_.size();
      Edge* const edges = active_.data();
      for (std::size_t i = 0; i < activeCount; ++i) {
        Edge& e = edges[i];
        const std::int32_t x = std::clamp(e.sample, minX, maxX);
        ordered = ordered && x >= last;
        last = x;
        if (e.positive != NoSlot) {
          out->x = x;
          out->slot = e.positive;
          out->delta = 1;
          ++out;
        }
        if (e.negative != NoSlot) {
          out->x = x;
          out->slot = e.negative;
          out->delta = -1;
          ++out;
        }
        if (e.endRow <= row + 1) continue;
        vertical = vertical && e.stepSamples == 0 && e.stepRem == 0;
        firstEnd = std::min(firstEnd, e.endRow);
        e.sample += e.stepSamples;
        e.rem -= e.stepRem;
        if (e.rem < 0) {
          ++e.sample;
          e.rem += e.denom;
        }
        stepOrdered = stepOrdered && e.sample >= lastStepped;
        lastStepped = e.sample;
        if (kept != i) edges[kept] = e;
        ++kept;
      }
      dropped = kept != activeCount;  // the next sample row differs
      changed = changed || dropped;
      active_.resize(kept);
      crossingCount_ = static_cast<std::size_t>(out - first);
      work += static_cast<std::int64_t>(activeCount + crossingCount_);
      if (!ordered) {
        // Edges crossed each other: sort this row's crossings, and the edges
        // for the rows to come. Rare, and nearly sorted when it happens.
        StableSort(first, out, [](const Crossing& a, const Crossing& b) { return a.x < b.x; });
        work += SortWork(crossingCount_);
      }
      if (!stepOrdered) work += Reorder();
      if (slotCount_ <= 64) {
        SweepSmall(j);
      } else {
        SweepSampleRow(j);
      }
    }
    if (flips) {
      AssembleFlips(direct);
    } else if (opaque && slotCount_ <= 4) {
      AssembleOpaqueFew();
    } else if (opaque) {
      AssembleOpaque();
    } else {
      AssembleRow();
    }
    work += rowWork_;
    steady = !changed && vertical;
    steadyUntil = firstEnd;
    // A row that starts a run of alike rows goes to the sink with them.
    int count = 1;
    if (steady && work <= budget) {
      const std::int32_t following = std::min(clip_.bottom, SteadyLimit(next, steadyUntil) >> shift_) - (y + 1);
      if (following > 0) {
        count += following;
        work += following * rowWork_;
      }
    }
    hand(y, count);
    y += count;
  }
  return work;
}

// Every edge upright: the active edges change only at the sample rows where
// one starts or ends. A pixel row none starts or ends inside has alike
// sample rows, swept once, and it repeats down to the next such row.
std::int64_t ScanConverter::RunUpright(RowSink& sink, std::int64_t budget, std::int64_t work) {
  const std::size_t total = sorted_.size();
  std::size_t next = 0;
  std::int32_t y = sorted_[0].firstRow >> shift_;
  while (y < clip_.bottom && work <= budget) {
    if (active_.empty()) {
      if (next >= total) break;
      y = std::max(y, sorted_[next].firstRow >> shift_);
      if (y >= clip_.bottom) break;
    }
    const std::int32_t top = y << shift_;
    work += AdmitUpright(top, &next);
    std::int32_t change = next < total ? sorted_[next].firstRow : INT32_MAX;
    for (const Edge& e : active_) change = std::min(change, e.endRow);
    int count = 1;
    if (change >= top + side_) {
      work += CrossUpright();
      Sweep(0);
      AssembleUniform();
      count = std::min(clip_.bottom, change >> shift_) - y;
    } else {
      for (int j = 0; j < side_; ++j) {
        if (j > 0 && top + j < change) {
          CopyTransitions(j - 1, j);
          continue;
        }
        if (j > 0) {
          work += AdmitUpright(top + j, &next);
          change = next < total ? sorted_[next].firstRow : INT32_MAX;
          for (const Edge& e : active_) change = std::min(change, e.endRow);
        }
        work += CrossUpright();
        Sweep(j);
      }
      AssembleRow();
    }
    count = ChargeRows(count, rowWork_, budget, &work);
    if (spanCount_ > 0) {
      if (count == 1) {
        sink.Row(y, spans_.data(), spanCount_, parts_.data());
      } else {
        sink.Rows(y, count, spans_.data(), spanCount_, parts_.data());
      }
    }
    y += count;
  }
  return work;
}

// The active edges of sample row row: those ended by then leave, those
// started by then join in crossing order. Returns the work.
std::int64_t ScanConverter::AdmitUpright(std::int32_t row, std::size_t* next) {
  std::size_t kept = 0;
  const std::size_t activeCount = active_.size();
  for (std::size_t i = 0; i < activeCount; ++i) {
    if (active_[i].endRow <= row) continue;
    if (kept != i) active_[kept] = active_[i];
    ++kept;
  }
  active_.resize(kept);
  const std::size_t from = *next;
  while (*next < sorted_.size() && sorted_[*next].firstRow <= row) ++*next;
  if (*next - from <= 8) {
    // One by one, each after the edges it does not precede: what the merge
    // below gives.
    for (std::size_t k = from; k < *next; ++k) {
      const Edge& e = sorted_[k];
      auto at = active_.end();
      while (at != active_.begin() && (at - 1)->sample > e.sample) --at;
      active_.insert(at, e);
    }
  } else {
    const auto bySample = [](const Edge& a, const Edge& b) { return a.sample < b.sample; };
    incoming_.assign(sorted_.begin() + static_cast<std::ptrdiff_t>(from),
                     sorted_.begin() + static_cast<std::ptrdiff_t>(*next));
    StableSort(incoming_.data(), incoming_.data() + incoming_.size(), bySample);
    merged_.resize(active_.size() + incoming_.size());
    std::merge(active_.begin(), active_.end(), incoming_.begin(), incoming_.end(), merged_.begin(), bySample);
    active_.swap(merged_);
    return static_cast<std::int64_t>(active_.size()) + SortWork(incoming_.size());
  }
  return static_cast<std::int64_t>(active_.size());
}

// The current sample row's crossings of the active upright edges, which are
// in crossing order already. Returns the work.
std::int64_t ScanConverter::CrossUpright() {
  const std::int32_t minX = clip_.left << shift_;
  const std::int32_t maxX = clip_.right << shift_;
  if (crossingRoom_.size() < 2 * active_.size()) crossingRoom_.resize(4 * active_.size());
  Crossing* out = crossingRoom_.data();
  for (const Edge& e : active_) {
    const std::int32_t x = std::clamp(e.sample, minX, maxX);
    if (e.positive != NoSlot) {
      out->x = x;
      out->slot = e.positive;
      out->delta = 1;
      ++out;
    }
    if (e.negative != NoSlot) {
      out->x = x;
      out->slot = e.negative;
      out->delta = -1;
      ++out;
    }
  }
  crossingCount_ = static_cast<std::size_t>(out - crossingRoom_.data());
  return static_cast<std::int64_t>(active_.size() + crossingCount_);
}

void ScanConverter::SweepSampleRow(int j) {
  Transition* const first = TransitionRoom(j, crossingCount_);
  Transition* out = first;
  std::uint32_t current = 0;
  std::size_t i = 0;
  const std::size_t count = crossingCount_;
  const Crossing* const crossings = crossingRoom_.data();
  while (i < count) {
    const std::int32_t x = crossings[i].x;
    for (; i < count && crossings[i].x == x; ++i) {
      const Crossing& c = crossings[i];
      const std::int32_t w = winding_[c.slot] += c.delta;
      if (w == c.delta) touched_.push_back(c.slot);
      const std::uint8_t in = evenOdd_[c.slot] ? static_cast<std::uint8_t>(w & 1) : static_cast<std::uint8_t>(w != 0);
      if (in != inside_[c.slot]) {
        inside_[c.slot] = in;
        const auto at = std::lower_bound(insideSlots_.begin(), insideSlots_.end(), c.slot);
        if (in) {
          insideSlots_.insert(at, c.slot);
        } else {
          insideSlots_.erase(at);
        }
      }
    }
    const std::uint32_t stack = CurrentStack();
    if (stack != current) {
      out->x = x;
      out->stack = stack;
      ++out;
      current = stack;
    }
  }
  EndTransitions(j, static_cast<std::size_t>(out - first));
  // Clipping can leave a row unbalanced on the right; start the next clean.
  for (const std::uint32_t slot : touched_) {
    winding_[slot] = 0;
    inside_[slot] = 0;
  }
  touched_.clear();
  insideSlots_.clear();
}

namespace {

// Calls body with a count of 1 to 4 slots as a constant, so that the
// few-slot paths are compiled for each count; more than 4 count as 4.
template <class Body>
void ForFewSlots(std::uint32_t slots, Body&& body) {
  switch (slots) {
    case 1:
      body(std::integral_constant<int, 1>());
      break;
    case 2:
      body(std::integral_constant<int, 2>());
      break;
    case 3:
      body(std::integral_constant<int, 3>());
      break;
    default:
      body(std::integral_constant<int, 4>());
      break;
  }
}

// Clipping can leave a row unbalanced on the right: the slots whose
// winding counts moved (four rows each) start the next row clean.
void ClearWindings(std::int32_t* winding, std::uint64_t touched) {
  for (std::uint64_t rest = touched; rest != 0; rest &= rest - 1) {
    std::int32_t* const w = winding + static_cast<std::uint32_t>(LowestBit(rest)) * 4;
    w[0] = w[1] = w[2] = w[3] = 0;
  }
}

// For the flips of at most four even-odd slots: a slot's bit, indexed by
// the slot plus one (NoSlot plus one is 0: no bit), ...
constexpr std::uint32_t SlotBit[5] = {0, 1, 2, 4, 8};
// ... a set of slots spread to bit slot * 16 ...
constexpr std::uint64_t SpreadOf(std::uint32_t slots) {
  std::uint64_t spread = 0;
  for (int slot = 0; slot < 4; ++slot) spread |= static_cast<std::uint64_t>(slots >> slot & 1) << (16 * slot);
  return spread;
}
constexpr std::uint64_t SpreadBits[16] = {
    SpreadOf(0),  SpreadOf(1),  SpreadOf(2),  SpreadOf(3),  SpreadOf(4),  SpreadOf(5),  SpreadOf(6),  SpreadOf(7),
    SpreadOf(8),  SpreadOf(9),  SpreadOf(10), SpreadOf(11), SpreadOf(12), SpreadOf(13), SpreadOf(14), SpreadOf(15)};
// ... and the samples of a pixel's row from a column on.
constexpr std::uint8_t FromColumn[4] = {0xF, 0xE, 0xC, 0x8};
// A sample row's four samples in the mask of the topmost of the slots
// inside there (bit slot * 16 + column), from the set of those slots.
constexpr std::uint64_t TopSlotRowOf(std::uint32_t slots) {
  int top = -1;
  for (int slot = 0; slot < 4; ++slot) top = slots >> slot & 1 ? slot : top;
  return top < 0 ? 0 : std::uint64_t{0xF} << (16 * top);
}
constexpr std::uint64_t TopSlotRow[16] = {
    TopSlotRowOf(0),  TopSlotRowOf(1),  TopSlotRowOf(2),  TopSlotRowOf(3),  TopSlotRowOf(4),  TopSlotRowOf(5),
    TopSlotRowOf(6),  TopSlotRowOf(7),  TopSlotRowOf(8),  TopSlotRowOf(9),  TopSlotRowOf(10), TopSlotRowOf(11),
    TopSlotRowOf(12), TopSlotRowOf(13), TopSlotRowOf(14), TopSlotRowOf(15)};

// A row's spans and parts as the opaque path makes them. Parts come in the
// order of their first sample, as AssembleRowOf makes them.
struct OpaqueRow {
  RowSpan* spans;
  CoveragePart* parts;
  std::uint32_t spanCount = 0;
  std::uint32_t partCount = 0;
  std::int64_t pixels = 0;
  std::uint32_t stackOf[16] = {};  // the pixel's parts: a part per sample at most
  std::uint32_t maskOf[16] = {};

  // The span from x0 to x1 of the first found parts.
  void Emit(std::int32_t x0, std::int32_t x1, int found) {
    const int count = std::min(found, 16);
    // Insertion by first sample: count is a handful at most.
    for (int a = 1; a < count; ++a) {
      const std::uint32_t st = stackOf[a], m = maskOf[a];
      const int low = LowestBit(m);
      int b = a;
      for (; b > 0 && LowestBit(maskOf[b - 1]) > low; --b) {
        stackOf[b] = stackOf[b - 1];
        maskOf[b] = maskOf[b - 1];
      }
      stackOf[b] = st;
      maskOf[b] = m;
    }
    RowSpan& span = spans[spanCount++];
    span.x0 = x0;
    span.x1 = x1;
    span.firstPart = partCount;
    span.partCount = static_cast<std::uint32_t>(count);
    for (int k = 0; k < count; ++k) {
      parts[partCount].stack = stackOf[k];
      parts[partCount].samples = maskOf[k];
      ++partCount;
    }
    pixels += x1 - x0;
  }

  static std::uint32_t Top(std::uint64_t set) {
    return set == 0 ? 0u : static_cast<std::uint32_t>(HighestBit(set)) + 1;
  }

  // A run: each of the four sample rows' stack across it, from the rows'
  // inside slots.
  void Run(std::int32_t x0, std::int32_t x1, const std::uint64_t* in) {
    if (in[0] == in[1] && in[0] == in[2] && in[0] == in[3]) {
      // The usual run: every sample row inside the same slots.
      const std::uint32_t stack = Top(in[0]);
      if (stack != 0) {
        stackOf[0] = stack;
        maskOf[0] = 0xFFFFu;
        Emit(x0, x1, 1);
      }
      return;
    }
    int count = 0;
    for (int j = 0; j < 4; ++j) {
      const std::uint32_t stack = Top(in[j]);
      if (stack == 0) continue;
      int k = 0;
      while (k < count && stackOf[k] != stack) ++k;
      if (k == count) {
        stackOf[count] = stack;
        maskOf[count++] = 0;
      }
      maskOf[k] |= 0xFu << (j * 4);
    }
    if (count > 0) Emit(x0, x1, count);
  }
};

}  // namespace

// The sweep for shapes of at most 64 slots, the usual case: which slots are
// inside is a bit set. Transitions are written field by field: building one
// whole and copying it in costs a stall per transition on common processors.
void ScanConverter::SweepSmall(int j) {
  Transition* const first = TransitionRoom(j, crossingCount_);
  Transition* out = first;
  std::uint64_t inside = 0;
  std::uint64_t touched = 0;
  std::uint32_t current = 0;
  std::size_t i = 0;
  const std::size_t count = crossingCount_;
  const Crossing* const crossings = crossingRoom_.data();
  while (i < count) {
    const std::int32_t x = crossings[i].x;
    for (; i < count && crossings[i].x == x; ++i) {
      const Crossing& c = crossings[i];
      const std::uint64_t bit = std::uint64_t{1} << c.slot;
      if (evenOddBits_ & bit) {
        inside ^= bit;
      } else {
        const std::int32_t w = winding_[c.slot] += c.delta;
        touched |= bit;
        inside = w != 0 ? inside | bit : inside & ~bit;
      }
    }
    std::uint32_t stack = 0;
    if (inside != 0) {
      const int top = HighestBit(inside);
      if (opaqueBits_ >> top & 1) {
        stack = static_cast<std::uint32_t>(top) + 1;
      } else {
        stackScratch_.clear();
        std::uint64_t rest = inside;
        for (;;) {
          const int slot = HighestBit(rest);
          stackScratch_.push_back(static_cast<std::uint32_t>(slot));
          rest &= ~(std::uint64_t{1} << slot);
          if ((opaqueBits_ >> slot & 1) || rest == 0) break;
        }
        stack = stackScratch_.size() == 1
                    ? static_cast<std::uint32_t>(top) + 1
                    : Intern(stackScratch_.data(), static_cast<std::uint32_t>(stackScratch_.size()));
      }
    }
    if (stack != current) {
      out->x = x;
      out->stack = stack;
      ++out;
      current = stack;
    }
  }
  EndTransitions(j, static_cast<std::size_t>(out - first));
  while (touched != 0) {
    const int slot = HighestBit(touched);
    winding_[static_cast<std::size_t>(slot)] = 0;
    touched &= ~(std::uint64_t{1} << slot);
  }
}

std::uint32_t ScanConverter::CurrentStack() {
  if (insideSlots_.empty()) return 0;
  const std::uint32_t top = insideSlots_.back();
  if (opaque_[top]) return top + 1;
  stackScratch_.clear();
  for (std::size_t k = insideSlots_.size(); k-- > 0;) {
    const std::uint32_t slot = insideSlots_[k];
    stackScratch_.push_back(slot);
    if (opaque_[slot]) break;
  }
  if (stackScratch_.size() == 1) return top + 1;
  return Intern(stackScratch_.data(), static_cast<std::uint32_t>(stackScratch_.size()));
}

std::uint32_t ScanConverter::Intern(const std::uint32_t* slots, std::uint32_t count) {
  for (std::size_t s = 0; s < stacks_.size(); ++s) {
    const StackEntry& e = stacks_[s];
    if (e.count == count && std::equal(slots, slots + count, stackData_.begin() + e.offset)) {
      return slotCount_ + 1 + static_cast<std::uint32_t>(s);
    }
  }
  // Past the cap a stack keeps only its topmost slot: drawn less exactly,
  // but bounded.
  if (stacks_.size() >= MaxStacks) return slots[0] + 1;
  stacks_.push_back(StackEntry{static_cast<std::uint32_t>(stackData_.size()), count});
  stackData_.insert(stackData_.end(), slots, slots + count);
  return slotCount_ + static_cast<std::uint32_t>(stacks_.size());
}

// Merges the sample rows' transitions into spans: a pixel where any sample
// row changes stack is a span of its own; between such pixels every pixel
// has the same stacks. Written through local pointers into room made first
// (a span per pixel and one between each two, each with a part per sample
// at most), so that the counts stay in registers.
void ScanConverter::AssembleRow() {
  WithSide(side_, [this](auto side) { AssembleRowOf<decltype(side)::value>(); });
}

// Room for the most spans a pixel row can make (every pixel an edge pixel
// between two runs) and for their parts, one per sample at most.
void ScanConverter::MakeRowRoom(int side) {
  const std::size_t width = static_cast<std::size_t>(clip_.right - clip_.left);
  const std::size_t maxSpans = 2 * width + 1;
  if (spans_.size() < maxSpans) spans_.resize(maxSpans);
  const std::size_t maxParts = maxSpans * static_cast<std::size_t>(side * side);
  if (parts_.size() < maxParts) parts_.resize(maxParts);
}

template <int Side>
void ScanConverter::AssembleRowOf() {
  constexpr int Shift = Side == 4 ? 2 : Side == 2 ? 1 : 0;
  MakeRowRoom(Side);
  RowSpan* const spans = spans_.data();
  CoveragePart* const parts = parts_.data();
  std::uint32_t spanCount = 0;
  std::uint32_t partCount = 0;
  std::uint32_t firstPart = 0;
  // Adds samples of stack to the span begun at firstPart.
  auto add = [&](std::uint32_t stack, std::uint32_t samples) {
    if (stack == 0) return;
    for (std::uint32_t p = firstPart; p < partCount; ++p) {
      if (parts[p].stack == stack) {
        parts[p].samples |= samples;
        return;
      }
    }
    parts[partCount].stack = stack;
    parts[partCount].samples = samples;
    ++partCount;
  };
  auto end = [&](std::int32_t x0, std::int32_t x1) {
    if (partCount == firstPart) return;
    RowSpan& span = spans[spanCount++];
    span.x0 = x0;
    span.x1 = x1;
    span.firstPart = firstPart;
    span.partCount = partCount - firstPart;
  };
  constexpr std::uint32_t rowBits = (1u << Side) - 1;
  constexpr std::uint32_t full = Side == 4 ? 0xFFFFu : Side == 2 ? 0xFu : 1u;
  std::uint32_t current[Side];
  // Each sample row's next transition; every list ends with a mark past
  // any sample column.
  const Transition* cursor[Side];
  for (int j = 0; j < Side; ++j) {
    current[j] = 0;
    cursor[j] = transitions_[j].data();
  }
  const std::int32_t right = clip_.right;
  std::int32_t pos = clip_.left;
  for (;;) {
    std::int32_t nextX = cursor[0]->x;
    for (int j = 1; j < Side; ++j) nextX = std::min(nextX, cursor[j]->x);
    const std::int32_t px = nextX == INT32_MAX ? right : std::min(nextX >> Shift, right);
    if (px > pos) {
      firstPart = partCount;
      bool alike = true;
      for (int j = 1; j < Side; ++j) alike = alike && current[j] == current[0];
      if (alike) {
        add(current[0], full);
      } else {
        for (int j = 0; j < Side; ++j) add(current[j], rowBits << (j * Side));
      }
      end(pos, px);
    }
    if (px >= right) break;
    // The pixel where something changes, row by row: each row's samples in
    // runs between its transitions.
    const std::int32_t base = px << Shift;
    firstPart = partCount;
    for (int j = 0; j < Side; ++j) {
      std::uint32_t stack = current[j];
      const Transition* c = cursor[j];
      int from = 0;
      for (; c->x < base + Side; ++c) {
        const int at = c->x - base;
        if (at > from) {
          add(stack, (rowBits >> (Side - (at - from))) << (j * Side + from));
          from = at;
        }
        stack = c->stack;
      }
      if (from < Side) add(stack, (rowBits >> from) << (j * Side + from));
      current[j] = stack;
      cursor[j] = c;
    }
    end(px, px + 1);
    pos = px + 1;
  }
  spanCount_ = spanCount;
  // A row's work: its spans, their parts and the pixels they cover.
  rowWork_ = static_cast<std::int64_t>(spanCount + partCount);
  for (std::uint32_t i = 0; i < spanCount; ++i) rowWork_ += spans[i].x1 - spans[i].x0;
}

// Edges that crossed move to their place; when they move far (many edges
// crossing many others), the list is sorted whole instead. Returns the work.
std::int64_t ScanConverter::Reorder() {
  return SortNearlyOrdered(active_.data(), 1, active_.size(), 8 * active_.size() + 64,
                           [](const Edge& e) { return e.sample; });
}

// The opaque path's pixel row from sample row top on, the edges starting
// at top already active: each edge gives its crossings on all the sample
// rows in one visit, stepping from row to row, and leaves at its end.
// Edges starting further down (from *next on) give theirs from their first
// row and join the active ones. As the sample-row-by-row pass does, it
// tells whether the edges left are all vertical, whether any came or left
// (changed) and the first end row among them.
//
// The crossings of all four sample rows go into one list in column order,
// each tagged with its row, so that assembling the row visits each pixel's
// crossings in one go. An edge's crossings move one way down its rows: an
// edge running left gives them bottom row first, which keeps each edge's
// in order and leaves only the edges that meet within a pixel to sort.
// Within a sample row the crossings stay in column order, which is all the
// winding count needs.
template <bool Flips>
std::int64_t ScanConverter::CrossPixelRow(std::int32_t top, std::size_t* next, bool* vertical, bool* changed,
                                          std::int32_t* firstEnd) {
  constexpr int Side = 4;
  const std::int32_t minX = clip_.left << shift_;
  const std::int32_t maxX = clip_.right << shift_;
  const std::size_t activeCount = active_.size();
  // Room: a crossing per row and side of an edge, or a flip per row.
  constexpr std::size_t PerEdge = Flips ? Side : 2 * Side;
  if (Flips) {
    if (pixelFlips_.size() < PerEdge * activeCount + 1) pixelFlips_.resize(2 * PerEdge * activeCount + 1);
  } else {
    if (pixelCrossings_.size() < PerEdge * activeCount + 1) pixelCrossings_.resize(2 * PerEdge * activeCount + 1);
  }
  Crossing* out = pixelCrossings_.data();
  PixelFlip* flipOut = pixelFlips_.data();
  // Writes the crossings of an edge on rows first .. end - 1, whose columns
  // are in xs, in column order.
  // Whether the list is in order so far: each edge's own crossings are, so
  // only where one edge's follow another's needs a look.
  bool ordered = true;
  std::int32_t lastX = INT32_MIN;
  const auto put = [&](const std::int32_t* xs, int first, int end, bool leftwards, std::uint32_t positive,
                       std::uint32_t negative) {
    if (Flips) {
      // Both sides flip their slots alike under the even-odd rule: the
      // edge's rows within a pixel are one entry, made in row order and
      // turned round for an edge running left.
      const std::uint32_t slots = SlotBit[positive + 1] ^ SlotBit[negative + 1];
      const std::uint64_t spread = SpreadBits[slots];
      PixelFlip* const start = flipOut;
      std::int32_t pixel = xs[first] >> 2;
      std::uint32_t rows = 0;     // bit row * 4
      std::uint32_t samples = 0;  // bit row * 4 + column
      for (int j = first; j < end; ++j) {
        const std::int32_t x = xs[j];
        if (x >> 2 != pixel) {
          flipOut->x = pixel;
          flipOut->inside = rows * slots;
          flipOut->masks = samples * spread;
          ++flipOut;
          pixel = x >> 2;
          rows = samples = 0;
        }
        rows |= 1u << (4 * j);
        samples |= std::uint32_t{FromColumn[x & 3]} << (4 * j);
      }
      flipOut->x = pixel;
      flipOut->inside = rows * slots;
      flipOut->masks = samples * spread;
      ++flipOut;
      if (leftwards && flipOut - start > 1) std::reverse(start, flipOut);
      ordered = ordered && start->x >= lastX;
      lastX = (flipOut - 1)->x;
      return;
    }
    if (positive == NoSlot && negative == NoSlot) return;
    ordered = ordered && (leftwards ? xs[end - 1] : xs[first]) >= lastX;
    lastX = leftwards ? xs[first] : xs[end - 1];
    for (int k = first; k < end; ++k) {
      const int j = leftwards ? end - 1 - (k - first) : k;
      const std::int32_t x = xs[j];
      if (positive != NoSlot) {
        out->x = x;
        out->slot = positive * 4 + static_cast<std::uint32_t>(j);
        out->delta = 1;
        ++out;
      }
      if (negative != NoSlot) {
        out->x = x;
        out->slot = negative * 4 + static_cast<std::uint32_t>(j);
        out->delta = -1;
        ++out;
      }
    }
  };
  bool upright = true;
  bool stepOrdered = true;
  std::int32_t lastStepped = INT32_MIN;
  std::int32_t end = INT32_MAX;
  std::size_t kept = 0;
  Edge* const edges = active_.data();
  for (std::size_t i = 0; i < activeCount; ++i) {
    // The fields in locals: stores of crossings could otherwise change
    // them for all the compiler knows, and whole edges stored back stall.
    Edge& e = edges[i];
    const std::int32_t endRow = e.endRow;
    const std::int32_t stepSamples = e.stepSamples, stepRem = e.stepRem, denom = e.denom;
    std::int32_t sample = e.sample, rem = e.rem;
    const int rows = static_cast<int>(std::min<std::int64_t>(Side, static_cast<std::int64_t>(endRow) - top));
    std::int32_t xs[Side];
    // One step past an edge's last row is harmless: the edge is dropped.
    const auto step = [&](int j) {
      xs[j] = std::clamp(sample, minX, maxX);
      sample += stepSamples;
      rem -= stepRem;
      const std::int32_t borrow = rem < 0 ? 1 : 0;
      sample += borrow;
      rem += denom & -borrow;
    };
    if (rows == Side) {
      // The usual edge, through the whole pixel row: the rows unrolled.
      for (int j = 0; j < Side; ++j) step(j);
      put(xs, 0, Side, stepSamples < 0, e.positive, e.negative);
    } else {
      // An active edge reaches the row's first sample row at least.
      int j = 0;
      do {
        step(j);
      } while (++j < rows);
      put(xs, 0, rows, stepSamples < 0, e.positive, e.negative);
    }
    if (endRow <= top + Side) continue;
    upright = upright && stepSamples == 0 && stepRem == 0;
    end = std::min(end, endRow);
    stepOrdered = stepOrdered && sample >= lastStepped;
    lastStepped = sample;
    e.sample = sample;
    e.rem = rem;
    if (kept != i) edges[kept] = e;
    ++kept;
  }
  *changed = *changed || kept != activeCount;
  active_.resize(kept);
  std::int64_t work = static_cast<std::int64_t>(activeCount) * Side;
  for (; *next < sorted_.size() && sorted_[*next].firstRow < top + Side; ++*next) {
    Edge e = sorted_[*next];
    *changed = true;
    const int first = std::max(e.firstRow - top, 0);
    const int rows = static_cast<int>(std::min<std::int64_t>(Side, static_cast<std::int64_t>(e.endRow) - top));
    std::int32_t xs[Side] = {};  // first < rows: the edge starts above its end
    for (int j = first; j < rows; ++j) {
      xs[j] = std::clamp(e.sample, minX, maxX);
      e.sample += e.stepSamples;
      e.rem -= e.stepRem;
      if (e.rem < 0) {
        ++e.sample;
        e.rem += e.denom;
      }
    }
    if (Flips) {
      const std::size_t at = static_cast<std::size_t>(flipOut - pixelFlips_.data());
      if (pixelFlips_.size() < at + PerEdge + 1) {
        pixelFlips_.resize(2 * (at + PerEdge) + 1);
        flipOut = pixelFlips_.data() + at;
      }
    } else {
      const std::size_t at = static_cast<std::size_t>(out - pixelCrossings_.data());
      if (pixelCrossings_.size() < at + PerEdge + 1) {
        pixelCrossings_.resize(2 * (at + PerEdge) + 1);
        out = pixelCrossings_.data() + at;
      }
    }
    put(xs, first, rows, e.stepSamples < 0, e.positive, e.negative);
    work += Side;
    if (e.endRow <= top + Side) continue;
    upright = upright && e.stepSamples == 0 && e.stepRem == 0;
    end = std::min(end, e.endRow);
    stepOrdered = stepOrdered && e.sample >= lastStepped;
    lastStepped = e.sample;
    active_.push_back(e);
  }
  *vertical = upright;
  *firstEnd = end;
  if (Flips) {
    PixelFlip* const first = pixelFlips_.data();
    const std::size_t count = static_cast<std::size_t>(flipOut - first);
    work += static_cast<std::int64_t>(count);
    // Within a pixel the order does not matter: flips commute.
    work += SortNearlyOrdered(first, ordered ? count : 1, count, 4 * count + 64, [](const PixelFlip& f) { return f.x; });
    first[count].x = INT32_MAX;
  } else {
    Crossing* const first = pixelCrossings_.data();
    const std::size_t count = static_cast<std::size_t>(out - first);
    work += static_cast<std::int64_t>(count);
    // Edges meeting in a pixel move a place or two.
    work += SortNearlyOrdered(first, ordered ? count : 1, count, 4 * count + 64,
                              [](const Crossing& c) { return c.x; });
    first[count].x = INT32_MAX;
  }
  if (!stepOrdered) work += Reorder();
  return work;
}

// The spans of a pixel row straight from its crossings, when every slot is
// opaque: a sample's stack is then its topmost inside slot. Where a pixel
// holds crossings, each slot's inside samples are a mask, flipped from a
// crossing's column rightwards along its row; the slots from the top down
// then take the samples no higher slot has. Parts come in the order of
// their first sample, as AssembleRowOf makes them.
void ScanConverter::AssembleOpaque() {
  constexpr int Side = 4;
  constexpr int Shift = 2;
  MakeRowRoom(Side);
  OpaqueRow out;
  out.spans = spans_.data();
  out.parts = parts_.data();
  constexpr std::uint32_t rowBits = (1u << Side) - 1;
  constexpr std::uint32_t full = 0xFFFFu;
  std::uint64_t inside[Side] = {0, 0, 0, 0};
  std::uint64_t touched = 0;  // the non-zero slots whose winding counts moved
  std::int32_t* const winding = rowWinding_.data();  // slot * 4 + row
  const Crossing* c = pixelCrossings_.data();
  const std::int32_t right = clip_.right;
  std::int32_t pos = clip_.left;  // where the run not handed on yet starts
  for (;;) {
    const std::int32_t nextX = c->x;
    const std::int32_t px = nextX == INT32_MAX ? right : std::min(nextX >> Shift, right);
    if (px >= right) {
      if (right > pos) out.Run(pos, right, inside);
      break;
    }
    const std::uint64_t was[Side] = {inside[0], inside[1], inside[2], inside[3]};
    // The pixel holding crossings: each slot's mask of inside samples.
    const std::int32_t base = px << Shift;
    std::uint64_t involved = inside[0] | inside[1] | inside[2] | inside[3];
    const bool alike = inside[0] == inside[1] && inside[0] == inside[2] && inside[0] == inside[3];
    bool flipped = false;
    std::uint32_t masks[64];
    for (std::uint64_t rest = involved; rest != 0; rest &= rest - 1) {
      const int slot = LowestBit(rest);
      std::uint32_t m = full;
      if (!alike) {
        m = 0;
        for (int j = 0; j < Side; ++j) m |= static_cast<std::uint32_t>(inside[j] >> slot & 1) * (rowBits << (j * Side));
      }
      masks[slot] = m;
    }
    for (; c->x < base + Side; ++c) {
      const std::uint32_t slot = c->slot >> 2;
      const std::uint32_t j = c->slot & 3;
      const std::uint64_t bit = std::uint64_t{1} << slot;
      if (!(involved & bit)) {
        involved |= bit;
        masks[slot] = 0;
      }
      bool flip = true;
      if (!(evenOddBits_ & bit)) {
        std::int32_t& w = winding[c->slot];
        w += c->delta;
        touched |= bit;
        flip = (w != 0) != ((inside[j] & bit) != 0);
      }
      if (flip) {
        inside[j] ^= bit;
        masks[slot] ^= (rowBits << (c->x - base) & rowBits) << (j * Side);
        flipped = true;
      }
    }
    // Crossings that change no slot's inside samples (a winding from 1 to
    // 2) leave the pixel to the run, as the sweep leaves it.
    if (!flipped) continue;
    if (px > pos) out.Run(pos, px, was);
    int count = 0;
    std::uint32_t covered = 0;
    while (involved != 0) {
      const int slot = HighestBit(involved);
      involved &= ~(std::uint64_t{1} << slot);
      const std::uint32_t m = masks[slot] & ~covered;
      if (m == 0) continue;
      covered |= m;
      out.stackOf[count] = static_cast<std::uint32_t>(slot) + 1;
      out.maskOf[count++] = m;
      if (covered == full) break;
    }
    if (count > 0) out.Emit(px, px + 1, count);
    pos = px + 1;
  }
  ClearWindings(winding, touched);
  spanCount_ = out.spanCount;
  rowWork_ = static_cast<std::int64_t>(out.spanCount + out.partCount) + out.pixels;
}

// AssembleOpaque for shapes of at most four slots, the usual case: which
// slots are inside on the four sample rows is one 16-bit set (bit row * 4 +
// slot) and a pixel's masks of all the slots one 64-bit word (slot * 16 +
// sample), so crossings change registers rather than arrays in memory.
// Compiled for each count of slots, so that a pixel's masks are made and
// read for the slots there are only (two in most shapes).
void ScanConverter::AssembleOpaqueFew() {
  ForFewSlots(slotCount_, [this](auto slots) { AssembleOpaqueFewOf<decltype(slots)::value>(); });
}

template <int Slots>
void ScanConverter::AssembleOpaqueFewOf() {
  constexpr int Shift = 2;
  MakeRowRoom(4);
  OpaqueRow out;
  out.spans = spans_.data();
  out.parts = parts_.data();
  std::uint32_t inside = 0;
  std::uint32_t touched = 0;  // the non-zero slots whose winding counts moved
  std::int32_t* const winding = rowWinding_.data();  // slot * 4 + row
  const std::uint32_t evenOdd = static_cast<std::uint32_t>(evenOddBits_ & 0xFu);
  const Crossing* c = pixelCrossings_.data();
  const auto run = [&out](std::int32_t x0, std::int32_t x1, std::uint32_t set) {
    if (Slots == 1) {
      // The one slot's rows: its bit in each row's nibble spread over the
      // nibble is the part's mask, as Run would make it.
      if (set == 0) return;
      out.stackOf[0] = 1;
      out.maskOf[0] = set * 0xFu;
      out.Emit(x0, x1, 1);
      return;
    }
    const std::uint64_t in[4] = {set & 0xFu, set >> 4 & 0xFu, set >> 8 & 0xFu, set >> 12 & 0xFu};
    out.Run(x0, x1, in);
  };
  const std::int32_t right = clip_.right;
  std::int32_t pos = clip_.left;  // where the run not handed on yet starts
  for (;;) {
    const std::int32_t nextX = c->x;
    const std::int32_t px = nextX == INT32_MAX ? right : std::min(nextX >> Shift, right);
    if (px >= right) {
      if (right > pos) run(pos, right, inside);
      break;
    }
    const std::uint32_t was = inside;
    const std::int32_t base = px << Shift;
    // Each slot's inside samples: its bit on a row spread over the row's
    // four samples.
    std::uint64_t masks = 0;
    for (std::uint32_t slot = 0; slot < Slots; ++slot) {
      masks |= static_cast<std::uint64_t>((inside >> slot & 0x1111u) * 0xFu) << (16 * slot);
    }
    bool flipped = false;
    for (; c->x < base + 4; ++c) {
      // A shape of one slot has nothing but slot 0's crossings.
      const std::uint32_t slot = Slots == 1 ? 0u : c->slot >> 2;
      const std::uint32_t j = c->slot & 3;
      const std::uint32_t bit = 1u << (j * 4 + slot);
      bool flip = true;
      if (!(evenOdd >> slot & 1)) {
        std::int32_t& w = winding[c->slot];
        w += c->delta;
        touched |= 1u << slot;
        flip = (w != 0) != ((inside & bit) != 0);
      }
      if (flip) {
        inside ^= bit;
        // The samples from the crossing's column on, in its row's nibble of
        // its slot's mask: slot * 16 + row * 4 is four times c->slot.
        masks ^= static_cast<std::uint64_t>(0xFu << (c->x - base) & 0xFu) << (4 * c->slot);
        flipped = true;
      }
    }
    // Crossings that change no slot's inside samples (a winding from 1 to
    // 2) leave the pixel to the run, as the sweep leaves it.
    if (!flipped) continue;
    if (px > pos) run(pos, px, was);
    int count = 0;
    std::uint32_t covered = 0;
    for (int slot = Slots - 1; slot >= 0; --slot) {
      const std::uint32_t m = static_cast<std::uint32_t>(masks >> (16 * slot)) & 0xFFFFu & ~covered;
      if (m == 0) continue;
      covered |= m;
      out.stackOf[count] = static_cast<std::uint32_t>(slot) + 1;
      out.maskOf[count++] = m;
      if (covered == 0xFFFFu) break;
    }
    if (count > 0) out.Emit(px, px + 1, count);
    pos = px + 1;
  }
  ClearWindings(winding, touched);
  spanCount_ = out.spanCount;
  rowWork_ = static_cast<std::int64_t>(out.spanCount + out.partCount) + out.pixels;
}

void ScanConverter::AssembleFlips(bool direct) {
  ForFewSlots(slotCount_, [this, direct](auto slots) {
    if (direct) AssembleFlipsOf<decltype(slots)::value, true>();
    else AssembleFlipsOf<decltype(slots)::value, false>();
  });
}

// AssembleOpaqueFewOf from flips: with no winding to count, a pixel's
// crossings are what they flip, taken whole. Direct, a pixel's or run's
// slots and samples go out as one word, without parts to order or read
// back.
template <int Slots, bool Direct>
void ScanConverter::AssembleFlipsOf() {
  OpaqueRow out;
  SlotSamples* runs = nullptr;
  if (Direct) {
    const std::size_t most = 2 * static_cast<std::size_t>(clip_.right - clip_.left) + 1;
    if (slotSamples_.size() < most) slotSamples_.resize(most);
    runs = slotSamples_.data();
  } else {
    MakeRowRoom(4);
    out.spans = spans_.data();
    out.parts = parts_.data();
  }
  std::int64_t pixels = 0;
  std::uint32_t inside = 0;
  const PixelFlip* f = pixelFlips_.data();
  const auto run = [&out, &runs, &pixels](std::int32_t x0, std::int32_t x1, std::uint32_t set) {
    if (Direct) {
      // Each sample row shows its topmost inside slot.
      std::uint64_t masks = 0;
      if (Slots == 1) {
        masks = set * 0xFu;
      } else {
        masks = TopSlotRow[set & 0xFu] | TopSlotRow[set >> 4 & 0xFu] << 4 | TopSlotRow[set >> 8 & 0xFu] << 8 |
                TopSlotRow[set >> 12 & 0xFu] << 12;
      }
      if (masks == 0) return;
      runs->x0 = x0;
      runs->x1 = x1;
      runs->masks = masks;
      ++runs;
      pixels += x1 - x0;
      return;
    }
    if (Slots == 1) {
      if (set == 0) return;
      out.stackOf[0] = 1;
      out.maskOf[0] = set * 0xFu;
      out.Emit(x0, x1, 1);
      return;
    }
    const std::uint64_t in[4] = {set & 0xFu, set >> 4 & 0xFu, set >> 8 & 0xFu, set >> 12 & 0xFu};
    out.Run(x0, x1, in);
  };
  const std::int32_t right = clip_.right;
  std::int32_t pos = clip_.left;  // where the run not handed on yet starts
  for (;;) {
    const std::int32_t px = std::min(f->x, right);
    if (px >= right) {
      if (right > pos) run(pos, right, inside);
      break;
    }
    const std::uint32_t was = inside;
    std::uint64_t masks = 0;
    for (std::uint32_t slot = 0; slot < Slots; ++slot) {
      masks |= static_cast<std::uint64_t>((inside >> slot & 0x1111u) * 0xFu) << (16 * slot);
    }
    do {
      inside ^= f->inside;
      masks ^= f->masks;
      ++f;
    } while (f->x == px);
    if (px > pos) run(pos, px, was);
    pos = px + 1;
    if (Direct) {
      // A sample shows the topmost slot it is inside.
      std::uint64_t shown = masks & (std::uint64_t{0xFFFF} << (16 * (Slots - 1)));
      std::uint32_t covered = static_cast<std::uint32_t>(shown >> (16 * (Slots - 1)));
      for (int slot = Slots - 2; slot >= 0; --slot) {
        const std::uint32_t m = static_cast<std::uint32_t>(masks >> (16 * slot)) & 0xFFFFu & ~covered;
        covered |= m;
        shown |= static_cast<std::uint64_t>(m) << (16 * slot);
      }
      if (shown == 0) continue;
      runs->x0 = px;
      runs->x1 = px + 1;
      runs->masks = shown;
      ++runs;
      ++pixels;
      continue;
    }
    int count = 0;
    std::uint32_t covered = 0;
    for (int slot = Slots - 1; slot >= 0; --slot) {
      const std::uint32_t m = static_cast<std::uint32_t>(masks >> (16 * slot)) & 0xFFFFu & ~covered;
      if (m == 0) continue;
      covered |= m;
      out.stackOf[count] = static_cast<std::uint32_t>(slot) + 1;
      out.maskOf[count++] = m;
      if (covered == 0xFFFFu) break;
    }
    if (count > 0) out.Emit(px, px + 1, count);
  }
  if (Direct) {
    spanCount_ = static_cast<std::size_t>(runs - slotSamples_.data());
    rowWork_ = static_cast<std::int64_t>(2 * spanCount_) + pixels;
  } else {
    spanCount_ = out.spanCount;
    rowWork_ = static_cast<std::int64_t>(out.spanCount + out.partCount) + out.pixels;
  }
}

void ScanConverter::AssembleUniform() {
  WithSide(side_, [this](auto side) { AssembleUniformOf<decltype(side)::value>(); });
}

// AssembleRowOf with every sample row alike: a pixel's parts are the first
// row's, each column set repeated down the rows.
template <int Side>
void ScanConverter::AssembleUniformOf() {
  constexpr int Shift = Side == 4 ? 2 : Side == 2 ? 1 : 0;
  MakeRowRoom(Side);
  RowSpan* const spans = spans_.data();
  CoveragePart* const parts = parts_.data();
  std::uint32_t spanCount = 0;
  std::uint32_t partCount = 0;
  std::int64_t pixels = 0;
  constexpr std::uint32_t rowBits = (1u << Side) - 1;
  constexpr std::uint32_t full = Side == 4 ? 0xFFFFu : Side == 2 ? 0xFu : 1u;
  constexpr std::uint32_t down = Side == 4 ? 0x1111u : Side == 2 ? 0x5u : 1u;  // times a column set: every row's
  const Transition* c = transitions_[0].data();
  std::uint32_t current = 0;
  const std::int32_t right = clip_.right;
  std::int32_t pos = clip_.left;
  for (;;) {
    const std::int32_t px = c->x == INT32_MAX ? right : std::min(c->x >> Shift, right);
    if (px > pos && current != 0) {
      parts[partCount].stack = current;
      parts[partCount].samples = full;
      RowSpan& span = spans[spanCount++];
      span.x0 = pos;
      span.x1 = px;
      span.firstPart = partCount++;
      span.partCount = 1;
      pixels += px - pos;
    }
    if (px >= right) break;
    const std::int32_t base = px << Shift;
    const std::uint32_t firstPart = partCount;
    auto add = [&](std::uint32_t stack, std::uint32_t columns) {
      if (stack == 0) return;
      for (std::uint32_t p = firstPart; p < partCount; ++p) {
        if (parts[p].stack == stack) {
          parts[p].samples |= columns;
          return;
        }
      }
      parts[partCount].stack = stack;
      parts[partCount].samples = columns;
      ++partCount;
    };
    std::uint32_t stack = current;
    int from = 0;
    for (; c->x < base + Side; ++c) {
      const int at = c->x - base;
      if (at > from) {
        add(stack, (rowBits >> (Side - (at - from))) << from);
        from = at;
      }
      stack = c->stack;
    }
    if (from < Side) add(stack, (rowBits >> from) << from);
    current = stack;
    if (partCount > firstPart) {
      for (std::uint32_t p = firstPart; p < partCount; ++p) parts[p].samples *= down;
      RowSpan& span = spans[spanCount++];
      span.x0 = px;
      span.x1 = px + 1;
      span.firstPart = firstPart;
      span.partCount = partCount - firstPart;
      ++pixels;
    }
    pos = px + 1;
  }
  spanCount_ = spanCount;
  rowWork_ = static_cast<std::int64_t>(spanCount + partCount) + pixels;
}

// Upright edges on pixel borders and opaque slots: a band of rows between
// the rows where edges start or end is one row of whole-pixel runs, swept
// once in pixels and handed on for all its rows.
//
// The bands are swept ahead and handed on in batches: the fills of a band
// write more than the first-level cache holds, so a sweep right after one
// would find its edges and borders gone from it.
std::int64_t ScanConverter::RunAligned(RowSink& sink, std::int64_t budget, std::int64_t work) {
  const std::size_t total = sorted_.size();
  const Edge* const sorted = sorted_.data();
  std::size_t next = 0;
  borders_.clear();
  bands_.clear();
  std::size_t runsHeld = 0;
  const auto handOn = [&] {
    for (const Band& band : bands_) sink.SlotRuns(band.y, band.count, slotRuns_.data() + band.first, band.runCount);
    bands_.clear();
    runsHeld = 0;
  };
  std::int32_t y = sorted[0].firstRow >> shift_;
  while (y < clip_.bottom && work <= budget) {
    const std::int32_t top = y << shift_;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < borders_.size(); ++i) {
      if (sorted[borders_[i] & 0xFFFFFFFFu].endRow > top) borders_[kept++] = borders_[i];
    }
    borders_.resize(kept);
    // Kept in column order; ties in any order, as windings add up alike.
    for (; next < total && sorted[next].firstRow <= top; ++next) {
      const std::uint64_t column = static_cast<std::uint32_t>(std::clamp(sorted[next].sample >> shift_, clip_.left,
                                                                         clip_.right));
      const std::uint64_t b = column << 32 | next;
      borders_.push_back(b);
      std::size_t at = borders_.size() - 1;
      for (; at > 0 && borders_[at - 1] > b; --at) borders_[at] = borders_[at - 1];
      borders_[at] = b;
    }
    if (borders_.empty()) {
      if (next >= total) break;
      y = sorted[next].firstRow >> shift_;
      continue;
    }
    std::int32_t change = next < total ? sorted[next].firstRow : INT32_MAX;
    for (const std::uint64_t b : borders_) change = std::min(change, sorted[b & 0xFFFFFFFFu].endRow);
    int count = std::min(clip_.bottom, change >> shift_) - y;
    std::int64_t rowWork = static_cast<std::int64_t>(borders_.size());
    // A batch holds a bounded number of runs, whatever the edges.
    if (runsHeld + borders_.size() + 1 > MaxHeldRuns) handOn();
    const std::size_t runCount = SweepAligned(runsHeld, &rowWork);
    count = ChargeRows(count, rowWork, budget, &work);
    if (runCount > 0) {
      // Field by field into the list: a band made whole and copied in
      // stalls on the copy.
      bands_.emplace_back();
      Band& band = bands_.back();
      band.y = y;
      band.count = count;
      band.first = runsHeld;
      band.runCount = runCount;
      runsHeld += runCount;
    }
    y += count;
  }
  handOn();
  return work;
}

std::size_t ScanConverter::SweepAligned(std::size_t at, std::int64_t* work) {
  const std::size_t n = borders_.size();
  if (slotRuns_.size() < at + n + 1) slotRuns_.resize(2 * (at + n + 1));
  SlotRun* const first = slotRuns_.data() + at;
  SlotRun* out = first;
  const std::uint64_t* const borders = borders_.data();
  const Edge* const edges = sorted_.data();
  std::uint64_t inside = 0;
  std::uint64_t touched = 0;
  const auto cross = [&](std::uint32_t slot, std::int32_t delta) {
    if (slot == NoSlot) return;
    const std::uint64_t bit = std::uint64_t{1} << slot;
    if (evenOddBits_ & bit) {
      inside ^= bit;
    } else {
      const std::int32_t w = winding_[slot] += delta;
      touched |= bit;
      inside = w != 0 ? inside | bit : inside & ~bit;
    }
  };
  std::int64_t pixels = 0;
  std::size_t i = 0;
  while (i < n) {
    const std::uint64_t column = borders[i] >> 32;
    for (; i < n && borders[i] >> 32 == column; ++i) {
      const Edge& e = edges[borders[i] & 0xFFFFFFFFu];
      cross(e.positive, 1);
      cross(e.negative, -1);
    }
    const std::int32_t x = static_cast<std::int32_t>(column);
    const std::int32_t end = i < n ? static_cast<std::int32_t>(borders[i] >> 32) : clip_.right;
    if (inside == 0 || end <= x) continue;
    const std::uint32_t slot = static_cast<std::uint32_t>(HighestBit(inside));
    pixels += end - x;
    if (out != first && (out - 1)->x1 == x && (out - 1)->slot == slot) {
      (out - 1)->x1 = end;
    } else {
      out->x0 = x;
      out->x1 = end;
      out->slot = slot;
      ++out;
    }
  }
  for (; touched != 0; touched &= touched - 1) winding_[static_cast<std::size_t>(LowestBit(touched))] = 0;
  const std::size_t runCount = static_cast<std::size_t>(out - first);
  *work += static_cast<std::int64_t>(2 * runCount) + pixels;
  return runCount;
}

}  // namespace Halvane::Movie::Render
