// The reference movies made with authoring tools: each loads through the
// player's splice, reports its frame count, reads to its end and plays
// through every frame.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "movie/swf/MovieFile.h"
#include "movie/swf/SwfParser.h"
#include "tests/movie_control/ControlTestSupport.h"

namespace Halvane::Movie {
namespace {

using namespace Halvane::Movie::Testing;

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Reference {
  const char* folder;
  long frames;
  std::uint8_t version;
  bool hasSprites;
};

const Reference kReferences[] = {
    {"gradient_nonsequential_ratios", 1, 15, false},
    {"gradient_same_ratios", 1, 15, false},
    {"gradients_focal_radial", 1, 15, false},
    {"gradients_gradients", 1, 37, false},
    {"gradients_radial", 1, 37, false},
    {"layers", 1, 37, true},
    {"masks", 1, 15, true},
    {"overlaps", 1, 37, false},
    {"strokes_scale", 1, 15, false},
    {"winding_rule", 1, 30, false},
};

TEST(ReferenceMovies, LoadReportTheirFramesAndPlayThroughEveryFrame) {
  for (const Reference& r : kReferences) {
    SCOPED_TRACE(r.folder);
    const Bytes file = ReadFile(std::string(VM_TEST_DATA_DIR "/visual/") + r.folder + "/movie.swf");
    ASSERT_GT(file.size(), 8u);

    Bytes plain;
    ASSERT_TRUE(UncompressMovie(file, plain));
    auto movie = ParseMovie(plain.data(), plain.size());
    ASSERT_TRUE(movie);
    EXPECT_EQ(movie->outcome, ParseOutcome::Complete);
    EXPECT_EQ(movie->version, r.version);
    EXPECT_FALSE(movie->shapes.empty());
    EXPECT_EQ(!movie->sprites.empty(), r.hasSprites);
    EXPECT_TRUE(movie->backgroundColor.has_value());

    HRESULT result = E_FAIL;
    Ref<IShockwaveFlash> control = LoadControl(file, {}, &result);
    ASSERT_EQ(result, S_OK);
    long total = 0;
    ASSERT_EQ(control->get_TotalFrames(&total), S_OK);
    EXPECT_EQ(total, r.frames);
    EXPECT_FALSE(PlayerOf(control.Get())->Root().Objects().empty());
    for (long f = 0; f < total; ++f) {
      EXPECT_EQ(control->GotoFrame(f), S_OK);
      long at = -1;
      control->get_FrameNum(&at);
      EXPECT_EQ(at, f);
    }
    Ref<IMovieControlClock> clock;
    control->QueryInterface(IID_IMovieControlClock, clock.OutVoid());
    control->Play();
    for (long f = 0; f < total + 2; ++f) clock->AdvanceClock(1000 / 12 + 1);
  }
}

}  // namespace
}  // namespace Halvane::Movie
