// The control site that each host window owns (ControlHost.h): it creates
// the control, keeps one reference on it and answers it to the window's
// messages. Both targets' host windows use it; nothing else should.
#pragma once

#include <atomic>

#include "platform/ControlHost.h"

namespace Halvane::Platform {

class ControlSite final : public IAxWinHostWindow, public IAxWinAmbientDispatch {
 public:
  // A site with one reference and no control; null without memory.
  static ControlSite* Create();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE CreateControl(const OLECHAR* classText, WindowHandle window,
                                          IStream* stream) override;
  HRESULT STDMETHODCALLTYPE put_AllowWindowlessActivation(VARIANT_BOOL allow) override;
  HRESULT STDMETHODCALLTYPE get_AllowWindowlessActivation(VARIANT_BOOL* allow) override;

  // The site's own IUnknown with a new reference (the answer to
  // "WM_ATLGETHOST").
  IUnknown* Identity();
  // The hosted control's IUnknown with a new reference, or null (the answer
  // to "WM_ATLGETCONTROL").
  IUnknown* Control();

 private:
  ControlSite() = default;
  ~ControlSite();

  std::atomic<ULONG> references_{1};
  IUnknown* control_ = nullptr;
  bool windowless_ = false;
};

// Reads a class identifier written as "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}"
// (hex digits in either case); false for anything else.
bool ParseClassText(const OLECHAR* text, CLSID* classId);

}  // namespace Halvane::Platform
