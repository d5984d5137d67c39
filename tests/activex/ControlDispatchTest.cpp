// The control's members by name, both ways across IDispatch::Invoke: the
// player's side (ControlDispatch) against a control that is nothing but an
// IDispatch, our controls' side (ShockwaveFlashDispatch) against callers
// that pass arguments as scripting hosts do, and the reading of the values
// in between.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "activex/ControlDispatch.h"
#include "movie/control/ControlObject.h"
#include "platform/Variants.h"

namespace Halvane::ActiveX::Testing {
namespace {

using Platform::FlashMember;

constexpr IID kNoInterface{};

// A control seen only through IDispatch: it publishes the names it is
// given (DISPIDs from 100 on), keeps what it was called with, and answers
// as the test says.
class ScriptedControl final : public IDispatch {
 public:
  explicit ScriptedControl(std::vector<std::u16string> published)
      : published_(std::move(published)) {
    VariantInit(&answer);
  }
  ~ScriptedControl() { VariantClear(&answer); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    ++bindings;
    EXPECT_EQ(count, 1u);
    const std::u16string name = Platform::FromOleText(names[0], Text(names[0]));
    for (std::size_t i = 0; i < published_.size(); ++i) {
      if (published_[i] == name) {
        ids[0] = static_cast<DISPID>(100 + i);
        return S_OK;
      }
    }
    ids[0] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception, UINT*) override {
    calledMember = published_.at(static_cast<std::size_t>(member - 100));
    calledFlags = flags;
    arguments.clear();
    for (UINT i = 0; i < parameters->cArgs; ++i) arguments.push_back(parameters->rgvarg[i]);
    namedPut = parameters->cNamedArgs == 1 && parameters->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
    if (result != nullptr && answer.vt != VT_EMPTY) {
      *result = answer;
      VariantInit(&answer);  // handed over
    }
    if (invokeResult == DISP_E_EXCEPTION) {
      exception->bstrDescription = Platform::NewBstr(u"refused");
      exception->scode = exceptionCode;
      exception->pfnDeferredFillIn = deferredCode != 0 ? &FillIn : nullptr;
    }
    return invokeResult;
  }

  int bindings = 0;
  std::u16string calledMember;
  WORD calledFlags = 0;
  std::vector<VARIANT> arguments;  // as passed: last first
  bool namedPut = false;
  VARIANT answer;
  HRESULT invokeResult = S_OK;
  SCODE exceptionCode = 0;
  static SCODE deferredCode;

