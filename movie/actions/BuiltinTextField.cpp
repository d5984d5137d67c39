// TextField (the properties and methods of text fields, their HTML text)
// and TextFormat. A field's state is its TextFieldData; the properties are
// accessors of TextField.prototype, as the platform's player has them.
//
// Measures (textWidth, textHeight, autoSize, maxhscroll) of fields drawn
// with embedded fonts come from the control's layout of the field, the one
// it draws; device fonts are the system's, so a simple model stands in.
#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <memory>

#include "movie/actions/BuiltinFilters.h"
#include "movie/actions/BuiltinSupport.h"
#include "movie/actions/TextFieldData.h"
#include "movie/swf/Text.h"

namespace Halvane::Movie::Builtins {

namespace {

constexpr std::uint16_t kHidden = PropertyFlag::DontEnum | PropertyFlag::DontDelete;

TextFieldData* ThisField(NativeCall& c) {
  ActionTarget* t = ThisTarget(c);
  return t ? t->TextField() : nullptr;
}

std::string ColorText(std::uint32_t color) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "#%06X", color & 0xFFFFFFu);
  return buffer;
}

std::string Upper(std::string s) {
  for (char& ch : s) {
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  }
  return s;
}

std::string EscapeHtml(const std::string& text) { return EscapeMarkup(text); }

// --- HTML text in and out

std::string DecodeEntity(const std::string& name) {
  if (name == "amp") return "&";
  if (name == "lt") return "<";
  if (name == "gt") return ">";
  if (name == "quot") return "\"";
  if (name == "apos") return "'";
  if (name == "nbsp") return "\xC2\xA0";
  if (name.size() > 1 && name[0] == '#') {
    std::uint32_t code = 0;
    const bool hex = name[1] == 'x' || name[1] == 'X';
    for (std::size_t i = hex ? 2 : 1; i < name.size(); ++i) {
      const int d = DigitValue(name[i]);
      if (d < 0 || d >= (hex ? 16 : 10)) return std::string();
      code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(d);
      if (code > 0x10FFFF) return std::string();
    }
    std::string out;
    AppendUtf8(out, code);
    return out;
  }
  return std::string();
}

std::string AttributeOf(const std::string& tag, const char* name) {
  std::string lower = AsciiLowerCase(tag);
  const std::string key = name;
  std::size_t at = 0;
  while ((at = lower.find(key, at)) != std::string::npos) {
    std::size_t p = at + key.size();
    while (p < lower.size() && lower[p] == ' ') ++p;
    if (p < lower.size() && lower[p] == '=' && (at == 0 || lower[at - 1] == ' ')) {
      ++p;
      while (p < lower.size() && lower[p] == ' ') ++p;
      if (p < tag.size() && (tag[p] == '"' || tag[p] == '\'')) {
        const char quote = tag[p];
        const std::size_t end = tag.find(quote, p + 1);
        return tag.substr(p + 1, end == std::string::npos ? std::string::npos : end - p - 1);
      }
      std::size_t end = p;
      while (end < tag.size() && tag[end] != ' ') ++end;
      return tag.substr(p, end - p);
    }
    at += key.size();
  }
  return std::string();
}

void CopyCharacterFormat(const TextFormatData& from, TextFormatData& to) {
  to.font = from.font;
  to.size = from.size;
  to.color = from.color;
  to.bold = from.bold;
  to.italic = from.italic;
  to.underline = from.underline;
  to.kerning = from.kerning;
  to.letterSpacing = from.letterSpacing;
  to.url = from.url;
  to.target = from.target;
}

bool IsAlignName(const std::string& a) { return a == "left" || a == "right" || a == "center" || a == "justify"; }

}  // namespace

// Parses the HTML subset of text fields into runs.
std::vector<TextRun> ParseHtml(const std::string& html, const TextFormatData& base, bool condenseWhite,
                               bool multiline, int swfVersion, const HtmlStyler* styler) {
  std::vector<TextRun> runs;
  std::vector<TextFormatData> stack{base};
  // Fields of one line keep the breaks of paragraphs only in movies
  // before version 7.
  const bool breaks = multiline || swfVersion < 7;
  const auto addIn = [&](const std::string& text, const TextFormatData& format) {
    if (text.empty()) return;
    if (!runs.empty() && (SameFormat(runs.back().format, format) || runs.size() >= TextFieldData::MaxRuns)) {
      runs.back().text += text;
    } else {
      runs.push_back(TextRun{text, format});
    }
  };
  const auto add = [&](const std::string& text) { addIn(text, stack.back()); };
  bool paragraphOpen = false;  // inside a p
  // The elements open, innermost last: an end tag closes the innermost
  // element only when it names it, and is ignored otherwise. Elements
  // nested past MaxHtmlDepth count but change nothing.
  constexpr std::size_t MaxHtmlDepth = 256;
  std::vector<std::string> names;
  std::size_t ignored = 0;
  const auto openElement = [&](const std::string& name) {
    if (stack.size() > MaxHtmlDepth) {
      ++ignored;
      return false;
    }
    stack.push_back(stack.back());
    names.push_back(name);
    return true;
  };
  // The characters of the break that ends a p take the format of the
  // font element closed last (whatever came after it), or the field's own
  // before any.
  TextFormatData lastClosed = base;
  const auto closeElement = [&](const std::string& name) {
    if (ignored > 0) {
      --ignored;
    } else if (!names.empty() && names.back() == name) {
      if (name == "font") lastClosed = stack.back();
      stack.pop_back();
      names.pop_back();
    }
  };
  std::size_t i = 0;
  while (i < html.size()) {
    const char ch = html[i];
    if (ch == '<') {
      const std::size_t end = html.find('>', i);
      if (end == std::string::npos) break;
      std::string tag = html.substr(i + 1, end - i - 1);
      i = end + 1;
      const bool closing = !tag.empty() && tag[0] == '/';
      if (closing) tag.erase(0, 1);
      std::string name = AsciiLowerCase(tag.substr(0, tag.find_first_of(" /")));
      // A field of one line keeps no line breaks (see breaks).
      if (name == "br" || name == "sbr") {
        if (breaks) add("\r");
        continue;
      }
      if (name == "p" || name == "li") {
        if (closing) {
          // The break ends the paragraph in the paragraph's format. A p
          // does not nest: the first end of one ends it, others add none.
          if (breaks && name == "li") add("\r");
          if (breaks && name == "p" && paragraphOpen) {
            TextFormatData format = stack.back();
            CopyCharacterFormat(lastClosed, format);
            addIn("\r", format);
          }
          closeElement(name);
          if (name == "p") paragraphOpen = false;
          continue;
        } else {
          // A list item starts a paragraph of its own.
          const bool lineStart = runs.empty() || runs.back().text.empty() || runs.back().text.back() == '\r';
          if (name == "li" && breaks && !lineStart) add("\r");
          if (!openElement(name)) continue;
          const std::string align = AsciiLowerCase(AttributeOf(tag, "align"));
          if (IsAlignName(align)) stack.back().align = align;
          if (name == "li") stack.back().bullet = true;
          if (styler != nullptr) (*styler)(name, AttributeOf(tag, "class"), stack.back());
          if (name == "p") paragraphOpen = true;
        }
        continue;
      }
      if (name == "b" || name == "i" || name == "u" || name == "font" || name == "a" || name == "textformat" ||
          name == "span") {
        if (closing) {
          closeElement(name);
          continue;
        }
        if (!openElement(name)) continue;
        TextFormatData& f = stack.back();
        if (name == "b") f.bold = true;
        if (name == "i") f.italic = true;
        if (name == "u") f.underline = true;
        if (name == "a") {
          f.url = AttributeOf(tag, "href");
          f.target = AttributeOf(tag, "target");
        }
        if (name == "font") {
          const std::string face = AttributeOf(tag, "face");
          if (!face.empty()) f.font = face;
          // Sizes are whole points from 1 to 127; a sign makes one relative.
          const std::string size = AttributeOf(tag, "size");
          if (!size.empty()) {
            const double v = ParseIntPrefix(size, 10);
            if (!std::isnan(v)) f.size = std::clamp((size[0] == '+' || size[0] == '-') ? f.size + v : v, 1.0, 127.0);
          }
          const std::string color = AttributeOf(tag, "color");
          if (color.size() > 1 && color[0] == '#') {
            f.color = static_cast<std::uint32_t>(ParseIntPrefix(color.substr(1), 16)) & 0xFFFFFFu;
          }
          // Kerning came with version 8.
          const std::string kerning = AttributeOf(tag, "kerning");
          if (!kerning.empty() && swfVersion >= 8) f.kerning = ParseFloatPrefix(kerning) != 0;
          const std::string spacing = AttributeOf(tag, "letterspacing");
          if (!spacing.empty()) f.letterSpacing = ParseFloatPrefix(spacing);
        }
        if (name == "textformat") {
          const std::string leading = AttributeOf(tag, "leading");
          if (!leading.empty()) f.leading = ParseFloatPrefix(leading);
          const std::string indent = AttributeOf(tag, "indent");
          if (!indent.empty()) f.indent = ParseFloatPrefix(indent);
          const std::string left = AttributeOf(tag, "leftmargin");
          if (!left.empty()) f.leftMargin = ParseFloatPrefix(left);
          const std::string right = AttributeOf(tag, "rightmargin");
          if (!right.empty()) f.rightMargin = ParseFloatPrefix(right);
          const std::string block = AttributeOf(tag, "blockindent");
          if (!block.empty()) f.blockIndent = ParseFloatPrefix(block);
          const std::string stops = AttributeOf(tag, "tabstops");
          if (!stops.empty()) {
            f.tabStops.clear();
            for (std::size_t from = 0; from < stops.size() && f.tabStops.size() < 1024;) {
              std::size_t comma = stops.find(',', from);
              if (comma == std::string::npos) comma = stops.size();
              const double stop = ParseFloatPrefix(stops.substr(from, comma - from));
              if (std::isfinite(stop)) f.tabStops.push_back(stop);
              from = comma + 1;
            }
          }
        }
        if (styler != nullptr) (*styler)(name, AttributeOf(tag, "class"), f);
      }
      continue;
    }
    if (ch == '&') {
      const std::size_t end = html.find(';', i);
      if (end != std::string::npos && end - i <= 10) {
        const std::string decoded = DecodeEntity(html.substr(i + 1, end - i - 1));
        if (!decoded.empty()) {
          add(decoded);
          i = end + 1;
          continue;
        }
      }
      add("&");
      ++i;
      continue;
    }
    // Text between two tags that is only white space is no text; in other
    // text a line break of the source breaks the line, in fields of one
    // line too, and condensed white space is one space.
    std::size_t next = html.find('<', i);
    if (next == std::string::npos) next = html.size();
    // (only a whole text between tags: what is left of a text after an
    // entity or a line break is still text)
    const bool nodeStart = i == 0 || html[i - 1] == '>';
    if (nodeStart && html.find_first_not_of(" \t\r\n", i) >= next) {
      i = next;
      continue;
    }
    next = html.find_first_of(condenseWhite ? "<&" : "<&\n", i);
    if (next == std::string::npos) next = html.size();
    if (next == i) {
      add("\r");
      ++i;
      continue;
    }
    std::string text = html.substr(i, next - i);
    if (condenseWhite) {
      std::string condensed;
      for (const char t : text) {
        const bool space = t == ' ' || t == '\t' || t == '\r' || t == '\n';
        if (space && !condensed.empty() && condensed.back() == ' ') continue;
        condensed += space ? ' ' : t;
      }
      text = condensed;
    }
    add(text);
    i = next;
  }
  return runs;
}

