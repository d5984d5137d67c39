#include "movie/render/TextLayout.h"

#include <algorithm>
#include <cmath>

#include "movie/render/ShapeBuilder.h"
#include "movie/swf/Text.h"

namespace Halvane::Movie::Render {

namespace {

constexpr double kGutter = 2 * 20.0;  // twips between the box and its text
// How far a list paragraph's lines are set in, to make room for its
// bullet, whatever the size of its text.
constexpr double kBulletIndent = 36 * 20.0;
constexpr char32_t kBullet = 0x2022;

Rgba ColorOf(std::uint32_t rgb) {
  return Rgba{static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
              static_cast<std::uint8_t>(rgb), 255};
}

Transform Placed(double scale, double x, double y) {
  Transform t;
  t.a = t.d = scale;
  t.tx = x;
  t.ty = y;
  return t;
}

// The embedded font a format names: same name, with glyphs, the style
// matched when one does.
const FontDefinition* EmbeddedFont(const MovieDefinition& movie, const TextFormatData& format) {
  const FontDefinition* any = nullptr;
  for (const auto& [id, font] : movie.fonts) {
    if (font.glyphs.empty() || font.name != format.font) continue;
    if (font.bold == format.bold && font.italic == format.italic) return &font;
    if (any == nullptr) any = &font;
  }
  return any;
}

struct Item {
  char32_t character = 0;
  const TextFormatData* format = nullptr;
  TextFace* face = nullptr;
  GlyphShape glyph;
  double scale = 0;    // twips per glyph unit
  double advance = 0;  // twips, letter spacing included
  bool drawn = false;  // the face has the character
};

bool IsBreak(char32_t c) { return c == '\r' || c == '\n'; }
bool IsSpace(char32_t c) { return c == ' ' || c == '\t' || c == 0x3000; }
// A line wraps after a space, never after a tab: a tab is part of its word.
bool IsWrapPoint(char32_t c) { return c != '\t' && IsSpace(c); }

// Where no tab stops are set, a tab is as wide as this many spaces.
constexpr int kSpacesPerTab = 6;

// How far a tab that starts x twips into its line reaches: to the first of
// its format's stops past x, and no farther when it is past the last one.
double TabAdvance(const Item& item, double x) {
  const std::vector<double>& stops = item.format->tabStops;
  if (stops.empty()) return item.advance;
  for (const double stop : stops) {
    if (stop * 20 > x) return stop * 20 - x;
  }
  return 0;
}

class FieldLayouter {
 public:
  FieldLayouter(const TextFieldData& field, const MovieDefinition& movie, GlyphLibrary& glyphs, FieldLayout* out)
      : field_(field), movie_(movie), glyphs_(glyphs), out_(out) {}

  void Run() {
    out_->glyphs.clear();
    out_->overflows = false;
    out_->textWidth = 0;
    Collect();
    const double boxLeft = field_.x * 20, boxTop = field_.y * 20;
    boxRight_ = boxLeft + field_.width * 20;
    boxBottom_ = boxTop + field_.height * 20;
    top_ = boxTop + kGutter;
    std::size_t start = 0;
    while (start <= items_.size()) {
      std::size_t end = start;
      while (end < items_.size() && !IsBreak(items_[end].character)) ++end;
      Paragraph(start, end, boxLeft);
      if (end >= items_.size()) break;
      start = end + 1;
      if (items_[end].character == '\r' && start < items_.size() && items_[start].character == '\n') ++start;
      // A break ends its paragraph; at the end of the text it starts no
      // empty one.
      if (start >= items_.size()) break;
    }
    // The text's height leaves out the leading under the last of several
    // lines (a single line keeps it), as the platform's fields report it.
    out_->textHeight = top_ - (boxTop + kGutter) - (lines_ > 1 ? lastLeading_ : 0);
  }

 private:
  TextFace& FaceFor(const TextFormatData& format) {
    if (field_.embedFonts) {
      if (const FontDefinition* font = EmbeddedFont(movie_, format)) return glyphs_.EmbeddedFace(*font);
    }
    return glyphs_.SystemFace(format.font, format.bold, format.italic);
  }

