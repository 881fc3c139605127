// Every key and click a user gives the window, at a million rows: the real main window offscreen over a
// 1,000,000-row 5-column conversion table, side by side with a plain QTableView over a minimal model of
// the same texts with uniform row heights. Each case times one event from its sending to the end of the
// repaint it causes; the figures are the median and 95th percentile of the repetitions.
//   QT_QPA_PLATFORM=offscreen build/release/bench/app/bench_interaction
// Compare the two windows only within one run: the machine's load moves both.
//
// A case is one function that sends its event to a window; add one with AddCase.
#include <benchmark/benchmark.h>

#include <QAbstractTableModel>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/ProgramDirectory.h"
#include "grid/file/TableFileReader.h"
#include "grid/layout/GridGeometry.h"
#include "grid/view/CodePageText.h"
#include "grid/view/TableGridView.h"
#include "support/BenchInput.h"
#include "support/BenchTables.h"
#include "ui/FindBar.h"
#include "ui/Form1.h"

namespace metrazil {
namespace {

constexpr int kRows = 1000000;
constexpr int kRepetitions = 24;

// The yardstick: the texts of the same table, each shown as a QString made when asked.
class TPlainModel : public QAbstractTableModel {
 public:
  explicit TPlainModel(const TTableGrid& grid) : grid_(grid) {}
  int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : grid_.RowCount() - 1; }
  int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : grid_.ColCount(); }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    return FromTableBytes(grid_.CellText(index.column(), index.row() + 1));
  }
  Qt::ItemFlags flags(const QModelIndex& index) const override {
    return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
  }
  bool setData(const QModelIndex& index, const QVariant& value, int role) override {
    if (role != Qt::EditRole) return false;
    edited_ = value.toString();
    emit dataChanged(index, index);
    return true;
  }

 private:
  const TTableGrid& grid_;
  QString edited_;
};

struct TWindows {
  // Beside the core benchmarks' files, so that a save here and theirs write to the same kind of storage.
  QTemporaryDir dir{QString::fromStdString(BenchDir() + "/window-XXXXXX")};
  std::unique_ptr<TForm1> form;
  TTableGrid plainGrid;
  std::unique_ptr<TPlainModel> plainModel;
  std::unique_ptr<QTableView> plain;
};

// Made on first use, and deleted at the end, which removes its table folder from the shared memory.
TWindows* windows = nullptr;

