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

BSTR Bstr(const std::u16string& text);
std::u16string FromBstr(BSTR text);  // frees text

}  // namespace Halvane::Movie::Testing
