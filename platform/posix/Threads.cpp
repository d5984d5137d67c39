// Threads, events and thread message queues with POSIX threads and the
// standard library's mutexes and condition variables.
//
// An event is a flag under its own mutex with a condition variable. A wait
// for an event or a thread's end waits on the event alone: the thread keeps
// a list of the events waited on together with its end, and wakes them when
// it ends. So the common case, the other thread setting the event, costs
// one wake-up and nothing else; notifications are made after the mutex is
// released, so the woken thread never runs into a lock still held.
//
// Each thread's queue is found by its identifier in a registry. A thread
// started here leaves the registry as its routine returns, before it counts
// as ended, so that posting to an ended thread fails as it does on Windows.
#include "platform/Threads.h"

#include <pthread.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>
#include <vector>

#include "platform/Ticks.h"

namespace Halvane::Platform {

namespace {

using Clock = std::chrono::steady_clock;

// Reference counted, so that a Set still notifying keeps the event alive
// when its handle is closed right after a waiter saw it set.
struct Event {
  std::mutex mutex;
  std::condition_variable changed;
  bool signalled = false;
  std::atomic<int> references{1};

  void Hold() { references.fetch_add(1, std::memory_order_relaxed); }
  void Drop() {
    if (references.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
  }
};

// An event waited on together with a thread's end, in that thread's list.
struct Watch {
  Event* event;
  Watch* next;
};

// Shared by the handle and the running thread; the last one to let go
// deletes it.
struct PosixThread {
  pthread_t native{};
  ThreadRoutine routine = nullptr;
  void* argument = nullptr;
  ThreadId id = 0;
  std::atomic<std::uint32_t> exitCode{kStillActive};
  std::atomic<int> references{2};
  std::atomic<bool> reaped{false};  // joined or detached
  std::atomic<bool> ended{false};
  std::mutex endMutex;
  std::condition_variable endChanged;
  Watch* watches = nullptr;  // under endMutex

  void End(std::uint32_t code) {
    exitCode.store(code);
    std::lock_guard<std::mutex> guard(endMutex);
    ended.store(true);
    endChanged.notify_all();
    for (Watch* watch = watches; watch != nullptr; watch = watch->next) {
      // Taking the event's mutex orders the end before the waiter's next
      // look at it: either it sees the end, or it is waiting and is woken.
      { std::lock_guard<std::mutex> eventGuard(watch->event->mutex); }
      watch->event->changed.notify_all();
    }
  }

  void Unwatch(Watch* watch) {
    std::lock_guard<std::mutex> guard(endMutex);
    for (Watch** link = &watches; *link != nullptr; link = &(*link)->next) {
      if (*link == watch) {
        *link = watch->next;
        return;
      }
    }
  }
};

void Drop(PosixThread* thread) {
  if (thread->references.fetch_sub(1, std::memory_order_acq_rel) == 1) delete thread;
}

Event* AsEvent(NativeHandle handle) {
  return handle == kInvalidHandle || handle == 0 ? nullptr : reinterpret_cast<Event*>(handle);
}

PosixThread* AsThread(NativeHandle handle) {
  return handle == kInvalidHandle || handle == 0 ? nullptr
                                                 : reinterpret_cast<PosixThread*>(handle);
}

// ---- Queues ----

// As many posted messages as a Windows queue holds before posting fails.
constexpr std::size_t kQueueLimit = 10000;

struct QueueTimer {
  std::uintptr_t id;
  Clock::duration period;
  Clock::time_point due;
  TimerCallback callback;  // null: the message is for the thread itself
  void* context;
};

class MessageQueue {
 public:
  bool Post(const ThreadMessage& message) {
    {
      std::lock_guard<std::mutex> guard(mutex_);
      if (posted_.size() >= kQueueLimit) return false;
      try {
        posted_.push_back(message);
      } catch (const std::bad_alloc&) {
        return false;
      }
    }
    arrived_.notify_one();
    return true;
  }

