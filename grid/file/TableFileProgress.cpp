#include "grid/file/TableFileProgress.h"

namespace metrazil {

void TTableFileProgress::ReportRun(long long first, long long last) {
  if (last - first < 256) {
    for (long long row = first; row <= last; ++row) Report(row);
    return;
  }
  // A run this long means steps below one percent, so every value in between occurs.
  for (int value = ValueAt(first); value <= ValueAt(last); ++value) Announce(value);
}

}  // namespace metrazil
