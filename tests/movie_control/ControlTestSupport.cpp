#include "tests/movie_control/ControlTestSupport.h"

#include "io/MemoryStream.h"
#include "io/SwfLoadStream.h"
#include "platform/ComClasses.h"
#include "platform/Gdi.h"

namespace Halvane::Movie::Testing {

namespace {

Bytes StreamBytes(IO::MemoryStream* stream) {
  const ULONGLONG size = stream->GetSize();
  return Bytes(stream->Data(), stream->Data() + size);
}

Ref<IO::MemoryStream> StreamOf(const Bytes& bytes) {
  Ref<IO::MemoryStream> stream;
  IO::CreateMemoryStream(0, stream.Out());
  ULONG written = 0;
  stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
  LARGE_INTEGER zero{};
  stream->Seek(zero, STREAM_SEEK_SET, nullptr);
  return stream;
}

}  // namespace

Ref<IShockwaveFlash> NewControl() {
  static const bool registered = SUCCEEDED(RegisterMovieControlClass());
  (void)registered;
  Ref<IShockwaveFlash> control;
  Platform::CreateComInstance(CLSID_ShockwaveFlash, nullptr, CLSCTX_ALL, IID_IShockwaveFlash,
                              control.OutVoid());
  return control;
}

Bytes SavedProperties(const PlayerProperties& p) {
  Ref<IShockwaveFlash> control = NewControl();
  control->put_Quality(p.quality);
  control->put_Loop(p.loop ? VARIANT_TRUE : VARIANT_FALSE);
  control->put_Playing(p.playing ? VARIANT_TRUE : VARIANT_FALSE);
  BSTR mode = Bstr(p.windowMode);
  control->put_WMode(mode);
  SysFreeString(mode);
  if (!p.flashVars.empty()) {
    BSTR vars = Bstr(p.flashVars);
    control->put_FlashVars(vars);
    SysFreeString(vars);
  }
  Ref<IPersistStreamInit> persist;
  control->QueryInterface(IID_IPersistStreamInit, persist.OutVoid());
  ULARGE_INTEGER size{};
  persist->GetSizeMax(&size);
  Ref<IO::MemoryStream> stream;
  IO::CreateMemoryStream(static_cast<ULONG>(size.QuadPart), stream.Out());
  persist->Save(stream.Get(), 1);
  return StreamBytes(stream.Get());
}

Bytes SplicedStream(const Bytes& properties, const Bytes& file) {
  Ref<IO::MemoryStream> props = StreamOf(properties);
  Ref<IO::MemoryStream> source = StreamOf(file);
  std::uint32_t length = 0;
  for (int i = 0; i < 4 && 4 + i < static_cast<int>(file.size()); ++i) {
    length |= static_cast<std::uint32_t>(file[4 + i]) << (8 * i);
  }
  Ref<IO::MemoryStream> destination;
  IO::CreateMemoryStream(static_cast<ULONG>(properties.size() + length), destination.Out());
  if (FAILED(IO::BuildSwfLoadStream(source.Get(), props.Get(), destination.Get()))) return {};
  return StreamBytes(destination.Get());
}

HRESULT LoadBytes(IShockwaveFlash* control, const Bytes& stream) {
  Ref<IPersistStreamInit> persist;
  control->QueryInterface(IID_IPersistStreamInit, persist.OutVoid());
  Ref<IO::MemoryStream> source = StreamOf(stream);
  return persist->Load(source.Get());
}

Ref<IShockwaveFlash> LoadControl(const Bytes& file, const PlayerProperties& properties,
                                 HRESULT* loadResult) {
  Ref<IShockwaveFlash> control = NewControl();
  const HRESULT result = LoadBytes(control.Get(), SplicedStream(SavedProperties(properties), file));
  if (loadResult != nullptr) *loadResult = result;
  if (FAILED(result)) control.Reset();
  return control;
}

const MoviePlayer* PlayerOf(IShockwaveFlash* control) {
  return static_cast<MovieControl*>(control)->Player();
}

DibTarget::DibTarget(int width, int height, int bitsPerPixel, bool topDown)
    : width_(width), height_(height), bitsPerPixel_(bitsPerPixel), topDown_(topDown) {
  stride_ = (static_cast<std::size_t>(width) * (bitsPerPixel / 8) + 3) & ~std::size_t{3};
  Platform::DibHeader header{};
  header.biSize = 40;
  header.biWidth = width;
  header.biHeight = topDown ? -height : height;
  header.biPlanes = 1;
  header.biBitCount = static_cast<std::uint16_t>(bitsPerPixel);
  header.biCompression = Platform::kDibRgb;
  context_ = Platform::CreateMemoryContext(nullptr);
  if (context_ == nullptr) return;
  void* bits = nullptr;
  bitmap_ = Platform::CreateDibSection(context_, header, &bits);
  if (bitmap_ == nullptr) return;
  previous_ = Platform::SelectIntoContext(context_, bitmap_);
  bits_ = static_cast<std::uint8_t*>(bits);
  for (std::size_t i = 0; i < stride_ * static_cast<std::size_t>(height); ++i) {
    bits_[i] = static_cast<std::uint8_t>(i * 7 + 3);
  }
}

DibTarget::~DibTarget() {
  if (previous_ != nullptr) Platform::SelectIntoContext(context_, previous_);
  if (bitmap_ != nullptr) Platform::DeleteGdiObject(bitmap_);
  if (context_ != nullptr) Platform::DeleteMemoryContext(context_);
}

const std::uint8_t* DibTarget::Pixel(int x, int y) const {
  const std::size_t row = static_cast<std::size_t>(topDown_ ? y : height_ - 1 - y);
  return bits_ + row * stride_ + static_cast<std::size_t>(x) * (bitsPerPixel_ / 8);
}

void DibTarget::Fill(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      std::uint8_t* p = const_cast<std::uint8_t*>(Pixel(x, y));
      p[0] = blue;
      p[1] = green;
      p[2] = red;
    }
  }
}

Bytes DibTarget::Memory() const { return Bytes(bits_, bits_ + stride_ * static_cast<std::size_t>(height_)); }

HRESULT DibTarget::Draw(IUnknown* control, const RECT& box) const {
  return OleDraw(control, DVASPECT_CONTENT, context_, &box);
}

BSTR Bstr(const std::u16string& text) { return Platform::NewBstr(text); }

std::u16string FromBstr(BSTR text) {
  std::u16string out = Platform::FromBstr(text);
  SysFreeString(text);
  return out;
}

}  // namespace Halvane::Movie::Testing
