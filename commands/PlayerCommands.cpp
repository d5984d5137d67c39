// Commands that pass their work to the movie player. Each does its frame
// first (argument count, first integer value, zeroed text result); while the
// plug-in has no player that is all it does, and it returns the value its
// command returns without a player. Conversions and requests run in order,
// and the first that fails ends the command silently.
#include "activex/SwfPlayer.h"
#include "commands/CommandFrame.h"
#include "commands/SwfCommands.h"
#include "plugin/ArgumentConversions.h"
#include "plugin/HostFunctions.h"
#include "plugin/VMSwf.h"

namespace Halvane::VlmPlugIn {

namespace {

using ActiveX::SharedWideString;
using ActiveX::SwfPlayer;

// The argument in the control's text: null when it does not convert or
// cannot be allocated.
SharedWideString WideArgument(const std::string& argument) {
  Platform::WideString wide;
  if (AnsiToWide(argument, wide) == 0) return SharedWideString();
  return SharedWideString::FromUnits(wide.data(), wide.size());
}

// The control's answer, up to its first zero, back in the system code page
// and into the text result: 1 when it fits the host's buffer (a longer text
// leaves the buffer all zeros and the integer result 0).
std::int32_t AnswerText(const SharedWideString& answer, std::int32_t* intResult,
                        char* textResult) {
  std::u16string text = answer.Text();
  const std::size_t zero = text.find(u'\0');
  if (zero != std::u16string::npos) text.resize(zero);
  const Platform::WideString wide(text.begin(), text.end());
  std::string ansi;
  if (WideToAnsi(wide, ansi) == 0) return 0;
  if (!CopyTextResult(textResult, ansi)) return 0;
  SetIntResult(intResult, 1);
  return 1;
}

// Opening by name: the name as a plain file first, then where the host's
// look-ups say the movie lies. finish is true for SwfOpen, which also waits
// until the control is ready. 1 when the movie opened (or began opening).
std::int32_t OpenByName(SwfPlayer& player, const std::string& name, bool finish) {
  if (player.BeginOpen(name.c_str(), 0, 0) != 0 && (!finish || player.EndOpen() != 0)) return 1;
  char path[kHostPathSize];
  std::int32_t offset = 0;
  std::int32_t length = 0;
  if (AskHostForFile(name, path, offset, length) == 0) return 0;
  // The host's integers are taken as unsigned 32-bit values.
  const auto wide = [](std::int32_t v) {
    return static_cast<std::int64_t>(static_cast<std::uint32_t>(v));
  };
  if (player.BeginOpen(path, wide(offset), wide(length)) == 0) return 0;
  return !finish || player.EndOpen() != 0 ? 1 : 0;
}

// Resizing from two converted sizes, as SwfResize, SwfSetWidth and
// SwfSetHeight share it.
std::int32_t ResizeTo(VMSwf& plugin, std::int32_t width, std::int32_t height,
                      std::int32_t* intResult) {
  if (plugin.player->Resize(width, height) == 0) return 0;
  SetIntResult(intResult, 1);
  return plugin.successResult;
}

}  // namespace

std::int32_t SwfGoToFrame(const CommandArguments& arguments, const std::string& commandText,
                          VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 1, commandText)) return 0;
  SetIntResult(intResult, 0);
  std::int32_t frame = 0;
  if (plugin.player != nullptr && ParseInteger(arguments[0], frame) != 0 &&
      plugin.player->GoToFrame(frame) != 0) {
    SetIntResult(intResult, 1);
  }
  return plugin.successResult;
}

std::int32_t SwfGetCurrentFrame(const CommandArguments& arguments, const std::string& commandText,
                                VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 0, commandText)) return 0;
  SetIntResult(intResult, -1);
  if (plugin.player != nullptr) SetIntResult(intResult, plugin.player->GetCurrentFrame());
  return 0;
}

std::int32_t SwfSetCurrentFrame(const CommandArguments& arguments, const std::string& commandText,
                                VMSwf& plugin, std::int32_t* intResult, char* textResult) {
  if (!HasArgumentCount(arguments, 1, commandText)) return 0;
  // SwfGoToFrame's work with the other return value.
  SwfGoToFrame(arguments, commandText, plugin, intResult, textResult);
  return 0;
}

std::int32_t SwfSetFlashVars(const CommandArguments& arguments, const std::string& commandText,
                             VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 1, commandText)) return 0;
  SetIntResult(intResult, 0);
  if (plugin.player == nullptr) return 0;
  const SharedWideString vars = WideArgument(arguments[0]);
  if (!vars.IsNull() && plugin.player->SetFlashVars(vars) != 0) SetIntResult(intResult, 1);
  return 0;
}

