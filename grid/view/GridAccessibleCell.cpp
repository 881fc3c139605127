#include "grid/view/GridAccessibleCell.h"

#include <QWidget>
#include <QWindow>

#include "grid/view/GridAccessible.h"
#include "grid/view/TableGridView.h"

namespace metrazil {

TGridAccessibleCell::TGridAccessibleCell(TGridAccessible* table, TTableGridView* view, int modelRow, int modelCol)
    : table_(table), view_(view), row_(modelRow), col_(modelCol) {}

bool TGridAccessibleCell::isValid() const {
  return !view_.isNull() && row_ < view_->Model().RowCount() && col_ < view_->Model().ColCount();
}

QWindow* TGridAccessibleCell::window() const { return view_.isNull() ? nullptr : view_->window()->windowHandle(); }

void* TGridAccessibleCell::interface_cast(QAccessible::InterfaceType type) {
  if (type == QAccessible::TableCellInterface) return static_cast<QAccessibleTableCellInterface*>(this);
  return nullptr;
}

QAccessibleInterface* TGridAccessibleCell::parent() const { return table_; }

QAccessibleInterface* TGridAccessibleCell::table() const { return table_; }

QString TGridAccessibleCell::text(QAccessible::Text t) const {
  if (t != QAccessible::Name || !isValid()) return {};
  return AccessibleCellText(*view_, col_, row_);
}

QRect TGridAccessibleCell::rect() const {
  if (!isValid()) return {};
  const QRect cell = view_->CellRect(col_, row_);
  if (cell.isNull()) return {};
  return QRect(view_->viewport()->mapToGlobal(cell.topLeft()), cell.size());
}

QAccessible::Role TGridAccessibleCell::role() const {
  if (!isValid()) return QAccessible::Cell;
  const TTableGrid& model = view_->Model();
  if (row_ < model.FixedRows()) return QAccessible::ColumnHeader;
  if (col_ < model.FixedCols()) return QAccessible::RowHeader;
  return QAccessible::Cell;
}

QAccessible::State TGridAccessibleCell::state() const {
  QAccessible::State state;
  if (!isValid()) {
    state.invalid = true;
    return state;
  }
  const TTableGrid& model = view_->Model();
  if (row_ >= model.FixedRows() && col_ >= model.FixedCols()) {
    state.focusable = true;
    state.selectable = true;
    state.editable = true;
    state.focused = view_->hasFocus() && row_ == model.FocusedRow() && col_ == model.FocusedCol();
    state.selected = isSelected();
  }
  if (view_->CellRect(col_, row_).isNull()) {
    state.invisible = true;
    state.offscreen = true;
  }
  return state;
}

int TGridAccessibleCell::rowIndex() const {
  if (view_.isNull()) return -1;
  const int fixedRows = view_->Model().FixedRows();
  return row_ < fixedRows ? -1 : row_ - fixedRows;
}

int TGridAccessibleCell::columnIndex() const {
  if (view_.isNull()) return -1;
  const int fixedCols = view_->Model().FixedCols();
  return col_ < fixedCols ? -1 : col_ - fixedCols;
}

bool TGridAccessibleCell::isSelected() const { return isValid() && table_->IsCellSelected(row_, col_); }

QList<QAccessibleInterface*> TGridAccessibleCell::columnHeaderCells() const {
  QList<QAccessibleInterface*> headers;
  if (!isValid()) return headers;
  const int fixedRows = view_->Model().FixedRows();
  if (row_ < fixedRows) return headers;
  for (int row = 0; row < fixedRows; ++row) {
    if (QAccessibleInterface* header = table_->ModelCell(row, col_)) headers.append(header);
  }
  return headers;
}

QList<QAccessibleInterface*> TGridAccessibleCell::rowHeaderCells() const {
  QList<QAccessibleInterface*> headers;
  if (!isValid()) return headers;
  const int fixedCols = view_->Model().FixedCols();
  if (col_ < fixedCols) return headers;
  for (int col = 0; col < fixedCols; ++col) {
    if (QAccessibleInterface* header = table_->ModelCell(row_, col)) headers.append(header);
  }
  return headers;
}

}  // namespace metrazil
