#include "io/SwfHeader.h"

#include <cstring>

namespace Halvane::IO {

namespace {

void SeekTo(Stream* stream, ULONGLONG position) {
  LARGE_INTEGER move;
  move.QuadPart = static_cast<LONGLONG>(position);
  stream->Seek(move, STREAM_SEEK_SET, nullptr);
}

// Reads exactly count bytes: S_OK, the stream's failure code, or E_FAIL for
// fewer bytes.
HRESULT ReadExactly(Stream* stream, void* data, ULONG count) {
  ULONG got = 0;
  const HRESULT result = stream->Read(data, count, &got);
  if (FAILED(result)) return result;
  return got == count ? S_OK : E_FAIL;
}

}  // namespace

HRESULT PeekSwfHeader(Stream* source, int* compressed, BYTE* version, ULONG* fileLength) {
  if (source == nullptr) return E_FAIL;
  const ULONGLONG start = source->GetPosition();
  char signature[3] = {0, 0, 0};
  BYTE versionByte = 0;
  BYTE lengthBytes[4] = {0, 0, 0, 0};
  HRESULT result = ReadExactly(source, signature, sizeof signature);
  if (SUCCEEDED(result)) result = ReadExactly(source, &versionByte, 1);
  if (SUCCEEDED(result)) result = ReadExactly(source, lengthBytes, sizeof lengthBytes);
  int flag = 0;
  if (SUCCEEDED(result) && compressed != nullptr) {
    if (std::memcmp(signature, "FWS", 3) == 0) {
      flag = 0;
    } else if (std::memcmp(signature, "CWS", 3) == 0) {
      flag = 1;
    } else {
      result = E_FAIL;
    }
  }
  SeekTo(source, start);
  if (FAILED(result)) return result;
  if (compressed != nullptr) *compressed = flag;
  if (version != nullptr) *version = versionByte;
  if (fileLength != nullptr) {
    *fileLength = static_cast<ULONG>(lengthBytes[0]) | static_cast<ULONG>(lengthBytes[1]) << 8 |
                  static_cast<ULONG>(lengthBytes[2]) << 16 | static_cast<ULONG>(lengthBytes[3]) << 24;
  }
  return S_OK;
}

}  // namespace Halvane::IO
