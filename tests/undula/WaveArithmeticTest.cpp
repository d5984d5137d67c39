// The wave's arithmetic is the same on every target, bit for bit: a digest
// of every table the messages can build, and of the shifts of a whole swell
// and decay, equals the digest recorded on the development target. A build
// whose floating point rounds differently (the x87 unit of 32-bit x86
// keeps excess precision) changes it.
#include <cstdint>

#include "WaveTestSupport.h"
#include "undula/WaveEffect.h"

namespace UndulaTest {
namespace {

struct Digest {
  std::uint64_t value = 14695981039346656037ull;  // FNV-1a
  void Add(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    for (std::size_t i = 0; i < size; ++i) value = (value ^ bytes[i]) * 1099511628211ull;
  }
};

TEST(WaveArithmetic, EveryTableEqualsTheDevelopmentTarget) {
  Digest digest;
  std::int8_t table[Halvane::Undula::kMaxTableLength];
  for (int amplitude = -127; amplitude <= 127; ++amplitude) {
    for (int step = 1; step <= 360; ++step) {
      const int length = Halvane::Undula::BuildWaveTable(amplitude, step, table);
      digest.Add(table, static_cast<std::size_t>(length));
    }
  }
  EXPECT_EQ(digest.value, 18248246767878385129ull);
}

TEST(WaveArithmetic, SwellAndDecayShiftsEqualTheDevelopmentTarget) {
  UseScreen(64, 48);
  Digest digest;
  for (const char* message : {"draw/127,1,3", "draw/-90,7,-2", "draw/33,45,1", "draw/5,13,200"}) {
    SwitchOff();
    Send(message);
    for (int tick = 0; tick < 40; ++tick) {
      Timer();
      digest.Add(S().shiftTable, sizeof S().shiftTable);
      digest.Add(&S().divisor, sizeof S().divisor);
    }
    Send("stop");
    for (int tick = 0; tick < 400 && Timer() != 0; ++tick) {
      digest.Add(S().shiftTable, sizeof S().shiftTable);
      digest.Add(&S().divisor, sizeof S().divisor);
    }
  }
  EXPECT_EQ(digest.value, 15308275698098714182ull);
}

}  // namespace
}  // namespace UndulaTest
