// Block text as a paste of 100,000 rows of 5 columns meets it: the generated table's texts written out as
// tab-separated text and read back (a whole paste may take 1 s), and a text of nothing but quotes; a copy
// of a million rows.
#include <benchmark/benchmark.h>

#include <string>

#include "grid/file/TableFileReader.h"
#include "grid/model/TableGrid.h"
#include "grid/text/BlockText.h"
#include "support/BenchTables.h"

namespace metrazil {
namespace {

const TTableGrid& Table(int rows) {
  static TTableGrid grid;
  static int loaded = 0;
  if (loaded != rows) {
    grid = TTableGrid();
    ReadTableFile(grid, BenchTablePath(rows));
    loaded = rows;
  }
  return grid;
}

std::string BodyText(int rows) {
  const TTableGrid& grid = Table(rows);
  return FormatBlockText(grid, TCellAddress{0, 1}, TCellAddress{grid.ColCount() - 1, grid.RowCount() - 1});
}

void BM_FormatBlockText(benchmark::State& state) {
  const TTableGrid& grid = Table(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        FormatBlockText(grid, TCellAddress{0, 1}, TCellAddress{grid.ColCount() - 1, grid.RowCount() - 1}));
  }
}

void BM_ParseBlockText(benchmark::State& state) {
  const std::string text = BodyText(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(ParseBlockText(text));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// A megabyte of quotes: one quoted field of doubled quotes, read in one pass.
void BM_ParseQuotes(benchmark::State& state) {
  const std::string text(std::size_t{1} << 20, '"');
  for (auto _ : state) benchmark::DoNotOptimize(ParseBlockText(text));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// The whole body of a 1,000,000-row table copied as text, as the window's Ctrl+C does before it converts it.
void BM_CopyWholeBody(benchmark::State& state) {
  const TTableGrid& grid = Table(1000000);
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        FormatBlockText(grid, TCellAddress{0, 1}, TCellAddress{grid.ColCount() - 1, grid.RowCount() - 1}));
  }
}

BENCHMARK(BM_FormatBlockText)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseBlockText)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseQuotes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyWholeBody)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace metrazil
