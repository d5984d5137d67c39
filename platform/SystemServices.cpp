// The platform's own implementations of the service sets, shared by both
// targets: each entry is the seam call of the same name.
#include "platform/HostModule.h"
#include "platform/Ticks.h"

namespace Halvane::Platform {

const TimerServices& SystemTimerServices() {
  static const TimerServices services{&TimeGetDevCaps, &TimeBeginPeriod, &TimeEndPeriod,
                                      &TimeGetTime, &GetTickCount};
  return services;
}

const ModuleServices& SystemModuleServices() {
  static const ModuleServices services{&GetMainExecutablePath, &LoadModule,
                                       &FindModuleFunction, &ReleaseModule};
  return services;
}

}  // namespace Halvane::Platform
