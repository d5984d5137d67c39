#include "movie/control/ControlPersistence.h"

#include <algorithm>
#include <cstring>

#include "movie/swf/SwfReader.h"

namespace Halvane::Movie {

namespace {

constexpr std::uint8_t kSignature[4] = {'H', 'M', 'C', 'P'};
constexpr std::uint8_t kSplicedFirstByte = 0x66;
constexpr std::uint16_t kFormat = 1;
constexpr std::size_t kChunk = 64 * 1024;

void PutU16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void PutText(std::vector<std::uint8_t>& out, const std::u16string& text) {
  PutU32(out, static_cast<std::uint32_t>(text.size()));
  for (char16_t c : text) PutU16(out, static_cast<std::uint16_t>(c));
}

bool GetText(SwfReader& r, std::u16string& text) {
  const std::uint32_t count = r.U32();
  if (r.Failed() || count > r.Remaining() / 2) return false;
  text.clear();
  text.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) text.push_back(static_cast<char16_t>(r.U16()));
  return !r.Failed();
}

// Reads exactly count bytes; false when the stream fails or ends first.
bool ReadExactly(IStream* stream, std::uint8_t* data, std::size_t count) {
  while (count > 0) {
    const ULONG want = static_cast<ULONG>(std::min(count, kChunk));
    ULONG got = 0;
    const HRESULT result = stream->Read(data, want, &got);
    if (FAILED(result) || got == 0 || got > want) return false;
    data += got;
    count -= got;
  }
  return true;
}

// Reads count bytes into out, growing it chunk by chunk so that a declared
// size larger than the stream costs no more memory than the stream has.
bool ReadBlock(IStream* stream, std::size_t count, std::vector<std::uint8_t>& out) {
  out.clear();
  while (out.size() < count) {
    const std::size_t step = std::min(count - out.size(), kChunk);
    const std::size_t at = out.size();
    out.resize(at + step);
    if (!ReadExactly(stream, out.data() + at, step)) return false;
  }
  return true;
}

bool DecodeProperties(const std::vector<std::uint8_t>& block, ControlProperties& properties) {
  SwfReader r(block.data(), block.size());
  const std::uint16_t format = r.U16();
  if (r.Failed() || format < kFormat) return false;
  const std::int32_t quality = static_cast<std::int32_t>(r.U32());
  const std::uint8_t loop = r.U8();
  const std::uint8_t playing = r.U8();
  ControlProperties read;
  if (r.Failed() || quality < 0 || quality > 3) return false;
  if (!GetText(r, read.windowMode) || !GetText(r, read.flashVars)) return false;
  read.quality = quality;
  read.loop = loop != 0;
  read.playing = playing != 0;
  properties = std::move(read);
  return true;
}

}  // namespace

std::vector<std::uint8_t> EncodeControlProperties(const ControlProperties& properties) {
  std::vector<std::uint8_t> body;
  PutU16(body, kFormat);
  PutU32(body, static_cast<std::uint32_t>(properties.quality));
  body.push_back(properties.loop ? 1 : 0);
  body.push_back(properties.playing ? 1 : 0);
  PutText(body, properties.windowMode);
  PutText(body, properties.flashVars);
  std::vector<std::uint8_t> out(kSignature, kSignature + 4);
  PutU32(out, static_cast<std::uint32_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

HRESULT ReadControlStream(IStream* stream, LoadedControlState& state) {
  if (stream == nullptr) return E_POINTER;
  std::uint8_t head[4];
  if (!ReadExactly(stream, head, 4)) return E_FAIL;
  if (std::memcmp(head + 1, kSignature + 1, 3) != 0) return E_FAIL;
  if (head[0] == kSplicedFirstByte) {
    std::uint8_t length[4];
    if (!ReadExactly(stream, length, 4)) return E_FAIL;
    const std::uint32_t movieLength = static_cast<std::uint32_t>(
        length[0] | (length[1] << 8) | (length[2] << 16) | (std::uint32_t{length[3]} << 24));
    if (movieLength < 8 || movieLength > kMaxMovieBytes) return E_FAIL;
    if (!ReadBlock(stream, movieLength, state.movie)) return E_FAIL;
    state.hasMovie = true;
  } else if (head[0] == kSignature[0]) {
    state.hasMovie = false;
    state.movie.clear();
  } else {
    return E_FAIL;
  }
  std::uint8_t size[4];
  if (!ReadExactly(stream, size, 4)) return E_FAIL;
  const std::uint32_t blockSize = static_cast<std::uint32_t>(
      size[0] | (size[1] << 8) | (size[2] << 16) | (std::uint32_t{size[3]} << 24));
  if (blockSize > kMaxPropertyBytes) return E_FAIL;
  std::vector<std::uint8_t> block;
  if (!ReadBlock(stream, blockSize, block)) return E_FAIL;
  return DecodeProperties(block, state.properties) ? S_OK : E_FAIL;
}

}  // namespace Halvane::Movie
