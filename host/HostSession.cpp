#include "host/HostSession.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

#include "host/Pictures.h"
#include "movie/swf/Text.h"
#include "platform/CodePage.h"
#include "platform/HostWindow.h"

namespace Halvane::Host {

namespace {

HostSession* current = nullptr;

constexpr std::size_t kLargestSnapshotCount = 64;
constexpr long kLongestWait = 60000;
constexpr long kLongestTickRun = 1000;
constexpr long kLongestExport = 1000;
constexpr int kLoopTickMilliseconds = 5;

bool ReadNumber(const std::string& word, long lowest, long highest, long& value) {
  if (word.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(word.c_str(), &end, 10);
  if (errno != 0 || end == nullptr || *end != 0 || v < lowest || v > highest) return false;
  value = v;
  return true;
}

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// Scripts are UTF-8 text, while the engine hands its plug-ins text in the
// system code page (Shift-JIS on the users' systems) and gets text back in
// it. The host converts both ways, so that one script runs alike on every
// system; bytes that are not UTF-8, or that the code page cannot hold, go
// through as they are.
std::string FromSystemCodePage(const std::string& text) {
  std::u16string wide;
  if (!Platform::SystemCodePageToUtf16(text, wide)) return text;
  return Movie::Utf16ToUtf8(wide);
}

std::string InSystemCodePage(const std::string& utf8) {
  const std::u16string wide = Movie::Utf8ToUtf16(utf8);
  std::string out;
  if (Movie::Utf16ToUtf8(wide) != utf8 || !Platform::Utf16ToSystemCodePage(wide, out)) return utf8;
  // A character the code page cannot hold would arrive changed: send the
  // bytes as they are instead.
  return FromSystemCodePage(out) == utf8 ? out : utf8;
}

}  // namespace

HostSession::HostSession(std::ostream& out, std::ostream& err)
    : out_(out),
      err_(err),
      window_(Platform::CreateHiddenWindow("vmhost")),
      boxWatch_(&HostSession::ReportBox, this) {
  screen_.Resize(640, 480);
  current = this;
}

HostSession::~HostSession() {
  if (current == this) current = nullptr;
  Platform::DestroyHiddenWindow(window_);
}

void HostSession::RunLoop(long milliseconds) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(milliseconds);
  while (Clock::now() < end) {
    for (PlugInLibrary& p : plugIns_) {
      if (p.timer() != 0) p.draw(screen_.Pixels(), 0);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kLoopTickMilliseconds));
  }
}

bool HostSession::Export(PlugInLibrary& plugIn, int first, int last, int step,
                         const std::string& prefix, int lineNumber) {
  // Every frame is composed over the screen as it is now, not over the
  // frame before it.
  const HostScreen background = screen_;
  const auto send = [&plugIn](const std::string& text) {
    std::int32_t intResult = 0;
    char textResult[HostFiles::kPathBufferSize] = {};
    plugIn.message(text.c_str(), &intResult, textResult);
    return intResult;
  };
  send("SwfStop()");
  const int total = (last - first) / step + 1;
  for (int frame = first; frame <= last; frame += step) {
    screen_ = background;
    const bool reached = send("SwfGoToFrame(" + std::to_string(frame) + ")") == 1;
    plugIn.draw(screen_.Pixels(), 0);
    const std::string file = prefix + "-" + std::to_string(frame) + ".png";
    if (!WritePng(OutputPath(file), screen_.ToRgb())) {
      return Fail(lineNumber, "cannot write " + OutputPath(file));
    }
    if (snapshots_.size() < kLargestSnapshotCount) snapshots_.push_back(screen_.ToRgb());
    out_ << "  frame " << frame << " (" << (frame - first) / step + 1 << " of " << total << ") -> "
         << file << (reached ? "" : " (the movie did not reach it)") << "\n";
    out_.flush();
  }
  return true;
}

// The host runs unattended: every box a plug-in shows is printed on the
// error stream, caption in brackets, and closed with OK at once.
void HostSession::ReportBox(void* context, const Platform::WatchedBox& box) {
  HostSession& session = *static_cast<HostSession*>(context);
  session.out_.flush();
  session.err_ << "[" << Movie::Utf16ToUtf8(box.caption) << "] " << Movie::Utf16ToUtf8(box.text)
               << "\n";
  session.err_.flush();
}

HostSession* HostSession::Current() { return current; }

bool HostSession::AddPlugIn(const PlugInLibrary& library) {
  if (library.name.empty() || FindPlugIn(library.name) != nullptr) return false;
  plugIns_.push_back(library);
  return true;
}

PlugInLibrary* HostSession::FindPlugIn(const std::string& name) {
  for (PlugInLibrary& p : plugIns_) {
    if (p.name == name) return &p;
  }
  return nullptr;
}

std::string HostSession::InputPath(const std::string& path) const {
  if (inputFolder_.empty() || std::filesystem::path(path).is_absolute()) return path;
  return (std::filesystem::path(inputFolder_) / path).string();
}

