// System fonts on Windows: glyph outlines from GDI (GetGlyphOutlineW, in
// the font's native quadratic or cubic form, unhinted) of a font made at a
// large size, so that the outlines keep their precision; the movie scales
// and rasterises them itself.
#include "platform/SystemFont.h"

#include <windows.h>

#include <vector>

namespace Halvane::Platform {

namespace {

constexpr int kEm = 2048;  // the height the fonts are made at, in device units

std::wstring Widen(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &out[0], n);
  return out;
}

std::wstring FaceFor(const std::string& family) {
  if (family == "_sans") return L"Arial";
  if (family == "_serif") return L"Times New Roman";
  if (family == "_typewriter") return L"Courier New";
  return Widen(family);
}

float FromFixed(const FIXED& f) { return static_cast<float>(f.value) + f.fract / 65536.0f; }

class GdiFont final : public SystemFont {
 public:
  GdiFont(const std::string& family, bool bold, bool italic) {
    dc_ = CreateCompatibleDC(nullptr);
    // The family asked for first, then faces that carry Japanese and the
    // system's default GUI face, so that a character one lacks comes from
    // another.
    std::vector<std::wstring> faces = {FaceFor(family), L"MS Gothic", L"MS UI Gothic"};
    LOGFONTW gui{};
    if (GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui) != 0) faces.push_back(gui.lfFaceName);
    faces.push_back(L"Tahoma");
    faces.push_back(L"Arial");
    for (const std::wstring& face : faces) {
      if (face.empty()) continue;
      LOGFONTW lf{};
      lf.lfHeight = -kEm;
      lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
      lf.lfItalic = italic ? TRUE : FALSE;
      lf.lfCharSet = DEFAULT_CHARSET;
      lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
      lf.lfQuality = ANTIALIASED_QUALITY;
      lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
      HFONT font = CreateFontIndirectW(&lf);
      if (font != nullptr) fonts_.push_back(font);
    }
    if (dc_ != nullptr && !fonts_.empty()) {
      SelectObject(dc_, fonts_.front());
      TEXTMETRICW tm{};
      if (GetTextMetricsW(dc_, &tm) != 0) {
        ascent_ = static_cast<float>(tm.tmAscent) / kEm;
        descent_ = static_cast<float>(tm.tmDescent) / kEm;
        leading_ = static_cast<float>(tm.tmExternalLeading) / kEm;
      }
      wchar_t name[LF_FACESIZE] = {};
      GetTextFaceW(dc_, LF_FACESIZE, name);
      char utf8[LF_FACESIZE * 4] = {};
      WideCharToMultiByte(CP_UTF8, 0, name, -1, utf8, sizeof utf8, nullptr, nullptr);
      description_ = utf8;
    }
  }

  ~GdiFont() override {
    if (dc_ != nullptr) DeleteDC(dc_);
    for (HFONT f : fonts_) DeleteObject(f);
  }

  float Ascent() const override { return ascent_; }
  float Descent() const override { return descent_; }
  float Leading() const override { return leading_; }
  std::string Description() const override { return description_.empty() ? "missing-glyph boxes" : description_; }

