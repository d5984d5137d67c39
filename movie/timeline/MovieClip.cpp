#include "movie/timeline/MovieClip.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <vector>

#include "movie/actions/Numbers.h"
#include "movie/swf/Text.h"
#include "movie/timeline/MoviePlayer.h"

namespace Halvane::Movie {

namespace {

constexpr double kPi = 3.14159265358979323846;

}  // namespace

MovieClip::MovieClip(MoviePlayer& player, const TimelineDefinition& timeline, MovieClip* parent,
                     int nesting)
    : player_(player),
      timeline_(timeline),
      parent_(parent),
      nesting_(nesting),
      variables_(VariableStore::NamesAreCaseSensitive(player.Definition().version)) {
  if (parent_ == nullptr) self_ = &rootObject_;
}

MovieClip::~MovieClip() {
  player_.RemoveObjects(displayList_.size());
  player_.ReturnInstance();
}

ActionTarget* MovieClip::Root() {
  MovieClip* clip = this;
  while (clip->parent_ != nullptr) clip = clip->parent_;
  return clip;
}

void MovieClip::EnterFirstFrame() {
  currentFrame_ = 0;
  EnterFrame(0);
}

void MovieClip::Advance() {
  if (!player_.TimelineWorkLeft()) return;
  std::vector<MovieClip*> children;
  for (auto& entry : displayList_) {
    if (entry.second.sprite) children.push_back(entry.second.sprite.get());
  }
  if (playing_) {
    const int total = TotalFrames();
    if (currentFrame_ + 1 < total) {
      EnterFrame(currentFrame_ + 1);
    } else if (parent_ != nullptr || player_.Loop()) {
      // Sprites always loop; the root loops when the control's loop is set.
      if (total > 1) JumpTo(0);
    } else {
      playing_ = false;
    }
  }
  for (MovieClip* child : children) {
    if (!child->removed_) child->Advance();
  }
  player_.ChargeTimelineWork(1);
}

bool MovieClip::Seek(int frame) {
  if (frame < 0 || frame >= TotalFrames()) return false;
  if (frame != currentFrame_) JumpTo(frame);
  return true;
}

void MovieClip::NextFrame() {
  if (currentFrame_ + 1 < TotalFrames() && player_.TimelineWorkLeft()) JumpTo(currentFrame_ + 1);
  playing_ = false;
}

void MovieClip::PreviousFrame() {
  if (currentFrame_ > 0 && player_.TimelineWorkLeft()) JumpTo(currentFrame_ - 1);
  playing_ = false;
}

bool MovieClip::GotoFrame(int frame, bool play) {
  if (!player_.TimelineWorkLeft()) return false;
  if (!Seek(frame)) return false;
  playing_ = play;
  return true;
}

bool MovieClip::GotoLabel(const std::string& label, bool play) {
  const int frame = timeline_.FindLabel(label);
  if (frame < 0) return false;
  return GotoFrame(frame, play);
}

ActionTarget* MovieClip::ChildByName(const std::string& name, bool caseSensitive) {
  if (name.empty()) return nullptr;
  for (auto& entry : displayList_) {
    MovieClip* child = entry.second.sprite.get();
    if (child != nullptr && SameName(entry.second.name, name, caseSensitive)) return child;
  }
  return nullptr;
}

void MovieClip::ForEachChild(const std::function<void(ActionTarget&)>& visit) {
  for (auto& entry : displayList_) {
    if (MovieClip* child = entry.second.sprite.get()) visit(*child);
  }
}

void MovieClip::SetName(const std::string& name) {
  if (parent_ == nullptr) return;  // the root keeps its empty name
  if (self_ != nullptr) self_->name = name;
  name_ = name;
}

double MovieClip::GetDisplayProperty(TargetProperty property) const {
  if (self_ == nullptr) return 0.0;
  const Matrix& m = self_->matrix;
  switch (property) {
    case TargetProperty::X:
      return m.translateX / 20.0;
    case TargetProperty::Y:
      return m.translateY / 20.0;
    case TargetProperty::XScale:
      return std::hypot(static_cast<double>(m.scaleX), static_cast<double>(m.rotateSkew0)) /
             65536.0 * 100.0;
    case TargetProperty::YScale:
      return std::hypot(static_cast<double>(m.rotateSkew1), static_cast<double>(m.scaleY)) /
             65536.0 * 100.0;
    case TargetProperty::Rotation:
      return std::atan2(static_cast<double>(m.rotateSkew0), static_cast<double>(m.scaleX)) *
             180.0 / kPi;
    case TargetProperty::Alpha:
      return self_->colorTransform.mult[3] / 256.0 * 100.0;
    case TargetProperty::Visible:
      return self_->visible ? 1.0 : 0.0;
    case TargetProperty::HighQuality:
    case TargetProperty::FocusRect:
      return 1.0;
    default:
      return 0.0;
  }
}

void MovieClip::SetDisplayProperty(TargetProperty property, double value) {
  if (self_ == nullptr || std::isnan(value) || parent_ == nullptr) return;
  Matrix& m = self_->matrix;
  const double xScale = GetDisplayProperty(TargetProperty::XScale) / 100.0;
  const double yScale = GetDisplayProperty(TargetProperty::YScale) / 100.0;
  const double rotation = GetDisplayProperty(TargetProperty::Rotation) * kPi / 180.0;
  auto compose = [&m](double sx, double sy, double r) {
    m.scaleX = RoundToInt32(sx * std::cos(r) * 65536.0);
    m.rotateSkew0 = RoundToInt32(sx * std::sin(r) * 65536.0);
    m.rotateSkew1 = RoundToInt32(-sy * std::sin(r) * 65536.0);
    m.scaleY = RoundToInt32(sy * std::cos(r) * 65536.0);
  };
  switch (property) {
    case TargetProperty::X:
      m.translateX = RoundToInt32(value * 20.0);
      break;
    case TargetProperty::Y:
      m.translateY = RoundToInt32(value * 20.0);
      break;
    case TargetProperty::XScale:
      compose(value / 100.0, yScale, rotation);
      break;
    case TargetProperty::YScale:
      compose(xScale, value / 100.0, rotation);
      break;
    case TargetProperty::Rotation:
      compose(xScale, yScale, value * kPi / 180.0);
      break;
    case TargetProperty::Alpha:
      self_->colorTransform.mult[3] = RoundToInt16(value / 100.0 * 256.0);
      break;
    case TargetProperty::Visible:
      self_->visible = value != 0.0;
      break;
    default:
      break;
  }
}

void MovieClip::EnterFrame(int frame) {
  currentFrame_ = frame;
  const FrameRecord& record = timeline_.Frame(frame);
  player_.ChargeTimelineWork(1 + record.displayList.size());
  // The frame's own actions run before those of sprites it places.
  player_.QueueActions(*this, record);
  for (const DisplayListTag& tag : record.displayList) {
    if (tag.kind == DisplayListTag::Kind::Remove) {
      RemoveAt(tag.remove.depth);
    } else {
      ApplyPlace(tag.place, frame);
    }
  }
}

void MovieClip::ApplyPlace(const PlaceObjectRecord& place, int frame) {
  const int depth = place.depth;
  auto it = displayList_.find(depth);
  if (Placement::PlacesAnew(place, it != displayList_.end())) {
    if (!place.characterId) return;  // nothing to place
    if (it != displayList_.end()) RemoveAt(depth);
    if (player_.ObjectsLeft() == 0) return;
    player_.AddObjects(1);
    DisplayObject& object = displayList_[depth];
    object.Apply(place, frame, true);
    AttachSprite(object);
    return;
  }
  DisplayObject& object = it->second;
  const std::uint16_t character = object.characterId;
  object.Apply(place, frame, false);
  if (object.sprite && place.name) object.sprite->name_ = *place.name;
  if (object.characterId != character) {
    // The character changes; the placement keeps its other properties.
    if (object.sprite) {
      object.sprite->MarkRemoved();
      player_.Bury(std::move(object.sprite));
    }
    AttachSprite(object);
  }
}

void MovieClip::RemoveAt(int depth) {
  auto it = displayList_.find(depth);
  if (it == displayList_.end()) return;
  if (it->second.sprite) {
    it->second.sprite->MarkRemoved();
    player_.Bury(std::move(it->second.sprite));
  }
  displayList_.erase(it);
  player_.RemoveObjects(1);
}

void MovieClip::AttachSprite(DisplayObject& object) {
  const SpriteDefinition* sprite = player_.FindSprite(object.characterId);
  if (sprite == nullptr || nesting_ + 1 > MoviePlayer::MaxNesting) return;
  if (!player_.TakeInstance()) return;
  object.sprite = std::make_unique<MovieClip>(player_, sprite->timeline, this, nesting_ + 1);
  object.sprite->self_ = &object;
  if (object.name.empty()) object.name = player_.NextInstanceName();
  object.sprite->name_ = object.name;
  object.sprite->EnterFirstFrame();
}

void MovieClip::MarkRemoved() {
  if (self_ != nullptr) name_ = self_->name;
  ReleaseScript();
  self_ = nullptr;
  removed_ = true;
  for (auto& entry : displayList_) {
    if (entry.second.sprite) entry.second.sprite->MarkRemoved();
  }
}

void MovieClip::JumpTo(int frame) {
  // The placements of the target frame, without instances: from frame 0
  // when going back, from the current list when going forward.
  std::map<int, Placement> target;
  int from = 0;
  if (frame > currentFrame_) {
    for (const auto& entry : displayList_) target.emplace(entry.first, entry.second);
    from = currentFrame_ + 1;
  }
  // Frames past the stored ones are empty and change nothing.
  const int last = std::min(frame, static_cast<int>(timeline_.frames.size()) - 1);
  player_.ChargeTimelineWork(static_cast<std::size_t>(last >= from ? last - from + 1 : 0) +
                             displayList_.size());
  for (int f = from; f <= last; ++f) {
    player_.ChargeTimelineWork(timeline_.Frame(f).displayList.size());
    for (const DisplayListTag& tag : timeline_.Frame(f).displayList) {
      if (tag.kind == DisplayListTag::Kind::Remove) {
        target.erase(tag.remove.depth);
        continue;
      }
      const PlaceObjectRecord& place = tag.place;
      const bool anew = Placement::PlacesAnew(place, target.count(place.depth) != 0);
      if (anew && !place.characterId) continue;
      target[place.depth].Apply(place, f, anew);
    }
  }

  // Past the movie's cap on entries, the deepest ones are left out.
  const std::size_t allowed = displayList_.size() + player_.ObjectsLeft();
  while (target.size() > allowed) target.erase(std::prev(target.end()));

  // Instances that persist (same character placed by the same tag) keep
  // their state; everything else is removed or placed anew.
  DisplayList next;
  std::vector<DisplayObject*> fresh;
  for (auto& entry : target) {
    Placement& placement = entry.second;
    auto old = displayList_.find(entry.first);
    DisplayObject* placed = nullptr;
    if (old != displayList_.end() && old->second.characterId == placement.characterId &&
        old->second.placedFrame == placement.placedFrame) {
      DisplayObject kept = std::move(old->second);
      displayList_.erase(old);
      // A sprite placed without a name keeps the name it was given.
      if (placement.name.empty() && kept.sprite) placement.name = kept.name;
      static_cast<Placement&>(kept) = std::move(placement);
      placed = &next.emplace(entry.first, std::move(kept)).first->second;
      if (placed->sprite) {
        placed->sprite->self_ = placed;
        placed->sprite->name_ = placed->name;
      }
    } else {
      DisplayObject object;
      static_cast<Placement&>(object) = std::move(placement);
      placed = &next.emplace(entry.first, std::move(object)).first->second;
      fresh.push_back(placed);
    }
  }
  for (auto& entry : displayList_) {
    if (entry.second.sprite) {
      entry.second.sprite->MarkRemoved();
      player_.Bury(std::move(entry.second.sprite));
    }
  }
  player_.RemoveObjects(displayList_.size() + (next.size() - fresh.size()));
  player_.AddObjects(next.size());
  displayList_ = std::move(next);
  currentFrame_ = frame;
  player_.QueueActions(*this, timeline_.Frame(frame));
  for (DisplayObject* object : fresh) AttachSprite(*object);
}

}  // namespace Halvane::Movie
