// Decompression of the zlib stream in the body of a compressed ("CWS") movie,
// in one pass through two 256 KiB heap buffers that exist only during the call.
#pragma once

#include <cstdint>

#include "io/Stream.h"

namespace Halvane::IO {

constexpr ULONG kInflateBufferSize = 0x40000;
constexpr ULONGLONG kNoOutputLimit = UINT64_MAX;

// Inflates the zlib stream (zlib wrapper, 15-bit window) at the source's
// position into the destination at its position, advancing both. At most
// outputLimit bytes are written; the rest of the data is then not needed.
// Bytes after the end of the zlib stream are never written.
// Returns 1 when the zlib stream reached its end, 0 otherwise (same object
// for both streams, corrupt or truncated data, a preset dictionary, a failed
// write, memory that cannot be had); what was inflated before a fault is
// already written. Takes no reference.
int InflateStream(Stream* source, Stream* destination, ULONGLONG outputLimit = kNoOutputLimit);

// The same, telling the caller's own faults from the data's:
// S_OK when the zlib stream reached its end (or filled outputLimit and ended
// there), S_FALSE when the data is corrupt, truncated or needs a dictionary,
// or the output limit was reached before its end; E_OUTOFMEMORY when memory
// cannot be had; the destination's failure code (or STG_E_MEDIUMFULL for a
// short write) when it does not take the bytes; E_INVALIDARG for null or
// identical streams.
HRESULT InflateStreamChecked(Stream* source, Stream* destination,
                             ULONGLONG outputLimit = kNoOutputLimit);

}  // namespace Halvane::IO
