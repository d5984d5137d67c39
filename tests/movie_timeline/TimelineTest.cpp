// The timeline: display list by frame, goto against playing, loop, sprites
// with their own frames, frame actions, and the caps on sprite trees.
#include <gtest/gtest.h>

#include "movie/actions/ActionCodes.h"
#include "movie/swf/SwfParser.h"
#include "movie/timeline/MoviePlayer.h"
#include "tools/ActionWriter.h"
#include "tools/MediaWriter.h"
#include "tests/movie_timeline/TimelineTestSupport.h"

namespace Halvane::Movie {
namespace {

using namespace Halvane::Tools;
using namespace Halvane::Movie::Testing;

std::unique_ptr<MoviePlayer> Start(const Bytes& file, bool loop = true) {
  std::unique_ptr<MovieDefinition> movie = ParseMovie(file.data(), file.size());
  if (!movie) return nullptr;
  auto player = std::make_unique<MoviePlayer>(std::move(movie));
  player->SetLoop(loop);
  player->Start();
  return player;
}

MatrixSpec At(std::int32_t x, std::int32_t y) {
  MatrixSpec m;
  m.translateX = x;
  m.translateY = y;
  return m;
}

PlaceSpec Place(std::uint16_t depth, std::uint16_t character, std::int32_t x = 0) {
  PlaceSpec p;
  p.depth = depth;
  p.characterId = character;
  p.matrix = At(x, 0);
  return p;
}

PlaceSpec Move(std::uint16_t depth, std::int32_t x) {
  PlaceSpec p;
  p.depth = depth;
  p.move = true;
  p.matrix = At(x, 0);
  return p;
}

// Six frames exercising every kind of change: new objects, moves, a
// character replaced in place, removals by both tags, a sprite, the first
// placement form, and a depth reused by a new placement.
Bytes ChangingMovie() {
  SpriteBuilder sprite;
  sprite.AddTag(kPlaceObject2Tag, PlaceObject2(Place(1, 1))).ShowFrame().ShowFrame().ShowFrame();
  SwfBuilder b;
  b.AddTag(kDefineShapeTag, DefineShape(1, 100, 100));
  b.AddTag(kDefineShapeTag, DefineShape(2, 50, 50));
  b.AddTag(kDefineSpriteTag, sprite.Build(10));
  // 0
  b.AddTag(kPlaceObject2Tag, PlaceObject2(Place(1, 1, 100)));
  PlaceSpec named = Place(3, 10, 0);
  named.name = "clip";
  b.AddTag(kPlaceObject2Tag, PlaceObject2(named)).ShowFrame();
  // 1
  b.AddTag(kPlaceObject2Tag, PlaceObject2(Move(1, 200)));
  b.AddTag(kPlaceObjectTag, PlaceObject(2, 2, At(5, 5))).ShowFrame();
  // 2
  PlaceSpec replace = Move(1, 300);
  replace.characterId = 2;
  b.AddTag(kPlaceObject2Tag, PlaceObject2(replace));
  b.AddTag(kRemoveObjectTag, RemoveObject(2, 2)).ShowFrame();
  // 3
  b.AddTag(kRemoveObject2Tag, RemoveObject2(3));
  b.AddTag(kPlaceObject2Tag, PlaceObject2(Place(4, 1, 40))).ShowFrame();
  // 4
  b.AddTag(kPlaceObject2Tag, PlaceObject2(Place(3, 10, 70))).ShowFrame();
  // 5
  b.AddTag(kRemoveObject2Tag, RemoveObject2(4));
  b.AddTag(kPlaceObject2Tag, PlaceObject2(Move(3, 90))).ShowFrame();
  b.End();
  return b.Build();
}

std::vector<PlacedObject> PlayedTo(const Bytes& file, int frame) {
  auto player = Start(file);
  for (int i = 0; i < frame; ++i) player->Step();
  EXPECT_EQ(player->Root().CurrentFrame(), frame);
  return Snapshot(player->Root());
}

TEST(Timeline, GotoGivesTheDisplayListOfPlayingThereFromAnyFrame) {
  const Bytes file = ChangingMovie();
  auto probe = Start(file);
  const int total = probe->Root().TotalFrames();
  ASSERT_EQ(total, 6);
  for (int target = 0; target < total; ++target) {
    const std::vector<PlacedObject> expected = PlayedTo(file, target);
    for (int from = 0; from < total; ++from) {
      SCOPED_TRACE("from " + std::to_string(from) + " to " + std::to_string(target));
      auto player = Start(file);
      ASSERT_TRUE(player->GotoFrame(from));
      ASSERT_TRUE(player->GotoFrame(target));
      EXPECT_EQ(player->Root().CurrentFrame(), target);
      EXPECT_EQ(Snapshot(player->Root()), expected);
    }
  }
}

TEST(Timeline, EveryPlacedFieldIsTheSameWhetherPlayedOrReachedByGoto) {
  // Each field a placement can carry, set by the third placement form and
  // changed by later moves, on a shape and on a sprite.
  SpriteBuilder sprite;
  sprite.ShowFrame();
  SwfBuilder b;
  b.AddTag(kDefineShapeTag, DefineShape(1, 100, 100));
  b.AddTag(kDefineSpriteTag, sprite.Build(2));
  PlaceSpec shape = Place(1, 1, 10);
  ColorTransformSpec tint;
  tint.mult[0] = 128;
  tint.add[3] = -20;
  shape.colorTransform = tint;
  shape.ratio = 7;
  shape.clipDepth = 4;
  shape.blendMode = 3;
  PlaceSpec clip = Place(2, 2, 30);
  clip.name = "clip";
  clip.blendMode = 12;
  b.AddTag(kPlaceObject3Tag, PlaceObject3(shape));
  b.AddTag(kPlaceObject3Tag, PlaceObject3(clip)).ShowFrame();  // 0
  PlaceSpec blend = Move(1, 50);
  blend.blendMode = 5;
  blend.ratio = 9;
  b.AddTag(kPlaceObject3Tag, PlaceObject3(blend)).ShowFrame();  // 1
  PlaceSpec rename = Move(2, 60);
  rename.name = "renamed";
  rename.clipDepth = 8;
  b.AddTag(kPlaceObject3Tag, PlaceObject3(rename)).ShowFrame();  // 2
  b.ShowFrame().End();                                           // 3
  const Bytes file = b.Build();

  for (int target = 0; target < 4; ++target) {
    const std::vector<PlacedObject> expected = PlayedTo(file, target);
    for (int from : {0, 3}) {
      SCOPED_TRACE("from " + std::to_string(from) + " to " + std::to_string(target));
      auto player = Start(file);
      ASSERT_TRUE(player->GotoFrame(from));
      ASSERT_TRUE(player->GotoFrame(target));
      EXPECT_EQ(Snapshot(player->Root()), expected);
    }
  }
  const std::vector<PlacedObject> last = PlayedTo(file, 3);
  ASSERT_EQ(last.size(), 2u);
  EXPECT_EQ(last[0].blendMode, 5);
  EXPECT_EQ(last[0].ratio, 9);
  EXPECT_EQ(last[0].clipDepth, 4);
  EXPECT_EQ(last[0].colorTransform, tint);
  EXPECT_EQ(last[1].blendMode, 12);
  EXPECT_EQ(last[1].name, "renamed");
  EXPECT_EQ(last[1].clipDepth, 8);
  EXPECT_TRUE(last[1].isSprite);
}

// What a text snapshot reads: the characters of the static texts in depth
// order, a glyph the font lacks left out, a line begun by each text and by
// a record that moves down.
TEST(Timeline, StaticTextGivesCharactersByTheFontsCodesInDepthOrder) {
  FontDefinition font;
  font.id = 1;
  font.version = 2;
  font.name = "F";
  for (char16_t code : {u'A', u'B', u'C'}) {
    GlyphDefinition glyph;
    glyph.code = code;
    font.glyphs.push_back(glyph);
  }
  const auto record = [](std::optional<std::int16_t> y, std::vector<std::uint32_t> indices) {
    TextRecord r;
    r.fontId = 1;
    r.height = 240;
    r.yOffset = y;
    for (std::uint32_t i : indices) r.glyphs.push_back(TextGlyph{i, 100});
    return r;
  };
  StaticTextDefinition upper;
  upper.id = 2;
  upper.records = {record(100, {0, 1}), record(100, {7, 2}), record(400, {0})};
  StaticTextDefinition lower = upper;
  lower.id = 3;
  lower.records = {record(std::nullopt, {2})};
  SwfBuilder b;
  b.AddTag(kDefineFont2Tag, DefineFontTag(font));
  b.AddTag(kDefineTextTag, DefineTextTag(upper)).AddTag(kDefineTextTag, DefineTextTag(lower));
  b.AddTag(kPlaceObject2Tag, PlaceObject2(PlaceCharacter(5, 3)));
  b.AddTag(kPlaceObject2Tag, PlaceObject2(PlaceCharacter(4, 2)));
  b.ShowFrame().End();
  auto player = Start(b.Build());
  ASSERT_TRUE(player);
  std::u32string codes;
  std::vector<bool> starts;
  for (const auto& c : player->Root().StaticText()) {
    codes.push_back(c.code);
    starts.push_back(c.startsLine);
  }
  EXPECT_EQ(codes, U"ABCAC");
  EXPECT_EQ(starts, (std::vector<bool>{true, false, false, true, true}));
}

TEST(Timeline, DisplayListFollowsTheTagsOfEachFrame) {
  const Bytes file = ChangingMovie();
  auto player = Start(file);
  auto depths = [&] {
    std::vector<std::pair<int, int>> out;
    for (const PlacedObject& o : Snapshot(player->Root())) out.emplace_back(o.depth, o.characterId);
    return out;
  };
  using Pairs = std::vector<std::pair<int, int>>;
  EXPECT_EQ(depths(), (Pairs{{1, 1}, {3, 10}}));
  player->Step();
  EXPECT_EQ(depths(), (Pairs{{1, 1}, {2, 2}, {3, 10}}));
  EXPECT_EQ(Snapshot(player->Root())[0].matrix.translateX, 200);
  player->Step();
  EXPECT_EQ(depths(), (Pairs{{1, 2}, {3, 10}}));
  player->Step();
  EXPECT_EQ(depths(), (Pairs{{1, 2}, {4, 1}}));
  player->Step();
  EXPECT_EQ(depths(), (Pairs{{1, 2}, {3, 10}, {4, 1}}));
}

TEST(Timeline, InstancesThatPersistKeepTheirStateAcrossGoto) {
  const Bytes file = ChangingMovie();
  auto player = Start(file);
  auto* clip = static_cast<MovieClip*>(player->Root().ChildByName("clip", true));
  ASSERT_NE(clip, nullptr);
  clip->Variables().Set("kept", ActionValue::String("yes"));
  player->Step();  // the sprite moves on with the root
  EXPECT_EQ(clip->CurrentFrame(), 1);
  ASSERT_TRUE(player->GotoFrame(2));
  EXPECT_EQ(player->Root().ChildByName("clip", true), clip);
  ASSERT_TRUE(player->GotoFrame(0));  // placed by frame 0's tag: the same instance
  EXPECT_EQ(player->Root().ChildByName("clip", true), clip);
  EXPECT_NE(clip->Variables().Find("kept"), nullptr);
  EXPECT_EQ(clip->CurrentFrame(), 1);

  // Frame 4 places a new instance at the same depth: a goto back to it from
  // frame 5 keeps that one, a goto through frame 3 does not.
  ASSERT_TRUE(player->GotoFrame(5));
  MovieClip* later = player->Root().Objects().at(3).sprite.get();
  ASSERT_NE(later, nullptr);
  ASSERT_TRUE(player->GotoFrame(4));
  EXPECT_EQ(player->Root().Objects().at(3).sprite.get(), later);
}

TEST(Timeline, LastFrameLoopsWithLoopAndStopsWithout) {
  const Bytes file = ChangingMovie();
  for (bool loop : {true, false}) {
    SCOPED_TRACE(loop ? "loop" : "no loop");
    auto player = Start(file, loop);
    for (int i = 0; i < 5; ++i) player->Step();
    ASSERT_EQ(player->Root().CurrentFrame(), 5);
    player->Step();
    EXPECT_EQ(player->Root().CurrentFrame(), loop ? 0 : 5);
    EXPECT_EQ(player->Root().Playing(), loop);
    if (loop) {
      EXPECT_EQ(Snapshot(player->Root()), PlayedTo(file, 0));
    }
  }
}

TEST(Timeline, SpritesPlayTheirOwnFramesAndLoopWhileTheRootIsStopped) {
  SpriteBuilder sprite;
  sprite.AddTag(kPlaceObject2Tag, PlaceObject2(Place(1, 1))).ShowFrame();
  sprite.AddTag(kRemoveObject2Tag, RemoveObject2(1)).ShowFrame().ShowFrame();
  SwfBuilder b;
  b.AddTag(kDefineShapeTag, DefineShape(1, 10, 10));
  b.AddTag(kDefineSpriteTag, sprite.Build(2));
  PlaceSpec p = Place(1, 2);
  p.name = "spinner";
  b.AddTag(kPlaceObject2Tag, PlaceObject2(p)).ShowFrame().End();
  auto player = Start(b.Build());
  player->Root().Stop();
  auto* spinner = static_cast<MovieClip*>(player->Root().ChildByName("SPINNER", false));
  ASSERT_NE(spinner, nullptr);
  EXPECT_EQ(player->Root().ChildByName("SPINNER", true), nullptr);
  const int expectedFrames[] = {1, 2, 0, 1};
  const std::size_t expectedObjects[] = {0, 0, 1, 0};
  for (int i = 0; i < 4; ++i) {
    player->Step();
    EXPECT_EQ(spinner->CurrentFrame(), expectedFrames[i]);
    EXPECT_EQ(spinner->Objects().size(), expectedObjects[i]);
  }
  EXPECT_EQ(player->Root().CurrentFrame(), 0);
}

TEST(Timeline, FrameActionsStopPlayAndGoTo) {
  SwfBuilder b;
  b.ShowFrame();                                                         // 0
  b.AddTag(kDoActionTag, DoAction(Act::GotoFrame(3))).ShowFrame();       // 1: jump to 3
  b.AddTag(kDoActionTag, DoAction(Act::SetVariable("skipped", "1"))).ShowFrame();  // 2
  b.AddTag(kDoActionTag, DoAction(Act::Join({Act::SetVariable("reached", "3"), Act::Stop()})));
  b.ShowFrame();                                                         // 3: stop
  b.AddTag(kFrameLabelTag, FrameLabel("back"));
  b.AddTag(kDoActionTag, DoAction(Act::Join({Act::GotoLabel("start"), Act::Play()}))).ShowFrame();  // 4
  b.End();
  Bytes file = b.Build();
  auto player = Start(file);
  player->Step();  // enters 1, whose action jumps to 3, which stops
  EXPECT_EQ(player->Root().CurrentFrame(), 3);
  EXPECT_FALSE(player->Root().Playing());
  EXPECT_NE(player->Root().Variables().Find("reached"), nullptr);
  EXPECT_EQ(player->Root().Variables().Find("skipped"), nullptr);
  player->Step();
  EXPECT_EQ(player->Root().CurrentFrame(), 3);
  // The host's goto runs the frame's actions too: frame 4 asks for a label
  // that does not exist, which changes nothing, and then plays.
  ASSERT_TRUE(player->GotoFrame(4));
  EXPECT_EQ(player->Root().CurrentFrame(), 4);
  EXPECT_TRUE(player->Root().Playing());
}

TEST(Timeline, ActionsThatJumpBackAndForthEndTheStep) {
  SwfBuilder b;
  b.ShowFrame();
  b.AddTag(kDoActionTag, DoAction(Act::GotoFrame(2))).ShowFrame();
  b.AddTag(kDoActionTag, DoAction(Act::GotoFrame(1))).ShowFrame();
  b.End();
  auto player = Start(b.Build());
  player->Step();
  const int frame = player->Root().CurrentFrame();
  EXPECT_TRUE(frame == 1 || frame == 2);
  player->Step();  // and the movie still runs
}

TEST(Timeline, AnActionLoopJumpingAcrossALongTimelineEndsWithTheStep) {
  // Frame 1 loops forever between the last two frames; every jump back
  // rebuilds two thousand frames of placements.
  SwfBuilder b;
  b.AddTag(kDefineShapeTag, DefineShape(1, 10, 10)).ShowFrame();
  const Bytes loop = Act::Join({Act::GotoFrame(1999), Act::GotoFrame(1998), Bytes{0x99, 0x02, 0x00,
                                                                                  0xF1, 0xFF}});
  b.AddTag(kDoActionTag, DoAction(loop));
  for (int f = 1; f < 2000; ++f) {
    b.AddTag(kPlaceObject2Tag, PlaceObject2(PlaceCharacter(static_cast<std::uint16_t>(f % 50 + 1), 1)));
    b.ShowFrame();
  }
  b.End();
  auto player = Start(b.Build());
  player->Step();
  const int frame = player->Root().CurrentFrame();
  EXPECT_TRUE(frame == 1998 || frame == 1999) << frame;
  EXPECT_FALSE(player->Root().Playing());
  ASSERT_TRUE(player->GotoFrame(5));  // the host's goto still works
  std::vector<int> depths;
  for (const PlacedObject& o : Snapshot(player->Root())) depths.push_back(o.depth);
  EXPECT_EQ(depths, (std::vector<int>{2, 3, 4, 5, 6}));
}

TEST(Timeline, SpriteTreesAreCappedInDepthAndSize) {
  struct Case {
    const char* what;
    Bytes file;
  };
  // A chain of 200 sprites, each placing the next.
  SwfBuilder chain;
  for (int id = 200; id >= 1; --id) {
    SpriteBuilder s;
    if (id < 200) s.AddTag(kPlaceObject2Tag, PlaceObject2(Place(1, static_cast<std::uint16_t>(id + 1))));
    s.ShowFrame();
    chain.AddTag(kDefineSpriteTag, s.Build(static_cast<std::uint16_t>(id)));
  }
  chain.AddTag(kPlaceObject2Tag, PlaceObject2(Place(1, 1))).ShowFrame().End();
  // A sprite placing itself twice: a tree that doubles at every level.
  SpriteBuilder twice;
  twice.AddTag(kPlaceObject2Tag, PlaceObject2(Place(1, 1)));
  twice.AddTag(kPlaceObject2Tag, PlaceObject2(Place(2, 1))).ShowFrame().ShowFrame();
  SwfBuilder doubling;
  doubling.AddTag(kDefineSpriteTag, twice.Build(1));
  doubling.AddTag(kPlaceObject2Tag, PlaceObject2(Place(1, 1))).ShowFrame().ShowFrame().End();
  // The doubling tree again, each instance filling its list with shapes
  // in one frame and emptying it in the next.
  SpriteBuilder heavy;
  heavy.AddTag(kPlaceObject2Tag, PlaceObject2(Place(1, 1)));
  heavy.AddTag(kPlaceObject2Tag, PlaceObject2(Place(2, 1)));
  for (int d = 3; d < 400; ++d) heavy.AddTag(kPlaceObject2Tag, PlaceObject2(Place(static_cast<std::uint16_t>(d), 9)));
  heavy.ShowFrame();
  for (int d = 3; d < 400; ++d) heavy.AddTag(kRemoveObject2Tag, RemoveObject2(static_cast<std::uint16_t>(d)));
  heavy.ShowFrame();
  SwfBuilder filling;
  filling.AddTag(kDefineShapeTag, DefineShape(9, 10, 10));
  filling.AddTag(kDefineSpriteTag, heavy.Build(1));
  filling.AddTag(kPlaceObject2Tag, PlaceObject2(Place(1, 1))).ShowFrame().ShowFrame().End();
  Case cases[] = {{"chain of 200", chain.Build()},
                  {"doubling tree", doubling.Build()},
                  {"doubling tree full of shapes", filling.Build()}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto player = Start(c.file);
    ASSERT_TRUE(player);
    for (int round = 0; round < 3; ++round) {
      int deepest = 0;
      std::size_t count = 0;
      std::size_t objects = 0;
      std::vector<const MovieClip*> work{&player->Root()};
      while (!work.empty()) {
        const MovieClip* clip = work.back();
        work.pop_back();
        ++count;
        objects += clip->Objects().size();
        deepest = std::max(deepest, clip->Nesting());
        for (const auto& entry : clip->Objects()) {
          if (entry.second.sprite) work.push_back(entry.second.sprite.get());
        }
      }
      EXPECT_LE(deepest, MoviePlayer::MaxNesting);
      EXPECT_LE(count, MoviePlayer::MaxInstances);
      EXPECT_LE(objects, MoviePlayer::MaxDisplayObjects);
      if (round == 0) player->Step();
      if (round == 1) player->GotoFrame(1);
    }
  }
}


// A sprite "clip" at depth 3 whose onUnload counts into _root.unloads,
// removed by the tag of frame 1; frame 0 runs before first (the script's
// own, e.g. to take the depth the removed sprite moves to).
Bytes UnloadingMovie(const Tools::ActionWriter& before) {
  namespace Op = ActionCode;
  Tools::ActionWriter count;
  count.PushString("/:unloads").PushString("/:unloads").Op(Op::GetVariable).Op(Op::Increment);
  count.Op(Op::SetVariable);
  Tools::ActionWriter frame0 = before;
  frame0.PushString("unloads").PushInteger(0).Op(Op::SetVariable);
  frame0.PushString("clip").Op(Op::GetVariable).PushString("onUnload");
  frame0.DefineFunction("", {}, count).Op(Op::SetMember);
  SpriteBuilder sprite;
  sprite.ShowFrame();
  SwfBuilder b;
  b.AddTag(kDefineSpriteTag, sprite.Build(10));
  PlaceSpec named = Place(3, 10);
  named.name = "clip";
  b.AddTag(kPlaceObject2Tag, PlaceObject2(named));
  b.AddTag(kDoActionTag, DoAction(frame0.Build())).ShowFrame();
  b.AddTag(kRemoveObject2Tag, RemoveObject2(3)).ShowFrame();
  b.ShowFrame().End();
  return b.Build();
}

std::vector<int> SpriteDepths(const MovieClip& clip) {
  std::vector<int> depths;
  for (const PlacedObject& o : Snapshot(clip)) {
    if (o.isSprite) depths.push_back(o.depth);
  }
  return depths;
}

TEST(Timeline, RemovedSpriteWithAnUnloadHandlerStaysOneStepBelowTheTimelinesDepths) {
  auto player = Start(UnloadingMovie(Tools::ActionWriter()));
  ASSERT_TRUE(player);
  EXPECT_EQ(SpriteDepths(player->Root()), (std::vector<int>{3}));
  player->Step();
  EXPECT_EQ(SpriteDepths(player->Root()), (std::vector<int>{-4}));
  ASSERT_NE(player->Root().Variables().Find("unloads"), nullptr);
  EXPECT_EQ(player->Root().Variables().Find("unloads")->ToString(10), "1");
  player->Step();
  EXPECT_TRUE(SpriteDepths(player->Root()).empty());
  // Removed for good, its handler does not run again.
  EXPECT_EQ(player->Root().Variables().Find("unloads")->ToString(10), "1");
}

TEST(Timeline, RemovedSpriteWhoseWaitingDepthIsTakenGoesAtOnce) {
  // createEmptyMovieClip("taken", -16388) takes depth -4 first.
  namespace Op = ActionCode;
  Tools::ActionWriter take;
  take.PushInteger(-16388).PushString("taken").PushInteger(2).PushString("createEmptyMovieClip");
  take.Op(Op::CallFunction).Op(Op::Pop);
  auto player = Start(UnloadingMovie(take));
  ASSERT_TRUE(player);
  EXPECT_EQ(SpriteDepths(player->Root()), (std::vector<int>{-4, 3}));
  player->Step();
  EXPECT_EQ(SpriteDepths(player->Root()), (std::vector<int>{-4}));
  EXPECT_EQ(player->Root().Objects().at(-4).name, "taken");
  EXPECT_EQ(player->Root().Variables().Find("unloads")->ToString(10), "1");
}

TEST(Timeline, MovieEndedWhileARemovalWaitsLeavesNothingBehind) {
  auto player = Start(UnloadingMovie(Tools::ActionWriter()));
  ASSERT_TRUE(player);
  player->Step();
  ASSERT_EQ(SpriteDepths(player->Root()), (std::vector<int>{-4}));
  player.reset();  // the sanitizers' builds would see a dangling waiting sprite
}

// A player started with its trace lines gathered into lines.
std::unique_ptr<MoviePlayer> StartTracing(const Bytes& file, std::vector<std::string>& lines) {
  std::unique_ptr<MovieDefinition> movie = ParseMovie(file.data(), file.size());
  if (!movie) return nullptr;
  auto player = std::make_unique<MoviePlayer>(std::move(movie));
  player->Context().trace = [&lines](const std::string& line) { lines.push_back(line); };
  player->Start();
  return player;
}

namespace Op = ActionCode;

// object.method() with arguments already pushed (count of them).
Tools::ActionWriter& CallOn(Tools::ActionWriter& w, const char* object, const char* method, int count = 0) {
  return w.PushInteger(count).PushString(object).Op(Op::GetVariable).PushString(method).Op(Op::CallMethod);
}

// trace(mc[property]) for each property.
void TraceClip(Tools::ActionWriter& w, std::initializer_list<const char*> properties) {
  for (const char* property : properties) {
    w.PushString("mc").Op(Op::GetVariable).PushString(property).Op(Op::GetMember).Op(Op::Trace);
  }
}

TEST(Timeline, LaterPlacementFormsRefuseATakenDepthWhileTheFirstReplaces) {
  SwfBuilder b;
  b.AddTag(kDefineShapeTag, DefineShape(1, 100, 100));
  b.AddTag(kDefineShapeTag, DefineShape(2, 50, 50));
  b.AddTag(kPlaceObject2Tag, PlaceObject2(Place(1, 1, 10)));
  b.AddTag(kPlaceObject2Tag, PlaceObject2(Place(1, 2, 20)));  // refused
  b.AddTag(kPlaceObject3Tag, PlaceObject3(Place(1, 2, 30)));  // refused
  b.AddTag(kPlaceObject2Tag, PlaceObject2(Place(2, 1, 40)));
  b.AddTag(kPlaceObjectTag, PlaceObject(2, 2, At(50, 0))).ShowFrame();  // replaces
  b.AddTag(kPlaceObject2Tag, PlaceObject2(Move(1, 60))).ShowFrame().End();
  std::vector<std::string> lines;
  auto player = StartTracing(b.Build(), lines);
  ASSERT_TRUE(player);
  const std::vector<PlacedObject> first = Snapshot(player->Root());
  ASSERT_EQ(first.size(), 2u);
  EXPECT_EQ(first[0].characterId, 1);
  EXPECT_EQ(first[0].matrix.translateX, 10);
  EXPECT_EQ(first[1].characterId, 2);
  EXPECT_EQ(lines, (std::vector<std::string>(2, "Warning: Failed to place object at depth 1.")));
  // The frame rebuilt by a goto holds the same, and says nothing.
  ASSERT_TRUE(player->GotoFrame(1));
  ASSERT_TRUE(player->GotoFrame(0));
  EXPECT_EQ(Snapshot(player->Root()), first);
  EXPECT_EQ(lines.size(), 2u);
}

TEST(Timeline, ClipsMadeByScriptHearOnConstructWhoseThrowStopsNothing) {
  // MovieClip.prototype.onConstruct = function () { trace(this._name); throw "no"; };
  // createEmptyMovieClip("a", 3); a.duplicateMovieClip("b", 4); trace(a.getDepth());
  Tools::ActionWriter hook;
  hook.PushString("this").Op(Op::GetVariable).PushString("_name").Op(Op::GetMember).Op(Op::Trace);
  hook.PushString("no").Op(Op::Throw);
  Tools::ActionWriter w;
  w.PushString("MovieClip").Op(Op::GetVariable).PushString("prototype").Op(Op::GetMember);
  w.PushString("onConstruct").DefineFunction("", {}, hook).Op(Op::SetMember);
  w.PushInteger(3).PushString("a").PushInteger(2).PushString("createEmptyMovieClip").Op(Op::CallFunction).Op(Op::Pop);
  w.PushInteger(4).PushString("b");
  CallOn(w, "a", "duplicateMovieClip", 2).Op(Op::Pop);
  CallOn(w, "a", "getDepth").Op(Op::Trace);
  SwfBuilder b;
  b.SetVersion(8);
  b.AddTag(kDoActionTag, DoAction(w.Build())).ShowFrame().End();
  std::vector<std::string> lines;
  ASSERT_TRUE(StartTracing(b.Build(), lines));
  EXPECT_EQ(lines, (std::vector<std::string>{"a", "Warning: Uncaught exception, no", "b",
                                             "Warning: Uncaught exception, no", "3"}));
}

TEST(Timeline, PlacedFiltersReachTheClipsFiltersAndAMoveReplacesThem) {
  SpriteBuilder sprite;
  sprite.ShowFrame();
  SwfBuilder b;
  b.SetVersion(8);
  b.AddTag(kDefineSpriteTag, sprite.Build(10));
  PlaceSpec blurred = Place(1, 10);
  blurred.name = "mc";
  blurred.withFilterList = true;
  BlurFilterRecord blur;
  blur.blurX = 9;
  blur.quality = 2;
  blurred.filters = {blur};
  b.AddTag(kPlaceObject3Tag, PlaceObject3(blurred));
  Tools::ActionWriter first;
  for (const char* member : {"quality", "blurX"}) {
    first.PushString("mc").Op(Op::GetVariable).PushString("filters").Op(Op::GetMember).PushInteger(0);
    first.Op(Op::GetMember).PushString(member).Op(Op::GetMember).Op(Op::Trace);
  }
  b.AddTag(kDoActionTag, DoAction(first.Build())).ShowFrame();
  PlaceSpec glowing = Move(1, 0);
  glowing.withFilterList = true;
  glowing.filters = {GlowFilterRecord()};
  b.AddTag(kPlaceObject3Tag, PlaceObject3(glowing));
  Tools::ActionWriter second;
  second.PushString("mc").Op(Op::GetVariable).PushString("filters").Op(Op::GetMember).PushInteger(0);
  second.Op(Op::GetMember).PushString("color").Op(Op::GetMember).Op(Op::Trace).Op(Op::Stop);
  b.AddTag(kDoActionTag, DoAction(second.Build())).ShowFrame().End();
  std::vector<std::string> lines;
  auto player = StartTracing(b.Build(), lines);
  ASSERT_TRUE(player);
  player->Step();
  EXPECT_EQ(lines, (std::vector<std::string>{"2", "9", "16711680"}));
}

TEST(Timeline, LoadIntoAnInstanceLeavesItEmptyAndStoppedFromTheNextStep) {
  SpriteBuilder sprite;
  sprite.AddTag(kPlaceObject2Tag, PlaceObject2(Place(1, 1))).ShowFrame().ShowFrame();
  SwfBuilder b;
  b.SetVersion(8);
  b.AddTag(kDefineShapeTag, DefineShape(1, 100, 100));
  b.AddTag(kDefineSpriteTag, sprite.Build(10));
  PlaceSpec named = Place(1, 10);
  named.name = "mc";
  b.AddTag(kPlaceObject2Tag, PlaceObject2(named));
  // loadMovie("x.swf", "mc"): nothing changes before the next step.
  Tools::ActionWriter load;
  load.PushString("x.swf").PushString("mc").Op(Op::GetUrl2, Bytes{0x40});
  TraceClip(load, {"_framesloaded"});
  b.AddTag(kDoActionTag, DoAction(load.Build())).ShowFrame();
  // A goto brings back none of the frames it had; then mc.unloadMovie().
  Tools::ActionWriter failed;
  TraceClip(failed, {"_framesloaded", "_totalframes", "_url"});
  CallOn(failed, "mc", "getBytesTotal").Op(Op::Trace);
  CallOn(failed, "mc", "getSWFVersion").Op(Op::Trace);
  CallOn(failed.PushInteger(1), "mc", "gotoAndPlay", 1).Op(Op::Pop);
  CallOn(failed, "mc", "unloadMovie").Op(Op::Pop);
  b.AddTag(kDoActionTag, DoAction(failed.Build())).ShowFrame();
  Tools::ActionWriter unloaded;
  TraceClip(unloaded, {"_framesloaded", "_totalframes", "_url"});
  b.AddTag(kDoActionTag, DoAction(unloaded.Op(Op::Stop).Build())).ShowFrame().End();

  std::vector<std::string> lines;
  auto player = StartTracing(b.Build(), lines);
  ASSERT_TRUE(player);
  MovieClip* clip = player->Root().Objects().at(1).sprite.get();
  ASSERT_NE(clip, nullptr);
  EXPECT_EQ(Snapshot(*clip).size(), 1u);
  player->Step();
  player->Step();
  EXPECT_TRUE(Snapshot(*clip).empty());
  EXPECT_FALSE(clip->Playing());
  EXPECT_EQ(lines, (std::vector<std::string>{"2", "-1", "0", "x.swf", "-1", "-1", "0", "0", ""}));
}

}  // namespace
}  // namespace Halvane::Movie
