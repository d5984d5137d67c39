#include "host/PlugInLibrary.h"

namespace Halvane::Host {

namespace {
template <class F>
F Find(Platform::ModuleHandle module, const char* name) {
  return reinterpret_cast<F>(Platform::FindModuleFunction(module, name));
}
}  // namespace

bool LoadPlugInLibrary(const std::string& name, const std::string& path,
                       PlugInLibrary& library, std::string& error) {
  Platform::ModuleHandle module = Platform::LoadModule(path.c_str());
  if (module == nullptr) {
    error = "cannot load " + path;
    return false;
  }
  PlugInLibrary loaded;
  loaded.name = name;
  loaded.path = path;
  loaded.module = module;
  loaded.initialize = Find<PlugInLibrary::InitializeFunction>(module, "Initialize");
  loaded.finalize = Find<PlugInLibrary::FinalizeFunction>(module, "Finalize");
  loaded.draw = Find<PlugInLibrary::DrawFunction>(module, "Draw");
  loaded.timer = Find<PlugInLibrary::TimerFunction>(module, "Timer");
  loaded.message = Find<PlugInLibrary::MessageFunction>(module, "Message");
  if (!loaded.initialize || !loaded.draw || !loaded.timer || !loaded.message) {
    error = path + " lacks one of Initialize, Draw, Timer, Message";
    Platform::ReleaseModule(module);
    return false;
  }
  library = loaded;
  return true;
}

}  // namespace Halvane::Host
