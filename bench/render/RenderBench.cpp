// The rasterizer at 640 x 480, high quality (16 samples per pixel), against
// Cairo drawing the same flattened paths with the same fills in the same run
// (Cairo's own anti-aliasing into its 32-bit image):
// - each reference movie's first frame drawn by the control (OleDraw into a
//   24-bit bottom-up DIB section, walker and cached shapes included), and
//   the same frame's calls drawn by Cairo;
// - synthetic scenes like the reference movies drawn by the canvas into the
//   plug-in's 24-bit bottom-up bitmap and into a 32-bit one.
// After the runs the program prints our time / Cairo's per frame and scene
// (median CPU times over interleaved repetitions); the goal is 1.0 or less.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "BenchScenes.h"
#include "Oracle.h"
#include "ReferenceFrames.h"

namespace {

using namespace Halvane::Movie::Render;
using namespace Halvane::Movie::Render::Bench;

std::vector<Scene>& Scenes() {
  static std::vector<Scene> scenes = MakeScenes();
  return scenes;
}

Oracle* TheOracle() {
  static std::unique_ptr<Oracle> oracle = MakeOracle();
  return oracle.get();
}

void BM_Rasterizer(benchmark::State& run, const Scene* scene, int bytesPerPixel) {
  const std::size_t stride = (static_cast<std::size_t>(Width) * bytesPerPixel + 3) & ~std::size_t{3};
  std::vector<std::uint8_t> pixels(stride * Height, 255);
  PixelView view;
  view.top = pixels.data() + stride * (Height - 1);
  view.stride = -static_cast<std::ptrdiff_t>(stride);
  view.width = Width;
  view.height = Height;
  view.bytesPerPixel = bytesPerPixel;
  Canvas canvas;
  for (auto _ : run) {
    canvas.Begin(view, Quality::High);
    for (const SceneShape& shape : scene->shapes) canvas.DrawShape(shape.layer, shape.placement);
    canvas.End();
    benchmark::ClobberMemory();
  }
}

std::vector<std::unique_ptr<ReferenceFrame>>& Frames() {
  static std::vector<std::unique_ptr<ReferenceFrame>> frames = [] {
    std::vector<std::unique_ptr<ReferenceFrame>> all;
    for (const std::string& folder : ReferenceFolders()) {
      auto frame = std::make_unique<ReferenceFrame>(folder);
      if (frame->Valid()) all.push_back(std::move(frame));
    }
    return all;
  }();
  return frames;
}

void BM_Control(benchmark::State& run, ReferenceFrame* frame) {
  for (auto _ : run) {
    frame->DrawWithControl();
    benchmark::ClobberMemory();
  }
}

void BM_OracleFrame(benchmark::State& run, const ReferenceFrame* frame) {
  TheOracle()->Prepare(*frame);
  for (auto _ : run) {
    TheOracle()->Draw(*frame);
    benchmark::ClobberMemory();
  }
}

void BM_Oracle(benchmark::State& run, const Scene* scene) {
  TheOracle()->Prepare(*scene);
  for (auto _ : run) {
    TheOracle()->Draw(*scene);
    benchmark::ClobberMemory();
  }
}

// Keeps the console output and remembers each benchmark's CPU time per
// iteration: the median over the repetitions when there are several, else
// the single run.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) {
      if (r.error_occurred) continue;
      const std::string name = r.run_name.str();
      if (r.run_type == Run::RT_Iteration && medians.count(name) == 0) {
        times[name] = r.GetAdjustedCPUTime();
      } else if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median") {
        times[name] = r.GetAdjustedCPUTime();
        medians[name] = true;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> times;
  std::map<std::string, bool> medians;
};

}  // namespace

int main(int argc, char** argv) {
  for (const auto& frame : Frames()) {
    benchmark::RegisterBenchmark(("Control/" + frame->Name()).c_str(), BM_Control, frame.get());
    if (TheOracle()) {
      benchmark::RegisterBenchmark((std::string(TheOracle()->Name()) + "/" + frame->Name()).c_str(), BM_OracleFrame,
                                   frame.get());
    }
  }
  for (const Scene& scene : Scenes()) {
    benchmark::RegisterBenchmark(("Rasterizer24/" + scene.name).c_str(), BM_Rasterizer, &scene, 3);
    benchmark::RegisterBenchmark(("Rasterizer32/" + scene.name).c_str(), BM_Rasterizer, &scene, 4);
    if (TheOracle())
      benchmark::RegisterBenchmark((std::string(TheOracle()->Name()) + "/" + scene.name).c_str(), BM_Oracle, &scene);
  }
  // Repeated and interleaved by default so that drifts in the machine's load
  // touch both sides alike; flags on the command line override these.
  std::vector<char*> args(argv, argv + argc);
  char repetitions[] = "--benchmark_repetitions=7";
  char interleave[] = "--benchmark_enable_random_interleaving=true";
  char aggregatesOnly[] = "--benchmark_report_aggregates_only=true";
  args.insert(args.begin() + 1, {repetitions, interleave, aggregatesOnly});
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  if (!TheOracle()) {
    std::printf("no oracle built in (Cairo not found): no ratios\n");
  } else {
    for (const auto& frame : Frames()) {
      const auto oracle = reporter.times.find(std::string(TheOracle()->Name()) + "/" + frame->Name());
      const auto t = reporter.times.find("Control/" + frame->Name());
      if (oracle == reporter.times.end() || oracle->second <= 0 || t == reporter.times.end()) continue;
      std::printf("ratio Control/%s / %s: %.3f (goal: 1.0 or less)\n", frame->Name().c_str(), TheOracle()->Name(),
                  t->second / oracle->second);
    }
    for (const Scene& scene : Scenes()) {
      const auto oracle = reporter.times.find(std::string(TheOracle()->Name()) + "/" + scene.name);
      if (oracle == reporter.times.end() || oracle->second <= 0) continue;
      for (const char* ours : {"Rasterizer24/", "Rasterizer32/"}) {
        const auto t = reporter.times.find(ours + scene.name);
        if (t == reporter.times.end()) continue;
        std::printf("ratio %s%s / %s: %.3f (goal: 1.0 or less)\n", ours, scene.name.c_str(), TheOracle()->Name(),
                    t->second / oracle->second);
      }
    }
  }
  benchmark::Shutdown();
  return 0;
}
