// Math: the functions and constants of the language's Math object.
#include <cmath>
#include <limits>

#include "movie/actions/BuiltinSupport.h"

namespace Halvane::Movie::Builtins {

namespace {

enum MathFunction { Abs, Acos, Asin, Atan, Ceil, Cos, Exp, Floor, Log, Round, Sin, Sqrt, Tan };

// Every Math function converts its first two arguments, whatever it uses;
// a missing one is NaN.
void TwoNumbers(NativeCall& c, double& a, double& b) {
  a = b = std::numeric_limits<double>::quiet_NaN();
  if (c.Has(0)) a = ArgNumber(c, 0);
  if (c.Has(1)) b = ArgNumber(c, 1);
}

ActionValue Unary(NativeCall& c) {
  double x = 0, unused = 0;
  TwoNumbers(c, x, unused);
  switch (c.Tag()) {
    case Abs: return Num(std::fabs(x));
    case Acos: return Num(std::acos(x));
    case Asin: return Num(std::asin(x));
    case Atan: return Num(std::atan(x));
    case Ceil: return Num(std::ceil(x));
    case Cos: return Num(std::cos(x));
    case Exp: return Num(std::exp(x));
    case Floor: return Num(std::floor(x));
    case Log: return Num(std::log(x));
    case Round: return Num(std::floor(x + 0.5));
    case Sin: return Num(std::sin(x));
    case Sqrt: return Num(std::sqrt(x));
    case Tan: return Num(std::tan(x));
    default: return ActionValue();
  }
}

ActionValue Atan2(NativeCall& c) {
  double y = 0, x = 0;
  TwoNumbers(c, y, x);
  return Num(std::atan2(y, x));
}

ActionValue Pow(NativeCall& c) {
  double x = 0, y = 0;
  TwoNumbers(c, x, y);
  return Num(std::pow(x, y));
}

// min and max compare their first two arguments; with none they answer the
// infinity nothing is beyond.
ActionValue MinMax(NativeCall& c, bool max) {
  if (c.Count() == 0) {
    return Num(max ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity());
  }
  double a = 0, b = 0;
  TwoNumbers(c, a, b);
  if (std::isnan(a) || std::isnan(b)) return Num(std::numeric_limits<double>::quiet_NaN());
  return Num(max ? (b > a ? b : a) : (b < a ? b : a));
}

ActionValue Max(NativeCall& c) { return MinMax(c, true); }
ActionValue Min(NativeCall& c) { return MinMax(c, false); }


ActionValue Random(NativeCall& c) {
  double unused = 0;
  TwoNumbers(c, unused, unused);
  std::uint32_t& state = c.vm.Context().randomState;
  std::uint32_t x = state ? state : 0x2545F491u;
  x ^= x << 13;
  x ^= x >> 17;
  x ^= x << 5;
  state = x;
  return Num(static_cast<double>(x) / 4294967296.0);
}

// A Math function the platform has no entry for: it still converts.
ActionValue NoMath(NativeCall& c) {
  double unused = 0;
  TwoNumbers(c, unused, unused);
  return Num(std::numeric_limits<double>::quiet_NaN());
}

// ASnative(2, 0): whether the script function running was called by new.
ActionValue AsNew(NativeCall& c) {
  const Interpreting::Frame* f = c.vm.CurrentFrame();
  return Bool(f != nullptr && f->isFunction && f->constructing);
}

// The methods of the Date table (103), in the order of their numbers.
const char* const kDateTable[] = {
    "getFullYear", "getYear",     "getMonth",   "getDate",         "getDay",     "getHours",   "getMinutes",
    "getSeconds",  "getMilliseconds", "setFullYear", "setMonth",   "setDate",    "setHours",   "setMinutes",
    "setSeconds",  "setMilliseconds", "getTime",  "setTime",         "getTimezoneOffset", "toString", "setYear"};

// A fresh function doing what the built-in method of a prototype does, or
// null when the prototype no longer holds the built-in one.
FunctionObject* NativeOfMethod(ScriptRuntime& rt, ScriptObject* proto, const char* name) {
  const ActionValue* v = proto != nullptr ? proto->Properties().Find(name) : nullptr;
  ScriptObject* o = v != nullptr ? v->ObjectValue() : nullptr;
  if (o == nullptr || o->Kind() != ObjectKind::Function) return nullptr;
  auto* f = static_cast<FunctionObject*>(o);
  return f->native != nullptr ? rt.NewNative(f->native, f->tag, f->construct) : nullptr;
}

// The accessors of the convolution filter's table (1109): a member's
// getter is numbered 1 + 2 * its place here, its setter one more.
const char* const kConvolutionTable[] = {"matrixX", "matrixY",       "matrix", "divisor", "bias",
                                         "preserveAlpha", "clamp", "color",  "alpha"};

// A member of an object as installed, without running scripts; null when
// it is missing or not an object.
ScriptObject* OwnObject(ScriptObject* on, const char* name) {
  const ActionValue* v = on != nullptr ? on->Properties().Find(name) : nullptr;
  return v != nullptr ? v->ObjectValue() : nullptr;
}

FunctionObject* NativeOfAccessor(ScriptRuntime& rt, double index) {
  const double count = sizeof kConvolutionTable / sizeof kConvolutionTable[0];
  if (!(index >= 1 && index < 1 + 2 * count) || index != std::floor(index)) return nullptr;
  const int number = static_cast<int>(index) - 1;
  ScriptObject* filters = OwnObject(OwnObject(rt.global, "flash"), "filters");
  ScriptObject* proto = OwnObject(OwnObject(filters, "ConvolutionFilter"), "prototype");
  VariableStore::Entry* e = proto != nullptr ? proto->Properties().FindEntry(kConvolutionTable[number / 2]) : nullptr;
  if (e == nullptr || !e->Accessor()) return nullptr;
  ScriptObject* o = number % 2 == 0 ? e->getter : e->setter;
  if (o == nullptr || o->Kind() != ObjectKind::Function) return nullptr;
  auto* f = static_cast<FunctionObject*>(o);
  return f->native != nullptr ? rt.NewNative(f->native, f->tag) : nullptr;
}

FunctionObject* NativeByNumber(ScriptRuntime& rt, double table, double index);

// ASnative(category, index): the platform's native functions by number.
// ASnew (2, 0), the Math category (200) and the Date methods (103) are
// offered; others answer undefined.
ActionValue AsNative(NativeCall& c) {
  const double table = ArgNumber(c, 0);
  const double index = ArgNumber(c, 1);
  FunctionObject* f = NativeByNumber(Rt(c), table, index);
  return f != nullptr ? ActionValue::Object(f) : ActionValue();
}

FunctionObject* NativeByNumber(ScriptRuntime& rt, double table, double index) {
  if (table == 2 && index == 0) return rt.NewNative(AsNew);
  if (table == 103) {
    const double count = sizeof kDateTable / sizeof kDateTable[0];
    if (!(index >= 0 && index < count) || index != std::floor(index)) return nullptr;
    return NativeOfMethod(rt, rt.dateProto, kDateTable[static_cast<int>(index)]);
  }
  if (table == 1109) return NativeOfAccessor(rt, index);
  if (table != 200) return nullptr;
  static const int kUnary[] = {Abs, -1, -1, Sin, Cos, -1, Tan, Exp, Log, Sqrt, Round, -1, Floor, Ceil, Atan, Asin, Acos};
  FunctionObject* f = nullptr;
  if (index == 1) f = rt.NewNative(Min);
  else if (index == 2) f = rt.NewNative(Max);
  else if (index == 5) f = rt.NewNative(Atan2);
  else if (index == 11) f = rt.NewNative(Random);
  else if (index == 17) f = rt.NewNative(Pow);
  else if (index >= 0 && index < 17 && index == std::floor(index) && kUnary[static_cast<int>(index)] >= 0) {
    f = rt.NewNative(Unary, kUnary[static_cast<int>(index)]);
  } else {
    f = rt.NewNative(NoMath);
  }
  return f;
}

// ASSetNative(object, table, "a,b,c", first) defines the natives numbered
// from first on the object under the names; ASSetNativeAccessor defines
// getter and setter pairs, two numbers a name. An empty name skips its
// numbers, and the digits a name may start with (the version it came with)
// are not part of it.
ActionValue SetNatives(NativeCall& c, bool accessors) {
  ScriptObject* o = c.Arg(0).ObjectValue();
  const double table = ArgNumber(c, 1);
  const std::string names = ArgText(c, 2);
  const double first = c.Has(3) ? ArgNumber(c, 3) : 0;
  if (o == nullptr || c.vm.Stopped() || !std::isfinite(first)) return ActionValue();
  ScriptRuntime& rt = Rt(c);
  double index = std::trunc(first);
  std::size_t begin = 0;
  while (begin <= names.size()) {
    std::size_t end = names.find(',', begin);
    if (end == std::string::npos) end = names.size();
    std::size_t nameBegin = begin;
    while (nameBegin < end && names[nameBegin] >= '0' && names[nameBegin] <= '9') ++nameBegin;
    const std::string name = names.substr(nameBegin, end - nameBegin);
    if (!name.empty() && !accessors) {
      if (FunctionObject* f = NativeByNumber(rt, table, index)) rt.Value(o, name.c_str(), ActionValue::Object(f));
    } else if (!name.empty()) {
      FunctionObject* getter = NativeByNumber(rt, table, index);
      FunctionObject* setter = NativeByNumber(rt, table, index + 1);
      VariableStore::Entry* e = getter != nullptr ? o->Properties().Define(ActionValue::String(name)) : nullptr;
      if (e != nullptr) {
        e->value = ActionValue();
        o->Properties().SetAccessor(*e, getter, setter);
        e->flags = PropertyFlag::DontEnum;
      }
    }
    index += accessors ? 2 : 1;
    begin = end + 1;
  }
  return ActionValue();
}

ActionValue AsSetNative(NativeCall& c) { return SetNatives(c, false); }
ActionValue AsSetNativeAccessor(NativeCall& c) { return SetNatives(c, true); }

}  // namespace

void InstallMath(ScriptRuntime& rt) {
  rt.Method(rt.global, "ASnative", AsNative);
  rt.Method(rt.global, "ASSetNative", AsSetNative);
  rt.Method(rt.global, "ASSetNativeAccessor", AsSetNativeAccessor);
  ScriptObject* math = rt.NewObject();
  rt.Value(rt.global, "Math", ActionValue::Object(math));
  const struct {
    const char* name;
    int tag;
  } unary[] = {{"abs", Abs},   {"acos", Acos}, {"asin", Asin},   {"atan", Atan}, {"ceil", Ceil},
               {"cos", Cos},   {"exp", Exp},   {"floor", Floor}, {"log", Log},   {"round", Round},
               {"sin", Sin},   {"sqrt", Sqrt}, {"tan", Tan}};
  for (const auto& f : unary) rt.Method(math, f.name, Unary, f.tag);
  rt.Method(math, "atan2", Atan2);
  rt.Method(math, "pow", Pow);
  rt.Method(math, "max", Max);
  rt.Method(math, "min", Min);
  rt.Method(math, "random", Random);
  const std::uint16_t constant = PropertyFlag::DontEnum | PropertyFlag::DontDelete | PropertyFlag::ReadOnly;
  rt.Value(math, "E", ActionValue::Number(2.718281828459045), constant);
  rt.Value(math, "LN10", ActionValue::Number(2.302585092994046), constant);
  rt.Value(math, "LN2", ActionValue::Number(0.6931471805599453), constant);
  rt.Value(math, "LOG10E", ActionValue::Number(0.4342944819032518), constant);
  rt.Value(math, "LOG2E", ActionValue::Number(1.4426950408889634), constant);
  rt.Value(math, "PI", ActionValue::Number(3.141592653589793), constant);
  rt.Value(math, "SQRT1_2", ActionValue::Number(0.7071067811865476), constant);
  rt.Value(math, "SQRT2", ActionValue::Number(1.4142135623730951), constant);
}

}  // namespace Halvane::Movie::Builtins
