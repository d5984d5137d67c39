// The player's life: construction, the open/close cycle that starts and ends
// the worker, the wait that the host's thread uses, and the worker itself.
#include "activex/SwfPlayer.h"

#include "activex/ControlDispatch.h"
#include "platform/ControlHost.h"
#include "platform/File.h"

namespace Halvane::ActiveX {

SwfPlayer::SwfPlayer(std::int32_t width, std::int32_t height) : width_(width), height_(height) {
  // A failed creation leaves an event at -1, which every user treats as an
  // event that cannot be waited on: the player then opens nothing.
  threadRunningEvent.Create();
  controlReadyEvent.Create();
  requestDoneEvent.Create();
}

SwfPlayer::~SwfPlayer() { Close(); }

std::int32_t SwfPlayer::WaitForWorkerEvent(const Threading::EventHandle& event) {
  for (;;) {
    // The worker's liveness is asked before the event, so an event that a
    // worker set just before it ended counts as not set.
    std::uint32_t code = 0;
    if (Handle() == Platform::kInvalidHandle) return 0;
    if (!ExitCode(&code) || code != Platform::kStillActive) return 0;
    if (!event.IsValid()) return 0;
    switch (Platform::WaitForEvent(event.Handle(), 0)) {
      case Platform::WaitOutcome::Signalled:
        return 1;
      case Platform::WaitOutcome::TimedOut:
        break;
      case Platform::WaitOutcome::Failed:
        return 0;
    }
    // Sleeps until the worker sets the event or ends; either way the tests
    // above decide.
    if (Platform::WaitForEventOrThreadEnd(event.Handle(), Handle()) ==
        Platform::WaitOutcome::Failed) {
      return 0;
    }
  }
}

std::int32_t SwfPlayer::BeginOpen(const char* fileName, std::int64_t sourceOffset,
                                  std::int64_t sourceSize) {
  Close();
  if (fileName == nullptr || !Platform::PathExists(fileName)) return 0;
  shared.StoreLastResult(0);
  shared.StoreOpenRequest(fileName, sourceOffset, sourceSize);
  shared.StoreQuality(quality_);
  shared.StoreLoop(loop_);
  shared.StoreWidth(width_);
  shared.StoreHeight(height_);
  if (Start() == 0) return 0;
  if (WaitForWorkerEvent(threadRunningEvent) == 0) {
    Close();
    return 0;
  }
  return 1;
}

std::int32_t SwfPlayer::EndOpen() {
  if (!threadRunningEvent.IsSignalled()) return 0;
  if (WaitForWorkerEvent(controlReadyEvent) == 0) {
    Close();
    return 0;
  }
  fileName_ = shared.LoadFileName();
  sourceOffset_ = shared.LoadSourceOffset();
  sourceSize_ = shared.LoadSourceSize();
  closed_ = 0;
  return 1;
}

void SwfPlayer::Close() {
  // A worker still setting up may finish (or fail) first.
  if (threadRunningEvent.IsSignalled()) WaitForWorkerEvent(controlReadyEvent);
  if (IsRunning()) {
    Platform::PostThreadMessageTo(Identifier(), Platform::kQuitMessage, 0, 0);
  }
  Join();
  fileName_.clear();
  sourceOffset_ = 0;
  sourceSize_ = 0;
  shared.Reset();
  requestDoneEvent.Reset();
  controlReadyEvent.Reset();
  threadRunningEvent.Reset();
  closed_ = 1;
}

std::uint32_t SwfPlayer::Run() {
  Platform::EnterComApartment();
  Platform::ThreadMessage message;
  Platform::RegisterControlHostClasses();
  threadRunningEvent.Set();

  Platform::WindowHandle hostWindow = nullptr;
  IDispatch* control = nullptr;
  IUnknown* controlUnknown = nullptr;
  if (SUCCEEDED(CreateHostedControl(&hostWindow, &control)) && control != nullptr) {
    control->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&controlUnknown));
    ControlDispatch calls(control);
    controlReadyEvent.Set();
    // A failing get ends the loop as the quit message does, instead of
    // spinning on it.
    while (Platform::GetThreadMessage(&message) > 0) {
      // A request is carried out only while the done event is reset: one
      // that arrives while the host has not asked for it has no effect.
      // Everything else is dispatched: the control's own timers and the
      // messages of its window come through here.
      if (requestDoneEvent.IsValid() && !requestDoneEvent.IsSignalled() &&
          DispatchRequest(message, &calls, hostWindow, controlUnknown) != 0) {
        requestDoneEvent.Set();
      } else {
        Platform::DispatchThreadMessage(message);
      }
    }
  }

  // The window goes first: with it the site, which holds the control too.
  if (Platform::IsLiveWindow(hostWindow)) Platform::DestroyWindowOf(hostWindow);
  if (controlUnknown != nullptr) controlUnknown->Release();
  if (control != nullptr) control->Release();
  Platform::LeaveComApartment();
  return static_cast<std::uint32_t>(message.wParam);
}

}  // namespace Halvane::ActiveX