  int Get(ThreadMessage* out) {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      if (!posted_.empty()) {
        *out = posted_.front();
        posted_.pop_front();
        return out->message == kQuitMessage ? 0 : 1;
      }
      QueueTimer* next = nullptr;
      for (QueueTimer& timer : timers_) {
        if (next == nullptr || timer.due < next->due) next = &timer;
      }
      if (next == nullptr) {
        arrived_.wait(lock);
        continue;
      }
      const Clock::time_point now = Clock::now();
      if (next->due <= now) {
        // Like the platform's timers: one message however many periods
        // were missed, the next one a full period later.
        next->due = now + next->period;
        *out = ThreadMessage{};
        out->message = kTimerMessage;
        out->wParam = next->id;
        out->time = GetTickCount();
        return 1;
      }
      arrived_.wait_until(lock, next->due);
    }
  }

  std::uintptr_t AddTimer(std::uint32_t milliseconds, TimerCallback callback = nullptr,
                          void* context = nullptr) {
    std::lock_guard<std::mutex> guard(mutex_);
    const Clock::duration period = std::chrono::milliseconds(milliseconds);
    try {
      timers_.push_back(
          QueueTimer{nextTimer_, period, Clock::now() + period, callback, context});
    } catch (const std::bad_alloc&) {
      return 0;
    }
    return nextTimer_++;
  }

  // The callback of the timer, if it is one with a callback.
  bool CallbackOf(std::uintptr_t id, TimerCallback* callback, void** context) {
    std::lock_guard<std::mutex> guard(mutex_);
    for (const QueueTimer& timer : timers_) {
      if (timer.id == id && timer.callback != nullptr) {
        *callback = timer.callback;
        *context = timer.context;
        return true;
      }
    }
    return false;
  }

  void RemoveTimer(std::uintptr_t id) {
    std::lock_guard<std::mutex> guard(mutex_);
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
      if (it->id == id) {
        timers_.erase(it);
        return;
      }
    }
  }

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<ThreadMessage> posted_;
  std::vector<QueueTimer> timers_;
  std::uintptr_t nextTimer_ = 1;
};

// Never destroyed, so that threads still ending at process exit find it.
struct Registry {
  std::mutex mutex;
  std::unordered_map<ThreadId, std::shared_ptr<MessageQueue>> queues;
};

Registry& Queues() {
  static Registry* registry = new Registry;
  return *registry;
}

ThreadId NewThreadId() {
  static std::atomic<ThreadId> next{1};
  ThreadId id = next.fetch_add(1);
  while (id == 0) id = next.fetch_add(1);
  return id;
}

// The calling thread's identifier and queue; a thread not started through
// BeginThread gets its identifier on first use and loses its queue when it
// ends.
struct CurrentThread {
  ThreadId id = 0;
  std::shared_ptr<MessageQueue> queue;

  ~CurrentThread() { ForgetQueue(); }

  void ForgetQueue() {
    if (!queue) return;
    Registry& registry = Queues();
    std::lock_guard<std::mutex> guard(registry.mutex);
    registry.queues.erase(id);
    queue.reset();
  }
};

thread_local CurrentThread current;

MessageQueue* CurrentQueue() {
  EnsureThreadMessageQueue();
  return current.queue.get();
}

void* ThreadEntry(void* argument) {
  auto* thread = static_cast<PosixThread*>(argument);
  current.id = thread->id;
  const std::uint32_t code = thread->routine(thread->argument);
  current.ForgetQueue();
  thread->End(code);
  Drop(thread);
  return nullptr;
}

}  // namespace

// ---- Threads ----

