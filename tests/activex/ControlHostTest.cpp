// The hidden host window that the player's worker puts the control in: its
// site, the control it creates by class identifier, loads and activates in
// place, the ambient properties it answers, and its size.
#include <gtest/gtest.h>

#include "FakeControl.h"
#include "activex/SharedWideString.h"
#include "io/MemoryStream.h"
#include "movie/control/ControlObject.h"
#include "platform/ControlHost.h"
#include "platform/ControlSite.h"
#include "platform/Variants.h"

namespace Halvane::Platform {
namespace {

using ActiveX::SharedWideString;
using ActiveX::Testing::FakeBehaviour;
using ActiveX::Testing::FakeControl;

IUnknown* Ask(WindowHandle window, const char* name) {
  return reinterpret_cast<IUnknown*>(SendMessageToWindow(window, RegisterMessageName(name), 0, 0));
}

class HostWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(RegisterControlHostClasses());
    FakeControl::Install(FakeBehaviour());
  }
  void TearDown() override {
    if (IsLiveWindow(window)) DestroyWindowOf(window);
    FakeControl::Uninstall();
  }

  // The site's host interface, with its reference.
  IAxWinHostWindow* Site() {
    IUnknown* answer = Ask(window, kGetHostMessageName);
    if (answer == nullptr) return nullptr;
    IAxWinHostWindow* site = nullptr;
    answer->QueryInterface(IID_IAxWinHostWindow, reinterpret_cast<void**>(&site));
    answer->Release();
    return site;
  }

  WindowHandle window = nullptr;
};

TEST_F(HostWindow, HostsTheControlItCreatedFromAStreamUntilTheWindowIsDestroyed) {
  EXPECT_EQ(CreatePopupWindow("NoSuchHostClass", 10, 10), nullptr);
  window = CreatePopupWindow(kControlHostClass, 320, 240);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(Ask(window, kGetControlMessageName), nullptr) << "no control yet";
  IAxWinHostWindow* site = Site();
  ASSERT_NE(site, nullptr);
  IAxWinAmbientDispatch* ambient = nullptr;
  ASSERT_EQ(site->QueryInterface(IID_IAxWinAmbientDispatch, reinterpret_cast<void**>(&ambient)),
            S_OK);
  EXPECT_EQ(ambient->put_AllowWindowlessActivation(VARIANT_TRUE), S_OK);
  VARIANT_BOOL allowed = VARIANT_FALSE;
  EXPECT_EQ(ambient->get_AllowWindowlessActivation(&allowed), S_OK);
  EXPECT_EQ(allowed, VARIANT_TRUE);
  ambient->Release();

  IO::MemoryStream* stream = nullptr;
  ASSERT_EQ(IO::CreateMemoryStream(4, &stream), S_OK);
  const SharedWideString classText =
      SharedWideString::FromText(u"{d27cdb6e-ae6d-11CF-96b8-444553540000}");
  ASSERT_EQ(site->CreateControl(classText.Bstr(), window, stream), S_OK);
  stream->Release();
  site->Release();
  EXPECT_EQ(FakeControl::Log().loadStream, std::vector<std::uint8_t>(4, 0));

  IUnknown* control = Ask(window, kGetControlMessageName);
  ASSERT_NE(control, nullptr);
  IShockwaveFlash* flash = nullptr;
  EXPECT_EQ(control->QueryInterface(IID_IShockwaveFlash, reinterpret_cast<void**>(&flash)), S_OK);
  flash->Release();
  control->Release();
  EXPECT_EQ(FakeControl::Alive(), 1) << "the site holds the control";

  EXPECT_TRUE(DestroyWindowOf(window));
  EXPECT_FALSE(IsLiveWindow(window));
  EXPECT_EQ(FakeControl::Alive(), 0) << "and lets it go with the window";
  EXPECT_EQ(Ask(window, kGetHostMessageName), nullptr);
  EXPECT_FALSE(DestroyWindowOf(window));
}

TEST_F(HostWindow, ControlThatCannotBeMadeLeavesTheSiteEmpty) {
  window = CreatePopupWindow(kControlHostClass, 10, 10);
  ASSERT_NE(window, nullptr);
  IAxWinHostWindow* site = Site();
  ASSERT_NE(site, nullptr);
  const SharedWideString bad = SharedWideString::FromText(u"ShockwaveFlash.ShockwaveFlash");
  EXPECT_EQ(site->CreateControl(bad.Bstr(), window, nullptr), kBadClassText);
  const SharedWideString unknown =
      SharedWideString::FromText(u"{12345678-1234-1234-1234-123456789ABC}");
  EXPECT_EQ(site->CreateControl(unknown.Bstr(), window, nullptr), REGDB_E_CLASSNOTREG);
  FakeBehaviour refusing;
  refusing.createResult = E_OUTOFMEMORY;
  FakeControl::Install(refusing);
  const SharedWideString flash =
      SharedWideString::FromText(u"{D27CDB6E-AE6D-11CF-96B8-444553540000}");
  EXPECT_EQ(site->CreateControl(flash.Bstr(), window, nullptr), E_OUTOFMEMORY);
  site->Release();
  EXPECT_EQ(Ask(window, kGetControlMessageName), nullptr);
  EXPECT_EQ(FakeControl::Alive(), 0);
}

