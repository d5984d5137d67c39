#include <gtest/gtest.h>

#include <algorithm>

#include "StreamTestSupport.h"
#include "io/FileStreamReader.h"
#include "io/InflateStream.h"
#include "io/SwfLoadStream.h"
#include "tools/SwfWriter.h"

namespace Halvane::IO {
namespace {

using Testing::AllocationFailure;
using Testing::Bytes;
using Testing::FakeStream;
using Testing::Held;
using Testing::Join;
using Testing::Move;
using Testing::NewMemoryStream;
using Testing::Pattern;
using Testing::ReadAll;
using Testing::TempDir;
using Tools::MakeSwfFile;

Bytes Properties(std::size_t n) {
  Bytes p(n);
  for (std::size_t i = 0; i < n; ++i) p[i] = static_cast<std::uint8_t>(0xA0 + i);
  return p;
}

// The load stream as it must come out: 0x66, P[1..3], L, the movie region,
// P[4..].
Bytes ExpectedLoadStream(const Bytes& p, ULONG length, const Bytes& region) {
  const std::uint8_t head[8] = {kLoadStreamMarker, p[1], p[2], p[3],
                                static_cast<std::uint8_t>(length),
                                static_cast<std::uint8_t>(length >> 8),
                                static_cast<std::uint8_t>(length >> 16),
                                static_cast<std::uint8_t>(length >> 24)};
  // Sized first and copied into: GCC 12 warns wrongly about growing inserts.
  Bytes out(sizeof head + region.size() + (p.size() - 4));
  auto at = std::copy(head, head + sizeof head, out.begin());
  at = std::copy(region.begin(), region.end(), at);
  std::copy(p.begin() + 4, p.end(), at);
  return out;
}

// Builds the way the player does: destination of S + L bytes, then the build.
HRESULT BuildAsThePlayer(const Bytes& movie, const Bytes& properties, Bytes* out,
                         ULONG fileLength) {
  Held<MemoryStream> source(NewMemoryStream(movie));
  Held<MemoryStream> p(NewMemoryStream(properties));
  Held<MemoryStream> destination;
  HRESULT result = CreateSwfLoadDestination(p.get(), fileLength, destination.Out());
  if (FAILED(result)) return result;
  result = BuildSwfLoadStream(source.get(), p.get(), destination.get());
  EXPECT_EQ(source->GetPosition(), 0u);
  EXPECT_EQ(p->GetPosition(), 0u);
  EXPECT_EQ(destination->GetPosition(), 0u);
  *out = ReadAll(destination.get());
  return result;
}

TEST(BuildSwfLoadStream, TwelvePropertyBytesAndATwentyByteMovieGiveThirtySixBytes) {
  const Bytes p = Properties(12);
  const Bytes movie = MakeSwfFile(Pattern(12), 8, false);
  ASSERT_EQ(movie.size(), 20u);
  Bytes out;
  ASSERT_EQ(BuildAsThePlayer(movie, p, &out, 20), S_OK);
  Bytes expected = {0x66, p[1], p[2], p[3], 0x14, 0x00, 0x00, 0x00};
  expected.insert(expected.end(), movie.begin(), movie.end());
  expected.insert(expected.end(), p.begin() + 4, p.end());
  ASSERT_EQ(expected.size(), 36u);
  EXPECT_EQ(out, expected);
}

struct ShapeCase {
  const char* name;
  std::size_t propertyBytes;
  std::size_t bodyBytes;
  BYTE firstPropertyByte;
};

TEST(BuildSwfLoadStream, UncompressedAndCompressedMoviesGiveTheSameLoadStream) {
  const ShapeCase cases[] = {
      {"four property bytes", 4, 100, 0x00},
      {"property byte 0 is the marker", 5, 1, 0x66},
      {"property byte 0 is 0xFF", 64, 3000, 0xFF},
      {"empty body", 12, 0, 0x12},
      {"body over several buffers", 300, 3 * kInflateBufferSize + 1, 0x01},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes p = Properties(c.propertyBytes);
    p[0] = c.firstPropertyByte;
    const Bytes body = Pattern(c.bodyBytes, 9);
    const Bytes plain = MakeSwfFile(body, 7, false);
    const ULONG length = static_cast<ULONG>(plain.size());
    const Bytes expected = ExpectedLoadStream(p, length, plain);

    Bytes fromPlain, fromCompressed;
    ASSERT_EQ(BuildAsThePlayer(plain, p, &fromPlain, length), S_OK);
    ASSERT_EQ(BuildAsThePlayer(MakeSwfFile(body, 7, true), p, &fromCompressed, length), S_OK);
    EXPECT_EQ(fromPlain.size(), c.propertyBytes + length + 4);
    EXPECT_EQ(fromPlain, expected);
    EXPECT_EQ(fromCompressed, expected);  // "FWS", the same version, L, the body
  }
}

struct RegionCase {
  const char* name;
  Bytes movie;
  ULONG length;
  Bytes region;  // what the movie region must hold, filler 0xCC where untouched
};

// The region is exactly L bytes whatever the movie supplies: a longer movie is
// cut at L, a shorter one leaves the rest of the region as it was.
TEST(BuildSwfLoadStream, TheMovieRegionIsExactlyTheStatedLength) {
  const Bytes body = Pattern(40, 4);
  const auto header = [](ULONG length) {
    return Bytes{'F', 'W', 'S', 7, static_cast<std::uint8_t>(length), 0, 0, 0};
  };
  const auto concat = [](Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  const Bytes tail(20, 0xCC);
  const RegionCase cases[] = {
      {"plain movie with extra bytes is cut", MakeSwfFile(concat(body, Pattern(100)), 7, false, 48),
       48, concat(header(48), body)},
      {"compressed body inflating past L is cut", MakeSwfFile(concat(body, Pattern(100)), 7, true, 48),
       48, concat(header(48), body)},
      {"plain movie shorter than L", MakeSwfFile(body, 7, false, 68), 68,
       concat(concat(header(68), body), tail)},
      {"compressed body shorter than L", MakeSwfFile(body, 7, true, 68), 68,
       concat(concat(header(68), body), tail)},
      {"only the header", MakeSwfFile({}, 7, false, 8), 8, header(8)},
  };
  const Bytes p = Properties(12);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Held<MemoryStream> source(NewMemoryStream(c.movie));
    Held<MemoryStream> properties(NewMemoryStream(p));
    Held<MemoryStream> destination(NewMemoryStream(Bytes(p.size() + c.length, 0xCC)));
    ASSERT_EQ(BuildSwfLoadStream(source.get(), properties.get(), destination.get()), S_OK);
    const Bytes out = ReadAll(destination.get());
    EXPECT_EQ(out.size(), p.size() + c.length + 4);
    EXPECT_EQ(out, ExpectedLoadStream(p, c.length, c.region));
  }

}

TEST(BuildSwfLoadStream, ADestinationShorterThanTheLoadStreamIsExtendedWithZeros) {
  const Bytes p = Properties(6);
  const Bytes body = Pattern(30);
  for (bool compressed : {false, true}) {
    SCOPED_TRACE(compressed);
    Held<MemoryStream> source(NewMemoryStream(MakeSwfFile(body, 9, compressed, 100)));
    Held<MemoryStream> properties(NewMemoryStream(p));
    Held<MemoryStream> destination(NewMemoryStream());
    ASSERT_EQ(BuildSwfLoadStream(source.get(), properties.get(), destination.get()), S_OK);
    Bytes region = MakeSwfFile(body, 9, false, 100);
    region.resize(100, 0);
    EXPECT_EQ(ReadAll(destination.get()), ExpectedLoadStream(p, 100, region));
  }
}

struct RefusalCase {
  const char* name;
  Bytes movie;
  std::size_t propertyBytes;
  HRESULT result;
};

TEST(BuildSwfLoadStream, RefusalsWriteNothingAndRestoreEveryPosition) {
  const Bytes body = Pattern(20);
  const auto withSignature = [&](const char* s) {
    Bytes m = MakeSwfFile(body, 9, false);
    m[0] = static_cast<std::uint8_t>(s[0]);
    m[1] = static_cast<std::uint8_t>(s[1]);
    m[2] = static_cast<std::uint8_t>(s[2]);
    return m;
  };
  const RefusalCase cases[] = {
      {"lower case signature", withSignature("fws"), 12, E_FAIL},
      {"other signature", withSignature("ZWS"), 12, E_FAIL},
      {"seven bytes", Bytes{'F', 'W', 'S', 9, 7, 0, 0}, 12, E_FAIL},
      {"length below the header, plain", MakeSwfFile(body, 9, false, 7), 12, E_FAIL},
      {"length below the header, compressed", MakeSwfFile(body, 9, true, 0), 12, E_FAIL},
      {"three property bytes", MakeSwfFile(body, 9, false), 3, E_FAIL},
      {"no property bytes", MakeSwfFile(body, 9, false), 0, E_FAIL},
      {"stream past 512 MiB", MakeSwfFile(body, 9, false, 0x20000000 - 12 - 3), 12, E_OUTOFMEMORY},
      // The stream starts 2 bytes in, so S + L + 4 bytes may reach 512 MiB - 2.
      {"stream ending one byte past 512 MiB", MakeSwfFile(body, 9, false, 0x20000000 - 12 - 4 - 1), 12,
       E_OUTOFMEMORY},
      {"largest length", MakeSwfFile(body, 9, true, 0xFFFFFFFF), 12, E_OUTOFMEMORY},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    // Every stream starts 2 bytes in, to see that positions are relative.
    const Bytes movie = Join(Bytes{0xEE, 0xEE}, c.movie);
    const Bytes p = Join(Bytes{0xEE, 0xEE}, Properties(c.propertyBytes));
    const Bytes before(40, 0xCC);
    Held<MemoryStream> source(NewMemoryStream(movie));
    Held<MemoryStream> properties(NewMemoryStream(p));
    Held<MemoryStream> destination(NewMemoryStream(before));
    for (Stream* s : {static_cast<Stream*>(source.get()), static_cast<Stream*>(properties.get()),
                      static_cast<Stream*>(destination.get())}) {
      s->Seek(Move(2), STREAM_SEEK_SET, nullptr);
    }
    EXPECT_EQ(BuildSwfLoadStream(source.get(), properties.get(), destination.get()), c.result);
    EXPECT_EQ(source->GetPosition(), 2u);
    EXPECT_EQ(properties->GetPosition(), 2u);
    EXPECT_EQ(destination->GetPosition(), 2u);
    EXPECT_EQ(ReadAll(destination.get()), before);
  }
}

TEST(BuildSwfLoadStream, PositionsAreRestoredAfterSuccessToo) {
  const Bytes p = Properties(10);
  const Bytes movie = MakeSwfFile(Pattern(50), 6, true);
  const Bytes source = Join(Pattern(5), movie);
  const Bytes props = Join(Pattern(3), p);
  Held<MemoryStream> s(NewMemoryStream(source));
  Held<MemoryStream> properties(NewMemoryStream(props));
  Held<MemoryStream> destination(NewMemoryStream(Bytes(7, 0x11)));
  s->Seek(Move(5), STREAM_SEEK_SET, nullptr);
  properties->Seek(Move(3), STREAM_SEEK_SET, nullptr);
  destination->Seek(Move(7), STREAM_SEEK_SET, nullptr);
  ASSERT_EQ(BuildSwfLoadStream(s.get(), properties.get(), destination.get()), S_OK);
  EXPECT_EQ(s->GetPosition(), 5u);
  EXPECT_EQ(properties->GetPosition(), 3u);
  EXPECT_EQ(destination->GetPosition(), 7u);
  Bytes expected(7, 0x11);
  const Bytes load = ExpectedLoadStream(p, 58, MakeSwfFile(Pattern(50), 6, false));
  expected.insert(expected.end(), load.begin(), load.end());
  EXPECT_EQ(ReadAll(destination.get()), expected);

  // WriteSwfUncompressed alone restores both of its streams as well.
  Held<MemoryStream> out(NewMemoryStream(Bytes(4, 0)));
  out->Seek(Move(4), STREAM_SEEK_SET, nullptr);
  EXPECT_EQ(WriteSwfUncompressed(out.get(), s.get()), S_OK);
  EXPECT_EQ(out->GetPosition(), 4u);
  EXPECT_EQ(s->GetPosition(), 5u);
  const Bytes written = ReadAll(out.get());
  EXPECT_EQ(Bytes(written.begin() + 4, written.end()), MakeSwfFile(Pattern(50), 6, false));
}

TEST(BuildSwfLoadStream, ADestinationThatCannotTakeTheBytesIsAFailure) {
  const Bytes p = Properties(12);
  for (bool compressed : {false, true}) {
    for (ULONGLONG failAfter : {0ull, 8ull, 30ull}) {
      SCOPED_TRACE(testing::Message() << compressed << " " << failAfter);
      Held<MemoryStream> source(NewMemoryStream(MakeSwfFile(Pattern(40), 9, compressed)));
      Held<MemoryStream> properties(NewMemoryStream(p));
      FakeStream destination;
      destination.failWritesAfter = failAfter;
      EXPECT_EQ(BuildSwfLoadStream(source.get(), properties.get(), &destination), STG_E_MEDIUMFULL);
      EXPECT_EQ(source->GetPosition(), 0u);
      EXPECT_EQ(properties->GetPosition(), 0u);
    }
  }
}

// Every allocation of the build in turn fails: each run either succeeds with
// the right bytes or reports a failure, and never leaves a stream moved.
TEST(BuildSwfLoadStream, FailedAllocationsAreReportedNeverHidden) {
  const Bytes p = Properties(12);
  const Bytes body = Pattern(3000);
  for (bool compressed : {false, true}) {
    const Bytes expected = ExpectedLoadStream(p, 3008, MakeSwfFile(body, 9, false));
    bool sawFailure = false;
    for (int allowed = 0; allowed < 8; ++allowed) {
      SCOPED_TRACE(testing::Message() << compressed << " " << allowed);
      Held<MemoryStream> source(NewMemoryStream(MakeSwfFile(body, 9, compressed)));
      Held<MemoryStream> properties(NewMemoryStream(p));
      Held<MemoryStream> destination(NewMemoryStream(Bytes(p.size() + 3008, 0)));
      HRESULT result;
      {
        AllocationFailure fail(allowed);
        result = BuildSwfLoadStream(source.get(), properties.get(), destination.get());
      }
      EXPECT_EQ(source->GetPosition(), 0u);
      EXPECT_EQ(properties->GetPosition(), 0u);
      EXPECT_EQ(destination->GetPosition(), 0u);
      if (SUCCEEDED(result)) {
        EXPECT_EQ(ReadAll(destination.get()), expected);
      } else {
        sawFailure = true;
        EXPECT_TRUE(result == E_OUTOFMEMORY || result == E_FAIL) << std::hex << result;
      }
    }
    EXPECT_TRUE(sawFailure);
  }
}

TEST(SwfLoadDestination, SizeIsPropertiesPlusLengthWithinTheLimit) {
  Held<MemoryStream> p(NewMemoryStream(Properties(12)));
  p->Seek(Move(5), STREAM_SEEK_SET, nullptr);
  ULONG size = 77;
  ASSERT_EQ(GetSwfLoadDestinationSize(p.get(), 100, &size), S_OK);
  EXPECT_EQ(size, 107u);  // what remains of P from its position
  EXPECT_EQ(p->GetPosition(), 5u);
  p->Seek(Move(0), STREAM_SEEK_SET, nullptr);

  // The finished stream of S + L + 4 bytes may end exactly at the limit.
  ASSERT_EQ(GetSwfLoadDestinationSize(p.get(), kMemoryStreamLimit - 16, &size), S_OK);
  EXPECT_EQ(size, kMemoryStreamLimit - 4);
  size = 77;
  EXPECT_EQ(GetSwfLoadDestinationSize(p.get(), kMemoryStreamLimit - 15, &size), E_OUTOFMEMORY);
  // S + L would wrap around 2^32 to a small size in 32-bit arithmetic.
  EXPECT_EQ(GetSwfLoadDestinationSize(p.get(), 0xFFFFFFF8u, &size), E_OUTOFMEMORY);
  EXPECT_EQ(size, 77u);

  MemoryStream* destination = reinterpret_cast<MemoryStream*>(0x1);
  EXPECT_EQ(CreateSwfLoadDestination(p.get(), 0xFFFFFFFFu, &destination), E_OUTOFMEMORY);
  EXPECT_EQ(destination, reinterpret_cast<MemoryStream*>(0x1));
  {
    AllocationFailure fail(0);
    EXPECT_EQ(CreateSwfLoadDestination(p.get(), 100, &destination), E_OUTOFMEMORY);
  }
  ASSERT_EQ(CreateSwfLoadDestination(p.get(), 100, &destination), S_OK);
  EXPECT_EQ(destination->GetSize(), 112u);
  EXPECT_EQ(destination->GetPosition(), 0u);
  destination->Release();
}

TEST(SwfFileLoading, GetSwfFileLengthReadsAnyHeaderOfTheWindow) {
  TempDir dir;
  Bytes window = Pattern(100);
  window[4] = 0x10;
  window[5] = window[6] = window[7] = 0;
  Bytes file = Pattern(1000, 2);
  file.resize(1150, 0xEE);
  std::copy(window.begin(), window.end(), file.begin() + 1000);
  const std::string path = dir.Write("data.bin", file);
  const std::string small = dir.Write("small.swf", Bytes{'F', 'W', 'S', 1, 2, 3, 4});

  ULONG length = 77;
  EXPECT_EQ(GetSwfFileLength(path.c_str(), 1000, 100, &length), S_OK);
  EXPECT_EQ(length, 16u);  // whatever the signature
  length = 77;
  EXPECT_EQ(GetSwfFileLength(path.c_str(), 1000, 7, &length), E_FAIL);
  EXPECT_EQ(GetSwfFileLength(small.c_str(), 0, 0, &length), E_FAIL);
  EXPECT_EQ(GetSwfFileLength(path.c_str(), 1000, 1000, &length), E_FAIL);
  EXPECT_EQ(GetSwfFileLength((dir.Path() + "/none.swf").c_str(), 0, 0, &length), E_FAIL);
  EXPECT_EQ(length, 77u);
}

TEST(SwfFileLoading, AMovieInsideALargerFileIsReadOnlyFromItsWindow) {
  TempDir dir;
  const Bytes p = Properties(12);
  const Bytes body = Pattern(5000, 6);
  for (bool compressed : {false, true}) {
    SCOPED_TRACE(compressed);
    const Bytes movie = MakeSwfFile(body, 10, compressed);
    const ULONG length = static_cast<ULONG>(body.size() + 8);
    // The window ends 10 bytes before the movie does: the rest of the movie
    // is in the file right after the window and must not be used.
    const ULONGLONG windowLength = movie.size() - 10;
    const Bytes file = Join(Bytes(1000, 0xEE), movie, Bytes(200, 0xEE));
    const std::string path = dir.Write(compressed ? "c.bin" : "f.bin", file);

    ULONG peeked = 0;
    ASSERT_EQ(GetSwfFileLength(path.c_str(), 1000, windowLength, &peeked), S_OK);
    EXPECT_EQ(peeked, length);
    Held<MemoryStream> properties(NewMemoryStream(p));
    Held<MemoryStream> destination;
    ASSERT_EQ(CreateSwfLoadDestination(properties.get(), peeked, destination.Out()), S_OK);
    ASSERT_EQ(BuildSwfLoadStreamFromFile(path.c_str(), 1000, windowLength, properties.get(),
                                         destination.get()),
              S_OK);
    const Bytes out = ReadAll(destination.get());
    ASSERT_EQ(out.size(), p.size() + length + 4);
    const Bytes region(out.begin() + 8, out.begin() + 8 + length);
    const Bytes plain = MakeSwfFile(body, 10, false);
    if (!compressed) {
      // The window's bytes, then the region's untouched zeros.
      Bytes expected(movie.begin(), movie.begin() + static_cast<long>(windowLength));
      expected.resize(length, 0);
      EXPECT_EQ(region, expected);
    } else {
      // A prefix of the body inflated, never anything from beyond the window
      // (which would complete the body).
      EXPECT_NE(region, plain);
      std::size_t same = 0;
      while (same < region.size() && region[same] == plain[same]) ++same;
      for (std::size_t i = same; i < region.size(); ++i) ASSERT_EQ(region[i], 0) << i;
    }
    EXPECT_EQ(Bytes(out.begin() + 8 + length, out.end()), Bytes(p.begin() + 4, p.end()));

    // The whole movie as its window gives the movie unchanged.
    destination->Seek(Move(0), STREAM_SEEK_SET, nullptr);
    ASSERT_EQ(BuildSwfLoadStreamFromFile(path.c_str(), 1000, movie.size(), properties.get(),
                                         destination.get()),
              S_OK);
    EXPECT_EQ(ReadAll(destination.get()), ExpectedLoadStream(p, length, plain));
  }
  Held<MemoryStream> properties(NewMemoryStream(p));
  Held<MemoryStream> destination(NewMemoryStream());
  EXPECT_EQ(BuildSwfLoadStreamFromFile((dir.Path() + "/none.swf").c_str(), 0, 0, properties.get(),
                                       destination.get()),
            E_FAIL);
  EXPECT_EQ(destination->GetSize(), 0u);
}

}  // namespace
}  // namespace Halvane::IO
