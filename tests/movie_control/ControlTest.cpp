// The control through its COM interfaces: creation by class identifier,
// interfaces and references, the methods the player calls, variables and
// FlashVars, external calls, the clock and the drawing geometry.
#include <gtest/gtest.h>

#include <memory>

#include "movie/actions/ActionCodes.h"
#include "movie/render/FrameRenderer.h"
#include "movie/timeline/FrameClock.h"
#include "platform/ComClasses.h"
#include "tests/movie_control/ControlTestSupport.h"
#include "tools/ActionWriter.h"

namespace Halvane::Movie {
namespace {

using namespace Halvane::Tools;
using namespace Halvane::Movie::Testing;

Bytes FramesMovie(int frames, double rate = 10.0) {
  SwfBuilder b;
  b.SetFrameRate(rate);
  for (int i = 0; i < frames; ++i) b.ShowFrame();
  b.End();
  return b.Build();
}

TEST(ClassTable, CreatesTheControlByItsClassAndRefusesWhatCoCreateInstanceRefuses) {
  ASSERT_TRUE(NewControl().Get() != nullptr);
  const CLSID unknown = {0x12345678, 0x1, 0x2, {1, 2, 3, 4, 5, 6, 7, 8}};
  struct Case {
    const char* what;
    CLSID classId;
    bool outer;
    DWORD context;
    HRESULT expected;
  } cases[] = {
      {"unknown class", unknown, false, CLSCTX_ALL, REGDB_E_CLASSNOTREG},
      {"no in-process server asked for", CLSID_ShockwaveFlash, false, CLSCTX_LOCAL_SERVER,
       REGDB_E_CLASSNOTREG},
      {"outer object", CLSID_ShockwaveFlash, true, CLSCTX_ALL, CLASS_E_NOAGGREGATION},
  };
  Ref<IShockwaveFlash> outer = NewControl();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(Platform::CreateComInstance(c.classId, c.outer ? outer.Get() : nullptr, c.context,
                                          IID_IShockwaveFlash, &object),
              c.expected);
    EXPECT_EQ(object, nullptr);
  }
  void* object = nullptr;
  const IID other = {0xAAAA, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
  EXPECT_EQ(Platform::CreateComInstance(CLSID_ShockwaveFlash, nullptr, CLSCTX_ALL, other, &object),
            E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
}

TEST(Control, AnswersItsInterfacesWithOneObjectAndCountsReferences) {
  Ref<IShockwaveFlash> control = NewControl();
  IUnknown* identity = nullptr;
  ASSERT_EQ(control->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
  for (const IID* iid : {&IID_IPersistStreamInit, &IID_IPersist, &IID_IViewObject,
                         &IID_IMovieControlClock, &IID_IShockwaveFlash}) {
    IUnknown* part = nullptr;
    ASSERT_EQ(control->QueryInterface(*iid, reinterpret_cast<void**>(&part)), S_OK);
    IUnknown* back = nullptr;
    ASSERT_EQ(part->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&back)), S_OK);
    EXPECT_EQ(back, identity);
    back->Release();
    part->Release();
  }
  void* none = reinterpret_cast<void*>(1);
  EXPECT_EQ(control->QueryInterface(IID_IStream, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(identity->AddRef(), 3u);
  EXPECT_EQ(identity->Release(), 2u);
  EXPECT_EQ(identity->Release(), 1u);
  CLSID classId{};
  Ref<IPersistStreamInit> persist;
  control->QueryInterface(IID_IPersistStreamInit, persist.OutVoid());
  EXPECT_EQ(persist->GetClassID(&classId), S_OK);
  EXPECT_TRUE(Platform::SameGuid(classId, CLSID_ShockwaveFlash));
}

TEST(Control, PropertiesTakeThePublishedArgumentTypes) {
  Ref<IShockwaveFlash> control = NewControl();
  EXPECT_EQ(control->put_Quality(0), S_OK);
  int quality = -1;
  EXPECT_EQ(control->get_Quality(&quality), S_OK);
  EXPECT_EQ(quality, 0);
  EXPECT_EQ(control->put_Quality(7), E_INVALIDARG);
  control->get_Quality(&quality);
  EXPECT_EQ(quality, 0);

  VARIANT_BOOL flag = 5;
  EXPECT_EQ(control->put_Loop(VARIANT_FALSE), S_OK);
  control->get_Loop(&flag);
  EXPECT_EQ(flag, VARIANT_FALSE);
  control->put_Loop(1);  // any nonzero value is true, answered as -1
  control->get_Loop(&flag);
  EXPECT_EQ(flag, VARIANT_TRUE);

  EXPECT_EQ(control->get_Quality(nullptr), E_POINTER);
  EXPECT_EQ(control->get_Loop(nullptr), E_POINTER);
  EXPECT_EQ(control->get_Playing(nullptr), E_POINTER);
}

TEST(Control, WithoutAMovieFrameAndVariableMethodsFail) {
  Ref<IShockwaveFlash> control = NewControl();
  long value = 42;
  EXPECT_EQ(control->get_TotalFrames(&value), E_FAIL);
  EXPECT_EQ(control->get_FrameNum(&value), E_FAIL);
  EXPECT_EQ(value, 42);
  EXPECT_EQ(control->GotoFrame(0), E_FAIL);
  BSTR name = Bstr(u"x");
  BSTR out = nullptr;
  EXPECT_EQ(control->GetVariable(name, &out), E_FAIL);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(control->SetVariable(name, name), E_FAIL);
  EXPECT_EQ(control->CallFunction(name, &out), E_FAIL);
  SysFreeString(name);
  EXPECT_EQ(control->Play(), S_OK);
  EXPECT_EQ(control->Stop(), S_OK);
}

TEST(Control, FramesCountFromZeroAndGotoRefusesFramesOutsideTheMovie) {
  Ref<IShockwaveFlash> control = LoadControl(FramesMovie(5));
  ASSERT_TRUE(control.Get());
  long total = 0;
  long frame = -1;
  EXPECT_EQ(control->get_TotalFrames(&total), S_OK);
  EXPECT_EQ(total, 5);
  EXPECT_EQ(control->get_FrameNum(&frame), S_OK);
  EXPECT_EQ(frame, 0);
  for (long target : {4L, 2L, 0L}) {
    EXPECT_EQ(control->GotoFrame(target), S_OK);
    control->get_FrameNum(&frame);
    EXPECT_EQ(frame, target);
  }
  EXPECT_EQ(control->GotoFrame(3), S_OK);
  for (long bad : {5L, -1L, 100000L}) {
    EXPECT_EQ(control->GotoFrame(bad), E_INVALIDARG);
    control->get_FrameNum(&frame);
    EXPECT_EQ(frame, 3);
  }
}

TEST(Control, ClockStepsAtTheFrameRateOnlyWhilePlaying) {
  Ref<IShockwaveFlash> control = LoadControl(FramesMovie(10, 10.0));  // 100 ms a frame
  ASSERT_TRUE(control.Get());
  Ref<IMovieControlClock> clock;
  ASSERT_EQ(control->QueryInterface(IID_IMovieControlClock, clock.OutVoid()), S_OK);
  DWORD interval = 0;
  EXPECT_EQ(clock->GetFrameInterval(&interval), S_OK);
  EXPECT_EQ(interval, 100u);
  VARIANT_BOOL playing = VARIANT_TRUE;
  control->get_Playing(&playing);
  EXPECT_EQ(playing, VARIANT_FALSE);  // the player saves Playing off
  long frame = -1;
  clock->AdvanceClock(1000);
  control->get_FrameNum(&frame);
  EXPECT_EQ(frame, 0);

  control->Play();
  EXPECT_EQ(clock->AdvanceClock(60), S_FALSE);
  EXPECT_EQ(clock->AdvanceClock(60), S_OK);  // 120 ms: one frame, 20 ms kept
  control->get_FrameNum(&frame);
  EXPECT_EQ(frame, 1);
  clock->AdvanceClock(80);
  control->get_FrameNum(&frame);
  EXPECT_EQ(frame, 2);
  clock->AdvanceClock(60000);  // a long stall catches up a few frames only
  control->get_FrameNum(&frame);
  EXPECT_EQ(frame, 2 + FrameClock::MaxCatchUp);
  control->put_Playing(VARIANT_FALSE);
  clock->AdvanceClock(1000);
  control->get_FrameNum(&frame);
  EXPECT_EQ(frame, 2 + FrameClock::MaxCatchUp);
}

TEST(Control, LastFrameStopsWithoutLoopAndLoopsWithIt) {
  for (bool loop : {false, true}) {
    SCOPED_TRACE(loop);
    PlayerProperties properties;
    properties.loop = loop;
    Ref<IShockwaveFlash> control = LoadControl(FramesMovie(3), properties);
    ASSERT_TRUE(control.Get());
    Ref<IMovieControlClock> clock;
    control->QueryInterface(IID_IMovieControlClock, clock.OutVoid());
    control->Play();
    for (int i = 0; i < 3; ++i) clock->AdvanceClock(100);
    long frame = -1;
    VARIANT_BOOL playing = 0;
    control->get_FrameNum(&frame);
    control->get_Playing(&playing);
    EXPECT_EQ(frame, loop ? 0 : 2);
    EXPECT_EQ(playing, loop ? VARIANT_TRUE : VARIANT_FALSE);
  }
}

Bytes VariablesMovie() {
  SpriteBuilder inner;
  inner.AddTag(kDoActionTag, DoAction(Act::SetVariable("depth", "inner"))).ShowFrame();
  SwfBuilder b;
  b.SetVersion(6);
  b.AddTag(kDefineSpriteTag, inner.Build(1));
  PlaceSpec p;
  p.depth = 1;
  p.characterId = 1;
  p.name = "menu";
  b.AddTag(kPlaceObject2Tag, PlaceObject2(p));
  // Frame 0 copies a FlashVar into another variable: FlashVars are set
  // before the first frame's actions run.
  b.AddTag(kDoActionTag, DoAction(Act::Join({Act::PushString("copy"), Act::PushString("greeting"),
                                             Bytes{0x1C, 0x1D}})));
  b.ShowFrame().End();
  return b.Build();
}

std::u16string Get(IShockwaveFlash* control, const std::u16string& name, HRESULT* result = nullptr) {
  BSTR n = Bstr(name);
  BSTR value = nullptr;
  const HRESULT r = control->GetVariable(n, &value);
  SysFreeString(n);
  if (result != nullptr) *result = r;
  return FromBstr(value);
}

HRESULT Set(IShockwaveFlash* control, const std::u16string& name, const std::u16string& value) {
  BSTR n = Bstr(name);
  BSTR v = Bstr(value);
  const HRESULT r = control->SetVariable(n, v);
  SysFreeString(n);
  SysFreeString(v);
  return r;
}

TEST(Control, ActionsReadTheTimeTheClockWasGivenSinceTheMovieLoaded) {
  // Frame 1 stores the movie's timer in "t".
  SwfBuilder b;
  b.SetFrameRate(10.0);
  b.ShowFrame();
  b.AddTag(kDoActionTag, DoAction(Act::Join({Act::PushString("t"), Bytes{0x34, 0x1D}})));
  b.ShowFrame().ShowFrame().End();
  Ref<IShockwaveFlash> control = LoadControl(b.Build());
  ASSERT_TRUE(control.Get());
  Ref<IMovieControlClock> clock;
  ASSERT_EQ(control->QueryInterface(IID_IMovieControlClock, clock.OutVoid()), S_OK);
  clock->AdvanceClock(250);  // stopped: time passes, no frame is entered
  control->Play();
  clock->AdvanceClock(120);
  EXPECT_EQ(Get(control.Get(), u"t"), u"370");

  // A movie loaded into the same control starts its time at 0: its first
  // frame stores the timer in "t0".
  SwfBuilder next;
  next.AddTag(kDoActionTag, DoAction(Act::Join({Act::PushString("t0"), Bytes{0x34, 0x1D}})));
  next.ShowFrame().End();
  ASSERT_EQ(LoadBytes(control.Get(), SplicedStream(SavedProperties({}), next.Build())), S_OK);
  EXPECT_EQ(Get(control.Get(), u"t0"), u"0");
}

TEST(Control, SpritesPlacedWithoutANameAreNamedInTheOrderTheyAreCreated) {
  SpriteBuilder inner;
  inner.AddTag(kDoActionTag, DoAction(Act::SetVariable("depth", "inner"))).ShowFrame();
  SwfBuilder b;
  b.SetVersion(6);
  b.AddTag(kDefineSpriteTag, inner.Build(1));
  for (int depth : {1, 2}) {
    PlaceSpec p;
    p.depth = depth;
    p.characterId = 1;
    b.AddTag(kPlaceObject2Tag, PlaceObject2(p));
  }
  b.ShowFrame().End();
  Ref<IShockwaveFlash> control = LoadControl(b.Build());
  ASSERT_TRUE(control.Get());
  EXPECT_EQ(Get(control.Get(), u"instance1.depth"), u"inner");
  EXPECT_EQ(Get(control.Get(), u"_root.instance2.depth"), u"inner");
  HRESULT result = S_OK;
  Get(control.Get(), u"instance3.depth", &result);
  EXPECT_TRUE(FAILED(result));
}

TEST(Control, VariablesByNameAndPathAndFlashVars) {
  PlayerProperties properties;
  properties.flashVars = u"greeting=hello%20world&n=%E2%82%AC";
  Ref<IShockwaveFlash> control = LoadControl(VariablesMovie(), properties);
  ASSERT_TRUE(control.Get());
  struct Row {
    std::u16string path;
    std::u16string value;
  } rows[] = {
      {u"greeting", u"hello world"},
      {u"_root.greeting", u"hello world"},
      {u"_level0.greeting", u"hello world"},
      {u"/:greeting", u"hello world"},
      {u"copy", u"hello world"},
      {u"n", u"\u20AC"},
      {u"menu.depth", u"inner"},
      {u"/menu:depth", u"inner"},
  };
  for (const Row& row : rows) {
    HRESULT result = E_FAIL;
    EXPECT_EQ(Get(control.Get(), row.path, &result), row.value);
    EXPECT_EQ(result, S_OK);
  }
  HRESULT result = S_OK;
  Get(control.Get(), u"nothing", &result);
  EXPECT_EQ(result, E_FAIL);
  Get(control.Get(), u"nobody.depth", &result);
  EXPECT_EQ(result, E_FAIL);

  EXPECT_EQ(Set(control.Get(), u"_root.score", u"12"), S_OK);
  EXPECT_EQ(Get(control.Get(), u"score"), u"12");
  EXPECT_EQ(Set(control.Get(), u"menu.label", u"\u3042"), S_OK);
  EXPECT_EQ(Get(control.Get(), u"/menu:label"), u"\u3042");
  EXPECT_EQ(Set(control.Get(), u"nobody.x", u"1"), E_FAIL);

  BSTR vars = Bstr(u"score=99&extra=a+b");
  EXPECT_EQ(control->put_FlashVars(vars), S_OK);
  SysFreeString(vars);
  EXPECT_EQ(Get(control.Get(), u"score"), u"99");
  EXPECT_EQ(Get(control.Get(), u"extra"), u"a b");
}

TEST(Control, CallFunctionOfAnUnregisteredFunctionFails) {
  Ref<IShockwaveFlash> control = LoadControl(VariablesMovie());
  ASSERT_TRUE(control.Get());
  for (const char16_t* request :
       {u"<invoke name=\"missing\" returntype=\"xml\"><arguments></arguments></invoke>",
        u"not a request", u""}) {
    BSTR r = Bstr(request);
    BSTR response = reinterpret_cast<BSTR>(1);
    EXPECT_EQ(control->CallFunction(r, &response), E_FAIL);
    EXPECT_EQ(response, nullptr);
    SysFreeString(r);
  }
  EXPECT_EQ(control->CallFunction(nullptr, nullptr), E_POINTER);
}

TEST(Control, CallFunctionCallsWhatTheMovieRegisteredAndItsGotosTakeEffect) {
  namespace Op = Halvane::Movie::ActionCode;
  // Frame 0 registers "jump", which goes to frame 2 and answers "at " and
  // its argument.
  ActionWriter body;
  body.GotoFrame(2).PushString("at ").PushString("where").Op(Op::GetVariable).Op(Op::Add2).Op(Op::Return);
  ActionWriter w;
  w.DefineFunction("", {"where"}, body).PushNull().PushString("jump").PushInteger(3);
  w.PushString("flash.external.ExternalInterface").Op(Op::GetVariable);
  w.PushString("addCallback").Op(Op::CallMethod).Op(Op::Pop).Op(Op::Stop);
  SwfBuilder b;
  b.SetVersion(8);
  b.AddTag(kDoActionTag, DoAction(w.Build())).ShowFrame().ShowFrame();
  b.AddTag(kDoActionTag, DoAction(Act::SetVariable("arrived", "yes"))).ShowFrame().End();
  Ref<IShockwaveFlash> control = LoadControl(b.Build());
  ASSERT_TRUE(control.Get());
  BSTR request = Bstr(u"<invoke name=\"jump\" returntype=\"xml\"><arguments><string>two</string></arguments></invoke>");
  BSTR response = nullptr;
  ASSERT_EQ(control->CallFunction(request, &response), S_OK);
  SysFreeString(request);
  EXPECT_EQ(FromBstr(response), u"<string>at two</string>");
  long frame = -1;
  control->get_FrameNum(&frame);
  EXPECT_EQ(frame, 2);
  EXPECT_EQ(Get(control.Get(), u"arrived"), u"yes");  // the frame's actions ran
}

// What a control's renderer was asked to draw.
struct DrawLog {
  int calls = 0;
  int frame = -1;
  StageGeometry last;
  bool emptyTarget = false;
  Render::Quality quality = Render::Quality::Medium;
};

class RecordingRenderer : public FrameRenderer {
 public:
  explicit RecordingRenderer(std::shared_ptr<DrawLog> log) : log_(std::move(log)) {}
  void DrawFrame(const MoviePlayer& movie, PixelTarget& target, const StageGeometry& geometry,
                 Render::Quality quality) override {
    ++log_->calls;
    log_->quality = quality;
    log_->last = geometry;
    log_->frame = movie.Root().CurrentFrame();
    log_->emptyTarget = target.Empty();
  }

 private:
  std::shared_ptr<DrawLog> log_;
};

TEST(Control, DrawHandsTheCurrentFrameAndShowAllGeometryToItsOwnRenderer) {
  SwfBuilder b;
  b.SetFrameSize(200 * 20, 100 * 20).ShowFrame().ShowFrame().End();
  Ref<IShockwaveFlash> control = LoadControl(b.Build());
  Ref<IShockwaveFlash> other = LoadControl(b.Build());
  ASSERT_TRUE(control.Get() && other.Get());
  control->GotoFrame(1);
  IUnknown* unknown = control.Get();
  RECT box{10, 20, 110, 220};  // 100 x 200: the stage is scaled by 0.5, centred vertically
  EXPECT_EQ(OleDraw(unknown, DVASPECT_CONTENT, nullptr, &box), S_OK);  // no pixels to paint
  auto log = std::make_shared<DrawLog>();
  static_cast<MovieControl*>(control.Get())->SetRenderer(std::make_unique<RecordingRenderer>(log));
  EXPECT_EQ(OleDraw(unknown, DVASPECT_CONTENT, nullptr, &box), S_OK);
  EXPECT_EQ(OleDraw(unknown, 4, nullptr, &box), static_cast<HRESULT>(0x8004006Bu));
  EXPECT_EQ(OleDraw(unknown, DVASPECT_CONTENT, nullptr, nullptr), E_INVALIDARG);
  EXPECT_EQ(OleDraw(other.Get(), DVASPECT_CONTENT, nullptr, &box), S_OK);  // not this renderer
  EXPECT_EQ(log->calls, 1);
  EXPECT_EQ(log->frame, 1);
  EXPECT_TRUE(log->emptyTarget);  // no bitmap behind a null context
  EXPECT_DOUBLE_EQ(log->last.scale, 0.5);
  EXPECT_DOUBLE_EQ(log->last.originX, 10.0);
  EXPECT_DOUBLE_EQ(log->last.originY, 20.0 + 75.0);
  EXPECT_DOUBLE_EQ(log->last.width, 100.0);
  EXPECT_DOUBLE_EQ(log->last.height, 50.0);
  EXPECT_EQ(log->quality, Render::Quality::High);  // the default Quality, 1

  // Given back no renderer, the control draws with its own again.
  static_cast<MovieControl*>(control.Get())->SetRenderer(nullptr);
  EXPECT_EQ(OleDraw(unknown, DVASPECT_CONTENT, nullptr, &box), S_OK);
  EXPECT_EQ(log->calls, 1);
}

}  // namespace
}  // namespace Halvane::Movie