namespace {

// Bold, italic, underline and the link of a piece of text, innermost
// first as the player writes them.
std::string StyledText(const TextFormatData& f, const std::string& text) {
  std::string inner = EscapeHtml(text);
  if (f.underline) inner = "<U>" + inner + "</U>";
  if (f.italic) inner = "<I>" + inner + "</I>";
  if (f.bold) inner = "<B>" + inner + "</B>";
  if (!f.url.empty()) inner = "<A HREF=\"" + f.url + "\" TARGET=\"" + f.target + "\">" + inner + "</A>";
  return inner;
}

// The FONT attributes of f that differ from those of base (all of them
// when base is null).
std::string FontAttributes(const TextFormatData& f, const TextFormatData* base) {
  std::string out;
  if (base == nullptr || f.font != base->font) out += " FACE=\"" + f.font + "\"";
  if (base == nullptr || f.size != base->size) out += " SIZE=\"" + FormatNumber(f.size) + "\"";
  if (base == nullptr || f.color != base->color) out += " COLOR=\"" + ColorText(f.color) + "\"";
  if (base == nullptr || f.letterSpacing != base->letterSpacing) {
    out += " LETTERSPACING=\"" + FormatNumber(f.letterSpacing) + "\"";
  }
  if (base == nullptr || f.kerning != base->kerning) out += std::string(" KERNING=\"") + (f.kerning ? "1" : "0") + "\"";
  return out;
}

bool SameFont(const TextFormatData& a, const TextFormatData& b) {
  return a.font == b.font && a.size == b.size && a.color == b.color && a.letterSpacing == b.letterSpacing &&
         a.kerning == b.kerning;
}

// Whether two formats show their characters alike.
bool SameCharacters(const TextFormatData& a, const TextFormatData& b) {
  return SameFont(a, b) && a.bold == b.bold && a.italic == b.italic && a.underline == b.underline &&
         a.url == b.url && a.target == b.target;
}

// The TEXTFORMAT attributes a paragraph needs, "" when all are defaults.
std::string ParagraphAttributes(const TextFormatData& f) {
  std::string out;
  if (f.leftMargin != 0) out += " LEFTMARGIN=\"" + FormatNumber(f.leftMargin) + "\"";
  if (f.rightMargin != 0) out += " RIGHTMARGIN=\"" + FormatNumber(f.rightMargin) + "\"";
  if (f.indent != 0) out += " INDENT=\"" + FormatNumber(f.indent) + "\"";
  if (f.blockIndent != 0) out += " BLOCKINDENT=\"" + FormatNumber(f.blockIndent) + "\"";
  if (f.leading != 0) out += " LEADING=\"" + FormatNumber(f.leading) + "\"";
  if (!f.tabStops.empty()) {
    std::string stops;
    for (const double t : f.tabStops) stops += (stops.empty() ? "" : ",") + FormatNumber(t);
    out += " TABSTOPS=\"" + stops + "\"";
  }
  return out;
}

// One paragraph's pieces of text in their formats; format is the
// paragraph's (its first character's, or its break's when it is empty).
struct Paragraph {
  TextFormatData format;
  std::vector<const TextRun*> pieces;
  std::vector<std::string> texts;
};

std::vector<Paragraph> SplitParagraphs(const TextFieldData& d) {
  std::vector<Paragraph> paragraphs(1);
  bool started = false;
  for (const TextRun& run : d.runs) {
    std::size_t start = 0;
    while (start <= run.text.size()) {
      const std::size_t brk = run.text.find_first_of("\r\n", start);
      const std::size_t end = brk == std::string::npos ? run.text.size() : brk;
      if (end > start || brk != std::string::npos) {
        if (!started) paragraphs.back().format = run.format;
        started = true;
      }
      Paragraph& p = paragraphs.back();
      if (end > start) {
        // Pieces that differ only in what belongs to paragraphs are one.
        if (!p.pieces.empty() && SameCharacters(p.pieces.back()->format, run.format)) {
          p.texts.back() += run.text.substr(start, end - start);
        } else {
          p.pieces.push_back(&run);
          p.texts.push_back(run.text.substr(start, end - start));
        }
      }
      if (brk == std::string::npos) break;
      // A break in a format of its own shows as an empty piece.
      if (!p.pieces.empty() && !SameCharacters(p.pieces.back()->format, run.format)) {
        p.pieces.push_back(&run);
        p.texts.emplace_back();
      }
      paragraphs.emplace_back();
      started = false;
      start = brk + 1;
    }
  }
  // What follows the last break is no paragraph of its own when empty.
  if (!started && paragraphs.back().pieces.empty()) paragraphs.pop_back();
  return paragraphs;
}

// The field's text as the HTML the player gives back. Movies before
// version 7 get a whole FONT tag for every piece of text; later ones get
// FONT tags nested, each naming only what changes: a piece closes the
// tags back to a level whose format is its own, or else opens one more.
std::string GenerateHtml(const TextFieldData& d, int version) {
  std::string out;
  for (const Paragraph& p : SplitParagraphs(d)) {
    const std::string blockAttributes = ParagraphAttributes(p.format);
    std::string body;
    if (version < 6 || p.pieces.empty()) {
      for (std::size_t i = 0; i < p.pieces.size(); ++i) {
        body += "<FONT" + FontAttributes(p.pieces[i]->format, nullptr) + ">" +
                StyledText(p.pieces[i]->format, p.texts[i]) + "</FONT>";
      }
      if (p.pieces.empty()) body = "<FONT" + FontAttributes(p.format, nullptr) + ">" + StyledText(p.format, "") + "</FONT>";
    } else {
      std::vector<const TextFormatData*> open{&p.pieces.front()->format};
      body = "<FONT" + FontAttributes(*open.front(), nullptr) + ">";
      for (std::size_t i = 0; i < p.pieces.size(); ++i) {
        const TextFormatData& f = p.pieces[i]->format;
        std::size_t keep = open.size();
        while (keep > 0 && !SameFont(*open[keep - 1], f)) --keep;
        if (keep > 0) {
          for (; open.size() > keep; open.pop_back()) body += "</FONT>";
        } else {
          body += "<FONT" + FontAttributes(f, open.back()) + ">";
          open.push_back(&f);
        }
        body += StyledText(f, p.texts[i]);
      }
      for (std::size_t n = open.size(); n > 0; --n) body += "</FONT>";
    }
    const std::string block = p.format.bullet ? "<LI>" + body + "</LI>"
                                              : "<P ALIGN=\"" + Upper(p.format.align) + "\">" + body + "</P>";
    out += blockAttributes.empty() ? block : "<TEXTFORMAT" + blockAttributes + ">" + block + "</TEXTFORMAT>";
  }
  return out;
}

// The extent of the field's text in pixels: as the control lays it out
// when it can (the fonts embedded in the movie), else a rough measure of
// the device fonts, whose glyphs are the system's: half an em per
// character, the line as tall as the size and a few pixels of leading.
// True when the control laid the text out.
bool Measure(const ActionContext& context, const TextFieldData& d, double& width, double& height) {
  if (context.measureText && context.measureText(d, width, height)) return true;
  const std::string text = d.Text();
  double lineWidth = 0;
  width = 0;
  int lines = text.empty() ? 0 : 1;
  double size = d.runs.empty() ? d.defaultFormat.size : d.runs.front().format.size;
  for (const char ch : text) {
    if (ch == '\r' || ch == '\n') {
      ++lines;
      lineWidth = 0;
      continue;
    }
    if ((static_cast<unsigned char>(ch) & 0xC0) == 0x80) continue;
    lineWidth += size * 0.5;
    width = std::max(width, lineWidth);
  }
  height = lines * (size + 2);
  return false;
}

// How far the text may scroll sideways: what of its widest line and the
// two gutters of 2 pixels the box does not show, in whole pixels.
int MaxHorizontalScroll(const ActionContext& context, const TextFieldData& d) {
  double width = 0, height = 0;
  Measure(context, d, width, height);
  const double hidden = width + 4 - d.width;
  return hidden > 0 && hidden < 2147483647.0 ? static_cast<int>(hidden) : 0;
}

// --- TextField properties

enum Property {
  GridFitType, AntiAliasType, Thickness, Sharpness, Filters, Scroll, MaxScroll, BorderColor, BackgroundColor,
  TextColor, TabIndex, AutoSize, TextValue, Type, HtmlText, Variable, HScroll, MaxHScroll, MaxChars,
  EmbedFonts, Html, Border, Background, WordWrap, Password, Multiline, Selectable, Length, BottomScroll,
  TextWidth, TextHeight, Restrict, CondenseWhite, MouseWheelEnabled, StyleSheet
};

const char* const kPropertyNames[] = {
    "gridFitType", "antiAliasType", "thickness", "sharpness", "filters", "scroll", "maxscroll", "borderColor",
    "backgroundColor", "textColor", "tabIndex", "autoSize", "text", "type", "htmlText", "variable", "hscroll",
    "maxhscroll", "maxChars", "embedFonts", "html", "border", "background", "wordWrap", "password", "multiline",
    "selectable", "length", "bottomScroll", "textWidth", "textHeight", "restrict", "condenseWhite",
    "mouseWheelEnabled", "styleSheet"};

// The variable a field shows, read through its parent's timeline.
bool BoundVariable(NativeCall& c, ActionTarget& field, ActionValue& value) {
  TextFieldData* d = field.TextField();
  if (d == nullptr || d->variable.empty() || field.Parent() == nullptr) return false;
  ResolvedVariable resolved;
  if (!ResolveVariable(c.vm.RootTarget(), *field.Parent(), d->variable, c.vm.CaseSensitive(), resolved)) return false;
  const ActionValue* v = resolved.target->Variables().Find(resolved.name);
  if (v == nullptr) return false;
  value = *v;
  return true;
}

void SetBoundVariable(NativeCall& c, ActionTarget& field, const std::string& text) {
  TextFieldData* d = field.TextField();
  if (d == nullptr || d->variable.empty() || field.Parent() == nullptr) return;
  ResolvedVariable resolved;
  if (!ResolveVariable(c.vm.RootTarget(), *field.Parent(), d->variable, c.vm.CaseSensitive(), resolved)) return;
  resolved.target->Variables().Set(resolved.name, Str(c, text));
}

// An autosized field takes the size of its text and its gutters; it grows
// from the side autoSize names, moving the field itself (its _x).
void FitToText(NativeCall& c, ActionTarget& t, TextFieldData& d) {
  if (d.autoSize == "none") return;
  double width = 0, height = 0;
  Measure(c.vm.Context(), d, width, height);
  const double newWidth = d.wordWrap ? d.width : width + 4;
  const double newHeight = height + 4;
  if (!d.wordWrap) {
    double shift = 0;
    if (d.autoSize == "right") shift = d.width - newWidth;
    else if (d.autoSize == "center") shift = (d.width - newWidth) / 2;
    // In whole twips, as the field's place is kept.
    const double x = std::round(t.GetDisplayProperty(TargetProperty::X) * 20) + std::round(shift * 20);
    if (shift != 0) t.SetDisplayProperty(TargetProperty::X, x / 20);
    d.width = newWidth;
  }
  d.height = newHeight;
}

HtmlStyler StylerOf(NativeCall& c, ScriptObject* sheet);

// Text or HTML given to a field with a style sheet: read as HTML in the
// sheet's styles, and kept as given for htmlText to answer.
void SetStyledHtml(NativeCall& c, ActionTarget& t, TextFieldData& d, const std::string& html) {
  // (an object that is no StyleSheet styles nothing)
  const HtmlStyler styler = StylerOf(c, d.styleSheet);
  SetHtmlText(d, html, Rt(c).Version(), styler ? &styler : nullptr);
  d.styledHtml = html;
  d.hasStyledHtml = true;
  d.ClampSelection(static_cast<int>(Utf16Length(d.Text())));
  SetBoundVariable(c, t, d.Text());
  FitToText(c, t, d);
}

ActionValue Get(NativeCall& c) {
  ActionTarget* t = ThisTarget(c);
  TextFieldData* d = t ? t->TextField() : nullptr;
  if (d == nullptr) return ActionValue();
  double width = 0, height = 0;
  switch (c.Tag()) {
    case GridFitType: return Str(c, d->gridFitType);
    case AntiAliasType: return Str(c, d->antiAliasType);
    case Thickness: return Num(d->thickness);
    case Sharpness: return Num(d->sharpness);
    case Filters: return FilterArray(c, t->Filters());
    case Scroll: return Num(d->scroll);
    case MaxScroll:
    case BottomScroll: return Num(1);
    case BorderColor: return Num(d->borderColor);
    case BackgroundColor: return Num(d->backgroundColor);
    case TextColor: return Num(d->runs.empty() ? d->defaultFormat.color : d->runs.front().format.color);
    case TabIndex: return ActionValue();
    case AutoSize: return Str(c, d->autoSize);
    case TextValue: {
      ActionValue bound;
      if (BoundVariable(c, *t, bound)) return Str(c, c.vm.Text(bound));
      return Str(c, d->Text());
    }
    case Type: return ActionValue::String(d->input ? "input" : "dynamic");
    case HtmlText:
      // A field with a style sheet answers HTML whatever its html flag.
      if (d->styleSheet != nullptr && d->hasStyledHtml) return Str(c, d->styledHtml);
      if (!d->html && d->styleSheet == nullptr) return Str(c, d->Text());
      return Str(c, GenerateHtml(*d, Rt(c).Version()));
    case Variable: return d->variable.empty() ? ActionValue::Null() : Str(c, d->variable);
    case HScroll: return Num(std::min(d->hscroll, MaxHorizontalScroll(c.vm.Context(), *d)));
    case MaxHScroll: return Num(MaxHorizontalScroll(c.vm.Context(), *d));
    case MaxChars: return d->maxChars > 0 ? Num(d->maxChars) : ActionValue::Null();
    case EmbedFonts: return Bool(d->embedFonts);
    case Html: return Bool(d->html);
    case Border: return Bool(d->border);
    case Background: return Bool(d->background);
    case WordWrap: return Bool(d->wordWrap);
    case Password: return Bool(d->password);
    case Multiline: return Bool(d->multiline);
    case Selectable: return Bool(d->selectable);
    case Length: return Num(static_cast<double>(Utf16Length(d->Text())));
    // Laid-out text reports whole pixels.
    case TextWidth:
      return Num(Measure(c.vm.Context(), *d, width, height) ? std::floor(width) : width);
    case TextHeight:
      return Num(Measure(c.vm.Context(), *d, width, height) ? std::floor(height) : height);
    case Restrict: return d->restrict.empty() ? ActionValue::Null() : Str(c, d->restrict);
    case CondenseWhite: return Bool(d->condenseWhite);
    case MouseWheelEnabled: return Bool(d->mouseWheelEnabled);
    case StyleSheet: return d->styleSheet ? Obj(d->styleSheet) : ActionValue();
    default: return ActionValue();
  }
}

ActionValue Set(NativeCall& c) {
  ActionTarget* t = ThisTarget(c);
  TextFieldData* d = t ? t->TextField() : nullptr;
  if (d == nullptr) return ActionValue();
  const ActionValue& v = c.Arg(0);
  const auto color = [&] { return static_cast<std::uint32_t>(WrapToInt32(c.vm.Number(v))) & 0xFFFFFFu; };
  switch (c.Tag()) {
    case GridFitType:
    case AntiAliasType: {
      // A name the field does not know leaves the one it has.
      const std::string name = c.vm.Text(v);
      if (c.Tag() == AntiAliasType && (name == "normal" || name == "advanced")) d->antiAliasType = name;
      if (c.Tag() == GridFitType && (name == "none" || name == "pixel" || name == "subpixel")) d->gridFitType = name;
      break;
    }
    case Thickness: d->thickness = c.vm.Number(v); break;
    case Sharpness: d->sharpness = c.vm.Number(v); break;
    case Filters:
      if (auto list = FilterList(c, v)) t->SetFilters(std::move(*list));
      break;
    case Scroll: d->scroll = std::max(1, TruncateToInt32(c.vm.Number(v))); break;
    case HScroll: d->hscroll = std::clamp(WrapToInt32(c.vm.Number(v)), 0, MaxHorizontalScroll(c.vm.Context(), *d)); break;
    case BorderColor: d->borderColor = color(); break;
    case BackgroundColor: d->backgroundColor = color(); break;
    case TextColor: {
      const std::uint32_t rgb = color();
      d->defaultFormat.color = rgb;
      for (TextRun& r : d->runs) r.format.color = rgb;
      break;
    }
    case AutoSize: {
      if (v.IsBoolean()) {
        d->autoSize = v.BooleanValue() ? "left" : "none";
      } else {
        const std::string mode = c.vm.Text(v);
        d->autoSize = mode == "left" || mode == "right" || mode == "center" ? mode : "none";
      }
      FitToText(c, *t, *d);
      break;
    }
    case TextValue: {
      const std::string text = c.vm.Text(v);
      if (d->styleSheet != nullptr) {
        // With a style sheet, text is HTML too.
        SetStyledHtml(c, *t, *d, text);
        break;
      }
      d->hasStyledHtml = false;
      std::string plain;
      for (const char ch : text) plain += ch == '\n' ? '\r' : ch;
      if (d->maxChars > 0 && d->input) {
        // (a field's own typing is capped; scripts may set any text)
      }
      d->SetText(plain);
      d->ClampSelection(static_cast<int>(Utf16Length(plain)));
      SetBoundVariable(c, *t, plain);
      FitToText(c, *t, *d);
      break;
    }
    case Type: {
      const std::string type = c.vm.Text(v);
      if (type == "input") d->input = true;
      else if (type == "dynamic") d->input = false;
      break;
    }
    case HtmlText: {
      const std::string text = c.vm.Text(v);
      if (d->styleSheet != nullptr) {
        SetStyledHtml(c, *t, *d, text);
        break;
      }
      d->hasStyledHtml = false;
      if (d->html) SetHtmlText(*d, text, Rt(c).Version());
      else d->SetText(text);
      d->ClampSelection(static_cast<int>(Utf16Length(d->Text())));
      SetBoundVariable(c, *t, d->Text());
      FitToText(c, *t, *d);
      break;
    }
    case Variable: d->variable = v.IsNullish() ? std::string() : c.vm.Text(v); break;
    case MaxChars: {
      const double n = c.vm.Number(v);
      d->maxChars = std::isfinite(n) && n > 0 ? TruncateToInt32(n) : 0;
      break;
    }
    case EmbedFonts: d->embedFonts = c.vm.Truth(v); break;
    case Html: d->html = c.vm.Truth(v); break;
    case Border: d->border = c.vm.Truth(v); break;
    case Background: d->background = c.vm.Truth(v); break;
    case WordWrap: d->wordWrap = c.vm.Truth(v); break;
    case Password: d->password = c.vm.Truth(v); break;
    case Multiline: d->multiline = c.vm.Truth(v); break;
    case Selectable: d->selectable = c.vm.Truth(v); break;
    case Restrict: d->restrict = v.IsNullish() ? std::string() : c.vm.Text(v); break;
    case CondenseWhite: d->condenseWhite = c.vm.Truth(v); break;
    case StyleSheet: {
      // Any object but a display object; other values take the sheet away.
      ScriptObject* sheet = v.ObjectValue();
      if (sheet != nullptr && sheet->Core()->Kind() == ObjectKind::Clip) sheet = nullptr;
      if (sheet == nullptr) d->hasStyledHtml = false;
      d->styleSheet = sheet;
      break;
    }
    case MouseWheelEnabled: d->mouseWheelEnabled = c.vm.Truth(v); break;
    default: break;
  }
  return ActionValue();
}

// --- TextFormat

enum FormatMember {
  FormatAlign, FormatBlockIndent, FormatBold, FormatBullet, FormatColor, FormatDisplay, FormatFont,
  FormatIndent, FormatItalic, FormatKerning, FormatLeading, FormatLeftMargin, FormatLetterSpacing,
  FormatRightMargin, FormatSize, FormatTabStops, FormatTarget, FormatUnderline, FormatUrl, FormatMemberCount
};

const char* const kFormatNames[FormatMemberCount] = {
    "align",   "blockIndent", "bold",   "bullet",        "color",       "display", "font",
    "indent",  "italic",      "kerning", "leading",      "leftMargin",  "letterSpacing",
    "rightMargin", "size",    "tabStops", "target",      "underline",   "url"};

// A TextFormat keeps each member as the value its setter made of what was
// assigned, so reading answers a number, a boolean, text or null and never
// what the script handed in.
struct FormatState : NativeState {
  FormatState() {
    for (ActionValue& v : members) v = ActionValue::Null();
    members[FormatDisplay] = ActionValue::String("block");
  }
  void Trace(GcMarker& marker) override {
    for (const ActionValue& v : members) marker.Mark(v);
  }
  ActionValue members[FormatMemberCount];
};

// Whole-number members round half to even; what has no 32-bit integer
// (NaN, the infinities, values out of range) becomes the lowest one.
std::int32_t RoundFormatInt(double v) {
  const double r = std::nearbyint(v);
  if (!(r >= -2147483648.0 && r <= 2147483647.0)) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(r);
}

// Colours wrap modulo 2^32 after going toward zero; NaN and the infinities
// are 0.
double WrapColor(double v) { return static_cast<double>(static_cast<std::uint32_t>(WrapToInt32(v))); }

ActionValue GetFormatMember(NativeCall& c) {
  auto* s = ThisState<FormatState>(c);
  if (s == nullptr || c.Tag() < 0 || c.Tag() >= FormatMemberCount) return ActionValue();
  return s->members[c.Tag()];
}


// Converts a value assigned to a member; constructing truncates numbers
// where assigning rounds them, and only assigning keeps margins from going
// below zero.
ActionValue ConvertFormatMember(NativeCall& c, int member, const ActionValue& v, bool constructing) {
  if (member == FormatDisplay) {
    const std::string d = v.IsNullish() ? std::string() : c.vm.Text(v);
    return Str(c, d == "inline" || d == "none" ? d : "block");
  }
  if (v.IsNullish()) return ActionValue::Null();
  switch (member) {
    case FormatFont:
    case FormatTarget:
    case FormatUrl:
      return Str(c, c.vm.Text(v));
    case FormatBold:
    case FormatBullet:
    case FormatItalic:
    case FormatKerning:
    case FormatUnderline:
      return Bool(c.vm.Truth(v));
    case FormatColor:
      return Num(WrapColor(c.vm.Number(v)));
    case FormatLetterSpacing:
      return Num(c.vm.Number(v));
    case FormatLeftMargin:
    case FormatRightMargin:
    case FormatBlockIndent:
    case FormatIndent:
    case FormatLeading:
    case FormatSize: {
      double n = c.vm.Number(v);
      if (constructing) return Num(TruncateToInt32(n));
      if ((member == FormatLeftMargin || member == FormatRightMargin) && !(n > 0)) n = 0;
      return Num(RoundFormatInt(n));
    }
    case FormatTabStops: {
      ScriptObject* from = v.ObjectValue();
      if (from == nullptr) return ActionValue::Null();
      const double length = c.vm.Number(c.vm.GetMember(v, "length"));
      // A hostile length cannot make the copy grow past what a field shows.
      const std::int32_t count = std::clamp(TruncateToInt32(length), 0, 1024);
      std::vector<ActionValue> stops;
      for (std::int32_t i = 0; i < count && !c.vm.Stopped(); ++i) {
        stops.push_back(Num(RoundFormatInt(c.vm.Number(c.vm.GetMember(v, Str(c, std::to_string(i)))))));
      }
      return Obj(c.vm.NewArray(stops));
    }
    default:
      return ActionValue::Null();
  }
}

ActionValue SetFormatMember(NativeCall& c) {
  auto* s = ThisState<FormatState>(c);
  if (s == nullptr || c.Tag() < 0 || c.Tag() >= FormatMemberCount) return ActionValue();
  const ActionValue& v = c.Arg(0);
  if (c.Tag() == FormatAlign) {
    // An alignment the field does not know leaves the one set before.
    if (v.IsNullish()) return ActionValue();
    const std::string a = AsciiLowerCase(c.vm.Text(v));
    if (IsAlignName(a)) s->members[FormatAlign] = Str(c, a);
    return ActionValue();
  }
  const ActionValue converted = ConvertFormatMember(c, c.Tag(), v, false);
  if (!c.vm.Stopped()) s->members[c.Tag()] = converted;
  return ActionValue();
}

ActionValue NewTextFormat(NativeCall& c) {
  ScriptRuntime& rt = Rt(c);
  const ActionValue textFormatClass = c.vm.GetMember(ActionValue::Object(rt.global), "TextFormat");
  ScriptObject* proto = c.vm.GetMember(textFormatClass, rt.names.prototype).ObjectValue();
  ScriptObject* o = rt.Heap().Make<NativeObject>(rt.CaseSensitive(), std::make_unique<FormatState>());
  if (o == nullptr) {
    c.vm.Fault();
    return ActionValue();
  }
  o->SetProto(proto ? proto : rt.objectProto);
  return Obj(o);
}

ActionValue FormatToObject(NativeCall& c, const TextFormatData& f) {
  const ActionValue o = NewTextFormat(c);
  if (!o.IsObject()) return o;
  c.vm.SetMember(o, "align", Str(c, f.align));
  c.vm.SetMember(o, "blockIndent", Num(f.blockIndent));
  c.vm.SetMember(o, "bold", Bool(f.bold));
  c.vm.SetMember(o, "bullet", Bool(f.bullet));
  c.vm.SetMember(o, "color", Num(f.color));
  c.vm.SetMember(o, "font", Str(c, f.font));
  c.vm.SetMember(o, "indent", Num(f.indent));
  c.vm.SetMember(o, "italic", Bool(f.italic));
  c.vm.SetMember(o, "kerning", Bool(f.kerning));
  c.vm.SetMember(o, "leading", Num(f.leading));
  c.vm.SetMember(o, "leftMargin", Num(f.leftMargin));
  c.vm.SetMember(o, "letterSpacing", Num(f.letterSpacing));
  c.vm.SetMember(o, "rightMargin", Num(f.rightMargin));
  c.vm.SetMember(o, "size", Num(f.size));
  std::vector<ActionValue> stops;
  for (const double s : f.tabStops) stops.push_back(Num(s));
  c.vm.SetMember(o, "tabStops", Obj(c.vm.NewArray(stops)));
  c.vm.SetMember(o, "target", Str(c, f.target));
  c.vm.SetMember(o, "underline", Bool(f.underline));
  c.vm.SetMember(o, "url", Str(c, f.url));
  return o;
}

// The members of a TextFormat object that are not null: their values,
// and which they are.
struct FormatChange {
  TextFormatData values;
  std::uint32_t members = 0;  // bits: 1 << FormatMember
  bool Has(int member) const { return (members & (1u << member)) != 0; }
};

FormatChange ReadFormatChange(NativeCall& c, const ActionValue& from) {
  FormatChange change;
  TextFormatData& f = change.values;
  const auto has = [&](int member, ActionValue& v) {
    v = c.vm.GetMember(from, kFormatNames[member]);
    if (v.IsNullish()) return false;
    change.members |= 1u << member;
    return true;
  };
  ActionValue v;
  if (has(FormatAlign, v)) {
    const std::string a = AsciiLowerCase(c.vm.Text(v));
    if (IsAlignName(a)) f.align = a;
    else change.members &= ~(1u << FormatAlign);
  }
  if (has(FormatBlockIndent, v)) f.blockIndent = c.vm.Number(v);
  if (has(FormatBold, v)) f.bold = c.vm.Truth(v);
  if (has(FormatBullet, v)) f.bullet = c.vm.Truth(v);
  if (has(FormatColor, v)) f.color = static_cast<std::uint32_t>(WrapToInt32(c.vm.Number(v))) & 0xFFFFFFu;
  if (has(FormatFont, v)) f.font = c.vm.Text(v);
  if (has(FormatIndent, v)) f.indent = c.vm.Number(v);
  if (has(FormatItalic, v)) f.italic = c.vm.Truth(v);
  if (has(FormatKerning, v)) f.kerning = c.vm.Truth(v);
  if (has(FormatLeading, v)) f.leading = c.vm.Number(v);
  if (has(FormatLeftMargin, v)) f.leftMargin = c.vm.Number(v);
  if (has(FormatLetterSpacing, v)) f.letterSpacing = c.vm.Number(v);
  if (has(FormatRightMargin, v)) f.rightMargin = c.vm.Number(v);
  if (has(FormatSize, v)) f.size = c.vm.Number(v);
  if (has(FormatTabStops, v)) {
    // The same cap as the TextFormat's own copy of the array.
    const double length = std::min(c.vm.Number(c.vm.GetMember(v, "length")), 1024.0);
    for (std::int32_t i = 0; i < length && !c.vm.Stopped(); ++i) {
      const double stop = c.vm.Number(c.vm.GetMember(v, Str(c, std::to_string(i))));
      if (std::isfinite(stop)) f.tabStops.push_back(stop);
    }
  }
  if (has(FormatTarget, v)) f.target = c.vm.Text(v);
  if (has(FormatUnderline, v)) f.underline = c.vm.Truth(v);
  if (has(FormatUrl, v)) f.url = c.vm.Text(v);
  return change;
}

// The members that belong to a whole paragraph.
constexpr std::uint32_t kParagraphMembers = 1u << FormatAlign | 1u << FormatBlockIndent | 1u << FormatBullet |
                                            1u << FormatIndent | 1u << FormatLeading | 1u << FormatLeftMargin |
                                            1u << FormatRightMargin | 1u << FormatTabStops;

void ApplyChange(const FormatChange& change, std::uint32_t which, TextFormatData& f) {
  const TextFormatData& v = change.values;
  const auto apply = [&](int member) { return (change.members & which & (1u << member)) != 0; };
  if (apply(FormatAlign)) f.align = v.align;
  if (apply(FormatBlockIndent)) f.blockIndent = v.blockIndent;
  if (apply(FormatBold)) f.bold = v.bold;
  if (apply(FormatBullet)) f.bullet = v.bullet;
  if (apply(FormatColor)) f.color = v.color;
  if (apply(FormatFont)) f.font = v.font;
  if (apply(FormatIndent)) f.indent = v.indent;
  if (apply(FormatItalic)) f.italic = v.italic;
  if (apply(FormatKerning)) f.kerning = v.kerning;
  if (apply(FormatLeading)) f.leading = v.leading;
  if (apply(FormatLeftMargin)) f.leftMargin = v.leftMargin;
  if (apply(FormatLetterSpacing)) f.letterSpacing = v.letterSpacing;
  if (apply(FormatRightMargin)) f.rightMargin = v.rightMargin;
  if (apply(FormatSize)) f.size = v.size;
  if (apply(FormatTabStops)) f.tabStops = v.tabStops;
  if (apply(FormatTarget)) f.target = v.target;
  if (apply(FormatUnderline)) f.underline = v.underline;
  if (apply(FormatUrl)) f.url = v.url;
}

// Applies the members of a TextFormat object that are not null.
void ApplyFormat(NativeCall& c, const ActionValue& from, TextFormatData& f) {
  ApplyChange(ReadFormatChange(c, from), ~0u, f);
}

// The byte offset in UTF-8 text where UTF-16 unit index units starts (a
// character of four bytes counts two units).
std::size_t ByteOffsetOfUnit(const std::string& text, std::size_t units) {
  std::size_t at = 0;
  while (at < text.size() && units > 0) {
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    units -= std::min<std::size_t>(units, length == 4 ? 2 : 1);
    at = std::min(text.size(), at + length);
  }
  return at;
}

// Splits the run holding UTF-16 index at, so that a run starts there.
void SplitRunsAt(std::vector<TextRun>& runs, std::size_t at) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const std::size_t length = Utf16Length(runs[i].text);
    if (at > start && at < start + length) {
      const std::size_t byte = ByteOffsetOfUnit(runs[i].text, at - start);
      TextRun tail{runs[i].text.substr(byte), runs[i].format};
      runs[i].text.erase(byte);
      runs.insert(runs.begin() + static_cast<std::ptrdiff_t>(i) + 1, std::move(tail));
      return;
    }
    start += length;
  }
}