  void Collect() {
    std::size_t total = 0;
    for (const TextRun& run : field_.runs) {
      const std::u32string text = FieldCharacters(run.text);
      TextFace* face = nullptr;
      for (char32_t c : text) {
        if (total++ >= MaxFieldCharacters) return;
        if (IsBreak(c) && !field_.multiline) continue;
        if (field_.password && !IsBreak(c)) c = '*';
        if (face == nullptr) face = &FaceFor(run.format);
        Item item;
        item.character = c;
        item.format = &run.format;
        item.face = face;
        item.scale = run.format.size * 20 / face->UnitsPerEm();
        if (c == '\t') {
          bool drawn = false;
          item.advance = kSpacesPerTab * std::floor(face->Glyph(' ', &drawn).advance * item.scale);
        } else if (!IsBreak(c)) {
          item.glyph = face->Glyph(c, &item.drawn);
          // Advances are whole twips, the fraction cut off.
          item.advance = std::floor(item.glyph.advance * item.scale) + run.format.letterSpacing * 20;
        }
        items_.push_back(item);
      }
    }
  }

  void Paragraph(std::size_t start, std::size_t end, double boxLeft) {
    const TextFormatData& format = start < end ? *items_[start].format
                                   : start < items_.size() ? *items_[start].format
                                   : field_.runs.empty() ? field_.defaultFormat
                                                         : field_.runs.back().format;
    const double margin = boxLeft + kGutter + (format.leftMargin + format.blockIndent) * 20;
    const double left = margin + (format.bullet ? kBulletIndent : 0);
    const double right = boxRight_ - kGutter - format.rightMargin * 20;
    // The break that ends the paragraph belongs to its last line.
    const Item* terminator = end < items_.size() ? &items_[end] : nullptr;
    bool first = true;
    std::size_t from = start;
    do {
      const double indent = first ? format.indent * 20 : 0;
      const double room = right - left - indent;
      std::size_t to = from;
      double width = 0;
      std::size_t lastSpace = end;
      while (to < end) {
        Item& item = items_[to];
        if (item.character == '\t') item.advance = TabAdvance(item, width);
        if (field_.wordWrap && to > from && width + item.advance > room && !IsWrapPoint(item.character)) {
          if (lastSpace != end && lastSpace > from) to = lastSpace + 1;
          break;
        }
        if (IsWrapPoint(item.character)) lastSpace = to;
        width += item.advance;
        ++to;
      }
      if (first && format.bullet) {
        bulletPending_ = true;
        bulletLeft_ = margin;
      }
      Line(from, to, left + indent, room, format, to == end ? terminator : nullptr);
      from = to;
      first = false;
    } while (from < end);
  }

  void Line(std::size_t from, std::size_t to, double left, double room, const TextFormatData& format,
            const Item* terminator) {
    // A line's ascent and descent are whole twips, each cut down on its own:
    // five lines of a 10-pixel font measure 75 pixels, not 76.
    double ascent = 0, descent = 0, width = 0, visible = 0;
    if (from == to) {
      TextFace& face = FaceFor(format);
      const double scale = format.size * 20 / face.UnitsPerEm();
      ascent = std::floor(face.Ascent() * scale);
      descent = std::floor(face.Descent() * scale);
    }
    for (std::size_t i = from; i < to; ++i) {
      const Item& item = items_[i];
      ascent = std::max(ascent, std::floor(item.face->Ascent() * item.scale));
      descent = std::max(descent, std::floor(item.face->Descent() * item.scale));
      width += item.advance;
      if (!IsSpace(item.character)) visible = width;
    }
    if (terminator != nullptr) {
      ascent = std::max(ascent, std::floor(terminator->face->Ascent() * terminator->scale));
      descent = std::max(descent, std::floor(terminator->face->Descent() * terminator->scale));
    }
    // A left-aligned line measures its trailing spaces; from version 8 on,
    // lines set off the left edge measure only what shows.
    const bool trailing = format.align == "left" || movie_.version < 8;
    out_->textWidth = std::max(out_->textWidth, trailing ? width : visible);
    double x = left;
    if (format.align == "right") x = left + room - visible;
    if (format.align == "center") x = left + (room - visible) / 2;
    const double baseline = top_ + ascent;
    if (bulletPending_) {
      PlaceBullet(format, bulletLeft_, baseline);
      bulletPending_ = false;
    }
    for (std::size_t i = from; i < to; ++i) {
      const Item& item = items_[i];
      if (item.drawn && item.glyph.layer != nullptr) {
        out_->glyphs.push_back(PlacedGlyph{item.glyph.layer, Placed(item.scale, x, baseline), ColorOf(item.format->color)});
        if (x + item.advance > boxRight_ + 1) out_->overflows = true;
      }
      x += item.advance;
    }
    if (baseline + descent > boxBottom_ + 1) out_->overflows = true;
    top_ = baseline + descent + format.leading * 20;
    lastLeading_ = format.leading * 20;
    ++lines_;
  }

