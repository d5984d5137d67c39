#include "movie/render/LayerBlend.h"

#include <algorithm>
#include <cstdlib>

namespace Halvane::Movie::Render {

namespace {

// x / 255 rounded to nearest.
inline std::uint32_t Div255(std::uint32_t x) { return (x + 127) / 255; }

inline std::uint8_t Byte(std::uint32_t v) { return static_cast<std::uint8_t>(v > 255 ? 255 : v); }

bool Inside(const PixelRect& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

void BlendOverView(const std::uint8_t* src, std::uint8_t* dst, BlendMode mode) {
  const std::uint32_t a = src[3];
  if (a == 0) return;
  if (mode == BlendMode::Normal || mode == BlendMode::Layer) {
    for (int ch = 0; ch < 3; ++ch) dst[ch] = Byte(src[ch] + Div255(dst[ch] * (255 - a)));
    return;
  }
  for (int ch = 0; ch < 3; ++ch) {
    const std::uint8_t above = Byte((src[ch] * 255 + a / 2) / a);
    const std::uint32_t mixed = BlendChannel(mode, dst[ch], above);
    dst[ch] = Byte(Div255(dst[ch] * (255 - a) + a * mixed));
  }
}

void BlendOverLayer(const std::uint8_t* src, std::uint8_t* dst, BlendMode mode) {
  const std::uint32_t a = src[3];
  const std::uint32_t da = dst[3];
  if (mode == BlendMode::Alpha) {
    for (int ch = 0; ch < 4; ++ch) dst[ch] = Byte(Div255(dst[ch] * a));
    return;
  }
  if (a == 0) return;
  if (mode == BlendMode::Erase) {
    for (int ch = 0; ch < 4; ++ch) dst[ch] = Byte(Div255(dst[ch] * (255 - a)));
    return;
  }
  if (mode == BlendMode::Normal || mode == BlendMode::Layer || da == 0) {
    for (int ch = 0; ch < 4; ++ch) dst[ch] = Byte(src[ch] + Div255(dst[ch] * (255 - a)));
    return;
  }
  for (int ch = 0; ch < 3; ++ch) {
    const std::uint8_t above = Byte((src[ch] * 255 + a / 2) / a);
    const std::uint8_t below = Byte((dst[ch] * 255 + da / 2) / da);
    const std::uint32_t mixed = BlendChannel(mode, below, above);
    dst[ch] = Byte(Div255(src[ch] * (255 - da)) + Div255(dst[ch] * (255 - a)) + Div255(Div255(a * da) * mixed));
  }
  dst[3] = Byte(a + da - Div255(a * da));
}

}  // namespace

std::uint8_t BlendChannel(BlendMode mode, std::uint8_t below, std::uint8_t above) {
  const std::uint32_t b = below, s = above;
  switch (mode) {
    case BlendMode::Multiply:
      return Byte(Div255(b * s));
    case BlendMode::Screen:
      return Byte(b + s - Div255(b * s));
    case BlendMode::Lighten:
      return std::max(below, above);
    case BlendMode::Darken:
      return std::min(below, above);
    case BlendMode::Difference:
      return static_cast<std::uint8_t>(b > s ? b - s : s - b);
    case BlendMode::Add:
      return Byte(b + s);
    case BlendMode::Subtract:
      return static_cast<std::uint8_t>(b > s ? b - s : 0);
    case BlendMode::Invert:
      return static_cast<std::uint8_t>(255 - b);
    case BlendMode::Overlay:
      return b < 128 ? Byte(Div255(2 * s * b)) : Byte(255 - Div255(2 * (255 - s) * (255 - b)));
    case BlendMode::HardLight:
      return s < 128 ? Byte(Div255(2 * s * b)) : Byte(255 - Div255(2 * (255 - s) * (255 - b)));
    default:
      return above;
  }
}

void CompositeLayer(const Surface& layer, const PixelRect& region, const Surface& below, PixelRect* belowRegion,
                    BlendMode mode) {
  if (!below.layer) {
    // The view has no transparency for alpha and erase to change.
    if (mode == BlendMode::Alpha || mode == BlendMode::Erase) return;
    for (int y = region.top; y < region.bottom; ++y) {
      const std::uint8_t* src = layer.Pixel(region.left, y);
      std::uint8_t* dst = below.Pixel(region.left, y);
      for (int x = region.left; x < region.right; ++x, src += 4, dst += below.bytesPerPixel)
        BlendOverView(src, dst, mode);
    }
    return;
  }
  if (mode == BlendMode::Alpha) {
    // Everything the layer below holds, inside this layer or not.
    const PixelRect all = *belowRegion;
    static const std::uint8_t none[4] = {0, 0, 0, 0};
    for (int y = all.top; y < all.bottom; ++y) {
      std::uint8_t* dst = below.Pixel(all.left, y);
      for (int x = all.left; x < all.right; ++x, dst += 4) {
        BlendOverLayer(Inside(region, x, y) ? layer.Pixel(x, y) : none, dst, mode);
      }
    }
    return;
  }
  for (int y = region.top; y < region.bottom; ++y) {
    const std::uint8_t* src = layer.Pixel(region.left, y);
    std::uint8_t* dst = below.Pixel(region.left, y);
    for (int x = region.left; x < region.right; ++x, src += 4, dst += 4) BlendOverLayer(src, dst, mode);
  }
  if (mode == BlendMode::Erase || region.Empty()) return;
  if (belowRegion->Empty()) {
    *belowRegion = region;
  } else {
    belowRegion->left = std::min(belowRegion->left, region.left);
    belowRegion->top = std::min(belowRegion->top, region.top);
    belowRegion->right = std::max(belowRegion->right, region.right);
    belowRegion->bottom = std::max(belowRegion->bottom, region.bottom);
  }
}

}  // namespace Halvane::Movie::Render
