#include "movie/render/ShapeCache.h"

#include "movie/render/ShapeBuilder.h"

namespace Halvane::Movie::Render {

const ShapeCache::Layers& ShapeCache::Shape(const std::shared_ptr<const ShapeDefinition>& shape) {
  auto [it, added] = shapes_.try_emplace(shape.get());
  if (added) {
    it->second.definition = shape;
    const BitmapSource source = Source();
    BuildShapeLayers(*shape, &it->second.layers, &source);
  }
  return it->second.layers;
}

const ShapeCache::Layers* ShapeCache::Morph(const std::shared_ptr<const MorphShapeDefinition>& morph,
                                            std::uint16_t ratio) {
  const auto key = std::make_pair(morph.get(), ratio);
  auto it = morphs_.find(key);
  if (it == morphs_.end()) {
    const std::size_t records = morph->startRecords.size() + morph->endRecords.size() + 1;
    if (morphRecords_ + records > MaxMorphRecordsPerFrame) return nullptr;
    morphRecords_ += records;
    it = morphs_.emplace(key, MorphEntry()).first;
    it->second.definition = morph;
    const BitmapSource source = Source();
    BuildMorphLayers(*morph, ratio, &it->second.layers, &source);
  }
  it->second.used = true;
  return &it->second.layers;
}

void ShapeCache::EndFrame() {
  for (auto it = morphs_.begin(); it != morphs_.end();) {
    if (it->second.used) {
      it->second.used = false;
      ++it;
    } else {
      it = morphs_.erase(it);
    }
  }
  morphRecords_ = 0;
  glyphs_.EndFrame();
}

BitmapSource ShapeCache::Source() {
  BitmapSource source;
  source.library = &bitmaps_;
  source.movieVersion = movie_ ? movie_->version : 0;
  return source;
}

void ShapeCache::SetMovie(const std::shared_ptr<const MovieDefinition>& movie) {
  if (movie == movie_) return;
  Clear();
  movie_ = movie;
  bitmaps_.SetMovie(movie.get());
  glyphs_.SetMovie(movie.get());
}

void ShapeCache::Clear() {
  shapes_.clear();
  morphs_.clear();
  morphRecords_ = 0;
}

}  // namespace Halvane::Movie::Render
