// String, Number and Boolean. String methods index UTF-16 code units as the
// platform's player does; texts stay UTF-8 and are converted only when they
// are not plain ASCII.
#include <algorithm>
#include <cmath>
#include <limits>

#include "movie/actions/BuiltinSupport.h"
#include "movie/actions/CaseTables.h"
#include "movie/swf/Text.h"

namespace Halvane::Movie::Builtins {

namespace {

// A text as String methods see it.
class Units {
 public:
  // knownAscii: the caller knows the text is ASCII, so it is not scanned.
  explicit Units(const std::string& text, bool knownAscii = false) : text_(text) {
    if (knownAscii) return;
    for (const char c : text) {
      if (static_cast<unsigned char>(c) >= 0x80) {
        ascii_ = false;
        wide_ = Utf8ToUtf16(text);
        break;
      }
    }
  }
  bool Ascii() const { return ascii_; }
  std::size_t Size() const { return ascii_ ? text_.size() : wide_.size(); }
  char16_t At(std::size_t i) const { return ascii_ ? static_cast<char16_t>(text_[i]) : wide_[i]; }
  std::string Sub(std::size_t begin, std::size_t end) const {
    if (end > Size()) end = Size();
    if (begin >= end) return std::string();
    if (ascii_) return text_.substr(begin, end - begin);
    return Utf16ToUtf8(wide_.substr(begin, end - begin));
  }
  std::u16string Wide() const { return ascii_ ? std::u16string(text_.begin(), text_.end()) : wide_; }
  // The first place at or after from where needle is, or -1.
  long long Find(const Units& needle, std::size_t from) const {
    const std::size_t n = needle.Size();
    if (from > Size()) return -1;
    for (std::size_t i = from; i + n <= Size(); ++i) {
      std::size_t k = 0;
      while (k < n && At(i + k) == needle.At(k)) ++k;
      if (k == n) return static_cast<long long>(i);
    }
    return -1;
  }
  long long FindLast(const Units& needle, std::size_t from) const {
    const std::size_t n = needle.Size();
    if (n > Size()) return -1;
    std::size_t i = std::min(from, Size() - n);
    while (true) {
      std::size_t k = 0;
      while (k < n && At(i + k) == needle.At(k)) ++k;
      if (k == n) return static_cast<long long>(i);
      if (i == 0) return -1;
      --i;
    }
  }

 private:
  const std::string& text_;
  bool ascii_ = true;
  std::u16string wide_;
};

// The text a String method works on: this as a string.
std::string ThisText(NativeCall& c) {
  if (c.thisValue.IsString()) return c.thisValue.StringValue();
  if (ScriptObject* o = c.This()) {
    if (o->Kind() == ObjectKind::String) return static_cast<PrimitiveObject*>(o->Core())->value.StringValue();
  }
  return c.vm.Text(c.thisValue);
}

// The same text without a copy when this is a string (held, so it stays
// alive however the arguments' conversions run); the methods that scripts
// call in loops over long texts use it.
class ThisString {
 public:
  explicit ThisString(NativeCall& c) {
    if (c.thisValue.IsString()) {
      held_ = c.thisValue;
    } else if (ScriptObject* o = c.This(); o != nullptr && o->Kind() == ObjectKind::String) {
      held_ = static_cast<PrimitiveObject*>(o->Core())->value;
    }
    if (!held_.IsString()) owned_ = c.vm.Text(c.thisValue);
  }
  const std::string& Text() const { return held_.IsString() ? held_.StringValue() : owned_; }
  bool Ascii() const { return held_.IsString() && held_.StringRep()->IsAscii(); }

