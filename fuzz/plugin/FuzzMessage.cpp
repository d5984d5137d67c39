// Feeds arbitrary bytes, up to their first zero, to the exported Message as
// a command text: once with both result channels, once with none. Error
// boxes are watched: each one is checked and closed at once. The text result is an exact
// 261-byte allocation, so a write past it is caught at once. Each input ends
// with SwfClose().
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/BoxWatch.h"
#include "plugin/PlugInExports.h"

extern "C" std::int32_t VlmGetWindowSize(std::int32_t* width, std::int32_t* height) {
  *width = 640;
  *height = 480;
  return 1;
}

extern "C" void* VlmGetWindow() { return reinterpret_cast<void*>(0x1234); }

namespace {

void CountBox(void* context, const Halvane::Platform::WatchedBox& box) {
  if (box.caption != u"vmswf" || box.text.empty()) std::abort();
  ++*static_cast<std::size_t*>(context);
}

std::size_t boxes = 0;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const Halvane::Platform::BoxWatch watch(&CountBox, &boxes);

  const std::string text(reinterpret_cast<const char*>(data),
                         strnlen(reinterpret_cast<const char*>(data), size));
  std::vector<char> textResult(261, 'x');
  std::int32_t intResult = 0x5A5A5A5A;
  const std::int32_t result = Message(text.c_str(), &intResult, textResult.data());
  if (result != 0 && result != 1) std::abort();
  Message(text.c_str(), nullptr, nullptr);
  // A movie opened by the input is closed with it, so that no worker is
  // still setting up (and holding memory) when the next input's leak check
  // looks, and every input starts from a closed player.
  Message("SwfClose()", nullptr, nullptr);
  return 0;
}
