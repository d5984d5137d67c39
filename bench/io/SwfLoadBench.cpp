// Building the control load stream of a 32 MiB movie, stored ("FWS") and
// compressed ("CWS"), against baselines measured in the same run: memcpy of
// 32 MiB, plain read() of the same file into a preallocated buffer (whole
// and in 512 KiB calls; the faster of the two is the baseline), and
// zlib's own uncompress of the same compressed body. After the runs the
// ratios are printed (median of the repetitions, on CPU time, which a busy
// shared machine disturbs less than wall time; wall-time ratios beside):
//   FWS build / plain read      target at most 1.5
//   CWS build / uncompress      target at most 1.10
// "into a ready destination" builds into a destination made before the
// timing, like the baselines' preallocated buffers; "with its destination"
// also creates the destination as the player does, paying for fresh pages.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "io/MemoryStream.h"
#include "io/SwfLoadStream.h"
#include "tools/SwfWriter.h"

namespace {

using Halvane::Tools::Bytes;
using namespace Halvane::IO;

constexpr std::size_t kMovieSize = 32u << 20;
constexpr std::size_t kPropertySize = 1024;

// Movie-like content in 4 KiB blocks: noise (as image data would be), runs
// of repeated records with small changes (as shapes and display lists), and
// repeated text (as action strings and names). Compresses to about half.
Bytes MovieBody(std::size_t n) {
  Bytes out(n);
  std::uint32_t x = 12345;
  const auto next = [&x] {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return x;
  };
  static const char kText[] = "gotoAndPlay_root.menu.buttononEnterFrame loadVariables ";
  for (std::size_t block = 0; block < n; block += 4096) {
    const std::size_t end = block + 4096 < n ? block + 4096 : n;
    const std::uint32_t kind = next() % 3;
    for (std::size_t i = block; i < end; ++i) {
      switch (kind) {
        case 0: out[i] = static_cast<std::uint8_t>(next()); break;
        case 1: out[i] = static_cast<std::uint8_t>((i % 24) * 5 + ((next() & 15) == 0 ? 1 : 0)); break;
        default: out[i] = static_cast<std::uint8_t>(kText[(i + block / 7) % (sizeof kText - 1)]); break;
      }
    }
  }
  return out;
}

struct Movies {
  std::string dir;
  std::string plainPath;
  std::string compressedPath;
  Bytes plain;
  Bytes compressedBody;  // the zlib stream after the 8-byte header
  Bytes properties;

  Movies() {
    char pattern[] = "/tmp/bench_swf_load_XXXXXX";
    dir = mkdtemp(pattern) ? pattern : "/tmp";
    const Bytes body = MovieBody(kMovieSize - 8);
    plain = Halvane::Tools::MakeSwfFile(body, 10, false);
    const Bytes compressed = Halvane::Tools::MakeSwfFile(body, 10, true);
    compressedBody.assign(compressed.begin() + 8, compressed.end());
    plainPath = dir + "/plain.swf";
    compressedPath = dir + "/compressed.swf";
    Save(plainPath, plain);
    Save(compressedPath, compressed);
    properties.resize(kPropertySize);
    for (std::size_t i = 0; i < properties.size(); ++i) properties[i] = static_cast<std::uint8_t>(i);
  }
  ~Movies() {
    std::remove(plainPath.c_str());
    std::remove(compressedPath.c_str());
    rmdir(dir.c_str());
  }
  static void Save(const std::string& path, const Bytes& data) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) std::abort();
    std::fwrite(data.data(), 1, data.size(), f);
    std::fclose(f);
  }
};

Movies& TheMovies() {
  static Movies movies;
  return movies;
}

MemoryStream* PropertyStream() {
  MemoryStream* p = nullptr;
  if (FAILED(CreateMemoryStream(0, &p))) std::abort();
  const Bytes& bytes = TheMovies().properties;
  p->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
  LARGE_INTEGER zero;
  zero.QuadPart = 0;
  p->Seek(zero, STREAM_SEEK_SET, nullptr);
  return p;
}

void BM_Memcpy(benchmark::State& state) {
  const Bytes& source = TheMovies().plain;
  Bytes target(source.size());
  for (auto _ : state) {
    std::memcpy(target.data(), source.data(), source.size());
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * source.size()));
}

// Plain read() calls of chunk bytes each (0: the whole file at once) into a
// buffer allocated and touched before the timing.
void PlainRead(benchmark::State& state, std::size_t chunk) {
  const std::string& path = TheMovies().plainPath;
  Bytes target(TheMovies().plain.size());
  for (auto _ : state) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    std::size_t done = 0;
    while (done < target.size()) {
      const std::size_t want = chunk == 0 || target.size() - done < chunk ? target.size() - done : chunk;
      const ssize_t n = ::read(fd, target.data() + done, want);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (done != target.size()) state.SkipWithError("short read");
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * target.size()));
}

void BM_PlainRead(benchmark::State& state) { PlainRead(state, 0); }
void BM_PlainReadChunked(benchmark::State& state) { PlainRead(state, 0x80000); }

