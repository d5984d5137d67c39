// The player commands with real movies, end to end through Message: opening
// from plain files and from windows of larger files that the host's
// look-ups name, every request on an open movie, drawing and playback, and
// what closing and failing to open leave behind. The same tests run with
// the built-in control and, on Windows, with the control created through
// COM (ControlSourceTest.cpp says which).
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "TestHost.h"
#include "activex/SwfPlayer.h"
#include "graphics/DIBSection.h"
#include "graphics/HDCGetter.h"
#include "support/TempFolder.h"
#include "support/TestMovies.h"
#include "tools/SwfWriter.h"

namespace Halvane::VlmPlugIn::Testing {
namespace {

using Tools::Bytes;

Bytes ThreeFrameMovie(bool compressed) {
  return Halvane::Testing::ScriptedThreeFrameMovie(compressed);
}

class MovieCommandTest : public PlugInTest {
 protected:
  // Sends text and returns the integer result (the return value in *returned).
  std::int32_t Int(const std::string& text, std::int32_t* returned = nullptr) {
    std::int32_t value = kUntouched;
    const std::int32_t r = Send(text.c_str(), &value);
    if (returned != nullptr) *returned = r;
    return value;
  }
  std::string Text(const std::string& text, std::int32_t* intResult) {
    *intResult = kUntouched;
    Send(text.c_str(), intResult);
    return std::string(textResult);
  }

