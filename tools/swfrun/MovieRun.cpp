#include "tools/swfrun/MovieRun.h"

#include <cstring>

#include "io/MemoryStream.h"
#include "io/SwfLoadStream.h"
#include "platform/ComClasses.h"
#include "platform/Gdi.h"

namespace Halvane::Tools {

namespace {

template <class T>
void Release(T*& p) {
  if (p != nullptr) p->Release();
  p = nullptr;
}

// The property stream a player saves from its throw-away control: the
// movie plays, loops, at high quality, transparent.
HRESULT SavedProperties(IO::MemoryStream** stream) {
  IShockwaveFlash* control = nullptr;
  HRESULT result = Movie::MovieControl::Create(IID_IShockwaveFlash, reinterpret_cast<void**>(&control));
  if (FAILED(result)) return result;
  control->put_Quality(1);
  control->put_Loop(VARIANT_TRUE);
  control->put_Playing(VARIANT_TRUE);
  BSTR mode = Platform::NewBstr(u"Transparent");
  control->put_WMode(mode);
  SysFreeString(mode);
  IPersistStreamInit* persist = nullptr;
  result = control->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist));
  if (SUCCEEDED(result)) {
    ULARGE_INTEGER size{};
    persist->GetSizeMax(&size);
    result = IO::CreateMemoryStream(static_cast<ULONG>(size.QuadPart), stream);
    if (SUCCEEDED(result)) result = persist->Save(*stream, 1);
    if (SUCCEEDED(result)) {
      LARGE_INTEGER zero{};
      result = (*stream)->Seek(zero, STREAM_SEEK_SET, nullptr);
    }
  }
  Release(persist);
  Release(control);
  return result;
}

}  // namespace

MovieRun::MovieRun() = default;

MovieRun::~MovieRun() {
  if (control_ != nullptr) control_->Release();
}

bool MovieRun::Load(const std::string& path, std::string& error) {
  ULONG length = 0;
  if (FAILED(IO::GetSwfFileLength(path.c_str(), 0, 0, &length))) {
    error = "cannot read a movie from " + path;
    return false;
  }
  IO::MemoryStream* properties = nullptr;
  IO::MemoryStream* destination = nullptr;
  HRESULT result = SavedProperties(&properties);
  if (SUCCEEDED(result)) result = IO::CreateSwfLoadDestination(properties, length, &destination);
  if (SUCCEEDED(result)) result = IO::BuildSwfLoadStreamFromFile(path.c_str(), 0, 0, properties, destination);
  Release(properties);
  if (FAILED(result)) {
    Release(destination);
    error = path + " is not a movie the control can load (not an SWF file, or too large)";
    return false;
  }
  void* object = nullptr;
  result = Movie::MovieControl::Create(IID_IPersistStreamInit, &object);
  if (FAILED(result)) {
    Release(destination);
    error = "cannot create the movie control";
    return false;
  }
  auto* persist = static_cast<IPersistStreamInit*>(object);
  auto* control = static_cast<Movie::MovieControl*>(persist);
  control->SetServices(services_);
  LARGE_INTEGER zero{};
  destination->Seek(zero, STREAM_SEEK_SET, nullptr);
  result = persist->Load(destination);
  Release(destination);
  long frames = 0;
  if (FAILED(result) || FAILED(control->get_TotalFrames(&frames))) {
    persist->Release();
    error = path + " did not load: the movie's header or data are broken";
    return false;
  }
  if (control_ != nullptr) control_->Release();
  control_ = control;
  return true;
}

void MovieRun::StepFrame() {
  if (control_ != nullptr) control_->StepFrame();
}

FramePicture MovieRun::Picture() {
  FramePicture picture;
  if (control_ == nullptr || control_->Player() == nullptr) return picture;
  const Movie::TwipsRect stage = control_->Player()->Definition().frameRect;
  const std::int64_t width = (static_cast<std::int64_t>(stage.xMax) - stage.xMin) / 20;
  const std::int64_t height = (static_cast<std::int64_t>(stage.yMax) - stage.yMin) / 20;
  if (width <= 0 || height <= 0 || width > 4096 || height > 4096) return picture;
  HDC context = Platform::CreateMemoryContext(nullptr);
  if (context == nullptr) return picture;
  Platform::DibHeader header{};
  header.biSize = 40;
  header.biWidth = static_cast<std::int32_t>(width);
  header.biHeight = -static_cast<std::int32_t>(height);
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = Platform::kDibRgb;
  void* bits = nullptr;
  Platform::GdiObject bitmap = Platform::CreateDibSection(context, header, &bits);
  if (bitmap != nullptr && bits != nullptr) {
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~static_cast<std::size_t>(3);
    // A white stage, as the player's host would show behind a movie.
    std::memset(bits, 0xFF, stride * static_cast<std::size_t>(height));
    Platform::GdiObject previous = Platform::SelectIntoContext(context, bitmap);
    RECTL bounds{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
    control_->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, context, &bounds, nullptr, nullptr, 0);
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    picture.rgb.resize(static_cast<std::size_t>(width * height * 3));
    const auto* source = static_cast<const std::uint8_t*>(bits);
    for (std::int64_t y = 0; y < height; ++y) {
      const std::uint8_t* row = source + static_cast<std::size_t>(y) * stride;
      std::uint8_t* out = picture.rgb.data() + static_cast<std::size_t>(y * width * 3);
      for (std::int64_t x = 0; x < width; ++x) {
        out[x * 3 + 0] = row[x * 3 + 2];  // the DIB holds blue, green, red
        out[x * 3 + 1] = row[x * 3 + 1];
        out[x * 3 + 2] = row[x * 3 + 0];
      }
    }
    Platform::SelectIntoContext(context, previous);
    Platform::DeleteGdiObject(bitmap);
  }
  Platform::DeleteMemoryContext(context);
  return picture;
}

}  // namespace Halvane::Tools
