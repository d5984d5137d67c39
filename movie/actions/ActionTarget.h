// What a display object (the root movie, a sprite instance, a text field)
// offers to the actions that run on it or use it. The timeline implements
// it; the action interpreter, path resolution, FlashVars and external calls
// use nothing else of it.
//
// Frame numbers here count from 0 as the control does (0 is the first
// frame); the language's _currentframe counts from 1 and is converted by the
// interpreter. Depths are the language's: a placement's depth in the file
// less 16384, so that what the timeline placed lies below 0 and what
// scripts create from 0 up.
//
// Lifetime: every ActionTarget reached during RunActions or an external call
// (Parent, Root, ChildByName, the objects scripts create) must stay a valid
// object until that call returns, even when an action removes it from the
// display list: the timeline defers the destruction of removed instances
// until the run ends. Values never hold targets: they hold the target's
// script object (ClipObject), which lets go of the target when the target
// is removed (ReleaseScript) and keeps its path.
//
// Called on the control's worker thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "movie/actions/VariableStore.h"
#include "movie/swf/SwfRecords.h"

namespace Halvane::Movie {

class BitmapPixels;
class ClipObject;
struct TextFieldData;

// The properties of GetProperty / SetProperty, numbered as the bytecode
// numbers them.
enum class TargetProperty {
  X = 0,
  Y = 1,
  XScale = 2,
  YScale = 3,
  CurrentFrame = 4,
  TotalFrames = 5,
  Alpha = 6,
  Visible = 7,
  Width = 8,
  Height = 9,
  Rotation = 10,
  Target = 11,
  FramesLoaded = 12,
  Name = 13,
  DropTarget = 14,
  Url = 15,
  HighQuality = 16,
  FocusRect = 17,
  SoundBufTime = 18,
  Quality = 19,
  XMouse = 20,
  YMouse = 21,
};

// A rectangle in pixels (the language's unit).
struct PixelBounds {
  double xMin = 0;
  double yMin = 0;
  double xMax = 0;
  double yMax = 0;
};

// One call of the drawing methods (beginFill, lineStyle, moveTo, ...), in
// twips, styles as shape records have them.
struct DrawCommand {
  enum class Kind { Clear, BeginFill, EndFill, LineStyle, NoLine, MoveTo, LineTo, CurveTo };
  Kind kind = Kind::Clear;
  FillStyle fill;   // BeginFill
  LineStyle line;   // LineStyle
  std::int32_t x = 0;         // MoveTo, LineTo, CurveTo: the point reached
  std::int32_t y = 0;
  std::int32_t controlX = 0;  // CurveTo
  std::int32_t controlY = 0;
};

// The volume and the mix of the two channels that Sound objects set on a
// timeline (or on the whole movie). The control plays no sound, but scripts
// read back what they set.
struct SoundMix {
  double volume = 100;
  double leftToLeft = 100;
  double leftToRight = 0;
  double rightToRight = 100;
  double rightToLeft = 0;
};

class ActionTarget {
 public:
  ActionTarget() = default;
  ActionTarget(const ActionTarget&) = delete;
  ActionTarget& operator=(const ActionTarget&) = delete;
  virtual ~ActionTarget();