  Halvane::Testing::TempFolder folder;
};

TEST_F(MovieCommandTest, OpenMovieAnswersEveryRequest) {
  const std::string path = folder.Write("three.swf", ThreeFrameMovie(false));
  std::int32_t returned = 0;
  EXPECT_EQ(Int("SwfOpen(" + Argument(path) + ")", &returned), 1);
  EXPECT_EQ(returned, 1);
  EXPECT_TRUE(Host().vm2.asked.empty());  // a plain file needs no look-up
  std::int32_t intResult = 0;
  EXPECT_EQ(Text("SwfGetFileName()", &intResult), path);
  EXPECT_EQ(intResult, 1);
  EXPECT_EQ(Int("SwfIsClosed()"), 0);
  EXPECT_EQ(Int("SwfGetTotalFrames()"), 3);
  EXPECT_EQ(Int("SwfGetCurrentFrame()"), 0);
  EXPECT_EQ(Int("SwfIsPlaying()"), 0);  // opened stopped

  EXPECT_EQ(Text("SwfGetVariable(greeting)", &intResult), "hello");
  EXPECT_EQ(intResult, 1);
  EXPECT_EQ(Int("SwfSetVariable(greeting,'good bye')"), 1);
  EXPECT_EQ(Text("SwfGetVariable(greeting)", &intResult), "good bye");
  // A value the host's 260 bytes cannot hold is refused whole.
  EXPECT_EQ(Text("SwfGetVariable(long)", &intResult), "");
  EXPECT_EQ(intResult, 0);
  for (std::size_t i = 0; i < 261; ++i) ASSERT_EQ(textResult[i], 0);
  EXPECT_EQ(Text("SwfCallFunction('<invoke name=\"echo\" returntype=\"xml\"><arguments>"
                 "<string>me</string></arguments></invoke>')",
                 &intResult),
            "<string>echo me</string>");
  EXPECT_EQ(intResult, 1);
  EXPECT_EQ(Text("SwfCallFunction(<invoke name=\"none\"/>)", &intResult), "");
  EXPECT_EQ(intResult, 0);
  EXPECT_EQ(Int("SwfSetFlashVars(a=1)"), 1);

  EXPECT_EQ(Int("SwfGoToFrame(2)", &returned), 1);
  EXPECT_EQ(returned, 1);
  EXPECT_EQ(Int("SwfGetCurrentFrame()"), 2);
  EXPECT_EQ(Text("SwfGetVariable(frame)", &intResult), "2");
  EXPECT_EQ(Int("SwfSetCurrentFrame(1)", &returned), 1);
  EXPECT_EQ(returned, 0);
  EXPECT_EQ(Int("SwfGetCurrentFrame()"), 1);
  EXPECT_EQ(Int("SwfStop()"), 1);
  EXPECT_EQ(Int("SwfGetCurrentFrame()"), 0);
  EXPECT_EQ(Int("SwfPlay()"), 1);
  EXPECT_EQ(Int("SwfIsPlaying()"), 1);
  EXPECT_EQ(Int("SwfPause()"), 1);
  EXPECT_EQ(Int("SwfIsPlaying()"), 0);
  EXPECT_EQ(Int("SwfSetLoop(OFF)"), 1);
  EXPECT_EQ(Int("SwfGetLoop()"), 0);
  EXPECT_EQ(Int("SwfSetQuality(0)"), 1);
  EXPECT_EQ(Int("SwfGetQuality()"), 0);
  EXPECT_EQ(Int("SwfResize(160,120)"), 1);
  EXPECT_EQ(Int("SwfGetWidth()"), 160);
  EXPECT_EQ(Int("SwfGetHeight()"), 120);

  EXPECT_EQ(Int("SwfClose()", &returned), 0);
  EXPECT_EQ(returned, 0);
  EXPECT_EQ(Int("SwfIsClosed()"), 1);
  EXPECT_EQ(Text("SwfGetFileName()", &intResult), "");
  EXPECT_EQ(intResult, 0);
  EXPECT_EQ(plugin().fileName, "");
  EXPECT_EQ(Int("SwfGetTotalFrames()"), -1);
  EXPECT_TRUE(Host().boxes.empty());
}

TEST_F(MovieCommandTest, HostLookUpsOpenAWindowOfALargerFile) {
  for (const bool compressed : {false, true}) {
    SCOPED_TRACE(compressed);
    Bytes archive(1000, 0xEE);
    const Bytes movie = ThreeFrameMovie(compressed);
    archive.insert(archive.end(), movie.begin(), movie.end());
    archive.insert(archive.end(), 77, 0xEE);
    const std::string path = folder.Write(compressed ? "c.dat" : "f.dat", archive);
    Host().vm2 = FileLookup{};
    Host().vma = FileLookup{true, path, 1000, static_cast<std::int32_t>(movie.size()), {}};
    std::int32_t returned = 0;
    EXPECT_EQ(Int("SwfOpen(movie.swf)", &returned), 1);
    EXPECT_EQ(returned, 1);
    // VM2GetFile first; VMAGetFile, which knows it, next.
    EXPECT_EQ(Host().vm2.asked, std::vector<std::string>{"movie.swf"});
    EXPECT_EQ(Host().vma.asked, std::vector<std::string>{"movie.swf"});
    std::int32_t intResult = 0;
    EXPECT_EQ(Text("SwfGetFileName()", &intResult), "movie.swf");  // the script's name
    EXPECT_EQ(Int("SwfGetTotalFrames()"), 3);
    EXPECT_EQ(Text("SwfGetVariable(greeting)", &intResult), "hello");
  }
}

TEST_F(MovieCommandTest, MovieThatCannotBeFoundOrLoadedLeavesNothingOpen) {
  const std::string good = folder.Write("good.swf", ThreeFrameMovie(false));
  const std::string broken = folder.Write("broken.swf", Bytes{'F', 'W', 'S', 8, 1, 2, 3});
  ASSERT_EQ(Int("SwfOpen(" + Argument(good) + ")"), 1);
  // A plain file that the control cannot load is looked up with the host
  // next; the host knows nothing: the earlier movie was closed all the same.
  std::int32_t returned = 0;
  EXPECT_EQ(Int("SwfOpen(" + Argument(broken) + ")", &returned), 0);
  EXPECT_EQ(returned, 1);
  EXPECT_EQ(Host().vm2.asked.size(), 1u);
  EXPECT_EQ(Host().vma.asked.size(), 1u);
  EXPECT_EQ(Int("SwfIsClosed()"), 1);
  EXPECT_EQ(plugin().fileName, "");
  // The host names a window that holds no movie.
  Host().vm2 = FileLookup{true, broken, 0, 0, {}};
  EXPECT_EQ(Int("SwfOpen(missing.swf)", &returned), 0);
  EXPECT_EQ(returned, 1);
  // The worker starts and ends without a movie: SwfBeginOpen sees it
  // running (1) or, when it was quicker, already ended (0).
  const std::int32_t begun = Int("SwfBeginOpen(missing.swf)");
  EXPECT_TRUE(begun == 0 || begun == 1) << begun;
  EXPECT_EQ(Int("SwfEndOpen()"), 0);
  EXPECT_EQ(Int("SwfIsClosed()"), 1);
  EXPECT_TRUE(Host().boxes.empty());
}

TEST_F(MovieCommandTest, BeginAndEndOpenNameTheMovieOnlyOnceItIsOpen) {
  const std::string path = folder.Write("three.swf", ThreeFrameMovie(true));
  std::int32_t returned = 0;
  EXPECT_EQ(Int("SwfBeginOpen(" + Argument(path) + ")", &returned), 1);
  EXPECT_EQ(returned, 1);
  EXPECT_EQ(plugin().pendingFileName, path);
  std::int32_t intResult = 0;
  EXPECT_EQ(Text("SwfGetFileName()", &intResult), "");
  EXPECT_EQ(intResult, 0);
  EXPECT_EQ(Int("SwfEndOpen()", &returned), 1);
  EXPECT_EQ(returned, 1);
  EXPECT_EQ(Text("SwfGetFileName()", &intResult), path);
  EXPECT_EQ(plugin().pendingFileName, path);
  EXPECT_EQ(Int("SwfEndOpen()"), 1);  // the movie opened stays open
}

TEST_F(MovieCommandTest, DrawHasTheControlDrawIntoTheFrameBitmapAndTouchesOnlyTheMovie) {
  Host().screenWidth = 64;
  Host().screenHeight = 48;
  const std::string path = folder.Write("three.swf", ThreeFrameMovie(false));
  ASSERT_EQ(Int("SwfOpen(" + Argument(path) + ")"), 1);
  ASSERT_EQ(Int("SwfResize(20,10)"), 1);
  Send("SwfMove(8,4)");
  // The worker draws through OleDraw into a memory context that holds a
  // DIB section, as Draw has it do with the frame bitmap.
  {
    Graphics::HDCGetter context(plugin().frameBitmap->bitmap);
    EXPECT_EQ(plugin().player->Render(context.Context(), 8, 4, 20, 10), 1);
  }
  constexpr int kStride = 64 * 3;  // a multiple of 4 already
  std::vector<std::uint8_t> screen(kStride * 48);
  for (std::size_t i = 0; i < screen.size(); ++i) screen[i] = static_cast<std::uint8_t>(i * 7);
  const std::vector<std::uint8_t> before = screen;
  ::Draw(screen.data(), 0);
  // Rows are stored bottom-up: the movie covers rows 4..13 from the top.
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) {
      if (x >= 8 && x < 28 && y >= 4 && y < 14) continue;
      const std::size_t at = static_cast<std::size_t>(47 - y) * kStride + x * 3;
      ASSERT_EQ(std::memcmp(&screen[at], &before[at], 3), 0) << x << "," << y;
    }
  }
}

