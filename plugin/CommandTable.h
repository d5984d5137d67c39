// The 38 commands in their fixed order, and how a command name finds its
// entry. A name matches the first entry of which it is a prefix (case-
// sensitive), so a full name reaches its own command and an abbreviation the
// first command in table order that begins with it: "SwfGet" is
// SwfGetCurrentFrame, "SwfGetV" is SwfGetVariable, the empty name is
// SwfGoToFrame. No command name is a prefix of an earlier one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "plugin/CommandParser.h"

namespace Halvane::VlmPlugIn {

class VMSwf;

// Size of the host's text result buffer: 260 bytes of text and a zero.
constexpr std::size_t kTextResultSize = 261;

// Which of the host's result channels a handler is given; the others are
// passed as null.
enum class CommandChannels { None, Int, IntAndText };

// A command handler: the parsed arguments, the whole command text (for the
// argument-count error only), the plug-in, and the channels (each may be
// null). Returns the value that Message returns.
using CommandHandler = std::int32_t (*)(const CommandArguments& arguments,
                                        const std::string& commandText, VMSwf& plugin,
                                        std::int32_t* intResult, char* textResult);

struct CommandEntry {
  const char* name;
  CommandHandler handler;
  CommandChannels channels;
};

constexpr std::size_t kCommandCount = 38;
extern const CommandEntry kCommandTable[kCommandCount];

// The entry that the parsed name matches, or null when none does.
const CommandEntry* FindCommand(const std::string& name);

}  // namespace Halvane::VlmPlugIn
