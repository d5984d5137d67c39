// Draw on host screens of 640 x 480 and 2046 x 2046 with a full wave
// (amplitude 30, an entry every 10 degrees), against a baseline measured in
// the same run: one memmove per row with the same row sizes and shifts.
// After the runs the program prints the ratio Draw / baseline per size
// (median CPU times over interleaved repetitions); the goal is 1.1 or less.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "undula/Exports.h"
#include "undula/WaveState.h"

namespace {

int hostWidth = 0;
int hostHeight = 0;

struct Screen {
  int width;
  int height;
  const char* name;
};
const Screen kScreens[] = {{640, 480, "640x480"}, {2046, 2046, "2046x2046"}};

std::vector<std::uint8_t> MakeImage(int width, int height) {
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  std::vector<std::uint8_t> image(stride * height);
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 13);
  return image;
}

// A full wave on a screen of the given size, its phase moved off zero.
void StartFullWave(int width, int height) {
  hostWidth = width;
  hostHeight = height;
  Initialize(0);
  int intResult = 0;
  char textResult[261] = {};
  Message("draw/30,10,1", &intResult, textResult);
  while (Halvane::Undula::State().divisor > 1.0f) Timer();
  for (int i = 0; i < 5; ++i) Timer();
}

void BM_Draw(benchmark::State& run, Screen screen) {
  StartFullWave(screen.width, screen.height);
  std::vector<std::uint8_t> image = MakeImage(screen.width, screen.height);
  for (auto _ : run) {
    Draw(image.data(), 0);
    benchmark::ClobberMemory();
  }
  run.SetBytesProcessed(static_cast<std::int64_t>(run.iterations()) * static_cast<std::int64_t>(image.size()));
}

void BM_MemmovePerRow(benchmark::State& run, Screen screen) {
  StartFullWave(screen.width, screen.height);
  const Halvane::Undula::WaveState& wave = Halvane::Undula::State();
  std::vector<int> shifts;
  for (int y = 0; y < screen.height; ++y) shifts.push_back(wave.shiftTable[(wave.phase + y) % wave.tableLength]);
  std::vector<std::uint8_t> image = MakeImage(screen.width, screen.height);
  const std::size_t rowBytes = static_cast<std::size_t>(screen.width) * 3;
  const std::size_t stride = (rowBytes + 3) & ~std::size_t{3};
  for (auto _ : run) {
    std::uint8_t* row = image.data();
    for (int y = 0; y < screen.height; ++y, row += stride) {
      const int e = shifts[y];
      if (e > 0) {
        std::memmove(row, row + 3 * e, rowBytes - 3 * e);
      } else if (e < 0) {
        std::memmove(row - 3 * e, row, rowBytes + 3 * e);
      }
    }
    benchmark::ClobberMemory();
  }
  run.SetBytesProcessed(static_cast<std::int64_t>(run.iterations()) * static_cast<std::int64_t>(image.size()));
}

// Keeps the console output and remembers each benchmark's CPU time per
// iteration: the median over the repetitions when there are several, else
// the single run. CPU time, because the machine is shared and wall time
// counts the other programs' turns too.
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

extern "C" int VlmGetWindowSize(int* width, int* height) {
  *width = hostWidth;
  *height = hostHeight;
  return 1;
}

int main(int argc, char** argv) {
  for (const Screen& screen : kScreens) {
    benchmark::RegisterBenchmark((std::string("MemmovePerRow/") + screen.name).c_str(), BM_MemmovePerRow, screen);
    benchmark::RegisterBenchmark((std::string("Draw/") + screen.name).c_str(), BM_Draw, screen);
  }
  // Repeated and interleaved by default so that drifts in the machine's load
  // touch both sides alike; flags on the command line override these.
  std::vector<char*> args(argv, argv + argc);
  char repetitions[] = "--benchmark_repetitions=9";
  char interleave[] = "--benchmark_enable_random_interleaving=true";
  char aggregatesOnly[] = "--benchmark_report_aggregates_only=true";
  args.insert(args.begin() + 1, {repetitions, interleave, aggregatesOnly});
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (const Screen& screen : kScreens) {
    const auto draw = reporter.times.find(std::string("Draw/") + screen.name);
    const auto baseline = reporter.times.find(std::string("MemmovePerRow/") + screen.name);
    if (draw == reporter.times.end() || baseline == reporter.times.end() || baseline->second <= 0) continue;
    std::printf("ratio Draw / memmove per row, %s: %.3f (goal: 1.1 or less)\n", screen.name,
                draw->second / baseline->second);
  }
  benchmark::Shutdown();
  return 0;
}
