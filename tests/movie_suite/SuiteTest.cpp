// The public suite of the action language (tests/data/avm1): every movie
// runs through the runner swfrun uses, in this one process, and its trace
// text must match what the platform's control printed. The tests listed in
// passing.txt must keep passing; the count of all that pass is printed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "tools/swfrun/MovieRun.h"

namespace Halvane::Tools {
namespace {

const std::string kSuite = VM_TEST_DATA_DIR "/avm1/";

// A fixed wall clock (2021-06-01 12:00 UTC) and zone, so Date objects read
// the same on every machine.
constexpr double kWallClock = 1622548800000.0;
constexpr long kMaxFrames = 10000;

// The platform's control printed the suite on a system whose code page is
// Windows-1252; older movies' texts are read in it here too.
std::string FromWindows1252(const std::string& text) {
  static const char16_t kHigh[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                     0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                     0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
  std::string out;
  for (const char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    const char16_t unit = byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : byte;
    if (unit < 0x80) {
      out += static_cast<char>(unit);
    } else if (unit < 0x800) {
      out += static_cast<char>(0xC0 | (unit >> 6));
      out += static_cast<char>(0x80 | (unit & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (unit >> 12));
      out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (unit & 0x3F));
    }
  }
  return out;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty()) lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

std::vector<std::string> SuiteTests() {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(kSuite, error)) {
    if (entry.is_directory(error)) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// frames = N from test.toml; 1 when it is missing or out of range.
long FramesOf(const std::string& name) {
  for (const std::string& line : Lines(ReadText(kSuite + name + "/test.toml"))) {
    if (line.compare(0, 6, "frames") != 0) continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const long frames = std::strtol(line.c_str() + equals + 1, nullptr, 10);
    if (frames >= 1 && frames <= kMaxFrames) return frames;
  }
  return 1;
}

struct Outcome {
  bool loaded = false;
  std::string trace;
};

Outcome RunMovie(const std::string& name) {
  Outcome outcome;
  MovieRun run;
  Movie::MovieServices services;
  services.trace = [&outcome](const std::string& line) {
    outcome.trace += line;
    outcome.trace += '\n';
  };
  services.wallClock = [] { return kWallClock; };
  services.localOffsetMinutes = [](double) { return 0; };
  services.legacyText = FromWindows1252;
  run.SetServices(services);
  std::string error;
  outcome.loaded = run.Load(kSuite + name + "/movie.swf", error);
  if (!outcome.loaded) return outcome;
  const long frames = FramesOf(name);
  for (long frame = 2; frame <= frames; ++frame) run.StepFrame();
  return outcome;
}

// The first line where the two texts part, for the failure message.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
  std::size_t at = 0;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
  const std::size_t lineStart = expected.rfind('\n', at == 0 ? 0 : at - 1);
  const std::size_t from = lineStart == std::string::npos || at == 0 ? 0 : lineStart + 1;
  auto lineAt = [from](const std::string& text) {
    if (from >= text.size()) return std::string("<end>");
    return text.substr(from, text.find('\n', from) - from);
  };
  return "expected \"" + lineAt(expected) + "\", got \"" + lineAt(actual) + "\"";
}

TEST(ActionSuite, ListedTestsKeepPassing) {
  const std::vector<std::string> tests = SuiteTests();
  ASSERT_GE(tests.size(), 400u) << "the suite is missing from " << kSuite;
  const std::vector<std::string> listed = Lines(ReadText(kSuite + "passing.txt"));
  const std::set<std::string> listedSet(listed.begin(), listed.end());
  EXPECT_EQ(listedSet.size(), listed.size()) << "passing.txt names a test twice";

  std::size_t passed = 0;
  std::vector<std::string> unlisted;
  for (const std::string& name : tests) {
    const Outcome outcome = RunMovie(name);
    const std::string expected = ReadText(kSuite + name + "/expected.txt");
    const bool passes = outcome.loaded && outcome.trace == expected;
    if (passes) ++passed;
    if (passes && listedSet.count(name) == 0) unlisted.push_back(name);
    if (listedSet.count(name) != 0) {
      EXPECT_TRUE(outcome.loaded) << name << ": the movie did not load";
      EXPECT_TRUE(passes) << name << ": " << FirstDifference(expected, outcome.trace);
    }
  }
  for (const std::string& name : listed) {
    EXPECT_TRUE(std::binary_search(tests.begin(), tests.end(), name)) << "passing.txt names " << name
                                                                      << ", which the suite lacks";
  }
  std::printf("action suite: %zu of %zu tests pass (%zu listed)\n", passed, tests.size(), listed.size());
  for (const std::string& name : unlisted) std::printf("passes, not yet in passing.txt: %s\n", name.c_str());
}

}  // namespace
}  // namespace Halvane::Tools
