// The command-line syntax: a name, then an argument list in parentheses,
//
//     Name(arg1,arg2,...)
//
// read byte by byte (the parser knows nothing of double-byte characters):
// a backslash makes the next byte literal, apostrophes toggle quoting
// anywhere, spaces outside quotes are dropped everywhere, an unquoted comma
// ends an argument, and the closing parenthesis must be the last byte.
// An empty last argument is not added: "X()" and "X('')" have no arguments,
// "X(,)" has one empty argument.
#pragma once

#include <string>
#include <vector>

namespace Halvane::VlmPlugIn {

using CommandArguments = std::vector<std::string>;

// Parses text into name and arguments. False when the text is not a command
// (no closing parenthesis at its very end after an opening one, or one too
// early); name and arguments then hold whatever was collected so far.
bool ParseCommand(const std::string& text, std::string& name, CommandArguments& arguments);

}  // namespace Halvane::VlmPlugIn
