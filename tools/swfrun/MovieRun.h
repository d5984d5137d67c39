// A movie run headless in the built-in control, loaded the way the player
// loads it: a throw-away control's saved properties, the movie spliced
// into them (the load stream), and Load of that stream. swfrun and the
// tests of the action language's suite run movies through this.
//
// Not thread-safe: one thread uses a run.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "movie/control/MovieControl.h"

namespace Halvane::Tools {

// One frame's picture: the stage at its size, 24-bit RGB rows top down.
struct FramePicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
};

class MovieRun {
 public:
  MovieRun();
  ~MovieRun();
  MovieRun(const MovieRun&) = delete;
  MovieRun& operator=(const MovieRun&) = delete;

  // Where the movie's trace lines go, and the wall clock of its Date
  // objects (empty: the system's). Set before Load.
  void SetServices(Movie::MovieServices services) { services_ = std::move(services); }

  // Loads the movie file at path and runs its first frame. False, with a
  // message for a person in error, when it did not load.
  bool Load(const std::string& path, std::string& error);

  // One more frame step (the movie's time moves on by one frame).
  void StepFrame();

  // The current frame as the control draws it.
  FramePicture Picture();

 private:
  Movie::MovieControl* control_ = nullptr;
  Movie::MovieServices services_;
};

}  // namespace Halvane::Tools
