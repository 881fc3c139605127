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

namespace {

// A model index as the table interface counts it: -1 in the fixed part.
int BodyIndex(int index, int fixed) { return index < fixed ? -1 : index - fixed; }

}  // namespace

int TGridAccessibleCell::rowIndex() const { return view_.isNull() ? -1 : BodyIndex(row_, view_->Model().FixedRows()); }

int TGridAccessibleCell::columnIndex() const {
  return view_.isNull() ? -1 : BodyIndex(col_, view_->Model().FixedCols());
}

bool TGridAccessibleCell::isSelected() const { return isValid() && table_->IsCellSelected(row_, col_); }

// The fixed cells of the cell's column (its header rows) or of its row (its fixed columns); none for a
// cell that is itself in that fixed part.
QList<QAccessibleInterface*> TGridAccessibleCell::HeaderCells(bool ofColumn) const {
  QList<QAccessibleInterface*> headers;
  if (!isValid()) return headers;
  const int fixed = ofColumn ? view_->Model().FixedRows() : view_->Model().FixedCols();
  if ((ofColumn ? row_ : col_) < fixed) return headers;
  for (int k = 0; k < fixed; ++k) {
    if (QAccessibleInterface* header = ofColumn ? table_->ModelCell(k, col_) : table_->ModelCell(row_, k)) {
      headers.append(header);
    }
  }
  return headers;
}

QList<QAccessibleInterface*> TGridAccessibleCell::columnHeaderCells() const { return HeaderCells(true); }

QList<QAccessibleInterface*> TGridAccessibleCell::rowHeaderCells() const { return HeaderCells(false); }

}  // namespace metrazil
