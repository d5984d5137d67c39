// Lazy set-up through the exports, binding of the host functions once per
// process, the tick source and Timer, all with driven clocks.
#include <cstring>
#include <string>
#include <vector>

#include "TestHost.h"
#include "platform/HostModule.h"
#include "platform/Ticks.h"
#include "plugin/HostFunctions.h"
#include "plugin/TickSource.h"

namespace Halvane::VlmPlugIn::Testing {
namespace {

using LifecycleTest = PlugInTest;

TEST_F(LifecycleTest, FirstMessageSetsThePlugInUpAsInitializeWould) {
  ASSERT_EQ(plugin().initialised, 0);
  std::int32_t intResult = 0;
  EXPECT_EQ(Send("SwfGetInterval()", &intResult), 0);
  EXPECT_EQ(plugin().initialised, 1);
  EXPECT_EQ(plugin().screenWidth, 800);
  EXPECT_EQ(plugin().screenHeight, 600);
  EXPECT_EQ(plugin().fileName, "");
  EXPECT_EQ(plugin().pendingFileName, "");
  EXPECT_EQ(HostEntries().hostBound, 1);
  EXPECT_EQ(intResult, 50);
}

TEST_F(LifecycleTest, TimerAndDrawSetUpFirstTooButFinalizeDoesNot) {
  ::Finalize();
  EXPECT_EQ(plugin().initialised, 0);
  EXPECT_EQ(HostEntries().hostBound, 0);
  ::Timer();
  EXPECT_EQ(plugin().initialised, 1);
  ::Finalize();
  ::Draw(nullptr, 0);
  EXPECT_EQ(plugin().initialised, 1);
  EXPECT_TRUE(Host().boxes.empty());
}

TEST_F(LifecycleTest, SetUpAfterFinalizeAsksTheScreenAgainAndKeepsTheCommandFields) {
  std::int32_t intResult = 0;
  Send("SwfMove(7,8)", &intResult);
  Send("SwfHide()", &intResult);
  Send("SwfSetInterval(120)", &intResult);
  ::Finalize();
  EXPECT_EQ(plugin().initialised, 0);
  plugin().fileName = "left.swf";
  plugin().pendingFileName = "left.swf";
  Host().screenWidth = 320;
  Host().screenHeight = 240;
  ::Timer();
  EXPECT_EQ(plugin().screenWidth, 320);
  EXPECT_EQ(plugin().screenHeight, 240);
  EXPECT_EQ(plugin().posX, 7);
  EXPECT_EQ(plugin().posY, 8);
  EXPECT_EQ(plugin().visible, 0);
  EXPECT_EQ(plugin().interval, 120);
  EXPECT_EQ(plugin().fileName, "");
  EXPECT_EQ(plugin().pendingFileName, "");
}

TEST_F(LifecycleTest, InitializeWhileSetUpDoesNothing) {
  ::Initialize(0);
  Host().screenWidth = 1;
  plugin().fileName = "kept.swf";
  ::Initialize(5);
  EXPECT_EQ(plugin().screenWidth, 800);
  EXPECT_EQ(plugin().fileName, "kept.swf");
}

TEST_F(LifecycleTest, BindingHappensOncePerProcess) {
  EXPECT_EQ(BindHostFunctions(), 1);
  const HostEntryPoints first = HostEntries();
  EXPECT_NE(first.VlmGetWindowSize(), nullptr);
  EXPECT_NE(first.VlmGetWindow(), nullptr);
  // This test program exports the two file look-ups and none of the others.
  EXPECT_NE(first.VM2GetFile(), nullptr);
  EXPECT_NE(first.VMAGetFile(), nullptr);
  for (std::size_t i = 4; i < kHostFunctionCount; ++i) EXPECT_EQ(first.host[i], nullptr);
  // Once bound, an executable that could no longer be loaded changes nothing:
  // nothing is looked up again.
  TestModules::refuseMainExecutable = true;
  EXPECT_EQ(BindHostFunctions(), 1);
  EXPECT_EQ(HostEntries().VlmGetWindowSize(), first.VlmGetWindowSize());
  // Finalize keeps the binding for the next set-up.
  ::Finalize();
  ::Timer();
  EXPECT_TRUE(Host().boxes.empty());
  EXPECT_EQ(plugin().screenWidth, 800);
}

TEST_F(LifecycleTest, AbsentBridgeLibraryIsNotAnError) {
  EXPECT_EQ(BindHostFunctions(), 1);
  EXPECT_EQ(HostEntries().bridgeBound, 0);
  for (void* entry : HostEntries().bridge) EXPECT_EQ(entry, nullptr);
}

TEST_F(LifecycleTest, UnloadableHostFailsSetUpOnceUntilFinalize) {
  TestModules::refuseMainExecutable = true;
  std::int32_t intResult = kUntouched;
  EXPECT_EQ(Send("SwfMove(1,2)", &intResult), 1);  // plug-in commands still work
  ASSERT_EQ(Host().boxes.size(), 1u);
  EXPECT_EQ(Host().boxes[0].text, "プラグインの初期化に失敗しました.");
  EXPECT_EQ(Host().boxes[0].caption, "vmswf");
  EXPECT_EQ(Host().boxes[0].style, Platform::kBoxOkButton | Platform::kBoxErrorIcon);
  EXPECT_EQ(Host().boxes[0].owner, nullptr);
  EXPECT_EQ(Host().windowQueries, 0);
  EXPECT_EQ(plugin().initialised, 1);
  EXPECT_EQ(HostEntries().hostBound, 0);
  EXPECT_EQ(plugin().screenWidth, 0);
  EXPECT_EQ(plugin().fileName, "stale");  // set-up stopped before the names

  // Not retried by later calls...
  ::Timer();
  Send("SwfPlay()", &intResult);
  EXPECT_EQ(Host().boxes.size(), 1u);
  // ...only after Finalize, and then the whole step is repeated.
  TestModules::refuseMainExecutable = false;
  ::Finalize();
  ::Timer();
  EXPECT_EQ(Host().boxes.size(), 1u);
  EXPECT_EQ(HostEntries().hostBound, 1);
  EXPECT_EQ(plugin().screenWidth, 800);
}

TEST_F(LifecycleTest, MissingWindowSizeFunctionGivesAnEmptyScreen) {
  ::Initialize(0);
  ASSERT_EQ(plugin().screenWidth, 800);
  HostEntries().host[0] = nullptr;
  HostEntries().host[1] = nullptr;
  ::Finalize();
  ::Initialize(0);
  EXPECT_EQ(plugin().screenWidth, 0);
  EXPECT_EQ(plugin().screenHeight, 0);
  // Without VlmGetWindow the command error boxes have no owner.
  std::int32_t intResult = 0;
  Send("SwfPlay", &intResult);
  ASSERT_EQ(Host().boxes.size(), 1u);
  EXPECT_EQ(Host().boxes[0].owner, nullptr);
}

TEST_F(LifecycleTest, TimerAnswersOnceTheIntervalHasPassedSinceTheLastDraw) {
  TestClock::now = 1000;
  ::Draw(nullptr, 0);
  EXPECT_EQ(plugin().lastDrawTick, 1000u);
  TestClock::now = 1049;
  EXPECT_EQ(::Timer(), 0);
  TestClock::now = 1050;
  EXPECT_EQ(::Timer(), 1);
  EXPECT_EQ(::Timer(), 1);  // Timer itself does not restart the interval
  ::Draw(nullptr, 0);
  EXPECT_EQ(::Timer(), 0);

  plugin().interval = 0;
  EXPECT_EQ(::Timer(), 1);
}

TEST_F(LifecycleTest, FirstTimerWithoutDrawAnswersOnceTheClockReachesTheInterval) {
  TestClock::now = 49;
  EXPECT_EQ(::Timer(), 0);
  TestClock::now = 50;
  EXPECT_EQ(::Timer(), 1);
}

TEST_F(LifecycleTest, TimerIsUndisturbedByTheClockWrapping) {
  TestClock::now = 0xFFFFFFF0u;
  ::Draw(nullptr, 0);
  TestClock::now += 0x30;  // wraps to 0x20: 48 ms later
  EXPECT_EQ(::Timer(), 0);
  TestClock::now += 2;
  EXPECT_EQ(::Timer(), 1);
}

TEST_F(LifecycleTest, DrawRecordsTheTickAlsoWhenNothingIsComposed) {
  plugin().visible = 0;
  TestClock::now = 777;
  std::uint8_t pixels[3 * 4] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  ::Draw(pixels, 99);
  EXPECT_EQ(plugin().lastDrawTick, 777u);
  EXPECT_EQ(pixels[0], 1);
  EXPECT_EQ(pixels[11], 12);
}

struct CapsRow {
  bool available;
  std::uint32_t periodMin;
  bool begun;
  std::uint32_t period;
};

TEST(TickSourceTest, BeginsTheFinestPeriodBelowTenMillisecondsAndEndsIt) {
  const CapsRow rows[] = {
      {true, 1, true, 1},   {true, 0, true, 1},    {true, 9, true, 9},
      {true, 10, false, 10}, {true, 16, false, 16}, {false, 1, false, 0},
  };
  const Platform::TimerServices& clock = TestClock::Services();
  for (const CapsRow& row : rows) {
    TestClock::Reset();
    TestClock::capsAvailable = row.available;
    TestClock::caps = Platform::TimerCaps{row.periodMin, 1000000};
    const int before = TestClock::openPeriods;
    {
      TickSource source(clock);
      EXPECT_EQ(source.periodBegun, row.begun ? 1 : 0) << row.periodMin;
      EXPECT_EQ(source.caps.wPeriodMin, row.period) << row.periodMin;
      EXPECT_EQ(TestClock::openPeriods, before + (row.begun ? 1 : 0));
      EXPECT_EQ(source.now, row.begun ? clock.timeGetTime : clock.getTickCount);
      TestClock::now = 4242;
      EXPECT_EQ(source.Now(), 4242u);
    }
    EXPECT_EQ(TestClock::openPeriods, before);
  }
}

TEST(TickSourceTest, PlatformClocksAdvanceAndMatchTheirPeriods) {
  TickSource source(Platform::SystemTimerServices());
  const std::uint32_t first = source.Now();
  std::uint32_t later = first;
  // Either clock ticks at least every 16 ms; spin until it moves.
  for (int i = 0; i < 100000000 && later == first; ++i) later = source.Now();
  EXPECT_NE(later, first);
  EXPECT_LT(later - first, 1000u);
}

}  // namespace
}  // namespace Halvane::VlmPlugIn::Testing

