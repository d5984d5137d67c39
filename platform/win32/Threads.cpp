// Threads, events, queues and critical sections: the platform's own calls.
#include "platform/Threads.h"

#include <process.h>

#include <mutex>
#include <new>
#include <vector>

#include "platform/Com.h"

namespace Halvane::Platform {

static_assert(kStillActive == STILL_ACTIVE && kQuitMessage == WM_QUIT &&
                  kTimerMessage == WM_TIMER && kUserMessage == WM_USER && kAppMessage == WM_APP &&
                  kWaitForever == INFINITE,
              "message numbers and constants have the platform's values");
static_assert(sizeof(CRITICAL_SECTION) <= sizeof(LockStorage::bytes) &&
                  alignof(CRITICAL_SECTION) <= alignof(LockStorage),
              "a critical section fits the lock storage");

namespace {

HANDLE Native(NativeHandle handle) { return reinterpret_cast<HANDLE>(handle); }

bool Usable(NativeHandle handle) { return handle != kInvalidHandle && handle != 0; }

// The portable routine and its argument, carried to the new thread: the
// runtime calls a routine of the platform's calling convention, which a
// portable routine pointer is not.
struct Start {
  ThreadRoutine routine;
  void* argument;
};

// The callback timers of every thread of this module. A thread's timer
// identifiers are its own, so the thread is part of the key.
struct CallbackTimer {
  DWORD thread;
  UINT_PTR id;
  TimerCallback callback;
  void* context;
};

std::mutex& CallbackTimersLock() {
  static std::mutex lock;
  return lock;
}

std::vector<CallbackTimer>& CallbackTimers() {
  static std::vector<CallbackTimer> timers;
  return timers;
}

// The platform calls timer procedures with its own calling convention, which
// the portable callback does not have.
VOID CALLBACK CallbackTimerProcedure(HWND, UINT, UINT_PTR id, DWORD) {
  TimerCallback callback = nullptr;
  void* context = nullptr;
  {
    const DWORD thread = ::GetCurrentThreadId();
    std::lock_guard<std::mutex> guard(CallbackTimersLock());
    for (const CallbackTimer& timer : CallbackTimers()) {
      if (timer.thread == thread && timer.id == id) {
        callback = timer.callback;
        context = timer.context;
      }
    }
  }
  // Called outside the lock: the callback may stop its timer.
  if (callback != nullptr) callback(context);
}

unsigned __stdcall ThreadEntry(void* argument) {
  const Start start = *static_cast<Start*>(argument);
  delete static_cast<Start*>(argument);
  const unsigned code = start.routine(start.argument);
  _endthreadex(code);
  return code;
}

CRITICAL_SECTION* Section(LockStorage* lock) {
  return reinterpret_cast<CRITICAL_SECTION*>(lock->bytes);
}

}  // namespace

// ---- Threads ----

NativeHandle BeginThread(ThreadRoutine routine, void* argument, ThreadId* id) {
  if (id != nullptr) *id = 0;
  if (routine == nullptr || id == nullptr) return kInvalidHandle;
  auto* start = new (std::nothrow) Start{routine, argument};
  if (start == nullptr) return kInvalidHandle;
  unsigned threadId = 0;
  const std::uintptr_t thread = _beginthreadex(nullptr, 0, &ThreadEntry, start, 0, &threadId);
  if (thread == 0) {
    delete start;
    return kInvalidHandle;
  }
  *id = threadId;
  return static_cast<NativeHandle>(thread);
}

bool GetThreadExitCode(NativeHandle thread, std::uint32_t* code) {
  if (!Usable(thread) || code == nullptr) return false;
  DWORD exitCode = 0;
  if (!::GetExitCodeThread(Native(thread), &exitCode)) return false;
  *code = exitCode;
  return true;
}

bool WaitForThreadEnd(NativeHandle thread) {
  if (!Usable(thread)) return false;
  return ::WaitForSingleObject(Native(thread), INFINITE) == WAIT_OBJECT_0;
}

void CloseThreadHandle(NativeHandle thread) {
  if (Usable(thread)) ::CloseHandle(Native(thread));
}

ThreadId CurrentThreadId() { return ::GetCurrentThreadId(); }

// ---- Events ----

NativeHandle CreateManualResetEvent() {
  HANDLE event = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  return event != nullptr ? reinterpret_cast<NativeHandle>(event) : kInvalidHandle;
}

bool SignalEvent(NativeHandle event) { return Usable(event) && ::SetEvent(Native(event)); }
bool UnsignalEvent(NativeHandle event) { return Usable(event) && ::ResetEvent(Native(event)); }

void CloseEventHandle(NativeHandle event) {
  if (Usable(event)) ::CloseHandle(Native(event));
}

WaitOutcome WaitForEvent(NativeHandle event, std::uint32_t milliseconds) {
  if (!Usable(event)) return WaitOutcome::Failed;
  switch (::WaitForSingleObject(Native(event), milliseconds)) {
    case WAIT_OBJECT_0:
      return WaitOutcome::Signalled;
    case WAIT_TIMEOUT:
      return WaitOutcome::TimedOut;
    default:
      return WaitOutcome::Failed;
  }
}

WaitOutcome WaitForEventOrThreadEnd(NativeHandle event, NativeHandle thread) {
  if (!Usable(event) || !Usable(thread)) return WaitOutcome::Failed;
  const HANDLE objects[2] = {Native(event), Native(thread)};
  const DWORD result = ::WaitForMultipleObjects(2, objects, FALSE, INFINITE);
  return result == WAIT_OBJECT_0 || result == WAIT_OBJECT_0 + 1 ? WaitOutcome::Signalled
                                                                 : WaitOutcome::Failed;
}

// ---- Queues ----

void EnsureThreadMessageQueue() {
  MSG message;
  ::PeekMessageA(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
}

bool PostThreadMessageTo(ThreadId thread, std::uint32_t message, std::uintptr_t wParam,
                         std::intptr_t lParam) {
  // Windows refuses identifier 0 as no thread; Wine takes it, so it is
  // refused here for both.
  if (thread == 0) return false;
  return ::PostThreadMessageA(thread, message, wParam, lParam) != FALSE;
}

int GetThreadMessage(ThreadMessage* message) {
  if (message == nullptr) return -1;
  MSG native{};
  const BOOL result = ::GetMessageA(&native, nullptr, 0, 0);
  message->window = native.hwnd;
  message->message = native.message;
  message->wParam = native.wParam;
  message->lParam = native.lParam;
  message->time = native.time;
  message->pointX = native.pt.x;
  message->pointY = native.pt.y;
  return result == -1 ? -1 : (result != 0 ? 1 : 0);
}

void DispatchThreadMessage(const ThreadMessage& message) {
  MSG native{};
  native.hwnd = static_cast<HWND>(message.window);
  native.message = message.message;
  native.wParam = message.wParam;
  native.lParam = message.lParam;
  native.time = message.time;
  native.pt.x = message.pointX;
  native.pt.y = message.pointY;
  ::TranslateMessage(&native);
  ::DispatchMessageA(&native);
}

std::uintptr_t StartThreadTimer(std::uint32_t milliseconds) {
  return ::SetTimer(nullptr, 0, milliseconds, nullptr);
}

void StopThreadTimer(std::uintptr_t timer) {
  if (timer != 0) ::KillTimer(nullptr, timer);
}

std::uintptr_t StartCallbackTimer(std::uint32_t milliseconds, TimerCallback callback,
                                  void* context) {
  if (callback == nullptr) return 0;
  std::lock_guard<std::mutex> guard(CallbackTimersLock());
  try {
    CallbackTimers().reserve(CallbackTimers().size() + 1);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  const UINT_PTR id = ::SetTimer(nullptr, 0, milliseconds, &CallbackTimerProcedure);
  if (id != 0) CallbackTimers().push_back(CallbackTimer{::GetCurrentThreadId(), id, callback, context});
  return id;
}

void StopCallbackTimer(std::uintptr_t timer) {
  if (timer == 0) return;
  ::KillTimer(nullptr, timer);
  const DWORD thread = ::GetCurrentThreadId();
  std::lock_guard<std::mutex> guard(CallbackTimersLock());
  auto& timers = CallbackTimers();
  for (auto it = timers.begin(); it != timers.end(); ++it) {
    if (it->thread == thread && it->id == timer) {
      timers.erase(it);
      return;
    }
  }
}

// ---- Locks ----

void InitializeLock(LockStorage* lock) { ::InitializeCriticalSection(Section(lock)); }
void EnterLock(LockStorage* lock) { ::EnterCriticalSection(Section(lock)); }
void LeaveLock(LockStorage* lock) { ::LeaveCriticalSection(Section(lock)); }
void DeleteLock(LockStorage* lock) { ::DeleteCriticalSection(Section(lock)); }

// ---- COM ----

void EnterComApartment() { ::CoInitialize(nullptr); }
void LeaveComApartment() { ::CoUninitialize(); }

}  // namespace Halvane::Platform
