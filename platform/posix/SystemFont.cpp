// System fonts on Linux: TrueType files (single fonts or collections) from
// Debian's free font packages, parsed by stb_truetype (public domain or
// MIT, Debian's libstb-dev), outlines only: the movie rasterises them.
#include "platform/SystemFont.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <vector>

#define STBTT_STATIC
#define STB_TRUETYPE_IMPLEMENTATION
#include "stb_truetype.h"

namespace Halvane::Platform {

namespace {

enum class Kind { Sans, Serif, Mono, Gothic };

// Files tried for each kind, the first that loads wins. The Japanese ones
// also serve every kind as fallbacks for characters the first lacks.
const std::vector<const char*>& Candidates(Kind kind, bool bold, bool italic) {
  static const std::vector<const char*> sans[4] = {
      {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"},
      {"/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"},
      {"/usr/share/fonts/truetype/dejavu/DejaVuSans-Oblique.ttf", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"},
      {"/usr/share/fonts/truetype/dejavu/DejaVuSans-BoldOblique.ttf",
       "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"}};
  static const std::vector<const char*> serif[4] = {
      {"/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf"},
      {"/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf", "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf"},
      {"/usr/share/fonts/truetype/dejavu/DejaVuSerif-Italic.ttf", "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf"},
      {"/usr/share/fonts/truetype/dejavu/DejaVuSerif-BoldItalic.ttf",
       "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf"}};
  static const std::vector<const char*> mono[4] = {
      {"/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf"},
      {"/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf",
       "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf"},
      {"/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Oblique.ttf",
       "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf"},
      {"/usr/share/fonts/truetype/dejavu/DejaVuSansMono-BoldOblique.ttf",
       "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf"}};
  static const std::vector<const char*> gothic = {
      "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf", "/usr/share/fonts/truetype/fonts-japanese-gothic.ttf",
      "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"};
  const int style = (bold ? 1 : 0) + (italic ? 2 : 0);
  switch (kind) {
    case Kind::Serif: return serif[style];
    case Kind::Mono: return mono[style];
    case Kind::Gothic: return gothic;
    default: return sans[style];
  }
}

Kind KindOf(const std::string& family) {
  std::string f;
  for (char c : family) f += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (f == "_serif" || f.find("times") != std::string::npos || f.find("serif") == 0 ||
      f.find("georgia") != std::string::npos || f.find("mincho") != std::string::npos ||
      f.find("\xE6\x98\x8E\xE6\x9C\x9D") != std::string::npos) {  // "明朝"
    return Kind::Serif;
  }
  if (f == "_typewriter" || f.find("courier") != std::string::npos || f.find("mono") != std::string::npos) {
    return Kind::Mono;
  }
  if (f.find("gothic") != std::string::npos || f.find("meiryo") != std::string::npos ||
      f.find("\xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF") != std::string::npos) {  // "ゴシック"
    return Kind::Gothic;
  }
  return Kind::Sans;
}

// A loaded font file, kept for the process's life: fonts are few and every
// field of every movie shares them.
struct FontFile {
  std::string path;
  std::vector<unsigned char> bytes;
  stbtt_fontinfo info{};
};

const FontFile* LoadFile(const char* path) {
  static std::mutex lock;
  static std::map<std::string, std::unique_ptr<FontFile>> files;  // null: could not be loaded
  std::lock_guard<std::mutex> guard(lock);
  auto it = files.find(path);
  if (it != files.end()) return it->second.get();
  std::unique_ptr<FontFile> file;
  if (std::FILE* f = std::fopen(path, "rb")) {
    auto loaded = std::make_unique<FontFile>();
    loaded->path = path;
    unsigned char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0 && loaded->bytes.size() < (std::size_t{64} << 20)) {
      loaded->bytes.insert(loaded->bytes.end(), buffer, buffer + n);
    }
    std::fclose(f);
    const int offset = stbtt_GetFontOffsetForIndex(loaded->bytes.data(), 0);
    if (offset >= 0 && stbtt_InitFont(&loaded->info, loaded->bytes.data(), offset) != 0) file = std::move(loaded);
  }
  return files.emplace(path, std::move(file)).first->second.get();
}

class TrueTypeFont final : public SystemFont {
 public:
  TrueTypeFont(const FontFile* primary, std::vector<const FontFile*> fallbacks)
      : primary_(primary), fallbacks_(std::move(fallbacks)) {
    if (primary_ != nullptr) {
      int ascent = 0, descent = 0, gap = 0;
      stbtt_GetFontVMetrics(&primary_->info, &ascent, &descent, &gap);
      const float em = Em(primary_);
      ascent_ = ascent / em;
      descent_ = -descent / em;
      leading_ = gap / em;
    }
  }

  float Ascent() const override { return ascent_; }
  float Descent() const override { return descent_; }
  float Leading() const override { return leading_; }
  std::string Description() const override { return primary_ ? primary_->path : "missing-glyph boxes"; }

  SystemGlyph Glyph(char32_t character) override {
    if (primary_ == nullptr) return MissingGlyphBox(ascent_);
    const FontFile* file = primary_;
    int index = stbtt_FindGlyphIndex(&file->info, static_cast<int>(character));
    for (std::size_t i = 0; index == 0 && i < fallbacks_.size(); ++i) {
      const int other = stbtt_FindGlyphIndex(&fallbacks_[i]->info, static_cast<int>(character));
      if (other != 0) {
        file = fallbacks_[i];
        index = other;
      }
    }
    // Index 0 is the font's own missing-glyph box.
    return Outline(file, index);
  }

 private:
  static float Em(const FontFile* file) {
    // Units per em: the scale that maps one em to one unit.
    const float scale = stbtt_ScaleForMappingEmToPixels(&file->info, 1.0f);
    return scale > 0 ? 1.0f / scale : 2048.0f;
  }

  static SystemGlyph Outline(const FontFile* file, int index) {
    SystemGlyph g;
    const float em = Em(file);
    int advance = 0, bearing = 0;
    stbtt_GetGlyphHMetrics(&file->info, index, &advance, &bearing);
    g.advance = advance / em;
    stbtt_vertex* vertices = nullptr;
    const int count = stbtt_GetGlyphShape(&file->info, index, &vertices);
    using K = GlyphPathSegment::Kind;
    float px = 0, py = 0;
    for (int i = 0; i < count; ++i) {
      const stbtt_vertex& v = vertices[i];
      const float x = v.x / em, y = -v.y / em;
      switch (v.type) {
        case STBTT_vmove: g.path.push_back({K::Move, x, y, 0, 0}); break;
        case STBTT_vline: g.path.push_back({K::Line, x, y, 0, 0}); break;
        case STBTT_vcurve: g.path.push_back({K::Quad, x, y, v.cx / em, -v.cy / em}); break;
        case STBTT_vcubic: {
          // Cubic outlines (OpenType CFF) as two quadratics, one per half
          // of the curve split at its middle.
          const float c1x = v.cx / em, c1y = -v.cy / em, c2x = v.cx1 / em, c2y = -v.cy1 / em;
          const float mx = (px + 3 * c1x + 3 * c2x + x) / 8, my = (py + 3 * c1y + 3 * c2y + y) / 8;
          const auto control = [](float a, float b, float c, float d) { return (3 * (b + c) - a - d) / 4; };
          const float q1x = (px + c1x) / 2, q1y = (py + c1y) / 2;
          const float q2x = (px + 2 * c1x + c2x) / 4, q2y = (py + 2 * c1y + c2y) / 4;
          const float r1x = (c1x + 2 * c2x + x) / 4, r1y = (c1y + 2 * c2y + y) / 4;
          const float r2x = (c2x + x) / 2, r2y = (c2y + y) / 2;
          g.path.push_back({K::Quad, mx, my, control(px, q1x, q2x, mx), control(py, q1y, q2y, my)});
          g.path.push_back({K::Quad, x, y, control(mx, r1x, r2x, x), control(my, r1y, r2y, y)});
          break;
        }
        default: break;
      }
      px = x;
      py = y;
    }
    stbtt_FreeShape(&file->info, vertices);
    return g;
  }

  const FontFile* primary_;
  std::vector<const FontFile*> fallbacks_;
  float ascent_ = 0.8f;
  float descent_ = 0.2f;
  float leading_ = 0.0f;
};

}  // namespace

std::unique_ptr<SystemFont> SystemFont::Open(const std::string& family, bool bold, bool italic) {
  const Kind kind = KindOf(family);
  const FontFile* primary = nullptr;
  for (const char* path : Candidates(kind, bold, italic)) {
    if ((primary = LoadFile(path)) != nullptr) break;
  }
  std::vector<const FontFile*> fallbacks;
  for (Kind other : {Kind::Gothic, Kind::Sans}) {
    for (const char* path : Candidates(other, false, false)) {
      const FontFile* file = LoadFile(path);
      if (file == nullptr || file == primary) continue;
      bool known = false;
      for (const FontFile* f : fallbacks) known = known || f == file;
      if (known) continue;
      if (primary == nullptr) {
        primary = file;
        continue;
      }
      fallbacks.push_back(file);
    }
  }
  return std::make_unique<TrueTypeFont>(primary, std::move(fallbacks));
}

}  // namespace Halvane::Platform
