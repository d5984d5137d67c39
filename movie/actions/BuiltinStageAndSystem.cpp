// The objects of the player around the movie: Stage, System (with its
// capabilities, IME and security), Key and Mouse (present, with no input:
// nothing is ever down), Sound (present, silent),
// MovieClipLoader (loading fails cleanly), ContextMenu, and the
// AsBroadcaster they share their listener methods with.
#include <algorithm>
#include <cmath>

#include "movie/actions/BuiltinSupport.h"
#include "movie/actions/CaseTables.h"
#include "movie/swf/Text.h"

namespace Halvane::Movie::Builtins {

namespace {

constexpr std::uint16_t kHidden = PropertyFlag::DontEnum | PropertyFlag::DontDelete;
constexpr std::uint16_t kConstant = kHidden | PropertyFlag::ReadOnly;

ActionValue Nothing(NativeCall&) { return ActionValue(); }
ActionValue False(NativeCall&) { return Bool(false); }
ActionValue Zero(NativeCall&) { return Num(0); }


// --- Stage

ActionValue StageWidth(NativeCall& c) { return Num(c.vm.Context().stageWidth); }
ActionValue StageHeight(NativeCall& c) { return Num(c.vm.Context().stageHeight); }
ActionValue StageScaleMode(NativeCall& c) {
  const ActionValue v = c.vm.Runtime().keep["Stage.scaleMode"];
  return v.IsString() ? v : ActionValue::String("showAll");
}
ActionValue SetStageScaleMode(NativeCall& c) {
  const std::string mode = ArgText(c, 0);
  for (const char* known : {"showAll", "noBorder", "exactFit", "noScale"}) {
    if (mode == known) c.vm.Runtime().keep["Stage.scaleMode"] = Str(c, mode);
  }
  return ActionValue();
}
ActionValue StageAlign(NativeCall& c) {
  const ActionValue v = c.vm.Runtime().keep["Stage.align"];
  return v.IsString() ? v : ActionValue::String("");
}
ActionValue SetStageAlign(NativeCall& c) {
  // The alignment keeps the letters it knows, in a fixed order.
  const std::string text = ArgText(c, 0);
  bool t = false, b = false, l = false, r = false;
  for (const char ch : text) {
    t = t || ch == 'T' || ch == 't';
    b = b || ch == 'B' || ch == 'b';
    l = l || ch == 'L' || ch == 'l';
    r = r || ch == 'R' || ch == 'r';
  }
  std::string align;
  if (t && !b) align += 'T';
  if (b && !t) align += 'B';
  if (l && !r) align += 'L';
  if (r && !l) align += 'R';
  c.vm.Runtime().keep["Stage.align"] = Str(c, align);
  return ActionValue();
}
ActionValue StageShowMenu(NativeCall& c) {
  const ActionValue v = c.vm.Runtime().keep["Stage.showMenu"];
  return v.IsBoolean() ? v : Bool(true);
}
ActionValue SetStageShowMenu(NativeCall& c) {
  c.vm.Runtime().keep["Stage.showMenu"] = Bool(ArgTruth(c, 0));
  return ActionValue();
}
ActionValue StageDisplayState(NativeCall&) { return ActionValue::String("normal"); }

// --- Key: nothing is ever down.

ActionValue KeyIsDown(NativeCall&) { return Bool(false); }
ActionValue KeyGetCode(NativeCall&) { return Num(0); }

// --- Sound: silent, but each one keeps the mix of what it controls: the
// whole movie, or a timeline it finds by path at every call. A clip given
// to the constructor is kept as its path from the root, so a renamed clip
// is lost to it; a text path is looked up from the timeline that calls.

class SoundState : public NativeState {
 public:
  bool global = true;
  bool fromRoot = false;
  std::string path;
  // attachSound found an exported sound: the control plays nothing, so
  // the position stays at its start.
  bool attached = false;
  double milliseconds = 0;
};

class MovieMix : public NativeState {
 public:
  SoundMix mix;
};

SoundMix* MovieMixOf(NativeCall& c) {
  ActionValue& kept = Rt(c).keep["Sound.movie"];
  if (!kept.IsObject()) {
    ScriptObject* o = Rt(c).Heap().Make<NativeObject>(Rt(c).CaseSensitive(), std::make_unique<MovieMix>());
    if (o == nullptr) return nullptr;
    kept = Obj(o);
  }
  MovieMix* state = NativeStateOf<MovieMix>(kept.ObjectValue());
  return state ? &state->mix : nullptr;
}

// The timeline a sound of a clip controls now, or null when it is not found.
ActionTarget* SoundTimeline(NativeCall& c, const SoundState& s) {
  ActionTarget& root = c.vm.RootTarget();
  return ResolveTarget(root, s.fromRoot ? root : c.vm.ActiveTarget(), s.path, c.vm.CaseSensitive());
}

// The mix this sound controls now, or null when its timeline is not found.
SoundMix* MixOf(NativeCall& c) {
  const SoundState* s = ThisState<SoundState>(c);
  if (s == nullptr) return nullptr;
  if (s->global) return MovieMixOf(c);
  ActionTarget* t = SoundTimeline(c, *s);
  return t ? &t->Mix() : nullptr;
}

// attachSound: the sound is looked up through the timeline the sound
// controls (the root's for the whole movie); a name the movie does not
// export, or a timeline not found, leaves the sound as it was.
ActionValue SoundAttach(NativeCall& c) {
  SoundState* s = ThisState<SoundState>(c);
  if (s == nullptr || !c.Has(0)) return ActionValue();
  ActionTarget* t = s->global ? &c.vm.RootTarget() : SoundTimeline(c, *s);
  double milliseconds = 0;
  if (t == nullptr || !t->ExportedSoundLength(c.vm.Text(c.Arg(0)), milliseconds)) return ActionValue();
  s->attached = true;
  s->milliseconds = milliseconds;
  return ActionValue();
}
ActionValue SoundDuration(NativeCall& c) {
  const SoundState* s = ThisState<SoundState>(c);
  return s && s->attached ? Num(s->milliseconds) : ActionValue();
}
ActionValue SoundPosition(NativeCall& c) {
  const SoundState* s = ThisState<SoundState>(c);
  return s && s->attached ? Num(0) : ActionValue();
}

ActionValue SoundConstruct(NativeCall& c) {
  auto state = std::make_unique<SoundState>();
  const ActionValue& owner = c.Arg(0);
  if (owner.IsClip()) {
    state->global = false;
    state->fromRoot = true;
    ActionTarget* t = c.vm.TargetOf(owner);
    state->path = t ? DotTargetPath(*t) : static_cast<const ClipObject*>(owner.ObjectValue())->LastPath();
  } else if (!owner.IsNullish()) {
    // Anything else is read as a path, once.
    state->global = false;
    state->path = c.vm.Text(owner);
  }
  return Obj(NewNativeInstance(c, nullptr, std::move(state)));
}

ActionValue SoundGetVolume(NativeCall& c) {
  const SoundMix* mix = MixOf(c);
  return mix ? Num(mix->volume) : ActionValue();
}
ActionValue SoundSetVolume(NativeCall& c) {
  if (SoundMix* mix = MixOf(c)) mix->volume = ArgInt(c, 0);
  return ActionValue();
}
// The pan is how much one channel is turned down, as the transform says.
ActionValue SoundGetPan(NativeCall& c) {
  const SoundMix* mix = MixOf(c);
  if (mix == nullptr) return ActionValue();
  return Num(mix->leftToLeft != 100 ? 100 - mix->leftToLeft : mix->rightToRight - 100);
}
ActionValue SoundSetPan(NativeCall& c) {
  SoundMix* mix = MixOf(c);
  if (mix == nullptr) return ActionValue();
  const double pan = ArgInt(c, 0);
  mix->leftToLeft = pan > 0 ? 100 - pan : 100;
  mix->rightToRight = pan < 0 ? 100 + pan : 100;
  mix->leftToRight = 0;
  mix->rightToLeft = 0;
  return ActionValue();
}
ActionValue SoundGetTransform(NativeCall& c) {
  const SoundMix* mix = MixOf(c);
  if (mix == nullptr) return ActionValue();
  ScriptObject* o = Rt(c).NewObject();
  if (o == nullptr) return ActionValue();
  const ActionValue self = Obj(o);
  c.vm.SetMember(self, "ll", Num(mix->leftToLeft));
  c.vm.SetMember(self, "lr", Num(mix->leftToRight));
  c.vm.SetMember(self, "rr", Num(mix->rightToRight));
  c.vm.SetMember(self, "rl", Num(mix->rightToLeft));
  return self;
}
ActionValue SoundSetTransform(NativeCall& c) {
  if (!c.Arg(0).IsObject() || MixOf(c) == nullptr) return ActionValue();
  SoundMix next = *MixOf(c);
  const std::pair<const char*, double*> fields[] = {{"ll", &next.leftToLeft},
                                                    {"lr", &next.leftToRight},
                                                    {"rr", &next.rightToRight},
                                                    {"rl", &next.rightToLeft}};
  for (const auto& field : fields) {
    const ActionValue v = c.vm.GetMember(c.Arg(0), field.first);
    if (c.vm.Abnormal()) return ActionValue();
    if (!v.IsUndefined()) *field.second = TruncateToInt32(c.vm.Number(v));
  }
  // The getters may have moved or removed the timeline: look it up again.
  if (SoundMix* mix = MixOf(c)) {
    next.volume = mix->volume;
    *mix = next;
  }
  return ActionValue();
}

// --- MovieClipLoader: answers as the player does for the target, then
// nothing arrives (the control loads no files).

ActionValue LoaderConstruct(NativeCall& c) {
  ScriptObject* o = NewNativeInstance(c, nullptr, nullptr);
  if (o == nullptr) return ActionValue();
  MakeBroadcaster(Rt(c), o);
  c.vm.DefineValue(o, Str(c, "_listeners"), Obj(c.vm.NewArray({Obj(o)})), PropertyFlag::DontEnum);
  return Obj(o);
}

ActionValue LoadClip(NativeCall& c) {
  if (c.Count() < 2) return ActionValue();
  const ActionValue& target = c.Arg(1);
  if (target.IsClip()) return Bool(c.vm.TargetOf(target) != nullptr);
  if (target.IsNumber()) return Bool(true);
  if (target.IsString()) {
    return Bool(ResolveTarget(c.vm.RootTarget(), c.vm.ActiveTarget(), target.StringValue(), c.vm.CaseSensitive()) !=
                nullptr);
  }
  return Bool(false);
}

ActionValue GetProgress(NativeCall& c) {
  ScriptObject* o = Rt(c).NewObject();
  if (o == nullptr) return ActionValue();
  c.vm.SetMember(Obj(o), "bytesLoaded", Num(0));
  c.vm.SetMember(Obj(o), "bytesTotal", Num(0));
  return Obj(o);
}

ActionValue MinusOne(NativeCall&) { return Num(-1); }
ActionValue EmptyText(NativeCall&) { return ActionValue::String(""); }
ActionValue EmptyArray(NativeCall& c) { return Obj(c.vm.NewArray({})); }

// --- ContextMenu

ActionValue ContextMenuConstruct(NativeCall& c) {
  ScriptObject* o = NewNativeInstance(c, nullptr, nullptr);
  if (o == nullptr) return ActionValue();
  const ActionValue self = Obj(o);
  c.vm.SetMember(self, "onSelect", c.Arg(0));
  ScriptObject* builtIn = Rt(c).NewObject();
  for (const char* item : {"print", "forward_back", "rewind", "loop", "play", "quality", "zoom", "save"}) {
    c.vm.SetMember(Obj(builtIn), item, Bool(true));
  }
  c.vm.SetMember(self, "builtInItems", Obj(builtIn));
  c.vm.SetMember(self, "customItems", Obj(c.vm.NewArray({})));
  return self;
}

ActionValue HideBuiltInItems(NativeCall& c) {
  const ActionValue items = c.vm.GetMember(c.thisValue, "builtInItems");
  if (ScriptObject* o = items.ObjectValue()) {
    for (const ActionValue& name : c.vm.EnumerableNames(o)) c.vm.SetMember(items, name, Bool(false));
  }
  return ActionValue();
}

// --- LocalConnection: no other movie ever listens. A name is taken and a
// message accepted as the player accepts them; nothing arrives.

ActionValue ConnectionDomain(NativeCall& c) { return Str(c, "localhost"); }
ActionValue ConnectionConnect(NativeCall& c) { return Bool(c.Arg(0).IsString() && !c.Arg(0).StringValue().empty()); }
ActionValue ConnectionSend(NativeCall& c) { return Bool(c.Arg(0).IsString() && c.Arg(1).IsString()); }

// --- NetConnection: only the local link (connect(null)) opens, at once;
// a server is never reached, so a connection to one stays pending until
// it is closed. Status events are called while the method runs.

class NetLinkState : public NativeState {
 public:
  enum class Link { None, Local, Pending };
  Link link = Link::None;
};

ActionValue NetConnectionConstruct(NativeCall& c) {
  return Obj(NewNativeInstance(c, nullptr, std::make_unique<NetLinkState>()));
}

// super() of a subclass makes this a connection and answers nothing.
ActionValue NetConnectionCall(NativeCall& c) {
  const bool upgrade = UpgradesThis(c);
  const ActionValue made = NetConnectionConstruct(c);
  return upgrade ? ActionValue() : made;
}

void NetStatus(NativeCall& c, const char* code) {
  ScriptObject* info = Rt(c).NewObject();
  c.vm.SetMember(Obj(info), "level", Str(c, "status"));
  c.vm.SetMember(Obj(info), "code", Str(c, code));
  const ActionValue event = Obj(info);
  c.vm.CallMethod(c.thisValue, "onStatus", ArgList(&event, 1));
}

// Closing a pending connection also reports its attempt ending, without
// an event object.
void NetClose(NativeCall& c, NetLinkState& state) {
  const NetLinkState::Link was = state.link;
  state.link = NetLinkState::Link::None;
  if (was == NetLinkState::Link::None) return;
  NetStatus(c, "NetConnection.Connect.Closed");
  if (was == NetLinkState::Link::Pending && !c.vm.Abnormal()) c.vm.CallMethod(c.thisValue, "onStatus", ArgList());
}

ActionValue NetConnect(NativeCall& c) {
  NetLinkState* state = ThisState<NetLinkState>(c);
  if (state == nullptr) return Bool(false);
  NetClose(c, *state);
  if (c.vm.Abnormal()) return ActionValue();
  if (!c.Arg(0).IsNull() && !c.Arg(0).IsUndefined()) {
    state->link = NetLinkState::Link::Pending;
    return Bool(true);
  }
  state->link = NetLinkState::Link::Local;
  NetStatus(c, "NetConnection.Connect.Success");
  return Bool(true);
}

// Connected once connect(null) has opened the local link.
ActionValue NetIsConnected(NativeCall& c) {
  NetLinkState* state = ThisState<NetLinkState>(c);
  if (state == nullptr) return ActionValue();
  return Bool(state->link == NetLinkState::Link::Local);
}

// super() of a subclass answers this, which it leaves as it is.
ActionValue LocalConnectionNew(NativeCall& c) { return UpgradesThis(c) ? c.thisValue : NewPlain(c); }

ActionValue NetDisconnect(NativeCall& c) {
  if (NetLinkState* state = ThisState<NetLinkState>(c)) NetClose(c, *state);
  return ActionValue();
}

// A new menu with the same handler, the same built-in switches and copies
// of the custom items.
ActionValue ContextMenuCopy(NativeCall& c) {
  const ActionValue cls = c.vm.GetMember(Obj(Rt(c).global), "ContextMenu");
  const ActionValue onSelect = c.vm.GetMember(c.thisValue, "onSelect");
  const ActionValue copy = c.vm.Construct(cls, ArgList(&onSelect, 1));
  if (!copy.IsObject() || c.vm.Abnormal()) return copy;
  const ActionValue from = c.vm.GetMember(c.thisValue, "builtInItems");
  const ActionValue to = c.vm.GetMember(copy, "builtInItems");
  if (from.IsObject() && to.IsObject()) {
    for (const ActionValue& name : c.vm.EnumerableNames(from.ObjectValue())) {
      c.vm.SetMember(to, name, c.vm.GetMember(from, name));
      if (c.vm.Abnormal()) return ActionValue();
    }
  }
  const ActionValue items = c.vm.GetMember(c.thisValue, "customItems");
  if (!items.IsObject()) return copy;
  std::vector<ActionValue> copies;
  const double length = c.vm.ArrayLength(items.ObjectValue());
  // A script's length may say anything: the copy stops at an array's cap.
  const double count = std::min(length, static_cast<double>(ArrayObject::MaxDense));
  for (double i = 0; i < count && c.vm.BudgetLeft() && !c.vm.Abnormal(); ++i) {
    c.vm.Work(1);
    const ActionValue item = c.vm.GetMember(items, ActionValue::Number(i));
    const ActionValue itemCopy = item.IsObject() ? c.vm.CallMethod(item, "copy", ArgList()) : item;
    copies.push_back(itemCopy.IsUndefined() ? item : itemCopy);
  }
  if (c.vm.Abnormal()) return ActionValue();
  c.vm.SetMember(copy, "customItems", Obj(c.vm.NewArray(copies)));
  return copy;
}

ActionValue ContextMenuItemCopy(NativeCall& c) {
  ActionValue args[5];
  const char* const fields[] = {"caption", "onSelect", "separatorBefore", "enabled", "visible"};
  for (int i = 0; i < 5; ++i) args[i] = c.vm.GetMember(c.thisValue, fields[i]);
  if (c.vm.Abnormal()) return ActionValue();
  return c.vm.Construct(c.vm.GetMember(Obj(Rt(c).global), "ContextMenuItem"), ArgList(args, 5));
}

ActionValue ContextMenuItemConstruct(NativeCall& c) {
  ScriptObject* o = NewNativeInstance(c, nullptr, nullptr);
  if (o == nullptr) return ActionValue();
  const ActionValue self = Obj(o);
  c.vm.SetMember(self, "caption", c.Arg(0));
  c.vm.SetMember(self, "onSelect", c.Arg(1));
  c.vm.SetMember(self, "separatorBefore", Bool(c.Has(2) && ArgTruth(c, 2)));
  c.vm.SetMember(self, "enabled", Bool(!c.Has(3) || ArgTruth(c, 3)));
  c.vm.SetMember(self, "visible", Bool(!c.Has(4) || ArgTruth(c, 4)));
  return self;
}

// --- TextSnapshot: the static text a clip shows itself, taken when the
// snapshot is made. Positions outside the text are drawn to its ends, so
// any range of a text that has characters holds at least one.

class SnapshotState : public NativeState {
 public:
  std::vector<ActionTarget::StaticTextCharacter> characters;
};

ActionValue SnapshotConstruct(NativeCall& c) {
  auto state = std::make_unique<SnapshotState>();
  if (ActionTarget* t = c.Arg(0).IsClip() ? c.vm.TargetOf(c.Arg(0)) : nullptr) state->characters = t->StaticText();
  return Obj(NewNativeInstance(c, nullptr, std::move(state)));
}

const std::vector<ActionTarget::StaticTextCharacter>* SnapshotOf(NativeCall& c) {
  const SnapshotState* s = ThisState<SnapshotState>(c);
  return s ? &s->characters : nullptr;
}

// A position argument as a whole number within [low, high]; NaN is 0.
double SnapshotPosition(NativeCall& c, std::size_t i, double low, double high) {
  const double n = ArgNumber(c, i);
  if (std::isnan(n)) return std::max(low, std::min(0.0, high));
  return std::max(low, std::min(std::trunc(n), high));
}

ActionValue SnapshotCount(NativeCall& c) {
  const auto* text = SnapshotOf(c);
  return text ? Num(static_cast<double>(text->size())) : ActionValue();
}

// getText(start, end[, includeLineEndings]): the characters from start up to
// end, at least one; a line ending before each that starts a line when asked.
ActionValue SnapshotText(NativeCall& c) {
  const auto* text = SnapshotOf(c);
  if (text == nullptr || c.Count() < 2 || c.Count() > 3) return ActionValue();
  if (text->empty()) return ActionValue::String("");
  const double last = static_cast<double>(text->size());
  const auto start = static_cast<std::size_t>(SnapshotPosition(c, 0, 0, last - 1));
  const auto end = static_cast<std::size_t>(SnapshotPosition(c, 1, static_cast<double>(start) + 1, last));
  const bool lineEndings = c.Count() == 3 && ArgTruth(c, 2);
  std::string out;
  for (std::size_t i = start; i < end; ++i) {
    if (lineEndings && i > start && (*text)[i].startsLine) out.push_back('\n');
    if (!AppendUtf8(out, (*text)[i].code)) AppendUtf8(out, kReplacementCharacter);
  }
  return ActionValue::String(std::move(out));
}

// findText(start, text, caseSensitive): the first position from start where
// text is found (line endings are no characters of it), or -1.
ActionValue SnapshotFind(NativeCall& c) {
  const auto* text = SnapshotOf(c);
  if (text == nullptr || c.Count() != 3) return ActionValue();
  const double from = ArgNumber(c, 0);
  const std::string wanted = ArgText(c, 1);
  const bool caseSensitive = ArgTruth(c, 2);
  std::vector<char32_t> needle;
  for (std::size_t pos = 0; pos < wanted.size();) {
    const Utf8Character ch = DecodeUtf8(wanted, pos);
    needle.push_back(ch.codePoint);
    pos += ch.length;
  }
  if (needle.empty() || std::isnan(from) || from < 0 || from >= static_cast<double>(text->size())) return Num(-1);
  const auto fold = [caseSensitive](char32_t code) -> char32_t {
    if (caseSensitive || code > 0xFFFF) return code;
    return LowerCaseOf(static_cast<char16_t>(code));
  };
  for (auto i = static_cast<std::size_t>(from); i + needle.size() <= text->size(); ++i) {
    std::size_t k = 0;
    while (k < needle.size() && fold((*text)[i + k].code) == fold(needle[k])) ++k;
    if (k == needle.size()) return Num(static_cast<double>(i));
  }
  return Num(-1);
}

}  // namespace

void MakeBroadcaster(ScriptRuntime& rt, ScriptObject* object) {
  const ActionValue broadcaster = rt.global->Properties().Find("AsBroadcaster")
                                      ? *rt.global->Properties().Find("AsBroadcaster")
                                      : ActionValue();
  ScriptObject* b = broadcaster.ObjectValue();
  if (b == nullptr || object == nullptr) return;
  for (const char* name : {"broadcastMessage", "addListener", "removeListener"}) {
    if (const ActionValue* method = b->Properties().Find(name)) rt.Value(object, name, *method);
  }
  ArrayObject* list = rt.NewArray();
  rt.Value(object, "_listeners", ActionValue::Object(list));
}

void InstallStageAndSystem(ScriptRuntime& rt) {
  ScriptObject* g = rt.global;

  ScriptObject* stage = rt.NewObject();
  rt.Value(g, "Stage", ActionValue::Object(stage));
  MakeBroadcaster(rt, stage);
  rt.Accessor(stage, "width", StageWidth, nullptr);
  rt.Accessor(stage, "height", StageHeight, nullptr);
  rt.Accessor(stage, "scaleMode", StageScaleMode, SetStageScaleMode);
  rt.Accessor(stage, "align", StageAlign, SetStageAlign);
  rt.Accessor(stage, "showMenu", StageShowMenu, SetStageShowMenu);
  rt.Accessor(stage, "displayState", StageDisplayState, nullptr);

  ScriptObject* system = rt.NewObject();
  rt.Value(g, "System", ActionValue::Object(system));
  ScriptObject* capabilities = rt.NewObject();
  rt.Value(system, "capabilities", ActionValue::Object(capabilities));
  const struct {
    const char* name;
    ActionValue value;
  } facts[] = {
      {"avHardwareDisable", ActionValue::Boolean(true)},
      {"hasAccessibility", ActionValue::Boolean(false)},
      {"hasAudio", ActionValue::Boolean(true)},
      {"hasAudioEncoder", ActionValue::Boolean(false)},
      {"hasEmbeddedVideo", ActionValue::Boolean(false)},
      {"hasIME", ActionValue::Boolean(false)},
      {"hasMP3", ActionValue::Boolean(false)},
      {"hasPrinting", ActionValue::Boolean(false)},
      {"hasScreenBroadcast", ActionValue::Boolean(false)},
      {"hasScreenPlayback", ActionValue::Boolean(false)},
      {"hasStreamingAudio", ActionValue::Boolean(false)},
      {"hasStreamingVideo", ActionValue::Boolean(false)},
      {"hasVideoEncoder", ActionValue::Boolean(false)},
      {"isDebugger", ActionValue::Boolean(false)},
      {"language", ActionValue::String("en")},
      {"localFileReadDisable", ActionValue::Boolean(true)},
      {"manufacturer", ActionValue::String("Adobe Windows")},
      {"os", ActionValue::String("Windows XP")},
      {"pixelAspectRatio", ActionValue::Number(1)},
      {"playerType", ActionValue::String("ActiveX")},
      {"screenColor", ActionValue::String("color")},
      {"screenDPI", ActionValue::Number(72)},
      {"screenResolutionX", ActionValue::Number(1536)},
      {"screenResolutionY", ActionValue::Number(864)},
      {"version", ActionValue::String("WIN 10,0,0,0")},
  };
  for (const auto& fact : facts) rt.Value(capabilities, fact.name, fact.value, kConstant);
  ScriptObject* ime = rt.NewObject();
  rt.Value(system, "IME", ActionValue::Object(ime));
  MakeBroadcaster(rt, ime);
  rt.Method(ime, "getEnabled", False, 0, kHidden);
  rt.Method(ime, "setEnabled", False, 0, kHidden);
  rt.Method(ime, "getConversionMode", Nothing, 0, kHidden);
  rt.Method(ime, "setConversionMode", False, 0, kHidden);
  ScriptObject* security = rt.NewObject();
  rt.Value(system, "security", ActionValue::Object(security));
  rt.Method(security, "allowDomain", Nothing, 0, kHidden);
  rt.Method(security, "allowInsecureDomain", Nothing, 0, kHidden);
  rt.Method(security, "loadPolicyFile", Nothing, 0, kHidden);
  rt.Value(security, "sandboxType", ActionValue::String("localWithFile"), kHidden);
  rt.Method(system, "setClipboard", Nothing, 0, kHidden);
  rt.Method(system, "showSettings", Nothing, 0, kHidden);
  rt.Value(system, "useCodepage", ActionValue::Boolean(false), PropertyFlag::DontEnum);
  rt.Value(system, "exactSettings", ActionValue::Boolean(true), PropertyFlag::DontEnum);

  ScriptObject* key = rt.NewObject();
  rt.Value(g, "Key", ActionValue::Object(key));
  MakeBroadcaster(rt, key);
  rt.Method(key, "isDown", KeyIsDown, 0, kHidden);
  rt.Method(key, "isToggled", KeyIsDown, 0, kHidden);
  rt.Method(key, "getCode", KeyGetCode, 0, kHidden);
  rt.Method(key, "getAscii", KeyGetCode, 0, kHidden);
  const struct {
    const char* name;
    int code;
  } keys[] = {{"ALT", 18},     {"BACKSPACE", 8}, {"CAPSLOCK", 20}, {"CONTROL", 17}, {"DELETEKEY", 46},
              {"DOWN", 40},    {"END", 35},      {"ENTER", 13},    {"ESCAPE", 27},  {"HOME", 36},
              {"INSERT", 45},  {"LEFT", 37},     {"PGDN", 34},     {"PGUP", 33},    {"RIGHT", 39},
              {"SHIFT", 16},   {"SPACE", 32},    {"TAB", 9},       {"UP", 38}};
  for (const auto& k : keys) rt.Value(key, k.name, ActionValue::Number(k.code), kConstant);

  ScriptObject* mouse = rt.NewObject();
  rt.Value(g, "Mouse", ActionValue::Object(mouse));
  MakeBroadcaster(rt, mouse);
  rt.Method(mouse, "show", Zero, 0, kHidden);
  rt.Method(mouse, "hide", Zero, 0, kHidden);

  ScriptObject* sound = rt.NewObject();
  rt.Class("Sound", SoundConstruct, SoundConstruct, sound);
  rt.Method(sound, "attachSound", SoundAttach, 0, kHidden);
  for (const char* name : {"start", "stop"}) rt.Method(sound, name, Nothing, 0, kHidden);
  rt.Method(sound, "setVolume", SoundSetVolume, 0, kHidden);
  rt.Method(sound, "setPan", SoundSetPan, 0, kHidden);
  rt.Method(sound, "setTransform", SoundSetTransform, 0, kHidden);
  rt.Method(sound, "loadSound", Nothing, 0, kHidden | PropertyFlag::Version6);
  rt.Method(sound, "getVolume", SoundGetVolume, 0, kHidden);
  rt.Method(sound, "getPan", SoundGetPan, 0, kHidden);
  rt.Method(sound, "getTransform", SoundGetTransform, 0, kHidden);
  rt.Method(sound, "getBytesLoaded", Nothing, 0, kHidden | PropertyFlag::Version6);
  rt.Method(sound, "getBytesTotal", Nothing, 0, kHidden | PropertyFlag::Version6);
  rt.Method(sound, "getDuration", SoundDuration, 0, kHidden | PropertyFlag::Version6);
  rt.Method(sound, "getPosition", SoundPosition, 0, kHidden | PropertyFlag::Version6);
  rt.Accessor(sound, "duration", SoundDuration, nullptr, 0, kHidden | PropertyFlag::Version6);
  rt.Accessor(sound, "position", SoundPosition, nullptr, 0, kHidden | PropertyFlag::Version6);

  ScriptObject* loader = rt.NewObject();
  rt.Class("MovieClipLoader", LoaderConstruct, LoaderConstruct, loader, nullptr,
           PropertyFlag::DontEnum | PropertyFlag::Version6);
  rt.Method(loader, "loadClip", LoadClip, 0, kHidden);
  rt.Method(loader, "unloadClip", False, 0, kHidden);
  rt.Method(loader, "getProgress", GetProgress, 0, kHidden);
  MakeBroadcaster(rt, loader);

  ScriptObject* menu = rt.NewObject();
  rt.Class("ContextMenu", ContextMenuConstruct, ContextMenuConstruct, menu, nullptr,
           PropertyFlag::DontEnum | PropertyFlag::Version6);
  rt.Method(menu, "hideBuiltInItems", HideBuiltInItems, 0, kHidden);
  rt.Method(menu, "copy", ContextMenuCopy, 0, kHidden);
  ScriptObject* item = rt.NewObject();
  rt.Class("ContextMenuItem", ContextMenuItemConstruct, ContextMenuItemConstruct, item, nullptr,
           PropertyFlag::DontEnum | PropertyFlag::Version6);
  rt.Method(item, "copy", ContextMenuItemCopy, 0, kHidden);

  ScriptObject* connection = rt.NewObject();
  rt.Class("LocalConnection", LocalConnectionNew, NewPlain, connection);
  rt.Method(connection, "domain", ConnectionDomain, 0, kHidden);
  rt.Method(connection, "connect", ConnectionConnect, 0, kHidden);
  rt.Method(connection, "close", Nothing, 0, kHidden);
  rt.Method(connection, "send", ConnectionSend, 0, kHidden);

  // TextSnapshot: its methods are plain, enumerable properties of the
  // prototype; movies before version 6 see the names without functions.
  // Selection and hit tests have nothing to act on without a mouse.
  ScriptObject* snapshot = rt.NewObject();
  rt.Class("TextSnapshot", SnapshotConstruct, SnapshotConstruct, snapshot);
  const struct {
    const char* name;
    NativeFunction call;
  } snapshotMethods[] = {{"getCount", SnapshotCount}, {"setSelected", Nothing},      {"getSelected", False},
                         {"getText", SnapshotText},   {"getSelectedText", EmptyText}, {"hitTestTextNearPos", MinusOne},
                         {"findText", SnapshotFind},  {"setSelectColor", Nothing},   {"getTextRunInfo", EmptyArray}};
  for (const auto& m : snapshotMethods) {
    if (rt.Version() >= 6) rt.Method(snapshot, m.name, m.call, 0, 0);
    else rt.Value(snapshot, m.name, ActionValue(), 0);
  }

  ScriptObject* netConnection = rt.NewObject();
  rt.Class("NetConnection", NetConnectionCall, NetConnectionConstruct, netConnection);
  rt.Method(netConnection, "connect", NetConnect, 0, kHidden);
  rt.Method(netConnection, "close", NetDisconnect, 0, kHidden);
  rt.Accessor(netConnection, "isConnected", NetIsConnected, nullptr, 0, kHidden);

  for (const char* name : {"Camera", "Microphone", "Video", "NetStream", "XMLSocket", "PrintJob"}) {
    ScriptObject* prototype = rt.NewObject();
    rt.Class(name, NewPlain, NewPlain, prototype);
  }
  // Accessibility is an object, with nothing to report.
  ScriptObject* accessibility = rt.NewObject();
  rt.Value(rt.global, "Accessibility", ActionValue::Object(accessibility));
  rt.Method(accessibility, "isActive", False, 0, kHidden);
  rt.Method(accessibility, "updateProperties", Nothing, 0, kHidden);
  rt.Method(accessibility, "sendEvent", Nothing, 0, kHidden);
}

}  // namespace Halvane::Movie::Builtins
