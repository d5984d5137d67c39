// The movie as typed records: what the reader makes of the bytes and what the
// timeline, the actions and the renderer work on. Nothing here points back
// into the movie's bytes; every record owns its data.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Halvane::Movie {

using ByteBlock = std::vector<std::uint8_t>;

// A rectangle in twips (1/20 pixel).
struct TwipsRect {
  std::int32_t xMin = 0;
  std::int32_t xMax = 0;
  std::int32_t yMin = 0;
  std::int32_t yMax = 0;
  bool operator==(const TwipsRect& o) const {
    return xMin == o.xMin && xMax == o.xMax && yMin == o.yMin && yMax == o.yMax;
  }
};

// An affine transform: scale and rotate-skew in 16.16 fixed point, the
// translation in twips.
struct Matrix {
  std::int32_t scaleX = 0x10000;
  std::int32_t scaleY = 0x10000;
  std::int32_t rotateSkew0 = 0;
  std::int32_t rotateSkew1 = 0;
  std::int32_t translateX = 0;
  std::int32_t translateY = 0;
  bool operator==(const Matrix& o) const {
    return scaleX == o.scaleX && scaleY == o.scaleY && rotateSkew0 == o.rotateSkew0 &&
           rotateSkew1 == o.rotateSkew1 && translateX == o.translateX &&
           translateY == o.translateY;
  }
};

// A colour transform: each channel c becomes c * mult / 256 + add, in the
// order red, green, blue, alpha.
struct ColorTransform {
  std::int16_t mult[4] = {256, 256, 256, 256};
  std::int16_t add[4] = {0, 0, 0, 0};
  bool operator==(const ColorTransform& o) const {
    for (int i = 0; i < 4; ++i) {
      if (mult[i] != o.mult[i] || add[i] != o.add[i]) return false;
    }
    return true;
  }
};

struct Rgba {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  std::uint8_t alpha = 255;
  bool operator==(const Rgba& o) const {
    return red == o.red && green == o.green && blue == o.blue && alpha == o.alpha;
  }
};

// PlaceObject (version 1), PlaceObject2 (2) and PlaceObject3 (3). Absent
// fields keep what the object at the depth had before.
struct PlaceObjectRecord {
  int version = 2;
  bool move = false;  // modifies the object at depth (always false for version 1)
  std::uint16_t depth = 0;
  std::optional<std::uint16_t> characterId;
  std::optional<Matrix> matrix;
  std::optional<ColorTransform> colorTransform;
  std::optional<std::uint16_t> ratio;
  std::optional<std::string> name;
  std::optional<std::uint16_t> clipDepth;
  std::optional<std::string> className;  // version 3 only
  std::optional<std::uint8_t> blendMode;  // version 3 only
};

// RemoveObject (with the character id) and RemoveObject2 (depth only).
struct RemoveObjectRecord {
  std::uint16_t depth = 0;
  std::optional<std::uint16_t> characterId;
};

// One display-list change of a frame, in tag order.
struct DisplayListTag {
  enum class Kind { Place, Remove } kind = Kind::Place;
  PlaceObjectRecord place;
  RemoveObjectRecord remove;
};

// Everything that happens when a timeline enters one frame.
struct FrameRecord {
  std::vector<DisplayListTag> displayList;
  std::vector<ByteBlock> actions;  // DoAction bytecode, run in this order
  std::vector<std::string> labels;
};

// A timeline: the main one of the movie or a sprite's. frameCount is the
// declared count (at least 1). frames holds only the frames the tag stream
// reached, so a huge declared count costs no memory; the others are empty.
struct TimelineDefinition {
  int frameCount = 1;
  std::vector<FrameRecord> frames;
  std::map<std::string, int> labels;  // first frame with each label
  int FrameCount() const { return frameCount; }
  // The records of frame n (0 is the first); an empty record outside the
  // frames the movie reached.
  const FrameRecord& Frame(int n) const;
  // Frame number (0 is the first) of a label, or -1. Labels compare without
  // regard to ASCII case, as movies expect.
  int FindLabel(const std::string& label) const;
};

// DefineShape, DefineShape2, DefineShape3, DefineShape4: kept for the
// renderer as the id, the bounds and the raw style and shape record bytes.
struct ShapeDefinition {
  std::uint16_t id = 0;
  int version = 1;
  TwipsRect bounds;
  TwipsRect edgeBounds;  // version 4 only; equal to bounds otherwise
  std::uint8_t flags = 0;  // version 4 only
  ByteBlock records;  // fill and line styles, then shape records
};

struct SpriteDefinition {
  std::uint16_t id = 0;
  TimelineDefinition timeline;
};

// How far the reader got. A movie that is Truncated plays up to the fault.
enum class ParseOutcome { Complete, Truncated, Refused };

struct MovieDefinition {
  std::uint8_t version = 0;
  std::uint32_t fileLength = 0;
  TwipsRect frameRect;
  std::uint16_t frameRate = 0;  // 8.8 fixed point frames per second
  std::uint16_t declaredFrameCount = 0;
  std::optional<Rgba> backgroundColor;  // first SetBackgroundColor
  TimelineDefinition root;
  std::map<std::uint16_t, std::shared_ptr<const ShapeDefinition>> shapes;
  std::map<std::uint16_t, std::shared_ptr<const SpriteDefinition>> sprites;
  ParseOutcome outcome = ParseOutcome::Complete;
  int TotalFrames() const { return root.FrameCount(); }
};

}  // namespace Halvane::Movie
