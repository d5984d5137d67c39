// The host's executable path is read into a 256-byte buffer. A path that
// fills the buffer may have been cut short and is not loaded (a cut path
// could name some other file); a shorter one is. The test runs a copy of
// this program from paths of both lengths.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "WaveTestSupport.h"

namespace {

using namespace UndulaTest;

// Run only inside the copies started below.
TEST(WaveHostPath, ChildReportsWhetherTheHostWasFound) {
  const char* expect = std::getenv("UNDULA_EXPECT_HOST");
  if (expect == nullptr) GTEST_SKIP() << "runs inside WaveHostPath.PathFillingTheBufferIsNotLoaded";
  UseScreen(640, 480);
  if (std::string(expect) == "1") {
    EXPECT_EQ(Host().calls, 1);
    EXPECT_EQ(S().screenWidth, 640);
  } else {
    EXPECT_EQ(Host().calls, 0);
    EXPECT_EQ(S().screenWidth, 0);
    EXPECT_EQ(S().screenHeight, 0);
  }
}

// Copies this program to a path of exactly the given length and runs the
// child test there; returns its exit status.
int RunCopyAt(const std::string& base, std::size_t pathLength, const char* expectHost) {
  std::string dir = base;
  std::string path;
  for (;;) {
    const std::size_t rest = pathLength - dir.size() - 1;  // for the "/"
    if (rest <= 200) {
      path = dir + "/" + std::string(rest, 'x');
      break;
    }
    dir += "/" + std::string(100, 'd');
    mkdir(dir.c_str(), 0700);
  }
  {
    std::ifstream in("/proc/self/exe", std::ios::binary);
    std::ofstream out(path, std::ios::binary);
    out << in.rdbuf();
  }
  chmod(path.c_str(), 0700);
  const std::string command = "UNDULA_EXPECT_HOST=" + std::string(expectHost) + " '" + path +
                              "' --gtest_filter=WaveHostPath.ChildReportsWhetherTheHostWasFound > /dev/null 2>&1";
  const int status = std::system(command.c_str());
  std::remove(path.c_str());
  return status;
}

TEST(WaveHostPath, PathFillingTheBufferIsNotLoaded) {
  if (std::getenv("UNDULA_EXPECT_HOST") != nullptr) GTEST_SKIP();
  char pattern[] = "/tmp/undula-path-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string base = pattern;
  EXPECT_EQ(RunCopyAt(base, 254, "1"), 0) << "a path of 254 characters fits the buffer";
  EXPECT_EQ(RunCopyAt(base, 255, "0"), 0) << "a path of 255 characters fills it";
  EXPECT_EQ(RunCopyAt(base, 300, "0"), 0) << "a longer path is cut short";
  std::system(("rm -rf '" + base + "'").c_str());
}

}  // namespace
