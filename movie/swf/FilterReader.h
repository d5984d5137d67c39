// The filter list of a placement (PlaceObject3, DefineButton2's records)
// read into records.
#pragma once

#include <memory>
#include <vector>

#include "movie/swf/FilterRecords.h"

namespace Halvane::Movie {

class SwfReader;

// Reads a filter list (its count byte first); null, with r failed, when
// the list runs past its bytes or names a kind of filter there is none of.
// Every value is converted to the units scripts read (see FilterRecords.h).
std::shared_ptr<const std::vector<FilterRecord>> ReadFilterList(SwfReader& r);

}  // namespace Halvane::Movie
