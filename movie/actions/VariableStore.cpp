#include "movie/actions/VariableStore.h"

#include <utility>

#include "movie/swf/Text.h"

namespace Halvane::Movie {

namespace {

// Up to this many entries a scan beats hashing into an index.
constexpr std::size_t kScanLimit = 8;

}  // namespace

bool PropertyFlag::VisibleToVersion(std::uint16_t flags, int swfVersion) {
  if ((flags & Version10) && swfVersion < 10) return false;
  if ((flags & Version9) && swfVersion < 9) return false;
  if ((flags & Version8) && swfVersion < 8) return false;
  if ((flags & Version7) && swfVersion < 7) return false;
  if ((flags & Version6) && swfVersion < 6) return false;
  return true;
}

bool VariableStore::Matches(const Entry& e, std::string_view name, const ScriptString* same) const {
  if (!e.Live()) return false;
  if (same != nullptr && e.name.StringRep() == same) return true;
  const std::string& have = e.Name();
  if (have.size() != name.size()) return false;
  return caseSensitive_ ? std::string_view(have) == name : SameName(have, name, false);
}

VariableStore::Entry* VariableStore::FindEntry(std::string_view name, std::uint32_t hash, const ScriptString* same) {
  // An entry holding the very text asked for is live and matches: most
  // names are the constant pool's shared texts, so that test comes first,
  // without a call.
  if (index_.empty()) {
    for (Entry& e : entries_) {
      if (e.hash != hash) continue;
      if ((same != nullptr && e.name.StringRep() == same) || Matches(e, name, same)) return &e;
    }
    return nullptr;
  }
  const std::size_t mask = index_.size() - 1;
  for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const std::uint32_t at = index_[slot];
    if (at == 0) return nullptr;
    Entry& e = entries_[at - 1];
    if (e.hash != hash) continue;
    if ((same != nullptr && e.name.StringRep() == same) || Matches(e, name, same)) return &e;
  }
}

const ActionValue* VariableStore::Find(const std::string& name) const {
  const Entry* e = FindEntry(name);
  return e && !e->Accessor() ? &e->value : nullptr;
}

ActionValue* VariableStore::Find(const std::string& name) {
  Entry* e = FindEntry(name);
  return e && !e->Accessor() ? &e->value : nullptr;
}

void VariableStore::IndexEntry(std::size_t at) {
  const std::size_t mask = index_.size() - 1;
  std::size_t slot = entries_[at].hash & mask;
  while (index_[slot] != 0) slot = (slot + 1) & mask;
  index_[slot] = static_cast<std::uint32_t>(at + 1);
}

// Drops removed entries when they outnumber the live ones, and sizes the
// index for what is left.
void VariableStore::Rebuild() {
  ++layout_;
  if (entries_.size() - live_ > live_ + kScanLimit) {
    std::size_t to = 0;
    for (std::size_t from = 0; from < entries_.size(); ++from) {
      if (!entries_[from].Live()) continue;
      if (to != from) entries_[to] = std::move(entries_[from]);
      ++to;
    }
    entries_.resize(to);
  }
  index_.clear();
  if (entries_.size() <= kScanLimit) return;
  std::size_t size = 16;
  while (size < entries_.size() * 2) size *= 2;
  index_.assign(size, 0);
  for (std::size_t i = 0; i < entries_.size(); ++i) IndexEntry(i);
}

VariableStore::Entry* VariableStore::Define(const ActionValue& name) {
  const ScriptString* rep = name.StringRep();
  ActionValue key = rep ? name : ActionValue::String(name.ToString(caseSensitive_ ? 7 : 6));
  const std::uint32_t hash = key.StringRep()->Hash(caseSensitive_);
  if (Entry* e = FindEntry(key.StringValue(), hash, key.StringRep())) return e;
  return Append(std::move(key), hash);
}

VariableStore::Entry* VariableStore::DefineAbsent(const ActionValue& name) {
  return Append(name, name.StringRep()->Hash(caseSensitive_));
}

VariableStore::Entry* VariableStore::Append(ActionValue key, std::uint32_t hash) {
  if (live_ >= MaxVariables) return nullptr;
  if (entries_.empty()) {
    // Most objects get a few properties: room for them at once rather
    // than growing one at a time.
    entries_.reserve(4);
  }
  ++layout_;
  Entry& entry = entries_.emplace_back();
  entry.name = std::move(key);
  entry.order = nextOrder_++;
  entry.hash = hash;
  ++live_;
  if (index_.empty() ? entries_.size() > kScanLimit : entries_.size() * 2 > index_.size()) {
    Rebuild();
  } else if (!index_.empty()) {
    IndexEntry(entries_.size() - 1);
  }
  return &entries_.back();
}

bool VariableStore::Set(const ActionValue& name, ActionValue value) {
  Entry* e = Define(name);
  if (!e) return false;
  e->value = std::move(value);
  e->getter = nullptr;
  e->setter = nullptr;
  return true;
}

bool VariableStore::Set(const std::string& name, ActionValue value) {
  if (Entry* e = FindEntry(name)) {
    e->value = std::move(value);
    e->getter = nullptr;
    e->setter = nullptr;
    return true;
  }
  return Set(ActionValue::String(name), std::move(value));
}

bool VariableStore::Remove(std::string_view name) {
  Entry* e = FindEntry(name);
  if (!e) return false;
  ++layout_;
  e->name = ActionValue();
  e->value = ActionValue();
  e->getter = nullptr;
  e->setter = nullptr;
  --live_;
  if (entries_.size() - live_ > live_ + kScanLimit) Rebuild();
  return true;
}

void VariableStore::Clear() {
  ++layout_;
  entries_.clear();
  index_.clear();
  live_ = 0;
  mayHoldAccessors_ = false;
}

std::vector<std::string> VariableStore::Names() const {
  std::vector<std::string> names;
  names.reserve(live_);
  for (const auto& e : entries_) {
    if (e.Live()) names.push_back(e.Name());
  }
  return names;
}

}  // namespace Halvane::Movie
