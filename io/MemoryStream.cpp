#include "io/MemoryStream.h"

#include <cstring>
#include <new>

#include "io/HeapBlock.h"

namespace Halvane::IO {

namespace {

bool IsStreamInterface(REFIID riid) {
  return Platform::SameGuid(riid, IID_IUnknown) || Platform::SameGuid(riid, IID_IStream) ||
         Platform::SameGuid(riid, IID_ISequentialStream);
}

}  // namespace

HRESULT MemoryStream::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (!IsStreamInterface(riid)) {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  *object = static_cast<IStream*>(this);
  AddRef();
  return S_OK;
}

ULONG MemoryStream::AddRef() {
  return static_cast<ULONG>(references_.fetch_add(1, std::memory_order_relaxed) + 1);
}

ULONG MemoryStream::Release() {
  const LONG left = references_.fetch_sub(1, std::memory_order_acq_rel) - 1;
  if (left == 0) {
    delete this;
    return 0;
  }
  return static_cast<ULONG>(left);
}

MemoryStream::~MemoryStream() { FreeBlock(buffer_); }

bool MemoryStream::Resize(ULONG n) {
  if (n > kMemoryStreamLimit) return false;
  // n <= 512 MiB, so rounding up cannot wrap.
  const ULONG capacity = (n + (kMemoryStreamGrowth - 1)) & ~(kMemoryStreamGrowth - 1);
  if (n < size_) {
    // Cut bytes must read as zero if the size grows again without writing
    // them; a block that cannot be shrunk is simply kept.
    std::memset(buffer_ + n, 0, size_ - n);
    size_ = n;
    if (position_ > size_) position_ = size_;
    if (capacity == 0) {
      FreeBlock(buffer_);
      buffer_ = nullptr;
      capacity_ = 0;
    } else if (capacity != capacity_) {
      if (auto* block = static_cast<BYTE*>(ReallocateBlock(buffer_, capacity))) {
        buffer_ = block;
        capacity_ = capacity;
      }
    }
    return true;
  }
  if (capacity > capacity_) {
    if (buffer_ == nullptr) {
      auto* block = static_cast<BYTE*>(AllocateZeroedBlock(capacity));
      if (block == nullptr) return false;
      buffer_ = block;
    } else {
      auto* block = static_cast<BYTE*>(ReallocateBlock(buffer_, capacity));
      if (block == nullptr) return false;  // the old block is still ours
      std::memset(block + capacity_, 0, capacity - capacity_);
      buffer_ = block;
    }
    capacity_ = capacity;
  }
  size_ = n;
  return true;
}

HRESULT MemoryStream::Read(void* data, ULONG count, ULONG* bytesRead) {
  if (position_ >= size_) {
    if (bytesRead != nullptr) *bytesRead = 0;
    return S_FALSE;
  }
  const ULONG left = size_ - position_;
  const ULONG n = count < left ? count : left;
  if (n > 0 && data == nullptr) {
    if (bytesRead != nullptr) *bytesRead = 0;
    return STG_E_INVALIDPOINTER;
  }
  if (n > 0) std::memcpy(data, buffer_ + position_, n);
  position_ += n;
  if (bytesRead != nullptr) *bytesRead = n;
  return S_OK;
}

HRESULT MemoryStream::Write(const void* data, ULONG count, ULONG* bytesWritten) {
  if (count > 0 && data == nullptr) {
    if (bytesWritten != nullptr) *bytesWritten = 0;
    return STG_E_INVALIDPOINTER;
  }
  if (count > size_ - position_) {
    // Summed in 64 bits: a 32-bit position + count could wrap to a small size
    // and let the copy run past the buffer.
    const ULONGLONG end = static_cast<ULONGLONG>(position_) + count;
    if (end > kMemoryStreamLimit || !Resize(static_cast<ULONG>(end))) {
      if (bytesWritten != nullptr) *bytesWritten = 0;
      return STG_E_CANTSAVE;
    }
  }
  if (count > 0) std::memcpy(buffer_ + position_, data, count);
  position_ += count;
  if (bytesWritten != nullptr) *bytesWritten = count;
  return S_OK;
}

BYTE* MemoryStream::WritableInPlace(ULONG* available) {
  *available = size_ - position_;
  return *available > 0 ? buffer_ + position_ : nullptr;
}

bool MemoryStream::WrittenInPlace(ULONG count) {
  if (count > size_ - position_) return false;
  position_ += count;
  return true;
}

HRESULT MemoryStream::Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) {
  LONGLONG base = 0;
  switch (origin) {
    case STREAM_SEEK_SET: base = 0; break;
    case STREAM_SEEK_CUR: base = position_; break;
    case STREAM_SEEK_END: base = size_; break;
    default: return STG_E_INVALIDFUNCTION;
  }
  // base is at most 512 MiB, so the result is outside 0..size whenever the
  // move alone is outside -base..size-base; no sum can overflow.
  const LONGLONG delta = move.QuadPart;
  if (delta < -base || delta > static_cast<LONGLONG>(size_) - base) return STG_E_INVALIDFUNCTION;
  position_ = static_cast<ULONG>(base + delta);
  if (newPosition != nullptr) newPosition->QuadPart = position_;
  return S_OK;
}

HRESULT MemoryStream::SetSize(ULARGE_INTEGER) { return E_NOTIMPL; }
HRESULT MemoryStream::Commit(DWORD) { return E_NOTIMPL; }
HRESULT MemoryStream::Revert() { return E_NOTIMPL; }
HRESULT MemoryStream::LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) { return E_NOTIMPL; }
HRESULT MemoryStream::UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) { return E_NOTIMPL; }
HRESULT MemoryStream::Clone(IStream**) { return E_NOTIMPL; }

HRESULT MemoryStream::Stat(STATSTG* stat, DWORD) {
  if (stat == nullptr) return STG_E_INVALIDPOINTER;
  stat->cbSize.QuadPart = size_;
  return S_OK;
}

HRESULT CreateMemoryStream(ULONG initialSize, MemoryStream** stream) {
  if (stream == nullptr) return E_POINTER;
  MemoryStream* created = AllocationAllowed() ? new (std::nothrow) MemoryStream : nullptr;
  if (created == nullptr) return E_FAIL;
  // A size above the limit gives an empty stream, as callers rely on; memory
  // that cannot be had for a size within it is a failure, not an empty stream.
  if (initialSize <= kMemoryStreamLimit && !created->Resize(initialSize)) {
    delete created;
    return E_OUTOFMEMORY;
  }
  created->AddRef();
  *stream = created;
  return S_OK;
}

HRESULT CreateMemoryStream(ULONG initialSize, Stream** stream) {
  if (stream == nullptr) return E_POINTER;
  MemoryStream* created = nullptr;
  const HRESULT result = CreateMemoryStream(initialSize, &created);
  if (SUCCEEDED(result)) *stream = created;
  return result;
}

}  // namespace Halvane::IO