 private:
  static std::size_t Text(const OLECHAR* text) {
    std::size_t n = 0;
    while (text[n] != 0) ++n;
    return n;
  }
  static HRESULT STDMETHODCALLTYPE FillIn(EXCEPINFO* exception) {
    exception->scode = deferredCode;
    return S_OK;
  }
  std::vector<std::u16string> published_;
};

SCODE ScriptedControl::deferredCode = 0;

std::vector<std::u16string> EveryName() {
  std::vector<std::u16string> names;
  for (int i = 1; i <= Platform::kFlashMemberCount; ++i) {
    names.push_back(Platform::FlashMemberName(static_cast<FlashMember>(i)));
  }
  return names;
}

TEST(ControlDispatchCalls, BindEachNameOnceAndPassArgumentsAsThePublishedMembersTakeThem) {
  ScriptedControl control(EveryName());
  ControlDispatch calls(&control);
  ASSERT_EQ(calls.put_Quality(0), S_OK);
  EXPECT_EQ(control.calledMember, u"Quality");
  EXPECT_EQ(control.calledFlags, DISPATCH_PROPERTYPUT);
  EXPECT_TRUE(control.namedPut) << "a put names its value";
  ASSERT_EQ(control.arguments.size(), 1u);
  EXPECT_EQ(control.arguments[0].vt, VT_I4);
  ASSERT_EQ(calls.put_Quality(1), S_OK);
  EXPECT_EQ(control.bindings, 1) << "bound once";

  ASSERT_EQ(calls.put_Loop(VARIANT_TRUE), S_OK);
  EXPECT_EQ(control.arguments[0].vt, VT_BOOL);
  EXPECT_EQ(control.arguments[0].boolVal, VARIANT_TRUE);

  BSTR name = Platform::NewBstr(u"name");
  BSTR value = Platform::NewBstr(u"value");
  ASSERT_EQ(calls.SetVariable(name, value), S_OK);
  EXPECT_EQ(control.calledFlags, DISPATCH_METHOD);
  EXPECT_FALSE(control.namedPut);
  ASSERT_EQ(control.arguments.size(), 2u);
  EXPECT_EQ(control.arguments[1].bstrVal, name) << "the first argument comes last";
  EXPECT_EQ(control.arguments[0].bstrVal, value);
  SysFreeString(name);
  SysFreeString(value);

  ASSERT_EQ(calls.GotoFrame(7), S_OK);
  EXPECT_EQ(control.calledMember, u"GotoFrame");
  EXPECT_EQ(control.arguments[0].lVal, 7);
  ASSERT_EQ(calls.Play(), S_OK);
  EXPECT_TRUE(control.arguments.empty());
  EXPECT_EQ(control.bindings, 5);
}

TEST(ControlDispatchCalls, ANameTheControlDoesNotPublishFailsWithoutACall) {
  ScriptedControl control({u"Quality"});
  ControlDispatch calls(&control);
  BSTR request = Platform::NewBstr(u"<invoke/>");
  BSTR response = nullptr;
  EXPECT_EQ(calls.CallFunction(request, &response), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(calls.CallFunction(request, &response), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(control.bindings, 1) << "the missing name is not asked for again";
  EXPECT_TRUE(control.calledMember.empty());
  EXPECT_EQ(response, nullptr);
  SysFreeString(request);
}

TEST(ControlDispatchCalls, ReadAnswersByMeaningAndRefuseThoseThatCannotBeRead) {
  ScriptedControl control(EveryName());
  ControlDispatch calls(&control);
  int quality = -5;
  control.answer.vt = VT_I2;
  control.answer.iVal = 1;
  ASSERT_EQ(calls.get_Quality(&quality), S_OK);
  EXPECT_EQ(quality, 1);
  EXPECT_EQ(control.calledFlags, DISPATCH_PROPERTYGET);

  control.answer = Platform::TextValue(Platform::NewBstr(u"12"));
  std::int32_t frames = -5;
  EXPECT_EQ(calls.get_TotalFrames(&frames), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(frames, -5) << "left alone";

  control.answer.vt = VT_R8;
  control.answer.dblVal = 12.0;
  ASSERT_EQ(calls.get_TotalFrames(&frames), S_OK);
  EXPECT_EQ(frames, 12);

  BSTR name = Platform::NewBstr(u"v");
  BSTR stale = Platform::NewBstr(u"stale");
  BSTR value = stale;
  ASSERT_EQ(calls.GetVariable(name, &value), S_OK) << "no answer at all is the empty text";
  EXPECT_EQ(value, nullptr);
  SysFreeString(stale);
  BSTR byReference = Platform::NewBstr(u"kept by the control");
  control.answer.vt = VT_BSTR | VT_BYREF;
  control.answer.pbstrVal = &byReference;
  ASSERT_EQ(calls.GetVariable(name, &value), S_OK);
  EXPECT_EQ(Platform::FromBstr(value), u"kept by the control");
  EXPECT_NE(value, byReference) << "a text by reference is copied";
  SysFreeString(value);
  SysFreeString(byReference);
  SysFreeString(name);
}

TEST(ControlDispatchCalls, AnExceptionBecomesItsOwnResultCode) {
  ScriptedControl control(EveryName());
  ControlDispatch calls(&control);
  control.invokeResult = DISP_E_EXCEPTION;
  control.exceptionCode = E_INVALIDARG;
  EXPECT_EQ(calls.GotoFrame(99), E_INVALIDARG);
  control.exceptionCode = 0;
  EXPECT_EQ(calls.GotoFrame(99), E_FAIL) << "an exception without a code is a failure still";
  ScriptedControl::deferredCode = E_OUTOFMEMORY;
  EXPECT_EQ(calls.GotoFrame(99), E_OUTOFMEMORY) << "filled in when asked";
  ScriptedControl::deferredCode = 0;
  control.invokeResult = E_NOTIMPL;
  EXPECT_EQ(calls.Stop(), E_NOTIMPL);
}

// Invoke on one of our controls, as a scripting host calls it.
class OurControl : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Movie::ControlObject::Create(IID_IDispatch, reinterpret_cast<void**>(&control)),
              S_OK);
  }
  void TearDown() override { control->Release(); }

  DISPID Id(const char16_t* name) {
    std::vector<OLECHAR> text(name, name + std::char_traits<char16_t>::length(name) + 1);
    LPOLESTR names[1] = {text.data()};
    DISPID id = 0;
    control->GetIDsOfNames(kNoInterface, names, 1, LOCALE_USER_DEFAULT, &id);
    return id;
  }
  HRESULT Call(FlashMember member, WORD flags, std::vector<VARIANT> arguments,
               VARIANT* result = nullptr, UINT* argumentError = nullptr, bool named = false) {
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS parameters{arguments.empty() ? nullptr : arguments.data(),
                          named ? &put : nullptr, static_cast<UINT>(arguments.size()),
                          named ? 1u : 0u};
    return control->Invoke(static_cast<DISPID>(member), kNoInterface, LOCALE_USER_DEFAULT, flags,
                           &parameters, result, nullptr, argumentError);
  }

  IDispatch* control = nullptr;
};

TEST_F(OurControl, AnswersItsMemberNamesInAnyCaseAndNoOthers) {
  EXPECT_EQ(Id(u"quality"), static_cast<DISPID>(FlashMember::Quality));
  EXPECT_EQ(Id(u"CALLFUNCTION"), static_cast<DISPID>(FlashMember::CallFunction));
  EXPECT_EQ(Id(u"Movie"), DISPID_UNKNOWN);
  std::vector<OLECHAR> member = {'G', 'o', 't', 'o', 'F', 'r', 'a', 'm', 'e', 0};
  std::vector<OLECHAR> parameter = {'f', 'r', 'a', 'm', 'e', 0};
  LPOLESTR names[2] = {member.data(), parameter.data()};
  DISPID ids[2] = {0, 0};
  EXPECT_EQ(control->GetIDsOfNames(kNoInterface, names, 2, LOCALE_USER_DEFAULT, ids),
            DISP_E_UNKNOWNNAME)
      << "no parameter names are published";
  EXPECT_EQ(ids[0], static_cast<DISPID>(FlashMember::GotoFrame));
  EXPECT_EQ(ids[1], DISPID_UNKNOWN);
  UINT count = 9;
  EXPECT_EQ(control->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 0u);
}

TEST_F(OurControl, InvokeTakesWhatScriptingHostsPassAndRefusesWhatDoesNotFit) {
  const VARIANT text = Platform::TextValue(nullptr);
  VARIANT half;
  VariantInit(&half);
  half.vt = VT_R8;
  half.dblVal = 0.5;
  VARIANT whole = half;
  whole.dblVal = 0.0;
  VARIANT shortZero;
  VariantInit(&shortZero);
  shortZero.vt = VT_I2;
  VARIANT_BOOL off = VARIANT_FALSE;
  VARIANT flagByReference;
  VariantInit(&flagByReference);
  flagByReference.vt = VT_BOOL | VT_BYREF;
  flagByReference.pboolVal = &off;
  const WORD get = DISPATCH_PROPERTYGET;
  const WORD put = DISPATCH_PROPERTYPUT;
  const WORD method = DISPATCH_METHOD;
  struct Case {
    const char* what;
    FlashMember member;
    WORD flags;
    std::vector<VARIANT> arguments;
    bool named;
    HRESULT expected;
  } cases[] = {
      {"a put by a short integer", FlashMember::Quality, put, {shortZero}, true, S_OK},
      {"a put by a whole double", FlashMember::Quality, put, {whole}, true, S_OK},
      {"a put by a flag by reference", FlashMember::Loop, put, {flagByReference}, true, S_OK},
      {"a put without the named value", FlashMember::Quality, put, {shortZero}, false, S_OK},
      {"a put of a fraction", FlashMember::Quality, put, {half}, true, DISP_E_TYPEMISMATCH},
      {"a put of text for an int", FlashMember::Quality, put, {text}, true, DISP_E_TYPEMISMATCH},
      {"a put without a value", FlashMember::Quality, put, {}, true, DISP_E_BADPARAMCOUNT},
      {"a get with an argument", FlashMember::Quality, get, {shortZero}, false,
       DISP_E_BADPARAMCOUNT},
      {"a get of a put-only property", FlashMember::WMode, get, {}, false, DISP_E_MEMBERNOTFOUND},
      {"a put of a get-only property", FlashMember::TotalFrames, put, {shortZero}, true,
       DISP_E_MEMBERNOTFOUND},
      {"a method with a named argument", FlashMember::Play, method, {shortZero}, true,
       DISP_E_NONAMEDARGS},
      {"a method as a property get", FlashMember::Stop, get, {}, false, DISP_E_MEMBERNOTFOUND},
      {"a method, asked both ways", FlashMember::Stop, method | get, {}, false, S_OK},
      {"the control's own refusal", FlashMember::GotoFrame, method, {shortZero}, false, E_FAIL},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Call(c.member, c.flags, c.arguments, nullptr, nullptr, c.named), c.expected) << c.what;
  }
  EXPECT_EQ(Call(static_cast<FlashMember>(99), method, {}), DISP_E_MEMBERNOTFOUND);