TEST_F(HostWindow, ActivatesTheBuiltInControlInPlaceWindowlessOnlyWhenAllowed) {
  FakeControl::Uninstall();  // the built-in control
  const SharedWideString flash =
      SharedWideString::FromText(u"{D27CDB6E-AE6D-11CF-96B8-444553540000}");
  for (const bool allowed : {true, false}) {
    SCOPED_TRACE(allowed);
    window = CreatePopupWindow(kControlHostClass, 320, 240);
    ASSERT_NE(window, nullptr);
    IAxWinHostWindow* site = Site();
    ASSERT_NE(site, nullptr);
    IAxWinAmbientDispatch* ambient = nullptr;
    ASSERT_EQ(site->QueryInterface(IID_IAxWinAmbientDispatch, reinterpret_cast<void**>(&ambient)),
              S_OK);
    ambient->put_AllowWindowlessActivation(allowed ? VARIANT_TRUE : VARIANT_FALSE);
    ambient->Release();
    ASSERT_EQ(site->CreateControl(flash.Bstr(), window, nullptr), S_OK);
    const ControlSite* hosting = static_cast<ControlSite*>(site);
    // The control has no window of its own to fall back on.
    EXPECT_EQ(hosting->InPlaceActive(), allowed);
    EXPECT_EQ(hosting->Windowless(), allowed);
    IUnknown* control = Ask(window, kGetControlMessageName);
    ASSERT_NE(control, nullptr) << "hosted, active or not";
    control->Release();
    site->Release();
    EXPECT_EQ(Movie::ControlObject::Alive(), 1);

    // The control holds the site as its client site; destroying the window
    // breaks that hold, or neither would ever go.
    ASSERT_TRUE(DestroyWindowOf(window));
    EXPECT_EQ(Movie::ControlObject::Alive(), 0);
  }
}

TEST_F(HostWindow, TellsTheControlItRunsForTheUserAndNothingMore) {
  window = CreatePopupWindow(kControlHostClass, 10, 10);
  ASSERT_NE(window, nullptr);
  IUnknown* answer = Ask(window, kGetHostMessageName);
  ASSERT_NE(answer, nullptr);
  IDispatch* ambient = nullptr;
  ASSERT_EQ(answer->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&ambient)), S_OK);
  answer->Release();
  struct Case {
    DISPID property;
    HRESULT result;
    VARIANT_BOOL flag;
  } cases[] = {
      {DISPID_AMBIENT_USERMODE, S_OK, VARIANT_TRUE},
      {DISPID_AMBIENT_UIDEAD, S_OK, VARIANT_FALSE},
      {DISPID_AMBIENT_SHOWHATCHING, S_OK, VARIANT_FALSE},
      {DISPID_AMBIENT_BACKCOLOR, DISP_E_MEMBERNOTFOUND, VARIANT_FALSE},
  };
  const IID noInterface{};
  for (const Case& c : cases) {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    VARIANT value;
    VariantInit(&value);
    EXPECT_EQ(ambient->Invoke(c.property, noInterface, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                              &none, &value, nullptr, nullptr),
              c.result)
        << c.property;
    VARIANT_BOOL flag = VARIANT_FALSE;
    if (c.result == S_OK) {
      ASSERT_TRUE(Platform::ReadFlag(value, &flag));
      EXPECT_EQ(flag, c.flag) << c.property;
    }
  }
  ambient->Release();
}

TEST(ClassText, ReadsBracedIdentifiersInEitherCaseAndNothingElse) {
  struct Case {
    const char16_t* text;
    bool read;
  } cases[] = {
      {u"{D27CDB6E-AE6D-11cf-96B8-444553540000}", true},
      {u"{d27cdb6e-ae6d-11CF-96b8-444553540000}", true},
      {u"{D27CDB6E-AE6D-11cf-96B8444553540000}", false},
      {u"{D27CDB6E-AE6D-11cf-96B8-444553540000", false},
      {u"{D27CDB6E-AE6D-11cf-96B8-444553540000}x", false},
      {u"{G27CDB6E-AE6D-11cf-96B8-444553540000}", false},
      {u"", false},
  };
  for (const Case& c : cases) {
    const SharedWideString text = SharedWideString::FromText(c.text);
    CLSID id{};
    EXPECT_EQ(ParseClassText(text.Bstr(), &id), c.read);
    if (c.read) {
      EXPECT_TRUE(SameGuid(id, CLSID_ShockwaveFlash));
    }
  }
  CLSID id{};
  EXPECT_FALSE(ParseClassText(nullptr, &id));
}

}  // namespace
}  // namespace Halvane::Platform
