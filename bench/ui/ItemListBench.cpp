// The item list over a million names: taking the snapshot, completing a typed prefix, dropping the list
// and picking by keys; next to filling a combo box with a QString per name, as a plain list does.
//   QT_QPA_PLATFORM=offscreen bench_item_list
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <memory>
#include <string>

#include "grid/file/TableFileReader.h"
#include "grid/view/CodePageText.h"
#include "support/BenchTables.h"
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
    const std::size_t before = HeapInUse();
    TItemListModel list;
    list.Fill(grid, [] {});
    // Large snapshots are mapped outside the heap.
    if (bytes == 0) bytes = HeapInUse() - before + list.SnapshotBytes();
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

}  // namespace
}  // namespace metrazil
