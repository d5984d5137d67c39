// Date: a time value in milliseconds since 1970 UTC, read and set in UTC or
// in local time. The clock and the time zone come from the context, so that
// tests can fix them.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>

#include "movie/actions/BuiltinSupport.h"

namespace Halvane::Movie::Builtins {

namespace {

constexpr double kMsPerDay = 86400000.0;
constexpr double kMaxTime = 8.64e15;
const double kNaN = std::numeric_limits<double>::quiet_NaN();

double Day(double t) { return std::floor(t / kMsPerDay); }
double TimeWithinDay(double t) {
  const double r = std::fmod(t, kMsPerDay);
  return r < 0 ? r + kMsPerDay : r;
}
double DaysInYear(double y) {
  if (std::fmod(y, 4) != 0) return 365;
  if (std::fmod(y, 100) != 0) return 366;
  if (std::fmod(y, 400) != 0) return 365;
  return 366;
}
double DayFromYear(double y) {
  return 365 * (y - 1970) + std::floor((y - 1969) / 4) - std::floor((y - 1901) / 100) + std::floor((y - 1601) / 400);
}
double TimeFromYear(double y) { return kMsPerDay * DayFromYear(y); }
double YearFromTime(double t) {
  double y = std::floor(t / (kMsPerDay * 365.2425)) + 1970;
  while (TimeFromYear(y) > t) --y;
  while (TimeFromYear(y + 1) <= t) ++y;
  return y;
}
bool InLeapYear(double t) { return DaysInYear(YearFromTime(t)) == 366; }
double DayWithinYear(double t) { return Day(t) - DayFromYear(YearFromTime(t)); }
const int kMonthStarts[2][13] = {{0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365},
                                 {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366}};
double MonthFromTime(double t) {
  const int leap = InLeapYear(t) ? 1 : 0;
  const double d = DayWithinYear(t);
  for (int m = 0; m < 12; ++m) {
    if (d < kMonthStarts[leap][m + 1]) return m;
  }
  return 11;
}
double DateFromTime(double t) {
  const int leap = InLeapYear(t) ? 1 : 0;
  return DayWithinYear(t) - kMonthStarts[leap][static_cast<int>(MonthFromTime(t))] + 1;
}
double WeekDay(double t) {
  const double r = std::fmod(Day(t) + 4, 7);
  return r < 0 ? r + 7 : r;
}
double HourFromTime(double t) { return std::floor(TimeWithinDay(t) / 3600000.0); }
double MinFromTime(double t) { return std::fmod(std::floor(TimeWithinDay(t) / 60000.0), 60); }
double SecFromTime(double t) { return std::fmod(std::floor(TimeWithinDay(t) / 1000.0), 60); }
double MsFromTime(double t) { return std::fmod(TimeWithinDay(t), 1000); }

double MakeTime(double h, double m, double s, double ms) {
  if (!std::isfinite(h) || !std::isfinite(m) || !std::isfinite(s) || !std::isfinite(ms)) return kNaN;
  return std::trunc(h) * 3600000.0 + std::trunc(m) * 60000.0 + std::trunc(s) * 1000.0 + std::trunc(ms);
}
double MakeDay(double year, double month, double date) {
  if (!std::isfinite(year) || !std::isfinite(month) || !std::isfinite(date)) return kNaN;
  year = std::trunc(year);
  month = std::trunc(month);
  date = std::trunc(date);
  const double ym = year + std::floor(month / 12);
  double mn = std::fmod(month, 12);
  if (mn < 0) mn += 12;
  if (std::fabs(ym) > 400000) return kNaN;
  const int leap = DaysInYear(ym) == 366 ? 1 : 0;
  return DayFromYear(ym) + kMonthStarts[leap][static_cast<int>(mn)] + date - 1;
}
double MakeDate(double day, double time) {
  if (!std::isfinite(day) || !std::isfinite(time)) return kNaN;
  return day * kMsPerDay + time;
}
double TimeClip(double t) {
  if (!std::isfinite(t) || std::fabs(t) > kMaxTime) return kNaN;
  return std::trunc(t);
}

double Now(Interpreter& vm) {
  if (vm.Context().currentTime) return vm.Context().currentTime();
  using namespace std::chrono;
  return static_cast<double>(duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count());
}

// Minutes the local time is ahead of UTC at time t: the context's time
// zone, UTC without one (the control sets the platform's).
double OffsetMinutes(Interpreter& vm, double t) {
  if (vm.Context().localOffsetMinutes && std::isfinite(t)) return vm.Context().localOffsetMinutes(t);
  return 0;
}

double LocalTime(Interpreter& vm, double t) { return t + OffsetMinutes(vm, t) * 60000.0; }
double Utc(Interpreter& vm, double local) { return local - OffsetMinutes(vm, local) * 60000.0; }

PrimitiveObject* ThisDate(NativeCall& c) { return ThisAs<PrimitiveObject>(c, ObjectKind::Date); }

double ThisTime(NativeCall& c) {
  PrimitiveObject* d = ThisDate(c);
  return d ? d->value.NumberValue() : kNaN;
}

// The time new Date(args) stands for.
double TimeOfArguments(NativeCall& c) {
  double t = 0;
  if (c.Count() == 0) {
    t = Now(c.vm);
  } else if (c.Count() == 1) {
    t = TimeClip(ArgNumber(c, 0));
  } else {
    double year = ArgNumber(c, 0);
    if (std::isfinite(year) && year >= 0 && year <= 99) year = 1900 + std::trunc(year);
    const double month = ArgNumber(c, 1);
    const double date = c.Has(2) ? ArgNumber(c, 2) : 1;
    const double h = c.Has(3) ? ArgNumber(c, 3) : 0;
    const double m = c.Has(4) ? ArgNumber(c, 4) : 0;
    const double s = c.Has(5) ? ArgNumber(c, 5) : 0;
    const double ms = c.Has(6) ? ArgNumber(c, 6) : 0;
    t = TimeClip(Utc(c.vm, MakeDate(MakeDay(year, month, date), MakeTime(h, m, s, ms))));
  }
  return t;
}

ActionValue DateConstruct(NativeCall& c) {
  PrimitiveObject* d = Rt(c).NewPrimitive(ObjectKind::Date, Num(TimeOfArguments(c)));
  if (d != nullptr && c.callee != nullptr) {
    const ActionValue p = c.vm.GetMember(ActionValue::Object(c.callee), Rt(c).names.prototype);
    if (p.IsObject()) d->SetProto(p);
  }
  return Obj(d);
}

std::string DateText(Interpreter& vm, double t) {
  if (std::isnan(t)) return "Invalid Date";
  static const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const double offset = OffsetMinutes(vm, t);
  const double local = t + offset * 60000.0;
  char buffer[96];
  const int sign = offset < 0 ? '-' : '+';
  const int off = static_cast<int>(std::fabs(offset));
  std::snprintf(buffer, sizeof buffer, "%s %s %d %02d:%02d:%02d GMT%c%02d%02d %.0f",
                kDays[static_cast<int>(WeekDay(local))], kMonths[static_cast<int>(MonthFromTime(local))],
                static_cast<int>(DateFromTime(local)), static_cast<int>(HourFromTime(local)),
                static_cast<int>(MinFromTime(local)), static_cast<int>(SecFromTime(local)), sign, off / 60,
                off % 60, YearFromTime(local));
  return buffer;
}

ActionValue DateCall(NativeCall& c) {
  if (UpgradesThis(c)) {
    const double t = TimeOfArguments(c);
    if (!c.vm.Abnormal() && BecomePrimitive(c, ObjectKind::Date, Num(t))) return c.thisValue;
  }
  return Str(c, DateText(c.vm, Now(c.vm)));
}

enum Part { FullYear, Month, Date, Hours, Minutes, Seconds, Milliseconds, DayOfWeek, Year };

// Getters: tag = part, plus 16 for UTC.
ActionValue Get(NativeCall& c) {
  const double t = ThisTime(c);
  if (std::isnan(t)) return Num(kNaN);
  const bool utc = (c.Tag() & 16) != 0;
  const double v = utc ? t : LocalTime(c.vm, t);
  switch (c.Tag() & 15) {
    case FullYear: return Num(YearFromTime(v));
    case Month: return Num(MonthFromTime(v));
    case Date: return Num(DateFromTime(v));
    case Hours: return Num(HourFromTime(v));
    case Minutes: return Num(MinFromTime(v));
    case Seconds: return Num(SecFromTime(v));
    case Milliseconds: return Num(MsFromTime(v));
    case DayOfWeek: return Num(WeekDay(v));
    case Year: return Num(YearFromTime(v) - 1900);
    default: return ActionValue();
  }
}

// Setters: the part and the ones after it that setX takes
// (setHours(h, m, s, ms)); tag as for the getters.
ActionValue Set(NativeCall& c) {
  PrimitiveObject* d = ThisDate(c);
  if (d == nullptr) return ActionValue();
  const bool utc = (c.Tag() & 16) != 0;
  const double stored = d->value.NumberValue();
  double t = std::isnan(stored) ? 0 : (utc ? stored : LocalTime(c.vm, stored));
  double year = YearFromTime(t), month = MonthFromTime(t), date = DateFromTime(t);
  double h = HourFromTime(t), m = MinFromTime(t), s = SecFromTime(t), ms = MsFromTime(t);
  const auto arg = [&](std::size_t i, double current) { return c.Has(i) ? ArgNumber(c, i) : current; };
  switch (c.Tag() & 15) {
    case FullYear:
      year = arg(0, year), month = arg(1, month), date = arg(2, date);
      break;
    case Year: {
      year = arg(0, year);
      if (std::isfinite(year) && year >= 0 && year <= 99) year += 1900;
      break;
    }
    case Month: month = arg(0, month), date = arg(1, date); break;
    case Date: date = arg(0, date); break;
    case Hours: h = arg(0, h), m = arg(1, m), s = arg(2, s), ms = arg(3, ms); break;
    case Minutes: m = arg(0, m), s = arg(1, s), ms = arg(2, ms); break;
    case Seconds: s = arg(0, s), ms = arg(1, ms); break;
    case Milliseconds: ms = arg(0, ms); break;
    default: break;
  }
  double result = MakeDate(MakeDay(year, month, date), MakeTime(h, m, s, ms));
  if (!utc) result = Utc(c.vm, result);
  result = TimeClip(result);
  d->value = Num(result);
  return Num(result);
}

ActionValue GetTime(NativeCall& c) { return Num(ThisTime(c)); }

ActionValue SetTime(NativeCall& c) {
  PrimitiveObject* d = ThisDate(c);
  if (d == nullptr) return ActionValue();
  d->value = Num(TimeClip(ArgNumber(c, 0)));
  return d->value;
}

ActionValue GetTimezoneOffset(NativeCall& c) {
  const double t = ThisTime(c);
  if (std::isnan(t)) return Num(kNaN);
  return Num(-OffsetMinutes(c.vm, t));
}

ActionValue ToStringMethod(NativeCall& c) {
  if (ThisDate(c) == nullptr) return ActionValue();
  return Str(c, DateText(c.vm, ThisTime(c)));
}

ActionValue DateUtc(NativeCall& c) {
  if (c.Count() < 2) return Num(kNaN);
  double year = ArgNumber(c, 0);
  if (std::isfinite(year) && year >= 0 && year <= 99) year = 1900 + std::trunc(year);
  const auto arg = [&](std::size_t i, double fallback) { return c.Has(i) ? ArgNumber(c, i) : fallback; };
  return Num(TimeClip(MakeDate(MakeDay(year, ArgNumber(c, 1), arg(2, 1)),
                               MakeTime(arg(3, 0), arg(4, 0), arg(5, 0), arg(6, 0)))));
}

}  // namespace

void InstallDate(ScriptRuntime& rt) {
  rt.dateProto = rt.NewObject();
  FunctionObject* date = rt.Class("Date", DateCall, DateConstruct, rt.dateProto);
  ScriptObject* p = rt.dateProto;
  const struct {
    const char* name;
    int part;
  } parts[] = {{"FullYear", FullYear}, {"Month", Month},     {"Date", Date},
               {"Hours", Hours},       {"Minutes", Minutes}, {"Seconds", Seconds},
               {"Milliseconds", Milliseconds}};
  for (const auto& part : parts) {
    const std::string name = part.name;
    rt.Method(p, ("get" + name).c_str(), Get, part.part);
    rt.Method(p, ("getUTC" + name).c_str(), Get, part.part | 16);
    rt.Method(p, ("set" + name).c_str(), Set, part.part);
    rt.Method(p, ("setUTC" + name).c_str(), Set, part.part | 16);
  }
  rt.Method(p, "getDay", Get, DayOfWeek);
  rt.Method(p, "getUTCDay", Get, DayOfWeek | 16);
  rt.Method(p, "getYear", Get, Year);
  rt.Method(p, "getUTCYear", Get, Year | 16);
  rt.Method(p, "setYear", Set, Year);
  rt.Method(p, "getTime", GetTime);
  rt.Method(p, "valueOf", GetTime);
  rt.Method(p, "setTime", SetTime);
  rt.Method(p, "getTimezoneOffset", GetTimezoneOffset);
  rt.Method(p, "toString", ToStringMethod);
  rt.Method(date, "UTC", DateUtc);
}

}  // namespace Halvane::Movie::Builtins