namespace Halvane::VlmPlugIn::Testing {
namespace {

std::vector<std::string> lookUps;

std::int32_t Vm2NotFound(const char* name, char* path, std::int32_t* offset,
                         std::int32_t* length) {
  lookUps.push_back(std::string("VM2 ") + name);
  path[0] = 'x';  // a host may scribble even when it finds nothing
  *offset = 5;
  return 0;
}

std::int32_t VmaFound(const char* name, char* path, std::int32_t* offset,
                      std::int32_t* length) {
  lookUps.push_back(std::string("VMA ") + name + " " + path + " " + std::to_string(*offset));
  std::memset(path, 'p', 261);  // no terminating zero at all
  *offset = 100;
  *length = 200;
  return 1;
}

using HostFileTest = PlugInTest;

TEST_F(HostFileTest, AsksVM2GetFileFirstThenVMAGetFileWithTheSameBuffer) {
  ASSERT_EQ(BindHostFunctions(), 1);
  HostEntries().host[3] = reinterpret_cast<void*>(&Vm2NotFound);
  HostEntries().host[2] = reinterpret_cast<void*>(&VmaFound);
  lookUps.clear();
  char path[kHostPathSize];
  std::int32_t offset = -1, length = -1;
  EXPECT_EQ(AskHostForFile("movie.swf", path, offset, length), 1);
  EXPECT_EQ(lookUps, (std::vector<std::string>{"VM2 movie.swf", "VMA movie.swf x 5"}));
  EXPECT_EQ(offset, 100);
  EXPECT_EQ(length, 200);
  EXPECT_EQ(std::strlen(path), 260u);  // cut to the buffer, never unterminated
}

TEST_F(HostFileTest, MissingLookUpsMeanNotFound) {
  ASSERT_EQ(BindHostFunctions(), 1);
  HostEntries().host[2] = nullptr;  // a host without VMAGetFile
  HostEntries().host[3] = nullptr;  // and without VM2GetFile
  char path[kHostPathSize];
  std::memset(path, 'g', sizeof path);
  std::int32_t offset = -1, length = -1;
  EXPECT_EQ(AskHostForFile("movie.swf", path, offset, length), 0);
  EXPECT_EQ(offset, 0);
  EXPECT_EQ(length, 0);
  EXPECT_EQ(path[0], 0);
  HostEntries().host[3] = reinterpret_cast<void*>(&Vm2NotFound);
  lookUps.clear();
  EXPECT_EQ(AskHostForFile("a.swf", path, offset, length), 0);
  EXPECT_EQ(lookUps.size(), 1u);
}

}  // namespace
}  // namespace Halvane::VlmPlugIn::Testing
