// A timeline instance: the movie's root or a placed sprite. Each instance has
// its own frame, playing state, variables and display list, and is the
// ActionTarget that frame actions run on.
//
// The display list is ordered by depth. Each entry remembers the frame whose
// tag placed it, which is how a goto tells an instance that persists (kept
// with its own state) from one that was placed anew.
//
// Owned by its MoviePlayer (the root) or by the display object of its parent
// (sprites); a removed instance is handed to the player and destroyed only
// after the running actions are done, so a target reached by an action stays
// valid for the whole run. Worker thread only.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "movie/actions/ActionTarget.h"
#include "movie/actions/VariableStore.h"
#include "movie/swf/SwfRecords.h"
#include "movie/timeline/Placement.h"

namespace Halvane::Movie {

class MoviePlayer;
class MovieClip;

// One entry of a display list: its placement, and what actions and the
// timeline keep beside it.
struct DisplayObject : Placement {
  bool visible = true;
  std::unique_ptr<MovieClip> sprite;  // the instance when the character is a sprite
};

class MovieClip : public ActionTarget {
 public:
  using DisplayList = std::map<int, DisplayObject>;

  // nesting is 0 for the root and one more for each sprite level.
  MovieClip(MoviePlayer& player, const TimelineDefinition& timeline, MovieClip* parent,
            int nesting);
  ~MovieClip() override;
  MovieClip(const MovieClip&) = delete;
  MovieClip& operator=(const MovieClip&) = delete;

  // Builds the display list of frame 0 and queues its actions. Called once,
  // right after construction.
  void EnterFirstFrame();

  // One frame step of this instance (when playing) and then of the sprite
  // instances it held before the step.
  void Advance();

  // Goes to a frame (0 is the first) as the host asks: same display list as
  // playing there, the frame's actions queued; playing state unchanged.
  // False and no change when frame is out of range.
  bool Seek(int frame);

  const DisplayList& Objects() const { return displayList_; }
  bool Removed() const { return removed_; }
  int Nesting() const { return nesting_; }
  const TimelineDefinition& Timeline() const { return timeline_; }

  // ActionTarget.
  void Play() override { playing_ = true; }
  void Stop() override { playing_ = false; }
  void NextFrame() override;
  void PreviousFrame() override;
  bool GotoFrame(int frame, bool play) override;
  bool GotoLabel(const std::string& label, bool play) override;
  int CurrentFrame() const override { return currentFrame_; }
  int TotalFrames() const override { return timeline_.FrameCount(); }
  ActionTarget* Parent() override { return parent_; }
  ActionTarget* Root() override;
  ActionTarget* ChildByName(const std::string& name, bool caseSensitive) override;
  void ForEachChild(const std::function<void(ActionTarget&)>& visit) override;
  bool Playing() const override { return playing_; }
  int Depth() const override { return depth_; }
  std::string Name() const override { return name_; }
  void SetName(const std::string& name) override;
  VariableStore& Variables() override { return variables_; }
  double GetDisplayProperty(TargetProperty property) const override;
  void SetDisplayProperty(TargetProperty property, double value) override;

 private:
  friend class MoviePlayer;

  // Applies the display-list tags of one frame to the live list and queues
  // the frame's actions.
  void EnterFrame(int frame);
  // Jumps to frame by computing its display list (from frame 0 when going
  // back, from the current list when going forward) and keeping instances
  // that persist.
  void JumpTo(int frame);
  void ApplyPlace(const PlaceObjectRecord& place, int frame);
  void RemoveAt(int depth);
  void AttachSprite(DisplayObject& object);
  void MarkRemoved();

  MoviePlayer& player_;
  const TimelineDefinition& timeline_;
  MovieClip* parent_;
  int nesting_;
  int depth_ = 0;  // the language's depth of this instance in its parent
  std::string name_;
  DisplayObject* self_ = nullptr;  // this instance's entry in its parent's list
  DisplayObject rootObject_;       // the root's own entry (the root has no parent)
  int currentFrame_ = 0;
  bool playing_ = true;
  bool removed_ = false;
  VariableStore variables_;
  DisplayList displayList_;
};

}  // namespace Halvane::Movie
