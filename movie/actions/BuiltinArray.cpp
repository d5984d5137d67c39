// Array: construction, the mutators, join, slice, splice, concat, sort and
// sortOn. The methods work on any object with a length, as the language's
// do; arrays themselves take the short way to their elements.
#include <algorithm>
#include <cmath>
#include <functional>
#include <string_view>

#include "movie/actions/BuiltinSupport.h"
#include "movie/swf/Text.h"

namespace Halvane::Movie::Builtins {

namespace {

namespace SortFlag {
constexpr int CaseInsensitive = 1;
constexpr int Descending = 2;
constexpr int UniqueSort = 4;
constexpr int ReturnIndexedArray = 8;
constexpr int Numeric = 16;
}  // namespace SortFlag

// Lengths past this are not walked element by element.
constexpr double kMaxWalk = 1 << 20;

// this as an array-like: its length and elements, through the array's
// storage when it is one.
class Elements {
 public:
  explicit Elements(NativeCall& c) : c_(c), self_(c.thisValue), object_(c.This()) {
    if (object_ != nullptr && object_->Kind() == ObjectKind::Array) {
      array_ = static_cast<ArrayObject*>(object_->Core());
    }
  }
  bool Valid() const { return object_ != nullptr; }
  ArrayObject* Array() const { return array_; }
  double Length() { return array_ ? array_->length : c_.vm.ArrayLength(object_); }
  std::uint32_t WalkLength() {
    const double n = Length();
    if (!(n > 0)) return 0;
    return static_cast<std::uint32_t>(std::min(n, kMaxWalk));
  }
  ActionValue Get(std::uint32_t i) {
    if (array_) return c_.vm.ArrayGet(array_, i);
    return c_.vm.GetMember(self_, Num(i));
  }
  void Set(std::uint32_t i, ActionValue v) {
    if (array_) c_.vm.ArraySet(array_, i, std::move(v));
    else c_.vm.SetMember(self_, Num(i), std::move(v));
  }
  void SetLength(double n) {
    if (array_) c_.vm.ArraySetLength(array_, n);
    else c_.vm.SetMember(self_, Rt(c_).names.length, Num(n));
  }
  // Replaces every element (orders renewed, as if the array were made
  // from values).
  void Replace(const std::vector<ActionValue>& values) {
    if (array_) {
      array_->elements.clear();
      array_->elements.resize(values.size());
      for (std::size_t i = 0; i < values.size(); ++i) {
        array_->elements[i].value = values[i];
        array_->elements[i].order = array_->Properties().TakeOrder();
      }
      array_->length = static_cast<double>(values.size());
      return;
    }
    for (std::size_t i = 0; i < values.size(); ++i) Set(static_cast<std::uint32_t>(i), values[i]);
    SetLength(static_cast<double>(values.size()));
  }
  std::vector<ActionValue> All() {
    const std::uint32_t n = WalkLength();
    c_.vm.Work(n);
    std::vector<ActionValue> out;
    out.reserve(n);
    for (std::uint32_t i = 0; i < n; ++i) out.push_back(Get(i));
    return out;
  }

