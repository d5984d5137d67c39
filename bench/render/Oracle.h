// The reference rasterizer the benchmark compares against (Cairo when it is
// installed).
#pragma once

#include <memory>

#include "BenchScenes.h"
#include "ReferenceFrames.h"

namespace Halvane::Movie::Render::Bench {

class Oracle {
 public:
  virtual ~Oracle() = default;
  virtual const char* Name() const = 0;
  // Turns the scene into the oracle's own paths and paints once, outside
  // the timing.
  virtual void Prepare(const Scene& scene) = 0;
  // Draws a prepared scene over the oracle's own 640 x 480 image.
  virtual void Draw(const Scene& scene) = 0;
  // The same for a reference movie's frame: its recorded calls, each shape's
  // fills as closed paths and its lines as strokes, masks as clips, layers
  // as groups.
  virtual void Prepare(const ReferenceFrame& frame) = 0;
  virtual void Draw(const ReferenceFrame& frame) = 0;
};

// Null when no oracle was built in.
std::unique_ptr<Oracle> MakeOracle();

}  // namespace Halvane::Movie::Render::Bench
