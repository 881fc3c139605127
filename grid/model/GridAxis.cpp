#include "grid/model/GridAxis.h"

#include <algorithm>
#include <limits>

namespace metrazil {

namespace {

template <class Sizes>
auto FindSize(Sizes& sizes, int index) {
  return std::lower_bound(sizes.begin(), sizes.end(), std::pair{index, std::numeric_limits<int>::min()});
}

// One size after a zoom step: size + step when that is above 0 (and fits), else size.
int ZoomedSize(int size, int step) {
  const long long next = static_cast<long long>(size) + step;
  return next > 0 && next <= std::numeric_limits<int>::max() ? static_cast<int>(next) : size;
}

}  // namespace

int TGridAxis::Size(int index) const {
  if (index < 0 || index >= count) return defaultSize;
  const auto it = FindSize(sizes_, index);
  return it != sizes_.end() && it->first == index ? it->second : defaultSize;
}

void TGridAxis::SetSize(int index, int size) {
  const auto it = FindSize(sizes_, index);
  const bool own = it != sizes_.end() && it->first == index;
  if (size == defaultSize) {
    if (own) sizes_.erase(it);
  } else if (own) {
    it->second = size;
  } else {
    sizes_.insert(it, {index, size});
  }
}

void TGridAxis::SetDefaultSize(int size) {
  defaultSize = size;
  sizes_.clear();
}

void TGridAxis::CutSizes(int newCount) { sizes_.erase(FindSize(sizes_, newCount), sizes_.end()); }

void TGridAxis::InsertSlots(int at, int slots) {
  for (auto& [index, size] : sizes_) {
    if (index >= at) index += slots;
  }
}

void TGridAxis::RemoveSlot(int at) {
  const auto own = FindSize(sizes_, at);
  if (own != sizes_.end() && own->first == at) sizes_.erase(own);
  for (auto& [index, size] : sizes_) {
    if (index > at) --index;
  }
}

void TGridAxis::Zoom(int step) {
  defaultSize = ZoomedSize(defaultSize, step);
  // A size that did not move while the default did (or the reverse) may now equal the default: it is no
  // longer an exception.
  std::erase_if(sizes_, [&](std::pair<int, int>& entry) {
    entry.second = ZoomedSize(entry.second, step);
    return entry.second == defaultSize;
  });
}

}  // namespace metrazil
