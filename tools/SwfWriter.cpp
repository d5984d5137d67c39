#include "tools/SwfWriter.h"

#include <cmath>
#include <stdexcept>

#include <zlib.h>

namespace Halvane::Tools {

ByteWriter& ByteWriter::U8(std::uint8_t v) {
  data_.push_back(v);
  return *this;
}

ByteWriter& ByteWriter::U16(std::uint16_t v) {
  data_.push_back(static_cast<std::uint8_t>(v));
  data_.push_back(static_cast<std::uint8_t>(v >> 8));
  return *this;
}

ByteWriter& ByteWriter::U32(std::uint32_t v) {
  for (int i = 0; i < 4; ++i) data_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  return *this;
}

ByteWriter& ByteWriter::Fixed8(double v) {
  return U16(static_cast<std::uint16_t>(static_cast<std::int32_t>(std::lround(v * 256.0))));
}

ByteWriter& ByteWriter::Append(const Bytes& bytes) {
  data_.insert(data_.end(), bytes.begin(), bytes.end());
  return *this;
}

ByteWriter& ByteWriter::String(const std::string& text) {
  data_.insert(data_.end(), text.begin(), text.end());
  data_.push_back(0);
  return *this;
}

void BitWriter::UBits(std::uint32_t value, int bits) {
  for (int i = bits - 1; i >= 0; --i) {
    if (used_ == 0) data_.push_back(0);
    if ((value >> i) & 1u) data_.back() |= static_cast<std::uint8_t>(0x80u >> used_);
    used_ = (used_ + 1) % 8;
  }
}

void BitWriter::SBits(std::int32_t value, int bits) {
  UBits(static_cast<std::uint32_t>(value) & (bits >= 32 ? 0xFFFFFFFFu : ((1u << bits) - 1u)),
        bits);
}

void BitWriter::Flush() { used_ = 0; }

void BitWriter::Append(const Bytes& bytes) {
  Flush();
  data_.insert(data_.end(), bytes.begin(), bytes.end());
}

int BitWriter::UnsignedBitsFor(std::uint32_t value) {
  int bits = 0;
  while (bits < 32 && (value >> bits) != 0) ++bits;
  return bits;
}

int BitWriter::SignedBitsFor(std::int32_t value) {
  int bits = 1;
  while (bits < 32) {
    const std::int64_t lo = -(std::int64_t{1} << (bits - 1));
    const std::int64_t hi = (std::int64_t{1} << (bits - 1)) - 1;
    if (value >= lo && value <= hi) break;
    ++bits;
  }
  return bits;
}

Bytes Rect(std::int32_t xMin, std::int32_t xMax, std::int32_t yMin, std::int32_t yMax) {
  int bits = 1;
  for (std::int32_t v : {xMin, xMax, yMin, yMax}) {
    const int need = BitWriter::SignedBitsFor(v);
    if (need > bits) bits = need;
  }
  BitWriter w;
  w.UBits(static_cast<std::uint32_t>(bits), 5);
  w.SBits(xMin, bits);
  w.SBits(xMax, bits);
  w.SBits(yMin, bits);
  w.SBits(yMax, bits);
  w.Flush();
  return w.Data();
}

Bytes Tag(std::uint16_t code, const Bytes& payload, bool forceLong) {
  ByteWriter w;
  if (payload.size() < 0x3F && !forceLong) {
    w.U16(static_cast<std::uint16_t>((code << 6) | payload.size()));
  } else {
    w.U16(static_cast<std::uint16_t>((code << 6) | 0x3F));
    w.U32(static_cast<std::uint32_t>(payload.size()));
  }
  w.Append(payload);
  return w.Take();
}

SwfBuilder& SwfBuilder::SetVersion(std::uint8_t version) {
  version_ = version;
  return *this;
}

SwfBuilder& SwfBuilder::SetFrameSize(std::int32_t widthTwips, std::int32_t heightTwips) {
  width_ = widthTwips;
  height_ = heightTwips;
  return *this;
}

SwfBuilder& SwfBuilder::SetFrameRate(double framesPerSecond) {
  rate_ = framesPerSecond;
  return *this;
}

SwfBuilder& SwfBuilder::SetFrameCount(std::uint16_t count) {
  frameOverride_ = count;
  return *this;
}

SwfBuilder& SwfBuilder::AddTag(std::uint16_t code, const Bytes& payload) {
  if (code == 1) ++frames_;
  const Bytes t = Tag(code, payload);
  tags_.insert(tags_.end(), t.begin(), t.end());
  return *this;
}

SwfBuilder& SwfBuilder::AddRaw(const Bytes& bytes) {
  tags_.insert(tags_.end(), bytes.begin(), bytes.end());
  return *this;
}

SwfBuilder& SwfBuilder::ShowFrame() { return AddTag(1); }

SwfBuilder& SwfBuilder::End() { return AddTag(0); }

Bytes SwfBuilder::Body() const {
  ByteWriter w;
  w.Append(Rect(0, width_, 0, height_));
  w.Fixed8(rate_);
  w.U16(static_cast<std::uint16_t>(frameOverride_ >= 0 ? frameOverride_ : frames_));
  w.Append(tags_);
  return w.Take();
}

Bytes SwfBuilder::Build(bool compressed) const {
  return MakeSwfFile(Body(), version_, compressed);
}

Bytes Compress(const Bytes& data) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  Bytes out(size);
  if (compress(out.data(), &size, data.data(), static_cast<uLong>(data.size())) != Z_OK) {
    throw std::runtime_error("zlib compress failed");
  }
  out.resize(size);
  return out;
}

Bytes MakeSwfFile(const Bytes& body, std::uint8_t version, bool compressed,
                  std::int64_t lengthField) {
  const std::uint32_t length = lengthField >= 0 ? static_cast<std::uint32_t>(lengthField)
                                                : static_cast<std::uint32_t>(8 + body.size());
  ByteWriter w;
  w.U8(compressed ? 'C' : 'F').U8('W').U8('S').U8(version).U32(length);
  w.Append(compressed ? Compress(body) : body);
  return w.Take();
}

}  // namespace Halvane::Tools
