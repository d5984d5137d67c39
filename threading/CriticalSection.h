// A lock for data shared between two threads. Recursive, like the platform's
// critical section it wraps: the thread that holds it may take it again.
// CriticalSectionGuard holds it for one scope, also when the scope is left
// by an exception.
#pragma once

#include "platform/Threads.h"

namespace Halvane::Threading {

class CriticalSection {
 public:
  CriticalSection() { Platform::InitializeLock(&section_); }
  virtual ~CriticalSection() { Platform::DeleteLock(&section_); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

  void Lock() { Platform::EnterLock(&section_); }
  void Unlock() { Platform::LeaveLock(&section_); }

 private:
  Platform::LockStorage section_;
};

class CriticalSectionGuard {
 public:
  explicit CriticalSectionGuard(CriticalSection& section) : section_(section) { section_.Lock(); }
  ~CriticalSectionGuard() { section_.Unlock(); }
  CriticalSectionGuard(const CriticalSectionGuard&) = delete;
  CriticalSectionGuard& operator=(const CriticalSectionGuard&) = delete;

 private:
  CriticalSection& section_;
};

}  // namespace Halvane::Threading