void BM_Uncompress(benchmark::State& state) {
  const Bytes& body = TheMovies().compressedBody;
  Bytes target(kMovieSize - 8);
  for (auto _ : state) {
    uLongf size = static_cast<uLongf>(target.size());
    if (uncompress(target.data(), &size, body.data(), static_cast<uLong>(body.size())) != Z_OK) {
      state.SkipWithError("uncompress failed");
    }
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * target.size()));
}

// The player's steps: length, destination, build.
void BuildFromFile(benchmark::State& state, const std::string& path, bool readyDestination) {
  MemoryStream* properties = PropertyStream();
  MemoryStream* ready = nullptr;
  ULONG length = 0;
  if (FAILED(GetSwfFileLength(path.c_str(), 0, 0, &length))) std::abort();
  if (readyDestination && FAILED(CreateSwfLoadDestination(properties, length, &ready))) {
    std::abort();
  }
  for (auto _ : state) {
    MemoryStream* destination = ready;
    if (!readyDestination) {
      if (FAILED(GetSwfFileLength(path.c_str(), 0, 0, &length)) ||
          FAILED(CreateSwfLoadDestination(properties, length, &destination))) {
        state.SkipWithError("no destination");
        break;
      }
    }
    if (FAILED(BuildSwfLoadStreamFromFile(path.c_str(), 0, 0, properties, destination))) {
      state.SkipWithError("build failed");
    }
    benchmark::ClobberMemory();
    if (!readyDestination) destination->Release();
  }
  if (ready != nullptr) {
    // The bytes must be the movie, or the timing means nothing.
    if (std::memcmp(ready->Data() + 8, TheMovies().plain.data(), TheMovies().plain.size()) != 0) {
      state.SkipWithError("wrong load stream");
    }
    ready->Release();
  }
  properties->Release();
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kMovieSize));
}

void BM_BuildFws(benchmark::State& state) { BuildFromFile(state, TheMovies().plainPath, true); }
void BM_BuildCws(benchmark::State& state) { BuildFromFile(state, TheMovies().compressedPath, true); }
void BM_BuildFwsWithDestination(benchmark::State& state) {
  BuildFromFile(state, TheMovies().plainPath, false);
}
void BM_BuildCwsWithDestination(benchmark::State& state) {
  BuildFromFile(state, TheMovies().compressedPath, false);
}

constexpr int kRepetitions = 5;
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions);
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions);
BENCHMARK(BM_PlainReadChunked)->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions);
BENCHMARK(BM_Uncompress)->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions);
BENCHMARK(BM_BuildFws)->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions);
BENCHMARK(BM_BuildCws)->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions);
BENCHMARK(BM_BuildFwsWithDestination)->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions);
BENCHMARK(BM_BuildCwsWithDestination)->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions);

// Keeps the median CPU and wall times of every benchmark for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  struct Times {
    double cpu = 0;
    double real = 0;
  };
  std::map<std::string, Times> medians;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        medians[run.run_name.function_name] = {run.GetAdjustedCPUTime(),
                                               run.GetAdjustedRealTime()};
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

void PrintRatio(const RatioReporter& r, const char* what, const char* measured,
                const char* baseline, double target) {
  const auto m = r.medians.find(measured);
  const auto b = r.medians.find(baseline);
  if (m == r.medians.end() || b == r.medians.end() || b->second.cpu <= 0 || b->second.real <= 0) {
    return;
  }
  const double ratio = m->second.cpu / b->second.cpu;
  std::printf("ratio %-44s cpu %6.3f  wall %6.3f", what, ratio, m->second.real / b->second.real);
  if (target > 0) std::printf("  (target <= %.2f: %s)", target, ratio <= target ? "met" : "NOT met");
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  TheMovies();  // files written before any timing
  std::printf("movie %zu bytes, compressed body %zu bytes (%.1f%%)\n", TheMovies().plain.size(),
              TheMovies().compressedBody.size(),
              100.0 * static_cast<double>(TheMovies().compressedBody.size()) /
                  static_cast<double>(TheMovies().plain.size()));
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n");
  // The plain-read baseline is the faster of the two ways of reading.
  const auto whole = reporter.medians.find("BM_PlainRead");
  const auto chunked = reporter.medians.find("BM_PlainReadChunked");
  if (whole != reporter.medians.end() && chunked != reporter.medians.end()) {
    reporter.medians["plain read"] =
        whole->second.cpu <= chunked->second.cpu ? whole->second : chunked->second;
  }
  PrintRatio(reporter, "FWS build / plain read", "BM_BuildFws", "plain read", 1.5);
  PrintRatio(reporter, "CWS build / uncompress", "BM_BuildCws", "BM_Uncompress", 1.10);
  PrintRatio(reporter, "FWS build with its destination / plain read",
             "BM_BuildFwsWithDestination", "plain read", 1.5);
  PrintRatio(reporter, "CWS build with its destination / uncompress",
             "BM_BuildCwsWithDestination", "BM_Uncompress", 1.10);
  PrintRatio(reporter, "FWS build / memcpy", "BM_BuildFws", "BM_Memcpy", 0);
  PrintRatio(reporter, "plain read (faster way) / memcpy", "plain read", "BM_Memcpy", 0);
  benchmark::Shutdown();
  return 0;
}