std::int32_t SwfGetVariable(const CommandArguments& arguments, const std::string& commandText,
                            VMSwf& plugin, std::int32_t* intResult, char* textResult) {
  if (!HasArgumentCount(arguments, 1, commandText)) return 0;
  SetIntResult(intResult, 0);
  ClearTextResult(textResult);
  if (plugin.player == nullptr) return 0;
  const SharedWideString name = WideArgument(arguments[0]);
  SharedWideString value;
  if (name.IsNull() || plugin.player->GetVariable(name, &value) == 0) return 0;
  AnswerText(value, intResult, textResult);
  return 0;
}

std::int32_t SwfSetVariable(const CommandArguments& arguments, const std::string& commandText,
                            VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 2, commandText)) return 0;
  SetIntResult(intResult, 0);
  if (plugin.player == nullptr) return 0;
  const SharedWideString name = WideArgument(arguments[0]);
  if (name.IsNull()) return 0;
  const SharedWideString value = WideArgument(arguments[1]);
  if (!value.IsNull() && plugin.player->SetVariable(name, value) != 0) SetIntResult(intResult, 1);
  return 0;
}

std::int32_t SwfCallFunction(const CommandArguments& arguments, const std::string& commandText,
                             VMSwf& plugin, std::int32_t* intResult, char* textResult) {
  if (!HasArgumentCount(arguments, 1, commandText)) return 0;
  SetIntResult(intResult, 0);
  ClearTextResult(textResult);
  if (plugin.player == nullptr) return 0;
  const SharedWideString request = WideArgument(arguments[0]);
  SharedWideString response;
  if (request.IsNull() || plugin.player->CallFunction(request, &response) == 0) return 0;
  AnswerText(response, intResult, textResult);
  return 0;
}

std::int32_t SwfOpen(const CommandArguments& arguments, const std::string& commandText,
                     VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 1, commandText)) return 0;
  SetIntResult(intResult, 0);
  plugin.fileName.clear();
  if (plugin.player == nullptr) return plugin.successResult;
  if (OpenByName(*plugin.player, arguments[0], true) != 0) {
    plugin.fileName = arguments[0];
    SetIntResult(intResult, 1);
  }
  return plugin.successResult;
}

std::int32_t SwfBeginOpen(const CommandArguments& arguments, const std::string& commandText,
                          VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 1, commandText)) return 0;
  SetIntResult(intResult, 0);
  plugin.fileName.clear();
  plugin.pendingFileName.clear();
  if (plugin.player == nullptr) return plugin.successResult;
  if (OpenByName(*plugin.player, arguments[0], false) != 0) {
    plugin.pendingFileName = arguments[0];
    SetIntResult(intResult, 1);
  }
  return plugin.successResult;
}

std::int32_t SwfEndOpen(const CommandArguments& arguments, const std::string& commandText,
                        VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 0, commandText)) return 0;
  SetIntResult(intResult, 0);
  if (plugin.player != nullptr && plugin.player->EndOpen() != 0) {
    plugin.fileName = plugin.pendingFileName;
    SetIntResult(intResult, 1);
  }
  return plugin.successResult;
}

std::int32_t SwfClose(const CommandArguments& arguments, const std::string& commandText,
                      VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 0, commandText)) return 0;
  SetIntResult(intResult, 0);
  if (plugin.player != nullptr) {
    plugin.player->Close();
    plugin.fileName.clear();
  }
  return 0;
}

std::int32_t SwfPlay(const CommandArguments& arguments, const std::string& commandText,
                     VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 0, commandText)) return 0;
  SetIntResult(intResult, 0);
  if (plugin.player != nullptr && plugin.player->Play() != 0) SetIntResult(intResult, 1);
  return 0;
}

std::int32_t SwfPause(const CommandArguments& arguments, const std::string& commandText,
                      VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 0, commandText)) return 0;
  SetIntResult(intResult, 0);
  if (plugin.player != nullptr && plugin.player->Stop() != 0) SetIntResult(intResult, 1);
  return plugin.successResult;
}

std::int32_t SwfStop(const CommandArguments& arguments, const std::string& commandText,
                     VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 0, commandText)) return 0;
  SetIntResult(intResult, 0);
  // Frame 0 is the control's first frame; it is asked only after the stop.
  if (plugin.player != nullptr && plugin.player->Stop() != 0 &&
      plugin.player->GoToFrame(0) != 0) {
    SetIntResult(intResult, 1);
  }
  return plugin.successResult;
}

std::int32_t SwfIsPlaying(const CommandArguments& arguments, const std::string& commandText,
                          VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 0, commandText)) return 0;
  SetIntResult(intResult, 0);
  if (plugin.player != nullptr && plugin.player->IsPlaying() != 0) SetIntResult(intResult, 1);
  return 0;
}

