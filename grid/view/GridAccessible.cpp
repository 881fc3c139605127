#include "grid/view/GridAccessible.h"

#include <QAccessibleTableModelChangeEvent>
#include <algorithm>
#include <climits>
#include <limits>

#include "grid/view/CodePageText.h"
#include "grid/view/GridAccessibleCell.h"
#include "grid/view/GridEditor.h"
#include "grid/view/GridHeaderEditor.h"
#include "grid/view/TableGridView.h"

namespace metrazil {

namespace {

struct TSelection {
  int left;
  int top;
  int right;
  int bottom;
  std::int64_t Cols() const { return std::int64_t{right} - left + 1; }
  std::int64_t Rows() const { return std::int64_t{bottom} - top + 1; }
};

TSelection SelectionOf(const TTableGrid& model) {
  return {std::min(model.AnchorCol(), model.FocusedCol()), std::min(model.AnchorRow(), model.FocusedRow()),
          std::max(model.AnchorCol(), model.FocusedCol()), std::max(model.AnchorRow(), model.FocusedRow())};
}

int ClampToInt(std::int64_t v) { return static_cast<int>(std::min<std::int64_t>(v, INT_MAX)); }

std::uint64_t CellKey(int row, int col) {
  return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(row)) << 32) | static_cast<std::uint32_t>(col);
}

QAccessibleInterface* GridAccessibleFactory(const QString& className, QObject* object) {
  if (className == QLatin1String(TTableGridView::staticMetaObject.className())) {
    if (auto* view = qobject_cast<TTableGridView*>(object)) return new TGridAccessible(view);
  }
  return nullptr;
}

}  // namespace

QString AccessibleCellText(const TTableGridView& view, int col, int row) {
  return EditorText(view.Model().CellText(col, row));
}

QString AccessibleColumnHeader(const TTableGridView& view, int col) {
  const TTableGrid& model = view.Model();
  if (col < 0 || col >= model.ColCount()) return {};
  QString header;
  for (int row = 0; row < std::min(model.FixedRows(), model.RowCount()); ++row) {
    const QString text = AccessibleCellText(view, col, row);
    if (text.isEmpty()) continue;
    if (!header.isEmpty()) header += QLatin1Char(' ');
    header += text;
  }
  return header;
}

void InstallGridAccessibleFactory() { QAccessible::installFactory(GridAccessibleFactory); }

TGridAccessible::TGridAccessible(TTableGridView* view) : QAccessibleWidget(view, QAccessible::Table) {}

TGridAccessible::~TGridAccessible() { DropCells(); }

TTableGridView* TGridAccessible::View() const { return static_cast<TTableGridView*>(widget()); }

