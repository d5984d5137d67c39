// The 8-byte SWF file header: signature "FWS" (body stored as is) or "CWS"
// (body zlib-compressed), a version byte, and the 32-bit little-endian length
// of the uncompressed file including the header.
#pragma once

#include "io/Stream.h"

namespace Halvane::IO {

constexpr ULONG kSwfHeaderSize = 8;

// Reads the header at the source's position and always leaves the position
// where it was. Every out-parameter is optional and written only on success;
// the signature is checked only when compressed is asked for (0 for "FWS",
// 1 for "CWS", compared case-sensitively). Results: S_OK; the source's own
// failure code when a read fails; E_FAIL when fewer than 8 bytes remain, for
// another signature (when checked) or a null source. Takes no reference.
HRESULT PeekSwfHeader(Stream* source, int* compressed, BYTE* version, ULONG* fileLength);

}  // namespace Halvane::IO
