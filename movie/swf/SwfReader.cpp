#include "movie/swf/SwfReader.h"

namespace Halvane::Movie {

std::uint8_t SwfReader::U8() {
  Align();
  if (failed_ || pos_ >= size_) {
    Fail();
    return 0;
  }
  return data_[pos_++];
}

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
  std::string text;
  while (true) {
    if (failed_ || pos_ >= size_ || text.size() > maxLength) {
      Fail();
      return std::string();
    }
    const std::uint8_t c = data_[pos_++];
    if (c == 0) return text;
    text.push_back(static_cast<char>(c));
  }
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

}  // namespace Halvane::Movie
