#include "plugin/VMSwf.h"

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
  fileName.clear();
  pendingFileName.clear();
}

void VMSwf::Finalize() {
  // Set-up creates neither a player nor a frame bitmap yet, so there is
  // nothing to delete; the host binding and the tick source stay.
  initialised = 0;
}

void VMSwf::Draw(void*, std::int32_t) {
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
