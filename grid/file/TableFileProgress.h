#pragma once

#include <algorithm>
#include <climits>
#include <functional>

namespace metrazil {

// The progress of a table file being read or written: row r of rowCount is r / max(1, rowCount - 1) as a
// percentage, rounded half to even, announced to the hook whenever it changes.
class TTableFileProgress {
 public:
  // The hook may be empty; it must outlive this object.
  TTableFileProgress(const std::function<void(int)>& hook, int rowCount)
      : hook_(hook), divisor_(std::max(1, rowCount - 1)) {}

  bool Active() const { return static_cast<bool>(hook_); }
  // Exact rounding of row * 100 / divisor, halves to even, clamped to the 16-bit range.
  int ValueAt(long long row) const {
    const long long numerator = row * 100;
    long long quotient = numerator / divisor_;
    long long remainder = numerator % divisor_;
    if (remainder < 0) {
      --quotient;
      remainder += divisor_;
    }
    if (remainder * 2 > divisor_ || (remainder * 2 == divisor_ && quotient % 2 != 0)) ++quotient;
    return static_cast<int>(std::clamp<long long>(quotient, SHRT_MIN, SHRT_MAX));
  }
  void Report(long long row) { Announce(ValueAt(row)); }
  // Rows first..last inclusive, without visiting each row of a long run.
  void ReportRun(long long first, long long last);

 private:
  void Announce(int value) {
    if (value == previous_) return;
    previous_ = value;
    hook_(value);
  }

  const std::function<void(int)>& hook_;
  long long divisor_;
  int previous_ = -1;
};

}  // namespace metrazil
