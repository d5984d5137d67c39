// IDispatch for the project's own controls: the member names of the dual
// interface (Platform::FlashMember) reach the typed methods of
// IShockwaveFlash that the deriving control implements. Callers bind by
// name; no type information is published (GetTypeInfoCount answers 0).
//
// Invoke reads its arguments by what they mean (an int member takes any
// integer type, a flag any number; see platform/Variants.h) and answers
// ints and frame numbers as VT_I4, flags as VT_BOOL, texts as VT_BSTR owned
// by the caller. A typed method's failure is Invoke's result as it is.
#pragma once

#include "platform/ShockwaveFlash.h"

namespace Halvane::Movie {

class ShockwaveFlashDispatch : public IShockwaveFlash {
 public:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  // Member names in any case; DISP_E_UNKNOWNNAME for any other name and for
  // parameter names (none are published), with DISPID_UNKNOWN in their place.
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID reserved, LPOLESTR* names, UINT count,
                                          LCID locale, DISPID* ids) override;
  // DISP_E_MEMBERNOTFOUND for an unknown member or a way of calling it that
  // it does not have (a get of a put-only property); DISP_E_BADPARAMCOUNT,
  // DISP_E_NONAMEDARGS and DISP_E_TYPEMISMATCH (*argumentError: the
  // argument's position, 0 first) for arguments that do not fit.
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID reserved, LCID locale, WORD flags,
                                   DISPPARAMS* parameters, VARIANT* result,
                                   EXCEPINFO* exception, UINT* argumentError) override;

 protected:
  ~ShockwaveFlashDispatch() = default;
};

}  // namespace Halvane::Movie
