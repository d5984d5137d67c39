// The movie as typed records: what the reader makes of the bytes and what the
// timeline, the actions and the renderer work on. Nothing here points back
// into the movie's bytes; every record owns its data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "movie/swf/FilterRecords.h"

namespace Halvane::Movie {

using ByteBlock = std::vector<std::uint8_t>;

// A rectangle in twips (1/20 pixel).
struct TwipsRect {
  std::int32_t xMin = 0;
  std::int32_t xMax = 0;
  std::int32_t yMin = 0;
  std::int32_t yMax = 0;
  bool operator==(const TwipsRect& o) const {
    return xMin == o.xMin && xMax == o.xMax && yMin == o.yMin && yMax == o.yMax;
  }
};

// An affine transform: scale and rotate-skew in 16.16 fixed point, the
// translation in twips.
struct Matrix {
  std::int32_t scaleX = 0x10000;
  std::int32_t scaleY = 0x10000;
  std::int32_t rotateSkew0 = 0;
  std::int32_t rotateSkew1 = 0;
  std::int32_t translateX = 0;
  std::int32_t translateY = 0;
  bool operator==(const Matrix& o) const {
    return scaleX == o.scaleX && scaleY == o.scaleY && rotateSkew0 == o.rotateSkew0 &&
           rotateSkew1 == o.rotateSkew1 && translateX == o.translateX &&
           translateY == o.translateY;
  }
};

// A colour transform: each channel c becomes c * mult / 256 + add, in the
// order red, green, blue, alpha.
struct ColorTransform {
  std::int16_t mult[4] = {256, 256, 256, 256};
  std::int16_t add[4] = {0, 0, 0, 0};
  bool operator==(const ColorTransform& o) const {
    for (int i = 0; i < 4; ++i) {
      if (mult[i] != o.mult[i] || add[i] != o.add[i]) return false;
    }
    return true;
  }
};

struct Rgba {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  std::uint8_t alpha = 255;
  bool operator==(const Rgba& o) const {
    return red == o.red && green == o.green && blue == o.blue && alpha == o.alpha;
  }
};

// The events of clip actions (onClipEvent), with the bits of the 32-bit
// form; the 16-bit form of movies before version 6 has the low bits.
namespace ClipEvent {
constexpr std::uint32_t Load = 1u << 0;
constexpr std::uint32_t EnterFrame = 1u << 1;
constexpr std::uint32_t Unload = 1u << 2;
constexpr std::uint32_t MouseMove = 1u << 3;
constexpr std::uint32_t MouseDown = 1u << 4;
constexpr std::uint32_t MouseUp = 1u << 5;
constexpr std::uint32_t KeyDown = 1u << 6;
constexpr std::uint32_t KeyUp = 1u << 7;
constexpr std::uint32_t Data = 1u << 8;
constexpr std::uint32_t Initialize = 1u << 9;
constexpr std::uint32_t Press = 1u << 10;
constexpr std::uint32_t Release = 1u << 11;
constexpr std::uint32_t ReleaseOutside = 1u << 12;
constexpr std::uint32_t RollOver = 1u << 13;
constexpr std::uint32_t RollOut = 1u << 14;
constexpr std::uint32_t DragOver = 1u << 15;
constexpr std::uint32_t DragOut = 1u << 16;
constexpr std::uint32_t KeyPress = 1u << 17;
constexpr std::uint32_t Construct = 1u << 18;
}  // namespace ClipEvent

// One clip action of a placement: the events it answers and its bytecode.
struct ClipActionRecord {
  std::uint32_t events = 0;
  std::uint8_t keyCode = 0;  // KeyPress only
  ByteBlock actions;
};

// PlaceObject (version 1), PlaceObject2 (2) and PlaceObject3 (3). Absent
// fields keep what the object at the depth had before.
struct PlaceObjectRecord {
  int version = 2;
  bool move = false;  // modifies the object at depth (always false for version 1)
  std::uint16_t depth = 0;
  std::optional<std::uint16_t> characterId;
  std::optional<Matrix> matrix;
  std::optional<ColorTransform> colorTransform;
  std::optional<std::uint16_t> ratio;
  std::optional<std::string> name;
  std::optional<std::uint16_t> clipDepth;
  std::optional<std::string> className;  // version 3 only
  std::optional<std::uint8_t> blendMode;  // version 3 only
  // The filter list (version 3 only); shared like the clip actions.
  std::shared_ptr<const std::vector<FilterRecord>> filters;
  // Clip actions; shared, since every entry placed by the tag refers to them.
  std::shared_ptr<const std::vector<ClipActionRecord>> clipActions;
};

// RemoveObject (with the character id) and RemoveObject2 (depth only).
struct RemoveObjectRecord {
  std::uint16_t depth = 0;
  std::optional<std::uint16_t> characterId;
};

// One display-list change of a frame, in tag order.
struct DisplayListTag {
  enum class Kind { Place, Remove } kind = Kind::Place;
  PlaceObjectRecord place;
  RemoveObjectRecord remove;
};

// DoInitAction: actions run once for a sprite, the first time a frame that
// holds them is reached.
struct InitActionRecord {
  std::uint16_t spriteId = 0;
  ByteBlock actions;
};

// Everything that happens when a timeline enters one frame.
struct FrameRecord {
  std::vector<DisplayListTag> displayList;
  std::vector<ByteBlock> actions;  // DoAction bytecode, run in this order
  // For each of actions, how many display-list tags came before it in the
  // frame: actions are queued in their place among the placements.
  std::vector<std::size_t> actionPositions;
  std::vector<InitActionRecord> initActions;  // the main timeline's only
  std::vector<std::string> labels;
};

// A timeline: the main one of the movie or a sprite's. frameCount is the
// declared count (at least 1). frames holds only the frames the tag stream
// reached, so a huge declared count costs no memory; the others are empty.
struct TimelineDefinition {
  int frameCount = 1;
  std::vector<FrameRecord> frames;
  std::map<std::string, int> labels;  // first frame with each label
  // A sprite's tag stream in bytes, as the file holds it (0 for the main
  // timeline, whose size is the movie's).
  std::uint32_t byteSize = 0;
  // False for a sprite whose tags end without an End tag, or with tags
  // after its last ShowFrame (which make one more frame): the platform's
  // player waits for the rest, so such a sprite plays to its last frame
  // and stays there.
  bool complete = true;
  int FrameCount() const { return frameCount; }
  // The records of frame n (0 is the first); an empty record outside the
  // frames the movie reached.
  const FrameRecord& Frame(int n) const;
  // Frame number (0 is the first) of a label, or -1. Labels compare without
  // regard to ASCII case, as movies expect.
  int FindLabel(const std::string& label) const;
};

// --- Shapes ----------------------------------------------------------------
// Styles and edges as the file states them, every field typed. Coordinates
// are twips; edge records hold the deltas the file stores (a move-to holds
// its absolute target), so that a writer reproduces the records exactly.
//
// What the reader guarantees beyond the file's own rules:
// - every style index of a style-change record is 0 (no style) or names an
//   entry of the style arrays in force at that record; an index past them is
//   read as 0;
// - a gradient has at most 15 stops, in the order stored (ratios may repeat
//   or go backwards: the renderer's ramp rule handles both);
// - cap and join values are one of the named ones (the reserved value 3
//   reads as Round).

// Fill style types, with the values the file uses.
enum class FillKind : std::uint8_t {
  Solid = 0x00,
  LinearGradient = 0x10,
  RadialGradient = 0x12,
  FocalRadialGradient = 0x13,
  RepeatingBitmap = 0x40,
  ClippedBitmap = 0x41,
  RepeatingBitmapUnsmoothed = 0x42,
  ClippedBitmapUnsmoothed = 0x43,
};

inline bool IsGradient(FillKind kind) {
  return kind == FillKind::LinearGradient || kind == FillKind::RadialGradient ||
         kind == FillKind::FocalRadialGradient;
}
inline bool IsBitmap(FillKind kind) {
  return kind == FillKind::RepeatingBitmap || kind == FillKind::ClippedBitmap ||
         kind == FillKind::RepeatingBitmapUnsmoothed || kind == FillKind::ClippedBitmapUnsmoothed;
}

struct GradientStop {
  std::uint8_t ratio = 0;  // 0 .. 255 across the gradient square
  Rgba color;
  bool operator==(const GradientStop& o) const { return ratio == o.ratio && color == o.color; }
};

struct Gradient {
  static constexpr std::size_t MaxStops = 15;
  std::uint8_t spreadMode = 0;         // 0 pad, 1 reflect, 2 repeat, 3 reserved
  std::uint8_t interpolationMode = 0;  // 0 sRGB, 1 linear RGB (2, 3 reserved)
  std::vector<GradientStop> stops;     // as stored; at most MaxStops
  std::int16_t focalPoint = 0;         // 8.8 fixed, -1 .. 1; focal radial only
  bool operator==(const Gradient& o) const {
    return spreadMode == o.spreadMode && interpolationMode == o.interpolationMode &&
           stops == o.stops && focalPoint == o.focalPoint;
  }
};

struct FillStyle {
  FillKind kind = FillKind::Solid;
  Rgba color;              // solid fills; alpha 255 in shapes without alpha
  Matrix matrix;           // gradient and bitmap fills
  Gradient gradient;       // gradient fills
  std::uint16_t bitmapId = 0;  // bitmap fills
  bool operator==(const FillStyle& o) const {
    return kind == o.kind && color == o.color && matrix == o.matrix &&
           gradient == o.gradient && bitmapId == o.bitmapId;
  }
};

enum class CapStyle : std::uint8_t { Round = 0, None = 1, Square = 2 };
enum class JoinStyle : std::uint8_t { Round = 0, Bevel = 1, Miter = 2 };

// LINESTYLE, and LINESTYLE2 of the fourth shape form. The first form reads
// as round caps and joins with no flags.
struct LineStyle {
  std::uint16_t width = 0;  // twips
  Rgba color;               // alpha 255 in shapes without alpha
  CapStyle startCap = CapStyle::Round;
  CapStyle endCap = CapStyle::Round;
  JoinStyle join = JoinStyle::Round;
  std::uint16_t miterLimitFactor = 0;  // 8.8 fixed; miter joins only
  bool noHScale = false;
  bool noVScale = false;
  bool pixelHinting = false;
  bool noClose = false;
  std::optional<FillStyle> fill;  // the line is painted with this fill instead of color
  bool operator==(const LineStyle& o) const {
    return width == o.width && color == o.color && startCap == o.startCap &&
           endCap == o.endCap && join == o.join && miterLimitFactor == o.miterLimitFactor &&
           noHScale == o.noHScale && noVScale == o.noVScale &&
           pixelHinting == o.pixelHinting && noClose == o.noClose && fill == o.fill;
  }
};

struct ShapeStyles {
  std::vector<FillStyle> fills;  // referred to from 1; 0 means no fill
  std::vector<LineStyle> lines;  // likewise
  bool operator==(const ShapeStyles& o) const { return fills == o.fills && lines == o.lines; }
};

// One SHAPERECORD (the end record is not kept: the list ends where it was).
struct ShapeRecord {
  enum class Kind : std::uint8_t { StyleChange, StraightEdge, CurvedEdge };
  Kind kind = Kind::StyleChange;

