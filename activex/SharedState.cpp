#include "activex/SharedState.h"

#include <utility>

namespace Halvane::ActiveX {

void SharedState::Reset() {
  // The new strings are made, and the old ones let go, outside the lock.
  SharedWideString fresh[5];
  for (SharedWideString& text : fresh) text = SharedWideString::FromText(u"");
  std::string oldName;
  {
    Threading::CriticalSectionGuard guard(lock_);
    lastResult_ = 0;
    oldName.swap(fileName_);
    sourceOffset_ = 0;
    sourceSize_ = 0;
    playing_ = 0;
    drawDC_ = nullptr;
    drawX_ = drawY_ = drawWidth_ = drawHeight_ = 0;
    width_ = height_ = 0;
    quality_ = 0;
    totalFrames_ = 0;
    frameNumber_ = 0;
    loop_ = 1;
    std::swap(variableName_, fresh[0]);
    std::swap(variableValue_, fresh[1]);
    std::swap(callRequest_, fresh[2]);
    std::swap(callResponse_, fresh[3]);
    std::swap(flashVars_, fresh[4]);
  }
}

void SharedState::StoreOpenRequest(const std::string& fileName, std::int64_t sourceOffset,
                                   std::int64_t sourceSize) {
  std::string copy = fileName;
  Threading::CriticalSectionGuard guard(lock_);
  fileName_.swap(copy);
  sourceOffset_ = sourceOffset;
  sourceSize_ = sourceSize;
}

void SharedState::StoreDrawRequest(HDC dc, std::int32_t x, std::int32_t y, std::int32_t width,
                                   std::int32_t height) {
  Threading::CriticalSectionGuard guard(lock_);
  drawDC_ = dc;
  drawX_ = x;
  drawY_ = y;
  drawWidth_ = width;
  drawHeight_ = height;
}

void SharedState::StoreString(SharedWideString& field, const SharedWideString& value) {
  SharedWideString previous = value;
  {
    Threading::CriticalSectionGuard guard(lock_);
    std::swap(field, previous);
  }
}

}  // namespace Halvane::ActiveX
