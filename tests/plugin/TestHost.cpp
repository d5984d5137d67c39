#include "TestHost.h"

#include <cstring>

#include "platform/HostWindow.h"
#include "plugin/HostFunctions.h"
#include "support/TestText.h"

using Halvane::VlmPlugIn::Testing::Host;

extern "C" std::int32_t VlmGetWindowSize(std::int32_t* width, std::int32_t* height) {
  *width = Host().screenWidth;
  *height = Host().screenHeight;
  return 1;
}

extern "C" Halvane::Platform::WindowHandle VlmGetWindow() {
  ++Host().windowQueries;
  return Host().window;
}

namespace {
std::int32_t Look(Halvane::VlmPlugIn::Testing::FileLookup& lookup, const char* name, char* path,
                  std::int32_t* offset, std::int32_t* length) {
  lookup.asked.push_back(name != nullptr ? name : "");
  if (!lookup.found) return 0;
  std::strncpy(path, lookup.path.c_str(), 260);
  *offset = lookup.offset;
  *length = lookup.length;
  return 1;
}
}  // namespace

extern "C" std::int32_t VM2GetFile(const char* name, char* path, std::int32_t* offset,
                                   std::int32_t* length) {
  return Look(Host().vm2, name, path, offset, length);
}

extern "C" std::int32_t VMAGetFile(const char* name, char* path, std::int32_t* offset,
                                   std::int32_t* length) {
  return Look(Host().vma, name, path, offset, length);
}

namespace Halvane::VlmPlugIn::Testing {

FakeHost& Host() {
  static FakeHost host;
  return host;
}

std::uint32_t TestClock::now = 0;
bool TestClock::capsAvailable = true;
Platform::TimerCaps TestClock::caps{1, 1000000};
int TestClock::openPeriods = 0;

void TestClock::Reset() {
  now = 0;
  capsAvailable = true;
  caps = Platform::TimerCaps{1, 1000000};
}

const Platform::TimerServices& TestClock::Services() {
  static const Platform::TimerServices services{
      [](Platform::TimerCaps* out, std::uint32_t size) -> std::uint32_t {
        if (out == nullptr || size != sizeof *out || !capsAvailable) return Platform::kTimerCannotDo;
        *out = caps;
        return Platform::kTimerOk;
      },
      [](std::uint32_t) -> std::uint32_t {
        ++openPeriods;
        return Platform::kTimerOk;
      },
      [](std::uint32_t) -> std::uint32_t {
        --openPeriods;
        return Platform::kTimerOk;
      },
      []() { return now; },
      []() { return now; },
  };
  return services;
}

bool TestModules::refuseMainExecutable = false;

const Platform::ModuleServices& TestModules::Services() {
  static const Platform::ModuleServices services{
      &Platform::GetMainExecutablePath,
      [](const char* path) -> Platform::ModuleHandle {
        if (refuseMainExecutable) {
          std::vector<char> own(Platform::ExecutablePathBufferSize(260), 0);
          Platform::GetMainExecutablePath(own.data(), own.size());
          if (path != nullptr && std::strcmp(path, own.data()) == 0) return nullptr;
        }
        return Platform::LoadModule(path);
      },
      &Platform::FindModuleFunction,
      &Platform::ReleaseModule,
  };
  return services;
}

namespace {
void RecordBox(void*, const Platform::WatchedBox& box) {
  Host().boxes.push_back(
      Box{box.owner, Halvane::Testing::Utf8(box.text), Halvane::Testing::Utf8(box.caption), box.style});
}
}  // namespace

void PlugInTest::SetUp() {
  static Platform::WindowHandle window = Platform::CreateHiddenWindow("test host");
  Host() = FakeHost{};
  Host().window = window;
  TestClock::Reset();
  TestModules::refuseMainExecutable = false;
  watch_ = std::make_unique<Platform::BoxWatch>(&RecordBox, nullptr);
  ASSERT_TRUE(watch_->Active());
  UnbindHostFunctionsForTesting();
  ::Finalize();
  VMSwf& p = plugin();
  ticks_ = std::make_unique<TickSource>(TestClock::Services());
  p.ticks = ticks_.get();
  p.modules = &TestModules::Services();
  p.screenWidth = p.screenHeight = 0;
  p.posX = p.posY = 0;
  p.visible = 1;
  p.interval = 50;
  p.fileName = "stale";
  p.pendingFileName = "stale";
  p.lastDrawTick = 0;
  std::memset(textResult, 'g', sizeof textResult);
}

void PlugInTest::TearDown() {
  ::Finalize();
  VMSwf& p = plugin();
  p.ticks = nullptr;
  p.modules = &Platform::SystemModuleServices();
  ticks_.reset();
  watch_.reset();
}

std::int32_t PlugInTest::Send(const char* text, std::int32_t* intResult) {
  const std::int32_t result = ::Message(text, intResult, textResult);
  for (std::size_t i = 261; i < sizeof textResult; ++i) {
    EXPECT_EQ(textResult[i], 'g') << "text result written past 261 bytes by " << text;
  }
  return result;
}

}  // namespace Halvane::VlmPlugIn::Testing
