#include "plugin/CommandErrors.h"

#include "platform/MessageBox.h"
#include "plugin/ArgumentConversions.h"
#include "plugin/HostFunctions.h"

namespace Halvane::VlmPlugIn {

namespace {

// The texts are assembled and shown as UTF-16, so that the Japanese
// messages read correctly on a system of any code page; only the command
// text, which the host gives in its code page, is converted.
constexpr const char16_t* kCaption = u"vmswf";
constexpr const char16_t* kSyntaxError = u"構文エラー：";
constexpr const char16_t* kUnknownCommand = u"該当する命令がありません：";
constexpr const char16_t* kArgumentCount = u"引数の数が一致しません：";
constexpr const char16_t* kInitializationFailed = u"プラグインの初期化に失敗しました.";
constexpr const char16_t* kOutOfMemory = u"メモリ不足です.";

Platform::WideString Wide(const char16_t* text) {
  Platform::WideString wide;
  for (const char16_t* p = text; *p != 0; ++p) wide.push_back(static_cast<Platform::WideChar>(*p));
  return wide;
}

void Show(Platform::WindowHandle owner, const Platform::WideString& text) {
  Platform::ShowMessageBox(owner, text.c_str(), Wide(kCaption).c_str(),
                           Platform::kBoxOkButton | Platform::kBoxErrorIcon);
}

std::int32_t ShowCommandError(const char16_t* message, const std::string& commandText) {
  Platform::WideString command;
  // An empty command text converts to nothing; the box then ends after the
  // line feeds.
  if (!commandText.empty()) AnsiToWide(commandText, command);
  Show(HostWindow(), Wide(message) + Wide(u"\n\n") + command);
  return 0;
}

}  // namespace

std::int32_t ShowSyntaxError(const std::string& commandText) {
  return ShowCommandError(kSyntaxError, commandText);
}

std::int32_t ShowUnknownCommandError(const std::string& commandText) {
  return ShowCommandError(kUnknownCommand, commandText);
}

std::int32_t ShowArgumentCountError(const std::string& commandText) {
  return ShowCommandError(kArgumentCount, commandText);
}

void ShowInitializationError() { Show(nullptr, Wide(kInitializationFailed)); }
void ShowOutOfMemoryError() { Show(nullptr, Wide(kOutOfMemory)); }

}  // namespace Halvane::VlmPlugIn