void MergeRuns(std::vector<TextRun>& runs) {
  std::vector<TextRun> merged;
  for (TextRun& r : runs) {
    if (r.text.empty()) continue;
    if (!merged.empty() && SameFormat(merged.back().format, r.format)) merged.back().text += r.text;
    else merged.push_back(std::move(r));
  }
  runs = std::move(merged);
}

ActionValue TextFormatConstruct(NativeCall& c) {
  ScriptObject* o = NewNativeInstance(c, nullptr, std::make_unique<FormatState>());
  auto* s = NativeStateOf<FormatState>(o);
  if (s == nullptr) return ActionValue();
  const int order[] = {FormatFont, FormatSize,       FormatColor,       FormatBold,   FormatItalic,
                       FormatUnderline, FormatUrl,   FormatTarget,      FormatAlign,  FormatLeftMargin,
                       FormatRightMargin, FormatIndent, FormatLeading};
  for (std::size_t i = 0; i < c.Count() && i < 13 && !c.vm.Stopped(); ++i) {
    const int member = order[i];
    if (member == FormatAlign) {
      const std::string a = c.Arg(i).IsNullish() ? std::string() : AsciiLowerCase(c.vm.Text(c.Arg(i)));
      if (IsAlignName(a)) s->members[FormatAlign] = Str(c, a);
      continue;
    }
    s->members[member] = ConvertFormatMember(c, member, c.Arg(i), true);
  }
  return Obj(o);
}

