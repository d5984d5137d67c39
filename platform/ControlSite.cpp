// The site's control is created by class identifier only, never by path or
// program name, through Platform::CreateComInstance: an installed control
// where the system has one registered, else the process's own.
#include "platform/ControlSite.h"

#include <new>

#include "platform/Variants.h"

#include "platform/ComClasses.h"

namespace Halvane::Platform {

namespace {

int HexDigit(OLECHAR c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads count hex digits at text[at..]; false at a non-digit or the end.
bool ReadHex(const OLECHAR* text, std::size_t& at, int count, std::uint32_t* value) {
  std::uint32_t v = 0;
  for (int i = 0; i < count; ++i) {
    const int digit = HexDigit(text[at]);
    if (digit < 0) return false;
    v = (v << 4) | static_cast<std::uint32_t>(digit);
    ++at;
  }
  *value = v;
  return true;
}

// What the site accepts to create its control: in-process, local and remote
// servers (CLSCTX_SERVER).
constexpr DWORD kServerContext = 0x15;

}  // namespace

bool ParseClassText(const OLECHAR* text, CLSID* classId) {
  if (text == nullptr || classId == nullptr || text[0] != '{') return false;
  std::size_t at = 1;
  std::uint32_t part = 0;
  CLSID out{};
  if (!ReadHex(text, at, 8, &part) || text[at++] != '-') return false;
  out.Data1 = part;
  if (!ReadHex(text, at, 4, &part) || text[at++] != '-') return false;
  out.Data2 = static_cast<std::uint16_t>(part);
  if (!ReadHex(text, at, 4, &part) || text[at++] != '-') return false;
  out.Data3 = static_cast<std::uint16_t>(part);
  for (int i = 0; i < 8; ++i) {
    if (i == 2 && text[at++] != '-') return false;
    if (!ReadHex(text, at, 2, &part)) return false;
    out.Data4[i] = static_cast<std::uint8_t>(part);
  }
  if (text[at] != '}' || text[at + 1] != 0) return false;
  *classId = out;
  return true;
}

ControlSite* ControlSite::Create(WindowHandle window) {
  return new (std::nothrow) ControlSite(window);
}

ControlSite::~ControlSite() { Detach(); }

HRESULT ControlSite::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (SameGuid(iid, IID_IUnknown) || SameGuid(iid, IID_IAxWinHostWindow)) {
    *object = static_cast<IAxWinHostWindow*>(this);
  } else if (SameGuid(iid, IID_IAxWinAmbientDispatch) || SameGuid(iid, IID_IDispatch)) {
    *object = static_cast<IAxWinAmbientDispatch*>(this);
  } else if (SameGuid(iid, IID_IOleClientSite)) {
    *object = static_cast<IOleClientSite*>(this);
  } else if (SameGuid(iid, IID_IOleWindow) || SameGuid(iid, IID_IOleInPlaceSite) ||
             SameGuid(iid, IID_IOleInPlaceSiteEx) ||
             SameGuid(iid, IID_IOleInPlaceSiteWindowless)) {
    *object = static_cast<IOleInPlaceSiteWindowless*>(this);
  } else if (SameGuid(iid, IID_IOleInPlaceUIWindow) || SameGuid(iid, IID_IOleInPlaceFrame)) {
    *object = static_cast<IOleInPlaceFrame*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG ControlSite::AddRef() { return ++references_; }

ULONG ControlSite::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

// ---- Creating and ending the control ----

HRESULT ControlSite::CreateControl(const OLECHAR* classText, WindowHandle, IStream* stream) {
  CLSID classId;
  if (!ParseClassText(classText, &classId)) return kBadClassText;
  Detach();  // the control hosted before goes first
  IUnknown* control = nullptr;
  // Any server the system offers; a windowless control needs an in-process
  // one, which the controls of interest are.
  HRESULT result = CreateComInstance(classId, nullptr, kServerContext, IID_IUnknown,
                                     reinterpret_cast<void**>(&control));
  if (FAILED(result)) return result;
  if (control == nullptr) return E_NOINTERFACE;

  IOleObject* ole = nullptr;
  if (FAILED(control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole)))) {
    ole = nullptr;
  }
  // Some controls read ambient properties while they load, and say so.
  DWORD misc = 0;
  if (ole != nullptr && FAILED(ole->GetMiscStatus(DVASPECT_CONTENT, &misc))) misc = 0;
  const bool siteFirst = (misc & OLEMISC_SETCLIENTSITEFIRST) != 0;
  if (ole != nullptr && siteFirst) ole->SetClientSite(this);

