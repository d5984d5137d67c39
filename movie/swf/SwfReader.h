// A bounds-checked reader over a block of movie bytes. Every read checks the
// bytes that remain; a read past the end yields zero values and marks the
// reader failed, so that callers can read a whole record and test once.
// The reader never owns the bytes it reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "movie/swf/SwfRecords.h"

namespace Halvane::Movie {

class SwfReader {
 public:
  SwfReader() = default;
  SwfReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Failed() const { return failed_; }
  std::size_t Position() const { return pos_; }
  std::size_t Size() const { return size_; }
  std::size_t Remaining() const { return failed_ ? 0 : size_ - pos_; }
  const std::uint8_t* Current() const { return data_ + pos_; }

  std::uint8_t U8() {
    Align();
    if (failed_ || pos_ >= size_) {
      Fail();
      return 0;
    }
    return data_[pos_++];
  }
  std::uint16_t U16();
  std::uint32_t U32();
  std::int16_t S16() { return static_cast<std::int16_t>(U16()); }
  // Skips count bytes; fails (and moves to the end) when fewer remain.
  void Skip(std::size_t count);
  // A sub-reader over the next count bytes, which this reader skips. When
  // fewer remain, both the result and this reader are failed.
  SwfReader Sub(std::size_t count);
  // A reader over count bytes from offset from of this reader's block,
  // wherever this reader stands; failed when they are not all inside it.
  SwfReader Range(std::size_t from, std::size_t count) const {
    SwfReader sub;
    if (from > size_ || count > size_ - from) {
      sub.failed_ = true;
      return sub;
    }
    return SwfReader(data_ + from, count);
  }
  // A zero-terminated string of at most maxLength bytes (the terminator not
  // counted). A missing terminator fails the reader.
  std::string String(std::size_t maxLength = 0xFFFF);

  // Bit fields, most significant bit first. Byte reads realign first.
  std::uint32_t UBits(int count);
  std::int32_t SBits(int count);
  bool Flag() { return UBits(1) != 0; }
  void Align() { bitsLeft_ = 0; }

  void Fail() {
    failed_ = true;
    pos_ = size_;
    bitsLeft_ = 0;
  }

 private:
  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t pos_ = 0;
  std::uint8_t bitBuffer_ = 0;
  int bitsLeft_ = 0;
  bool failed_ = false;
};

// The basic records, read with the same checks (a record cut short fails
// the reader and reads as its default values). Colours of the three-channel
// form read with alpha 255.
TwipsRect ReadRect(SwfReader& r);
Matrix ReadMatrix(SwfReader& r);
ColorTransform ReadColorTransform(SwfReader& r, bool withAlpha);
Rgba ReadRgb(SwfReader& r);
Rgba ReadRgba(SwfReader& r);

}  // namespace Halvane::Movie
