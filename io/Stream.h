// The byte streams that movie data moves through. They have the COM IStream
// shape (same slots, same result codes), because the movie control loads its
// movie from an IStream, plus two helpers of their own after the destructor:
// GetPosition and GetSize.
//
// Streams are created on the heap by their factories (CreateMemoryStream,
// CreateFileStreamReader) with one reference and destroyed only by the
// Release that brings the count to 0. AddRef and Release may be called from
// any thread; every other operation must be called from one thread at a time.
#pragma once

#include "platform/Com.h"

namespace Halvane::IO {

// The transfer buffer of CopyTo: data moves in chunks of at most this size.
constexpr ULONG kCopyChunkSize = 0x80000;

class Stream : public IStream {
 public:
  // Copies count bytes from this stream's position to the destination's
  // position, in chunks of kCopyChunkSize. bytesRead and bytesWritten (both
  // optional) receive the totals reached, also when the copy fails.
  // Results: S_OK; STG_E_INVALIDPOINTER for a null destination or this very
  // stream (nothing touched); E_FAIL when this stream runs dry or fails before
  // count bytes, or the transfer buffer cannot be had; STG_E_MEDIUMFULL when
  // the destination fails or writes fewer bytes than it was given.
  HRESULT STDMETHODCALLTYPE CopyTo(IStream* destination, ULARGE_INTEGER count,
                                   ULARGE_INTEGER* bytesRead,
                                   ULARGE_INTEGER* bytesWritten) override;

  virtual ~Stream() = default;

  // The current position (a Seek of 0 from STREAM_SEEK_CUR), 0 if that fails.
  virtual ULONGLONG GetPosition();

  // The stream's size (the end as a Seek of 0 from STREAM_SEEK_END reports
  // it), leaving the position where it was; 0 if any of the seeks fails.
  virtual ULONGLONG GetSize();
};

}  // namespace Halvane::IO
