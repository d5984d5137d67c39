// With the bridge library next to the program, binding finds it by its
// platform name and looks up its twenty names in order.
#include <gtest/gtest.h>

#include "platform/HostModule.h"
#include "plugin/HostFunctions.h"

namespace Halvane::VlmPlugIn {
namespace {

TEST(BridgeBindingTest, PresentBridgeIsBoundNameByName) {
  UnbindHostFunctionsForTesting();
  ASSERT_EQ(BindHostFunctions(), 1);
  EXPECT_EQ(HostEntries().bridgeBound, 1);
  Platform::ModuleHandle bridge = Platform::LoadModule(Platform::LibraryFileName("vmlua"));
  ASSERT_NE(bridge, nullptr);
  for (std::size_t i = 0; i < kBridgeFunctionCount; ++i) {
    EXPECT_NE(HostEntries().bridge[i], nullptr) << kBridgeFunctionNames[i];
    EXPECT_EQ(HostEntries().bridge[i],
              Platform::FindModuleFunction(bridge, kBridgeFunctionNames[i]))
        << kBridgeFunctionNames[i];
  }
  Platform::ReleaseModule(bridge);
  // This program exports no host functions: all host entries stay null.
  for (void* entry : HostEntries().host) EXPECT_EQ(entry, nullptr);
}

}  // namespace
}  // namespace Halvane::VlmPlugIn
