// Helpers of the timeline's tests and of the control's: hand-assembled
// action bytecode for frame actions, and display-list snapshots.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include "movie/timeline/MovieClip.h"
#include "tools/SwfTags.h"
#include "tools/SwfWriter.h"

namespace Halvane::Movie::Testing {

using Tools::Bytes;

// Action bytecode pieces.
namespace Act {
Bytes Stop();
Bytes Play();
Bytes GotoFrame(std::uint16_t frame);
Bytes GotoLabel(const std::string& label);
Bytes PushString(const std::string& text);
Bytes SetVariable(const std::string& name, const std::string& value);
Bytes Join(std::initializer_list<Bytes> parts);
}  // namespace Act

// A display list flattened for comparison.
struct PlacedObject {
  int depth;
  std::uint16_t characterId;
  Matrix matrix;
  ColorTransform colorTransform;
  std::uint16_t ratio;
  std::string name;
  std::uint16_t clipDepth;
  std::uint8_t blendMode;
  bool isSprite;
  bool operator==(const PlacedObject& o) const;
};
std::vector<PlacedObject> Snapshot(const MovieClip& clip);
std::ostream& operator<<(std::ostream& out, const PlacedObject& o);

}  // namespace Halvane::Movie::Testing