  // StyleChange: each part is present only when the record states it. With
  // newStyles, the record's indices refer to the new arrays.
  std::optional<std::pair<std::int32_t, std::int32_t>> moveTo;  // absolute
  std::optional<std::uint32_t> fillStyle0;  // index into the current fills, 0 = none
  std::optional<std::uint32_t> fillStyle1;
  std::optional<std::uint32_t> lineStyle;
  std::optional<ShapeStyles> newStyles;  // replaces the style arrays (shape 2 and later)

  // StraightEdge: (deltaX, deltaY). CurvedEdge: control point at
  // (deltaX, deltaY) from the current point, anchor at (anchorDeltaX,
  // anchorDeltaY) from the control point.
  std::int32_t deltaX = 0;
  std::int32_t deltaY = 0;
  std::int32_t anchorDeltaX = 0;
  std::int32_t anchorDeltaY = 0;

  bool operator==(const ShapeRecord& o) const {
    return kind == o.kind && moveTo == o.moveTo && fillStyle0 == o.fillStyle0 &&
           fillStyle1 == o.fillStyle1 && lineStyle == o.lineStyle && newStyles == o.newStyles &&
           deltaX == o.deltaX && deltaY == o.deltaY && anchorDeltaX == o.anchorDeltaX &&
           anchorDeltaY == o.anchorDeltaY;
  }
};

// DefineShape, DefineShape2, DefineShape3, DefineShape4.
struct ShapeDefinition {
  std::uint16_t id = 0;
  int version = 1;
  TwipsRect bounds;
  TwipsRect edgeBounds;  // version 4 only; equal to bounds otherwise
  std::uint8_t flags = 0;  // version 4 only; 0x04: non-zero winding fill rule
  ShapeStyles styles;      // the initial style arrays
  std::vector<ShapeRecord> records;
  bool NonZeroWinding() const { return version == 4 && (flags & 0x04) != 0; }
  bool operator==(const ShapeDefinition& o) const {
    return id == o.id && version == o.version && bounds == o.bounds &&
           edgeBounds == o.edgeBounds && flags == o.flags && styles == o.styles &&
           records == o.records;
  }
};

// DefineMorphShape and DefineMorphShape2: every style holds its state at
// ratio 0 (start) and at ratio 65535 (end). Start and end share what the
// file stores once: a fill's kind, bitmap id, spread and interpolation modes
// and stop count; a line's caps, join, miter limit and flags. The end edge
// list has the edges of the start list in the same order, without styles
// (its style-change records only move); a curved edge may stand against a
// straight one.
struct MorphFillStyle {
  FillStyle start;
  FillStyle end;
  bool operator==(const MorphFillStyle& o) const { return start == o.start && end == o.end; }
};
struct MorphLineStyle {
  LineStyle start;
  LineStyle end;
  bool operator==(const MorphLineStyle& o) const { return start == o.start && end == o.end; }
};
struct MorphShapeDefinition {
  std::uint16_t id = 0;
  int version = 1;
  TwipsRect startBounds;
  TwipsRect endBounds;
  TwipsRect startEdgeBounds;  // version 2 only; equal to startBounds otherwise
  TwipsRect endEdgeBounds;    // version 2 only; equal to endBounds otherwise
  std::uint8_t flags = 0;     // version 2 only: 0x02 non-scaling, 0x01 scaling strokes
  std::vector<MorphFillStyle> fills;
  std::vector<MorphLineStyle> lines;
  std::vector<ShapeRecord> startRecords;
  std::vector<ShapeRecord> endRecords;
  bool operator==(const MorphShapeDefinition& o) const {
    return id == o.id && version == o.version && startBounds == o.startBounds &&
           endBounds == o.endBounds && startEdgeBounds == o.startEdgeBounds &&
           endEdgeBounds == o.endEdgeBounds && flags == o.flags && fills == o.fills &&
           lines == o.lines && startRecords == o.startRecords && endRecords == o.endRecords;
  }
};

// DefineEditText: a text field as the movie places it. Absent parts are
// the field's defaults.
struct EditTextDefinition {
  std::uint16_t id = 0;
  TwipsRect bounds;
  std::uint16_t flags = 0;  // the tag's two flag bytes, the first in the low byte
  std::optional<std::uint16_t> fontId;
  std::optional<std::uint16_t> fontHeight;  // twips
  std::optional<std::string> fontClass;
  std::optional<Rgba> color;
  std::optional<std::uint16_t> maxLength;
  std::optional<std::uint8_t> align;  // 0 left, 1 right, 2 center, 3 justify
  std::uint16_t leftMargin = 0;
  std::uint16_t rightMargin = 0;
  std::uint16_t indent = 0;
  std::int16_t leading = 0;
  std::string variableName;
  std::optional<std::string> initialText;
  // CSMTextSettings of the field: the renderer it asks for (0 normal, 1
  // advanced), its grid fitting (0 none, 1 pixel, 2 subpixel), thickness
  // and sharpness.
  struct RenderSettings {
    std::uint8_t renderer = 0;
    std::uint8_t gridFit = 1;
    float thickness = 0;
    float sharpness = 0;
  };
  std::optional<RenderSettings> renderSettings;
  bool ReadOnly() const { return (flags & 0x0008) != 0; }
  bool Password() const { return (flags & 0x0010) != 0; }
  bool Multiline() const { return (flags & 0x0020) != 0; }
  bool WordWrap() const { return (flags & 0x0040) != 0; }
  bool UseOutlines() const { return (flags & 0x0100) != 0; }
  bool Html() const { return (flags & 0x0200) != 0; }
  bool Border() const { return (flags & 0x0800) != 0; }
  bool NoSelect() const { return (flags & 0x1000) != 0; }
  bool AutoSize() const { return (flags & 0x4000) != 0; }
};

// --- Fonts and static text -------------------------------------------------

// One glyph of an embedded font: its outline as shape records (one fill,
// index 1, no lines) in the font's em square, the character it stands for
// and its advance (fonts with layout only).
struct GlyphDefinition {
  std::vector<ShapeRecord> records;
  std::uint16_t code = 0;
  std::int16_t advance = 0;
};

// DefineFont, DefineFont2 and DefineFont3, with what DefineFontInfo and
// DefineFontInfo2 add to the first form. A font that only an info tag
// names has version 0 and no glyphs. Glyph coordinates are in an em square
// of 1024 units (20480 in the third form); ascent, descent and leading
// likewise.
struct FontDefinition {
  std::uint16_t id = 0;
  int version = 0;
  std::string name;
  bool bold = false;
  bool italic = false;
  bool shiftJis = false;  // character codes in Shift-JIS (older movies)
  bool ansi = false;
  bool smallText = false;
  std::uint8_t language = 0;
  std::vector<GlyphDefinition> glyphs;
  bool hasLayout = false;
  std::int16_t ascent = 0;
  std::int16_t descent = 0;
  std::int16_t leading = 0;
  // Glyph units per em.
  int EmSquare() const { return version == 3 ? 20480 : 1024; }
  // The index of the glyph for code, or -1; codes are looked up as stored
  // (Unicode in movies of version 6 and later).
  int GlyphFor(std::uint16_t code) const {
    const auto it = codeIndex.find(code);
    return it == codeIndex.end() ? -1 : static_cast<int>(it->second);
  }
  std::map<std::uint16_t, std::uint32_t> codeIndex;  // first glyph of each code
};

// One TEXTRECORD of static text: the style it sets (absent parts keep the
// previous record's) and its glyphs, each an index into the font's glyphs
// and the advance (twips) to the next glyph's origin.
struct TextGlyph {
  std::uint32_t index = 0;
  std::int32_t advance = 0;
  bool operator==(const TextGlyph& o) const { return index == o.index && advance == o.advance; }
};
struct TextRecord {
  std::optional<std::uint16_t> fontId;
  std::optional<Rgba> color;
  std::optional<std::int16_t> xOffset;
  std::optional<std::int16_t> yOffset;
  std::uint16_t height = 0;  // twips; given with the font
  std::vector<TextGlyph> glyphs;
  bool operator==(const TextRecord& o) const {
    return fontId == o.fontId && color == o.color && xOffset == o.xOffset && yOffset == o.yOffset &&
           height == o.height && glyphs == o.glyphs;
  }
};

// DefineText (version 1, colours without alpha) and DefineText2 (2).
struct StaticTextDefinition {
  std::uint16_t id = 0;
  int version = 1;
  TwipsRect bounds;
  Matrix matrix;
  std::vector<TextRecord> records;
};

// DefineSound: only what the sound's length needs; the control plays no
// sound, so the samples themselves are not kept.
struct SoundDefinition {
  std::uint16_t id = 0;
  std::uint8_t format = 0;  // 0 and 3 raw, 1 ADPCM, 2 MP3, 4 to 6 Nellymoser, 11 Speex
  std::uint32_t rateHz = 5512;
  bool stereo = false;
  bool sixteenBit = false;
  std::uint32_t sampleCount = 0;  // per channel
  // The length in whole milliseconds, as the sound's duration reports it.
  std::uint32_t Milliseconds() const {
    return static_cast<std::uint32_t>(std::uint64_t{sampleCount} * 1000u / rateHz);
  }
};

// --- Bitmaps -----------------------------------------------------------------

// How a bitmap's bytes are stored.
enum class BitmapEncoding : std::uint8_t {
  JpegWithTables,  // DefineBits: a JPEG image whose tables are the movie's JPEGTables
  Jpeg,            // DefineBitsJPEG2, 3 and 4: a whole JPEG (or PNG or GIF) image
  Lossless,        // DefineBitsLossless: zlib data, colours without alpha
  Lossless2,       // DefineBitsLossless2: zlib data, colours with alpha
};

// A bitmap as the movie stores it; decoding is the renderer's, once per
// movie. Nothing here has been checked beyond the tag's own framing.
struct BitmapDefinition {
  std::uint16_t id = 0;
  BitmapEncoding encoding = BitmapEncoding::Jpeg;
  ByteBlock data;   // the image bytes, or the lossless forms' zlib data
  ByteBlock alpha;  // DefineBitsJPEG3 and 4: zlib data, one byte per pixel
  bool hasAlpha = false;          // DefineBitsJPEG3 and 4
  std::uint16_t deblocking = 0;   // DefineBitsJPEG4, 8.8 fixed
  // Lossless forms: 3 palette, 4 15-bit colour (first form only), 5 32-bit.
  std::uint8_t format = 0;
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  std::uint16_t paletteSize = 0;  // format 3: the entries (the stored byte + 1)
};

// DefineButton and DefineButton2: what the button shows in its up state,
// as a timeline of one frame (its other states need a pointer, which the
// control's host never moves), and whether it tracks as a menu.
struct ButtonDefinition {
  std::uint16_t id = 0;
  TimelineDefinition upState;
  bool trackAsMenu = false;
};

struct SpriteDefinition {
  std::uint16_t id = 0;
  TimelineDefinition timeline;
};

// How far the reader got. A movie that is Truncated plays up to the fault.
enum class ParseOutcome { Complete, Truncated, Refused };

struct MovieDefinition {
  std::uint8_t version = 0;
  std::uint32_t fileLength = 0;
  TwipsRect frameRect;
  std::uint16_t frameRate = 0;  // 8.8 fixed point frames per second
  std::uint16_t declaredFrameCount = 0;
  std::optional<Rgba> backgroundColor;  // first SetBackgroundColor
  TimelineDefinition root;
  // Each character id names at most one definition: the first read.
  std::map<std::uint16_t, std::shared_ptr<const ShapeDefinition>> shapes;
  std::map<std::uint16_t, std::shared_ptr<const MorphShapeDefinition>> morphShapes;
  std::map<std::uint16_t, std::shared_ptr<const SpriteDefinition>> sprites;
  std::map<std::uint16_t, std::shared_ptr<const EditTextDefinition>> editTexts;
  std::map<std::uint16_t, std::shared_ptr<const ButtonDefinition>> buttons;
  std::map<std::uint16_t, FontDefinition> fonts;
  std::map<std::uint16_t, std::shared_ptr<const StaticTextDefinition>> texts;
  std::map<std::uint16_t, std::shared_ptr<const BitmapDefinition>> bitmaps;
  std::map<std::uint16_t, SoundDefinition> sounds;
  ByteBlock jpegTables;  // the first JPEGTables: what DefineBits images share
  // ExportAssets: the names characters are exported under (attachMovie,
  // Object.registerClass), both ways; the first export of a name wins.
  std::map<std::string, std::uint16_t> exportedIds;
  std::map<std::uint16_t, std::string> exportedNames;
  ParseOutcome outcome = ParseOutcome::Complete;
  // Shape definitions the reader left out because their records are
  // malformed, and those it kept though bytes follow their last record, by
  // character id. Movies made by authoring tools have neither; playing does
  // not look at them.
  std::vector<std::uint16_t> malformedShapes;
  std::vector<std::uint16_t> shapesWithTrailingBytes;
  int TotalFrames() const { return root.FrameCount(); }
};

}  // namespace Halvane::Movie
