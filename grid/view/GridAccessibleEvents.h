#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>

#include "grid/model/TableGrid.h"

namespace metrazil {

class TGridAccessible;
class TTableGridView;

// Tells assistive tools what changed in one grid, so that a screen reader announces the new cell.
// Nothing is done while no tool is active beyond a check of that; the only cell object made unasked is
// the focused cell's, which is announced.
//
// - a move of the focused cell, and the grid taking the keyboard focus: a focus event on the cell;
// - a write to the focused cell or to a cell a tool has asked about (an edit ending with a changed text):
//   a name change on the cell and a table-model-changed event (DataChanged) for it, or a header-changed
//   event for a header cell;
// - other writes and changed row or column counts (a table read, rows added or removed) are gathered
//   until the grid has been quiet for kSettleMs: one table-model-changed event (ModelReset when the
//   counts changed, which drops the cell objects, else DataChanged over the written cells), then a focus
//   event on the focused cell.
//
// The in-place editor and the header editor take the header of their cell as their accessible name when
// they open.
class TGridAccessibleEvents : public QObject {
 public:
  explicit TGridAccessibleEvents(TTableGridView& view);

  // From the view's model notices and its focus-in.
  void LayoutChanged();
  void CellsChanged(const TCellBox& box);
  void FocusIn();
  // The in-place editor, made on the first edit, is named when it shows as the header editor is.
  void WatchEditor(QWidget* editor);

  static constexpr int kSettleMs = 100;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct TShape {
    int rows = 0;
    int cols = 0;
    int fixedRows = 0;
    int fixedCols = 0;
    friend bool operator==(const TShape&, const TShape&) = default;
  };
  TShape ShapeNow() const;
  TGridAccessible* Table() const;
  void GatherWritten(const TCellBox& box);
  void Gather();
  void Settled();
  void SendDataChanged(const TCellBox& box);
  void SendFocus();
  void NameEditor(QWidget* editor);

  TTableGridView& view_;
  TShape shape_;
  TCellAddress focus_;
  bool shapeChanged_ = false;
  TCellBox written_;
  std::uint64_t changes_ = 0;
  std::uint64_t changesWhenArmed_ = 0;
  std::uint64_t changesAtFocus_ = 0;  // changes_ when the focused cell was last told
  QTimer settle_;
};

}  // namespace metrazil
