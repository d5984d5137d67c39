#include "movie/actions/Numbers.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <system_error>

#include "movie/swf/Text.h"

namespace Halvane::Movie {

namespace {

// Whether a validated decimal text out of a double's range is too small
// (rather than too large): the power of ten of its first nonzero digit is
// negative.
bool BelowDoubleRange(const char* first, const char* last) {
  long long integerDigits = 0;   // from the first nonzero one
  long long zerosAfterPoint = 0;  // before the first nonzero digit
  bool afterPoint = false;
  bool nonZero = false;
  const char* p = first;
  if (p != last && (*p == '-' || *p == '+')) ++p;
  for (; p != last && *p != 'e' && *p != 'E'; ++p) {
    if (*p == '.') {
      afterPoint = true;
    } else if (!afterPoint) {
      nonZero = nonZero || *p != '0';
      if (nonZero) ++integerDigits;
    } else if (!nonZero) {
      if (*p == '0') ++zerosAfterPoint;
      else nonZero = true;
    }
  }
  long long exponent = 0;
  if (p != last) {
    ++p;
    const bool negative = p != last && *p == '-';
    if (p != last && (*p == '-' || *p == '+')) ++p;
    for (; p != last && exponent < 100000; ++p) exponent = exponent * 10 + (*p - '0');
    if (negative) exponent = -exponent;
  }
  const long long power = integerDigits > 0 ? integerDigits - 1 : -(zerosAfterPoint + 1);
  return power + exponent < 0;
}

}  // namespace

std::string FormatNumber(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
  if (value == 0.0) return "0";
  // Whole numbers of up to 15 digits read the same as below; indices and
  // counts are most of what scripts turn into text, so they skip the
  // formatting and rounding of the general case.
  if (value > -1e15 && value < 1e15 && value == std::trunc(value)) {
    char whole[24];
    const auto written = std::to_chars(whole, whole + sizeof whole, static_cast<std::int64_t>(value));
    return std::string(whole, written.ptr);
  }

  // 15 significant digits, then drop the zeros the rounding left behind.
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.14e", value);
  if (std::isinf(std::strtod(buffer, nullptr))) {
    // Rounding up past the largest double would print a number that reads
    // back as infinity; the last digit is cut instead.
    char longer[48];
    std::snprintf(longer, sizeof longer, "%.20e", value);
    const char* e = std::strchr(longer, 'e');
    const std::size_t mantissa = (longer[0] == '-' ? 1u : 0u) + 16u;  // d.dddddddddddddd
    std::snprintf(buffer, sizeof buffer, "%.*s%s", static_cast<int>(mantissa), longer, e != nullptr ? e : "");
  }
  const char* p = buffer;
  std::string sign;
  if (*p == '-') {
    sign = "-";
    ++p;
  }
  std::string digits;
  while (*p && *p != 'e') {
    if (*p >= '0' && *p <= '9') digits += *p;
    ++p;
  }
  const int exponent = (*p == 'e') ? std::atoi(p + 1) : 0;
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out = sign;
  if (exponent >= 15 || exponent < -5) {
    out += digits[0];
    if (digits.size() > 1) {
      out += '.';
      out += digits.substr(1);
    }
    out += 'e';
    out += exponent >= 0 ? '+' : '-';
    out += std::to_string(exponent >= 0 ? exponent : -exponent);
    return out;
  }
  if (exponent < 0) {
    out += "0.";
    out.append(static_cast<std::size_t>(-exponent - 1), '0');
    out += digits;
    return out;
  }
  const std::size_t intDigits = static_cast<std::size_t>(exponent) + 1;
  if (digits.size() <= intDigits) {
    out += digits;
    out.append(intDigits - digits.size(), '0');
  } else {
    out += digits.substr(0, intDigits);
    out += '.';
    out += digits.substr(intDigits);
  }
  return out;
}

bool ParseNumber(const std::string& text, int swfVersion, double& value) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  // White space may lead a number, never follow it.
  while (begin < end && IsAsciiSpace(text[begin])) ++begin;
  if (begin == end) return false;

  if (swfVersion >= 6 && end - begin > 2 && text[begin] == '0' &&
      (text[begin + 1] == 'x' || text[begin + 1] == 'X')) {
    // "0x1F", and "0x-1F" for a negative one; a 32-bit integer, digits past
    // that wrap around.
    std::size_t i = begin + 2;
    const bool negative = text[i] == '-';
    if (negative) ++i;
    if (i == end) return false;
    std::uint32_t result = 0;
    for (; i < end; ++i) {
      const int d = DigitValue(text[i]);
      if (d < 0 || d >= 16) return false;
      result = result * 16u + static_cast<std::uint32_t>(d);
    }
    const double signedResult = static_cast<double>(static_cast<std::int32_t>(result));
    value = negative ? -signedResult : signedResult;
    return true;
  }
  if (swfVersion >= 6 && begin == 0) {
    // A leading zero makes octal of a text of octal digits ("010" is 8, but
    // " 010" is 10); a 32-bit integer, as hexadecimal is.
    std::size_t i = begin;
    const bool negative = text[i] == '-';
    if (text[i] == '-' || text[i] == '+') ++i;
    if (end - i > 1 && text[i] == '0') {
      bool octal = true;
      std::uint32_t result = 0;
      for (std::size_t k = i + 1; k < end && octal; ++k) {
        if (text[k] < '0' || text[k] > '7') octal = false;
        else result = result * 8u + static_cast<std::uint32_t>(text[k] - '0');
      }
      if (octal) {
        const double signedResult = static_cast<double>(static_cast<std::int32_t>(result));
        value = negative ? -signedResult : signedResult;
        return true;
      }
    }
  }