std::string HostSession::OutputPath(const std::string& path) const {
  if (outputFolder_.empty() || std::filesystem::path(path).is_absolute()) return path;
  return (std::filesystem::path(outputFolder_) / path).string();
}

std::string HostSession::Quote(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (c == '\n') {
      quoted += "\\n";
    } else if (b < 0x20 || b == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", b);
      quoted += hex;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

bool HostSession::Fail(int lineNumber, const std::string& message) {
  out_.flush();
  err_ << "vmhost: line " << lineNumber << ": " << message << "\n";
  err_.flush();
  return false;
}

bool HostSession::RunFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    err_ << "vmhost: cannot read " << path << "\n";
    return false;
  }
  std::string line;
  for (int number = 1; std::getline(file, line); ++number) {
    if (!RunLine(line, number)) return false;
  }
  return true;
}

bool HostSession::RunLine(const std::string& rawLine, int lineNumber) {
  std::string line = rawLine;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  const std::size_t first = line.find_first_not_of(" \t");
  if (first == std::string::npos || line[first] == '#') return true;
  line.erase(0, first);

  // A message: "NAME: TEXT". The text keeps everything after the blanks that
  // follow the colon, trailing blanks included.
  const std::size_t colon = line.find(':');
  const std::size_t blank = line.find_first_of(" \t");
  if (colon != std::string::npos && (blank == std::string::npos || colon < blank)) {
    const std::string name = line.substr(0, colon);
    PlugInLibrary* plugIn = FindPlugIn(name);
    if (plugIn == nullptr) return Fail(lineNumber, "no plug-in named \"" + name + "\"");
    std::size_t start = colon + 1;
    while (start < line.size() && (line[start] == ' ' || line[start] == '\t')) ++start;
    const std::string text = line.substr(start);
    std::int32_t intResult = preset_;
    char textResult[HostFiles::kPathBufferSize] = {};
    out_.flush();  // boxes go to standard error; keep the order on a terminal
    const std::int32_t result =
        plugIn->message(InSystemCodePage(text).c_str(), &intResult, textResult);
    // A plug-in that leaves no zero in the buffer is shown as such, so that
    // an end-to-end script sees the fault instead of a cut-short text.
    const bool terminated = std::memchr(textResult, 0, sizeof textResult) != nullptr;
    textResult[sizeof textResult - 1] = 0;
    out_ << name << ": " << text << " -> return " << result << ", int " << intResult
         << ", text " << Quote(FromSystemCodePage(textResult))
         << (terminated ? "" : " (unterminated)") << "\n";
    out_.flush();
    return true;
  }

  const std::vector<std::string> words = Words(line);
  if (words.empty()) return true;  // only other white space, such as \v or \f
  const std::string& step = words[0];
  const std::string argument = words.size() > 1 ? words[1] : "";
  auto each = [&](auto action) -> bool {
    if (words.size() > 2) return Fail(lineNumber, step + " takes at most one plug-in name");
    if (!argument.empty()) {
      PlugInLibrary* p = FindPlugIn(argument);
      if (p == nullptr) return Fail(lineNumber, "no plug-in named \"" + argument + "\"");
      action(*p);
      return true;
    }
    for (PlugInLibrary& p : plugIns_) action(p);
    return true;
  };

  if (step == "echo") {
    const std::size_t at = line.find_first_not_of(" \t", 4);
    out_ << (at == std::string::npos ? "" : line.substr(at)) << "\n";
    return true;
  }
  out_ << "host: " << line << "\n";
  out_.flush();
  if (step == "initialize") {
    return each([](PlugInLibrary& p) { p.initialize(0); });
  }
  if (step == "finalize") {
    return each([this](PlugInLibrary& p) {
      if (p.finalize != nullptr) {
        p.finalize();
      } else {
        out_ << "  " << p.name << " has no Finalize\n";
      }
    });
  }
  if (step == "draw") {
    return each([this](PlugInLibrary& p) { p.draw(screen_.Pixels(), 0); });
  }
  if (step == "timer") {
    return each([this](PlugInLibrary& p) {
      out_ << "  " << p.name << " timer " << p.timer() << "\n";
    });
  }
  if (step == "ticks") {
    // ticks N [NAME]: N Timer calls in a row, their answers on one line.
    long count = 0;
    if (words.size() < 2 || words.size() > 3 || !ReadNumber(argument, 1, kLongestTickRun, count)) {
      return Fail(lineNumber, "ticks needs a count from 1 to 1000 and at most one plug-in name");
    }
    PlugInLibrary* only = nullptr;
    if (words.size() == 3) {
      only = FindPlugIn(words[2]);
      if (only == nullptr) return Fail(lineNumber, "no plug-in named \"" + words[2] + "\"");
    }
    for (PlugInLibrary& p : plugIns_) {
      if (only != nullptr && &p != only) continue;
      out_ << "  " << p.name << " timer";
      for (long i = 0; i < count; ++i) out_ << " " << p.timer();
      out_ << "\n";
    }
    return true;
  }
  if (step == "wait") {
    long ms = 0;
    if (words.size() != 2 || !ReadNumber(argument, 0, kLongestWait, ms)) {
      return Fail(lineNumber, "wait needs milliseconds from 0 to 60000");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return true;
  }
  if (step == "loop") {
    // loop MS: the engine's loop for MS milliseconds of real time: every
    // tick each plug-in's Timer is asked, and the plug-ins that answer 1
    // draw into the screen, in load order.
    long ms = 0;
    if (words.size() != 2 || !ReadNumber(argument, 0, kLongestWait, ms)) {
      return Fail(lineNumber, "loop needs milliseconds from 0 to 60000");
    }
    RunLoop(ms);
    return true;
  }
  if (step == "export") {
    // export NAME FIRST LAST PREFIX [STEP]: frame by frame, deterministically.
    long firstFrame = 0, lastFrame = 0, step = 1;
    if ((words.size() != 5 && words.size() != 6) ||
        !ReadNumber(words[2], 0, kLongestExport, firstFrame) ||
        !ReadNumber(words[3], firstFrame, firstFrame + kLongestExport - 1, lastFrame) ||
        (words.size() == 6 && !ReadNumber(words[5], 1, kLongestExport, step))) {
      return Fail(lineNumber, "export needs a plug-in name, a first and a last frame (at most "
                              "1000 frames), a file prefix and perhaps a step");
    }
    PlugInLibrary* p = FindPlugIn(argument);
    if (p == nullptr) return Fail(lineNumber, "no plug-in named \"" + argument + "\"");
    return Export(*p, static_cast<int>(firstFrame), static_cast<int>(lastFrame),
                  static_cast<int>(step), words[4], lineNumber);
  }
  if (step == "screen") {
    long w = 0, h = 0;
    if (words.size() != 3 || !ReadNumber(words[1], 1, HostScreen::kLargestSide, w) ||
        !ReadNumber(words[2], 1, HostScreen::kLargestSide, h)) {
      return Fail(lineNumber, "screen needs a width and a height from 1 to 4096");
    }
    screen_.Resize(static_cast<int>(w), static_cast<int>(h));
    return true;
  }
  if (step == "fill") {
    if (words.size() != 2) return Fail(lineNumber, "fill needs gradient, checker, R,G,B or a picture");
    if (screen_.Fill(argument)) return true;
    // Anything else names a picture file, relative to the script.
    RgbImage picture;
    std::string error;
    if (!ReadPicture(InputPath(argument), HostScreen::kLargestSide, picture, error)) {
      return Fail(lineNumber, "fill needs gradient, checker, R,G,B or a picture: " + error);
    }
    screen_.Show(picture);
    return true;
  }
  if (step == "png" || step == "sheet") {
    if (words.size() != 2) return Fail(lineNumber, step + " needs a file name");
    const RgbImage image = step == "png" ? screen_.ToRgb() : ContactSheet(snapshots_);
    if (!WritePng(OutputPath(argument), image)) {
      return Fail(lineNumber, "cannot write " + OutputPath(argument));
    }
    out_ << "  wrote " << argument << " (" << image.width << "x" << image.height << ")\n";
    return true;
  }
  if (step == "snapshot") {
    if (snapshots_.size() >= kLargestSnapshotCount) {
      return Fail(lineNumber, "more than 64 snapshots");
    }
    snapshots_.push_back(screen_.ToRgb());
    return true;
  }
  if (step == "archive" || step == "vma-archive" || step == "datadir") {
    if (words.size() != 2) return Fail(lineNumber, step + " needs a path");
    const std::string path = InputPath(argument);
    const bool added =
        step == "archive"       ? files_.AddArchive(path, HostFiles::Lookup::VM2GetFile)
        : step == "vma-archive" ? files_.AddArchive(path, HostFiles::Lookup::VMAGetFile)
                                : files_.AddFolder(path);
    if (!added) return Fail(lineNumber, "cannot use " + argument);
    return true;
  }
  if (step == "lookup") {
    if (words.size() != 2) return Fail(lineNumber, "lookup needs a file name");
    for (const auto lookup : {HostFiles::Lookup::VM2GetFile, HostFiles::Lookup::VMAGetFile}) {
      FileAnswer answer;
      const bool found = files_.Find(lookup, argument, answer);
      out_ << "  " << (lookup == HostFiles::Lookup::VM2GetFile ? "VM2GetFile " : "VMAGetFile ")
           << (found ? 1 : 0);
      if (found) {
        out_ << " " << std::filesystem::path(answer.path).filename().string() << " offset "
             << answer.offset << " length " << answer.length;
      }
      out_ << "\n";
    }
    return true;
  }
  if (step == "preset") {
    long value = 0;
    if (words.size() != 2 || !ReadNumber(argument, INT32_MIN, INT32_MAX, value)) {
      return Fail(lineNumber, "preset needs a 32-bit integer");
    }
    preset_ = static_cast<std::int32_t>(value);
    return true;
  }
  return Fail(lineNumber, "unknown step \"" + step + "\"");
}

}  // namespace Halvane::Host
