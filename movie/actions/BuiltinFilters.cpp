// flash.filters of version 8 movies, as far as scripts read and write
// them: the control draws no filters, so a filter is only its settings,
// kept as the record a placement's filter list makes (FilterRecords.h).
// Clips keep copies of those records (the filters property), never the
// objects.
#include <algorithm>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "movie/actions/BuiltinFilters.h"
#include "movie/actions/BuiltinGeometry.h"

namespace Halvane::Movie::Builtins {

const char* const kConvolutionMembers[] = {"matrixX", "matrixY",       "matrix", "divisor", "bias",
                                           "preserveAlpha", "clamp", "color",  "alpha"};

namespace {

// The classes in the order of FilterRecord's alternatives.
const char* const kFilterClasses[] = {"DropShadowFilter",   "BlurFilter",          "GlowFilter",
                                      "BevelFilter",        "GradientGlowFilter",  "ConvolutionFilter",
                                      "ColorMatrixFilter",  "GradientBevelFilter", "DisplacementMapFilter"};
constexpr std::size_t kFilterKinds = std::variant_size_v<FilterRecord>;
static_assert(sizeof kFilterClasses / sizeof kFilterClasses[0] == kFilterKinds);
constexpr std::size_t kConvolutionKind = 5;
constexpr std::size_t kDisplacementKind = 8;

struct FilterState : NativeState {
  explicit FilterState(FilterRecord r) : record(std::move(r)) {}
  FilterRecord record;
};

// The record of this when it is a filter of kind R, or null.
template <class R>
R* ThisRecord(NativeCall& c) {
  auto* s = ThisState<FilterState>(c);
  return s != nullptr ? std::get_if<R>(&s->record) : nullptr;
}

std::string ProtoKey(std::size_t kind) { return std::string("flash.filters.") + kFilterClasses[kind] + ".prototype"; }

template <std::size_t... I>
FilterRecord DefaultRecord(std::size_t kind, std::index_sequence<I...>) {
  FilterRecord r;
  ((kind == I ? (void)r.emplace<I>() : void()), ...);
  return r;
}
FilterRecord DefaultRecord(std::size_t kind) { return DefaultRecord(kind, std::make_index_sequence<kFilterKinds>()); }

// A filter object of record's class, as the installed class makes it (a
// script replacing flash.filters.GlowFilter does not change what clips and
// clone answer). Undefined when the heap is full.
ActionValue NewFilter(NativeCall& c, FilterRecord record) {
  ScriptRuntime& rt = Rt(c);
  const auto proto = rt.keep.find(ProtoKey(record.index()));
  ScriptObject* o = rt.Heap().Make<NativeObject>(rt.CaseSensitive(), std::make_unique<FilterState>(std::move(record)));
  if (o == nullptr) {
    c.vm.Fault();
    return ActionValue();
  }
  if (proto != rt.keep.end() && proto->second.ObjectValue() != nullptr) o->SetProto(proto->second.ObjectValue());
  return Obj(o);
}

// A new filter for new, or this made one when it is super() of a script's
// subclass (NewNativeInstance).
ActionValue NewInstance(NativeCall& c, std::unique_ptr<FilterState> state) {
  ScriptObject* o = NewNativeInstance(c, nullptr, std::move(state));
  return o != nullptr ? Obj(o) : ActionValue();
}

// --- The settings every filter but the convolution and the displacement
// has, by how a script's value is converted.

enum class Field { Number, Angle, Range255, Unit, Quality, Color, Flag, Placing, Colors, Alphas, Ratios, Matrix };

struct FieldRef {
  const char* name;
  Field field;
  void* at;  // the member of the record, of the type field says
};
using Fields = std::vector<FieldRef>;

// The fields in the order of each constructor's parameters.
Fields FieldsOf(DropShadowFilterRecord& f) {
  return {{"distance", Field::Number, &f.distance}, {"angle", Field::Angle, &f.angle},
          {"color", Field::Color, &f.color},        {"alpha", Field::Unit, &f.alpha},
          {"blurX", Field::Range255, &f.blurX},     {"blurY", Field::Range255, &f.blurY},
          {"strength", Field::Range255, &f.strength}, {"quality", Field::Quality, &f.quality},
          {"inner", Field::Flag, &f.inner},         {"knockout", Field::Flag, &f.knockout},
          {"hideObject", Field::Flag, &f.hideObject}};
}
Fields FieldsOf(BlurFilterRecord& f) {
  return {{"blurX", Field::Range255, &f.blurX}, {"blurY", Field::Range255, &f.blurY},
          {"quality", Field::Quality, &f.quality}};
}
Fields FieldsOf(GlowFilterRecord& f) {
  return {{"color", Field::Color, &f.color},          {"alpha", Field::Unit, &f.alpha},
          {"blurX", Field::Range255, &f.blurX},       {"blurY", Field::Range255, &f.blurY},
          {"strength", Field::Range255, &f.strength}, {"quality", Field::Quality, &f.quality},
          {"inner", Field::Flag, &f.inner},           {"knockout", Field::Flag, &f.knockout}};
}
Fields FieldsOf(BevelFilterRecord& f) {
  return {{"distance", Field::Number, &f.distance},     {"angle", Field::Angle, &f.angle},
          {"highlightColor", Field::Color, &f.highlightColor}, {"highlightAlpha", Field::Unit, &f.highlightAlpha},
          {"shadowColor", Field::Color, &f.shadowColor}, {"shadowAlpha", Field::Unit, &f.shadowAlpha},
          {"blurX", Field::Range255, &f.blurX},          {"blurY", Field::Range255, &f.blurY},
          {"strength", Field::Range255, &f.strength},    {"quality", Field::Quality, &f.quality},
          {"type", Field::Placing, &f.placing},          {"knockout", Field::Flag, &f.knockout}};
}
// The three lists point at the whole settings: setting one fits the others.
Fields FieldsOf(GradientFilterSettings& f) {
  return {{"distance", Field::Number, &f.distance},   {"angle", Field::Angle, &f.angle},
          {"colors", Field::Colors, &f},               {"alphas", Field::Alphas, &f},
          {"ratios", Field::Ratios, &f},               {"blurX", Field::Range255, &f.blurX},
          {"blurY", Field::Range255, &f.blurY},        {"strength", Field::Range255, &f.strength},
          {"quality", Field::Quality, &f.quality},     {"type", Field::Placing, &f.placing},
          {"knockout", Field::Flag, &f.knockout}};
}
Fields FieldsOf(ColorMatrixFilterRecord& f) { return {{"matrix", Field::Matrix, &f.values}}; }
// These two have accessors of their own.
Fields FieldsOf(ConvolutionFilterRecord&) { return {}; }
Fields FieldsOf(DisplacementMapFilterRecord&) { return {}; }

Fields FieldsOf(FilterRecord& record) {
  return std::visit([](auto& r) { return FieldsOf(r); }, record);
}

const char* const kPlacings[] = {"inner", "outer", "full"};

double Clamped(double v, double low, double high) { return std::isnan(v) ? low : std::clamp(v, low, high); }
std::uint32_t Rgb(double v) { return static_cast<std::uint32_t>(WrapToInt32(v)) & 0xFFFFFFu; }

// The numbers of an array, at most max of them; false, and nothing read,
// for a value that is no array.
bool ArrayNumbers(NativeCall& c, const ActionValue& v, std::size_t max, std::vector<double>& out) {
  ScriptObject* o = v.ObjectValue();
  if (o == nullptr || o->Kind() != ObjectKind::Array) return false;
  const double length = c.vm.ArrayLength(o);
  for (std::size_t i = 0; i < max && static_cast<double>(i) < length && !c.vm.Stopped(); ++i) {
    out.push_back(c.vm.Number(c.vm.GetMember(v, Num(static_cast<double>(i)))));
  }
  return true;
}

ActionValue NumberArray(NativeCall& c, const std::vector<double>& values) {
  std::vector<ActionValue> items;
  items.reserve(values.size());
  for (const double v : values) items.push_back(Num(v));
  ArrayObject* a = c.vm.NewArray(items);
  return a != nullptr ? Obj(a) : ActionValue();
}

ActionValue ReadField(NativeCall& c, const FieldRef& f) {
  switch (f.field) {
    case Field::Number:
    case Field::Angle:
    case Field::Range255:
    case Field::Unit: return Num(*static_cast<double*>(f.at));
    case Field::Quality: return Num(*static_cast<int*>(f.at));
    case Field::Color: return Num(*static_cast<std::uint32_t*>(f.at));
    case Field::Flag: return Bool(*static_cast<bool*>(f.at));
    case Field::Placing: return Str(c, kPlacings[static_cast<int>(*static_cast<FilterPlacing*>(f.at))]);
    case Field::Colors: {
      const auto& colors = static_cast<GradientFilterSettings*>(f.at)->colors;
      return NumberArray(c, std::vector<double>(colors.begin(), colors.end()));
    }
    case Field::Alphas: return NumberArray(c, static_cast<GradientFilterSettings*>(f.at)->alphas);
    case Field::Ratios: return NumberArray(c, static_cast<GradientFilterSettings*>(f.at)->ratios);
    case Field::Matrix: {
      const auto& m = *static_cast<std::array<double, 20>*>(f.at);
      return NumberArray(c, std::vector<double>(m.begin(), m.end()));
    }
  }
  return ActionValue();
}

// Sets a field from a script's value as the platform converts it: blurs
// and strengths held to 0..255, alphas to 0..1, qualities to whole 0..15,
// colours to 24 bits, angles to less than a turn either way; a type other
// than "inner" or "outer" is "full". A list that is no array changes
// nothing; a gradient's alphas and ratios follow the length of its colours.
void WriteField(NativeCall& c, const FieldRef& f, const ActionValue& v) {
  switch (f.field) {
    case Field::Number: *static_cast<double*>(f.at) = c.vm.Number(v); break;
    case Field::Angle: *static_cast<double*>(f.at) = std::fmod(c.vm.Number(v), 360.0); break;
    case Field::Range255: *static_cast<double*>(f.at) = Clamped(c.vm.Number(v), 0, 255); break;
    case Field::Unit: *static_cast<double*>(f.at) = Clamped(c.vm.Number(v), 0, 1); break;
    case Field::Quality: *static_cast<int*>(f.at) = std::clamp(TruncateToInt32(c.vm.Number(v)), 0, 15); break;
    case Field::Color: *static_cast<std::uint32_t*>(f.at) = Rgb(c.vm.Number(v)); break;
    case Field::Flag: *static_cast<bool*>(f.at) = c.vm.Truth(v); break;
    case Field::Placing: {
      const std::string text = v.IsString() ? c.vm.Text(v) : std::string();
      auto& placing = *static_cast<FilterPlacing*>(f.at);
      placing = text == "inner" ? FilterPlacing::Inner : text == "outer" ? FilterPlacing::Outer : FilterPlacing::Full;
      break;
    }
    case Field::Colors:
    case Field::Alphas:
    case Field::Ratios: {
      auto& g = *static_cast<GradientFilterSettings*>(f.at);
      std::vector<double> values;
      if (!ArrayNumbers(c, v, kMaxGradientStops, values)) break;
      if (f.field == Field::Colors) {
        g.colors.clear();
        for (const double n : values) g.colors.push_back(Rgb(n));
      } else {
        const double high = f.field == Field::Alphas ? 1 : 255;
        for (double& n : values) n = Clamped(n, 0, high);
        (f.field == Field::Alphas ? g.alphas : g.ratios) = std::move(values);
      }
      g.alphas.resize(g.colors.size(), 0.0);
      g.ratios.resize(g.colors.size(), 0.0);
      break;
    }
    case Field::Matrix: {
      std::vector<double> values;
      if (!ArrayNumbers(c, v, 20, values)) break;
      auto& m = *static_cast<std::array<double, 20>*>(f.at);
      m.fill(0);
      std::copy(values.begin(), values.end(), m.begin());
      break;
    }
  }
}

// An accessor's tag: the kind of filter, and the field's place in its list.
constexpr int kFieldsPerKind = 64;

ActionValue GetField(NativeCall& c) {
  auto* s = ThisState<FilterState>(c);
  if (s == nullptr || static_cast<int>(s->record.index()) != c.Tag() / kFieldsPerKind) return ActionValue();
  const Fields fields = FieldsOf(s->record);
  const auto i = static_cast<std::size_t>(c.Tag() % kFieldsPerKind);
  return i < fields.size() ? ReadField(c, fields[i]) : ActionValue();
}

ActionValue SetField(NativeCall& c) {
  auto* s = ThisState<FilterState>(c);
  if (s == nullptr || static_cast<int>(s->record.index()) != c.Tag() / kFieldsPerKind) return ActionValue();
  const Fields fields = FieldsOf(s->record);
  const auto i = static_cast<std::size_t>(c.Tag() % kFieldsPerKind);
  if (i < fields.size()) WriteField(c, fields[i], c.Arg(0));
  return ActionValue();
}

// The arguments in the order of the fields; an argument left out or
// undefined keeps the default.
ActionValue FilterConstruct(NativeCall& c) {
  auto state = std::make_unique<FilterState>(DefaultRecord(static_cast<std::size_t>(c.Tag())));
  const Fields fields = FieldsOf(state->record);
  for (std::size_t i = 0; i < fields.size() && i < c.Count() && !c.vm.Stopped(); ++i) {
    if (!c.Arg(i).IsUndefined()) WriteField(c, fields[i], c.Arg(i));
  }
  if (c.vm.Stopped()) return ActionValue();
  return NewInstance(c, std::move(state));
}

ActionValue Clone(NativeCall& c) {
  auto* s = ThisState<FilterState>(c);
  return s != nullptr ? NewFilter(c, s->record) : ActionValue();
}

ActionValue Nothing(NativeCall&) { return ActionValue(); }

// --- The displacement filter keeps its map point as two integers.

ActionValue DisplacementConstruct(NativeCall& c) {
  return NewInstance(c, std::make_unique<FilterState>(DisplacementMapFilterRecord()));
}

ActionValue GetMapPoint(NativeCall& c) {
  auto* r = ThisRecord<DisplacementMapFilterRecord>(c);
  if (r == nullptr) return ActionValue();
  return NewGeometry(c, GeometryClass::Point, {Num(r->mapX), Num(r->mapY)});
}

// Both coordinates are converted even when the first conversion throws;
// one that throws reads as the lowest integer, and the first exception is
// the one the script sees. An object without both x and y sets (0, 0).
ActionValue SetMapPoint(NativeCall& c) {
  auto* r = ThisRecord<DisplacementMapFilterRecord>(c);
  if (r == nullptr) return ActionValue();
  const ActionValue& p = c.Arg(0);
  ScriptObject* o = p.ObjectValue();
  if (o == nullptr) {
    r->mapX = r->mapY = 0;
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
  r->mapX = complete ? x : 0;
  r->mapY = complete ? y : 0;
  if (thrown) c.vm.Throw(first);
  return ActionValue();
}

// --- The convolution filter's settings, in the order of its constructor's
// parameters (and of its native numbers).
enum ConvolutionMember { MatrixX, MatrixY, MatrixValues, Divisor, Bias, PreserveAlpha, Clamp, Color, Alpha, ConvolutionMemberCount };

// The largest matrix side the filter takes; the values follow its size.
constexpr int kMaxMatrixSide = 15;

void SetConvolutionMember(NativeCall& c, ConvolutionFilterRecord& s, int member, const ActionValue& v) {
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
    case Color: s.color = Rgb(c.vm.Number(v)); break;
    case Alpha: s.alpha = Clamped(c.vm.Number(v), 0, 1); break;
    default: break;
  }
}

ActionValue ConvolutionConstruct(NativeCall& c) {
  auto state = std::make_unique<FilterState>(ConvolutionFilterRecord());
  auto& s = std::get<ConvolutionFilterRecord>(state->record);
  for (int m = 0; m < ConvolutionMemberCount && static_cast<std::size_t>(m) < c.Count() && !c.vm.Stopped(); ++m) {
    SetConvolutionMember(c, s, m, c.Arg(static_cast<std::size_t>(m)));
  }
  return NewInstance(c, std::move(state));
}

ActionValue GetConvolutionMember(NativeCall& c) {
  auto* s = ThisRecord<ConvolutionFilterRecord>(c);
  if (s == nullptr) return ActionValue();
  switch (c.Tag()) {
    case MatrixX: return Num(s->columns);
    case MatrixY: return Num(s->rows);
    case MatrixValues: return NumberArray(c, s->values);
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
  if (auto* s = ThisRecord<ConvolutionFilterRecord>(c)) SetConvolutionMember(c, *s, c.Tag(), c.Arg(0));
  return ActionValue();
}

}  // namespace

ActionValue FilterArray(NativeCall& c, const std::vector<FilterRecord>& filters) {
  std::vector<ActionValue> items;
  for (const FilterRecord& f : filters) {
    items.push_back(NewFilter(c, f));
    if (c.vm.Stopped()) return ActionValue();
  }
  ArrayObject* a = c.vm.NewArray(items);
  return a != nullptr ? Obj(a) : ActionValue();
}

std::optional<std::vector<FilterRecord>> FilterList(NativeCall& c, const ActionValue& value) {
  ScriptObject* o = value.ObjectValue();
  if (o == nullptr || o->Kind() != ObjectKind::Array) return std::nullopt;
  std::vector<FilterRecord> list;
  const double length = c.vm.ArrayLength(o);
  for (double i = 0; i < length && i < kMaxFiltersPerObject && !c.vm.Stopped(); ++i) {
    ScriptObject* item = c.vm.GetMember(value, Num(i)).ObjectValue();
    if (auto* s = NativeStateOf<FilterState>(item)) list.push_back(s->record);
  }
  return list;
}

void InstallFilters(ScriptRuntime& rt) {
  ScriptObject* filters = FlashPackage(rt, "filters");
  if (filters == nullptr) return;
  ScriptObject* base = rt.NewObject();
  rt.Class("BitmapFilter", Nothing, nullptr, base, filters);
  rt.Method(base, "clone", Clone);
  for (std::size_t kind = 0; kind < kFilterKinds; ++kind) {
    ScriptObject* proto = rt.NewObject(base);
    const NativeFunction construct = kind == kConvolutionKind    ? ConvolutionConstruct
                                     : kind == kDisplacementKind ? DisplacementConstruct
                                                                 : FilterConstruct;
    if (FunctionObject* f = rt.Class(kFilterClasses[kind], construct, construct, proto, filters)) {
      f->tag = static_cast<int>(kind);
    }
    rt.keep[ProtoKey(kind)] = Obj(proto);
    rt.Method(proto, "clone", Clone);
    if (kind == kConvolutionKind) {
      for (int m = 0; m < ConvolutionMemberCount; ++m) {
        rt.Accessor(proto, kConvolutionMembers[m], GetConvolutionMember, SetConvolutionMemberNative, m);
      }
    } else if (kind == kDisplacementKind) {
      rt.Accessor(proto, "mapPoint", GetMapPoint, SetMapPoint);
    } else {
      FilterRecord defaults = DefaultRecord(kind);
      const Fields fields = FieldsOf(defaults);
      for (std::size_t i = 0; i < fields.size(); ++i) {
        rt.Accessor(proto, fields[i].name, GetField, SetField, static_cast<int>(kind) * kFieldsPerKind + static_cast<int>(i));
      }
    }
  }
}

}  // namespace Halvane::Movie::Builtins