 private:
  NativeCall& c_;
  const ActionValue& self_;
  ScriptObject* object_;
  ArrayObject* array_ = nullptr;
};

ActionValue MakeArray(NativeCall& c, const std::vector<ActionValue>& values) {
  ArrayObject* array = c.vm.NewArray(values);
  if (array == nullptr) return ActionValue();
  ScriptObject* proto = Rt(c).arrayProto;
  if (c.callee != nullptr) {
    const ActionValue p = c.vm.GetMember(ActionValue::Object(c.callee), Rt(c).names.prototype);
    if (p.IsObject() && c.callee != Rt(c).arrayClass) proto = p.ObjectValue();
  }
  array->SetProto(proto);
  return Obj(array);
}

ActionValue ArrayConstruct(NativeCall& c) {
  if (c.Count() == 1 && c.Arg(0).IsNumber()) {
    ArrayObject* array = c.vm.NewArray({});
    if (array == nullptr) return ActionValue();
    const double n = c.Arg(0).NumberValue();
    if (n >= 0 && n == std::floor(n)) c.vm.ArraySetLength(array, n);
    return Obj(array);
  }
  return MakeArray(c, c.args.ToVector());
}

ActionValue ArrayCall(NativeCall& c) {
  // super() of a class extending Array: this becomes an array, of the
  // arguments as new Array takes them.
  if (UpgradesThis(c)) {
    ArrayObject* core = Rt(c).NewArray();
    if (core == nullptr) {
      c.vm.Fault();
      return ActionValue();
    }
    if (c.This()->AdoptCore(core)) {
      if (c.Count() == 1 && c.Arg(0).IsNumber()) {
        const double n = c.Arg(0).NumberValue();
        if (n >= 0 && n == std::floor(n)) c.vm.ArraySetLength(core, n);
      } else {
        Elements e(c);
        e.Replace(c.args.ToVector());
      }
      return c.thisValue;
    }
  }
  // Called on an array: the elements go there.
  if (ScriptObject* self = c.This()) {
    if (self->Kind() == ObjectKind::Array) {
      Elements e(c);
      e.Replace(c.args.ToVector());
      return ActionValue();
    }
  }
  return ArrayConstruct(c);
}

ActionValue Push(NativeCall& c) {
  Elements e(c);
  if (!e.Valid()) return ActionValue();
  double length = e.Length();
  // An object posing as an array may have any length: one that is no
  // count (NaN, negative) starts from 0, a fraction from its whole part.
  length = length > 0 ? std::floor(length) : 0;
  for (std::size_t i = 0; i < c.Count(); ++i) {
    if (length >= ArrayObject::MaxLength) break;
    e.Set(static_cast<std::uint32_t>(length), c.Arg(i));
    length += 1;
  }
  if (!e.Array()) e.SetLength(length);
  return Num(length);
}

ActionValue Pop(NativeCall& c) {
  Elements e(c);
  if (!e.Valid()) return ActionValue();
  const double length = e.Length();
  if (!(length >= 1)) return ActionValue();
  const std::uint32_t last = static_cast<std::uint32_t>(std::min(length, ArrayObject::MaxLength) - 1);
  ActionValue v = e.Get(last);
  e.SetLength(last);
  return v;
}

ActionValue Shift(NativeCall& c) {
  Elements e(c);
  if (!e.Valid()) return ActionValue();
  std::vector<ActionValue> all = e.All();
  if (all.empty()) return ActionValue();
  ActionValue first = std::move(all.front());
  all.erase(all.begin());
  e.Replace(all);
  return first;
}

ActionValue Unshift(NativeCall& c) {
  Elements e(c);
  if (!e.Valid()) return ActionValue();
  const std::vector<ActionValue> rest = e.All();
  const std::size_t n = c.Count();
  std::vector<ActionValue> all = c.args.ToVector();
  all.insert(all.end(), rest.begin(), rest.end());
  if (ArrayObject* array = e.Array()) {
    // The old elements are deleted (those that may not be keep their place
    // in for-in and their flags), then the elements move up from the last
    // and the new ones come in from the first: for-in sees them in that
    // order. Read-only elements keep their values.
    std::vector<ArrayObject::Element> kept = std::move(array->elements);
    array->elements.assign(all.size(), ArrayObject::Element());
    for (std::size_t i = 0; i < kept.size() && i < all.size(); ++i) {
      if (kept[i].order != 0 && (kept[i].flags & PropertyFlag::DontDelete)) array->elements[i] = kept[i];
    }
    const auto store = [&](std::size_t i) {
      ArrayObject::Element& element = array->elements[i];
      if (element.order == 0) element.order = array->Properties().TakeOrder();
      if (!(element.flags & PropertyFlag::ReadOnly)) element.value = all[i];
    };
    for (std::size_t i = all.size(); i > n; --i) store(i - 1);
    for (std::size_t i = 0; i < n && i < all.size(); ++i) store(i);
    array->length = static_cast<double>(all.size());
  } else {
    e.Replace(all);
  }
  return Num(static_cast<double>(all.size()));
}

// A relative index of slice and splice: negative counts from the end.
double Clamp(double index, double length) {
  if (std::isnan(index)) return 0;
  index = std::trunc(index);
  if (index < 0) index += length;
  if (index < 0) return 0;
  return index > length ? length : index;
}

ActionValue Slice(NativeCall& c) {
  Elements e(c);
  if (!e.Valid()) return ActionValue();
  const double length = std::min(e.Length(), kMaxWalk);
  const double start = Clamp(c.Has(0) ? ArgNumber(c, 0) : 0, length);
  const double end = c.Has(1) && !c.Arg(1).IsUndefined() ? Clamp(ArgNumber(c, 1), length) : length;
  std::vector<ActionValue> out;
  for (double i = start; i < end; ++i) out.push_back(e.Get(static_cast<std::uint32_t>(i)));
  c.vm.Work(out.size());
  return MakeArray(c, out);
}

ActionValue Splice(NativeCall& c) {
  Elements e(c);
  if (!e.Valid() || !c.Has(0)) return ActionValue();
  std::vector<ActionValue> all = e.All();
  const double length = static_cast<double>(all.size());
  const std::size_t start = static_cast<std::size_t>(Clamp(ArgNumber(c, 0), length));
  std::size_t count = all.size() - start;
  if (c.Has(1)) {
    const double n = ArgNumber(c, 1);
    if (!(n > 0)) count = 0;
    else if (n < static_cast<double>(count)) count = static_cast<std::size_t>(n);
  }
  std::vector<ActionValue> removed(all.begin() + static_cast<std::ptrdiff_t>(start),
                                   all.begin() + static_cast<std::ptrdiff_t>(start + count));
  all.erase(all.begin() + static_cast<std::ptrdiff_t>(start), all.begin() + static_cast<std::ptrdiff_t>(start + count));
  std::vector<ActionValue> inserted;
  for (std::size_t i = 2; i < c.Count(); ++i) inserted.push_back(c.Arg(i));
  all.insert(all.begin() + static_cast<std::ptrdiff_t>(start), inserted.begin(), inserted.end());
  e.Replace(all);
  return Obj(c.vm.NewArray(removed));
}

ActionValue Concat(NativeCall& c) {
  Elements e(c);
  if (!e.Valid()) return ActionValue();
  std::vector<ActionValue> all = e.All();
  for (std::size_t i = 0; i < c.Count(); ++i) {
    ScriptObject* o = c.Arg(i).ObjectValue();
    if (o != nullptr && o->Kind() == ObjectKind::Array) {
      auto* array = static_cast<ArrayObject*>(o->Core());
      const double n = std::min(array->length, kMaxWalk);
      c.vm.Work(static_cast<std::size_t>(n));
      for (double j = 0; j < n; ++j) all.push_back(c.vm.ArrayGet(array, static_cast<std::uint32_t>(j)));
    } else {
      all.push_back(c.Arg(i));
    }
    if (all.size() > kMaxWalk) {
      c.vm.Fault();
      return ActionValue();
    }
  }
  return MakeArray(c, all);
}

ActionValue Join(NativeCall& c) {
  if (c.This() == nullptr) return ActionValue();
  const std::string separator = c.Has(0) && !c.Arg(0).IsUndefined() ? ArgText(c, 0) : ",";
  return Str(c, JoinArray(c, c.This(), separator));
}

ActionValue ToStringMethod(NativeCall& c) {
  if (c.This() == nullptr) return ActionValue();
  return Str(c, JoinArray(c, c.This(), ","));
}

ActionValue Reverse(NativeCall& c) {
  Elements e(c);
  if (!e.Valid()) return ActionValue();
  std::vector<ActionValue> all = e.All();
  std::reverse(all.begin(), all.end());
  e.Replace(all);
  return c.thisValue;
}

// Sorting. The comparison may call the movie's function, which may answer
// anything: the sort must end and stay in bounds whatever it answers.
using Compare = std::function<int(const ActionValue&, const ActionValue&)>;

// Quicksort as the platform's player sorts, since a comparison function
// can watch every call it gets and equal elements keep the places it gives
// them: the first element of each range is the pivot and always the first
// argument; a range of two takes one comparison. Each index stays inside
// its range whatever compare answers, and every step costs budget, so an
// answer that changes from call to call ends with the budget, not a hang.
// A template so that the comparison of texts alone, the common case, is
// inlined rather than called through a Compare.
template <class Value, class Comparison>
void QuickSort(std::vector<std::size_t>& order, const std::vector<Value>& values, const Comparison& compare,
               Interpreter& vm) {
  std::vector<std::pair<std::ptrdiff_t, std::ptrdiff_t>> ranges;
  if (order.size() > 1) ranges.emplace_back(0, static_cast<std::ptrdiff_t>(order.size()) - 1);
  while (!ranges.empty() && !vm.Abnormal() && vm.BudgetLeft()) {
    const auto [lo, hi] = ranges.back();
    ranges.pop_back();
    if (hi <= lo) continue;
    // A range costs a share of its length: sorted input, the worst case of
    // this pivot, stays within a frame's budget up to a few thousand
    // elements, as scripts expect.
    vm.Work(static_cast<std::size_t>(hi - lo) / 8 + 1);
    if (hi == lo + 1) {
      if (compare(values[order[lo]], values[order[hi]]) > 0) std::swap(order[lo], order[hi]);
      continue;
    }
    // order[lo] stays in place until the range is split.
    const Value& pivot = values[order[lo]];
    std::ptrdiff_t i = lo + 1;
    std::ptrdiff_t j = hi;
    while (true) {
      while (i < j && compare(pivot, values[order[i]]) > 0) ++i;
      while (j > lo && compare(pivot, values[order[j]]) <= 0) --j;
      vm.Work(1);
      if (vm.Abnormal() || !vm.BudgetLeft()) return;
      if (i >= j) break;
      std::swap(order[i], order[j]);
    }
    std::swap(order[lo], order[j]);
    ranges.emplace_back(j + 1, hi);
    ranges.emplace_back(lo, j - 1);
  }
}

int CompareTexts(const std::string& a, const std::string& b, bool caseInsensitive) {
  if (!caseInsensitive) return a < b ? -1 : a > b ? 1 : 0;
  const std::string la = AsciiLowerCase(a);
  const std::string lb = AsciiLowerCase(b);
  return la < lb ? -1 : la > lb ? 1 : 0;
}

int CompareNumbers(double a, double b) {
  if (std::isnan(a)) return std::isnan(b) ? 0 : 1;
  if (std::isnan(b)) return -1;
  return a < b ? -1 : a > b ? 1 : 0;
}

// The comparison of sort's flags for two values.
Compare FlagCompare(Interpreter& vm, int flags) {
  const bool numeric = (flags & SortFlag::Numeric) != 0;
  const bool caseInsensitive = (flags & SortFlag::CaseInsensitive) != 0;
  return [&vm, numeric, caseInsensitive](const ActionValue& a, const ActionValue& b) {
    // Undefined goes after everything.
    if (a.IsUndefined() || b.IsUndefined()) return a.IsUndefined() ? (b.IsUndefined() ? 0 : 1) : -1;
    if (numeric && a.IsNumber() && b.IsNumber()) return CompareNumbers(a.NumberValue(), b.NumberValue());
    // Strings compare in place: a sort makes n log n comparisons, and a
    // copy of both texts in each was most of its time.
    std::string textA;
    std::string textB;
    if (!a.IsString()) textA = vm.Text(a);
    if (!b.IsString()) textB = vm.Text(b);
    return CompareTexts(a.IsString() ? a.StringValue() : textA, b.IsString() ? b.StringValue() : textB,
                        caseInsensitive);
  };
}

// Sorts keys (as sort and sortOn do with flags) and writes values in that
// order to e, or answers the order as an array of indices; keys and values
// have the same positions.
template <class Key, class Comparison>
ActionValue SortKeys(NativeCall& c, Elements& e, const std::vector<ActionValue>& values, const std::vector<Key>& keys,
                     const Comparison& compare, int flags) {
  std::vector<std::size_t> order(values.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  QuickSort(order, keys, compare, c.vm);
  if (c.vm.Abnormal()) return ActionValue();
  if (flags & SortFlag::UniqueSort) {
    for (std::size_t i = 1; i < order.size(); ++i) {
      if (compare(keys[order[i - 1]], keys[order[i]]) == 0) return Num(0);
    }
  }
  if (flags & SortFlag::ReturnIndexedArray) {
    std::vector<ActionValue> indices;
    for (const std::size_t i : order) indices.push_back(Num(static_cast<double>(i)));
    return Obj(c.vm.NewArray(indices));
  }
  std::vector<ActionValue> sorted;
  sorted.reserve(order.size());
  for (const std::size_t i : order) sorted.push_back(values[i]);
  e.Replace(sorted);
  return c.thisValue;
}

// keys, when given, are what compare sees in place of values.
ActionValue SortValues(NativeCall& c, Elements& e, const std::vector<ActionValue>& values, Compare compare,
                       int flags, const std::vector<ActionValue>* keys = nullptr) {
  if (flags & SortFlag::Descending) {
    compare = [inner = std::move(compare)](const ActionValue& a, const ActionValue& b) { return inner(b, a); };
  }
  return SortKeys(c, e, values, keys != nullptr ? *keys : values, compare, flags);
}

// Keys that are all texts, compared by their bytes as FlagCompare compares
// two strings without CaseInsensitive.
// Each text carries its first 8 bytes as a big-endian number (zeros past
// the end): two texts whose numbers differ compare as the numbers do, and
// two that fit in 8 bytes with equal numbers differ only by length. Only
// longer texts with a common start compare byte by byte, so the common
// keys (numbers as text, short words) cost no call per comparison.
struct SortText {
  std::uint64_t prefix = 0;
  std::string_view text;
};

SortText MakeSortText(std::string_view text) {
  SortText key;
  key.text = text;
  for (std::size_t i = 0; i < 8; ++i) {
    key.prefix <<= 8;
    if (i < text.size()) key.prefix |= static_cast<unsigned char>(text[i]);
  }
  return key;
}

// The order of string_view::compare.
int CompareSortTexts(const SortText& a, const SortText& b) {
  if (a.prefix != b.prefix) return a.prefix < b.prefix ? -1 : 1;
  if (a.text.size() <= 8 && b.text.size() <= 8) {
    return a.text.size() < b.text.size() ? -1 : a.text.size() > b.text.size() ? 1 : 0;
  }
  return a.text.compare(b.text);
}

// values hold no object and no undefined: each is its text, the strings
// as they are and the other primitives turned into text once each (which
// runs no script, so the order of the conversions is not seen).
ActionValue SortTexts(NativeCall& c, Elements& e, const std::vector<ActionValue>& values, int flags) {
  std::vector<std::string> converted(values.size());
  std::vector<SortText> texts;
  texts.reserve(values.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (values[i].IsString()) {
      texts.push_back(MakeSortText(values[i].StringValue()));
    } else {
      converted[i] = c.vm.Text(values[i]);
      texts.push_back(MakeSortText(converted[i]));
    }
  }
  const int sign = (flags & SortFlag::Descending) ? -1 : 1;
  const auto compare = [sign](const SortText& a, const SortText& b) {
    const int r = CompareSortTexts(a, b);
    return r < 0 ? -sign : r > 0 ? sign : 0;
  };
  return SortKeys(c, e, values, texts, compare, flags);
}

ActionValue Sort(NativeCall& c) {
  Elements e(c);
  if (!e.Valid()) return ActionValue();
  const std::vector<ActionValue> values = e.All();
  std::size_t flagArg = 0;
  Compare compare;
  if (c.Arg(0).IsFunction()) {
    const ActionValue function = c.Arg(0);
    Interpreter& vm = c.vm;
    compare = [&vm, function](const ActionValue& a, const ActionValue& b) {
      const ActionValue args[] = {a, b};
      const double r = vm.Number(vm.Call(function, ActionValue(), ArgList(args, 2)));
      return r < 0 ? -1 : r > 0 ? 1 : 0;
    };
    flagArg = 1;
  }
  const int flags = c.Has(flagArg) ? ArgInt(c, flagArg) : 0;
  if (compare) return SortValues(c, e, values, compare, flags);
  compare = FlagCompare(c.vm, flags);
  if (flags & SortFlag::Numeric) return SortValues(c, e, values, compare, flags);
  // Compared as texts: numbers and the other primitives are turned into
  // text once each rather than in each of the n log n comparisons. Objects
  // stay as they are, so their toString runs when the comparison asks.
  bool texts = (flags & SortFlag::CaseInsensitive) == 0;
  for (const ActionValue& v : values) texts = texts && !v.IsObject() && !v.IsUndefined();
  if (texts) return SortTexts(c, e, values, flags);
  std::vector<ActionValue> keys;
  keys.reserve(values.size());
  for (const ActionValue& v : values) {
    if (v.IsObject() || v.IsString() || v.IsUndefined()) keys.push_back(v);
    else keys.push_back(ActionValue::String(c.vm.Text(v)));
  }
  return SortValues(c, e, values, compare, flags, &keys);
}

ActionValue SortOn(NativeCall& c) {
  Elements e(c);
  if (!e.Valid() || !c.Has(0)) return ActionValue();
  const std::vector<ActionValue> values = e.All();
  std::vector<ActionValue> fields;
  std::vector<int> fieldFlags;
  if (ScriptObject* list = c.Arg(0).ObjectValue()) {
    const double n = c.vm.ArrayLength(list);
    for (double i = 0; i < n && i < 256; ++i) fields.push_back(Str(c, c.vm.Text(c.vm.GetMember(c.Arg(0), Num(i)))));
  } else {
    fields.push_back(Str(c, ArgText(c, 0)));
  }
  int flags = 0;
  if (ScriptObject* list = c.Arg(1).ObjectValue()) {
    const double n = c.vm.ArrayLength(list);
    for (double i = 0; i < n && i < 256; ++i) fieldFlags.push_back(TruncateToInt32(c.vm.Number(c.vm.GetMember(c.Arg(1), Num(i)))));
  } else if (c.Has(1)) {
    flags = ArgInt(c, 1);
  }
  Interpreter& vm = c.vm;
  const bool perField = fieldFlags.size() == fields.size() && !fields.empty();
  const Compare compare = [&vm, fields, fieldFlags, flags, perField](const ActionValue& a, const ActionValue& b) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
      const int f = perField ? fieldFlags[i] : flags;
      const ActionValue va = vm.GetMember(a, fields[i]);
      const ActionValue vb = vm.GetMember(b, fields[i]);
      int r = FlagCompare(vm, f)(va, vb);
      if (perField && (f & SortFlag::Descending)) r = -r;
      if (r != 0) return r;
    }
    return 0;
  };
  return SortValues(c, e, values, compare, perField ? (fieldFlags[0] & ~SortFlag::Descending) : flags);
}

}  // namespace

