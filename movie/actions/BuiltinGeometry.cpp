// flash.geom of version 8 movies: Point, Rectangle, Matrix and
// ColorTransform here (Transform, BitmapData and the filters have files of
// their own, installed from here). Their fields are ordinary properties that keep whatever a
// script stores (a point made from an object shows the object); what the
// methods compute goes through the number conversion, so the results follow
// the player's: NaN spreads, and a comparison with NaN answers undefined
// rather than false.
#include "movie/actions/BuiltinGeometry.h"

#include <cmath>
#include <initializer_list>

namespace Halvane::Movie::Builtins {

namespace {

// A comparison with NaN on either side answers undefined; a chain of them
// (a && b && ...) answers the first that is not true.
enum class Truth { No, Yes, Unknown };
Truth AtLeast(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return Truth::Unknown;
  return a >= b ? Truth::Yes : Truth::No;
}
Truth Below(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return Truth::Unknown;
  return a < b ? Truth::Yes : Truth::No;
}
ActionValue AllOf(std::initializer_list<Truth> tests) {
  for (Truth t : tests) {
    if (t == Truth::No) return Bool(false);
    if (t == Truth::Unknown) return ActionValue();
  }
  return Bool(true);
}

double Max(double a, double b) { return std::isnan(a) || std::isnan(b) ? std::nan("") : (a > b ? a : b); }
double Min(double a, double b) { return std::isnan(a) || std::isnan(b) ? std::nan("") : (a < b ? a : b); }

// --- Point

ActionValue NewPoint(NativeCall& c, ActionValue x, ActionValue y) {
  return NewGeometry(c, GeometryClass::Point, {std::move(x), std::move(y)});
}

ActionValue NewRectangle(NativeCall& c, ActionValue x, ActionValue y, ActionValue width, ActionValue height) {
  return NewGeometry(c, GeometryClass::Rectangle, {std::move(x), std::move(y), std::move(width), std::move(height)});
}

ActionValue PointLength(NativeCall& c) {
  const double x = ObjectNumber(c, c.thisValue, "x");
  const double y = ObjectNumber(c, c.thisValue, "y");
  return Num(std::sqrt(x * x + y * y));
}

ActionValue PointAdd(NativeCall& c) {
  const double sign = c.Tag() == 0 ? 1.0 : -1.0;
  return NewPoint(c, Num(ObjectNumber(c, c.thisValue, "x") + sign * ObjectNumber(c, c.Arg(0), "x")),
                  Num(ObjectNumber(c, c.thisValue, "y") + sign * ObjectNumber(c, c.Arg(0), "y")));
}

ActionValue PointEquals(NativeCall& c) {
  ScriptObject* other = c.Arg(0).ObjectValue();
  if (other == nullptr || !c.vm.IsInstanceOf(c.Arg(0), GeometryConstructor(Rt(c), GeometryClass::Point))) {
    return Bool(false);
  }
  return Bool(c.vm.LooseEquals(ObjectMember(c, c.thisValue, "x"), ObjectMember(c, c.Arg(0), "x")) &&
              c.vm.LooseEquals(ObjectMember(c, c.thisValue, "y"), ObjectMember(c, c.Arg(0), "y")));
}

ActionValue PointClone(NativeCall& c) {
  return NewPoint(c, ObjectMember(c, c.thisValue, "x"), ObjectMember(c, c.thisValue, "y"));
}

ActionValue PointNormalize(NativeCall& c) {
  const double x = ObjectNumber(c, c.thisValue, "x");
  const double y = ObjectNumber(c, c.thisValue, "y");
  const double length = std::sqrt(x * x + y * y);
  if (length > 0) {
    const double factor = ArgNumber(c, 0) / length;
    SetObjectMember(c, c.thisValue, "x", Num(x * factor));
    SetObjectMember(c, c.thisValue, "y", Num(y * factor));
  }
  return ActionValue();
}

ActionValue PointOffset(NativeCall& c) {
  SetObjectMember(c, c.thisValue, "x", Num(ObjectNumber(c, c.thisValue, "x") + ArgNumber(c, 0)));
  SetObjectMember(c, c.thisValue, "y", Num(ObjectNumber(c, c.thisValue, "y") + ArgNumber(c, 1)));
  return ActionValue();
}

ActionValue PointToString(NativeCall& c) {
  return Str(c, "(x=" + c.vm.Text(ObjectMember(c, c.thisValue, "x")) +
                    ", y=" + c.vm.Text(ObjectMember(c, c.thisValue, "y")) + ")");
}

// Point.distance asks the first point for its difference from the second,
// so an object without subtract answers undefined.
ActionValue PointDistance(NativeCall& c) {
  const ActionValue difference = c.vm.CallMethod(c.Arg(0), "subtract", ArgList(&c.Arg(1), 1));
  if (c.vm.Abnormal()) return ActionValue();
  return c.vm.GetMember(difference, "length");
}

ActionValue PointInterpolate(NativeCall& c) {
  const double f = ArgNumber(c, 2);
  const double x1 = ObjectNumber(c, c.Arg(0), "x"), y1 = ObjectNumber(c, c.Arg(0), "y");
  const double x2 = ObjectNumber(c, c.Arg(1), "x"), y2 = ObjectNumber(c, c.Arg(1), "y");
  return NewPoint(c, Num(x2 + (x1 - x2) * f), Num(y2 + (y1 - y2) * f));
}

ActionValue PointPolar(NativeCall& c) {
  const double length = ArgNumber(c, 0);
  const double angle = ArgNumber(c, 1);
  return NewPoint(c, Num(length * std::cos(angle)), Num(length * std::sin(angle)));
}

// --- Rectangle: x, y, width and height are the fields; the edges and
// corners are accessors on the prototype that read and move them.

struct Box {
  double x, y, width, height;
  double Right() const { return x + width; }
  double Bottom() const { return y + height; }
};

Box ReadBox(NativeCall& c, const ActionValue& o) {
  return {ObjectNumber(c, o, "x"), ObjectNumber(c, o, "y"), ObjectNumber(c, o, "width"), ObjectNumber(c, o, "height")};
}

void WriteBox(NativeCall& c, const ActionValue& o, const Box& b) {
  SetObjectMember(c, o, "x", Num(b.x));
  SetObjectMember(c, o, "y", Num(b.y));
  SetObjectMember(c, o, "width", Num(b.width));
  SetObjectMember(c, o, "height", Num(b.height));
}

enum Edge { Left, Top, Right, Bottom, TopLeft, BottomRight, Size };

ActionValue GetEdge(NativeCall& c) {
  const ActionValue& self = c.thisValue;
  switch (c.Tag()) {
    case Left:
      return ObjectMember(c, self, "x");
    case Top:
      return ObjectMember(c, self, "y");
    case Right:
      return Num(ReadBox(c, self).Right());
    case Bottom:
      return Num(ReadBox(c, self).Bottom());
    case TopLeft:
      return NewPoint(c, ObjectMember(c, self, "x"), ObjectMember(c, self, "y"));
    case BottomRight: {
      const Box b = ReadBox(c, self);
      return NewPoint(c, Num(b.Right()), Num(b.Bottom()));
    }
    default:
      return NewPoint(c, ObjectMember(c, self, "width"), ObjectMember(c, self, "height"));
  }
}

// Moving an edge keeps the opposite one where it was; the corner setters
// read x and y of whatever they are given.
ActionValue SetEdge(NativeCall& c) {
  const ActionValue& self = c.thisValue;
  const ActionValue& v = c.Arg(0);
  const Box b = ReadBox(c, self);
  switch (c.Tag()) {
    case Left:
      SetObjectMember(c, self, "width", Num(b.Right() - c.vm.Number(v)));
      SetObjectMember(c, self, "x", v);
      break;
    case Top:
      SetObjectMember(c, self, "height", Num(b.Bottom() - c.vm.Number(v)));
      SetObjectMember(c, self, "y", v);
      break;
    case Right:
      SetObjectMember(c, self, "width", Num(c.vm.Number(v) - b.x));
      break;
    case Bottom:
      SetObjectMember(c, self, "height", Num(c.vm.Number(v) - b.y));
      break;
    case TopLeft: {
      const ActionValue x = ObjectMember(c, v, "x"), y = ObjectMember(c, v, "y");
      SetObjectMember(c, self, "width", Num(b.Right() - c.vm.Number(x)));
      SetObjectMember(c, self, "height", Num(b.Bottom() - c.vm.Number(y)));
      SetObjectMember(c, self, "x", x);
      SetObjectMember(c, self, "y", y);
      break;
    }
    case BottomRight:
      SetObjectMember(c, self, "width", Num(ObjectNumber(c, v, "x") - b.x));
      SetObjectMember(c, self, "height", Num(ObjectNumber(c, v, "y") - b.y));
      break;
    default:
      SetObjectMember(c, self, "width", ObjectMember(c, v, "x"));
      SetObjectMember(c, self, "height", ObjectMember(c, v, "y"));
      break;
  }
  return ActionValue();
}

ActionValue RectangleClone(NativeCall& c) {
  return NewRectangle(c, ObjectMember(c, c.thisValue, "x"), ObjectMember(c, c.thisValue, "y"),
                      ObjectMember(c, c.thisValue, "width"), ObjectMember(c, c.thisValue, "height"));
}

ActionValue RectangleEquals(NativeCall& c) {
  if (!c.vm.IsInstanceOf(c.Arg(0), GeometryConstructor(Rt(c), GeometryClass::Rectangle))) return Bool(false);
  for (const char* name : {"x", "y", "width", "height"}) {
    if (!c.vm.LooseEquals(ObjectMember(c, c.thisValue, name), ObjectMember(c, c.Arg(0), name))) return Bool(false);
  }
  return Bool(true);
}

ActionValue RectangleIsEmpty(NativeCall& c) {
  const Box b = ReadBox(c, c.thisValue);
  return Bool(!(b.width > 0 && b.height > 0));
}

ActionValue RectangleSetEmpty(NativeCall& c) {
  WriteBox(c, c.thisValue, Box{0, 0, 0, 0});
  return ActionValue();
}

ActionValue ContainsAt(const Box& b, double x, double y) {
  return AllOf({AtLeast(x, b.x), Below(x, b.Right()), AtLeast(y, b.y), Below(y, b.Bottom())});
}

ActionValue RectangleContains(NativeCall& c) {
  return ContainsAt(ReadBox(c, c.thisValue), ArgNumber(c, 0), ArgNumber(c, 1));
}

ActionValue RectangleContainsPoint(NativeCall& c) {
  return ContainsAt(ReadBox(c, c.thisValue), ObjectNumber(c, c.Arg(0), "x"), ObjectNumber(c, c.Arg(0), "y"));
}

ActionValue RectangleContainsRectangle(NativeCall& c) {
  const Box b = ReadBox(c, c.thisValue);
  const Box o = ReadBox(c, c.Arg(0));
  return AllOf({AtLeast(o.x, b.x), AtLeast(o.y, b.y), AtLeast(b.Right(), o.Right()), AtLeast(b.Bottom(), o.Bottom())});
}

// The overlap of two boxes; false when they do not overlap (NaN included).
bool Overlap(const Box& a, const Box& b, Box& out) {
  const double left = Max(a.x, b.x), top = Max(a.y, b.y);
  const double right = Min(a.Right(), b.Right()), bottom = Min(a.Bottom(), b.Bottom());
  if (!(right > left && bottom > top)) return false;
  out = Box{left, top, right - left, bottom - top};
  return true;
}

ActionValue RectangleIntersection(NativeCall& c) {
  Box out{0, 0, 0, 0};
  if (!Overlap(ReadBox(c, c.thisValue), ReadBox(c, c.Arg(0)), out)) out = Box{0, 0, 0, 0};
  return NewRectangle(c, Num(out.x), Num(out.y), Num(out.width), Num(out.height));
}

ActionValue RectangleIntersects(NativeCall& c) {
  Box out{0, 0, 0, 0};
  return Bool(Overlap(ReadBox(c, c.thisValue), ReadBox(c, c.Arg(0)), out));
}

ActionValue RectangleUnion(NativeCall& c) {
  const Box a = ReadBox(c, c.thisValue);
  const Box b = ReadBox(c, c.Arg(0));
  const double left = Min(a.x, b.x), top = Min(a.y, b.y);
  const double right = Max(a.Right(), b.Right()), bottom = Max(a.Bottom(), b.Bottom());
  return NewRectangle(c, Num(left), Num(top), Num(right - left), Num(bottom - top));
}

void Inflate(NativeCall& c, double dx, double dy) {
  Box b = ReadBox(c, c.thisValue);
  b.x -= dx;
  b.width += 2 * dx;
  b.y -= dy;
  b.height += 2 * dy;
  WriteBox(c, c.thisValue, b);
}

ActionValue RectangleInflate(NativeCall& c) {
  Inflate(c, ArgNumber(c, 0), ArgNumber(c, 1));
  return ActionValue();
}

ActionValue RectangleInflatePoint(NativeCall& c) {
  Inflate(c, ObjectNumber(c, c.Arg(0), "x"), ObjectNumber(c, c.Arg(0), "y"));
  return ActionValue();
}

void Offset(NativeCall& c, double dx, double dy) {
  SetObjectMember(c, c.thisValue, "x", Num(ObjectNumber(c, c.thisValue, "x") + dx));
  SetObjectMember(c, c.thisValue, "y", Num(ObjectNumber(c, c.thisValue, "y") + dy));
}

ActionValue RectangleOffset(NativeCall& c) {
  Offset(c, ArgNumber(c, 0), ArgNumber(c, 1));
  return ActionValue();
}

ActionValue RectangleOffsetPoint(NativeCall& c) {
  Offset(c, ObjectNumber(c, c.Arg(0), "x"), ObjectNumber(c, c.Arg(0), "y"));
  return ActionValue();
}

ActionValue RectangleToString(NativeCall& c) {
  const ActionValue& s = c.thisValue;
  return Str(c, "(x=" + c.vm.Text(ObjectMember(c, s, "x")) + ", y=" + c.vm.Text(ObjectMember(c, s, "y")) + ", w=" +
                    c.vm.Text(ObjectMember(c, s, "width")) + ", h=" + c.vm.Text(ObjectMember(c, s, "height")) + ")");
}

// --- Matrix

struct Affine {
  double a, b, c, d, tx, ty;
};

Affine ReadAffine(NativeCall& c, const ActionValue& o) {
  return {ObjectNumber(c, o, "a"), ObjectNumber(c, o, "b"),  ObjectNumber(c, o, "c"),
          ObjectNumber(c, o, "d"), ObjectNumber(c, o, "tx"), ObjectNumber(c, o, "ty")};
}

void WriteAffine(NativeCall& c, const ActionValue& o, const Affine& m) {
  SetObjectMember(c, o, "a", Num(m.a));
  SetObjectMember(c, o, "b", Num(m.b));
  SetObjectMember(c, o, "c", Num(m.c));
  SetObjectMember(c, o, "d", Num(m.d));
  SetObjectMember(c, o, "tx", Num(m.tx));
  SetObjectMember(c, o, "ty", Num(m.ty));
}

// first, then second.
Affine Concat(const Affine& m, const Affine& n) {
  return {m.a * n.a + m.b * n.c, m.a * n.b + m.b * n.d,          m.c * n.a + m.d * n.c,
          m.c * n.b + m.d * n.d, m.tx * n.a + m.ty * n.c + n.tx, m.tx * n.b + m.ty * n.d + n.ty};
}

Affine Rotation(double scaleX, double scaleY, double rotation, double tx, double ty) {
  const double cosine = std::cos(rotation), sine = std::sin(rotation);
  return {cosine * scaleX, sine * scaleY, -sine * scaleX, cosine * scaleY, tx, ty};
}

double ArgOr(NativeCall& c, std::size_t i, double fallback) {
  return c.Has(i) && !c.Arg(i).IsUndefined() ? ArgNumber(c, i) : fallback;
}

ActionValue MatrixIdentity(NativeCall& c) {
  WriteAffine(c, c.thisValue, Affine{1, 0, 0, 1, 0, 0});
  return ActionValue();
}

ActionValue MatrixInvert(NativeCall& c) {
  const Affine m = ReadAffine(c, c.thisValue);
  const double det = m.a * m.d - m.b * m.c;
  WriteAffine(c, c.thisValue,
              Affine{m.d / det, -m.b / det, -m.c / det, m.a / det, (m.c * m.ty - m.d * m.tx) / det,
                     (m.b * m.tx - m.a * m.ty) / det});
  return ActionValue();
}

ActionValue MatrixConcat(NativeCall& c) {
  WriteAffine(c, c.thisValue, Concat(ReadAffine(c, c.thisValue), ReadAffine(c, c.Arg(0))));
  return ActionValue();
}

ActionValue MatrixTranslate(NativeCall& c) {
  Affine m = ReadAffine(c, c.thisValue);
  m.tx += ArgNumber(c, 0);
  m.ty += ArgNumber(c, 1);
  WriteAffine(c, c.thisValue, m);
  return ActionValue();
}

ActionValue MatrixScale(NativeCall& c) {
  WriteAffine(c, c.thisValue, Concat(ReadAffine(c, c.thisValue), Affine{ArgNumber(c, 0), 0, 0, ArgNumber(c, 1), 0, 0}));
  return ActionValue();
}

ActionValue MatrixRotate(NativeCall& c) {
  WriteAffine(c, c.thisValue, Concat(ReadAffine(c, c.thisValue), Rotation(1, 1, ArgNumber(c, 0), 0, 0)));
  return ActionValue();
}

ActionValue MatrixCreateBox(NativeCall& c) {
  WriteAffine(c, c.thisValue,
              Rotation(ArgNumber(c, 0), ArgNumber(c, 1), ArgOr(c, 2, 0), ArgOr(c, 3, 0), ArgOr(c, 4, 0)));
  return ActionValue();
}

// A gradient's square is 1638.4 units wide (32768 twentieths of a pixel).
ActionValue MatrixCreateGradientBox(NativeCall& c) {
  const double width = ArgNumber(c, 0), height = ArgNumber(c, 1);
  WriteAffine(c, c.thisValue,
              Rotation(width / 1638.4, height / 1638.4, ArgOr(c, 2, 0), ArgOr(c, 3, 0) + width / 2,
                       ArgOr(c, 4, 0) + height / 2));
  return ActionValue();
}

ActionValue MatrixTransformPoint(NativeCall& c) {
  const Affine m = ReadAffine(c, c.thisValue);
  const double x = ObjectNumber(c, c.Arg(0), "x"), y = ObjectNumber(c, c.Arg(0), "y");
  const bool delta = c.Tag() == 1;
  return NewPoint(c, Num(m.a * x + m.c * y + (delta ? 0 : m.tx)), Num(m.b * x + m.d * y + (delta ? 0 : m.ty)));
}

ActionValue MatrixClone(NativeCall& c) {
  const ActionValue& s = c.thisValue;
  return NewGeometry(c, GeometryClass::Matrix,
                     {ObjectMember(c, s, "a"), ObjectMember(c, s, "b"), ObjectMember(c, s, "c"),
                      ObjectMember(c, s, "d"), ObjectMember(c, s, "tx"), ObjectMember(c, s, "ty")});
}

// --- ColorTransform

const char* const kColorFields[] = {"redMultiplier", "greenMultiplier", "blueMultiplier", "alphaMultiplier",
                                    "redOffset",     "greenOffset",     "blueOffset",     "alphaOffset"};

ActionValue ColorGetRgb(NativeCall& c) {
  const std::int32_t r = WrapToInt32(ObjectNumber(c, c.thisValue, "redOffset"));
  const std::int32_t g = WrapToInt32(ObjectNumber(c, c.thisValue, "greenOffset"));
  const std::int32_t b = WrapToInt32(ObjectNumber(c, c.thisValue, "blueOffset"));
  return Num(static_cast<std::int32_t>(static_cast<std::uint32_t>(r) << 16 | static_cast<std::uint32_t>(g) << 8 |
                                       static_cast<std::uint32_t>(b)));
}

ActionValue ColorSetRgb(NativeCall& c) {
  const std::uint32_t rgb = static_cast<std::uint32_t>(WrapToInt32(ArgNumber(c, 0)));
  for (int i = 0; i < 3; ++i) SetObjectMember(c, c.thisValue, kColorFields[i], Num(0));
  SetObjectMember(c, c.thisValue, "redOffset", Num((rgb >> 16) & 0xFF));
  SetObjectMember(c, c.thisValue, "greenOffset", Num((rgb >> 8) & 0xFF));
  SetObjectMember(c, c.thisValue, "blueOffset", Num(rgb & 0xFF));
  return ActionValue();
}

// The second transform applies first: its offsets go through this one's
// multipliers.
ActionValue ColorConcat(NativeCall& c) {
  double mine[8], second[8];
  for (int i = 0; i < 8; ++i) {
    mine[i] = ObjectNumber(c, c.thisValue, kColorFields[i]);
    second[i] = ObjectNumber(c, c.Arg(0), kColorFields[i]);
  }
  for (int i = 0; i < 4; ++i) {
    SetObjectMember(c, c.thisValue, kColorFields[i + 4], Num(mine[i + 4] + mine[i] * second[i + 4]));
    SetObjectMember(c, c.thisValue, kColorFields[i], Num(mine[i] * second[i]));
  }
  return ActionValue();
}

ActionValue ToStringOf(NativeCall& c, const char* const* names, std::size_t count) {
  std::string text = "(";
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) text += ", ";
    text += names[i];
    text += '=';
    text += c.vm.Text(ObjectMember(c, c.thisValue, names[i]));
  }
  return Str(c, text + ")");
}

