#include "platform/Variants.h"

#include <cmath>
#include <limits>

namespace Halvane::Platform {

namespace {

bool InRange(long long number, std::int32_t* out) {
  if (number < std::numeric_limits<std::int32_t>::min() ||
      number > std::numeric_limits<std::int32_t>::max()) {
    return false;
  }
  *out = static_cast<std::int32_t>(number);
  return true;
}

bool WholeInRange(double number, std::int32_t* out) {
  if (!std::isfinite(number) || std::floor(number) != number) return false;
  if (number < std::numeric_limits<std::int32_t>::min() ||
      number > std::numeric_limits<std::int32_t>::max()) {
    return false;
  }
  *out = static_cast<std::int32_t>(number);
  return true;
}

// A value by reference, followed once, as a plain value of the same type;
// false for a null reference or one to a type that is not read here.
bool Followed(const VARIANT& value, VARIANT* plain) {
  VariantInit(plain);
  if ((value.vt & VT_BYREF) == 0) {
    *plain = value;
    return true;
  }
  if (value.byref == nullptr) return false;
  const VARTYPE type = static_cast<VARTYPE>(value.vt & ~VT_BYREF);
  switch (type) {
    case VT_I2: plain->iVal = *value.piVal; break;
    case VT_I4: plain->lVal = *value.plVal; break;
    case VT_INT: plain->intVal = *value.pintVal; break;
    case VT_BOOL: plain->boolVal = *value.pboolVal; break;
    case VT_R8: plain->dblVal = *value.pdblVal; break;
    case VT_BSTR: plain->bstrVal = *value.pbstrVal; break;
    case VT_VARIANT: return (value.pvarVal->vt & VT_BYREF) == 0 && Followed(*value.pvarVal, plain);
    default: return false;
  }
  plain->vt = type;
  return true;
}

}  // namespace

bool ReadInt32(const VARIANT& value, std::int32_t* out) {
  VARIANT plain;
  if (out == nullptr || !Followed(value, &plain)) return false;
  switch (plain.vt) {
    case VT_I1: *out = plain.cVal; return true;
    case VT_UI1: *out = plain.bVal; return true;
    case VT_I2: *out = plain.iVal; return true;
    case VT_UI2: *out = plain.uiVal; return true;
    case VT_I4: return InRange(plain.lVal, out);
    case VT_UI4: return InRange(static_cast<long long>(plain.ulVal), out);
    case VT_INT: *out = plain.intVal; return true;
    case VT_UINT: return InRange(static_cast<long long>(plain.uintVal), out);
    case VT_I8: return InRange(plain.llVal, out);
    case VT_UI8:
      return plain.ullVal <= static_cast<ULONGLONG>(std::numeric_limits<std::int32_t>::max()) &&
             InRange(static_cast<long long>(plain.ullVal), out);
    case VT_BOOL: *out = plain.boolVal != VARIANT_FALSE ? -1 : 0; return true;
    case VT_R4: return WholeInRange(plain.fltVal, out);
    case VT_R8: return WholeInRange(plain.dblVal, out);
    default: return false;
  }
}

bool ReadFlag(const VARIANT& value, VARIANT_BOOL* out) {
  std::int32_t number = 0;
  if (out == nullptr) return false;
  VARIANT plain;
  if (Followed(value, &plain) && (plain.vt == VT_R4 || plain.vt == VT_R8)) {
    *out = (plain.vt == VT_R4 ? plain.fltVal != 0 : plain.dblVal != 0) ? VARIANT_TRUE
                                                                        : VARIANT_FALSE;
    return true;
  }
  if (!ReadInt32(value, &number)) return false;
  *out = number != 0 ? VARIANT_TRUE : VARIANT_FALSE;
  return true;
}

bool ReadText(const VARIANT& value, BSTR* out) {
  VARIANT plain;
  if (out == nullptr || !Followed(value, &plain)) return false;
  if (plain.vt == VT_EMPTY || plain.vt == VT_NULL) {
    *out = nullptr;
    return true;
  }
  if (plain.vt != VT_BSTR) return false;
  *out = plain.bstrVal;
  return true;
}

VARIANT Int32Value(std::int32_t number) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_I4;
  value.lVal = number;
  return value;
}

VARIANT FlagValue(VARIANT_BOOL flag) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BOOL;
  value.boolVal = flag;
  return value;
}

VARIANT TextValue(BSTR text) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BSTR;
  value.bstrVal = text;
  return value;
}

}  // namespace Halvane::Platform
