// Long runs: many open/close cycles of real movies give back every thread,
// handle and byte they took (LeakSanitizer sees the bytes), and many requests
// on one movie each get their own answer, none lost, none stale.
#include <gtest/gtest.h>

#include "FakeControl.h"
#include "PlayerTestSupport.h"
#include "support/ProcessObjects.h"

namespace Halvane::ActiveX::Testing {
namespace {

using Halvane::Testing::TempFolder;

TEST(PlayerStress, OpenCloseCyclesGiveBackEveryKernelObject) {
  FakeControl::Uninstall();
  TempFolder folder("vm-stress");
  const std::string first = WriteMovie(folder, 4, false, "first.swf");
  const std::string second = WriteMovie(folder, 6, true, "second.swf");
  SwfPlayer player(320, 240);

  auto cycle = [&](int i) {
    const std::string& movie = i % 2 == 0 ? first : second;
    if (player.BeginOpen(movie.c_str(), 0, 0) != 1 || player.EndOpen() != 1) return false;
    if (player.GetTotalFrames() != (i % 2 == 0 ? 4 : 6)) return false;
    // Every third movie is ended by the next open instead of by Close.
    if (i % 3 != 0) player.Close();
    return true;
  };
  ASSERT_TRUE(cycle(0));
  player.Close();
  const std::size_t before = Halvane::Testing::KernelObjectCount();
  for (int i = 1; i <= VM_OPEN_CLOSE_CYCLES; ++i) {
    ASSERT_TRUE(cycle(i)) << "cycle " << i;
  }
  player.Close();
  EXPECT_EQ(Halvane::Testing::KernelObjectCount(), before);
}

TEST(PlayerStress, EveryRequestGetsItsOwnAnswer) {
  FakeBehaviour counting;
  counting.countFrameQueries = true;  // each query answers the next number
  FakeControl::Install(counting);
  TempFolder folder("vm-stress");
  const std::string movie = WriteMovie(folder);
  SwfPlayer player(320, 240);
  ASSERT_EQ(player.BeginOpen(movie.c_str(), 0, 0), 1);
  ASSERT_EQ(player.EndOpen(), 1);
  for (std::int32_t expected = 1; expected <= VM_STRESS_REQUESTS; ++expected) {
    const std::int32_t answer = player.GetCurrentFrame();
    if (answer != expected) {
      FAIL() << "request " << expected << " answered " << answer;
    }
  }
  player.Close();
  FakeControl::Uninstall();
  EXPECT_EQ(FakeControl::Alive(), 0);
}

}  // namespace
}  // namespace Halvane::ActiveX::Testing
