#include "movie/control/ControlObject.h"

#include <new>

#include "movie/control/MovieControl.h"
#include "platform/ShockwaveFlash.h"
#include "platform/Threads.h"
#include "platform/Ticks.h"

namespace Halvane::Movie {

namespace {

std::atomic<int> alive{0};

// What a container learns before it activates the control: it draws
// itself, needs its site before it loads (it reads no ambient property
// then, but a site that arrives first costs nothing), is active whenever it
// is visible, and keeps no links inside.
constexpr DWORD kMiscStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE |
                              OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE |
                              OLEMISC_SETCLIENTSITEFIRST;

// HIMETRIC units (1/100 mm) of a length in twips (1/1440 inch).
LONG HimetricOfTwips(std::int64_t twips) { return static_cast<LONG>(twips * 2540 / 1440); }

// The stage of a movie-less control: 550 x 400 pixels at 96 pixels an inch.
constexpr LONG kDefaultWidth = 550 * 2540 / 96;
constexpr LONG kDefaultHeight = 400 * 2540 / 96;

template <class T>
void ReleaseAndClear(T*& object) {
  if (object != nullptr) object->Release();
  object = nullptr;
}

}  // namespace

HRESULT ControlObject::Create(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  IShockwaveFlash* inner = nullptr;
  const HRESULT made = MovieControl::Create(IID_IShockwaveFlash, reinterpret_cast<void**>(&inner));
  if (FAILED(made)) return made;
  auto* control = new (std::nothrow) ControlObject(static_cast<MovieControl*>(inner));
  if (control == nullptr) {
    inner->Release();
    return E_OUTOFMEMORY;
  }
  const HRESULT result = control->QueryInterface(iid, object);
  control->Release();  // the query holds the one reference that is handed out
  return result;
}

int ControlObject::Alive() { return alive.load(); }

ControlObject::ControlObject(MovieControl* movie) : movie_(movie) { ++alive; }

ControlObject::~ControlObject() {
  StopTimer();
  InPlaceDeactivate();
  ReleaseAndClear(clientSite_);
  ReleaseAndClear(objectSink_);
  ReleaseAndClear(viewSink_);
  movie_->Release();
  --alive;
}

HRESULT ControlObject::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  using Platform::SameGuid;
  if (SameGuid(iid, IID_IUnknown) || SameGuid(iid, IID_IDispatch) ||
      SameGuid(iid, IID_IShockwaveFlash)) {
    *object = static_cast<IShockwaveFlash*>(this);
  } else if (SameGuid(iid, IID_IPersistStreamInit) || SameGuid(iid, IID_IPersist)) {
    *object = static_cast<IPersistStreamInit*>(this);
  } else if (SameGuid(iid, IID_IOleObject)) {
    *object = static_cast<IOleObject*>(this);
  } else if (SameGuid(iid, IID_IOleWindow) || SameGuid(iid, IID_IOleInPlaceObject) ||
             SameGuid(iid, IID_IOleInPlaceObjectWindowless)) {
    *object = static_cast<IOleInPlaceObjectWindowless*>(this);
  } else if (SameGuid(iid, IID_IViewObject) || SameGuid(iid, IID_IViewObject2)) {
    *object = static_cast<IViewObject2*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG ControlObject::AddRef() { return ++references_; }

ULONG ControlObject::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

// ---- IShockwaveFlash ----

HRESULT ControlObject::put_Quality(int quality) { return movie_->put_Quality(quality); }
HRESULT ControlObject::get_Quality(int* quality) { return movie_->get_Quality(quality); }
HRESULT ControlObject::put_Loop(VARIANT_BOOL loop) { return movie_->put_Loop(loop); }
HRESULT ControlObject::get_Loop(VARIANT_BOOL* loop) { return movie_->get_Loop(loop); }
HRESULT ControlObject::put_Playing(VARIANT_BOOL playing) { return movie_->put_Playing(playing); }
HRESULT ControlObject::get_Playing(VARIANT_BOOL* playing) { return movie_->get_Playing(playing); }
HRESULT ControlObject::put_WMode(BSTR mode) { return movie_->put_WMode(mode); }
HRESULT ControlObject::get_TotalFrames(long* frames) { return movie_->get_TotalFrames(frames); }
HRESULT ControlObject::get_FrameNum(long* frame) { return movie_->get_FrameNum(frame); }

HRESULT ControlObject::GotoFrame(long frame) {
  const HRESULT result = movie_->GotoFrame(frame);
  if (SUCCEEDED(result)) PictureChanged();
  return result;
}

HRESULT ControlObject::Play() { return movie_->Play(); }
HRESULT ControlObject::Stop() { return movie_->Stop(); }
HRESULT ControlObject::put_FlashVars(BSTR vars) { return movie_->put_FlashVars(vars); }

HRESULT ControlObject::GetVariable(BSTR name, BSTR* value) {
  return movie_->GetVariable(name, value);
}

HRESULT ControlObject::SetVariable(BSTR name, BSTR value) {
  return movie_->SetVariable(name, value);
}

HRESULT ControlObject::CallFunction(BSTR request, BSTR* response) {
  return movie_->CallFunction(request, response);
}

// ---- IPersistStreamInit ----

HRESULT ControlObject::GetClassID(CLSID* classId) { return movie_->GetClassID(classId); }
HRESULT ControlObject::IsDirty() { return movie_->IsDirty(); }

HRESULT ControlObject::Load(IStream* stream) {
  const HRESULT result = movie_->Load(stream);
  if (FAILED(result)) return result;
  StartTimer();
  PictureChanged();
  return result;
}

HRESULT ControlObject::Save(IStream* stream, BOOL clearDirty) {
  return movie_->Save(stream, clearDirty);
}

HRESULT ControlObject::GetSizeMax(ULARGE_INTEGER* size) { return movie_->GetSizeMax(size); }

HRESULT ControlObject::InitNew() {
  StopTimer();
  return movie_->InitNew();
}

// ---- The timer ----

void ControlObject::StartTimer() {
  StopTimer();
  DWORD interval = 0;
  if (FAILED(movie_->GetFrameInterval(&interval)) || interval == 0) return;
  timer_ = Platform::StartCallbackTimer(interval, &ControlObject::OnTimer, this);
  if (timer_ == 0) return;
  timerInterval_ = interval;
  lastTick_ = Platform::TimeGetTime();
}

void ControlObject::StopTimer() {
  if (timer_ != 0) Platform::StopCallbackTimer(timer_);
  timer_ = 0;
  timerInterval_ = 0;
}

void ControlObject::OnTimer(void* self) {
  auto* control = static_cast<ControlObject*>(self);
  // The container may let go of the control while it is told of the change.
  control->AddRef();
  // Unsigned difference: the wrap of the millisecond count does not disturb it.
  const std::uint32_t now = Platform::TimeGetTime();
  const std::uint32_t elapsed = now - control->lastTick_;
  control->lastTick_ = now;
  if (control->movie_->AdvanceClock(elapsed) == S_OK) control->PictureChanged();
  control->Release();
}

void ControlObject::PictureChanged() {
  if (inPlaceSite_ != nullptr) inPlaceSite_->InvalidateRect(nullptr, FALSE);
  if (viewSink_ != nullptr && (viewAspects_ & DVASPECT_CONTENT) != 0) {
    viewSink_->OnViewChange(DVASPECT_CONTENT, -1);
  }
}

// ---- IOleObject ----

HRESULT ControlObject::SetClientSite(IOleClientSite* site) {
  if (site == nullptr) InPlaceDeactivate();
  if (site != nullptr) site->AddRef();
  ReleaseAndClear(clientSite_);
  clientSite_ = site;
  return S_OK;
}

HRESULT ControlObject::GetClientSite(IOleClientSite** site) {
  if (site == nullptr) return E_POINTER;
  *site = clientSite_;
  if (clientSite_ != nullptr) clientSite_->AddRef();
  return S_OK;
}

HRESULT ControlObject::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

HRESULT ControlObject::Close(DWORD) {
  InPlaceDeactivate();
  StopTimer();
  if (objectSink_ != nullptr) objectSink_->OnClose();
  return S_OK;
}

HRESULT ControlObject::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }

HRESULT ControlObject::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker != nullptr) *moniker = nullptr;
  return E_NOTIMPL;
}

