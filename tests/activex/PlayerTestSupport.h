// Shared helpers of the player's tests: movies written to a folder of the
// test, a player that opens into the open or failed state for a test, and a
// probe that reaches the player's worker-side operations and events.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "activex/SwfPlayer.h"
#include "support/TempFolder.h"
#include "tools/SwfWriter.h"

namespace Halvane::ActiveX::Testing {

// A movie of the given frames at 12 frames per second, 320 x 240 pixels,
// written to the folder; its path.
inline std::string WriteMovie(Halvane::Testing::TempFolder& folder, int frames = 10,
                              bool compressed = false, const std::string& name = "movie.swf") {
  Tools::SwfBuilder movie;
  movie.SetFrameSize(320 * 20, 240 * 20).SetFrameRate(12);
  for (int i = 0; i < frames; ++i) movie.ShowFrame();
  movie.End();
  return folder.Write(name, movie.Build(compressed));
}

// The player with its protected parts in reach.
class PlayerProbe : public SwfPlayer {
 public:
  using SwfPlayer::SwfPlayer;
  using SwfPlayer::controlReadyEvent;
  using SwfPlayer::CreatePropertyStream;
  using SwfPlayer::DispatchRequest;
  using SwfPlayer::requestDoneEvent;
  using SwfPlayer::shared;
  using SwfPlayer::threadRunningEvent;
  using SwfPlayer::WaitForWorkerEvent;

  // Waits until the worker has ended on its own (without joining it).
  void AwaitWorkerEnd() { Platform::WaitForThreadEnd(Handle()); }
};

// SharedWideString from UTF-16 text.
inline SharedWideString Wide(const std::u16string& text) {
  return SharedWideString::FromText(text);
}

}  // namespace Halvane::ActiveX::Testing
