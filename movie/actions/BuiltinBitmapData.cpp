// flash.display.BitmapData of version 8 movies, kept in memory only.
//
// Pixels are stored as the player stores them, with the colour multiplied
// by alpha; a transparent bitmap therefore loses colour precision in
// translucent pixels, and scripts see the same rounding the player shows.
// The methods answer as the player's do: -1 when the bitmap is disposed or
// arguments are missing, other negative codes for an argument of the wrong
// kind (per method), else their result.
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "movie/actions/BitmapPixels.h"
#include "movie/actions/BuiltinGeometry.h"

namespace Halvane::Movie::Builtins {

namespace {

constexpr std::uint16_t kHidden = PropertyFlag::DontEnum | PropertyFlag::DontDelete;
const char* const kBudgetKey = "flash.display.BitmapData.budget";
const char* const kProtoKey = "flash.display.BitmapData.prototype";

ActionValue Code(int code) { return Num(code); }

// The pixel bytes of the movie's bitmaps, shared by every bitmap so that
// each gives its bytes back when it goes, whatever order the heap frees in.
struct BudgetState : NativeState {
  std::shared_ptr<std::size_t> used = std::make_shared<std::size_t>(0);
};

// The pixels outlive the script object while a clip shows them
// (attachBitmap); their bytes stay on the budget until the last holder goes.
struct SharedPixels {
  BitmapPixels pixels;
  std::shared_ptr<std::size_t> used;
  ~SharedPixels() { Release(); }
  void Release() {
    if (used && pixels.Bytes() <= *used) *used -= pixels.Bytes();
    pixels.Dispose();
  }
};

struct BitmapState : NativeState {
  std::shared_ptr<SharedPixels> shared = std::make_shared<SharedPixels>();
  BitmapPixels& pixels = shared->pixels;
  void Release() { shared->Release(); }
};

std::shared_ptr<std::size_t> Budget(ScriptRuntime& rt) {
  auto it = rt.keep.find(kBudgetKey);
  if (it == rt.keep.end() || it->second.ObjectValue() == nullptr) return nullptr;
  auto* state = NativeStateOf<BudgetState>(it->second.ObjectValue());
  return state ? state->used : nullptr;
}

BitmapState* StateOf(const ActionValue& v) {
  return NativeStateOf<BitmapState>(v.ObjectValue());
}

// this as a live bitmap, or null (disposed, or no bitmap at all).
BitmapPixels* Live(NativeCall& c) {
  BitmapState* s = StateOf(c.thisValue);
  return s != nullptr && !s->pixels.Disposed() ? &s->pixels : nullptr;
}

BitmapPixels* LiveArg(NativeCall& c, std::size_t i) {
  BitmapState* s = StateOf(c.Arg(i));
  return s != nullptr && !s->pixels.Disposed() ? &s->pixels : nullptr;
}

bool HasFields(NativeCall& c, const ActionValue& v, std::initializer_list<const char*> names) {
  if (!v.IsObject()) return false;
  for (const char* name : names) {
    if (ObjectMember(c, v, name).IsUndefined()) return false;
  }
  return true;
}

// A rectangle argument: any object with x, y, width and height.
bool ReadRect(NativeCall& c, const ActionValue& v, BitmapArea& out) {
  if (!HasFields(c, v, {"x", "y", "width", "height"})) return false;
  out = BitmapArea{TruncateToInt32(ObjectNumber(c, v, "x")), TruncateToInt32(ObjectNumber(c, v, "y")),
                   TruncateToInt32(ObjectNumber(c, v, "width")), TruncateToInt32(ObjectNumber(c, v, "height"))};
  return true;
}

// A point argument: any object with x and y.
bool ReadPoint(NativeCall& c, const ActionValue& v, std::int32_t& x, std::int32_t& y) {
  if (!HasFields(c, v, {"x", "y"})) return false;
  x = TruncateToInt32(ObjectNumber(c, v, "x"));
  y = TruncateToInt32(ObjectNumber(c, v, "y"));
  return true;
}

std::uint32_t ArgColor(NativeCall& c, std::size_t i) {
  return static_cast<std::uint32_t>(WrapToInt32(ArgNumber(c, i)));
}

// Coordinates from scripts reach the ends of the 32-bit range; sums of them
// are taken wide and clamped, which keeps far-off areas far off.
std::int32_t Sum(std::int64_t a, std::int64_t b, std::int64_t c = 0, std::int64_t d = 0) {
  const std::int64_t v = a + b + c + d;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

// Work on pixels costs budget by the pixels touched, so that a loop over a
// large bitmap ends with the frame's budget like any other loop.
void ChargePixels(NativeCall& c, std::int64_t width, std::int64_t height) {
  if (width > 0 && height > 0) c.vm.Work(static_cast<std::size_t>(width * height / 64));
}

ActionValue Signed(std::uint32_t argb) { return Num(static_cast<std::int32_t>(argb)); }

// A new bitmap object around state; undefined when the pixel budget or the
// heap is spent.
ActionValue NewBitmap(NativeCall& c, std::int32_t width, std::int32_t height, bool transparent, std::uint32_t fill,
                      BitmapState** made = nullptr) {
  if (!BitmapPixels::SizeAllowed(width, height)) return ActionValue();
  std::shared_ptr<std::size_t> used = Budget(Rt(c));
  const std::size_t bytes = BitmapPixels::BytesFor(width, height);
  if (used == nullptr || bytes > BitmapPixels::MaxTotalBytes - *used) return ActionValue();
  ChargePixels(c, width, height);
  auto state = std::make_unique<BitmapState>();
  if (!state->pixels.Create(width, height, transparent, fill)) return ActionValue();
  *used += bytes;
  state->shared->used = used;
  BitmapState* raw = state.get();
  auto it = Rt(c).keep.find(kProtoKey);
  ScriptObject* proto = it != Rt(c).keep.end() ? it->second.ObjectValue() : nullptr;
  ScriptObject* o = NewNativeInstance(c, proto, std::move(state));
  if (o == nullptr) return ActionValue();
  if (made != nullptr) *made = raw;
  return Obj(o);
}

ActionValue BitmapConstruct(NativeCall& c) {
  if (c.Count() < 2) return ActionValue();
  return NewBitmap(c, ArgInt(c, 0), ArgInt(c, 1), c.Has(2) ? ArgTruth(c, 2) : true,
                   c.Has(3) ? ArgColor(c, 3) : 0xFFFFFFFFu);
}

// The control keeps no library bitmaps for scripts: loading one answers
// nothing.
ActionValue LoadBitmap(NativeCall&) { return ActionValue(); }

// --- Properties: -1 once disposed.

enum Property { Width, Height, Transparent, Rectangle };

ActionValue GetProperty(NativeCall& c) {
  BitmapPixels* p = Live(c);
  if (p == nullptr) return Code(-1);
  switch (c.Tag()) {
    case Width:
      return Num(p->Width());
    case Height:
      return Num(p->Height());
    case Transparent:
      return Bool(p->Transparent());
    default:
      return NewGeometry(c, GeometryClass::Rectangle, {Num(0), Num(0), Num(p->Width()), Num(p->Height())});
  }
}

// --- Single pixels

ActionValue GetPixel(NativeCall& c) {
  BitmapPixels* p = Live(c);
  if (p == nullptr || c.Count() < 2) return Code(-1);
  const std::uint32_t argb = p->Get(ArgInt(c, 0), ArgInt(c, 1));
  return c.Tag() == 0 ? Num(argb & 0xFFFFFF) : Signed(argb);
}

ActionValue SetPixel(NativeCall& c) {
  BitmapPixels* p = Live(c);
  if (p == nullptr || c.Count() < 3) return Code(-1);
  const std::int32_t x = ArgInt(c, 0), y = ArgInt(c, 1);
  std::uint32_t argb = ArgColor(c, 2);
  // setPixel keeps the pixel's alpha.
  if (c.Tag() == 0) argb = (p->Get(x, y) & 0xFF000000u) | (argb & 0xFFFFFFu);
  p->Set(x, y, argb);
  return Code(0);
}

// --- Areas

ActionValue FillRect(NativeCall& c) {
  BitmapPixels* p = Live(c);
  BitmapArea r;
  if (p == nullptr || c.Count() < 2 || !ReadRect(c, c.Arg(0), r)) return Code(-1);
  const BitmapArea area = p->Clip(r);
  ChargePixels(c, area.width, area.height);
  p->FillRect(r, ArgColor(c, 1));
  return Code(0);
}

ActionValue FloodFill(NativeCall& c) {
  BitmapPixels* p = Live(c);
  if (p == nullptr || c.Count() < 3) return Code(-1);
  ChargePixels(c, p->Width(), p->Height());
  return Num(p->FloodFill(ArgInt(c, 0), ArgInt(c, 1), ArgColor(c, 2)) ? 1 : 0);
}

std::uint32_t Channel(double v) {
  if (!(v > 0)) return 0;
  return v >= 255 ? 255 : static_cast<std::uint32_t>(v);
}

struct ColorScale {
  double mult[4] = {1, 1, 1, 1};  // alpha, red, green, blue
  double add[4] = {0, 0, 0, 0};
  std::uint32_t Apply(std::uint32_t argb) const {
    std::uint32_t out = 0;
    for (int i = 0; i < 4; ++i) {
      const int shift = 24 - 8 * i;
      out |= Channel(((argb >> shift) & 0xFF) * mult[i] + add[i]) << shift;
    }
    return out;
  }
};

ColorScale ReadColorScale(NativeCall& c, const ActionValue& v) {
  ColorScale s;
  const char* mult[] = {"alphaMultiplier", "redMultiplier", "greenMultiplier", "blueMultiplier"};
  const char* add[] = {"alphaOffset", "redOffset", "greenOffset", "blueOffset"};
  for (int i = 0; i < 4; ++i) {
    s.mult[i] = ObjectNumber(c, v, mult[i]);
    s.add[i] = ObjectNumber(c, v, add[i]);
  }
  return s;
}

ActionValue ColorTransformMethod(NativeCall& c) {
  BitmapPixels* p = Live(c);
  if (p == nullptr || c.Count() < 2) return Code(-1);
  BitmapArea r;
  if (!ReadRect(c, c.Arg(0), r)) return Code(-2);
  if (!c.vm.IsInstanceOf(c.Arg(1), GeometryConstructor(Rt(c), GeometryClass::ColorTransform))) return Code(-3);
  const ColorScale scale = ReadColorScale(c, c.Arg(1));
  const BitmapArea area = p->Clip(r);
  ChargePixels(c, area.width, area.height);
  for (std::int32_t y = area.y; y < area.y + area.height; ++y) {
    for (std::int32_t x = area.x; x < area.x + area.width; ++x) p->Set(x, y, scale.Apply(p->Get(x, y)));
  }
  return Code(-1);
}

// Channels are the bits 1 (red), 2 (green), 4 (blue) and 8 (alpha).
int ChannelShift(std::int32_t channel) {
  switch (channel) {
    case 1:
      return 16;
    case 2:
      return 8;
    case 4:
      return 0;
    case 8:
      return 24;
    default:
      return -1;
  }
}

ActionValue CopyChannel(NativeCall& c) {
  BitmapPixels* p = Live(c);
  if (p == nullptr || c.Count() < 5) return Code(-1);
  BitmapState* source = StateOf(c.Arg(0));
  if (source == nullptr) return Code(-2);
  if (source->pixels.Disposed()) return Code(-3);
  BitmapArea r;
  if (!ReadRect(c, c.Arg(1), r)) return Code(-4);
  // A missing destination or coordinate counts as 0, a source channel that
  // names none copies zeros, a destination channel that names none does
  // nothing.
  const std::int32_t dx = TruncateToInt32(ObjectNumber(c, c.Arg(2), "x"));
  const std::int32_t dy = TruncateToInt32(ObjectNumber(c, c.Arg(2), "y"));
  const int from = ChannelShift(ArgInt(c, 3)), to = ChannelShift(ArgInt(c, 4));
  if (to < 0) return Code(-1);
  const BitmapPixels& src = source->pixels;
  const BitmapArea area = src.Clip(r);
  ChargePixels(c, area.width, area.height);
  // A copy first: the source may be this bitmap.
  std::vector<std::uint32_t> values;
  values.reserve(static_cast<std::size_t>(area.width) * static_cast<std::size_t>(area.height));
  for (std::int32_t y = area.y; y < area.y + area.height; ++y) {
    for (std::int32_t x = area.x; x < area.x + area.width; ++x) {
      values.push_back(from < 0 ? 0 : (src.Get(x, y) >> from) & 0xFF);
    }
  }
  std::size_t i = 0;
  for (std::int32_t y = 0; y < area.height; ++y) {
    for (std::int32_t x = 0; x < area.width; ++x, ++i) {
      const std::int32_t tx = Sum(dx, area.x, -std::int64_t{r.x}, x), ty = Sum(dy, area.y, -std::int64_t{r.y}, y);
      if (!p->Contains(tx, ty)) continue;
      const std::uint32_t old = p->Get(tx, ty);
      p->Set(tx, ty, (old & ~(0xFFu << to)) | (values[i] << to));
    }
  }
  return Code(-1);
}

// --- Hit testing

std::uint32_t Alpha(const BitmapPixels& p, std::int32_t x, std::int32_t y) {
  return p.Transparent() ? p.Stored(x, y) >> 24 : 255;
}

// A pixel hits when its alpha reaches the threshold; a fully transparent
// one never does, even against a threshold of 0.
bool AlphaHit(const BitmapPixels& p, std::int32_t x, std::int32_t y, std::int32_t threshold) {
  if (!p.Contains(x, y)) return false;
  const std::uint32_t alpha = Alpha(p, x, y);
  return alpha > 0 && static_cast<std::int64_t>(alpha) >= threshold;
}

ActionValue HitTest(NativeCall& c) {
  BitmapPixels* p = Live(c);
  if (p == nullptr || c.Count() < 3) return Code(-1);
  std::int32_t fx = 0, fy = 0;
  if (!ReadPoint(c, c.Arg(0), fx, fy)) return Code(-2);
  const std::int32_t threshold = ArgInt(c, 1);
  const ActionValue& second = c.Arg(2);
  if (BitmapState* other = StateOf(second)) {
    if (other->pixels.Disposed()) return Code(-3);
    std::int32_t sx = 0, sy = 0;
    if (c.Has(3) && !ReadPoint(c, c.Arg(3), sx, sy)) return Code(-4);
    const std::int32_t secondThreshold = c.Has(4) ? ArgInt(c, 4) : 1;
    const BitmapPixels& o = other->pixels;
    // The other bitmap's area in this bitmap's pixels.
    const BitmapArea overlap =
        p->Clip(BitmapArea{Sum(sx, -std::int64_t{fx}), Sum(sy, -std::int64_t{fy}), o.Width(), o.Height()});
    ChargePixels(c, overlap.width, overlap.height);
    for (std::int32_t y = overlap.y; y < overlap.y + overlap.height; ++y) {
      for (std::int32_t x = overlap.x; x < overlap.x + overlap.width; ++x) {
        if (AlphaHit(*p, x, y, threshold) &&
            AlphaHit(o, Sum(x, fx, -std::int64_t{sx}), Sum(y, fy, -std::int64_t{sy}), secondThreshold)) {
          return Bool(true);
        }
      }
    }
    return Bool(false);
  }
  BitmapArea r;
  if (c.vm.IsInstanceOf(second, GeometryConstructor(Rt(c), GeometryClass::Rectangle)) && ReadRect(c, second, r)) {
    const BitmapArea area =
        p->Clip(BitmapArea{Sum(r.x, -std::int64_t{fx}), Sum(r.y, -std::int64_t{fy}), r.width, r.height});
    ChargePixels(c, area.width, area.height);
    for (std::int32_t y = area.y; y < area.y + area.height; ++y) {
      for (std::int32_t x = area.x; x < area.x + area.width; ++x) {
        if (AlphaHit(*p, x, y, threshold)) return Bool(true);
      }
    }
    return Bool(false);
  }
  std::int32_t px = 0, py = 0;
  if (!ReadPoint(c, second, px, py)) return Code(-3);
  return Bool(AlphaHit(*p, Sum(px, -std::int64_t{fx}), Sum(py, -std::int64_t{fy}), threshold));
}

// --- Whole bitmaps

ActionValue Clone(NativeCall& c) {
  BitmapPixels* p = Live(c);
  if (p == nullptr) return Code(-1);
  BitmapState* made = nullptr;
  const ActionValue copy = NewBitmap(c, p->Width(), p->Height(), p->Transparent(), 0, &made);
  if (made != nullptr) {
    for (std::int32_t y = 0; y < p->Height(); ++y) {
      for (std::int32_t x = 0; x < p->Width(); ++x) made->pixels.Set(x, y, p->Get(x, y));
    }
  }
  return copy;
}

ActionValue Dispose(NativeCall& c) {
  BitmapState* s = StateOf(c.thisValue);
  if (s == nullptr || s->pixels.Disposed()) return Code(-1);
  s->Release();
  return ActionValue();
}

// 0 when equal; -3 or -4 when the widths or heights differ; else a bitmap of
// the differences: colour differences opaque, alpha-only ones white with the
// alpha difference.
ActionValue Compare(NativeCall& c) {
  BitmapPixels* p = Live(c);
  if (p == nullptr || c.Count() < 1) return Code(-1);
  BitmapPixels* o = LiveArg(c, 0);
  if (o == nullptr) return Code(-2);
  if (o == p) return Code(0);
  if (o->Width() != p->Width()) return Code(-3);
  if (o->Height() != p->Height()) return Code(-4);
  ChargePixels(c, p->Width(), p->Height());
  std::vector<std::uint32_t> diff(static_cast<std::size_t>(p->Width()) * static_cast<std::size_t>(p->Height()));
  bool any = false;
  std::size_t i = 0;
  for (std::int32_t y = 0; y < p->Height(); ++y) {
    for (std::int32_t x = 0; x < p->Width(); ++x, ++i) {
      const std::uint32_t a = p->Get(x, y), b = o->Get(x, y);
      if (a == b) continue;
      any = true;
      if ((a & 0xFFFFFF) != (b & 0xFFFFFF)) {
        std::uint32_t d = 0xFF000000u;
        for (int shift = 0; shift <= 16; shift += 8)
          d |= ((((a >> shift) & 0xFF) - ((b >> shift) & 0xFF)) & 0xFF) << shift;
        diff[i] = d;
      } else {
        diff[i] = ((((a >> 24) - (b >> 24)) & 0xFF) << 24) | 0xFFFFFF;
      }
    }
  }
  if (!any) return Code(0);
  BitmapState* made = nullptr;
  const ActionValue result = NewBitmap(c, p->Width(), p->Height(), true, 0, &made);
  if (made != nullptr) {
    i = 0;
    for (std::int32_t y = 0; y < p->Height(); ++y) {
      for (std::int32_t x = 0; x < p->Width(); ++x) made->pixels.Set(x, y, diff[i++]);
    }
  }
  return result;
}

// Source over destination, unmultiplied colours in and out.
std::uint32_t Over(std::uint32_t src, std::uint32_t dst) {
  const std::uint32_t sa = src >> 24;
  if (sa == 255) return src;
  if (sa == 0) return dst;
  const std::uint32_t da = dst >> 24;
  const std::uint32_t outA = sa + da * (255 - sa) / 255;
  if (outA == 0) return 0;
  std::uint32_t out = outA << 24;
  for (int shift = 0; shift <= 16; shift += 8) {
    const std::uint32_t sc = (src >> shift) & 0xFF, dc = (dst >> shift) & 0xFF;
    const std::uint32_t premul = sc * sa + dc * da * (255 - sa) / 255;
    out |= std::min<std::uint32_t>(255, premul / outA) << shift;
  }
  return out;
}

// draw: another bitmap through a matrix (nearest pixel), an optional colour
// transform and clip rectangle. Display objects are not drawn here: the
// actions layer has no renderer.
ActionValue Draw(NativeCall& c) {
  BitmapPixels* p = Live(c);
  if (p == nullptr) return Code(-1);
  BitmapPixels* src = LiveArg(c, 0);
  if (src == nullptr) return ActionValue();
  double m[6] = {1, 0, 0, 1, 0, 0};
  if (c.Arg(1).IsObject()) {
    const char* names[] = {"a", "b", "c", "d", "tx", "ty"};
    for (int i = 0; i < 6; ++i) m[i] = ObjectNumber(c, c.Arg(1), names[i]);
  }
  const double det = m[0] * m[3] - m[1] * m[2];
  if (!std::isfinite(det) || det == 0 || !std::isfinite(m[4]) || !std::isfinite(m[5])) return ActionValue();
  const bool transformed = c.vm.IsInstanceOf(c.Arg(2), GeometryConstructor(Rt(c), GeometryClass::ColorTransform));
  const ColorScale scale = transformed ? ReadColorScale(c, c.Arg(2)) : ColorScale();
  BitmapArea clip{0, 0, p->Width(), p->Height()};
  if (c.Arg(4).IsObject()) ReadRect(c, c.Arg(4), clip);
  const BitmapArea area = p->Clip(clip);
  ChargePixels(c, area.width, area.height);
  // Each destination pixel takes the source pixel its centre maps back to.
  const double ia = m[3] / det, ib = -m[1] / det, ic = -m[2] / det, id = m[0] / det;
  for (std::int32_t y = area.y; y < area.y + area.height; ++y) {
    for (std::int32_t x = area.x; x < area.x + area.width; ++x) {
      const double cx = x + 0.5 - m[4], cy = y + 0.5 - m[5];
      const double sx = std::floor(ia * cx + ic * cy), sy = std::floor(ib * cx + id * cy);
      if (!(sx >= 0 && sy >= 0 && sx < src->Width() && sy < src->Height())) continue;
      std::uint32_t color = src->Get(static_cast<std::int32_t>(sx), static_cast<std::int32_t>(sy));
      if (!src->Transparent()) color |= 0xFF000000u;
      if (transformed) color = scale.Apply(color);
      p->Set(x, y, Over(color, p->Get(x, y)));
    }
  }
  return ActionValue();
}

// The source area of a copy from src to this bitmap (rect clipped to the
// source, then to this bitmap at the destination point), and where it lands.
struct CopyArea {
  BitmapArea from;
  std::int32_t toX = 0, toY = 0;
};

CopyArea AreaOfCopy(NativeCall& c, const BitmapPixels& src, const BitmapPixels& dst, const BitmapArea& r,
                    const ActionValue& point) {
  CopyArea area;
  area.from = src.Clip(r);
  std::int32_t tx = Sum(TruncateToInt32(ObjectNumber(c, point, "x")), area.from.x, -std::int64_t{r.x});
  std::int32_t ty = Sum(TruncateToInt32(ObjectNumber(c, point, "y")), area.from.y, -std::int64_t{r.y});
  const BitmapArea to = dst.Clip(BitmapArea{tx, ty, area.from.width, area.from.height});
  if (to.width == 0 || to.height == 0) return CopyArea{};
  // Not empty, so tx and ty lie within a bitmap's side of this bitmap.
  area.from = BitmapArea{area.from.x + (to.x - tx), area.from.y + (to.y - ty), to.width, to.height};
  area.toX = to.x;
  area.toY = to.y;
  return area;
}

// Reads the source area first: the source may be this bitmap.
std::vector<std::uint32_t> ReadArea(const BitmapPixels& src, const BitmapArea& r) {
  std::vector<std::uint32_t> values;
  values.reserve(static_cast<std::size_t>(r.width) * static_cast<std::size_t>(r.height));
  for (std::int32_t y = r.y; y < r.y + r.height; ++y) {
    for (std::int32_t x = r.x; x < r.x + r.width; ++x) {
      values.push_back(src.Transparent() ? src.Get(x, y) : src.Get(x, y) | 0xFF000000u);
    }
  }
  return values;
}

ActionValue CopyPixels(NativeCall& c) {
  BitmapPixels* p = Live(c);
  if (p == nullptr || c.Count() < 3) return Code(-1);
  BitmapPixels* src = LiveArg(c, 0);
  BitmapArea r;
  if (src == nullptr || !ReadRect(c, c.Arg(1), r)) return Code(-1);
  const bool merge = c.Has(5) && ArgTruth(c, 5);
  const CopyArea area = AreaOfCopy(c, *src, *p, r, c.Arg(2));
  const std::vector<std::uint32_t> values = ReadArea(*src, area.from);
  ChargePixels(c, area.from.width, area.from.height);
  std::size_t i = 0;
  for (std::int32_t y = 0; y < area.from.height; ++y) {
    for (std::int32_t x = 0; x < area.from.width; ++x, ++i) {
      const std::int32_t tx = area.toX + x, ty = area.toY + y;
      p->Set(tx, ty, merge ? Over(values[i], p->Get(tx, ty)) : values[i]);
    }
  }
  return ActionValue();
}

// The player's noise generator: the minimal standard multiplicative
// generator (16807 modulo 2^31 - 1), each draw taken modulo the range.
class NoiseSource {
 public:
  explicit NoiseSource(std::int32_t seed) {
    // Seeds of 0 and below count from 1 upward (-1 acts as 2).
    std::int64_t s = seed;
    if (s <= 0) s = 1 - s;
    s %= kModulus;
    state_ = s == 0 ? 1 : s;
  }
  std::uint32_t Next(std::uint32_t low, std::uint32_t high) {
    state_ = state_ * 16807 % kModulus;
    if (high < low) return low;
    return low + static_cast<std::uint32_t>(state_ % (high - low + 1));
  }

 private:
  static constexpr std::int64_t kModulus = 2147483647;
  std::int64_t state_;
};

std::uint32_t ChannelArg(NativeCall& c, std::size_t i, std::uint32_t fallback) {
  if (!c.Has(i)) return fallback;
  return static_cast<std::uint32_t>(std::clamp<std::int32_t>(ArgInt(c, i), 0, 255));
}

ActionValue Noise(NativeCall& c) {
  BitmapPixels* p = Live(c);
  if (p == nullptr || c.Count() < 1) return Code(-1);
  NoiseSource random(ArgInt(c, 0));
  const std::uint32_t low = ChannelArg(c, 1, 0), high = ChannelArg(c, 2, 255);
  // An opaque bitmap draws no alpha values at all.
  const std::int32_t channels = (c.Has(3) ? ArgInt(c, 3) : 7) & (p->Transparent() ? 15 : 7);
  const bool gray = c.Has(4) && ArgTruth(c, 4);
  ChargePixels(c, p->Width(), p->Height());
  for (std::int32_t y = 0; y < p->Height(); ++y) {
    for (std::int32_t x = 0; x < p->Width(); ++x) {
      std::uint32_t argb = 0;
      if (gray) {
        const std::uint32_t v = random.Next(low, high);
        argb = v << 16 | v << 8 | v;
      } else {
        if (channels & 1) argb |= random.Next(low, high) << 16;
        if (channels & 2) argb |= random.Next(low, high) << 8;
        if (channels & 4) argb |= random.Next(low, high);
      }
      const std::uint32_t alpha = (channels & 8) != 0 ? random.Next(low, high) : 255;
      // Noise multiplies by alpha the quick way (a rounded shift, not a
      // division), which the colours read back show.
      std::uint32_t stored = alpha << 24;
      for (int shift = 0; shift <= 16; shift += 8) {
        stored |= ((((argb >> shift) & 0xFF) * alpha + 128) >> 8) << shift;
      }
      p->SetStored(x, y, alpha == 255 ? argb | 0xFF000000u : stored);
    }
  }
  return Code(0);
}

ActionValue GetColorBoundsRect(NativeCall& c) {
  BitmapPixels* p = Live(c);
  if (p == nullptr || c.Count() < 2) return Code(-1);
  const std::uint32_t mask = ArgColor(c, 0), color = ArgColor(c, 1);
  const bool find = c.Has(2) ? ArgTruth(c, 2) : true;
  std::int32_t left = p->Width(), top = p->Height(), right = -1, bottom = -1;
  ChargePixels(c, p->Width(), p->Height());
  for (std::int32_t y = 0; y < p->Height(); ++y) {
    for (std::int32_t x = 0; x < p->Width(); ++x) {
      std::uint32_t argb = p->Get(x, y);
      if (!p->Transparent()) argb |= 0xFF000000u;
      if (((argb & mask) == color) != find) continue;
      left = std::min(left, x);
      top = std::min(top, y);
      right = std::max(right, x);
      bottom = std::max(bottom, y);
    }
  }
  // The player reads a far corner still at the origin as nothing found, so
  // a lone pixel at (0, 0) gives an empty rectangle.
  if (right <= 0 && bottom <= 0) return NewGeometry(c, GeometryClass::Rectangle, {Num(0), Num(0), Num(0), Num(0)});
  return NewGeometry(c, GeometryClass::Rectangle, {Num(left), Num(top), Num(right - left + 1), Num(bottom - top + 1)});
}

// Dissolves pixel 0 of the area and then numPixels more in the register's
// order, filling with the colour when the source is this bitmap and
// copying the source's pixels as stored otherwise. Answers the seed that
// continues the dissolve.
ActionValue PixelDissolve(NativeCall& c) {
  BitmapPixels* p = Live(c);
  if (p == nullptr || c.Count() < 5) return Code(-1);
  BitmapState* source = StateOf(c.Arg(0));
  if (source == nullptr) return Code(-2);
  if (source->pixels.Disposed()) return Code(-3);
  BitmapArea r;
  if (!ReadRect(c, c.Arg(1), r)) return Code(-4);
  const ActionValue& seedValue = c.Arg(3);
  const std::uint32_t seed = static_cast<std::uint32_t>(ArgInt(c, 3));
  const std::uint32_t count = static_cast<std::uint32_t>(ArgInt(c, 4));
  const std::uint32_t fill = c.Has(5) ? ArgColor(c, 5) : 0;
  const BitmapPixels& src = source->pixels;
  const bool self = &src == p;
  // The source area inside the source, then its image inside this bitmap.
  BitmapArea from = src.Clip(r);
  const std::int32_t dx = Sum(TruncateToInt32(ObjectNumber(c, c.Arg(2), "x")), from.x, -std::int64_t{r.x});
  const std::int32_t dy = Sum(TruncateToInt32(ObjectNumber(c, c.Arg(2), "y")), from.y, -std::int64_t{r.y});
  const BitmapArea to = p->Clip(BitmapArea{dx, dy, from.width, from.height});
  if (to.width == 0 || to.height == 0) return seedValue;
  from.x += to.x - dx;
  from.y += to.y - dy;
  const std::uint32_t area = static_cast<std::uint32_t>(to.width) * static_cast<std::uint32_t>(to.height);
  auto dissolve = [&](std::uint32_t index) {
    const std::int32_t ox = static_cast<std::int32_t>(index % static_cast<std::uint32_t>(to.width));
    const std::int32_t oy = static_cast<std::int32_t>(index / static_cast<std::uint32_t>(to.width));
    if (self)
      p->Set(to.x + ox, to.y + oy, fill);
    else
      p->SetStored(to.x + ox, to.y + oy, src.Stored(from.x + ox, from.y + oy));
  };
  dissolve(0);
  if (count == 0 || area < 2) return seedValue;
  // Whole periods visit every pixel again and end where they started.
  const std::uint32_t steps = count % (area - 1) == 0 ? area - 1 : count % (area - 1);
  const bool wraps = count >= area - 1;
  DissolveOrder order(area, seed);
  c.vm.Work((wraps ? area : steps) / 16);
  for (std::uint32_t i = 0; i < steps; ++i) {
    dissolve(order.Current());
    order.Advance();
  }
  const std::uint32_t next = order.Current();
  // The rest of the period, for the pixels a partial pass would miss.
  for (std::uint32_t i = steps; wraps && i < area - 1; ++i) {
    dissolve(order.Current());
    order.Advance();
  }
  return Num(next);
}

// threshold: pixels of the source that pass the test against the
// threshold (both masked) take the colour; the others are copied from the
// source when asked. Answers how many passed.
ActionValue Threshold(NativeCall& c) {
  BitmapPixels* p = Live(c);
  if (p == nullptr || c.Count() < 5) return Code(-1);
  BitmapPixels* src = LiveArg(c, 0);
  BitmapArea r;
  if (src == nullptr || !ReadRect(c, c.Arg(1), r)) return Code(-1);
  const std::string operation = ArgText(c, 3);
  const std::uint32_t mask = c.Has(6) ? ArgColor(c, 6) : 0xFFFFFFFFu;
  const std::uint32_t limit = ArgColor(c, 4) & mask;
  const std::uint32_t color = c.Has(5) ? ArgColor(c, 5) : 0;
  const bool copySource = c.Has(7) && ArgTruth(c, 7);
  auto passes = [&](std::uint32_t v) {
    v &= mask;
    if (operation == "<") return v < limit;
    if (operation == "<=") return v <= limit;
    if (operation == ">") return v > limit;
    if (operation == ">=") return v >= limit;
    if (operation == "==") return v == limit;
    if (operation == "!=") return v != limit;
    return false;
  };
  const CopyArea area = AreaOfCopy(c, *src, *p, r, c.Arg(2));
  const std::vector<std::uint32_t> values = ReadArea(*src, area.from);
  ChargePixels(c, area.from.width, area.from.height);
  std::size_t i = 0, count = 0;
  for (std::int32_t y = 0; y < area.from.height; ++y) {
    for (std::int32_t x = 0; x < area.from.width; ++x, ++i) {
      if (passes(values[i])) {
        p->Set(area.toX + x, area.toY + y, color);
        ++count;
      } else if (copySource) {
        p->Set(area.toX + x, area.toY + y, values[i]);
      }
    }
  }
  return Num(static_cast<double>(count));
}

// merge: each channel moves toward the source's by its multiplier (0 to
// 256).
ActionValue Merge(NativeCall& c) {
  BitmapPixels* p = Live(c);
  if (p == nullptr || c.Count() < 7) return Code(-1);
  BitmapPixels* src = LiveArg(c, 0);
  BitmapArea r;
  if (src == nullptr || !ReadRect(c, c.Arg(1), r)) return Code(-1);
  std::uint32_t mult[4];  // alpha, red, green, blue
  const std::size_t order[4] = {6, 3, 4, 5};
  for (int i = 0; i < 4; ++i)
    mult[i] = static_cast<std::uint32_t>(std::clamp<std::int32_t>(ArgInt(c, order[i]), 0, 256));
  const CopyArea area = AreaOfCopy(c, *src, *p, r, c.Arg(2));
  const std::vector<std::uint32_t> values = ReadArea(*src, area.from);
  ChargePixels(c, area.from.width, area.from.height);
  std::size_t i = 0;
  for (std::int32_t y = 0; y < area.from.height; ++y) {
    for (std::int32_t x = 0; x < area.from.width; ++x, ++i) {
      const std::uint32_t s = values[i], d = p->Get(area.toX + x, area.toY + y);
      std::uint32_t out = 0;
      for (int k = 0; k < 4; ++k) {
        const int shift = 24 - 8 * k;
        const std::uint32_t sc = (s >> shift) & 0xFF, dc = (d >> shift) & 0xFF;
        out |= ((sc * mult[k] + dc * (256 - mult[k])) / 256) << shift;
      }
      p->Set(area.toX + x, area.toY + y, out);
    }
  }
  return ActionValue();
}

// paletteMap: each channel looks its value up in its array (256 colours,
// summed over the channels); a channel without an array keeps its value.
ActionValue PaletteMap(NativeCall& c) {
  BitmapPixels* p = Live(c);
  if (p == nullptr || c.Count() < 3) return Code(-1);
  BitmapPixels* src = LiveArg(c, 0);
  BitmapArea r;
  if (src == nullptr || !ReadRect(c, c.Arg(1), r)) return Code(-1);
  // Tables in the order red, green, blue, alpha, as the arguments come.
  std::vector<std::uint32_t> tables[4];
  const int shifts[4] = {16, 8, 0, 24};
  for (int k = 0; k < 4; ++k) {
    const ActionValue& array = c.Arg(3 + static_cast<std::size_t>(k));
    if (!array.IsObject()) continue;
    // 256 member reads: charged like the actions that would read them.
    c.vm.Work(256);
    tables[k].resize(256);
    for (int v = 0; v < 256; ++v) {
      tables[k][static_cast<std::size_t>(v)] =
          static_cast<std::uint32_t>(WrapToInt32(c.vm.Number(c.vm.GetMember(array, Str(c, std::to_string(v))))));
    }
  }
  const CopyArea area = AreaOfCopy(c, *src, *p, r, c.Arg(2));
  const std::vector<std::uint32_t> values = ReadArea(*src, area.from);
  ChargePixels(c, area.from.width, area.from.height);
  std::size_t i = 0;
  for (std::int32_t y = 0; y < area.from.height; ++y) {
    for (std::int32_t x = 0; x < area.from.width; ++x, ++i) {
      std::uint32_t out = 0;
      for (int k = 0; k < 4; ++k) {
        const std::uint32_t v = (values[i] >> shifts[k]) & 0xFF;
        out += tables[k].empty() ? v << shifts[k] : tables[k][v];
      }
      p->Set(area.toX + x, area.toY + y, out);
    }
  }
  return ActionValue();
}

// scroll: moves the pixels as stored; what nothing moves into keeps its
// pixels.
ActionValue Scroll(NativeCall& c) {
  BitmapPixels* p = Live(c);
  if (p == nullptr || c.Count() < 2) return Code(-1);
  const std::int64_t dx = ArgInt(c, 0), dy = ArgInt(c, 1);
  if (dx <= -p->Width() || dx >= p->Width() || dy <= -p->Height() || dy >= p->Height()) return ActionValue();
  std::vector<std::uint32_t> stored;
  stored.reserve(static_cast<std::size_t>(p->Width()) * static_cast<std::size_t>(p->Height()));
  for (std::int32_t y = 0; y < p->Height(); ++y) {
    for (std::int32_t x = 0; x < p->Width(); ++x) stored.push_back(p->Stored(x, y));
  }
  ChargePixels(c, p->Width(), p->Height());
  std::size_t i = 0;
  for (std::int32_t y = 0; y < p->Height(); ++y) {
    for (std::int32_t x = 0; x < p->Width(); ++x, ++i) {
      p->SetStored(static_cast<std::int32_t>(x + dx), static_cast<std::int32_t>(y + dy), stored[i]);
    }
  }
  return ActionValue();
}

ActionValue Unsupported(NativeCall& c) { return Live(c) == nullptr ? Code(-1) : ActionValue(); }

}  // namespace

std::shared_ptr<const BitmapPixels> ShownPixels(const ActionValue& bitmap) {
  BitmapState* s = StateOf(bitmap);
  if (s == nullptr || s->pixels.Disposed()) return nullptr;
  return std::shared_ptr<const BitmapPixels>(s->shared, &s->shared->pixels);
}

void InstallBitmapData(ScriptRuntime& rt) {
  ScriptObject* display = FlashPackage(rt, "display");
  if (display == nullptr) return;
  ScriptObject* budget = rt.Heap().Make<NativeObject>(rt.CaseSensitive(), std::make_unique<BudgetState>());
  if (budget == nullptr) return;
  rt.keep[kBudgetKey] = ActionValue::Object(budget);
  ScriptObject* proto = rt.NewObject();
  rt.keep[kProtoKey] = ActionValue::Object(proto);
  FunctionObject* bitmapClass = rt.Class("BitmapData", ConstructOnlyThroughSuper, BitmapConstruct, proto, display);
  if (bitmapClass == nullptr) return;

  // The properties show in for-in, as the player's do.
  const struct {
    const char* name;
    int tag;
  } properties[] = {{"width", Width}, {"height", Height}, {"transparent", Transparent}, {"rectangle", Rectangle}};
  const struct {
    const char* name;
    int value;
  } channels[] = {{"RED_CHANNEL", 1}, {"GREEN_CHANNEL", 2}, {"BLUE_CHANNEL", 4}, {"ALPHA_CHANNEL", 8}};
  for (const auto& e : channels) rt.Value(bitmapClass, e.name, ActionValue::Number(e.value), 0);
  rt.Method(bitmapClass, "loadBitmap", LoadBitmap, 0, kHidden);
  for (const auto& e : properties) rt.Accessor(proto, e.name, GetProperty, nullptr, e.tag, PropertyFlag::DontDelete);
  rt.Method(proto, "getPixel", GetPixel, 0, kHidden);
  rt.Method(proto, "getPixel32", GetPixel, 1, kHidden);
  rt.Method(proto, "setPixel", SetPixel, 0, kHidden);
  rt.Method(proto, "setPixel32", SetPixel, 1, kHidden);
  rt.Method(proto, "fillRect", FillRect, 0, kHidden);
  rt.Method(proto, "floodFill", FloodFill, 0, kHidden);
  rt.Method(proto, "colorTransform", ColorTransformMethod, 0, kHidden);
  rt.Method(proto, "copyChannel", CopyChannel, 0, kHidden);
  rt.Method(proto, "hitTest", HitTest, 0, kHidden);
  rt.Method(proto, "clone", Clone, 0, kHidden);
  rt.Method(proto, "dispose", Dispose, 0, kHidden);
  rt.Method(proto, "compare", Compare, 0, kHidden);
  rt.Method(proto, "draw", Draw, 0, kHidden);
  rt.Method(proto, "copyPixels", CopyPixels, 0, kHidden);
  rt.Method(proto, "noise", Noise, 0, kHidden);
  rt.Method(proto, "pixelDissolve", PixelDissolve, 0, kHidden);
  rt.Method(proto, "getColorBoundsRect", GetColorBoundsRect, 0, kHidden);
  rt.Method(proto, "threshold", Threshold, 0, kHidden);
  rt.Method(proto, "merge", Merge, 0, kHidden);
  rt.Method(proto, "paletteMap", PaletteMap, 0, kHidden);
  rt.Method(proto, "scroll", Scroll, 0, kHidden);
  for (const char* name : {"applyFilter", "generateFilterRect", "perlinNoise"}) {
    rt.Method(proto, name, Unsupported, 0, kHidden);
  }
}

}  // namespace Halvane::Movie::Builtins
