// The reader: movie header, display-list records as the writer makes them,
// and what it does with malformed movies.
#include <gtest/gtest.h>

#include "movie/swf/SwfParser.h"
#include "movie/swf/TagCodes.h"
#include "tools/SwfTags.h"
#include "tools/SwfWriter.h"

namespace Halvane::Movie {
namespace {

using namespace Halvane::Tools;

std::unique_ptr<MovieDefinition> Parse(const Bytes& file) { return ParseMovie(file.data(), file.size()); }

TEST(SwfParser, ReadsHeaderBackgroundAndShapes) {
  SwfBuilder b;
  b.SetVersion(8).SetFrameSize(320 * 20, 240 * 20).SetFrameRate(12.5);
  b.AddTag(kSetBackgroundColorTag, SetBackgroundColor(10, 20, 30));
  b.AddTag(kDefineShapeTag, DefineShape(7, 400, 200, 255, 0, 0));
  b.ShowFrame().ShowFrame().End();
  auto movie = Parse(b.Build());
  ASSERT_TRUE(movie);
  EXPECT_EQ(movie->outcome, ParseOutcome::Complete);
  EXPECT_EQ(movie->version, 8);
  EXPECT_EQ(movie->frameRect, (TwipsRect{0, 320 * 20, 0, 240 * 20}));
  EXPECT_EQ(movie->frameRate, 12 * 256 + 128);
  EXPECT_EQ(movie->TotalFrames(), 2);
  ASSERT_TRUE(movie->backgroundColor);
  EXPECT_EQ(*movie->backgroundColor, (Rgba{10, 20, 30, 255}));
  ASSERT_EQ(movie->shapes.count(7), 1u);
  const ShapeDefinition& shape = *movie->shapes.at(7);
  EXPECT_EQ(shape.version, 1);
  EXPECT_EQ(shape.bounds, (TwipsRect{0, 400, 0, 200}));
  EXPECT_FALSE(shape.records.empty());
}

TEST(SwfParser, ReadsEveryFieldOfThePlacementTags) {
  PlaceSpec full;
  full.depth = 5;
  full.characterId = 9;
  MatrixSpec m;
  m.scaleX = 0x20000;
  m.scaleY = 0x8000;
  m.rotateSkew0 = 0x1000;
  m.rotateSkew1 = -0x1000;
  m.translateX = -300;
  m.translateY = 4000;
  full.matrix = m;
  ColorTransformSpec cx;
  cx.mult[0] = 128;
  cx.mult[3] = 64;
  cx.add[1] = -20;
  full.colorTransform = cx;
  full.ratio = 300;
  full.name = "button";
  full.clipDepth = 8;

  PlaceSpec third = full;
  third.className = "Some.Class";
  third.withFilterList = true;  // read past, to the blend mode
  third.blendMode = 3;

  SwfBuilder b;
  b.AddTag(kPlaceObject2Tag, PlaceObject2(full));
  b.AddTag(kPlaceObject3Tag, PlaceObject3(third));
  b.AddTag(kPlaceObjectTag, PlaceObject(4, 2, m, cx));
  b.AddTag(kRemoveObjectTag, RemoveObject(4, 2));
  b.AddTag(kRemoveObject2Tag, RemoveObject2(5));
  b.ShowFrame().End();
  auto movie = Parse(b.Build());
  ASSERT_TRUE(movie);
  const auto& tags = movie->root.Frame(0).displayList;
  ASSERT_EQ(tags.size(), 5u);

  const Matrix expectedMatrix{0x20000, 0x8000, 0x1000, -0x1000, -300, 4000};
  ColorTransform expectedCx;
  expectedCx.mult[0] = 128;
  expectedCx.mult[3] = 64;
  expectedCx.add[1] = -20;
  for (int i = 0; i < 2; ++i) {
    const PlaceObjectRecord& p = tags[static_cast<std::size_t>(i)].place;
    SCOPED_TRACE(i);
    EXPECT_EQ(p.version, i + 2);
    EXPECT_FALSE(p.move);
    EXPECT_EQ(p.depth, 5);
    EXPECT_EQ(p.characterId, std::optional<std::uint16_t>(9));
    ASSERT_TRUE(p.matrix);
    EXPECT_EQ(*p.matrix, expectedMatrix);
    ASSERT_TRUE(p.colorTransform);
    EXPECT_EQ(*p.colorTransform, expectedCx);
    EXPECT_EQ(p.ratio, std::optional<std::uint16_t>(300));
    EXPECT_EQ(p.name, std::optional<std::string>("button"));
    EXPECT_EQ(p.clipDepth, std::optional<std::uint16_t>(8));
  }
  EXPECT_EQ(tags[1].place.className, std::optional<std::string>("Some.Class"));
  EXPECT_EQ(tags[1].place.blendMode, std::optional<std::uint8_t>(3));  // behind the filter list

  const PlaceObjectRecord& first = tags[2].place;
  EXPECT_EQ(first.version, 1);
  EXPECT_EQ(first.depth, 2);
  EXPECT_EQ(first.characterId, std::optional<std::uint16_t>(4));
  ColorTransform noAlpha = expectedCx;
  noAlpha.mult[3] = 256;  // the first form has no alpha channel
  EXPECT_EQ(*first.colorTransform, noAlpha);

  EXPECT_EQ(tags[3].kind, DisplayListTag::Kind::Remove);
  EXPECT_EQ(tags[3].remove.depth, 2);
  EXPECT_EQ(tags[3].remove.characterId, std::optional<std::uint16_t>(4));
  EXPECT_EQ(tags[4].remove.depth, 5);
  EXPECT_FALSE(tags[4].remove.characterId);
}

TEST(SwfParser, LabelsAreFoundWithoutCaseAndTheFirstOneWins) {
  SwfBuilder b;
  b.ShowFrame();
  b.AddTag(kFrameLabelTag, FrameLabel("Intro")).ShowFrame();
  b.AddTag(kFrameLabelTag, FrameLabel("intro")).AddTag(kFrameLabelTag, FrameLabel("end")).ShowFrame();
  b.End();
  auto movie = Parse(b.Build());
  ASSERT_TRUE(movie);
  EXPECT_EQ(movie->root.FindLabel("INTRO"), 1);
  EXPECT_EQ(movie->root.FindLabel("end"), 2);
  EXPECT_EQ(movie->root.FindLabel("missing"), -1);
}

TEST(SwfParser, SoundsKeepTheirLengthAndCutShortHeadersAreLeftOut) {
  // id, flags (format, rate, size, channels), sample count.
  const auto sound = [](std::uint16_t id, std::uint8_t flags, std::uint32_t samples) {
    return Bytes{static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(id >> 8), flags,
                 static_cast<std::uint8_t>(samples), static_cast<std::uint8_t>(samples >> 8),
                 static_cast<std::uint8_t>(samples >> 16), static_cast<std::uint8_t>(samples >> 24)};
  };
  SwfBuilder b;
  b.AddTag(kTagDefineSound, sound(1, 0x2E, 47232));       // MP3, 44 kHz, mono
  b.AddTag(kTagDefineSound, sound(2, 0x03, 11025));       // raw, 5.5 kHz, stereo
  b.AddTag(kTagDefineSound, sound(3, 0x2F, 0xFFFFFFFFu)); // the largest count does not overflow
  b.AddTag(kTagDefineSound, sound(1, 0x00, 5));           // an id already taken
  b.AddTag(kTagDefineSound, Bytes{4, 0, 0x2E, 1});        // cut short
  b.ShowFrame().End();
  auto movie = Parse(b.Build());
  ASSERT_TRUE(movie);
  EXPECT_EQ(movie->outcome, ParseOutcome::Complete);
  ASSERT_EQ(movie->sounds.size(), 3u);
  EXPECT_EQ(movie->sounds.at(1).Milliseconds(), 1071u);
  EXPECT_EQ(movie->sounds.at(1).format, 2);
  EXPECT_EQ(movie->sounds.at(2).Milliseconds(), 2000u);
  EXPECT_TRUE(movie->sounds.at(2).stereo);
  EXPECT_EQ(movie->sounds.at(3).Milliseconds(), 97391548u);
}

TEST(SwfParser, UnknownTagsAreSkippedAndCountZeroMeansOneFrame) {
  SwfBuilder b;
  b.SetFrameCount(0);
  b.AddTag(777, Bytes(100, 0xEE));
  b.AddTag(kPlaceObject2Tag, PlaceObject2(PlaceCharacter(3, 1)));
  b.End();
  auto movie = Parse(b.Build());
  ASSERT_TRUE(movie);
  EXPECT_EQ(movie->outcome, ParseOutcome::Complete);
  EXPECT_EQ(movie->TotalFrames(), 1);
  EXPECT_EQ(movie->root.Frame(0).displayList.size(), 1u);
}

TEST(SwfParser, SpritesCutShortKeepTheirLastPartialFrame) {
  const Bytes action = DoAction({});
  SpriteBuilder whole;
  whole.AddTag(kDoActionTag, action).ShowFrame().AddTag(kDoActionTag, action).ShowFrame();
  SpriteBuilder trailing;
  trailing.AddTag(kDoActionTag, action).ShowFrame().AddTag(kDoActionTag, action);
  Bytes unended = {3, 0, 5, 0};  // declares 5 frames, has one, no End tag
  for (const Bytes& tag : {Tag(kDoActionTag, action), Tag(kShowFrameTag, {})}) {
    unended.insert(unended.end(), tag.begin(), tag.end());
  }
  SwfBuilder b;
  b.AddTag(kDefineSpriteTag, whole.Build(1)).AddTag(kDefineSpriteTag, trailing.Build(2));
  b.AddTag(kDefineSpriteTag, unended).ShowFrame().End();
  auto movie = Parse(b.Build());
  ASSERT_TRUE(movie);
  ASSERT_EQ(movie->sprites.size(), 3u);
  const TimelineDefinition& t1 = movie->sprites.at(1)->timeline;
  const TimelineDefinition& t2 = movie->sprites.at(2)->timeline;
  const TimelineDefinition& t3 = movie->sprites.at(3)->timeline;
  EXPECT_EQ(t1.FrameCount(), 2);
  EXPECT_TRUE(t1.complete);
  EXPECT_EQ(t1.byteSize, whole.Build(1).size() - 4);
  EXPECT_EQ(t2.FrameCount(), 2);  // the actions after the last ShowFrame are a frame
  EXPECT_FALSE(t2.complete);
  EXPECT_EQ(t2.Frame(1).actions.size(), 1u);
  EXPECT_EQ(t3.FrameCount(), 1);
  EXPECT_FALSE(t3.complete);
  EXPECT_EQ(t3.byteSize, unended.size() - 4);
  EXPECT_TRUE(movie->root.complete);
}

TEST(SwfParser, RefusesWhatIsNotAnUncompressedMovie) {
  const Bytes good = SwfBuilder().ShowFrame().End().Build();
  struct Case {
    const char* what;
    Bytes file;
  } cases[] = {
      {"empty", {}},
      {"seven bytes", Bytes(good.begin(), good.begin() + 7)},
      {"compressed", SwfBuilder().ShowFrame().Build(true)},
      {"lower-case signature", [&] { Bytes b = good; b[0] = 'f'; return b; }()},
      {"header cut in the frame rectangle", Bytes(good.begin(), good.begin() + 9)},
      {"header without frame count", MakeSwfFile(Bytes{0x00, 0x00, 0x18}, 10, false)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Parse(c.file), nullptr);
  }
}

TEST(SwfParser, StopsAtAFaultAndKeepsWhatCameBefore) {
  const Bytes place = Tag(kPlaceObject2Tag, PlaceObject2(PlaceCharacter(1, 1)));
  struct Case {
    const char* what;
    Bytes tail;  // bytes after a first, well-formed frame
  } cases[] = {
      {"tag length past the end", {0x3F, 0x06, 0xFF, 0x00, 0x00, 0x00, 0x01}},
      {"long length of four gigabytes", {0xBF, 0x06, 0xFF, 0xFF, 0xFF, 0xFF}},
      {"tag header cut in half", {0x40}},
      {"long length cut short", {0x7F, 0x06, 0x10}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SwfBuilder b;
    b.SetFrameCount(3);
    b.AddRaw(place).ShowFrame().AddRaw(c.tail);
    auto movie = Parse(b.Build());
    ASSERT_TRUE(movie);
    EXPECT_EQ(movie->outcome, ParseOutcome::Truncated);
    EXPECT_EQ(movie->TotalFrames(), 3);
    EXPECT_EQ(movie->root.Frame(0).displayList.size(), 1u);
    EXPECT_TRUE(movie->root.Frame(1).displayList.empty());
  }
}

TEST(SwfParser, MalformedRecordInsideItsTagIsDroppedAndReadingGoesOn) {
  SwfBuilder b;
  b.AddTag(kPlaceObject2Tag, Bytes{0x02});  // flags say "character" but nothing follows
  b.AddTag(kFrameLabelTag, Bytes{'a', 'b'});  // no terminator
  b.AddTag(kPlaceObject2Tag, PlaceObject2(PlaceCharacter(2, 5)));
  b.ShowFrame().End();
  auto movie = Parse(b.Build());
  ASSERT_TRUE(movie);
  EXPECT_EQ(movie->outcome, ParseOutcome::Complete);
  ASSERT_EQ(movie->root.Frame(0).displayList.size(), 1u);
  EXPECT_EQ(movie->root.Frame(0).displayList[0].place.depth, 2);
  EXPECT_TRUE(movie->root.labels.empty());
}

TEST(SwfParser, TimelinesReadWholeHaveTheFramesTheyShowWhateverTheyDeclare) {
  // A huge declared count costs no memory: the frames are the ShowFrames.
  SpriteBuilder sprite;
  sprite.SetFrameCount(65535).ShowFrame();
  SwfBuilder b;
  b.SetFrameCount(65535);
  b.AddTag(kDefineSpriteTag, sprite.Build(3)).ShowFrame().End();
  auto movie = Parse(b.Build());
  ASSERT_TRUE(movie);
  EXPECT_EQ(movie->TotalFrames(), 1);
  EXPECT_LE(movie->root.frames.size(), 1u);
  ASSERT_EQ(movie->sprites.count(3), 1u);
  EXPECT_EQ(movie->sprites.at(3)->timeline.FrameCount(), 1);
  EXPECT_TRUE(movie->root.Frame(60000).displayList.empty());

  // Fewer declared than shown: every frame shown is played.
  SwfBuilder more;
  more.SetFrameCount(1);
  more.AddTag(kPlaceObject2Tag, PlaceObject2(PlaceCharacter(1, 1))).ShowFrame();
  more.AddTag(kPlaceObject2Tag, PlaceObject2(PlaceCharacter(2, 1))).ShowFrame().End();
  movie = Parse(more.Build());
  ASSERT_TRUE(movie);
  EXPECT_EQ(movie->TotalFrames(), 2);
  EXPECT_EQ(movie->root.Frame(1).displayList.size(), 1u);
}

TEST(SwfParser, SpriteWithABrokenInnerTagKeepsItsFirstFramesAndTheMovieReadsOn) {
  Bytes inner = SpriteBuilder()
                    .AddTag(kPlaceObject2Tag, PlaceObject2(PlaceCharacter(1, 7)))
                    .ShowFrame()
                    .Build(4);
  inner.resize(inner.size() - 2);  // drop the End tag
  inner.push_back(0x3F);           // and add a tag header whose length runs past the sprite
  inner.push_back(0x00);
  inner.push_back(0x50);
  SwfBuilder b;
  b.AddTag(kDefineSpriteTag, inner);
  b.AddTag(kPlaceObject2Tag, PlaceObject2(PlaceCharacter(1, 4)));
  b.ShowFrame().End();
  auto movie = Parse(b.Build());
  ASSERT_TRUE(movie);
  EXPECT_EQ(movie->outcome, ParseOutcome::Truncated);
  ASSERT_EQ(movie->sprites.count(4), 1u);
  EXPECT_EQ(movie->sprites.at(4)->timeline.Frame(0).displayList.size(), 1u);
  EXPECT_EQ(movie->root.Frame(0).displayList.size(), 1u);
}

TEST(SwfParser, RecordLimitEndsTheMovieAtTheLimit) {
  SwfBuilder b;
  for (int i = 0; i < 50; ++i) {
    b.AddTag(kPlaceObject2Tag, PlaceObject2(PlaceCharacter(static_cast<std::uint16_t>(i + 1), 1)));
  }
  b.ShowFrame().End();
  const Bytes file = b.Build();
  ParseLimits limits;
  limits.maxRecords = 10;
  auto movie = ParseMovie(file.data(), file.size(), limits);
  ASSERT_TRUE(movie);
  EXPECT_EQ(movie->outcome, ParseOutcome::Truncated);
  EXPECT_EQ(movie->root.Frame(0).displayList.size(), 10u);
}

}  // namespace
}  // namespace Halvane::Movie
