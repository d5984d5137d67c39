// The platform's own thread services: each entry is the seam call of the
// same name.
#include "platform/Threads.h"

namespace Halvane::Platform {

const ThreadServices& SystemThreadServices() {
  static const ThreadServices services{&BeginThread, &PostThreadMessageTo};
  return services;
}

}  // namespace Halvane::Platform