const char* const kMatrixFields[] = {"a", "b", "c", "d", "tx", "ty"};

ActionValue MatrixToString(NativeCall& c) { return ToStringOf(c, kMatrixFields, 6); }
ActionValue ColorToString(NativeCall& c) { return ToStringOf(c, kColorFields, 8); }

// --- The classes: their fields and what a constructor without arguments
// gives them. Given any argument, every field takes its argument as it is.

struct ClassInfo {
  const char* name;
  const char* const* fields;
  std::size_t fieldCount;
  double defaults[8];
};

const char* const kPointFields[] = {"x", "y"};
const char* const kNoFields[] = {nullptr};
const char* const kRectangleFields[] = {"x", "y", "width", "height"};

const ClassInfo kClasses[] = {
    {"Point", kPointFields, 2, {0, 0}},
    {"Rectangle", kRectangleFields, 4, {0, 0, 0, 0}},
    {"Matrix", kMatrixFields, 6, {1, 0, 0, 1, 0, 0}},
    {"ColorTransform", kColorFields, 8, {1, 1, 1, 1, 0, 0, 0, 0}},
    {"Transform", kNoFields, 0, {}},
};

std::string KeepKey(GeometryClass which) { return std::string("flash.geom.") + kClasses[static_cast<int>(which)].name; }

