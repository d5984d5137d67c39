#include "movie/actions/BuiltinSupport.h"

namespace Halvane::Movie {

void InstallBuiltins(ScriptRuntime& rt) {
  Builtins::InstallObjectAndFunction(rt);
  Builtins::InstallArray(rt);
  Builtins::InstallString(rt);
  Builtins::InstallNumberAndBoolean(rt);
  Builtins::InstallMath(rt);
  Builtins::InstallDate(rt);
  Builtins::InstallGlobals(rt);
  Builtins::InstallMovieClip(rt);
  Builtins::InstallTextField(rt);
  Builtins::InstallStageAndSystem(rt);
  Builtins::InstallSelection(rt);
  Builtins::InstallXml(rt);
  Builtins::InstallServices(rt);
  // flash.geom and flash.display go into the flash object Services makes.
  Builtins::InstallGeometry(rt);
  Builtins::InstallFileReference(rt);
}

}  // namespace Halvane::Movie
