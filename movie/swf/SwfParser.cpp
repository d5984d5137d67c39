#include "movie/swf/SwfParser.h"

#include <cstring>

#include "movie/swf/FilterReader.h"
#include "movie/swf/MediaReader.h"
#include "movie/swf/ShapeReader.h"
#include "movie/swf/SwfReader.h"
#include "movie/swf/Text.h"

namespace Halvane::Movie {

namespace {

const FrameRecord kEmptyFrame{};

bool ReadPlaceObject1(SwfReader& r, PlaceObjectRecord& p) {
  p.version = 1;
  p.characterId = r.U16();
  p.depth = r.U16();
  p.matrix = ReadMatrix(r);
  if (!r.Failed() && r.Remaining() > 0) p.colorTransform = ReadColorTransform(r, false);
  return !r.Failed();
}

// CLIPACTIONS: the events flags are 16 bits before version 6, 32 from 6.
// Each record's actions are kept whole; a record cut short ends the list
// with what was read before it.
std::shared_ptr<const std::vector<ClipActionRecord>> ReadClipActions(SwfReader& r, int swfVersion) {
  auto records = std::make_shared<std::vector<ClipActionRecord>>();
  const auto flags = [&r, swfVersion]() -> std::uint32_t { return swfVersion >= 6 ? r.U32() : r.U16(); };
  r.U16();  // reserved
  flags();  // every event of the records, again
  while (!r.Failed()) {
    ClipActionRecord record;
    record.events = flags();
    if (r.Failed() || record.events == 0) break;
    std::uint32_t size = r.U32();
    if (r.Failed() || size > r.Remaining()) break;
    if ((record.events & ClipEvent::KeyPress) && swfVersion >= 6 && size > 0) {
      record.keyCode = r.U8();
      --size;
    }
    record.actions.assign(r.Current(), r.Current() + size);
    r.Skip(size);
    records->push_back(std::move(record));
  }
  return records;
}

// PlaceObject2 and PlaceObject3 share their fields up to the clip depth;
// of what follows (filters, blend mode, cache flag, clip actions), all but
// the cache flag are kept. A filter list that cannot be read ends the
// record there: the place keeps what came before it.
bool ReadPlaceObject23(SwfReader& r, PlaceObjectRecord& p, int version, int swfVersion) {
  p.version = version;
  const std::uint8_t flags = r.U8();
  std::uint8_t flags2 = 0;
  if (version == 3) flags2 = r.U8();
  p.move = (flags & 0x01) != 0;
  p.depth = r.U16();
  const bool hasCharacter = (flags & 0x02) != 0;
  if (version == 3 && ((flags2 & 0x08) != 0 || ((flags2 & 0x10) != 0 && hasCharacter))) {
    p.className = r.String();
  }
  if (hasCharacter) p.characterId = r.U16();
  if (flags & 0x04) p.matrix = ReadMatrix(r);
  if (flags & 0x08) p.colorTransform = ReadColorTransform(r, true);
  if (flags & 0x10) p.ratio = r.U16();
  if (flags & 0x20) p.name = r.String();
  if (flags & 0x40) p.clipDepth = r.U16();
  if (r.Failed()) return false;
  if (version == 3) {
    if (flags2 & 0x01) {
      p.filters = ReadFilterList(r);
      if (p.filters == nullptr) return true;
    }
    if (flags2 & 0x02) {
      const std::uint8_t blend = r.U8();
      if (r.Failed()) return true;
      p.blendMode = blend;
    }
    if (flags2 & 0x04) r.U8();  // bitmap caching
    if (r.Failed()) return true;
  }
  if ((flags & 0x80) && swfVersion >= 5) p.clipActions = ReadClipActions(r, swfVersion);
  return true;
}

struct Budget {
  const ParseLimits& limits;
  std::size_t records = 0;
  std::size_t storedFrames = 0;
  std::size_t bitmapBytes = 0;
  ShapeBudget shapes{limits.maxShapeElements};
  bool TakeRecord() {
    if (records >= limits.maxRecords) return false;
    ++records;
    return true;
  }
};

class TimelineReader {
 public:
  TimelineReader(MovieDefinition& movie, Budget& budget) : movie_(movie), budget_(budget) {}

