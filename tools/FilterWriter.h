// The filter list of a placement as bytes: the mirror of the reader
// (movie/swf/FilterReader.h). Values go into the file's fixed-point and
// float fields rounded as they must; the displacement filter, which no
// file carries, is left out.
#pragma once

#include <vector>

#include "movie/swf/FilterRecords.h"
#include "tools/SwfWriter.h"

namespace Halvane::Tools {

Bytes FilterListRecord(const std::vector<Movie::FilterRecord>& filters);

}  // namespace Halvane::Tools
