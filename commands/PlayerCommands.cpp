// Commands that pass their work to the movie player. Each does its frame
// first (argument count, first integer value, zeroed text result) and the
// work that needs no player; while the plug-in has no player that is all it
// does, and it returns the value its command returns without a player. The
// comment in each handler says what a player adds.
#include "commands/CommandFrame.h"
#include "commands/SwfCommands.h"
#include "plugin/VMSwf.h"

namespace Halvane::VlmPlugIn {

std::int32_t SwfGoToFrame(const CommandArguments& arguments, const std::string& commandText,
                          VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 1, commandText)) return 0;
  SetIntResult(intResult, 0);
  // With a player: ParseInteger(frame), then SwfPlayer::GoToFrame; 1 when it succeeded.
  return plugin.successResult;
}

std::int32_t SwfGetCurrentFrame(const CommandArguments& arguments, const std::string& commandText,
                                VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 0, commandText)) return 0;
  SetIntResult(intResult, -1);
  // With a player: SwfPlayer::GetCurrentFrame; its answer (-1 with no movie open).
  return 0;
}

std::int32_t SwfSetCurrentFrame(const CommandArguments& arguments, const std::string& commandText,
                                VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 1, commandText)) return 0;
  SetIntResult(intResult, 0);
  // With a player: as SwfGoToFrame.
  return 0;
}

std::int32_t SwfSetFlashVars(const CommandArguments& arguments, const std::string& commandText,
                             VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 1, commandText)) return 0;
  SetIntResult(intResult, 0);
  // With a player: AnsiToWide(text), then SwfPlayer::SetFlashVars; 1 when it succeeded.
  return 0;
}

std::int32_t SwfGetVariable(const CommandArguments& arguments, const std::string& commandText,
                            VMSwf& plugin, std::int32_t* intResult, char* textResult) {
  if (!HasArgumentCount(arguments, 1, commandText)) return 0;
  SetIntResult(intResult, 0);
  ClearTextResult(textResult);
  // With a player: AnsiToWide(name), SwfPlayer::GetVariable, the value through WideToAnsi
  // into the text result; 1 when copied.
  return 0;
}

std::int32_t SwfSetVariable(const CommandArguments& arguments, const std::string& commandText,
                            VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 2, commandText)) return 0;
  SetIntResult(intResult, 0);
  // With a player: AnsiToWide(name), AnsiToWide(value), then SwfPlayer::SetVariable; 1
  // when it succeeded.
  return 0;
}

std::int32_t SwfCallFunction(const CommandArguments& arguments, const std::string& commandText,
                             VMSwf& plugin, std::int32_t* intResult, char* textResult) {
  if (!HasArgumentCount(arguments, 1, commandText)) return 0;
  SetIntResult(intResult, 0);
  ClearTextResult(textResult);
  // With a player: AnsiToWide(request), SwfPlayer::CallFunction, the response through
  // WideToAnsi into the text result; 1 when copied.
  return 0;
}

std::int32_t SwfOpen(const CommandArguments& arguments, const std::string& commandText,
                     VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 1, commandText)) return 0;
  SetIntResult(intResult, 0);
  plugin.fileName.clear();
  // With a player: the name as a plain file, else the window that VM2GetFile or
  // VMAGetFile names; on success fileName = the name and 1.
  return plugin.successResult;
}

std::int32_t SwfBeginOpen(const CommandArguments& arguments, const std::string& commandText,
                          VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 1, commandText)) return 0;
  SetIntResult(intResult, 0);
  plugin.fileName.clear();
  plugin.pendingFileName.clear();
  // With a player: begins opening as SwfOpen does; on success pendingFileName = the name
  // and 1.
  return plugin.successResult;
}

std::int32_t SwfEndOpen(const CommandArguments& arguments, const std::string& commandText,
                        VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 0, commandText)) return 0;
  SetIntResult(intResult, 0);
  // With a player: SwfPlayer::EndOpen; on success fileName = pendingFileName and 1.
  return plugin.successResult;
}

std::int32_t SwfClose(const CommandArguments& arguments, const std::string& commandText,
                      VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 0, commandText)) return 0;
  SetIntResult(intResult, 0);
  // With a player: SwfPlayer::Close, then fileName emptied; the integer result stays 0.
  return 0;
}

std::int32_t SwfPlay(const CommandArguments& arguments, const std::string& commandText,
                     VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 0, commandText)) return 0;
  SetIntResult(intResult, 0);
  // With a player: SwfPlayer::Play; 1 when it succeeded.
  return 0;
}