TEST_F(MovieCommandTest, APlayingMovieMovesOnByTheControlsOwnTimer) {
  Tools::SwfBuilder movie;
  movie.SetFrameSize(320 * 20, 240 * 20).SetFrameRate(30);
  for (int i = 0; i < 20; ++i) movie.ShowFrame();
  const std::string path = folder.Write("run.swf", movie.End().Build(false));
  ASSERT_EQ(Int("SwfOpen(" + Argument(path) + ")"), 1);
  ASSERT_EQ(Int("SwfGetCurrentFrame()"), 0);
  ASSERT_EQ(Int("SwfPlay()"), 1);
  // Nothing but time moves it: no draw, no timer export.
  std::int32_t frame = 0;
  for (int wait = 0; wait < 500 && frame == 0; ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    frame = Int("SwfGetCurrentFrame()");
  }
  EXPECT_GT(frame, 0);
  EXPECT_EQ(Int("SwfIsPlaying()"), 1);
}

TEST_F(MovieCommandTest, FinalizeClosesTheMovieAndSetUpAgainKeepsThePlugInFields) {
  const std::string path = folder.Write("three.swf", ThreeFrameMovie(false));
  ASSERT_EQ(Int("SwfOpen(" + Argument(path) + ")"), 1);
  Send("SwfMove(5,6)");
  Send("SwfSetInterval(30)");
  ::Finalize();
  EXPECT_EQ(plugin().player, nullptr);
  EXPECT_EQ(plugin().frameBitmap, nullptr);
  EXPECT_EQ(Int("SwfIsClosed()"), 1);  // a new player, with no movie
  EXPECT_EQ(plugin().posX, 5);
  EXPECT_EQ(plugin().interval, 30);
  EXPECT_EQ(plugin().fileName, "");
  EXPECT_EQ(Int("SwfOpen(" + Argument(path) + ")"), 1);
}

}  // namespace
}  // namespace Halvane::VlmPlugIn::Testing
