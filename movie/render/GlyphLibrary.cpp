#include "movie/render/GlyphLibrary.h"

#include <unordered_map>

#include "movie/render/ShapeBuilder.h"
#include "platform/SystemFont.h"

namespace Halvane::Movie::Render {

namespace {

constexpr double kSystemUnitsPerEm = 1024.0;

Paint White() { return Paint::SolidColor(Rgba{255, 255, 255, 255}); }

}  // namespace

class GlyphLibrary::EmbeddedFontFace final : public TextFace {
 public:
  EmbeddedFontFace(GlyphLibrary& library, const FontDefinition& font) : library_(library), font_(font) {}
  double UnitsPerEm() const override { return font_.EmSquare(); }
  // Fonts without layout have no metrics: the usual proportions of an em.
  double Ascent() const override { return font_.hasLayout ? font_.ascent : 0.8 * UnitsPerEm(); }
  double Descent() const override { return font_.hasLayout ? font_.descent : 0.2 * UnitsPerEm(); }
  double Leading() const override { return font_.hasLayout ? font_.leading : 0.0; }
  GlyphShape Glyph(char32_t character, bool* found) override {
    GlyphShape shape;
    const int index = character <= 0xFFFF ? font_.GlyphFor(static_cast<std::uint16_t>(character)) : -1;
    *found = index >= 0;
    if (index < 0) return shape;
    const GlyphDefinition& glyph = font_.glyphs[static_cast<std::size_t>(index)];
    shape.layer = library_.Embedded(font_, static_cast<std::uint32_t>(index));
    shape.advance = font_.hasLayout ? glyph.advance : 0.6 * UnitsPerEm();
    return shape;
  }

 private:
  GlyphLibrary& library_;
  const FontDefinition& font_;
};

class GlyphLibrary::SystemFontFace final : public TextFace {
 public:
  SystemFontFace(GlyphLibrary& library, std::unique_ptr<Platform::SystemFont> font)
      : library_(library), font_(std::move(font)) {}
  double UnitsPerEm() const override { return kSystemUnitsPerEm; }
  double Ascent() const override { return font_->Ascent() * kSystemUnitsPerEm; }
  double Descent() const override { return font_->Descent() * kSystemUnitsPerEm; }
  double Leading() const override { return font_->Leading() * kSystemUnitsPerEm; }
  GlyphShape Glyph(char32_t character, bool* found) override {
    *found = true;
    auto it = glyphs_.find(character);
    if (it == glyphs_.end()) {
      ++library_.systemGlyphs_;
      it = glyphs_.emplace(character, Make(font_->Glyph(character))).first;
    }
    GlyphShape shape;
    shape.layer = it->second.layer.edges.empty() ? nullptr : &it->second.layer;
    shape.advance = it->second.advance;
    return shape;
  }

 private:
  struct Entry {
    ShapeLayer layer;
    double advance = 0;
  };
  static Entry Make(const Platform::SystemGlyph& glyph) {
    Entry e;
    e.advance = glyph.advance * kSystemUnitsPerEm;
    e.layer.fills.push_back(White());
    e.layer.rule = FillRule::NonZero;
    e.layer.SetFill1(1);
    using K = Platform::GlyphPathSegment::Kind;
    for (const Platform::GlyphPathSegment& s : glyph.path) {
      const double x = s.x * kSystemUnitsPerEm, y = s.y * kSystemUnitsPerEm;
      switch (s.kind) {
        case K::Move: e.layer.MoveTo(x, y); break;
        case K::Line: e.layer.LineTo(x, y); break;
        case K::Quad: e.layer.CurveTo(s.controlX * kSystemUnitsPerEm, s.controlY * kSystemUnitsPerEm, x, y); break;
      }
    }
    return e;
  }
  GlyphLibrary& library_;
  std::unique_ptr<Platform::SystemFont> font_;
  std::unordered_map<char32_t, Entry> glyphs_;
};

GlyphLibrary::GlyphLibrary() = default;
GlyphLibrary::~GlyphLibrary() = default;

void GlyphLibrary::SetMovie(const MovieDefinition* movie) {
  if (movie == movie_) return;
  movie_ = movie;
  embedded_.clear();
  embeddedFaces_.clear();
}

const ShapeLayer* GlyphLibrary::Embedded(const FontDefinition& font, std::uint32_t index) {
  if (index >= font.glyphs.size()) return nullptr;
  const auto key = std::make_pair(font.id, index);
  auto it = embedded_.find(key);
  if (it == embedded_.end()) {
    ShapeDefinition shape;
    shape.records = font.glyphs[index].records;
    FillStyle white;
    white.color = Movie::Rgba{255, 255, 255, 255};
    shape.styles.fills.push_back(white);
    std::vector<ShapeLayer> layers;
    BuildShapeLayers(shape, &layers);
    std::unique_ptr<ShapeLayer> layer;
    if (!layers.empty() && !layers.front().edges.empty()) layer = std::make_unique<ShapeLayer>(std::move(layers.front()));
    it = embedded_.emplace(key, std::move(layer)).first;
  }
  return it->second.get();
}

TextFace& GlyphLibrary::EmbeddedFace(const FontDefinition& font) {
  auto& face = embeddedFaces_[font.id];
  if (!face) face = std::make_unique<EmbeddedFontFace>(*this, font);
  return *face;
}

TextFace& GlyphLibrary::SystemFace(const std::string& family, bool bold, bool italic) {
  if (systemGlyphs_ > MaxSystemGlyphs || systemFaces_.size() >= MaxFaces) {
    for (auto& entry : systemFaces_) dropped_.push_back(std::move(entry.second));
    systemFaces_.clear();
    systemGlyphs_ = 0;
  }
  auto& face = systemFaces_[std::make_tuple(family, bold, italic)];
  if (!face) face = std::make_unique<SystemFontFace>(*this, Platform::SystemFont::Open(family, bold, italic));
  return *face;
}

void GlyphLibrary::EndFrame() { dropped_.clear(); }

}  // namespace Halvane::Movie::Render
