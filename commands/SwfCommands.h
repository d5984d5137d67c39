// The Swf* command handlers, each of the form of CommandHandler
// (plugin/CommandTable.h). Plug-in commands (position, visibility, interval)
// work on the fields of VMSwf and need no player; player commands ask the
// movie player and, while the plug-in has none, do only their frame (see
// CommandFrame.h). SwfGetPosX and SwfGetPosY are answered by the dispatcher.
#pragma once

#include <cstdint>
#include <string>

#include "plugin/CommandParser.h"

namespace Halvane::VlmPlugIn {

class VMSwf;

std::int32_t SwfGoToFrame(const CommandArguments& arguments, const std::string& commandText,
                          VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfGetCurrentFrame(const CommandArguments& arguments, const std::string& commandText,
                                VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfSetCurrentFrame(const CommandArguments& arguments, const std::string& commandText,
                                VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfSetFlashVars(const CommandArguments& arguments, const std::string& commandText,
                             VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfGetVariable(const CommandArguments& arguments, const std::string& commandText,
                            VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfSetVariable(const CommandArguments& arguments, const std::string& commandText,
                            VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfCallFunction(const CommandArguments& arguments, const std::string& commandText,
                             VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfOpen(const CommandArguments& arguments, const std::string& commandText,
                     VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfBeginOpen(const CommandArguments& arguments, const std::string& commandText,
                          VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfEndOpen(const CommandArguments& arguments, const std::string& commandText,
                        VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfClose(const CommandArguments& arguments, const std::string& commandText,
                      VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfPlay(const CommandArguments& arguments, const std::string& commandText,
                     VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfPause(const CommandArguments& arguments, const std::string& commandText,
                      VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfStop(const CommandArguments& arguments, const std::string& commandText,
                     VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfIsPlaying(const CommandArguments& arguments, const std::string& commandText,
                          VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfIsClosed(const CommandArguments& arguments, const std::string& commandText,
                         VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfGetFileName(const CommandArguments& arguments, const std::string& commandText,
                            VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfResize(const CommandArguments& arguments, const std::string& commandText,
                       VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfGetWidth(const CommandArguments& arguments, const std::string& commandText,
                         VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfGetHeight(const CommandArguments& arguments, const std::string& commandText,
                          VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfSetWidth(const CommandArguments& arguments, const std::string& commandText,
                         VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfSetHeight(const CommandArguments& arguments, const std::string& commandText,
                          VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfMove(const CommandArguments& arguments, const std::string& commandText,
                     VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfSetPosX(const CommandArguments& arguments, const std::string& commandText,
                        VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfSetPosY(const CommandArguments& arguments, const std::string& commandText,
                        VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfShow(const CommandArguments& arguments, const std::string& commandText,
                     VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfHide(const CommandArguments& arguments, const std::string& commandText,
                     VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfGetVisible(const CommandArguments& arguments, const std::string& commandText,
                           VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfSetVisible(const CommandArguments& arguments, const std::string& commandText,
                           VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfGetLoop(const CommandArguments& arguments, const std::string& commandText,
                        VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfSetLoop(const CommandArguments& arguments, const std::string& commandText,
                        VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfGetQuality(const CommandArguments& arguments, const std::string& commandText,
                           VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfSetQuality(const CommandArguments& arguments, const std::string& commandText,
                           VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfGetTotalFrames(const CommandArguments& arguments, const std::string& commandText,
                               VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfGetInterval(const CommandArguments& arguments, const std::string& commandText,
                            VMSwf& plugin, std::int32_t* intResult, char* textResult);
std::int32_t SwfSetInterval(const CommandArguments& arguments, const std::string& commandText,
                            VMSwf& plugin, std::int32_t* intResult, char* textResult);

}  // namespace Halvane::VlmPlugIn
