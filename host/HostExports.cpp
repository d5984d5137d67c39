// The host functions that plug-ins look up by name in the host executable.
// They answer from the current session; without one they report nothing
// found and a screen of 0 x 0. Null pointers from a plug-in are refused.
#include <cstdint>
#include <cstring>

#include "host/HostSession.h"

using Halvane::Host::FileAnswer;
using Halvane::Host::HostFiles;
using Halvane::Host::HostSession;

extern "C" {

std::int32_t VlmGetWindowSize(std::int32_t* width, std::int32_t* height) {
  HostSession* session = HostSession::Current();
  const std::int32_t w = session != nullptr ? session->Screen().Width() : 0;
  const std::int32_t h = session != nullptr ? session->Screen().Height() : 0;
  if (width != nullptr) *width = w;
  if (height != nullptr) *height = h;
  return 1;
}

void* VlmGetWindow() {
  HostSession* session = HostSession::Current();
  return session != nullptr ? session->Window() : nullptr;
}

std::int32_t VM2GetFile(const char* name, char* path, std::int32_t* offset,
                        std::int32_t* length) {
  HostSession* session = HostSession::Current();
  if (session == nullptr || name == nullptr) return 0;
  FileAnswer answer;
  const bool found = session->Files().Find(HostFiles::Lookup::VM2GetFile, name, answer);
  return HostFiles::Answer(found, answer, path, offset, length);
}

std::int32_t VMAGetFile(const char* name, char* path, std::int32_t* offset,
                        std::int32_t* length) {
  HostSession* session = HostSession::Current();
  if (session == nullptr || name == nullptr) return 0;
  FileAnswer answer;
  const bool found = session->Files().Find(HostFiles::Lookup::VMAGetFile, name, answer);
  return HostFiles::Answer(found, answer, path, offset, length);
}

}