TWindows& Windows() {
  if (windows != nullptr) return *windows;
  windows = [] {
    auto* made = new TWindows;
    std::filesystem::copy_file(BenchTablePath(kRows), made->dir.filePath("data.dat").toStdString());
    SetProgramDirectoryForTesting(made->dir.path().toStdString());
    made->form = std::make_unique<TForm1>();
    made->form->show();
    made->form->activateWindow();
    while (!made->form->isVisible() || made->form->IsReading() || made->form->ComboBox1->count() == 0) {
      QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    made->form->PageControl1->setCurrentWidget(made->form->TabSheet2);
    made->form->TableGrid1->setFocus();
    ReadTableFile(made->plainGrid, BenchTablePath(kRows));
    made->plainModel = std::make_unique<TPlainModel>(made->plainGrid);
    made->plain = std::make_unique<QTableView>();
    made->plain->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    made->plain->verticalHeader()->setDefaultSectionSize(24);
    made->plain->setModel(made->plainModel.get());
    made->plain->resize(made->form->TableGrid1->size());
    made->plain->show();
    made->plain->setCurrentIndex(made->plainModel->index(0, 0));
    QApplication::processEvents();
    return made;
  }();
  return *windows;
}

void CloseWindows() {
  delete windows;
  windows = nullptr;
}

QWidget* FormGrid() { return Windows().form->TableGrid1; }
QWidget* FormViewport() { return Windows().form->TableGrid1->viewport(); }
QWidget* PlainView() { return Windows().plain.get(); }

// The thumb dragged between the top and the middle, as a drag ends: the position set, then the move.
void DragThumb(QScrollBar* bar, int repetition) {
  bar->setSliderDown(true);
  bar->setSliderPosition(repetition % 2 == 0 ? bar->maximum() / 2 : 0);
  bar->setSliderDown(false);
}

using TCase = std::function<void(int repetition)>;

// Times `act` once, with `prepare` run before it untimed; `repetition` counts the runs of the case.
void Run(benchmark::State& state, int& repetition, const TCase& prepare, const TCase& act) {
  Windows();
  for (auto _ : state) {
    if (prepare) prepare(repetition);
    Settle();
    QElapsedTimer timer;
    timer.start();
    act(repetition);
    Settle();
    state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
    ++repetition;
  }
}

double Percentile95(const std::vector<double>& values) {
  std::vector<double> sorted = values;
  std::sort(sorted.begin(), sorted.end());
  return sorted[static_cast<std::size_t>(std::ceil(0.95 * static_cast<double>(sorted.size()))) - 1];
}

// Medians and 95th percentiles need the single times: each repetition is one run of one event.
void AddCase(const std::string& name, const TCase& act, const TCase& prepare = {}) {
  auto repetition = std::make_shared<int>(0);
  benchmark::RegisterBenchmark(
      name.c_str(), [act, prepare, repetition](benchmark::State& state) { Run(state, *repetition, prepare, act); })
      ->UseManualTime()
      ->Iterations(1)
      ->Repetitions(kRepetitions)
      ->ComputeStatistics("p95", Percentile95)
      ->ReportAggregatesOnly(true)
      ->Unit(benchmark::kMillisecond);
}

void ActivateForm() {
  TForm1& form = *Windows().form;
  form.ComboBox1->hidePopup();
  form.PageControl1->setCurrentWidget(form.TabSheet2);
  Activate(&form, form.TableGrid1);
}

void ActivatePlain() { Activate(Windows().plain.get(), Windows().plain.get()); }

void SetFormFocus(int row) {
  ActivateForm();
  Windows().form->TableGrid1->Model().SetFocusedCell(1, row);
}

// As the plain view's setCurrentIndex does: the focus moves there and the view scrolls to show it.
void MoveFormFocus(int row) {
  ActivateForm();
  Windows().form->TableGrid1->MoveFocus(1, row, false);
}

void AddNavigationCases() {
  struct TKeyCase {
    const char* name;
    int key;
    Qt::KeyboardModifiers modifiers;
  };
  for (const TKeyCase& key :
       {TKeyCase{"Down", Qt::Key_Down, Qt::NoModifier}, TKeyCase{"PageDown", Qt::Key_PageDown, Qt::NoModifier},
        TKeyCase{"CtrlEnd", Qt::Key_End, Qt::ControlModifier},
        TKeyCase{"CtrlHome", Qt::Key_Home, Qt::ControlModifier}}) {
    const bool jump = key.modifiers == Qt::ControlModifier;
    const int from = key.key == Qt::Key_End ? 1 : kRows / 2;
    AddCase(
        std::string("Metrazil/") + key.name, [key](int) { Key(FormGrid(), key.key, key.modifiers); },
        [jump, from](int) {
          if (jump) MoveFormFocus(from);
        });
    AddCase(
        std::string("Plain/") + key.name, [key](int) { Key(PlainView(), key.key, key.modifiers); },
        [jump, from](int) {
          if (jump) Windows().plain->setCurrentIndex(Windows().plainModel->index(from - 1, 1));
        });
  }
  const TCase form = [](int) { ActivateForm(); };
  const TCase plain = [](int) { ActivatePlain(); };
  AddCase(
      "Metrazil/WheelNotch", [](int repetition) { Wheel(FormViewport(), repetition % 2 == 0 ? -120 : 120); }, form);
  AddCase(
      "Plain/WheelNotch", [](int repetition) { Wheel(Windows().plain->viewport(), repetition % 2 == 0 ? -120 : 120); },
      plain);
  AddCase(
      "Metrazil/ThumbDragToMiddle",
      [](int repetition) { DragThumb(Windows().form->TableGrid1->verticalScrollBar(), repetition); }, form);
  AddCase(
      "Plain/ThumbDragToMiddle", [](int repetition) { DragThumb(Windows().plain->verticalScrollBar(), repetition); },
      plain);
}

// A left press and release on a body cell that does not hold the focus, the rows taking turns.
void ClickAt(QWidget* viewport, QPoint at) {
  const QPointF pos(at);
  for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QMouseEvent event(type, pos, viewport->mapToGlobal(pos), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &event);
  }
}

