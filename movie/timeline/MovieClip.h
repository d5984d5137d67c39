// A timeline instance: the movie's root or a placed sprite. Each instance has
// its own frame, playing state, variables and display list, and is the
// ActionTarget that frame actions run on.
//
// The display list is ordered by depth (the file's depths; scripts number
// the same depths from -16384, see ActionTarget). Each entry remembers the
// frame whose tag placed it, which is how a goto tells an instance that
// persists (kept with its own state) from one that was placed anew; entries
// made by scripts (attachMovie, createEmptyMovieClip, duplicateMovieClip,
// createTextField, attachBitmap, or moved by swapDepths) are left alone by
// the timeline.
//
// Shapes drawn by scripts (beginFill, lineTo, ...) are kept as a shape
// definition of the instance's own, drawn below its display list.
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
#include <vector>

#include "movie/actions/ActionTarget.h"
#include "movie/actions/TextFieldData.h"
#include "movie/actions/VariableStore.h"
#include "movie/swf/SwfRecords.h"
#include "movie/timeline/Placement.h"

namespace Halvane::Movie {

class MoviePlayer;
class MovieClip;
class TextFieldInstance;

// One entry of a display list: its placement, and what actions and the
// timeline keep beside it.
struct DisplayObject : Placement {
  bool visible = true;
  bool scripted = false;  // made or moved by a script: gotos leave it alone
  // Moved, scaled, turned or tinted by a script: the timeline's placements
  // no longer change its matrix and colour transform.
  bool transformed = false;
  // The scales (percent) and rotation (degrees) a script gave, read back
  // as given rather than from the rounded matrix; valid until the matrix
  // is replaced.
  bool scaleAndRotationSet = false;
  double xScale = 100;
  double yScale = 100;
  double rotation = 0;
  std::unique_ptr<MovieClip> sprite;  // the instance when the character is a sprite
  std::unique_ptr<TextFieldInstance> text;  // the instance when it is a text field
  // A script's bitmap shown by attachBitmap: drawn as it is when the frame
  // is drawn, nothing once disposed.
  std::shared_ptr<const BitmapPixels> bitmap;
  bool bitmapSmoothing = false;
};

class MovieClip : public ActionTarget {
 public:
  using DisplayList = std::map<int, DisplayObject>;

  // nesting is 0 for the root and one more for each sprite level;
  // characterId is the sprite's (0 for the root and empty clips).
  MovieClip(MoviePlayer& player, const TimelineDefinition& timeline, MovieClip* parent, int nesting,
            std::uint16_t characterId = 0, bool button = false);
  ~MovieClip() override;
  MovieClip(const MovieClip&) = delete;
  MovieClip& operator=(const MovieClip&) = delete;

  // Builds the display list of frame 0 and queues its actions. Called once,
  // right after construction.
  void EnterFirstFrame();

  // This instance's part of a frame step: its enterFrame event, then the
  // next frame when playing (the last loops to the first for sprites, and
  // for the root when the control loops). Children step on their own.
  void Tick();

  // Goes to a frame (0 is the first) as the host asks: same display list as
  // playing there, the frame's actions queued; playing state unchanged.
  // False and no change when frame is out of range.
  bool Seek(int frame);

  const DisplayList& Objects() const { return displayList_; }
  bool Removed() const { return removed_; }
  // Removed, or kept after the timeline removed it (see DeferRemoval): its
  // actions and events other than unload no longer run.
  bool Unloaded() const { return removed_ || leaving_; }
  int Nesting() const { return nesting_; }
  const TimelineDefinition& Timeline() const { return timeline_; }
  std::uint16_t CharacterId() const { return characterId_; }
  // What scripts drew on this instance (null when nothing).
  const ShapeDefinition* Drawing() const { return drawing_.records.empty() ? nullptr : &drawing_; }
  // The clip actions of the placement that made this instance.
  const std::vector<ClipActionRecord>* ClipActions() const { return clipActions_.get(); }
  // The instance this one is masked by (setMask), or null.
  MovieClip* Mask() const { return mask_; }

