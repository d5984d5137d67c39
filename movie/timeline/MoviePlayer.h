// A loaded movie in play: its definition, the root timeline instance with
// the instances below it, the order they run in, the queue of actions and
// what the actions share (their context and the functions registered for
// external calls). The control owns one per loaded movie.
//
// The order of a frame step is the platform player's: every timeline
// instance takes its step (its enterFrame event, then its next frame) in
// the order of the execution list, newest instance first and the root
// last; the actions this queues run afterwards. Actions run by priority:
// first the init actions (DoInitAction, onClipEvent(initialize)), then
// construction (the classes registered for symbols, onClipEvent(construct)),
// then the frame actions and the other clip events, each kind in the order
// it was queued. A goto made by an action applies at once and queues the
// actions of its target frame. The number of action blocks per run is
// capped, so movies that jump back and forth from their frame actions still
// end the run.
//
// Worker thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "movie/actions/ActionInterpreter.h"
#include "movie/actions/ExternalCall.h"
#include "movie/swf/SwfRecords.h"
#include "movie/timeline/MovieClip.h"
#include "movie/timeline/TextFieldInstance.h"

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
  static constexpr std::size_t MaxBlocksPerRun = 1u << 16;
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
  // The definition shared, for what keeps data of the movie (the renderer's
  // caches) beyond one call.
  const std::shared_ptr<const MovieDefinition>& SharedDefinition() const { return movie_; }
  MovieClip& Root() { return *root_; }
  const MovieClip& Root() const { return *root_; }

  // Enters frame 0 (its display list and actions). Call once, after setting
  // the root variables that frame 0's actions may read.
  void Start();

  // One frame step of the whole movie (see above), then the queued actions.
  void Step();

  // The host's goto on the root; false and no change when out of range.
  bool GotoFrame(int frame);

  bool Loop() const { return loop_; }
  void SetLoop(bool loop) { loop_ = loop; }

  ActionContext& Context() { return context_; }
  ExternalCallbacks& Callbacks() { return callbacks_; }

  // Runs the queued actions (refilling the instruction budget first) and
  // then destroys the instances removed meanwhile and the objects the
  // movie can no longer reach.
  void RunActions();

  // Text fields with a variable show its value: each field's text becomes
  // the variable's (seen from the field's timeline) where it has one. Done
  // after every run of actions, so that what the actions and the host's
  // SetVariable store shows in the next frame drawn.
  void UpdateBoundFields();

  // Calls the timers of setInterval and setTimeout due at the movie's time
  // now (milliseconds), then the actions they queued.
  void RunTimers(double now);

  // For MovieClip and TextFieldInstance.
  const SpriteDefinition* FindSprite(std::uint16_t id) const;
  const EditTextDefinition* FindEditText(std::uint16_t id) const;
  const ButtonDefinition* FindButton(std::uint16_t id) const;
  const SoundDefinition* FindSound(std::uint16_t id) const;
  const StaticTextDefinition* FindStaticText(std::uint16_t id) const;
  const FontDefinition* FindFont(std::uint16_t id) const;
  // The character exported under name (0: none), and the name of one.
  std::uint16_t FindExport(const std::string& name) const;
  std::string ExportName(std::uint16_t id) const;
  // Bounds (twips, the character's own space) of a shape or morph shape
  // at ratio; false for characters without them. CharacterHit: whether a
  // point of that space lies on the character's filled area.
  bool CharacterBounds(std::uint16_t id, std::uint16_t ratio, double box[4]) const;
  bool CharacterHit(std::uint16_t id, double x, double y) const;
  bool TakeInstance();
  void ReturnInstance() { --instances_; }
  // A new timeline instance joins the execution list; one placed by the
  // timeline gets its initialize and construct events queued (scripts
  // construct theirs themselves). Its load event is queued either way.
  void Instantiate(MovieClip& clip, bool placedByTimeline);
  void TextFieldPlaced(TextFieldInstance& field);
  void QueueActions(MovieClip& clip, const FrameRecord& frame);
  void QueueAction(MovieClip& clip, const ByteBlock& actions);
  // The DoInitAction blocks of a frame of the root that have not run yet.
  void QueueInitActions(MovieClip& root, const FrameRecord& frame);
  // Queues an event of clip when it has a handler for it.
  // False when the clip has nothing for the event.
  bool QueueEvent(MovieClip& clip, std::uint32_t event);
  // Queues the unload event of a removed instance; false when it has no
  // handler (then its script object can go at once).
  bool QueueUnload(MovieClip& clip);
  bool HasUnloadHandler(MovieClip& clip);
  // A sprite the timeline removed but keeps until the next step.
  void DeferRemoval(MovieClip& clip) { deferred_.push_back(&clip); }
  void Bury(std::unique_ptr<MovieClip> clip);
  void Bury(std::unique_ptr<TextFieldInstance> field);
  void Forget(MovieClip& clip);
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

  // The settings scripts reach through every timeline's _quality,
  // _focusrect and _soundbuftime: one for the whole player.
  struct Settings {
    int quality = 2;  // 0 LOW, 1 MEDIUM, 2 HIGH, 3 BEST
    bool focusRect = true;
    std::int32_t soundBufferSeconds = 5;
  };
  Settings& PlayerSettings() { return settings_; }
  const Settings& PlayerSettings() const { return settings_; }

 private:
  enum Priority { Init = 0, Construct = 1, Normal = 2, Priorities = 3 };
  struct QueuedAction {
    MovieClip* clip = nullptr;
    const ByteBlock* code = nullptr;  // frame or init actions
    std::uint32_t event = 0;          // else: a clip event
    // Construct: the load event still to queue once the class is known
    // (an init action may register it after the instance was placed).
    bool loadAfter = false;
  };
  void Queue(Priority priority, QueuedAction action);
  void RunEvent(MovieClip& clip, std::uint32_t event);
  void UpdateFields(MovieClip& clip);
  // placing: the field is new, and its text becomes the first value of a
  // variable that does not exist yet.
  void BindField(TextFieldInstance& field, bool placing);

  std::shared_ptr<const MovieDefinition> movie_;
  ExternalCallbacks callbacks_;
  ActionContext context_;
  std::size_t instances_ = 0;
  std::uint32_t unnamedInstances_ = 0;
  bool loop_ = true;
  Settings settings_;
  bool running_ = false;
  std::size_t timelineWork_ = 0;
  std::size_t objects_ = 0;
  std::vector<QueuedAction> queues_[Priorities];
  std::size_t queueHeads_[Priorities] = {0, 0, 0};
  std::set<std::uint16_t> initialized_;  // sprites whose init actions ran
  // Timeline instances in the order they step: the newest at the back,
  // stepped from the back.
  std::vector<MovieClip*> execution_;
  std::vector<std::unique_ptr<MovieClip>> removed_;
  std::vector<MovieClip*> deferred_;  // see DeferRemoval; unowned
  std::vector<std::unique_ptr<TextFieldInstance>> removedFields_;
  std::unique_ptr<MovieClip> root_;
  bool shuttingDown_ = false;
};

}  // namespace Halvane::Movie
