// ZIP archives with stored (uncompressed) entries, as the reference host's
// data archives hold movies: each entry's bytes lie in the archive as they
// are, so a movie inside is a window of the archive file.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tools/SwfWriter.h"

namespace Halvane::Tools {

// The archive of the entries, in order: names in UTF-8 (flagged so),
// dated 1 January 2020 so that the bytes depend on the contents alone.
Bytes StoredZip(const std::vector<std::pair<std::string, Bytes>>& entries);

}  // namespace Halvane::Tools
