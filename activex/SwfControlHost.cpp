// Setting the control up on the worker: a throw-away control saves the
// player's properties, the movie is spliced into a copy of them, and the real
// control is created from that stream inside a hidden host window. The
// control is never given a file name; the movie travels in its load stream.
#include "activex/SwfPlayer.h"

#include "activex/ControlDispatch.h"
#include "io/MemoryStream.h"
#include "io/Stream.h"
#include "io/SwfLoadStream.h"
#include "platform/ComClasses.h"
#include "platform/ControlHost.h"

namespace Halvane::ActiveX {

namespace {

// One COM reference, released at the end of the scope.
template <class T>
class Held {
 public:
  Held() = default;
  explicit Held(T* object) : object_(object) {}
  ~Held() { Reset(); }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;

  void Reset() {
    if (object_ != nullptr) object_->Release();
    object_ = nullptr;
  }
  T* Get() const { return object_; }
  T* operator->() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }
  T** Out() {
    Reset();
    return &object_;
  }
  void** OutVoid() { return reinterpret_cast<void**>(Out()); }
  T* Take() {
    T* object = object_;
    object_ = nullptr;
    return object;
  }

 private:
  T* object_ = nullptr;
};

// Save's flag: the saved state is the control's clean state.
constexpr BOOL kClearDirty = 1;

// The control's class as CreateControl takes it.
constexpr char16_t kControlClassText[] = u"{D27CDB6E-AE6D-11cf-96B8-444553540000}";

// A COM interface that a window message answered, with its reference.
IUnknown* AskWindow(Platform::WindowHandle window, const char* messageName) {
  const std::uint32_t message = Platform::RegisterMessageName(messageName);
  if (message == 0) return nullptr;
  return reinterpret_cast<IUnknown*>(Platform::SendMessageToWindow(window, message, 0, 0));
}

}  // namespace

HRESULT SwfPlayer::CreatePropertyStream(std::int32_t loop, std::int32_t quality,
                                        IO::Stream** stream) {
  if (stream == nullptr) return E_POINTER;
  *stream = nullptr;
  // An installed control when the system has one registered; where the
  // system knows no such class, the plug-in's built-in one (see
  // Platform::CreateComInstance). The hosted control comes from the same
  // place, as the site asks the same way.
  Held<IDispatch> control;
  HRESULT result = Platform::CreateComInstance(CLSID_ShockwaveFlash, nullptr, CLSCTX_ALL,
                                               IID_IShockwaveFlash, control.OutVoid());
  if (FAILED(result)) return result;
  if (!control) return E_NOINTERFACE;
  ControlDispatch calls(control.Get());
  // Stopped, in transparent window mode: the movie's own pixels only, over
  // whatever the device context holds.
  if (FAILED(result = calls.put_Quality(quality))) return result;
  if (FAILED(result = calls.put_Loop(loop != 0 ? VARIANT_TRUE : VARIANT_FALSE))) return result;
  if (FAILED(result = calls.put_Playing(VARIANT_FALSE))) return result;
  const SharedWideString mode = SharedWideString::FromText(u"Transparent");
  if (mode.IsNull()) return E_OUTOFMEMORY;
  if (FAILED(result = calls.put_WMode(mode.Bstr()))) return result;

  Held<IPersistStreamInit> persist;
  result = control->QueryInterface(IID_IPersistStreamInit, persist.OutVoid());
  if (FAILED(result)) return result;
  if (!persist) return E_NOINTERFACE;
  ULARGE_INTEGER size{};
  if (FAILED(result = persist->GetSizeMax(&size))) return result;
  Held<IO::MemoryStream> properties;
  result = IO::CreateMemoryStream(static_cast<ULONG>(size.QuadPart & 0xFFFFFFFFu),
                                  properties.Out());
  if (FAILED(result)) return result;
  if (FAILED(result = persist->Save(properties.Get(), kClearDirty))) return result;
  LARGE_INTEGER start{};
  properties->Seek(start, STREAM_SEEK_SET, nullptr);
  *stream = properties.Take();
  return S_OK;
}

HRESULT SwfPlayer::CreateHostedControl(Platform::WindowHandle* hostWindow,
                                       IDispatch** control) {
  if (hostWindow == nullptr || control == nullptr) return E_POINTER;
  *hostWindow = nullptr;
  *control = nullptr;
  Held<IO::Stream> properties;
  HRESULT result = CreatePropertyStream(shared.LoadLoop(), shared.LoadQuality(), properties.Out());
  if (FAILED(result)) return result;

  std::string fileName = shared.LoadFileName();
  std::int64_t offset = shared.LoadSourceOffset();
  std::int64_t size = shared.LoadSourceSize();
  if (offset < 0 || size < 0) return E_INVALIDARG;
  ULONG length = 0;
  result = IO::GetSwfFileLength(fileName.c_str(), static_cast<ULONGLONG>(offset),
                                static_cast<ULONGLONG>(size), &length);
  if (FAILED(result)) return result;
  // Made at its final size, refused before anything is allocated when the
  // movie's length field asks for more than a stream may hold.
  Held<IO::MemoryStream> load;
  result = IO::CreateSwfLoadDestination(properties.Get(), length, load.Out());
  if (FAILED(result)) return result;
  fileName = shared.LoadFileName();
  offset = shared.LoadSourceOffset();
  size = shared.LoadSourceSize();
  if (offset < 0 || size < 0) return E_INVALIDARG;
  result = IO::BuildSwfLoadStreamFromFile(fileName.c_str(), static_cast<ULONGLONG>(offset),
                                          static_cast<ULONGLONG>(size), properties.Get(),
                                          load.Get());
  if (FAILED(result)) return result;

  const std::int32_t width = shared.LoadWidth();
  const std::int32_t height = shared.LoadHeight();
  *hostWindow = Platform::CreatePopupWindow(Platform::kControlHostClass, width, height);
  if (*hostWindow == nullptr) return E_FAIL;

  // From here on a failure leaves the window for Run to destroy.
  Held<IAxWinHostWindow> site;
  {
    Held<IUnknown> answer(AskWindow(*hostWindow, Platform::kGetHostMessageName));
    if (!answer) return E_FAIL;
    result = answer->QueryInterface(IID_IAxWinHostWindow, site.OutVoid());
    if (FAILED(result)) return result;
    if (!site) return E_NOINTERFACE;
  }
  Held<IAxWinAmbientDispatch> ambient;
  result = site->QueryInterface(IID_IAxWinAmbientDispatch, ambient.OutVoid());
  if (FAILED(result)) return result;
  if (!ambient) return E_NOINTERFACE;
  if (FAILED(result = ambient->put_AllowWindowlessActivation(VARIANT_TRUE))) return result;

  const SharedWideString classText = SharedWideString::FromText(kControlClassText);
  if (classText.IsNull()) return E_OUTOFMEMORY;
  result = site->CreateControl(classText.Bstr(), *hostWindow, load.Get());
  if (FAILED(result)) return result;

  Held<IUnknown> hosted(AskWindow(*hostWindow, Platform::kGetControlMessageName));
  if (!hosted) return E_FAIL;
  // The dual interface, used through its IDispatch part only.
  result = hosted->QueryInterface(IID_IShockwaveFlash, reinterpret_cast<void**>(control));
  if (FAILED(result)) *control = nullptr;
  if (SUCCEEDED(result) && *control == nullptr) result = E_NOINTERFACE;
  return result;
}

}  // namespace Halvane::ActiveX