void AddClickCases() {
  AddCase(
      "Metrazil/ClickOtherCell",
      [](int repetition) {
        TTableGridView& grid = *Windows().form->TableGrid1;
        ClickAt(grid.viewport(), grid.CellRect(1, 2 + repetition % 2).center());
      },
      [](int repetition) {
        ActivateForm();
        TTableGridView& grid = *Windows().form->TableGrid1;
        grid.SetTopLeft(0, 1);
        if (repetition == 0) grid.Model().SetFocusedCell(1, 3);
      });
  AddCase(
      "Plain/ClickOtherCell",
      [](int repetition) {
        QTableView& plain = *Windows().plain;
        ClickAt(plain.viewport(), plain.visualRect(Windows().plainModel->index(1 + repetition % 2, 1)).center());
      },
      [](int) {
        ActivatePlain();
        Windows().plain->scrollToTop();
      });
}

void AddEditingCases() {
  AddCase(
      "Metrazil/F2ThenEnter",
      [](int) {
        Key(FormGrid(), Qt::Key_F2);
        Key(QApplication::focusWidget(), Qt::Key_Return);
      },
      [](int) { SetFormFocus(2); });
  AddCase(
      "Plain/F2ThenEnter",
      [](int) {
        Key(PlainView(), Qt::Key_F2);
        Key(QApplication::focusWidget(), Qt::Key_Return);
      },
      [](int) {
        Windows().plain->setFocus();
        Windows().plain->setCurrentIndex(Windows().plainModel->index(1, 1));
      });
  // The row buttons at the first body row; each insertion is undone untimed, and each deletion put back.
  AddCase(
      "Metrazil/AddRow", [](int) { Windows().form->Button2->click(); }, [](int) { SetFormFocus(1); });
  AddCase(
      "Metrazil/InsertRow", [](int) { Windows().form->Button6->click(); },
      [](int repetition) {
        SetFormFocus(1);
        if (repetition > 0) Windows().form->Button3->click();
      });
  AddCase(
      "Metrazil/DeleteRow", [](int) { Windows().form->Button3->click(); },
      [](int) {
        SetFormFocus(1);
        Windows().form->Button6->click();
        SetFormFocus(1);
      });
}

