// Requests: the host-side operations, each a synchronous round trip through
// the shared state, and the worker's handlers that call the control.
#include "activex/SwfPlayer.h"

#include <limits>

#include "activex/ControlDispatch.h"

#include "platform/ControlHost.h"

namespace Halvane::ActiveX {

namespace {

bool IsRequest(std::uint32_t code) {
  return code >= SWFM_GETPLAYING && code <= SWFM_DRAW && code != SWFM_GOTOFRAME + 1;
}

// x + size as a rectangle edge, kept inside 32 bits.
std::int32_t Edge(std::int32_t x, std::int32_t size) {
  const std::int64_t edge = static_cast<std::int64_t>(x) + size;
  if (edge > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  if (edge < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(edge);
}

}  // namespace

// ---- Host side ----

bool SwfPlayer::PostRequest(std::uint32_t code) {
  requestDoneEvent.Reset();
  // A message that was not posted is never answered: waiting would only
  // end with the worker.
  if (!requestServices->postThreadMessage(Identifier(), code, 0, 0)) return false;
  return WaitForWorkerEvent(requestDoneEvent) != 0;
}

bool SwfPlayer::Ask(std::uint32_t code) {
  return PostRequest(code) && SUCCEEDED(shared.LoadLastResult());
}

std::int32_t SwfPlayer::IsPlaying() {
  if (closed_ != 0 || !Ask(SWFM_GETPLAYING)) return 0;
  return shared.LoadPlaying();
}

std::int32_t SwfPlayer::GetQuality() {
  if (closed_ == 0 && Ask(SWFM_GETQUALITY)) quality_ = shared.LoadQuality();
  return quality_;
}

std::int32_t SwfPlayer::SetQuality(std::int32_t quality) {
  if (quality != 0 && quality != 1) return 0;
  if (closed_ != 0) {
    quality_ = quality;
    return 1;
  }
  shared.StoreQuality(quality);
  if (!PostRequest(SWFM_SETQUALITY)) return 0;
  // A value the control refused is not kept: the next get asks the control.
  if (SUCCEEDED(shared.LoadLastResult())) quality_ = quality;
  return 1;
}

std::int32_t SwfPlayer::GetLoop() {
  if (closed_ == 0 && Ask(SWFM_GETLOOP)) loop_ = shared.LoadLoop();
  return loop_;
}

std::int32_t SwfPlayer::SetLoop(std::int32_t loop) {
  if (closed_ != 0) {
    loop_ = loop;
    return 1;
  }
  shared.StoreLoop(loop);
  if (!PostRequest(SWFM_SETLOOP)) return 0;
  if (SUCCEEDED(shared.LoadLastResult())) loop_ = loop;
  return 1;
}

std::int32_t SwfPlayer::SetFlashVars(const SharedWideString& vars) {
  if (closed_ != 0) return 0;
  shared.StoreFlashVars(vars);
  return Ask(SWFM_SETFLASHVARS) ? 1 : 0;
}

std::int32_t SwfPlayer::GetVariable(const SharedWideString& name, SharedWideString* value) {
  if (closed_ != 0) return 0;
  shared.StoreVariableName(name);
  if (!Ask(SWFM_GETVARIABLE)) return 0;
  if (value != nullptr) *value = shared.LoadVariableValue();
  return 1;
}

std::int32_t SwfPlayer::SetVariable(const SharedWideString& name, const SharedWideString& value) {
  if (closed_ != 0) return 0;
  shared.StoreVariableName(name);
  shared.StoreVariableValue(value);
  return Ask(SWFM_SETVARIABLE) ? 1 : 0;
}

std::int32_t SwfPlayer::CallFunction(const SharedWideString& request,
                                     SharedWideString* response) {
  if (closed_ != 0) return 0;
  shared.StoreCallRequest(request);
  if (!Ask(SWFM_CALLFUNCTION)) return 0;
  if (response != nullptr) *response = shared.LoadCallResponse();
  return 1;
}

std::int32_t SwfPlayer::Resize(std::int32_t width, std::int32_t height) {
  if (static_cast<std::uint32_t>(width) > kMaxDisplaySize ||
      static_cast<std::uint32_t>(height) > kMaxDisplaySize) {
    return 0;
  }
  if (closed_ == 0) {
    shared.StoreWidth(width);
    shared.StoreHeight(height);
    if (!Ask(SWFM_RESIZE)) return 0;
  }
  width_ = width;
  height_ = height;
  return 1;
}

std::int32_t SwfPlayer::GetTotalFrames() {
  if (closed_ != 0 || !Ask(SWFM_GETTOTALFRAMES)) return -1;
  return shared.LoadTotalFrames();
}

std::int32_t SwfPlayer::GetCurrentFrame() {
  if (closed_ != 0 || !Ask(SWFM_GETFRAMENUM)) return -1;
  return shared.LoadFrameNumber();
}

std::int32_t SwfPlayer::GoToFrame(std::int32_t frame) {
  if (closed_ != 0) return 0;
  shared.StoreFrameNumber(frame);
  return Ask(SWFM_GOTOFRAME) ? 1 : 0;
}

std::int32_t SwfPlayer::Play() { return closed_ == 0 && Ask(SWFM_PLAY) ? 1 : 0; }

std::int32_t SwfPlayer::Stop() { return closed_ == 0 && Ask(SWFM_STOP) ? 1 : 0; }

std::int32_t SwfPlayer::Render(HDC dc, std::int32_t x, std::int32_t y, std::int32_t width,
                               std::int32_t height) {
  if (closed_ != 0) return 0;
  shared.StoreDrawRequest(dc, x, y, width, height);
  return Ask(SWFM_DRAW) ? 1 : 0;
}

// ---- Worker side ----

std::int32_t SwfPlayer::DispatchRequest(const Platform::ThreadMessage& message,
                                        ControlDispatch* control,
                                        Platform::WindowHandle hostWindow,
                                        IUnknown* controlUnknown) {
  if (message.window != nullptr || !IsRequest(message.message)) return 0;
  shared.StoreLastResult(0);
  switch (message.message) {
    case SWFM_SETFLASHVARS:
    case SWFM_GETVARIABLE:
    case SWFM_SETVARIABLE:
    case SWFM_CALLFUNCTION:
      AnswerText(message.message, control);
      break;
    case SWFM_RESIZE:
      ResizeHostWindow(hostWindow);
      break;
    case SWFM_DRAW:
      DrawControl(controlUnknown);
      break;
    default:
      AnswerValue(message.message, control);
      break;
  }
  return 1;
}

// Handlers that read a value start from 0 and store whatever the control
// left there, also after a failure: the host ignores answers then.
void SwfPlayer::AnswerValue(std::uint32_t code, ControlDispatch* control) {
  if (control == nullptr) {
    shared.StoreLastResult(E_POINTER);
    return;
  }
  switch (code) {
    case SWFM_GETPLAYING: {
      VARIANT_BOOL playing = VARIANT_FALSE;
      shared.StoreLastResult(control->get_Playing(&playing));
      shared.StorePlaying(playing != VARIANT_FALSE ? 1 : 0);
      break;
    }
    case SWFM_GETQUALITY: {
      int quality = 0;
      shared.StoreLastResult(control->get_Quality(&quality));
      shared.StoreQuality(quality);
      break;
    }
    case SWFM_SETQUALITY:
      shared.StoreLastResult(control->put_Quality(shared.LoadQuality()));
      break;
    case SWFM_GETLOOP: {
      VARIANT_BOOL loop = VARIANT_FALSE;
      shared.StoreLastResult(control->get_Loop(&loop));
      shared.StoreLoop(loop != VARIANT_FALSE ? 1 : 0);
      break;
    }
    case SWFM_SETLOOP:
      shared.StoreLastResult(
          control->put_Loop(shared.LoadLoop() != 0 ? VARIANT_TRUE : VARIANT_FALSE));
      break;
    case SWFM_GETTOTALFRAMES: {
      std::int32_t frames = 0;
      shared.StoreLastResult(control->get_TotalFrames(&frames));
      shared.StoreTotalFrames(frames);
      break;
    }
    case SWFM_GETFRAMENUM: {
      std::int32_t frame = 0;
      shared.StoreLastResult(control->get_FrameNum(&frame));
      shared.StoreFrameNumber(frame);
      break;
    }
    case SWFM_GOTOFRAME:
      shared.StoreLastResult(control->GotoFrame(shared.LoadFrameNumber()));
      break;
    case SWFM_PLAY:
      shared.StoreLastResult(control->Play());
      break;
    case SWFM_STOP:
      shared.StoreLastResult(control->Stop());
      break;
    default:
      break;
  }
}

// A failed control call, or a string that could not be built, is E_FAIL;
// an answer string is stored before lastResult, and only on success.
void SwfPlayer::AnswerText(std::uint32_t code, ControlDispatch* control) {
  if (control == nullptr) {
    shared.StoreLastResult(E_POINTER);
    return;
  }
  if (code == SWFM_SETFLASHVARS) {
    const SharedWideString vars = shared.LoadFlashVars();
    shared.StoreLastResult(vars.IsNull() ? E_FAIL : control->put_FlashVars(vars.Bstr()));
    return;
  }
  if (code == SWFM_SETVARIABLE) {
    const SharedWideString value = shared.LoadVariableValue();
    const SharedWideString name = shared.LoadVariableName();
    if (value.IsNull() || name.IsNull()) {
      shared.StoreLastResult(E_FAIL);
      return;
    }
    const HRESULT result = control->SetVariable(name.Bstr(), value.Bstr());
    shared.StoreLastResult(FAILED(result) ? E_FAIL : result);
    return;
  }
  const bool variable = code == SWFM_GETVARIABLE;
  const SharedWideString argument =
      variable ? shared.LoadVariableName() : shared.LoadCallRequest();
  if (argument.IsNull()) {
    shared.StoreLastResult(E_FAIL);
    return;
  }
  BSTR text = nullptr;
  const HRESULT result = variable ? control->GetVariable(argument.Bstr(), &text)
                                  : control->CallFunction(argument.Bstr(), &text);
  if (FAILED(result)) {
    SysFreeString(text);
    shared.StoreLastResult(E_FAIL);
    return;
  }
  // Taken over without copying; a control that answered no string at all
  // has answered the empty text.
  const SharedWideString answer = SharedWideString::Adopt(text);
  if (answer.IsNull()) {
    shared.StoreLastResult(E_FAIL);
    return;
  }
  if (variable) {
    shared.StoreVariableValue(answer);
  } else {
    shared.StoreCallResponse(answer);
  }
  shared.StoreLastResult(S_OK);
}

void SwfPlayer::ResizeHostWindow(Platform::WindowHandle hostWindow) {
  const std::int32_t width = shared.LoadWidth();
  const std::int32_t height = shared.LoadHeight();
  // A refused resize is a failure the host can see, not a boolean that
  // always reads as success.
  const bool resized = Platform::SetWindowClientSize(hostWindow, width, height);
  shared.StoreLastResult(resized ? S_OK : E_FAIL);
}

void SwfPlayer::DrawControl(IUnknown* controlUnknown) {
  const std::int32_t x = shared.LoadDrawX();
  const std::int32_t y = shared.LoadDrawY();
  const std::int32_t width = shared.LoadDrawWidth();
  const std::int32_t height = shared.LoadDrawHeight();
  const HDC dc = shared.LoadDrawDC();
  RECT bounds;
  bounds.left = x;
  bounds.top = y;
  bounds.right = Edge(x, width);
  bounds.bottom = Edge(y, height);
  shared.StoreLastResult(controlUnknown != nullptr
                             ? OleDraw(controlUnknown, DVASPECT_CONTENT, dc, &bounds)
                             : E_POINTER);
}

}  // namespace Halvane::ActiveX
