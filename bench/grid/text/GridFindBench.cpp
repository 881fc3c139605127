// Find over the shown text of a 1,000,000-row, 5-column table, from the first body cell around to it, for
// texts that are absent (a search from end to end may take 100 ms): one whose first byte no cell holds, and
// one whose first character starts a text in every row (forwards and backwards). Next to them the model's
// whole-cell LocateText over the same table, the figure to compare with.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "grid/file/TableFileReader.h"
#include "grid/model/TableGrid.h"
#include "grid/text/GridFind.h"
#include "support/BenchTables.h"

namespace metrazil {
namespace {

constexpr int kRows = 1000000;
const std::string kAbsentLatin = "Zn-coated";
const std::string kAbsentCommonStart = "\xC3\xD7\xC3\xD7";  // the unit of every row, twice

const TTableGrid& Table() {
  static TTableGrid grid;
  static bool loaded = false;
  if (!loaded) {
    ReadTableFile(grid, BenchTablePath(kRows));
    loaded = true;
  }
  return grid;
}

std::u16string Latin1(std::string_view bytes) { return std::u16string(bytes.begin(), bytes.end()); }

void FindAbsent(benchmark::State& state, const std::string& text, TFindDirection direction = TFindDirection::kNext) {
  const TTableGrid& grid = Table();
  TGridFind find(grid, text, Latin1);
  for (auto _ : state) {
    find.Start(TCellAddress{0, grid.FixedRows()}, direction);
    const TFindResult result = find.Run(TGridFind::TClock::time_point::max());
    if (result.state != TFindState::kNotFound) state.SkipWithError("the text was found");
  }
  state.counters["cells"] = static_cast<double>(grid.RowCount() - grid.FixedRows()) * grid.ColCount();
}

void BM_FindAbsentLatin(benchmark::State& state) { FindAbsent(state, kAbsentLatin); }
void BM_FindAbsentCommonStart(benchmark::State& state) { FindAbsent(state, kAbsentCommonStart); }
void BM_FindAbsentCommonStartBackward(benchmark::State& state) {
  FindAbsent(state, kAbsentCommonStart, TFindDirection::kPrevious);
}

// As the window searches: 256 cells between looks at the clock, in slices of 10 ms.
void BM_FindAbsentCommonStartInSlices(benchmark::State& state) {
  const TTableGrid& grid = Table();
  TGridFind find(grid, kAbsentCommonStart, Latin1, {}, 256);
  for (auto _ : state) {
    find.Start(TCellAddress{0, grid.FixedRows()}, TFindDirection::kNext);
    TFindResult result;
    while (result.state == TFindState::kSearching) {
      result = find.Run(TGridFind::TClock::now() + std::chrono::milliseconds(10));
    }
    if (result.state != TFindState::kNotFound) state.SkipWithError("the text was found");
  }
}

void BM_LocateTextAbsent(benchmark::State& state) {
  const TTableGrid& grid = Table();
  for (auto _ : state) benchmark::DoNotOptimize(grid.LocateText(kAbsentLatin));
}

BENCHMARK(BM_FindAbsentLatin)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindAbsentCommonStart)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindAbsentCommonStartBackward)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindAbsentCommonStartInSlices)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LocateTextAbsent)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace metrazil
