// Reading and making the VARIANT values that cross IDispatch::Invoke, on
// both sides of the call: a caller may pass any integer or flag type it
// likes (scripting hosts pass VT_I2 or VT_R8 where a member takes an int),
// so values are read by what they mean, not by their exact tag.
#pragma once

#include <cstdint>

#include "platform/Com.h"

namespace Halvane::Platform {

// Reads the value as a 32-bit integer: any integer type in range, a flag
// (-1 or 0) or a floating value without fraction; a value by reference is
// followed once. False for anything else (text, empty, out of range).
bool ReadInt32(const VARIANT& value, std::int32_t* out);
// Reads the value as a flag: VARIANT_TRUE for any nonzero number.
bool ReadFlag(const VARIANT& value, VARIANT_BOOL* out);
// The BSTR the value holds, borrowed (a null BSTR is the empty text); empty
// and null values are the empty text too. False for anything else.
bool ReadText(const VARIANT& value, BSTR* out);

// Values to pass: the text is borrowed, not copied.
VARIANT Int32Value(std::int32_t number);
VARIANT FlagValue(VARIANT_BOOL flag);
VARIANT TextValue(BSTR text);

}  // namespace Halvane::Platform