std::int32_t SwfIsClosed(const CommandArguments& arguments, const std::string& commandText,
                         VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 0, commandText)) return 0;
  SetIntResult(intResult, 0);
  if (plugin.player != nullptr && plugin.player->IsClosed() != 0) SetIntResult(intResult, 1);
  return 0;
}

std::int32_t SwfGetFileName(const CommandArguments& arguments, const std::string& commandText,
                            VMSwf& plugin, std::int32_t* intResult, char* textResult) {
  if (!HasArgumentCount(arguments, 0, commandText)) return 0;
  SetIntResult(intResult, 0);
  ClearTextResult(textResult);
  if (plugin.player != nullptr && plugin.player->IsClosed() == 0 &&
      CopyTextResult(textResult, plugin.fileName)) {
    SetIntResult(intResult, 1);
  }
  return 0;
}

std::int32_t SwfResize(const CommandArguments& arguments, const std::string& commandText,
                       VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 2, commandText)) return 0;
  SetIntResult(intResult, 0);
  if (plugin.player == nullptr) return plugin.successResult;
  std::int32_t width = 0;
  std::int32_t height = 0;
  if (ParseInteger(arguments[0], width) == 0 || ParseInteger(arguments[1], height) == 0) return 0;
  return ResizeTo(plugin, width, height, intResult);
}

std::int32_t SwfGetWidth(const CommandArguments& arguments, const std::string& commandText,
                         VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 0, commandText)) return 0;
  SetIntResult(intResult, 0);
  if (plugin.player != nullptr) SetIntResult(intResult, plugin.player->GetWidth());
  return 0;
}

std::int32_t SwfGetHeight(const CommandArguments& arguments, const std::string& commandText,
                          VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 0, commandText)) return 0;
  SetIntResult(intResult, 0);
  if (plugin.player != nullptr) SetIntResult(intResult, plugin.player->GetHeight());
  return 0;
}

std::int32_t SwfSetWidth(const CommandArguments& arguments, const std::string& commandText,
                         VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 1, commandText)) return 0;
  SetIntResult(intResult, 0);
  if (plugin.player == nullptr) return plugin.successResult;
  std::int32_t width = 0;
  if (ParseInteger(arguments[0], width) == 0) return 0;
  return ResizeTo(plugin, width, plugin.player->GetHeight(), intResult);
}

std::int32_t SwfSetHeight(const CommandArguments& arguments, const std::string& commandText,
                          VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 1, commandText)) return 0;
  SetIntResult(intResult, 0);
  if (plugin.player == nullptr) return plugin.successResult;
  std::int32_t height = 0;
  if (ParseInteger(arguments[0], height) == 0) return 0;
  return ResizeTo(plugin, plugin.player->GetWidth(), height, intResult);
}

std::int32_t SwfGetLoop(const CommandArguments& arguments, const std::string& commandText,
                        VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 0, commandText)) return 0;
  SetIntResult(intResult, 0);
  if (plugin.player != nullptr && plugin.player->GetLoop() != 0) SetIntResult(intResult, 1);
  return 0;
}

std::int32_t SwfSetLoop(const CommandArguments& arguments, const std::string& commandText,
                        VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 1, commandText)) return 0;
  SetIntResult(intResult, 0);
  if (plugin.player == nullptr) return 0;
  const bool on = IsOn(arguments[0]);
  if ((on || IsOff(arguments[0])) && plugin.player->SetLoop(on ? 1 : 0) != 0) {
    SetIntResult(intResult, 1);
  }
  return 0;
}

std::int32_t SwfGetQuality(const CommandArguments& arguments, const std::string& commandText,
                           VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 0, commandText)) return 0;
  SetIntResult(intResult, 0);
  if (plugin.player != nullptr) SetIntResult(intResult, plugin.player->GetQuality());
  return 0;
}

std::int32_t SwfSetQuality(const CommandArguments& arguments, const std::string& commandText,
                           VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 1, commandText)) return 0;
  SetIntResult(intResult, 0);
  if (plugin.player == nullptr) return plugin.successResult;
  std::int32_t quality = 0;
  if (ParseInteger(arguments[0], quality) == 0 || plugin.player->SetQuality(quality) == 0) return 0;
  SetIntResult(intResult, 1);
  return plugin.successResult;
}

std::int32_t SwfGetTotalFrames(const CommandArguments& arguments, const std::string& commandText,
                               VMSwf& plugin, std::int32_t* intResult, char*) {
  if (!HasArgumentCount(arguments, 0, commandText)) return 0;
  SetIntResult(intResult, -1);
  if (plugin.player != nullptr) SetIntResult(intResult, plugin.player->GetTotalFrames());
  return 0;
}

}  // namespace Halvane::VlmPlugIn
