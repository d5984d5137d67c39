// A small writer of SWF files for tests, examples and benchmarks: the mirror
// image of the movie reader. It writes the file header ("FWS" or "CWS"), the
// movie header (frame rectangle, frame rate, frame count) and tags; tag
// payloads are built with ByteWriter and BitWriter.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Halvane::Tools {

using Bytes = std::vector<std::uint8_t>;

// Little-endian byte output with the SWF primitive types.
class ByteWriter {
 public:
  ByteWriter& U8(std::uint8_t v);
  ByteWriter& U16(std::uint16_t v);
  ByteWriter& U32(std::uint32_t v);
  ByteWriter& S16(std::int16_t v) { return U16(static_cast<std::uint16_t>(v)); }
  ByteWriter& Fixed8(double v);                 // 8.8 fixed point
  ByteWriter& Append(const Bytes& bytes);
  ByteWriter& String(const std::string& text);  // zero-terminated
  const Bytes& Data() const { return data_; }
  Bytes Take() { return std::move(data_); }

 private:
  Bytes data_;
};

// Bit-packed output (most significant bit first), for rectangles, matrices,
// colour transforms and shape records. Flush pads to a byte.
class BitWriter {
 public:
  void UBits(std::uint32_t value, int bits);
  void SBits(std::int32_t value, int bits);
  void Flush();
  // Byte-aligned data inside a bit stream (the style arrays of a shape):
  // flushes, then appends.
  void Append(const Bytes& bytes);
  const Bytes& Data() const { return data_; }

  // Number of bits needed for a signed value (at least 1), and for an
  // unsigned one (0 for 0).
  static int SignedBitsFor(std::int32_t value);
  static int UnsignedBitsFor(std::uint32_t value);

 private:
  Bytes data_;
  int used_ = 0;  // bits used in the last byte, 0 when aligned
};

// The SWF RECT record: Nbits, then xmin, xmax, ymin, ymax in twips.
Bytes Rect(std::int32_t xMin, std::int32_t xMax, std::int32_t yMin, std::int32_t yMax);

// A tag with its header: the short form for payloads under 63 bytes unless
// forceLong, else the long form with a 32-bit length.
Bytes Tag(std::uint16_t code, const Bytes& payload, bool forceLong = false);

// Builds a movie: header fields plus a list of tags. ShowFrame tags counted
// by AddTag give the frame count unless SetFrameCount overrides it.
class SwfBuilder {
 public:
  SwfBuilder& SetVersion(std::uint8_t version);
  SwfBuilder& SetFrameSize(std::int32_t widthTwips, std::int32_t heightTwips);
  SwfBuilder& SetFrameRate(double framesPerSecond);
  SwfBuilder& SetFrameCount(std::uint16_t count);
  SwfBuilder& AddTag(std::uint16_t code, const Bytes& payload = {});
  SwfBuilder& AddRaw(const Bytes& bytes);  // bytes put in the tag stream as they are
  SwfBuilder& ShowFrame();                 // tag 1
  SwfBuilder& End();                       // tag 0

  // The movie body after the 8-byte file header.
  Bytes Body() const;
  // The whole file, uncompressed ("FWS") or compressed ("CWS"); the length
  // field is the uncompressed length.
  Bytes Build(bool compressed = false) const;

 private:
  std::uint8_t version_ = 10;
  std::int32_t width_ = 550 * 20;
  std::int32_t height_ = 400 * 20;
  double rate_ = 24.0;
  int frames_ = 0;
  int frameOverride_ = -1;
  Bytes tags_;
};

// A whole SWF file around an arbitrary body. lengthField overrides the file
// length written in the header (by default 8 + body size).
Bytes MakeSwfFile(const Bytes& body, std::uint8_t version, bool compressed,
                  std::int64_t lengthField = -1);

// zlib-compresses bytes (zlib wrapper, default level).
Bytes Compress(const Bytes& data);

}  // namespace Halvane::Tools
