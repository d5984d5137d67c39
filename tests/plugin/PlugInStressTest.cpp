// Many open, draw and close cycles through the plug-in's exports, with a
// set-up and tear-down now and then, give back every kernel handle and
// every graphics object they made: the worker, its apartment, its window,
// the control (built in, or through COM when registered), the frame
// bitmaps and the device contexts of the draws.
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "TestHost.h"
#include "graphics/DIBSection.h"
#include "support/ProcessObjects.h"
#include "support/TempFolder.h"
#include "tools/SwfWriter.h"

#ifndef VM_PLUGIN_STRESS_CYCLES
#define VM_PLUGIN_STRESS_CYCLES 500
#endif

namespace Halvane::VlmPlugIn::Testing {
namespace {

using Halvane::Testing::GraphicsObjectLives;
using Halvane::Testing::KernelObjectCount;
using Halvane::Testing::LiveGraphicsObjects;

class PlugInStress : public PlugInTest {
 protected:
  // Notes the graphics objects alive now that were not there at the start.
  void NoteGraphicsObjects() {
    for (std::uintptr_t handle : LiveGraphicsObjects()) {
      if (baseline.count(handle) == 0) seen.insert(handle);
    }
  }

  std::set<std::uintptr_t> baseline;
  std::set<std::uintptr_t> seen;
};

TEST_F(PlugInStress, OpenDrawCloseCyclesGiveBackEveryHandleAndGraphicsObject) {
  Halvane::Testing::TempFolder folder("vm-plugin-stress");
  Tools::SwfBuilder builder;
  builder.SetFrameSize(160 * 20, 120 * 20).SetFrameRate(24).ShowFrame().ShowFrame();
  const std::string open = "SwfOpen(" + Argument(folder.Write("m.swf", builder.End().Build(false))) + ")";
  Host().screenWidth = 320;
  Host().screenHeight = 240;
  std::vector<std::uint8_t> screen(320 * 240 * 3, 0x40);
  std::vector<std::uintptr_t> frameBitmaps;

  auto cycle = [&](int i) {
    std::int32_t opened = 0;
    Send(open.c_str(), &opened);
    if (opened != 1) return false;
    if (plugin().frameBitmap != nullptr) {
      const auto bitmap = reinterpret_cast<std::uintptr_t>(plugin().frameBitmap->bitmap);
      if (frameBitmaps.empty() || frameBitmaps.back() != bitmap) frameBitmaps.push_back(bitmap);
    }
    ::Draw(screen.data(), 0);
    NoteGraphicsObjects();
    // Every third movie is ended by the next open, every 100th by Finalize.
    if (i % 100 == 99) {
      ::Finalize();
    } else if (i % 3 != 0) {
      Send("SwfClose()");
    }
    NoteGraphicsObjects();
    return true;
  };
  // What the first cycle sets up once for the process (the apartment's
  // own objects, stock graphics objects) is not the plug-in's to give back.
  ASSERT_TRUE(cycle(0));
  // Wherever the process's graphics objects can be listed, the list holds
  // the frame bitmap.
  const std::vector<std::uintptr_t> live = LiveGraphicsObjects();
  if (!live.empty()) {
    ASSERT_NE(std::find(live.begin(), live.end(), frameBitmaps.at(0)), live.end());
  }
  ::Finalize();
  for (std::uintptr_t handle : LiveGraphicsObjects()) baseline.insert(handle);
  seen.clear();
  frameBitmaps.clear();
  const std::size_t kernelBefore = KernelObjectCount();

  for (int i = 1; i <= VM_PLUGIN_STRESS_CYCLES; ++i) ASSERT_TRUE(cycle(i)) << "cycle " << i;
  ::Finalize();

  EXPECT_EQ(KernelObjectCount(), kernelBefore);
  EXPECT_EQ(LiveGraphicsObjects().size(), baseline.size());
  for (std::uintptr_t handle : frameBitmaps) seen.insert(handle);
  for (std::uintptr_t handle : seen) {
    EXPECT_FALSE(GraphicsObjectLives(handle)) << "graphics object " << std::hex << handle;
  }
  EXPECT_TRUE(Host().boxes.empty());
}

}  // namespace
}  // namespace Halvane::VlmPlugIn::Testing
