#include "graphics/HDCGetter.h"

namespace Halvane::Graphics {

HDCGetter::HDCGetter(Platform::GdiObject bitmap) {
  deviceContext = Platform::CreateMemoryContext(nullptr);
  if (deviceContext != nullptr) {
    previousObject = Platform::SelectIntoContext(deviceContext, bitmap);
  }
}

HDCGetter::~HDCGetter() {
  if (deviceContext == nullptr) return;
  if (previousObject != nullptr) Platform::SelectIntoContext(deviceContext, previousObject);
  Platform::DeleteMemoryContext(deviceContext);
}

}  // namespace Halvane::Graphics
