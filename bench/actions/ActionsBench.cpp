// The action interpreter against Node.js started with --jitless, on the
// same script in the same run (median wall times of interleaved
// repetitions):
// - Script/Interpreter: one call of bench(n) (Workload.h) from the host
//   into a loaded movie, as an external call reaches it, with the garbage
//   collection the player runs after it; loading is not timed;
// - Script/NodeJitless: one call of the same function in Workload.js,
//   timed by the script itself over a number of calls after a warm-up call,
//   so the start of the process is not counted.
// Both checksums must agree before anything is measured. The program then
// prints our time / Node's (goal: 3 or less).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bench/actions/Workload.h"
#include "bench/support/MedianReporter.h"
#include "movie/actions/ActionInterpreter.h"
#include "movie/actions/ExternalCall.h"
#include "movie/swf/SwfParser.h"
#include "movie/timeline/MoviePlayer.h"

namespace {

using namespace Halvane;

// Iterations of each loop of the workload, and calls per run of Node.
constexpr int kSize = 1000;
constexpr int kNodeCalls = 50;

class LoadedWorkload {
 public:
  LoadedWorkload() {
    const Tools::Bytes file = Bench::WorkloadMovie();
    player_ = std::make_unique<Movie::MoviePlayer>(Movie::ParseMovie(file.data(), file.size()));
    player_->Start();
  }
  bool Ready() const { return player_->Callbacks().Find("bench") != nullptr; }

  // bench(n)'s answer; NaN when the call did not answer a number.
  double Call(int n) {
    const Movie::ExternalCallbacks::Callback* bench = player_->Callbacks().Find("bench");
    if (bench == nullptr) return std::numeric_limits<double>::quiet_NaN();
    Movie::ActionContext& context = player_->Context();
    // The frame's budget would stop the call part way; the benchmark
    // measures the work, not the cap.
    context.instructionBudget = std::numeric_limits<std::size_t>::max();
    const Movie::ActionValue result = Movie::CallActionFunction(bench->function, bench->thisValue,
                                                                {Movie::ActionValue::Number(n)},
                                                                player_->Root(), context);
    Movie::CollectGarbage(player_->Root(), context);
    return result.IsNumber() ? result.NumberValue() : std::numeric_limits<double>::quiet_NaN();
  }

 private:
  std::unique_ptr<Movie::MoviePlayer> player_;
};

LoadedWorkload& Workload() {
  static LoadedWorkload workload;
  return workload;
}

std::string NodeProgram() {
  const char* chosen = std::getenv("VM_BENCH_NODE");
  return chosen != nullptr && *chosen != '\0' ? chosen : "node";
}

// Quoted only when it has to be: cmd.exe drops the outer quotes of a
// command line that starts with one.
std::string Quoted(const std::string& text) {
  return text.find(' ') == std::string::npos ? text : "\"" + text + "\"";
}

// Runs a command with its standard output (and error) in files of the
// temporary folder; the output text, or nothing when the command failed.
std::optional<std::string> Run(const std::string& command) {
  static int runs = 0;
  const std::filesystem::path folder = std::filesystem::temp_directory_path();
  const std::string stem = "bench_actions_" + std::to_string(++runs);
  const std::filesystem::path out = folder / (stem + ".out");
  const std::filesystem::path err = folder / (stem + ".err");
  const std::string line = command + " >" + Quoted(out.string()) + " 2>" + Quoted(err.string());
  const int status = std::system(line.c_str());
  std::ifstream in(out, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();
  std::error_code ignored;
  std::filesystem::remove(out, ignored);
  std::filesystem::remove(err, ignored);
  if (status != 0) return std::nullopt;
  return text;
}

struct NodeResult {
  double checksum = 0;
  double secondsPerCall = 0;
};

std::optional<NodeResult> RunNode(int n, int calls) {
  const std::optional<std::string> text = Run(Quoted(NodeProgram()) + " --jitless " + Quoted(VM_WORKLOAD_SCRIPT) +
                                              " " + std::to_string(n) + " " + std::to_string(calls));
  if (!text) return std::nullopt;
  NodeResult result;
  const std::size_t sum = text->find("checksum ");
  const std::size_t elapsed = text->find("elapsed_ns ");
  if (sum == std::string::npos || elapsed == std::string::npos) return std::nullopt;
  result.checksum = std::strtod(text->c_str() + sum + 9, nullptr);
  result.secondsPerCall = std::strtod(text->c_str() + elapsed + 11, nullptr) / 1e9 / calls;
  return result;
}

void BM_Interpreter(benchmark::State& state) {
  LoadedWorkload& workload = Workload();
  for (auto _ : state) benchmark::DoNotOptimize(workload.Call(kSize));
}

void BM_NodeJitless(benchmark::State& state) {
  for (auto _ : state) {
    const std::optional<NodeResult> node = RunNode(kSize, kNodeCalls);
    if (!node) {
      state.SkipWithError("node did not run the workload");
      break;
    }
    state.SetIterationTime(node->secondsPerCall);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (!Workload().Ready()) {
    std::printf("the workload movie did not register bench(n): nothing to measure\n");
    return 1;
  }
  const double ours = Workload().Call(kSize);
  std::printf("checksum, interpreter: %.17g\n", ours);
  const std::optional<NodeResult> node = RunNode(kSize, 1);
  if (!node) {
    std::printf("%s --jitless did not run %s: Node.js missing? measuring the interpreter alone\n",
                NodeProgram().c_str(), VM_WORKLOAD_SCRIPT);
  } else {
    std::printf("checksum, node --jitless: %.17g\n", node->checksum);
    if (node->checksum != ours) {
      std::printf("the checksums differ: the two scripts do different work, no ratio\n");
      return 1;
    }
  }

  benchmark::RegisterBenchmark("Script/Interpreter", BM_Interpreter)
      ->Repetitions(7)
      ->Unit(benchmark::kMillisecond);
  if (node) {
    benchmark::RegisterBenchmark("Script/NodeJitless", BM_NodeJitless)
        ->UseManualTime()
        ->Iterations(1)
        ->Repetitions(7)
        ->Unit(benchmark::kMillisecond);
  }
  if (!Bench::InitializeInterleaved(argc, argv)) return 1;
  Bench::MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatio("Script/Interpreter / Script/NodeJitless", "Script/Interpreter", "Script/NodeJitless", 3.0);
  benchmark::Shutdown();
  return 0;
}
