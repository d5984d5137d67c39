// The movie plug-in object. Exactly one exists per process (Instance), built
// by the first call of any export and destroyed when the library unloads.
// Everything here runs on the host's thread only: the host calls every export
// from its user-interface thread, so nothing is locked.
#pragma once

#include <cstdint>
#include <string>

#include "platform/HostModule.h"
#include "plugin/LayerPlugIn.h"

namespace Halvane::ActiveX {
class SwfPlayer;
}
namespace Halvane::Graphics {
class DIBSection;
}

namespace Halvane::VlmPlugIn {

class TickSource;

class VMSwf : public Velmora::LayerPlugIn<VMSwf> {
 public:
  // The process-wide instance, constructed on first use.
  static VMSwf& Instance();

  VMSwf(const VMSwf&) = delete;
  VMSwf& operator=(const VMSwf&) = delete;

  // Releases only the two names; the player and the frame bitmap belong to
  // Finalize, which library unload does not run.
  ~VMSwf() override;

  // Set-up, done once until Finalize: registers the control-hosting window
  // classes and the built-in movie control, binds the host functions (an
  // error box without owner when the host executable cannot be loaded),
  // asks the host for the screen size, creates the player and a frame bitmap
  // of the screen's size ("out of memory" boxes when either cannot be
  // allocated) and empties both names. A host without VlmGetWindowSize
  // gives a screen of 0 x 0. A failed set-up is not retried until Finalize.
  // The value is ignored.
  void Initialize(std::int32_t value) override;

  // Tear-down: deletes the frame bitmap and the player (closing the movie
  // and ending its worker), unregisters what set-up registered and clears
  // initialised, so that the next Draw, Timer or Message sets the plug-in up
  // again. The host binding and the tick source stay.
  void Finalize() override;

  // While visible with a movie open, composes the movie's current frame
  // into the host's 24-bit screen at (posX, posY): the rectangle is copied
  // into the frame bitmap, the player draws the frame over it, and the
  // rectangle is copied back, clipped at the screen's edges; no other pixel
  // of the host's screen is written. Always records the tick in
  // lastDrawTick.
  void Draw(void* pixels, std::int32_t second) override;

  // 1 once interval milliseconds have passed since the end of the last Draw.
  std::int32_t Timer() override;

  // Parses the command text and runs its command (see CommandTable.h). A
  // null text is a syntax error; null result channels are not written.
  std::int32_t Message(const char* text, std::int32_t* intResult,
                       char* textResult) override;

  // Fields, with the values the constructor gives them.
  std::int32_t initialised = 0;
  ActiveX::SwfPlayer* player = nullptr;        // owned; null without a player
  std::int32_t screenWidth = 0;
  std::int32_t screenHeight = 0;
  Graphics::DIBSection* frameBitmap = nullptr;  // owned; screen-sized frame
  std::int32_t posX = 0;
  std::int32_t posY = 0;
  std::int32_t visible = 1;
  std::int32_t successResult = 1;
  std::int32_t interval = 50;
  std::string fileName;
  std::string pendingFileName;
  std::uint32_t lastDrawTick = 0;

  // Where set-up and timing reach outside the plug-in: the host look-up of
  // set-up and the clock of Draw and Timer. The platform's own unless a test
  // hands in its own; null tick source: the process's (TickSource::Instance).
  const Platform::ModuleServices* modules = &Platform::SystemModuleServices();
  TickSource* ticks = nullptr;

 private:
  // Whether set-up put the built-in control into the class table.
  bool controlClassRegistered = false;

  TickSource& Ticks();

  // Only Instance creates the object; it calls nothing in the host.
  VMSwf() = default;
};

}  // namespace Halvane::VlmPlugIn
