#pragma once

#include <QAccessibleWidget>
#include <QList>
#include <QString>
#include <cstdint>
#include <unordered_map>

namespace metrazil {

class TTableGridView;

// The grid as assistive tools see it, as Qt's item views are seen: a table of the body (the rows and
// columns below and right of the fixed ones, counted from 0), whose header rows are its column headers
// and whose fixed columns are its row headers. The children are every cell of the model, header cells
// included, row by row, then the widgets of the grid a tool can reach: the viewport while an editor is open
// in it (the editor is its child) and the container of each scroll bar shown, as Qt's scroll areas show
// them. The name is the widget's accessible name.
//
// Cell objects are made only for the cells a tool asks about and kept until the rows or columns change;
// a grid of any size costs what is asked of it, never its row count.
class TGridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
 public:
  explicit TGridAccessible(TTableGridView* view);
  ~TGridAccessible() override;

  void* interface_cast(QAccessible::InterfaceType type) override;

  int childCount() const override;
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override;
  QAccessibleInterface* childAt(int x, int y) const override;
  QAccessibleInterface* focusChild() const override;

  // QAccessibleTableInterface
  QAccessibleInterface* caption() const override { return nullptr; }
  QAccessibleInterface* summary() const override { return nullptr; }
  // A body cell by its table row and column; null outside the body.
  QAccessibleInterface* cellAt(int row, int column) const override;
  // The selection is the rectangle from the anchor to the focused cell; lists name at most
  // kMaxListedCells cells (or rows, columns), the counts are whole.
  int selectedCellCount() const override;
  QList<QAccessibleInterface*> selectedCells() const override;
  QString columnDescription(int column) const override;
  QString rowDescription(int row) const override;
  int selectedColumnCount() const override;
  int selectedRowCount() const override;
  int columnCount() const override;
  int rowCount() const override;
  QList<int> selectedColumns() const override;
  QList<int> selectedRows() const override;
  bool isColumnSelected(int column) const override;
  bool isRowSelected(int row) const override;
  // Tools cannot change the selection: keys and the mouse own it.
  bool selectRow(int) override { return false; }
  bool selectColumn(int) override { return false; }
  bool unselectRow(int) override { return false; }
  bool unselectColumn(int) override { return false; }
  // Rows or columns changed (anything but DataChanged): every cell object is dropped.
  void modelChange(QAccessibleTableModelChangeEvent* event) override;

  // By the model's row and column, header cells included; null outside the counts.
  QAccessibleInterface* ModelCell(int modelRow, int modelCol) const;
  // The cell object when a tool has asked for that cell since the last model change, else null.
  QAccessibleInterface* CachedCell(int modelRow, int modelCol) const;
  std::size_t CachedCellCount() const { return cells_.size(); }
  bool IsCellSelected(int modelRow, int modelCol) const;

  static constexpr int kMaxListedCells = 1024;

 private:
  // The children that are cells, a grid of more than INT_MAX cells giving the first of them.
  int CellChildCount() const;
  // The children after the cells: the viewport holding an open editor, then the scroll bars' containers.
  QList<QWidget*> WidgetChildren() const;
  static constexpr int kMaxWidgetChildren = 3;

  TTableGridView* View() const;
  void DropCells();

  mutable std::unordered_map<std::uint64_t, QAccessible::Id> cells_;
};

// What a tool reads for a cell: the text the grid paints for it (wide and rich text decoded, markup's
// plain text), line breaks as "\n", at most the editor's number of characters.
QString AccessibleCellText(const TTableGridView& view, int col, int row);
// The text of the model column's header rows, joined by blanks.
QString AccessibleColumnHeader(const TTableGridView& view, int col);

// Makes the grid widget answer as TGridAccessible; harmless when already installed.
void InstallGridAccessibleFactory();

}  // namespace metrazil
