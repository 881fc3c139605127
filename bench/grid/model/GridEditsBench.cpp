// A paste of 100,000 rows of 5 columns into an empty table, as the grid makes it: the clipboard's text
// parsed and written with the rows grown and every old text kept for the undo (a whole paste may take 1 s).
#include <benchmark/benchmark.h>

#include <string>

#include "grid/file/TableFileReader.h"
#include "grid/model/GridEdits.h"
#include "grid/model/GridUndoStack.h"
#include "grid/model/TableDesign.h"
#include "grid/model/TableGrid.h"
#include "grid/text/BlockText.h"
#include "support/BenchTables.h"

namespace metrazil {
namespace {

std::string PastedText(int rows) {
  TTableGrid grid;
  ReadTableFile(grid, BenchTablePath(rows));
  return FormatBlockText(grid, TCellAddress{0, 1}, TCellAddress{grid.ColCount() - 1, grid.RowCount() - 1});
}

void BM_PasteBlock(benchmark::State& state) {
  const std::string text = PastedText(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    TTableGrid grid;
    SetDesignState(grid);
    const TCellBlock block = ParseBlockText(text);
    benchmark::DoNotOptimize(PasteBlock(grid, block, TCellAddress{0, 1}, TCellAddress{0, 1}, false));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

BENCHMARK(BM_PasteBlock)->Arg(100000)->Unit(benchmark::kMillisecond);

// The whole body of a 1,000,000-row table cleared and the clear undone, as the window's Delete and Ctrl+Z do
// them: what the window adds to them is its painting meanwhile.
TTableGrid& MillionRows() {
  static TTableGrid grid;
  static bool read = false;
  if (!read) {
    ReadTableFile(grid, BenchTablePath(1000000));
    read = true;
  }
  return grid;
}

TCellAddress LastCell(const TTableGrid& grid) { return TCellAddress{grid.ColCount() - 1, grid.RowCount() - 1}; }

void BM_ClearWholeBody(benchmark::State& state) {
  TTableGrid& grid = MillionRows();
  TGridUndoStack stack;
  for (auto _ : state) {
    stack.Push(ClearBlock(grid, TCellAddress{0, 1}, LastCell(grid)));
    state.PauseTiming();
    stack.Undo(grid);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ClearWholeBody)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_UndoClearWholeBody(benchmark::State& state) {
  TTableGrid& grid = MillionRows();
  TGridUndoStack stack;
  for (auto _ : state) {
    state.PauseTiming();
    stack.Push(ClearBlock(grid, TCellAddress{0, 1}, LastCell(grid)));
    state.ResumeTiming();
    stack.Undo(grid);
  }
}
BENCHMARK(BM_UndoClearWholeBody)->Iterations(3)->Unit(benchmark::kMillisecond);

// 100,000 rows of five columns pasted at the first body row of the million, as the window's Ctrl+V does in the
// interaction benchmark: the same texts, at column 1, where the fifth field falls past the last column.
void BM_PasteIntoMillionRows(benchmark::State& state) {
  TTableGrid& grid = MillionRows();
  std::string text;
  for (int row = 0; row < 100000; ++row)
    text += "\xC3\xFB" + std::to_string(row) + "\t\xC3\xD7\t\xB9\xAB\xBD\xEF\t0.5\t2\n";
  TGridUndoStack stack;
  for (auto _ : state) {
    stack.Push(PasteBlock(grid, ParseBlockText(text), TCellAddress{1, 1}, TCellAddress{1, 1}, false));
    state.PauseTiming();
    stack.Undo(grid);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_PasteIntoMillionRows)->Iterations(10)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace metrazil
