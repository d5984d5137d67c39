// The named properties of one object: a timeline's variables, a function
// call's locals, an object's members. Each property has a value, or a
// getter and a setter (addProperty), and flags (ASSetPropFlags).
//
// Movies of version 6 and older were written for a player that matched
// names without regard to case ("Score" and "score" are one variable), so a
// store made for such a movie folds ASCII case when it looks a name up; from
// version 7 names are case-sensitive. The spelling kept is the one of the
// first assignment.
//
// The store keeps the order in which names were first defined (for-in
// enumerates newest first) and caps its size (MaxVariables) so that a movie
// looping over generated names cannot exhaust memory: a new name on a full
// store is refused.
//
// Not thread-safe: used on the control's worker thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "movie/actions/ActionValue.h"

namespace Halvane::Movie {

// Flags of a property, with the bits ASSetPropFlags uses.
namespace PropertyFlag {
constexpr std::uint16_t DontEnum = 1 << 0;
constexpr std::uint16_t DontDelete = 1 << 1;
constexpr std::uint16_t ReadOnly = 1 << 2;
// Visible only to movies of at least that version (the built-ins that
// later players added).
constexpr std::uint16_t Version6 = 1 << 7;
constexpr std::uint16_t Version7 = 1 << 10;
constexpr std::uint16_t Version8 = 1 << 12;
constexpr std::uint16_t Version9 = 1 << 13;
constexpr std::uint16_t Version10 = 1 << 14;
constexpr std::uint16_t VersionBits = Version6 | Version7 | Version8 | Version9 | Version10;
bool VisibleToVersion(std::uint16_t flags, int swfVersion);
// Whether a property with flags exists for a movie of version. Asked at
// nearly every look-up, and most properties carry no version bit.
inline bool VisibleTo(std::uint16_t flags, int swfVersion) {
  return (flags & VersionBits) == 0 || VisibleToVersion(flags, swfVersion);
}
}  // namespace PropertyFlag

class CellPool;

// Memory of a store's table: from a pool of the script heap for the stores
// of the heap's objects (thousands of small tables made and freed per
// run), else from new. Defined with CellPool (ScriptObject.cpp).
void* TakeTableMemory(CellPool* pool, std::size_t bytes);
void GiveTableMemory(CellPool* pool, void* memory, std::size_t bytes) noexcept;

template <class T>
class TableAllocator {
 public:
  using value_type = T;
  using propagate_on_container_copy_assignment = std::true_type;
  using propagate_on_container_move_assignment = std::true_type;
  using propagate_on_container_swap = std::true_type;

  TableAllocator() noexcept = default;
  explicit TableAllocator(CellPool* pool) noexcept : pool_(pool) {}
  template <class U>
  TableAllocator(const TableAllocator<U>& other) noexcept : pool_(other.Pool()) {}

  T* allocate(std::size_t n) { return static_cast<T*>(TakeTableMemory(pool_, n * sizeof(T))); }
  void deallocate(T* memory, std::size_t n) noexcept { GiveTableMemory(pool_, memory, n * sizeof(T)); }
  CellPool* Pool() const noexcept { return pool_; }

  template <class U>
  bool operator==(const TableAllocator<U>& other) const noexcept { return pool_ == other.Pool(); }
  template <class U>
  bool operator!=(const TableAllocator<U>& other) const noexcept { return pool_ != other.Pool(); }

 private:
  CellPool* pool_ = nullptr;
};

class VariableStore {
 public:
  static constexpr std::size_t MaxVariables = 65536;

  struct Entry {
    ActionValue name;  // a string; undefined once the entry is removed
    ActionValue value;
    // With setter: a property of addProperty. Set them with SetAccessor.
    ScriptObject* getter = nullptr;
    ScriptObject* setter = nullptr;
    std::uint16_t flags = 0;
    std::uint32_t order = 0;  // when the name was first defined (see TakeOrder)
    std::uint32_t hash = 0;   // of the name, as FindEntry looks it up
    bool Accessor() const { return getter != nullptr; }
    bool Live() const { return name.IsString(); }
    const std::string& Name() const { return name.StringValue(); }
  };

  explicit VariableStore(bool caseSensitive = false) : caseSensitive_(caseSensitive) {}
  VariableStore(const VariableStore&) = delete;
  VariableStore& operator=(const VariableStore&) = delete;

