// Payload builders for the tags that tests, benchmarks and fuzz seeds put in
// movies: display-list tags, sprites, labels, actions, the background colour
// and a minimal shape (shapes of every kind: ShapeWriter.h). Each returns the payload; SwfBuilder::AddTag (or Tag)
// adds the header.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "movie/swf/SwfRecords.h"
#include "tools/SwfWriter.h"

namespace Halvane::Tools {

// Tag codes of the builders below.
enum SwfTagCode : std::uint16_t {
  kEndTag = 0,
  kShowFrameTag = 1,
  kDefineShapeTag = 2,
  kPlaceObjectTag = 4,
  kRemoveObjectTag = 5,
  kSetBackgroundColorTag = 9,
  kDoActionTag = 12,
  kDefineShape2Tag = 22,
  kPlaceObject2Tag = 26,
  kRemoveObject2Tag = 28,
  kDefineShape3Tag = 32,
  kDefineSpriteTag = 39,
  kFrameLabelTag = 43,
  kDefineMorphShapeTag = 46,
  kPlaceObject3Tag = 70,
  kDefineShape4Tag = 83,
  kDefineMorphShape2Tag = 84,
};

// MATRIX record; the scale and rotate parts are written only when they
// differ from the identity. Values in 16.16 fixed point and twips. The
// writer takes the reader's own record types.
using MatrixSpec = Movie::Matrix;
Bytes MatrixRecord(const MatrixSpec& m);

// CXFORM (withAlpha false, three channels) or CXFORMWITHALPHA.
using ColorTransformSpec = Movie::ColorTransform;
Bytes ColorTransformRecord(const ColorTransformSpec& cx, bool withAlpha);

// The fields of PlaceObject2 and PlaceObject3; absent ones are left out.
struct PlaceSpec {
  std::uint16_t depth = 1;
  bool move = false;
  std::optional<std::uint16_t> characterId;
  std::optional<MatrixSpec> matrix;
  std::optional<ColorTransformSpec> colorTransform;
  std::optional<std::uint16_t> ratio;
  std::optional<std::string> name;
  std::optional<std::uint16_t> clipDepth;
  // PlaceObject3 only.
  std::optional<std::string> className;
  std::optional<std::uint8_t> blendMode;
  bool withFilterList = false;  // writes the filter list below (empty or not)
  std::vector<Movie::FilterRecord> filters;
};

// A new placement of a character at a depth, no other fields.
PlaceSpec PlaceCharacter(std::uint16_t depth, std::uint16_t characterId);

Bytes PlaceObject(std::uint16_t characterId, std::uint16_t depth, const MatrixSpec& m,
                  const std::optional<ColorTransformSpec>& cx = std::nullopt);
Bytes PlaceObject2(const PlaceSpec& place);
Bytes PlaceObject3(const PlaceSpec& place);
Bytes RemoveObject(std::uint16_t characterId, std::uint16_t depth);
Bytes RemoveObject2(std::uint16_t depth);
Bytes FrameLabel(const std::string& label);
Bytes DoAction(const Bytes& actions);  // appends the end-of-actions byte
Bytes SetBackgroundColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
// DefineShape with one solid fill and a rectangle of the given size in
// twips, drawn with straight edges from (0, 0).
Bytes DefineShape(std::uint16_t id, std::int32_t width, std::int32_t height,
                  std::uint8_t red = 0, std::uint8_t green = 0, std::uint8_t blue = 0);

// A sprite's tag stream, built like a movie's.
class SpriteBuilder {
 public:
  SpriteBuilder& AddTag(std::uint16_t code, const Bytes& payload = {});
  SpriteBuilder& ShowFrame() { return AddTag(kShowFrameTag); }
  SpriteBuilder& SetFrameCount(std::uint16_t count);
  // The DefineSprite payload: id, frame count (the ShowFrames added unless
  // set), the tags and an End tag.
  Bytes Build(std::uint16_t id) const;

 private:
  Bytes tags_;
  int frames_ = 0;
  int frameOverride_ = -1;
};

}  // namespace Halvane::Tools
