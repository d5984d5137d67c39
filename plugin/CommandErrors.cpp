#include "plugin/CommandErrors.h"

#include "platform/MessageBox.h"
#include "plugin/ArgumentConversions.h"
#include "plugin/HostFunctions.h"

namespace Halvane::VlmPlugIn {

namespace {

constexpr const char* kCaption = "vmswf";

// The messages are kept as UTF-16 and converted to the system code page
// when shown, so that they reach the user in the code page of their system.
constexpr const char16_t* kSyntaxError = u"構文エラー：";
constexpr const char16_t* kUnknownCommand = u"該当する命令がありません：";
constexpr const char16_t* kArgumentCount = u"引数の数が一致しません：";
constexpr const char16_t* kInitializationFailed = u"プラグインの初期化に失敗しました.";
constexpr const char16_t* kOutOfMemory = u"メモリ不足です.";

std::string InSystemCodePage(const char16_t* message) {
  Platform::WideString wide;
  for (const char16_t* p = message; *p != 0; ++p) {
    wide.push_back(static_cast<Platform::WideChar>(*p));
  }
  std::string text;
  WideToAnsi(wide, text);
  return text;
}

std::int32_t ShowCommandError(const char16_t* message, const std::string& commandText) {
  const std::string text = InSystemCodePage(message) + "\n\n" + commandText;
  Platform::ShowMessageBox(HostWindow(), text.c_str(), kCaption, Platform::MB_ICONERROR);
  return 0;
}

void ShowSetUpError(const char16_t* message) {
  const std::string text = InSystemCodePage(message);
  Platform::ShowMessageBox(nullptr, text.c_str(), kCaption, Platform::MB_ICONERROR);
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

void ShowInitializationError() { ShowSetUpError(kInitializationFailed); }
void ShowOutOfMemoryError() { ShowSetUpError(kOutOfMemory); }

}  // namespace Halvane::VlmPlugIn