  // Reads tags until End or the end of the bytes; false on a fault (a tag
  // header or length past the end, or a limit reached). A timeline read
  // whole has the frames its ShowFrame tags make, whatever its header
  // declared, as the platform's player plays it.
  bool Read(SwfReader& r, TimelineDefinition& timeline, bool isRoot) {
    int frame = 0;
    const auto done = [&](bool ended) {
      if (frame > 0) timeline.frameCount = frame;
      if (!isRoot) {
        const bool partial = static_cast<int>(timeline.frames.size()) > frame;
        if (partial) timeline.frameCount = frame + 1;
        timeline.complete = ended && !partial;
      }
      return true;
    };
    while (r.Remaining() > 0) {
      const std::uint16_t header = r.U16();
      const std::uint16_t code = static_cast<std::uint16_t>(header >> 6);
      std::size_t length = header & 0x3Fu;
      if (length == 0x3F) length = r.U32();
      if (r.Failed() || length > r.Remaining()) return false;
      SwfReader body = r.Sub(length);
      if (code == kTagEnd) return done(true);
      if (code == kTagShowFrame) {
        if (frame < 0xFFFF) ++frame;
        continue;
      }
      if (!ReadTag(code, body, timeline, frame, isRoot)) return false;
    }
    return done(false);
  }

 private:
  // The frame record for tags of frame n; null when the budget of stored
  // frames is spent.
  FrameRecord* FrameAt(TimelineDefinition& timeline, int frame, bool& limitHit) {
    while (static_cast<int>(timeline.frames.size()) <= frame) {
      if (budget_.storedFrames >= budget_.limits.maxStoredFrames) {
        limitHit = true;
        return nullptr;
      }
      ++budget_.storedFrames;
      timeline.frames.emplace_back();
    }
    return &timeline.frames[static_cast<std::size_t>(frame)];
  }

  bool ReadTag(std::uint16_t code, SwfReader& body, TimelineDefinition& timeline, int frame,
               bool isRoot) {
    switch (code) {
      case kTagPlaceObject:
      case kTagPlaceObject2:
      case kTagPlaceObject3:
      case kTagRemoveObject:
      case kTagRemoveObject2:
      case kTagDoAction:
      case kTagFrameLabel:
        return ReadFrameTag(code, body, timeline, frame);
      default:
        break;
    }
    if (!isRoot) return true;  // definitions belong to the movie, not to sprites
    if (code == kTagDoInitAction) return ReadFrameTag(code, body, timeline, frame);
    switch (code) {
      case kTagSetBackgroundColor: {
        Rgba c;
        c.red = body.U8();
        c.green = body.U8();
        c.blue = body.U8();
        if (!body.Failed() && !movie_.backgroundColor) movie_.backgroundColor = c;
        return true;
      }
      case kTagDefineShape:
      case kTagDefineShape2:
      case kTagDefineShape3:
      case kTagDefineShape4:
        return ReadShape(code, body);
      case kTagDefineMorphShape:
      case kTagDefineMorphShape2:
        return ReadMorphShape(code, body);
      case kTagDefineSprite:
        return ReadSprite(body);
      case kTagExportAssets:
        ReadExports(body);
        return true;
      case kTagDefineSound:
        ReadSound(body);
        return true;
      case kTagDefineEditText:
        return ReadEditText(body);
      case kTagCsmTextSettings:
        ReadTextSettings(body);
        return true;
      case kTagDefineButton:
      case kTagDefineButton2:
        return ReadButton(code, body);
      case kTagDefineButtonCxform:
        ReadButtonColorTransform(body);
        return true;
      case kTagDefineFont:
      case kTagDefineFont2:
      case kTagDefineFont3:
        return ReadFont(code, body);
      case kTagDefineFontInfo:
      case kTagDefineFontInfo2:
        ReadFontInfoTag(code, body);
        return true;
      case kTagDefineText:
      case kTagDefineText2:
        return ReadText(code, body);
      case kTagJpegTables:
        if (movie_.jpegTables.empty()) movie_.jpegTables.assign(body.Current(), body.Current() + body.Remaining());
        return true;
      case kTagDefineBits:
      case kTagDefineBitsJpeg2:
      case kTagDefineBitsJpeg3:
      case kTagDefineBitsJpeg4:
      case kTagDefineBitsLossless:
      case kTagDefineBitsLossless2:
        return ReadBitmapTag(code, body);
      default:
        return true;  // unknown and unused tags are skipped
    }
  }

