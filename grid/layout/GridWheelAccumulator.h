#pragma once

namespace metrazil {

// Collects wheel deltas (1/8 degree units, 120 to a notch) until they add up to whole notches, so
// high-resolution wheels and touchpads that report fractions of a notch move the grid once per notch
// instead of once per event.
class TGridWheelAccumulator {
 public:
  static constexpr int kNotch = 120;

  // Adds delta and returns the whole notches now complete (negative away from the user's side of zero);
  // the remainder is kept for the next call. A change of direction drops the remainder of the old one.
  int Add(int delta);
  void Reset() { pending_ = 0; }

 private:
  int pending_ = 0;
};

}  // namespace metrazil
