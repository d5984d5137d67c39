#include "tests/movie_timeline/TimelineTestSupport.h"

namespace Halvane::Movie::Testing {

namespace Act {

Bytes Stop() { return {0x07}; }
Bytes Play() { return {0x06}; }

Bytes GotoFrame(std::uint16_t frame) {
  return {0x81, 0x02, 0x00, static_cast<std::uint8_t>(frame), static_cast<std::uint8_t>(frame >> 8)};
}

Bytes GotoLabel(const std::string& label) {
  Tools::ByteWriter w;
  w.U8(0x8C).U16(static_cast<std::uint16_t>(label.size() + 1)).String(label);
  return w.Take();
}

Bytes PushString(const std::string& text) {
  Tools::ByteWriter w;
  w.U8(0x96).U16(static_cast<std::uint16_t>(text.size() + 2)).U8(0).String(text);
  return w.Take();
}

Bytes SetVariable(const std::string& name, const std::string& value) {
  return Join({PushString(name), PushString(value), Bytes{0x1D}});
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

}  // namespace Act

bool PlacedObject::operator==(const PlacedObject& o) const {
  return depth == o.depth && characterId == o.characterId && matrix == o.matrix &&
         colorTransform == o.colorTransform && ratio == o.ratio && name == o.name &&
         clipDepth == o.clipDepth && blendMode == o.blendMode && isSprite == o.isSprite;
}

std::vector<PlacedObject> Snapshot(const MovieClip& clip) {
  std::vector<PlacedObject> out;
  for (const auto& [depth, object] : clip.Objects()) {
    out.push_back(PlacedObject{depth, object.characterId, object.matrix, object.colorTransform,
                               object.ratio, object.name, object.clipDepth, object.blendMode,
                               object.sprite != nullptr});
  }
  return out;
}

std::ostream& operator<<(std::ostream& out, const PlacedObject& o) {
  return out << "{depth " << o.depth << " char " << o.characterId << " at " << o.matrix.translateX
             << "," << o.matrix.translateY << " ratio " << o.ratio << " name '" << o.name << "' clip "
             << o.clipDepth << " blend " << int{o.blendMode} << "}";
}

}  // namespace Halvane::Movie::Testing
