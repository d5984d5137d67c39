// Requests: the answers of a closed player, the round trip to the real
// control and to stand-ins that fail, requests that cannot be posted or whose
// worker ends, and the worker side's handling of messages.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <vector>

#include "FakeControl.h"
#include "activex/ControlDispatch.h"
#include "PlayerTestSupport.h"
#include "platform/ComClasses.h"
#include "platform/ControlHost.h"

namespace Halvane::ActiveX::Testing {
namespace {

using Halvane::Testing::TempFolder;

class Requests : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeControl::Uninstall();
    movie = WriteMovie(folder);
  }
  void TearDown() override { FakeControl::Uninstall(); }

  void Open() {
    ASSERT_EQ(player.BeginOpen(movie.c_str(), 0, 0), 1);
    ASSERT_EQ(player.EndOpen(), 1);
  }
  void OpenFake(const FakeBehaviour& behaviour) {
    FakeControl::Install(behaviour);
    Open();
  }

  TempFolder folder{"vm-requests"};
  std::string movie;
  PlayerProbe player{640, 480};
};

TEST_F(Requests, AClosedPlayerAnswersEveryRequestWithoutAWorker) {
  SharedWideString name = Wide(u"x"), value = Wide(u"kept");
  SharedWideString answer = value;
  struct Case {
    const char* what;
    std::int32_t answer;
    std::int32_t expected;
  } cases[] = {
      {"IsPlaying", player.IsPlaying(), 0},
      {"GetQuality", player.GetQuality(), 1},
      {"GetLoop", player.GetLoop(), 1},
      {"SetFlashVars", player.SetFlashVars(name), 0},
      {"GetVariable", player.GetVariable(name, &answer), 0},
      {"SetVariable", player.SetVariable(name, value), 0},
      {"CallFunction", player.CallFunction(name, &answer), 0},
      {"GetTotalFrames", player.GetTotalFrames(), -1},
      {"GetCurrentFrame", player.GetCurrentFrame(), -1},
      {"GoToFrame", player.GoToFrame(3), 0},
      {"Play", player.Play(), 0},
      {"Stop", player.Stop(), 0},
      {"Render", player.Render(nullptr, 0, 0, 10, 10), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(c.answer, c.expected) << c.what;
  EXPECT_EQ(answer.Text(), u"kept");
  EXPECT_EQ(name.UseCount(), 1) << "no reference kept by a closed player";

  EXPECT_EQ(player.SetQuality(2), 0);
  EXPECT_EQ(player.SetQuality(-1), 0);
  EXPECT_EQ(player.GetQuality(), 1);
  EXPECT_EQ(player.SetQuality(0), 1);
  EXPECT_EQ(player.GetQuality(), 0);
  EXPECT_EQ(player.SetLoop(5), 1);
  EXPECT_EQ(player.GetLoop(), 5);

  EXPECT_EQ(player.Resize(2048, 100), 0);
  EXPECT_EQ(player.Resize(-1, 100), 0);
  EXPECT_EQ(player.Resize(100, 2048), 0);
  EXPECT_EQ(player.GetWidth(), 640);
  EXPECT_EQ(player.GetHeight(), 480);
  EXPECT_EQ(player.Resize(2047, 100), 1);
  EXPECT_EQ(player.GetWidth(), 2047);
  EXPECT_EQ(player.GetHeight(), 100);
}

TEST_F(Requests, ReachTheRealControlAndComeBackWithItsAnswers) {
  Open();
  EXPECT_EQ(player.GetTotalFrames(), 10);
  EXPECT_EQ(player.GetCurrentFrame(), 0);
  EXPECT_EQ(player.GoToFrame(4), 1);
  EXPECT_EQ(player.GetCurrentFrame(), 4);
  EXPECT_EQ(player.GoToFrame(10), 0) << "beyond the last frame: the control refuses";
  EXPECT_EQ(player.GetCurrentFrame(), 4) << "and the worker goes on";

  EXPECT_EQ(player.Play(), 1);
  EXPECT_EQ(player.IsPlaying(), 1);
  EXPECT_EQ(player.Stop(), 1);
  EXPECT_EQ(player.IsPlaying(), 0);

  EXPECT_EQ(player.SetQuality(0), 1);
  EXPECT_EQ(player.GetQuality(), 0);
  EXPECT_EQ(player.SetLoop(0), 1);
  EXPECT_EQ(player.GetLoop(), 0);
  EXPECT_EQ(player.SetLoop(7), 1);
  EXPECT_EQ(player.GetLoop(), 1) << "the control's answer is a flag";

  SharedWideString value = Wide(u"unchanged");
  EXPECT_EQ(player.SetVariable(Wide(u"answer"), Wide(u"\u3042 42")), 1);
  EXPECT_EQ(player.GetVariable(Wide(u"answer"), &value), 1);
  EXPECT_EQ(value.Text(), u"\u3042 42");
  EXPECT_EQ(player.SetFlashVars(Wide(u"fromVars=7")), 1);
  EXPECT_EQ(player.GetVariable(Wide(u"fromVars"), &value), 1);
  EXPECT_EQ(value.Text(), u"7");
  value = Wide(u"unchanged");
  EXPECT_EQ(player.GetVariable(Wide(u"/no/such/clip:x"), &value), 0);
  EXPECT_EQ(value.Text(), u"unchanged");

  EXPECT_EQ(player.Resize(100, 50), 1);
  EXPECT_EQ(player.GetWidth(), 100);
  EXPECT_EQ(player.GetHeight(), 50);
  EXPECT_EQ(player.Resize(2048, 50), 0);
  EXPECT_EQ(player.GetWidth(), 100);
}

TEST_F(Requests, RenderLendsItsDeviceContextAndTextRequestsCarryTheirStrings) {
  OpenFake(FakeBehaviour());
  const HDC dc = reinterpret_cast<HDC>(0x5150);
  ASSERT_EQ(player.Render(dc, 10, 20, 300, 200), 1);
  FakeLog log = FakeControl::Log();
  EXPECT_EQ(log.calls.back(), "Draw(1)");
  EXPECT_EQ(log.drawDC, dc);
  EXPECT_EQ(std::vector<long>({log.drawBounds.left, log.drawBounds.top, log.drawBounds.right,
                               log.drawBounds.bottom}),
            std::vector<long>({10, 20, 310, 220}));
  ASSERT_EQ(player.Render(dc, INT_MAX - 5, -10, 100, 10), 1);
  EXPECT_EQ(FakeControl::Log().drawBounds.right, INT_MAX) << "edges stay inside 32 bits";

  SharedWideString response;
  ASSERT_EQ(player.CallFunction(Wide(u"<invoke name=\"f\"/>"), &response), 1);
  EXPECT_EQ(response.Text(), u"<string><invoke name=\"f\"/></string>");
  ASSERT_EQ(player.SetFlashVars(Wide(u"a=1&b=\u3042")), 1);
  EXPECT_EQ(FakeControl::Log().calls.back(), "put_FlashVars(a=1&b=\xE3\x81\x82)");
  EXPECT_EQ(player.SetVariable(Wide(u"v"), SharedWideString()), 0)
      << "a string that could not be built fails the request";
}

TEST_F(Requests, FailingControlCallsGiveFailureAnswersAndTheWorkerGoesOn) {
  FakeBehaviour failing;
  failing.failCalls = true;
  OpenFake(failing);
  SharedWideString kept = Wide(u"kept");
  EXPECT_EQ(player.IsPlaying(), 0);
  EXPECT_EQ(player.GetTotalFrames(), -1);
  EXPECT_EQ(player.GetCurrentFrame(), -1);
  EXPECT_EQ(player.GoToFrame(1), 0);
  EXPECT_EQ(player.Play(), 0);
  EXPECT_EQ(player.Stop(), 0);
  EXPECT_EQ(player.SetFlashVars(Wide(u"a=1")), 0);
  EXPECT_EQ(player.SetVariable(Wide(u"a"), Wide(u"1")), 0);
  EXPECT_EQ(player.GetVariable(Wide(u"a"), &kept), 0);
  EXPECT_EQ(player.CallFunction(Wide(u"f"), &kept), 0);
  EXPECT_EQ(kept.Text(), u"kept");
  EXPECT_EQ(player.Render(nullptr, 0, 0, 1, 1), 0);
  // A refused set still answers 1, but the kept value stays, and a failed get
  // answers the kept value.
  EXPECT_EQ(player.SetQuality(0), 1);
  EXPECT_EQ(player.GetQuality(), 1);
  EXPECT_EQ(player.SetLoop(0), 1);
  EXPECT_EQ(player.GetLoop(), 1);
  EXPECT_TRUE(player.IsRunning());
  EXPECT_EQ(player.IsClosed(), 0);
}

// Posts everything but requests; requests are lost.
bool LoseRequests(Platform::ThreadId thread, std::uint32_t message, std::uintptr_t wParam,
                  std::intptr_t lParam) {
  if (message >= SWFM_GETPLAYING && message <= SWFM_DRAW) return false;
  return Platform::PostThreadMessageTo(thread, message, wParam, lParam);
}

TEST_F(Requests, ARequestWhoseMessageCannotBePostedFailsAtOnce) {
  OpenFake(FakeBehaviour());
  const Platform::ThreadServices losing{&Platform::BeginThread, &LoseRequests};
  player.requestServices = &losing;
  // Each of these would wait for ever for an answer to a message never sent.
  EXPECT_EQ(player.GetCurrentFrame(), -1);
  EXPECT_EQ(player.SetQuality(0), 0);
  EXPECT_EQ(player.GetQuality(), 1);
  EXPECT_EQ(player.Resize(10, 10), 0);
  EXPECT_EQ(player.GetWidth(), 640);
  EXPECT_TRUE(player.IsRunning());
  player.requestServices = &Platform::SystemThreadServices();
  EXPECT_EQ(player.GetCurrentFrame(), 0);
}

TEST_F(Requests, AWorkerThatEndsDuringARequestFailsItAndEveryLaterOne) {
  FakeBehaviour quitting;
  quitting.quitOnTotalFrames = true;
  OpenFake(quitting);
  const std::int32_t total = player.GetTotalFrames();  // answered, or lost with the worker
  EXPECT_TRUE(total == 12 || total == -1) << total;
  EXPECT_EQ(player.GetCurrentFrame(), -1);
  EXPECT_EQ(player.Resize(10, 10), 0);
  EXPECT_EQ(player.GetWidth(), 640);
  player.AwaitWorkerEnd();
  EXPECT_EQ(player.IsClosed(), 0) << "closed only by Close";
  player.Close();
  EXPECT_EQ(FakeControl::Alive(), 0);

  FakeControl::Install(FakeBehaviour());
  Open();
  EXPECT_EQ(player.GetTotalFrames(), 12);
}

class Dispatch : public Requests {
 protected:
  void SetUp() override {
    Requests::SetUp();
    FakeControl::Install(FakeBehaviour());
    ASSERT_EQ(Platform::CreateComInstance(CLSID_ShockwaveFlash, nullptr, CLSCTX_ALL,
                                          IID_IShockwaveFlash, reinterpret_cast<void**>(&control)),
              S_OK);
    calls = std::make_unique<ControlDispatch>(control);
  }
  void TearDown() override {
    calls.reset();
    control->Release();
    Requests::TearDown();
  }

  std::int32_t Send(std::uint32_t code, Platform::WindowHandle window = nullptr,
                    Platform::WindowHandle addressedTo = nullptr) {
    Platform::ThreadMessage message;
    message.window = addressedTo;
    message.message = code;
    return player.DispatchRequest(message, calls.get(), window, control);
  }

  IDispatch* control = nullptr;
  std::unique_ptr<ControlDispatch> calls;
};

TEST_F(Dispatch, MessagesThatAreNoRequestsAreLeftAlone) {
  player.shared.StoreLastResult(E_ABORT);
  for (std::uint32_t code : {SWFM_GETPLAYING - 1, SWFM_GOTOFRAME + 1, SWFM_DRAW + 1,
                             Platform::kTimerMessage, Platform::kQuitMessage}) {
    EXPECT_EQ(Send(code), 0) << std::hex << code;
  }
  int window = 0;
  EXPECT_EQ(Send(SWFM_PLAY, nullptr, &window), 0) << "a request code sent to a window";
  EXPECT_EQ(player.shared.LoadLastResult(), E_ABORT) << "nothing touched";
  EXPECT_EQ(Send(SWFM_PLAY), 1);
  EXPECT_EQ(player.shared.LoadLastResult(), S_OK);
}

TEST_F(Dispatch, AResizeTheHostWindowRefusesIsReportedAsAFailure) {
  ASSERT_TRUE(Platform::RegisterControlHostClasses());
  Platform::WindowHandle window = Platform::CreatePopupWindow(Platform::kControlHostClass, 10, 10);
  ASSERT_NE(window, nullptr);
  player.shared.StoreWidth(300);
  player.shared.StoreHeight(200);
  ASSERT_EQ(Send(SWFM_RESIZE, window), 1);
  EXPECT_EQ(player.shared.LoadLastResult(), S_OK);
  std::int32_t width = 0, height = 0;
  ASSERT_TRUE(Platform::GetWindowClientSize(window, &width, &height));
  EXPECT_EQ(width, 300);
  EXPECT_EQ(height, 200);
  Platform::DestroyWindowOf(window);
  ASSERT_EQ(Send(SWFM_RESIZE, window), 1);
  EXPECT_LT(player.shared.LoadLastResult(), 0);
}

}  // namespace
}  // namespace Halvane::ActiveX::Testing
