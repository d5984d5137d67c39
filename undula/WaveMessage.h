// The message language of the wave effect, parsed into a record before the
// effect acts on it.
//
//   a text containing "draw"  a draw message: "draw", later "/", the amplitude,
//                             ",", the step in degrees, ",", the speed
//   "stop" and no "draw"      the wave dies away
//   anything else             nothing
//
// Matching is case-sensitive and may start anywhere in the text. The text is
// only read, never changed.
#pragma once

namespace Halvane::Undula {

struct WaveMessage {
  enum class Kind {
    None,     // neither "draw" nor "stop"
    Draw,     // a complete draw message; the fields below hold its values
    Stop,     // "stop" without "draw"
    Refused,  // "draw" without "/" or the two commas, or a step outside 1..360
  };
  Kind kind = Kind::None;
  int amplitude = 0;    // clamped to -127..127
  int stepDegrees = 0;  // 1..360
  int speed = 0;        // any value; the phase wraps around the table
};

// Parses one message text (zero-terminated; null is read as empty).
WaveMessage ParseWaveMessage(const char* text);

// Reads a decimal integer the way atoi does (leading white space, an
// optional sign, digits up to the first other byte, no digits giving 0),
// except that a value beyond the 32-bit range saturates at its limit.
int ParseDecimal(const char* text);

}  // namespace Halvane::Undula
