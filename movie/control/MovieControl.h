// The project's movie control: created by the control's class identifier,
// driven through IShockwaveFlash (its methods also by name, through
// IDispatch), persisted through IPersistStreamInit (see
// ControlPersistence.h for the stream), drawn through IViewObject (OleDraw)
// by a renderer of its own, and moved on by its own clock through
// IMovieControlClock.
//
// Reference counted; created with one reference by MovieControl::Create and
// destroyed by the last Release. Not thread-safe: everything but AddRef and
// Release belongs to the thread that created it (the player's worker).
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "movie/control/ControlPersistence.h"
#include "movie/control/FlashDispatch.h"
#include "movie/render/DisplayListRenderer.h"
#include "movie/render/FrameRenderer.h"
#include "movie/timeline/FrameClock.h"
#include "movie/timeline/MoviePlayer.h"
#include "platform/Com.h"
#include "platform/ShockwaveFlash.h"

// The clock entry the worker's timer calls. {5B1E0C2A-7D44-4E8B-9A61-2C3F4D5E6A70}
inline constexpr IID IID_IMovieControlClock = {
    0x5B1E0C2A, 0x7D44, 0x4E8B, {0x9A, 0x61, 0x2C, 0x3F, 0x4D, 0x5E, 0x6A, 0x70}};

struct IMovieControlClock : IUnknown {
  // Moves the movie on by the milliseconds elapsed since the last call: the
  // frames due at the movie's rate (at most FrameClock::MaxCatchUp) are
  // stepped. S_OK when frames were stepped (the picture may have changed),
  // S_FALSE when none were due or no movie is loaded.
  virtual HRESULT STDMETHODCALLTYPE AdvanceClock(DWORD elapsedMilliseconds) = 0;
  // The period the timer should use (milliseconds per frame); 0 when no
  // movie is loaded or its frame rate is 0 (then no timer is needed).
  virtual HRESULT STDMETHODCALLTYPE GetFrameInterval(DWORD* milliseconds) = 0;

 protected:
  ~IMovieControlClock() = default;
};

