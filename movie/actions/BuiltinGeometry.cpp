#include "movie/actions/BuiltinSupport.h"

namespace Halvane::Movie::Builtins {

void InstallGeometry(ScriptRuntime& rt) {
  if (rt.textFieldProto == nullptr) rt.textFieldProto = rt.NewObject();
}

}  // namespace Halvane::Movie::Builtins
