#include "movie/timeline/Placement.h"

namespace Halvane::Movie {

void Placement::Apply(const PlaceObjectRecord& place, int frame, bool anew) {
  if (anew) *this = Placement();
  if (place.characterId && (anew || *place.characterId != characterId)) {
    characterId = *place.characterId;
    placedFrame = frame;
  }
  if (place.matrix) matrix = *place.matrix;
  if (place.colorTransform) colorTransform = *place.colorTransform;
  if (place.ratio) ratio = *place.ratio;
  if (place.name) name = *place.name;
  if (place.clipDepth) clipDepth = *place.clipDepth;
  if (place.blendMode) blendMode = *place.blendMode;
  if (place.clipActions) clipActions = place.clipActions;
}

}  // namespace Halvane::Movie
