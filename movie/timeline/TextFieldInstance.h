// A text field on a display list (DefineEditText, or createTextField): an
// ActionTarget whose text and formats the TextField built-ins read and
// write through TextFieldData, and whose position and size are its entry's
// placement like any display object's.
//
// Owned by the display object of its parent; worker thread only.
#pragma once

#include <string>

#include "movie/actions/ActionTarget.h"
#include "movie/actions/TextFieldData.h"
#include "movie/actions/VariableStore.h"
#include "movie/swf/SwfRecords.h"

namespace Halvane::Movie {

class MovieClip;
struct DisplayObject;

class TextFieldInstance : public ActionTarget {
 public:
  TextFieldInstance(MovieClip& parent, DisplayObject& self, bool caseSensitive);
  ~TextFieldInstance() override;

  // The field as the movie defines it (DefineEditText); font is the font
  // its id names (null: none), whose name and style its format takes;
  // swfVersion is the movie's, which decides how its HTML reads.
  void Initialize(const EditTextDefinition& definition, const FontDefinition* font, int swfVersion);

  // The entry moved (a goto kept it, swapDepths) or it left the list.
  void Rebind(DisplayObject* self) { self_ = self; }
  void MarkRemoved();
  bool Removed() const { return self_ == nullptr; }
  bool Gone() const override { return Removed(); }
  TextFieldData& Data() { return data_; }
  const TextFieldData& Data() const { return data_; }

  // ActionTarget: a text field has one frame and no children.
  void Play() override {}
  void Stop() override {}
  void NextFrame() override {}
  void PreviousFrame() override {}
  bool GotoFrame(int, bool) override { return false; }
  bool GotoLabel(const std::string&, bool) override { return false; }
  int CurrentFrame() const override { return 0; }
  int TotalFrames() const override { return 1; }
  ActionTarget* Parent() override;
  ActionTarget* Root() override;
  ActionTarget* ChildByName(const std::string&, bool) override { return nullptr; }
  bool IsTextField() const override { return true; }
  std::string Name() const override;
  void SetName(const std::string& name) override;
  VariableStore& Variables() override { return variables_; }
  double GetDisplayProperty(TargetProperty property) const override;
  void SetDisplayProperty(TargetProperty property, double value) override;
  int Depth() const override;
  bool RemoveFromParent() override;
  bool SwapDepths(int depth) override;
  bool GetBounds(ActionTarget* space, PixelBounds& bounds) override;
  Matrix GetMatrix() const override;
  void SetMatrix(const Matrix& m) override;
  ColorTransform GetColorTransform() const override;
  void SetColorTransform(const ColorTransform& cx) override;
  std::vector<FilterRecord> Filters() const override;
  void SetFilters(std::vector<FilterRecord> filters) override;
  TextFieldData* TextField() override { return &data_; }

 private:
  MovieClip* parent_;
  DisplayObject* self_;
  std::string removedName_;
  VariableStore variables_;
  TextFieldData data_;
};

}  // namespace Halvane::Movie
