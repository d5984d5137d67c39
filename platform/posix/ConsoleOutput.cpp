// The streams of this target never translate line ends.
#include "platform/ConsoleOutput.h"

namespace Halvane::Platform {

void UseByteExactStandardStreams() {}

}  // namespace Halvane::Platform