  // Validate the decimal shape first so that strtod never sees (and never
  // accepts) anything else, such as "inf" or hexadecimal floats.
  std::size_t i = begin;
  if (text[i] == '+' || text[i] == '-') ++i;
  std::size_t mantissaDigits = 0;
  while (i < end && IsAsciiDigit(text[i])) ++i, ++mantissaDigits;
  if (i < end && text[i] == '.') {
    ++i;
    while (i < end && IsAsciiDigit(text[i])) ++i, ++mantissaDigits;
  }
  if (mantissaDigits == 0) return false;
  if (i < end && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < end && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t exponentDigits = 0;
    while (i < end && IsAsciiDigit(text[i])) ++i, ++exponentDigits;
    if (exponentDigits == 0) return false;
  }
  if (i != end) return false;
  // from_chars reads the same in every locale, where strtod would take the
  // process's decimal separator; it takes no "+".
  const char* first = text.data() + begin;
  if (*first == '+') ++first;
  double result = 0.0;
  const std::from_chars_result read = std::from_chars(first, text.data() + end, result);
  if (read.ec == std::errc::result_out_of_range) {
    // Too large or too small for a double: infinity or zero, as strtod gives.
    const bool negative = *first == '-';
    const bool tiny = BelowDoubleRange(first, text.data() + end);
    result = tiny ? (negative ? -0.0 : 0.0)
                  : (negative ? -std::numeric_limits<double>::infinity()
                              : std::numeric_limits<double>::infinity());
  }
  value = result;
  return true;
}

// parseInt: leading blanks, a sign, "0x" for hexadecimal when no radix is
// given, then as many digits of the radix as there are; none is NaN.
double ParseIntPrefix(const std::string& text, int radix) {
  std::size_t i = 0;
  while (i < text.size() && IsAsciiSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if ((radix == 0 || radix == 16) && i + 1 < text.size() && text[i] == '0' &&
      (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    radix = 16;
    i += 2;
  }
  if (radix == 0) radix = 10;
  if (radix < 2 || radix > 36) return std::nan("");
  double result = 0;
  std::size_t digits = 0;
  for (; i < text.size(); ++i, ++digits) {
    const int d = DigitValue(text[i]);
    if (d < 0 || d >= radix) break;
    result = result * radix + d;
  }
  if (digits == 0) return std::nan("");
  return negative ? -result : result;
}

// parseFloat: the longest decimal number at the start of the text.
double ParseFloatPrefix(const std::string& text) {
  // Digit by digit, as the platform reads them: the fraction adds tenths
  // that shrink by division (so ".1499999" is not the closest double), a
  // second point is passed over (and ends any hope of an exponent), and the
  // exponent wraps at 32 bits.
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && IsAsciiSpace(text[i])) ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  double value = 0.0;
  double scale = 1.0;
  bool fraction = false;
  bool secondPoint = false;
  std::size_t digits = 0;
  for (; i < n; ++i) {
    const char c = text[i];
    if (IsAsciiDigit(c)) {
      ++digits;
      if (fraction) {
        scale /= 10.0;
        value += (c - '0') * scale;
      } else {
        value = value * 10.0 + (c - '0');
      }
    } else if (c == '.') {
      if (fraction) secondPoint = true;
      fraction = true;
    } else {
      break;
    }
  }
  if (digits == 0) return std::nan("");
  if (!secondPoint && i < n && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    bool negativeExponent = false;
    if (j < n && (text[j] == '+' || text[j] == '-')) negativeExponent = text[j++] == '-';
    std::uint32_t exponent = 0;
    std::size_t exponentDigits = 0;
    for (; j < n && IsAsciiDigit(text[j]); ++j, ++exponentDigits) exponent = exponent * 10u + (text[j] - '0');
    if (exponentDigits > 0) {
      const std::int32_t e = static_cast<std::int32_t>(exponent);
      value *= std::pow(10.0, negativeExponent ? -static_cast<double>(e) : static_cast<double>(e));
    }
  }
  return negative ? -value : value;
}

std::int32_t TruncateToInt32(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (v <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(v);
}

std::int32_t RoundToInt32(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (v <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(std::lround(v));
}

std::int16_t RoundToInt16(double v) {
  const std::int32_t i = RoundToInt32(v);
  if (i < -32768) return -32768;
  if (i > 32767) return 32767;
  return static_cast<std::int16_t>(i);
}

std::int32_t WrapToInt32(double v) {
  if (!std::isfinite(v)) return 0;
  double t = std::trunc(v);
  t = std::fmod(t, 4294967296.0);
  if (t < 0) t += 4294967296.0;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(t));
}

}  // namespace Halvane::Movie