HRESULT ControlObject::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }

HRESULT ControlObject::GetClipboardData(DWORD, IDataObject** data) {
  if (data != nullptr) *data = nullptr;
  return E_NOTIMPL;
}

HRESULT ControlObject::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND,
                              LPCRECT position) {
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
      return ActivateInPlace(site != nullptr ? site : clientSite_, position);
    case OLEIVERB_HIDE:
      return InPlaceDeactivate();
    default:
      return verb > 0 ? OLEOBJ_S_INVALIDVERB : E_NOTIMPL;
  }
}

HRESULT ControlObject::ActivateInPlace(IOleClientSite* site, LPCRECT position) {
  if (inPlaceSite_ != nullptr) {
    if (position != nullptr) position_ = *position;
    return S_OK;
  }
  if (site == nullptr) return E_UNEXPECTED;
  IOleInPlaceSiteWindowless* inPlace = nullptr;
  if (FAILED(site->QueryInterface(IID_IOleInPlaceSiteWindowless,
                                  reinterpret_cast<void**>(&inPlace))) ||
      inPlace == nullptr) {
    return E_FAIL;
  }
  if (inPlace->CanWindowlessActivate() != S_OK || inPlace->CanInPlaceActivate() != S_OK) {
    inPlace->Release();
    return E_FAIL;
  }
  BOOL noRedraw = FALSE;
  HRESULT result = inPlace->OnInPlaceActivateEx(&noRedraw, ACTIVATE_WINDOWLESS);
  if (FAILED(result)) {
    inPlace->Release();
    return result;
  }
  IOleInPlaceFrame* frame = nullptr;
  IOleInPlaceUIWindow* document = nullptr;
  RECT place{};
  RECT clip{};
  OLEINPLACEFRAMEINFO frameInfo{};
  frameInfo.cb = sizeof frameInfo;
  if (SUCCEEDED(inPlace->GetWindowContext(&frame, &document, &place, &clip, &frameInfo))) {
    position_ = place;
  }
  if (frame != nullptr) frame->Release();
  if (document != nullptr) document->Release();
  if (position != nullptr) position_ = *position;
  inPlaceSite_ = inPlace;
  if (!noRedraw) inPlaceSite_->InvalidateRect(nullptr, FALSE);
  return S_OK;
}

