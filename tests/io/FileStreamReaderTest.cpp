#include <gtest/gtest.h>


#include <cstring>

#include "StreamTestSupport.h"
#include "support/Handles.h"
#include "io/FileStreamReader.h"
#include "platform/File.h"

namespace Halvane::IO {
namespace {

using Testing::AllocationFailure;
using Testing::Bytes;
using Testing::Held;
using Testing::Move;
using Testing::Pattern;
using Testing::ReadAll;
using Testing::TempDir;

using Halvane::Testing::FileIsHeldOpen;

class FileStreamReaderTest : public ::testing::Test {
 protected:
  TempDir dir;
  Bytes content = Pattern(100, 7);
  std::string path = dir.Write("movie.bin", content);
};

struct WindowCase {
  const char* name;
  ULONGLONG offset;
  ULONGLONG length;
  bool opens;
  ULONGLONG windowLength;
};

TEST_F(FileStreamReaderTest, WindowsOpenOnlyWhenTheyFitInTheFile) {
  const WindowCase cases[] = {
      {"whole file", 0, 0, true, 100},
      {"offset, to the end", 40, 0, true, 60},
      {"offset and length", 40, 30, true, 30},
      {"exactly to the end", 90, 10, true, 10},
      {"empty window at the end", 100, 0, true, 0},
      {"past the end", 90, 20, false, 0},
      {"offset past the end", 101, 0, false, 0},
      {"offset + length wraps", 8, UINT64_MAX - 4, false, 0},
      {"huge offset", UINT64_MAX, 2, false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Held<FileStreamReader> r;
    const HRESULT result = CreateFileStreamReader(path.c_str(), c.offset, c.length, r.Out());
    if (!c.opens) {
      EXPECT_EQ(result, E_FAIL);
      EXPECT_EQ(r.get(), nullptr);
      EXPECT_FALSE(FileIsHeldOpen(path));
      continue;
    }
    ASSERT_EQ(result, S_OK);
    STATSTG stat{};
    EXPECT_EQ(r->Stat(&stat, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(stat.cbSize.QuadPart, c.windowLength);
    EXPECT_EQ(r->GetSize(), c.windowLength);
    EXPECT_EQ(r->GetPosition(), 0u);
    const Bytes expected(content.begin() + static_cast<long>(c.offset),
                         content.begin() + static_cast<long>(c.offset + c.windowLength));
    EXPECT_EQ(ReadAll(r.get()), expected);
  }
}

TEST_F(FileStreamReaderTest, ReadsStopAtTheWindowEnd) {
  Held<FileStreamReader> r;
  ASSERT_EQ(CreateFileStreamReader(path.c_str(), 40, 30, r.Out()), S_OK);
  std::uint8_t buffer[100] = {};
  ULONG got = 0;
  EXPECT_EQ(r->Read(buffer, 100, &got), S_OK);
  EXPECT_EQ(got, 30u);
  EXPECT_EQ(0, std::memcmp(buffer, content.data() + 40, 30));
  got = 99;
  EXPECT_EQ(r->Read(buffer, 1, &got), S_FALSE);
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(r->GetPosition(), 30u);

  ULARGE_INTEGER at{};
  EXPECT_EQ(r->Seek(Move(0), STREAM_SEEK_END, &at), S_OK);
  EXPECT_EQ(at.QuadPart, 30u);
  const std::uint8_t data = 1;
  EXPECT_EQ(r->Write(&data, 1, nullptr), E_NOTIMPL);
}

struct FileSeekCase {
  const char* name;
  LONGLONG move;
  DWORD origin;
  HRESULT result;
  ULONGLONG position;  // afterwards, relative; the start position is 10
};

TEST_F(FileStreamReaderTest, SeeksStayInsideTheWindow) {
  // The window is bytes 40..69 of the file: bytes 39 and 70 belong to the
  // surrounding file and must never be reachable.
  const FileSeekCase cases[] = {
      {"set to start", 0, STREAM_SEEK_SET, S_OK, 0},
      {"set to end", 30, STREAM_SEEK_SET, S_OK, 30},
      {"set past end", 31, STREAM_SEEK_SET, STG_E_INVALIDFUNCTION, 10},
      {"set before start", -1, STREAM_SEEK_SET, STG_E_INVALIDFUNCTION, 10},
      {"current forward", 5, STREAM_SEEK_CUR, S_OK, 15},
      {"current back to start", -10, STREAM_SEEK_CUR, S_OK, 0},
      {"current before start", -11, STREAM_SEEK_CUR, STG_E_INVALIDFUNCTION, 10},
      {"current past end", 21, STREAM_SEEK_CUR, STG_E_INVALIDFUNCTION, 10},
      {"end", 0, STREAM_SEEK_END, S_OK, 30},
      {"end back to start", -30, STREAM_SEEK_END, S_OK, 0},
      {"end before start", -31, STREAM_SEEK_END, STG_E_INVALIDFUNCTION, 10},
      {"end plus one", 1, STREAM_SEEK_END, STG_E_INVALIDFUNCTION, 10},
      {"bad origin", 0, 3, STG_E_INVALIDFUNCTION, 10},
      {"most negative", INT64_MIN, STREAM_SEEK_CUR, STG_E_INVALIDFUNCTION, 10},
      {"most positive", INT64_MAX, STREAM_SEEK_END, STG_E_INVALIDFUNCTION, 10},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Held<FileStreamReader> r;
    ASSERT_EQ(CreateFileStreamReader(path.c_str(), 40, 30, r.Out()), S_OK);
    ASSERT_EQ(r->Seek(Move(10), STREAM_SEEK_SET, nullptr), S_OK);
    ULARGE_INTEGER at;
    at.QuadPart = 777;
    EXPECT_EQ(r->Seek(Move(c.move), c.origin, &at), c.result);
    EXPECT_EQ(at.QuadPart, c.result == S_OK ? c.position : 777u);
    EXPECT_EQ(r->GetPosition(), c.position);
    // The next byte read is the window's byte at that position.
    std::uint8_t b = 0;
    ULONG got = 0;
    const HRESULT read = r->Read(&b, 1, &got);
    if (c.position < 30) {
      EXPECT_EQ(read, S_OK);
      EXPECT_EQ(b, content[40 + c.position]);
    } else {
      EXPECT_EQ(read, S_FALSE);
      EXPECT_EQ(got, 0u);
    }
  }
}

TEST(FileStreamReaderOpen, MissingPathsDirectoriesAndFailedAllocationsGiveEFail) {
  TempDir dir;
  const std::string file = dir.Write("a.swf", Pattern(10));
  const std::string missing = dir.Path() + "/missing.swf";
  FileStreamReader* r = reinterpret_cast<FileStreamReader*>(0x1);
  EXPECT_EQ(CreateFileStreamReader(missing.c_str(), 0, 0, &r), E_FAIL);
  EXPECT_EQ(CreateFileStreamReader(dir.Path().c_str(), 0, 0, &r), E_FAIL);
  EXPECT_EQ(CreateFileStreamReader(nullptr, 0, 0, &r), E_FAIL);
  EXPECT_EQ(CreateFileStreamReader("", 0, 0, &r), E_FAIL);
  {
    AllocationFailure fail(0);
    EXPECT_EQ(CreateFileStreamReader(file.c_str(), 0, 0, &r), E_FAIL);
  }
  EXPECT_EQ(r, reinterpret_cast<FileStreamReader*>(0x1));
  EXPECT_FALSE(FileIsHeldOpen(file));

  EXPECT_TRUE(Platform::PathExists(file.c_str()));
  EXPECT_TRUE(Platform::PathExists(dir.Path().c_str()));
  EXPECT_FALSE(Platform::PathExists(missing.c_str()));
  EXPECT_FALSE(Platform::PathExists(""));
}

TEST(FileStreamReaderOpen, ReleasingTheLastReferenceClosesTheFile) {
  TempDir dir;
  const std::string file = dir.Write("a.swf", Pattern(10));
  EXPECT_FALSE(FileIsHeldOpen(file));
  FileStreamReader* r = nullptr;
  ASSERT_EQ(CreateFileStreamReader(file.c_str(), 0, 0, &r), S_OK);
  EXPECT_TRUE(FileIsHeldOpen(file));
  EXPECT_EQ(r->AddRef(), 2u);
  EXPECT_EQ(r->Release(), 1u);
  EXPECT_TRUE(FileIsHeldOpen(file));
  EXPECT_EQ(r->Release(), 0u);
  EXPECT_FALSE(FileIsHeldOpen(file));
}

}  // namespace
}  // namespace Halvane::IO
