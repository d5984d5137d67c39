#include "FakeControl.h"

#include <chrono>
#include <map>
#include <mutex>
#include <new>
#include <thread>

#include "movie/control/ControlServer.h"
#include "movie/control/FlashDispatch.h"
#include "platform/ComClasses.h"
#include "platform/Threads.h"
#include "support/TestText.h"

namespace Halvane::ActiveX::Testing {

namespace {

std::mutex& LogLock() {
  static std::mutex lock;
  return lock;
}

FakeLog& TheLog() {
  static FakeLog log;
  return log;
}

FakeBehaviour& TheBehaviour() {
  static FakeBehaviour behaviour;
  return behaviour;
}

std::atomic<int> alive{0};

void Note(const std::string& call) {
  std::lock_guard<std::mutex> guard(LogLock());
  TheLog().calls.push_back(call);
}

void Pause(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::string Text(BSTR text) { return Halvane::Testing::Utf8(Platform::FromBstr(text)); }

class Control final : public Movie::ShockwaveFlashDispatch,
                      public IPersistStreamInit,
                      public IViewObject {
 public:
  explicit Control(const FakeBehaviour& behaviour) : behaviour_(behaviour) { ++alive; }
  ~Control() {
    if (timer_ != 0) Platform::StopCallbackTimer(timer_);
    --alive;
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    using Platform::SameGuid;
    if (SameGuid(iid, IID_IUnknown) || SameGuid(iid, IID_IShockwaveFlash) ||
        SameGuid(iid, IID_IDispatch)) {
      *object = static_cast<IShockwaveFlash*>(this);
    } else if (SameGuid(iid, IID_IPersistStreamInit)) {
      *object = static_cast<IPersistStreamInit*>(this);
    } else if (SameGuid(iid, IID_IViewObject)) {
      *object = static_cast<IViewObject*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE put_Quality(int quality) override {
    return Put("Quality", quality_, quality);
  }
  HRESULT STDMETHODCALLTYPE get_Quality(int* quality) override { return Get(quality, quality_); }
  HRESULT STDMETHODCALLTYPE put_Loop(VARIANT_BOOL loop) override { return Put("Loop", loop_, loop); }
  HRESULT STDMETHODCALLTYPE get_Loop(VARIANT_BOOL* loop) override { return Get(loop, loop_); }
  HRESULT STDMETHODCALLTYPE put_Playing(VARIANT_BOOL playing) override {
    return Put("Playing", playing_, playing);
  }
  HRESULT STDMETHODCALLTYPE get_Playing(VARIANT_BOOL* playing) override {
    return Get(playing, playing_);
  }
  HRESULT STDMETHODCALLTYPE put_WMode(BSTR mode) override {
    Note("put_WMode(" + Text(mode) + ")");
    return Refuses("WMode") ? E_INVALIDARG : S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_TotalFrames(long* frames) override {
    if (behaviour_.quitOnTotalFrames) {
      Platform::PostThreadMessageTo(Platform::CurrentThreadId(), Platform::kQuitMessage, 0, 0);
    }
    return Get(frames, behaviour_.totalFrames);
  }
  HRESULT STDMETHODCALLTYPE get_FrameNum(long* frame) override {
    Pause(behaviour_.frameQueryMilliseconds);
    return Get(frame, behaviour_.countFrameQueries ? ++frameQueries_ : frame_);
  }
  HRESULT STDMETHODCALLTYPE GotoFrame(long frame) override {
    if (Failing() || frame < 0 || frame > behaviour_.lastFrame) return E_INVALIDARG;
    frame_ = frame;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Play() override { return Failing() ? E_FAIL : S_OK; }
  HRESULT STDMETHODCALLTYPE Stop() override { return Failing() ? E_FAIL : S_OK; }
  HRESULT STDMETHODCALLTYPE put_FlashVars(BSTR vars) override {
    if (Failing()) return E_FAIL;
    Note("put_FlashVars(" + Text(vars) + ")");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetVariable(BSTR name, BSTR* value) override {
    if (Failing()) return E_FAIL;
    const auto found = variables_.find(Platform::FromBstr(name));
    if (found == variables_.end()) return E_FAIL;
    *value = Platform::NewBstr(found->second);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetVariable(BSTR name, BSTR value) override {
    if (Failing()) return E_FAIL;
    variables_[Platform::FromBstr(name)] = Platform::FromBstr(value);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE CallFunction(BSTR request, BSTR* response) override {
    if (Failing()) return E_FAIL;
    *response = Platform::NewBstr(u"<string>" + Platform::FromBstr(request) + u"</string>");
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE IsDirty() override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE Load(IStream* stream) override {
    Pause(behaviour_.setupMilliseconds);
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[4096];
    ULONG got = 0;
    while (SUCCEEDED(stream->Read(chunk, sizeof chunk, &got)) && got > 0) {
      bytes.insert(bytes.end(), chunk, chunk + got);
    }
    {
      std::lock_guard<std::mutex> guard(LogLock());
      TheLog().calls.push_back("Load");
      TheLog().loadStream = bytes;
    }
    // The properties that Save wrote follow the movie: quality, then loop.
    if (bytes.size() >= 8) {
      const std::size_t length = bytes[4] | bytes[5] << 8 | bytes[6] << 16 |
                                 static_cast<std::size_t>(bytes[7]) << 24;
      if (length <= bytes.size() - 8 && bytes.size() - 8 - length >= 2) {
        quality_ = bytes[8 + length];
        loop_ = bytes[8 + length + 1] != 0 ? VARIANT_TRUE : VARIANT_FALSE;
      }
    }
    loaded_ = true;
    // Its own timer, as a control keeps: it runs only if the thread's loop
    // dispatches what it does not handle itself.
    if (behaviour_.frameInterval > 0 && timer_ == 0) {
      timer_ = Platform::StartCallbackTimer(behaviour_.frameInterval, &Tick, this);
    }
    if (behaviour_.quitOnLoad) {
      Platform::PostThreadMessageTo(Platform::CurrentThreadId(), Platform::kQuitMessage, 0, 0);
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL) override {
    Note("Save");
    const std::uint8_t saved[8] = {'F', 'A', 'K', 'E', static_cast<std::uint8_t>(quality_),
                                   static_cast<std::uint8_t>(loop_ != VARIANT_FALSE), 0, 0};
    ULONG written = 0;
    return stream->Write(saved, sizeof saved, &written);
  }
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override {
    size->QuadPart = 8;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE InitNew() override { return S_OK; }

  HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc,
                                 LPCRECTL bounds, LPCRECTL,
                                 BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override {
    if (Failing()) return E_FAIL;
    std::lock_guard<std::mutex> guard(LogLock());
    TheLog().calls.push_back("Draw(" + std::to_string(aspect) + ")");
    TheLog().drawDC = dc;
    TheLog().drawBounds = *bounds;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                        LOGPALETTE**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Unfreeze(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetAdvise(DWORD, DWORD, IAdviseSink*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetAdvise(DWORD*, DWORD*, IAdviseSink**) override { return E_NOTIMPL; }

 private:
  static void Tick(void*) {
    std::lock_guard<std::mutex> guard(LogLock());
    ++TheLog().clockTicks;
  }

  bool Refuses(const char* property) const { return behaviour_.refuseProperty == property; }
  bool Failing() const { return loaded_ && behaviour_.failCalls; }
  template <class T>
  HRESULT Put(const char* property, T& field, T value) {
    Note(std::string("put_") + property + "(" + std::to_string(value) + ")");
    if (Refuses(property) || Failing()) return E_INVALIDARG;
    field = value;
    return S_OK;
  }
  template <class T, class V>
  HRESULT Get(T* out, V value) {
    if (Failing()) return E_FAIL;
    *out = static_cast<T>(value);
    return S_OK;
  }

  const FakeBehaviour behaviour_;
  std::atomic<ULONG> references_{1};
  bool loaded_ = false;
  int quality_ = 1;
  VARIANT_BOOL loop_ = VARIANT_TRUE;
  VARIANT_BOOL playing_ = VARIANT_TRUE;
  long frame_ = 0;
  long frameQueries_ = 0;
  std::map<std::u16string, std::u16string> variables_;
  std::uintptr_t timer_ = 0;
};

HRESULT CreateFake(REFIID iid, void** object) {
  FakeBehaviour behaviour;
  {
    std::lock_guard<std::mutex> guard(LogLock());
    behaviour = TheBehaviour();
  }
  *object = nullptr;
  if (FAILED(behaviour.createResult)) return behaviour.createResult;
  auto* control = new (std::nothrow) Control(behaviour);
  if (control == nullptr) return E_OUTOFMEMORY;
  const HRESULT result = control->QueryInterface(iid, object);
  control->Release();
  return result;
}

}  // namespace

void FakeControl::Install(const FakeBehaviour& behaviour) {
  {
    std::lock_guard<std::mutex> guard(LogLock());
    TheBehaviour() = behaviour;
    TheLog() = FakeLog();
  }
  Platform::RegisterComClass(CLSID_ShockwaveFlash, &CreateFake);
}

void FakeControl::Uninstall() { Movie::RegisterBuiltInControlClass(); }

FakeLog FakeControl::Log() {
  std::lock_guard<std::mutex> guard(LogLock());
  return TheLog();
}

int FakeControl::Alive() { return alive.load(); }

}  // namespace Halvane::ActiveX::Testing
