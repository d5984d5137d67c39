#include "commands/CommandFrame.h"

#include <cstring>

#include "plugin/CommandTable.h"

namespace Halvane::VlmPlugIn {

bool HasArgumentCount(const CommandArguments& arguments, std::size_t count,
                      const std::string& commandText) {
  if (arguments.size() == count) return true;
  ShowArgumentCountError(commandText);
  return false;
}

void SetIntResult(std::int32_t* intResult, std::int32_t value) {
  if (intResult != nullptr) *intResult = value;
}

void ClearTextResult(char* textResult) {
  if (textResult != nullptr) std::memset(textResult, 0, kTextResultSize);
}

bool CopyTextResult(char* textResult, const std::string& text) {
  if (text.size() + 1 > kTextResultSize) return false;
  if (textResult != nullptr) std::memcpy(textResult, text.c_str(), text.size() + 1);
  return true;
}

bool IsOn(const std::string& argument) { return argument == "ON"; }
bool IsOff(const std::string& argument) { return argument == "OFF"; }

}  // namespace Halvane::VlmPlugIn
