// MovieClip.prototype (the timeline methods, instances made and removed by
// script, depths, geometry, the drawing methods) and Color.
#include <algorithm>
#include <cmath>

#include "movie/actions/BuiltinFilters.h"
#include "movie/actions/BuiltinGeometry.h"
#include "movie/actions/BuiltinSupport.h"
#include "movie/swf/Text.h"

namespace Halvane::Movie::Builtins {

namespace {

constexpr std::uint16_t kHidden = PropertyFlag::DontEnum | PropertyFlag::DontDelete;

// The depth argument of the methods that place instances: NaN and
// infinities are no depth; others wrap as 32-bit integers.
bool DepthArg(NativeCall& c, std::size_t i, int& depth) {
  const double d = ArgNumber(c, i);
  if (!std::isfinite(d)) return false;
  depth = WrapToInt32(d);
  return true;
}

enum TimelineMethod { Play, StopIt, NextFrame, PrevFrame, GotoAndPlay, GotoAndStop };

ActionValue Timeline(NativeCall& c) {
  ActionTarget* t = ThisTarget(c);
  if (t == nullptr) return ActionValue();
  switch (c.Tag()) {
    case Play: t->Play(); break;
    case StopIt: t->Stop(); break;
    case NextFrame: t->NextFrame(); break;
    case PrevFrame: t->PreviousFrame(); break;
    case GotoAndPlay: c.vm.GotoValue(*t, c.Arg(0), true, 0); break;
    case GotoAndStop: c.vm.GotoValue(*t, c.Arg(0), false, 0); break;
    default: break;
  }
  return ActionValue();
}

// Copies the enumerable properties of an init object onto a new instance,
// the oldest first (the reverse of for-in).
void ApplyInitObject(NativeCall& c, ActionTarget& child, const ActionValue& init) {
  ScriptObject* source = init.ObjectValue();
  if (source == nullptr) return;
  const ActionValue target = c.vm.ClipValue(child);
  const std::vector<ActionValue> names = c.vm.EnumerableNames(source);
  for (auto name = names.rbegin(); name != names.rend(); ++name) {
    c.vm.SetMember(target, *name, c.vm.GetMember(init, *name));
    if (c.vm.Abnormal()) return;
  }
}

// A clip made by script hears onConstruct (usually from MovieClip.prototype)
// as soon as it has its class. What the hook throws is reported and goes no
// further: the clip is made all the same and the caller's try never sees it.
void AnnounceConstruction(NativeCall& c, ActionTarget& child) {
  if (c.vm.Abnormal()) return;
  CallTargetMethod(child, "onConstruct", {}, c.vm.Context());
}

// A new instance made by script: its class's prototype, its init object
// (through the class's setters), then the class's constructor.
ActionValue Welcome(NativeCall& c, ActionTarget* child, const ActionValue& init, const std::string& symbol) {
  if (child == nullptr) return ActionValue();
  SetTargetClass(*child, symbol, c.vm.Context());
  AnnounceConstruction(c, *child);
  ApplyInitObject(c, *child, init);
  ConstructTarget(*child, symbol, c.vm.Context());
  return c.vm.ClipValue(*child);
}

ActionValue AttachMovie(NativeCall& c) {
  ActionTarget* t = ThisTarget(c);
  int depth = 0;
  if (t == nullptr || c.Count() < 3 || !DepthArg(c, 2, depth)) return ActionValue();
  const std::string symbol = ArgText(c, 0);
  ActionTarget* child = t->AttachMovie(symbol, ArgText(c, 1), depth);
  return Welcome(c, child, c.Arg(3), symbol);
}

ActionValue CreateEmptyMovieClip(NativeCall& c) {
  ActionTarget* t = ThisTarget(c);
  int depth = 0;
  if (t == nullptr || c.Count() < 2 || !DepthArg(c, 1, depth)) return ActionValue();
  ActionTarget* child = t->CreateEmptyMovieClip(ArgText(c, 0), depth);
  if (child == nullptr) return ActionValue();
  AnnounceConstruction(c, *child);
  return c.vm.ClipValue(*child);
}

// attachBitmap(bitmap, depth, pixelSnapping, smoothing): the bitmap shown
// at depth, replacing what is there. Pixel snapping changes nothing for a
// player that draws at whole pixels anyway.
ActionValue AttachBitmap(NativeCall& c) {
  ActionTarget* t = ThisTarget(c);
  int depth = 0;
  if (t == nullptr || c.Count() < 2 || !DepthArg(c, 1, depth)) return ActionValue();
  std::shared_ptr<const BitmapPixels> pixels = ShownPixels(c.Arg(0));
  if (pixels == nullptr) return ActionValue();
  t->AttachBitmap(std::move(pixels), depth, c.Has(3) && ArgTruth(c, 3));
  return ActionValue();
}

ActionValue DuplicateMovieClip(NativeCall& c) {
  ActionTarget* t = ThisTarget(c);
  int depth = 0;
  if (t == nullptr || c.Count() < 2 || !DepthArg(c, 1, depth)) return ActionValue();
  ActionTarget* copy = t->Duplicate(ArgText(c, 0), depth);
  return Welcome(c, copy, c.Arg(2), t->SymbolName());
}

ActionValue RemoveMovieClip(NativeCall& c) {
  if (ActionTarget* t = ThisTarget(c)) t->RemoveFromParent();
  return ActionValue();
}

ActionValue SwapDepths(NativeCall& c) {
  ActionTarget* t = ThisTarget(c);
  if (t == nullptr || !c.Has(0) || c.Arg(0).IsUndefined()) return ActionValue();
  // Another instance of the same parent, by reference or by path; else a
  // depth in the range scripts may use (anything that is no number is 0).
  ActionTarget* other = nullptr;
  if (c.Arg(0).IsClip()) {
    other = c.vm.TargetOf(c.Arg(0));
  } else if (c.Arg(0).IsString()) {
    other = ResolveTarget(c.vm.RootTarget(), *t, c.Arg(0).StringValue(), c.vm.CaseSensitive());
  }
  if (other != nullptr) {
    if (other->Parent() == t->Parent() && other != t) t->SwapDepths(other->Depth());
    return ActionValue();
  }
  if (c.Arg(0).IsObject()) return ActionValue();
  const std::int32_t depth = WrapToInt32(ArgNumber(c, 0));
  if (depth < -16384 || depth > 2130690044) return ActionValue();
  t->SwapDepths(depth);
  return ActionValue();
}

ActionValue GetDepth(NativeCall& c) {
  ActionTarget* t = ThisTarget(c);
  return t ? Num(t->Depth()) : ActionValue();
}

ActionValue GetNextHighestDepth(NativeCall& c) {
  ActionTarget* t = ThisTarget(c);
  if (t == nullptr) return ActionValue();
  int highest = -1;
  t->ForEachChild([&highest](ActionTarget& child) { highest = std::max(highest, child.Depth()); });
  return Num(highest + 1.0);
}

ActionValue GetInstanceAtDepth(NativeCall& c) {
  ActionTarget* t = ThisTarget(c);
  int depth = 0;
  if (t == nullptr || !DepthArg(c, 0, depth)) return ActionValue();
  ActionTarget* child = t->ChildAtDepth(depth);
  return child ? c.vm.ClipValue(*child) : ActionValue();
}

ActionValue BoundsObject(NativeCall& c, const PixelBounds& b) {
  ScriptObject* o = Rt(c).NewObject();
  if (o == nullptr) return ActionValue();
  const ActionValue self = Obj(o);
  c.vm.SetMember(self, "xMin", Num(b.xMin));
  c.vm.SetMember(self, "xMax", Num(b.xMax));
  c.vm.SetMember(self, "yMin", Num(b.yMin));
  c.vm.SetMember(self, "yMax", Num(b.yMax));
  return self;
}

ActionValue GetBounds(NativeCall& c) {
  ActionTarget* t = ThisTarget(c);
  if (t == nullptr) return ActionValue();
  ActionTarget* space = t;
  if (c.Has(0)) {
    // Anything else than a clip is a path from this clip, as its text
    // reads (undefined names a child called "undefined"); an empty path
    // names nothing.
    if (c.Arg(0).IsClip()) {
      space = c.vm.TargetOf(c.Arg(0));
    } else {
      const std::string path = ArgText(c, 0);
      space = path.empty() ? nullptr : ResolveTarget(c.vm.RootTarget(), *t, path, c.vm.CaseSensitive());
    }
    if (space == nullptr) return ActionValue();
  }
  PixelBounds b;
  if (!t->GetBounds(space, b)) {
    // Nothing to measure: the platform's player answers the largest
    // coordinate it has, in its own space as it is, and (from version 8)
    // rounded on its way into another space.
    const double none = c.vm.Version() >= 8 && space != t ? 6710886.4 : 6710886.35;
    b = PixelBounds{none, none, none, none};
  }
  return BoundsObject(c, b);
}

// localToGlobal / globalToLocal: converts the x and y of a point object.
ActionValue ConvertPoint(NativeCall& c) {
  ActionTarget* t = ThisTarget(c);
  ScriptObject* point = c.Arg(0).ObjectValue();
  if (t == nullptr || point == nullptr) return ActionValue();
  const ActionValue x = c.vm.GetMember(c.Arg(0), "x");
  const ActionValue y = c.vm.GetMember(c.Arg(0), "y");
  if (!x.IsNumber() || !y.IsNumber()) return ActionValue();
  double px = x.NumberValue();
  double py = y.NumberValue();
  if (c.Tag() == 0) t->LocalToGlobal(px, py);
  else t->GlobalToLocal(px, py);
  c.vm.SetMember(c.Arg(0), "x", Num(px));
  c.vm.SetMember(c.Arg(0), "y", Num(py));
  return ActionValue();
}

ActionValue HitTest(NativeCall& c) {
  ActionTarget* t = ThisTarget(c);
  if (t == nullptr) return Bool(false);
  if (c.Count() >= 2) {
    const double x = ArgNumber(c, 0);
    const double y = ArgNumber(c, 1);
    if (!std::isfinite(x) || !std::isfinite(y)) return Bool(false);
    return Bool(t->HitTestPoint(x, y, ArgTruth(c, 2)));
  }
  ActionTarget* other = c.Arg(0).IsClip() ? c.vm.TargetOf(c.Arg(0))
                                          : ResolveTarget(c.vm.RootTarget(), c.vm.ActiveTarget(), ArgText(c, 0),
                                                          c.vm.CaseSensitive());
  if (other == nullptr) return Bool(false);
  PixelBounds a;
  PixelBounds b;
  ActionTarget* stage = &c.vm.RootTarget();
  if (!t->GetBounds(stage, a) || !other->GetBounds(stage, b)) return Bool(false);
  return Bool(a.xMin <= b.xMax && b.xMin <= a.xMax && a.yMin <= b.yMax && b.yMin <= a.yMax);
}

// --- Drawing

std::int32_t Twips(double pixels) { return RoundToInt32(pixels * 20.0); }

Rgba ColorOf(double rgb, double alphaPercent) {
  const std::uint32_t v = static_cast<std::uint32_t>(WrapToInt32(rgb));
  Rgba color;
  color.red = static_cast<std::uint8_t>(v >> 16);
  color.green = static_cast<std::uint8_t>(v >> 8);
  color.blue = static_cast<std::uint8_t>(v);
  double a = std::isnan(alphaPercent) ? 100 : alphaPercent;
  a = std::clamp(a, 0.0, 100.0);
  color.alpha = static_cast<std::uint8_t>(std::lround(a * 2.55));
  return color;
}

ActionValue LineStyle(NativeCall& c) {
  ActionTarget* t = ThisTarget(c);
  if (t == nullptr) return ActionValue();
  DrawCommand command;
  if (!c.Has(0) || c.Arg(0).IsUndefined()) {
    command.kind = DrawCommand::Kind::NoLine;
    t->Draw(command);
    return ActionValue();
  }
  command.kind = DrawCommand::Kind::LineStyle;
  const double width = std::clamp(ArgNumber(c, 0), 0.0, 255.0);
  command.line.width = static_cast<std::uint16_t>(std::isnan(width) ? 0 : std::lround(width * 20));
  command.line.color = ColorOf(ArgNumber(c, 1), c.Has(2) ? ArgNumber(c, 2) : 100);
  command.line.pixelHinting = ArgTruth(c, 3);
  const std::string scale = c.Has(4) ? ArgText(c, 4) : std::string("normal");
  command.line.noHScale = scale == "none" || scale == "horizontal";
  command.line.noVScale = scale == "none" || scale == "vertical";
  if (c.Has(5)) {
    const std::string caps = ArgText(c, 5);
    command.line.startCap = command.line.endCap =
        caps == "none" ? CapStyle::None : caps == "square" ? CapStyle::Square : CapStyle::Round;
  }
  if (c.Has(6)) {
    const std::string joint = ArgText(c, 6);
    command.line.join = joint == "miter" ? JoinStyle::Miter : joint == "bevel" ? JoinStyle::Bevel : JoinStyle::Round;
    if (command.line.join == JoinStyle::Miter) {
      const double limit = c.Has(7) ? std::clamp(ArgNumber(c, 7), 1.0, 255.0) : 3.0;
      command.line.miterLimitFactor = static_cast<std::uint16_t>(std::lround((std::isnan(limit) ? 3.0 : limit) * 256));
    }
  }
  t->Draw(command);
  return ActionValue();
}

ActionValue BeginFill(NativeCall& c) {
  ActionTarget* t = ThisTarget(c);
  if (t == nullptr) return ActionValue();
  DrawCommand command;
  if (!c.Has(0) || c.Arg(0).IsUndefined()) {
    command.kind = DrawCommand::Kind::EndFill;
  } else {
    command.kind = DrawCommand::Kind::BeginFill;
    command.fill.kind = FillKind::Solid;
    command.fill.color = ColorOf(ArgNumber(c, 0), c.Has(1) ? ArgNumber(c, 1) : 100);
  }
  t->Draw(command);
  return ActionValue();
}

// beginGradientFill(type, colors, alphas, ratios, matrix, spread,
// interpolation, focal).
ActionValue BeginGradientFill(NativeCall& c) {
  ActionTarget* t = ThisTarget(c);
  if (t == nullptr || c.Count() < 5) return ActionValue();
  const std::string type = ArgText(c, 0);
  const ActionValue colors = c.Arg(1), alphas = c.Arg(2), ratios = c.Arg(3), matrix = c.Arg(4);
  if (!colors.IsObject() || !alphas.IsObject() || !ratios.IsObject() || !matrix.IsObject()) return ActionValue();
  DrawCommand command;
  command.kind = DrawCommand::Kind::BeginFill;
  command.fill.kind = type == "radial" ? FillKind::RadialGradient : FillKind::LinearGradient;
  const double n = std::min({c.vm.ArrayLength(colors.ObjectValue()), c.vm.ArrayLength(alphas.ObjectValue()),
                             c.vm.ArrayLength(ratios.ObjectValue()), static_cast<double>(Gradient::MaxStops)});
  for (double i = 0; i < n; ++i) {
    GradientStop stop;
    stop.color = ColorOf(c.vm.Number(c.vm.GetMember(colors, Num(i))), c.vm.Number(c.vm.GetMember(alphas, Num(i))));
    const double ratio = std::clamp(c.vm.Number(c.vm.GetMember(ratios, Num(i))), 0.0, 255.0);
    stop.ratio = static_cast<std::uint8_t>(std::isnan(ratio) ? 0 : std::lround(ratio));
    command.fill.gradient.stops.push_back(stop);
  }
  if (command.fill.gradient.stops.empty()) return ActionValue();
  // The matrix maps the gradient square (-819.2 .. 819.2 pixels) into the
  // shape: either a box (x, y, w, h, r) or the six numbers a..f (pixels).
  const auto member = [&](const char* name) { return c.vm.Number(c.vm.GetMember(matrix, name)); };
  double a, b, cc, d, tx, ty;
  if (c.vm.Text(c.vm.GetMember(matrix, "matrixType")) == "box") {
    const double w = member("w"), h = member("h"), r = member("r"), x = member("x"), y = member("y");
    a = std::cos(r) * w / 1638.4;
    b = std::sin(r) * h / 1638.4;
    cc = -std::sin(r) * w / 1638.4;
    d = std::cos(r) * h / 1638.4;
    tx = x + w / 2;
    ty = y + h / 2;
  } else {
    a = member("a") / 1638.4 * 20 / 20;
    b = member("b") / 1638.4;
    cc = member("c") / 1638.4;
    d = member("d") / 1638.4;
    tx = member("tx");
    ty = member("ty");
    if (std::isnan(a)) {
      // The older form: a, b, d, e, g, h as a 3x3 matrix in pixels.
      a = member("a") / 1638.4;
      b = member("b") / 1638.4;
      cc = member("d") / 1638.4;
      d = member("e") / 1638.4;
      tx = member("g");
      ty = member("h");
    }
  }
  if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(cc) || !std::isfinite(d) || !std::isfinite(tx) ||
      !std::isfinite(ty)) {
    return ActionValue();
  }
  command.fill.matrix.scaleX = RoundToInt32(a * 65536.0);
  command.fill.matrix.rotateSkew0 = RoundToInt32(b * 65536.0);
  command.fill.matrix.rotateSkew1 = RoundToInt32(cc * 65536.0);
  command.fill.matrix.scaleY = RoundToInt32(d * 65536.0);
  command.fill.matrix.translateX = Twips(tx);
  command.fill.matrix.translateY = Twips(ty);
  if (c.Has(5)) {
    const std::string spread = ArgText(c, 5);
    command.fill.gradient.spreadMode = spread == "reflect" ? 1 : spread == "repeat" ? 2 : 0;
  }
  if (c.Has(6)) command.fill.gradient.interpolationMode = ArgText(c, 6) == "linearRGB" ? 1 : 0;
  if (c.Has(7) && command.fill.kind == FillKind::RadialGradient) {
    const double focal = std::clamp(ArgNumber(c, 7), -1.0, 1.0);
    if (!std::isnan(focal) && focal != 0) {
      command.fill.kind = FillKind::FocalRadialGradient;
      command.fill.gradient.focalPoint = static_cast<std::int16_t>(std::lround(focal * 256));
    }
  }
  t->Draw(command);
  return ActionValue();
}

enum PathMethod { MoveTo, LineTo, CurveTo, EndFill, Clear };

ActionValue Path(NativeCall& c) {
  ActionTarget* t = ThisTarget(c);
  if (t == nullptr) return ActionValue();
  DrawCommand command;
  switch (c.Tag()) {
    case MoveTo:
    case LineTo: {
      if (c.Count() < 2) return ActionValue();
      const double x = ArgNumber(c, 0), y = ArgNumber(c, 1);
      if (!std::isfinite(x) || !std::isfinite(y)) return ActionValue();
      command.kind = c.Tag() == MoveTo ? DrawCommand::Kind::MoveTo : DrawCommand::Kind::LineTo;
      command.x = Twips(x);
      command.y = Twips(y);
      break;
    }
    case CurveTo: {
      if (c.Count() < 4) return ActionValue();
      const double cx = ArgNumber(c, 0), cy = ArgNumber(c, 1), x = ArgNumber(c, 2), y = ArgNumber(c, 3);
      if (!std::isfinite(cx) || !std::isfinite(cy) || !std::isfinite(x) || !std::isfinite(y)) return ActionValue();
      command.kind = DrawCommand::Kind::CurveTo;
      command.controlX = Twips(cx);
      command.controlY = Twips(cy);
      command.x = Twips(x);
      command.y = Twips(y);
      break;
    }
    case EndFill: command.kind = DrawCommand::Kind::EndFill; break;
    default: command.kind = DrawCommand::Kind::Clear; break;
  }
  t->Draw(command);
  return ActionValue();
}

ActionValue CreateTextField(NativeCall& c) {
  ActionTarget* t = ThisTarget(c);
  int depth = 0;
  if (t == nullptr || c.Count() < 6 || !DepthArg(c, 1, depth)) return ActionValue();
  // The box is in whole pixels, read as 32-bit integers (infinities are 0).
  PixelBounds box;
  box.xMin = WrapToInt32(ArgNumber(c, 2));
  box.yMin = WrapToInt32(ArgNumber(c, 3));
  box.xMax = box.xMin + WrapToInt32(ArgNumber(c, 4));
  box.yMax = box.yMin + WrapToInt32(ArgNumber(c, 5));
  for (double v : {box.xMin, box.yMin, box.xMax, box.yMax}) {
    if (!std::isfinite(v)) box = PixelBounds{0, 0, 0, 0};
  }
  ActionTarget* field = t->CreateTextField(ArgText(c, 0), depth, box);
  // From version 8 the new field is answered; earlier ones answer nothing.
  if (field == nullptr || c.vm.Version() < 8) return ActionValue();
  return c.vm.ClipValue(*field);
}

ActionValue SetMask(NativeCall& c) {
  ActionTarget* t = ThisTarget(c);
  if (t == nullptr || !c.Has(0)) return ActionValue();
  // A timeline or a path to one masks; other values but objects and
  // texts unmask.
  const ActionValue& arg = c.Arg(0);
  ActionTarget* mask = nullptr;
  if (arg.IsClip()) {
    mask = c.vm.TargetOf(arg);
    if (mask == nullptr) return Bool(false);
  } else if (arg.IsString()) {
    mask = ResolveTarget(c.vm.RootTarget(), c.vm.ActiveTarget(), arg.StringValue(), c.vm.CaseSensitive());
    if (mask == nullptr) return Bool(false);
  } else if (arg.IsObject()) {
    return Bool(false);
  }
  t->SetMask(mask);
  return Bool(true);
}

enum ByteCount { BytesLoaded, BytesTotal };

// A failed load has loaded nothing of a total it never learnt; an
// unloaded movie has nothing at all.
ActionValue GetBytes(NativeCall& c) {
  ActionTarget* t = ThisTarget(c);
  if (t == nullptr) return ActionValue();
  switch (t->LoadedContent()) {
    case ActionTarget::Content::FailedLoad: return Num(c.Tag() == BytesTotal ? -1 : 0);
    case ActionTarget::Content::Unloaded: return Num(0);
    default: break;
  }
  const std::int64_t bytes = t->DefinitionBytes();
  return Num(bytes < 0 ? static_cast<double>(c.vm.Context().movieBytes) : static_cast<double>(bytes));
}

ActionValue GetSwfVersion(NativeCall& c) {
  ActionTarget* t = ThisTarget(c);
  if (t == nullptr || t->LoadedContent() == ActionTarget::Content::FailedLoad) return Num(-1);
  return Num(c.vm.Version());
}

// loadMovie(url) and unloadMovie(): see ActionTarget::RequestLoad.
ActionValue LoadMovie(NativeCall& c) {
  if (ActionTarget* t = ThisTarget(c)) {
    if (c.Has(0)) t->RequestLoad(ArgText(c, 0));
  }
  return ActionValue();
}

ActionValue UnloadMovie(NativeCall& c) {
  if (ActionTarget* t = ThisTarget(c)) t->RequestUnload();
  return ActionValue();
}

ActionValue Nothing(NativeCall&) { return ActionValue(); }

const char* const kBlendModes[] = {"normal",     "normal", "layer",  "multiply", "screen",   "lighten",
                                   "darken",     "difference", "add", "subtract", "invert", "alpha",
                                   "erase",      "overlay",    "hardlight"};

ActionValue GetBlendMode(NativeCall& c) {
  ActionTarget* t = ThisTarget(c);
  if (t == nullptr) return ActionValue();
  const int mode = t->BlendMode();
  return ActionValue::String(mode >= 0 && mode <= 14 ? kBlendModes[mode] : "normal");
}

// A name as the player spells it, or a number of one (256 and up wrap);
// null and undefined are normal; anything else changes nothing.
ActionValue SetBlendMode(NativeCall& c) {
  ActionTarget* t = ThisTarget(c);
  if (t == nullptr) return ActionValue();
  const ActionValue& v = c.Arg(0);
  if (v.IsNullish()) {
    t->SetBlendMode(1);
  } else if (v.IsString()) {
    for (int i = 1; i <= 14; ++i) {
      if (v.StringValue() == kBlendModes[i]) t->SetBlendMode(i);
    }
  } else if (v.IsNumber()) {
    const int mode = WrapToInt32(v.NumberValue()) & 0xFF;
    if (mode >= 1 && mode <= 14) t->SetBlendMode(mode);
  }
  return ActionValue();
}

// Reading gives new copies each time, so changing a filter read back
// changes nothing until the list is set again; setting keeps copies of the
// filters in an array (other elements skipped) and ignores anything else.
ActionValue GetFilters(NativeCall& c) {
  ActionTarget* t = ThisTarget(c);
  return t != nullptr ? FilterArray(c, t->Filters()) : ActionValue();
}

ActionValue SetFilters(NativeCall& c) {
  ActionTarget* t = ThisTarget(c);
  if (t == nullptr) return ActionValue();
  if (auto list = FilterList(c, c.Arg(0))) t->SetFilters(std::move(*list));
  return ActionValue();
}

// --- Color

ActionTarget* ColorTarget(NativeCall& c) {
  const ActionValue target = c.vm.GetMember(c.thisValue, "target");
  if (target.IsClip()) return c.vm.TargetOf(target);
  if (target.IsNullish()) return nullptr;
  const std::string path = c.vm.Text(target);
  if (path.empty()) return nullptr;
  return ResolveTarget(c.vm.RootTarget(), c.vm.ActiveTarget(), path, c.vm.CaseSensitive());
}

ActionValue ColorConstruct(NativeCall& c) {
  ScriptObject* o = NewNativeInstance(c, nullptr, nullptr);
  if (o == nullptr) return ActionValue();
  c.vm.DefineValue(o, Str(c, "target"), c.Arg(0), PropertyFlag::DontEnum | PropertyFlag::DontDelete);
  return Obj(o);
}

ActionValue SetRgb(NativeCall& c) {
  ActionTarget* t = ColorTarget(c);
  if (t == nullptr || !c.Has(0)) return ActionValue();
  const std::uint32_t rgb = static_cast<std::uint32_t>(WrapToInt32(ArgNumber(c, 0)));
  ColorTransform cx = t->GetColorTransform();
  cx.mult[0] = cx.mult[1] = cx.mult[2] = 0;
  cx.add[0] = static_cast<std::int16_t>((rgb >> 16) & 0xFF);
  cx.add[1] = static_cast<std::int16_t>((rgb >> 8) & 0xFF);
  cx.add[2] = static_cast<std::int16_t>(rgb & 0xFF);
  t->SetColorTransform(cx);
  return ActionValue();
}

ActionValue GetRgb(NativeCall& c) {
  ActionTarget* t = ColorTarget(c);
  if (t == nullptr) return ActionValue();
  // The offsets as they are, negative ones spilling into the higher bits.
  const ColorTransform cx = t->GetColorTransform();
  const std::int32_t rgb = static_cast<std::int32_t>(static_cast<std::uint32_t>(cx.add[0]) << 16) |
                           static_cast<std::int32_t>(static_cast<std::uint32_t>(cx.add[1]) << 8) | cx.add[2];
  return Num(rgb);
}

ActionValue SetTransform(NativeCall& c) {
  ActionTarget* t = ColorTarget(c);
  ScriptObject* o = c.Arg(0).ObjectValue();
  if (t == nullptr || o == nullptr) return ActionValue();
  ColorTransform cx = t->GetColorTransform();
  const char* multNames[] = {"ra", "ga", "ba", "aa"};
  const char* addNames[] = {"rb", "gb", "bb", "ab"};
  for (int i = 0; i < 4; ++i) {
    if (c.vm.HasOwnProperty(o, Str(c, multNames[i]))) {
      const double v = c.vm.Number(c.vm.GetMember(c.Arg(0), multNames[i]));
      cx.mult[i] = static_cast<std::int16_t>(WrapToInt32(v * 2.56));
    }
    if (c.vm.HasOwnProperty(o, Str(c, addNames[i]))) {
      const double v = c.vm.Number(c.vm.GetMember(c.Arg(0), addNames[i]));
      cx.add[i] = static_cast<std::int16_t>(WrapToInt32(v));
    }
  }
  t->SetColorTransform(cx);
  return ActionValue();
}

ActionValue GetTransform(NativeCall& c) {
  ActionTarget* t = ColorTarget(c);
  if (t == nullptr) return ActionValue();
  const ColorTransform cx = t->GetColorTransform();
  ScriptObject* o = Rt(c).NewObject();
  if (o == nullptr) return ActionValue();
  const ActionValue self = Obj(o);
  const char* multNames[] = {"ra", "ga", "ba", "aa"};
  const char* addNames[] = {"rb", "gb", "bb", "ab"};
  for (int i = 0; i < 4; ++i) {
    c.vm.SetMember(self, multNames[i], Num(cx.mult[i] / 2.56));
    c.vm.SetMember(self, addNames[i], Num(cx.add[i]));
  }
  return self;
}

}  // namespace