  // The bullet of a list paragraph, in the middle of the room it is
  // indented by, on the baseline of the paragraph's first line.
  void PlaceBullet(const TextFormatData& format, double left, double baseline) {
    TextFace& face = FaceFor(format);
    const double scale = format.size * 20 / face.UnitsPerEm();
    bool drawn = false;
    const GlyphShape glyph = face.Glyph(kBullet, &drawn);
    if (!drawn || glyph.layer == nullptr) return;
    const double x = left + (kBulletIndent - glyph.advance * scale) / 2;
    out_->glyphs.push_back(PlacedGlyph{glyph.layer, Placed(scale, x, baseline), ColorOf(format.color)});
  }

  const TextFieldData& field_;
  const MovieDefinition& movie_;
  GlyphLibrary& glyphs_;
  FieldLayout* out_;
  std::vector<Item> items_;
  double top_ = 0;
  bool bulletPending_ = false;  // the next line is a list paragraph's first
  double bulletLeft_ = 0;
  double lastLeading_ = 0;
  int lines_ = 0;
  double boxRight_ = 0;
  double boxBottom_ = 0;
};

}  // namespace

std::u32string FieldCharacters(const std::string& text) {
  std::u32string out;
  for (std::size_t pos = 0; pos < text.size();) {
    const Utf8Character c = DecodeUtf8(text, pos);
    out.push_back(c.codePoint);
    pos += c.length;
  }
  return out;
}

void LayOutStaticText(const StaticTextDefinition& text, const MovieDefinition& movie, GlyphLibrary& glyphs,
                      std::vector<PlacedGlyph>* out) {
  out->clear();
  const Transform matrix = TransformOf(text.matrix);
  const FontDefinition* font = nullptr;
  double height = 0, x = 0, y = 0;
  Rgba color{0, 0, 0, 255};
  for (const TextRecord& record : text.records) {
    if (record.fontId) {
      const auto it = movie.fonts.find(*record.fontId);
      font = it == movie.fonts.end() ? nullptr : &it->second;
      height = record.height;
    }
    if (record.color) color = Rgba{record.color->red, record.color->green, record.color->blue, record.color->alpha};
    if (record.xOffset) x = *record.xOffset;
    if (record.yOffset) y = *record.yOffset;
    for (const TextGlyph& glyph : record.glyphs) {
      const ShapeLayer* layer = font ? glyphs.Embedded(*font, glyph.index) : nullptr;
      if (layer != nullptr) {
        out->push_back(PlacedGlyph{layer, Placed(height / font->EmSquare(), x, y).Then(matrix), color});
      }
      x += glyph.advance;
    }
  }
}

void LayOutField(const TextFieldData& field, const MovieDefinition& movie, GlyphLibrary& glyphs, FieldLayout* out) {
  FieldLayouter(field, movie, glyphs, out).Run();
}

bool MeasureEmbeddedField(const TextFieldData& field, const MovieDefinition& movie, GlyphLibrary& glyphs,
                          double& width, double& height) {
  if (!field.embedFonts) return false;
  width = height = 0;
  if (field.Text().empty()) return true;
  for (const TextRun& run : field.runs) {
    if (EmbeddedFont(movie, run.format) == nullptr) return false;
  }
  FieldLayout layout;
  LayOutField(field, movie, glyphs, &layout);
  width = std::floor(layout.textWidth) / 20;
  height = std::floor(layout.textHeight) / 20;
  return true;
}

}  // namespace Halvane::Movie::Render