  bool ReadFrameTag(std::uint16_t code, SwfReader& body, TimelineDefinition& timeline,
                    int frame) {
    bool limitHit = false;
    FrameRecord* record = FrameAt(timeline, frame, limitHit);
    if (limitHit) return false;
    if (record == nullptr) return true;
    if (!budget_.TakeRecord()) return false;
    switch (code) {
      case kTagPlaceObject:
      case kTagPlaceObject2:
      case kTagPlaceObject3: {
        DisplayListTag tag;
        tag.kind = DisplayListTag::Kind::Place;
        const bool ok = code == kTagPlaceObject
                            ? ReadPlaceObject1(body, tag.place)
                            : ReadPlaceObject23(body, tag.place, code == kTagPlaceObject2 ? 2 : 3,
                                                movie_.version);
        if (ok) record->displayList.push_back(std::move(tag));
        return true;  // a malformed record inside its tag is dropped
      }
      case kTagRemoveObject:
      case kTagRemoveObject2: {
        DisplayListTag tag;
        tag.kind = DisplayListTag::Kind::Remove;
        if (code == kTagRemoveObject) tag.remove.characterId = body.U16();
        tag.remove.depth = body.U16();
        if (!body.Failed()) record->displayList.push_back(std::move(tag));
        return true;
      }
      case kTagDoAction:
        record->actions.emplace_back(body.Current(), body.Current() + body.Remaining());
        record->actionPositions.push_back(record->displayList.size());
        return true;
      case kTagDoInitAction: {
        InitActionRecord init;
        init.spriteId = body.U16();
        if (body.Failed()) return true;
        init.actions.assign(body.Current(), body.Current() + body.Remaining());
        record->initActions.push_back(std::move(init));
        return true;
      }
      case kTagFrameLabel: {
        std::string label = body.String();
        if (body.Failed()) return true;
        timeline.labels.emplace(AsciiLowerCase(label), frame);
        record->labels.push_back(std::move(label));
        return true;
      }
      default:
        return true;
    }
  }

  std::size_t CharacterCount() const {
    return movie_.shapes.size() + movie_.morphShapes.size() + movie_.sprites.size() +
           movie_.editTexts.size() + movie_.buttons.size() + movie_.texts.size() + movie_.bitmaps.size() + movie_.sounds.size() +
           movie_.malformedShapes.size();
  }
  bool IdTaken(std::uint16_t id) const {
    return movie_.shapes.count(id) != 0 || movie_.morphShapes.count(id) != 0 ||
           movie_.sprites.count(id) != 0 || movie_.editTexts.count(id) != 0 || movie_.buttons.count(id) != 0 ||
           movie_.texts.count(id) != 0 || movie_.bitmaps.count(id) != 0;
  }

  // Reads one shape definition with read and files it in into: a malformed
  // one is noted and left out, one with bytes to spare is noted and kept.
  // False only when the movie's budget for shapes ran out, which ends the
  // movie.
  template <class Definition, class Reader>
  bool FileShape(SwfReader& body, std::map<std::uint16_t, std::shared_ptr<const Definition>>& into,
                 Reader read) {
    if (CharacterCount() >= budget_.limits.maxCharacters) return false;
    auto definition = std::make_shared<Definition>();
    if (!read(*definition)) {
      if (budget_.shapes.Exhausted()) return false;
      movie_.malformedShapes.push_back(definition->id);
      return true;
    }
    if (body.Remaining() > 0) movie_.shapesWithTrailingBytes.push_back(definition->id);
    if (!IdTaken(definition->id)) into.emplace(definition->id, std::move(definition));
    return true;
  }

