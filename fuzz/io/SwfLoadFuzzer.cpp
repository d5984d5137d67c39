// Arbitrary bytes as a movie file: through GetSwfFileLength and the player's
// sizing and BuildSwfLoadStreamFromFile from a file, and through
// BuildSwfLoadStream from a memory stream, with a property stream and a
// window taken from the input's first bytes. Checks the promises that must
// hold for any input: positions restored, and a successful build leaves a
// load stream of S + L + 4 bytes starting with the marker.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <zlib.h>

#include <unistd.h>

#include "io/FileStreamReader.h"
#include "io/MemoryStream.h"
#include "io/SwfHeader.h"
#include "io/SwfLoadStream.h"

using namespace Halvane::IO;

namespace {

// Movies claiming more than this are skipped unless the build must refuse
// them before allocating anything, so that inputs cannot make each run fill
// hundreds of MiB.
constexpr ULONG kLargestFuzzedLength = 64u << 10;

bool WorthBuilding(ULONG length, ULONGLONG propertyBytes) {
  return length <= kLargestFuzzedLength ||
         propertyBytes + length + kLoadStreamPropertyPrefix > kMemoryStreamLimit;
}

std::string MakeTempPath();

// The movie file written once per input, removed when the fuzzer ends.
const std::string& TempPath() {
  static const struct TempFile {
    std::string path = MakeTempPath();
    ~TempFile() { std::remove(path.c_str()); }
  } file;
  return file.path;
}

std::string MakeTempPath() {
  // In memory when the system has a RAM file system: rewriting a file on a
  // disk file system once per input makes it flush, and the disk sets the pace.
  char inMemory[] = "/dev/shm/fuzz_swf_load_XXXXXX";
  int fd = mkstemp(inMemory);
  if (fd >= 0) {
    close(fd);
    return std::string(inMemory);
  }
  char name[] = "/tmp/fuzz_swf_load_XXXXXX";
  fd = mkstemp(name);
  if (fd >= 0) close(fd);
  return std::string(name);
}

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckLoadStream(MemoryStream* destination, ULONG expectedSize) {
  Check(destination->GetPosition() == 0);
  Check(destination->GetSize() == expectedSize);
  BYTE first = 0;
  ULONG got = 0;
  destination->Read(&first, 1, &got);
  Check(got == 1 && first == kLoadStreamMarker);
}

MemoryStream* StreamOf(const std::uint8_t* data, std::size_t size) {
  MemoryStream* s = nullptr;
  if (FAILED(CreateMemoryStream(0, &s))) return nullptr;
  if (size > 0) s->Write(data, static_cast<ULONG>(size), nullptr);
  LARGE_INTEGER zero;
  zero.QuadPart = 0;
  s->Seek(zero, STREAM_SEEK_SET, nullptr);
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Byte 0: property stream length (low 6 bits); bit 6 set: the movie's
  // body (after its 8 header bytes) is zlib-compressed here first, so that
  // well-formed compressed movies with any header and length are explored
  // too. Byte 1: window offset into the movie file (low 4 bits) and how many
  // bytes the window stops short of the file's end (high 4 bits, 0: to the
  // end). The rest is the movie file; the property bytes are its first bytes.
  if (size < 2) return 0;
  const std::size_t propertyBytes = data[0] & 0x3F;
  const ULONGLONG windowOffset = data[1] & 0x0F;
  std::vector<std::uint8_t> file(data + 2, data + size);
  if ((data[0] & 0x40) != 0 && file.size() >= 8) {
    uLongf packedSize = compressBound(static_cast<uLong>(file.size() - 8));
    std::vector<std::uint8_t> packed(8 + packedSize);
    std::copy(file.begin(), file.begin() + 8, packed.begin());
    if (compress(packed.data() + 8, &packedSize, file.data() + 8,
                 static_cast<uLong>(file.size() - 8)) != Z_OK) {
      return 0;
    }
    packed.resize(8 + packedSize);
    file.swap(packed);
  }
  const std::uint8_t* movie = file.data();
  const std::size_t movieSize = file.size();

  MemoryStream* properties =
      StreamOf(movie, propertyBytes < movieSize ? propertyBytes : movieSize);
  if (properties == nullptr) return 0;

  // From a memory stream, into a fresh, too small destination.
  if (MemoryStream* source = StreamOf(movie, movieSize)) {
    MemoryStream* destination = nullptr;
    if (SUCCEEDED(CreateMemoryStream(0, &destination))) {
      ULONG length = 0;
      if (FAILED(PeekSwfHeader(source, nullptr, nullptr, &length)) ||
          WorthBuilding(length, properties->GetSize())) {
        const HRESULT result = BuildSwfLoadStream(source, properties, destination);
        Check(source->GetPosition() == 0 && properties->GetPosition() == 0);
        Check(destination->GetPosition() == 0);
        if (SUCCEEDED(result)) {
          CheckLoadStream(destination, static_cast<ULONG>(properties->GetSize() + length + 4));
          // A body compressed here with a length field that matches it must
          // come back as the very bytes: "FWS", version, length, body.
          const std::size_t original = size - 2;
          if ((data[0] & 0x40) != 0 && original >= 8 && length == original &&
              std::equal(movie, movie + 3, "CWS")) {
            const BYTE* region = destination->Data() + kLoadStreamMovieOffset;
            Check(std::equal(region, region + 3, "FWS"));
            Check(std::equal(region + 3, region + original, data + 2 + 3));
          }
        }
      }
      destination->Release();
    }
    source->Release();
  }

  // From a file window, sized as the player sizes it.
  if (FILE* f = std::fopen(TempPath().c_str(), "wb")) {
    if (movieSize > 0) std::fwrite(movie, 1, movieSize, f);
    std::fclose(f);
    ULONG length = 0;
    const ULONGLONG cut = data[1] >> 4;
    const ULONGLONG rest = movieSize > windowOffset ? movieSize - windowOffset : 0;
    // A window of 1 byte past the end must not open.
    const ULONGLONG windowLength = cut == 0 ? 0 : rest > cut ? rest - cut : rest + 1;
    if (SUCCEEDED(GetSwfFileLength(TempPath().c_str(), windowOffset, windowLength, &length)) &&
        WorthBuilding(length, properties->GetSize())) {
      MemoryStream* destination = nullptr;
      if (SUCCEEDED(CreateSwfLoadDestination(properties, length, &destination))) {
        const ULONG sized = static_cast<ULONG>(destination->GetSize());
        const HRESULT result = BuildSwfLoadStreamFromFile(TempPath().c_str(), windowOffset,
                                                          windowLength, properties, destination);
        Check(properties->GetPosition() == 0);
        if (SUCCEEDED(result)) CheckLoadStream(destination, sized + 4);
        destination->Release();
      }
    }
  }
  properties->Release();
  return 0;
}