ActionValue GetTextExtent(NativeCall& c) {
  TextFieldData d;
  d.SetText(ArgText(c, 0));
  const ActionValue size = c.vm.GetMember(c.thisValue, "size");
  if (size.IsNumber()) d.runs.front().format.size = size.NumberValue();
  double width = 0, height = 0;
  Measure(c.vm.Context(), d, width, height);
  ScriptObject* o = Rt(c).NewObject();
  if (o == nullptr) return ActionValue();
  c.vm.SetMember(Obj(o), "width", Num(width));
  c.vm.SetMember(Obj(o), "height", Num(height));
  c.vm.SetMember(Obj(o), "textFieldWidth", Num(width + 4));
  c.vm.SetMember(Obj(o), "textFieldHeight", Num(height + 4));
  c.vm.SetMember(Obj(o), "ascent", Num(d.runs.front().format.size * 0.9));
  c.vm.SetMember(Obj(o), "descent", Num(d.runs.front().format.size * 0.22));
  return Obj(o);
}

// --- TextField.StyleSheet

// transform(style): the TextFormat a style object (CSS properties in their
// script names) stands for. Members the style leaves out, or gives a false
// value, stay null; numbers are read as whole numbers from the start of
// their text.
ActionValue TransformStyle(NativeCall& c, const ActionValue& style) {
  if (style.IsNullish()) return ActionValue::Null();
  const ActionValue o = NewTextFormat(c);
  auto* s = NativeStateOf<FormatState>(o.ObjectValue());
  if (s == nullptr) return o;
  ActionValue* m = s->members;
  m[FormatKerning] = Bool(false);
  if (!style.IsObject()) return o;
  const auto property = [&](const char* name, std::string& text, ActionValue& value) {
    value = c.vm.GetMember(style, name);
    if (c.vm.Stopped() || !c.vm.Truth(value)) return false;
    text = c.vm.Text(value);
    return true;
  };
  const auto whole = [](const std::string& text) { return ParseIntPrefix(text, 10); };
  std::string t;
  ActionValue v;
  if (property("color", t, v) && t.size() == 7 && t[0] == '#' &&
      t.find_first_not_of("0123456789abcdefABCDEF", 1) == std::string::npos) {
    m[FormatColor] = Num(ParseIntPrefix(t.substr(1), 16));
  }
  if (property("display", t, v) && (t == "inline" || t == "none")) m[FormatDisplay] = Str(c, t);
  if (property("fontFamily", t, v)) {
    // Each name of the list loses the white space before it; empty names go.
    std::string fonts;
    std::size_t start = 0;
    while (start <= t.size()) {
      std::size_t comma = t.find(',', start);
      if (comma == std::string::npos) comma = t.size();
      const std::size_t first = t.find_first_not_of(" \t\r\n", start);
      if (first != std::string::npos && first < comma) fonts += (fonts.empty() ? "" : ",") + t.substr(first, comma - first);
      start = comma + 1;
    }
    if (!fonts.empty()) m[FormatFont] = Str(c, fonts);
  }
  if (property("fontSize", t, v) && whole(t) > 0) m[FormatSize] = Num(whole(t));
  if (property("fontStyle", t, v) && (t == "normal" || t == "italic")) m[FormatItalic] = Bool(t == "italic");
  if (property("fontWeight", t, v) && (t == "normal" || t == "bold")) m[FormatBold] = Bool(t == "bold");
  if (property("kerning", t, v)) {
    const double n = whole(t);
    m[FormatKerning] = Bool((v.IsString() && t == "true") || (!std::isnan(n) && n != 0));
  }
  if (property("leading", t, v)) m[FormatLeading] = Num(std::isnan(whole(t)) ? 0 : whole(t));
  if (property("letterSpacing", t, v)) m[FormatLetterSpacing] = Num(whole(t));
  if (property("marginLeft", t, v)) m[FormatLeftMargin] = Num(whole(t) > 0 ? whole(t) : 0);
  if (property("marginRight", t, v)) m[FormatRightMargin] = Num(whole(t) > 0 ? whole(t) : 0);
  if (property("textAlign", t, v) && IsAlignName(AsciiLowerCase(t))) m[FormatAlign] = Str(c, AsciiLowerCase(t));
  if (property("textDecoration", t, v) && (t == "none" || t == "underline")) {
    m[FormatUnderline] = Bool(t == "underline");
  }
  return o;
}