std::string JoinArray(NativeCall& c, ScriptObject* object, const std::string& separator) {
  const ActionValue self = ActionValue::Object(object);
  double length = std::min(c.vm.ArrayLength(object), kMaxWalk);
  if (!(length > 0)) length = 0;  // NaN or negative: nothing to join
  std::string out;
  auto* array = object->Kind() == ObjectKind::Array ? static_cast<ArrayObject*>(object->Core()) : nullptr;
  for (double i = 0; i < length; ++i) {
    if (i > 0) out += separator;
    const ActionValue v = array ? c.vm.ArrayGet(array, static_cast<std::uint32_t>(i)) : c.vm.GetMember(self, Num(i));
    out += c.vm.Text(v);
    if (out.size() > ActionContext::MaxStringLength) {
      c.vm.Fault();
      return std::string();
    }
    if (c.vm.Abnormal()) return std::string();
  }
  c.vm.Work(static_cast<std::size_t>(length) + out.size() / 256);
  return out;
}

void InstallArray(ScriptRuntime& rt) {
  rt.arrayProto = rt.NewObject();
  rt.arrayClass = rt.Class("Array", ArrayCall, ArrayConstruct, rt.arrayProto);
  ScriptObject* p = rt.arrayProto;
  rt.Method(p, "push", Push);
  rt.Method(p, "pop", Pop);
  rt.Method(p, "shift", Shift);
  rt.Method(p, "unshift", Unshift);
  rt.Method(p, "slice", Slice);
  rt.Method(p, "splice", Splice);
  rt.Method(p, "concat", Concat);
  rt.Method(p, "join", Join);
  rt.Method(p, "toString", ToStringMethod);
  rt.Method(p, "reverse", Reverse);
  rt.Method(p, "sort", Sort);
  rt.Method(p, "sortOn", SortOn);
  ScriptObject* a = rt.arrayClass;
  rt.Value(a, "CASEINSENSITIVE", ActionValue::Number(SortFlag::CaseInsensitive), PropertyFlag::DontEnum | PropertyFlag::DontDelete | PropertyFlag::ReadOnly);
  rt.Value(a, "DESCENDING", ActionValue::Number(SortFlag::Descending), PropertyFlag::DontEnum | PropertyFlag::DontDelete | PropertyFlag::ReadOnly);
  rt.Value(a, "UNIQUESORT", ActionValue::Number(SortFlag::UniqueSort), PropertyFlag::DontEnum | PropertyFlag::DontDelete | PropertyFlag::ReadOnly);
  rt.Value(a, "RETURNINDEXEDARRAY", ActionValue::Number(SortFlag::ReturnIndexedArray), PropertyFlag::DontEnum | PropertyFlag::DontDelete | PropertyFlag::ReadOnly);
  rt.Value(a, "NUMERIC", ActionValue::Number(SortFlag::Numeric), PropertyFlag::DontEnum | PropertyFlag::DontDelete | PropertyFlag::ReadOnly);
}

}  // namespace Halvane::Movie::Builtins
