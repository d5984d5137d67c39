// Math: the functions and constants of the language's Math object.
#include <cmath>
#include <limits>

#include "movie/actions/BuiltinSupport.h"

namespace Halvane::Movie::Builtins {

namespace {

enum MathFunction { Abs, Acos, Asin, Atan, Ceil, Cos, Exp, Floor, Log, Round, Sin, Sqrt, Tan };

ActionValue Unary(NativeCall& c) {
  if (!c.Has(0)) return Num(std::numeric_limits<double>::quiet_NaN());
  const double x = ArgNumber(c, 0);
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
  if (c.Count() < 2) return Num(std::numeric_limits<double>::quiet_NaN());
  return Num(std::atan2(ArgNumber(c, 0), ArgNumber(c, 1)));
}

ActionValue Pow(NativeCall& c) {
  if (c.Count() < 2) return Num(std::numeric_limits<double>::quiet_NaN());
  const double x = ArgNumber(c, 0);
  const double y = ArgNumber(c, 1);
  if (std::isnan(y)) return Num(std::numeric_limits<double>::quiet_NaN());
  return Num(std::pow(x, y));
}

ActionValue MinMax(NativeCall& c, bool max) {
  if (c.Count() == 0) {
    return Num(max ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity());
  }
  // Movies of version 7 and later compare all arguments; earlier ones the
  // first two.
  const std::size_t n = c.vm.Version() >= 7 ? c.Count() : std::min<std::size_t>(c.Count(), 2);
  if (n == 1 && c.vm.Version() < 7) return Num(std::numeric_limits<double>::quiet_NaN());
  double result = ArgNumber(c, 0);
  for (std::size_t i = 1; i < n; ++i) {
    const double v = ArgNumber(c, i);
    if (std::isnan(result) || std::isnan(v)) {
      result = std::numeric_limits<double>::quiet_NaN();
      continue;
    }
    if (max ? v > result : v < result) result = v;
  }
  return Num(result);
}

ActionValue Max(NativeCall& c) { return MinMax(c, true); }
ActionValue Min(NativeCall& c) { return MinMax(c, false); }

ActionValue Random(NativeCall& c) {
  std::uint32_t& state = c.vm.Context().randomState;
  std::uint32_t x = state ? state : 0x2545F491u;
  x ^= x << 13;
  x ^= x >> 17;
  x ^= x << 5;
  state = x;
  return Num(static_cast<double>(x) / 4294967296.0);
}

}  // namespace

void InstallMath(ScriptRuntime& rt) {
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