// The constructors run on the object new made (or on this when called as a
// function, as subclasses do through super, which answers this).
ActionValue Initialize(NativeCall& c) {
  const ClassInfo& info = kClasses[c.Tag()];
  const bool given = c.Count() > 0;
  for (std::size_t i = 0; i < info.fieldCount; ++i) {
    SetObjectMember(c, c.thisValue, info.fields[i], given ? c.Arg(i) : Num(info.defaults[i]));
  }
  return c.constructing ? c.thisValue : ActionValue();
}

}  // namespace

ScriptObject* FlashPackage(ScriptRuntime& rt, const char* name) {
  VariableStore::Entry* flash = rt.global->Properties().FindEntry("flash");
  ScriptObject* root = flash != nullptr ? flash->value.ObjectValue() : nullptr;
  if (root == nullptr) return nullptr;
  if (VariableStore::Entry* e = root->Properties().FindEntry(name)) {
    if (ScriptObject* package = e->value.ObjectValue()) return package;
  }
  ScriptObject* package = rt.NewObject();
  rt.Value(root, name, ActionValue::Object(package));
  return package;
}

ScriptObject* GeometryConstructor(ScriptRuntime& rt, GeometryClass which) {
  auto it = rt.keep.find(KeepKey(which));
  return it == rt.keep.end() ? nullptr : it->second.ObjectValue();
}

