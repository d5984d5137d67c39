// What the filter classes of version 8 movies offer the display objects'
// filters property (MovieClip, TextField). Internal to the actions layer.
#pragma once

#include <optional>
#include <vector>

#include "movie/actions/BuiltinSupport.h"
#include "movie/swf/FilterRecords.h"

namespace Halvane::Movie::Builtins {

// The elements of a script's list looked at (a sparse array may claim
// billions); the rest are not.
constexpr std::size_t kMaxFiltersPerObject = 256;

// A new array of new filter objects, one for each record. Undefined when
// the heap is full.
ActionValue FilterArray(NativeCall& c, const std::vector<FilterRecord>& filters);

// The records of the filter objects in a script's array, in its order;
// elements that are no filters are skipped. Nothing for a value that is no
// array.
std::optional<std::vector<FilterRecord>> FilterList(NativeCall& c, const ActionValue& value);

}  // namespace Halvane::Movie::Builtins
