#include "undula/WaveMessage.h"

#include <climits>
#include <cstring>

namespace Halvane::Undula {

namespace {
constexpr int kMaxAmplitude = 127;  // the tables hold signed 8-bit shifts

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
}  // namespace

int ParseDecimal(const char* text) {
  if (text == nullptr) return 0;
  while (IsSpace(*text)) ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') negative = *text++ == '-';
  // Accumulate as a negative number so that INT_MIN itself fits.
  long long value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    if (value > LLONG_MIN / 20) value = value * 10 - (*text - '0');
  }
  if (!negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

WaveMessage ParseWaveMessage(const char* text) {
  WaveMessage message;
  if (text == nullptr) return message;
  const char* draw = std::strstr(text, "draw");
  if (draw == nullptr) {
    if (std::strstr(text, "stop") != nullptr) message.kind = WaveMessage::Kind::Stop;
    return message;
  }
  message.kind = WaveMessage::Kind::Refused;
  const char* slash = std::strchr(draw, '/');
  if (slash == nullptr) return message;
  const char* amplitudeText = slash + 1;
  const char* firstComma = std::strchr(amplitudeText, ',');
  if (firstComma == nullptr) return message;
  const char* stepText = firstComma + 1;
  const char* secondComma = std::strchr(stepText, ',');
  if (secondComma == nullptr) return message;
  // Each number ends at the first byte that is not part of it, and a comma
  // never is, so the fields read the same as they would with the commas
  // cut out of the text.
  const int step = ParseDecimal(stepText);
  if (step < 1 || step > 360) return message;
  int amplitude = ParseDecimal(amplitudeText);
  if (amplitude > kMaxAmplitude) amplitude = kMaxAmplitude;
  if (amplitude < -kMaxAmplitude) amplitude = -kMaxAmplitude;
  message.kind = WaveMessage::Kind::Draw;
  message.amplitude = amplitude;
  message.stepDegrees = step;
  message.speed = ParseDecimal(secondComma + 1);
  return message;
}

}  // namespace Halvane::Undula
