// Data archives: stored entries become windows; anything else is left out,
// and a damaged archive is refused without reading past its end.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/HostFiles.h"
#include "host/ZipArchive.h"

namespace Halvane::Host {
namespace {

const char* kArchive = "data/archive.zip";

std::vector<char> ReadAll(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(file), {});
}

std::string WriteTemporary(const std::string& name, const std::vector<char>& bytes) {
  const std::string path = ::testing::TempDir() + name;
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

TEST(ZipArchiveTest, StoredEntriesAreWindowsOfTheArchive) {
  ZipArchive archive;
  ASSERT_TRUE(archive.Open(kArchive));
  const std::vector<char> bytes = ReadAll(kArchive);
  ArchiveWindow window;
  ASSERT_TRUE(archive.Find("readme.txt", window));
  EXPECT_EQ(std::string(bytes.data() + window.offset, window.length), "stored entry\n");
  ASSERT_TRUE(archive.Find("movies/intro.swf", window));
  EXPECT_EQ(std::string(bytes.data() + window.offset, 3), "FWS");
  EXPECT_EQ(window.length, 16u);
}

TEST(ZipArchiveTest, CompressedEmptyAndUnknownEntriesAreNotOffered) {
  ZipArchive archive;
  ASSERT_TRUE(archive.Open(kArchive));
  ArchiveWindow window{7, 7};
  EXPECT_FALSE(archive.Find("packed.txt", window));
  EXPECT_FALSE(archive.Find("empty.txt", window));  // length 0 would mean "the rest"
  EXPECT_FALSE(archive.Find("README.TXT", window));
  EXPECT_FALSE(archive.Find("movies", window));
  EXPECT_EQ(window.offset, 7u);
  EXPECT_EQ(archive.EntryCount(), 2u);
}

TEST(ZipArchiveTest, DamagedArchivesAreRefusedOrLoseOnlyTheirBadEntries) {
  const std::vector<char> good = ReadAll(kArchive);
  ASSERT_GT(good.size(), 100u);
  ZipArchive archive;
  EXPECT_FALSE(archive.Open("data/missing.zip"));
  EXPECT_FALSE(archive.Open(WriteTemporary("tiny.zip", {'P', 'K'})));
  EXPECT_FALSE(archive.Open(WriteTemporary("plain.zip", std::vector<char>(500, 'x'))));

  // Cut anywhere: never a crash, and never an entry reaching past the end.
  for (std::size_t cut = 0; cut < good.size(); cut += 7) {
    const std::vector<char> part(good.begin(), good.begin() + static_cast<long>(cut));
    ZipArchive piece;
    if (!piece.Open(WriteTemporary("cut.zip", part))) continue;
    ArchiveWindow window;
    if (piece.Find("readme.txt", window)) {
      EXPECT_LE(window.offset + window.length, cut);
    }
  }

  // Every byte of the directory overwritten in turn: still safe.
  for (std::size_t at = good.size() - 22 - 200; at < good.size(); ++at) {
    std::vector<char> bad = good;
    bad[at] = static_cast<char>(0xFF);
    ZipArchive damaged;
    if (!damaged.Open(WriteTemporary("bad.zip", bad))) continue;
    for (const char* name : {"readme.txt", "movies/intro.swf"}) {
      ArchiveWindow window;
      if (damaged.Find(name, window)) {
        EXPECT_LE(std::size_t{window.offset} + window.length, bad.size());
      }
    }
  }
}

TEST(HostFilesTest, NamesOutsideTheDataAreNeverFound) {
  HostFiles files;
  ASSERT_TRUE(files.AddArchive(kArchive));
  ASSERT_TRUE(files.AddFolder("data/folder"));
  EXPECT_FALSE(files.AddFolder("data/archive.zip"));
  EXPECT_FALSE(files.AddArchive("data/folder"));
  FileAnswer answer;
  EXPECT_TRUE(files.FindInFolders("plain.txt", answer));
  EXPECT_EQ(answer.offset, 0u);
  EXPECT_EQ(answer.length, 0u);
  for (const char* name : {"", "../archive.zip", "/etc/passwd", "a/../../x", ".."}) {
    EXPECT_FALSE(files.FindInFolders(name, answer)) << name;
    EXPECT_FALSE(files.FindInArchives(name, answer)) << name;
  }
  EXPECT_FALSE(files.FindInFolders(".", answer));  // a folder is not a file
}

TEST(HostFilesTest, AnswerFillsTheCallersBufferOnlyWhenThePathFits) {
  char path[HostFiles::kPathBufferSize + 4];
  std::memset(path, 'g', sizeof path);
  std::int32_t offset = -1, length = -1;
  FileAnswer fits{std::string(260, 'p'), 12, 34};
  EXPECT_EQ(HostFiles::Answer(true, fits, path, &offset, &length), 1);
  EXPECT_EQ(path[260], 0);
  EXPECT_EQ(path[261], 'g');
  EXPECT_EQ(offset, 12);
  EXPECT_EQ(length, 34);

  std::memset(path, 'g', sizeof path);
  offset = length = -1;
  FileAnswer tooLong{std::string(261, 'p'), 1, 1};
  EXPECT_EQ(HostFiles::Answer(true, tooLong, path, &offset, &length), 0);
  EXPECT_EQ(path[0], 'g');
  EXPECT_EQ(offset, -1);
  EXPECT_EQ(HostFiles::Answer(true, fits, nullptr, &offset, &length), 0);
  EXPECT_EQ(HostFiles::Answer(false, fits, path, &offset, &length), 0);
}

}  // namespace
}  // namespace Halvane::Host
