// Commands on the plug-in's own fields: the movie's position on the screen,
// its visibility and the drawing interval. They need no player and no movie,
// and their values survive opening and closing movies.
#include "commands/CommandFrame.h"
#include "commands/SwfCommands.h"
#include "plugin/ArgumentConversions.h"
#include "plugin/VMSwf.h"

namespace Halvane::VlmPlugIn {

namespace {
constexpr std::int32_t kLongestInterval = 10000;
}

std::int32_t SwfMove(const CommandArguments& arguments, const std::string& commandText,
                     VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 2, commandText)) return 0;
  SetIntResult(intResult, 0);
  std::int32_t x = 0;
  std::int32_t y = 0;
  if (!ParseInteger(arguments[0], x) || !ParseInteger(arguments[1], y)) return 0;
  plugin.posX = x;
  plugin.posY = y;
  SetIntResult(intResult, 1);
  return plugin.successResult;
}

std::int32_t SwfSetPosX(const CommandArguments& arguments, const std::string& commandText,
                        VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 1, commandText)) return 0;
  SetIntResult(intResult, 0);
  if (!ParseInteger(arguments[0], plugin.posX)) return 0;
  SetIntResult(intResult, 1);
  return plugin.successResult;
}

std::int32_t SwfSetPosY(const CommandArguments& arguments, const std::string& commandText,
                        VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 1, commandText)) return 0;
  SetIntResult(intResult, 0);
  if (!ParseInteger(arguments[0], plugin.posY)) return 0;
  SetIntResult(intResult, 1);
  return plugin.successResult;
}

// SwfShow and SwfHide get no integer result: the host's value stays as it was.
std::int32_t SwfShow(const CommandArguments& arguments, const std::string& commandText,
                     VMSwf& plugin, std::int32_t*, char*) {
  if (!HasArgumentCount(arguments, 0, commandText)) return 0;
  plugin.visible = 1;
  return plugin.successResult;
}

std::int32_t SwfHide(const CommandArguments& arguments, const std::string& commandText,
                     VMSwf& plugin, std::int32_t*, char*) {
  if (!HasArgumentCount(arguments, 0, commandText)) return 0;
  plugin.visible = 0;
  return plugin.successResult;
}

std::int32_t SwfGetVisible(const CommandArguments& arguments, const std::string& commandText,
                           VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 0, commandText)) return 0;
  SetIntResult(intResult, 0);
  SetIntResult(intResult, plugin.visible != 0 ? 1 : 0);
  return 0;
}

std::int32_t SwfSetVisible(const CommandArguments& arguments, const std::string& commandText,
                           VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 1, commandText)) return 0;
  SetIntResult(intResult, 0);
  if (IsOn(arguments[0])) {
    plugin.visible = 1;
    SetIntResult(intResult, 1);
  } else if (IsOff(arguments[0])) {
    plugin.visible = 0;
    SetIntResult(intResult, 1);
  }
  return plugin.successResult;
}

std::int32_t SwfGetInterval(const CommandArguments& arguments, const std::string& commandText,
                            VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 0, commandText)) return 0;
  SetIntResult(intResult, 0);
  SetIntResult(intResult, plugin.interval);
  return 0;
}

std::int32_t SwfSetInterval(const CommandArguments& arguments, const std::string& commandText,
                            VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 1, commandText)) return 0;
  SetIntResult(intResult, 0);
  std::int32_t milliseconds = 0;
  if (!ParseInteger(arguments[0], milliseconds)) return 0;
  if (milliseconds < 0 || milliseconds > kLongestInterval) return 0;
  plugin.interval = milliseconds;
  SetIntResult(intResult, 1);
  return 0;
}

}  // namespace Halvane::VlmPlugIn