  bool ReadShape(std::uint16_t code, SwfReader& body) {
    const int version = code == kTagDefineShape    ? 1
                        : code == kTagDefineShape2 ? 2
                        : code == kTagDefineShape3 ? 3
                                                   : 4;
    return FileShape(body, movie_.shapes, [&](ShapeDefinition& shape) {
      return ReadShapeDefinition(body, version, budget_.shapes, shape);
    });
  }

  bool ReadMorphShape(std::uint16_t code, SwfReader& body) {
    const int version = code == kTagDefineMorphShape ? 1 : 2;
    return FileShape(body, movie_.morphShapes, [&](MorphShapeDefinition& morph) {
      return ReadMorphShapeDefinition(body, version, budget_.shapes, morph);
    });
  }

  bool ReadEditText(SwfReader& body) {
    if (CharacterCount() >= budget_.limits.maxCharacters) return false;
    auto text = std::make_shared<EditTextDefinition>();
    text->id = body.U16();
    text->bounds = ReadRect(body);
    text->flags = body.U16();
    const std::uint16_t f = text->flags;
    if (f & 0x0001) {  // has font
      text->fontId = body.U16();
    }
    if (f & 0x8000) text->fontClass = body.String();
    if (f & 0x0001) text->fontHeight = body.U16();
    if (f & 0x0004) text->color = ReadRgba(body);
    if (f & 0x0002) text->maxLength = body.U16();
    if (f & 0x2000) {  // has layout
      text->align = body.U8();
      text->leftMargin = body.U16();
      text->rightMargin = body.U16();
      text->indent = body.U16();
      text->leading = body.S16();
    }
    text->variableName = body.String();
    if (f & 0x0080) text->initialText = body.String();
    if (body.Failed()) return true;  // a broken field is left out
    if (!IdTaken(text->id)) movie_.editTexts.emplace(text->id, std::move(text));
    return true;
  }

  // CSMTextSettings: applies to a text field defined before it; settings
  // of static text, or of no character, are of no use to scripts.
  void ReadTextSettings(SwfReader& body) {
    const std::uint16_t id = body.U16();
    EditTextDefinition::RenderSettings settings;
    settings.renderer = static_cast<std::uint8_t>(body.UBits(2));
    settings.gridFit = static_cast<std::uint8_t>(body.UBits(3));
    body.UBits(3);
    const std::uint32_t thickness = body.U32();
    const std::uint32_t sharpness = body.U32();
    std::memcpy(&settings.thickness, &thickness, sizeof settings.thickness);
    std::memcpy(&settings.sharpness, &sharpness, sizeof settings.sharpness);
    if (body.Failed()) return;
    const auto it = movie_.editTexts.find(id);
    if (it == movie_.editTexts.end()) return;
    auto text = std::make_shared<EditTextDefinition>(*it->second);
    text->renderSettings = settings;
    it->second = std::move(text);
  }

  // The button's records up to their end flag; those of the up state
  // become the one frame of its timeline.
  bool ReadButton(std::uint16_t code, SwfReader& body) {
    if (CharacterCount() >= budget_.limits.maxCharacters) return false;
    auto button = std::make_shared<ButtonDefinition>();
    button->id = body.U16();
    const bool second = code == kTagDefineButton2;
    if (second) {
      button->trackAsMenu = (body.U8() & 1) != 0;
      body.U16();  // offset of the actions
    }
    button->upState.frameCount = 1;
    FrameRecord frame;
    while (!body.Failed() && body.Remaining() > 0) {
      const std::uint8_t flags = body.U8();
      if (flags == 0) break;
      PlaceObjectRecord place;
      place.version = 2;
      place.characterId = body.U16();
      place.depth = body.U16();
      place.matrix = ReadMatrix(body);
      if (second) place.colorTransform = ReadColorTransform(body, true);
      if (second && (flags & 0x10)) {
        place.filters = ReadFilterList(body);
        if (place.filters == nullptr) break;
      }
      if (second && (flags & 0x20)) place.blendMode = body.U8();
      if (body.Failed() || !budget_.TakeRecord()) break;
      if (flags & 0x01) {
        DisplayListTag tag;
        tag.place = std::move(place);
        frame.displayList.push_back(std::move(tag));
      }
    }
    button->upState.frames.push_back(std::move(frame));
    if (!IdTaken(button->id)) movie_.buttons.emplace(button->id, std::move(button));
    return true;
  }

