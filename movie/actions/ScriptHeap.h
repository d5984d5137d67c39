// The heap of one movie's objects: it makes every object, holds it, counts
// it against the caps and frees what can no longer be reached.
//
// Collection traces from roots: the owner marks what it holds (the global
// object and the built-ins, each timeline's variables, registered
// callbacks, timers) through a GcMarker, then Sweep frees every object left
// unmarked. Values on an interpreter's stack are not roots, so a collection
// happens only between runs of actions, never during one; the caps stop a
// single run from growing the heap without bound instead.
//
// The heap outlives nothing that it made: when it goes, every object goes,
// and display objects that still refer to their script object are let go.
//
// Worker thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

#include "movie/actions/ScriptObject.h"

namespace Halvane::Movie {

class GcMarker {
 public:
  void Mark(HeapCell* cell) {
    if (cell != nullptr && !cell->marked_) {
      cell->marked_ = true;
      pending_.push_back(cell);
    }
  }
  void Mark(const ActionValue& value) { Mark(value.ObjectValue()); }
  void Mark(const VariableStore& store);
  // Traces until everything reachable from what was marked is marked; an
  // explicit work list, so that long chains cannot overflow the C++ stack.
  void Drain();

 private:
  std::vector<HeapCell*> pending_;
};

// The memory of freed cells, kept by size for the next cells of that size:
// a run makes, and the collection after it frees, thousands of objects of a
// handful of sizes, which the general allocator serves far more slowly.
// Keeps at most KeptPerSize blocks of each size; the rest go back. A
// collection waits until at least 4096 cells were added (CollectGarbage),
// and what one interval makes of one size can be several times that: a
// smaller cap sent about half of them back to the general allocator just
// before the next interval asked for as many again.
class CellPool {
 public:
  static constexpr std::size_t Grain = 16;
  static constexpr std::size_t MaxPooled = 512;  // larger cells use new
  static constexpr std::size_t KeptPerSize = 16384;

  CellPool() = default;
  ~CellPool();
  CellPool(const CellPool&) = delete;
  CellPool& operator=(const CellPool&) = delete;

  // Memory for bytes (at most MaxPooled), rounded up to the grain.
  static std::size_t Rounded(std::size_t bytes) { return (bytes + Grain - 1) / Grain * Grain; }
  void* Take(std::size_t bytes);
  // Gives back what Take gave for the same bytes.
  void Give(void* memory, std::size_t bytes) noexcept;

 private:
  std::vector<void*> free_[MaxPooled / Grain];
};

class ScriptHeap {
 public:
  // Live cells, and cells a run may add beyond what the last collection
  // left: a run that needs more faults instead of taking the host's memory.
  static constexpr std::size_t MaxCells = 1u << 19;

  explicit ScriptHeap(bool caseSensitive) : caseSensitive_(caseSensitive) {}
  ~ScriptHeap();
  ScriptHeap(const ScriptHeap&) = delete;
  ScriptHeap& operator=(const ScriptHeap&) = delete;

  bool CaseSensitive() const { return caseSensitive_; }

  // A new cell, or null when the heap is full.
  template <class T, class... Args>
  T* Make(Args&&... args) {
    if (cells_.size() >= MaxCells) return nullptr;
    T* cell = nullptr;
    if (kPooled && sizeof(T) <= CellPool::MaxPooled) {
      void* memory = pool_.Take(sizeof(T));
      try {
        cell = new (memory) T(std::forward<Args>(args)...);
      } catch (...) {
        pool_.Give(memory, sizeof(T));
        throw;
      }
      cell->poolBytes_ = static_cast<std::uint32_t>(sizeof(T));
      if constexpr (std::is_base_of_v<ScriptObject, T>) cell->OwnStore().UseTableMemory(&pool_);
    } else {
      cell = new T(std::forward<Args>(args)...);
    }
    cells_.push_back(cell);
    return cell;
  }
  // Takes a cell made outside the caps (see ScriptRuntime::ClipOf).
  void Adopt(HeapCell* cell) { cells_.push_back(cell); }

  std::size_t Count() const { return cells_.size(); }
  bool Full() const { return cells_.size() >= MaxCells; }

  // Frees every cell that marker did not reach; then clears the marks.
  // Call after marking every root and draining the marker.
  void Sweep();

 private:
  // Whether cells come from the pool; not under AddressSanitizer, which
  // can tell a use of a freed cell only when its memory goes back.
  static const bool kPooled;
  void Free(HeapCell* cell);

  bool caseSensitive_;
  std::vector<HeapCell*> cells_;
  CellPool pool_;
};

}  // namespace Halvane::Movie
