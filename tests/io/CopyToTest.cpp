#include <gtest/gtest.h>

#include "StreamTestSupport.h"
#include "io/MemoryStream.h"

namespace Halvane::IO {
namespace {

using Testing::AllocationFailure;
using Testing::Bytes;
using Testing::Count;
using Testing::FakeStream;
using Testing::Held;
using Testing::Move;
using Testing::NewMemoryStream;
using Testing::Pattern;
using Testing::ReadAll;

struct ChunkCase {
  const char* name;
  ULONGLONG sourceSize;
  ULONGLONG count;
  HRESULT result;
  std::vector<ULONG> writes;
};

TEST(CopyTo, MovesDataInChunksOfAtMost512KiB) {
  const ChunkCase cases[] = {
      {"three full chunks", 3 * 0x80000ull, 3 * 0x80000ull, S_OK, {0x80000, 0x80000, 0x80000}},
      {"chunk and a tail", 0x80005, 0x80005, S_OK, {0x80000, 5}},
      {"small", 10, 10, S_OK, {10}},
      {"part of the source", 100, 40, S_OK, {40}},
      {"nothing", 100, 0, S_OK, {}},
      {"more than remains", 100, 200, E_FAIL, {100}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes data = Pattern(c.sourceSize);
    Held<MemoryStream> source(NewMemoryStream(data));
    FakeStream destination;
    ULARGE_INTEGER read = Count(777), written = Count(777);
    EXPECT_EQ(source->CopyTo(&destination, Count(c.count), &read, &written), c.result);
    EXPECT_EQ(destination.writes, c.writes);
    const ULONGLONG moved = c.count < c.sourceSize ? c.count : c.sourceSize;
    EXPECT_EQ(read.QuadPart, moved);
    EXPECT_EQ(written.QuadPart, moved);
    EXPECT_EQ(destination.written, Bytes(data.begin(), data.begin() + static_cast<long>(moved)));
    EXPECT_EQ(source->GetPosition(), moved);
  }
}

struct PartialCase {
  const char* name;
  ULONG writeLimitPerCall;
  ULONGLONG failWritesAfter;
  ULONGLONG count;
  ULONGLONG read;
  ULONGLONG written;
};

TEST(CopyTo, ADestinationThatWritesShortOrFailsGivesMediumFullWithPartialTotals) {
  const PartialCase cases[] = {
      {"short write in the first chunk", 0x1000, UINT64_MAX, 0x100000, 0x80000, 0x1000},
      {"fails on the second chunk", 0xFFFFFFFFu, 0x80000, 0x100000, 0x100000, 0x80000},
      {"fails at once", 0xFFFFFFFFu, 0, 10, 10, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Held<MemoryStream> source(NewMemoryStream(Pattern(c.count)));
    FakeStream destination;
    destination.writeLimitPerCall = c.writeLimitPerCall;
    destination.failWritesAfter = c.failWritesAfter;
    ULARGE_INTEGER read = Count(777), written = Count(777);
    EXPECT_EQ(source->CopyTo(&destination, Count(c.count), &read, &written), STG_E_MEDIUMFULL);
    EXPECT_EQ(read.QuadPart, c.read);
    EXPECT_EQ(written.QuadPart, c.written);
  }
}

TEST(CopyTo, ASourceThatFailsGivesEFailWithWhatWasCopied) {
  FakeStream source;
  source.readable = 10;
  source.readFails = true;
  Held<MemoryStream> destination(NewMemoryStream());
  ULARGE_INTEGER read = Count(777), written = Count(777);
  EXPECT_EQ(source.CopyTo(destination.get(), Count(20), &read, &written), E_FAIL);
  EXPECT_EQ(read.QuadPart, 10u);
  EXPECT_EQ(written.QuadPart, 10u);
  EXPECT_EQ(destination->GetSize(), 10u);
}

TEST(CopyTo, RefusesNullAndItselfAndSurvivesAFailedBuffer) {
  Held<MemoryStream> s(NewMemoryStream(Pattern(10)));
  ULARGE_INTEGER read = Count(777), written = Count(777);
  EXPECT_EQ(s->CopyTo(nullptr, Count(5), &read, &written), STG_E_INVALIDPOINTER);
  EXPECT_EQ(s->CopyTo(s.get(), Count(5), &read, &written), STG_E_INVALIDPOINTER);
  EXPECT_EQ(read.QuadPart, 777u);
  EXPECT_EQ(written.QuadPart, 777u);
  EXPECT_EQ(s->GetPosition(), 0u);

  Held<MemoryStream> destination(NewMemoryStream());
  {
    AllocationFailure fail(0);
    EXPECT_EQ(s->CopyTo(destination.get(), Count(5), &read, &written), E_FAIL);
  }
  EXPECT_EQ(read.QuadPart, 0u);
  EXPECT_EQ(written.QuadPart, 0u);
  EXPECT_EQ(s->GetPosition(), 0u);
  EXPECT_EQ(destination->GetSize(), 0u);
}

}  // namespace
}  // namespace Halvane::IO
