// A read-only stream over a window (a start offset and a length) of a file on
// disk, so that a movie may also sit inside a larger file such as a data
// archive. Positions seen by callers are relative to the window's start; no
// read or seek ever reaches a byte outside the window.
#pragma once

#include <atomic>

#include "io/Stream.h"
#include "platform/File.h"

namespace Halvane::IO {

class FileStreamReader final : public Stream {
 public:
  // Opens the window [offset, offset + length) of the file at path (an 8-bit
  // path in the system code page); length 0 means up to the end of the file.
  // The reader ends up without a file (HasFile() false) when the file cannot
  // be opened or the window does not fit in it. Use CreateFileStreamReader.
  FileStreamReader(const char* path, ULONGLONG offset, ULONGLONG length);
  FileStreamReader(const FileStreamReader&) = delete;
  FileStreamReader& operator=(const FileStreamReader&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // Reads up to count bytes at the position, never past the window's end:
  // S_OK with the bytes read; every failure (no file, at the end, a read
  // error) is S_FALSE with 0 bytes.
  HRESULT STDMETHODCALLTYPE Read(void* data, ULONG count, ULONG* bytesRead) override;
  HRESULT STDMETHODCALLTYPE Write(const void* data, ULONG count,
                                  ULONG* bytesWritten) override;  // E_NOTIMPL
  // Moves to base + move (base: the window's start, the position or the
  // window's end). STG_E_INVALIDFUNCTION, position unchanged, without a file,
  // for another origin, or when the result lies outside the window.
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin,
                                 ULARGE_INTEGER* newPosition) override;
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER newSize) override;  // E_NOTIMPL
  HRESULT STDMETHODCALLTYPE Commit(DWORD flags) override;              // E_NOTIMPL
  HRESULT STDMETHODCALLTYPE Revert() override;                         // E_NOTIMPL
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count,
                                       DWORD lockType) override;       // E_NOTIMPL
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count,
                                         DWORD lockType) override;     // E_NOTIMPL
  // Sets only cbSize (the window length); S_OK.
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE Clone(IStream** clone) override;           // E_NOTIMPL

  ~FileStreamReader() override;  // closes the file

  bool HasFile() const { return file_ != Platform::kInvalidFileHandle; }
  ULONGLONG WindowOffset() const { return windowOffset_; }
  ULONGLONG WindowLength() const { return windowLength_; }

 private:
  std::atomic<LONG> references_{0};
  Platform::FileHandle file_ = Platform::kInvalidFileHandle;
  ULONGLONG windowOffset_ = 0;
  ULONGLONG windowLength_ = 0;
};

// Opens a file window as a reader with one reference: S_OK, or E_FAIL (and
// *reader untouched, no file left open) when the file cannot be opened, the
// window does not fit in it, or the object cannot be allocated.
HRESULT CreateFileStreamReader(const char* path, ULONGLONG offset, ULONGLONG length,
                               FileStreamReader** reader);
HRESULT CreateFileStreamReader(const char* path, ULONGLONG offset, ULONGLONG length,
                               Stream** reader);

}  // namespace Halvane::IO
