// The system's handle table (NtQuerySystemInformation with
// SystemHandleInformation) lists every handle of every process; this
// process's entries are its kernel handles.
#include "support/ProcessObjects.h"

#include <cstring>
#include <vector>

#include "platform/Com.h"

namespace Halvane::Testing {

namespace {

constexpr ULONG kSystemHandleInformation = 16;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004u);

struct HandleEntry {
  USHORT processId;
  USHORT creatorBackTraceIndex;
  UCHAR objectTypeIndex;
  UCHAR attributes;
  USHORT handleValue;
  PVOID object;
  ULONG grantedAccess;
};

// The table: a count, then that many entries.
constexpr std::size_t kEntriesOffset = sizeof(void*) > sizeof(ULONG) ? sizeof(void*) : sizeof(ULONG);

using QuerySystemInformation = LONG(WINAPI*)(ULONG informationClass, PVOID information,
                                             ULONG length, PULONG returned);

}  // namespace

std::size_t KernelObjectCount() {
  const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  if (ntdll == nullptr) return 0;
  const auto query = reinterpret_cast<QuerySystemInformation>(
      reinterpret_cast<void*>(::GetProcAddress(ntdll, "NtQuerySystemInformation")));
  if (query == nullptr) return 0;
  std::vector<unsigned char> buffer(1 << 16);
  for (int attempt = 0; attempt < 16; ++attempt) {
    ULONG returned = 0;
    const LONG status = query(kSystemHandleInformation, buffer.data(),
                              static_cast<ULONG>(buffer.size()), &returned);
    if (status == kInfoLengthMismatch) {
      buffer.resize(buffer.size() * 2);
      continue;
    }
    if (status < 0) return 0;
    ULONG entries = 0;
    std::memcpy(&entries, buffer.data(), sizeof entries);
    if (entries > (buffer.size() - kEntriesOffset) / sizeof(HandleEntry)) return 0;
    const USHORT self = static_cast<USHORT>(::GetCurrentProcessId());
    std::size_t count = 0;
    for (ULONG i = 0; i < entries; ++i) {
      HandleEntry entry;
      std::memcpy(&entry, buffer.data() + kEntriesOffset + i * sizeof(HandleEntry), sizeof entry);
      if (entry.processId == self) ++count;
    }
    return count;
  }
  return 0;
}

}  // namespace Halvane::Testing