  // A font's glyphs count as shape records; a malformed font is left out
  // like a malformed shape.
  bool ReadFont(std::uint16_t code, SwfReader& body) {
    if (movie_.fonts.size() >= budget_.limits.maxCharacters) return false;
    FontDefinition font;
    const int version = code == kTagDefineFont ? 1 : code == kTagDefineFont2 ? 2 : 3;
    if (!ReadFontDefinition(body, version, budget_.shapes, font)) return !budget_.shapes.Exhausted();
    if (movie_.fonts.count(font.id) == 0) movie_.fonts.emplace(font.id, std::move(font));
    return true;
  }

  // An info tag completes the first form's font; one naming no font yet
  // (device fonts of older movies) makes a font without glyphs.
  void ReadFontInfoTag(std::uint16_t code, SwfReader& body) {
    const std::uint16_t id = body.U16();
    if (body.Failed()) return;
    auto it = movie_.fonts.find(id);
    if (it == movie_.fonts.end()) {
      if (movie_.fonts.size() >= budget_.limits.maxCharacters) return;
      FontDefinition font;
      font.id = id;
      it = movie_.fonts.emplace(id, std::move(font)).first;
    }
    ReadFontInfo(body, code == kTagDefineFontInfo ? 1 : 2, it->second);
  }

  bool ReadText(std::uint16_t code, SwfReader& body) {
    if (CharacterCount() >= budget_.limits.maxCharacters) return false;
    auto text = std::make_shared<StaticTextDefinition>();
    if (!ReadStaticText(body, code == kTagDefineText ? 1 : 2, budget_.shapes, *text)) {
      return !budget_.shapes.Exhausted();
    }
    if (!IdTaken(text->id)) movie_.texts.emplace(text->id, std::move(text));
    return true;
  }

  // The bytes of all bitmaps are capped together: what is kept is what the
  // file holds, but a movie of many large bitmaps stops at the cap.
  bool ReadBitmapTag(std::uint16_t code, SwfReader& body) {
    if (CharacterCount() >= budget_.limits.maxCharacters) return false;
    if (body.Remaining() > budget_.limits.maxBitmapBytes - budget_.bitmapBytes) return false;
    auto bitmap = std::make_shared<BitmapDefinition>();
    if (!ReadBitmap(body, code, *bitmap)) return true;  // a broken bitmap is left out
    budget_.bitmapBytes += bitmap->data.size() + bitmap->alpha.size();
    if (!IdTaken(bitmap->id)) movie_.bitmaps.emplace(bitmap->id, std::move(bitmap));
    return true;
  }

  // DefineButtonCxform: the colour transform of every record of a button
  // of the first form.
  void ReadButtonColorTransform(SwfReader& body) {
    const std::uint16_t id = body.U16();
    const ColorTransform transform = ReadColorTransform(body, false);
    if (body.Failed()) return;
    const auto it = movie_.buttons.find(id);
    if (it == movie_.buttons.end()) return;
    auto button = std::make_shared<ButtonDefinition>(*it->second);
    for (FrameRecord& frame : button->upState.frames) {
      for (DisplayListTag& tag : frame.displayList) tag.place.colorTransform = transform;
    }
    it->second = std::move(button);
  }

