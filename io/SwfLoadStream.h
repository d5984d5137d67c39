// Turning a movie file into the control load stream: the stream the movie
// control is created from, a copy of the control's saved property stream P
// (S bytes) with the movie spliced in as an uncompressed SWF of L bytes, where
// L is the movie's file length field:
//
//   offset 0      1 byte   0x66 (kLoadStreamMarker)
//   offset 1      3 bytes  bytes 1..3 of P (byte 0 of P is not copied)
//   offset 4      4 bytes  L, little-endian, as in the movie's header
//   offset 8      L bytes  the movie: "FWS", version, L, uncompressed body
//   offset 8 + L  S - 4    bytes 4..S-1 of P
//
// The finished stream is S + L + 4 bytes. The movie region is exactly L
// bytes: a movie that supplies fewer leaves the rest as it was (zeros in a
// new stream), one that supplies more is cut at L. Offsets are relative to
// the destination's position when building starts.
//
// The player's order: GetSwfFileLength gives L; CreateSwfLoadDestination
// makes the destination (S + L bytes, or refuses); BuildSwfLoadStreamFromFile
// fills it; the destination, still at position 0, goes to the control.
//
// None of these functions takes or releases a reference on the streams it is
// given, and each leaves every stream it is given at the position it had.
// They run on the player's worker thread; the streams are not shared.
#pragma once

#include "io/MemoryStream.h"
#include "io/Stream.h"

namespace Halvane::IO {

constexpr BYTE kLoadStreamMarker = 0x66;
constexpr ULONG kLoadStreamMovieOffset = 8;    // where the movie region starts
constexpr ULONG kLoadStreamPropertyPrefix = 4;  // P's bytes 0..3 are used before the movie

// Writes the movie at the source's position (an SWF header) to the
// destination as an uncompressed SWF of at most L bytes: an "FWS" movie is
// copied as it is (cut at L); a "CWS" movie gets the header "FWS", version, L
// and its body inflated (stopping after L - 8 bytes).
// Results: S_OK, also when the body is corrupt or shorter than L says (the
// damage shows only in the bytes written); PeekSwfHeader's failure; E_FAIL
// when L is below 8 (shorter than its own header); E_OUTOFMEMORY, or the
// destination's failure code, when the bytes cannot be written.
HRESULT WriteSwfUncompressed(Stream* destination, Stream* source);

// Writes the control load stream at the destination's position from the movie
// at the source's position and the property stream from its position.
// Results: S_OK; PeekSwfHeader's failure (nothing written); E_FAIL when fewer
// than 4 property bytes remain or L is below 8 (nothing written);
// E_OUTOFMEMORY when the stream would pass kMemoryStreamLimit (nothing
// written); WriteSwfUncompressed's failure or the destination's failure code
// when writing fails (what was written stays). A destination shorter than the
// load stream is extended with zeros over the movie region.
HRESULT BuildSwfLoadStream(Stream* source, Stream* properties, Stream* destination);

// The size S + L of the destination the player creates, S being what remains
// of the property stream from its position. E_OUTOFMEMORY when the finished
// load stream (S + L + 4 bytes) would pass kMemoryStreamLimit; computed
// without overflow.
HRESULT GetSwfLoadDestinationSize(Stream* properties, ULONG fileLength, ULONG* size);

// Creates the destination memory stream of GetSwfLoadDestinationSize bytes
// with one reference, or refuses with E_OUTOFMEMORY before allocating
// anything (also when the memory cannot be had); *destination untouched on
// failure.
HRESULT CreateSwfLoadDestination(Stream* properties, ULONG fileLength,
                                 MemoryStream** destination);

// Opens the file window (as CreateFileStreamReader: length 0 means to the end
// of the file) and reports the file length field L of its header without
// checking the signature. E_FAIL when the window cannot be opened or holds
// fewer than 8 bytes.
HRESULT GetSwfFileLength(const char* path, ULONGLONG offset, ULONGLONG length,
                         ULONG* fileLength);

// Opens the file window and runs BuildSwfLoadStream with it as the source.
// E_FAIL when the window cannot be opened; otherwise BuildSwfLoadStream's
// result.
HRESULT BuildSwfLoadStreamFromFile(const char* path, ULONGLONG offset, ULONGLONG length,
                                   Stream* properties, Stream* destination);

}  // namespace Halvane::IO
