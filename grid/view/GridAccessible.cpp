#include "grid/view/GridAccessible.h"

#include <QAccessibleTableModelChangeEvent>
#include <QScrollBar>
#include <algorithm>
#include <climits>
#include <limits>

#include "grid/layout/CellTextKind.h"
#include "grid/view/CellTextPainter.h"
#include "grid/view/GridAccessibleCell.h"
#include "grid/view/GridAccessibleViewport.h"
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
  // The viewport is a plain widget: asked about as one, it is known by its parent.
  if (className == QLatin1String("QWidget") && object != nullptr) {
    auto* view = qobject_cast<TTableGridView*>(object->parent());
    if (view != nullptr && view->viewport() == object) return new TGridAccessibleViewport(view);
  }
  return nullptr;
}

}  // namespace

QString AccessibleCellText(const TTableGridView& view, int col, int row) {
  QString text = TCellTextPainter::DisplayText(view.Model().CellText(col, row), kMaxEditedChars);
  // Empty lines at the end show nothing.
  while (text.endsWith(QChar::LineSeparator)) text.chop(1);
  return text.replace(QChar::LineSeparator, QLatin1Char('\n'));
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

int TGridAccessible::CellChildCount() const {
  if (!isValid()) return 0;
  const std::int64_t cells = std::int64_t{View()->Model().RowCount()} * View()->Model().ColCount();
  return static_cast<int>(std::min<std::int64_t>(cells, INT_MAX - kMaxWidgetChildren));
}

QList<QWidget*> TGridAccessible::WidgetChildren() const {
  QList<QWidget*> widgets;
  if (!isValid()) return widgets;
  TTableGridView* view = View();
  if (!TGridAccessibleViewport::OpenEditors(*view).isEmpty()) widgets.append(view->viewport());
  // A scroll bar lies in a container of the scroll area, which Qt's scroll areas show as their child.
  for (QScrollBar* bar : {view->horizontalScrollBar(), view->verticalScrollBar()}) {
    if (bar->isVisible() && bar->parentWidget() != view) widgets.append(bar->parentWidget());
  }
  return widgets;
}

int TGridAccessible::childCount() const {
  return isValid() ? CellChildCount() + static_cast<int>(WidgetChildren().size()) : 0;
}

QAccessibleInterface* TGridAccessible::child(int index) const {
  if (index < 0 || !isValid()) return nullptr;
  const int cells = CellChildCount();
  if (index >= cells) {
    const QList<QWidget*> widgets = WidgetChildren();
    return index - cells < widgets.size() ? QAccessible::queryAccessibleInterface(widgets[index - cells]) : nullptr;
  }
  const int cols = View()->Model().ColCount();
  return ModelCell(index / cols, index % cols);
}

int TGridAccessible::indexOfChild(const QAccessibleInterface* child) const {
  if (child == nullptr || !isValid()) return -1;
  auto* iface = const_cast<QAccessibleInterface*>(child);
  const auto* cell = dynamic_cast<const TGridAccessibleCell*>(iface);
  if (cell == nullptr) {
    const qsizetype at = WidgetChildren().indexOf(qobject_cast<QWidget*>(iface->object()));
    return at < 0 ? -1 : CellChildCount() + static_cast<int>(at);
  }
  if (cell->table() != this) return -1;
  const std::int64_t index = std::int64_t{cell->ModelRow()} * View()->Model().ColCount() + cell->ModelCol();
  return index < CellChildCount() ? static_cast<int>(index) : -1;
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
  const QPoint global(x, y);
  for (QWidget* editor : TGridAccessibleViewport::OpenEditors(*view)) {
    if (QRect(editor->mapToGlobal(QPoint(0, 0)), editor->size()).contains(global)) {
      return QAccessible::queryAccessibleInterface(view->viewport());
    }
  }
  for (QWidget* widget : WidgetChildren()) {
    if (widget != view->viewport() && QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size()).contains(global)) {
      return QAccessible::queryAccessibleInterface(widget);
    }
  }
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