HRESULT ControlObject::EnumVerbs(IEnumOLEVERB** verbs) {
  if (verbs != nullptr) *verbs = nullptr;
  return OLE_S_USEREG;
}

HRESULT ControlObject::Update() { return S_OK; }
HRESULT ControlObject::IsUpToDate() { return S_OK; }

HRESULT ControlObject::GetUserClassID(CLSID* classId) { return GetClassID(classId); }

HRESULT ControlObject::GetUserType(DWORD, LPOLESTR* userType) {
  if (userType != nullptr) *userType = nullptr;
  return OLE_S_USEREG;
}

HRESULT ControlObject::SetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (size == nullptr) return E_POINTER;
  if (size->cx <= 0 || size->cy <= 0) return E_INVALIDARG;
  extent_ = *size;
  return S_OK;
}

SIZEL ControlObject::Extent() const {
  if (extent_.cx > 0 && extent_.cy > 0) return extent_;
  SIZEL size;
  size.cx = kDefaultWidth;
  size.cy = kDefaultHeight;
  if (const MoviePlayer* player = movie_->Player()) {
    const TwipsRect& stage = player->Definition().frameRect;
    const std::int64_t width = static_cast<std::int64_t>(stage.xMax) - stage.xMin;
    const std::int64_t height = static_cast<std::int64_t>(stage.yMax) - stage.yMin;
    if (width > 0 && height > 0) {
      size.cx = HimetricOfTwips(width);
      size.cy = HimetricOfTwips(height);
    }
  }
  return size;
}

HRESULT ControlObject::GetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (size == nullptr) return E_POINTER;
  *size = Extent();
  return S_OK;
}

HRESULT ControlObject::Advise(IAdviseSink* sink, DWORD* connection) {
  if (sink == nullptr || connection == nullptr) return E_POINTER;
  if (objectSink_ != nullptr) return CONNECT_E_ADVISELIMIT;
  sink->AddRef();
  objectSink_ = sink;
  *connection = 1;
  return S_OK;
}

