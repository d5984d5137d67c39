// Watching the message boxes that the current thread shows: while a watch
// lasts, every box is reported and closed at once with OK, instead of
// waiting for a person. For programs that run unattended: the reference host
// prints each box and goes on, tests check what each box said.
//
// On Windows the watch sees the real boxes of the thread (a CBT hook reads
// their caption and text and closes them); on Linux it takes the place of
// the standard-error output of ShowMessageBox. Watches nest: the newest one
// on a thread gets the reports until it ends.
#pragma once

#include <cstdint>
#include <string>

#include "platform/MessageBox.h"

namespace Halvane::Platform {

struct WatchedBox {
  WindowHandle owner = nullptr;  // the box's owner window (null: none)
  std::u16string caption;
  std::u16string text;
  // kBoxErrorIcon when the box shows the error icon; kBoxOkButton always,
  // since every box the system shows has at least its OK button.
  std::uint32_t style = 0;
};

class BoxWatch {
 public:
  using Report = void (*)(void* context, const WatchedBox& box);

  // Starts watching the boxes of the calling thread; the watch must end on
  // the same thread. A null report only closes the boxes.
  BoxWatch(Report report, void* context);
  ~BoxWatch();
  BoxWatch(const BoxWatch&) = delete;
  BoxWatch& operator=(const BoxWatch&) = delete;

  // False when the platform refused the watch (boxes then wait for a person).
  bool Active() const { return active_; }

  // Called by the platform side with each box seen.
  void Deliver(const WatchedBox& box) const {
    if (report_ != nullptr) report_(context_, box);
  }

  // The newest watch of the calling thread, or null.
  static BoxWatch* Current();

 private:
  Report report_;
  void* context_;
  BoxWatch* previous_ = nullptr;
  bool active_ = false;
};

}  // namespace Halvane::Platform
