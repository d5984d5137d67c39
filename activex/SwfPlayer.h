// The movie player: plays one movie at a time in a movie control that lives
// on a worker thread of its own.
//
// Opening a movie starts the worker, which enters a single-threaded COM
// apartment, creates a hidden host window with the control in it (created
// by the control's class identifier, loaded from the movie's load stream,
// stopped, in transparent window mode, windowless) and then runs a message
// loop that carries out requests and dispatches everything else, among it
// the timer on which the control moves itself on.
// Closing the movie (or opening the next one, or destroying the player)
// ends the worker. The control, its window and its apartment never leave
// the worker.
//
// Every public operation belongs to the host's thread. A request stores its
// arguments in the shared state, posts its code to the worker and blocks
// until the worker has answered or has ended, so at most one request is in
// flight and nothing is queued. Host-side results: 1 for success, 0 for
// failure (-1 for failed frame counts and numbers; the last known value for
// quality and loop); the worker's COM result stays in the shared state.
#pragma once

#include <cstdint>
#include <string>

#include "activex/SharedState.h"
#include "activex/SharedWideString.h"
#include "platform/Com.h"
#include "platform/ShockwaveFlash.h"
#include "platform/Threads.h"
#include "threading/EventHandle.h"
#include "threading/Thread.h"

namespace Halvane::IO {
class Stream;
}

namespace Halvane::ActiveX {

class ControlDispatch;

// The request codes: thread messages to the worker, without payload.
constexpr std::uint32_t SWFM_GETPLAYING = Platform::kAppMessage + 101;     // 0x8065
constexpr std::uint32_t SWFM_GETQUALITY = Platform::kAppMessage + 102;     // 0x8066
constexpr std::uint32_t SWFM_SETQUALITY = Platform::kAppMessage + 103;     // 0x8067
constexpr std::uint32_t SWFM_GETLOOP = Platform::kAppMessage + 104;        // 0x8068
constexpr std::uint32_t SWFM_SETLOOP = Platform::kAppMessage + 105;        // 0x8069
constexpr std::uint32_t SWFM_SETFLASHVARS = Platform::kAppMessage + 106;   // 0x806A
constexpr std::uint32_t SWFM_GETVARIABLE = Platform::kAppMessage + 107;    // 0x806B
constexpr std::uint32_t SWFM_SETVARIABLE = Platform::kAppMessage + 108;    // 0x806C
constexpr std::uint32_t SWFM_CALLFUNCTION = Platform::kAppMessage + 109;   // 0x806D
constexpr std::uint32_t SWFM_RESIZE = Platform::kAppMessage + 110;         // 0x806E
constexpr std::uint32_t SWFM_GETTOTALFRAMES = Platform::kAppMessage + 111; // 0x806F
constexpr std::uint32_t SWFM_GETFRAMENUM = Platform::kAppMessage + 112;    // 0x8070
constexpr std::uint32_t SWFM_GOTOFRAME = Platform::kAppMessage + 113;      // 0x8071
// 0x8072 is not a request: nothing posts it and the worker passes it on.
constexpr std::uint32_t SWFM_PLAY = Platform::kAppMessage + 115;           // 0x8073
constexpr std::uint32_t SWFM_STOP = Platform::kAppMessage + 116;           // 0x8074
constexpr std::uint32_t SWFM_DRAW = Platform::kAppMessage + 117;           // 0x8075

// Movie display sizes are below this in each direction.
constexpr std::uint32_t kMaxDisplaySize = 2047;

class SwfPlayer : public Threading::Thread {
 public:
  // width x height is the movie's display size. Nothing is started.
  SwfPlayer(std::int32_t width, std::int32_t height);
  // Closes the movie (the worker ends) before anything is freed.
  ~SwfPlayer() override;

  std::int32_t IsClosed() const { return closed_; }
  std::int32_t GetWidth() const { return width_; }
  std::int32_t GetHeight() const { return height_; }
  // What EndOpen published: the movie's file, the offset of the movie in it
  // and its size (0: to the end of the file); empty and 0 while closed.
  const std::string& FileName() const { return fileName_; }
  std::int64_t SourceOffset() const { return sourceOffset_; }
  std::int64_t SourceSize() const { return sourceSize_; }

