// Read-only file access for the movie readers and the player: open an
// existing file for reading while others may read it too, learn its 64-bit
// size, position absolutely, read, close; and test whether a path exists.
// Mirrors CreateFileA (GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING),
// GetFileSize, SetFilePointer, ReadFile, CloseHandle and GetFileAttributesA.
// A handle is used by one thread at a time.
#pragma once

#include <cstdint>

namespace Halvane::Platform {

using FileHandle = std::intptr_t;
constexpr FileHandle kInvalidFileHandle = -1;

// Opens an existing regular file for reading; kInvalidFileHandle when it does
// not exist, cannot be read, or is a directory.
FileHandle OpenFileForReading(const char* path);

// The file's size in bytes. False on failure, size untouched.
bool GetFileSize64(FileHandle file, std::uint64_t* size);

// Moves the file pointer to an absolute offset from the start of the file.
// False when the offset is refused (negative, or the handle is bad); the
// pointer is then unchanged. Offsets past the end are allowed, as on Windows.
bool SetFilePosition(FileHandle file, std::int64_t offset);

// The file pointer's absolute offset. False on failure.
bool GetFilePosition(FileHandle file, std::uint64_t* offset);

// Reads up to count bytes at the file pointer and advances it by the bytes
// read. A short count means the end of the file was reached. False on a read
// error (bytesRead then holds what was read before it).
bool ReadFileBytes(FileHandle file, void* buffer, std::uint32_t count, std::uint32_t* bytesRead);

// Closes a handle from OpenFileForReading; kInvalidFileHandle is ignored.
void CloseFile(FileHandle file);

// True when something exists at the path (a file or a directory), as a
// successful GetFileAttributesA.
bool PathExists(const char* path);

}  // namespace Halvane::Platform
