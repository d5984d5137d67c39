// flash.geom.Transform of version 8 movies and the transform property of
// clips: a view of one clip's matrix and colour transform through the
// timeline. Each read answers a new Matrix or ColorTransform; changing that
// object changes nothing until it is assigned back.
#include <algorithm>
#include <cmath>

#include "movie/actions/ActionTarget.h"
#include "movie/actions/BuiltinGeometry.h"

namespace Halvane::Movie::Builtins {

namespace {

constexpr std::uint16_t kHidden = PropertyFlag::DontEnum | PropertyFlag::DontDelete;

// The clip is held by its script object, so that a removed clip's
// transform answers for the instance that takes its place, as clip
// references do.
struct TransformState : NativeState {
  ActionValue clip;
  void Trace(GcMarker& marker) override { marker.Mark(clip); }
};

ActionTarget* TargetOfTransform(NativeCall& c, const ActionValue& transform) {
  auto* state = NativeStateOf<TransformState>(transform.ObjectValue());
  return state != nullptr ? c.vm.TargetOf(state->clip) : nullptr;
}

ActionValue NewTransform(NativeCall& c, ActionTarget& target, bool useCallee) {
  auto state = std::make_unique<TransformState>();
  state->clip = c.vm.ClipValue(target);
  ScriptObject* proto = GeometryProto(Rt(c), GeometryClass::Transform);
  ScriptObject* o = nullptr;
  if (useCallee) {
    o = NewNativeInstance(c, proto, std::move(state));
  } else {
    o = Rt(c).Heap().Make<NativeObject>(Rt(c).CaseSensitive(), std::move(state));
    if (o != nullptr) o->SetProto(proto);
  }
  if (o == nullptr) {
    c.vm.Fault();
    return ActionValue();
  }
  return Obj(o);
}

// --- Conversions between the timeline's records and the script's objects.

struct Affine {
  double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
};

Affine FromRecord(const Matrix& m) {
  return {m.scaleX / 65536.0, m.rotateSkew0 / 65536.0, m.rotateSkew1 / 65536.0,
          m.scaleY / 65536.0, m.translateX / 20.0,     m.translateY / 20.0};
}

std::int32_t Fixed(double v, double scale) {
  const double r = std::round(v * scale);
  if (!(r == r)) return 0;
  return static_cast<std::int32_t>(std::clamp(r, -2147483648.0, 2147483647.0));
}

Matrix ToRecord(const Affine& a) {
  Matrix m;
  m.scaleX = Fixed(a.a, 65536);
  m.rotateSkew0 = Fixed(a.b, 65536);
  m.rotateSkew1 = Fixed(a.c, 65536);
  m.scaleY = Fixed(a.d, 65536);
  m.translateX = Fixed(a.tx, 20);
  m.translateY = Fixed(a.ty, 20);
  return m;
}

// child, then parent.
Affine Then(const Affine& m, const Affine& n) {
  return {m.a * n.a + m.b * n.c, m.a * n.b + m.b * n.d,          m.c * n.a + m.d * n.c,
          m.c * n.b + m.d * n.d, m.tx * n.a + m.ty * n.c + n.tx, m.tx * n.b + m.ty * n.d + n.ty};
}

ActionValue MatrixValue(NativeCall& c, const Affine& m) {
  return NewGeometry(c, GeometryClass::Matrix, {Num(m.a), Num(m.b), Num(m.c), Num(m.d), Num(m.tx), Num(m.ty)});
}

ActionValue ColorValue(NativeCall& c, const ColorTransform& cx) {
  return NewGeometry(c, GeometryClass::ColorTransform,
                     {Num(cx.mult[0] / 256.0), Num(cx.mult[1] / 256.0), Num(cx.mult[2] / 256.0),
                      Num(cx.mult[3] / 256.0), Num(cx.add[0]), Num(cx.add[1]), Num(cx.add[2]), Num(cx.add[3])});
}

// The records hold 16-bit values; a script's values wrap into them as they
// do in the player.
std::int16_t Wrap16(double v) { return static_cast<std::int16_t>(static_cast<std::uint16_t>(WrapToInt32(v))); }

// A colour transform inside its parent's, in the records' fixed point.
ColorTransform Inside(const ColorTransform& child, const ColorTransform& parent) {
  ColorTransform out;
  for (int i = 0; i < 4; ++i) {
    const std::int32_t pm = parent.mult[i];
    out.mult[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>((pm * child.mult[i]) >> 8));
    out.add[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(((pm * child.add[i]) >> 8) + parent.add[i]));
  }
  return out;
}

Affine Concatenated(ActionTarget& t) {
  Affine m = FromRecord(t.GetMatrix());
  int depth = 0;
  for (ActionTarget* p = t.Parent(); p != nullptr && depth < 4096; p = p->Parent(), ++depth) {
    m = Then(m, FromRecord(p->GetMatrix()));
  }
  return m;
}

// --- Transform

ActionValue TransformConstruct(NativeCall& c) {
  ActionTarget* t = c.Arg(0).IsClip() ? c.vm.TargetOf(c.Arg(0)) : nullptr;
  if (t == nullptr) return ActionValue();
  return NewTransform(c, *t, true);
}

enum Part { MatrixPart, ColorPart, ConcatenatedMatrix, ConcatenatedColor, PixelBoundsPart };

ActionValue GetPart(NativeCall& c) {
  ActionTarget* t = TargetOfTransform(c, c.thisValue);
  if (t == nullptr) return ActionValue();
  switch (c.Tag()) {
    case MatrixPart:
      return MatrixValue(c, FromRecord(t->GetMatrix()));
    case ColorPart:
      return ColorValue(c, t->GetColorTransform());
    case ConcatenatedMatrix:
      return MatrixValue(c, Concatenated(*t));
    case ConcatenatedColor: {
      ColorTransform cx = t->GetColorTransform();
      int depth = 0;
      for (ActionTarget* p = t->Parent(); p != nullptr && depth < 4096; p = p->Parent(), ++depth) {
        cx = Inside(cx, p->GetColorTransform());
      }
      return ColorValue(c, cx);
    }
    default: {
      // The clip's own bounds carried to the stage, as a bounding box.
      PixelBounds b;
      if (!t->GetBounds(t, b)) return NewGeometry(c, GeometryClass::Rectangle, {Num(0), Num(0), Num(0), Num(0)});
      const Affine m = Concatenated(*t);
      const double xs[] = {b.xMin, b.xMax}, ys[] = {b.yMin, b.yMax};
      double left = INFINITY, top = INFINITY, right = -INFINITY, bottom = -INFINITY;
      for (double x : xs) {
        for (double y : ys) {
          const double gx = m.a * x + m.c * y + m.tx, gy = m.b * x + m.d * y + m.ty;
          left = std::min(left, gx);
          right = std::max(right, gx);
          top = std::min(top, gy);
          bottom = std::max(bottom, gy);
        }
      }
      return NewGeometry(c, GeometryClass::Rectangle, {Num(left), Num(top), Num(right - left), Num(bottom - top)});
    }
  }
}

// Only objects of the right class are taken; anything else leaves the clip
// as it was.
ActionValue SetPart(NativeCall& c) {
  ActionTarget* t = TargetOfTransform(c, c.thisValue);
  if (t == nullptr) return ActionValue();
  const ActionValue& v = c.Arg(0);
  if (c.Tag() == MatrixPart) {
    if (!c.vm.IsInstanceOf(v, GeometryConstructor(Rt(c), GeometryClass::Matrix))) return ActionValue();
    Affine m;
    m.a = ObjectNumber(c, v, "a");
    m.b = ObjectNumber(c, v, "b");
    m.c = ObjectNumber(c, v, "c");
    m.d = ObjectNumber(c, v, "d");
    m.tx = ObjectNumber(c, v, "tx");
    m.ty = ObjectNumber(c, v, "ty");
    t->SetMatrix(ToRecord(m));
  } else if (c.Tag() == ColorPart) {
    if (!c.vm.IsInstanceOf(v, GeometryConstructor(Rt(c), GeometryClass::ColorTransform))) return ActionValue();
    const char* mult[] = {"redMultiplier", "greenMultiplier", "blueMultiplier", "alphaMultiplier"};
    const char* add[] = {"redOffset", "greenOffset", "blueOffset", "alphaOffset"};
    ColorTransform cx;
    for (int i = 0; i < 4; ++i) {
      cx.mult[i] = Wrap16(ObjectNumber(c, v, mult[i]) * 256);
      cx.add[i] = Wrap16(ObjectNumber(c, v, add[i]));
    }
    t->SetColorTransform(cx);
  }
  return ActionValue();
}

// --- MovieClip.transform

ActionValue GetClipTransform(NativeCall& c) {
  ActionTarget* t = ThisTarget(c);
  if (t == nullptr) return ActionValue();
  return NewTransform(c, *t, false);
}

// Assigning another clip's transform copies its matrix and colour
// transform; other values are ignored.
ActionValue SetClipTransform(NativeCall& c) {
  ActionTarget* t = ThisTarget(c);
  ActionTarget* from = TargetOfTransform(c, c.Arg(0));
  if (t == nullptr || from == nullptr) return ActionValue();
  t->SetMatrix(from->GetMatrix());
  t->SetColorTransform(from->GetColorTransform());
  return ActionValue();
}

}  // namespace

void InstallTransform(ScriptRuntime& rt, ScriptObject* geom, ScriptObject* proto) {
  rt.Class("Transform", ConstructOnlyThroughSuper, TransformConstruct, proto, geom);
  const struct {
    const char* name;
    int part;
    bool writable;
  } parts[] = {{"matrix", MatrixPart, true},
               {"colorTransform", ColorPart, true},
               {"concatenatedMatrix", ConcatenatedMatrix, false},
               {"concatenatedColorTransform", ConcatenatedColor, false},
               {"pixelBounds", PixelBoundsPart, false}};
  for (const auto& p : parts) rt.Accessor(proto, p.name, GetPart, p.writable ? SetPart : nullptr, p.part);
  if (rt.clipProto != nullptr) {
    rt.Accessor(rt.clipProto, "transform", GetClipTransform, SetClipTransform, 0, kHidden | PropertyFlag::Version8);
  }
}

}  // namespace Halvane::Movie::Builtins
