// flash.filters of version 8 movies, as far as scripts read and write
// them: the control draws no filters, so a filter is only its settings.
#include <limits>

#include "movie/actions/BuiltinGeometry.h"

namespace Halvane::Movie::Builtins {

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

}  // namespace

void InstallFilters(ScriptRuntime& rt) {
  ScriptObject* filters = FlashPackage(rt, "filters");
  if (filters == nullptr) return;
  ScriptObject* base = rt.NewObject();
  rt.Class("BitmapFilter", Nothing, nullptr, base, filters);
  ScriptObject* displacement = rt.NewObject(base);
  rt.Class("DisplacementMapFilter", DisplacementConstruct, DisplacementConstruct, displacement, filters);
  rt.Accessor(displacement, "mapPoint", GetMapPoint, SetMapPoint);
}

}  // namespace Halvane::Movie::Builtins
