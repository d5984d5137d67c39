// OleDraw for targets without COM: the same steps as the platform's, through
// the object's IViewObject.
#include "platform/Com.h"

const IID IID_IViewObject = {0x0000010D, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

HRESULT OleDraw(IUnknown* object, DWORD aspect, HDC drawDC, LPCRECT bounds) {
  if (object == nullptr) return E_INVALIDARG;
  IViewObject* view = nullptr;
  const HRESULT queried = object->QueryInterface(IID_IViewObject, reinterpret_cast<void**>(&view));
  if (FAILED(queried) || view == nullptr) return E_NOINTERFACE;
  RECTL rect{};
  if (bounds != nullptr) rect = RECTL{bounds->left, bounds->top, bounds->right, bounds->bottom};
  const HRESULT result = view->Draw(aspect, -1, nullptr, nullptr, nullptr, drawDC,
                                    bounds != nullptr ? &rect : nullptr, nullptr, nullptr, 0);
  view->Release();
  return result;
}
