#include "io/InflateStream.h"

#include <zlib.h>

#include "io/HeapBlock.h"
#include "io/MemoryStream.h"

namespace Halvane::IO {

namespace {

// zlib's allocations go through the same checked heap as the streams'.
voidpf ZlibAllocate(voidpf, uInt items, uInt size) {
  return AllocateBlock(static_cast<std::size_t>(items) * size);
}
void ZlibFree(voidpf, voidpf block) { FreeBlock(block); }

// The two buffers live on the heap: together they are 512 KiB, more than a
// worker thread's stack can be trusted to hold.
struct InflateBuffers {
  BYTE* input = nullptr;
  BYTE* output = nullptr;
  InflateBuffers()
      : input(static_cast<BYTE*>(AllocateBlock(kInflateBufferSize))),
        output(static_cast<BYTE*>(AllocateBlock(kInflateBufferSize))) {}
  ~InflateBuffers() {
    FreeBlock(input);
    FreeBlock(output);
  }
  bool Ok() const { return input != nullptr && output != nullptr; }
};

struct Inflater {
  z_stream z{};
  bool ready = false;
  ~Inflater() {
    if (ready) inflateEnd(&z);
  }
};

HRESULT WriteAll(Stream* destination, const BYTE* data, ULONG count) {
  if (count == 0) return S_OK;
  ULONG put = 0;
  const HRESULT result = destination->Write(data, count, &put);
  if (FAILED(result)) return result;
  return put == count ? S_OK : STG_E_MEDIUMFULL;
}

}  // namespace

HRESULT InflateStreamChecked(Stream* source, Stream* destination, ULONGLONG outputLimit) {
  if (source == nullptr || destination == nullptr || source == destination) return E_INVALIDARG;
  InflateBuffers buffers;
  if (!buffers.Ok()) return E_OUTOFMEMORY;
  Inflater inflater;
  inflater.z.zalloc = ZlibAllocate;
  inflater.z.zfree = ZlibFree;
  inflater.z.opaque = Z_NULL;
  inflater.z.next_in = Z_NULL;
  inflater.z.avail_in = 0;
  const int init = inflateInit(&inflater.z);
  if (init != Z_OK) return init == Z_MEM_ERROR ? E_OUTOFMEMORY : S_FALSE;
  inflater.ready = true;
  z_stream& z = inflater.z;

  ULONGLONG room = outputLimit;  // bytes the destination may still take
  auto* memory = dynamic_cast<MemoryStream*>(destination);
  for (;;) {
    ULONG got = 0;
    const HRESULT readResult = source->Read(buffers.input, kInflateBufferSize, &got);
    if (FAILED(readResult) || got == 0) return S_FALSE;  // the data ends before the stream
    if (got > kInflateBufferSize) got = kInflateBufferSize;
    z.next_in = buffers.input;
    z.avail_in = got;
    for (;;) {
      // A memory stream with room at its position takes the bytes in place,
      // saving a copy; otherwise they go through the output buffer and Write.
      ULONG inPlace = 0;
      BYTE* target = memory != nullptr ? memory->WritableInPlace(&inPlace) : nullptr;
      ULONGLONG capacity = kInflateBufferSize;
      if (target != nullptr) {
        capacity = inPlace;
      } else {
        target = buffers.output;
      }
      const uInt space = static_cast<uInt>(room < capacity ? room : capacity);
      z.next_out = target;
      z.avail_out = space;
      const int status = inflate(&z, Z_NO_FLUSH);
      if (status == Z_MEM_ERROR) return E_OUTOFMEMORY;
      // What was inflated before a fault in the data is kept, wherever it went.
      const uInt produced = space - z.avail_out;
      if (target == buffers.output) {
        const HRESULT written = WriteAll(destination, buffers.output, produced);
        if (FAILED(written)) return written;
      } else {
        memory->WrittenInPlace(produced);
      }
      room -= produced;
      if (status == Z_NEED_DICT || status == Z_DATA_ERROR || status == Z_STREAM_ERROR) {
        return S_FALSE;
      }
      if (status == Z_STREAM_END) return S_OK;
      if (z.avail_out > 0) break;  // output space left: zlib wants more input
      if (room == 0) {
        // The limit is reached. zlib is still called with no output space
        // while it has input, so that a stream ending exactly at the limit
        // (only its trailer left) is seen to end; once it needs room to
        // write, the region is full before the data's end.
        if (z.avail_in == 0) break;
        if (status == Z_BUF_ERROR) return S_FALSE;
      }
      // Otherwise the output space was filled: zlib may hold more output
      // for the same input.
    }
  }
}

int InflateStream(Stream* source, Stream* destination, ULONGLONG outputLimit) {
  return InflateStreamChecked(source, destination, outputLimit) == S_OK ? 1 : 0;
}

}  // namespace Halvane::IO
