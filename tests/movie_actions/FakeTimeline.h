// A timeline for action tests: frames, labels, named children and display
// properties, recording every timeline request it gets.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "movie/actions/ActionTarget.h"
#include "movie/actions/TextFieldData.h"

namespace Halvane::Movie::Testing {

class FakeTimeline : public ActionTarget {
 public:
  explicit FakeTimeline(std::string name = "", int totalFrames = 10, bool caseSensitive = false)
      : name_(std::move(name)), totalFrames_(totalFrames), variables_(caseSensitive) {}

  FakeTimeline& AddChild(const std::string& name, int totalFrames = 5) {
    children_.push_back(std::make_unique<FakeTimeline>(name, totalFrames, variables_.CaseSensitive()));
    children_.back()->parent_ = this;
    return *children_.back();
  }
  // A child that is a text field rather than a timeline.
  TextFieldData& AddTextField(const std::string& name) {
    FakeTimeline& child = AddChild(name, 1);
    child.textField = std::make_unique<TextFieldData>();
    return *child.textField;
  }
  void AddLabel(const std::string& label, int frame) { labels_[label] = frame; }
  bool IsTextField() const override { return textField != nullptr; }
  TextFieldData* TextField() override { return textField.get(); }

  void Play() override { Record("Play"); playing = true; }
  void Stop() override { Record("Stop"); playing = false; }
  void NextFrame() override {
    Record("NextFrame");
    if (frame + 1 < totalFrames_) ++frame;
    playing = false;
  }
  void PreviousFrame() override {
    Record("PreviousFrame");
    if (frame > 0) --frame;
    playing = false;
  }
  bool GotoFrame(int target, bool play) override {
    Record("GotoFrame " + std::to_string(target) + (play ? " play" : " stop"));
    if (target < 0 || target >= totalFrames_) return false;
    frame = target;
    playing = play;
    return true;
  }
  bool GotoLabel(const std::string& label, bool play) override {
    Record("GotoLabel " + label + (play ? " play" : " stop"));
    const auto it = labels_.find(label);
    if (it == labels_.end()) return false;
    frame = it->second;
    playing = play;
    return true;
  }
  int CurrentFrame() const override { return frame; }
  int TotalFrames() const override { return totalFrames_; }
  int FramesLoaded() const override { return framesLoaded < 0 ? totalFrames_ : framesLoaded; }

  ActionTarget* Parent() override { return parent_; }
  ActionTarget* Root() override { return parent_ ? parent_->Root() : this; }
  ActionTarget* ChildByName(const std::string& name, bool caseSensitive) override {
    for (auto& child : children_) {
      if (caseSensitive ? child->name_ == name : Fold(child->name_) == Fold(name)) return child.get();
    }
    return nullptr;
  }
  // The garbage collector finds the variables of every timeline through
  // this, as it does on the real display list.
  void ForEachChild(const std::function<void(ActionTarget&)>& visit) override {
    for (auto& child : children_) visit(*child);
  }
  std::string Name() const override { return name_; }
  void SetName(const std::string& name) override { name_ = name; }
  VariableStore& Variables() override { return variables_; }

  double GetDisplayProperty(TargetProperty property) const override {
    const auto it = properties.find(property);
    if (it != properties.end()) return it->second;
    if (property == TargetProperty::XScale || property == TargetProperty::YScale ||
        property == TargetProperty::Alpha)
      return 100;
    if (property == TargetProperty::Visible) return 1;
    return 0;
  }
  void SetDisplayProperty(TargetProperty property, double value) override {
    properties[property] = value;
  }

  Matrix GetMatrix() const override { return matrix; }
  void SetMatrix(const Matrix& m) override { matrix = m; }
  ColorTransform GetColorTransform() const override { return colorTransform; }
  std::vector<StaticTextCharacter> StaticText() override { return staticText; }
  void SetColorTransform(const ColorTransform& cx) override { colorTransform = cx; }
  std::vector<FilterRecord> Filters() const override { return filters; }
  void SetFilters(std::vector<FilterRecord> list) override { filters = std::move(list); }

  // Requests of this timeline and its children, in order, prefixed with
  // the instance name when a child got them.
  std::vector<std::string>& Calls() { return parent_ ? parent_->Calls() : calls_; }

  int frame = 0;
  bool playing = true;
  int framesLoaded = -1;
  std::map<TargetProperty, double> properties;
  Matrix matrix;
  ColorTransform colorTransform;
  std::vector<FilterRecord> filters;
  std::vector<StaticTextCharacter> staticText;
  std::unique_ptr<TextFieldData> textField;

 private:
  static std::string Fold(std::string s) {
    for (char& c : s) if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
  }
  void Record(const std::string& call) {
    Calls().push_back(name_.empty() ? call : name_ + ": " + call);
  }

  std::string name_;
  int totalFrames_;
  FakeTimeline* parent_ = nullptr;
  std::vector<std::unique_ptr<FakeTimeline>> children_;
  std::map<std::string, int> labels_;
  VariableStore variables_;
  std::vector<std::string> calls_;
};

}  // namespace Halvane::Movie::Testing