void AddWindowCases() {
  AddCase("Metrazil/FitColumnByDoubleClick", [](int) {
    TTableGridView& grid = *Windows().form->TableGrid1;
    const QPointF at(static_cast<double>(grid.Geometry().CellRect(0, 0).right) - 1, 5);
    QMouseEvent click(QEvent::MouseButtonDblClick, at, grid.viewport()->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(grid.viewport(), &click);
  });
  AddCase(
      "Metrazil/ZoomStep",
      [](int repetition) { Wheel(FormViewport(), repetition % 2 == 0 ? 120 : -120, Qt::ControlModifier); },
      [](int) { ActivateForm(); });
  AddCase(
      "Metrazil/ToMaintenancePage",
      [](int) { Windows().form->PageControl1->setCurrentWidget(Windows().form->TabSheet2); },
      [](int) { Windows().form->PageControl1->setCurrentWidget(Windows().form->TabSheet1); });
  // A letter that starts no name, typed with the item list closed and with it dropped.
  const auto clearName = [](bool dropped) {
    return [dropped](int) {
      TForm1& form = *Windows().form;
      form.PageControl1->setCurrentWidget(form.TabSheet1);
      if (!dropped) form.ComboBox1->hidePopup();
      Activate(&form, form.ComboBox1);
      form.ComboBox1->lineEdit()->clear();
      if (dropped && !form.ComboBox1->view()->isVisible()) form.ComboBox1->showPopup();
    };
  };
  AddCase(
      "Metrazil/LetterInItemList",
      [](int) { Key(Windows().form->ComboBox1, Qt::Key_A, Qt::NoModifier, QStringLiteral("a")); }, clearName(false));
  AddCase(
      "Metrazil/LetterInDroppedItemList",
      [](int) { Key(Windows().form->ComboBox1->view(), Qt::Key_A, Qt::NoModifier, QStringLiteral("a")); },
      clearName(true));
}

// Undo, find and paste on the conversion table.
void AddStepCases() {
  AddCase(
      "Metrazil/UndoRowDeletion", [](int) { Key(FormGrid(), Qt::Key_Z, Qt::ControlModifier); },
      [](int) {
        SetFormFocus(1);
        Windows().form->Button3->click();
      });
  // Enter in the find box, from the first row to the only match, in the last row; the search runs in
  // slices until it ends.
  AddCase(
      "Metrazil/FindNextToLastRow",
      [](int) {
        auto* bar = Windows().form->findChild<TFindBar*>(QStringLiteral("FindBar1"));
        Key(bar->TextBox(), Qt::Key_Return);
        while (bar->Searching()) QApplication::processEvents(QEventLoop::AllEvents, 5);
      },
      [](int) {
        TForm1& form = *Windows().form;
        auto* bar = form.findChild<TFindBar*>(QStringLiteral("FindBar1"));
        bar->Open();
        bar->TextBox()->setText(FromTableBytes(form.TableGrid1->Model().ReadCell(0, kRows)));
        SetFormFocus(1);
      });
  // 100,000 rows of five columns from the clipboard at the first body row, undone untimed after each.
  AddCase(
      "Metrazil/Paste100000Rows", [](int) { Key(FormGrid(), Qt::Key_V, Qt::ControlModifier); },
      [](int repetition) {
        if (repetition == 0) {
          QString rows;
          for (int row = 0; row < 100000; ++row) rows += QStringLiteral("名%1\t米\t公斤\t0.5\t2\n").arg(row);
          QApplication::clipboard()->setText(rows);
        }
        SetFormFocus(1);
        if (repetition > 0) Key(FormGrid(), Qt::Key_Z, Qt::ControlModifier);
      });
}

// Work that follows the table's size: its time, and the longest stretch in which the window's event loop
// did not run, so could not paint (a timer's ticks; the ticks ask for no paint, which would add the paint's
// own cost), with `prepare` run untimed before each.
void RunLongWork(benchmark::State& state, const TCase& prepare, const TCase& act) {
  ActivateForm();
  Settle();
  double longestGap = 0;
  int repetition = 0;
  for (auto _ : state) {
    if (prepare) prepare(repetition);
    Settle();
    QElapsedTimer timer;
    timer.start();
    qint64 lastPaint = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
      longestGap = std::max(longestGap, static_cast<double>(timer.elapsed() - lastPaint));
      lastPaint = timer.elapsed();
    });
    ticker.start(10);
    act(repetition);
    Settle();
    longestGap = std::max(longestGap, static_cast<double>(timer.elapsed() - lastPaint));
    state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
    ++repetition;
  }
  state.counters["longest_unpainted_ms"] = longestGap;
}

void AddLongWork(const std::string& name, const TCase& act, const TCase& prepare = {}) {
  benchmark::RegisterBenchmark(name.c_str(),
                               [act, prepare](benchmark::State& state) { RunLongWork(state, prepare, act); })
      ->UseManualTime()
      ->Iterations(3)
      ->Unit(benchmark::kMillisecond);
}

// The whole body of the conversion table selected, from its first cell to its last.
void SelectWholeBody() {
  SetFormFocus(1);
  TTableGrid& grid = Windows().form->TableGrid1->Model();
  grid.SetFocusedCell(grid.FixedCols(), grid.FixedRows(), false);
  grid.SetFocusedCell(grid.ColCount() - 1, grid.RowCount() - 1, true);
}

void AddLongWorkCases() {
  AddLongWork("Metrazil/Save", [](int) { Windows().form->Button4->click(); });
  AddLongWork(
      "Metrazil/CopyWholeBody", [](int) { Key(FormGrid(), Qt::Key_C, Qt::ControlModifier); },
      [](int) { SelectWholeBody(); });
  AddLongWork(
      "Metrazil/ClearWholeBody", [](int) { Key(FormGrid(), Qt::Key_Delete); },
      [](int repetition) {
        if (repetition > 0) Key(FormGrid(), Qt::Key_Z, Qt::ControlModifier);
        SelectWholeBody();
      });
  AddLongWork(
      "Metrazil/UndoClearWholeBody", [](int) { Key(FormGrid(), Qt::Key_Z, Qt::ControlModifier); },
      [](int) {
        SelectWholeBody();
        Key(FormGrid(), Qt::Key_Delete);
      });
}

}  // namespace
}  // namespace metrazil

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  metrazil::AddNavigationCases();
  metrazil::AddClickCases();
  metrazil::AddEditingCases();
  metrazil::AddWindowCases();
  metrazil::AddStepCases();
  metrazil::AddLongWorkCases();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  metrazil::CloseWindows();
  return 0;
}
