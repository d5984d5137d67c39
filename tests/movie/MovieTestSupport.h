// Shared helpers of the movie control's tests: hand-assembled action
// bytecode, movies made with the writer, loading a control the way the
// player does (through the real splice), and display-list snapshots.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "movie/MovieControl.h"
#include "platform/ShockwaveFlash.h"
#include "tools/SwfTags.h"
#include "tools/SwfWriter.h"

namespace Halvane::Movie::Testing {

using Tools::Bytes;

// Action bytecode pieces.
namespace Act {
Bytes Stop();
Bytes Play();
Bytes GotoFrame(std::uint16_t frame);
Bytes GotoLabel(const std::string& label);
Bytes PushString(const std::string& text);
Bytes SetVariable(const std::string& name, const std::string& value);
Bytes Join(std::initializer_list<Bytes> parts);
}  // namespace Act

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

// A display list flattened for comparison.
struct PlacedObject {
  int depth;
  std::uint16_t characterId;
  Matrix matrix;
  ColorTransform colorTransform;
  std::uint16_t ratio;
  std::string name;
  std::uint16_t clipDepth;
  bool isSprite;
  bool operator==(const PlacedObject& o) const;
};
std::vector<PlacedObject> Snapshot(const MovieClip& clip);
std::ostream& operator<<(std::ostream& out, const PlacedObject& o);

BSTR Bstr(const std::u16string& text);
std::u16string FromBstr(BSTR text);  // frees text

}  // namespace Halvane::Movie::Testing
