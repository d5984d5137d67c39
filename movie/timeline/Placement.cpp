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
  if (place.filters) filters = place.filters;
  if (place.clipActions) clipActions = place.clipActions;
}

void Placement::SetFilterList(std::vector<FilterRecord> list) {
  if (list.empty()) filters.reset();
  else filters = std::make_shared<const std::vector<FilterRecord>>(std::move(list));
}

}  // namespace Halvane::Movie
