// The control's members, called by name through its IDispatch: the player
// drives every control this way, an installed one or ours, so that any
// control that publishes the member names of the dual interface works,
// whatever the layout of its vtable.
//
// Each name is bound with GetIDsOfNames when it is first used and kept for
// the life of this object; a name the control does not know fails that
// member's calls with the control's answer (DISP_E_UNKNOWNNAME). Arguments
// go as VT_I4, VT_BOOL and VT_BSTR values; answers are read by what they
// mean (platform/Variants.h), and one that cannot be read so is
// DISP_E_TYPEMISMATCH. A failure that the control reports as an exception
// (DISP_E_EXCEPTION) becomes the exception's own result code when it has
// one, E_FAIL otherwise.
//
// Belongs to the thread that owns the control (the player's worker).
#pragma once

#include <cstdint>

#include "platform/Com.h"
#include "platform/ShockwaveFlash.h"

namespace Halvane::ActiveX {

class ControlDispatch {
 public:
  // Borrows the control, which must outlive this object.
  explicit ControlDispatch(IDispatch* control);
  ControlDispatch(const ControlDispatch&) = delete;
  ControlDispatch& operator=(const ControlDispatch&) = delete;

  IDispatch* Control() const { return control_; }

  // The members as the control publishes them. Outputs are written only on
  // success; a text answer is a new BSTR for the caller to free (null for
  // the empty text).
  HRESULT put_Quality(int quality);
  HRESULT get_Quality(int* quality);
  HRESULT put_Loop(VARIANT_BOOL loop);
  HRESULT get_Loop(VARIANT_BOOL* loop);
  HRESULT put_Playing(VARIANT_BOOL playing);
  HRESULT get_Playing(VARIANT_BOOL* playing);
  HRESULT put_WMode(BSTR mode);
  HRESULT get_TotalFrames(std::int32_t* frames);
  HRESULT get_FrameNum(std::int32_t* frame);
  HRESULT GotoFrame(std::int32_t frame);
  HRESULT Play();
  HRESULT Stop();
  HRESULT put_FlashVars(BSTR vars);
  HRESULT GetVariable(BSTR name, BSTR* value);
  HRESULT SetVariable(BSTR name, BSTR value);
  HRESULT CallFunction(BSTR request, BSTR* response);

 private:
  HRESULT Bind(Platform::FlashMember member, DISPID* id);
  // Invokes the member with the arguments (first one first) and, for
  // result not null, takes its answer.
  HRESULT Call(Platform::FlashMember member, WORD flags, const VARIANT* arguments, UINT count,
               VARIANT* result);
  HRESULT Put(Platform::FlashMember member, const VARIANT& value);
  HRESULT GetNumber(Platform::FlashMember member, std::int32_t* number);
  HRESULT GetFlag(Platform::FlashMember member, VARIANT_BOOL* flag);
  HRESULT CallForText(Platform::FlashMember member, BSTR argument, BSTR* answer);

  IDispatch* control_;
  // Per member: 1 while not yet asked; otherwise the binding's result.
  HRESULT bindResults_[Platform::kFlashMemberCount];
  DISPID ids_[Platform::kFlashMemberCount];
};

}  // namespace Halvane::ActiveX