ActionValue StyleSheetTransform(NativeCall& c) { return TransformStyle(c, c.Arg(0)); }

// A style sheet's styles by name, in the order they were first set. Each
// is the sheet's own copy of the object a script gave.
struct StyleSheetState : NativeState {
  static constexpr std::size_t MaxStyles = 4096;
  std::vector<std::pair<std::string, ScriptObject*>> styles;
  void Trace(GcMarker& marker) override {
    for (const auto& style : styles) marker.Mark(style.second);
  }
  ScriptObject** Find(const std::string& name) {
    for (auto& style : styles) {
      if (style.first == name) return &style.second;
    }
    return nullptr;
  }
  // Sets, replaces or (for null) removes a style; a new name past the cap
  // is not kept.
  void Set(const std::string& name, ScriptObject* style) {
    const auto at = std::find_if(styles.begin(), styles.end(), [&](const auto& s) { return s.first == name; });
    if (style == nullptr) {
      if (at != styles.end()) styles.erase(at);
    } else if (at != styles.end()) {
      at->second = style;
    } else if (styles.size() < MaxStyles) {
      styles.emplace_back(name, style);
    }
  }
};

StyleSheetState* SheetOf(ScriptObject* o) {
  return NativeStateOf<StyleSheetState>(o);
}

// A plain object with the values of another's own plain properties.
ScriptObject* CopyStyle(NativeCall& c, ScriptObject* from) {
  ScriptObject* copy = Rt(c).NewObject();
  if (copy == nullptr) {
    c.vm.Fault();
    return nullptr;
  }
  for (const VariableStore::Entry& e : from->Properties().Entries()) {
    if (e.Live() && !e.Accessor()) copy->Properties().Set(e.name, e.value);
  }
  return copy;
}