 private:
  ActionValue held_;
  std::string owned_;
};

// An integer argument of the String methods: wrapped to 32 bits (NaN,
// undefined and the infinities are 0).
double IntArg(NativeCall& c, std::size_t i) { return WrapToInt32(ArgNumber(c, i)); }

std::size_t ClampIndex(double v, std::size_t size) {
  if (!(v > 0)) return 0;
  return v >= static_cast<double>(size) ? size : static_cast<std::size_t>(v);
}

ActionValue StringCall(NativeCall& c) {
  if (UpgradesThis(c)) {
    const ActionValue value = c.Has(0) ? Str(c, ArgText(c, 0)) : ActionValue::String("");
    if (c.vm.Abnormal()) return ActionValue();
    if (BecomePrimitive(c, ObjectKind::String, value)) return c.thisValue;
  }
  if (!c.Has(0)) return ActionValue::String("");
  if (c.Arg(0).IsString()) return c.Arg(0);
  return Str(c, ArgText(c, 0));
}

ActionValue StringConstruct(NativeCall& c) {
  const ActionValue value = c.Has(0) ? Str(c, ArgText(c, 0)) : ActionValue::String("");
  PrimitiveObject* o = Rt(c).NewPrimitive(ObjectKind::String, value);
  if (o == nullptr) return ActionValue();
  if (c.callee != nullptr) {
    const ActionValue p = c.vm.GetMember(ActionValue::Object(c.callee), Rt(c).names.prototype);
    if (p.IsObject()) o->SetProto(p);
  }
  return Obj(o);
}

ActionValue StringValueOf(NativeCall& c) {
  if (c.thisValue.IsString()) return c.thisValue;
  if (ScriptObject* o = c.This()) {
    if (o->Kind() == ObjectKind::String) return static_cast<PrimitiveObject*>(o->Core())->value;
  }
  return Str(c, c.vm.Text(c.thisValue));
}

ActionValue CharAt(NativeCall& c) {
  const ThisString text(c);
  const Units u(text.Text(), text.Ascii());
  const double i = IntArg(c, 0);
  if (i < 0 || i >= static_cast<double>(u.Size())) return ActionValue::String("");
  const std::size_t at = static_cast<std::size_t>(i);
  if (u.Ascii()) {
    // Counted as a new text all the same, so the run's cap is reached
    // exactly where it was.
    if (!c.vm.Charge(1)) return ActionValue();
    return Rt(c).Character(text.Text()[at]);
  }
  return Str(c, u.Sub(at, at + 1));
}

ActionValue CharCodeAt(NativeCall& c) {
  const ThisString text(c);
  const Units u(text.Text(), text.Ascii());
  const double i = IntArg(c, 0);
  // Past the end, movies before version 6 read a zero.
  if (i >= static_cast<double>(u.Size()) && i >= 0 && c.vm.Version() < 6) return Num(0);
  if (i < 0 || i >= static_cast<double>(u.Size())) return Num(std::numeric_limits<double>::quiet_NaN());
  return Num(u.At(static_cast<std::size_t>(i)));
}

ActionValue Concat(NativeCall& c) {
  std::string text = ThisText(c);
  for (std::size_t i = 0; i < c.Count(); ++i) {
    text += ArgText(c, i);
    if (text.size() > ActionContext::MaxStringLength) {
      c.vm.Fault();
      return ActionValue();
    }
  }
  return Str(c, std::move(text));
}

ActionValue IndexOf(NativeCall& c) {
  if (!c.Has(0)) return ActionValue();
  const ThisString text(c);
  const std::string search = ArgText(c, 0);
  const Units u(text.Text(), text.Ascii());
  const Units s(search);
  c.vm.Work(text.Text().size() / 64);
  const double from = c.Has(1) ? IntArg(c, 1) : 0;
  return Num(static_cast<double>(u.Find(s, ClampIndex(from, u.Size() + 1))));
}

ActionValue LastIndexOf(NativeCall& c) {
  if (!c.Has(0)) return ActionValue();
  const std::string text = ThisText(c);
  const std::string search = ArgText(c, 0);
  const Units u(text);
  const Units s(search);
  c.vm.Work(text.size() / 64);
  double from = c.Has(1) && !c.Arg(1).IsUndefined() ? IntArg(c, 1) : static_cast<double>(u.Size());
  if (from < 0) return Num(-1);
  return Num(static_cast<double>(u.FindLast(s, ClampIndex(from, u.Size()))));
}

ActionValue Slice(NativeCall& c) {
  if (!c.Has(0)) return ActionValue();
  const std::string text = ThisText(c);
  const Units u(text);
  const double size = static_cast<double>(u.Size());
  double start = IntArg(c, 0);
  double end = c.Has(1) && !c.Arg(1).IsUndefined() ? IntArg(c, 1) : size;
  if (start < 0) start += size;
  if (end < 0) end += size;
  return Str(c, u.Sub(ClampIndex(start, u.Size()), ClampIndex(end, u.Size())));
}

ActionValue Substring(NativeCall& c) {
  if (!c.Has(0)) return ActionValue();
  const std::string text = ThisText(c);
  const Units u(text);
  double start = IntArg(c, 0);
  double end = c.Has(1) && !c.Arg(1).IsUndefined() ? IntArg(c, 1) : static_cast<double>(u.Size());
  std::size_t a = ClampIndex(start, u.Size());
  std::size_t b = ClampIndex(end, u.Size());
  if (a > b) std::swap(a, b);
  return Str(c, u.Sub(a, b));
}

ActionValue Substr(NativeCall& c) {
  if (!c.Has(0)) return ActionValue();
  const std::string text = ThisText(c);
  const Units u(text);
  const double size = static_cast<double>(u.Size());
  double start = IntArg(c, 0);
  if (start < 0) start = std::max(0.0, start + size);
  double length = c.Has(1) && !c.Arg(1).IsUndefined() ? IntArg(c, 1) : size;
  if (length < 0) {
    // A negative length counts back from the end of the text; a part that
    // would reach the last character comes out empty.
    length += size;
    if (length < 0 || start + length >= size) length = 0;
  }
  const std::size_t a = ClampIndex(start, u.Size());
  const std::size_t b = ClampIndex(static_cast<double>(a) + length, u.Size());
  return Str(c, u.Sub(a, b));
}

ActionValue Split(NativeCall& c) {
  const std::string text = ThisText(c);
  std::vector<ActionValue> parts;
  double limit = std::numeric_limits<double>::infinity();
  if (c.Has(1) && !c.Arg(1).IsUndefined()) {
    limit = ArgNumber(c, 1);
    if (std::isnan(limit)) limit = 0;
  }
  // Movies before version 6 split at commas when no separator is given,
  // and not at all at an empty one.
  const bool old = c.vm.Version() < 6;
  if ((!c.Has(0) || c.Arg(0).IsUndefined()) && !old) {
    parts.push_back(Str(c, text));
  } else {
    const std::string separator = c.Arg(0).IsUndefined() ? std::string(",") : ArgText(c, 0);
    const Units u(text);
    c.vm.Work(text.size() / 16);
    if (separator.empty() && old) {
      if (limit > 0) parts.push_back(Str(c, text));
    } else if (separator.empty()) {
      for (std::size_t i = 0; i < u.Size() && parts.size() < limit; ++i) parts.push_back(Str(c, u.Sub(i, i + 1)));
    } else if (!text.empty() || c.vm.Version() < 6) {
      const Units s(separator);
      std::size_t start = 0;
      while (parts.size() < limit) {
        const long long at = u.Find(s, start);
        if (at < 0) {
          parts.push_back(Str(c, u.Sub(start, u.Size())));
          break;
        }
        parts.push_back(Str(c, u.Sub(start, static_cast<std::size_t>(at))));
        start = static_cast<std::size_t>(at) + s.Size();
        if (c.vm.Abnormal()) break;
      }
    } else {
      parts.push_back(ActionValue::String(""));
    }
  }
  return Obj(c.vm.NewArray(parts));
}

ActionValue ChangeCase(NativeCall& c, bool upper) {
  const std::string text = ThisText(c);
  c.vm.Work(text.size() / 64);
  const Units u(text);
  std::u16string wide = u.Wide();
  for (char16_t& ch : wide) ch = upper ? UpperCaseOf(ch) : LowerCaseOf(ch);
  return Str(c, Utf16ToUtf8(wide));
}

ActionValue ToLowerCase(NativeCall& c) { return ChangeCase(c, false); }
ActionValue ToUpperCase(NativeCall& c) { return ChangeCase(c, true); }

ActionValue FromCharCode(NativeCall& c) {
  std::u16string wide;
  for (std::size_t i = 0; i < c.Count(); ++i) {
    const std::uint16_t unit = static_cast<std::uint16_t>(WrapToInt32(ArgNumber(c, i)));
    if (unit == 0) break;
    wide.push_back(static_cast<char16_t>(unit));
  }
  return Str(c, Utf16ToUtf8(wide));
}

// --- Number

double ThisNumber(NativeCall& c, bool& ok) {
  ok = true;
  if (c.thisValue.IsNumber()) return c.thisValue.NumberValue();
  if (ScriptObject* o = c.This()) {
    if (o->Kind() == ObjectKind::Number) return static_cast<PrimitiveObject*>(o->Core())->value.NumberValue();
  }
  ok = false;
  return 0;
}

ActionValue NumberCall(NativeCall& c) {
  const ActionValue value = Num(c.Has(0) ? ArgNumber(c, 0) : 0);
  if (UpgradesThis(c) && !c.vm.Abnormal() && BecomePrimitive(c, ObjectKind::Number, value)) return c.thisValue;
  return value;
}

ActionValue NumberConstruct(NativeCall& c) {
  PrimitiveObject* o = Rt(c).NewPrimitive(ObjectKind::Number, Num(c.Has(0) ? ArgNumber(c, 0) : 0));
  if (o != nullptr && c.callee != nullptr) {
    const ActionValue p = c.vm.GetMember(ActionValue::Object(c.callee), Rt(c).names.prototype);
    if (p.IsObject()) o->SetProto(p);
  }
  return Obj(o);
}

ActionValue NumberToString(NativeCall& c) {
  bool ok = false;
  const double v = ThisNumber(c, ok);
  if (!ok) return ActionValue();
  int radix = 10;
  if (c.Has(0) && !c.Arg(0).IsUndefined()) radix = ArgInt(c, 0);
  if (radix < 2 || radix > 36 || radix == 10) return Str(c, FormatNumber(v));
  return Str(c, FormatRadix(v, radix));
}

ActionValue NumberValueOf(NativeCall& c) {
  bool ok = false;
  const double v = ThisNumber(c, ok);
  return ok ? Num(v) : ActionValue();
}

// --- Boolean

// Boolean() without an argument answers undefined, not false.
ActionValue BooleanCall(NativeCall& c) {
  if (UpgradesThis(c) && BecomePrimitive(c, ObjectKind::Boolean, Bool(ArgTruth(c, 0)))) return c.thisValue;
  return c.Has(0) ? Bool(ArgTruth(c, 0)) : ActionValue();
}

ActionValue BooleanConstruct(NativeCall& c) {
  PrimitiveObject* o = Rt(c).NewPrimitive(ObjectKind::Boolean, Bool(ArgTruth(c, 0)));
  if (o != nullptr && c.callee != nullptr) {
    const ActionValue p = c.vm.GetMember(ActionValue::Object(c.callee), Rt(c).names.prototype);
    if (p.IsObject()) o->SetProto(p);
  }
  return Obj(o);
}

ActionValue BooleanValueOf(NativeCall& c) {
  if (c.thisValue.IsBoolean()) return c.thisValue;
  if (ScriptObject* o = c.This()) {
    if (o->Kind() == ObjectKind::Boolean) return static_cast<PrimitiveObject*>(o->Core())->value;
  }
  return ActionValue();
}

ActionValue BooleanToString(NativeCall& c) {
  const ActionValue v = BooleanValueOf(c);
  if (!v.IsBoolean()) return ActionValue();
  return ActionValue::String(v.BooleanValue() ? "true" : "false");
}

}  // namespace

std::string FormatRadix(double value, int radix) {
  if (std::isnan(value)) {
    // The platform's player takes NaN for the smallest 32-bit integer,
    // which has no positive counterpart: its digits come out of negative
    // remainders, as characters before '0'. Movies print exactly that.
    std::int32_t n = std::numeric_limits<std::int32_t>::min();
    std::string digits;
    while (n != 0) {
      digits += static_cast<char>('0' + n % radix);
      n /= radix;
    }
    digits += '-';
    std::reverse(digits.begin(), digits.end());
    return digits;
  }
  const std::int32_t n = WrapToInt32(value);
  std::uint32_t magnitude = n < 0 ? 0u - static_cast<std::uint32_t>(n) : static_cast<std::uint32_t>(n);
  std::string digits;
  do {
    digits += "0123456789abcdefghijklmnopqrstuvwxyz"[magnitude % static_cast<std::uint32_t>(radix)];
    magnitude /= static_cast<std::uint32_t>(radix);
  } while (magnitude != 0);
  if (n < 0) digits += '-';
  std::reverse(digits.begin(), digits.end());
  return digits;
}

void InstallString(ScriptRuntime& rt) {
  rt.stringProto = rt.NewObject();
  FunctionObject* string = rt.Class("String", StringCall, StringConstruct, rt.stringProto);
  rt.stringClass = string;
  ScriptObject* p = rt.stringProto;
  rt.Method(p, "toString", StringValueOf);
  rt.Method(p, "valueOf", StringValueOf);
  rt.Method(p, "charAt", CharAt);
  rt.Method(p, "charCodeAt", CharCodeAt);
  rt.Method(p, "concat", Concat);
  rt.Method(p, "indexOf", IndexOf);
  rt.Method(p, "lastIndexOf", LastIndexOf);
  rt.Method(p, "slice", Slice);
  rt.Method(p, "substring", Substring);
  rt.Method(p, "substr", Substr);
  rt.Method(p, "split", Split);
  rt.Method(p, "toLowerCase", ToLowerCase);
  rt.Method(p, "toUpperCase", ToUpperCase);
  rt.Method(string, "fromCharCode", FromCharCode);
}

void InstallNumberAndBoolean(ScriptRuntime& rt) {
  rt.numberProto = rt.NewObject();
  FunctionObject* number = rt.Class("Number", NumberCall, NumberConstruct, rt.numberProto);
  rt.numberClass = number;
  rt.Method(rt.numberProto, "toString", NumberToString);
  rt.Method(rt.numberProto, "valueOf", NumberValueOf);
  const std::uint16_t constant = PropertyFlag::DontEnum | PropertyFlag::DontDelete | PropertyFlag::ReadOnly;
  rt.Value(number, "MAX_VALUE", ActionValue::Number(std::numeric_limits<double>::max()), constant);
  rt.Value(number, "MIN_VALUE", ActionValue::Number(std::numeric_limits<double>::denorm_min()), constant);
  rt.Value(number, "NaN", ActionValue::Number(std::numeric_limits<double>::quiet_NaN()), constant);
  rt.Value(number, "NEGATIVE_INFINITY", ActionValue::Number(-std::numeric_limits<double>::infinity()), constant);
  rt.Value(number, "POSITIVE_INFINITY", ActionValue::Number(std::numeric_limits<double>::infinity()), constant);

  rt.booleanProto = rt.NewObject();
  rt.booleanClass = rt.Class("Boolean", BooleanCall, BooleanConstruct, rt.booleanProto);
  rt.Method(rt.booleanProto, "toString", BooleanToString);
  rt.Method(rt.booleanProto, "valueOf", BooleanValueOf);
}

}  // namespace Halvane::Movie::Builtins
