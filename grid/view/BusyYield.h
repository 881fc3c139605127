#pragma once

#include <QElapsedTimer>
#include <functional>

namespace metrazil {

class TTableGrid;

// Keeps the window painting through work over a whole table (a save, a block command over many rows, its
// undo): paints and timers only, every 20 ms, so that nothing the user does can change the table meanwhile;
// the busy cursor shows once the work has taken 100 ms. Called by the work itself, or, built over a grid,
// by the grid's long operations (TTableGrid::OnBusy) while it lives.
class TBusyYield {
 public:
  TBusyYield();
  explicit TBusyYield(TTableGrid& grid);
  ~TBusyYield();
  TBusyYield(const TBusyYield&) = delete;
  TBusyYield& operator=(const TBusyYield&) = delete;

  void operator()();

 private:
  TTableGrid* grid_ = nullptr;
  std::function<void()> outer_;  // the hook of a yield this one runs inside
  QElapsedTimer started_;
  qint64 last_ = 0;
  bool busy_ = false;
};

}  // namespace metrazil