  using EntryList = std::vector<Entry, TableAllocator<Entry>>;

  // Takes the memory of its table from pool from now on (see
  // TakeTableMemory); only while the store has never held an entry.
  void UseTableMemory(CellPool* pool) {
    if (entries_.capacity() == 0) entries_ = EntryList(TableAllocator<Entry>(pool));
  }

  // Whether a movie of this version matches names with case.
  static bool NamesAreCaseSensitive(int swfVersion) { return swfVersion >= 7; }

  bool CaseSensitive() const { return caseSensitive_; }

  // The entry of a name, or null. Pointers stay valid until the next
  // definition of a new name or a removal.
  // same, when given, is the text of name: an entry holding that very text
  // matches without comparing bytes (names from the constant pool are
  // shared by every use).
  Entry* FindEntry(std::string_view name, std::uint32_t hash, const ScriptString* same = nullptr);
  // Inline for the small stores that are scanned (most objects' own
  // properties), where a name of the constant pool meets its very text.
  Entry* FindEntry(const ScriptString& name) {
    const std::uint32_t hash = name.Hash(caseSensitive_);
    if (!index_.empty()) return FindEntry(name.Text(), hash, &name);
    for (Entry& e : entries_) {
      if (e.hash == hash && (e.name.StringRep() == &name || Matches(e, name.Text(), &name))) return &e;
    }
    return nullptr;
  }
  Entry* FindEntry(std::string_view name) { return FindEntry(name, ScriptString::HashName(name, caseSensitive_)); }
  const Entry* FindEntry(std::string_view name) const {
    return const_cast<VariableStore*>(this)->FindEntry(name);
  }

  // The value of a plain (not accessor) property, or null.
  const ActionValue* Find(const std::string& name) const;
  ActionValue* Find(const std::string& name);

  // Defines or replaces a value, keeping the flags of an existing entry
  // (an accessor becomes a plain value). False (and no change) for a new
  // name on a full store.
  bool Set(const std::string& name, ActionValue value);
  bool Set(const ActionValue& name, ActionValue value);
  // Defines a new entry or answers the existing one; null on a full store.
  Entry* Define(const ActionValue& name);
  // Define for a name (a string) the caller has just looked up and not
  // found: skips the second look-up. Null on a full store.
  Entry* DefineAbsent(const ActionValue& name);
  bool Remove(std::string_view name);
  // Makes e (an entry of this store) a property of a getter and a setter.
  void SetAccessor(Entry& e, ScriptObject* getter, ScriptObject* setter) {
    e.getter = getter;
    e.setter = setter;
    mayHoldAccessors_ = true;
  }
  // False when no entry has been an accessor since the store was made or
  // cleared: an assignment of a new name on an object then need not look
  // for a setter here.
  bool MayHoldAccessors() const { return mayHoldAccessors_; }
  void Clear();

  // Changes whenever an entry may have moved, gone or come (never for a
  // change of a value or flags): an Entry pointer found while Layout() had
  // a value is that name's entry, and a name not found is absent, for as
  // long as Layout() keeps that value.
  std::uint64_t Layout() const { return layout_; }

  std::size_t Count() const { return live_; }
  // Names in the order they were first defined.
  std::vector<std::string> Names() const;
  // Every entry, removed ones included (skip those that are not Live).
  const EntryList& Entries() const { return entries_; }
  EntryList& Entries() { return entries_; }

  // A number from the same sequence as the entries' order, for owners that
  // keep some properties elsewhere (an array's elements) and enumerate them
  // together with these.
  std::uint32_t TakeOrder() { return nextOrder_++; }

 private:
  Entry* Append(ActionValue key, std::uint32_t hash);
  bool Matches(const Entry& e, std::string_view name, const ScriptString* same) const;
  void Rebuild();
  void IndexEntry(std::size_t at);

  bool caseSensitive_;
  bool mayHoldAccessors_ = false;
  std::uint64_t layout_ = 1;
  std::size_t live_ = 0;
  std::uint32_t nextOrder_ = 1;
  EntryList entries_;
  // Open addressing over entries_ (positions + 1; 0 is empty) once the
  // store outgrows a scan.
  std::vector<std::uint32_t> index_;
};

}  // namespace Halvane::Movie
