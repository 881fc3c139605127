#pragma once

#include <cstddef>
#include <functional>

namespace metrazil {

// Reads and writes of whole tables let the window breathe once this many lines or bytes have passed since
// the last time: every few milliseconds, and seldom enough to cost nothing next to the work itself.
inline constexpr std::size_t kLinesPerYield = 2048;
inline constexpr std::size_t kBytesPerYield = std::size_t{1} << 20;

// Counts the lines and bytes a read or write has done and runs its yield on that cadence. The yield, when
// set, must outlive the cadence.
class TYieldCadence {
 public:
  explicit TYieldCadence(const std::function<void()>& yield) : yield_(yield) {}

  void Add(std::size_t lines, std::size_t bytes) {
    lines_ += lines;
    bytes_ += bytes;
  }
  // Runs the yield when kLinesPerYield lines or kBytesPerYield bytes were added since it last ran; what it
  // throws passes to the caller.
  void YieldIfDue() {
    if (lines_ < kLinesPerYield && bytes_ < kBytesPerYield) return;
    lines_ = 0;
    bytes_ = 0;
    if (yield_) yield_();
  }

 private:
  const std::function<void()>& yield_;
  std::size_t lines_ = 0;
  std::size_t bytes_ = 0;
};

}  // namespace metrazil
