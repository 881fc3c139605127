#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <string>

#include "grid/view/CodePageText.h"
#include "grid/view/TableGridView.h"
#include "support/BenchInput.h"

namespace metrazil {
namespace {

// Shows the grid and gives it the keyboard focus, which wheel notches need.
void Show(TTableGridView& view) {
  view.resize(420, 300);
  view.show();
  Activate(&view, &view);
  QApplication::processEvents();
}

// A grid of `rows` body rows whose column 1 repeats `distinct` different texts.
TTableGridView& Grid(int rows, int distinct) {
  static TTableGridView* view = nullptr;
  static std::pair<int, int> shape;
  if (view == nullptr || shape != std::pair{rows, distinct}) {
    delete view;
    view = new TTableGridView;
    TTableGrid& model = view->Model();
    model.SetFixedCols(0);
    model.SetRowCount(rows + 1);
    for (int row = 1; row <= rows; ++row)
      model.WriteCell(1, row, "item " + std::to_string(row % distinct) + " 千克/米\r\nsecond line");
    shape = {rows, distinct};
    Show(*view);
  }
  return *view;
}

// A double-click in the header row on column 1's right border, as a user fits the column.
void DoubleClickBorder(TTableGridView& view) {
  const QRect header = view.CellRect(1, 0);
  const QPointF at(header.left() + header.width() - 1, header.center().y());
  QMouseEvent click(QEvent::MouseButtonDblClick, at, view.viewport()->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(view.viewport(), &click);
}

void BM_FitColumn(benchmark::State& state) {
  TTableGridView& view = Grid(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) DoubleClickBorder(view);
  benchmark::DoNotOptimize(view.Model().ColWidth(1));
}
BENCHMARK(BM_FitColumn)->Args({10, 10})->Args({1000000, 1000})->Args({1000000, 1000000})->Unit(benchmark::kMillisecond);

// The floor of any exact fit: visiting every row's text of the column and reading its bytes.
void BM_VisitColumnTexts(benchmark::State& state) {
  TTableGridView& view = Grid(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) {
    unsigned sum = 0;
    view.Model().ForEachTextInColumn(1, 1, view.Model().RowCount(), [&sum](int, std::string_view text) {
      for (const char byte : text.substr(0, text.find('\r'))) sum += static_cast<unsigned char>(byte);
    });
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_VisitColumnTexts)->Args({1000000, 1000000})->Unit(benchmark::kMillisecond);

// What fitting would cost measuring every row's text, for comparison.
void BM_MeasureEveryRow(benchmark::State& state) {
  TTableGridView& view = Grid(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const QFontMetrics metrics(view.Style().bodyFont);
  for (auto _ : state) {
    int widest = 0;
    const TTableGrid& model = view.Model();
    for (int row = 1; row < model.RowCount(); ++row) {
      std::string_view text = model.CellText(1, row);
      text = text.substr(0, text.find('\r'));
      widest = std::max(widest, metrics.horizontalAdvance(FromTableBytes(text)));
    }
    benchmark::DoNotOptimize(widest);
  }
}
BENCHMARK(BM_MeasureEveryRow)->Args({1000000, 1000})->Unit(benchmark::kMillisecond);

// A Ctrl+wheel notch towards the user and one back on a grid of `rows` rows at the default height: a zoom
// step and back, and the focus one row down and up again.
void BM_ZoomStep(benchmark::State& state) {
  TTableGridView view;
  view.Model().SetRowCount(static_cast<int>(state.range(0)));
  Show(view);
  for (auto _ : state) {
    Wheel(view.viewport(), -120, Qt::ControlModifier);
    Wheel(view.viewport(), 120, Qt::ControlModifier);
  }
  benchmark::DoNotOptimize(view.Model().RowHeight(1));
}
BENCHMARK(BM_ZoomStep)->Arg(10)->Arg(TTableGrid::kMaxCount)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace metrazil
