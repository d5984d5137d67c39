// The system's handle table (NtQuerySystemInformation with
// SystemHandleInformation) lists every handle of every process; this
// process's entries are its kernel handles. Graphics objects are listed in
// the process's own table, which Wine keeps in the layout of 64-bit Windows
// for every program.
#include "support/ProcessObjects.h"

#include <cstring>
#include <vector>

#include <winternl.h>

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

namespace {

// One entry of Wine's graphics object table; a handle is the entry's index
// with its Unique field in the upper 16 bits.
struct GraphicsEntry {
  std::uint64_t object;
  std::uint32_t owner;
  std::uint16_t unique;
  std::uint8_t type;  // 0: free
  std::uint8_t flags;
  std::uint64_t userPointer;
};
static_assert(sizeof(GraphicsEntry) == 24, "Wine's GDI_HANDLE_ENTRY");
constexpr std::size_t kGraphicsEntries = 0x10000;
// Where the 32-bit process environment block keeps the table's address.
constexpr std::size_t kGraphicsTableOffset = 0x94;

bool RunsUnderWine() {
  const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

using QueryProcessInformation = LONG(WINAPI*)(HANDLE process, ULONG informationClass,
                                              PVOID information, ULONG length, PULONG returned);

const GraphicsEntry* GraphicsTable() {
  if (sizeof(void*) != 4 || !RunsUnderWine()) return nullptr;
  const auto query = reinterpret_cast<QueryProcessInformation>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
  PROCESS_BASIC_INFORMATION basic{};
  if (query == nullptr ||
      query(::GetCurrentProcess(), 0 /* ProcessBasicInformation */, &basic, sizeof basic,
            nullptr) < 0 ||
      basic.PebBaseAddress == nullptr) {
    return nullptr;
  }
  const auto* environment = reinterpret_cast<const unsigned char*>(basic.PebBaseAddress);
  const GraphicsEntry* table = nullptr;
  std::memcpy(&table, environment + kGraphicsTableOffset, sizeof table);
  return table;
}

struct WindowCount {
  const char* className;
  DWORD process;
  int count;
};

BOOL CALLBACK CountWindow(HWND window, LPARAM context) {
  auto* count = reinterpret_cast<WindowCount*>(context);
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  char name[64] = {};
  if (process == count->process && ::GetClassNameA(window, name, sizeof name) > 0 &&
      std::strcmp(name, count->className) == 0) {
    ++count->count;
  }
  return TRUE;
}

}  // namespace

std::vector<std::uintptr_t> LiveGraphicsObjects() {
  std::vector<std::uintptr_t> handles;
  const GraphicsEntry* table = GraphicsTable();
  if (table == nullptr) return handles;
  for (std::size_t index = 0; index < kGraphicsEntries; ++index) {
    if (table[index].type == 0) continue;
    const std::uintptr_t handle = index | static_cast<std::uintptr_t>(table[index].unique) << 16;
    switch (::GetObjectType(reinterpret_cast<HGDIOBJ>(handle))) {
      case OBJ_DC:
      case OBJ_MEMDC:
      case OBJ_BITMAP:
      case OBJ_FONT:
        handles.push_back(handle);
        break;
      default:
        break;
    }
  }
  return handles;
}

bool GraphicsObjectLives(std::uintptr_t handle) {
  return ::GetObjectType(reinterpret_cast<HGDIOBJ>(handle)) != 0;
}

bool ModuleIsLoaded(const char* fileName) { return ::GetModuleHandleA(fileName) != nullptr; }

int WindowsOfClass(const char* className) {
  WindowCount count{className, ::GetCurrentProcessId(), 0};
  ::EnumWindows(&CountWindow, reinterpret_cast<LPARAM>(&count));
  return count.count;
}

}  // namespace Halvane::Testing
