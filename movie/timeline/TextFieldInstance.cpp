#include "movie/timeline/TextFieldInstance.h"

#include <cmath>

#include "movie/actions/ActionPath.h"
#include "movie/timeline/DisplayProperties.h"
#include "movie/timeline/MovieClip.h"

namespace Halvane::Movie {

TextFieldInstance::TextFieldInstance(MovieClip& parent, DisplayObject& self, bool caseSensitive)
    : parent_(&parent), self_(&self), variables_(caseSensitive) {}

TextFieldInstance::~TextFieldInstance() = default;

void TextFieldInstance::Initialize(const EditTextDefinition& d, const FontDefinition* font, int swfVersion) {
  data_.x = d.bounds.xMin / 20.0;
  data_.y = d.bounds.yMin / 20.0;
  data_.width = (static_cast<double>(d.bounds.xMax) - d.bounds.xMin) / 20.0;
  data_.height = (static_cast<double>(d.bounds.yMax) - d.bounds.yMin) / 20.0;
  data_.wordWrap = d.WordWrap();
  data_.multiline = d.Multiline();
  data_.password = d.Password();
  data_.input = !d.ReadOnly();
  data_.html = d.Html();
  data_.border = d.Border();
  data_.background = d.Border();
  data_.selectable = !d.NoSelect();
  data_.embedFonts = d.UseOutlines();
  data_.autoSize = d.AutoSize() ? "left" : "none";
  data_.variable = d.variableName;
  if (d.maxLength) data_.maxChars = *d.maxLength;
  if (d.renderSettings) {
    static const char* const kGridFits[] = {"none", "pixel", "subpixel"};
    data_.antiAliasType = d.renderSettings->renderer == 1 ? "advanced" : "normal";
    if (d.renderSettings->gridFit < 3) data_.gridFitType = kGridFits[d.renderSettings->gridFit];
    data_.thickness = d.renderSettings->thickness;
    data_.sharpness = d.renderSettings->sharpness;
  }
  TextFormatData& f = data_.defaultFormat;
  if (font != nullptr) {
    f.font = font->name;
    f.bold = font->bold;
    f.italic = font->italic;
  }
  if (d.fontHeight) f.size = *d.fontHeight / 20.0;
  if (d.color) f.color = (static_cast<std::uint32_t>(d.color->red) << 16) | (d.color->green << 8) | d.color->blue;
  if (d.align) {
    static const char* kAligns[] = {"left", "right", "center", "justify"};
    f.align = kAligns[*d.align & 3];
  }
  f.leftMargin = d.leftMargin / 20.0;
  f.rightMargin = d.rightMargin / 20.0;
  f.indent = d.indent / 20.0;
  f.leading = d.leading / 20.0;
  const std::string initial = d.initialText ? *d.initialText : std::string();
  if (data_.html) SetHtmlText(data_, initial, swfVersion);
  else data_.SetText(initial);
}

void TextFieldInstance::MarkRemoved() {
  if (self_ != nullptr) removedName_ = self_->name;
  ReleaseScript();
  self_ = nullptr;
}

ActionTarget* TextFieldInstance::Parent() { return parent_; }

ActionTarget* TextFieldInstance::Root() { return parent_->Root(); }

std::string TextFieldInstance::Name() const { return self_ ? self_->name : removedName_; }

void TextFieldInstance::SetName(const std::string& name) {
  if (self_ != nullptr) self_->name = name;
}

double TextFieldInstance::GetDisplayProperty(TargetProperty property) const {
  if (self_ == nullptr) return 0.0;
  const double box[4] = {data_.x * 20, data_.y * 20, (data_.x + data_.width) * 20, (data_.y + data_.height) * 20};
  return ReadPlacementProperty(*self_, property, box);
}

void TextFieldInstance::SetDisplayProperty(TargetProperty property, double value) {
  if (self_ == nullptr || std::isnan(value)) return;
  // A field's _width and _height are its box, not a scale.
  // Whole twips, the fraction cut off.
  if (property == TargetProperty::Width) {
    if (value >= 0) data_.width = TruncateToInt32(value * 20.0) / 20.0;
    return;
  }
  if (property == TargetProperty::Height) {
    if (value >= 0) data_.height = TruncateToInt32(value * 20.0) / 20.0;
    return;
  }
  WritePlacementProperty(*self_, property, value, nullptr);
}

int TextFieldInstance::Depth() const {
  if (self_ == nullptr) return 0;
  for (const auto& entry : parent_->Objects()) {
    if (&entry.second == self_) return entry.first - 16384;
  }
  return 0;
}

bool TextFieldInstance::RemoveFromParent() {
  if (self_ == nullptr) return false;
  for (auto& entry : parent_->displayList_) {
    if (&entry.second == self_) {
      parent_->RemoveAt(entry.first);
      return true;
    }
  }
  return false;
}

bool TextFieldInstance::SwapDepths(int depth) {
  (void)depth;
  return false;
}

bool TextFieldInstance::GetBounds(ActionTarget* space, PixelBounds& bounds) {
  if (self_ == nullptr) return false;
  MovieClip::Transform t = MovieClip::FromMatrix(self_->matrix).Then(parent_->StageTransform());
  if (space != nullptr && space != this) {
    if (auto* clip = dynamic_cast<MovieClip*>(space)) t = t.Then(clip->StageTransform().Inverse());
  } else {
    t = MovieClip::Transform();
  }
  double box[4] = {data_.x * 20, data_.y * 20, (data_.x + data_.width) * 20, (data_.y + data_.height) * 20};
  double x0 = box[0], y0 = box[1], x1 = box[2], y1 = box[3];
  double xs[4] = {x0, x1, x0, x1}, ys[4] = {y0, y0, y1, y1};
  for (int i = 0; i < 4; ++i) t.Apply(xs[i], ys[i]);
  bounds.xMin = std::fmin(std::fmin(xs[0], xs[1]), std::fmin(xs[2], xs[3])) / 20;
  bounds.xMax = std::fmax(std::fmax(xs[0], xs[1]), std::fmax(xs[2], xs[3])) / 20;
  bounds.yMin = std::fmin(std::fmin(ys[0], ys[1]), std::fmin(ys[2], ys[3])) / 20;
  bounds.yMax = std::fmax(std::fmax(ys[0], ys[1]), std::fmax(ys[2], ys[3])) / 20;
  return true;
}

Matrix TextFieldInstance::GetMatrix() const { return self_ ? self_->matrix : Matrix(); }

void TextFieldInstance::SetMatrix(const Matrix& m) {
  if (self_ != nullptr) self_->matrix = m;
}

std::vector<FilterRecord> TextFieldInstance::Filters() const {
  return self_ ? self_->FilterList() : std::vector<FilterRecord>();
}

void TextFieldInstance::SetFilters(std::vector<FilterRecord> filters) {
  if (self_ != nullptr) self_->SetFilterList(std::move(filters));
}

ColorTransform TextFieldInstance::GetColorTransform() const {
  return self_ ? self_->colorTransform : ColorTransform();
}

void TextFieldInstance::SetColorTransform(const ColorTransform& cx) {
  if (self_ != nullptr) self_->colorTransform = cx;
}

}  // namespace Halvane::Movie
