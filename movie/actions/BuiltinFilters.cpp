// flash.filters of version 8 movies, as far as scripts read and write
// them: the control draws no filters, so a filter is only its settings.
#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

#include "movie/actions/BuiltinGeometry.h"

namespace Halvane::Movie::Builtins {

const char* const kConvolutionMembers[] = {"matrixX", "matrixY",       "matrix", "divisor", "bias",
                                           "preserveAlpha", "clamp", "color",  "alpha"};

namespace {

// The displacement filter keeps its map point as two integers.
struct DisplacementState : NativeState {
  std::int32_t x = 0, y = 0;
};

ActionValue DisplacementConstruct(NativeCall& c) {
  return Obj(NewNativeInstance(c, nullptr, std::make_unique<DisplacementState>()));
}

ActionValue GetMapPoint(NativeCall& c) {
  auto* s = ThisState<DisplacementState>(c);
  if (s == nullptr) return ActionValue();
  return NewGeometry(c, GeometryClass::Point, {Num(s->x), Num(s->y)});
}

// Both coordinates are converted even when the first conversion throws;
// one that throws reads as the lowest integer, and the first exception is
// the one the script sees. An object without both x and y sets (0, 0).
ActionValue SetMapPoint(NativeCall& c) {
  auto* s = ThisState<DisplacementState>(c);
  if (s == nullptr) return ActionValue();
  const ActionValue& p = c.Arg(0);
  ScriptObject* o = p.ObjectValue();
  if (o == nullptr) {
    s->x = s->y = 0;
    return ActionValue();
  }
  bool thrown = false;
  ActionValue first;
  auto convert = [&](const char* name) {
    const double v = ObjectNumber(c, p, name);
    if (c.vm.Throwing()) {
      const ActionValue e = c.vm.TakeThrown();
      if (!thrown) first = e;
      thrown = true;
      return std::numeric_limits<std::int32_t>::min();
    }
    return TruncateToInt32(v);
  };
  const std::int32_t x = convert("x");
  const std::int32_t y = convert("y");
  if (c.vm.Stopped()) return ActionValue();
  const bool complete = c.vm.HasProperty(o, Str(c, "x")) && c.vm.HasProperty(o, Str(c, "y"));
  s->x = complete ? x : 0;
  s->y = complete ? y : 0;
  if (thrown) c.vm.Throw(first);
  return ActionValue();
}

ActionValue Nothing(NativeCall&) { return ActionValue(); }

// The convolution filter's settings, in the order of its constructor's
// parameters (and of its native numbers).
enum ConvolutionMember { MatrixX, MatrixY, MatrixValues, Divisor, Bias, PreserveAlpha, Clamp, Color, Alpha, ConvolutionMemberCount };

// The largest matrix side the filter takes; the values follow its size.
constexpr int kMaxMatrixSide = 15;

struct ConvolutionState : NativeState {
  int columns = 0, rows = 0;
  std::vector<double> values;
  double divisor = 1, bias = 0;
  bool preserveAlpha = true, clamp = true;
  std::uint32_t color = 0;
  double alpha = 0;
};

void SetConvolutionMember(NativeCall& c, ConvolutionState& s, int member, const ActionValue& v) {
  switch (member) {
    case MatrixX:
    case MatrixY: {
      const int side = std::clamp(TruncateToInt32(c.vm.Number(v)), 0, kMaxMatrixSide);
      (member == MatrixX ? s.columns : s.rows) = side;
      s.values.resize(static_cast<std::size_t>(s.columns * s.rows), 0.0);
      break;
    }
    case MatrixValues: {
      ScriptObject* o = v.ObjectValue();
      if (o == nullptr || o->Kind() != ObjectKind::Array) break;
      for (std::size_t i = 0; i < s.values.size() && !c.vm.Stopped(); ++i) {
        s.values[i] = c.vm.Number(c.vm.GetMember(v, Str(c, std::to_string(i))));
      }
      break;
    }
    case Divisor: s.divisor = c.vm.Number(v); break;
    case Bias: s.bias = c.vm.Number(v); break;
    case PreserveAlpha: s.preserveAlpha = c.vm.Truth(v); break;
    case Clamp: s.clamp = c.vm.Truth(v); break;
    case Color: s.color = static_cast<std::uint32_t>(WrapToInt32(c.vm.Number(v))) & 0xFFFFFFu; break;
    case Alpha: {
      const double a = c.vm.Number(v);
      s.alpha = std::isnan(a) ? 0 : std::clamp(a, 0.0, 1.0);
      break;
    }
    default: break;
  }
}

ActionValue ConvolutionConstruct(NativeCall& c) {
  auto state = std::make_unique<ConvolutionState>();
  ConvolutionState& s = *state;
  ScriptObject* o = NewNativeInstance(c, nullptr, std::move(state));
  if (o == nullptr) return ActionValue();
  for (int m = 0; m < ConvolutionMemberCount && static_cast<std::size_t>(m) < c.Count() && !c.vm.Stopped(); ++m) {
    SetConvolutionMember(c, s, m, c.Arg(static_cast<std::size_t>(m)));
  }
  return Obj(o);
}

ActionValue GetConvolutionMember(NativeCall& c) {
  auto* s = ThisState<ConvolutionState>(c);
  if (s == nullptr) return ActionValue();
  switch (c.Tag()) {
    case MatrixX: return Num(s->columns);
    case MatrixY: return Num(s->rows);
    case MatrixValues: {
      std::vector<ActionValue> values;
      for (const double v : s->values) values.push_back(Num(v));
      return Obj(c.vm.NewArray(values));
    }
    case Divisor: return Num(s->divisor);
    case Bias: return Num(s->bias);
    case PreserveAlpha: return Bool(s->preserveAlpha);
    case Clamp: return Bool(s->clamp);
    case Color: return Num(s->color);
    case Alpha: return Num(s->alpha);
    default: return ActionValue();
  }
}

ActionValue SetConvolutionMemberNative(NativeCall& c) {
  if (auto* s = ThisState<ConvolutionState>(c)) SetConvolutionMember(c, *s, c.Tag(), c.Arg(0));
  return ActionValue();
}

}  // namespace

void InstallFilters(ScriptRuntime& rt) {
  ScriptObject* filters = FlashPackage(rt, "filters");
  if (filters == nullptr) return;
  ScriptObject* base = rt.NewObject();
  rt.Class("BitmapFilter", Nothing, nullptr, base, filters);
  ScriptObject* displacement = rt.NewObject(base);
  rt.Class("DisplacementMapFilter", DisplacementConstruct, DisplacementConstruct, displacement, filters);
  rt.Accessor(displacement, "mapPoint", GetMapPoint, SetMapPoint);
  ScriptObject* convolution = rt.NewObject(base);
  rt.Class("ConvolutionFilter", ConvolutionConstruct, ConvolutionConstruct, convolution, filters);
  for (int m = 0; m < ConvolutionMemberCount; ++m) {
    rt.Accessor(convolution, kConvolutionMembers[m], GetConvolutionMember, SetConvolutionMemberNative, m);
  }
}

}  // namespace Halvane::Movie::Builtins
