#include "movie/render/FrameWalker.h"

#include "movie/actions/BitmapPixels.h"
#include "movie/render/Bitmaps.h"
#include "movie/render/ShapeBuilder.h"
#include "movie/timeline/MoviePlayer.h"
#include "movie/timeline/TextFieldInstance.h"

namespace Halvane::Movie::Render {

ColorTransform ColorTransformOf(const Movie::ColorTransform& color) {
  std::int32_t mult[4], add[4];
  for (int i = 0; i < 4; ++i) {
    mult[i] = color.mult[i];
    add[i] = color.add[i];
  }
  return ColorTransform::FromFields(mult, add);
}

void FrameWalker::Walk(const MoviePlayer& movie, const Transform& stage, ShapeCache& cache, DrawSink& sink) {
  movie_ = &movie;
  cache_ = &cache;
  sink_ = &sink;
  draws_ = 0;
  openMasks_.clear();
  WalkClip(movie.Root(), stage, ColorTransform(), false);
  for (auto it = shown_.begin(); it != shown_.end();) {
    if (it->second.drawn) {
      it->second.drawn = false;
      ++it;
    } else {
      it = shown_.erase(it);
    }
  }
  cache.EndFrame();
  movie_ = nullptr;
  cache_ = nullptr;
  sink_ = nullptr;
}

void FrameWalker::WalkClip(const MovieClip& clip, const Transform& placement, const ColorTransform& color,
                           bool inMask) {
  const std::size_t base = openMasks_.size();
  for (const auto& [depth, object] : clip.Objects()) {
    if (Stopped()) break;
    while (openMasks_.size() > base && openMasks_.back() < depth) {
      sink_->PopMask();
      openMasks_.pop_back();
    }
    const Transform matrix = TransformOf(object.matrix).Then(placement);
    if (object.clipDepth > 0 && !inMask) {
      sink_->BeginMask();
      DrawObject(object, matrix, color, true);
      sink_->EndMask();
      openMasks_.push_back(object.clipDepth);
      continue;
    }
    if (!object.visible) continue;
    if (inMask) {
      DrawObject(object, matrix, color, true);
      continue;
    }
    const ColorTransform objectColor = ColorTransform::Compose(color, ColorTransformOf(object.colorTransform));
    const BlendMode mode = BlendModeFromByte(object.blendMode);
    if (mode != BlendMode::Normal) sink_->PushLayer(mode);
    DrawObject(object, matrix, objectColor, false);
    if (mode != BlendMode::Normal) sink_->PopLayer();
  }
  while (openMasks_.size() > base) {
    sink_->PopMask();
    openMasks_.pop_back();
  }
}

void FrameWalker::DrawObject(const DisplayObject& object, const Transform& placement, const ColorTransform& color,
                             bool inMask) {
  if (object.sprite) {
    WalkClip(*object.sprite, placement, color, inMask);
    return;
  }
  if (object.text) {
    DrawField(object, placement, color, inMask);
    return;
  }
  if (object.bitmap) {
    DrawScriptBitmap(object, placement, color, inMask);
    return;
  }
  const MovieDefinition& movie = movie_->Definition();
  const auto text = movie.texts.find(object.characterId);
  if (text != movie.texts.end()) {
    LayOutStaticText(*text->second, movie, cache_->Glyphs(), &glyphs_);
    DrawGlyphs(glyphs_, placement, color);
    return;
  }
  const auto shape = movie.shapes.find(object.characterId);
  if (shape != movie.shapes.end()) {
    DrawLayers(cache_->Shape(shape->second), placement, color);
    return;
  }
  const auto morph = movie.morphShapes.find(object.characterId);
  if (morph != movie.morphShapes.end()) {
    const ShapeCache::Layers* layers = cache_->Morph(morph->second, object.ratio);
    if (layers != nullptr) DrawLayers(*layers, placement, color);
  }
}

void FrameWalker::DrawLayers(const ShapeCache::Layers& layers, const Transform& placement,
                             const ColorTransform& color) {
  for (const ShapeLayer& layer : layers) {
    if (Stopped()) return;
    ++draws_;
    sink_->DrawShape(layer, placement, color);
  }
}

void FrameWalker::DrawGlyphs(const std::vector<PlacedGlyph>& glyphs, const Transform& placement,
                             const ColorTransform& color) {
  for (const PlacedGlyph& glyph : glyphs) {
    if (Stopped()) return;
    ++draws_;
    // The glyph's white becomes the text's colour, then the placement's
    // transform applies to that colour.
    const std::int32_t mult[4] = {0, 0, 0, 0};
    const std::int32_t add[4] = {glyph.color.red, glyph.color.green, glyph.color.blue, glyph.color.alpha};
    sink_->DrawShape(*glyph.layer, glyph.toText.Then(placement),
                     ColorTransform::Compose(color, ColorTransform::FromFields(mult, add)));
  }
}

void FrameWalker::DrawField(const DisplayObject& object, const Transform& placement, const ColorTransform& color,
                            bool inMask) {
  const TextFieldData& data = object.text->Data();
  const double x0 = data.x * 20, y0 = data.y * 20;
  const double x1 = x0 + data.width * 20, y1 = y0 + data.height * 20;
  const auto rgb = [](std::uint32_t c) {
    return Rgba{static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8), static_cast<std::uint8_t>(c),
                255};
  };
  const auto outline = [&](ShapeLayer& layer) {
    layer.MoveTo(x0, y0);
    layer.LineTo(x1, y0);
    layer.LineTo(x1, y1);
    layer.LineTo(x0, y1);
    layer.LineTo(x0, y0);
  };
  if (inMask) {
    // A field in a mask masks with its box.
    box_.Clear();
    box_.fills.push_back(Paint::SolidColor(Rgba{0, 0, 0, 255}));
    box_.SetFill1(1);
    outline(box_);
    if (!Stopped()) sink_->DrawShape(box_, placement, color);
    return;
  }
  if (data.background || data.border) {
    box_.Clear();
    box_.fills.push_back(Paint::SolidColor(rgb(data.backgroundColor)));
    LineStyle line;
    line.width = 20;
    line.paint = Paint::SolidColor(rgb(data.borderColor));
    line.join = JoinStyle::Miter;
    box_.lines.push_back(line);
    box_.SetFill1(data.background ? 1 : 0);
    box_.SetLine(data.border ? 1 : 0);
    outline(box_);
    if (!Stopped()) {
      ++draws_;
      sink_->DrawShape(box_, placement, color);
    }
  }
  LayOutField(data, movie_->Definition(), cache_->Glyphs(), &field_);
  if (field_.glyphs.empty()) return;
  // Text past the box is cut at its edges.
  const bool clip = field_.overflows;
  if (clip) {
    box_.Clear();
    box_.fills.push_back(Paint::SolidColor(Rgba{0, 0, 0, 255}));
    box_.SetFill1(1);
    outline(box_);
    sink_->BeginMask();
    sink_->DrawShape(box_, placement, color);
    sink_->EndMask();
  }
  DrawGlyphs(field_.glyphs, placement, color);
  if (clip) sink_->PopMask();
}

