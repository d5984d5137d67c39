// Where the reference host finds the files a script names. Each of the two
// look-ups has its data archives (ZIP files with stored entries), searched
// in the order they were added: VM2GetFile only its own, VMAGetFile its own
// and then the data folders. An answer is a path of at most 260 bytes, a
// byte offset and a byte length (0: the whole file).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/ZipArchive.h"

namespace Halvane::Host {

struct FileAnswer {
  std::string path;
  std::uint32_t offset = 0;
  std::uint32_t length = 0;
};

class HostFiles {
 public:
  static constexpr std::size_t kPathBufferSize = 261;

  enum class Lookup { VM2GetFile, VMAGetFile };

  // false when it is no ZIP file
  bool AddArchive(const std::string& path, Lookup lookup = Lookup::VM2GetFile);
  bool AddFolder(const std::string& path);  // false when it is no folder

  // Names are relative: empty names, absolute names and names with a ".."
  // part are never found, so a script cannot reach outside its data.
  bool FindInArchives(const std::string& name, FileAnswer& answer,
                      Lookup lookup = Lookup::VM2GetFile) const;
  bool FindInFolders(const std::string& name, FileAnswer& answer) const;
  // What the look-up answers: VM2GetFile its archives; VMAGetFile its
  // archives, then the data folders.
  bool Find(Lookup lookup, const std::string& name, FileAnswer& answer) const;

  // The calling convention of VM2GetFile / VMAGetFile: fills the 261-byte
  // path buffer and the two integers and returns 1, or returns 0 and writes
  // nothing. Null pointers are refused; answers whose path does not fit are
  // not found.
  static std::int32_t Answer(bool found, const FileAnswer& answer, char* path,
                             std::int32_t* offset, std::int32_t* length);

 private:
  std::vector<ZipArchive> archives_;     // VM2GetFile's
  std::vector<ZipArchive> vmaArchives_;  // VMAGetFile's
  std::vector<std::string> folders_;
};

}  // namespace Halvane::Host