HRESULT ControlObject::Unadvise(DWORD connection) {
  if (connection != 1 || objectSink_ == nullptr) return OLE_E_NOCONNECTION;
  ReleaseAndClear(objectSink_);
  return S_OK;
}

HRESULT ControlObject::EnumAdvise(IEnumSTATDATA** advises) {
  if (advises != nullptr) *advises = nullptr;
  return E_NOTIMPL;
}

HRESULT ControlObject::GetMiscStatus(DWORD aspect, DWORD* status) {
  if (status == nullptr) return E_POINTER;
  *status = aspect == DVASPECT_CONTENT ? kMiscStatus : 0;
  return S_OK;
}

HRESULT ControlObject::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

// ---- IOleInPlaceObjectWindowless ----

HRESULT ControlObject::GetWindow(HWND* window) {
  if (window != nullptr) *window = nullptr;
  return E_FAIL;
}

HRESULT ControlObject::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

HRESULT ControlObject::InPlaceDeactivate() {
  if (inPlaceSite_ == nullptr) return S_OK;
  IOleInPlaceSiteWindowless* site = inPlaceSite_;
  inPlaceSite_ = nullptr;
  site->OnInPlaceDeactivateEx(TRUE);
  site->Release();
  return S_OK;
}

HRESULT ControlObject::UIDeactivate() { return S_OK; }

HRESULT ControlObject::SetObjectRects(LPCRECT position, LPCRECT) {
  if (position == nullptr) return E_POINTER;
  position_ = *position;
  PictureChanged();
  return S_OK;
}

HRESULT ControlObject::ReactivateAndUndo() { return E_NOTIMPL; }

HRESULT ControlObject::OnWindowMessage(UINT, WPARAM, LPARAM, LRESULT* result) {
  if (result != nullptr) *result = 0;
  return S_FALSE;
}

HRESULT ControlObject::GetDropTarget(IDropTarget** target) {
  if (target != nullptr) *target = nullptr;
  return E_NOTIMPL;
}

// ---- IViewObject2 ----

HRESULT ControlObject::Draw(DWORD drawAspect, LONG index, void* aspect,
                            DVTARGETDEVICE* targetDevice, HDC targetDC, HDC drawDC,
                            LPCRECTL bounds, LPCRECTL windowBounds,
                            BOOL(STDMETHODCALLTYPE* shouldContinue)(ULONG_PTR),
                            ULONG_PTR continueValue) {
  // A windowless control in place may be asked to draw at its place.
  RECTL place;
  if (bounds == nullptr && inPlaceSite_ != nullptr) {
    place.left = position_.left;
    place.top = position_.top;
    place.right = position_.right;
    place.bottom = position_.bottom;
    bounds = &place;
  }
  return movie_->Draw(drawAspect, index, aspect, targetDevice, targetDC, drawDC, bounds,
                      windowBounds, shouldContinue, continueValue);
}

HRESULT ControlObject::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                   LOGPALETTE** colorSet) {
  if (colorSet != nullptr) *colorSet = nullptr;
  return S_FALSE;  // no palette of its own
}

HRESULT ControlObject::Freeze(DWORD, LONG, void*, DWORD* freeze) {
  if (freeze != nullptr) *freeze = 0;
  return E_NOTIMPL;
}

HRESULT ControlObject::Unfreeze(DWORD) { return E_NOTIMPL; }

HRESULT ControlObject::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
  if (sink != nullptr) sink->AddRef();
  ReleaseAndClear(viewSink_);
  viewSink_ = sink;
  viewAspects_ = sink != nullptr ? aspects : 0;
  viewFlags_ = sink != nullptr ? flags : 0;
  return S_OK;
}

HRESULT ControlObject::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
  if (aspects != nullptr) *aspects = viewAspects_;
  if (flags != nullptr) *flags = viewFlags_;
  if (sink != nullptr) {
    *sink = viewSink_;
    if (viewSink_ != nullptr) viewSink_->AddRef();
  }
  return S_OK;
}

HRESULT ControlObject::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
  return GetExtent(aspect, size);
}

}  // namespace Halvane::Movie
