#include "io/Stream.h"

#include <cstring>

#include "io/HeapBlock.h"

namespace Halvane::IO {

HRESULT Stream::CopyTo(IStream* destination, ULARGE_INTEGER count, ULARGE_INTEGER* bytesRead,
                       ULARGE_INTEGER* bytesWritten) {
  if (destination == nullptr || destination == static_cast<IStream*>(this)) {
    return STG_E_INVALIDPOINTER;
  }
  HRESULT result = S_OK;
  ULONGLONG totalRead = 0;
  ULONGLONG totalWritten = 0;
  ULONGLONG remaining = count.QuadPart;
  // One buffer per call; zero-filled so that a source that reports more than
  // it delivered can never pass on stale heap bytes.
  auto* buffer = remaining > 0 ? static_cast<BYTE*>(AllocateZeroedBlock(kCopyChunkSize)) : nullptr;
  if (remaining > 0 && buffer == nullptr) result = E_FAIL;
  while (result == S_OK && remaining > 0) {
    const ULONG chunk = remaining > kCopyChunkSize ? kCopyChunkSize : static_cast<ULONG>(remaining);
    ULONG got = 0;
    const HRESULT readResult = Read(buffer, chunk, &got);
    if (got > chunk) got = chunk;  // never trust a count beyond the buffer
    totalRead += got;
    if (FAILED(readResult) || got == 0) {
      result = E_FAIL;
      break;
    }
    ULONG put = 0;
    const HRESULT writeResult = destination->Write(buffer, got, &put);
    if (FAILED(writeResult) || put != got) {
      totalWritten += put > got ? got : put;
      result = STG_E_MEDIUMFULL;
      break;
    }
    totalWritten += put;
    remaining -= got;
  }
  FreeBlock(buffer);
  if (bytesRead != nullptr) bytesRead->QuadPart = totalRead;
  if (bytesWritten != nullptr) bytesWritten->QuadPart = totalWritten;
  return result;
}

ULONGLONG Stream::GetPosition() {
  LARGE_INTEGER zero;
  zero.QuadPart = 0;
  ULARGE_INTEGER position;
  position.QuadPart = 0;
  if (FAILED(Seek(zero, STREAM_SEEK_CUR, &position))) return 0;
  return position.QuadPart;
}

ULONGLONG Stream::GetSize() {
  LARGE_INTEGER move;
  move.QuadPart = 0;
  ULARGE_INTEGER saved;
  saved.QuadPart = 0;
  if (FAILED(Seek(move, STREAM_SEEK_CUR, &saved))) return 0;
  ULARGE_INTEGER end;
  end.QuadPart = 0;
  const bool atEnd = SUCCEEDED(Seek(move, STREAM_SEEK_END, &end));
  move.QuadPart = static_cast<LONGLONG>(saved.QuadPart);
  const bool restored = SUCCEEDED(Seek(move, STREAM_SEEK_SET, nullptr));
  return atEnd && restored ? end.QuadPart : 0;
}

}  // namespace Halvane::IO
