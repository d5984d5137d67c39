// Bitmaps in the control's renderer against the plain work they rest on, in
// the same run (median wall times of interleaved repetitions):
// - JpegMovie/DecodeAndFirstDraw: a 1024 x 768 movie whose stage is one
//   JPEG bitmap, parsed, started and drawn once by a fresh renderer (so the
//   bitmap is decoded), against Jpeg/DecodeAlone: the same JPEG decoded by
//   the same library (goal: 1.3 or less);
// - FullScreenBitmap/Draw640x480: a 640 x 480 bitmap drawn unscaled and
//   unsmoothed over a 640 x 480 stage (decoded already), against
//   FullScreenBitmap/PlainCopy: a copy of its pixels (goal: 3 or less).
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "bench/support/MedianReporter.h"
#include "io/ImageCodec.h"
#include "movie/render/DisplayListRenderer.h"
#include "movie/render/StageGeometry.h"
#include "movie/swf/SwfParser.h"
#include "movie/timeline/MoviePlayer.h"
#include "tools/MediaWriter.h"
#include "tools/ShapeWriter.h"
#include "tools/SwfTags.h"

namespace {

using namespace Halvane;
using Tools::Bytes;

std::vector<std::uint8_t> Picture(int w, int h, int channels) {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(w) * h * channels);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * w + x) * channels];
      p[0] = static_cast<std::uint8_t>(x * 255 / w);
      p[1] = static_cast<std::uint8_t>(y * 255 / h);
      p[2] = static_cast<std::uint8_t>((x ^ y) & 0xFF);
      if (channels == 4) p[3] = 255;
    }
  }
  return pixels;
}

// A movie of the bitmap's size showing the bitmap unscaled, unsmoothed.
Bytes BitmapMovie(const Movie::BitmapDefinition& bitmap, int w, int h) {
  Movie::ShapeDefinition s;
  s.id = 2;
  s.version = 3;
  s.bounds = Movie::TwipsRect{0, w * 20, 0, h * 20};
  s.edgeBounds = s.bounds;
  Movie::FillStyle fill;
  fill.kind = Movie::FillKind::ClippedBitmapUnsmoothed;
  fill.bitmapId = bitmap.id;
  fill.matrix.scaleX = fill.matrix.scaleY = 20 << 16;
  s.styles.fills.push_back(fill);
  Movie::ShapeRecord start = Tools::MoveTo(0, 0);
  start.fillStyle1 = 1;
  s.records = {start, Tools::LineBy(w * 20, 0), Tools::LineBy(0, h * 20), Tools::LineBy(-w * 20, 0),
               Tools::LineBy(0, -h * 20)};
  Tools::SwfBuilder b;
  b.SetVersion(8).SetFrameSize(w * 20, h * 20);
  b.AddTag(Tools::DefineBitsCode(bitmap), Tools::DefineBitsTag(bitmap));
  b.AddTag(Tools::DefineShapeCode(3), Tools::DefineShapeTag(s));
  b.AddTag(Tools::kPlaceObject2Tag, Tools::PlaceObject2(Tools::PlaceCharacter(1, 2)));
  return b.ShowFrame().End().Build();
}

struct Screen {
  std::vector<std::uint8_t> pixels;
  Movie::PixelTarget target;
  Movie::StageGeometry geometry;
  Screen(int w, int h) : pixels(static_cast<std::size_t>(w) * h * 3) {
    target.pixels = pixels.data();
    target.width = w;
    target.height = h;
    target.stride = static_cast<std::ptrdiff_t>(w) * 3;
    target.bitsPerPixel = 24;
    geometry = Movie::ShowAllGeometry(Movie::TwipsRect{0, w * 20, 0, h * 20}, Movie::PixelRect{0, 0, w, h});
  }
};

const Bytes& JpegFile() {
  static const Bytes jpeg = [] {
    const std::vector<std::uint8_t> rgb = Picture(1024, 768, 3);
    return IO::EncodeJpegRgb(rgb.data(), 1024, 768, 1024 * 3, 85);
  }();
  return jpeg;
}

void BM_JpegDecodeAlone(benchmark::State& state) {
  const Bytes& jpeg = JpegFile();
  for (auto _ : state) {
    IO::DecodedImage image;
    benchmark::DoNotOptimize(IO::DecodeImage(jpeg.data(), jpeg.size(), image));
  }
}

void BM_JpegMovieFirstDraw(benchmark::State& state) {
  Movie::BitmapDefinition bitmap;
  bitmap.id = 1;
  bitmap.data = JpegFile();
  const Bytes file = BitmapMovie(bitmap, 1024, 768);
  Screen screen(1024, 768);
  for (auto _ : state) {
    std::shared_ptr<const Movie::MovieDefinition> movie = Movie::ParseMovie(file.data(), file.size());
    Movie::MoviePlayer player(movie);
    player.Start();
    Movie::Render::DisplayListRenderer renderer;
    renderer.DrawFrame(player, screen.target, screen.geometry, Movie::Render::Quality::Low);
    benchmark::DoNotOptimize(screen.pixels.data());
  }
}

struct FullScreen {
  std::vector<std::uint8_t> rgba = Picture(640, 480, 4);
  std::shared_ptr<const Movie::MovieDefinition> movie;
  FullScreen() {
    Movie::BitmapDefinition bitmap;
    bitmap.id = 1;
    bitmap.encoding = Movie::BitmapEncoding::Lossless;
    bitmap.format = 5;
    bitmap.width = 640;
    bitmap.height = 480;
    bitmap.data = Tools::LosslessArgb(rgba, 640, 480, false);
    const Bytes file = BitmapMovie(bitmap, 640, 480);
    movie = Movie::ParseMovie(file.data(), file.size());
  }
};

void BM_FullScreenDraw(benchmark::State& state) {
  static FullScreen scene;
  Movie::MoviePlayer player(scene.movie);
  player.Start();
  Movie::Render::DisplayListRenderer renderer;
  Screen screen(640, 480);
  renderer.DrawFrame(player, screen.target, screen.geometry, Movie::Render::Quality::Low);  // decodes
  for (auto _ : state) {
    renderer.DrawFrame(player, screen.target, screen.geometry, Movie::Render::Quality::Low);
    benchmark::DoNotOptimize(screen.pixels.data());
  }
}

void BM_FullScreenCopy(benchmark::State& state) {
  static FullScreen scene;
  std::vector<std::uint8_t> out(scene.rgba.size());
  for (auto _ : state) {
    std::memcpy(out.data(), scene.rgba.data(), out.size());
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::RegisterBenchmark("Jpeg/DecodeAlone", BM_JpegDecodeAlone)->Repetitions(9)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("JpegMovie/DecodeAndFirstDraw", BM_JpegMovieFirstDraw)
      ->Repetitions(9)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("FullScreenBitmap/PlainCopy", BM_FullScreenCopy)->Repetitions(9);
  benchmark::RegisterBenchmark("FullScreenBitmap/Draw640x480", BM_FullScreenDraw)->Repetitions(9);
  if (!Halvane::Bench::InitializeInterleaved(argc, argv)) return 1;
  Halvane::Bench::MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatio("JpegMovie/DecodeAndFirstDraw / Jpeg/DecodeAlone", "JpegMovie/DecodeAndFirstDraw",
                      "Jpeg/DecodeAlone", 1.3);
  reporter.PrintRatio("FullScreenBitmap/Draw640x480 / PlainCopy", "FullScreenBitmap/Draw640x480",
                      "FullScreenBitmap/PlainCopy", 3.0);
  benchmark::Shutdown();
  return 0;
}
