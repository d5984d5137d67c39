// What a timeline (the root movie or a sprite instance) offers to the
// actions that run on it. The timeline implements it; the action interpreter,
// path resolution, FlashVars and external calls use nothing else of it.
//
// Frame numbers here count from 0 as the control does (0 is the first
// frame); the language's _currentframe counts from 1 and is converted by the
// interpreter.
//
// Lifetime: every ActionTarget reached during RunActions or an external call
// (Parent, Root, ChildByName) must stay a valid object until that call
// returns, even when an action removes it from the display list (a goto
// that leaves the frames where the instance lives): the timeline defers the
// destruction of removed instances until the run ends. Values never hold
// targets across runs; they hold target paths (see ActionValue).
//
// Called on the control's worker thread only.
#pragma once

#include <string>

#include "movie/actions/VariableStore.h"

namespace Halvane::Movie {

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

class ActionTarget {
 public:
  virtual ~ActionTarget() = default;

  // Timeline control. Requests that do not apply (a frame out of range, an
  // unknown label) change nothing and answer false.
  virtual void Play() = 0;
  virtual void Stop() = 0;
  virtual void NextFrame() = 0;      // and stop
  virtual void PreviousFrame() = 0;  // and stop
  virtual bool GotoFrame(int frame, bool play) = 0;  // 0-based
  virtual bool GotoLabel(const std::string& label, bool play) = 0;
  virtual int CurrentFrame() const = 0;  // 0-based
  virtual int TotalFrames() const = 0;
  // Frames available; a fully loaded movie answers TotalFrames.
  virtual int FramesLoaded() const { return TotalFrames(); }

  // Tree. Parent is null for the root; Root is never null (the root answers
  // itself). ChildByName finds a named instance on this timeline's display
  // list (null when there is none), comparing names with or without case.
  virtual ActionTarget* Parent() = 0;
  virtual ActionTarget* Root() = 0;
  virtual ActionTarget* ChildByName(const std::string& name, bool caseSensitive) = 0;

  // The instance name ("" for the root) and its renaming through _name.
  virtual std::string Name() const = 0;
  virtual void SetName(const std::string& name) { (void)name; }

  virtual VariableStore& Variables() = 0;

  // Display properties kept by the timeline, in the units of the language:
  // _x, _y in pixels; _xscale, _yscale, _alpha in percent; _rotation in
  // degrees; _visible 0 or 1; _width, _height in pixels (0 until shapes are
  // measured); the others are plain numbers the timeline may keep or ignore.
  // Only X, Y, XScale, YScale, Alpha, Visible, Width, Height, Rotation,
  // HighQuality, FocusRect, SoundBufTime, XMouse, YMouse reach these calls;
  // frame, name and path properties are answered by the interpreter from the
  // members above. SetDisplayProperty of a read-only property is ignored.
  virtual double GetDisplayProperty(TargetProperty property) const = 0;
  virtual void SetDisplayProperty(TargetProperty property, double value) = 0;
};

}  // namespace Halvane::Movie
