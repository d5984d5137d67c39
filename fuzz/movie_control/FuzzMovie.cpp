// Loads arbitrary bytes as a movie, the way the player hands one to the
// control (spliced into a property stream), and runs it: every frame by the
// clock, gotos forwards and backwards, variables and an external call; and
// draws every frame it steps into a small DIB section, through a draw
// rectangle that overhangs it, at low and high quality in turn. Movies with
// very many frames are run through their first frames only, so that each
// input stays quick.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "io/MemoryStream.h"
#include "movie/control/ControlPersistence.h"
#include "movie/control/MovieControl.h"
#include "platform/Gdi.h"

using namespace Halvane;

namespace {

constexpr long kMaxFramesRun = 100;

BSTR Text(const char16_t* text) { return SysAllocString(text); }

// A 24-bit DIB section selected into a memory context, as the player draws.
class SmallBitmap {
 public:
  SmallBitmap() {
    Platform::DibHeader header{};
    header.biSize = 40;
    header.biWidth = 48;
    header.biHeight = 36;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = Platform::kDibRgb;
    context_ = Platform::CreateMemoryContext(nullptr);
    void* bits = nullptr;
    if (context_ != nullptr) bitmap_ = Platform::CreateDibSection(context_, header, &bits);
    if (bitmap_ != nullptr) previous_ = Platform::SelectIntoContext(context_, bitmap_);
  }
  ~SmallBitmap() {
    if (previous_ != nullptr) Platform::SelectIntoContext(context_, previous_);
    if (bitmap_ != nullptr) Platform::DeleteGdiObject(bitmap_);
    if (context_ != nullptr) Platform::DeleteMemoryContext(context_);
  }
  HDC Context() const { return context_; }

 private:
  HDC context_ = nullptr;
  Platform::GdiObject bitmap_ = nullptr;
  Platform::GdiObject previous_ = nullptr;
};

void Draw(IShockwaveFlash* control, HDC context, long step) {
  control->put_Quality(step % 2 == 0 ? 1 : 0);
  IViewObject* view = nullptr;
  if (SUCCEEDED(control->QueryInterface(IID_IViewObject, reinterpret_cast<void**>(&view)))) {
    RECT box{-6, -4, 54, 40};
    OleDraw(view, DVASPECT_CONTENT, context, &box);
    view->Release();
  }
}

void Exercise(IShockwaveFlash* control) {
  SmallBitmap bitmap;
  IMovieControlClock* clock = nullptr;
  control->QueryInterface(IID_IMovieControlClock, reinterpret_cast<void**>(&clock));
  long total = 0;
  if (SUCCEEDED(control->get_TotalFrames(&total)) && clock != nullptr) {
    // One frame per clock call (each frame may spend a whole instruction
    // budget on its actions); a movie of rate 0 is moved on by gotos.
    DWORD interval = 0;
    clock->GetFrameInterval(&interval);
    control->Play();
    const long run = total < kMaxFramesRun ? total : kMaxFramesRun;
    for (long i = 0; i < run + 1; ++i) {
      if (interval > 0) {
        clock->AdvanceClock(interval);
      } else {
        control->GotoFrame(i);
      }
      Draw(control, bitmap.Context(), i);
    }
    control->GotoFrame(total - 1);
    control->GotoFrame(0);
    control->GotoFrame(total / 2);
    control->GotoFrame(total);
    control->put_Loop(VARIANT_FALSE);
    clock->AdvanceClock(100000);
  }
  BSTR name = Text(u"_root.x");
  BSTR value = Text(u"1");
  BSTR got = nullptr;
  control->SetVariable(name, value);
  control->GetVariable(name, &got);
  SysFreeString(got);
  got = nullptr;
  BSTR request = Text(u"<invoke name=\"f\" returntype=\"xml\"><arguments><number>1</number></arguments></invoke>");
  control->CallFunction(request, &got);
  SysFreeString(got);
  SysFreeString(request);
  SysFreeString(value);
  SysFreeString(name);
  Draw(control, bitmap.Context(), 0);
  if (clock != nullptr) clock->Release();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > (4u << 20)) return 0;
  // A compressed movie may rightly ask for up to the control's movie cap;
  // keep the fuzzer's memory to what finds faults rather than to that cap.
  if (size >= 8 && data[0] == 'C') {
    const std::uint32_t declared = static_cast<std::uint32_t>(
        data[4] | (data[5] << 8) | (data[6] << 16) | (std::uint32_t{data[7]} << 24));
    if (declared > (16u << 20)) return 0;
  }
  Movie::ControlProperties properties;
  properties.playing = false;
  const std::vector<std::uint8_t> saved = Movie::EncodeControlProperties(properties);
  std::vector<std::uint8_t> load;
  load.push_back(0x66);
  load.insert(load.end(), saved.begin() + 1, saved.begin() + 4);
  const std::uint32_t length = static_cast<std::uint32_t>(size);
  for (int i = 0; i < 4; ++i) load.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
  load.insert(load.end(), data, data + size);
  load.insert(load.end(), saved.begin() + 4, saved.end());

  IO::MemoryStream* stream = nullptr;
  if (FAILED(IO::CreateMemoryStream(0, &stream))) return 0;
  stream->Write(load.data(), static_cast<ULONG>(load.size()), nullptr);
  LARGE_INTEGER zero{};
  stream->Seek(zero, STREAM_SEEK_SET, nullptr);

  IPersistStreamInit* persist = nullptr;
  if (SUCCEEDED(Movie::MovieControl::Create(IID_IPersistStreamInit,
                                            reinterpret_cast<void**>(&persist)))) {
    if (SUCCEEDED(persist->Load(stream))) {
      IShockwaveFlash* control = nullptr;
      persist->QueryInterface(IID_IShockwaveFlash, reinterpret_cast<void**>(&control));
      Exercise(control);
      control->Release();
    }
    persist->Release();
  }
  stream->Release();
  return 0;
}
