// The reference host with the real vmswf library in this process, end to
// end: movies, compressed and not, from data archives of both look-ups, a
// movie that is found but cannot be loaded, every kind of command, and the
// movie composed into the screen.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "host/HostSession.h"
#include "host/Pictures.h"
#include "support/TempFolder.h"
#include "support/TestMovies.h"
#include "tools/ZipWriter.h"

namespace Halvane::Host {
namespace {

class MovieScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const Tools::Bytes fws = Testing::ScriptedThreeFrameMovie(false);
    const Tools::Bytes cws = Testing::ScriptedThreeFrameMovie(true);
    folder.Write("vm2.zip", Tools::StoredZip({{"fws.swf", fws},
                                              {"cws.swf", cws},
                                              {"broken.swf", Tools::Bytes{'F', 'W', 'S', 8}}}));
    folder.Write("vma.zip", Tools::StoredZip({{"menu/only-vma.swf", cws}}));
    session.SetInputFolder(folder.Path());
    session.SetOutputFolder(folder.Path());
    std::string error;
    ASSERT_TRUE(LoadPlugInLibrary("vmswf", VMSWF_LIBRARY_PATH, library, error)) << error;
    ASSERT_TRUE(session.AddPlugIn(library));
  }

  // Runs the lines and returns what the host printed for them.
  std::string Run(std::initializer_list<const char*> lines) {
    out.str("");
    int number = 1;
    for (const char* line : lines) EXPECT_TRUE(session.RunLine(line, number++)) << line;
    return out.str();
  }

  Testing::TempFolder folder;
  std::ostringstream out, err;
  HostSession session{out, err};
  PlugInLibrary library;
};

TEST_F(MovieScriptTest, MoviesFromBothKindsOfArchiveAnswerEveryCommand) {
  Run({"screen 320 240", "archive vm2.zip", "vma-archive vma.zip"});
  EXPECT_EQ(Run({"vmswf: SwfOpen(fws.swf)", "vmswf: SwfGetTotalFrames()",
                 "vmswf: SwfGetVariable(greeting)", "vmswf: SwfOpen(cws.swf)",
                 "vmswf: SwfGetFileName()", "vmswf: SwfGoToFrame(2)",
                 "vmswf: SwfGetVariable(frame)", "vmswf: SwfSetVariable(greeting,hi)",
                 "vmswf: SwfGetVariable(greeting)", "vmswf: SwfStop()",
                 "vmswf: SwfGetCurrentFrame()", "vmswf: SwfPlay()", "vmswf: SwfIsPlaying()",
                 "vmswf: SwfPause()", "vmswf: SwfIsPlaying()",
                 "vmswf: SwfCallFunction('<invoke name=\"echo\" returntype=\"xml\"><arguments>"
                 "<string>me</string></arguments></invoke>')",
                 "vmswf: SwfOpen(menu/only-vma.swf)", "vmswf: SwfGetFileName()",
                 "vmswf: SwfOpen(broken.swf)", "vmswf: SwfIsClosed()", "vmswf: SwfGetFileName()",
                 "vmswf: SwfOpen(nowhere.swf)", "vmswf: SwfClose()"}),
            "vmswf: SwfOpen(fws.swf) -> return 1, int 1, text \"\"\n"
            "vmswf: SwfGetTotalFrames() -> return 0, int 3, text \"\"\n"
            "vmswf: SwfGetVariable(greeting) -> return 0, int 1, text \"hello\"\n"
            "vmswf: SwfOpen(cws.swf) -> return 1, int 1, text \"\"\n"
            "vmswf: SwfGetFileName() -> return 0, int 1, text \"cws.swf\"\n"
            "vmswf: SwfGoToFrame(2) -> return 1, int 1, text \"\"\n"
            "vmswf: SwfGetVariable(frame) -> return 0, int 1, text \"2\"\n"
            "vmswf: SwfSetVariable(greeting,hi) -> return 0, int 1, text \"\"\n"
            "vmswf: SwfGetVariable(greeting) -> return 0, int 1, text \"hi\"\n"
            "vmswf: SwfStop() -> return 1, int 1, text \"\"\n"
            "vmswf: SwfGetCurrentFrame() -> return 0, int 0, text \"\"\n"
            "vmswf: SwfPlay() -> return 0, int 1, text \"\"\n"
            "vmswf: SwfIsPlaying() -> return 0, int 1, text \"\"\n"
            "vmswf: SwfPause() -> return 1, int 1, text \"\"\n"
            "vmswf: SwfIsPlaying() -> return 0, int 0, text \"\"\n"
            "vmswf: SwfCallFunction('<invoke name=\"echo\" returntype=\"xml\"><arguments>"
            "<string>me</string></arguments></invoke>') -> return 0, int 1, text "
            "\"<string>echo me</string>\"\n"
            "vmswf: SwfOpen(menu/only-vma.swf) -> return 1, int 1, text \"\"\n"
            "vmswf: SwfGetFileName() -> return 0, int 1, text \"menu/only-vma.swf\"\n"
            "vmswf: SwfOpen(broken.swf) -> return 1, int 0, text \"\"\n"
            "vmswf: SwfIsClosed() -> return 0, int 1, text \"\"\n"
            "vmswf: SwfGetFileName() -> return 0, int 0, text \"\"\n"
            "vmswf: SwfOpen(nowhere.swf) -> return 1, int 0, text \"\"\n"
            "vmswf: SwfClose() -> return 0, int 0, text \"\"\n");
  EXPECT_EQ(err.str(), "");  // no error box
  session.RunLine("finalize", 1);
}

}  // namespace
}  // namespace Halvane::Host
