#include "movie/swf/MovieFile.h"

#include <cstring>

#include "io/MemoryStream.h"
#include "io/SwfHeader.h"
#include "io/SwfLoadStream.h"

namespace Halvane::Movie {

namespace {

// One reference to a stream, released at the end of the scope.
class StreamRef {
 public:
  StreamRef() = default;
  ~StreamRef() {
    if (stream_ != nullptr) stream_->Release();
  }
  StreamRef(const StreamRef&) = delete;
  StreamRef& operator=(const StreamRef&) = delete;
  IO::MemoryStream** Out() { return &stream_; }
  IO::MemoryStream* operator->() const { return stream_; }
  IO::MemoryStream* Get() const { return stream_; }

 private:
  IO::MemoryStream* stream_ = nullptr;
};

}  // namespace

bool UncompressMovie(const std::vector<std::uint8_t>& file, std::vector<std::uint8_t>& out) {
  if (file.size() < IO::kSwfHeaderSize) return false;
  if (std::memcmp(file.data(), "FWS", 3) == 0) {
    out = file;
    return true;
  }
  if (std::memcmp(file.data(), "CWS", 3) != 0) return false;
  const std::uint32_t length = static_cast<std::uint32_t>(file[4]) |
                               static_cast<std::uint32_t>(file[5]) << 8 |
                               static_cast<std::uint32_t>(file[6]) << 16 |
                               static_cast<std::uint32_t>(file[7]) << 24;
  if (length < IO::kSwfHeaderSize || length > kMaxMovieBytes) return false;
  if (file.size() > kMaxMovieBytes) return false;

  StreamRef source;
  StreamRef movie;
  if (FAILED(IO::CreateMemoryStream(0, source.Out())) ||
      FAILED(IO::CreateMemoryStream(0, movie.Out()))) {
    return false;
  }
  ULONG written = 0;
  if (FAILED(source->Write(file.data(), static_cast<ULONG>(file.size()), &written)) ||
      written != file.size()) {
    return false;
  }
  LARGE_INTEGER start{};
  source->Seek(start, STREAM_SEEK_SET, nullptr);
  // The destination grows with what the body holds, so a short file that
  // claims a large movie costs only what it holds.
  if (FAILED(IO::WriteSwfUncompressed(movie.Get(), source.Get()))) return false;
  const BYTE* bytes = movie->Data();
  const ULONGLONG size = movie->GetSize();
  if (bytes == nullptr || size < IO::kSwfHeaderSize) return false;
  out.assign(bytes, bytes + size);
  return true;
}

}  // namespace Halvane::Movie
