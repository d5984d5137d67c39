#include "plugin/VMSwf.h"

#include <algorithm>
#include <new>

#include "activex/SwfPlayer.h"
#include "graphics/CopyDIBitsRect.h"
#include "graphics/DIBSection.h"
#include "graphics/HDCGetter.h"
#include "movie/control/ControlServer.h"
#include "platform/ComClasses.h"
#include "platform/ControlHost.h"
#include "platform/ShockwaveFlash.h"

#include "plugin/CommandErrors.h"
#include "plugin/CommandParser.h"
#include "plugin/CommandTable.h"
#include "plugin/HostFunctions.h"
#include "plugin/TickSource.h"

namespace Halvane::VlmPlugIn {

VMSwf& VMSwf::Instance() {
  static VMSwf instance;
  return instance;
}

VMSwf::~VMSwf() = default;

TickSource& VMSwf::Ticks() { return ticks != nullptr ? *ticks : TickSource::Instance(); }

void VMSwf::Initialize(std::int32_t) {
  if (initialised != 0) return;
  // From here on a failed set-up stays failed until Finalize.
  initialised = 1;

  // Control hosting: the host window classes and their messages, and the
  // built-in control, registered in the process's class table, which the
  // player uses where the system has no movie control registered. Neither
  // result is checked.
  Platform::RegisterControlHostClasses();
  if (!controlClassRegistered) {
    Movie::RegisterBuiltInControlClass();
    controlClassRegistered = true;
  }

  if (BindHostFunctions(*modules) == 0) {
    ShowInitializationError();
    return;
  }
  if (VlmGetWindowSizeFunction getWindowSize = HostEntries().VlmGetWindowSize()) {
    getWindowSize(&screenWidth, &screenHeight);
  } else {
    // A host that cannot tell its screen size has no screen to draw into.
    screenWidth = 0;
    screenHeight = 0;
  }

  player = new (std::nothrow) ActiveX::SwfPlayer(screenWidth, screenHeight);
  if (player == nullptr) {
    ShowOutOfMemoryError();
    return;
  }
  // A size the bitmap does not accept leaves it empty: every copy into or
  // out of it then copies nothing.
  frameBitmap = new (std::nothrow) Graphics::DIBSection(screenWidth, screenHeight);
  if (frameBitmap == nullptr) {
    ShowOutOfMemoryError();
    return;
  }
  fileName.clear();
  pendingFileName.clear();
}

void VMSwf::Finalize() {
  delete frameBitmap;
  frameBitmap = nullptr;
  // The player's destructor closes the movie and ends its worker.
  delete player;
  player = nullptr;
  if (controlClassRegistered) {
    Platform::RevokeComClass(CLSID_ShockwaveFlash);
    controlClassRegistered = false;
  }
  Platform::UnregisterControlHostClasses();
  initialised = 0;
}

void VMSwf::Draw(void* pixels, std::int32_t) {
  if (visible != 0 && player != nullptr && player->IsClosed() == 0 && frameBitmap != nullptr) {
    Graphics::DIBits screen;
    screen.Attach(pixels, screenWidth, screenHeight, 24);
    const std::int32_t w = std::min(player->GetWidth(), screenWidth);
    const std::int32_t h = std::min(player->GetHeight(), screenHeight);
    // The control draws with a transparent background: the frame bitmap
    // holds the host's picture under the movie first.
    Graphics::CopyDIBitsRect(*frameBitmap, posX, posY, w, h, screen, posX, posY);
    {
      Graphics::HDCGetter context(frameBitmap->bitmap);
      player->Render(context.Context(), posX, posY, player->GetWidth(), player->GetHeight());
    }
    Graphics::CopyDIBitsRect(screen, posX, posY, w, h, *frameBitmap, posX, posY);
    screen.Detach();
  }
  lastDrawTick = Ticks().Now();
}

std::int32_t VMSwf::Timer() {
  const std::uint32_t now = Ticks().Now();
  // Unsigned difference: the wrap of the tick count does not disturb it.
  return now - lastDrawTick >= static_cast<std::uint32_t>(interval) ? 1 : 0;
}

std::int32_t VMSwf::Message(const char* text, std::int32_t* intResult, char* textResult) {
  const std::string commandText = text != nullptr ? text : "";
  std::string name;
  CommandArguments arguments;
  if (text == nullptr || !ParseCommand(commandText, name, arguments)) {
    return ShowSyntaxError(commandText);
  }
  const CommandEntry* entry = FindCommand(name);
  if (entry == nullptr) return ShowUnknownCommandError(commandText);
  std::int32_t* intChannel = entry->channels != CommandChannels::None ? intResult : nullptr;
  char* textChannel = entry->channels == CommandChannels::IntAndText ? textResult : nullptr;
  return entry->handler(arguments, commandText, *this, intChannel, textChannel);
}

}  // namespace Halvane::VlmPlugIn
