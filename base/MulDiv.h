#pragma once

namespace metrazil {

// number * numerator / denominator, computed in 64 bits and rounded to the nearest integer, halves away
// from zero. -1 when denominator is 0 or the result does not fit an int.
int MulDiv(int number, int numerator, int denominator);

}  // namespace metrazil
