#include "movie/timeline/MoviePlayer.h"

namespace Halvane::Movie {

MoviePlayer::MoviePlayer(std::shared_ptr<const MovieDefinition> movie) : movie_(std::move(movie)) {
  context_.swfVersion = movie_->version;
  context_.callbacks = &callbacks_;
  ++instances_;
  root_ = std::make_unique<MovieClip>(*this, movie_->root, nullptr, 0);
}

MoviePlayer::~MoviePlayer() {
  // Instances are destroyed before the queue and the graveyard they may be
  // named in; none of them runs anything on the way.
  queue_.clear();
  root_.reset();
  removed_.clear();
}

void MoviePlayer::Start() {
  root_->EnterFirstFrame();
  RunActions();
}

void MoviePlayer::Step() {
  timelineWork_ = 0;
  root_->Advance();
  RunActions();
}

bool MoviePlayer::GotoFrame(int frame) {
  if (!root_->Seek(frame)) return false;
  RunActions();
  return true;
}

const SpriteDefinition* MoviePlayer::FindSprite(std::uint16_t id) const {
  const auto it = movie_->sprites.find(id);
  return it == movie_->sprites.end() ? nullptr : it->second.get();
}

bool MoviePlayer::TakeInstance() {
  if (instances_ >= MaxInstances) return false;
  ++instances_;
  return true;
}

void MoviePlayer::QueueActions(MovieClip& clip, const FrameRecord& frame) {
  for (const ByteBlock& block : frame.actions) queue_.push_back(QueuedBlock{&clip, &block});
}

void MoviePlayer::Bury(std::unique_ptr<MovieClip> clip) {
  if (clip) removed_.push_back(std::move(clip));
}

void MoviePlayer::RunActions() {
  // Actions that queue more actions (a goto from a frame action) add to the
  // queue this loop is working through.
  if (running_) return;
  running_ = true;
  context_.instructionBudget = ActionContext::DefaultBudget;
  timelineWork_ = 0;
  std::size_t blocks = 0;
  for (std::size_t i = 0; i < queue_.size() && blocks < MaxBlocksPerRun; ++i) {
    const QueuedBlock block = queue_[i];
    if (block.clip->Removed()) continue;
    ++blocks;
    ::Halvane::Movie::RunActions(block.code->data(), block.code->size(), *block.clip, context_);
  }
  queue_.clear();
  removed_.clear();
  running_ = false;
}

}  // namespace Halvane::Movie
