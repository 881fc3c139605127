#pragma once

#include <QElapsedTimer>
#include <optional>

#include "grid/model/TableGrid.h"

namespace metrazil {

// Keeps the window painting through work over a whole table (a save, a block command over many rows, its
// undo): paints and timers only, every 20 ms, so that nothing the user does can change the table meanwhile;
// the busy cursor shows once the work has taken 100 ms. Called by the work itself, or, built over a grid,
// by the grid's long operations, in a busy scope of the grid while it lives. Unlike the start-up reads'
// TReadEventPump, it lets no input through and nothing can cut the work short.
class TPaintWhileBusy {
 public:
  TPaintWhileBusy();
  explicit TPaintWhileBusy(TTableGrid& grid);
  ~TPaintWhileBusy();
  TPaintWhileBusy(const TPaintWhileBusy&) = delete;
  TPaintWhileBusy& operator=(const TPaintWhileBusy&) = delete;

  void operator()();

 private:
  QElapsedTimer started_;
  qint64 last_ = 0;
  bool busy_ = false;
  std::optional<TTableGrid::TBusyScope> scope_;  // over the grid whose long operations call it
};

}  // namespace metrazil
