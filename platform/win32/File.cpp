// Read-only files through the platform's file handles: opened for reading
// with shared reading, sizes and offsets in 64 bits through the high words of
// GetFileSize and SetFilePointer.
#include "platform/File.h"

#include "platform/Com.h"

namespace Halvane::Platform {

namespace {
HANDLE Native(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

// INVALID_SET_FILE_POINTER is also a valid low word, so the error code
// decides.
bool MoveFilePointer(FileHandle file, std::int64_t offset, DWORD method,
                     std::uint64_t* result) {
  LONG high = static_cast<LONG>(offset >> 32);
  ::SetLastError(NO_ERROR);
  const DWORD low = ::SetFilePointer(Native(file), static_cast<LONG>(offset & 0xFFFFFFFF),
                                     &high, method);
  if (low == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR) return false;
  if (result != nullptr) {
    *result = (static_cast<std::uint64_t>(static_cast<DWORD>(high)) << 32) | low;
  }
  return true;
}
}  // namespace

// kInvalidFileHandle (-1) is INVALID_HANDLE_VALUE.
FileHandle OpenFileForReading(const char* path) {
  if (path == nullptr || path[0] == 0) return kInvalidFileHandle;
  // Without backup semantics a directory is refused, as on the other target.
  HANDLE file = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return kInvalidFileHandle;
  return reinterpret_cast<FileHandle>(file);
}

bool GetFileSize64(FileHandle file, std::uint64_t* size) {
  if (file == kInvalidFileHandle || size == nullptr) return false;
  DWORD high = 0;
  ::SetLastError(NO_ERROR);
  const DWORD low = ::GetFileSize(Native(file), &high);
  if (low == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR) return false;
  *size = (static_cast<std::uint64_t>(high) << 32) | low;
  return true;
}

bool SetFilePosition(FileHandle file, std::int64_t offset) {
  if (file == kInvalidFileHandle || offset < 0) return false;
  return MoveFilePointer(file, offset, FILE_BEGIN, nullptr);
}

bool GetFilePosition(FileHandle file, std::uint64_t* offset) {
  if (file == kInvalidFileHandle || offset == nullptr) return false;
  return MoveFilePointer(file, 0, FILE_CURRENT, offset);
}

bool ReadFileBytes(FileHandle file, void* buffer, std::uint32_t count, std::uint32_t* bytesRead) {
  std::uint32_t done = 0;
  bool ok = file != kInvalidFileHandle && (buffer != nullptr || count == 0);
  auto* out = static_cast<unsigned char*>(buffer);
  while (ok && done < count) {
    DWORD got = 0;
    if (!::ReadFile(Native(file), out + done, count - done, &got, nullptr)) {
      ok = false;
    } else if (got == 0) {
      break;  // the end of the file
    } else {
      done += got;
    }
  }
  if (bytesRead != nullptr) *bytesRead = done;
  return ok;
}

void CloseFile(FileHandle file) {
  if (file != kInvalidFileHandle) ::CloseHandle(Native(file));
}

bool PathExists(const char* path) {
  if (path == nullptr || path[0] == 0) return false;
  return ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace Halvane::Platform