namespace Halvane::Movie {

// The quality a movie's scripts read as _quality (0 LOW, 2 HIGH) at each
// value of the control's Quality property: 0 (low) and 2 (auto-low) give
// LOW, 1 (high) and 3 (auto-high) HIGH. The platform's control then switches
// the auto qualities by how well the machine keeps up; ours keeps the
// starting one, so that a movie draws the same every time. The property and
// the scripts set one quality: what a script's _quality, _highquality or
// toggleHighQuality sets holds until the property is set again.
int ScriptQualityOf(int qualityProperty);

// How the control draws at a script quality: LOW without anti-aliasing,
// MEDIUM on a 2 x 2 grid of samples, HIGH and BEST on a 4 x 4 grid.
Render::Quality DrawingQualityOf(int scriptQuality);

// What a movie's scripts reach of the world: where its trace lines go, the
// wall clock and time zone its Date objects read, and the code page of the
// texts in movies before version 6 (to UTF-8). An empty member means the
// platform's: its debug output, the system clock, the system's time zone,
// the system code page.
struct MovieServices {
  std::function<void(const std::string&)> trace;
  std::function<double()> wallClock;  // milliseconds since 1970-01-01 UTC
  std::function<int(double)> localOffsetMinutes;
  std::function<std::string(const std::string&)> legacyText;
};

// Adds the control to the class table under {D27CDB6E-AE6D-11CF-96B8-444553540000}.
HRESULT RegisterMovieControlClass();

class MovieControl final : public ShockwaveFlashDispatch,
                           public IPersistStreamInit,
                           public IViewObject,
                           public IMovieControlClock {
 public:
  // The class factory: a new control with default properties and no movie,
  // answered as iid.
  static HRESULT Create(REFIID iid, void** object);

  // IUnknown.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IShockwaveFlash. Without a movie, the frame methods, GotoFrame and the
  // variable and function methods fail with E_FAIL; the property methods
  // work and are kept for the next movie.
  HRESULT STDMETHODCALLTYPE put_Quality(int quality) override;  // 0..3, else E_INVALIDARG
  HRESULT STDMETHODCALLTYPE get_Quality(int* quality) override;
  HRESULT STDMETHODCALLTYPE put_Loop(VARIANT_BOOL loop) override;
  HRESULT STDMETHODCALLTYPE get_Loop(VARIANT_BOOL* loop) override;
  HRESULT STDMETHODCALLTYPE put_Playing(VARIANT_BOOL playing) override;
  HRESULT STDMETHODCALLTYPE get_Playing(VARIANT_BOOL* playing) override;
  HRESULT STDMETHODCALLTYPE put_WMode(BSTR mode) override;
  HRESULT STDMETHODCALLTYPE get_TotalFrames(long* frames) override;
  HRESULT STDMETHODCALLTYPE get_FrameNum(long* frame) override;
  HRESULT STDMETHODCALLTYPE GotoFrame(long frame) override;  // E_INVALIDARG out of range
  HRESULT STDMETHODCALLTYPE Play() override;
  HRESULT STDMETHODCALLTYPE Stop() override;
  HRESULT STDMETHODCALLTYPE put_FlashVars(BSTR vars) override;
  HRESULT STDMETHODCALLTYPE GetVariable(BSTR name, BSTR* value) override;
  HRESULT STDMETHODCALLTYPE SetVariable(BSTR name, BSTR value) override;
  HRESULT STDMETHODCALLTYPE CallFunction(BSTR request, BSTR* response) override;

  // IPersistStreamInit. Load takes either stream shape; a failing Load
  // leaves the control as it was.
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* classId) override;
  HRESULT STDMETHODCALLTYPE IsDirty() override;
  HRESULT STDMETHODCALLTYPE Load(IStream* stream) override;
  HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clearDirty) override;
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;
  HRESULT STDMETHODCALLTYPE InitNew() override;

  // IViewObject: Draw of DVASPECT_CONTENT paints the current frame into
  // bounds of drawDC (the DIB section selected into it) through the
  // control's renderer, the stage shown whole, at the quality the Quality
  // property or a script last set (DrawingQualityOf); S_OK also when there
  // is no movie or nothing to paint. The rest E_NOTIMPL.
  HRESULT STDMETHODCALLTYPE Draw(DWORD drawAspect, LONG index, void* aspect,
                                 DVTARGETDEVICE* targetDevice, HDC targetDC, HDC drawDC,
                                 LPCRECTL bounds, LPCRECTL windowBounds,
                                 BOOL(STDMETHODCALLTYPE* shouldContinue)(ULONG_PTR),
                                 ULONG_PTR continueValue) override;
  HRESULT STDMETHODCALLTYPE GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                        LOGPALETTE**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Unfreeze(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetAdvise(DWORD, DWORD, IAdviseSink*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetAdvise(DWORD*, DWORD*, IAdviseSink**) override {
    return E_NOTIMPL;
  }

  // IMovieControlClock.
  HRESULT STDMETHODCALLTYPE AdvanceClock(DWORD elapsedMilliseconds) override;
  HRESULT STDMETHODCALLTYPE GetFrameInterval(DWORD* milliseconds) override;

  // The movie in play, null without one; for tests that look at the
  // display list.
  const MoviePlayer* Player() const { return player_.get(); }

  // The renderer this control draws with from its next Draw on; null puts
  // back its own (a DisplayListRenderer), which a new control starts with.
  void SetRenderer(std::unique_ptr<FrameRenderer> renderer);

  // The services of the movie in play and of the movies loaded later.
  void SetServices(MovieServices services);

  // One frame step whatever the clock says (for swfrun and tests): the
  // movie's time moves on by one frame at its rate, the frame is stepped,
  // then the timers that are due are called. False without a movie.
  bool StepFrame();

 private:
  MovieControl() = default;
  ~MovieControl() = default;

  std::atomic<ULONG> references_{1};
  ControlProperties properties_;
  std::unique_ptr<MoviePlayer> player_;
  std::unique_ptr<FrameRenderer> renderer_;  // null: the control draws with ownRenderer_
  Render::DisplayListRenderer ownRenderer_;
  // The glyphs that measure fields for the actions (textWidth, autoSize),
  // apart from the renderer's, which may be another's.
  Render::GlyphLibrary measureGlyphs_;
  FrameClock clock_;
  // Milliseconds the clock has been given since the movie was loaded, which
  // the movie's actions read as their timer.
  double movieTime_ = 0;
  MovieServices services_;

  void ApplyServices();
  // The frames due, then the timers due at the movie's time.
  void StepFrames(int frames);
  bool dirty_ = false;
};

}  // namespace Halvane::Movie
