// The global functions: conversions, escape and unescape, ASSetPropFlags,
// and the timers of setInterval and setTimeout on the movie's clock.
#include <cmath>
#include <limits>

#include "movie/actions/BuiltinSupport.h"
#include "movie/swf/Text.h"

namespace Halvane::Movie::Builtins {

namespace {

bool IsHexDigit(char c) { return DigitValue(c) >= 0 && DigitValue(c) < 16; }

ActionValue IsNaN(NativeCall& c) { return Bool(std::isnan(ArgNumber(c, 0))); }
// isFinite reads undefined and empty texts as NaN in every version.
ActionValue IsFinite(NativeCall& c) {
  const ActionValue& v = c.Arg(0);
  if (v.IsObject()) return Bool(std::isfinite(ArgNumber(c, 0)));
  return Bool(std::isfinite(v.ToNumber(std::max(7, c.vm.Version()))));
}

// parseInt as the platform's player reads it: without a radix, "0x" at
// the very start is hexadecimal (a sign may follow it) and a leading 0 is
// octal; with one, only 2 to 36 are radixes.
double ParseIntText(const std::string& s, bool hasRadix, double radixArgument) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  int radix = 10;
  if (hasRadix) {
    if (!std::isfinite(radixArgument)) return nan;
    const double r = std::trunc(radixArgument);
    if (r < 2 || r > 36) return nan;
    radix = static_cast<int>(r);
  }
  std::size_t i = 0;
  bool negative = false;
  const auto sign = [&] {
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  };
  const bool hexPrefix = s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X');
  if (hexPrefix && (!hasRadix || radix == 16)) {
    i = 2;
    while (i < s.size() && IsAsciiSpace(s[i])) ++i;
    sign();
    radix = 16;
  } else if (!hasRadix && (s.size() >= 1 && (s[0] == '0' || ((s[0] == '-' || s[0] == '+') && s.size() >= 2 && s[1] == '0')))) {
    // Octal only when the whole text is (after its sign).
    std::size_t k = s[0] == '0' ? 0 : 1;
    bool octal = true;
    for (std::size_t j = k; j < s.size(); ++j) octal = octal && s[j] >= '0' && s[j] <= '7';
    sign();
    if (i + 1 < s.size() && (s[i + 1] == 'x' || s[i + 1] == 'X')) return nan;
    radix = octal ? 8 : 10;
  } else if (hexPrefix) {
    i = 2;
  } else if (hasRadix && s.size() >= 3 && (s[0] == '+' || s[0] == '-') && s[1] == '0' &&
             (s[2] == 'x' || s[2] == 'X')) {
    // A signed hexadecimal prefix under another radix: its sign and zero
    // are skipped, and the sign is lost.
    i = 2;
  } else {
    while (i < s.size() && IsAsciiSpace(s[i])) ++i;
    sign();
  }
  double result = 0;
  std::size_t digits = 0;
  for (; i < s.size(); ++i, ++digits) {
    const int d = DigitValue(s[i]);
    if (d < 0 || d >= radix) break;
    result = result * radix + d;
  }
  if (digits == 0) return nan;
  return negative ? -result : result;
}

ActionValue ParseInt(NativeCall& c) {
  if (!c.Has(0)) return ActionValue();
  return Num(ParseIntText(ArgText(c, 0), c.Has(1), c.Has(1) ? ArgNumber(c, 1) : 0));
}

ActionValue ParseFloat(NativeCall& c) {
  if (!c.Has(0)) return ActionValue();
  return Num(ParseFloatPrefix(ArgText(c, 0)));
}

ActionValue Escape(NativeCall& c) {
  if (!c.Has(0)) return ActionValue();
  return Str(c, EscapeText(ArgText(c, 0)));
}

ActionValue Unescape(NativeCall& c) {
  if (!c.Has(0)) return ActionValue();
  return Str(c, UnescapeText(ArgText(c, 0)));
}

// ASSetPropFlags(object, names, set, clear): names is null (every
// property), a comma-separated list or an array of names.
ActionValue SetPropFlags(NativeCall& c) {
  ScriptObject* object = c.Arg(0).ObjectValue();
  if (object == nullptr) return ActionValue();
  if (object->Kind() == ObjectKind::Clip) {
    ActionTarget* t = c.vm.TargetOf(c.Arg(0));
    if (t == nullptr) return ActionValue();
    object = c.vm.ClipOf(*t);
  }
  const std::uint16_t set = static_cast<std::uint16_t>(WrapToInt32(ArgNumber(c, 2)));
  const std::uint16_t clear = c.Has(3) ? static_cast<std::uint16_t>(WrapToInt32(ArgNumber(c, 3))) : 0;
  const auto apply = [&](VariableStore::Entry& e) { e.flags = static_cast<std::uint16_t>((e.flags & ~clear) | set); };
  const ActionValue& names = c.Arg(1);
  if (names.IsNull()) {
    for (VariableStore::Entry& e : object->Properties().Entries()) {
      if (e.Live()) apply(e);
    }
    object->SetProtoFlags(static_cast<std::uint16_t>((object->ProtoFlags() & ~clear) | set));
    return ActionValue();
  }
  std::vector<std::string> list;
  if (ScriptObject* array = names.ObjectValue()) {
    const double length = c.vm.ArrayLength(array);
    for (double i = 0; i < length && i < 65536; ++i) list.push_back(c.vm.Text(c.vm.GetMember(names, Num(i))));
  } else {
    const std::string text = c.vm.Text(names);
    std::size_t start = 0;
    while (start <= text.size()) {
      std::size_t comma = text.find(',', start);
      if (comma == std::string::npos) comma = text.size();
      list.push_back(text.substr(start, comma - start));
      start = comma + 1;
    }
  }
  // The elements of an array have flags of their own.
  auto* array = object->Kind() == ObjectKind::Array ? static_cast<ArrayObject*>(object->Core()) : nullptr;
  const auto elementIndex = [](const std::string& name, std::size_t& index) {
    if (name.empty() || name.size() > 7 || (name.size() > 1 && name[0] == '0')) return false;
    index = 0;
    for (const char ch : name) {
      if (ch < '0' || ch > '9') return false;
      index = index * 10 + static_cast<std::size_t>(ch - '0');
    }
    return true;
  };
  for (const std::string& name : list) {
    std::size_t index = 0;
    if (array != nullptr && elementIndex(name, index) && index < array->elements.size() &&
        array->elements[index].order != 0) {
      ArrayObject::Element& e = array->elements[index];
      e.flags = static_cast<std::uint16_t>((e.flags & ~clear) | set);
      continue;
    }
    if (SameName(name, "__proto__", object->Properties().CaseSensitive())) {
      object->SetProtoFlags(static_cast<std::uint16_t>((object->ProtoFlags() & ~clear) | set));
      continue;
    }
    if (VariableStore::Entry* e = object->Properties().FindEntry(name)) apply(*e);
  }
  return ActionValue();
}

// setInterval(function, ms, args...) or setInterval(object, "method", ms,
// args...); setTimeout the same, called once.
ActionValue AddTimer(NativeCall& c, bool once) {
  ScriptRuntime& rt = Rt(c);
  ScriptTimer timer;
  std::size_t next = 0;
  if (c.Arg(0).IsFunction()) {
    timer.function = c.Arg(0);
    next = 1;
  } else if (c.Arg(0).IsObject() && c.Count() >= 3) {
    timer.object = c.Arg(0);
    timer.method = Str(c, ArgText(c, 1));
    next = 2;
  } else {
    return ActionValue();
  }
  // An interval must be given (null will do); a timeout may go without.
  if (c.Arg(next).IsUndefined() && !once) return ActionValue();
  if (timer.object.IsObject() && c.Arg(next).IsUndefined()) return ActionValue();
  const double interval = c.Has(next) ? ArgNumber(c, next) : 0;
  timer.interval = std::isfinite(interval) && interval > 0 ? interval : 0;
  for (std::size_t i = next + 1; i < c.Count(); ++i) timer.arguments.push_back(c.Arg(i));
  if (rt.timers.size() >= ScriptRuntime::MaxTimers) return ActionValue();
  const double now = c.vm.Context().elapsedMilliseconds ? c.vm.Context().elapsedMilliseconds() : 0;
  timer.due = now + timer.interval;
  timer.once = once;
  timer.id = rt.nextTimerId++;
  rt.timers.push_back(std::move(timer));
  return Num(rt.timers.back().id);
}

ActionValue SetInterval(NativeCall& c) { return AddTimer(c, false); }
ActionValue SetTimeout(NativeCall& c) { return AddTimer(c, true); }

ActionValue ClearTimer(NativeCall& c) {
  ScriptRuntime& rt = Rt(c);
  const double id = ArgNumber(c, 0);
  for (auto it = rt.timers.begin(); it != rt.timers.end(); ++it) {
    if (it->id == id) {
      rt.timers.erase(it);
      return ActionValue();
    }
  }
  return ActionValue();
}

ActionValue Nothing(NativeCall&) { return ActionValue(); }

}  // namespace

