// Movies that several test programs play, made with the project's writer.
#pragma once

#include "tools/SwfWriter.h"

namespace Halvane::Testing {

// Three frames on a 320 x 240 stage at 12 frames per second, version 8. The
// first frame sets "greeting" to "hello" and "long" to 300 x's, and offers
// the host the function "echo" (answering "echo " and its argument); every
// frame sets "frame" to its number (0, 1, 2).
Tools::Bytes ScriptedThreeFrameMovie(bool compressed);

}  // namespace Halvane::Testing