std::int32_t SwfPause(const CommandArguments& arguments, const std::string& commandText,
                      VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 0, commandText)) return 0;
  SetIntResult(intResult, 0);
  // With a player: SwfPlayer::Stop, the playhead staying; 1 when it succeeded.
  return plugin.successResult;
}

std::int32_t SwfStop(const CommandArguments& arguments, const std::string& commandText,
                     VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 0, commandText)) return 0;
  SetIntResult(intResult, 0);
  // With a player: SwfPlayer::Stop and, only after it succeeded, SwfPlayer::GoToFrame(0);
  // 1 when both did.
  return plugin.successResult;
}

std::int32_t SwfIsPlaying(const CommandArguments& arguments, const std::string& commandText,
                          VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 0, commandText)) return 0;
  SetIntResult(intResult, 0);
  // With a player: SwfPlayer::IsPlaying; 1 when the answer is nonzero.
  return 0;
}

std::int32_t SwfIsClosed(const CommandArguments& arguments, const std::string& commandText,
                         VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 0, commandText)) return 0;
  SetIntResult(intResult, 0);
  // With a player: 1 when the player's closed flag is set.
  return 0;
}

std::int32_t SwfGetFileName(const CommandArguments& arguments, const std::string& commandText,
                            VMSwf& plugin, std::int32_t* intResult, char* textResult) {
  if (!HasArgumentCount(arguments, 0, commandText)) return 0;
  SetIntResult(intResult, 0);
  ClearTextResult(textResult);
  // With a player: while a movie is open, fileName into the text result; 1 when copied.
  return 0;
}

std::int32_t SwfResize(const CommandArguments& arguments, const std::string& commandText,
                       VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 2, commandText)) return 0;
  SetIntResult(intResult, 0);
  // With a player: ParseInteger(width), ParseInteger(height), SwfPlayer::Resize; 1 when
  // resized, else 0 is returned.
  return plugin.successResult;
}

std::int32_t SwfGetWidth(const CommandArguments& arguments, const std::string& commandText,
                         VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 0, commandText)) return 0;
  SetIntResult(intResult, 0);
  // With a player: the player's display width.
  return 0;
}

std::int32_t SwfGetHeight(const CommandArguments& arguments, const std::string& commandText,
                          VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 0, commandText)) return 0;
  SetIntResult(intResult, 0);
  // With a player: the player's display height.
  return 0;
}

std::int32_t SwfSetWidth(const CommandArguments& arguments, const std::string& commandText,
                         VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 1, commandText)) return 0;
  SetIntResult(intResult, 0);
  // With a player: ParseInteger(width), SwfPlayer::Resize with the current display
  // height; as SwfResize.
  return plugin.successResult;
}

std::int32_t SwfSetHeight(const CommandArguments& arguments, const std::string& commandText,
                          VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 1, commandText)) return 0;
  SetIntResult(intResult, 0);
  // With a player: ParseInteger(height), SwfPlayer::Resize with the current display
  // width; as SwfResize.
  return plugin.successResult;
}

std::int32_t SwfGetLoop(const CommandArguments& arguments, const std::string& commandText,
                        VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 0, commandText)) return 0;
  SetIntResult(intResult, 0);
  // With a player: SwfPlayer::GetLoop; 1 when the answer is nonzero.
  return 0;
}

std::int32_t SwfSetLoop(const CommandArguments& arguments, const std::string& commandText,
                        VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 1, commandText)) return 0;
  SetIntResult(intResult, 0);
  // With a player: "ON": SwfPlayer::SetLoop(1), "OFF": SetLoop(0), other text nothing; 1
  // when it succeeded.
  return 0;
}

std::int32_t SwfGetQuality(const CommandArguments& arguments, const std::string& commandText,
                           VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 0, commandText)) return 0;
  SetIntResult(intResult, 0);
  // With a player: SwfPlayer::GetQuality; its answer.
  return 0;
}

std::int32_t SwfSetQuality(const CommandArguments& arguments, const std::string& commandText,
                           VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 1, commandText)) return 0;
  SetIntResult(intResult, 0);
  // With a player: ParseInteger(quality), SwfPlayer::SetQuality; 1 when set, else 0 is
  // returned.
  return plugin.successResult;
}

std::int32_t SwfGetTotalFrames(const CommandArguments& arguments, const std::string& commandText,
                               VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 0, commandText)) return 0;
  SetIntResult(intResult, -1);
  // With a player: SwfPlayer::GetTotalFrames; its answer (-1 with no movie open).
  return 0;
}
}  // namespace Halvane::VlmPlugIn
