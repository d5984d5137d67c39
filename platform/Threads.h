// Threads, thread message queues, manual-reset events, locks and the COM
// apartment of a thread, for the movie player's worker. Shaped after
// _beginthreadex, GetExitCodeThread, PeekMessageA, PostThreadMessageA,
// GetMessageA, SetTimer, CreateEventA, WaitForSingleObject,
// WaitForMultipleObjects and the critical-section calls. On Windows they are
// those calls; on Linux the seam keeps its own queues, events and exit codes
// with the same behaviour (threading/ builds its classes on these).
//
// Handles are used from any thread, but a handle must not be closed while
// another thread still uses it.
#pragma once

#include <cstdint>

#include "LockStorage.h"
#include "platform/MessageBox.h"

namespace Halvane::Platform {

// A thread or event handle; kInvalidHandle (-1) stands for none, never null.
using NativeHandle = std::intptr_t;
constexpr NativeHandle kInvalidHandle = -1;

// Threads are known to their queues by a 32-bit identifier; 0 is none.
using ThreadId = std::uint32_t;

// The exit code of a thread that has not ended (STILL_ACTIVE).
constexpr std::uint32_t kStillActive = 259;

// Message numbers with the platform's values.
constexpr std::uint32_t kQuitMessage = 0x0012;   // WM_QUIT
constexpr std::uint32_t kTimerMessage = 0x0113;  // WM_TIMER
constexpr std::uint32_t kUserMessage = 0x0400;   // WM_USER
constexpr std::uint32_t kAppMessage = 0x8000;    // WM_APP

// ---- Threads ----

// The routine of a new thread; its result becomes the thread's exit code.
using ThreadRoutine = std::uint32_t (*)(void* argument);

// Starts routine(argument) on a new thread through the runtime library's
// thread creation, so the runtime's per-thread data exists on it. *id (not
// null) receives the thread's identifier. kInvalidHandle (and *id 0) when no
// thread could be started.
NativeHandle BeginThread(ThreadRoutine routine, void* argument, ThreadId* id);

// The thread's exit code: kStillActive while it runs. False for a bad handle.
bool GetThreadExitCode(NativeHandle thread, std::uint32_t* code);

// Waits without a time-out until the thread has ended. False for a bad handle.
bool WaitForThreadEnd(NativeHandle thread);

// Closes a thread handle; the thread itself runs on. kInvalidHandle is ignored.
void CloseThreadHandle(NativeHandle thread);

// The calling thread's identifier.
ThreadId CurrentThreadId();

// ---- Events (manual reset) ----

// A new unnamed event, not signalled; kInvalidHandle when none can be made.
NativeHandle CreateManualResetEvent();
bool SignalEvent(NativeHandle event);
bool UnsignalEvent(NativeHandle event);
void CloseEventHandle(NativeHandle event);  // kInvalidHandle is ignored

enum class WaitOutcome { Signalled, TimedOut, Failed };
constexpr std::uint32_t kWaitForever = 0xFFFFFFFFu;  // INFINITE

// Waits up to milliseconds (0: only tests) for the event. Failed for a bad
// handle.
WaitOutcome WaitForEvent(NativeHandle event, std::uint32_t milliseconds);

// Waits without a time-out until the event is signalled or the thread has
// ended, whichever comes first: Signalled then, Failed for a bad handle. The
// caller finds out which by asking both.
WaitOutcome WaitForEventOrThreadEnd(NativeHandle event, NativeHandle thread);

// ---- Thread message queues ----

struct ThreadMessage {
  WindowHandle window = nullptr;  // null for a thread message
  std::uint32_t message = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
  std::uint32_t time = 0;
  std::int32_t pointX = 0;
  std::int32_t pointY = 0;
};

// Makes sure the calling thread owns a message queue (PeekMessageA without
// removing anything). From then on messages posted to it are kept.
void EnsureThreadMessageQueue();

// Posts a message to the thread's queue without waiting. False when the
// thread has no queue (not started, ended) or its queue is full.
bool PostThreadMessageTo(ThreadId thread, std::uint32_t message, std::uintptr_t wParam,
                         std::intptr_t lParam);

// Takes the next message of the calling thread's queue, waiting for one
// (posted messages in the order they were posted; a due timer of the thread
// when none is waiting). 1 for a message, 0 for kQuitMessage, -1 on failure.
int GetThreadMessage(ThreadMessage* message);

// Hands a message that the thread does not handle itself to the platform
// (TranslateMessage, DispatchMessageA): window messages reach their window.
void DispatchThreadMessage(const ThreadMessage& message);

// A timer of the calling thread: every milliseconds, a kTimerMessage with
// the timer in wParam comes out of GetThreadMessage when nothing else is
// waiting (missed periods are not queued up). 0 when none can be set.
std::uintptr_t StartThreadTimer(std::uint32_t milliseconds);
void StopThreadTimer(std::uintptr_t timer);  // on the thread that started it

// A timer of the calling thread that calls callback(context) every
// milliseconds, from DispatchThreadMessage of its timer message (on Windows
// a timer procedure, which any message loop of the thread runs, a host
// program's own included). 0 when none can be set. After StopCallbackTimer,
// on the thread that started it, the callback is not called again.
using TimerCallback = void (*)(void* context);
std::uintptr_t StartCallbackTimer(std::uint32_t milliseconds, TimerCallback callback,
                                  void* context);
void StopCallbackTimer(std::uintptr_t timer);

// ---- Locks (recursive, as critical sections are) ----

void InitializeLock(LockStorage* lock);
void EnterLock(LockStorage* lock);
void LeaveLock(LockStorage* lock);
void DeleteLock(LockStorage* lock);

// ---- COM apartment ----

// Enters (CoInitialize) and leaves (CoUninitialize) a single-threaded COM
// apartment on the calling thread; nothing where there is no COM.
void EnterComApartment();
void LeaveComApartment();

// The thread calls whose failure the player must survive, as one set of
// routines, so that tests can hand in failing ones instead of the platform's.
struct ThreadServices {
  NativeHandle (*beginThread)(ThreadRoutine routine, void* argument, ThreadId* id);
  bool (*postThreadMessage)(ThreadId thread, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam);
};

// The platform's own.
const ThreadServices& SystemThreadServices();

}  // namespace Halvane::Platform
