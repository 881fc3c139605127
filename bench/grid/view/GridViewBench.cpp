// Painting and editing costs of the grid view: a full repaint of the visible area must not depend on the
// row count, and a key press must open the editor at once. Run offscreen:
//   QT_QPA_PLATFORM=offscreen bench_gridview
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QWidget>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "grid/file/TableFileReader.h"
#include "grid/text/CellTextKind.h"
#include "grid/view/GridEditor.h"
#include "grid/view/TableGridView.h"

namespace metrazil {
namespace {

// A window whose grid shows exactly the header and 9 body rows, so a 10-row grid and a huge one paint the
// same cells. Every visible cell holds the same text in both.
struct Window {
  explicit Window(int rowCount) {
    grid = new TTableGridView(&window);
    TTableGrid& model = grid->Model();
    model.SetFixedCols(0);
    model.SetFocusedCell(0, 1);
    model.SetRowCount(rowCount);
    const int frame = grid->frameWidth();
    grid->setGeometry(0, 0, 5 * 64 + 2 * frame, 10 * 21 + 2 * frame);
    window.resize(grid->size());
    window.show();
    QApplication::processEvents();
    for (int i = 0; i < 3 && grid->viewport()->size() != QSize(320, 210); ++i) {
      grid->resize(grid->size() + QSize(320, 210) - grid->viewport()->size());
      QApplication::processEvents();
    }
    // The bottom of the grid: for the huge grid that is row 134,217,724.
    const int top = rowCount - 9;
    model.SetFocusedCell(0, rowCount - 1);
    grid->SetTopLeft(0, top);
    for (int row = 0; row < 10; ++row) {
      const int r = row == 0 ? 0 : top + row - 1;
      for (int col = 0; col < 5; ++col) {
        model.WriteCell(col, r, "Item " + std::to_string(row) + "/" + std::to_string(col) + "\r\nsecond line");
      }
    }
    grid->setFocus();
    QApplication::processEvents();
    for (int i = 0; i < 20; ++i) grid->viewport()->repaint();  // glyph caches warm for both sizes
  }
  QWidget window;
  TTableGridView* grid = nullptr;
};

void FullRepaint(benchmark::State& state) {
  Window w(static_cast<int>(state.range(0)));
  for (auto _ : state) w.grid->viewport()->repaint();
  state.counters["topRow"] = w.grid->Model().TopRow();
  state.counters["vpw"] = w.grid->viewport()->width();
  state.counters["vph"] = w.grid->viewport()->height();
}
BENCHMARK(FullRepaint)->Arg(10)->Arg(TTableGrid::kMaxCount)->Unit(benchmark::kMicrosecond);

// Ctrl+Home and Ctrl+End in turn: each moves the focus across the whole grid and scrolls to it.
void FocusMoveAcrossTheGrid(benchmark::State& state) {
  Window w(static_cast<int>(state.range(0)));
  bool home = true;
  for (auto _ : state) {
    QKeyEvent press(QEvent::KeyPress, home ? Qt::Key_Home : Qt::Key_End, Qt::ControlModifier);
    QApplication::sendEvent(w.grid, &press);
    QApplication::processEvents();
    home = !home;
  }
}
BENCHMARK(FocusMoveAcrossTheGrid)->Arg(10)->Arg(TTableGrid::kMaxCount)->Unit(benchmark::kMicrosecond);

// From the key press on a focused cell until the editor is shown and painted.
void KeyPressToEditorShown(benchmark::State& state) {
  Window w(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(w.grid, &press);
    QApplication::processEvents();
    if (w.grid->EditSession().Editor() == nullptr || !w.grid->EditSession().Editor()->isVisible())
      state.SkipWithError("no editor");
    state.PauseTiming();
    w.grid->EditSession().CancelEdit();
    QApplication::processEvents();
    state.ResumeTiming();
  }
}
BENCHMARK(KeyPressToEditorShown)->Arg(10)->Arg(TTableGrid::kMaxCount)->Unit(benchmark::kMicrosecond);

// Reading a table into a shown grid, as the main window does at start-up: every cell line reaches the view
// (the arg is the row count, two cells a row).
void ReadIntoShownGrid(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  QTemporaryDir dir;
  const std::string path = dir.filePath(QStringLiteral("data.dat")).toStdString();
  {
    std::ofstream file(path, std::ios::binary);
    file << "5," << rows << "\r\n";
    for (int row = 1; row < rows; ++row) file << "0," << row << ",Item " << row << "\r\n1," << row << ",12.5\r\n";
  }
  for (auto _ : state) {
    state.PauseTiming();
    auto w = std::make_unique<Window>(10);
    state.ResumeTiming();
    ReadTableFile(w->grid->Model(), path, [] {});
    QApplication::processEvents();
    state.PauseTiming();
    w.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(ReadIntoShownGrid)->Arg(100000)->Unit(benchmark::kMillisecond);

// Hostile texts from a table someone else made, in every visible cell, against ordinary two-line texts:
// showing a cell must cost a bounded time whatever its text.
std::string Repeated(std::string_view piece, std::size_t times) {
  std::string text;
  text.reserve(piece.size() * times);
  for (std::size_t i = 0; i < times; ++i) text += piece;
  return text;
}

const std::vector<std::pair<const char*, std::string>>& HostileTexts() {
  static const std::vector<std::pair<const char*, std::string>> texts = {
      {"ordinary", "Item 1/2\r\nsecond line"},
      {"plain 5 MB one line", std::string(5 << 20, 'w')},
      {"markup 5 MB one word", "<B>x</B>" + std::string(5 << 20, 'w')},
      {"markup 16 KB of tags", Repeated("<B>ab</B> ", 1600)},
      {"markup 6 nested tables", Repeated("<table border=1><tr><td>", kMaxMarkupTableDepth) + "x"},
      {"markup 900 nested tables", Repeated("<table><tr><td>", 900) + "x"},
      {"markup 100k nested B", Repeated("<B>", 100000) + "x"},
      {"markup names /dev/zero", "<B>x</B><img src=\"/dev/zero\">"},
      {"rich 100k nested groups", "{\\rtf1 " + std::string(100000, '{') + "x"},
      {"rich 5 MB of text", "{\\rtf1 " + std::string(5 << 20, 'w') + "}"},
      {"wide 5 MB", "|\\" + std::string(5 << 20, 'w')},
      {"longest editable word", std::string(kMaxEditedChars, 'w')},
  };
  return texts;
}

void HostileCellRepaint(benchmark::State& state) {
  const auto& [name, text] = HostileTexts()[static_cast<std::size_t>(state.range(0))];
  Window w(10);
  for (int row = 1; row < 10; ++row) {
    for (int col = 0; col < 5; ++col) w.grid->Model().WriteCell(col, row, text);
  }
  w.grid->viewport()->repaint();
  for (auto _ : state) w.grid->viewport()->repaint();
  state.SetLabel(name);
}
BENCHMARK(HostileCellRepaint)->DenseRange(0, 11)->Unit(benchmark::kMicrosecond);

// Opening the editor on a cell (F2) and cancelling: the editor takes at most kMaxEditedChars characters.
void HostileCellEditor(benchmark::State& state) {
  const auto& [name, text] = HostileTexts()[static_cast<std::size_t>(state.range(0))];
  Window w(10);
  w.grid->Model().WriteCell(0, 9, text);
  for (auto _ : state) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F2, Qt::NoModifier);
    QApplication::sendEvent(w.grid, &press);
    QApplication::processEvents();
    if (w.grid->EditSession().Editor() == nullptr || !w.grid->EditSession().Editor()->isVisible())
      state.SkipWithError("no editor");
    w.grid->EditSession().Editor()->repaint();
    w.grid->EditSession().CancelEdit();
    QApplication::processEvents();
  }
  state.SetLabel(name);
}
BENCHMARK(HostileCellEditor)->Arg(0)->Arg(1)->Arg(2)->Arg(9)->Arg(11)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace metrazil