  void ReadExports(SwfReader& body) {
    const std::uint16_t count = body.U16();
    for (std::uint16_t i = 0; i < count && !body.Failed(); ++i) {
      const std::uint16_t id = body.U16();
      std::string name = body.String();
      if (body.Failed()) return;
      if (movie_.exportedIds.size() >= budget_.limits.maxCharacters) return;
      movie_.exportedNames.emplace(id, name);
      movie_.exportedIds.emplace(std::move(name), id);
    }
  }

  // A sound whose header does not fit, or whose id is taken, is left out;
  // the movie plays on without it.
  void ReadSound(SwfReader& body) {
    if (CharacterCount() >= budget_.limits.maxCharacters) return;
    SoundDefinition sound;
    sound.id = body.U16();
    const std::uint8_t flags = body.U8();
    sound.sampleCount = body.U32();
    if (body.Failed() || IdTaken(sound.id) || movie_.sounds.count(sound.id) != 0) return;
    static const std::uint32_t kRates[] = {5512, 11025, 22050, 44100};
    sound.format = static_cast<std::uint8_t>(flags >> 4);
    sound.rateHz = kRates[(flags >> 2) & 3u];
    sound.sixteenBit = (flags & 2u) != 0;
    sound.stereo = (flags & 1u) != 0;
    movie_.sounds.emplace(sound.id, sound);
  }

  bool ReadSprite(SwfReader& body) {
    if (CharacterCount() >= budget_.limits.maxCharacters) return false;
    auto sprite = std::make_shared<SpriteDefinition>();
    sprite->id = body.U16();
    const std::uint16_t frames = body.U16();
    if (body.Failed()) return true;
    sprite->timeline.frameCount = frames == 0 ? 1 : frames;
    sprite->timeline.byteSize = static_cast<std::uint32_t>(body.Remaining());
    // A fault inside the sprite's tags keeps what was read before it; the
    // sprite's own length already bounds them, so the movie reads on.
    const bool ok = Read(body, sprite->timeline, false);
    if (!ok && budget_.records >= budget_.limits.maxRecords) return false;
    if (!ok && budget_.storedFrames >= budget_.limits.maxStoredFrames) return false;
    if (!ok) movie_.outcome = ParseOutcome::Truncated;
    if (!IdTaken(sprite->id)) movie_.sprites.emplace(sprite->id, std::move(sprite));
    return true;
  }

  MovieDefinition& movie_;
  Budget& budget_;
};

}  // namespace

const FrameRecord& TimelineDefinition::Frame(int n) const {
  if (n < 0 || n >= static_cast<int>(frames.size())) return kEmptyFrame;
  return frames[static_cast<std::size_t>(n)];
}

int TimelineDefinition::FindLabel(const std::string& label) const {
  const auto it = labels.find(AsciiLowerCase(label));
  return it == labels.end() ? -1 : it->second;
}

std::unique_ptr<MovieDefinition> ParseMovie(const std::uint8_t* data, std::size_t size,
                                            const ParseLimits& limits) {
  if (data == nullptr || size < 8 || std::memcmp(data, "FWS", 3) != 0) return nullptr;
  auto movie = std::make_unique<MovieDefinition>();
  SwfReader header(data, size);
  header.Skip(3);
  movie->version = header.U8();
  movie->fileLength = header.U32();
  // The declared length bounds the movie when it is shorter than the bytes
  // given; bytes past it are not part of the movie.
  std::size_t end = size;
  if (movie->fileLength >= 8 && movie->fileLength < size) end = movie->fileLength;
  SwfReader r(data + 8, end - 8);
  movie->frameRect = ReadRect(r);
  movie->frameRate = r.U16();
  movie->declaredFrameCount = r.U16();
  if (r.Failed()) return nullptr;
  movie->root.frameCount = movie->declaredFrameCount == 0 ? 1 : movie->declaredFrameCount;
  Budget budget{limits};
  TimelineReader reader(*movie, budget);
  if (!reader.Read(r, movie->root, true)) movie->outcome = ParseOutcome::Truncated;
  return movie;
}

}  // namespace Halvane::Movie
