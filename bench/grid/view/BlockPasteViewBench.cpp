// A paste of 100,000 rows of 5 columns through a shown grid view: the clipboard's Unicode text converted,
// parsed and written, with the view told of every cell (a whole paste may take 1 s). Run offscreen:
//   QT_QPA_PLATFORM=offscreen bench_grid_paste
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QClipboard>
#include <string>

#include "grid/model/TableDesign.h"
#include "grid/view/GridBlockCommands.h"
#include "grid/view/TableGridView.h"

namespace metrazil {
namespace {

QString PastedText(int rows) {
  QString text;
  for (int row = 0; row < rows; ++row) {
    text += QString::fromUtf8("钢筋 %1\t%2\tm\t%3\tnote\n").arg(row).arg(row % 97).arg(row * 3);
  }
  return text;
}

void BM_PasteThroughView(benchmark::State& state) {
  QApplication::clipboard()->setText(PastedText(static_cast<int>(state.range(0))));
  for (auto _ : state) {
    TTableGridView view;
    SetDesignState(view.Model());
    view.resize(400, 300);
    view.show();
    view.BlockCommands().Paste();
    QApplication::processEvents();
  }
}

BENCHMARK(BM_PasteThroughView)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace metrazil