ActionValue StyleSheetConstruct(NativeCall& c) {
  return Obj(NewNativeInstance(c, nullptr, std::make_unique<StyleSheetState>()));
}

// setStyle(name, style): the sheet keeps a copy of style; a style that is
// not an object removes the name.
ActionValue StyleSheetSetStyle(NativeCall& c) {
  auto* s = ThisState<StyleSheetState>(c);
  if (s == nullptr || c.Count() < 1) return ActionValue();
  ScriptObject* style = c.Arg(1).ObjectValue();
  if (style != nullptr && (style = CopyStyle(c, style)) == nullptr) return ActionValue();
  s->Set(ArgText(c, 0), style);
  return ActionValue();
}

ActionValue StyleSheetGetStyle(NativeCall& c) {
  auto* s = ThisState<StyleSheetState>(c);
  if (s == nullptr) return ActionValue();
  ScriptObject** style = s->Find(ArgText(c, 0));
  if (style == nullptr) return ActionValue::Null();
  ScriptObject* copy = CopyStyle(c, *style);
  return copy ? Obj(copy) : ActionValue();
}

ActionValue StyleSheetGetStyleNames(NativeCall& c) {
  auto* s = ThisState<StyleSheetState>(c);
  if (s == nullptr) return ActionValue();
  std::vector<ActionValue> names;
  for (const auto& style : s->styles) names.push_back(Str(c, style.first));
  return Obj(c.vm.NewArray(names));
}

