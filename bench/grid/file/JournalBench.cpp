// The recovery journal: the window thread's cost of one Append, a million entries through to the disk,
// the scan of a journal of a million entries at start, and the hash of a 1M-row table that a journal takes
// on its worker thread when it is first written.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "grid/file/JournalBase.h"
#include "grid/file/OrphanJournal.h"
#include "grid/file/TableJournal.h"
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

}  // namespace
}  // namespace metrazil

BENCHMARK_MAIN();
