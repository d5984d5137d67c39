// Without a window system the box becomes one line on standard error: the
// caption in brackets, then the text, both as UTF-8. The user "closes" it at
// once. A watch of the thread takes the place of that line.
#include "platform/MessageBox.h"

#include <cstdio>
#include <string>

#include "platform/BoxWatch.h"
#include "platform/CodePage.h"

namespace Halvane::Platform {

namespace {
thread_local BoxWatch* currentWatch = nullptr;

std::u16string Units(const WideChar* text) {
  std::u16string out;
  for (const WideChar* p = text; p != nullptr && *p != 0; ++p) out.push_back(*p);
  return out;
}

// The system code page of this target is UTF-8.
std::string Utf8(const WideChar* text) {
  std::string out;
  Utf16ToSystemCodePage(Units(text), out);
  return out;
}
}  // namespace

int ShowMessageBox(WindowHandle owner, const WideChar* text, const WideChar* caption,
                   std::uint32_t style) {
  if (currentWatch != nullptr) {
    WatchedBox box;
    box.owner = owner;
    box.caption = Units(caption);
    box.text = Units(text);
    box.style = style;
    currentWatch->Deliver(box);
    return kBoxClosedWithOk;
  }
  std::fflush(stdout);
  std::fprintf(stderr, "[%s] %s\n", Utf8(caption).c_str(), Utf8(text).c_str());
  std::fflush(stderr);
  return kBoxClosedWithOk;
}

BoxWatch::BoxWatch(Report report, void* context)
    : report_(report), context_(context), previous_(currentWatch), active_(true) {
  currentWatch = this;
}

BoxWatch::~BoxWatch() {
  if (currentWatch == this) currentWatch = previous_;
}

BoxWatch* BoxWatch::Current() { return currentWatch; }

}  // namespace Halvane::Platform
