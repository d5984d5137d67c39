// FlashVars: the "a=1&b=two" text a host gives the control, each pair
// URL-decoded and set as a string variable of the root timeline.
#pragma once

#include <string>
#include <vector>

#include "movie/actions/ActionTarget.h"

namespace Halvane::Movie {

struct FlashVar {
  std::string name;
  std::string value;
};

// Decodes one URL-encoded part: "+" is a space, "%XX" the byte with that
// hexadecimal value; a "%" not followed by two hexadecimal digits is kept
// as it is.
std::string UrlDecode(const std::string& text);

// Splits at "&" into name=value pairs, decoding both. A pair without "="
// has an empty value; pairs with an empty name are dropped. Later pairs
// with the same name follow earlier ones in the list.
std::vector<FlashVar> ParseFlashVars(const std::string& text);

// Parses text and sets each pair as a string variable of root; answers the
// number of variables set.
std::size_t ApplyFlashVars(ActionTarget& root, const std::string& text);

}  // namespace Halvane::Movie
