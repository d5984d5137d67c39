// Threads started with their queue ready, exit codes, joins, events and the
// lock, through the classes the player derives from and holds.
#include <gtest/gtest.h>

#include <atomic>

#include "threading/CriticalSection.h"
#include "threading/EventHandle.h"
#include "threading/Thread.h"

namespace Halvane::Threading {
namespace {

using Platform::ThreadMessage;

// Ends with the wParam of the first message it takes.
class EchoThread : public Thread {
 protected:
  std::uint32_t Run() override {
    ThreadMessage message;
    if (Platform::GetThreadMessage(&message) < 0) return 0xDEAD;
    return static_cast<std::uint32_t>(message.wParam);
  }
};

// Runs until it is told to quit, counting the runs.
class QuitThread : public Thread {
 public:
  std::atomic<int> runs{0};

 protected:
  std::uint32_t Run() override {
    ++runs;
    ThreadMessage message;
    while (Platform::GetThreadMessage(&message) > 0) {
    }
    return 0;
  }
};

class FixedCodeThread : public Thread {
 protected:
  std::uint32_t Run() override { return 7; }
};

void Quit(Thread& thread) {
  ASSERT_TRUE(Platform::PostThreadMessageTo(thread.Identifier(), Platform::kQuitMessage, 0, 0));
  thread.Join();
}

TEST(Thread, AMessagePostedRightAfterStartReachesTheNewThread) {
  for (int round = 0; round < 50; ++round) {
    EchoThread thread;
    ASSERT_EQ(thread.Start(), 1);
    ASSERT_NE(thread.Identifier(), 0u);
    ASSERT_TRUE(Platform::PostThreadMessageTo(thread.Identifier(), Platform::kAppMessage + 1,
                                              1000 + round, 0));
    thread.Join();
    std::uint32_t code = 0;
    EXPECT_FALSE(thread.ExitCode(&code)) << "joined: no thread left";
    EXPECT_EQ(thread.Identifier(), 0u);
    EXPECT_EQ(thread.Handle(), Platform::kInvalidHandle);
  }
}

TEST(Thread, ExitCodeIsRunsResultAndTheBaseRunGivesZero) {
  FixedCodeThread seven;
  ASSERT_EQ(seven.Start(), 1);
  ASSERT_TRUE(Platform::WaitForThreadEnd(seven.Handle()));
  std::uint32_t code = 0;
  ASSERT_TRUE(seven.ExitCode(&code));
  EXPECT_EQ(code, 7u);
  EXPECT_FALSE(seven.IsRunning());

  Thread plain;
  ASSERT_EQ(plain.Start(), 1);
  ASSERT_TRUE(Platform::WaitForThreadEnd(plain.Handle()));
  ASSERT_TRUE(plain.ExitCode(&code));
  EXPECT_EQ(code, 0u);
}

TEST(Thread, StartWhileRunningKeepsTheRunningThreadAndStartsNoOther) {
  QuitThread thread;
  ASSERT_EQ(thread.Start(), 1);
  const Platform::ThreadId first = thread.Identifier();
  EXPECT_TRUE(thread.IsRunning());
  EXPECT_EQ(thread.Start(), 0);
  EXPECT_EQ(thread.Identifier(), first);
  Quit(thread);
  EXPECT_EQ(thread.runs.load(), 1);
  EXPECT_FALSE(thread.IsRunning());

  // Joined, it starts again as a new thread.
  ASSERT_EQ(thread.Start(), 1);
  EXPECT_TRUE(thread.IsRunning());
  Quit(thread);
  EXPECT_EQ(thread.runs.load(), 2);
}

Platform::NativeHandle FailToBegin(Platform::ThreadRoutine, void*, Platform::ThreadId* id) {
  *id = 1234;  // whatever the platform left there must not be kept
  return Platform::kInvalidHandle;
}

TEST(Thread, WithoutAThreadNothingRunsAndJoinAndDestructionDoNotWait) {
  Thread never;
  EXPECT_FALSE(never.IsRunning());
  never.Join();

  const Platform::ThreadServices failing{&FailToBegin, &Platform::PostThreadMessageTo};
  QuitThread thread;
  thread.threadServices = &failing;
  EXPECT_EQ(thread.Start(), 0);
  EXPECT_EQ(thread.Handle(), Platform::kInvalidHandle);
  EXPECT_EQ(thread.Identifier(), 0u);
  EXPECT_FALSE(thread.IsRunning());
  EXPECT_EQ(thread.runs.load(), 0);
}

TEST(EventHandle, IsManualResetAndWithoutAnEventHoldsMinusOneAndRefusesEverything) {
  EventHandle event;
  EXPECT_EQ(event.Handle(), Platform::kInvalidHandle);
  EXPECT_FALSE(event.Set());
  EXPECT_FALSE(event.IsSignalled());
  EXPECT_EQ(Platform::WaitForEvent(event.Handle(), Platform::kWaitForever),
            Platform::WaitOutcome::Failed)
      << "a wait on it returns at once";

  ASSERT_TRUE(event.Create());
  EXPECT_FALSE(event.IsSignalled());
  EXPECT_TRUE(event.Set());
  EXPECT_TRUE(event.IsSignalled() && event.IsSignalled()) << "a wait does not reset it";
  EXPECT_TRUE(event.Reset());
  EXPECT_FALSE(event.IsSignalled());
}

TEST(CriticalSection, TheThreadThatHoldsItMayTakeItAgain) {
  CriticalSection section;
  CriticalSectionGuard outer(section);
  CriticalSectionGuard inner(section);  // would wait for ever if it were not recursive
}

}  // namespace
}  // namespace Halvane::Threading
