// The reference movies made with authoring tools: each loads through the
// player's splice, reports its frame count, reads to its end and plays
// through every frame; and its first frame, drawn by the control over the
// movie's background colour at the quality its reference.toml names,
// matches the platform control's picture of it (expected.png).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "movie/swf/MovieFile.h"
#include "movie/swf/SwfParser.h"
#include "tests/movie_control/ControlTestSupport.h"
#include "tests/movie_control/PngImage.h"

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
    {"button_text_variable", 1, 6, true},
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

// How a drawing compares with a reference picture: the share of pixels
// whose three colour channels all lie within 8 levels of the picture's, the
// largest difference in any channel, and a digest of the drawn colours (the
// same on every target).
struct Comparison {
  double shareWithin8 = 0.0;
  int largestDifference = 0;
  std::uint32_t digest = 2166136261u;
};

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The quality reference.toml names: the Quality property that draws it.
int QualityProperty(const std::string& toml) {
  return toml.find("quality = \"low\"") != std::string::npos ? 0 : 1;
}

Comparison DrawAndCompare(const std::string& folder, RgbaPicture* expected) {
  Comparison c;
  const std::string dir = std::string(VM_TEST_DATA_DIR "/visual/") + folder;
  EXPECT_TRUE(ReadPng(dir + "/expected.png", expected));
  const Bytes file = ReadFile(dir + "/movie.swf");
  Bytes plain;
  EXPECT_TRUE(UncompressMovie(file, plain));
  auto movie = ParseMovie(plain.data(), plain.size());
  if (!movie || expected->width == 0) return c;
  EXPECT_EQ(expected->width * 20, movie->frameRect.xMax - movie->frameRect.xMin);
  EXPECT_EQ(expected->height * 20, movie->frameRect.yMax - movie->frameRect.yMin);

  PlayerProperties properties;
  properties.quality = QualityProperty(ReadText(dir + "/reference.toml"));
  Ref<IShockwaveFlash> control = LoadControl(file, properties);
  if (!control.Get()) return c;
  DibTarget dib(expected->width, expected->height);
  const Movie::Rgba background = movie->backgroundColor.value_or(Movie::Rgba{255, 255, 255, 255});
  dib.Fill(background.red, background.green, background.blue);
  EXPECT_EQ(dib.Draw(control.Get(), RECT{0, 0, expected->width, expected->height}), S_OK);

  long within = 0;
  for (int y = 0; y < expected->height; ++y) {
    for (int x = 0; x < expected->width; ++x) {
      const std::uint8_t* drawn = dib.Pixel(x, y);
      const std::uint8_t* want = expected->At(x, y);
      int worst = 0;
      for (int k = 0; k < 3; ++k) {
        worst = std::max(worst, std::abs(static_cast<int>(drawn[2 - k]) - want[k]));
        c.digest = (c.digest ^ drawn[2 - k]) * 16777619u;
      }
      c.largestDifference = std::max(c.largestDifference, worst);
      if (worst <= 8) ++within;
    }
  }
  c.shareWithin8 = static_cast<double>(within) / (static_cast<double>(expected->width) * expected->height);
  return c;
}

// The shares reached are the gate: a change that draws any reference worse
// fails here. The digests pin the exact pictures, which must be the same on
// every target; a change that is meant to alter a picture updates them.
// Pictures with text in the system's fonts have no digest (0): those fonts
// differ from system to system.
struct PictureGate {
  const char* folder;
  double minShare;
  std::uint32_t digest;
};

const PictureGate kPictureGates[] = {
    // Its field's text is in a device font; the few pixels that differ are
    // those of the letters.
    {"button_text_variable", 0.997, 0u},
    {"gradient_nonsequential_ratios", 1.0, 3155889093u},
    {"gradient_same_ratios", 1.0, 3026675397u},
    {"gradients_focal_radial", 1.0, 4209023690u},
    {"gradients_gradients", 1.0, 1369371271u},
    {"gradients_radial", 1.0, 3095393989u},
    {"layers", 1.0, 1642434487u},
    {"masks", 0.9992, 1408672212u},
    {"overlaps", 0.99997, 612324828u},
    // Lines only: at high quality they are sampled on the 2 x 2 grid, as its
    // five grey levels show, and its diagonal straight edges are as thick as
    // the line across rows or down columns.
    {"strokes_scale", 0.9927, 2780154554u},
    {"winding_rule", 1.0, 1539900697u},
};

TEST(ReferencePictures, FirstFramesMatchThePlatformControlsPictures) {
  std::printf("%-32s %10s %8s %10s\n", "reference", "within 8", "largest", "digest");
  for (const PictureGate& gate : kPictureGates) {
    SCOPED_TRACE(gate.folder);
    RgbaPicture expected;
    const Comparison c = DrawAndCompare(gate.folder, &expected);
    std::printf("%-32s %9.3f%% %8d %10lu\n", gate.folder, 100.0 * c.shareWithin8, c.largestDifference,
                static_cast<unsigned long>(c.digest));
    EXPECT_GE(c.shareWithin8, gate.minShare);
    if (gate.digest != 0) {
      EXPECT_EQ(c.digest, gate.digest);
    }
  }
}

}  // namespace
}  // namespace Halvane::Movie