  UINT argumentError = 9;
  VARIANT number = Platform::Int32Value(1);
  EXPECT_EQ(Call(FlashMember::SetVariable, method, {number, text}, nullptr, &argumentError),
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argumentError, 1u) << "the value, passed first, is the second argument";

  VARIANT result;
  ASSERT_EQ(Call(FlashMember::Quality, get, {}, &result), S_OK);
  EXPECT_EQ(result.vt, VT_I4);
  EXPECT_EQ(result.lVal, 0) << "set to 0 by the first case";
}

TEST(InvokeValues, AreReadByWhatTheyMeanWithinTheirRange) {
  auto of = [](VARTYPE type, auto set) {
    VARIANT value;
    VariantInit(&value);
    value.vt = type;
    set(value);
    return value;
  };
  struct Case {
    const char* what;
    VARIANT value;
    bool read;
    std::int32_t number;
  } cases[] = {
      {"VT_I4", of(VT_I4, [](VARIANT& v) { v.lVal = -7; }), true, -7},
      {"VT_UI1", of(VT_UI1, [](VARIANT& v) { v.bVal = 200; }), true, 200},
      {"VT_UI4 above int", of(VT_UI4, [](VARIANT& v) { v.ulVal = 0x80000000u; }), false, 0},
      {"VT_I8 in range", of(VT_I8, [](VARIANT& v) { v.llVal = -5; }), true, -5},
      {"VT_I8 out of range", of(VT_I8, [](VARIANT& v) { v.llVal = 1ll << 40; }), false, 0},
      {"VT_BOOL true", of(VT_BOOL, [](VARIANT& v) { v.boolVal = VARIANT_TRUE; }), true, -1},
      {"VT_R8 whole", of(VT_R8, [](VARIANT& v) { v.dblVal = 3.0; }), true, 3},
      {"VT_R8 not a number", of(VT_R8, [](VARIANT& v) { v.dblVal = std::nan(""); }), false, 0},
      {"VT_EMPTY", of(VT_EMPTY, [](VARIANT&) {}), false, 0},
      {"VT_BSTR", of(VT_BSTR, [](VARIANT& v) { v.bstrVal = nullptr; }), false, 0},
      {"a null reference", of(VT_I4 | VT_BYREF, [](VARIANT& v) { v.plVal = nullptr; }), false, 0},
  };
  for (const Case& c : cases) {
    std::int32_t number = 0;
    EXPECT_EQ(Platform::ReadInt32(c.value, &number), c.read) << c.what;
    if (c.read) {
      EXPECT_EQ(number, c.number) << c.what;
    }
  }
  VARIANT_BOOL flag = VARIANT_FALSE;
  EXPECT_TRUE(Platform::ReadFlag(of(VT_R8, [](VARIANT& v) { v.dblVal = 0.5; }), &flag));
  EXPECT_EQ(flag, VARIANT_TRUE) << "any number but 0 is true";
  BSTR sentinel = Platform::NewBstr(u"x");
  BSTR text = sentinel;
  EXPECT_TRUE(Platform::ReadText(of(VT_NULL, [](VARIANT&) {}), &text));
  EXPECT_EQ(text, nullptr) << "null is the empty text";
  EXPECT_FALSE(Platform::ReadText(Platform::Int32Value(1), &text));
  SysFreeString(sentinel);
}

}  // namespace
}  // namespace Halvane::ActiveX::Testing
