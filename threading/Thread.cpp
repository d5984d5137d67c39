#include "threading/Thread.h"

namespace Halvane::Threading {

Thread::Thread() : startEvent_(Platform::CreateManualResetEvent()) {}

Thread::~Thread() {
  Join();
  Platform::CloseEventHandle(startEvent_);
}

std::int32_t Thread::Start() {
  if (IsRunning()) return 0;
  Platform::UnsignalEvent(startEvent_);
  Platform::ThreadId id = 0;
  const Platform::NativeHandle handle = threadServices->beginThread(&Thread::Entry, this, &id);
  if (handle == Platform::kInvalidHandle || handle == 0) {
    threadHandle_ = Platform::kInvalidHandle;
    threadId_ = 0;
    return 0;
  }
  threadHandle_ = handle;
  threadId_ = id;
  Platform::WaitForEvent(startEvent_, Platform::kWaitForever);
  return 1;
}

std::uint32_t Thread::Entry(void* self) {
  auto* thread = static_cast<Thread*>(self);
  // The queue exists before the starter goes on, so nothing it posts is lost.
  Platform::EnsureThreadMessageQueue();
  Platform::SignalEvent(thread->startEvent_);
  return thread->Run();
}

bool Thread::IsRunning() const {
  std::uint32_t code = 0;
  return ExitCode(&code) && code == Platform::kStillActive;
}

bool Thread::ExitCode(std::uint32_t* code) const {
  return threadHandle_ != Platform::kInvalidHandle &&
         Platform::GetThreadExitCode(threadHandle_, code);
}

void Thread::Join() {
  if (threadHandle_ == Platform::kInvalidHandle) return;
  Platform::WaitForThreadEnd(threadHandle_);
  Platform::CloseThreadHandle(threadHandle_);
  threadHandle_ = Platform::kInvalidHandle;
  threadId_ = 0;
  Platform::UnsignalEvent(startEvent_);
}

std::uint32_t Thread::Run() { return 0; }

}  // namespace Halvane::Threading