std::string EscapeText(const std::string& text) {
  static const char* kHex = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    const unsigned char b = static_cast<unsigned char>(ch);
    if (IsAsciiLetter(ch) || IsAsciiDigit(ch)) {
      out += ch;
    } else {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 15];
    }
  }
  return out;
}

std::string UnescapeText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const char ch = text[i];
    if (ch == '+') {
      out += ' ';
      ++i;
    } else if (ch != '%') {
      out += ch;
      ++i;
    } else {
      // "%" takes the next character; a hexadecimal digit there takes one
      // more, and two digits make a byte. Anything else is dropped.
      if (i + 1 < text.size() && IsHexDigit(text[i + 1])) {
        if (i + 2 < text.size() && IsHexDigit(text[i + 2])) {
          out += static_cast<char>(DigitValue(text[i + 1]) * 16 + DigitValue(text[i + 2]));
          i += 3;
        } else {
          i += i + 2 < text.size() && text[i + 2] == '+' ? 4 : 3;
        }
      } else {
        i += 2;
      }
    }
  }
  // A zero byte ends the text, as in every string of the language.
  const std::size_t zero = out.find('\0');
  if (zero != std::string::npos) out.resize(zero);
  return out;
}

void InstallGlobals(ScriptRuntime& rt) {
  ScriptObject* g = rt.global;
  rt.Method(g, "isNaN", IsNaN);
  rt.Method(g, "isFinite", IsFinite);
  rt.Method(g, "parseInt", ParseInt);
  rt.Method(g, "parseFloat", ParseFloat);
  rt.Method(g, "escape", Escape);
  rt.Method(g, "unescape", Unescape);
  rt.Method(g, "ASSetPropFlags", SetPropFlags);
  rt.Method(g, "setInterval", SetInterval);
  rt.Method(g, "clearInterval", ClearTimer);
  rt.Method(g, "setTimeout", SetTimeout, 0, PropertyFlag::DontEnum | PropertyFlag::Version8);
  rt.Method(g, "clearTimeout", ClearTimer, 0, PropertyFlag::DontEnum | PropertyFlag::Version8);
  rt.Method(g, "updateAfterEvent", Nothing);
  rt.Value(g, "NaN", ActionValue::Number(std::numeric_limits<double>::quiet_NaN()));
  // The platform's player has this one global variable set to null.
  rt.Value(g, "o", ActionValue::Null());
  rt.Value(g, "Infinity", ActionValue::Number(std::numeric_limits<double>::infinity()));
}

}  // namespace Halvane::Movie::Builtins
