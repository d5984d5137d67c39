// One Draw of the plug-in for a 640 x 480 movie covering a 640 x 480 screen,
// against baselines measured in the same run. After the runs the medians
// give:
//   two rectangle copies / two memcpy of the same bytes    target <= 1.2
//   the whole Draw, and its parts: the copies, the request round trip
//   (a request the worker answers at once) and the rendering (Render,
//   round trip included)                                  target: Draw < 1 ms
// This program plays the host: it exports VlmGetWindowSize and calls the
// plug-in's exports in its own process.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "activex/SwfPlayer.h"
#include "bench/support/MedianReporter.h"
#include "graphics/CopyDIBitsRect.h"
#include "graphics/DIBSection.h"
#include "graphics/HDCGetter.h"
#include "movie/swf/SwfRecords.h"
#include "plugin/PlugInExports.h"
#include "plugin/VMSwf.h"
#include "tools/ShapeWriter.h"
#include "tools/SwfTags.h"
#include "tools/SwfWriter.h"

extern "C" std::int32_t VlmGetWindowSize(std::int32_t* width, std::int32_t* height) {
  *width = 640;
  *height = 480;
  return 1;
}

namespace {

namespace Movie = Halvane::Movie;
namespace Tools = Halvane::Tools;
using Halvane::VlmPlugIn::VMSwf;

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kStride = kWidth * 3;
constexpr int kRepetitions = 11;
constexpr double kMinSeconds = 0.2;

// A simple vector movie of the screen's size: a background rectangle with a
// linear gradient and a solid disc, drawn anti-aliased.
std::string MoviePath() {
  static const std::string path = [] {
    Movie::ShapeDefinition shape;
    shape.id = 1;
    shape.version = 3;
    shape.bounds = Movie::TwipsRect{0, kWidth * 20, 0, kHeight * 20};
    shape.edgeBounds = shape.bounds;
    Movie::FillStyle gradient;
    gradient.kind = Movie::FillKind::LinearGradient;
    gradient.matrix.scaleX = gradient.matrix.scaleY = 0x6400;
    gradient.matrix.translateX = kWidth * 10;
    gradient.matrix.translateY = kHeight * 10;
    gradient.gradient.stops = {{0, {20, 40, 90, 255}}, {255, {200, 120, 60, 255}}};
    Movie::FillStyle solid;
    solid.color = Movie::Rgba{240, 240, 250, 200};
    shape.styles.fills = {gradient, solid};
    Movie::ShapeRecord start = Tools::MoveTo(0, 0);
    start.fillStyle1 = 1;
    shape.records = {start, Tools::LineBy(kWidth * 20, 0), Tools::LineBy(0, kHeight * 20),
                     Tools::LineBy(-kWidth * 20, 0), Tools::LineBy(0, -kHeight * 20)};
    Movie::ShapeRecord disc = Tools::MoveTo(kWidth * 10 + 2000, kHeight * 10);
    disc.fillStyle0 = 0;
    disc.fillStyle1 = 2;
    shape.records.push_back(disc);
    for (int i = 0; i < 4; ++i) {
      const int dx[] = {-2000, -2000, 2000, 2000};
      const int dy[] = {2000, -2000, -2000, 2000};
      shape.records.push_back(Tools::CurveBy(0, dy[i], dx[i], 0));
    }
    Tools::SwfBuilder b;
    b.SetVersion(8).SetFrameSize(kWidth * 20, kHeight * 20).SetFrameRate(24);
    b.AddTag(Tools::DefineShapeCode(3), Tools::DefineShapeTag(shape));
    b.AddTag(Tools::kPlaceObject2Tag, Tools::PlaceObject2(Tools::PlaceCharacter(1, 1)));
    b.ShowFrame();
    const Tools::Bytes file = b.End().Build();
    const std::string where = "draw-bench-movie.swf";
    std::ofstream(where, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    return where;
  }();
  return path;
}

std::vector<std::uint8_t>& Screen() {
  static std::vector<std::uint8_t> pixels(static_cast<std::size_t>(kStride) * kHeight, 0x40);
  return pixels;
}

VMSwf& OpenPlugIn() {
  static bool opened = [] {
    std::int32_t intResult = 0;
    char text[261] = {};
    Message(("SwfOpen(" + MoviePath() + ")").c_str(), &intResult, text);
    if (intResult != 1) std::fprintf(stderr, "draw bench: the movie did not open\n");
    return intResult == 1;
  }();
  (void)opened;
  return VMSwf::Instance();
}

void BM_TwoMemcpy(benchmark::State& state) {
  std::vector<std::uint8_t>& screen = Screen();
  std::vector<std::uint8_t> frame(screen.size());
  for (auto _ : state) {
    std::memcpy(frame.data(), screen.data(), screen.size());
    std::memcpy(screen.data(), frame.data(), screen.size());
    benchmark::ClobberMemory();
  }
}

void BM_TwoRectangleCopies(benchmark::State& state) {
  Halvane::Graphics::DIBits screen;
  screen.Attach(Screen().data(), kWidth, kHeight, 24);
  Halvane::Graphics::DIBSection frame(kWidth, kHeight);
  for (auto _ : state) {
    Halvane::Graphics::CopyDIBitsRect(frame, 0, 0, kWidth, kHeight, screen, 0, 0);
    Halvane::Graphics::CopyDIBitsRect(screen, 0, 0, kWidth, kHeight, frame, 0, 0);
    benchmark::ClobberMemory();
  }
}

void BM_RequestRoundTrip(benchmark::State& state) {
  VMSwf& plugin = OpenPlugIn();
  for (auto _ : state) benchmark::DoNotOptimize(plugin.player->GetCurrentFrame());
}

void BM_Render(benchmark::State& state) {
  VMSwf& plugin = OpenPlugIn();
  for (auto _ : state) {
    Halvane::Graphics::HDCGetter context(plugin.frameBitmap->bitmap);
    plugin.player->Render(context.Context(), 0, 0, kWidth, kHeight);
  }
}

void BM_Draw(benchmark::State& state) {
  OpenPlugIn();
  for (auto _ : state) Draw(Screen().data(), 0);
}

BENCHMARK(BM_TwoMemcpy)->UseRealTime()->MinTime(kMinSeconds)->Repetitions(kRepetitions);
BENCHMARK(BM_TwoRectangleCopies)->UseRealTime()->MinTime(kMinSeconds)->Repetitions(kRepetitions);
BENCHMARK(BM_RequestRoundTrip)->UseRealTime()->MinTime(kMinSeconds)->Repetitions(kRepetitions);
BENCHMARK(BM_Render)->UseRealTime()->MinTime(kMinSeconds)->Repetitions(kRepetitions)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Draw)->UseRealTime()->MinTime(kMinSeconds)->Repetitions(kRepetitions)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (!Halvane::Bench::InitializeInterleaved(argc, argv)) return 1;
  Initialize(0);
  OpenPlugIn();  // opened before any timing
  Halvane::Bench::MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n");
  reporter.PrintRatio("two rectangle copies / two memcpy", "BM_TwoRectangleCopies",
                      "BM_TwoMemcpy", 1.2);
  const double draw = reporter.Median("BM_Draw");
  if (draw > 0) {
    std::printf("Draw %.3f ms (target < 1 ms: %s): copies %.3f ms, request round trip %.3f ms, "
                "rendering with its request %.3f ms\n",
                draw / 1e3, draw < 1e3 ? "met" : "NOT met",
                reporter.Median("BM_TwoRectangleCopies") / 1e6,
                reporter.Median("BM_RequestRoundTrip") / 1e6, reporter.Median("BM_Render") / 1e3);
  }
  Finalize();
  benchmark::Shutdown();
  return 0;
}