  SystemGlyph Glyph(char32_t character) override {
    if (dc_ == nullptr || character > 0xFFFF) return MissingGlyphBox(ascent_);
    const wchar_t wc = static_cast<wchar_t>(character);
    for (HFONT font : fonts_) {
      SelectObject(dc_, font);
      WORD index = 0xFFFF;
      if (GetGlyphIndicesW(dc_, &wc, 1, &index, GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR || index == 0xFFFF) continue;
      SystemGlyph glyph;
      if (Outline(index, glyph)) return glyph;
    }
    return MissingGlyphBox(ascent_);
  }

 private:
  bool Outline(WORD index, SystemGlyph& glyph) {
    MAT2 identity{};
    identity.eM11.value = 1;
    identity.eM22.value = 1;
    GLYPHMETRICS metrics{};
    const UINT format = GGO_NATIVE | GGO_UNHINTED | GGO_GLYPH_INDEX;
    const DWORD size = GetGlyphOutlineW(dc_, index, format, &metrics, 0, nullptr, &identity);
    if (size == GDI_ERROR) return false;
    glyph.advance = static_cast<float>(metrics.gmCellIncX) / kEm;
    if (size == 0) return true;  // a blank
    std::vector<BYTE> buffer(size);
    if (GetGlyphOutlineW(dc_, index, format, &metrics, size, buffer.data(), &identity) == GDI_ERROR) return false;
    using K = GlyphPathSegment::Kind;
    const auto point = [](const POINTFX& p, float& x, float& y) {
      x = FromFixed(p.x) / kEm;
      y = -FromFixed(p.y) / kEm;
    };
    std::size_t at = 0;
    while (at + sizeof(TTPOLYGONHEADER) <= size) {
      const auto* header = reinterpret_cast<const TTPOLYGONHEADER*>(buffer.data() + at);
      if (header->cb < sizeof(TTPOLYGONHEADER) || at + header->cb > size) break;
      const std::size_t end = at + header->cb;
      float sx, sy;
      point(header->pfxStart, sx, sy);
      glyph.path.push_back({K::Move, sx, sy, 0, 0});
      float cx = sx, cy = sy;
      std::size_t p = at + sizeof(TTPOLYGONHEADER);
      while (p + sizeof(WORD) * 2 <= end) {
        const auto* curve = reinterpret_cast<const TTPOLYCURVE*>(buffer.data() + p);
        const std::size_t count = curve->cpfx;
        const std::size_t bytes = sizeof(WORD) * 2 + count * sizeof(POINTFX);
        if (p + bytes > end) break;
        std::vector<float> xs(count), ys(count);
        for (std::size_t i = 0; i < count; ++i) point(curve->apfx[i], xs[i], ys[i]);
        if (curve->wType == TT_PRIM_LINE) {
          for (std::size_t i = 0; i < count; ++i) glyph.path.push_back({K::Line, xs[i], ys[i], 0, 0});
          if (count > 0) cx = xs[count - 1], cy = ys[count - 1];
        } else if (curve->wType == TT_PRIM_QSPLINE) {
          // Control points; between two of them lies an implied on-curve
          // point, the last point is on the curve.
          for (std::size_t i = 0; i + 1 < count; ++i) {
            float ex = xs[i + 1], ey = ys[i + 1];
            if (i + 2 < count) ex = (xs[i] + xs[i + 1]) / 2, ey = (ys[i] + ys[i + 1]) / 2;
            glyph.path.push_back({K::Quad, ex, ey, xs[i], ys[i]});
            cx = ex, cy = ey;
          }
        } else if (curve->wType == TT_PRIM_CSPLINE) {
          for (std::size_t i = 0; i + 2 < count; i += 3) {
            const float c1x = xs[i], c1y = ys[i], c2x = xs[i + 1], c2y = ys[i + 1], x = xs[i + 2], y = ys[i + 2];
            const float mx = (cx + 3 * c1x + 3 * c2x + x) / 8, my = (cy + 3 * c1y + 3 * c2y + y) / 8;
            const auto control = [](float a, float b, float c, float d) { return (3 * (b + c) - a - d) / 4; };
            glyph.path.push_back({K::Quad, mx, my, control(cx, (cx + c1x) / 2, (cx + 2 * c1x + c2x) / 4, mx),
                                  control(cy, (cy + c1y) / 2, (cy + 2 * c1y + c2y) / 4, my)});
            glyph.path.push_back({K::Quad, x, y, control(mx, (c1x + 2 * c2x + x) / 4, (c2x + x) / 2, x),
                                  control(my, (c1y + 2 * c2y + y) / 4, (c2y + y) / 2, y)});
            cx = x, cy = y;
          }
        }
        p += bytes;
      }
      glyph.path.push_back({K::Line, sx, sy, 0, 0});
      at = end;
    }
    return true;
  }

  HDC dc_ = nullptr;
  std::vector<HFONT> fonts_;
  float ascent_ = 0.8f;
  float descent_ = 0.2f;
  float leading_ = 0.0f;
  std::string description_;
};

}  // namespace

std::unique_ptr<SystemFont> SystemFont::Open(const std::string& family, bool bold, bool italic) {
  return std::make_unique<GdiFont>(family, bold, italic);
}

}  // namespace Halvane::Platform
