#include "movie/swf/SwfReader.h"

#include <algorithm>
#include <cstring>

namespace Halvane::Movie {

std::uint16_t SwfReader::U16() {
  Align();
  if (failed_ || size_ - pos_ < 2) {
    Fail();
    return 0;
  }
  const std::uint16_t v = static_cast<std::uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
  pos_ += 2;
  return v;
}

std::uint32_t SwfReader::U32() {
  Align();
  if (failed_ || size_ - pos_ < 4) {
    Fail();
    return 0;
  }
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | data_[pos_ + static_cast<std::size_t>(i)];
  pos_ += 4;
  return v;
}

void SwfReader::Skip(std::size_t count) {
  Align();
  if (failed_ || size_ - pos_ < count) {
    Fail();
    return;
  }
  pos_ += count;
}

SwfReader SwfReader::Sub(std::size_t count) {
  Align();
  if (failed_ || size_ - pos_ < count) {
    Fail();
    SwfReader bad;
    bad.Fail();
    return bad;
  }
  SwfReader sub(data_ + pos_, count);
  pos_ += count;
  return sub;
}

std::string SwfReader::String(std::size_t maxLength) {
  Align();
  if (failed_) return std::string();
  // The terminator must come within maxLength + 1 bytes.
  const std::size_t window = std::min(size_ - pos_, maxLength < size_ ? maxLength + 1 : size_);
  const void* zero = window > 0 ? std::memchr(data_ + pos_, 0, window) : nullptr;
  if (zero == nullptr) {
    Fail();
    return std::string();
  }
  const std::size_t length =
      static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - (data_ + pos_));
  std::string text(reinterpret_cast<const char*>(data_ + pos_), length);
  pos_ += length + 1;
  return text;
}

std::uint32_t SwfReader::UBits(int count) {
  if (count <= 0) return 0;
  if (count > 32) {
    Fail();
    return 0;
  }
  std::uint32_t v = 0;
  for (int i = 0; i < count; ++i) {
    if (bitsLeft_ == 0) {
      if (failed_ || pos_ >= size_) {
        Fail();
        return 0;
      }
      bitBuffer_ = data_[pos_++];
      bitsLeft_ = 8;
    }
    --bitsLeft_;
    v = (v << 1) | ((bitBuffer_ >> bitsLeft_) & 1u);
  }
  return v;
}

std::int32_t SwfReader::SBits(int count) {
  const std::uint32_t v = UBits(count);
  if (count <= 0 || count >= 32) return static_cast<std::int32_t>(v);
  const std::uint32_t sign = 1u << (count - 1);
  return static_cast<std::int32_t>((v ^ sign) - sign);
}

TwipsRect ReadRect(SwfReader& r) {
  TwipsRect rect;
  const int bits = static_cast<int>(r.UBits(5));
  rect.xMin = r.SBits(bits);
  rect.xMax = r.SBits(bits);
  rect.yMin = r.SBits(bits);
  rect.yMax = r.SBits(bits);
  r.Align();
  return r.Failed() ? TwipsRect() : rect;
}

Matrix ReadMatrix(SwfReader& r) {
  Matrix m;
  if (r.Flag()) {
    const int bits = static_cast<int>(r.UBits(5));
    m.scaleX = r.SBits(bits);
    m.scaleY = r.SBits(bits);
  }
  if (r.Flag()) {
    const int bits = static_cast<int>(r.UBits(5));
    m.rotateSkew0 = r.SBits(bits);
    m.rotateSkew1 = r.SBits(bits);
  }
  const int bits = static_cast<int>(r.UBits(5));
  m.translateX = r.SBits(bits);
  m.translateY = r.SBits(bits);
  r.Align();
  return r.Failed() ? Matrix() : m;
}

ColorTransform ReadColorTransform(SwfReader& r, bool withAlpha) {
  ColorTransform cx;
  const bool hasAdd = r.Flag();
  const bool hasMult = r.Flag();
  const int bits = static_cast<int>(r.UBits(4));
  const int channels = withAlpha ? 4 : 3;
  if (hasMult) {
    for (int i = 0; i < channels; ++i) cx.mult[i] = static_cast<std::int16_t>(r.SBits(bits));
  }
  if (hasAdd) {
    for (int i = 0; i < channels; ++i) cx.add[i] = static_cast<std::int16_t>(r.SBits(bits));
  }
  r.Align();
  return r.Failed() ? ColorTransform() : cx;
}

Rgba ReadRgb(SwfReader& r) {
  Rgba c;
  c.red = r.U8();
  c.green = r.U8();
  c.blue = r.U8();
  return r.Failed() ? Rgba() : c;
}

Rgba ReadRgba(SwfReader& r) {
  Rgba c = ReadRgb(r);
  c.alpha = r.U8();
  return r.Failed() ? Rgba() : c;
}

}  // namespace Halvane::Movie