void InstallMovieClip(ScriptRuntime& rt) {
  rt.clipProto = rt.NewObject();
  rt.Class("MovieClip", Nothing, nullptr, rt.clipProto);
  ScriptObject* p = rt.clipProto;
  const struct {
    const char* name;
    int tag;
  } timeline[] = {{"play", Play},           {"stop", StopIt},           {"nextFrame", NextFrame},
                  {"prevFrame", PrevFrame}, {"gotoAndPlay", GotoAndPlay}, {"gotoAndStop", GotoAndStop}};
  for (const auto& m : timeline) rt.Method(p, m.name, Timeline, m.tag, kHidden);
  rt.Method(p, "attachMovie", AttachMovie, 0, kHidden);
  rt.Method(p, "createEmptyMovieClip", CreateEmptyMovieClip, 0, kHidden);
  rt.Method(p, "duplicateMovieClip", DuplicateMovieClip, 0, kHidden);
  rt.Method(p, "attachBitmap", AttachBitmap, 0, kHidden);
  rt.Method(p, "removeMovieClip", RemoveMovieClip, 0, kHidden);
  rt.Method(p, "swapDepths", SwapDepths, 0, kHidden);
  rt.Method(p, "getDepth", GetDepth, 0, kHidden | PropertyFlag::Version6);
  rt.Method(p, "getNextHighestDepth", GetNextHighestDepth, 0, kHidden | PropertyFlag::Version7);
  rt.Method(p, "getInstanceAtDepth", GetInstanceAtDepth, 0, kHidden | PropertyFlag::Version7);
  rt.Method(p, "getBounds", GetBounds, 0, kHidden);
  rt.Method(p, "getRect", GetBounds, 1, kHidden | PropertyFlag::Version8);
  rt.Method(p, "localToGlobal", ConvertPoint, 0, kHidden);
  rt.Method(p, "globalToLocal", ConvertPoint, 1, kHidden);
  rt.Method(p, "hitTest", HitTest, 0, kHidden);
  rt.Method(p, "lineStyle", LineStyle, 0, kHidden | PropertyFlag::Version6);
  rt.Method(p, "beginFill", BeginFill, 0, kHidden | PropertyFlag::Version6);
  rt.Method(p, "beginGradientFill", BeginGradientFill, 0, kHidden | PropertyFlag::Version6);
  rt.Method(p, "moveTo", Path, MoveTo, kHidden | PropertyFlag::Version6);
  rt.Method(p, "lineTo", Path, LineTo, kHidden | PropertyFlag::Version6);
  rt.Method(p, "curveTo", Path, CurveTo, kHidden | PropertyFlag::Version6);
  rt.Method(p, "endFill", Path, EndFill, kHidden | PropertyFlag::Version6);
  rt.Method(p, "clear", Path, Clear, kHidden | PropertyFlag::Version6);
  rt.Method(p, "createTextField", CreateTextField, 0, kHidden | PropertyFlag::Version6);
  rt.Method(p, "setMask", SetMask, 0, kHidden | PropertyFlag::Version6);
  rt.Method(p, "getBytesLoaded", GetBytes, BytesLoaded, kHidden);
  rt.Method(p, "getBytesTotal", GetBytes, BytesTotal, kHidden);
  rt.Method(p, "loadMovie", LoadMovie, 0, kHidden);
  rt.Method(p, "unloadMovie", UnloadMovie, 0, kHidden);
  rt.Method(p, "getSWFVersion", GetSwfVersion, 0, kHidden | PropertyFlag::Version6);
  for (const char* name : {"loadVariables", "getURL", "startDrag", "stopDrag",
                           "attachAudio", "attachVideo"}) {
    rt.Method(p, name, Nothing, 0, kHidden);
  }
  rt.Value(p, "useHandCursor", ActionValue::Boolean(true), kHidden);
  rt.Value(p, "enabled", ActionValue::Boolean(true), kHidden);
  rt.Accessor(p, "blendMode", GetBlendMode, SetBlendMode, 0, kHidden | PropertyFlag::Version8);
  rt.Accessor(p, "filters", GetFilters, SetFilters, 0, kHidden | PropertyFlag::Version8);

  rt.buttonProto = rt.NewObject();
  rt.Class("Button", Nothing, nullptr, rt.buttonProto);
  rt.Method(rt.buttonProto, "getDepth", GetDepth, 0, kHidden | PropertyFlag::Version6);
  rt.Value(rt.buttonProto, "useHandCursor", ActionValue::Boolean(true), kHidden);
  rt.Value(rt.buttonProto, "enabled", ActionValue::Boolean(true), kHidden);
  rt.Accessor(rt.buttonProto, "filters", GetFilters, SetFilters, 0, kHidden | PropertyFlag::Version8);

  ScriptObject* color = rt.NewObject();
  rt.Class("Color", ColorConstruct, ColorConstruct, color);
  rt.Method(color, "setRGB", SetRgb, 0, kHidden);
  rt.Method(color, "getRGB", GetRgb, 0, kHidden);
  rt.Method(color, "setTransform", SetTransform, 0, kHidden);
  rt.Method(color, "getTransform", GetTransform, 0, kHidden);
}

}  // namespace Halvane::Movie::Builtins
