#include "movie/actions/ScriptObject.h"

#include <new>
#include <typeinfo>

#include "movie/actions/ActionPath.h"
#include "movie/actions/ActionTarget.h"
#include "movie/actions/ScriptHeap.h"
#include "movie/swf/Text.h"

namespace Halvane::Movie {

void ScriptObject::Watch(const ActionValue& name, ActionValue callback, ActionValue userData) {
  if (!watchers_) watchers_ = std::make_unique<std::vector<Watcher>>();
  const bool caseSensitive = Properties().CaseSensitive();
  for (Watcher& w : *watchers_) {
    if (SameName(w.name.StringValue(), name.StringValue(), caseSensitive)) {
      w.callback = std::move(callback);
      w.userData = std::move(userData);
      return;
    }
  }
  watchers_->push_back(Watcher{name, std::move(callback), std::move(userData)});
}

bool ScriptObject::Unwatch(const std::string& name) {
  if (!watchers_) return false;
  const bool caseSensitive = Properties().CaseSensitive();
  for (auto it = watchers_->begin(); it != watchers_->end(); ++it) {
    if (SameName(it->name.StringValue(), name, caseSensitive)) {
      watchers_->erase(it);
      return true;
    }
  }
  return false;
}

const ScriptObject::Watcher* ScriptObject::FindWatcher(const std::string& name) const {
  if (!watchers_) return nullptr;
  const bool caseSensitive = Properties().CaseSensitive();
  for (const Watcher& w : *watchers_) {
    if (SameName(w.name.StringValue(), name, caseSensitive)) return &w;
  }
  return nullptr;
}

void ScriptObject::Trace(GcMarker& marker) {
  marker.Mark(*properties_);
  marker.Mark(proto_);
  if (watchers_) {
    for (const Watcher& w : *watchers_) {
      marker.Mark(w.callback);
      marker.Mark(w.userData);
    }
  }
  for (ScriptObject* i : interfaces_) marker.Mark(i);
  marker.Mark(core_);
}

bool ScriptObject::AdoptCore(ScriptObject* core) {
  if (core == nullptr || core == this || kind_ != ObjectKind::Plain || typeid(*this) != typeid(ScriptObject) || core_ != nullptr || adopted_ ||
      core->adopted_ || core->core_ != nullptr || core->kind_ == ObjectKind::Plain ||
      core->kind_ == ObjectKind::Clip || core->kind_ == ObjectKind::Function) {
    return false;
  }
  // The core answers for this object's properties; its own prototype is
  // never walked, since no member access starts at the core.
  core->properties_ = properties_;
  core->RemoveProto();
  core->adopted_ = true;
  core_ = core;
  kind_ = core->kind_;
  return true;
}

void ScopeNode::Trace(GcMarker& marker) {
  marker.Mark(object_);
  marker.Mark(next_);
}

void FunctionObject::Trace(GcMarker& marker) {
  ScriptObject::Trace(marker);
  marker.Mark(scope);
  marker.Mark(definer);
}

void ArrayObject::Trace(GcMarker& marker) {
  ScriptObject::Trace(marker);
  for (const Element& e : elements) marker.Mark(e.value);
}

ClipObject::ClipObject(ActionTarget& target, bool caseSensitive)
    : ScriptObject(ObjectKind::Clip, caseSensitive), target_(&target), lastPath_(DotTargetPath(target)) {
  UseProperties(&target.Variables());
  target.SetScript(this);
}

ClipObject::~ClipObject() {
  if (target_ != nullptr) target_->SetScript(nullptr);
}

void ClipObject::Detach(std::string path) {
  if (target_ == nullptr) return;
  target_->SetScript(nullptr);
  target_ = nullptr;
  // A reference made before a rename keeps the path it was made with.
  if (lastPath_.empty()) lastPath_ = std::move(path);
  UseProperties(nullptr);
}

void ClipObject::Trace(GcMarker& marker) { ScriptObject::Trace(marker); }

void PrimitiveObject::Trace(GcMarker& marker) {
  ScriptObject::Trace(marker);
  marker.Mark(value);
}

void NativeObject::Trace(GcMarker& marker) {
  ScriptObject::Trace(marker);
  if (state) state->Trace(marker);
}

ActionTarget::~ActionTarget() {
  if (script_ != nullptr) script_->Detach(std::string());
}

void ActionTarget::ReleaseScript() {
  if (script_ != nullptr) script_->Detach(DotTargetPath(*this));
}

void GcMarker::Mark(const VariableStore& store) {
  for (const VariableStore::Entry& e : store.Entries()) {
    if (!e.Live()) continue;
    Mark(e.value);
    Mark(e.getter);
    Mark(e.setter);
  }
}

void GcMarker::Drain() {
  while (!pending_.empty()) {
    HeapCell* cell = pending_.back();
    pending_.pop_back();
    cell->Trace(*this);
  }
}

#if defined(__SANITIZE_ADDRESS__)
#define HALVANE_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define HALVANE_ASAN 1
#endif
#endif
#ifdef HALVANE_ASAN
const bool ScriptHeap::kPooled = false;
#else
const bool ScriptHeap::kPooled = true;
#endif

CellPool::~CellPool() {
  for (std::vector<void*>& list : free_) {
    for (void* memory : list) ::operator delete(memory);
  }
}

void* CellPool::Take(std::size_t bytes) {
  std::vector<void*>& list = free_[Rounded(bytes) / Grain - 1];
  if (list.empty()) return ::operator new(Rounded(bytes));
  void* memory = list.back();
  list.pop_back();
  return memory;
}

void CellPool::Give(void* memory, std::size_t bytes) noexcept {
  std::vector<void*>& list = free_[Rounded(bytes) / Grain - 1];
  if (list.size() < KeptPerSize) {
    try {
      list.push_back(memory);
      return;
    } catch (const std::bad_alloc&) {
      // Not kept, then.
    }
  }
  ::operator delete(memory);
}

void* TakeTableMemory(CellPool* pool, std::size_t bytes) {
  if (pool != nullptr && bytes <= CellPool::MaxPooled) return pool->Take(bytes);
  return ::operator new(bytes);
}

void GiveTableMemory(CellPool* pool, void* memory, std::size_t bytes) noexcept {
  if (pool != nullptr && bytes <= CellPool::MaxPooled) {
    pool->Give(memory, bytes);
    return;
  }
  ::operator delete(memory);
}

void ScriptHeap::Free(HeapCell* cell) {
  const std::uint32_t bytes = cell->poolBytes_;
  if (bytes == 0) {
    delete cell;
    return;
  }
  cell->~HeapCell();
  pool_.Give(cell, bytes);
}

ScriptHeap::~ScriptHeap() {
  // Display objects may outlive the heap; they must not reach into it.
  for (HeapCell* cell : cells_) {
    if (auto* clip = dynamic_cast<ClipObject*>(cell)) clip->Detach(std::string());
  }
  for (HeapCell* cell : cells_) Free(cell);
}

void ScriptHeap::Sweep() {
  std::size_t kept = 0;
  for (HeapCell* cell : cells_) {
    if (cell->marked_) {
      cell->marked_ = false;
      cells_[kept++] = cell;
    } else {
      Free(cell);
    }
  }
  cells_.resize(kept);
}

}  // namespace Halvane::Movie
