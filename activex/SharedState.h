// The fields that both threads of a SwfPlayer touch: the arguments of a
// request (written by the host's thread, read by the worker), its answers
// (the other way round), and what the worker needs to set the control up.
//
// Every field is read and written only under the block's own lock, one
// field per lock hold, except the two grouped stores of the open and the
// draw request. The lock guards only the hand-over: it is never held while
// the control is called, while a thread waits or while a message is posted,
// and nothing else in the player is locked, so there is no lock order.
//
// Shared wide strings are stored by taking a reference (the previous value's
// reference is dropped) and loaded by handing out a new one; no text is
// copied between the threads.
#pragma once

#include <cstdint>
#include <string>

#include "activex/SharedWideString.h"
#include "platform/Com.h"
#include "threading/CriticalSection.h"

namespace Halvane::ActiveX {

class SharedState {
 public:
  // The lock first, then Reset.
  SharedState() { Reset(); }
  SharedState(const SharedState&) = delete;
  SharedState& operator=(const SharedState&) = delete;

  // loop 1; every other number, the device context and the file name 0 or
  // empty; each string a new empty string (length 0, not null).
  void Reset();

  HRESULT LoadLastResult() { return Load(lastResult_); }
  void StoreLastResult(HRESULT result) { Store(lastResult_, result); }

  // The open request, in one lock hold.
  void StoreOpenRequest(const std::string& fileName, std::int64_t sourceOffset,
                        std::int64_t sourceSize);
  std::string LoadFileName() { return Load(fileName_); }
  std::int64_t LoadSourceOffset() { return Load(sourceOffset_); }
  std::int64_t LoadSourceSize() { return Load(sourceSize_); }

  std::int32_t LoadPlaying() { return Load(playing_); }
  void StorePlaying(std::int32_t playing) { Store(playing_, playing); }

  // The draw request, in one lock hold.
  void StoreDrawRequest(HDC dc, std::int32_t x, std::int32_t y, std::int32_t width,
                        std::int32_t height);
  HDC LoadDrawDC() { return Load(drawDC_); }
  std::int32_t LoadDrawX() { return Load(drawX_); }
  std::int32_t LoadDrawY() { return Load(drawY_); }
  std::int32_t LoadDrawWidth() { return Load(drawWidth_); }
  std::int32_t LoadDrawHeight() { return Load(drawHeight_); }

  std::int32_t LoadWidth() { return Load(width_); }
  void StoreWidth(std::int32_t width) { Store(width_, width); }
  std::int32_t LoadHeight() { return Load(height_); }
  void StoreHeight(std::int32_t height) { Store(height_, height); }
  std::int32_t LoadQuality() { return Load(quality_); }
  void StoreQuality(std::int32_t quality) { Store(quality_, quality); }
  std::int32_t LoadLoop() { return Load(loop_); }
  void StoreLoop(std::int32_t loop) { Store(loop_, loop); }
  std::int32_t LoadTotalFrames() { return Load(totalFrames_); }
  void StoreTotalFrames(std::int32_t frames) { Store(totalFrames_, frames); }
  std::int32_t LoadFrameNumber() { return Load(frameNumber_); }
  void StoreFrameNumber(std::int32_t frame) { Store(frameNumber_, frame); }

  SharedWideString LoadVariableName() { return Load(variableName_); }
  void StoreVariableName(const SharedWideString& name) { StoreString(variableName_, name); }
  SharedWideString LoadVariableValue() { return Load(variableValue_); }
  void StoreVariableValue(const SharedWideString& value) { StoreString(variableValue_, value); }
  SharedWideString LoadCallRequest() { return Load(callRequest_); }
  void StoreCallRequest(const SharedWideString& request) { StoreString(callRequest_, request); }
  SharedWideString LoadCallResponse() { return Load(callResponse_); }
  void StoreCallResponse(const SharedWideString& response) {
    StoreString(callResponse_, response);
  }
  SharedWideString LoadFlashVars() { return Load(flashVars_); }
  void StoreFlashVars(const SharedWideString& vars) { StoreString(flashVars_, vars); }

 private:
  template <class T>
  T Load(const T& field) {
    Threading::CriticalSectionGuard guard(lock_);
    return field;
  }
  template <class T>
  void Store(T& field, const T& value) {
    Threading::CriticalSectionGuard guard(lock_);
    field = value;
  }
  // The previous value is let go after the lock, since it may free its text.
  void StoreString(SharedWideString& field, const SharedWideString& value);

  Threading::CriticalSection lock_;
  HRESULT lastResult_ = 0;
  std::string fileName_;
  std::int64_t sourceOffset_ = 0;
  std::int64_t sourceSize_ = 0;
  std::int32_t playing_ = 0;
  HDC drawDC_ = nullptr;
  std::int32_t drawX_ = 0;
  std::int32_t drawY_ = 0;
  std::int32_t drawWidth_ = 0;
  std::int32_t drawHeight_ = 0;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::int32_t quality_ = 0;
  std::int32_t loop_ = 1;
  std::int32_t totalFrames_ = 0;
  std::int32_t frameNumber_ = 0;
  SharedWideString variableName_;
  SharedWideString variableValue_;
  SharedWideString callRequest_;
  SharedWideString callResponse_;
  SharedWideString flashVars_;
};

}  // namespace Halvane::ActiveX
