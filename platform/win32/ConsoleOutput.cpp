#include "platform/ConsoleOutput.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace Halvane::Platform {

void UseByteExactStandardStreams() {
  std::fflush(stdout);
  std::fflush(stderr);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

}  // namespace Halvane::Platform
