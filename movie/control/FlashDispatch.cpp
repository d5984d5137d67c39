#include "movie/control/FlashDispatch.h"

#include "platform/Variants.h"

namespace Halvane::Movie {

namespace {

using Platform::FlashMember;

bool SameNameIgnoringCase(const OLECHAR* a, const char16_t* b) {
  auto lower = [](char16_t c) -> char16_t { return c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c; };
  for (;; ++a, ++b) {
    if (lower(static_cast<char16_t>(*a)) != lower(*b)) return false;
    if (*b == 0) return true;
  }
}

// How a member is called: the ways it answers and its argument count.
struct Shape {
  bool get;
  bool put;
  bool method;
  UINT arguments;  // of the method; a put takes one
};

bool ShapeOf(DISPID member, Shape* shape) {
  switch (static_cast<FlashMember>(member)) {
    case FlashMember::Quality:
    case FlashMember::Loop:
    case FlashMember::Playing: *shape = {true, true, false, 0}; return true;
    case FlashMember::WMode:
    case FlashMember::FlashVars: *shape = {false, true, false, 0}; return true;
    case FlashMember::TotalFrames:
    case FlashMember::FrameNum: *shape = {true, false, false, 0}; return true;
    case FlashMember::Play:
    case FlashMember::Stop: *shape = {false, false, true, 0}; return true;
    case FlashMember::GotoFrame:
    case FlashMember::GetVariable:
    case FlashMember::CallFunction: *shape = {false, false, true, 1}; return true;
    case FlashMember::SetVariable: *shape = {false, false, true, 2}; return true;
  }
  return false;
}

// The argument at position (0 first); the array holds them last first.
const VARIANT& Argument(const DISPPARAMS& parameters, UINT position) {
  return parameters.rgvarg[parameters.cArgs - 1 - position];
}

void Answer(VARIANT* result, const VARIANT& value) {
  if (result != nullptr) {
    *result = value;
  } else if (value.vt == VT_BSTR) {
    SysFreeString(value.bstrVal);
  }
}

}  // namespace

HRESULT ShockwaveFlashDispatch::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT ShockwaveFlashDispatch::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info != nullptr) *info = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT ShockwaveFlashDispatch::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                              DISPID* ids) {
  if (names == nullptr || ids == nullptr) return E_POINTER;
  if (count == 0) return S_OK;
  HRESULT result = DISP_E_UNKNOWNNAME;
  ids[0] = DISPID_UNKNOWN;
  for (int i = 1; i <= Platform::kFlashMemberCount && names[0] != nullptr; ++i) {
    if (SameNameIgnoringCase(names[0], Platform::FlashMemberName(static_cast<FlashMember>(i)))) {
      ids[0] = i;
      result = S_OK;
      break;
    }
  }
  for (UINT i = 1; i < count; ++i) {
    ids[i] = DISPID_UNKNOWN;
    result = DISP_E_UNKNOWNNAME;
  }
  return result;
}

HRESULT ShockwaveFlashDispatch::Invoke(DISPID member, REFIID, LCID, WORD flags,
                                       DISPPARAMS* parameters, VARIANT* result, EXCEPINFO*,
                                       UINT* argumentError) {
  if (result != nullptr) VariantInit(result);
  Shape shape{};
  if (!ShapeOf(member, &shape)) return DISP_E_MEMBERNOTFOUND;
  if (parameters == nullptr) return E_INVALIDARG;
  if (parameters->cArgs > 0 && parameters->rgvarg == nullptr) return E_INVALIDARG;
  const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
  // Scripting hosts ask for a property's value with both bits set.
  const bool method = !put && shape.method && (flags & DISPATCH_METHOD) != 0;
  const bool get = !put && !method && shape.get && (flags & DISPATCH_PROPERTYGET) != 0;
  if (!(put && shape.put) && !method && !get) return DISP_E_MEMBERNOTFOUND;

  // A put names its one argument DISPID_PROPERTYPUT; nothing else is named.
  if (parameters->cNamedArgs > 0) {
    const bool namedValue = put && parameters->cNamedArgs == 1 &&
                            parameters->rgdispidNamedArgs != nullptr &&
                            parameters->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
    if (!namedValue) return DISP_E_NONAMEDARGS;
  }
  const UINT expected = put ? 1 : method ? shape.arguments : 0;
  if (parameters->cArgs != expected) return DISP_E_BADPARAMCOUNT;

  auto mismatch = [&](UINT position) {
    if (argumentError != nullptr) *argumentError = position;
    return DISP_E_TYPEMISMATCH;
  };
  std::int32_t number = 0;
  VARIANT_BOOL flag = VARIANT_FALSE;
  BSTR text = nullptr;
  HRESULT called = S_OK;
  switch (static_cast<FlashMember>(member)) {
    case FlashMember::Quality:
      if (put) {
        if (!Platform::ReadInt32(Argument(*parameters, 0), &number)) return mismatch(0);
        return put_Quality(number);
      } else {
        int quality = 0;
        if (SUCCEEDED(called = get_Quality(&quality))) Answer(result, Platform::Int32Value(quality));
        return called;
      }
    case FlashMember::Loop:
    case FlashMember::Playing: {
      const bool loop = static_cast<FlashMember>(member) == FlashMember::Loop;
      if (put) {
        if (!Platform::ReadFlag(Argument(*parameters, 0), &flag)) return mismatch(0);
        return loop ? put_Loop(flag) : put_Playing(flag);
      }
      called = loop ? get_Loop(&flag) : get_Playing(&flag);
      if (SUCCEEDED(called)) Answer(result, Platform::FlagValue(flag));
      return called;
    }
    case FlashMember::WMode:
    case FlashMember::FlashVars:
      if (!Platform::ReadText(Argument(*parameters, 0), &text)) return mismatch(0);
      return static_cast<FlashMember>(member) == FlashMember::WMode ? put_WMode(text)
                                                                     : put_FlashVars(text);
    case FlashMember::TotalFrames:
    case FlashMember::FrameNum: {
      long frames = 0;
      called = static_cast<FlashMember>(member) == FlashMember::TotalFrames
                   ? get_TotalFrames(&frames)
                   : get_FrameNum(&frames);
      if (SUCCEEDED(called)) Answer(result, Platform::Int32Value(static_cast<std::int32_t>(frames)));
      return called;
    }
    case FlashMember::GotoFrame:
      if (!Platform::ReadInt32(Argument(*parameters, 0), &number)) return mismatch(0);
      return GotoFrame(number);
    case FlashMember::Play:
      return Play();
    case FlashMember::Stop:
      return Stop();
    case FlashMember::GetVariable:
    case FlashMember::CallFunction: {
      if (!Platform::ReadText(Argument(*parameters, 0), &text)) return mismatch(0);
      BSTR answer = nullptr;
      called = static_cast<FlashMember>(member) == FlashMember::GetVariable
                   ? GetVariable(text, &answer)
                   : CallFunction(text, &answer);
      if (FAILED(called)) {
        SysFreeString(answer);
        return called;
      }
      Answer(result, Platform::TextValue(answer));
      return called;
    }
    case FlashMember::SetVariable: {
      BSTR value = nullptr;
      if (!Platform::ReadText(Argument(*parameters, 0), &text)) return mismatch(0);
      if (!Platform::ReadText(Argument(*parameters, 1), &value)) return mismatch(1);
      return SetVariable(text, value);
    }
  }
  return DISP_E_MEMBERNOTFOUND;
}

}  // namespace Halvane::Movie
