#pragma once

#include <string>
#include <string_view>

#include "base/Exception.h"

namespace metrazil {

// Digits with at most one inner '.', nothing else; ignores the locale separator.
bool IsPlainDecimal(std::string_view text);
// Text to 80-bit extended; EConvertError "'%s' is 不是一个有效的浮点值" for text that is not a number or out of range.
long double ParseDecimal(std::string_view text);
// The pattern "0.000000": six decimals rounded half away from zero, exponent form from 1E18 up.
std::string FormatSixDecimals(long double value);
// Sets the locale decimal separator that parsing and formatting use; '.' until set.
void SetDecimalSeparator(char separator);
// a × b in extended precision; EOverflow "浮点指针溢出" when the product leaves the finite range.
long double MultiplyExtended(long double a, long double b);

}  // namespace metrazil
