// The shape layers of a movie's shapes, made once per shape definition and
// kept: a movie draws the same shapes frame after frame. Morph shapes are
// kept per ratio for as long as some frame draws them at that ratio.
//
// Entries are found by the definition's address and hold a reference to the
// definition, so an address is never reused while its entry lives; a cache
// that outlives its movie is merely stale, never wrong (the owner clears it
// when the movie changes).
//
// Morph layers are made anew each frame a ratio first appears in, so their
// cost per frame is capped: past MaxMorphRecordsPerFrame records made into
// layers, further new ratios are not drawn that frame.
//
// The cache also holds what the movie's shapes and texts draw with: its
// decoded bitmaps (BitmapLibrary) and its glyphs (GlyphLibrary). SetMovie
// names the movie they come from; another movie clears everything.
//
// Used by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "movie/render/Bitmaps.h"
#include "movie/render/GlyphLibrary.h"
#include "movie/render/ShapeLayer.h"
#include "movie/render/ShapeBuilder.h"
#include "movie/swf/SwfRecords.h"

namespace Halvane::Movie::Render {

class ShapeCache {
 public:
  using Layers = std::vector<ShapeLayer>;
  static constexpr std::size_t MaxMorphRecordsPerFrame = std::size_t{1} << 20;

  // The movie whose shapes, bitmaps and glyphs come next (null: none).
  void SetMovie(const std::shared_ptr<const MovieDefinition>& movie);
  BitmapLibrary& Bitmaps() { return bitmaps_; }
  GlyphLibrary& Glyphs() { return glyphs_; }

  // The layers of shape (made on the first call).
  const Layers& Shape(const std::shared_ptr<const ShapeDefinition>& shape);
  // The layers of morph at ratio; null when this frame's morph budget is
  // spent.
  const Layers* Morph(const std::shared_ptr<const MorphShapeDefinition>& morph, std::uint16_t ratio);
  // Ends a frame: morph ratios the frame did not draw are dropped and the
  // morph budget is refilled.
  void EndFrame();
  void Clear();
  std::size_t ShapeCount() const { return shapes_.size(); }
  std::size_t MorphCount() const { return morphs_.size(); }

 private:
  struct ShapeEntry {
    std::shared_ptr<const ShapeDefinition> definition;
    Layers layers;
  };
  struct MorphEntry {
    std::shared_ptr<const MorphShapeDefinition> definition;
    Layers layers;
    bool used = true;
  };
  std::unordered_map<const ShapeDefinition*, ShapeEntry> shapes_;
  std::map<std::pair<const MorphShapeDefinition*, std::uint16_t>, MorphEntry> morphs_;
  std::size_t morphRecords_ = 0;
  std::shared_ptr<const MovieDefinition> movie_;  // held: its address is never reused meanwhile
  BitmapLibrary bitmaps_;
  GlyphLibrary glyphs_;
  BitmapSource Source();
};

}  // namespace Halvane::Movie::Render
