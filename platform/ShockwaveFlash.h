// The movie control's interface, IShockwaveFlash: a dual interface, that
// is an IDispatch whose members can also be reached through a vtable.
//
// The player reaches every control, an installed one or ours, through the
// IDispatch part only: it binds the member names below with GetIDsOfNames
// and calls them with Invoke (see activex/ControlDispatch.h), so any control
// that publishes those names works, whatever its vtable.
//
// The typed methods declared after IDispatch are the vtable of the project's
// own controls, in an order of our own: only the methods the player uses,
// with their published argument types (int quality, VARIANT_BOOL flags with
// true as -1, long frame numbers, BSTR texts). An installed control lays out
// its vtable differently, so these methods are never called on a control
// that came from elsewhere.
#pragma once

#include "platform/Com.h"

// {D27CDB6C-AE6D-11CF-96B8-444553540000}
inline constexpr IID IID_IShockwaveFlash = {
    0xD27CDB6C, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
// The control's class: {D27CDB6E-AE6D-11CF-96B8-444553540000}
inline constexpr CLSID CLSID_ShockwaveFlash = {
    0xD27CDB6E, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

struct IShockwaveFlash : IDispatch {
  virtual HRESULT STDMETHODCALLTYPE put_Quality(int quality) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Quality(int* quality) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Loop(VARIANT_BOOL loop) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Loop(VARIANT_BOOL* loop) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Playing(VARIANT_BOOL playing) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Playing(VARIANT_BOOL* playing) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_WMode(BSTR mode) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_TotalFrames(long* frames) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_FrameNum(long* frame) = 0;
  virtual HRESULT STDMETHODCALLTYPE GotoFrame(long frame) = 0;
  virtual HRESULT STDMETHODCALLTYPE Play() = 0;
  virtual HRESULT STDMETHODCALLTYPE Stop() = 0;
  virtual HRESULT STDMETHODCALLTYPE put_FlashVars(BSTR vars) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetVariable(BSTR name, BSTR* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetVariable(BSTR name, BSTR value) = 0;
  virtual HRESULT STDMETHODCALLTYPE CallFunction(BSTR request, BSTR* response) = 0;

 protected:
  ~IShockwaveFlash() = default;
};

namespace Halvane::Platform {

// The members of the dual interface that the player uses. The numbers are
// the DISPIDs that the project's own controls answer for them; a caller
// learns a control's numbers from GetIDsOfNames, never from this list.
enum class FlashMember : DISPID {
  Quality = 1,    // property, int
  Loop,           // property, VARIANT_BOOL
  Playing,        // property, VARIANT_BOOL
  WMode,          // property, BSTR (put only)
  TotalFrames,    // property, long (get only)
  FrameNum,       // property, long (get only)
  GotoFrame,      // method (long)
  Play,           // method ()
  Stop,           // method ()
  FlashVars,      // property, BSTR (put only)
  GetVariable,    // method (BSTR name) -> BSTR
  SetVariable,    // method (BSTR name, BSTR value)
  CallFunction,   // method (BSTR request) -> BSTR
};
constexpr int kFlashMemberCount = 13;

// The member's published name ("Quality", "GotoFrame", ...).
const char16_t* FlashMemberName(FlashMember member);

}  // namespace Halvane::Platform
