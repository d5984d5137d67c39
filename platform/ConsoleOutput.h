// The standard streams of a program of ours carry bytes as written (UTF-8
// text with line feeds), the same on every target, instead of the
// platform's text mode that turns each line feed into two bytes.
#pragma once

namespace Halvane::Platform {

// Puts standard output and standard error in that mode; call it first
// thing in main.
void UseByteExactStandardStreams();

}  // namespace Halvane::Platform
