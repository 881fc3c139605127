#pragma once

#include <QAccessible>
#include <QPointer>

namespace metrazil {

class TGridAccessible;
class TTableGridView;

// One cell of the grid for assistive tools, body or header: its name is the cell's text, read from the
// model each time it is asked for, so a written cell needs no new object. Its row and column indexes are
// those of the table (the body, from 0); a header cell gives -1 for the index that runs through the
// headers. Made and owned by TGridAccessible.
class TGridAccessibleCell : public QAccessibleInterface, public QAccessibleTableCellInterface {
 public:
  TGridAccessibleCell(TGridAccessible* table, TTableGridView* view, int modelRow, int modelCol);
  int ModelRow() const { return row_; }
  int ModelCol() const { return col_; }

  // False once the view is gone or the counts no longer hold the cell.
  bool isValid() const override;
  QObject* object() const override { return nullptr; }
  QWindow* window() const override;
  void* interface_cast(QAccessible::InterfaceType type) override;

  QAccessibleInterface* parent() const override;
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }

  QString text(QAccessible::Text t) const override;
  void setText(QAccessible::Text, const QString&) override {}
  // In screen coordinates; empty while the cell is scrolled out of sight.
  QRect rect() const override;
  QAccessible::Role role() const override;
  QAccessible::State state() const override;

  // QAccessibleTableCellInterface
  bool isSelected() const override;
  QList<QAccessibleInterface*> columnHeaderCells() const override;
  QList<QAccessibleInterface*> rowHeaderCells() const override;
  int columnIndex() const override;
  int rowIndex() const override;
  int columnExtent() const override { return 1; }
  int rowExtent() const override { return 1; }
  QAccessibleInterface* table() const override;

 private:
  QList<QAccessibleInterface*> HeaderCells(bool ofColumn) const;

  TGridAccessible* table_;
  QPointer<TTableGridView> view_;
  int row_;  // in the model
  int col_;
};

}  // namespace metrazil
