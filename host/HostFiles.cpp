#include "host/HostFiles.h"

#include <cstring>
#include <filesystem>
#include <system_error>

namespace Halvane::Host {

namespace {

bool SafeName(const std::string& name) {
  if (name.empty() || name.find('\0') != std::string::npos) return false;
  const std::filesystem::path path(name);
  if (path.is_absolute() || path.has_root_name() || path.has_root_directory()) return false;
  for (const auto& part : path) {
    if (part == "..") return false;
  }
  return true;
}

}  // namespace

bool HostFiles::AddArchive(const std::string& path, Lookup lookup) {
  ZipArchive archive;
  if (!archive.Open(path)) return false;
  (lookup == Lookup::VM2GetFile ? archives_ : vmaArchives_).push_back(std::move(archive));
  return true;
}

bool HostFiles::AddFolder(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_directory(path, error)) return false;
  folders_.push_back(path);
  return true;
}

bool HostFiles::FindInArchives(const std::string& name, FileAnswer& answer,
                               Lookup lookup) const {
  if (!SafeName(name)) return false;
  for (const ZipArchive& archive : lookup == Lookup::VM2GetFile ? archives_ : vmaArchives_) {
    ArchiveWindow window;
    if (archive.Find(name, window)) {
      answer = FileAnswer{archive.Path(), window.offset, window.length};
      return true;
    }
  }
  return false;
}

bool HostFiles::FindInFolders(const std::string& name, FileAnswer& answer) const {
  if (!SafeName(name)) return false;
  for (const std::string& folder : folders_) {
    const std::filesystem::path candidate = std::filesystem::path(folder) / name;
    std::error_code error;
    if (std::filesystem::is_regular_file(candidate, error)) {
      answer = FileAnswer{candidate.string(), 0, 0};
      return true;
    }
  }
  return false;
}

bool HostFiles::Find(Lookup lookup, const std::string& name, FileAnswer& answer) const {
  if (FindInArchives(name, answer, lookup)) return true;
  return lookup == Lookup::VMAGetFile && FindInFolders(name, answer);
}

std::int32_t HostFiles::Answer(bool found, const FileAnswer& answer, char* path,
                               std::int32_t* offset, std::int32_t* length) {
  if (!found || path == nullptr || offset == nullptr || length == nullptr) return 0;
  if (answer.path.size() + 1 > kPathBufferSize) return 0;
  std::memcpy(path, answer.path.c_str(), answer.path.size() + 1);
  *offset = static_cast<std::int32_t>(answer.offset);
  *length = static_cast<std::int32_t>(answer.length);
  return 1;
}

}  // namespace Halvane::Host
