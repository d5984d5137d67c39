// The movie control as an ActiveX control: what a container (the player's
// host window, or any program that registered our COM server) creates by
// the control's class identifier. It holds a MovieControl and adds what a
// container expects of a control:
//  - IShockwaveFlash, its members also by name through IDispatch;
//  - IPersistStreamInit, the control's stream (ControlPersistence.h);
//  - IOleObject and IOleInPlaceObjectWindowless: the client site, in-place
//    activation without a window of its own (the container must allow
//    windowless activation; the control has no window to fall back on);
//  - IViewObject2: drawing into a device context, as OleDraw asks for it;
//    in place and asked without bounds, at its place in the container;
//  - its own timer: once a movie is loaded, a timer of the loading thread
//    moves the movie on at its frame rate (whatever message loop runs the
//    thread dispatches it) and tells the container that the picture
//    changed (InvalidateRect of a windowless site, OnViewChange of a view
//    advise sink).
//
// Reference counted; Create hands out one reference, the last Release
// destroys it. Apartment-threaded: everything but AddRef and Release
// belongs to the thread that created it, which must also be the one that
// releases it last while a movie is loaded (its timer is that thread's).
#pragma once

#include <atomic>
#include <cstdint>

#include "movie/control/FlashDispatch.h"
#include "platform/Com.h"

namespace Halvane::Movie {

class MovieControl;

class ControlObject final : public ShockwaveFlashDispatch,
                            public IPersistStreamInit,
                            public IOleObject,
                            public IOleInPlaceObjectWindowless,
                            public IViewObject2 {
 public:
  // The factory: a new control with default properties and no movie,
  // answered as iid (E_NOINTERFACE, and nothing made, for an interface it
  // does not have); E_OUTOFMEMORY.
  static HRESULT Create(REFIID iid, void** object);
  // Objects of this class alive in this module.
  static int Alive();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IShockwaveFlash: the movie control's.
  HRESULT STDMETHODCALLTYPE put_Quality(int quality) override;
  HRESULT STDMETHODCALLTYPE get_Quality(int* quality) override;
  HRESULT STDMETHODCALLTYPE put_Loop(VARIANT_BOOL loop) override;
  HRESULT STDMETHODCALLTYPE get_Loop(VARIANT_BOOL* loop) override;
  HRESULT STDMETHODCALLTYPE put_Playing(VARIANT_BOOL playing) override;
  HRESULT STDMETHODCALLTYPE get_Playing(VARIANT_BOOL* playing) override;
  HRESULT STDMETHODCALLTYPE put_WMode(BSTR mode) override;
  HRESULT STDMETHODCALLTYPE get_TotalFrames(long* frames) override;
  HRESULT STDMETHODCALLTYPE get_FrameNum(long* frame) override;
  HRESULT STDMETHODCALLTYPE GotoFrame(long frame) override;
  HRESULT STDMETHODCALLTYPE Play() override;
  HRESULT STDMETHODCALLTYPE Stop() override;
  HRESULT STDMETHODCALLTYPE put_FlashVars(BSTR vars) override;
  HRESULT STDMETHODCALLTYPE GetVariable(BSTR name, BSTR* value) override;
  HRESULT STDMETHODCALLTYPE SetVariable(BSTR name, BSTR value) override;
  HRESULT STDMETHODCALLTYPE CallFunction(BSTR request, BSTR* response) override;

  // IPersistStreamInit: the movie control's; a Load with a movie starts
  // the timer at the movie's frame interval, InitNew stops it.
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* classId) override;
  HRESULT STDMETHODCALLTYPE IsDirty() override;
  HRESULT STDMETHODCALLTYPE Load(IStream* stream) override;
  HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clearDirty) override;
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;
  HRESULT STDMETHODCALLTYPE InitNew() override;

  // IOleObject. DoVerb activates in place for the primary, show, in-place
  // and UI verbs (E_FAIL where the site cannot activate a windowless
  // control), deactivates for hide. Close deactivates and stops the timer.
  // The extent is the movie's stage unless the container set one.
  HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
  HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override;
  HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR application, LPCOLESTR document) override;
  HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) override;
  HRESULT STDMETHODCALLTYPE SetMoniker(DWORD which, IMoniker* moniker) override;
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
  HRESULT STDMETHODCALLTYPE InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
  HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD reserved, IDataObject** data) override;
  HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG message, IOleClientSite* site, LONG index,
                                   HWND parent, LPCRECT position) override;
  HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** verbs) override;
  HRESULT STDMETHODCALLTYPE Update() override;
  HRESULT STDMETHODCALLTYPE IsUpToDate() override;
  HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* classId) override;
  HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* userType) override;
  HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override;
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override;
  HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* connection) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD connection) override;
  HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** advises) override;
  HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
  HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE* palette) override;

  // IOleInPlaceObjectWindowless. A windowless control has no window:
  // GetWindow fails; window messages are left to the container (S_FALSE).
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enter) override;
  HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
  HRESULT STDMETHODCALLTYPE UIDeactivate() override;
  HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT clip) override;
  HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override;
  HRESULT STDMETHODCALLTYPE OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                            LRESULT* result) override;
  HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget** target) override;

  // IViewObject2.
  HRESULT STDMETHODCALLTYPE Draw(DWORD drawAspect, LONG index, void* aspect,
                                 DVTARGETDEVICE* targetDevice, HDC targetDC, HDC drawDC,
                                 LPCRECTL bounds, LPCRECTL windowBounds,
                                 BOOL(STDMETHODCALLTYPE* shouldContinue)(ULONG_PTR),
                                 ULONG_PTR continueValue) override;
  HRESULT STDMETHODCALLTYPE GetColorSet(DWORD aspect, LONG index, void* aspectInfo,
                                        DVTARGETDEVICE* targetDevice, HDC targetDC,
                                        LOGPALETTE** colorSet) override;
  HRESULT STDMETHODCALLTYPE Freeze(DWORD aspect, LONG index, void* aspectInfo,
                                   DWORD* freeze) override;
  HRESULT STDMETHODCALLTYPE Unfreeze(DWORD freeze) override;
  HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
  HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* targetDevice,
                                      LPSIZEL size) override;

  // The movie control inside, for tests.
  MovieControl& Movie() { return *movie_; }
  // The timer's period in milliseconds; 0 while it does not run.
  std::uint32_t TimerInterval() const { return timerInterval_; }
  bool InPlaceActive() const { return inPlaceSite_ != nullptr; }

 private:
  explicit ControlObject(MovieControl* movie);
  ~ControlObject();

  HRESULT ActivateInPlace(IOleClientSite* site, LPCRECT position);
  void StartTimer();
  void StopTimer();
  static void OnTimer(void* self);
  // The picture may have changed: the container is told.
  void PictureChanged();
  SIZEL Extent() const;

  std::atomic<ULONG> references_{1};
  MovieControl* movie_;
  IOleClientSite* clientSite_ = nullptr;
  IOleInPlaceSiteWindowless* inPlaceSite_ = nullptr;  // while active in place
  RECT position_{};
  IAdviseSink* objectSink_ = nullptr;  // IOleObject::Advise, one connection
  IAdviseSink* viewSink_ = nullptr;    // IViewObject::SetAdvise
  DWORD viewAspects_ = 0;
  DWORD viewFlags_ = 0;
  SIZEL extent_{};  // HIMETRIC; zero: the movie's stage
  std::uintptr_t timer_ = 0;
  std::uint32_t timerInterval_ = 0;
  std::uint32_t lastTick_ = 0;
};

}  // namespace Halvane::Movie