ScriptObject* GeometryProto(ScriptRuntime& rt, GeometryClass which) {
  auto it = rt.keep.find(KeepKey(which) + ".prototype");
  return it == rt.keep.end() ? nullptr : it->second.ObjectValue();
}

ActionValue NewGeometry(NativeCall& c, GeometryClass which, std::initializer_list<ActionValue> fields) {
  ScriptRuntime& rt = Rt(c);
  ScriptObject* o = rt.NewObject(GeometryProto(rt, which));
  if (o == nullptr) {
    c.vm.Fault();
    return ActionValue();
  }
  const ActionValue self = Obj(o);
  const ClassInfo& info = kClasses[static_cast<int>(which)];
  std::size_t i = 0;
  for (const ActionValue& v : fields) {
    if (i < info.fieldCount) SetObjectMember(c, self, info.fields[i++], v);
  }
  return self;
}

ActionValue ObjectMember(NativeCall& c, const ActionValue& object, const char* name) {
  if (!object.IsObject() && !object.IsClip() && !object.IsFunction()) return ActionValue();
  return c.vm.GetMember(object, name);
}

double ObjectNumber(NativeCall& c, const ActionValue& object, const char* name) {
  return c.vm.Number(ObjectMember(c, object, name));
}

void SetObjectMember(NativeCall& c, const ActionValue& object, const char* name, ActionValue value) {
  if (object.IsObject() || object.IsClip()) c.vm.SetMember(object, name, std::move(value));
}

