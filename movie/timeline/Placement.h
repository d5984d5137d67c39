// What the placement records of a timeline say about one entry of its
// display list. Every field a PlaceObject tag can carry reaches an entry
// through Placement::Apply and nowhere else, so an entry built by playing
// and one rebuilt by a goto can never differ in a field.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "movie/swf/SwfRecords.h"

namespace Halvane::Movie {

struct Placement {
  std::uint16_t characterId = 0;
  Matrix matrix;
  ColorTransform colorTransform;
  std::uint16_t ratio = 0;
  std::string name;
  std::uint16_t clipDepth = 0;  // 0: not a mask
  std::uint8_t blendMode = 0;   // as the third placement form numbers them; 0 and 1 are normal
  // The filters placed or set by a script; null for none. Shared with the
  // placing tag's record until a script sets others.
  std::shared_ptr<const std::vector<FilterRecord>> filters;
  int placedFrame = 0;          // frame of the tag that placed this character here
  // The clip actions of the tag that placed the character.
  std::shared_ptr<const std::vector<ClipActionRecord>> clipActions;

  // Whether place puts a character anew at its depth (dropping what was
  // there) rather than modifying the entry there; hasEntry says whether the
  // depth holds one.
  static bool PlacesAnew(const PlaceObjectRecord& place, bool hasEntry) {
    return place.version == 1 || !place.move || !hasEntry;
  }

  // Whether place is refused outright: the later forms put a character
  // only where nothing is (the first form still replaces what is there).
  // What was at the depth stays as it was.
  static bool Refused(const PlaceObjectRecord& place, bool hasEntry) {
    return place.version != 1 && !place.move && hasEntry;
  }

  // Sets every field that place carries and keeps the others. anew starts
  // from a fresh entry holding place's character; otherwise a character
  // other than this one's replaces it. Either way the character then counts
  // as placed in frame. place must name a character when anew.
  void Apply(const PlaceObjectRecord& place, int frame, bool anew);

  // The filters as a list of their own, and a script's list replacing
  // them (an empty one leaves none).
  std::vector<FilterRecord> FilterList() const { return filters ? *filters : std::vector<FilterRecord>(); }
  void SetFilterList(std::vector<FilterRecord> list);
};

}  // namespace Halvane::Movie
