#include "grid/view/GridAccessibleEvents.h"

#include <QAccessible>
#include <algorithm>
#include <utility>

#include "grid/view/GridAccessible.h"
#include "grid/view/GridEditor.h"
#include "grid/view/GridHeaderEditor.h"
#include "grid/view/TableGridView.h"

namespace metrazil {

TGridAccessibleEvents::TGridAccessibleEvents(TTableGridView& view) : view_(view), shape_(ShapeNow()) {
  focus_ = {view_.Model().FocusedCol(), view_.Model().FocusedRow()};
  settle_.setSingleShot(true);
  settle_.setInterval(kSettleMs);
  connect(&settle_, &QTimer::timeout, this, [this] { Settled(); });
  if (QWidget* header = view_.EditSession().HeaderEditor()) WatchEditor(header);
}

void TGridAccessibleEvents::WatchEditor(QWidget* editor) { editor->installEventFilter(this); }

TGridAccessibleEvents::TShape TGridAccessibleEvents::ShapeNow() const {
  const TTableGrid& model = view_.Model();
  return {model.RowCount(), model.ColCount(), model.FixedRows(), model.FixedCols()};
}

TGridAccessible* TGridAccessibleEvents::Table() const {
  return dynamic_cast<TGridAccessible*>(QAccessible::queryAccessibleInterface(&view_));
}

void TGridAccessibleEvents::LayoutChanged() {
  const TShape shape = ShapeNow();
  const TCellAddress focus{view_.Model().FocusedCol(), view_.Model().FocusedRow()};
  const bool reshaped = shape != shape_;
  const bool moved = focus != focus_;
  shape_ = shape;
  focus_ = focus;
  if (!QAccessible::isActive()) return;
  if (reshaped) {
    shapeChanged_ = true;
    Gather();
  } else if (moved) {
    SendFocus();
  }
}

void TGridAccessibleEvents::CellsChanged(const TCellBox& box) {
  if (!QAccessible::isActive()) return;
  TGridAccessible* table = Table();
  if (table == nullptr) return;
  // One cell written (an edit that ended) is told at once when a tool knows it or it has the focus; larger
  // changes (a table read, a block command) are gathered: cell objects read the model, so the DataChanged
  // that follows is all a tool needs.
  if (box.from == box.to) {
    const int col = box.from.col;
    const int row = box.from.row;
    const bool focused = col == view_.Model().FocusedCol() && row == view_.Model().FocusedRow();
    if (QAccessibleInterface* cell = focused ? table->ModelCell(row, col) : table->CachedCell(row, col)) {
      QAccessibleEvent renamed(cell, QAccessible::NameChanged);
      QAccessible::updateAccessibility(&renamed);
      SendDataChanged(box);
      return;
    }
  }
  GatherWritten(box);
}

void TGridAccessibleEvents::GatherWritten(const TCellBox& box) {
  written_ = written_.United(box);
  Gather();
}

// The box is in model cells; the table event counts in body rows and columns, a header text changed is an
// event of its own.
void TGridAccessibleEvents::SendDataChanged(const TCellBox& box) {
  const TTableGrid& model = view_.Model();
  TCellAddress from = box.from;
  TCellAddress to = box.to;
  if (from.row < model.FixedRows() || from.col < model.FixedCols()) {
    QAccessibleEvent headers(&view_, from.row < model.FixedRows() ? QAccessible::TableColumnHeaderChanged
                                                                  : QAccessible::TableRowHeaderChanged);
    QAccessible::updateAccessibility(&headers);
  }
  from = {std::max(from.col, model.FixedCols()), std::max(from.row, model.FixedRows())};
  to = {std::min(to.col, model.ColCount() - 1), std::min(to.row, model.RowCount() - 1)};
  if (from.col > to.col || from.row > to.row) return;
  QAccessibleTableModelChangeEvent changed(&view_, QAccessibleTableModelChangeEvent::DataChanged);
  changed.setFirstRow(from.row - model.FixedRows());
  changed.setLastRow(to.row - model.FixedRows());
  changed.setFirstColumn(from.col - model.FixedCols());
  changed.setLastColumn(to.col - model.FixedCols());
  QAccessible::updateAccessibility(&changed);
}

void TGridAccessibleEvents::FocusIn() {
  if (!QAccessible::isActive()) return;
  // After the widget's own focus event, which Qt sends once the focus change is through.
  QMetaObject::invokeMethod(
      this, [this] { SendFocus(); }, Qt::QueuedConnection);
}

// A table read changes counts and cells and lets events through meanwhile: one announcement once it is done.
void TGridAccessibleEvents::Gather() {
  ++changes_;
  if (settle_.isActive()) return;
  changesWhenArmed_ = changes_;
  settle_.start();
}

void TGridAccessibleEvents::Settled() {
  if (changes_ != changesWhenArmed_) {
    changesWhenArmed_ = changes_;
    settle_.start();
    return;
  }
  const bool reshaped = shapeChanged_;
  const TCellBox written = std::exchange(written_, TCellBox{});
  shapeChanged_ = false;
  if (!QAccessible::isActive()) return;
  if (reshaped) {
    QAccessibleTableModelChangeEvent reset(&view_, QAccessibleTableModelChangeEvent::ModelReset);
    QAccessible::updateAccessibility(&reset);
  } else if (!written.IsEmpty()) {
    SendDataChanged(written);
  }
  // A focus move since the last change has told the cell as it now is.
  if (changes_ != changesAtFocus_) SendFocus();
}

void TGridAccessibleEvents::SendFocus() {
  if (!QAccessible::isActive() || !view_.hasFocus()) return;
  TGridAccessible* table = Table();
  QAccessibleInterface* cell =
      table != nullptr ? table->ModelCell(view_.Model().FocusedRow(), view_.Model().FocusedCol()) : nullptr;
  if (cell == nullptr) return;
  changesAtFocus_ = changes_;
  QAccessibleEvent focused(cell, QAccessible::Focus);
  QAccessible::updateAccessibility(&focused);
}

// ---- the editors ---------------------------------------------------------------------------------------

bool TGridAccessibleEvents::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Show && watched->isWidgetType()) NameEditor(static_cast<QWidget*>(watched));
  return false;
}

void TGridAccessibleEvents::NameEditor(QWidget* editor) {
  if (!QAccessible::isActive()) return;
  // The header editor sits on its own cell; the in-place editor on the edit cell.
  const int col = editor == view_.EditSession().Editor() ? view_.EditSession().EditCell().col
                                                         : view_.ViewportToCell(editor->geometry().center()).col;
  const QString name = AccessibleColumnHeader(view_, col);
  if (editor->accessibleName() != name) editor->setAccessibleName(name);
}

}  // namespace metrazil
