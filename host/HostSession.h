// The reference host at work: its screen, its files, the loaded plug-ins,
// and the script runner. The exported host functions (HostExports.cpp)
// answer from the one session of the process.
//
// A script is a text file of lines (see docs/host.md):
//
//     # comment
//     vmswf: SwfMove(10,20)     the text after "NAME:" goes to NAME's Message
//     initialize | finalize [NAME]    draw | timer [NAME]    wait MS    loop MS
//     export NAME FIRST LAST PREFIX [STEP]
//     screen W H   fill PICTURE   png FILE   snapshot   sheet FILE
//     archive FILE   vma-archive FILE   datadir DIR   lookup NAME   preset N   echo TEXT
//
// Every message is printed with its three results; errors in the script
// itself stop the run.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "host/HostFiles.h"
#include "host/HostScreen.h"
#include "host/PlugInLibrary.h"
#include "platform/BoxWatch.h"
#include "platform/MessageBox.h"

namespace Halvane::Host {

class HostSession {
 public:
  // out receives the results, err the script errors. inputFolder is where
  // relative input paths (archives, data folders) are looked up, outputFolder
  // where pictures are written.
  HostSession(std::ostream& out, std::ostream& err);
  ~HostSession();
  HostSession(const HostSession&) = delete;
  HostSession& operator=(const HostSession&) = delete;

  // The session the exported host functions answer from (null when none).
  static HostSession* Current();

  void SetInputFolder(const std::string& folder) { inputFolder_ = folder; }
  void SetOutputFolder(const std::string& folder) { outputFolder_ = folder; }

  bool AddPlugIn(const PlugInLibrary& library);

  // Runs every line; false at the first line that is not understood (the
  // error names the line) or when the file cannot be read.
  bool RunFile(const std::string& path);
  bool RunLine(const std::string& line, int lineNumber);

  HostScreen& Screen() { return screen_; }
  HostFiles& Files() { return files_; }
  Platform::WindowHandle Window() const { return window_; }

  // Escapes a text result for printing: quotes and backslashes escaped,
  // control bytes as \xNN, other bytes as they are.
  static std::string Quote(const std::string& text);

 private:
  static void ReportBox(void* context, const Platform::WatchedBox& box);
  // The engine's loop: Timer on every tick, Draw when it answers 1.
  void RunLoop(long milliseconds);
  // Stops the movie of plugIn, then for every step-th frame from first to
  // last: goes to it, draws it over the screen as it was before the export,
  // and writes PREFIX-FRAME.png (also kept as a snapshot), one progress line
  // each.
  bool Export(PlugInLibrary& plugIn, int first, int last, int step, const std::string& prefix,
              int lineNumber);
  bool Fail(int lineNumber, const std::string& message);
  PlugInLibrary* FindPlugIn(const std::string& name);
  std::string InputPath(const std::string& path) const;
  std::string OutputPath(const std::string& path) const;

  std::ostream& out_;
  std::ostream& err_;
  std::string inputFolder_;
  std::string outputFolder_;
  HostScreen screen_;
  HostFiles files_;
  Platform::WindowHandle window_;
  Platform::BoxWatch boxWatch_;
  std::vector<PlugInLibrary> plugIns_;
  std::vector<RgbImage> snapshots_;
  std::int32_t preset_ = 0;
};

}  // namespace Halvane::Host
