// The player's open/close cycle and its worker: opening real movies, the
// states between BeginOpen, EndOpen and Close, what carries over to the next
// movie, and set-ups that fail or take their time, with stand-in controls
// registered under the control's class.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include "FakeControl.h"
#include "PlayerTestSupport.h"
#include "platform/ComClasses.h"

namespace Halvane::ActiveX::Testing {
namespace {

using Halvane::Testing::TempFolder;

class Player : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeControl::Uninstall();  // the real control unless a test installs a stand-in
    movie = WriteMovie(folder);
  }
  void TearDown() override { FakeControl::Uninstall(); }

  TempFolder folder{"vm-player"};
  std::string movie;
  PlayerProbe player{640, 480};
};

TEST_F(Player, OpensInTwoStepsAndPublishesTheMovieOnlyWhenTheControlIsReady) {
  EXPECT_EQ(player.IsClosed(), 1);
  EXPECT_EQ(player.EndOpen(), 0) << "nothing begun";
  EXPECT_EQ(player.IsClosed(), 1);
  ASSERT_EQ(player.BeginOpen(movie.c_str(), 0, 0), 1);
  EXPECT_TRUE(player.IsRunning());
  EXPECT_EQ(player.IsClosed(), 1) << "still closed between the two steps";
  EXPECT_EQ(player.FileName(), "");
  EXPECT_EQ(player.GetTotalFrames(), -1) << "nothing reaches the worker before EndOpen";

  ASSERT_EQ(player.EndOpen(), 1);
  EXPECT_EQ(player.IsClosed(), 0);
  EXPECT_EQ(player.FileName(), movie);
  EXPECT_EQ(player.GetTotalFrames(), 10);
  EXPECT_EQ(player.IsPlaying(), 0) << "a fresh movie waits for Play";

  ASSERT_EQ(player.EndOpen(), 1) << "again on an open player";
  EXPECT_EQ(player.FileName(), movie);
  EXPECT_EQ(player.IsClosed(), 0);

  player.Close();
  EXPECT_EQ(player.IsClosed(), 1);
  EXPECT_FALSE(player.IsRunning());
  EXPECT_EQ(player.FileName(), "");
  EXPECT_FALSE(player.threadRunningEvent.IsSignalled());
  EXPECT_FALSE(player.controlReadyEvent.IsSignalled());
  player.Close();  // twice is harmless
  EXPECT_EQ(player.IsClosed(), 1);
}

TEST_F(Player, OpensAMovieFromAWindowOfALargerFileAndCompressedMovies) {
  Tools::SwfBuilder builder;
  for (int i = 0; i < 3; ++i) builder.ShowFrame();
  const Tools::Bytes inner = builder.End().Build(true);
  // Sized first: GCC 12 warns wrongly about inserts that grow small vectors.
  Tools::Bytes archive;
  archive.reserve(100 + inner.size() + 50);
  archive.assign(100, 0xEE);
  archive.insert(archive.end(), inner.begin(), inner.end());
  archive.insert(archive.end(), 50, 0xEE);
  const std::string path = folder.Write("archive.bin", archive);

  ASSERT_EQ(player.BeginOpen(path.c_str(), 100, static_cast<std::int64_t>(inner.size())), 1);
  ASSERT_EQ(player.EndOpen(), 1);
  EXPECT_EQ(player.SourceOffset(), 100);
  EXPECT_EQ(player.SourceSize(), static_cast<std::int64_t>(inner.size()));
  EXPECT_EQ(player.GetTotalFrames(), 3);
  player.Close();
  EXPECT_EQ(player.SourceOffset(), 0);
  EXPECT_EQ(player.SourceSize(), 0);
}

