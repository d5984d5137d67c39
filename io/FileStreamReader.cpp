#include "io/FileStreamReader.h"

#include <new>

#include "io/HeapBlock.h"

namespace Halvane::IO {

namespace {

bool IsStreamInterface(REFIID riid) {
  return Platform::SameGuid(riid, IID_IUnknown) || Platform::SameGuid(riid, IID_IStream) ||
         Platform::SameGuid(riid, IID_ISequentialStream);
}

// Positions are file offsets, which the platform keeps within signed 64 bits.
constexpr ULONGLONG kLargestOffset = 0x7FFFFFFFFFFFFFFFull;

}  // namespace

FileStreamReader::FileStreamReader(const char* path, ULONGLONG offset, ULONGLONG length) {
  const Platform::FileHandle file = Platform::OpenFileForReading(path);
  if (file == Platform::kInvalidFileHandle) return;
  std::uint64_t fileSize = 0;
  // The window must fit: compared by subtraction so that offset + length
  // cannot wrap around and let a huge window pass.
  const bool fits = Platform::GetFileSize64(file, &fileSize) && offset <= fileSize &&
                    length <= fileSize - offset && fileSize <= kLargestOffset;
  if (!fits || !Platform::SetFilePosition(file, static_cast<std::int64_t>(offset))) {
    Platform::CloseFile(file);
    return;
  }
  file_ = file;
  windowOffset_ = offset;
  windowLength_ = length > 0 ? length : fileSize - offset;
}

FileStreamReader::~FileStreamReader() { Platform::CloseFile(file_); }

HRESULT FileStreamReader::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (!IsStreamInterface(riid)) {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  *object = static_cast<IStream*>(this);
  AddRef();
  return S_OK;
}

ULONG FileStreamReader::AddRef() {
  return static_cast<ULONG>(references_.fetch_add(1, std::memory_order_relaxed) + 1);
}

ULONG FileStreamReader::Release() {
  const LONG left = references_.fetch_sub(1, std::memory_order_acq_rel) - 1;
  if (left == 0) {
    delete this;
    return 0;
  }
  return static_cast<ULONG>(left);
}

HRESULT FileStreamReader::Read(void* data, ULONG count, ULONG* bytesRead) {
  if (bytesRead != nullptr) *bytesRead = 0;
  std::uint64_t at = 0;
  if (!HasFile() || !Platform::GetFilePosition(file_, &at) || at < windowOffset_ ||
      at - windowOffset_ >= windowLength_ || (count > 0 && data == nullptr)) {
    return S_FALSE;
  }
  const ULONGLONG left = windowLength_ - (at - windowOffset_);
  const ULONG n = count < left ? count : static_cast<ULONG>(left);
  std::uint32_t got = 0;
  if (!Platform::ReadFileBytes(file_, data, n, &got)) {
    // Put the pointer back where the read started so a retry sees the same bytes.
    Platform::SetFilePosition(file_, static_cast<std::int64_t>(at));
    return S_FALSE;
  }
  if (bytesRead != nullptr) *bytesRead = got;
  return S_OK;
}

HRESULT FileStreamReader::Write(const void*, ULONG, ULONG*) { return E_NOTIMPL; }

HRESULT FileStreamReader::Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) {
  if (!HasFile()) return STG_E_INVALIDFUNCTION;
  // Everything is worked out relative to the window: base and result must
  // both lie in 0..windowLength, so a movie inside an archive can never be
  // moved onto the archive's bytes outside it.
  ULONGLONG base = 0;
  switch (origin) {
    case STREAM_SEEK_SET: base = 0; break;
    case STREAM_SEEK_CUR: {
      std::uint64_t at = 0;
      if (!Platform::GetFilePosition(file_, &at) || at < windowOffset_ ||
          at - windowOffset_ > windowLength_) {
        return STG_E_INVALIDFUNCTION;
      }
      base = at - windowOffset_;
      break;
    }
    case STREAM_SEEK_END: base = windowLength_; break;
    default: return STG_E_INVALIDFUNCTION;
  }
  const LONGLONG delta = move.QuadPart;
  ULONGLONG target;
  if (delta < 0) {
    // -(delta + 1) + 1 avoids negating the most negative value.
    const ULONGLONG back = static_cast<ULONGLONG>(-(delta + 1)) + 1;
    if (back > base) return STG_E_INVALIDFUNCTION;
    target = base - back;
  } else {
    const ULONGLONG ahead = static_cast<ULONGLONG>(delta);
    if (ahead > windowLength_ - base) return STG_E_INVALIDFUNCTION;
    target = base + ahead;
  }
  if (!Platform::SetFilePosition(file_, static_cast<std::int64_t>(windowOffset_ + target))) {
    return STG_E_INVALIDFUNCTION;
  }
  if (newPosition != nullptr) newPosition->QuadPart = target;
  return S_OK;
}

HRESULT FileStreamReader::SetSize(ULARGE_INTEGER) { return E_NOTIMPL; }
HRESULT FileStreamReader::Commit(DWORD) { return E_NOTIMPL; }
HRESULT FileStreamReader::Revert() { return E_NOTIMPL; }
HRESULT FileStreamReader::LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) { return E_NOTIMPL; }
HRESULT FileStreamReader::UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) { return E_NOTIMPL; }
HRESULT FileStreamReader::Clone(IStream**) { return E_NOTIMPL; }

HRESULT FileStreamReader::Stat(STATSTG* stat, DWORD) {
  if (stat == nullptr) return STG_E_INVALIDPOINTER;
  stat->cbSize.QuadPart = windowLength_;
  return S_OK;
}

HRESULT CreateFileStreamReader(const char* path, ULONGLONG offset, ULONGLONG length,
                               FileStreamReader** reader) {
  if (reader == nullptr) return E_POINTER;
  FileStreamReader* created =
      AllocationAllowed() ? new (std::nothrow) FileStreamReader(path, offset, length) : nullptr;
  if (created == nullptr) return E_FAIL;
  if (!created->HasFile()) {
    delete created;
    return E_FAIL;
  }
  created->AddRef();
  *reader = created;
  return S_OK;
}

HRESULT CreateFileStreamReader(const char* path, ULONGLONG offset, ULONGLONG length,
                               Stream** reader) {
  if (reader == nullptr) return E_POINTER;
  FileStreamReader* created = nullptr;
  const HRESULT result = CreateFileStreamReader(path, offset, length, &created);
  if (SUCCEEDED(result)) *reader = created;
  return result;
}

}  // namespace Halvane::IO
