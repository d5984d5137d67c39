// The base that the host engine's layer plug-ins share. The host knows only
// the five exported functions; each plug-in forwards them to one object of a
// class derived from LayerPlugIn<T>, whose six virtual slots have defaults so
// that a plug-in overrides only what it needs.
#pragma once

#include <cstdint>

namespace Velmora {

template <class T>
class LayerPlugIn {
 public:
  // Slot 0: nothing to release in the base.
  virtual ~LayerPlugIn() = default;

  // Slot 1: set-up; the value is the host's and means nothing to the base.
  virtual void Initialize(std::int32_t value) {}

  // Slot 2: tear-down.
  virtual void Finalize() {}

  // Slot 3: compose into the host's 24-bit screen image, borrowed for the
  // call; the second value is the host's own.
  virtual void Draw(void* pixels, std::int32_t second) {}

  // Slot 4: 1 when the host should draw now, 0 when not yet.
  virtual std::int32_t Timer() { return 0; }

  // Slot 5: one command text (8-bit, zero-terminated) with the host's
  // integer result and 261-byte text result; returns the command's value.
  virtual std::int32_t Message(const char* text, std::int32_t* intResult,
                               char* textResult) {
    return 0;
  }
};

}  // namespace Velmora