TEST_F(Player, BadFilesFailWithoutAWorkerLeftAndCloseTheMovieOpenBefore) {
  ASSERT_EQ(player.BeginOpen(movie.c_str(), 0, 0), 1);
  ASSERT_EQ(player.EndOpen(), 1);
  EXPECT_EQ(player.BeginOpen((folder.Path() + "/none.swf").c_str(), 0, 0), 0);
  EXPECT_EQ(player.IsClosed(), 1);
  EXPECT_FALSE(player.IsRunning());
  EXPECT_EQ(player.BeginOpen(nullptr, 0, 0), 0);
  struct Case {
    const char* what;
    Tools::Bytes content;
    std::int64_t offset;
  } cases[] = {
      {"shorter than a header", {'F', 'W', 'S', 10}, 0},
      {"not a movie", Tools::Bytes(64, 'x'), 0},
      // A length field of almost 4 GiB is refused before anything is allocated.
      {"length beyond any stream", {'F', 'W', 'S', 10, 0xF0, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}, 0},
      {"negative offset", Tools::Bytes(64, 'x'), -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = folder.Write("bad.swf", c.content);
    if (player.BeginOpen(path.c_str(), c.offset, 0) == 1) {
      EXPECT_EQ(player.EndOpen(), 0);
    }
    EXPECT_EQ(player.IsClosed(), 1);
    EXPECT_FALSE(player.IsRunning());
  }
}

TEST_F(Player, DestroyingAnOpenPlayerEndsItsWorkerFirst) {
  auto open = std::make_unique<PlayerProbe>(100, 100);
  ASSERT_EQ(open->BeginOpen(movie.c_str(), 0, 0), 1);
  ASSERT_EQ(open->EndOpen(), 1);
  ASSERT_EQ(open->Play(), 1);
  open.reset();  // the sanitizers see any use of the freed player by the worker

  auto opening = std::make_unique<PlayerProbe>(100, 100);
  ASSERT_EQ(opening->BeginOpen(movie.c_str(), 0, 0), 1);
  opening.reset();
}

TEST_F(Player, QualityLoopAndSizeSetWhileClosedGoIntoTheStreamTheControlLoads) {
  FakeControl::Install(FakeBehaviour());
  ASSERT_EQ(player.SetQuality(0), 1);
  ASSERT_EQ(player.SetLoop(0), 1);
  ASSERT_EQ(player.Resize(300, 200), 1);
  Tools::SwfBuilder builder;
  const Tools::Bytes file = builder.ShowFrame().End().Build(false);
  ASSERT_EQ(player.BeginOpen(folder.Write("one.swf", file).c_str(), 0, 0), 1);
  ASSERT_EQ(player.EndOpen(), 1);
  const FakeLog log = FakeControl::Log();
  const std::vector<std::string> expected = {
      "put_Quality(0)", "put_Loop(0)", "put_Playing(0)", "put_WMode(Transparent)", "Save", "Load"};
  EXPECT_EQ(log.calls, expected);
  // Marker, saved bytes 1..3, the movie's length, the movie, the rest.
  ASSERT_EQ(log.loadStream.size(), 8 + file.size() + 4);
  EXPECT_EQ(log.loadStream[0], 0x66);
  EXPECT_EQ(Tools::Bytes(log.loadStream.begin() + 1, log.loadStream.begin() + 4),
            (Tools::Bytes{'A', 'K', 'E'}));
  EXPECT_EQ(Tools::Bytes(log.loadStream.begin() + 8, log.loadStream.begin() + 8 + file.size()),
            file);
  EXPECT_EQ(player.GetLoop(), 0) << "asked of the control now";
  EXPECT_EQ(player.GetQuality(), 0);

  player.Close();
  EXPECT_EQ(player.GetQuality(), 0);
  EXPECT_EQ(player.GetLoop(), 0);
  EXPECT_EQ(player.GetWidth(), 300);
  EXPECT_EQ(player.GetHeight(), 200);
  EXPECT_EQ(FakeControl::Alive(), 0) << "the worker let both controls go";
}

TEST_F(Player, AControlThatCannotBeCreatedFailsAtEndOpenAndLeavesNoWorker) {
  struct Case {
    const char* what;
    bool registered;
    HRESULT createResult;
  } cases[] = {
      {"class not registered", false, S_OK},
      {"factory fails", true, E_OUTOFMEMORY},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeBehaviour behaviour;
    behaviour.createResult = c.createResult;
    FakeControl::Install(behaviour);
    if (!c.registered) Platform::RevokeComClass(CLSID_ShockwaveFlash);
    // 1 when the worker still ran at the first look, 0 when it had ended.
    if (player.BeginOpen(movie.c_str(), 0, 0) == 1) {
      EXPECT_EQ(player.EndOpen(), 0);
    }
    EXPECT_EQ(player.IsClosed(), 1);
    EXPECT_FALSE(player.IsRunning());
    EXPECT_EQ(FakeControl::Alive(), 0);
  }
}

TEST_F(Player, APropertyTheControlRefusesEndsSetUp) {
  for (const char* property : {"Quality", "Loop", "Playing", "WMode"}) {
    SCOPED_TRACE(property);
    FakeBehaviour behaviour;
    behaviour.refuseProperty = property;
    FakeControl::Install(behaviour);
    if (player.BeginOpen(movie.c_str(), 0, 0) == 1) {
      EXPECT_EQ(player.EndOpen(), 0);
    }
    EXPECT_EQ(player.IsClosed(), 1);
    EXPECT_FALSE(player.IsRunning());
    EXPECT_EQ(FakeControl::Alive(), 0);
    const std::vector<std::string> calls = FakeControl::Log().calls;
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().rfind(std::string("put_") + property, 0), 0u)
        << "set-up stops at the refused property";
  }
}

