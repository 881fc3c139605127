// The item list over a million names: taking the snapshot with its index, completing a typed prefix,
// dropping the list and picking by keys; next to filling a combo box with a QString per name, as a plain
// list does; and the first letter typed into the real window's item box after start-up, in CPU time.
//   QT_QPA_PLATFORM=offscreen bench_item_list
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <time.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>
#include <filesystem>
#include <memory>
#include <string>

#include "base/ProgramDirectory.h"
#include "grid/file/TableFileReader.h"
#include "grid/view/CodePageText.h"
#include "support/BenchInput.h"
#include "support/BenchTables.h"
#include "ui/Application.h"
#include "ui/Form1.h"
#include "ui/ItemListModel.h"

namespace metrazil {
namespace {

constexpr int kRows = 1000000;

const TTableGrid& Table() {
  static const auto grid = [] {
    auto table = std::make_unique<TTableGrid>();
    ReadTableFile(*table, BenchTablePath(kRows));
    return table;
  }();
  return *grid;
}

std::size_t HeapInUse() { return mallinfo2().uordblks; }

void BM_FillSnapshot(benchmark::State& state) {
  const TTableGrid& grid = Table();
  std::size_t bytes = 0;
  for (auto _ : state) {
    TItemListModel list;
    list.Fill(grid, [] {});
    bytes = list.SnapshotBytes();
    benchmark::DoNotOptimize(list.Count());
  }
  state.counters["bytes_per_name"] = static_cast<double>(bytes) / kRows;
}
BENCHMARK(BM_FillSnapshot)->Unit(benchmark::kMillisecond);

// The straightforward way, for comparison: a QString per name into the combo box's own item model.
void BM_FillComboBoxItems(benchmark::State& state) {
  const TTableGrid& grid = Table();
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::size_t before = HeapInUse();
    QComboBox box;
    QStringList names;
    grid.ForEachTextInColumn(0, 1, grid.RowCount(),
                             [&](int, std::string_view name) { names.append(FromTableBytes(name)); });
    box.addItems(names);
    names.clear();
    if (bytes == 0) bytes = HeapInUse() - before;
    benchmark::DoNotOptimize(box.count());
  }
  state.counters["bytes_per_name"] = static_cast<double>(bytes) / kRows;
}
BENCHMARK(BM_FillComboBoxItems)->Iterations(1)->Unit(benchmark::kMillisecond);

TItemListModel& List() {
  static TItemListModel* list = [] {
    auto* model = new TItemListModel;
    model->Fill(Table(), [] {});
    return model;
  }();
  return *list;
}

// The worst case: the last name, so every name before it is compared.
void BM_CompleteLastName(benchmark::State& state) {
  TItemListModel& list = List();
  const QString last = FromTableBytes(list.Bytes(list.Count() - 1));
  for (auto _ : state) benchmark::DoNotOptimize(list.FindPrefix(last));
}
BENCHMARK(BM_CompleteLastName)->Unit(benchmark::kMicrosecond);

// A letter that starts no name, and one character that starts many.
void BM_CompleteOneCharacter(benchmark::State& state) {
  TItemListModel& list = List();
  const QString prefix =
      state.range(0) == 0 ? QStringLiteral("a") : FromTableBytes(list.Bytes(list.Count() - 1)).left(1);
  for (auto _ : state) benchmark::DoNotOptimize(list.FindPrefix(prefix));
}
BENCHMARK(BM_CompleteOneCharacter)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_FindWholeTextNotListed(benchmark::State& state) {
  QComboBox box;
  box.setEditable(true);
  box.setModel(&List());
  for (auto _ : state) benchmark::DoNotOptimize(box.findText(QStringLiteral("nowhere")));
}
BENCHMARK(BM_FindWholeTextNotListed)->Unit(benchmark::kMillisecond);

// Dropping the list at the last name and closing it again, and Down in the dropped list.
void BM_DropList(benchmark::State& state) {
  QComboBox box;
  box.setEditable(true);
  box.setGeometry(72, 40, 241, 20);
  box.setMaxVisibleItems(8);
  box.setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  box.setModel(&List());
  if (auto* view = qobject_cast<QListView*>(box.view())) view->setUniformItemSizes(true);
  box.setCurrentIndex(List().Count() - 1);
  box.show();
  QApplication::processEvents();
  for (auto _ : state) {
    box.showPopup();
    QApplication::processEvents();
    box.hidePopup();
    QApplication::processEvents();
  }
}
BENCHMARK(BM_DropList)->Unit(benchmark::kMillisecond);

double ProcessCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The first keys typed into ComboBox1 of a window just started over the million-row table, in CPU time from
// the last key to the end of what it causes: range(0) 1 with the list dropped; range(1) 1 for the start of
// the last name (a character that selects an item and calculates), 0 for letters that start none;
// range(2) the number of keys, of which the second is the first to look up two characters. Each repetition
// starts a new window.
void BM_FirstKeys(benchmark::State& state) {
  static const bool fonts = (InstallFontSubstitutions(), true);
  (void)fonts;
  const bool dropped = state.range(0) != 0;
  const bool matching = state.range(1) != 0;
  const auto keys = static_cast<qsizetype>(state.range(2));
  const QString typed = matching ? FromTableBytes(Table().CellText(0, kRows)) : QStringLiteral("ab");
  for (auto _ : state) {
    state.PauseTiming();
    QTemporaryDir dir(QString::fromStdString(BenchDir() + "/first-keys-XXXXXX"));
    std::filesystem::create_symlink(BenchTablePath(kRows), dir.filePath("data.dat").toStdString());
    SetProgramDirectoryForTesting(dir.path().toStdString());
    auto form = std::make_unique<TForm1>();
    form->show();
    form->activateWindow();
    while (!form->isVisible() || form->IsReading() || form->ComboBox1->count() == 0) {
      QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    form->ComboBox1->setFocus();
    if (dropped) form->ComboBox1->showPopup();
    Settle();
    QWidget* target = dropped ? static_cast<QWidget*>(form->ComboBox1->view()) : form->ComboBox1;
    const auto key = [&](qsizetype at) {
      Key(target, matching ? Qt::Key_unknown : Qt::Key_A + static_cast<int>(at), Qt::NoModifier, typed.mid(at, 1));
      Settle();
    };
    for (qsizetype at = 0; at + 1 < keys; ++at) key(at);
    state.ResumeTiming();
    const double start = ProcessCpuMs();
    key(keys - 1);
    const double cpu = ProcessCpuMs() - start;
    state.SetIterationTime(cpu / 1000.0);
    state.counters["cpu_ms"] = cpu;
    state.counters["selected"] = form->ComboBox1->currentIndex() >= 0;
    state.PauseTiming();
    form->ComboBox1->hidePopup();
    form.reset();
    SetProgramDirectoryForTesting({});
    state.ResumeTiming();
  }
}
BENCHMARK(BM_FirstKeys)
    ->ArgsProduct({{0, 1}, {0, 1}, {1, 2}})
    ->ArgNames({"dropped", "matching", "keys"})
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace metrazil
