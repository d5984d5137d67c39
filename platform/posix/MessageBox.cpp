// Without a window system the box becomes two lines on standard error: the
// caption in brackets, then the text. The user "closes" it at once.
#include "platform/MessageBox.h"

#include <cstdio>

namespace Halvane::Platform {

namespace {
MessageBoxSink installedSink = nullptr;
void* installedContext = nullptr;
}  // namespace

int ShowMessageBox(WindowHandle owner, const char* text, const char* caption,
                   std::uint32_t style) {
  if (installedSink != nullptr) {
    return installedSink(installedContext, owner, text, caption, style);
  }
  std::fflush(stdout);
  std::fprintf(stderr, "[%s] %s\n", caption != nullptr ? caption : "",
               text != nullptr ? text : "");
  std::fflush(stderr);
  return IDOK;
}

MessageBoxSink SetMessageBoxSink(MessageBoxSink sink, void* context,
                                 void** previousContext) {
  MessageBoxSink previous = installedSink;
  if (previousContext != nullptr) *previousContext = installedContext;
  installedSink = sink;
  installedContext = context;
  return previous;
}

}  // namespace Halvane::Platform