  // ActionTarget.
  void Play() override { playing_ = true; }
  void Stop() override { playing_ = false; }
  void NextFrame() override;
  void PreviousFrame() override;
  bool GotoFrame(int frame, bool play) override;
  bool GotoFrameWithoutActions(int frame, bool play) override;
  bool GotoLabel(const std::string& label, bool play) override;
  int CurrentFrame() const override { return currentFrame_; }
  int TotalFrames() const override { return timeline_.FrameCount(); }
  std::int64_t DefinitionBytes() const override { return parent_ == nullptr ? -1 : std::int64_t{timeline_.byteSize}; }
  bool Playing() const override { return playing_ && content_ == Content::Own; }
  void RequestLoad(const std::string& url) override { Request(Content::FailedLoad, url); }
  void RequestUnload() override { Request(Content::Unloaded, std::string()); }
  Content LoadedContent() const override { return content_; }
  std::string LoadedUrl() const override { return loadedUrl_; }
  bool IsButton() const override { return button_; }
  ActionTarget* Parent() override { return parent_; }
  bool Gone() const override { return removed_ && !unloading_; }
  const std::vector<ByteBlock>* FrameActions(int frame) const override;
  int FrameOfLabel(const std::string& label) const override { return timeline_.FindLabel(label); }
  // Set while the instance's unload handlers run (it is not gone to them).
  void SetUnloading(bool unloading) { unloading_ = unloading; }
  ActionTarget* Root() override;
  ActionTarget* ChildByName(const std::string& name, bool caseSensitive) override;
  void ForEachChild(const std::function<void(ActionTarget&)>& visit) override;
  std::string Name() const override { return name_; }
  void SetName(const std::string& name) override;
  VariableStore& Variables() override { return variables_; }
  double GetDisplayProperty(TargetProperty property) const override;
  void SetDisplayProperty(TargetProperty property, double value) override;

  int Depth() const override { return depth_; }
  ActionTarget* ChildAtDepth(int depth) override;
  ActionTarget* AttachMovie(const std::string& symbol, const std::string& name, int depth) override;
  ActionTarget* CreateEmptyMovieClip(const std::string& name, int depth) override;
  ActionTarget* CreateTextField(const std::string& name, int depth, const PixelBounds& box) override;
  void AttachBitmap(std::shared_ptr<const BitmapPixels> pixels, int depth, bool smoothing) override;
  ActionTarget* Duplicate(const std::string& name, int depth) override;
  bool RemoveFromParent() override;
  bool SwapDepths(int depth) override;
  std::string SymbolName() const override;
  bool GetBounds(ActionTarget* space, PixelBounds& bounds) override;
  bool ExportedSoundLength(const std::string& name, double& milliseconds) override;
  std::vector<StaticTextCharacter> StaticText() override;
  void LocalToGlobal(double& x, double& y) override;
  void GlobalToLocal(double& x, double& y) override;
  bool HitTestPoint(double x, double y, bool shapeFlag) override;
  Matrix GetMatrix() const override;
  void SetMatrix(const Matrix& m) override;
  ColorTransform GetColorTransform() const override;
  void SetColorTransform(const ColorTransform& cx) override;
  int BlendMode() const override;
  void SetBlendMode(int mode) override;
  std::vector<FilterRecord> Filters() const override;
  void SetFilters(std::vector<FilterRecord> filters) override;
  void Draw(const DrawCommand& command) override;
  void SetMask(ActionTarget* mask) override;

