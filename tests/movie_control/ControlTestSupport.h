// Helpers of the movie control's tests: loading a control the way the
// player does (through the real splice), COM references and texts. The
// action pieces and display-list snapshots come from the timeline's tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "movie/control/MovieControl.h"
#include "platform/ShockwaveFlash.h"
#include "tests/movie_timeline/TimelineTestSupport.h"
#include "tools/SwfTags.h"
#include "tools/SwfWriter.h"

namespace Halvane::Movie::Testing {

// A COM reference released at the end of the scope.
template <class T>
class Ref {
 public:
  Ref() = default;
  explicit Ref(T* p) : p_(p) {}
  ~Ref() { Reset(); }
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  Ref(Ref&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
  void Reset() {
    if (p_ != nullptr) p_->Release();
    p_ = nullptr;
  }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  T** Out() {
    Reset();
    return &p_;
  }
  void** OutVoid() { return reinterpret_cast<void**>(Out()); }

 private:
  T* p_ = nullptr;
};

// The properties a player sets on the throw-away control before saving.
struct PlayerProperties {
  int quality = 1;
  bool loop = true;
  bool playing = false;
  std::u16string windowMode = u"Transparent";
  std::u16string flashVars;  // set only when not empty
};

// A new control from the class table (registered on first use).
Ref<IShockwaveFlash> NewControl();
// The property stream of a throw-away control with those properties.
Bytes SavedProperties(const PlayerProperties& properties);
// The load stream the player builds from the property stream and the file.
Bytes SplicedStream(const Bytes& properties, const Bytes& file);
// A control loaded as the player loads it; null when Load failed
// (loadResult tells the result).
Ref<IShockwaveFlash> LoadControl(const Bytes& file, const PlayerProperties& properties = {},
                                 HRESULT* loadResult = nullptr);
// Load of raw stream bytes into a control.
HRESULT LoadBytes(IShockwaveFlash* control, const Bytes& stream);

const MoviePlayer* PlayerOf(IShockwaveFlash* control);

// A DIB section selected into a memory context, as the player hands the
// control one to draw into: 24 or 32 bits per pixel, rows bottom-up (a
// positive height) unless topDown. Every byte starts as a pattern unless
// filled.
class DibTarget {
 public:
  DibTarget(int width, int height, int bitsPerPixel = 24, bool topDown = false);
  ~DibTarget();
  DibTarget(const DibTarget&) = delete;
  DibTarget& operator=(const DibTarget&) = delete;

  bool Valid() const { return bits_ != nullptr; }
  HDC Context() const { return context_; }
  // Every pixel's colour bytes (the fourth byte of 32-bit pixels and the
  // row padding keep their pattern).
  void Fill(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
  // Blue, green, red (and the fourth byte) of the pixel in column x of row y
  // counted from the top.
  const std::uint8_t* Pixel(int x, int y) const;
  // The whole bitmap's bytes, padding included, and where in them a
  // pixel's bytes start.
  Bytes Memory() const;
  std::size_t Offset(int x, int y) const { return static_cast<std::size_t>(Pixel(x, y) - bits_); }
  int Width() const { return width_; }
  int Height() const { return height_; }
  int BytesPerPixel() const { return bitsPerPixel_ / 8; }
  // OleDraw of the control's content into box of this context.
  HRESULT Draw(IUnknown* control, const RECT& box) const;

 private:
  int width_;
  int height_;
  int bitsPerPixel_;
  bool topDown_;
  std::size_t stride_ = 0;
  HDC context_ = nullptr;
  void* bitmap_ = nullptr;
  void* previous_ = nullptr;
  std::uint8_t* bits_ = nullptr;
};

BSTR Bstr(const std::u16string& text);
std::u16string FromBstr(BSTR text);  // frees text

}  // namespace Halvane::Movie::Testing
