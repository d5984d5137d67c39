#include "movie/timeline/MoviePlayer.h"

#include "movie/actions/ActionPath.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "movie/actions/ActionPath.h"

#include "movie/swf/Text.h"

namespace Halvane::Movie {

namespace {

// The method a clip event calls besides its clip actions.
const char* MethodOf(std::uint32_t event) {
  switch (event) {
    case ClipEvent::Load: return "onLoad";
    case ClipEvent::EnterFrame: return "onEnterFrame";
    case ClipEvent::Unload: return "onUnload";
    case ClipEvent::Data: return "onData";
    default: return nullptr;
  }
}

bool HasClipAction(const MovieClip& clip, std::uint32_t event) {
  const std::vector<ClipActionRecord>* actions = clip.ClipActions();
  if (actions == nullptr) return false;
  for (const ClipActionRecord& record : *actions) {
    if (record.events & event) return true;
  }
  return false;
}

// Whether (x, y) lies on a filled area of the records: for each fill
// style, crossings of a ray towards +x, the style's edges counted once
// (even-odd), or by direction (non-zero winding).
bool PointOnShape(const std::vector<ShapeRecord>& records, bool nonZero, double x, double y) {
  std::map<std::uint32_t, int> windings;
  std::uint32_t fill0 = 0, fill1 = 0;
  std::uint32_t base = 0;  // fill indices restart with new style arrays
  double px = 0, py = 0;
  const auto cross = [&](double x0, double y0, double x1, double y1) {
    if ((y0 <= y) == (y1 <= y)) return;
    const double t = (y - y0) / (y1 - y0);
    if (x0 + t * (x1 - x0) <= x) return;
    const int dir = y1 > y0 ? 1 : -1;
    if (fill0 != 0) windings[fill0] += nonZero ? dir : 1;
    if (fill1 != 0) windings[fill1] += nonZero ? -dir : 1;
  };
  for (const ShapeRecord& r : records) {
    switch (r.kind) {
      case ShapeRecord::Kind::StyleChange:
        if (r.newStyles) base += 1 << 16;
        if (r.fillStyle0) fill0 = *r.fillStyle0 ? base + *r.fillStyle0 : 0;
        if (r.fillStyle1) fill1 = *r.fillStyle1 ? base + *r.fillStyle1 : 0;
        if (r.moveTo) {
          px = r.moveTo->first;
          py = r.moveTo->second;
        }
        break;
      case ShapeRecord::Kind::StraightEdge:
        cross(px, py, px + r.deltaX, py + r.deltaY);
        px += r.deltaX;
        py += r.deltaY;
        break;
      case ShapeRecord::Kind::CurvedEdge: {
        const double cx = px + r.deltaX, cy = py + r.deltaY;
        const double ax = cx + r.anchorDeltaX, ay = cy + r.anchorDeltaY;
        double lx = px, ly = py;
        for (int i = 1; i <= 8; ++i) {
          const double t = i / 8.0;
          const double nx = (1 - t) * (1 - t) * px + 2 * (1 - t) * t * cx + t * t * ax;
          const double ny = (1 - t) * (1 - t) * py + 2 * (1 - t) * t * cy + t * t * ay;
          cross(lx, ly, nx, ny);
          lx = nx;
          ly = ny;
        }
        px = ax;
        py = ay;
        break;
      }
    }
  }
  for (const auto& w : windings) {
    if (nonZero ? w.second != 0 : (w.second & 1) != 0) return true;
  }
  return false;
}

}  // namespace

MoviePlayer::MoviePlayer(std::shared_ptr<const MovieDefinition> movie) : movie_(std::move(movie)) {
  context_.swfVersion = movie_->version;
  context_.callbacks = &callbacks_;
  ++instances_;
  root_ = std::make_unique<MovieClip>(*this, movie_->root, nullptr, 0);
}

MoviePlayer::~MoviePlayer() {
  // Instances are destroyed before the queue and the graveyard they may be
  // named in; none of them runs anything on the way.
  shuttingDown_ = true;
  for (auto& queue : queues_) queue.clear();
  execution_.clear();
  deferred_.clear();
  root_.reset();
  removed_.clear();
  removedFields_.clear();
}

void MoviePlayer::Start() {
  execution_.push_back(root_.get());
  root_->EnterFirstFrame();
  RunActions();
}

void MoviePlayer::Step() {
  timelineWork_ = 0;
  // What the timeline removed last step, kept for its unload handlers, goes
  // now, before any timeline can place something at its depth.
  const std::vector<MovieClip*> deferred = std::move(deferred_);
  deferred_.clear();
  for (MovieClip* clip : deferred) {
    if (!clip->Removed() && clip->parent_ != nullptr) clip->parent_->RemoveChild(*clip);
  }
  // Newest first; instances made during the step wait for the next one.
  for (std::size_t i = execution_.size(); i > 0; --i) {
    MovieClip* clip = execution_[i - 1];
    if (clip->Unloaded()) continue;
    if (!TimelineWorkLeft()) break;
    clip->Tick();
  }
  RunActions();
}

bool MoviePlayer::GotoFrame(int frame) {
  if (!root_->Seek(frame)) return false;
  RunActions();
  return true;
}

const SpriteDefinition* MoviePlayer::FindSprite(std::uint16_t id) const {
  const auto it = movie_->sprites.find(id);
  return it == movie_->sprites.end() ? nullptr : it->second.get();
}

const EditTextDefinition* MoviePlayer::FindEditText(std::uint16_t id) const {
  const auto it = movie_->editTexts.find(id);
  return it == movie_->editTexts.end() ? nullptr : it->second.get();
}

const ButtonDefinition* MoviePlayer::FindButton(std::uint16_t id) const {
  const auto it = movie_->buttons.find(id);
  return it == movie_->buttons.end() ? nullptr : it->second.get();
}

const SoundDefinition* MoviePlayer::FindSound(std::uint16_t id) const {
  const auto it = movie_->sounds.find(id);
  return it == movie_->sounds.end() ? nullptr : &it->second;
}

const StaticTextDefinition* MoviePlayer::FindStaticText(std::uint16_t id) const {
  const auto it = movie_->texts.find(id);
  return it == movie_->texts.end() ? nullptr : it->second.get();
}

const FontDefinition* MoviePlayer::FindFont(std::uint16_t id) const {
  const auto it = movie_->fonts.find(id);
  return it == movie_->fonts.end() ? nullptr : &it->second;
}

std::uint16_t MoviePlayer::FindExport(const std::string& name) const {
  const auto it = movie_->exportedIds.find(name);
  if (it != movie_->exportedIds.end()) return it->second;
  // Older movies name their symbols without regard to case.
  if (movie_->version < 7) {
    for (const auto& entry : movie_->exportedIds) {
      if (SameName(entry.first, name, false)) return entry.second;
    }
  }
  return 0;
}

std::string MoviePlayer::ExportName(std::uint16_t id) const {
  const auto it = movie_->exportedNames.find(id);
  return it == movie_->exportedNames.end() ? std::string() : it->second;
}

bool MoviePlayer::CharacterBounds(std::uint16_t id, std::uint16_t ratio, double box[4]) const {
  const auto shape = movie_->shapes.find(id);
  if (shape != movie_->shapes.end()) {
    const TwipsRect& b = shape->second->bounds;
    box[0] = b.xMin, box[1] = b.yMin, box[2] = b.xMax, box[3] = b.yMax;
    return true;
  }
  const auto morph = movie_->morphShapes.find(id);
  if (morph != movie_->morphShapes.end()) {
    const double t = ratio / 65535.0;
    const TwipsRect& s = morph->second->startBounds;
    const TwipsRect& e = morph->second->endBounds;
    box[0] = s.xMin + (e.xMin - s.xMin) * t;
    box[1] = s.yMin + (e.yMin - s.yMin) * t;
    box[2] = s.xMax + (e.xMax - s.xMax) * t;
    box[3] = s.yMax + (e.yMax - s.yMax) * t;
    return true;
  }
  return false;
}

bool MoviePlayer::CharacterHit(std::uint16_t id, double x, double y) const {
  const auto shape = movie_->shapes.find(id);
  if (shape != movie_->shapes.end()) {
    const ShapeDefinition& s = *shape->second;
    return PointOnShape(s.records, s.NonZeroWinding(), x, y);
  }
  double box[4];
  return CharacterBounds(id, 0, box) && x >= box[0] && x <= box[2] && y >= box[1] && y <= box[3];
}

bool MoviePlayer::TakeInstance() {
  if (instances_ >= MaxInstances) return false;
  ++instances_;
  return true;
}

void MoviePlayer::Instantiate(MovieClip& clip, bool placedByTimeline) {
  execution_.push_back(&clip);
  if (placedByTimeline) {
    const std::string symbol = ExportName(clip.CharacterId());
    if (!symbol.empty()) SetTargetClass(clip, symbol, context_);
    if (HasClipAction(clip, ClipEvent::Initialize)) Queue(Init, QueuedAction{&clip, nullptr, ClipEvent::Initialize});
    const bool loadQueued = QueueEvent(clip, ClipEvent::Load);
    if (!symbol.empty() || HasClipAction(clip, ClipEvent::Construct)) {
      Queue(Construct, QueuedAction{&clip, nullptr, ClipEvent::Construct, !loadQueued && !symbol.empty()});
    }
    return;
  }
  // A symbol attached by script gets its class right after this, so its
  // load event is looked at only when it runs.
  if (clip.CharacterId() != 0 && !ExportName(clip.CharacterId()).empty()) {
    Queue(Normal, QueuedAction{&clip, nullptr, ClipEvent::Load});
    return;
  }
  QueueEvent(clip, ClipEvent::Load);
}

void MoviePlayer::TextFieldPlaced(TextFieldInstance& field) { BindField(field, true); }

void MoviePlayer::UpdateBoundFields() { UpdateFields(*root_); }

void MoviePlayer::UpdateFields(MovieClip& clip) {
  for (auto& entry : clip.displayList_) {
    DisplayObject& object = entry.second;
    if (object.sprite && !object.sprite->Removed()) UpdateFields(*object.sprite);
    if (object.text && !object.text->Removed()) BindField(*object.text, false);
  }
}

void MoviePlayer::BindField(TextFieldInstance& field, bool placing) {
  TextFieldData& data = field.Data();
  // A field inside a button reads its variable on the timeline that holds
  // the button: buttons have no variables of their own.
  ActionTarget* parent = field.Parent();
  while (parent != nullptr && parent->IsButton()) parent = parent->Parent();
  if (data.variable.empty() || parent == nullptr) return;
  const int version = movie_->version;
  ResolvedVariable resolved;
  if (!ResolveVariable(*root_, *parent, data.variable, VariableStore::NamesAreCaseSensitive(version), resolved)) {
    return;
  }
  const ActionValue* value = resolved.target->Variables().Find(resolved.name);
  if (value == nullptr) {
    if (placing) resolved.target->Variables().Set(resolved.name, ActionValue::String(data.Text()));
    return;
  }
  const std::string text = value->IsUndefined() ? std::string() : value->ToString(version);
  if (data.html) {
    SetHtmlText(data, text, version);
  } else if (text != data.Text()) {
    data.SetText(text);
  }
}

void MoviePlayer::Queue(Priority priority, QueuedAction action) { queues_[priority].push_back(action); }

void MoviePlayer::QueueActions(MovieClip& clip, const FrameRecord& frame) {
  for (const ByteBlock& block : frame.actions) Queue(Normal, QueuedAction{&clip, &block, 0});
}

void MoviePlayer::QueueAction(MovieClip& clip, const ByteBlock& actions) {
  Queue(Normal, QueuedAction{&clip, &actions, 0});
}

void MoviePlayer::QueueInitActions(MovieClip& root, const FrameRecord& frame) {
  for (const InitActionRecord& init : frame.initActions) {
    if (!initialized_.insert(init.spriteId).second) continue;
    Queue(Init, QueuedAction{&root, &init.actions, 0});
  }
}

bool MoviePlayer::QueueEvent(MovieClip& clip, std::uint32_t event) {
  if (!HasClipAction(clip, event)) {
    const char* method = MethodOf(event);
    if (method == nullptr || !TargetHasMethod(clip, method, context_)) return false;
  }
  Queue(Normal, QueuedAction{&clip, nullptr, event});
  return true;
}

bool MoviePlayer::HasUnloadHandler(MovieClip& clip) {
  return HasClipAction(clip, ClipEvent::Unload) || TargetHasMethod(clip, "onUnload", context_);
}

bool MoviePlayer::QueueUnload(MovieClip& clip) {
  if (shuttingDown_ || !HasUnloadHandler(clip)) return false;
  Queue(Normal, QueuedAction{&clip, nullptr, ClipEvent::Unload});
  return true;
}

void MoviePlayer::Bury(std::unique_ptr<MovieClip> clip) {
  if (clip) removed_.push_back(std::move(clip));
}

void MoviePlayer::Bury(std::unique_ptr<TextFieldInstance> field) {
  if (field) removedFields_.push_back(std::move(field));
}

void MoviePlayer::Forget(MovieClip& clip) {
  if (shuttingDown_) return;
  const auto it = std::find(execution_.begin(), execution_.end(), &clip);
  if (it != execution_.end()) execution_.erase(it);
  deferred_.erase(std::remove(deferred_.begin(), deferred_.end(), &clip), deferred_.end());
}

void MoviePlayer::RunEvent(MovieClip& clip, std::uint32_t event) {
  if (const std::vector<ClipActionRecord>* actions = clip.ClipActions()) {
    // The records stay with the placement's shared list while they run.
    const auto keep = clip.clipActions_;
    for (const ClipActionRecord& record : *actions) {
      if ((record.events & event) == 0 || record.actions.empty()) continue;
      ::Halvane::Movie::RunActions(record.actions.data(), record.actions.size(), clip, context_);
    }
  }
  if (const char* method = MethodOf(event)) CallTargetMethod(clip, method, {}, context_);
}

void MoviePlayer::RunActions() {
  // Actions that queue more actions (a goto from a frame action) add to the
  // queues this loop is working through.
  if (running_) return;
  running_ = true;
  context_.instructionBudget = ActionContext::DefaultBudget;
  timelineWork_ = 0;
  std::size_t blocks = 0;
  while (blocks < MaxBlocksPerRun) {
    int priority = 0;
    while (priority < Priorities && queueHeads_[priority] >= queues_[priority].size()) ++priority;
    if (priority == Priorities) {
      // Handlers deferred by the actions come after them, and may queue more.
      if (!RunDeferredCalls(*root_, context_)) break;
      ++blocks;
      continue;
    }
    const QueuedAction action = queues_[priority][queueHeads_[priority]++];
    ++blocks;
    MovieClip& clip = *action.clip;
    if (action.code != nullptr) {
      if (clip.Unloaded()) continue;
      ::Halvane::Movie::RunActions(action.code->data(), action.code->size(), clip, context_);
    } else if (action.event == ClipEvent::Unload) {
      clip.SetUnloading(true);
      RunEvent(clip, action.event);
      clip.SetUnloading(false);
      clip.unloadRan_ = true;
      // A deferred removal keeps its script until it is removed for good.
      if (clip.Removed()) clip.ReleaseScript();
    } else if (action.event == ClipEvent::Construct) {
      if (clip.Unloaded()) continue;
      ConstructTarget(clip, ExportName(clip.CharacterId()), context_);
      if (action.loadAfter) QueueEvent(clip, ClipEvent::Load);
      if (const std::vector<ClipActionRecord>* actions = clip.ClipActions()) {
        const auto keep = clip.clipActions_;
        for (const ClipActionRecord& record : *actions) {
          if ((record.events & ClipEvent::Construct) == 0 || record.actions.empty()) continue;
          ::Halvane::Movie::RunActions(record.actions.data(), record.actions.size(), clip, context_);
        }
      }
    } else {
      if (clip.Unloaded()) continue;
      RunEvent(clip, action.event);
    }
  }
  for (int p = 0; p < Priorities; ++p) {
    queues_[p].clear();
    queueHeads_[p] = 0;
  }
  // Removed instances leave the execution list before they are destroyed.
  execution_.erase(std::remove_if(execution_.begin(), execution_.end(),
                                  [](MovieClip* clip) { return clip->Removed(); }),
                   execution_.end());
  for (auto& clip : removed_) clip->ReleaseScript();
  removed_.clear();
  removedFields_.clear();
  running_ = false;
  UpdateBoundFields();
  CollectGarbage(*root_, context_);
}

void MoviePlayer::RunTimers(double now) {
  if (running_) return;
  context_.instructionBudget = ActionContext::DefaultBudget;
  ::Halvane::Movie::RunTimers(*root_, context_, now);
  RunActions();
}

}  // namespace Halvane::Movie
