// Feeds arbitrary bytes to the table file reader. Whatever it reads must keep the grid's invariants and
// survive a save and a reload unchanged: the saved bytes of the reloaded grid equal the first save, and
// reading a save leaves nothing out.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <numeric>
#include <string>
#include <string_view>

#include "grid/file/TableFileReader.h"
#include "grid/file/TableFileWriter.h"
#include "grid/model/TableGrid.h"
#include "tests/support/DesignGrid.h"

namespace {

using metrazil::DesignGrid;
using metrazil::TTableGrid;
using metrazil::TTableReadReport;

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TTableGrid grid = DesignGrid();
  try {
    const TTableReadReport report = ReadTableBytes(grid, std::string_view(reinterpret_cast<const char*>(data), size));
    Check(report.total == std::accumulate(report.leftOut.begin(), report.leftOut.end(), std::size_t{0}));
    Check(report.firstLines.size() == std::min(report.total, TTableReadReport::kLinesNamed));
    Check(std::is_sorted(report.firstLines.begin(), report.firstLines.end()));
    Check(std::all_of(report.firstLines.begin(), report.firstLines.end(), [](std::size_t line) { return line >= 1; }));
  } catch (const metrazil::EInvalidGridOperation&) {
    // Counts above the limit: refused, and the grid must still be whole.
  }

  Check(grid.RowCount() >= 1 && grid.RowCount() <= TTableGrid::kMaxCount);
  Check(grid.ColCount() >= 1 && grid.ColCount() <= TTableGrid::kMaxCount);
  Check(grid.FixedRows() >= 0 && grid.FixedRows() < grid.RowCount());
  Check(grid.FixedCols() >= 0 && grid.FixedCols() < grid.ColCount());
  Check(grid.FocusedRow() >= 0 && grid.FocusedRow() < grid.RowCount());
  Check(grid.FocusedCol() >= 0 && grid.FocusedCol() < grid.ColCount());

  // Saving writes a width line per column; keep the round trip to tables of a sane width.
  if (grid.ColCount() > 2000) return 0;
  const std::string first = TableFileBytes(grid);
  TTableGrid reloaded = DesignGrid();
  const TTableReadReport again = ReadTableBytes(reloaded, first);
  Check(again.total == 0 && !again.byteOrderMark);
  Check(TableFileBytes(reloaded) == first);
  return 0;
}
