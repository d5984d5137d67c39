// The host's executable path is read into a buffer of the platform's path
// limit: 256 bytes where that is the platform's own limit, room for any path
// where paths can be longer. A path that fills the buffer may have been cut
// short and is not loaded (a cut path could name some other file). The test
// runs copies of this program from short and deep folders.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "../WaveTestSupport.h"
#include "platform/HostModule.h"

namespace {

using namespace UndulaTest;

// Run only inside the copies started below.
TEST(WaveHostPath, ChildReportsWhetherTheHostWasFound) {
  const char* expect = std::getenv("UNDULA_EXPECT_HOST");
  if (expect == nullptr) GTEST_SKIP() << "runs inside WaveHostPath.HostIsFoundFromShortAndDeepFolders";
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

TEST(WaveHostPath, HostIsFoundFromShortAndDeepFolders) {
  if (std::getenv("UNDULA_EXPECT_HOST") != nullptr) GTEST_SKIP();
  char pattern[] = "/tmp/undula-path-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string base = pattern;
  const std::size_t buffer = Halvane::Platform::ExecutablePathBufferSize(256);
  for (std::size_t length : {std::size_t{254}, std::size_t{255}, std::size_t{300}, std::size_t{1500}}) {
    const char* found = length < buffer - 1 ? "1" : "0";
    EXPECT_EQ(RunCopyAt(base, length, found), 0) << "a path of " << length << " characters";
  }
  std::system(("rm -rf '" + base + "'").c_str());
}

}  // namespace