  // Closes whatever was open, then starts the worker on the movie at
  // sourceOffset in the file (sourceSize bytes, 0: to the end) and returns
  // once the worker runs, while it goes on to set the control up. 0 when the
  // file does not exist, the worker cannot be started or it ended at once.
  std::int32_t BeginOpen(const char* fileName, std::int64_t sourceOffset,
                         std::int64_t sourceSize);
  // Waits until the control is ready (1, the movie is open) or the worker
  // has ended (0, closed again). 0 at once when nothing is being opened.
  std::int32_t EndOpen();
  // Ends the worker (letting one that is still setting up finish first) and
  // resets everything but quality, loop and the display size, which carry
  // over to the next movie. Harmless when nothing is open.
  void Close();

  // Requests. While closed they answer without asking the worker: 0, -1 for
  // the frame queries, the kept values for quality and loop; the setters of
  // quality, loop and size keep their value for the next movie and give 1.
  std::int32_t IsPlaying();
  std::int32_t GetQuality();
  std::int32_t SetQuality(std::int32_t quality);  // 0 or 1, else 0 and nothing changes
  std::int32_t GetLoop();
  std::int32_t SetLoop(std::int32_t loop);
  std::int32_t SetFlashVars(const SharedWideString& vars);
  // On success the value (response) is replaced; on failure it is left.
  std::int32_t GetVariable(const SharedWideString& name, SharedWideString* value);
  std::int32_t SetVariable(const SharedWideString& name, const SharedWideString& value);
  std::int32_t CallFunction(const SharedWideString& request, SharedWideString* response);
  // Sizes above kMaxDisplaySize, taken as unsigned (negative ones too), give
  // 0 and change nothing.
  std::int32_t Resize(std::int32_t width, std::int32_t height);
  std::int32_t GetTotalFrames();
  std::int32_t GetCurrentFrame();
  std::int32_t GoToFrame(std::int32_t frame);
  std::int32_t Play();
  std::int32_t Stop();
  // Draws the control's current frame into that rectangle of the device
  // context, which the worker uses only until the call returns; pixels
  // where the movie is transparent keep what the context held.
  std::int32_t Render(HDC dc, std::int32_t x, std::int32_t y, std::int32_t width,
                      std::int32_t height);

  // Where requests are posted: the platform's own unless a test hands in its
  // own (see Thread::threadServices, which starts the worker).
  const Platform::ThreadServices* requestServices = &Platform::SystemThreadServices();

 protected:
  // The worker.
  std::uint32_t Run() override;

  // Worker side, in the order set-up runs them. A throw-away control with
  // the player's properties saves them into a new stream, handed out with
  // one reference at position 0.
  HRESULT CreatePropertyStream(std::int32_t loop, std::int32_t quality, IO::Stream** stream);
  // The host window with the control in it, loaded from the movie's load
  // stream. On failure *control is null and *hostWindow is whatever window
  // exists, for Run to destroy.
  // *control is the control's dual interface, to be called through
  // ControlDispatch only.
  HRESULT CreateHostedControl(Platform::WindowHandle* hostWindow, IDispatch** control);
  // Carries out the request in message (a thread message with a request
  // code); nonzero when it was one, 0 otherwise (nothing touched).
  std::int32_t DispatchRequest(const Platform::ThreadMessage& message, ControlDispatch* control,
                               Platform::WindowHandle hostWindow, IUnknown* controlUnknown);

  // Host side: blocks until the worker has set the event (1) or has ended
  // (0). 0 at once without a worker or with an invalid event; an event set by
  // a worker that has already ended counts as not set.
  std::int32_t WaitForWorkerEvent(const Threading::EventHandle& event);

  SharedState shared;
  Threading::EventHandle threadRunningEvent;  // set by the worker once it runs
  Threading::EventHandle controlReadyEvent;   // set once the control is ready
  Threading::EventHandle requestDoneEvent;    // set after each request

 private:
  // Posts the request and waits for it: false when the message could not be
  // posted or the worker ended before answering.
  bool PostRequest(std::uint32_t code);
  // Posts and waits, then reads lastResult: true when the request succeeded.
  bool Ask(std::uint32_t code);
  // The worker side of each group of requests.
  void AnswerValue(std::uint32_t code, ControlDispatch* control);
  void AnswerText(std::uint32_t code, ControlDispatch* control);
  void ResizeHostWindow(Platform::WindowHandle hostWindow);
  void DrawControl(IUnknown* controlUnknown);

  std::int32_t closed_ = 1;
  std::string fileName_;
  std::int64_t sourceOffset_ = 0;
  std::int64_t sourceSize_ = 0;
  std::int32_t quality_ = 1;
  std::int32_t loop_ = 1;
  std::int32_t width_;
  std::int32_t height_;
};

}  // namespace Halvane::ActiveX