  IPersistStreamInit* persist = nullptr;
  result = control->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist));
  if (SUCCEEDED(result) && persist != nullptr) {
    result = stream != nullptr ? persist->Load(stream) : persist->InitNew();
    persist->Release();
  } else if (stream == nullptr) {
    result = S_OK;  // nothing to load, nothing lost
  } else if (SUCCEEDED(result)) {
    result = E_NOINTERFACE;
  }
  if (FAILED(result)) {
    if (ole != nullptr) {
      if (siteFirst) ole->SetClientSite(nullptr);
      ole->Release();
    }
    control->Release();
    return result;
  }
  if (ole != nullptr && !siteFirst) ole->SetClientSite(this);
  control_ = control;
  oleObject_ = ole;

  // In place, in the window's client area; windowless if the control asks
  // for it and it is allowed (CanWindowlessActivate). A control that cannot
  // be activated is still loaded and can be drawn, as with the template
  // library's own host windows.
  if (oleObject_ != nullptr) {
    const RECT place = ClientRect();
    oleObject_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(this), 0,
                       static_cast<HWND>(window_), &place);
  }
  return S_OK;
}

void ControlSite::Detach() {
  if (control_ == nullptr) return;
  // The calls below may call back into the site; the window still holds it.
  IUnknown* control = control_;
  IOleObject* ole = oleObject_;
  if (inPlaceActive_) {
    IOleInPlaceObject* inPlace = nullptr;
    if (SUCCEEDED(control->QueryInterface(IID_IOleInPlaceObject,
                                          reinterpret_cast<void**>(&inPlace))) &&
        inPlace != nullptr) {
      inPlace->InPlaceDeactivate();
      inPlace->Release();
    }
  }
  if (ole != nullptr) {
    ole->Close(OLECLOSE_NOSAVE);
    ole->SetClientSite(nullptr);
  }
  control_ = nullptr;
  oleObject_ = nullptr;
  inPlaceActive_ = false;
  windowless_ = false;
  if (ole != nullptr) ole->Release();
  control->Release();
}

void ControlSite::WindowResized(std::int32_t width, std::int32_t height) {
  if (control_ == nullptr || !inPlaceActive_) return;
  RECT place;
  place.left = 0;
  place.top = 0;
  place.right = width;
  place.bottom = height;
  OnPosRectChange(&place);
}

RECT ControlSite::ClientRect() const {
  std::int32_t width = 0;
  std::int32_t height = 0;
  GetWindowClientSize(window_, &width, &height);
  RECT rect;
  rect.left = 0;
  rect.top = 0;
  rect.right = width;
  rect.bottom = height;
  return rect;
}

IUnknown* ControlSite::Identity() {
  AddRef();
  return static_cast<IAxWinHostWindow*>(this);
}

IUnknown* ControlSite::Control() {
  if (control_ != nullptr) control_->AddRef();
  return control_;
}

// ---- Ambient properties ----

HRESULT ControlSite::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT ControlSite::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info != nullptr) *info = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT ControlSite::GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) {
  if (ids == nullptr) return E_POINTER;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  return DISP_E_UNKNOWNNAME;
}

HRESULT ControlSite::Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS*,
                            VARIANT* result, EXCEPINFO*, UINT*) {
  if (result != nullptr) VariantInit(result);
  if ((flags & DISPATCH_PROPERTYGET) == 0) return DISP_E_MEMBERNOTFOUND;
  VARIANT value;
  switch (member) {
    case DISPID_AMBIENT_USERMODE:
    case DISPID_AMBIENT_AUTOCLIP:
      value = FlagValue(VARIANT_TRUE);
      break;
    case DISPID_AMBIENT_UIDEAD:
    case DISPID_AMBIENT_SHOWGRABHANDLES:
    case DISPID_AMBIENT_SHOWHATCHING:
    case DISPID_AMBIENT_MESSAGEREFLECT:
    case DISPID_AMBIENT_DISPLAYASDEFAULT:
      value = FlagValue(VARIANT_FALSE);
      break;
    case DISPID_AMBIENT_LOCALEID:
      value = Int32Value(static_cast<std::int32_t>(LOCALE_USER_DEFAULT));
      break;
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
  if (result != nullptr) *result = value;
  return S_OK;
}

HRESULT ControlSite::put_AllowWindowlessActivation(VARIANT_BOOL allow) {
  windowlessAllowed_ = allow != VARIANT_FALSE;
  return S_OK;
}

HRESULT ControlSite::get_AllowWindowlessActivation(VARIANT_BOOL* allow) {
  if (allow == nullptr) return E_POINTER;
  *allow = windowlessAllowed_ ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

// ---- Client site ----

HRESULT ControlSite::SaveObject() { return E_NOTIMPL; }

HRESULT ControlSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker != nullptr) *moniker = nullptr;
  return E_NOTIMPL;
}

HRESULT ControlSite::GetContainer(IOleContainer** container) {
  if (container != nullptr) *container = nullptr;
  return E_NOINTERFACE;
}

HRESULT ControlSite::ShowObject() { return S_OK; }
HRESULT ControlSite::OnShowWindow(BOOL) { return S_OK; }
HRESULT ControlSite::RequestNewObjectLayout() { return E_NOTIMPL; }

// ---- In-place site ----

HRESULT ControlSite::GetWindow(HWND* window) {
  if (window == nullptr) return E_POINTER;
  *window = static_cast<HWND>(window_);
  return S_OK;
}

HRESULT ControlSite::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }
HRESULT ControlSite::CanInPlaceActivate() { return S_OK; }