  // --- Timeline control. Requests that do not apply (a frame out of range,
  // an unknown label) change nothing and answer false.
  virtual void Play() = 0;
  virtual void Stop() = 0;
  virtual void NextFrame() = 0;      // and stop
  virtual void PreviousFrame() = 0;  // and stop
  virtual bool GotoFrame(int frame, bool play) = 0;  // 0-based
  // As GotoFrame, but the frame's actions are not run: where a goto past
  // the end of a timeline lands on its last frame.
  virtual bool GotoFrameWithoutActions(int frame, bool play) { return GotoFrame(frame, play); }
  virtual bool GotoLabel(const std::string& label, bool play) = 0;
  virtual int CurrentFrame() const = 0;  // 0-based
  virtual int TotalFrames() const = 0;
  // The action blocks of a frame (0-based) and the frame of a label, for
  // the Call action: null and -1 when there are none.
  virtual const std::vector<ByteBlock>* FrameActions(int frame) const { (void)frame; return nullptr; }
  virtual int FrameOfLabel(const std::string& label) const { (void)label; return -1; }
  // Frames available; a fully loaded movie answers TotalFrames.
  virtual int FramesLoaded() const { return TotalFrames(); }
  // The bytes of the definition an instance plays (getBytesTotal), or -1
  // for the movie's own timeline, whose size is the movie file's.
  virtual std::int64_t DefinitionBytes() const { return -1; }
  virtual bool Playing() const { return false; }
  // loadMovie into this instance, and unloadMovie. The control loads
  // nothing, so from the next frame step the instance stands empty and
  // stopped: as a load that failed (no frames, -1 of them loaded, the
  // address asked for as its _url) or as an unloaded movie (no frames,
  // none loaded). The root and the levels ignore both.
  enum class Content { Own, FailedLoad, Unloaded };
  virtual void RequestLoad(const std::string& url) { (void)url; }
  virtual void RequestUnload() {}
  virtual Content LoadedContent() const { return Content::Own; }
  virtual std::string LoadedUrl() const { return std::string(); }

  // --- Tree. Parent is null for the root; Root is never null (the root
  // answers itself). ChildByName finds a named instance on this timeline's
  // display list (null when there is none), comparing names with or without
  // case. ForEachChild visits the display objects below this one that are
  // targets, lowest depth first.
  virtual ActionTarget* Parent() = 0;
  // Removed from its parent's display list while still reachable (its
  // unload handlers have run or it has none): code running in it acts on
  // the root instead.
  virtual bool Gone() const { return false; }
  virtual ActionTarget* Root() = 0;
  virtual ActionTarget* ChildByName(const std::string& name, bool caseSensitive) = 0;
  virtual void ForEachChild(const std::function<void(ActionTarget&)>& visit) { (void)visit; }
  // A text field or a button rather than a timeline (typeof answers
  // "object", and their prototypes are TextField's and Button's).
  virtual bool IsTextField() const { return false; }
  virtual bool IsButton() const { return false; }

  // The instance name ("" for the root) and its renaming through _name.
  virtual std::string Name() const = 0;
  virtual void SetName(const std::string& name) { (void)name; }

  virtual VariableStore& Variables() = 0;

  // Display properties kept by the timeline, in the units of the language:
  // _x, _y in pixels; _xscale, _yscale, _alpha in percent; _rotation in
  // degrees; _visible 0 or 1; _width, _height in pixels; the others are
  // plain numbers the timeline may keep or ignore. Only X, Y, XScale,
  // YScale, Alpha, Visible, Width, Height, Rotation, HighQuality, FocusRect,
  // SoundBufTime, XMouse, YMouse reach these calls; frame, name and path
  // properties are answered by the interpreter from the members above.
  // SetDisplayProperty of a read-only property is ignored.
  virtual double GetDisplayProperty(TargetProperty property) const = 0;
  virtual void SetDisplayProperty(TargetProperty property, double value) = 0;