TEST_F(Player, ASlowSetUpIsWaitedForByEndOpenAndByClose) {
  FakeBehaviour slow;
  slow.setupMilliseconds = 150;
  FakeControl::Install(slow);
  ASSERT_EQ(player.BeginOpen(movie.c_str(), 0, 0), 1);
  EXPECT_EQ(player.IsClosed(), 1);
  ASSERT_EQ(player.EndOpen(), 1);
  EXPECT_EQ(player.GetTotalFrames(), 12);

  ASSERT_EQ(player.BeginOpen(movie.c_str(), 0, 0), 1);
  player.Close();  // lets the set-up finish, then ends the worker
  EXPECT_FALSE(player.IsRunning());
  EXPECT_EQ(FakeControl::Alive(), 0);
  std::vector<std::string> calls = FakeControl::Log().calls;
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "Load"), 2);
}

TEST_F(Player, AReadyEventSetByAWorkerThatHasEndedCountsAsNotSet) {
  FakeBehaviour quitting;
  quitting.quitOnLoad = true;  // the worker ends right after signalling readiness
  quitting.setupMilliseconds = 100;  // but still runs when BeginOpen looks
  FakeControl::Install(quitting);
  ASSERT_EQ(player.BeginOpen(movie.c_str(), 0, 0), 1);
  player.AwaitWorkerEnd();
  ASSERT_TRUE(player.controlReadyEvent.IsSignalled());
  EXPECT_EQ(player.WaitForWorkerEvent(player.controlReadyEvent), 0);
  EXPECT_EQ(player.EndOpen(), 0);
  EXPECT_EQ(player.IsClosed(), 1);
  EXPECT_FALSE(player.controlReadyEvent.IsSignalled()) << "EndOpen closed the player";
}

Platform::NativeHandle NoThread(Platform::ThreadRoutine, void*, Platform::ThreadId* id) {
  *id = 0;
  return Platform::kInvalidHandle;
}

TEST_F(Player, AWorkerThatCannotBeStartedMakesBeginOpenFail) {
  const Platform::ThreadServices noThreads{&NoThread, &Platform::PostThreadMessageTo};
  player.threadServices = &noThreads;
  EXPECT_EQ(player.BeginOpen(movie.c_str(), 0, 0), 0);
  EXPECT_EQ(player.IsClosed(), 1);
  EXPECT_EQ(player.EndOpen(), 0);
  player.threadServices = &Platform::SystemThreadServices();
  ASSERT_EQ(player.BeginOpen(movie.c_str(), 0, 0), 1);
  EXPECT_EQ(player.EndOpen(), 1);
}

TEST_F(Player, TheWorkerRunsTheControlsOwnTimerBetweenRequests) {
  FakeBehaviour clocked;
  clocked.frameInterval = 5;
  FakeControl::Install(clocked);
  ASSERT_EQ(player.BeginOpen(movie.c_str(), 0, 0), 1);
  ASSERT_EQ(player.EndOpen(), 1);
  for (int wait = 0; wait < 500 && FakeControl::Log().clockTicks < 3; ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_GE(FakeControl::Log().clockTicks, 3);
  EXPECT_EQ(player.GetTotalFrames(), 12) << "requests still come through between ticks";
}

TEST_F(Player, APlayingMovieMovesOnByItselfWithTheRealControl) {
  ASSERT_EQ(player.BeginOpen(movie.c_str(), 0, 0), 1);
  ASSERT_EQ(player.EndOpen(), 1);
  ASSERT_EQ(player.GetCurrentFrame(), 0);
  ASSERT_EQ(player.Play(), 1);
  int frame = 0;
  for (int wait = 0; wait < 500 && frame == 0; ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    frame = player.GetCurrentFrame();
  }
  EXPECT_GT(frame, 0);
}

}  // namespace
}  // namespace Halvane::ActiveX::Testing
