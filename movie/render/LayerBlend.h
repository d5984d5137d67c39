// A finished transparent layer combined with what lies below it. The layer
// holds premultiplied B, G, R, A. For a mode with a per-channel formula
// B(below, layer) (straight colours, 0 .. 255) a pixel becomes
//   below * (1 - a) + a * B(below, layer colour)            over the view,
//   layer * (1 - A) + below * (1 - a) + a * A * B(...)      over a layer
// with a the layer's alpha and A the alpha of the layer below, which itself
// becomes a + A - a * A. The formulas:
//   normal, layer: the layer colour (plain "over")
//   multiply: below * layer        screen: below + layer - below * layer
//   lighten: max                   darken: min
//   difference: |below - layer|    add: min(below + layer, 1)
//   subtract: max(below - layer, 0)
//   invert: 1 - below (the layer's colour does not matter, only its alpha)
//   overlay: below <= 1/2 ? 2 below layer : 1 - 2 (1 - below)(1 - layer)
//   hardlight: the same with the test on the layer's colour
// Alpha and erase change only transparency: over a layer, alpha keeps the
// layer below where this one is opaque (A becomes A * a, everywhere below
// holds anything) and erase removes it there (A becomes A * (1 - a)). The
// view below has no transparency, so there they leave it as it was.
#pragma once

#include "movie/render/RenderTypes.h"
#include "movie/render/SpanPainter.h"

namespace Halvane::Movie::Render {

// Combines layer over below within region (device pixels inside both).
// belowRegion is where the layer below holds anything (alpha mode clears it
// outside the layer); it may be grown by the call.
void CompositeLayer(const Surface& layer, const PixelRect& region, const Surface& below, PixelRect* belowRegion,
                    BlendMode mode);

// The per-channel formula of mode at straight colours below and above.
std::uint8_t BlendChannel(BlendMode mode, std::uint8_t below, std::uint8_t above);

}  // namespace Halvane::Movie::Render