  // --- What the MovieClip methods ask of a timeline. The defaults answer
  // as a timeline that can do none of it.
  // The depth in the language's numbering (see above); 0 for the root.
  virtual int Depth() const { return 0; }
  virtual ActionTarget* ChildAtDepth(int depth) { (void)depth; return nullptr; }
  // attachMovie: a new instance of the sprite exported as symbol, as a
  // child at depth (replacing what is there); null when there is no such
  // symbol or the caps are reached. createEmptyMovieClip: the same with an
  // empty timeline of one frame. createTextField: a text field.
  virtual ActionTarget* AttachMovie(const std::string& symbol, const std::string& name, int depth) {
    (void)symbol, (void)name, (void)depth;
    return nullptr;
  }
  virtual ActionTarget* CreateEmptyMovieClip(const std::string& name, int depth) {
    (void)name, (void)depth;
    return nullptr;
  }
  virtual ActionTarget* CreateTextField(const std::string& name, int depth, const PixelBounds& box) {
    (void)name, (void)depth, (void)box;
    return nullptr;
  }
  // attachBitmap: the pixels shown at depth (replacing what is there), at
  // this object's origin, one pixel to a pixel, smoothed when scaled if asked.
  virtual void AttachBitmap(std::shared_ptr<const BitmapPixels> pixels, int depth, bool smoothing) {
    (void)pixels, (void)depth, (void)smoothing;
  }
  // duplicateMovieClip: a copy of this instance beside it (same parent).
  virtual ActionTarget* Duplicate(const std::string& name, int depth) {
    (void)name, (void)depth;
    return nullptr;
  }
  // removeMovieClip; false for instances a script may not remove.
  virtual bool RemoveFromParent() { return false; }
  // swapDepths with another depth of the same parent.
  virtual bool SwapDepths(int depth) { (void)depth; return false; }
  // The symbol name this instance was attached from ("" if none).
  virtual std::string SymbolName() const { return std::string(); }

  // Geometry: the bounds of what this object shows, in the coordinates of
  // space (null: its own); points between this object's space and the
  // stage's. False when there is nothing to measure.
  virtual bool GetBounds(ActionTarget* space, PixelBounds& bounds) { (void)space, (void)bounds; return false; }
  // The characters of the static text this timeline shows itself, in depth
  // order (TextSnapshot); at most MaxStaticTextCharacters of them.
  struct StaticTextCharacter {
    char32_t code = 0;
    bool startsLine = false;  // the first of a text or of a record on a new line
  };
  static constexpr std::size_t MaxStaticTextCharacters = 1u << 20;
  virtual std::vector<StaticTextCharacter> StaticText() { return {}; }
  // The length of the sound the movie exports under a name (attachSound);
  // false when it exports no sound by that name.
  virtual bool ExportedSoundLength(const std::string& name, double& milliseconds) {
    (void)name, (void)milliseconds;
    return false;
  }
  virtual void LocalToGlobal(double& x, double& y) { (void)x, (void)y; }
  virtual void GlobalToLocal(double& x, double& y) { (void)x, (void)y; }
  // Whether a stage point lies on this object: within its bounds, or with
  // shapeFlag on one of its filled shapes.
  virtual bool HitTestPoint(double x, double y, bool shapeFlag) { (void)x, (void)y, (void)shapeFlag; return false; }
  virtual Matrix GetMatrix() const { return Matrix(); }
  virtual void SetMatrix(const Matrix& m) { (void)m; }
  virtual ColorTransform GetColorTransform() const { return ColorTransform(); }
  virtual void SetColorTransform(const ColorTransform& cx) { (void)cx; }
  virtual int BlendMode() const { return 0; }
  virtual void SetBlendMode(int mode) { (void)mode; }
  // The filters of the object, placed or set by a script (a copy: changing
  // it changes nothing until it is set).
  virtual std::vector<FilterRecord> Filters() const { return {}; }
  virtual void SetFilters(std::vector<FilterRecord> filters) { (void)filters; }
  // The drawing methods: shapes kept as shape records with the instance.
  virtual void Draw(const DrawCommand& command) { (void)command; }
  // setMask: the instance that masks this one (null: none).
  virtual void SetMask(ActionTarget* mask) { (void)mask; }
  // A text field's state; null for timelines.
  virtual TextFieldData* TextField() { return nullptr; }

  // --- The script object of this target (null until the interpreter made
  // one). ReleaseScript is called by the timeline when the target
  // leaves the display list, while its path can still be computed.
  ClipObject* Script() const { return script_; }
  void SetScript(ClipObject* object) { script_ = object; }
  void ReleaseScript();

  SoundMix& Mix() { return mix_; }

 private:
  ClipObject* script_ = nullptr;
  SoundMix mix_;
};

}  // namespace Halvane::Movie
