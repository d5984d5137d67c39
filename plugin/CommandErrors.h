// The error boxes of the command path. Each shows its message, two line
// feeds and the command text exactly as the host passed it, with the caption
// "vmswf" and the error icon, owned by the host window that VlmGetWindow
// returns at that moment. Each returns 0, the value Message then returns.
#pragma once

#include <cstdint>
#include <string>

namespace Halvane::VlmPlugIn {

std::int32_t ShowSyntaxError(const std::string& commandText);
std::int32_t ShowUnknownCommandError(const std::string& commandText);
std::int32_t ShowArgumentCountError(const std::string& commandText);

// Set-up errors: no owner window (the host window is not asked for).
void ShowInitializationError();
void ShowOutOfMemoryError();

}  // namespace Halvane::VlmPlugIn
