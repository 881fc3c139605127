#include "grid/layout/GridWheelAccumulator.h"

namespace metrazil {

int TGridWheelAccumulator::Add(int delta) {
  if ((delta > 0 && pending_ < 0) || (delta < 0 && pending_ > 0)) pending_ = 0;
  // Kept in 64 bits until reduced: a wild delta must not overflow the sum.
  const long long sum = static_cast<long long>(pending_) + delta;
  const long long notches = sum / kNotch;
  pending_ = static_cast<int>(sum - notches * kNotch);
  return static_cast<int>(notches);
}

}  // namespace metrazil
