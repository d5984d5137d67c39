// The control site that each host window owns (ControlHost.h): what an
// ActiveX control needs from its container to load from a stream, be
// activated in place without a window of its own, be drawn and run its own
// timers. The site is the control's client site, its in-place site for
// windowless controls, its frame and its source of ambient properties; it
// creates the control, keeps one reference on it and answers it to the
// window's messages.
//
// The window is hidden, so the site draws nothing itself: the player asks
// the control for its picture (OleDraw), and what a windowless control asks
// of its container for painting (a device context, invalidated areas) is
// answered without effect. Both targets' host windows use it; nothing else
// should.
#pragma once

#include <atomic>

#include "platform/ControlHost.h"

namespace Halvane::Platform {

class ControlSite final : public IAxWinHostWindow,
                          public IAxWinAmbientDispatch,
                          public IOleClientSite,
                          public IOleInPlaceSiteWindowless,
                          public IOleInPlaceFrame {
 public:
  // A site of the window with one reference and no control; null without
  // memory.
  static ControlSite* Create(WindowHandle window);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IAxWinHostWindow.
  HRESULT STDMETHODCALLTYPE CreateControl(const OLECHAR* classText, WindowHandle window,
                                          IStream* stream) override;

  // IAxWinAmbientDispatch: the ambient properties a control asks for by
  // DISPID (user mode true, UI dead false, no hatching or grab handles,
  // message reflection off, auto-clip on, the user's locale); the others
  // are DISP_E_MEMBERNOTFOUND, which tells a control to use its default.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID reserved, LPOLESTR* names, UINT count,
                                          LCID locale, DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID reserved, LCID locale, WORD flags,
                                   DISPPARAMS* parameters, VARIANT* result,
                                   EXCEPINFO* exception, UINT* argumentError) override;
  HRESULT STDMETHODCALLTYPE put_AllowWindowlessActivation(VARIANT_BOOL allow) override;
  HRESULT STDMETHODCALLTYPE get_AllowWindowlessActivation(VARIANT_BOOL* allow) override;

  // IOleClientSite.
  HRESULT STDMETHODCALLTYPE SaveObject() override;
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override;
  HRESULT STDMETHODCALLTYPE ShowObject() override;
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL show) override;
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override;

  // IOleWindow, of the in-place site and of the frame: the host window.
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enter) override;

  // IOleInPlaceSite, IOleInPlaceSiteEx, IOleInPlaceSiteWindowless. The
  // control's place is the window's client area.
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override;
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override;
  HRESULT STDMETHODCALLTYPE OnUIActivate() override;
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame,
                                             IOleInPlaceUIWindow** document, LPRECT position,
                                             LPRECT clip,
                                             LPOLEINPLACEFRAMEINFO frameInfo) override;
  HRESULT STDMETHODCALLTYPE Scroll(SIZE extent) override;
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL undoable) override;
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override;
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override;
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override;
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT position) override;
  HRESULT STDMETHODCALLTYPE OnInPlaceActivateEx(BOOL* noRedraw, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivateEx(BOOL noRedraw) override;
  HRESULT STDMETHODCALLTYPE RequestUIActivate() override;
  // S_OK while windowless activation is allowed, else S_FALSE.
  HRESULT STDMETHODCALLTYPE CanWindowlessActivate() override;
  HRESULT STDMETHODCALLTYPE GetCapture() override;
  HRESULT STDMETHODCALLTYPE SetCapture(BOOL capture) override;
  HRESULT STDMETHODCALLTYPE GetFocus() override;
  HRESULT STDMETHODCALLTYPE SetFocus(BOOL focus) override;
  // A hidden window has no screen to paint on: E_NOTIMPL, no context.
  HRESULT STDMETHODCALLTYPE GetDC(LPCRECT rect, DWORD flags, HDC* dc) override;
  HRESULT STDMETHODCALLTYPE ReleaseDC(HDC dc) override;
  HRESULT STDMETHODCALLTYPE InvalidateRect(LPCRECT rect, BOOL erase) override;
  HRESULT STDMETHODCALLTYPE InvalidateRgn(HRGN region, BOOL erase) override;
  HRESULT STDMETHODCALLTYPE ScrollRect(INT dx, INT dy, LPCRECT scroll, LPCRECT clip) override;
  HRESULT STDMETHODCALLTYPE AdjustRect(LPRECT rect) override;
  HRESULT STDMETHODCALLTYPE OnDefWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                               LRESULT* result) override;

  // IOleInPlaceUIWindow, IOleInPlaceFrame: no tools, no menus, no status.
  HRESULT STDMETHODCALLTYPE GetBorder(LPRECT border) override;
  HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS widths) override;
  HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS widths) override;
  HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* object,
                                            LPCOLESTR name) override;
  HRESULT STDMETHODCALLTYPE InsertMenus(HMENU shared, LPOLEMENUGROUPWIDTHS widths) override;
  HRESULT STDMETHODCALLTYPE SetMenu(HMENU shared, HOLEMENU descriptor,
                                    HWND activeObject) override;
  HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU shared) override;
  HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR text) override;
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) override;
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG message, WORD id) override;

  // The site's own IUnknown with a new reference (the answer to
  // "WM_ATLGETHOST").
  IUnknown* Identity();
  // The hosted control's IUnknown with a new reference, or null (the answer
  // to "WM_ATLGETCONTROL").
  IUnknown* Control();
  // Whether the control is active in place, and windowless.
  bool InPlaceActive() const { return inPlaceActive_; }
  bool Windowless() const { return windowless_; }

  // The window's client area is now width x height: the control is told
  // its new place.
  void WindowResized(std::int32_t width, std::int32_t height);
  // The window is going: the control is deactivated, closed and told to
  // let go of the site, and released. The window calls this before its
  // last Release of the site, which would otherwise stay held by the
  // control it holds.
  void Detach();

 private:
  explicit ControlSite(WindowHandle window) : window_(window) {}
  ~ControlSite();

  RECT ClientRect() const;

  std::atomic<ULONG> references_{1};
  WindowHandle window_;
  IUnknown* control_ = nullptr;
  IOleObject* oleObject_ = nullptr;
  bool windowlessAllowed_ = false;
  bool inPlaceActive_ = false;
  bool windowless_ = false;
};

// Reads a class identifier written as "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}"
// (hex digits in either case); false for anything else.
bool ParseClassText(const OLECHAR* text, CLSID* classId);

}  // namespace Halvane::Platform
