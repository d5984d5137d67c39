// The platform's thread message queues, timers and the wait for an event or
// a thread's end, as the player's worker and host thread use them.
#include <gtest/gtest.h>

#include <vector>

#include "platform/Threads.h"
#include "threading/EventHandle.h"
#include "threading/Thread.h"

namespace Halvane::Platform {
namespace {

// Collects every message until the quit message.
class Collector : public Threading::Thread {
 public:
  std::vector<std::uint32_t> seen;

 protected:
  std::uint32_t Run() override {
    ThreadMessage message;
    int got;
    while ((got = GetThreadMessage(&message)) > 0) seen.push_back(message.message);
    return got == 0 ? static_cast<std::uint32_t>(message.wParam) : 0xDEAD;
  }
};

TEST(ThreadQueue, DeliversInPostingOrderAndEndsWithTheQuitMessage) {
  Collector thread;
  ASSERT_EQ(thread.Start(), 1);
  for (std::uint32_t code = kAppMessage + 101; code <= kAppMessage + 117; ++code) {
    ASSERT_TRUE(PostThreadMessageTo(thread.Identifier(), code, 0, 0));
  }
  ASSERT_TRUE(PostThreadMessageTo(thread.Identifier(), kQuitMessage, 3, 0));
  const ThreadId id = thread.Identifier();
  ASSERT_TRUE(WaitForThreadEnd(thread.Handle()));
  std::uint32_t code = 0;
  ASSERT_TRUE(thread.ExitCode(&code));
  EXPECT_EQ(code, 3u) << "GetThreadMessage answers 0 with the quit message's wParam";
  ASSERT_EQ(thread.seen.size(), 17u);
  for (std::size_t i = 0; i < thread.seen.size(); ++i) EXPECT_EQ(thread.seen[i], kAppMessage + 101 + i);
  EXPECT_FALSE(PostThreadMessageTo(id, kAppMessage, 0, 0)) << "an ended thread has no queue";
  thread.Join();
  EXPECT_FALSE(PostThreadMessageTo(0, kAppMessage, 0, 0)) << "identifier 0 is no thread";
}

TEST(ThreadQueue, TimerMessagesCarryTheTimerAndComeOnlyWhenNothingIsPosted) {
  EnsureThreadMessageQueue();
  const std::uintptr_t timer = StartThreadTimer(10);
  ASSERT_NE(timer, 0u);
  ThreadMessage message;
  ASSERT_EQ(GetThreadMessage(&message), 1);
  EXPECT_EQ(message.message, kTimerMessage);
  EXPECT_EQ(message.wParam, timer);
  EXPECT_EQ(message.window, nullptr);

  ASSERT_TRUE(PostThreadMessageTo(CurrentThreadId(), kAppMessage + 5, 0, 0));
  ASSERT_EQ(GetThreadMessage(&message), 1);
  EXPECT_EQ(message.message, kAppMessage + 5) << "posted messages come before a timer";
  StopThreadTimer(timer);

  // Without the timer only posted messages come out.
  ASSERT_TRUE(PostThreadMessageTo(CurrentThreadId(), kAppMessage + 6, 0, 0));
  ASSERT_EQ(GetThreadMessage(&message), 1);
  EXPECT_EQ(message.message, kAppMessage + 6);
}

void CountTick(void* count) { ++*static_cast<int*>(count); }

TEST(ThreadQueue, ACallbackTimerIsCalledWhenItsMessageIsDispatchedAndNeverAfterItStops) {
  EnsureThreadMessageQueue();
  int ticks = 0;
  const std::uintptr_t timer = StartCallbackTimer(5, &CountTick, &ticks);
  ASSERT_NE(timer, 0u);
  ThreadMessage message;
  ASSERT_EQ(GetThreadMessage(&message), 1);
  EXPECT_EQ(message.message, kTimerMessage);
  EXPECT_EQ(ticks, 0) << "taking the message does not call the timer";
  DispatchThreadMessage(message);
  EXPECT_EQ(ticks, 1);
  StopCallbackTimer(timer);
  DispatchThreadMessage(message);
  EXPECT_EQ(ticks, 1) << "a message of a stopped timer calls nothing";
  EXPECT_EQ(StartCallbackTimer(5, nullptr, nullptr), 0u);
}

TEST(EventOrThreadEnd, WakesWhenTheThreadEndsWithoutTheEvent) {
  Threading::EventHandle event;
  ASSERT_TRUE(event.Create());
  Collector thread;
  ASSERT_EQ(thread.Start(), 1);
  ASSERT_TRUE(PostThreadMessageTo(thread.Identifier(), kQuitMessage, 0, 0));
  EXPECT_EQ(WaitForEventOrThreadEnd(event.Handle(), thread.Handle()), WaitOutcome::Signalled);
  EXPECT_FALSE(event.IsSignalled());
  // An ended thread stays ended: the wait returns at once again.
  EXPECT_EQ(WaitForEventOrThreadEnd(event.Handle(), thread.Handle()), WaitOutcome::Signalled);
  thread.Join();
}

}  // namespace
}  // namespace Halvane::Platform
