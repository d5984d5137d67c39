// A growable stream in memory, the stream the movie control saves its
// properties into and loads its movie from.
//
// Promises: the size never passes kMemoryStreamLimit (512 MiB); the buffer
// grows in steps of kMemoryStreamGrowth (32 KiB), exactly to the next
// multiple above the needed size, and never shrinks; every byte that has not
// been written reads as zero; a failed Write or Seek changes nothing. A heap
// allocation that fails is a failed operation, never a crash.
#pragma once

#include <atomic>

#include "io/Stream.h"

namespace Halvane::IO {

constexpr ULONG kMemoryStreamLimit = 0x20000000;
constexpr ULONG kMemoryStreamGrowth = 0x8000;

class MemoryStream final : public Stream {
 public:
  MemoryStream() = default;
  MemoryStream(const MemoryStream&) = delete;
  MemoryStream& operator=(const MemoryStream&) = delete;

  // IUnknown: IID_IUnknown, IID_IStream and IID_ISequentialStream give this
  // object with one more reference; anything else E_NOINTERFACE and null.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // Copies up to count bytes from the position: S_OK with the bytes copied
  // (possibly fewer than count), S_FALSE with 0 at or after the end.
  HRESULT STDMETHODCALLTYPE Read(void* data, ULONG count, ULONG* bytesRead) override;
  // Writes count bytes at the position, growing the stream as needed:
  // S_OK, or STG_E_CANTSAVE (0 written, nothing changed) when the end would
  // pass kMemoryStreamLimit or the memory cannot be had.
  HRESULT STDMETHODCALLTYPE Write(const void* data, ULONG count, ULONG* bytesWritten) override;
  // Moves to base + move (base: 0, the position or the size for
  // STREAM_SEEK_SET, _CUR, _END). STG_E_INVALIDFUNCTION, position unchanged,
  // for another origin or a result below 0 or past the size.
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin,
                                 ULARGE_INTEGER* newPosition) override;
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER newSize) override;  // E_NOTIMPL
  HRESULT STDMETHODCALLTYPE Commit(DWORD flags) override;              // E_NOTIMPL
  HRESULT STDMETHODCALLTYPE Revert() override;                         // E_NOTIMPL
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count,
                                       DWORD lockType) override;       // E_NOTIMPL
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count,
                                         DWORD lockType) override;     // E_NOTIMPL
  // Sets only cbSize (the size); S_OK.
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE Clone(IStream** clone) override;           // E_NOTIMPL

  ~MemoryStream() override;

  // Sets the logical size to n, growing the buffer (zero-filled) to the next
  // multiple of kMemoryStreamGrowth; the position is not changed. False, with
  // nothing changed, above kMemoryStreamLimit or when memory cannot be had.
  bool Resize(ULONG n);

  // Bytes allocated: 0 or a multiple of kMemoryStreamGrowth, at least the size.
  ULONG Capacity() const { return capacity_; }
  // The stream's bytes (size() of them); null while nothing is allocated.
  // Valid until the next Write or Resize.
  const BYTE* Data() const { return buffer_; }

  // For producers that can write in place (the inflater), saving a copy:
  // the bytes from the position to the size, which may be overwritten, and
  // their count in *available (not null; 0 at the end, and null returned). The stream does not
  // grow this way; WrittenInPlace then moves the position over the bytes put
  // there (false, nothing moved, past the size).
  BYTE* WritableInPlace(ULONG* available);
  bool WrittenInPlace(ULONG count);

 private:
  std::atomic<LONG> references_{0};
  BYTE* buffer_ = nullptr;
  ULONG capacity_ = 0;
  ULONG size_ = 0;
  ULONG position_ = 0;
};

// Creates a memory stream of initialSize zero bytes, positioned at 0, with one
// reference: S_OK. An initialSize above kMemoryStreamLimit gives an empty
// stream with S_OK (callers that must not get that use
// CreateSwfLoadDestination or check GetSize). E_OUTOFMEMORY when the memory
// for a size within the limit cannot be had, E_FAIL when the object itself
// cannot be allocated; *stream is untouched on failure.
HRESULT CreateMemoryStream(ULONG initialSize, MemoryStream** stream);
HRESULT CreateMemoryStream(ULONG initialSize, Stream** stream);

}  // namespace Halvane::IO
