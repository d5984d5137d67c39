#include "plugin/PlugInExports.h"

#include "plugin/VMSwf.h"

using Halvane::VlmPlugIn::VMSwf;

extern "C" {

void Initialize(std::int32_t value) { VMSwf::Instance().Initialize(value); }

// Works on the object as it is: no set-up first.
void Finalize() { VMSwf::Instance().Finalize(); }

void Draw(void* pixels, std::int32_t second) {
  VMSwf& plugin = VMSwf::Instance();
  plugin.Initialize(0);
  plugin.Draw(pixels, second);
}

std::int32_t Timer() {
  VMSwf& plugin = VMSwf::Instance();
  plugin.Initialize(0);
  return plugin.Timer();
}

std::int32_t Message(const char* text, std::int32_t* intResult, char* textResult) {
  VMSwf& plugin = VMSwf::Instance();
  plugin.Initialize(0);
  return plugin.Message(text, intResult, textResult);
}

}
