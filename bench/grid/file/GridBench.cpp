// Reading, writing, searching and row moves on generated 5-column tables of 10k, 100k and 1M rows, next
// to a plain pass over the same bytes and a straightforward reader into a std::map; a pass over the texts
// as cells show them.
//
// Files go to BenchDir(): $METRAZIL_BENCH_DIR, else /dev/shm, else /tmp.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "grid/file/TableFile.h"
#include "grid/file/TableFileReader.h"
#include "grid/file/TableFileWriter.h"
#include "grid/model/TableDesign.h"
#include "grid/model/TableGrid.h"
#include "grid/text/ShownCellText.h"
#include "support/BenchTables.h"

namespace metrazil {
namespace {

namespace fs = std::filesystem;

std::string TablePath(int rows) { return BenchTablePath(rows); }

void BM_PlainPass(benchmark::State& state) {
  const std::string path = TablePath(static_cast<int>(state.range(0)));
  std::unique_ptr<char[]> buffer(new char[1 << 20]);
  for (auto _ : state) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    std::size_t lines = 0;
    std::size_t carry = 0;
    for (;;) {
      const ssize_t got = ::read(fd, buffer.get() + carry, (1 << 20) - carry);
      if (got <= 0) break;
      const char* p = buffer.get();
      const char* end = p + carry + got;
      while (const char* nl = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)))) {
        ++lines;
        p = nl + 1;
      }
      carry = static_cast<std::size_t>(end - p);
      std::memmove(buffer.get(), p, carry);
    }
    ::close(fd);
    benchmark::DoNotOptimize(lines);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(fs::file_size(path)));
}

std::size_t HeapInUse() { return mallinfo2().uordblks; }

void ReadCase(benchmark::State& state, const TTableReadOptions& options) {
  const std::string path = TablePath(static_cast<int>(state.range(0)));
  std::size_t overhead = 0;
  std::size_t cells = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto grid = std::make_unique<TTableGrid>();
    SetDesignState(*grid);
    const std::size_t before = HeapInUse();
    state.ResumeTiming();
    ReadTableFile(*grid, path, {}, options);
    state.PauseTiming();
    if (cells == 0) {
      std::size_t textBytes = 0;
      for (int r = 0; r < grid->RowCount(); ++r) {
        for (int c = 0; c < grid->ColCount(); ++c) textBytes += grid->CellText(c, r).size();
      }
      cells = grid->StoredCellCount();
      // Large tables keep their blocks and texts in regions of their own, outside the heap.
      overhead = HeapInUse() + grid->StorePooledBytes() - before - textBytes;
    }
    grid.reset();
    state.ResumeTiming();
  }
  state.counters["bytes_per_cell"] = static_cast<double>(overhead) / static_cast<double>(cells);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(fs::file_size(path)));
}

// As every file is read: the first pass looks for UTF-8 up to the first Chinese text.
void BM_Read(benchmark::State& state) { ReadCase(state, {}); }

// Every byte taken in the code page with no first pass: what BM_Read costs over it is the encoding check.
void BM_ReadCodePageOnly(benchmark::State& state) { ReadCase(state, {.decoding = {}}); }

// The straightforward way, for comparison: getline and a std::map keyed by (row, column).
void BM_ReadStdMap(benchmark::State& state) {
  const std::string path = TablePath(static_cast<int>(state.range(0)));
  std::size_t overhead = 0;
  std::size_t cells = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto store = std::make_unique<std::map<std::pair<int, int>, std::string>>();
    const std::size_t before = HeapInUse();
    state.ResumeTiming();
    std::ifstream in(path, std::ios::binary);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.starts_with("cw")) continue;
      const std::size_t a = line.find(',');
      const std::size_t b = line.find(',', a + 1);
      const int col = ParseTableFileNumber(std::string_view(line).substr(0, a)).value;
      const int row = ParseTableFileNumber(std::string_view(line).substr(a + 1, b - a - 1)).value;
      (*store)[{row, col}] = line.substr(b + 1);
    }
    state.PauseTiming();
    if (cells == 0) {
      std::size_t textBytes = 0;
      for (const auto& entry : *store) textBytes += entry.second.size();
      cells = store->size();
      overhead = HeapInUse() - before - textBytes;
    }
    store.reset();
    state.ResumeTiming();
  }
  state.counters["bytes_per_cell"] = static_cast<double>(overhead) / static_cast<double>(cells);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(fs::file_size(path)));
}

TTableGrid& LoadedGrid(int rows) {
  static std::map<int, std::unique_ptr<TTableGrid>> grids;
  auto& grid = grids[rows];
  if (!grid) {
    grid = std::make_unique<TTableGrid>();
    SetDesignState(*grid);
    ReadTableFile(*grid, TablePath(rows));
  }
  return *grid;
}

void BM_Write(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  const TTableGrid& grid = LoadedGrid(rows);
  const std::string path = BenchDir() + "/written-" + std::to_string(rows) + ".dat";
  for (auto _ : state) WriteTableFile(grid, path);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(fs::file_size(path)));
}

void BM_LocateLastName(benchmark::State& state) {
  const TTableGrid& grid = LoadedGrid(static_cast<int>(state.range(0)));
  const std::string name = grid.ReadCell(0, grid.RowCount() - 1);
  for (auto _ : state) benchmark::DoNotOptimize(grid.LocateText(name));
}

// The whole-cell find of BM_LocateLastName over the texts as cells show them, through the shown-text rule.
void BM_ShownTextPass(benchmark::State& state) {
  const TTableGrid& grid = LoadedGrid(static_cast<int>(state.range(0)));
  const std::string name = grid.ReadCell(0, grid.RowCount() - 1);
  const TDecodeBytes decode = [](std::string_view bytes) { return std::u16string(bytes.begin(), bytes.end()); };
  for (auto _ : state) {
    int found = -1;
    for (int row = grid.FixedRows(); row < grid.RowCount() && found < 0; ++row) {
      const TShownCellText shown = ShownCellText(grid.CellText(0, row), kMaxEditedChars, decode);
      if (shown.bytes == name) found = row;
    }
    benchmark::DoNotOptimize(found);
  }
}

void BM_InsertRowAt1(benchmark::State& state) {
  TTableGrid& grid = LoadedGrid(static_cast<int>(state.range(0)));
  const int rows = grid.RowCount();
  for (auto _ : state) grid.InsertRowsAt(1, 1);
  // The inserted rows are empty; removing them restores the table.
  grid.RemoveRowsAt(1, grid.RowCount() - rows);
  grid.SetRowCount(rows);
}

void BM_RemoveRowAt1(benchmark::State& state) {
  TTableGrid& grid = LoadedGrid(static_cast<int>(state.range(0)));
  const int rows = grid.RowCount();
  for (auto _ : state) {
    grid.RemoveRowsAt(1, 1);
    state.PauseTiming();
    grid.SetRowCount(rows);  // the removed row comes back as the last row
    state.ResumeTiming();
  }
}

BENCHMARK(BM_PlainPass)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Read)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadCodePageOnly)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadStdMap)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Write)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LocateLastName)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShownTextPass)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertRowAt1)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RemoveRowAt1)->Arg(1000000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace metrazil

BENCHMARK_MAIN();
