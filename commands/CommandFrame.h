// What every command handler does before its own work: check the number of
// arguments (a wrong count shows the argument-count error box and touches
// nothing), then write the first value of the integer result and, for the
// commands with a text result, zero the whole text result. The helpers
// write nothing through a null channel and never past the host's 261 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "plugin/CommandErrors.h"
#include "plugin/CommandParser.h"

namespace Halvane::VlmPlugIn {

// True when arguments has exactly count entries; otherwise shows the
// argument-count error for commandText and returns false.
bool HasArgumentCount(const CommandArguments& arguments, std::size_t count,
                      const std::string& commandText);

void SetIntResult(std::int32_t* intResult, std::int32_t value);

// Fills all 261 bytes of the text result with zeros.
void ClearTextResult(char* textResult);

// Copies text and its terminating zero into the text result. Text longer
// than the 260 bytes the host has room for is refused (false, nothing
// written) rather than cut, so a caller never sees half a name or half a
// double-byte character. A null channel takes the text without being written.
bool CopyTextResult(char* textResult, const std::string& text);

// "ON" and "OFF", byte for byte over the whole argument.
bool IsOn(const std::string& argument);
bool IsOff(const std::string& argument);

}  // namespace Halvane::VlmPlugIn
