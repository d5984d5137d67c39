// The numbers of the action language: text to number and back as the
// language does it, and every conversion of a number to the integers that
// bytecode, records and the timeline keep. One place, so that all of them
// agree at the edges: NaN, infinities and values past an integer's range.
#pragma once

#include <cstdint>
#include <string>

namespace Halvane::Movie {

// Number to text as the language shows it: up to 15 significant digits,
// integers without a decimal point, "NaN", "Infinity", "-Infinity";
// exponent form ("1e+21", "1e-7") for magnitudes from 1e15 and below 1e-5.
// So 0.1 + 0.2 reads "0.3", 1/3 "0.333333333333333", -0 "0".
std::string FormatNumber(double value);

// Text to number: optional surrounding white space, decimal with optional
// sign, fraction and exponent; from version 6 also "0x" hexadecimal.
// Answers false when the whole text is not a number.
bool ParseNumber(const std::string& text, int swfVersion, double& value);

// parseInt: leading white space, a sign, "0x" for hexadecimal when radix is
// 0 or 16, then as many digits of the radix (2 to 36; 0 means 10) as there
// are. NaN without digits or for another radix.
double ParseIntPrefix(const std::string& text, int radix);
// parseFloat: the longest decimal number at the start of the text, after
// white space; NaN when there is none.
double ParseFloatPrefix(const std::string& text);

// Numbers to 32-bit integers; NaN is 0, and values past the range clamp to
// its ends. TruncateToInt32 rounds toward zero (counts, indices, frames),
// RoundToInt32 to the nearest integer, halves away from zero (pixels into
// twips, percentages into fixed point).
std::int32_t TruncateToInt32(double value);
std::int32_t RoundToInt32(double value);
std::int16_t RoundToInt16(double value);
// The 32-bit integer of a number as bit operations see it: truncated and
// wrapped modulo 2^32; NaN and infinities are 0.
std::int32_t WrapToInt32(double value);

}  // namespace Halvane::Movie
