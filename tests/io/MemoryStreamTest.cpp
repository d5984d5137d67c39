#include <gtest/gtest.h>

#include <cstring>

#include "StreamTestSupport.h"
#include "io/MemoryStream.h"

namespace Halvane::IO {
namespace {

using Testing::AllocationFailure;
using Testing::Bytes;
using Testing::Held;
using Testing::Move;
using Testing::NewMemoryStream;
using Testing::Pattern;
using Testing::ReadAll;

struct GrowthCase {
  const char* name;
  ULONG initialSize;
  std::vector<ULONG> writes;  // written one after another from position 0
  ULONG size;
  ULONG capacity;
};

TEST(MemoryStreamGrowth, GrowsIn32KiBStepsToTheNextMultipleOnly) {
  const GrowthCase cases[] = {
      {"empty", 0, {}, 0, 0},
      {"one byte written", 0, {1}, 1, 0x8000},
      {"created with one byte", 1, {}, 1, 0x8000},
      {"exactly one step", 0, {0x8000}, 0x8000, 0x8000},
      {"one past a step", 0, {0x8000, 1}, 0x8001, 0x10000},
      {"large write, no doubling", 0, {0x100001}, 0x100001, 0x108000},
      {"many small writes", 0, {0x4000, 0x4000, 0x4000}, 0xC000, 0x10000},
      {"write inside the initial size", 0x9000, {0x100}, 0x9000, 0x10000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Held<MemoryStream> s;
    ASSERT_EQ(CreateMemoryStream(c.initialSize, s.Out()), S_OK);
    for (ULONG n : c.writes) {
      const Bytes data = Pattern(n);
      ULONG put = 0;
      ASSERT_EQ(s->Write(data.data(), n, &put), S_OK);
      EXPECT_EQ(put, n);
    }
    EXPECT_EQ(s->GetSize(), c.size);
    EXPECT_EQ(s->Capacity(), c.capacity);
  }
}

TEST(MemoryStreamGrowth, UnwrittenBytesReadAsZero) {
  Held<MemoryStream> s;
  ASSERT_EQ(CreateMemoryStream(3, s.Out()), S_OK);
  EXPECT_EQ(ReadAll(s.get()), Bytes(3, 0));

  // Grow across several steps with data only at the far end of each write.
  s->Seek(Move(0), STREAM_SEEK_END, nullptr);
  Bytes big(0x18000, 0);
  big.back() = 0xAB;
  ASSERT_EQ(s->Write(big.data(), static_cast<ULONG>(big.size()), nullptr), S_OK);
  Bytes expected(3, 0);
  expected.insert(expected.end(), big.begin(), big.end());
  EXPECT_EQ(ReadAll(s.get()), expected);
}

// The limit is checked without filling 512 MiB: a stream created just below
// it is one lazily zeroed block, and only its last bytes are written.
TEST(MemoryStreamLimit, WriteEndingExactlyAtTheLimitSucceedsOneMoreByteIsRefused) {
  Held<MemoryStream> s;
  ASSERT_EQ(CreateMemoryStream(kMemoryStreamLimit - 4, s.Out()), S_OK);
  ASSERT_EQ(s->GetSize(), kMemoryStreamLimit - 4);
  ASSERT_EQ(s->Seek(Move(0), STREAM_SEEK_END, nullptr), S_OK);
  const std::uint8_t four[4] = {1, 2, 3, 4};
  ULONG put = 99;
  ASSERT_EQ(s->Write(four, 4, &put), S_OK);
  EXPECT_EQ(put, 4u);
  EXPECT_EQ(s->GetSize(), kMemoryStreamLimit);
  EXPECT_EQ(s->Capacity(), kMemoryStreamLimit);

  put = 99;
  EXPECT_EQ(s->Write(four, 1, &put), STG_E_CANTSAVE);
  EXPECT_EQ(put, 0u);
  EXPECT_EQ(s->GetSize(), kMemoryStreamLimit);
  EXPECT_EQ(s->GetPosition(), kMemoryStreamLimit);

  // A count so large that position + count wraps around 2^32 is refused too,
  // instead of growing to the wrapped size and copying past the buffer.
  ASSERT_EQ(s->Seek(Move(16), STREAM_SEEK_SET, nullptr), S_OK);
  EXPECT_EQ(s->Write(four, 0xFFFFFFF8u, &put), STG_E_CANTSAVE);
  EXPECT_EQ(s->GetPosition(), 16u);
  EXPECT_EQ(s->GetSize(), kMemoryStreamLimit);
}

TEST(MemoryStreamLimit, CreatingAboveTheLimitGivesAnEmptyStream) {
  Held<MemoryStream> s;
  ASSERT_EQ(CreateMemoryStream(kMemoryStreamLimit + 1, s.Out()), S_OK);
  EXPECT_EQ(s->GetSize(), 0u);
  EXPECT_EQ(s->Capacity(), 0u);
}

struct SeekCase {
  const char* name;
  LONGLONG move;
  DWORD origin;
  HRESULT result;
  ULONGLONG position;  // afterwards; the start position is 5 of 10
};

TEST(MemoryStreamSeek, OriginsAndRangeFollowTheTable) {
  const SeekCase cases[] = {
      {"set to 0", 0, STREAM_SEEK_SET, S_OK, 0},
      {"set to size", 10, STREAM_SEEK_SET, S_OK, 10},
      {"set past size", 11, STREAM_SEEK_SET, STG_E_INVALIDFUNCTION, 5},
      {"set negative", -1, STREAM_SEEK_SET, STG_E_INVALIDFUNCTION, 5},
      {"current forward", 3, STREAM_SEEK_CUR, S_OK, 8},
      {"current back", -5, STREAM_SEEK_CUR, S_OK, 0},
      {"current before start", -6, STREAM_SEEK_CUR, STG_E_INVALIDFUNCTION, 5},
      {"end", 0, STREAM_SEEK_END, S_OK, 10},
      {"end minus one", -1, STREAM_SEEK_END, S_OK, 9},
      {"end plus one", 1, STREAM_SEEK_END, STG_E_INVALIDFUNCTION, 5},
      {"bad origin", 0, 3, STG_E_INVALIDFUNCTION, 5},
      // Moves whose low 32 bits alone would land inside the stream.
      {"2^32 from start", 0x100000000LL, STREAM_SEEK_SET, STG_E_INVALIDFUNCTION, 5},
      {"2^32 - 1 from current", 0xFFFFFFFFLL, STREAM_SEEK_CUR, STG_E_INVALIDFUNCTION, 5},
      {"-2^32 + 2 from current", -0xFFFFFFFELL, STREAM_SEEK_CUR, STG_E_INVALIDFUNCTION, 5},
      {"most negative", INT64_MIN, STREAM_SEEK_END, STG_E_INVALIDFUNCTION, 5},
      {"most positive", INT64_MAX, STREAM_SEEK_CUR, STG_E_INVALIDFUNCTION, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Held<MemoryStream> s(NewMemoryStream(Pattern(10)));
    ASSERT_EQ(s->Seek(Move(5), STREAM_SEEK_SET, nullptr), S_OK);
    ULARGE_INTEGER at;
    at.QuadPart = 777;
    EXPECT_EQ(s->Seek(Move(c.move), c.origin, &at), c.result);
    EXPECT_EQ(at.QuadPart, c.result == S_OK ? c.position : 777u);
    EXPECT_EQ(s->GetPosition(), c.position);
  }
}

TEST(MemoryStreamRead, ShortReadThenEnd) {
  Held<MemoryStream> s(NewMemoryStream(Pattern(10)));
  s->Seek(Move(6), STREAM_SEEK_SET, nullptr);
  std::uint8_t buffer[10] = {};
  ULONG got = 99;
  EXPECT_EQ(s->Read(buffer, 10, &got), S_OK);
  EXPECT_EQ(got, 4u);
  EXPECT_EQ(0, std::memcmp(buffer, Pattern(10).data() + 6, 4));
  got = 99;
  EXPECT_EQ(s->Read(buffer, 10, &got), S_FALSE);
  EXPECT_EQ(got, 0u);

  // At the end after seeking there too.
  s->Seek(Move(0), STREAM_SEEK_END, nullptr);
  got = 99;
  EXPECT_EQ(s->Read(buffer, 1, &got), S_FALSE);
  EXPECT_EQ(got, 0u);
}

TEST(MemoryStreamSize, GetSizeAndStatLeaveThePosition) {
  Held<MemoryStream> s(NewMemoryStream(Pattern(12)));
  s->Seek(Move(5), STREAM_SEEK_SET, nullptr);
  EXPECT_EQ(s->GetSize(), 12u);
  EXPECT_EQ(s->GetPosition(), 5u);

  STATSTG stat{};
  EXPECT_EQ(s->Stat(&stat, STATFLAG_NONAME), S_OK);
  EXPECT_EQ(stat.cbSize.QuadPart, 12u);
  EXPECT_EQ(s->GetPosition(), 5u);
}

TEST(StreamObject, QueryInterfaceAndReferenceCounts) {
  Held<MemoryStream> s(NewMemoryStream());
  void* out = nullptr;
  EXPECT_EQ(s->QueryInterface(IID_IStream, &out), S_OK);
  EXPECT_EQ(out, static_cast<IStream*>(s.get()));
  EXPECT_EQ(s->AddRef(), 3u);  // factory's, QueryInterface's, this one
  EXPECT_EQ(s->Release(), 2u);
  EXPECT_EQ(s->QueryInterface(IID_ISequentialStream, &out), S_OK);
  EXPECT_EQ(s->QueryInterface(IID_IUnknown, &out), S_OK);
  EXPECT_EQ(s->Release(), 3u);
  EXPECT_EQ(s->Release(), 2u);
  EXPECT_EQ(s->Release(), 1u);

  out = &out;
  EXPECT_EQ(s->QueryInterface(IID_IDispatch, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(s->QueryInterface(IID_IStream, nullptr), E_POINTER);
}

TEST(MemoryStreamAllocation, FailedAllocationsAreFailuresWithNothingChanged) {
  {
    // The object itself.
    MemoryStream* s = reinterpret_cast<MemoryStream*>(0x1);
    AllocationFailure fail(0);
    EXPECT_EQ(CreateMemoryStream(16, &s), E_FAIL);
    EXPECT_EQ(s, reinterpret_cast<MemoryStream*>(0x1));
  }
  {
    // Its initial buffer.
    MemoryStream* s = reinterpret_cast<MemoryStream*>(0x1);
    AllocationFailure fail(1);
    EXPECT_EQ(CreateMemoryStream(16, &s), E_OUTOFMEMORY);
    EXPECT_EQ(s, reinterpret_cast<MemoryStream*>(0x1));
  }
  // Growth during a write.
  Held<MemoryStream> s(NewMemoryStream(Pattern(0x8000)));
  s->Seek(Move(0), STREAM_SEEK_END, nullptr);
  const std::uint8_t one = 1;
  ULONG put = 99;
  {
    AllocationFailure fail(0);
    EXPECT_EQ(s->Write(&one, 1, &put), STG_E_CANTSAVE);
  }
  EXPECT_EQ(put, 0u);
  EXPECT_EQ(s->GetSize(), 0x8000u);
  EXPECT_EQ(s->Capacity(), 0x8000u);
  EXPECT_EQ(s->GetPosition(), 0x8000u);
  EXPECT_EQ(ReadAll(s.get()), Pattern(0x8000));
}

}  // namespace
}  // namespace Halvane::IO
