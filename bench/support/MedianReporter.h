// What the benchmarks of several subsystems share: a reporter that keeps the
// median of every repeated benchmark, so that a program can print the ratio
// of a measurement to its baseline from the same run, and the start of a
// run with random interleaving (on a shared machine the load changes from
// second to second; interleaving gives every measurement the same share).
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace Halvane::Bench {

class MedianReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, Run> medians;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        medians[run.run_name.function_name] = run;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // The median wall time of a benchmark, 0 when it did not run.
  double Median(const std::string& name) const {
    const auto found = medians.find(name);
    return found == medians.end() ? 0.0 : found->second.GetAdjustedRealTime();
  }

  // Prints "ratio NAME / BASELINE" with the target, when both ran.
  void PrintRatio(const std::string& label, const std::string& name, const std::string& baseline,
                  double target) const {
    const double a = Median(name);
    const double b = Median(baseline);
    if (a <= 0 || b <= 0) return;
    std::printf("ratio %-44s %6.3f  (target <= %.2f: %s)\n", label.c_str(), a / b, target,
                a / b <= target ? "met" : "NOT met");
  }
};

// benchmark::Initialize with random interleaving on unless the command line
// says otherwise; false when the command line has arguments it does not know.
inline bool InitializeInterleaved(int argc, char** argv) {
  std::vector<char*> arguments(argv, argv + argc);
  static char interleave[] = "--benchmark_enable_random_interleaving=true";
  arguments.insert(arguments.begin() + 1, interleave);
  int count = static_cast<int>(arguments.size());
  benchmark::Initialize(&count, arguments.data());
  return !benchmark::ReportUnrecognizedArguments(count, arguments.data());
}

}  // namespace Halvane::Bench
