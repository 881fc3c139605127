#include "grid/view/GridAccessible.h"

#include <QAccessibleTableModelChangeEvent>
#include <QScrollBar>
#include <algorithm>
#include <climits>
#include <limits>

#include "grid/text/CellTextKind.h"
#include "grid/view/CellTextPainter.h"
#include "grid/view/GridAccessibleCell.h"
#include "grid/view/GridAccessibleViewport.h"
#include "grid/view/GridEditor.h"
#include "grid/view/GridHeaderEditor.h"
#include "grid/view/TableGridView.h"

namespace metrazil {

namespace {

int ClampToInt(std::int64_t v) { return static_cast<int>(std::min<std::int64_t>(v, INT_MAX)); }

// Rows and columns as the table interface counts them: one body per question, asked along either axis.
enum class TAxis { kRows, kCols };

TAxis Across(TAxis axis) { return axis == TAxis::kRows ? TAxis::kCols : TAxis::kRows; }
int Fixed(const TTableGrid& model, TAxis axis) { return axis == TAxis::kRows ? model.FixedRows() : model.FixedCols(); }
int Count(const TTableGrid& model, TAxis axis) { return axis == TAxis::kRows ? model.RowCount() : model.ColCount(); }
int On(TCellAddress cell, TAxis axis) { return axis == TAxis::kRows ? cell.row : cell.col; }
TCellAddress Cell(TAxis axis, int index, int acrossIndex) {
  return axis == TAxis::kRows ? TCellAddress{acrossIndex, index} : TCellAddress{index, acrossIndex};
}

// The texts of the fixed cells across the model line `index`, joined by blanks: the header of a column
// (its header rows) or of a row (its fixed columns).
QString HeaderText(const TTableGridView& view, TAxis axis, int index) {
  const TTableGrid& model = view.Model();
  if (index < 0 || index >= Count(model, axis)) return {};
  const TAxis across = Across(axis);
  QString header;
  for (int k = 0; k < std::min(Fixed(model, across), Count(model, across)); ++k) {
    const TCellAddress cell = Cell(axis, index, k);
    const QString text = AccessibleCellText(view, cell.col, cell.row);
    if (text.isEmpty()) continue;
    if (!header.isEmpty()) header += QLatin1Char(' ');
    header += text;
  }
  return header;
}

// Whether the selection holds the whole body line `modelIndex`.
bool IsLineSelected(const TTableGrid& model, TAxis axis, int modelIndex) {
  const TCellBox sel = model.Selection();
  const TAxis across = Across(axis);
  return modelIndex >= On(sel.from, axis) && modelIndex <= On(sel.to, axis) &&
         On(sel.from, across) <= Fixed(model, across) && On(sel.to, across) >= Count(model, across) - 1;
}

int SelectedLineCount(const TTableGrid& model, TAxis axis) {
  const TCellBox sel = model.Selection();
  if (!IsLineSelected(model, axis, On(sel.from, axis))) return 0;
  return ClampToInt(std::int64_t{On(sel.to, axis)} - On(sel.from, axis) + 1);
}

QList<int> SelectedLines(const TTableGrid& model, TAxis axis, int maxListed) {
  QList<int> lines;
  if (SelectedLineCount(model, axis) == 0) return lines;
  const TCellBox sel = model.Selection();
  for (int k = On(sel.from, axis); k <= On(sel.to, axis) && lines.size() < maxListed; ++k) {
    lines.append(k - Fixed(model, axis));
  }
  return lines;
}

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

QString AccessibleColumnHeader(const TTableGridView& view, int col) { return HeaderText(view, TAxis::kCols, col); }

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
  return HeaderText(*View(), TAxis::kCols, column + View()->Model().FixedCols());
}

QString TGridAccessible::rowDescription(int row) const {
  if (row < 0 || row >= rowCount()) return {};
  return HeaderText(*View(), TAxis::kRows, row + View()->Model().FixedRows());
}

// ---- selection, in table rows and columns --------------------------------------------------------------

bool TGridAccessible::IsCellSelected(int modelRow, int modelCol) const {
  return isValid() && View()->Model().Selection().Contains(modelCol, modelRow);
}

int TGridAccessible::selectedCellCount() const {
  if (!isValid()) return 0;
  const TCellBox sel = View()->Model().Selection();
  return ClampToInt((std::int64_t{sel.to.col} - sel.from.col + 1) * (std::int64_t{sel.to.row} - sel.from.row + 1));
}

QList<QAccessibleInterface*> TGridAccessible::selectedCells() const {
  QList<QAccessibleInterface*> cells;
  if (!isValid()) return cells;
  const TCellBox sel = View()->Model().Selection();
  for (int row = sel.from.row; row <= sel.to.row && cells.size() < kMaxListedCells; ++row) {
    for (int col = sel.from.col; col <= sel.to.col && cells.size() < kMaxListedCells; ++col) {
      if (QAccessibleInterface* cell = ModelCell(row, col)) cells.append(cell);
    }
  }
  return cells;
}

bool TGridAccessible::isRowSelected(int row) const {
  return isValid() && IsLineSelected(View()->Model(), TAxis::kRows, row + View()->Model().FixedRows());
}

bool TGridAccessible::isColumnSelected(int column) const {
  return isValid() && IsLineSelected(View()->Model(), TAxis::kCols, column + View()->Model().FixedCols());
}

int TGridAccessible::selectedRowCount() const {
  return isValid() ? SelectedLineCount(View()->Model(), TAxis::kRows) : 0;
}

int TGridAccessible::selectedColumnCount() const {
  return isValid() ? SelectedLineCount(View()->Model(), TAxis::kCols) : 0;
}

QList<int> TGridAccessible::selectedRows() const {
  return isValid() ? SelectedLines(View()->Model(), TAxis::kRows, kMaxListedCells) : QList<int>();
}

QList<int> TGridAccessible::selectedColumns() const {
  return isValid() ? SelectedLines(View()->Model(), TAxis::kCols, kMaxListedCells) : QList<int>();
}

}  // namespace metrazil
