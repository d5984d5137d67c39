#include "threading/EventHandle.h"

namespace Halvane::Threading {

EventHandle::~EventHandle() {
  if (IsValid()) Platform::CloseEventHandle(handle_);
  handle_ = Platform::kInvalidHandle;
}

bool EventHandle::Create() {
  if (IsValid()) Platform::CloseEventHandle(handle_);
  handle_ = Platform::CreateManualResetEvent();
  return IsValid();
}

bool EventHandle::Set() { return IsValid() && Platform::SignalEvent(handle_); }

bool EventHandle::Reset() { return IsValid() && Platform::UnsignalEvent(handle_); }

bool EventHandle::IsSignalled() const {
  return IsValid() && Platform::WaitForEvent(handle_, 0) == Platform::WaitOutcome::Signalled;
}

}  // namespace Halvane::Threading
