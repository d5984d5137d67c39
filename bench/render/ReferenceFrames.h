// The reference movies' first frames for the benchmark: each movie loaded
// into a control as the player loads it, drawn by the control (OleDraw into
// a 24-bit DIB section of Width x Height, high quality), and the same frame
// recorded as the drawing calls the control's walker makes, so that the
// oracle can draw the same shapes with the same fills.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "BenchScenes.h"
#include "movie/render/ColorTransform.h"
#include "movie/render/RenderTypes.h"
#include "movie/render/ShapeLayer.h"

namespace Halvane::Movie::Render::Bench {

// One drawing call of a frame, as the walker made it.
struct FrameCall {
  enum class Kind { Shape, BeginMask, EndMask, PopMask, PushLayer, PopLayer } kind = Kind::Shape;
  const ShapeLayer* shape = nullptr;  // owned by the frame's cache
  Transform placement;
  ColorTransform color;
  BlendMode mode = BlendMode::Normal;
};

class ReferenceFrame {
 public:
  // Loads folder's movie.swf; Valid() is false when it cannot be loaded.
  explicit ReferenceFrame(const std::string& folder);
  ~ReferenceFrame();
  ReferenceFrame(const ReferenceFrame&) = delete;
  ReferenceFrame& operator=(const ReferenceFrame&) = delete;

  bool Valid() const;
  const std::string& Name() const { return name_; }
  // Draws the current frame through the control.
  void DrawWithControl();
  // The frame's drawing calls (the walker run once, outside any timing).
  const std::vector<FrameCall>& Calls() const { return calls_; }

 private:
  struct State;
  std::string name_;
  std::unique_ptr<State> state_;
  std::vector<FrameCall> calls_;
};

// The reference folders under tests/data/visual.
std::vector<std::string> ReferenceFolders();

}  // namespace Halvane::Movie::Render::Bench
