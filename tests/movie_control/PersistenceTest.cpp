// Persistence: the property stream the control saves, and loading the
// stream the player splices a movie into, from memory and from a window of
// a larger file.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "tests/movie_control/ControlTestSupport.h"
#include "io/FileStreamReader.h"
#include "io/MemoryStream.h"
#include "io/SwfLoadStream.h"

namespace Halvane::Movie {
namespace {

using namespace Halvane::Tools;
using namespace Halvane::Movie::Testing;

Bytes ThreeFrames(bool compressed) {
  SwfBuilder b;
  b.AddTag(kDefineShapeTag, DefineShape(1, 20, 20));
  b.AddTag(kPlaceObject2Tag, PlaceObject2(PlaceCharacter(1, 1)));
  b.ShowFrame().ShowFrame().ShowFrame().End();
  return b.Build(compressed);
}

struct Observed {
  int quality = -1;
  VARIANT_BOOL loop = 7;
  VARIANT_BOOL playing = 7;
  long totalFrames = -1;
  bool operator==(const Observed& o) const {
    return quality == o.quality && loop == o.loop && playing == o.playing &&
           totalFrames == o.totalFrames;
  }
};

Observed Observe(IShockwaveFlash* control) {
  Observed o;
  control->get_Quality(&o.quality);
  control->get_Loop(&o.loop);
  control->get_Playing(&o.playing);
  if (FAILED(control->get_TotalFrames(&o.totalFrames))) o.totalFrames = -1;
  return o;
}

// The saved property stream of a control, as a fresh save would write it.
Bytes Resave(IShockwaveFlash* control) {
  Ref<IPersistStreamInit> persist;
  control->QueryInterface(IID_IPersistStreamInit, persist.OutVoid());
  Ref<IO::MemoryStream> stream;
  IO::CreateMemoryStream(0, stream.Out());
  EXPECT_EQ(persist->Save(stream.Get(), 1), S_OK);
  return Bytes(stream->Data(), stream->Data() + stream->GetSize());
}

TEST(Persistence, SaveWritesASignedStreamOfTheAnnouncedSize) {
  Ref<IShockwaveFlash> control = NewControl();
  Ref<IPersistStreamInit> persist;
  control->QueryInterface(IID_IPersistStreamInit, persist.OutVoid());
  BSTR vars = Bstr(u"a=1&b=two");
  control->put_FlashVars(vars);
  SysFreeString(vars);
  EXPECT_EQ(persist->IsDirty(), S_OK);
  ULARGE_INTEGER size{};
  ASSERT_EQ(persist->GetSizeMax(&size), S_OK);
  const Bytes saved = Resave(control.Get());
  EXPECT_EQ(persist->IsDirty(), S_FALSE);
  ASSERT_GE(saved.size(), 8u);
  EXPECT_EQ(saved.size(), size.QuadPart);
  EXPECT_EQ(Bytes(saved.begin(), saved.begin() + 4), (Bytes{'H', 'M', 'C', 'P'}));
  EXPECT_NE(saved[0], 0x66);
}

TEST(Persistence, EverySavedPropertySurvivesTheSpliceWithTheMovie) {
  struct Case {
    const char* what;
    bool compressed;
    PlayerProperties properties;
  } cases[] = {
      {"uncompressed, player defaults", false, {}},
      {"compressed, player defaults", true, {}},
      {"low quality, no loop, playing", false, {0, false, true, u"Opaque", u"k=v"}},
      {"compressed, vars and a long mode", true, {1, true, false, std::u16string(300, u'w'), u"x=%41"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Bytes properties = SavedProperties(c.properties);
    HRESULT result = E_FAIL;
    Ref<IShockwaveFlash> control = LoadControl(ThreeFrames(c.compressed), c.properties, &result);
    ASSERT_EQ(result, S_OK);
    const Observed o = Observe(control.Get());
    EXPECT_EQ(o.quality, c.properties.quality);
    EXPECT_EQ(o.loop, c.properties.loop ? VARIANT_TRUE : VARIANT_FALSE);
    EXPECT_EQ(o.playing, c.properties.playing ? VARIANT_TRUE : VARIANT_FALSE);
    EXPECT_EQ(o.totalFrames, 3);
    // Window mode and FlashVars come back in the control's next save.
    EXPECT_EQ(Resave(control.Get()), properties);
  }
}

TEST(Persistence, MovieInsideALargerFileLoadsFromItsWindow) {
  for (bool compressed : {false, true}) {
    SCOPED_TRACE(compressed);
    const Bytes movie = ThreeFrames(compressed);
    const std::string path = testing::TempDir() + "movie_window_" + (compressed ? "c" : "u") + ".bin";
    {
      std::ofstream out(path, std::ios::binary);
      const Bytes before(1000, 0xAB);
      const Bytes after(500, 0xCD);
      out.write(reinterpret_cast<const char*>(before.data()), static_cast<std::streamsize>(before.size()));
      out.write(reinterpret_cast<const char*>(movie.data()), static_cast<std::streamsize>(movie.size()));
      out.write(reinterpret_cast<const char*>(after.data()), static_cast<std::streamsize>(after.size()));
    }
    const Bytes propertyBytes = SavedProperties({});
    Ref<IO::MemoryStream> properties;
    IO::CreateMemoryStream(0, properties.Out());
    properties->Write(propertyBytes.data(), static_cast<ULONG>(propertyBytes.size()), nullptr);
    LARGE_INTEGER zero{};
    properties->Seek(zero, STREAM_SEEK_SET, nullptr);
    ULONG length = 0;
    ASSERT_EQ(IO::GetSwfFileLength(path.c_str(), 1000, movie.size(), &length), S_OK);
    Ref<IO::MemoryStream> load;
    IO::CreateMemoryStream(static_cast<ULONG>(propertyBytes.size() + length), load.Out());
    ASSERT_EQ(IO::BuildSwfLoadStreamFromFile(path.c_str(), 1000, movie.size(), properties.Get(),
                                             load.Get()),
              S_OK);
    Ref<IShockwaveFlash> control = NewControl();
    Ref<IPersistStreamInit> persist;
    control->QueryInterface(IID_IPersistStreamInit, persist.OutVoid());
    ASSERT_EQ(persist->Load(load.Get()), S_OK);
    long total = 0;
    EXPECT_EQ(control->get_TotalFrames(&total), S_OK);
    EXPECT_EQ(total, 3);
    std::remove(path.c_str());
  }
}

TEST(Persistence, AStreamWithoutAMovieGivesPropertiesOnly) {
  PlayerProperties p;
  p.quality = 0;
  p.loop = false;
  Ref<IShockwaveFlash> control = NewControl();
  ASSERT_EQ(LoadBytes(control.Get(), SavedProperties(p)), S_OK);
  const Observed o = Observe(control.Get());
  EXPECT_EQ(o.quality, 0);
  EXPECT_EQ(o.loop, VARIANT_FALSE);
  EXPECT_EQ(o.totalFrames, -1);  // no movie
}

TEST(Persistence, MalformedStreamsAreRefusedAndLeaveTheControlAsItWas) {
  const Bytes properties = SavedProperties({});
  const Bytes good = SplicedStream(properties, ThreeFrames(false));
  ASSERT_FALSE(good.empty());
  auto with = [&](std::size_t at, std::uint8_t value) {
    Bytes b = good;
    b[at] = value;
    return b;
  };
  auto length = [&](std::uint32_t l) {
    Bytes b = good;
    for (int i = 0; i < 4; ++i) b[4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(l >> (8 * i));
    return b;
  };
  struct Case {
    const char* what;
    Bytes stream;
  } cases[] = {
      {"empty", {}},
      {"three bytes", Bytes(good.begin(), good.begin() + 3)},
      {"unknown first byte", with(0, 0x67)},
      {"bytes 1 to 3 changed", with(2, 'X')},
      {"movie length past the end", length(0x00100000)},
      {"movie length over the cap", length(0xFFFFFFF0u)},
      {"movie length shorter than a header", length(4)},
      {"movie that is no SWF", with(8, 'Z')},
      {"property block cut short", Bytes(good.begin(), good.end() - 3)},
      {"property block size past the end", with(good.size() - properties.size() + 4 + 3, 0x7F)},
      {"quality out of range", with(good.size() - properties.size() + 4 + 6, 9)},
      {"only the signature", Bytes(properties.begin(), properties.begin() + 4)},
  };
  PlayerProperties before;
  before.quality = 0;
  before.playing = true;
  Ref<IShockwaveFlash> control = LoadControl(ThreeFrames(true), before);
  ASSERT_TRUE(control.Get());
  control->GotoFrame(2);
  const Observed expected = Observe(control.Get());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_TRUE(FAILED(LoadBytes(control.Get(), c.stream)));
    EXPECT_EQ(Observe(control.Get()), expected);
    long frame = -1;
    control->get_FrameNum(&frame);
    EXPECT_EQ(frame, 2);
  }
  Ref<IPersistStreamInit> persist;
  control->QueryInterface(IID_IPersistStreamInit, persist.OutVoid());
  EXPECT_EQ(persist->Load(nullptr), E_POINTER);
}

TEST(Persistence, SaveIntoAStreamThatRefusesWritingFails) {
  const std::string path = testing::TempDir() + "movie_readonly.bin";
  { std::ofstream(path) << "x"; }
  Ref<IO::FileStreamReader> reader;
  ASSERT_EQ(IO::CreateFileStreamReader(path.c_str(), 0, 0, reader.Out()), S_OK);
  Ref<IShockwaveFlash> control = NewControl();
  control->put_Quality(0);
  Ref<IPersistStreamInit> persist;
  control->QueryInterface(IID_IPersistStreamInit, persist.OutVoid());
  EXPECT_TRUE(FAILED(persist->Save(reader.Get(), 1)));
  EXPECT_EQ(persist->IsDirty(), S_OK);
  EXPECT_EQ(persist->Save(nullptr, 1), E_POINTER);
  std::remove(path.c_str());
}

TEST(Persistence, InitNewGivesTheDefaultsAndDropsTheMovie) {
  PlayerProperties p;
  p.quality = 0;
  Ref<IShockwaveFlash> control = LoadControl(ThreeFrames(false), p);
  ASSERT_TRUE(control.Get());
  Ref<IPersistStreamInit> persist;
  control->QueryInterface(IID_IPersistStreamInit, persist.OutVoid());
  EXPECT_EQ(persist->InitNew(), S_OK);
  const Observed o = Observe(control.Get());
  EXPECT_EQ(o.quality, 1);
  EXPECT_EQ(o.loop, VARIANT_TRUE);
  EXPECT_EQ(o.totalFrames, -1);
}

}  // namespace
}  // namespace Halvane::Movie