  // For the timeline and the text fields: the instance's transform to the
  // stage (twips), and the bounds (twips, own space) of what it shows.
  struct Transform {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;  // x' = a x + c y + tx, y' = b x + d y + ty
    Transform Then(const Transform& outer) const;
    Transform Inverse() const;
    void Apply(double& x, double& y) const;
  };
  static Transform FromMatrix(const Matrix& m);
  Transform StageTransform() const;
  // Bounds of what this instance shows in its own space, twips; false when
  // it shows nothing.
  bool LocalBounds(double box[4]) const;
  // Bounds of what this instance shows, each shape's own bounds taken
  // through its whole transform (its matrices inside this instance, then
  // t), so that turned contents give the tight box rather than the box of
  // a turned box. Twips; false when it shows nothing.
  bool BoundsUnder(const Transform& t, double box[4]) const;

 private:
  friend class MoviePlayer;
  friend class TextFieldInstance;

  // Applies the display-list tags of one frame to the live list and queues
  // the frame's actions.
  void EnterFrame(int frame);
  // Jumps to frame by computing its display list (from frame 0 when going
  // back, from the current list when going forward) and keeping instances
  // that persist.
  void JumpTo(int frame, bool runActions = true);
  void ApplyPlace(const PlaceObjectRecord& place, int frame);
  void RemoveAt(int depth);
  // The timeline's removal of a sprite that has an unload handler: the
  // sprite stays one more frame at depth -(depth + 1), below every depth a
  // tag can name, so its handler and the frame's actions still reach it;
  // the player removes it for good at the start of the next step. False
  // (nothing changed) when the entry does not qualify.
  bool DeferRemoval(int depth);
  // Queues the unload events of this instance and of the sprites below it,
  // the innermost first, and makes them Unloaded while they stay in place.
  void Unload();
  // Removes the entry that holds child; false when it is not one.
  bool RemoveChild(MovieClip& child);
  void AttachSprite(DisplayObject& object, int key);
  void MarkRemoved();
  // A new entry made by a script at the language's depth; null when the
  // depth is out of range or the caps are reached.
  DisplayObject* ScriptEntry(int depth, const std::string& name);
  bool BoundsOf(const DisplayObject& object, double box[4]) const;
  // A load or unload asked for waits for the next step (Tick), as the
  // platform's loads answer no sooner; a later request replaces it.
  void Request(Content content, const std::string& url);
  void TakeRequestedContent();
  bool LocalBounds(const DisplayObject& object, double local[4]) const;

  MoviePlayer& player_;
  const TimelineDefinition& timeline_;
  MovieClip* parent_;
  int nesting_;
  std::uint16_t characterId_;
  bool button_;  // a button showing its up state
  int depth_ = 0;  // the language's depth of this instance in its parent
  std::string name_;
  DisplayObject* self_ = nullptr;  // this instance's entry in its parent's list
  DisplayObject rootObject_;       // the root's own entry (the root has no parent)
  int currentFrame_ = 0;
  bool playing_ = true;
  bool removed_ = false;
  bool unloading_ = false;
  bool leaving_ = false;       // see Unloaded
  bool unloadQueued_ = false;  // leaving: its unload event is queued or has run
  bool unloadRan_ = false;
  Content content_ = Content::Own;
  std::string loadedUrl_;
  bool requested_ = false;
  Content requestedContent_ = Content::Own;
  std::string requestedUrl_;
  VariableStore variables_;
  DisplayList displayList_;
  std::shared_ptr<const std::vector<ClipActionRecord>> clipActions_;
  MovieClip* mask_ = nullptr;

  // The drawing methods' shape and their pen: the styles in force and
  // where the pen is (twips).
  ShapeDefinition drawing_;
  std::int32_t penX_ = 0;
  std::int32_t penY_ = 0;
  bool filling_ = false;
  bool drawnAny_ = false;  // drawing_.bounds holds a point
  std::int32_t fillStartX_ = 0;
  std::int32_t fillStartY_ = 0;
  void DrawingStyleChange(std::optional<std::uint32_t> fill, std::optional<std::uint32_t> line);
  void CloseFill();
  void GrowDrawingBounds(std::int32_t x, std::int32_t y, std::int32_t pad);
};

}  // namespace Halvane::Movie
