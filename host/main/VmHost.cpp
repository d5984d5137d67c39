// vmhost: the reference host. Loads layer plug-ins under names and runs a
// script of messages and host steps against them (see docs/host.md).
//
//   vmhost [--plugin NAME=LIBRARY]... [--output DIR] SCRIPT
#include <filesystem>
#include <iostream>
#include <string>

#include "host/HostSession.h"
#include "host/PlugInLibrary.h"
#include "platform/ConsoleOutput.h"

namespace {

int Usage() {
  std::cerr << "usage: vmhost [--plugin NAME=LIBRARY]... [--output DIR] SCRIPT\n";
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  Halvane::Platform::UseByteExactStandardStreams();
  using Halvane::Host::HostSession;
  HostSession session(std::cout, std::cerr);
  std::string script;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--plugin" && i + 1 < argc) {
      const std::string plugInArgument = argv[++i];
      const std::size_t eq = plugInArgument.find('=');
      if (eq == std::string::npos || eq == 0 || eq + 1 == plugInArgument.size()) return Usage();
      Halvane::Host::PlugInLibrary library;
      std::string error;
      if (!Halvane::Host::LoadPlugInLibrary(plugInArgument.substr(0, eq), plugInArgument.substr(eq + 1), library,
                                            error)) {
        std::cerr << "vmhost: " << error << "\n";
        return 1;
      }
      if (!session.AddPlugIn(library)) {
        std::cerr << "vmhost: plug-in name used twice: " << library.name << "\n";
        return 1;
      }
    } else if (arg == "--output" && i + 1 < argc) {
      session.SetOutputFolder(argv[++i]);
    } else if (!arg.empty() && arg[0] != '-' && script.empty()) {
      script = arg;
    } else {
      return Usage();
    }
  }
  if (script.empty()) return Usage();
  session.SetInputFolder(std::filesystem::path(script).parent_path().string());
  return session.RunFile(script) ? 0 : 2;
}
