// The recovery journal: the window thread's cost of one Append, a million entries through to the disk,
// the scan of a journal of a million entries at start, and the hash of a 1M-row table that a journal takes
// on its worker thread when it is first written. Then the journal of a user's changes to a 1M-row table: a
// cell edit, and a clear of the whole body beside the clear itself.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "grid/file/JournalBase.h"
#include "grid/file/JournalEntry.h"
#include "grid/file/OrphanJournal.h"
#include "grid/file/TableFileReader.h"
#include "grid/file/TableJournal.h"
#include "grid/model/GridEdits.h"
#include "grid/model/GridUndoStack.h"
#include "support/BenchTables.h"

namespace metrazil {
namespace {

namespace fs = std::filesystem;

constexpr int kEntries = 1000000;

// A cell edit as an undo step might encode it: the cell, its old text and its new one.
std::string CellEdit(int i) { return "E 2," + std::to_string(i % 1000000 + 1) + "\t0.617000\t0." + std::to_string(i); }

// A folder of its own beside the other benchmark files, removed afterwards.
class TScratch {
 public:
  TScratch() : dir_(fs::path(BenchDir()) / ("metrazil-journal-bench-" + std::to_string(::getpid()))) {
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  ~TScratch() { fs::remove_all(dir_); }
  TScratch(const TScratch&) = delete;
  TScratch& operator=(const TScratch&) = delete;
  std::string Table() const { return (dir_ / "data.dat").string(); }

 private:
  fs::path dir_;
};

// CPU time on the calling thread; the worker writes meanwhile.
void BM_JournalAppendCellEdit(benchmark::State& state) {
  const TScratch scratch;
  TTableJournal journal(scratch.Table(), TJournalBase::NoFile());
  int i = 0;
  for (auto _ : state) journal.Append(CellEdit(i++));
  journal.SyncNow(std::chrono::seconds(60));
}
BENCHMARK(BM_JournalAppendCellEdit);

// From the first Append to all of them durable.
void BM_JournalMillionEntriesDurable(benchmark::State& state) {
  std::vector<std::string> entries;
  for (int i = 0; i < kEntries; ++i) entries.push_back(CellEdit(i));
  std::uintmax_t size = 0;
  for (auto _ : state) {
    const TScratch scratch;
    TTableJournal journal(scratch.Table(), TJournalBase::NoFile());
    for (const std::string& entry : entries) journal.Append(entry);
    if (!journal.SyncNow(std::chrono::seconds(60))) state.SkipWithError("not durable");
    size = fs::file_size(journal.Path());
    journal.Discard();
  }
  state.counters["journal MB"] = static_cast<double>(size) / 1e6;
  state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_JournalMillionEntriesDurable)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_JournalScanMillionEntries(benchmark::State& state) {
  const TScratch scratch;
  {
    TTableJournal journal(scratch.Table(), TJournalBase::NoFile());
    for (int i = 0; i < kEntries; ++i) journal.Append(CellEdit(i));
  }
  for (auto _ : state) {
    std::vector<TOrphanJournal> found = FindJournals(scratch.Table());
    if (found.size() != 1 || found[0].Entries().size() != kEntries) state.SkipWithError("the journal did not scan");
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_JournalScanMillionEntries)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_JournalHashOfMillionRowTable(benchmark::State& state) {
  const std::string table = BenchTablePath(kEntries);
  for (auto _ : state) {
    TJournalBase base = TJournalBase::OfPath(table);
    base.TakeHash(table);
    if (base.hashState != TJournalBase::THash::kKnown) state.SkipWithError("no hash");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(table)));
}
BENCHMARK(BM_JournalHashOfMillionRowTable)->Unit(benchmark::kMillisecond)->UseRealTime();

TTableGrid& MillionRows() {
  static TTableGrid grid;
  static bool read = false;
  if (!read) {
    ReadTableFile(grid, BenchTablePath(kEntries));
    read = true;
  }
  return grid;
}

// Each undo step into the journal as its entry, as the window hands them over.
auto JournalSteps(TTableJournal& journal) {
  return
      [&journal](TGridStepEvent event, const TGridUndoStep& step) { journal.Append(EncodeJournalEntry(event, step)); };
}

// An edit of one cell of the million-row table as the window records it: the step, its entry and the Append,
// on the window's thread.
void BM_JournalOfCellEditAtMillionRows(benchmark::State& state) {
  const TScratch scratch;
  TTableGrid& grid = MillionRows();
  TTableJournal journal(scratch.Table(), TJournalBase::NoFile());
  TGridUndoStack steps;
  steps.OnStep = JournalSteps(journal);
  int row = 1;
  for (auto _ : state) {
    std::string before = grid.ReadCell(2, row);
    grid.WriteCell(2, row, "0.617000");
    steps.Push(TextWritten(grid, 2, row, std::move(before)));
    row = row % kEntries + 1;
  }
  journal.SyncNow(std::chrono::seconds(60));
  journal.Discard();
}
BENCHMARK(BM_JournalOfCellEditAtMillionRows);

// The body of the million-row table cleared, as Delete does it, without and with its journal: the journal's
// part is the entry made and appended on the window's thread; its bytes reach the disk on the worker, which
// the second figure waits for too.
void ClearWholeBody(benchmark::State& state, bool journaled, bool durable) {
  TTableGrid& grid = MillionRows();
  const TScratch scratch;
  TTableJournal journal(scratch.Table(), TJournalBase::NoFile());
  TGridUndoStack steps;
  if (journaled) steps.OnStep = JournalSteps(journal);
  for (auto _ : state) {
    steps.Push(ClearBlock(grid, TCellAddress{0, 1}, TCellAddress{grid.ColCount() - 1, grid.RowCount() - 1}));
    if (durable && !journal.SyncNow(std::chrono::seconds(60))) state.SkipWithError("not durable");
    state.PauseTiming();
    const std::uint64_t bytes = journal.Path().empty() ? 0 : fs::file_size(journal.Path());
    state.counters["journal MB"] = static_cast<double>(bytes) / 1e6;
    steps.OnStep = nullptr;
    steps.Undo(grid);
    journal.Rebase(TJournalBase::NoFile());
    if (journaled) steps.OnStep = JournalSteps(journal);
    state.ResumeTiming();
  }
  journal.Discard();
}
void BM_ClearWholeBody(benchmark::State& state) { ClearWholeBody(state, false, false); }
void BM_ClearWholeBodyJournaled(benchmark::State& state) { ClearWholeBody(state, true, false); }
void BM_ClearWholeBodyJournaledDurable(benchmark::State& state) { ClearWholeBody(state, true, true); }
BENCHMARK(BM_ClearWholeBody)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ClearWholeBodyJournaled)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ClearWholeBodyJournaledDurable)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace metrazil

BENCHMARK_MAIN();
