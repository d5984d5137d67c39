// A thread owned by an object: a base class whose Run the new thread calls.
//
// Start does not return until the new thread owns a message queue, so the
// starter may post thread messages to Identifier() at once. Start, Join,
// IsRunning, the accessors and the destructor belong to the owning thread;
// Run must not read them.
//
// The thread is not stopped by anyone but itself: before Join (and before
// the destructor, which joins) the owner must have asked it to end.
#pragma once

#include <cstdint>

#include "platform/Threads.h"

namespace Halvane::Threading {

class Thread {
 public:
  Thread();
  // Joins the thread, then closes the start event.
  virtual ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // 1 when a new thread was started and owns its queue; 0 when the thread
  // is still running (nothing started, the running one kept) or none could
  // be created (no handle, identifier 0).
  std::int32_t Start();

  // True while the thread has been started and has not ended.
  bool IsRunning() const;

  // Waits without a time-out for the thread to end and forgets it (handle
  // -1, identifier 0, start event reset). Nothing when there is no thread.
  void Join();

  // The thread's identifier for posting messages; 0 while there is none.
  Platform::ThreadId Identifier() const { return threadId_; }
  // The thread's handle; -1 while there is none.
  Platform::NativeHandle Handle() const { return threadHandle_; }
  // The thread's exit code (Platform::kStillActive while it runs); false
  // while there is no thread.
  bool ExitCode(std::uint32_t* code) const;

  // How threads are started: the platform's own unless a test hands in its
  // own (only beginThread is used here).
  const Platform::ThreadServices* threadServices = &Platform::SystemThreadServices();

 protected:
  // Runs on the new thread; its result becomes the thread's exit code. The
  // base version returns 0.
  virtual std::uint32_t Run();

 private:
  static std::uint32_t Entry(void* self);

  Platform::NativeHandle threadHandle_ = Platform::kInvalidHandle;
  Platform::ThreadId threadId_ = 0;
  Platform::NativeHandle startEvent_;
};

}  // namespace Halvane::Threading
