#include "movie/timeline/MovieClip.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <optional>
#include <vector>

#include "movie/actions/BitmapPixels.h"
#include "movie/actions/Numbers.h"
#include "movie/swf/Text.h"
#include "movie/timeline/DisplayProperties.h"
#include "movie/timeline/MoviePlayer.h"
#include "movie/timeline/TextFieldInstance.h"

namespace Halvane::Movie {

namespace {

// Scripts number depths from the timeline's -16384.
constexpr std::int64_t kDepthOffset = 16384;
// The deepest instance removeMovieClip still takes.
constexpr int kMaxRemovableDepth = 2130690031;

bool KeyOfDepth(int depth, int& key) {
  const std::int64_t k = static_cast<std::int64_t>(depth) + kDepthOffset;
  if (k < std::numeric_limits<int>::min() || k > std::numeric_limits<int>::max()) return false;
  key = static_cast<int>(k);
  return true;
}

// The timeline of createEmptyMovieClip: one empty frame.
const TimelineDefinition& EmptyTimeline() {
  static const TimelineDefinition empty{};
  return empty;
}

void Union(double box[4], const double other[4], bool& any) {
  if (!any) {
    for (int i = 0; i < 4; ++i) box[i] = other[i];
    any = true;
    return;
  }
  box[0] = std::min(box[0], other[0]);
  box[1] = std::min(box[1], other[1]);
  box[2] = std::max(box[2], other[2]);
  box[3] = std::max(box[3], other[3]);
}

// The bounds of box under t.
void TransformBox(const MovieClip::Transform& t, const double in[4], double out[4]) {
  bool first = true;
  for (int i = 0; i < 4; ++i) {
    double x = (i & 1) ? in[2] : in[0];
    double y = (i & 2) ? in[3] : in[1];
    t.Apply(x, y);
    if (first) {
      out[0] = out[2] = x;
      out[1] = out[3] = y;
      first = false;
    } else {
      out[0] = std::min(out[0], x);
      out[1] = std::min(out[1], y);
      out[2] = std::max(out[2], x);
      out[3] = std::max(out[3], y);
    }
  }
}

}  // namespace

MovieClip::Transform MovieClip::Transform::Then(const Transform& o) const {
  Transform r;
  r.a = o.a * a + o.c * b;
  r.b = o.b * a + o.d * b;
  r.c = o.a * c + o.c * d;
  r.d = o.b * c + o.d * d;
  r.tx = o.a * tx + o.c * ty + o.tx;
  r.ty = o.b * tx + o.d * ty + o.ty;
  return r;
}

MovieClip::Transform MovieClip::Transform::Inverse() const {
  Transform r;
  const double det = a * d - b * c;
  if (det == 0 || !std::isfinite(det)) return r;
  r.a = d / det;
  r.b = -b / det;
  r.c = -c / det;
  r.d = a / det;
  r.tx = -(r.a * tx + r.c * ty);
  r.ty = -(r.b * tx + r.d * ty);
  return r;
}

void MovieClip::Transform::Apply(double& x, double& y) const {
  const double nx = a * x + c * y + tx;
  const double ny = b * x + d * y + ty;
  x = nx;
  y = ny;
}

MovieClip::Transform MovieClip::FromMatrix(const Matrix& m) {
  Transform t;
  t.a = m.scaleX / 65536.0;
  t.b = m.rotateSkew0 / 65536.0;
  t.c = m.rotateSkew1 / 65536.0;
  t.d = m.scaleY / 65536.0;
  t.tx = m.translateX;
  t.ty = m.translateY;
  return t;
}

MovieClip::MovieClip(MoviePlayer& player, const TimelineDefinition& timeline, MovieClip* parent, int nesting,
                     std::uint16_t characterId, bool button)
    : player_(player),
      timeline_(timeline),
      parent_(parent),
      nesting_(nesting),
      characterId_(characterId),
      button_(button),
      variables_(VariableStore::NamesAreCaseSensitive(player.Definition().version)) {
  if (parent_ == nullptr) self_ = &rootObject_;
  drawing_.version = 4;
}

MovieClip::~MovieClip() {
  player_.Forget(*this);
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

void MovieClip::Request(Content content, const std::string& url) {
  if (parent_ == nullptr || removed_) return;
  requested_ = true;
  requestedContent_ = content;
  requestedUrl_ = url;
}

void MovieClip::TakeRequestedContent() {
  requested_ = false;
  content_ = requestedContent_;
  loadedUrl_ = std::move(requestedUrl_);
  requestedUrl_.clear();
  playing_ = false;
  // What the instance showed is replaced by what arrived: nothing.
  std::vector<int> keys;
  keys.reserve(displayList_.size());
  for (const auto& entry : displayList_) keys.push_back(entry.first);
  for (const int key : keys) RemoveAt(key);
  DrawCommand clear;
  clear.kind = DrawCommand::Kind::Clear;
  Draw(clear);
}

void MovieClip::Tick() {
  if (requested_) TakeRequestedContent();
  player_.QueueEvent(*this, ClipEvent::EnterFrame);
  if (playing_ && content_ == Content::Own && player_.TimelineWorkLeft()) {
    const int total = TotalFrames();
    if (currentFrame_ + 1 < total) {
      EnterFrame(currentFrame_ + 1);
    } else if (parent_ != nullptr || player_.Loop()) {
      // Sprites loop (unless their frames were cut short); the root loops
      // when the control's loop is set.
      if (total > 1 && (parent_ == nullptr || timeline_.complete)) JumpTo(0);
    } else {
      playing_ = false;
    }
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

bool MovieClip::GotoFrameWithoutActions(int frame, bool play) {
  if (!player_.TimelineWorkLeft() || frame < 0 || frame >= TotalFrames()) return false;
  if (frame != currentFrame_) JumpTo(frame, false);
  playing_ = play;
  return true;
}

const std::vector<ByteBlock>* MovieClip::FrameActions(int frame) const {
  if (frame < 0 || frame >= timeline_.FrameCount()) return nullptr;
  const FrameRecord& record = timeline_.Frame(frame);
  return record.actions.empty() ? nullptr : &record.actions;
}

bool MovieClip::GotoLabel(const std::string& label, bool play) {
  const int frame = timeline_.FindLabel(label);
  if (frame < 0) return false;
  return GotoFrame(frame, play);
}

ActionTarget* MovieClip::ChildByName(const std::string& name, bool caseSensitive) {
  if (name.empty()) return nullptr;
  for (auto& entry : displayList_) {
    if (!SameName(entry.second.name, name, caseSensitive)) continue;
    if (MovieClip* child = entry.second.sprite.get()) return child;
    if (TextFieldInstance* field = entry.second.text.get()) return field;
    // A named shape is no timeline: its name answers with the one it is on.
    return this;
  }
  return nullptr;
}

void MovieClip::ForEachChild(const std::function<void(ActionTarget&)>& visit) {
  for (auto& entry : displayList_) {
    if (MovieClip* child = entry.second.sprite.get()) visit(*child);
    else if (TextFieldInstance* field = entry.second.text.get()) visit(*field);
  }
}

ActionTarget* MovieClip::ChildAtDepth(int depth) {
  int key = 0;
  if (!KeyOfDepth(depth, key)) return nullptr;
  const auto it = displayList_.find(key);
  if (it == displayList_.end()) return nullptr;
  if (it->second.sprite) return it->second.sprite.get();
  return it->second.text.get();
}

void MovieClip::SetName(const std::string& name) {
  // A root may be named too; paths start at its level all the same.
  if (self_ != nullptr) self_->name = name;
  name_ = name;
}

bool MovieClip::LocalBounds(double box[4]) const { return BoundsUnder(Transform(), box); }

bool MovieClip::BoundsUnder(const Transform& t, double box[4]) const {
  bool any = false;
  double part[4];
  if (Drawing() != nullptr) {
    const double drawn[4] = {static_cast<double>(drawing_.bounds.xMin), static_cast<double>(drawing_.bounds.yMin),
                             static_cast<double>(drawing_.bounds.xMax), static_cast<double>(drawing_.bounds.yMax)};
    TransformBox(t, drawn, part);
    Union(box, part, any);
  }
  for (const auto& entry : displayList_) {
    const DisplayObject& object = entry.second;
    const Transform inner = FromMatrix(object.matrix).Then(t);
    if (object.sprite) {
      if (object.sprite->BoundsUnder(inner, part)) Union(box, part, any);
      continue;
    }
    double local[4];
    if (!LocalBounds(object, local)) continue;
    TransformBox(inner, local, part);
    Union(box, part, any);
  }
  return any;
}

// The bounds of one entry in this instance's space, twips.
bool MovieClip::BoundsOf(const DisplayObject& object, double box[4]) const {
  if (object.sprite) return object.sprite->BoundsUnder(FromMatrix(object.matrix), box);
  double local[4];
  if (!LocalBounds(object, local)) return false;
  TransformBox(FromMatrix(object.matrix), local, box);
  return true;
}

// The bounds of a text field or a shape entry in its own space, twips.
bool MovieClip::LocalBounds(const DisplayObject& object, double local[4]) const {
  if (object.bitmap) {
    if (object.bitmap->Disposed()) return false;
    local[0] = local[1] = 0;
    local[2] = object.bitmap->Width() * 20.0;
    local[3] = object.bitmap->Height() * 20.0;
    return true;
  }
  if (!object.text) return player_.CharacterBounds(object.characterId, object.ratio, local);
  const TextFieldData& d = object.text->Data();
  local[0] = d.x * 20;
  local[1] = d.y * 20;
  local[2] = (d.x + d.width) * 20;
  local[3] = (d.y + d.height) * 20;
  return true;
}

double MovieClip::GetDisplayProperty(TargetProperty property) const {
  const MoviePlayer::Settings& settings = player_.PlayerSettings();
  switch (property) {
    case TargetProperty::Quality: return settings.quality;
    case TargetProperty::HighQuality: return settings.quality == 3 ? 2 : settings.quality == 0 ? 0 : 1;
    case TargetProperty::FocusRect: return settings.focusRect ? 1 : 0;
    case TargetProperty::SoundBufTime: return settings.soundBufferSeconds;
    default: break;
  }
  if (self_ == nullptr) return 0.0;
  if (property == TargetProperty::Width || property == TargetProperty::Height) {
    double box[4];
    return ReadPlacementProperty(*self_, property, LocalBounds(box) ? box : nullptr, player_.Definition().version);
  }
  return ReadPlacementProperty(*self_, property, nullptr);
}

void MovieClip::SetDisplayProperty(TargetProperty property, double value) {
  if (std::isnan(value)) return;
  MoviePlayer::Settings& settings = player_.PlayerSettings();
  switch (property) {
    case TargetProperty::Quality:
      if (value >= 0 && value <= 3) settings.quality = static_cast<int>(value);
      return;
    case TargetProperty::HighQuality:
      settings.quality = value >= 2 ? 3 : value == 0 ? 0 : 2;
      return;
    case TargetProperty::FocusRect:
      settings.focusRect = value != 0;
      return;
    case TargetProperty::SoundBufTime:
      settings.soundBufferSeconds = value >= -2147483648.0 && value < 2147483648.0 ? TruncateToInt32(value)
                                                                                 : std::numeric_limits<std::int32_t>::min();
      return;
    default:
      break;
  }
  if (self_ == nullptr) return;
  double box[4];
  const bool measured = (property == TargetProperty::Width || property == TargetProperty::Height) && LocalBounds(box);
  WritePlacementProperty(*self_, property, value, measured ? box : nullptr, player_.Definition().version);
}

MovieClip::Transform MovieClip::StageTransform() const {
  Transform t;
  for (const MovieClip* clip = this; clip != nullptr; clip = clip->parent_) {
    if (clip->self_ == nullptr) break;
    t = t.Then(FromMatrix(clip->self_->matrix));
  }
  return t;
}

bool MovieClip::GetBounds(ActionTarget* space, PixelBounds& bounds) {
  // The platform's player measures in whole twips: the instance's own
  // bounds are rounded, and each corner goes to the stage and from there
  // into the other space rounded on the way, turning the box as a whole.
  double local[4];
  if (!LocalBounds(local)) return false;
  const auto twips = [](double v) { return std::floor(v + 0.5); };
  for (double& v : local) v = twips(v);
  double box[4] = {local[0], local[1], local[2], local[3]};
  if (space != nullptr && space != this) {
    Transform spaceTransform;
    if (auto* clip = dynamic_cast<MovieClip*>(space)) {
      spaceTransform = clip->StageTransform();
    } else {
      const Matrix m = space->GetMatrix();
      spaceTransform = FromMatrix(m);
      if (auto* parent = dynamic_cast<MovieClip*>(space->Parent())) {
        spaceTransform = spaceTransform.Then(parent->StageTransform());
      }
    }
    const Transform toStage = StageTransform();
    Transform fromStage = spaceTransform.Inverse();
    fromStage.tx = twips(fromStage.tx);
    fromStage.ty = twips(fromStage.ty);
    for (int i = 0; i < 4; ++i) {
      double x = (i & 1) ? local[2] : local[0];
      double y = (i & 2) ? local[3] : local[1];
      toStage.Apply(x, y);
      x = twips(x);
      y = twips(y);
      fromStage.Apply(x, y);
      if (i == 0) {
        box[0] = box[2] = x;
        box[1] = box[3] = y;
      } else {
        box[0] = std::min(box[0], x);
        box[1] = std::min(box[1], y);
        box[2] = std::max(box[2], x);
        box[3] = std::max(box[3], y);
      }
    }
    for (double& v : box) v = twips(v);
  }
  bounds.xMin = box[0] / 20.0;
  bounds.yMin = box[1] / 20.0;
  bounds.xMax = box[2] / 20.0;
  bounds.yMax = box[3] / 20.0;
  return true;
}

std::vector<ActionTarget::StaticTextCharacter> MovieClip::StaticText() {
  std::vector<StaticTextCharacter> characters;
  for (const auto& entry : displayList_) {
    const StaticTextDefinition* text = player_.FindStaticText(entry.second.characterId);
    if (text == nullptr) continue;
    bool newLine = true;
    const FontDefinition* font = nullptr;
    std::optional<std::int16_t> y;
    for (const TextRecord& record : text->records) {
      if (record.fontId) font = player_.FindFont(*record.fontId);
      if (record.yOffset && y && *record.yOffset != *y) newLine = true;
      if (record.yOffset) y = record.yOffset;
      for (const TextGlyph& glyph : record.glyphs) {
        // A glyph the font does not have has no character to show.
        if (font == nullptr || glyph.index >= font->glyphs.size()) continue;
        if (characters.size() >= MaxStaticTextCharacters) return characters;
        characters.push_back({font->glyphs[glyph.index].code, newLine});
        newLine = false;
      }
    }
  }
  return characters;
}

bool MovieClip::ExportedSoundLength(const std::string& name, double& milliseconds) {
  const std::uint16_t id = player_.FindExport(name);
  const SoundDefinition* sound = id != 0 ? player_.FindSound(id) : nullptr;
  if (sound == nullptr) return false;
  milliseconds = sound->Milliseconds();
  return true;
}

void MovieClip::LocalToGlobal(double& x, double& y) {
  double tx = x * 20, ty = y * 20;
  StageTransform().Apply(tx, ty);
  x = tx / 20;
  y = ty / 20;
}

void MovieClip::GlobalToLocal(double& x, double& y) {
  double tx = x * 20, ty = y * 20;
  StageTransform().Inverse().Apply(tx, ty);
  x = tx / 20;
  y = ty / 20;
}

bool MovieClip::HitTestPoint(double x, double y, bool shapeFlag) {
  const double sx = x * 20, sy = y * 20;
  if (!shapeFlag) {
    double local[4];
    if (!LocalBounds(local)) return false;
    double box[4];
    TransformBox(StageTransform(), local, box);
    return sx >= box[0] && sx <= box[2] && sy >= box[1] && sy <= box[3];
  }
  // With the shape flag: the point on one of the shapes, each measured by
  // its own bounds in its own space.
  const Transform toLocal = StageTransform().Inverse();
  double lx = sx, ly = sy;
  toLocal.Apply(lx, ly);
  if (Drawing() != nullptr && lx >= drawing_.bounds.xMin && lx <= drawing_.bounds.xMax &&
      ly >= drawing_.bounds.yMin && ly <= drawing_.bounds.yMax) {
    return true;
  }
  for (auto& entry : displayList_) {
    if (!entry.second.visible) continue;
    if (entry.second.sprite) {
      if (entry.second.sprite->HitTestPoint(x, y, true)) return true;
      continue;
    }
    double local[4];
    if (entry.second.text) {
      if (BoundsOf(entry.second, local) && lx >= local[0] && lx <= local[2] && ly >= local[1] && ly <= local[3]) {
        return true;
      }
      continue;
    }
    if (!player_.CharacterBounds(entry.second.characterId, entry.second.ratio, local)) continue;
    double px = lx, py = ly;
    FromMatrix(entry.second.matrix).Inverse().Apply(px, py);
    if (player_.CharacterHit(entry.second.characterId, px, py)) return true;
  }
  return false;
}

Matrix MovieClip::GetMatrix() const { return self_ ? self_->matrix : Matrix(); }

void MovieClip::SetMatrix(const Matrix& m) {
  if (self_ != nullptr && parent_ != nullptr) {
    self_->matrix = m;
    self_->transformed = true;
    self_->scaleAndRotationSet = false;
  }
}

ColorTransform MovieClip::GetColorTransform() const { return self_ ? self_->colorTransform : ColorTransform(); }

void MovieClip::SetColorTransform(const ColorTransform& cx) {
  if (self_ != nullptr) {
    self_->colorTransform = cx;
    self_->transformed = true;
  }
}

int MovieClip::BlendMode() const { return self_ ? self_->blendMode : 0; }

void MovieClip::SetBlendMode(int mode) {
  if (self_ != nullptr) self_->blendMode = static_cast<std::uint8_t>(mode);
}

std::vector<FilterRecord> MovieClip::Filters() const { return self_ ? self_->FilterList() : std::vector<FilterRecord>(); }

void MovieClip::SetFilters(std::vector<FilterRecord> filters) {
  if (self_ != nullptr) self_->SetFilterList(std::move(filters));
}

void MovieClip::SetMask(ActionTarget* mask) { mask_ = dynamic_cast<MovieClip*>(mask); }

void MovieClip::EnterFrame(int frame) {
  currentFrame_ = frame;
  const FrameRecord& record = timeline_.Frame(frame);
  player_.ChargeTimelineWork(1 + record.displayList.size());
  if (parent_ == nullptr) player_.QueueInitActions(*this, record);
  // Actions are queued in their place among the placements, so that a
  // sprite placed before them has its first actions queued first.
  std::size_t action = 0;
  const auto queueUpTo = [&](std::size_t tags) {
    for (; action < record.actions.size(); ++action) {
      const std::size_t position = action < record.actionPositions.size() ? record.actionPositions[action] : 0;
      if (position > tags) break;
      player_.QueueAction(*this, record.actions[action]);
    }
  };
  for (std::size_t i = 0; i < record.displayList.size(); ++i) {
    queueUpTo(i);
    const DisplayListTag& tag = record.displayList[i];
    if (tag.kind == DisplayListTag::Kind::Remove) {
      if (!DeferRemoval(tag.remove.depth)) RemoveAt(tag.remove.depth);
    } else {
      ApplyPlace(tag.place, frame);
    }
  }
  queueUpTo(std::numeric_limits<std::size_t>::max());
}

void MovieClip::ApplyPlace(const PlaceObjectRecord& place, int frame) {
  const int depth = place.depth;
  auto it = displayList_.find(depth);
  if (it != displayList_.end() && it->second.scripted) return;  // what scripts made stays theirs
  if (Placement::Refused(place, it != displayList_.end())) {
    const ActionContext& context = player_.Context();
    if (context.trace) context.trace("Warning: Failed to place object at depth " + std::to_string(depth) + ".");
    return;
  }
  if (Placement::PlacesAnew(place, it != displayList_.end())) {
    if (!place.characterId) return;  // nothing to place
    if (it != displayList_.end()) RemoveAt(depth);
    if (player_.ObjectsLeft() == 0) return;
    player_.AddObjects(1);
    DisplayObject& object = displayList_[depth];
    object.Apply(place, frame, true);
    AttachSprite(object, depth);
    return;
  }
  DisplayObject& object = it->second;
  const std::uint16_t character = object.characterId;
  const Matrix matrix = object.matrix;
  const ColorTransform colorTransform = object.colorTransform;
  object.Apply(place, frame, false);
  if (object.transformed) {
    object.matrix = matrix;
    object.colorTransform = colorTransform;
  } else if (place.matrix) {
    object.scaleAndRotationSet = false;
  }
  if (object.sprite && place.name) object.sprite->name_ = *place.name;
  if (object.characterId != character) {
    // The character changes; the placement keeps its other properties.
    if (object.sprite) {
      object.sprite->MarkRemoved();
      player_.Bury(std::move(object.sprite));
    }
    if (object.text) {
      object.text->MarkRemoved();
      player_.Bury(std::move(object.text));
    }
    AttachSprite(object, depth);
  }
}

void MovieClip::RemoveAt(int depth) {
  auto it = displayList_.find(depth);
  if (it == displayList_.end()) return;
  if (it->second.sprite) {
    it->second.sprite->MarkRemoved();
    player_.Bury(std::move(it->second.sprite));
  }
  if (it->second.text) {
    it->second.text->MarkRemoved();
    player_.Bury(std::move(it->second.text));
  }
  displayList_.erase(it);
  player_.RemoveObjects(1);
}

bool MovieClip::DeferRemoval(int depth) {
  auto it = displayList_.find(depth);
  if (it == displayList_.end() || !it->second.sprite || depth < 0) return false;
  MovieClip& child = *it->second.sprite;
  if (child.Unloaded() || !player_.HasUnloadHandler(child)) return false;
  const int key = -(depth + 1);
  if (displayList_.count(key) != 0) return false;
  // The node keeps its address, so the child's entry pointer stays valid.
  auto node = displayList_.extract(it);
  node.key() = key;
  node.mapped().scripted = true;
  displayList_.insert(std::move(node));
  child.depth_ = key - static_cast<int>(kDepthOffset);
  child.Unload();
  player_.DeferRemoval(child);
  return true;
}

void MovieClip::Unload() {
  if (Unloaded()) return;
  for (auto& entry : displayList_) {
    if (entry.second.sprite) entry.second.sprite->Unload();
  }
  leaving_ = true;
  unloadQueued_ = player_.QueueUnload(*this);
}

bool MovieClip::RemoveChild(MovieClip& child) {
  for (auto& entry : displayList_) {
    if (entry.second.sprite.get() == &child) {
      RemoveAt(entry.first);
      return true;
    }
  }
  return false;
}

void MovieClip::AttachSprite(DisplayObject& object, int key) {
  if (const EditTextDefinition* edit = player_.FindEditText(object.characterId)) {
    object.text = std::make_unique<TextFieldInstance>(*this, object, variables_.CaseSensitive());
    const auto& fonts = player_.Definition().fonts;
    const auto font = edit->fontId ? fonts.find(*edit->fontId) : fonts.end();
    const FontDefinition* fontOfField = font == fonts.end() ? nullptr : &font->second;
    const int version = player_.Definition().version;
    // Field texts are UTF-8, as the actions keep theirs: the first text of
    // an older movie's field is in the system code page.
    ActionContext& context = player_.Context();
    if (version < 6 && edit->initialText && context.legacyText) {
      EditTextDefinition converted = *edit;
      converted.initialText = context.legacyText(*edit->initialText);
      object.text->Initialize(converted, fontOfField, version);
    } else {
      object.text->Initialize(*edit, fontOfField, version);
    }
    if (object.name.empty()) object.name = player_.NextInstanceName();
    player_.TextFieldPlaced(*object.text);
    return;
  }
  const SpriteDefinition* sprite = player_.FindSprite(object.characterId);
  const ButtonDefinition* button = sprite ? nullptr : player_.FindButton(object.characterId);
  if ((sprite == nullptr && button == nullptr) || nesting_ + 1 > MoviePlayer::MaxNesting) return;
  if (!player_.TakeInstance()) return;
  object.sprite = std::make_unique<MovieClip>(player_, sprite ? sprite->timeline : button->upState, this,
                                              nesting_ + 1, object.characterId, button != nullptr);
  MovieClip& child = *object.sprite;
  child.self_ = &object;
  child.depth_ = key - static_cast<int>(kDepthOffset);
  child.clipActions_ = object.clipActions;
  if (object.name.empty()) object.name = player_.NextInstanceName();
  child.name_ = object.name;
  player_.Instantiate(child, !object.scripted);
  child.EnterFirstFrame();
}

void MovieClip::MarkRemoved() {
  if (removed_) return;
  if (self_ != nullptr) name_ = self_->name;
  // Children go first: their unload events come before this one's.
  for (auto& entry : displayList_) {
    if (entry.second.sprite) entry.second.sprite->MarkRemoved();
    if (entry.second.text) entry.second.text->MarkRemoved();
  }
  removed_ = true;
  // An instance unloaded earlier (a deferred removal) had its unload event
  // queued then, which releases the script once it has run.
  if (leaving_) {
    if (!unloadQueued_ || unloadRan_) ReleaseScript();
  } else if (!player_.QueueUnload(*this)) {
    ReleaseScript();
  }
  self_ = nullptr;
}

void MovieClip::JumpTo(int frame, bool runActions) {
  if (content_ != Content::Own) return;  // the frames it had are gone
  // The placements of the target frame, without instances: from frame 0
  // when going back, from the current list when going forward.
  std::map<int, Placement> target;
  int from = 0;
  if (frame > currentFrame_) {
    for (const auto& entry : displayList_) {
      if (!entry.second.scripted) target.emplace(entry.first, entry.second);
    }
    from = currentFrame_ + 1;
  }
  // Frames past the stored ones are empty and change nothing.
  const int last = std::min(frame, static_cast<int>(timeline_.frames.size()) - 1);
  player_.ChargeTimelineWork(static_cast<std::size_t>(last >= from ? last - from + 1 : 0) + displayList_.size());
  for (int f = from; f <= last; ++f) {
    player_.ChargeTimelineWork(timeline_.Frame(f).displayList.size());
    if (parent_ == nullptr && f != frame) player_.QueueInitActions(*this, timeline_.Frame(f));
    for (const DisplayListTag& tag : timeline_.Frame(f).displayList) {
      if (tag.kind == DisplayListTag::Kind::Remove) {
        target.erase(tag.remove.depth);
        continue;
      }
      const PlaceObjectRecord& place = tag.place;
      if (Placement::Refused(place, target.count(place.depth) != 0)) continue;
      const bool anew = Placement::PlacesAnew(place, target.count(place.depth) != 0);
      if (anew && !place.characterId) continue;
      target[place.depth].Apply(place, f, anew);
    }
  }

  // Past the movie's cap on entries, the deepest ones are left out.
  std::size_t scripted = 0;
  for (const auto& entry : displayList_) scripted += entry.second.scripted ? 1 : 0;
  const std::size_t allowed = displayList_.size() - scripted + player_.ObjectsLeft();
  while (target.size() > allowed) target.erase(std::prev(target.end()));

  // Instances that persist (same character placed by the same tag) keep
  // their state; what scripts made stays; everything else is removed or
  // placed anew.
  DisplayList next;
  std::vector<std::pair<DisplayObject*, int>> fresh;
  // Going back, what scripts put among the timeline's depths goes; at the
  // depths of scripts (0 and up) it stays either way.
  const bool rewinding = frame < currentFrame_;
  for (auto it = displayList_.begin(); it != displayList_.end();) {
    const bool keep = !rewinding || it->first >= static_cast<int>(kDepthOffset);
    if (it->second.scripted && keep && target.count(it->first) == 0) {
      next.emplace(it->first, std::move(it->second));
      it = displayList_.erase(it);
    } else {
      ++it;
    }
  }
  for (auto& entry : target) {
    Placement& placement = entry.second;
    auto old = displayList_.find(entry.first);
    DisplayObject* placed = nullptr;
    if (old != displayList_.end() && old->second.characterId == placement.characterId &&
        old->second.placedFrame == placement.placedFrame) {
      DisplayObject kept = std::move(old->second);
      displayList_.erase(old);
      // A sprite placed without a name keeps the name it was given.
      if (placement.name.empty() && (kept.sprite || kept.text)) placement.name = kept.name;
      if (kept.transformed) {
        placement.matrix = kept.matrix;
        placement.colorTransform = kept.colorTransform;
      } else {
        kept.scaleAndRotationSet = false;
      }
      static_cast<Placement&>(kept) = std::move(placement);
      placed = &next.emplace(entry.first, std::move(kept)).first->second;
    } else {
      DisplayObject object;
      static_cast<Placement&>(object) = std::move(placement);
      placed = &next.emplace(entry.first, std::move(object)).first->second;
      fresh.emplace_back(placed, entry.first);
    }
  }
  for (auto& entry : displayList_) {
    if (entry.second.sprite) {
      entry.second.sprite->MarkRemoved();
      player_.Bury(std::move(entry.second.sprite));
    }
    if (entry.second.text) {
      entry.second.text->MarkRemoved();
      player_.Bury(std::move(entry.second.text));
    }
  }
  player_.RemoveObjects(displayList_.size() + (next.size() - fresh.size()));
  player_.AddObjects(next.size());
  displayList_ = std::move(next);
  // Entries moved: their instances learn where they are now.
  for (auto& entry : displayList_) {
    if (entry.second.sprite) {
      entry.second.sprite->self_ = &entry.second;
      entry.second.sprite->name_ = entry.second.name;
    }
    if (entry.second.text) entry.second.text->Rebind(&entry.second);
  }
  currentFrame_ = frame;
  if (parent_ == nullptr) player_.QueueInitActions(*this, timeline_.Frame(frame));
  if (runActions) player_.QueueActions(*this, timeline_.Frame(frame));
  for (auto& [object, key] : fresh) AttachSprite(*object, key);
}

// --- Instances made by scripts

DisplayObject* MovieClip::ScriptEntry(int depth, const std::string& name) {
  int key = 0;
  if (!KeyOfDepth(depth, key)) return nullptr;
  RemoveAt(key);
  if (player_.ObjectsLeft() == 0) return nullptr;
  player_.AddObjects(1);
  DisplayObject& object = displayList_[key];
  object.name = name;
  object.scripted = true;
  object.placedFrame = -1;
  return &object;
}

ActionTarget* MovieClip::AttachMovie(const std::string& symbol, const std::string& name, int depth) {
  if (removed_) return nullptr;
  const std::uint16_t id = player_.FindExport(symbol);
  if (id == 0 || player_.FindSprite(id) == nullptr) return nullptr;
  DisplayObject* object = ScriptEntry(depth, name);
  if (object == nullptr) return nullptr;
  object->characterId = id;
  int key = 0;
  KeyOfDepth(depth, key);
  AttachSprite(*object, key);
  return object->sprite.get();
}

ActionTarget* MovieClip::CreateEmptyMovieClip(const std::string& name, int depth) {
  if (removed_ || nesting_ + 1 > MoviePlayer::MaxNesting) return nullptr;
  DisplayObject* object = ScriptEntry(depth, name);
  if (object == nullptr) return nullptr;
  if (!player_.TakeInstance()) return nullptr;
  int key = 0;
  KeyOfDepth(depth, key);
  object->sprite = std::make_unique<MovieClip>(player_, EmptyTimeline(), this, nesting_ + 1, 0);
  MovieClip& child = *object->sprite;
  child.self_ = object;
  child.depth_ = depth;
  child.name_ = name;
  player_.Instantiate(child, false);
  child.EnterFirstFrame();
  return &child;
}

ActionTarget* MovieClip::CreateTextField(const std::string& name, int depth, const PixelBounds& box) {
  if (removed_) return nullptr;
  DisplayObject* object = ScriptEntry(depth, name);
  if (object == nullptr) return nullptr;
  object->text = std::make_unique<TextFieldInstance>(*this, *object, variables_.CaseSensitive());
  TextFieldData& data = object->text->Data();
  data.x = 0;
  data.y = 0;
  data.width = box.xMax - box.xMin;
  data.height = box.yMax - box.yMin;
  object->matrix.translateX = RoundToInt32(box.xMin * 20);
  object->matrix.translateY = RoundToInt32(box.yMin * 20);
  player_.TextFieldPlaced(*object->text);
  return object->text.get();
}

void MovieClip::AttachBitmap(std::shared_ptr<const BitmapPixels> pixels, int depth, bool smoothing) {
  if (removed_) return;
  DisplayObject* object = ScriptEntry(depth, std::string());
  if (object == nullptr) return;
  object->bitmap = std::move(pixels);
  object->bitmapSmoothing = smoothing;
}

ActionTarget* MovieClip::Duplicate(const std::string& name, int depth) {
  if (removed_ || parent_ == nullptr || self_ == nullptr) return nullptr;
  MovieClip& parent = *parent_;
  const DisplayObject source = [this] {
    DisplayObject copy;
    static_cast<Placement&>(copy) = *self_;
    copy.visible = self_->visible;
    return copy;
  }();
  DisplayObject* object = parent.ScriptEntry(depth, name);
  if (object == nullptr) return nullptr;
  static_cast<Placement&>(*object) = static_cast<const Placement&>(source);
  object->name = name;
  object->visible = source.visible;
  object->scripted = true;
  int key = 0;
  KeyOfDepth(depth, key);
  if (characterId_ == 0) {
    // An empty clip made by script: a new empty one, with the drawing.
    if (!player_.TakeInstance()) return nullptr;
    object->sprite = std::make_unique<MovieClip>(player_, EmptyTimeline(), &parent, nesting_, 0);
    MovieClip& copy = *object->sprite;
    copy.self_ = object;
    copy.depth_ = depth;
    copy.name_ = name;
    player_.Instantiate(copy, false);
    copy.EnterFirstFrame();
  } else {
    parent.AttachSprite(*object, key);
  }
  MovieClip* copy = object->sprite.get();
  if (copy != nullptr) {
    copy->drawing_ = drawing_;
    copy->penX_ = penX_;
    copy->penY_ = penY_;
    copy->filling_ = filling_;
    copy->drawnAny_ = drawnAny_;
    copy->fillStartX_ = fillStartX_;
    copy->fillStartY_ = fillStartY_;
  }
  return copy;
}

bool MovieClip::RemoveFromParent() {
  if (parent_ == nullptr || self_ == nullptr || removed_) return false;
  // Only instances at the depths scripts use can be removed (timeline
  // instances sit below 0 until swapDepths moves them).
  if (depth_ < 0 || depth_ > kMaxRemovableDepth) return false;
  int key = 0;
  if (!KeyOfDepth(depth_, key)) return false;
  parent_->RemoveAt(key);
  return true;
}

bool MovieClip::SwapDepths(int depth) {
  if (parent_ == nullptr || self_ == nullptr || removed_) return false;
  int from = 0, to = 0;
  if (!KeyOfDepth(depth_, from) || !KeyOfDepth(depth, to) || from == to) return false;
  MovieClip& parent = *parent_;
  auto mine = parent.displayList_.find(from);
  if (mine == parent.displayList_.end()) return false;
  DisplayObject moving = std::move(mine->second);
  parent.displayList_.erase(mine);
  moving.scripted = true;
  auto other = parent.displayList_.find(to);
  if (other != parent.displayList_.end()) {
    DisplayObject swapped = std::move(other->second);
    parent.displayList_.erase(other);
    swapped.scripted = true;
    DisplayObject& placed = parent.displayList_.emplace(from, std::move(swapped)).first->second;
    if (placed.sprite) {
      placed.sprite->self_ = &placed;
      placed.sprite->depth_ = from - static_cast<int>(kDepthOffset);
    }
    if (placed.text) placed.text->Rebind(&placed);
  }
  DisplayObject& placed = parent.displayList_.emplace(to, std::move(moving)).first->second;
  self_ = &placed;
  depth_ = depth;
  return true;
}

std::string MovieClip::SymbolName() const { return player_.ExportName(characterId_); }

// --- The drawing methods

void MovieClip::GrowDrawingBounds(std::int32_t x, std::int32_t y, std::int32_t pad) {
  TwipsRect& b = drawing_.bounds;
  if (!drawnAny_) {
    b.xMin = x - pad;
    b.xMax = x + pad;
    b.yMin = y - pad;
    b.yMax = y + pad;
    drawnAny_ = true;
  } else {
    b.xMin = std::min(b.xMin, x - pad);
    b.xMax = std::max(b.xMax, x + pad);
    b.yMin = std::min(b.yMin, y - pad);
    b.yMax = std::max(b.yMax, y + pad);
  }
  drawing_.edgeBounds = b;
}

// A style change record with new style arrays holding the styles in force:
// each part of a drawing keeps its own.
void MovieClip::DrawingStyleChange(std::optional<std::uint32_t> fill, std::optional<std::uint32_t> line) {
  ShapeRecord record;
  record.kind = ShapeRecord::Kind::StyleChange;
  record.fillStyle0 = 0;
  record.fillStyle1 = fill.value_or(0);
  record.lineStyle = line.value_or(0);
  record.moveTo = std::make_pair(penX_, penY_);
  drawing_.records.push_back(std::move(record));
}

void MovieClip::CloseFill() {
  if (!filling_) return;
  if (penX_ != fillStartX_ || penY_ != fillStartY_) {
    ShapeRecord edge;
    edge.kind = ShapeRecord::Kind::StraightEdge;
    edge.deltaX = fillStartX_ - penX_;
    edge.deltaY = fillStartY_ - penY_;
    drawing_.records.push_back(edge);
    penX_ = fillStartX_;
    penY_ = fillStartY_;
  }
}

void MovieClip::Draw(const DrawCommand& command) {
  // Each call is one record or a few; a script looping on them is bounded
  // by its budget, and the shape by the cap on shape elements.
  if (drawing_.records.size() >= (1u << 20)) return;
  switch (command.kind) {
    case DrawCommand::Kind::Clear:
      drawing_.records.clear();
      drawing_.styles = ShapeStyles();
      drawing_.bounds = drawing_.edgeBounds = TwipsRect();
      penX_ = penY_ = 0;
      filling_ = false;
      drawnAny_ = false;
      break;
    case DrawCommand::Kind::BeginFill: {
      CloseFill();
      ShapeRecord record;
      record.kind = ShapeRecord::Kind::StyleChange;
      ShapeStyles styles;
      styles.fills.push_back(command.fill);
      // The line in force carries over.
      const LineStyle* line = nullptr;
      for (auto it = drawing_.records.rbegin(); it != drawing_.records.rend(); ++it) {
        if (it->newStyles) {
          if (!it->newStyles->lines.empty() && it->lineStyle.value_or(0) != 0) line = &it->newStyles->lines[0];
          break;
        }
      }
      if (line != nullptr) styles.lines.push_back(*line);
      record.newStyles = std::move(styles);
      record.fillStyle0 = 0;
      record.fillStyle1 = 1;
      record.lineStyle = line != nullptr ? 1u : 0u;
      record.moveTo = std::make_pair(penX_, penY_);
      drawing_.records.push_back(std::move(record));
      filling_ = true;
      fillStartX_ = penX_;
      fillStartY_ = penY_;
      break;
    }
    case DrawCommand::Kind::EndFill:
      CloseFill();
      if (filling_) {
        ShapeRecord record;
        record.kind = ShapeRecord::Kind::StyleChange;
        record.fillStyle0 = 0;
        record.fillStyle1 = 0;
        drawing_.records.push_back(std::move(record));
      }
      filling_ = false;
      break;
    case DrawCommand::Kind::LineStyle:
    case DrawCommand::Kind::NoLine: {
      ShapeRecord record;
      record.kind = ShapeRecord::Kind::StyleChange;
      ShapeStyles styles;
      // The fill in force carries over.
      if (filling_) {
        for (auto it = drawing_.records.rbegin(); it != drawing_.records.rend(); ++it) {
          if (it->newStyles) {
            if (!it->newStyles->fills.empty()) styles.fills.push_back(it->newStyles->fills[0]);
            break;
          }
        }
      }
      if (command.kind == DrawCommand::Kind::LineStyle) styles.lines.push_back(command.line);
      record.fillStyle0 = 0;
      record.fillStyle1 = styles.fills.empty() ? 0u : 1u;
      record.lineStyle = styles.lines.empty() ? 0u : 1u;
      record.newStyles = std::move(styles);
      drawing_.records.push_back(std::move(record));
      break;
    }
    case DrawCommand::Kind::MoveTo: {
      CloseFill();
      penX_ = command.x;
      penY_ = command.y;
      if (filling_) {
        fillStartX_ = penX_;
        fillStartY_ = penY_;
      }
      ShapeRecord record;
      record.kind = ShapeRecord::Kind::StyleChange;
      record.moveTo = std::make_pair(penX_, penY_);
      drawing_.records.push_back(std::move(record));
      break;
    }
    case DrawCommand::Kind::LineTo:
    case DrawCommand::Kind::CurveTo: {
      std::int32_t pad = 0;
      for (auto it = drawing_.records.rbegin(); it != drawing_.records.rend(); ++it) {
        if (it->newStyles) {
          if (!it->newStyles->lines.empty() && it->lineStyle.value_or(0) != 0) {
            pad = it->newStyles->lines[0].width / 2;
          }
          break;
        }
      }
      if (drawing_.records.empty()) {
        ShapeRecord start;
        start.kind = ShapeRecord::Kind::StyleChange;
        start.moveTo = std::make_pair(penX_, penY_);
        drawing_.records.push_back(std::move(start));
      }
      GrowDrawingBounds(penX_, penY_, pad);
      ShapeRecord edge;
      if (command.kind == DrawCommand::Kind::LineTo) {
        edge.kind = ShapeRecord::Kind::StraightEdge;
        edge.deltaX = command.x - penX_;
        edge.deltaY = command.y - penY_;
      } else {
        edge.kind = ShapeRecord::Kind::CurvedEdge;
        edge.deltaX = command.controlX - penX_;
        edge.deltaY = command.controlY - penY_;
        edge.anchorDeltaX = command.x - command.controlX;
        edge.anchorDeltaY = command.y - command.controlY;
        GrowDrawingBounds(command.controlX, command.controlY, pad);
      }
      drawing_.records.push_back(edge);
      penX_ = command.x;
      penY_ = command.y;
      GrowDrawingBounds(penX_, penY_, pad);
      break;
    }
  }
}

}  // namespace Halvane::Movie
