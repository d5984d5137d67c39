// A COM server library for the Windows tests: registered under the movie
// control's class, its class factory is found but refuses to create the
// control, as an installed control that cannot run does.
#include "platform/Com.h"

namespace {

class RefusingFactory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      *object = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, void** object) override {
    if (object != nullptr) *object = nullptr;
    return E_ACCESSDENIED;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

RefusingFactory factory;

}  // namespace

STDAPI DllGetClassObject(REFCLSID, REFIID iid, LPVOID* object) {
  return factory.QueryInterface(iid, object);
}

STDAPI DllCanUnloadNow() { return S_OK; }
