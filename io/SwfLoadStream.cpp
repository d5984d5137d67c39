#include "io/SwfLoadStream.h"

#include "io/FileStreamReader.h"
#include "io/InflateStream.h"
#include "io/SwfHeader.h"

namespace Halvane::IO {

namespace {

void SeekTo(Stream* stream, ULONGLONG position) {
  LARGE_INTEGER move;
  move.QuadPart = static_cast<LONGLONG>(position);
  stream->Seek(move, STREAM_SEEK_SET, nullptr);
}

HRESULT SeekForward(Stream* stream, ULONGLONG bytes) {
  LARGE_INTEGER move;
  move.QuadPart = static_cast<LONGLONG>(bytes);
  return stream->Seek(move, STREAM_SEEK_CUR, nullptr);
}

HRESULT WriteAll(Stream* destination, const void* data, ULONG count) {
  ULONG put = 0;
  const HRESULT result = destination->Write(data, count, &put);
  if (FAILED(result)) return result;
  return put == count ? S_OK : STG_E_MEDIUMFULL;
}

ULONGLONG Remaining(Stream* stream) {
  const ULONGLONG position = stream->GetPosition();
  const ULONGLONG size = stream->GetSize();
  return size > position ? size - position : 0;
}

void EncodeLength(ULONG value, BYTE* out) {
  out[0] = static_cast<BYTE>(value);
  out[1] = static_cast<BYTE>(value >> 8);
  out[2] = static_cast<BYTE>(value >> 16);
  out[3] = static_cast<BYTE>(value >> 24);
}

// Moves the destination from the movie region's start to its end. A
// destination that ends inside the region is extended with zeros, so that
// the property bytes always land at offset 8 + L.
HRESULT SkipMovieRegion(Stream* destination, ULONGLONG regionStart, ULONG length) {
  if (SUCCEEDED(SeekForward(destination, length))) return S_OK;
  static const BYTE zeros[0x10000] = {};
  LARGE_INTEGER zero;
  zero.QuadPart = 0;
  ULARGE_INTEGER end;
  end.QuadPart = 0;
  HRESULT result = destination->Seek(zero, STREAM_SEEK_END, &end);
  if (FAILED(result)) return result;
  const ULONGLONG regionEnd = regionStart + length;
  if (end.QuadPart < regionStart || end.QuadPart > regionEnd) return STG_E_INVALIDFUNCTION;
  for (ULONGLONG left = regionEnd - end.QuadPart; left > 0;) {
    const ULONG chunk = left < sizeof zeros ? static_cast<ULONG>(left) : sizeof zeros;
    result = WriteAll(destination, zeros, chunk);
    if (FAILED(result)) return result;
    left -= chunk;
  }
  return S_OK;
}

}  // namespace

HRESULT WriteSwfUncompressed(Stream* destination, Stream* source) {
  if (destination == nullptr || source == nullptr || destination == source) return E_INVALIDARG;
  const ULONGLONG sourceStart = source->GetPosition();
  const ULONGLONG destinationStart = destination->GetPosition();
  int compressed = 0;
  BYTE version = 0;
  ULONG length = 0;
  HRESULT result = PeekSwfHeader(source, &compressed, &version, &length);
  // A movie shorter than its own header has no room even for the header.
  if (SUCCEEDED(result) && length < kSwfHeaderSize) result = E_FAIL;
  if (SUCCEEDED(result) && compressed) {
    BYTE header[kSwfHeaderSize] = {'F', 'W', 'S', version};
    EncodeLength(length, header + 4);
    result = WriteAll(destination, header, sizeof header);
    if (SUCCEEDED(result)) result = SeekForward(source, kSwfHeaderSize);
    if (SUCCEEDED(result)) {
      // Corrupt or truncated data is the movie's fault and still succeeds
      // (S_FALSE here); a destination that cannot take the bytes is not.
      const HRESULT inflated =
          InflateStreamChecked(source, destination, length - kSwfHeaderSize);
      if (FAILED(inflated)) result = inflated;
    }
  } else if (SUCCEEDED(result)) {
    // The window's bytes from the header on, cut at L. A window shorter than
    // L is copied whole and the rest of the region stays as it was.
    const ULONGLONG available = Remaining(source);
    ULARGE_INTEGER count;
    count.QuadPart = available < length ? available : length;
    result = source->CopyTo(destination, count, nullptr, nullptr);
  }
  SeekTo(destination, destinationStart);
  SeekTo(source, sourceStart);
  return FAILED(result) ? result : S_OK;
}

HRESULT BuildSwfLoadStream(Stream* source, Stream* properties, Stream* destination) {
  if (source == nullptr || properties == nullptr || destination == nullptr ||
      source == destination || properties == destination || source == properties) {
    return E_INVALIDARG;
  }
  const ULONGLONG sourceStart = source->GetPosition();
  const ULONGLONG propertiesStart = properties->GetPosition();
  const ULONGLONG destinationStart = destination->GetPosition();
  int compressed = 0;
  BYTE version = 0;
  ULONG length = 0;
  HRESULT result = PeekSwfHeader(source, &compressed, &version, &length);
  const ULONGLONG propertyBytes = Remaining(properties);
  // Refusals that come before anything is written.
  if (SUCCEEDED(result) && (length < kSwfHeaderSize || propertyBytes < kLoadStreamPropertyPrefix)) {
    result = E_FAIL;
  }
  // The whole load stream must fit below the memory stream limit; compared
  // so that no sum can wrap (propertyBytes is below 2^63).
  const ULONGLONG loadStreamBytes = propertyBytes + length + kLoadStreamPropertyPrefix;
  if (SUCCEEDED(result) && (destinationStart > kMemoryStreamLimit ||
                            loadStreamBytes > kMemoryStreamLimit - destinationStart)) {
    result = E_OUTOFMEMORY;
  }
  if (SUCCEEDED(result)) {
    // 0x66, P's bytes 1..3, then L as the header holds it.
    BYTE frame[kLoadStreamMovieOffset] = {kLoadStreamMarker};
    result = SeekForward(properties, 1);
    if (SUCCEEDED(result)) {
      ULONG got = 0;
      result = properties->Read(frame + 1, 3, &got);
      if (SUCCEEDED(result) && got != 3) result = E_FAIL;
    }
    EncodeLength(length, frame + 4);
    if (SUCCEEDED(result)) result = WriteAll(destination, frame, sizeof frame);
  }
  if (SUCCEEDED(result)) result = WriteSwfUncompressed(destination, source);
  if (SUCCEEDED(result)) {
    result = SkipMovieRegion(destination, destinationStart + kLoadStreamMovieOffset, length);
  }
  if (SUCCEEDED(result)) {
    ULARGE_INTEGER count;
    count.QuadPart = propertyBytes - kLoadStreamPropertyPrefix;
    result = properties->CopyTo(destination, count, nullptr, nullptr);
  }
  SeekTo(destination, destinationStart);
  SeekTo(properties, propertiesStart);
  SeekTo(source, sourceStart);
  return FAILED(result) ? result : S_OK;
}

HRESULT GetSwfLoadDestinationSize(Stream* properties, ULONG fileLength, ULONG* size) {
  if (properties == nullptr || size == nullptr) return E_POINTER;
  const ULONGLONG total = Remaining(properties) + fileLength;  // both far below 2^63
  if (total + kLoadStreamPropertyPrefix > kMemoryStreamLimit) return E_OUTOFMEMORY;
  *size = static_cast<ULONG>(total);
  return S_OK;
}

HRESULT CreateSwfLoadDestination(Stream* properties, ULONG fileLength,
                                 MemoryStream** destination) {
  if (destination == nullptr) return E_POINTER;
  ULONG size = 0;
  const HRESULT result = GetSwfLoadDestinationSize(properties, fileLength, &size);
  if (FAILED(result)) return result;
  MemoryStream* created = nullptr;
  if (FAILED(CreateMemoryStream(size, &created))) return E_OUTOFMEMORY;
  *destination = created;
  return S_OK;
}

HRESULT GetSwfFileLength(const char* path, ULONGLONG offset, ULONGLONG length,
                         ULONG* fileLength) {
  FileStreamReader* reader = nullptr;
  const HRESULT opened = CreateFileStreamReader(path, offset, length, &reader);
  if (FAILED(opened)) return opened;
  const HRESULT result = PeekSwfHeader(reader, nullptr, nullptr, fileLength);
  reader->Release();
  return result;
}

HRESULT BuildSwfLoadStreamFromFile(const char* path, ULONGLONG offset, ULONGLONG length,
                                   Stream* properties, Stream* destination) {
  FileStreamReader* reader = nullptr;
  const HRESULT opened = CreateFileStreamReader(path, offset, length, &reader);
  if (FAILED(opened)) return opened;
  const HRESULT result = BuildSwfLoadStream(reader, properties, destination);
  reader->Release();
  return result;
}

}  // namespace Halvane::IO
