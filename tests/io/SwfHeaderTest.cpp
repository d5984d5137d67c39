#include <gtest/gtest.h>

#include "StreamTestSupport.h"
#include "io/SwfHeader.h"

namespace Halvane::IO {
namespace {

using Testing::Bytes;
using Testing::FakeStream;
using Testing::Held;
using Testing::Move;
using Testing::NewMemoryStream;

struct HeaderCase {
  const char* name;
  Bytes bytes;
  bool checkSignature;
  HRESULT result;
  int compressed;
  BYTE version;
  ULONG length;
};

TEST(PeekSwfHeader, ReadsTheHeaderAndRestoresThePosition) {
  const HeaderCase cases[] = {
      {"FWS", {'F', 'W', 'S', 9, 0x14, 0, 0, 0, 0xAA}, true, S_OK, 0, 9, 20},
      {"CWS", {'C', 'W', 'S', 6, 0x78, 0x56, 0x34, 0x12}, true, S_OK, 1, 6, 0x12345678},
      {"largest length", {'F', 'W', 'S', 255, 0xFF, 0xFF, 0xFF, 0xFF}, true, S_OK, 0, 255, 0xFFFFFFFF},
      {"lower case signature", {'f', 'w', 's', 9, 20, 0, 0, 0}, true, E_FAIL, 0, 0, 0},
      {"other signature", {'Z', 'W', 'S', 9, 20, 0, 0, 0}, true, E_FAIL, 0, 0, 0},
      {"other signature, unchecked", {'Z', 'W', 'S', 9, 16, 0, 0, 0}, false, S_OK, 0, 9, 16},
      {"seven bytes", {'F', 'W', 'S', 9, 20, 0, 0}, true, E_FAIL, 0, 0, 0},
      {"seven bytes, unchecked", {'F', 'W', 'S', 9, 20, 0, 0}, false, E_FAIL, 0, 0, 0},
      {"two bytes", {'F', 'W'}, true, E_FAIL, 0, 0, 0},
      {"empty", {}, false, E_FAIL, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    // The header sits 3 bytes into the stream: reading starts at the position.
    Bytes content = {1, 2, 3};
    content.insert(content.end(), c.bytes.begin(), c.bytes.end());
    Held<MemoryStream> s(NewMemoryStream(content));
    s->Seek(Move(3), STREAM_SEEK_SET, nullptr);
    int compressed = -1;
    BYTE version = 77;
    ULONG length = 77;
    EXPECT_EQ(PeekSwfHeader(s.get(), c.checkSignature ? &compressed : nullptr, &version, &length),
              c.result);
    EXPECT_EQ(s->GetPosition(), 3u);
    if (c.result == S_OK) {
      if (c.checkSignature) {
        EXPECT_EQ(compressed, c.compressed);
      }
      EXPECT_EQ(version, c.version);
      EXPECT_EQ(length, c.length);
    } else {
      EXPECT_EQ(compressed, -1);  // out-parameters are written only on success
      EXPECT_EQ(version, 77);
      EXPECT_EQ(length, 77u);
    }
  }
}

TEST(PeekSwfHeader, PassesOnTheSourcesReadFailure) {
  FakeStream source;
  source.readable = 3;  // the signature, then a failing read
  source.readFails = true;
  source.readFailure = STG_E_INVALIDFUNCTION;
  ULONG length = 77;
  EXPECT_EQ(PeekSwfHeader(&source, nullptr, nullptr, &length), STG_E_INVALIDFUNCTION);
  EXPECT_EQ(length, 77u);
  EXPECT_EQ(source.position, 0u);
  EXPECT_EQ(PeekSwfHeader(nullptr, nullptr, nullptr, &length), E_FAIL);
}

}  // namespace
}  // namespace Halvane::IO
