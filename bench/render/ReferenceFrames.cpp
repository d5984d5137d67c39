#include "ReferenceFrames.h"

#include <fstream>
#include <iterator>

#include "io/MemoryStream.h"
#include "movie/control/ControlPersistence.h"
#include "movie/control/MovieControl.h"
#include "movie/render/DisplayListRenderer.h"
#include "movie/render/FrameWalker.h"
#include "movie/render/StageGeometry.h"
#include "platform/Gdi.h"

namespace Halvane::Movie::Render::Bench {

namespace {

class Recorder final : public DrawSink {
 public:
  explicit Recorder(std::vector<FrameCall>* calls) : calls_(calls) {}
  void DrawShape(const ShapeLayer& shape, const Transform& placement, const ColorTransform& color) override {
    FrameCall c;
    c.shape = &shape;
    c.placement = placement;
    c.color = color;
    calls_->push_back(c);
  }
  void BeginMask() override { Add(FrameCall::Kind::BeginMask); }
  void EndMask() override { Add(FrameCall::Kind::EndMask); }
  void PopMask() override { Add(FrameCall::Kind::PopMask); }
  void PushLayer(BlendMode mode) override {
    Add(FrameCall::Kind::PushLayer);
    calls_->back().mode = mode;
  }
  void PopLayer() override { Add(FrameCall::Kind::PopLayer); }

 private:
  void Add(FrameCall::Kind kind) {
    FrameCall c;
    c.kind = kind;
    calls_->push_back(c);
  }
  std::vector<FrameCall>* calls_;
};

// The stream the player builds: the movie spliced into a property stream
// (high quality, not playing).
std::vector<std::uint8_t> LoadStream(const std::vector<std::uint8_t>& file) {
  ControlProperties properties;
  properties.quality = 1;
  properties.playing = false;
  const std::vector<std::uint8_t> saved = EncodeControlProperties(properties);
  std::vector<std::uint8_t> load{0x66};
  load.insert(load.end(), saved.begin() + 1, saved.begin() + 4);
  const std::uint32_t length = static_cast<std::uint32_t>(file.size());
  for (int i = 0; i < 4; ++i) load.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
  load.insert(load.end(), file.begin(), file.end());
  load.insert(load.end(), saved.begin() + 4, saved.end());
  return load;
}

}  // namespace

struct ReferenceFrame::State {
  IShockwaveFlash* control = nullptr;
  HDC context = nullptr;
  Platform::GdiObject bitmap = nullptr;
  Platform::GdiObject previous = nullptr;
  ShapeCache cache;  // the recorded calls' shapes
};

ReferenceFrame::ReferenceFrame(const std::string& folder) : name_(folder), state_(std::make_unique<State>()) {
  std::ifstream in(std::string(VM_REFERENCE_DIR "/") + folder + "/movie.swf", std::ios::binary);
  const std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (file.empty()) return;
  const std::vector<std::uint8_t> load = LoadStream(file);
  IO::MemoryStream* stream = nullptr;
  if (FAILED(IO::CreateMemoryStream(0, &stream))) return;
  stream->Write(load.data(), static_cast<ULONG>(load.size()), nullptr);
  LARGE_INTEGER zero{};
  stream->Seek(zero, STREAM_SEEK_SET, nullptr);
  IPersistStreamInit* persist = nullptr;
  if (SUCCEEDED(MovieControl::Create(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist)))) {
    if (SUCCEEDED(persist->Load(stream))) {
      persist->QueryInterface(IID_IShockwaveFlash, reinterpret_cast<void**>(&state_->control));
    }
    persist->Release();
  }
  stream->Release();
  if (state_->control == nullptr) return;

  Platform::DibHeader header{};
  header.biSize = 40;
  header.biWidth = Width;
  header.biHeight = Height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = Platform::kDibRgb;
  state_->context = Platform::CreateMemoryContext(nullptr);
  void* bits = nullptr;
  state_->bitmap = Platform::CreateDibSection(state_->context, header, &bits);
  if (state_->bitmap != nullptr) state_->previous = Platform::SelectIntoContext(state_->context, state_->bitmap);

  const MoviePlayer& player = *static_cast<MovieControl*>(state_->control)->Player();
  const StageGeometry geometry =
      ShowAllGeometry(player.Definition().frameRect, Movie::PixelRect{0, 0, Width, Height});
  Recorder recorder(&calls_);
  FrameWalker walker;
  walker.Walk(player, StageTransform(player.Definition().frameRect, geometry), state_->cache, recorder);
}

ReferenceFrame::~ReferenceFrame() {
  if (state_->previous != nullptr) Platform::SelectIntoContext(state_->context, state_->previous);
  if (state_->bitmap != nullptr) Platform::DeleteGdiObject(state_->bitmap);
  if (state_->context != nullptr) Platform::DeleteMemoryContext(state_->context);
  if (state_->control != nullptr) state_->control->Release();
}

bool ReferenceFrame::Valid() const { return state_->control != nullptr && state_->bitmap != nullptr; }

void ReferenceFrame::DrawWithControl() {
  const RECT box{0, 0, Width, Height};
  OleDraw(state_->control, DVASPECT_CONTENT, state_->context, &box);
}

std::vector<std::string> ReferenceFolders() {
  return {"button_text_variable", "gradient_nonsequential_ratios", "gradient_same_ratios", "gradients_focal_radial",
          "gradients_gradients", "gradients_radial", "layers", "masks", "overlaps", "strokes_scale", "winding_rule"};
}

}  // namespace Halvane::Movie::Render::Bench
