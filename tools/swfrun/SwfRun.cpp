// swfrun [--frames N] [--png DIR] MOVIE.swf
//
// Runs a movie headless in the built-in movie control, loaded as the
// player loads it: its first frame, then N - 1 more frame steps (N is 1
// unless given), with no host input. Every trace line of the movie goes to
// standard output, one line each, and nothing else does; with --png each
// frame's picture is written to DIR as frame-0001.png, frame-0002.png, ...
// Exit status 0 when the movie loaded; otherwise a message on standard
// error and status 1 (2 for a wrong command line).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/Pictures.h"
#include "platform/ConsoleOutput.h"
#include "tools/swfrun/MovieRun.h"

namespace {

constexpr long kMaxFrames = 1000000;

int Usage(const std::string& problem) {
  std::fprintf(stderr, "swfrun: %s\nusage: swfrun [--frames N] [--png DIR] MOVIE.swf\n", problem.c_str());
  return 2;
}

bool WritePicture(const std::string& folder, int frame, const Halvane::Tools::FramePicture& picture) {
  char name[32];
  std::snprintf(name, sizeof name, "frame-%04d.png", frame);
  Halvane::Host::RgbImage image;
  image.width = picture.width;
  image.height = picture.height;
  image.rgb = picture.rgb;
  return Halvane::Host::WritePng(folder + "/" + name, image);
}

}  // namespace

int main(int argc, char** argv) {
  Halvane::Platform::UseByteExactStandardStreams();
  long frames = 1;
  std::string pngFolder;
  std::string moviePath;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--frames") {
      if (i + 1 >= argc) return Usage("--frames needs a number");
      char* end = nullptr;
      frames = std::strtol(argv[++i], &end, 10);
      if (end == argv[i] || *end != '\0' || frames < 1 || frames > kMaxFrames) {
        return Usage("--frames needs a whole number from 1 to " + std::to_string(kMaxFrames));
      }
    } else if (arg == "--png") {
      if (i + 1 >= argc) return Usage("--png needs a folder");
      pngFolder = argv[++i];
    } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
      return Usage("unknown option " + arg);
    } else if (moviePath.empty()) {
      moviePath = arg;
    } else {
      return Usage("one movie at a time");
    }
  }
  if (moviePath.empty()) return Usage("no movie given");

  Halvane::Tools::MovieRun run;
  Halvane::Movie::MovieServices services;
  services.trace = [](const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
  };
  run.SetServices(services);
  std::string error;
  if (!run.Load(moviePath, error)) {
    std::fflush(stdout);
    std::fprintf(stderr, "swfrun: %s\n", error.c_str());
    return 1;
  }
  for (long frame = 1; frame <= frames; ++frame) {
    if (frame > 1) run.StepFrame();
    if (!pngFolder.empty() && !WritePicture(pngFolder, static_cast<int>(frame), run.Picture())) {
      std::fflush(stdout);
      std::fprintf(stderr, "swfrun: cannot write frame %ld to %s\n", frame, pngFolder.c_str());
      return 1;
    }
  }
  std::fflush(stdout);
  return 0;
}