NativeHandle BeginThread(ThreadRoutine routine, void* argument, ThreadId* id) {
  if (id != nullptr) *id = 0;
  if (routine == nullptr || id == nullptr) return kInvalidHandle;
  auto* thread = new (std::nothrow) PosixThread;
  if (thread == nullptr) return kInvalidHandle;
  thread->routine = routine;
  thread->argument = argument;
  thread->id = NewThreadId();
  if (pthread_create(&thread->native, nullptr, &ThreadEntry, thread) != 0) {
    delete thread;
    return kInvalidHandle;
  }
  *id = thread->id;
  return reinterpret_cast<NativeHandle>(thread);
}

bool GetThreadExitCode(NativeHandle handle, std::uint32_t* code) {
  PosixThread* thread = AsThread(handle);
  if (thread == nullptr || code == nullptr) return false;
  *code = thread->exitCode.load();
  return true;
}

bool WaitForThreadEnd(NativeHandle handle) {
  PosixThread* thread = AsThread(handle);
  if (thread == nullptr) return false;
  {
    std::unique_lock<std::mutex> lock(thread->endMutex);
    thread->endChanged.wait(lock, [thread] { return thread->ended.load(); });
  }
  // Joined as well, so that nothing of the thread is left running.
  if (!thread->reaped.exchange(true)) pthread_join(thread->native, nullptr);
  return true;
}

void CloseThreadHandle(NativeHandle handle) {
  PosixThread* thread = AsThread(handle);
  if (thread == nullptr) return;
  if (!thread->reaped.exchange(true)) pthread_detach(thread->native);
  Drop(thread);
}

ThreadId CurrentThreadId() {
  if (current.id == 0) current.id = NewThreadId();
  return current.id;
}

// ---- Events ----

NativeHandle CreateManualResetEvent() {
  auto* event = new (std::nothrow) Event;
  return event != nullptr ? reinterpret_cast<NativeHandle>(event) : kInvalidHandle;
}

bool SignalEvent(NativeHandle handle) {
  Event* event = AsEvent(handle);
  if (event == nullptr) return false;
  event->Hold();
  {
    std::lock_guard<std::mutex> guard(event->mutex);
    event->signalled = true;
  }
  event->changed.notify_all();
  event->Drop();
  return true;
}

bool UnsignalEvent(NativeHandle handle) {
  Event* event = AsEvent(handle);
  if (event == nullptr) return false;
  std::lock_guard<std::mutex> guard(event->mutex);
  event->signalled = false;
  return true;
}

void CloseEventHandle(NativeHandle handle) {
  if (Event* event = AsEvent(handle)) event->Drop();
}

WaitOutcome WaitForEvent(NativeHandle handle, std::uint32_t milliseconds) {
  Event* event = AsEvent(handle);
  if (event == nullptr) return WaitOutcome::Failed;
  std::unique_lock<std::mutex> lock(event->mutex);
  const auto set = [event] { return event->signalled; };
  // A test only: a timed wait, even one already over, may sleep for the
  // kernel's timer slack.
  if (milliseconds == 0) return event->signalled ? WaitOutcome::Signalled : WaitOutcome::TimedOut;
  if (milliseconds == kWaitForever) {
    event->changed.wait(lock, set);
    return WaitOutcome::Signalled;
  }
  return event->changed.wait_for(lock, std::chrono::milliseconds(milliseconds), set)
             ? WaitOutcome::Signalled
             : WaitOutcome::TimedOut;
}

WaitOutcome WaitForEventOrThreadEnd(NativeHandle eventHandle, NativeHandle threadHandle) {
  Event* event = AsEvent(eventHandle);
  PosixThread* thread = AsThread(threadHandle);
  if (event == nullptr || thread == nullptr) return WaitOutcome::Failed;
  Watch watch{event, nullptr};
  {
    std::lock_guard<std::mutex> guard(thread->endMutex);
    if (thread->ended.load()) return WaitOutcome::Signalled;
    watch.next = thread->watches;
    thread->watches = &watch;
  }
  {
    std::unique_lock<std::mutex> lock(event->mutex);
    event->changed.wait(lock, [event, thread] { return event->signalled || thread->ended.load(); });
  }
  thread->Unwatch(&watch);
  return WaitOutcome::Signalled;
}

