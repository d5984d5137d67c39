#include <gtest/gtest.h>

#include "StreamTestSupport.h"
#include "io/InflateStream.h"
#include "tools/SwfWriter.h"

namespace Halvane::IO {
namespace {

using Testing::AllocationFailure;
using Testing::Bytes;
using Testing::FakeStream;
using Testing::Held;
using Testing::NewMemoryStream;
using Testing::Pattern;
using Testing::ReadAll;
using Testing::TrickleStream;

// Movie-like data: runs of repeated bytes between stretches of noise, so that
// it compresses but not to nothing.
Bytes MixedData(std::size_t n) {
  Bytes out = Pattern(n, 11);
  for (std::size_t i = 0; i < n; i += 1000) {
    for (std::size_t j = i; j < i + 600 && j < n; ++j) out[j] = static_cast<std::uint8_t>(i >> 10);
  }
  return out;
}

bool IsPrefix(const Bytes& part, const Bytes& whole) {
  return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

struct InflateCase {
  const char* name;
  Bytes data;
};

TEST(InflateStream, InflatesWholeStreamsOfEverySizeAndShape) {
  const InflateCase cases[] = {
      {"empty", {}},
      {"small", Pattern(100)},
      {"several input buffers", MixedData(3 * kInflateBufferSize + 17)},
      // Inflates to many full output buffers from one input buffer.
      {"highly compressible", Bytes(5 * kInflateBufferSize, 0x42)},
      {"exactly one output buffer", Bytes(kInflateBufferSize, 0x01)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Held<MemoryStream> source(NewMemoryStream(Tools::Compress(c.data)));
    Held<MemoryStream> destination(NewMemoryStream());
    EXPECT_EQ(InflateStream(source.get(), destination.get()), 1);
    EXPECT_EQ(ReadAll(destination.get()), c.data);

    // Into a memory stream that already has room, written in place: the same
    // bytes, and the bytes after them untouched.
    source->Seek(Testing::Move(0), STREAM_SEEK_SET, nullptr);
    Held<MemoryStream> sized(NewMemoryStream(Bytes(c.data.size() + 5, 0xCC)));
    EXPECT_EQ(InflateStream(source.get(), sized.get()), 1);
    EXPECT_EQ(sized->GetPosition(), c.data.size());
    Bytes expected = c.data;
    expected.insert(expected.end(), 5, 0xCC);
    EXPECT_EQ(ReadAll(sized.get()), expected);
  }
}

TEST(InflateStream, ASlowSourceGivesTheSameResult) {
  const Bytes data = MixedData(kInflateBufferSize + 999);
  Held<MemoryStream> inner(NewMemoryStream(Tools::Compress(data)));
  TrickleStream source(inner.get(), 7);
  Held<MemoryStream> destination(NewMemoryStream());
  EXPECT_EQ(InflateStream(&source, destination.get()), 1);
  EXPECT_EQ(ReadAll(destination.get()), data);
}

TEST(InflateStream, BytesAfterTheStreamAreNotWritten) {
  const Bytes data = Pattern(5000);
  Bytes compressed = Tools::Compress(data);
  const std::size_t end = compressed.size();
  compressed.insert(compressed.end(), 300, 0xEE);
  Held<MemoryStream> source(NewMemoryStream(compressed));
  Held<MemoryStream> destination(NewMemoryStream());
  EXPECT_EQ(InflateStream(source.get(), destination.get()), 1);
  EXPECT_EQ(ReadAll(destination.get()), data);
  EXPECT_LE(source->GetPosition(), end + 300);
}

TEST(InflateStream, TruncatedAndCorruptDataYieldZeroKeepingWhatWasInflated) {
  const Bytes data = MixedData(2 * kInflateBufferSize);
  const Bytes compressed = Tools::Compress(data);
  struct Damage {
    const char* name;
    Bytes bytes;
  };
  Bytes truncated(compressed.begin(), compressed.begin() + static_cast<long>(compressed.size() / 2));
  Bytes noTrailer(compressed.begin(), compressed.end() - 4);
  Bytes badChecksum = compressed;
  if (!badChecksum.empty()) badChecksum[badChecksum.size() - 1] ^= 0xFF;
  Bytes badHeader = compressed;
  badHeader[0] = 0x00;
  // A header asking for a preset dictionary (0x78 0x20 passes the check).
  Bytes needsDictionary = {0x78, 0x20, 1, 2, 3, 4};
  needsDictionary.insert(needsDictionary.end(), compressed.begin() + 2, compressed.end());
  Bytes garbage = compressed;
  for (std::size_t i = compressed.size() / 3; i < compressed.size() / 3 + 64; ++i) garbage[i] ^= 0x5A;
  const Damage cases[] = {
      {"cut in half", truncated},
      {"no checksum", noTrailer},
      {"wrong checksum", badChecksum},
      {"bad zlib header", badHeader},
      {"garbage in the middle", garbage},
      {"needs a dictionary", needsDictionary},
      {"empty source", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Held<MemoryStream> source(NewMemoryStream(c.bytes));
    Held<MemoryStream> destination(NewMemoryStream());
    EXPECT_EQ(InflateStream(source.get(), destination.get()), 0);
    const Bytes out = ReadAll(destination.get());
    // Corruption may be found only after some wrong bytes came out; what is
    // certain is that nothing beyond the data's length is written and a cut
    // stream keeps its correct prefix.
    EXPECT_LE(out.size(), data.size());
    if (c.bytes.size() == truncated.size() || c.bytes.size() == noTrailer.size()) {
      EXPECT_TRUE(IsPrefix(out, data));
      EXPECT_GT(out.size(), 0u);
    }
  }
}

struct LimitCase {
  const char* name;
  std::size_t dataSize;
  ULONGLONG limit;
  ULONG maxRead;  // how the source delivers its bytes
  int result;
};

TEST(InflateStream, StopsAtTheOutputLimit) {
  const LimitCase cases[] = {
      {"limit inside the first buffer", 3 * kInflateBufferSize, 1000, kInflateBufferSize, 0},
      {"limit across buffers", 3 * kInflateBufferSize, kInflateBufferSize + 5, kInflateBufferSize, 0},
      {"limit zero", 5000, 0, kInflateBufferSize, 0},
      {"limit exactly the data", 5000, 5000, kInflateBufferSize, 1},
      {"limit exactly the data, slow source", 5000, 5000, 1, 1},
      {"limit exactly several buffers", 2 * kInflateBufferSize, 2 * kInflateBufferSize, 3, 1},
      {"limit above the data", 5000, 9000, kInflateBufferSize, 1},
  };
  for (const auto& c : cases) {
    // Through Write into an empty stream, and in place into one with room
    // for part of the data only (the rest then goes through Write).
    for (std::size_t room : {std::size_t{0}, c.dataSize / 2 + 1}) {
      SCOPED_TRACE(testing::Message() << c.name << ", room " << room);
      const Bytes data = MixedData(c.dataSize);
      Held<MemoryStream> inner(NewMemoryStream(Tools::Compress(data)));
      TrickleStream source(inner.get(), c.maxRead);
      Held<MemoryStream> destination(NewMemoryStream(Bytes(room, 0xCC)));
      EXPECT_EQ(InflateStream(&source, destination.get(), c.limit), c.result);
      const std::size_t inflated = c.limit < data.size() ? c.limit : data.size();
      Bytes expected(data.begin(), data.begin() + static_cast<long>(inflated));
      if (expected.size() < room) expected.resize(room, 0xCC);
      EXPECT_EQ(destination->GetPosition(), inflated);
      EXPECT_EQ(ReadAll(destination.get()), expected);
    }
  }
}

TEST(InflateStream, CallerFaultsAreToldApartFromDataFaults) {
  const Bytes data = Pattern(3000);
  const Bytes compressed = Tools::Compress(data);
  // Same object for both ends.
  Held<MemoryStream> both(NewMemoryStream(compressed));
  EXPECT_EQ(InflateStream(both.get(), both.get()), 0);
  EXPECT_EQ(both->GetSize(), compressed.size());
  EXPECT_EQ(InflateStreamChecked(both.get(), both.get()), E_INVALIDARG);

  // Each allocation in turn: the two buffers, then zlib's state.
  for (int allowed = 0; allowed < 3; ++allowed) {
    SCOPED_TRACE(allowed);
    Held<MemoryStream> source(NewMemoryStream(compressed));
    // Sized beforehand, so that its writes need no memory.
    Held<MemoryStream> destination(NewMemoryStream(Bytes(data.size(), 0)));
    HRESULT result;
    {
      AllocationFailure fail(allowed);
      result = InflateStreamChecked(source.get(), destination.get());
    }
    EXPECT_EQ(result, E_OUTOFMEMORY);
    EXPECT_EQ(destination->GetPosition(), 0u);
  }

  // A destination that refuses the bytes.
  Held<MemoryStream> source(NewMemoryStream(compressed));
  FakeStream destination;
  destination.failWritesAfter = 0;
  EXPECT_EQ(InflateStreamChecked(source.get(), &destination), STG_E_MEDIUMFULL);
  source->Seek(Testing::Move(0), STREAM_SEEK_SET, nullptr);
  destination.failWritesAfter = UINT64_MAX;
  destination.writeLimitPerCall = 10;
  EXPECT_EQ(InflateStreamChecked(source.get(), &destination), STG_E_MEDIUMFULL);
  EXPECT_EQ(InflateStream(source.get(), &destination), 0);
}

}  // namespace
}  // namespace Halvane::IO