void InstallGeometry(ScriptRuntime& rt) {
  ScriptObject* geom = FlashPackage(rt, "geom");
  if (geom == nullptr) return;
  constexpr int kFieldClasses = 4;
  ScriptObject* protos[kFieldClasses] = {};
  for (int i = 0; i < kFieldClasses; ++i) {
    protos[i] = rt.NewObject();
    FunctionObject* f = rt.Class(kClasses[i].name, Initialize, nullptr, protos[i], geom);
    if (f == nullptr) return;
    f->tag = i;
    rt.keep[KeepKey(static_cast<GeometryClass>(i))] = ActionValue::Object(f);
    rt.keep[KeepKey(static_cast<GeometryClass>(i)) + ".prototype"] = ActionValue::Object(protos[i]);
  }

  ScriptObject* point = protos[0];
  FunctionObject* pointClass = static_cast<FunctionObject*>(GeometryConstructor(rt, GeometryClass::Point));
  rt.Accessor(point, "length", PointLength, nullptr);
  rt.Method(point, "add", PointAdd, 0);
  rt.Method(point, "subtract", PointAdd, 1);
  rt.Method(point, "equals", PointEquals);
  rt.Method(point, "normalize", PointNormalize);
  rt.Method(point, "offset", PointOffset);
  rt.Method(point, "clone", PointClone);
  rt.Method(point, "toString", PointToString);
  rt.Method(pointClass, "distance", PointDistance);
  rt.Method(pointClass, "interpolate", PointInterpolate);
  rt.Method(pointClass, "polar", PointPolar);

  ScriptObject* rectangle = protos[1];
  const struct {
    const char* name;
    int edge;
  } edges[] = {{"left", Left},     {"top", Top},         {"right", Right},
               {"bottom", Bottom}, {"topLeft", TopLeft}, {"bottomRight", BottomRight},
               {"size", Size}};
  for (const auto& e : edges) rt.Accessor(rectangle, e.name, GetEdge, SetEdge, e.edge);
  rt.Method(rectangle, "clone", RectangleClone);
  rt.Method(rectangle, "equals", RectangleEquals);
  rt.Method(rectangle, "isEmpty", RectangleIsEmpty);
  rt.Method(rectangle, "setEmpty", RectangleSetEmpty);
  rt.Method(rectangle, "contains", RectangleContains);
  rt.Method(rectangle, "containsPoint", RectangleContainsPoint);
  rt.Method(rectangle, "containsRectangle", RectangleContainsRectangle);
  rt.Method(rectangle, "intersection", RectangleIntersection);
  rt.Method(rectangle, "intersects", RectangleIntersects);
  rt.Method(rectangle, "union", RectangleUnion);
  rt.Method(rectangle, "inflate", RectangleInflate);
  rt.Method(rectangle, "inflatePoint", RectangleInflatePoint);
  rt.Method(rectangle, "offset", RectangleOffset);
  rt.Method(rectangle, "offsetPoint", RectangleOffsetPoint);
  rt.Method(rectangle, "toString", RectangleToString);

  ScriptObject* matrix = protos[2];
  rt.Method(matrix, "identity", MatrixIdentity);
  rt.Method(matrix, "invert", MatrixInvert);
  rt.Method(matrix, "concat", MatrixConcat);
  rt.Method(matrix, "translate", MatrixTranslate);
  rt.Method(matrix, "scale", MatrixScale);
  rt.Method(matrix, "rotate", MatrixRotate);
  rt.Method(matrix, "createBox", MatrixCreateBox);
  rt.Method(matrix, "createGradientBox", MatrixCreateGradientBox);
  rt.Method(matrix, "transformPoint", MatrixTransformPoint, 0);
  rt.Method(matrix, "deltaTransformPoint", MatrixTransformPoint, 1);
  rt.Method(matrix, "clone", MatrixClone);
  rt.Method(matrix, "toString", MatrixToString);

  ScriptObject* color = protos[3];
  rt.Accessor(color, "rgb", ColorGetRgb, ColorSetRgb);
  rt.Method(color, "concat", ColorConcat);
  rt.Method(color, "toString", ColorToString);

  ScriptObject* transform = rt.NewObject();
  rt.keep[KeepKey(GeometryClass::Transform) + ".prototype"] = ActionValue::Object(transform);
  InstallTransform(rt, geom, transform);
  InstallBitmapData(rt);
  InstallFilters(rt);
}

}  // namespace Halvane::Movie::Builtins
