// The site's control is created through the class table, never by path or
// program name: the player names its control by class identifier only.
#include "platform/ControlSite.h"

#include <new>

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

ControlSite* ControlSite::Create() { return new (std::nothrow) ControlSite(); }

ControlSite::~ControlSite() {
  if (control_ != nullptr) control_->Release();
}

HRESULT ControlSite::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (SameGuid(iid, IID_IUnknown) || SameGuid(iid, IID_IAxWinHostWindow)) {
    *object = static_cast<IAxWinHostWindow*>(this);
  } else if (SameGuid(iid, IID_IAxWinAmbientDispatch)) {
    *object = static_cast<IAxWinAmbientDispatch*>(this);
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

HRESULT ControlSite::CreateControl(const OLECHAR* classText, WindowHandle, IStream* stream) {
  CLSID classId;
  if (!ParseClassText(classText, &classId)) return kBadClassText;
  IUnknown* control = nullptr;
  HRESULT result = CreateComInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                     reinterpret_cast<void**>(&control));
  if (FAILED(result)) return result;
  IPersistStreamInit* persist = nullptr;
  result = control->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist));
  if (SUCCEEDED(result) && persist != nullptr) {
    result = stream != nullptr ? persist->Load(stream) : persist->InitNew();
    persist->Release();
  }
  if (FAILED(result)) {
    control->Release();
    return result;
  }
  // A control of the class table draws only through OleDraw, so it is
  // windowless whether or not windowless activation was allowed; there is
  // no window of its own to create or activate.
  if (control_ != nullptr) control_->Release();
  control_ = control;
  return S_OK;
}

HRESULT ControlSite::put_AllowWindowlessActivation(VARIANT_BOOL allow) {
  windowless_ = allow != VARIANT_FALSE;
  return S_OK;
}

HRESULT ControlSite::get_AllowWindowlessActivation(VARIANT_BOOL* allow) {
  if (allow == nullptr) return E_POINTER;
  *allow = windowless_ ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

IUnknown* ControlSite::Identity() {
  AddRef();
  return static_cast<IAxWinHostWindow*>(this);
}

IUnknown* ControlSite::Control() {
  if (control_ != nullptr) control_->AddRef();
  return control_;
}

}  // namespace Halvane::Platform