void* TGridAccessible::interface_cast(QAccessible::InterfaceType type) {
  if (type == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
  return QAccessibleWidget::interface_cast(type);
}

void TGridAccessible::DropCells() {
  for (const auto& [key, id] : cells_) QAccessible::deleteAccessibleInterface(id);
  cells_.clear();
}

void TGridAccessible::modelChange(QAccessibleTableModelChangeEvent* event) {
  if (event->modelChangeType() != QAccessibleTableModelChangeEvent::DataChanged) DropCells();
}

// ---- the body as the table, every cell as a child -----------------------------------------------------

int TGridAccessible::rowCount() const {
  return isValid() ? std::max(0, View()->Model().RowCount() - View()->Model().FixedRows()) : 0;
}

int TGridAccessible::columnCount() const {
  return isValid() ? std::max(0, View()->Model().ColCount() - View()->Model().FixedCols()) : 0;
}

int TGridAccessible::childCount() const {
  return isValid() ? ClampToInt(std::int64_t{View()->Model().RowCount()} * View()->Model().ColCount()) : 0;
}

QAccessibleInterface* TGridAccessible::child(int index) const {
  if (index < 0 || !isValid()) return nullptr;
  const int cols = View()->Model().ColCount();
  return ModelCell(index / cols, index % cols);
}

int TGridAccessible::indexOfChild(const QAccessibleInterface* child) const {
  auto* iface = const_cast<QAccessibleInterface*>(child);
  const auto* cell = iface != nullptr ? dynamic_cast<const TGridAccessibleCell*>(iface) : nullptr;
  if (cell == nullptr || cell->table() != this || !isValid()) return -1;
  const std::int64_t index = std::int64_t{cell->ModelRow()} * View()->Model().ColCount() + cell->ModelCol();
  return index <= INT_MAX ? static_cast<int>(index) : -1;
}

QAccessibleInterface* TGridAccessible::cellAt(int row, int column) const {
  if (row < 0 || column < 0 || row >= rowCount() || column >= columnCount()) return nullptr;
  return ModelCell(row + View()->Model().FixedRows(), column + View()->Model().FixedCols());
}

QAccessibleInterface* TGridAccessible::ModelCell(int modelRow, int modelCol) const {
  if (!isValid() || modelRow < 0 || modelCol < 0 || modelRow >= View()->Model().RowCount() ||
      modelCol >= View()->Model().ColCount()) {
    return nullptr;
  }
  const std::uint64_t key = CellKey(modelRow, modelCol);
  if (const auto found = cells_.find(key); found != cells_.end()) {
    if (QAccessibleInterface* cell = QAccessible::accessibleInterface(found->second)) return cell;
  }
  auto* cell = new TGridAccessibleCell(const_cast<TGridAccessible*>(this), View(), modelRow, modelCol);
  cells_[key] = QAccessible::registerAccessibleInterface(cell);
  return cell;
}

QAccessibleInterface* TGridAccessible::CachedCell(int modelRow, int modelCol) const {
  const auto found = cells_.find(CellKey(modelRow, modelCol));
  return found == cells_.end() ? nullptr : QAccessible::accessibleInterface(found->second);
}

QAccessibleInterface* TGridAccessible::childAt(int x, int y) const {
  if (!isValid()) return nullptr;
  const TTableGridView* view = View();
  const TCellAddress hit = view->ViewportToCell(view->viewport()->mapFromGlobal(QPoint(x, y)));
  return ModelCell(hit.row, hit.col);
}

QAccessibleInterface* TGridAccessible::focusChild() const {
  if (!isValid()) return nullptr;
  TTableGridView* view = View();
  if (view->hasFocus()) return ModelCell(view->Model().FocusedRow(), view->Model().FocusedCol());
  for (QWidget* editor : {static_cast<QWidget*>(view->EditSession().Editor()),
                          static_cast<QWidget*>(view->EditSession().HeaderEditor())}) {
    if (editor != nullptr && editor->hasFocus()) return QAccessible::queryAccessibleInterface(editor);
  }
  return nullptr;
}

// ---- headers -------------------------------------------------------------------------------------------

QString TGridAccessible::columnDescription(int column) const {
  if (column < 0 || column >= columnCount()) return {};
  return AccessibleColumnHeader(*View(), column + View()->Model().FixedCols());
}

QString TGridAccessible::rowDescription(int row) const {
  if (row < 0 || row >= rowCount()) return {};
  const TTableGrid& model = View()->Model();
  QString header;
  for (int col = 0; col < model.FixedCols(); ++col) {
    const QString text = AccessibleCellText(*View(), col, row + model.FixedRows());
    if (text.isEmpty()) continue;
    if (!header.isEmpty()) header += QLatin1Char(' ');
    header += text;
  }
  return header;
}

// ---- selection, in table rows and columns --------------------------------------------------------------

bool TGridAccessible::IsCellSelected(int modelRow, int modelCol) const {
  if (!isValid()) return false;
  const TSelection sel = SelectionOf(View()->Model());
  return modelCol >= sel.left && modelCol <= sel.right && modelRow >= sel.top && modelRow <= sel.bottom;
}

int TGridAccessible::selectedCellCount() const {
  if (!isValid()) return 0;
  const TSelection sel = SelectionOf(View()->Model());
  return ClampToInt(sel.Cols() * sel.Rows());
}

QList<QAccessibleInterface*> TGridAccessible::selectedCells() const {
  QList<QAccessibleInterface*> cells;
  if (!isValid()) return cells;
  const TSelection sel = SelectionOf(View()->Model());
  for (int row = sel.top; row <= sel.bottom && cells.size() < kMaxListedCells; ++row) {
    for (int col = sel.left; col <= sel.right && cells.size() < kMaxListedCells; ++col) {
      if (QAccessibleInterface* cell = ModelCell(row, col)) cells.append(cell);
    }
  }
  return cells;
}

bool TGridAccessible::isRowSelected(int row) const {
  if (!isValid()) return false;
  const TTableGrid& model = View()->Model();
  const TSelection sel = SelectionOf(model);
  const int modelRow = row + model.FixedRows();
  return modelRow >= sel.top && modelRow <= sel.bottom && sel.left <= model.FixedCols() &&
         sel.right >= model.ColCount() - 1;
}

bool TGridAccessible::isColumnSelected(int column) const {
  if (!isValid()) return false;
  const TTableGrid& model = View()->Model();
  const TSelection sel = SelectionOf(model);
  const int modelCol = column + model.FixedCols();
  return modelCol >= sel.left && modelCol <= sel.right && sel.top <= model.FixedRows() &&
         sel.bottom >= model.RowCount() - 1;
}

int TGridAccessible::selectedRowCount() const {
  if (!isValid()) return 0;
  const TSelection sel = SelectionOf(View()->Model());
  return isRowSelected(sel.top - View()->Model().FixedRows()) ? ClampToInt(sel.Rows()) : 0;
}

int TGridAccessible::selectedColumnCount() const {
  if (!isValid()) return 0;
  const TSelection sel = SelectionOf(View()->Model());
  return isColumnSelected(sel.left - View()->Model().FixedCols()) ? ClampToInt(sel.Cols()) : 0;
}

QList<int> TGridAccessible::selectedRows() const {
  QList<int> rows;
  if (selectedRowCount() == 0) return rows;
  const int fixedRows = View()->Model().FixedRows();
  const TSelection sel = SelectionOf(View()->Model());
  for (int row = sel.top; row <= sel.bottom && rows.size() < kMaxListedCells; ++row) rows.append(row - fixedRows);
  return rows;
}

QList<int> TGridAccessible::selectedColumns() const {
  QList<int> cols;
  if (selectedColumnCount() == 0) return cols;
  const int fixedCols = View()->Model().FixedCols();
  const TSelection sel = SelectionOf(View()->Model());
  for (int col = sel.left; col <= sel.right && cols.size() < kMaxListedCells; ++col) cols.append(col - fixedCols);
  return cols;
}

}  // namespace metrazil
