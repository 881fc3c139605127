#include "base/MulDiv.h"

#include <cstdlib>
#include <limits>

namespace metrazil {

int MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  // Neither the product nor the divisor can overflow 64 bits.
  const long long product = static_cast<long long>(number) * numerator;
  const long long divisor = std::llabs(static_cast<long long>(denominator));
  const long long magnitude = (std::llabs(product) + divisor / 2) / divisor;
  const long long result = (product < 0) != (denominator < 0) ? -magnitude : magnitude;
  if (result < std::numeric_limits<int>::min() || result > std::numeric_limits<int>::max()) return -1;
  return static_cast<int>(result);
}

}  // namespace metrazil
