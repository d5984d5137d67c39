// The state of a text field (DefineEditText, or createTextField): what the
// TextField built-ins read and write, and what a renderer draws. The
// timeline owns one per text field instance.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Halvane::Movie {

class ScriptObject;

// A text format (TextFormat): the field's default one, and the format of
// each run of its text. Unset members of a TextFormat object read null.
struct TextFormatData {
  std::string font = "Times New Roman";
  double size = 12;
  std::uint32_t color = 0;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool bullet = false;
  bool kerning = false;
  std::string align = "left";
  double leftMargin = 0;
  double rightMargin = 0;
  double indent = 0;
  double blockIndent = 0;
  double leading = 0;
  double letterSpacing = 0;
  std::string url;
  std::string target;
  std::vector<double> tabStops;
};

// Whether two formats are alike in every member.
bool SameFormat(const TextFormatData& a, const TextFormatData& b);

// One run of a field's text in one format.
struct TextRun {
  std::string text;  // UTF-8
  TextFormatData format;
};

struct TextFieldData {
  // Formats a field holds at most: past this, text keeps the format of the
  // run before it, so a hostile movie cannot make one format per character.
  static constexpr std::size_t MaxRuns = 2048;
  // The text, as runs of formats (their texts joined are the field's text).
  std::vector<TextRun> runs;
  TextFormatData defaultFormat;
  bool html = false;
  bool multiline = false;
  bool wordWrap = false;
  bool selectable = true;
  bool password = false;
  bool border = false;
  bool background = false;
  bool embedFonts = false;
  bool condenseWhite = false;
  bool mouseWheelEnabled = true;
  bool input = false;  // type "input" (else "dynamic")
  std::string autoSize = "none";
  // How the platform would smooth the glyphs: kept for scripts, the
  // control's renderer draws every field alike.
  std::string antiAliasType = "normal";  // "normal" or "advanced"
  std::string gridFitType = "pixel";     // "none", "pixel" or "subpixel"
  double thickness = 0;
  double sharpness = 0;
  std::uint32_t borderColor = 0x000000;
  std::uint32_t backgroundColor = 0xFFFFFF;
  int maxChars = 0;  // 0: no limit
  int scroll = 1;
  int hscroll = 0;
  // The selection, in UTF-16 units of the text: where it started and the
  // caret, its other end. A field keeps it while it has no focus.
  int selectionAnchor = 0;
  int caret = 0;
  // The style sheet (a script object) that styles the field's HTML, or
  // null. The collector keeps it while the field is on stage.
  ScriptObject* styleSheet = nullptr;
  // With a style sheet, the field answers its HTML as it was last set.
  std::string styledHtml;
  bool hasStyledHtml = false;
  std::string variable;  // the variable the field shows ("" for none)
  std::string restrict;  // "" for none
  // The field's box in its own coordinates, pixels.
  double x = 0;
  double y = 0;
  double width = 100;
  double height = 100;

  std::string Text() const {
    std::string out;
    for (const TextRun& r : runs) out += r.text;
    return out;
  }
  void SetText(std::string text) {
    runs.clear();
    runs.push_back(TextRun{std::move(text), defaultFormat});
  }
  int SelectionBegin() const { return selectionAnchor < caret ? selectionAnchor : caret; }
  int SelectionEnd() const { return selectionAnchor < caret ? caret : selectionAnchor; }
  // Keeps the selection inside a text of length units.
  void ClampSelection(int length) {
    if (selectionAnchor > length) selectionAnchor = length;
    if (caret > length) caret = length;
  }
};

// What a style sheet does to the format of an element of HTML text: given
// the element's name and its class attribute, changes the format.
using HtmlStyler = std::function<void(const std::string& element, const std::string& className, TextFormatData&)>;

// Sets the field's text from the HTML subset text fields understand (p, br,
// font, b, i, u, a, li, span, textformat and the common entities), as a
// movie of swfVersion reads it, styled by styler when one is given.
void SetHtmlText(TextFieldData& field, const std::string& html, int swfVersion,
                 const HtmlStyler* styler = nullptr);

}  // namespace Halvane::Movie
