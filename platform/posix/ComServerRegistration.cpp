// No registry on this target.
#include "platform/ComServerRegistration.h"

namespace Halvane::Platform {

HRESULT RegisterInprocServer(const InprocServerClass&, RegistryScope, const void*) {
  return E_NOTIMPL;
}

HRESULT UnregisterInprocServer(const InprocServerClass&, RegistryScope, const void*) {
  return E_NOTIMPL;
}

}  // namespace Halvane::Platform