HRESULT ControlSite::OnInPlaceActivate() {
  inPlaceActive_ = true;
  windowless_ = false;
  return S_OK;
}

HRESULT ControlSite::OnUIActivate() { return S_OK; }

HRESULT ControlSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                      LPRECT position, LPRECT clip,
                                      LPOLEINPLACEFRAMEINFO frameInfo) {
  if (frame == nullptr || document == nullptr || position == nullptr || clip == nullptr ||
      frameInfo == nullptr) {
    return E_POINTER;
  }
  AddRef();
  *frame = static_cast<IOleInPlaceFrame*>(this);
  *document = nullptr;
  *position = ClientRect();
  *clip = *position;
  frameInfo->fMDIApp = FALSE;
  frameInfo->hwndFrame = static_cast<HWND>(window_);
  frameInfo->haccel = nullptr;
  frameInfo->cAccelEntries = 0;
  return S_OK;
}

HRESULT ControlSite::Scroll(SIZE) { return E_NOTIMPL; }
HRESULT ControlSite::OnUIDeactivate(BOOL) { return S_OK; }

HRESULT ControlSite::OnInPlaceDeactivate() {
  inPlaceActive_ = false;
  windowless_ = false;
  return S_OK;
}

HRESULT ControlSite::DiscardUndoState() { return S_OK; }
HRESULT ControlSite::DeactivateAndUndo() { return E_NOTIMPL; }

HRESULT ControlSite::OnPosRectChange(LPCRECT position) {
  if (position == nullptr) return E_POINTER;
  if (control_ == nullptr) return S_OK;
  IOleInPlaceObject* inPlace = nullptr;
  if (SUCCEEDED(control_->QueryInterface(IID_IOleInPlaceObject,
                                         reinterpret_cast<void**>(&inPlace))) &&
      inPlace != nullptr) {
    inPlace->SetObjectRects(position, position);
    inPlace->Release();
  }
  return S_OK;
}

HRESULT ControlSite::OnInPlaceActivateEx(BOOL* noRedraw, DWORD flags) {
  if (noRedraw != nullptr) *noRedraw = FALSE;
  inPlaceActive_ = true;
  windowless_ = (flags & ACTIVATE_WINDOWLESS) != 0;
  return S_OK;
}

HRESULT ControlSite::OnInPlaceDeactivateEx(BOOL) { return OnInPlaceDeactivate(); }

// The control never gets the keyboard: nothing is shown to give it to.
HRESULT ControlSite::RequestUIActivate() { return S_FALSE; }

HRESULT ControlSite::CanWindowlessActivate() { return windowlessAllowed_ ? S_OK : S_FALSE; }
HRESULT ControlSite::GetCapture() { return S_FALSE; }
HRESULT ControlSite::SetCapture(BOOL capture) { return capture ? S_FALSE : S_OK; }
HRESULT ControlSite::GetFocus() { return S_FALSE; }
HRESULT ControlSite::SetFocus(BOOL focus) { return focus ? S_FALSE : S_OK; }

HRESULT ControlSite::GetDC(LPCRECT, DWORD, HDC* dc) {
  if (dc != nullptr) *dc = nullptr;
  return E_NOTIMPL;
}

HRESULT ControlSite::ReleaseDC(HDC) { return E_NOTIMPL; }
HRESULT ControlSite::InvalidateRect(LPCRECT, BOOL) { return S_OK; }
HRESULT ControlSite::InvalidateRgn(HRGN, BOOL) { return S_OK; }
HRESULT ControlSite::ScrollRect(INT, INT, LPCRECT, LPCRECT) { return S_OK; }
HRESULT ControlSite::AdjustRect(LPRECT rect) { return rect != nullptr ? S_OK : E_POINTER; }

HRESULT ControlSite::OnDefWindowMessage(UINT, WPARAM, LPARAM, LRESULT* result) {
  if (result != nullptr) *result = 0;
  return S_OK;
}

// ---- Frame ----

// INPLACE_E_NOTOOLSPACE: there is no room for tools.
constexpr HRESULT kNoToolSpace = static_cast<HRESULT>(0x800401A1u);

HRESULT ControlSite::GetBorder(LPRECT) { return kNoToolSpace; }
HRESULT ControlSite::RequestBorderSpace(LPCBORDERWIDTHS) { return kNoToolSpace; }
HRESULT ControlSite::SetBorderSpace(LPCBORDERWIDTHS) { return kNoToolSpace; }
HRESULT ControlSite::SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) { return S_OK; }
HRESULT ControlSite::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) { return E_NOTIMPL; }
HRESULT ControlSite::SetMenu(HMENU, HOLEMENU, HWND) { return S_OK; }
HRESULT ControlSite::RemoveMenus(HMENU) { return E_NOTIMPL; }
HRESULT ControlSite::SetStatusText(LPCOLESTR) { return S_OK; }
HRESULT ControlSite::EnableModeless(BOOL) { return S_OK; }
HRESULT ControlSite::TranslateAccelerator(LPMSG, WORD) { return S_FALSE; }

}  // namespace Halvane::Platform
