#include "movie/control/MovieControl.h"

#include <new>
#include <string>

#include "movie/actions/ActionPath.h"
#include "movie/actions/FlashVars.h"
#include "movie/swf/MovieFile.h"
#include "movie/swf/SwfParser.h"
#include "movie/swf/Text.h"
#include "platform/CodePage.h"
#include "platform/ComClasses.h"
#include "platform/DebugOutput.h"
#include "platform/Gdi.h"

namespace Halvane::Movie {

namespace {

// The published "invalid aspect" result of IViewObject::Draw.
constexpr HRESULT kInvalidAspect = static_cast<HRESULT>(0x8004006Bu);

// A null BSTR is the empty text.
std::string Utf8FromBstr(BSTR text) { return Utf16ToUtf8(Platform::FromBstr(text)); }

BSTR NewBstr(const std::string& utf8) { return Platform::NewBstr(Utf8ToUtf16(utf8)); }

// The pixels of the DIB section selected into the context, top row first; an
// empty target when the context has none (nothing is drawn then).
PixelTarget PixelTargetOf(HDC dc) {
  Platform::DibPixels dib;
  PixelTarget target;
  if (!Platform::SelectedDibPixels(dc, &dib) || dib.bits == nullptr) return target;
  target.width = dib.width;
  target.height = dib.height;
  target.bitsPerPixel = dib.bitsPerPixel;
  if (dib.bottomUp) {
    target.pixels = dib.bits + static_cast<std::ptrdiff_t>(dib.height - 1) * dib.stride;
    target.stride = -static_cast<std::ptrdiff_t>(dib.stride);
  } else {
    target.pixels = dib.bits;
    target.stride = dib.stride;
  }
  return target;
}

HRESULT WriteAll(IStream* stream, const std::vector<std::uint8_t>& bytes) {
  ULONG written = 0;
  const HRESULT result = stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
  if (FAILED(result)) return result;
  return written == bytes.size() ? S_OK : STG_E_MEDIUMFULL;
}

}  // namespace

int ScriptQualityOf(int qualityProperty) { return qualityProperty == 0 || qualityProperty == 2 ? 0 : 2; }

Render::Quality DrawingQualityOf(int scriptQuality) {
  if (scriptQuality <= 0) return Render::Quality::Low;
  return scriptQuality == 1 ? Render::Quality::Medium : Render::Quality::High;
}

HRESULT RegisterMovieControlClass() {
  return Platform::RegisterComClass(CLSID_ShockwaveFlash, &MovieControl::Create);
}

HRESULT MovieControl::Create(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  auto* control = new (std::nothrow) MovieControl();
  if (control == nullptr) return E_OUTOFMEMORY;
  const HRESULT result = control->QueryInterface(iid, object);
  control->Release();  // the query holds the one reference that is handed out
  return result;
}

HRESULT MovieControl::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  using Platform::SameGuid;
  if (SameGuid(iid, IID_IUnknown) || SameGuid(iid, IID_IShockwaveFlash) ||
      SameGuid(iid, IID_IDispatch)) {
    *object = static_cast<IShockwaveFlash*>(this);
  } else if (SameGuid(iid, IID_IPersistStreamInit)) {
    *object = static_cast<IPersistStreamInit*>(this);
  } else if (SameGuid(iid, IID_IPersist)) {
    *object = static_cast<IPersist*>(static_cast<IPersistStreamInit*>(this));
  } else if (SameGuid(iid, IID_IViewObject)) {
    *object = static_cast<IViewObject*>(this);
  } else if (SameGuid(iid, IID_IMovieControlClock)) {
    *object = static_cast<IMovieControlClock*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG MovieControl::AddRef() { return ++references_; }

ULONG MovieControl::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT MovieControl::put_Quality(int quality) {
  if (quality < 0 || quality > 3) return E_INVALIDARG;
  properties_.quality = quality;
  if (player_) player_->PlayerSettings().quality = ScriptQualityOf(quality);
  dirty_ = true;
  return S_OK;
}

HRESULT MovieControl::get_Quality(int* quality) {
  if (quality == nullptr) return E_POINTER;
  *quality = properties_.quality;
  return S_OK;
}

HRESULT MovieControl::put_Loop(VARIANT_BOOL loop) {
  properties_.loop = loop != VARIANT_FALSE;
  if (player_) player_->SetLoop(properties_.loop);
  dirty_ = true;
  return S_OK;
}

HRESULT MovieControl::get_Loop(VARIANT_BOOL* loop) {
  if (loop == nullptr) return E_POINTER;
  *loop = properties_.loop ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT MovieControl::put_Playing(VARIANT_BOOL playing) {
  return playing != VARIANT_FALSE ? Play() : Stop();
}

HRESULT MovieControl::get_Playing(VARIANT_BOOL* playing) {
  if (playing == nullptr) return E_POINTER;
  const bool on = player_ ? player_->Root().Playing() : properties_.playing;
  *playing = on ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT MovieControl::put_WMode(BSTR mode) {
  properties_.windowMode = Platform::FromBstr(mode);
  dirty_ = true;
  return S_OK;
}

HRESULT MovieControl::get_TotalFrames(long* frames) {
  if (frames == nullptr) return E_POINTER;
  if (!player_) return E_FAIL;
  *frames = player_->Root().TotalFrames();
  return S_OK;
}

HRESULT MovieControl::get_FrameNum(long* frame) {
  if (frame == nullptr) return E_POINTER;
  if (!player_) return E_FAIL;
  *frame = player_->Root().CurrentFrame();
  return S_OK;
}

HRESULT MovieControl::GotoFrame(long frame) {
  if (!player_) return E_FAIL;
  if (frame < 0 || frame >= player_->Root().TotalFrames()) return E_INVALIDARG;
  player_->GotoFrame(static_cast<int>(frame));
  return S_OK;
}

HRESULT MovieControl::Play() {
  properties_.playing = true;
  if (player_ && !player_->Root().Playing()) {
    player_->Root().Play();
    clock_.Reset();
  }
  dirty_ = true;
  return S_OK;
}

HRESULT MovieControl::Stop() {
  properties_.playing = false;
  if (player_) player_->Root().Stop();
  dirty_ = true;
  return S_OK;
}

HRESULT MovieControl::put_FlashVars(BSTR vars) {
  properties_.flashVars = Platform::FromBstr(vars);
  dirty_ = true;
  if (player_) ApplyFlashVars(player_->Root(), Utf16ToUtf8(properties_.flashVars));
  return S_OK;
}

HRESULT MovieControl::GetVariable(BSTR name, BSTR* value) {
  if (value == nullptr) return E_POINTER;
  *value = nullptr;
  if (!player_) return E_FAIL;
  std::string text;
  if (!GetVariableText(player_->Root(), Utf8FromBstr(name), player_->Definition().version,
                       text)) {
    return E_FAIL;
  }
  *value = NewBstr(text);
  return *value != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT MovieControl::SetVariable(BSTR name, BSTR value) {
  if (!player_) return E_FAIL;
  if (!SetVariableText(player_->Root(), Utf8FromBstr(name), Utf8FromBstr(value),
                       player_->Definition().version)) {
    return E_FAIL;
  }
  player_->RunActions();  // a frame property set this way may have queued actions
  return S_OK;
}

HRESULT MovieControl::CallFunction(BSTR request, BSTR* response) {
  if (response == nullptr) return E_POINTER;
  *response = nullptr;
  if (!player_) return E_FAIL;
  std::string answer;
  player_->Context().instructionBudget = ActionContext::DefaultBudget;
  const bool called =
      InvokeExternal(Utf8FromBstr(request), player_->Root(), player_->Context(), answer);
  player_->RunActions();  // frames the function went to run their actions now
  if (!called) return E_FAIL;
  *response = NewBstr(answer);
  return *response != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT MovieControl::GetClassID(CLSID* classId) {
  if (classId == nullptr) return E_POINTER;
  *classId = CLSID_ShockwaveFlash;
  return S_OK;
}

HRESULT MovieControl::IsDirty() { return dirty_ ? S_OK : S_FALSE; }

HRESULT MovieControl::Load(IStream* stream) {
  LoadedControlState state;
  const HRESULT read = ReadControlStream(stream, state);
  if (FAILED(read)) return read;
  std::unique_ptr<MoviePlayer> player;
  if (state.hasMovie) {
    std::vector<std::uint8_t> file;
    if (!UncompressMovie(state.movie, file)) return E_FAIL;
    state.movie.clear();
    std::unique_ptr<MovieDefinition> movie = ParseMovie(file.data(), file.size());
    if (!movie) return E_FAIL;
    const TwipsRect stage = movie->frameRect;
    player = std::make_unique<MoviePlayer>(std::move(movie));
    player->SetLoop(state.properties.loop);
    player->PlayerSettings().quality = ScriptQualityOf(state.properties.quality);
    ActionContext& context = player->Context();
    context.elapsedMilliseconds = [this] { return static_cast<std::uint32_t>(movieTime_); };
    context.stageWidth = static_cast<int>((static_cast<std::int64_t>(stage.xMax) - stage.xMin) / 20);
    context.stageHeight = static_cast<int>((static_cast<std::int64_t>(stage.yMax) - stage.yMin) / 20);
    context.movieBytes = file.size();
    movieTime_ = 0;  // frame 0's actions already read the new movie's time
    if (!state.properties.playing) player->Root().Stop();
    ApplyFlashVars(player->Root(), Utf16ToUtf8(state.properties.flashVars));
    player_.swap(player);
    ApplyServices();
    player_->Start();
    // The glyphs measured for the old movie go with it.
    measureGlyphs_.SetMovie(nullptr);
    player.reset();
  } else {
    measureGlyphs_.SetMovie(nullptr);
    player_.reset();
  }
  properties_ = std::move(state.properties);
  clock_.SetRate(player_ ? player_->Definition().frameRate : 0);
  movieTime_ = 0;
  dirty_ = false;
  return S_OK;
}

HRESULT MovieControl::Save(IStream* stream, BOOL clearDirty) {
  if (stream == nullptr) return E_POINTER;
  ControlProperties saved = properties_;
  if (player_) saved.playing = player_->Root().Playing();
  const HRESULT result = WriteAll(stream, EncodeControlProperties(saved));
  if (FAILED(result)) return result;
  if (clearDirty) dirty_ = false;
  return S_OK;
}

HRESULT MovieControl::GetSizeMax(ULARGE_INTEGER* size) {
  if (size == nullptr) return E_POINTER;
  size->QuadPart = EncodeControlProperties(properties_).size();
  return S_OK;
}

HRESULT MovieControl::InitNew() {
  properties_ = ControlProperties();
  measureGlyphs_.SetMovie(nullptr);
  player_.reset();
  clock_.SetRate(0);
  dirty_ = false;
  return S_OK;
}

HRESULT MovieControl::Draw(DWORD drawAspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC drawDC,
                           LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                           ULONG_PTR) {
  if (drawAspect != DVASPECT_CONTENT) return kInvalidAspect;
  if (bounds == nullptr) return E_INVALIDARG;
  if (!player_) return S_OK;  // nothing to draw: the context stays as it was
  const PixelRect box{static_cast<std::int32_t>(bounds->left), static_cast<std::int32_t>(bounds->top),
                      static_cast<std::int32_t>(bounds->right),
                      static_cast<std::int32_t>(bounds->bottom)};
  const StageGeometry geometry = ShowAllGeometry(player_->Definition().frameRect, box);
  if (geometry.scale <= 0) return S_OK;
  PixelTarget target = PixelTargetOf(drawDC);
  FrameRenderer& renderer = renderer_ ? *renderer_ : ownRenderer_;
  renderer.DrawFrame(*player_, target, geometry, DrawingQualityOf(player_->PlayerSettings().quality));
  return S_OK;
}

void MovieControl::SetRenderer(std::unique_ptr<FrameRenderer> renderer) {
  renderer_ = std::move(renderer);
}

void MovieControl::SetServices(MovieServices services) {
  services_ = std::move(services);
  ApplyServices();
}

void MovieControl::ApplyServices() {
  if (!player_) return;
  ActionContext& context = player_->Context();
  context.trace = services_.trace ? services_.trace : [](const std::string& line) { Platform::WriteDebugOutput(line); };
  context.currentTime = services_.wallClock;
  context.localOffsetMinutes = services_.localOffsetMinutes
                                   ? services_.localOffsetMinutes
                                   : [](double t) { return Platform::LocalTimeOffsetMinutes(t); };
  context.measureText = [this](const TextFieldData& field, double& width, double& height) {
    if (!player_) return false;
    measureGlyphs_.SetMovie(&player_->Definition());
    const bool measured = Render::MeasureEmbeddedField(field, player_->Definition(), measureGlyphs_, width, height);
    measureGlyphs_.EndFrame();
    return measured;
  };
  context.legacyText = services_.legacyText ? services_.legacyText : [](const std::string& text) {
    std::u16string wide;
    if (!Platform::SystemCodePageToUtf16(text, wide)) return text;
    return Utf16ToUtf8(wide);
  };
}

void MovieControl::StepFrames(int frames) {
  for (int i = 0; i < frames; ++i) player_->Step();
  player_->RunTimers(movieTime_);
}

bool MovieControl::StepFrame() {
  if (!player_) return false;
  const std::uint16_t rate = player_->Definition().frameRate;
  // A movie without a rate steps as the platform's player plays it, at 12.
  movieTime_ += 256000.0 / (rate != 0 ? rate : 12 * 256);
  StepFrames(1);
  return true;
}

HRESULT MovieControl::AdvanceClock(DWORD elapsedMilliseconds) {
  if (!player_) return S_FALSE;
  movieTime_ += elapsedMilliseconds;
  const int frames = clock_.Advance(elapsedMilliseconds);
  StepFrames(frames);
  return frames > 0 ? S_OK : S_FALSE;
}

HRESULT MovieControl::GetFrameInterval(DWORD* milliseconds) {
  if (milliseconds == nullptr) return E_POINTER;
  *milliseconds = player_ ? clock_.FrameIntervalMilliseconds() : 0;
  return S_OK;
}

}  // namespace Halvane::Movie
