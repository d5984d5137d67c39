// Hosting a control in a hidden window, behind the names of the control-
// hosting windows of the platform compiler's template library (which
// MinGW does not have, so the project brings its own): a window of the
// class "AtlAxWin80" owns a control site (ControlSite.h); the registered
// message "WM_ATLGETHOST" answers the site, "WM_ATLGETCONTROL" the hosted
// control; the site creates the control by its class identifier, loads it
// from a stream and activates it in place, windowless when that is allowed;
// destroying the window closes the control and releases the site and with
// it the control. On Windows the window is a real window of a class
// registered here; on Linux a window object of the seam. Controls are
// created through Platform::CreateComInstance (ComClasses.h).
//
// A host window and its site belong to the thread that created the window.
#pragma once

#include <cstdint>

#include "platform/Com.h"
#include "platform/MessageBox.h"

// {B6EA2050-048A-11D1-82B9-00C04FB1625D}
inline constexpr IID IID_IAxWinHostWindow = {
    0xB6EA2050, 0x048A, 0x11D1, {0x82, 0xB9, 0x00, 0xC0, 0x4F, 0xB1, 0x62, 0x5D}};
// {B6EA2051-048A-11D1-82B9-00C04FB1625D}
inline constexpr IID IID_IAxWinAmbientDispatch = {
    0xB6EA2051, 0x048A, 0x11D1, {0x82, 0xB9, 0x00, 0xC0, 0x4F, 0xB1, 0x62, 0x5D}};

// The site of a host window. Only the method the player calls is declared.
struct IAxWinHostWindow : IUnknown {
  // Creates the control named by classText ("{xxxxxxxx-xxxx-...}"), loads
  // it from stream (IPersistStreamInit::Load; InitNew without a stream),
  // gives it the site and activates it in place in window, replacing a
  // control hosted before. CO_E_CLASSSTRING for text that is no class
  // identifier, else the result of the creation or the load; on failure
  // nothing is hosted. A control that refuses activation stays hosted
  // inactive: it can still be drawn.
  virtual HRESULT STDMETHODCALLTYPE CreateControl(const OLECHAR* classText,
                                                  Halvane::Platform::WindowHandle window,
                                                  IStream* stream) = 0;

 protected:
  ~IAxWinHostWindow() = default;
};

// The site's ambient properties: the IDispatch through which the control
// reads them (user mode and the like), and the one property the player sets.
struct IAxWinAmbientDispatch : IDispatch {
  virtual HRESULT STDMETHODCALLTYPE put_AllowWindowlessActivation(VARIANT_BOOL allow) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_AllowWindowlessActivation(VARIANT_BOOL* allow) = 0;

 protected:
  ~IAxWinAmbientDispatch() = default;
};

namespace Halvane::Platform {

constexpr const char* kControlHostClass = "AtlAxWin80";
constexpr const char* kLicensedControlHostClass = "AtlAxWinLic80";
constexpr const char* kGetHostMessageName = "WM_ATLGETHOST";
constexpr const char* kGetControlMessageName = "WM_ATLGETCONTROL";

// The result for a class text that names no class (CO_E_CLASSSTRING).
constexpr HRESULT kBadClassText = static_cast<HRESULT>(0x800401F3u);

// Registers the two host window classes of this module and the two
// messages, as AtlAxWinInit does; registering again is harmless. False
// when the classes cannot be registered.
bool RegisterControlHostClasses();

// Unregisters the two window classes of this module (UnregisterClassA).
void UnregisterControlHostClasses();

// The number of a registered window message, the same for one name in the
// whole process (RegisterWindowMessageA); 0 on failure.
std::uint32_t RegisterMessageName(const char* name);

// Creates a hidden window of the class with style WS_POPUP at (0, 0) with
// the given size, no parent, no menu, this module as its instance, no title
// and no creation data; null when it cannot (the class is not registered).
WindowHandle CreatePopupWindow(const char* className, std::int32_t width, std::int32_t height);

// Sends the message to the window's procedure and returns its answer (0 for
// a window that does not exist).
std::intptr_t SendMessageToWindow(WindowHandle window, std::uint32_t message,
                                  std::uintptr_t wParam, std::intptr_t lParam);

// True while the window exists (IsWindow).
bool IsLiveWindow(WindowHandle window);

// Destroys the window; false when it does not exist.
bool DestroyWindowOf(WindowHandle window);

// Sets the window's outer size so that its client area is width x height
// (AdjustWindowRect with its style, then SetWindowPos changing only the
// size, without activating or redrawing). False when the window does not
// exist or refuses.
bool SetWindowClientSize(WindowHandle window, std::int32_t width, std::int32_t height);

// The window's client size; false when the window does not exist.
bool GetWindowClientSize(WindowHandle window, std::int32_t* width, std::int32_t* height);

}  // namespace Halvane::Platform
