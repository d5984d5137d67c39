// A manual-reset event owned by one object. Until Create succeeds the handle
// is the invalid value (-1, never null); every operation on such an event
// fails, and a wait on it returns at once, so callers treat it as an event
// that cannot be waited on.
#pragma once

#include "platform/Threads.h"

namespace Halvane::Threading {

class EventHandle {
 public:
  EventHandle() = default;
  virtual ~EventHandle();
  EventHandle(const EventHandle&) = delete;
  EventHandle& operator=(const EventHandle&) = delete;

  // Creates the event, not signalled; false (handle -1) when the platform
  // has none to give. An event created before is closed first.
  bool Create();

  bool IsValid() const { return handle_ != Platform::kInvalidHandle; }
  Platform::NativeHandle Handle() const { return handle_; }

  bool Set();
  bool Reset();
  // The zero-time-out test: true when signalled, false when not or invalid.
  bool IsSignalled() const;

 private:
  Platform::NativeHandle handle_ = Platform::kInvalidHandle;
};

}  // namespace Halvane::Threading
