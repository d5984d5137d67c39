// The control as an ActiveX control and a COM server: the timer on which it
// moves itself on, the class factory that DllGetClassObject hands out, and
// the registration commands it takes from regsvr32.
#include <gtest/gtest.h>

#include "movie/control/ControlObject.h"
#include "movie/control/ControlServer.h"
#include "platform/Threads.h"
#include "tests/movie_control/ControlTestSupport.h"

namespace Halvane::Movie::Testing {
namespace {

Bytes TenFramesAt(double rate) {
  Tools::SwfBuilder b;
  b.SetFrameRate(rate);
  for (int i = 0; i < 10; ++i) b.ShowFrame();
  return b.End().Build();
}

TEST(ControlObject, ALoadedMovieMovesOnByItsOwnTimerOnTheLoadingThread) {
  Platform::EnsureThreadMessageQueue();
  Ref<IShockwaveFlash> control;
  ASSERT_EQ(ControlObject::Create(IID_IShockwaveFlash, control.OutVoid()), S_OK);
  auto* object = static_cast<ControlObject*>(control.Get());
  EXPECT_EQ(object->TimerInterval(), 0u) << "no movie, no timer";

  PlayerProperties playing;
  playing.playing = true;
  ASSERT_EQ(LoadBytes(control.Get(), SplicedStream(SavedProperties(playing), TenFramesAt(100))),
            S_OK);
  EXPECT_EQ(object->TimerInterval(), 10u) << "the movie's frame interval";
  // Whatever loop runs the thread moves it on by dispatching the timer.
  long frame = 0;
  for (int i = 0; i < 500 && frame == 0; ++i) {
    Platform::ThreadMessage message;
    ASSERT_EQ(Platform::GetThreadMessage(&message), 1);
    Platform::DispatchThreadMessage(message);
    ASSERT_EQ(control->get_FrameNum(&frame), S_OK);
  }
  EXPECT_GT(frame, 0);

  Ref<IPersistStreamInit> persist;
  ASSERT_EQ(control->QueryInterface(IID_IPersistStreamInit, persist.OutVoid()), S_OK);
  ASSERT_EQ(persist->InitNew(), S_OK);
  EXPECT_EQ(object->TimerInterval(), 0u) << "no movie any more";
}

TEST(ControlObject, AnswersTheInterfacesOfAWindowlessControlAndNoClockOfItsOwn) {
  Ref<IUnknown> control;
  ASSERT_EQ(ControlObject::Create(IID_IUnknown, control.OutVoid()), S_OK);
  for (const IID* iid : {&IID_IDispatch, &IID_IShockwaveFlash, &IID_IPersistStreamInit,
                         &IID_IOleObject, &IID_IOleInPlaceObject,
                         &IID_IOleInPlaceObjectWindowless, &IID_IViewObject, &IID_IViewObject2}) {
    Ref<IUnknown> answer;
    EXPECT_EQ(control->QueryInterface(*iid, answer.OutVoid()), S_OK);
  }
  // The player's hosting never drives it: it keeps its own time.
  Ref<IUnknown> clock;
  EXPECT_EQ(control->QueryInterface(IID_IMovieControlClock, clock.OutVoid()), E_NOINTERFACE);
  Ref<IOleObject> ole;
  ASSERT_EQ(control->QueryInterface(IID_IOleObject, ole.OutVoid()), S_OK);
  DWORD status = 0;
  ASSERT_EQ(ole->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
  EXPECT_NE(status & OLEMISC_SETCLIENTSITEFIRST, 0u);
  EXPECT_EQ(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, nullptr, nullptr),
            E_UNEXPECTED)
      << "no site to activate in";
  SIZEL extent{};
  ASSERT_EQ(ole->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
  EXPECT_GT(extent.cx, 0);
  EXPECT_GT(extent.cy, 0);
}

TEST(ControlServer, TheClassFactoryMakesControlsAndTheServerStaysWhileTheyLiveOrItIsLocked) {
  const CLSID other = {0x12345678, 0x1, 0x2, {1, 2, 3, 4, 5, 6, 7, 8}};
  Ref<IClassFactory> factory;
  EXPECT_EQ(GetControlClassObject(other, IID_IClassFactory, factory.OutVoid()),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(factory.Get(), nullptr);
  ASSERT_EQ(GetControlClassObject(CLSID_ShockwaveFlash, IID_IClassFactory, factory.OutVoid()), S_OK);
  EXPECT_EQ(CanUnloadControlServer(), S_OK);

  Ref<IUnknown> outer;
  ASSERT_EQ(ControlObject::Create(IID_IUnknown, outer.OutVoid()), S_OK);
  Ref<IUnknown> aggregated;
  EXPECT_EQ(factory->CreateInstance(outer.Get(), IID_IUnknown, aggregated.OutVoid()),
            CLASS_E_NOAGGREGATION);
  outer.Reset();
  {
    Ref<IShockwaveFlash> control;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IShockwaveFlash, control.OutVoid()), S_OK);
    EXPECT_EQ(CanUnloadControlServer(), S_FALSE) << "a control is alive";
  }
  EXPECT_EQ(CanUnloadControlServer(), S_OK);
  ASSERT_EQ(factory->LockServer(TRUE), S_OK);
  EXPECT_EQ(CanUnloadControlServer(), S_FALSE);
  ASSERT_EQ(factory->LockServer(FALSE), S_OK);
  EXPECT_EQ(CanUnloadControlServer(), S_OK);
}

TEST(ControlServer, InstallTakesUserOrMachineOrNothingAndRefusesTheRest) {
  const OLECHAR everyone[] = {'e', 'v', 'e', 'r', 'y', 'o', 'n', 'e', 0};
  EXPECT_EQ(InstallControlServer(true, everyone), E_INVALIDARG);
  EXPECT_EQ(InstallControlServer(false, everyone), E_INVALIDARG);
}

}  // namespace
}  // namespace Halvane::Movie::Testing
