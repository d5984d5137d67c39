// Read-only files with POSIX descriptors. A directory opens fine with open(),
// but CreateFileA refuses it without backup semantics, so it is refused here
// too; reads loop until the count or the end because read() may deliver less.
#include "platform/File.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Halvane::Platform {

namespace {
int Descriptor(FileHandle file) { return static_cast<int>(file); }
}  // namespace

FileHandle OpenFileForReading(const char* path) {
  if (path == nullptr || path[0] == 0) return kInvalidFileHandle;
  int fd;
  do {
    fd = ::open(path, O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return kInvalidFileHandle;
  struct stat info;
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return kInvalidFileHandle;
  }
  return static_cast<FileHandle>(fd);
}

bool GetFileSize64(FileHandle file, std::uint64_t* size) {
  if (file == kInvalidFileHandle || size == nullptr) return false;
  struct stat info;
  if (::fstat(Descriptor(file), &info) != 0 || info.st_size < 0) return false;
  *size = static_cast<std::uint64_t>(info.st_size);
  return true;
}

bool SetFilePosition(FileHandle file, std::int64_t offset) {
  if (file == kInvalidFileHandle || offset < 0) return false;
  return ::lseek(Descriptor(file), static_cast<off_t>(offset), SEEK_SET) == static_cast<off_t>(offset);
}

bool GetFilePosition(FileHandle file, std::uint64_t* offset) {
  if (file == kInvalidFileHandle || offset == nullptr) return false;
  const off_t at = ::lseek(Descriptor(file), 0, SEEK_CUR);
  if (at < 0) return false;
  *offset = static_cast<std::uint64_t>(at);
  return true;
}

bool ReadFileBytes(FileHandle file, void* buffer, std::uint32_t count, std::uint32_t* bytesRead) {
  std::uint32_t done = 0;
  bool ok = file != kInvalidFileHandle && (buffer != nullptr || count == 0);
  auto* out = static_cast<unsigned char*>(buffer);
  while (ok && done < count) {
    const ssize_t n = ::read(Descriptor(file), out + done, count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
    } else if (n == 0) {
      break;
    } else {
      done += static_cast<std::uint32_t>(n);
    }
  }
  if (bytesRead != nullptr) *bytesRead = done;
  return ok;
}

void CloseFile(FileHandle file) {
  if (file != kInvalidFileHandle) ::close(Descriptor(file));
}

bool PathExists(const char* path) {
  if (path == nullptr || path[0] == 0) return false;
  struct stat info;
  return ::stat(path, &info) == 0;
}

}  // namespace Halvane::Platform