std::shared_ptr<const Bitmap> FrameWalker::ImageOf(const std::shared_ptr<const BitmapPixels>& pixels) {
  ShownBitmap& shown = shown_[pixels.get()];
  shown.drawn = true;
  if (shown.image && shown.source.lock() == pixels && shown.changes == pixels->Changes()) return shown.image;
  auto image = std::make_shared<Bitmap>();
  image->width = pixels->Width();
  image->height = pixels->Height();
  image->opaque = !pixels->Transparent();
  image->pixels.resize(static_cast<std::size_t>(image->width) * static_cast<std::size_t>(image->height));
  std::size_t i = 0;
  for (std::int32_t y = 0; y < image->height; ++y) {
    for (std::int32_t x = 0; x < image->width; ++x) {
      const std::uint32_t argb = pixels->Get(x, y);
      image->pixels[i++] = Rgba{static_cast<std::uint8_t>(argb >> 16), static_cast<std::uint8_t>(argb >> 8),
                                static_cast<std::uint8_t>(argb), image->opaque ? std::uint8_t{255}
                                                                               : static_cast<std::uint8_t>(argb >> 24)};
    }
  }
  if (image->opaque) {
    image->bgr.reserve(image->pixels.size() * 3);
    for (const Rgba& c : image->pixels) {
      image->bgr.push_back(c.blue);
      image->bgr.push_back(c.green);
      image->bgr.push_back(c.red);
    }
  }
  shown.source = pixels;
  shown.changes = pixels->Changes();
  shown.image = std::move(image);
  return shown.image;
}

void FrameWalker::DrawScriptBitmap(const DisplayObject& object, const Transform& placement,
                                   const ColorTransform& color, bool inMask) {
  if (object.bitmap->Disposed() || Stopped()) return;
  const double w = object.bitmap->Width() * 20.0, h = object.bitmap->Height() * 20.0;
  box_.Clear();
  if (inMask) {
    box_.fills.push_back(Paint::SolidColor(Rgba{0, 0, 0, 255}));
  } else {
    Paint paint;
    paint.kind = PaintKind::Bitmap;
    paint.bitmap = ImageOf(object.bitmap);
    paint.matrix.a = paint.matrix.d = 20.0;
    paint.smoothed = object.bitmapSmoothing;
    box_.fills.push_back(std::move(paint));
  }
  box_.SetFill1(1);
  box_.MoveTo(0, 0);
  box_.LineTo(w, 0);
  box_.LineTo(w, h);
  box_.LineTo(0, h);
  box_.LineTo(0, 0);
  ++draws_;
  sink_->DrawShape(box_, placement, color);
}

}  // namespace Halvane::Movie::Render
