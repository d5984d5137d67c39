#include "activex/ControlDispatch.h"

#include <cstring>

#include "platform/Variants.h"

namespace Halvane::ActiveX {

namespace {

using Platform::FlashMember;

constexpr HRESULT kNotBound = 1;
// The reserved interface argument of GetIDsOfNames and Invoke (IID_NULL).
constexpr IID kNoInterface{};

int IndexOf(FlashMember member) { return static_cast<int>(member) - 1; }

}  // namespace

ControlDispatch::ControlDispatch(IDispatch* control) : control_(control) {
  for (HRESULT& result : bindResults_) result = kNotBound;
  for (DISPID& id : ids_) id = DISPID_UNKNOWN;
}

HRESULT ControlDispatch::Bind(FlashMember member, DISPID* id) {
  const int index = IndexOf(member);
  if (bindResults_[index] == kNotBound) {
    if (control_ == nullptr) return E_POINTER;
    // GetIDsOfNames takes the name as writable text.
    OLECHAR name[32] = {};
    const char16_t* published = Platform::FlashMemberName(member);
    for (std::size_t i = 0; published[i] != 0 && i + 1 < sizeof name / sizeof name[0]; ++i) {
      name[i] = static_cast<OLECHAR>(published[i]);
    }
    LPOLESTR names[1] = {name};
    DISPID found = DISPID_UNKNOWN;
    const HRESULT result =
        control_->GetIDsOfNames(kNoInterface, names, 1, LOCALE_USER_DEFAULT, &found);
    bindResults_[index] = FAILED(result) ? result : S_OK;
    ids_[index] = found;
  }
  *id = ids_[index];
  return bindResults_[index];
}

HRESULT ControlDispatch::Call(FlashMember member, WORD flags, const VARIANT* arguments,
                              UINT count, VARIANT* result) {
  DISPID id = DISPID_UNKNOWN;
  HRESULT outcome = Bind(member, &id);
  if (FAILED(outcome)) return outcome;
  // Invoke takes the arguments last first.
  VARIANT reversed[2];
  for (UINT i = 0; i < count; ++i) reversed[count - 1 - i] = arguments[i];
  DISPID putName = DISPID_PROPERTYPUT;
  DISPPARAMS parameters{};
  parameters.rgvarg = count > 0 ? reversed : nullptr;
  parameters.cArgs = count;
  if ((flags & DISPATCH_PROPERTYPUT) != 0) {
    parameters.rgdispidNamedArgs = &putName;
    parameters.cNamedArgs = 1;
  }
  EXCEPINFO exception;
  std::memset(&exception, 0, sizeof exception);
  UINT argumentError = 0;
  if (result != nullptr) VariantInit(result);
  outcome = control_->Invoke(id, kNoInterface, LOCALE_USER_DEFAULT, flags, &parameters, result,
                             &exception, &argumentError);
  if (outcome == DISP_E_EXCEPTION) {
    if (exception.pfnDeferredFillIn != nullptr) exception.pfnDeferredFillIn(&exception);
    outcome = FAILED(exception.scode) ? exception.scode : E_FAIL;
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
  }
  if (FAILED(outcome) && result != nullptr) VariantClear(result);
  return outcome;
}

HRESULT ControlDispatch::Put(FlashMember member, const VARIANT& value) {
  return Call(member, DISPATCH_PROPERTYPUT, &value, 1, nullptr);
}

HRESULT ControlDispatch::GetNumber(FlashMember member, std::int32_t* number) {
  if (number == nullptr) return E_POINTER;
  VARIANT answer;
  const HRESULT result = Call(member, DISPATCH_PROPERTYGET, nullptr, 0, &answer);
  if (FAILED(result)) return result;
  std::int32_t read = 0;
  const bool readable = Platform::ReadInt32(answer, &read);
  VariantClear(&answer);
  if (!readable) return DISP_E_TYPEMISMATCH;
  *number = read;
  return result;
}

HRESULT ControlDispatch::GetFlag(FlashMember member, VARIANT_BOOL* flag) {
  if (flag == nullptr) return E_POINTER;
  VARIANT answer;
  const HRESULT result = Call(member, DISPATCH_PROPERTYGET, nullptr, 0, &answer);
  if (FAILED(result)) return result;
  VARIANT_BOOL read = VARIANT_FALSE;
  const bool readable = Platform::ReadFlag(answer, &read);
  VariantClear(&answer);
  if (!readable) return DISP_E_TYPEMISMATCH;
  *flag = read;
  return result;
}

HRESULT ControlDispatch::CallForText(FlashMember member, BSTR argument, BSTR* answer) {
  if (answer == nullptr) return E_POINTER;
  const VARIANT value = Platform::TextValue(argument);
  VARIANT returned;
  const HRESULT result = Call(member, DISPATCH_METHOD, &value, 1, &returned);
  if (FAILED(result)) return result;
  BSTR text = nullptr;
  if (!Platform::ReadText(returned, &text)) {
    VariantClear(&returned);
    return DISP_E_TYPEMISMATCH;
  }
  // A text answered by value is handed over; one by reference is copied.
  if (returned.vt == VT_BSTR) {
    *answer = returned.bstrVal;
  } else {
    *answer = text != nullptr ? SysAllocStringLen(text, SysStringLen(text)) : nullptr;
    VariantClear(&returned);
    if (text != nullptr && *answer == nullptr) return E_OUTOFMEMORY;
  }
  return result;
}

HRESULT ControlDispatch::put_Quality(int quality) {
  return Put(FlashMember::Quality, Platform::Int32Value(quality));
}

HRESULT ControlDispatch::get_Quality(int* quality) {
  std::int32_t number = 0;
  if (quality == nullptr) return E_POINTER;
  const HRESULT result = GetNumber(FlashMember::Quality, &number);
  if (SUCCEEDED(result)) *quality = number;
  return result;
}

HRESULT ControlDispatch::put_Loop(VARIANT_BOOL loop) {
  return Put(FlashMember::Loop, Platform::FlagValue(loop));
}

HRESULT ControlDispatch::get_Loop(VARIANT_BOOL* loop) { return GetFlag(FlashMember::Loop, loop); }

HRESULT ControlDispatch::put_Playing(VARIANT_BOOL playing) {
  return Put(FlashMember::Playing, Platform::FlagValue(playing));
}

HRESULT ControlDispatch::get_Playing(VARIANT_BOOL* playing) {
  return GetFlag(FlashMember::Playing, playing);
}

HRESULT ControlDispatch::put_WMode(BSTR mode) {
  return Put(FlashMember::WMode, Platform::TextValue(mode));
}

HRESULT ControlDispatch::get_TotalFrames(std::int32_t* frames) {
  return GetNumber(FlashMember::TotalFrames, frames);
}

HRESULT ControlDispatch::get_FrameNum(std::int32_t* frame) {
  return GetNumber(FlashMember::FrameNum, frame);
}

HRESULT ControlDispatch::GotoFrame(std::int32_t frame) {
  const VARIANT value = Platform::Int32Value(frame);
  return Call(FlashMember::GotoFrame, DISPATCH_METHOD, &value, 1, nullptr);
}

HRESULT ControlDispatch::Play() { return Call(FlashMember::Play, DISPATCH_METHOD, nullptr, 0, nullptr); }

HRESULT ControlDispatch::Stop() { return Call(FlashMember::Stop, DISPATCH_METHOD, nullptr, 0, nullptr); }

HRESULT ControlDispatch::put_FlashVars(BSTR vars) {
  return Put(FlashMember::FlashVars, Platform::TextValue(vars));
}

HRESULT ControlDispatch::GetVariable(BSTR name, BSTR* value) {
  return CallForText(FlashMember::GetVariable, name, value);
}

HRESULT ControlDispatch::SetVariable(BSTR name, BSTR value) {
  const VARIANT arguments[2] = {Platform::TextValue(name), Platform::TextValue(value)};
  return Call(FlashMember::SetVariable, DISPATCH_METHOD, arguments, 2, nullptr);
}

HRESULT ControlDispatch::CallFunction(BSTR request, BSTR* response) {
  return CallForText(FlashMember::CallFunction, request, response);
}

}  // namespace Halvane::ActiveX
