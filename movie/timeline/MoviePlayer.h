// A loaded movie in play: its definition, the root timeline instance with
// the sprite instances below it, the queue of frame actions and what the
// actions share (their context and the functions registered for external
// calls). The control owns one per loaded movie.
//
// Frame actions run after the display-list changes of a step or a goto, in
// the order the frames were entered; a goto made by an action applies at
// once and queues the actions of its target frame. The number of action
// blocks per run is capped, so movies that jump back and forth from their
// frame actions still end the run.
//
// Worker thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "movie/actions/ActionInterpreter.h"
#include "movie/actions/ExternalCall.h"
#include "movie/swf/SwfRecords.h"
#include "movie/timeline/MovieClip.h"

namespace Halvane::Movie {

class MoviePlayer {
 public:
  // Deepest sprite nesting that gets its own instance; a sprite placed
  // deeper is shown as an inert entry without a timeline.
  static constexpr int MaxNesting = 32;
  // Live timeline instances per movie, the root included.
  static constexpr std::size_t MaxInstances = 8192;
  // Display-list entries of all instances together; placements past it are
  // dropped, so a sprite tree cannot fill memory.
  static constexpr std::size_t MaxDisplayObjects = 1u << 18;
  // Action blocks run per step or goto.
  static constexpr std::size_t MaxBlocksPerRun = 4096;
  // Timeline work a step, and then the actions run after it, may each cause
  // (each frame entered or rebuilt counts one, each display-list tag and
  // each entry carried over one more). Past it, a step leaves the remaining
  // instances where they are and a goto from an action is refused, so a
  // large sprite tree or a movie jumping back and forth over a long
  // timeline cannot hold the control for minutes.
  static constexpr std::size_t MaxTimelineWorkPerRun = 1u << 20;

  explicit MoviePlayer(std::shared_ptr<const MovieDefinition> movie);
  ~MoviePlayer();
  MoviePlayer(const MoviePlayer&) = delete;
  MoviePlayer& operator=(const MoviePlayer&) = delete;

  const MovieDefinition& Definition() const { return *movie_; }
  MovieClip& Root() { return *root_; }
  const MovieClip& Root() const { return *root_; }

  // Enters frame 0 (its display list and actions). Call once, after setting
  // the root variables that frame 0's actions may read.
  void Start();

  // One frame step of the whole movie: the root (when playing; at its last
  // frame it goes back to frame 0 when loop is set, else it stops) and every
  // sprite instance, then the queued actions.
  void Step();

  // The host's goto on the root; false and no change when out of range.
  bool GotoFrame(int frame);

  bool Loop() const { return loop_; }
  void SetLoop(bool loop) { loop_ = loop; }

  ActionContext& Context() { return context_; }
  ExternalCallbacks& Callbacks() { return callbacks_; }

  // Runs the queued frame actions (refilling the instruction budget first)
  // and then destroys the instances removed meanwhile.
  void RunActions();

  // For MovieClip.
  const SpriteDefinition* FindSprite(std::uint16_t id) const;
  bool TakeInstance();
  void ReturnInstance() { --instances_; }
  void QueueActions(MovieClip& clip, const FrameRecord& frame);
  void Bury(std::unique_ptr<MovieClip> clip);
  void ChargeTimelineWork(std::size_t units) { timelineWork_ += units; }
  // The name of a sprite instance placed without one: "instance1",
  // "instance2", ... in the order they are created, so that actions and the
  // host can still reach it by path.
  std::string NextInstanceName() { return "instance" + std::to_string(++unnamedInstances_); }
  // Display-list entries that may still be added (see MaxDisplayObjects).
  std::size_t ObjectsLeft() const { return MaxDisplayObjects - objects_; }
  void AddObjects(std::size_t count) { objects_ += count; }
  void RemoveObjects(std::size_t count) { objects_ -= count; }
  bool TimelineWorkLeft() const { return timelineWork_ < MaxTimelineWorkPerRun; }

 private:
  struct QueuedBlock {
    MovieClip* clip;
    const ByteBlock* code;
  };

  std::shared_ptr<const MovieDefinition> movie_;
  ExternalCallbacks callbacks_;
  ActionContext context_;
  std::size_t instances_ = 0;
  std::uint32_t unnamedInstances_ = 0;
  bool loop_ = true;
  bool running_ = false;
  std::size_t timelineWork_ = 0;
  std::size_t objects_ = 0;
  std::vector<QueuedBlock> queue_;
  std::vector<std::unique_ptr<MovieClip>> removed_;
  std::unique_ptr<MovieClip> root_;
};

}  // namespace Halvane::Movie
