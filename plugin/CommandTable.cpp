#include "plugin/CommandTable.h"

#include <cstring>

#include "commands/CommandFrame.h"
#include "commands/SwfCommands.h"
#include "plugin/VMSwf.h"

namespace Halvane::VlmPlugIn {

namespace {

// SwfGetPosX and SwfGetPosY are answered by the dispatcher itself: the
// position is written and 0 returned.
std::int32_t GetPosX(const CommandArguments& arguments, const std::string& commandText,
                     VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!arguments.empty()) return ShowArgumentCountError(commandText);
  SetIntResult(intResult, plugin.posX);
  return 0;
}

std::int32_t GetPosY(const CommandArguments& arguments, const std::string& commandText,
                     VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!arguments.empty()) return ShowArgumentCountError(commandText);
  SetIntResult(intResult, plugin.posY);
  return 0;
}

using C = CommandChannels;

}  // namespace

const CommandEntry kCommandTable[kCommandCount] = {
    {"SwfGoToFrame", &SwfGoToFrame, C::Int},
    {"SwfGetCurrentFrame", &SwfGetCurrentFrame, C::Int},
    {"SwfSetCurrentFrame", &SwfSetCurrentFrame, C::Int},
    {"SwfSetFlashVars", &SwfSetFlashVars, C::Int},
    {"SwfGetVariable", &SwfGetVariable, C::IntAndText},
    {"SwfSetVariable", &SwfSetVariable, C::Int},
    {"SwfCallFunction", &SwfCallFunction, C::IntAndText},
    {"SwfOpen", &SwfOpen, C::Int},
    {"SwfBeginOpen", &SwfBeginOpen, C::Int},
    {"SwfEndOpen", &SwfEndOpen, C::Int},
    {"SwfClose", &SwfClose, C::Int},
    {"SwfPlay", &SwfPlay, C::Int},
    {"SwfPause", &SwfPause, C::Int},
    {"SwfStop", &SwfStop, C::Int},
    {"SwfIsPlaying", &SwfIsPlaying, C::Int},
    {"SwfIsClosed", &SwfIsClosed, C::Int},
    {"SwfGetFileName", &SwfGetFileName, C::IntAndText},
    {"SwfResize", &SwfResize, C::Int},
    {"SwfGetWidth", &SwfGetWidth, C::Int},
    {"SwfGetHeight", &SwfGetHeight, C::Int},
    {"SwfSetWidth", &SwfSetWidth, C::Int},
    {"SwfSetHeight", &SwfSetHeight, C::Int},
    {"SwfMove", &SwfMove, C::Int},
    {"SwfGetPosX", &GetPosX, C::Int},
    {"SwfGetPosY", &GetPosY, C::Int},
    {"SwfSetPosX", &SwfSetPosX, C::Int},
    {"SwfSetPosY", &SwfSetPosY, C::Int},
    {"SwfShow", &SwfShow, C::None},
    {"SwfHide", &SwfHide, C::None},
    {"SwfGetVisible", &SwfGetVisible, C::Int},
    {"SwfSetVisible", &SwfSetVisible, C::Int},
    {"SwfGetLoop", &SwfGetLoop, C::Int},
    {"SwfSetLoop", &SwfSetLoop, C::Int},
    {"SwfGetQuality", &SwfGetQuality, C::Int},
    {"SwfSetQuality", &SwfSetQuality, C::Int},
    {"SwfGetTotalFrames", &SwfGetTotalFrames, C::Int},
    {"SwfGetInterval", &SwfGetInterval, C::Int},
    {"SwfSetInterval", &SwfSetInterval, C::Int},
};

const CommandEntry* FindCommand(const std::string& name) {
  for (const CommandEntry& entry : kCommandTable) {
    if (std::strncmp(entry.name, name.c_str(), name.size()) == 0 &&
        std::strlen(entry.name) >= name.size()) {
      return &entry;
    }
  }
  return nullptr;
}

}  // namespace Halvane::VlmPlugIn