// ---- Queues ----

void EnsureThreadMessageQueue() {
  if (current.queue) return;
  const ThreadId id = CurrentThreadId();
  Registry& registry = Queues();
  try {
    auto queue = std::make_shared<MessageQueue>();
    std::lock_guard<std::mutex> guard(registry.mutex);
    registry.queues[id] = queue;
    current.queue = std::move(queue);
  } catch (const std::bad_alloc&) {
    // Without memory for a queue the thread has none: posts to it fail and
    // its GetThreadMessage reports the failure.
  }
}

bool PostThreadMessageTo(ThreadId thread, std::uint32_t message, std::uintptr_t wParam,
                         std::intptr_t lParam) {
  std::shared_ptr<MessageQueue> queue;
  {
    Registry& registry = Queues();
    std::lock_guard<std::mutex> guard(registry.mutex);
    const auto found = registry.queues.find(thread);
    if (found == registry.queues.end()) return false;
    queue = found->second;
  }
  ThreadMessage posted;
  posted.message = message;
  posted.wParam = wParam;
  posted.lParam = lParam;
  posted.time = GetTickCount();
  return queue->Post(posted);
}

int GetThreadMessage(ThreadMessage* message) {
  if (message == nullptr) return -1;
  MessageQueue* queue = CurrentQueue();
  return queue != nullptr ? queue->Get(message) : -1;
}

// Windows here are only reached by sent messages, so a posted message that
// the thread does not handle itself has nowhere to go; a timer with a
// callback is called, as the platform calls a timer procedure.
void DispatchThreadMessage(const ThreadMessage& message) {
  if (message.window != nullptr || message.message != kTimerMessage || !current.queue) return;
  TimerCallback callback = nullptr;
  void* context = nullptr;
  // Called outside the queue's lock: the callback may stop its timer.
  if (current.queue->CallbackOf(message.wParam, &callback, &context)) callback(context);
}

std::uintptr_t StartThreadTimer(std::uint32_t milliseconds) {
  MessageQueue* queue = CurrentQueue();
  return queue != nullptr ? queue->AddTimer(milliseconds) : 0;
}

void StopThreadTimer(std::uintptr_t timer) {
  if (current.queue) current.queue->RemoveTimer(timer);
}

std::uintptr_t StartCallbackTimer(std::uint32_t milliseconds, TimerCallback callback,
                                  void* context) {
  if (callback == nullptr) return 0;
  EnsureThreadMessageQueue();
  MessageQueue* queue = CurrentQueue();
  return queue != nullptr ? queue->AddTimer(milliseconds, callback, context) : 0;
}

void StopCallbackTimer(std::uintptr_t timer) { StopThreadTimer(timer); }

// ---- Locks ----

static_assert(sizeof(pthread_mutex_t) <= sizeof(LockStorage::bytes) &&
                  alignof(pthread_mutex_t) <= alignof(LockStorage),
              "a pthread mutex fits the lock storage");

namespace {
pthread_mutex_t* Mutex(LockStorage* lock) {
  return reinterpret_cast<pthread_mutex_t*>(lock->bytes);
}
}  // namespace

void InitializeLock(LockStorage* lock) {
  pthread_mutexattr_t attributes;
  pthread_mutexattr_init(&attributes);
  pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
  pthread_mutex_init(Mutex(lock), &attributes);
  pthread_mutexattr_destroy(&attributes);
}

void EnterLock(LockStorage* lock) { pthread_mutex_lock(Mutex(lock)); }
void LeaveLock(LockStorage* lock) { pthread_mutex_unlock(Mutex(lock)); }
void DeleteLock(LockStorage* lock) { pthread_mutex_destroy(Mutex(lock)); }

// ---- COM ----

void EnterComApartment() {}
void LeaveComApartment() {}

}  // namespace Halvane::Platform