ActionValue StyleSheetClear(NativeCall& c) {
  if (auto* s = ThisState<StyleSheetState>(c)) s->styles.clear();
  return ActionValue();
}

// load(url): the request is taken (true for any address at all), and like
// every load of this control it brings nothing.
ActionValue StyleSheetLoad(NativeCall& c) {
  return Bool(c.Has(0) && !c.Arg(0).IsNullish());
}

// A CSS property name in the script's spelling: "font-size" is fontSize.
std::string ScriptPropertyName(const std::string& css) {
  std::string out;
  bool upper = false;
  for (const char ch : css) {
    if (ch == '-') {
      upper = true;
      continue;
    }
    out += upper && ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch;
    upper = false;
  }
  return out;
}

bool IsCssSpace(char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n'; }

std::string TrimCss(const std::string& text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && IsCssSpace(text[begin])) ++begin;
  while (end > begin && IsCssSpace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// One rule of a style sheet's text: its selectors and its declarations.
struct CssRule {
  std::vector<std::string> selectors;
  std::vector<std::pair<std::string, std::string>> declarations;
};

// Declarations a rule of CSS text may hold, and selectors a whole text
// may name (a sheet's cap): past them the text is refused, so that a
// hostile text cannot make a style per selector of every declaration.
constexpr std::size_t kMaxCssDeclarations = 256;

// Reads CSS text (comments, rules of comma-separated selectors and
// "name: value" declarations) into rules; false, and no rules, for text
// that is not CSS. Values keep the spaces after them, as the platform's
// sheets do.
bool ParseCss(const std::string& css, std::vector<CssRule>& rules) {
  std::size_t selectorCount = 0;
  std::string text;
  for (std::size_t i = 0; i < css.size(); ++i) {
    if (css.compare(i, 2, "/*") == 0) {
      const std::size_t end = css.find("*/", i + 2);
      if (end == std::string::npos) return false;
      i = end + 1;
      continue;
    }
    text += css[i];
  }
  std::size_t at = 0;
  while (true) {
    const std::size_t open = text.find('{', at);
    if (open == std::string::npos) {
      if (!TrimCss(text.substr(at)).empty()) return false;
      return true;
    }
    const std::size_t close = text.find('}', open);
    if (close == std::string::npos) return false;
    CssRule rule;
    const std::string selectors = text.substr(at, open - at);
    if (selectors.find('}') != std::string::npos) return false;
    for (std::size_t from = 0; from <= selectors.size();) {
      std::size_t comma = selectors.find(',', from);
      if (comma == std::string::npos) comma = selectors.size();
      const std::string name = TrimCss(selectors.substr(from, comma - from));
      if (name.empty()) return false;
      rule.selectors.push_back(name);
      from = comma + 1;
    }
    const std::string body = text.substr(open + 1, close - open - 1);
    if (body.find('{') != std::string::npos) return false;
    for (std::size_t from = 0; from < body.size();) {
      std::size_t semicolon = body.find(';', from);
      if (semicolon == std::string::npos) semicolon = body.size();
      const std::string declaration = body.substr(from, semicolon - from);
      from = semicolon + 1;
      if (TrimCss(declaration).empty()) continue;
      const std::size_t colon = declaration.find(':');
      if (colon == std::string::npos) return false;
      const std::string name = TrimCss(declaration.substr(0, colon));
      std::size_t value = colon + 1;
      while (value < declaration.size() && IsCssSpace(declaration[value])) ++value;
      if (name.empty()) return false;
      rule.declarations.emplace_back(ScriptPropertyName(name), declaration.substr(value));
      if (rule.declarations.size() > kMaxCssDeclarations) return false;
    }
    selectorCount += rule.selectors.size();
    if (selectorCount > StyleSheetState::MaxStyles) return false;
    rules.push_back(std::move(rule));
    at = close + 1;
  }
}

// parseCSS(text): each rule's selectors get a style of its declarations
// (values as text), in place of any they had. False, and no change, for
// text that is not CSS.
ActionValue StyleSheetParseCss(NativeCall& c) {
  auto* s = ThisState<StyleSheetState>(c);
  if (s == nullptr) return ActionValue();
  std::vector<CssRule> rules;
  if (!ParseCss(ArgText(c, 0), rules)) return Bool(false);
  for (const CssRule& rule : rules) {
    for (const std::string& selector : rule.selectors) {
      ScriptObject* style = Rt(c).NewObject();
      if (style == nullptr) {
        c.vm.Fault();
        return ActionValue();
      }
      for (const auto& [name, value] : rule.declarations) style->Properties().Set(name, Str(c, value));
      s->Set(selector, style);
    }
  }
  return Bool(true);
}

// The formats of a field's style sheet, for its HTML: an element takes the
// style of its name, then of its class (".name"), then of both
// ("p.name"); names match without regard to case.
HtmlStyler StylerOf(NativeCall& c, ScriptObject* sheet) {
  StyleSheetState* s = SheetOf(sheet);
  if (s == nullptr) return HtmlStyler();
  auto changes = std::make_shared<std::map<std::string, std::vector<FormatChange>>>();
  for (const auto& [name, style] : s->styles) {
    const ActionValue format = TransformStyle(c, Obj(style));
    if (c.vm.Stopped()) break;
    if (format.IsObject()) (*changes)[AsciiLowerCase(name)].push_back(ReadFormatChange(c, format));
  }
  return [changes](const std::string& element, const std::string& className, TextFormatData& f) {
    const std::string name = AsciiLowerCase(className);
    const auto apply = [&](const std::string& selector) {
      const auto it = changes->find(selector);
      if (it == changes->end()) return;
      for (const FormatChange& change : it->second) ApplyChange(change, ~0u, f);
    };
    apply(element);
    if (name.empty()) return;
    apply("." + name);
    apply(element + "." + name);
  };
}

// --- TextField methods

ActionValue GetNewTextFormat(NativeCall& c) {
  TextFieldData* d = ThisField(c);
  return d ? FormatToObject(c, d->defaultFormat) : ActionValue();
}

ActionValue SetNewTextFormat(NativeCall& c) {
  if (TextFieldData* d = ThisField(c)) {
    if (c.Arg(0).IsObject()) ApplyFormat(c, c.Arg(0), d->defaultFormat);
  }
  return ActionValue();
}

ActionValue GetTextFormat(NativeCall& c) {
  TextFieldData* d = ThisField(c);
  if (d == nullptr) return ActionValue();
  // The format of the whole text when it has one; members that differ (or
  // all of them, for an empty field) are null.
  if (d->runs.empty() || d->Text().empty()) return NewTextFormat(c);
  // A range that holds no characters has no format either.
  if (c.Count() >= 2 && ArgInt(c, 1) <= ArgInt(c, 0)) return NewTextFormat(c);
  const ActionValue o = FormatToObject(c, d->runs.front().format);
  for (std::size_t i = 1; i < d->runs.size(); ++i) {
    const TextFormatData& a = d->runs.front().format;
    const TextFormatData& b = d->runs[i].format;
    if (a.font != b.font) c.vm.SetMember(o, "font", ActionValue::Null());
    if (a.size != b.size) c.vm.SetMember(o, "size", ActionValue::Null());
    if (a.color != b.color) c.vm.SetMember(o, "color", ActionValue::Null());
    if (a.bold != b.bold) c.vm.SetMember(o, "bold", ActionValue::Null());
    if (a.italic != b.italic) c.vm.SetMember(o, "italic", ActionValue::Null());
    if (a.underline != b.underline) c.vm.SetMember(o, "underline", ActionValue::Null());
  }
  return o;
}

// setTextFormat([begin, [end,]] format): character members reach the
// characters from begin up to end, paragraph members every paragraph that
// holds one of them. One index alone names one character.
ActionValue SetTextFormat(NativeCall& c) {
  TextFieldData* d = ThisField(c);
  if (d == nullptr) return ActionValue();
  const ActionValue& format = c.Arg(c.Count() > 0 ? c.Count() - 1 : 0);
  if (!format.IsObject()) return ActionValue();
  const FormatChange change = ReadFormatChange(c, format);
  if (d->runs.empty()) {
    ApplyChange(change, ~0u, d->defaultFormat);
    return ActionValue();
  }
  const std::u16string text = Utf8ToUtf16(d->Text());
  const double length = static_cast<double>(text.size());
  double begin = 0, end = length;
  if (c.Count() >= 2) {
    begin = ArgNumber(c, 0);
    end = c.Count() >= 3 ? ArgNumber(c, 1) : begin + 1;
  }
  if (std::isnan(begin) || std::isnan(end)) return ActionValue();
  const std::size_t from = static_cast<std::size_t>(std::clamp(begin, 0.0, length));
  const std::size_t to = static_cast<std::size_t>(std::clamp(end, 0.0, length));
  if (from >= to || d->runs.size() + 4 > TextFieldData::MaxRuns) return ActionValue();
  std::size_t paragraphFrom = from;
  while (paragraphFrom > 0 && text[paragraphFrom - 1] != u'\r') --paragraphFrom;
  std::size_t paragraphTo = to;
  while (paragraphTo < text.size() && text[paragraphTo - 1] != u'\r') ++paragraphTo;
  for (const std::size_t at : {paragraphFrom, from, to, paragraphTo}) SplitRunsAt(d->runs, at);
  std::size_t start = 0;
  for (TextRun& r : d->runs) {
    const std::size_t runLength = Utf16Length(r.text);
    std::uint32_t which = 0;
    if (start >= from && start < to) which |= ~kParagraphMembers;
    if (start >= paragraphFrom && start < paragraphTo) which |= kParagraphMembers;
    ApplyChange(change, which, r.format);
    start += runLength;
  }
  MergeRuns(d->runs);
  return ActionValue();
}

// Replaces the field's selection (focused or not) and leaves the caret
// after what was put in.
ActionValue ReplaceSel(NativeCall& c) {
  TextFieldData* d = ThisField(c);
  if (d == nullptr || !c.Has(0)) return ActionValue();
  const std::u16string text = Utf8ToUtf16(d->Text());
  const std::u16string insert = Utf8ToUtf16(ArgText(c, 0));
  // A field grows no longer than any string of the language.
  if (text.size() + insert.size() > ActionContext::MaxStringLength) return ActionValue();
  d->ClampSelection(static_cast<int>(text.size()));
  const std::size_t begin = static_cast<std::size_t>(d->SelectionBegin());
  const std::size_t end = static_cast<std::size_t>(d->SelectionEnd());
  d->SetText(Utf16ToUtf8(text.substr(0, begin) + insert + text.substr(end)));
  d->selectionAnchor = d->caret = static_cast<int>(begin + insert.size());
  return ActionValue();
}

ActionValue ReplaceText(NativeCall& c) {
  TextFieldData* d = ThisField(c);
  if (d == nullptr || c.Count() < 3) return ActionValue();
  const std::u16string text = Utf8ToUtf16(d->Text());
  const double begin = std::clamp(ArgNumber(c, 0), 0.0, static_cast<double>(text.size()));
  const double end = std::clamp(ArgNumber(c, 1), begin, static_cast<double>(text.size()));
  if (std::isnan(begin) || std::isnan(end)) return ActionValue();
  const std::u16string replaced = text.substr(0, static_cast<std::size_t>(begin)) + Utf8ToUtf16(ArgText(c, 2)) +
                                  text.substr(static_cast<std::size_t>(end));
  d->SetText(Utf16ToUtf8(replaced));
  d->ClampSelection(static_cast<int>(replaced.size()));
  return ActionValue();
}

ActionValue RemoveTextField(NativeCall& c) {
  if (ActionTarget* t = ThisTarget(c)) {
    if (t->IsTextField() && t->Depth() >= 0) t->RemoveFromParent();
  }
  return ActionValue();
}

ActionValue GetDepth(NativeCall& c) {
  ActionTarget* t = ThisTarget(c);
  return t ? Num(t->Depth()) : ActionValue();
}

ActionValue GetFontList(NativeCall& c) {
  return Obj(c.vm.NewArray({Str(c, "_sans"), Str(c, "_serif"), Str(c, "_typewriter"), Str(c, "Times New Roman")}));
}

ActionValue TextFieldConstruct(NativeCall& c) { return Obj(NewNativeInstance(c, Rt(c).textFieldProto, nullptr)); }

}  // namespace

void InstallTextField(ScriptRuntime& rt) {
  rt.textFieldProto = rt.NewObject();
  FunctionObject* textField = rt.Class("TextField", TextFieldConstruct, TextFieldConstruct, rt.textFieldProto);
  ScriptObject* p = rt.textFieldProto;
  const std::size_t count = sizeof kPropertyNames / sizeof kPropertyNames[0];
  for (std::size_t i = 0; i < count; ++i) {
    const bool readOnly = i == MaxScroll || i == MaxHScroll || i == Length || i == BottomScroll ||
                          i == TextWidth || i == TextHeight;
    // The rendering properties came with version 8.
    const bool newer = i == GridFitType || i == AntiAliasType || i == Thickness || i == Sharpness || i == Filters;
    rt.Accessor(p, kPropertyNames[i], Get, readOnly ? nullptr : Set, static_cast<int>(i),
                newer ? PropertyFlag::Version8 : 0);
  }
  rt.Method(p, "replaceSel", ReplaceSel, 0, kHidden);
  rt.Method(p, "getTextFormat", GetTextFormat, 0, kHidden);
  rt.Method(p, "setTextFormat", SetTextFormat, 0, kHidden);
  rt.Method(p, "removeTextField", RemoveTextField, 0, kHidden);
  rt.Method(p, "getNewTextFormat", GetNewTextFormat, 0, kHidden);
  rt.Method(p, "setNewTextFormat", SetNewTextFormat, 0, kHidden);
  rt.Method(p, "getDepth", GetDepth, 0, kHidden);
  rt.Method(p, "replaceText", ReplaceText, 0, kHidden | PropertyFlag::Version7);
  rt.Method(textField, "getFontList", GetFontList, 0, kHidden);

  ScriptObject* styleSheet = rt.NewObject();
  rt.Class("StyleSheet", StyleSheetConstruct, StyleSheetConstruct, styleSheet, textField,
           PropertyFlag::DontEnum | PropertyFlag::Version7);
  rt.Method(styleSheet, "transform", StyleSheetTransform, 0, kHidden);
  rt.Method(styleSheet, "setStyle", StyleSheetSetStyle, 0, kHidden);
  rt.Method(styleSheet, "getStyle", StyleSheetGetStyle, 0, kHidden);
  rt.Method(styleSheet, "getStyleNames", StyleSheetGetStyleNames, 0, kHidden);
  rt.Method(styleSheet, "clear", StyleSheetClear, 0, kHidden);
  rt.Method(styleSheet, "parseCSS", StyleSheetParseCss, 0, kHidden);
  rt.Method(styleSheet, "load", StyleSheetLoad, 0, kHidden);

  ScriptObject* format = rt.NewObject();
  rt.Class("TextFormat", TextFormatConstruct, TextFormatConstruct, format);
  for (int i = 0; i < FormatMemberCount; ++i) rt.Accessor(format, kFormatNames[i], GetFormatMember, SetFormatMember, i, 0);
  rt.Method(format, "getTextExtent", GetTextExtent, 0, kHidden);
}

}  // namespace Halvane::Movie::Builtins

namespace Halvane::Movie {

bool SameFormat(const TextFormatData& a, const TextFormatData& b) {
  return a.font == b.font && a.size == b.size && a.color == b.color && a.bold == b.bold && a.italic == b.italic &&
         a.underline == b.underline && a.bullet == b.bullet && a.kerning == b.kerning && a.align == b.align &&
         a.leftMargin == b.leftMargin && a.rightMargin == b.rightMargin && a.indent == b.indent &&
         a.blockIndent == b.blockIndent && a.leading == b.leading && a.letterSpacing == b.letterSpacing &&
         a.url == b.url && a.target == b.target && a.tabStops == b.tabStops;
}

void SetHtmlText(TextFieldData& field, const std::string& html, int swfVersion, const HtmlStyler* styler) {
  // What the HTML does not align is aligned left, in later movies only
  // when there is no HTML at all.
  if (swfVersion < 8 || html.empty()) field.defaultFormat.align = "left";
  field.runs = Builtins::ParseHtml(html, field.defaultFormat, field.condenseWhite, field.multiline, swfVersion, styler);
}

}  // namespace Halvane::Movie
