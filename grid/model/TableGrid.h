#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "base/Exception.h"
#include "grid/model/CellAddress.h"
#include "grid/model/CellBox.h"
#include "grid/model/CellStore.h"
#include "grid/model/GridAxis.h"
#include "grid/model/RowMapSet.h"
#include "grid/model/TableDesign.h"

namespace metrazil {

// The cell model behind both tables: counts, fixed rows and columns, focus, sizes and a sparse text store.
// Texts are byte strings exactly as in the table files (GB18030). All operations throw the exceptions of
// base/Exception.h and never catch them.
//
// The store is independent of the counts: texts past RowCount or ColCount are kept (not shown, saved or
// searched) and come back when a count grows over them. Column widths and row heights are a default plus
// exceptions and, unlike texts, are cut with the counts.
class TTableGrid {
 public:
  static constexpr int kMaxCount = 134217725;

  TTableGrid();
  TTableGrid(const TTableGrid&) = delete;
  TTableGrid& operator=(const TTableGrid&) = delete;
  TTableGrid(TTableGrid&&) = default;
  TTableGrid& operator=(TTableGrid&&) = default;

  // Counts above kMaxCount raise EInvalidGridOperation "操作的网格太大" and change nothing; below 1 they
  // become 1. A count that reaches the fixed count lowers the fixed count and resets focus and top-left.
  int RowCount() const { return rows_.count; }
  void SetRowCount(int v) { SetCount(rows_, v); }
  int ColCount() const { return cols_.count; }
  void SetColCount(int v) { SetCount(cols_, v); }
  int FixedRows() const { return rows_.fixed; }
  void SetFixedRows(int v) { SetFixed(rows_, v, "固定行的数目必须小于总行数"); }
  int FixedCols() const { return cols_.fixed; }
  void SetFixedCols(int v) { SetFixed(cols_, v, "固定列的数目必须小于总列数"); }

  int FocusedCol() const { return cols_.focus; }
  int FocusedRow() const { return rows_.focus; }
  int AnchorCol() const { return cols_.anchor; }
  int AnchorRow() const { return rows_.anchor; }
  // Inside the counts (see CheckGridIndex). Collapses the selection to the focus.
  void SetFocusedCell(int col, int row);
  // Same check; with keepAnchor the selection stretches from the anchor to the new focus.
  void SetFocusedCell(int col, int row, bool keepAnchor);
  // The selection from anchor to focus, both checked as SetFocusedCell checks them; one layout notice.
  void SetSelection(TCellAddress anchor, TCellAddress focus);
  // The rectangle between the anchor and the focused cell.
  TCellBox Selection() const { return TCellBox::Spanning({cols_.anchor, rows_.anchor}, {cols_.focus, rows_.focus}); }
  // The nearest cell outside the fixed rows and columns (the fixed ones when nothing else is left).
  TCellAddress ClampToBody(TCellAddress cell) const;
  // EInvalidGridOperation "网格索引越界" unless 0 <= index < count: the check of a column or row index
  // against its count wherever a cell is addressed by position.
  static void CheckGridIndex(std::int64_t index, int count);

  // First visible scrollable cell; clamped into the scrollable part of the grid.
  int TopRow() const { return rows_.first; }
  int LeftCol() const { return cols_.first; }
  void SetTopLeft(int col, int row);

  // Setting the default drops every size of its own; it is clamped at 0. A size of its own is kept
  // as set, 0 or negative included (a table file may hold such widths and must save them back as read);
  // layout treats it as 0. Reading outside the counts gives the default, setting there raises EListError.
  void SetDefaultRowHeight(int height);
  int ColWidth(int col) const { return cols_.Size(col); }
  void SetColWidth(int col, int width) { SetSize(cols_, col, width); }
  int RowHeight(int row) const { return rows_.Size(row); }
  void SetRowHeight(int row, int height) { SetSize(rows_, row, height); }
  // Zoom: every width and height, the defaults included, grows by step where the result stays above 0;
  // the others keep their value. Costs the sizes of their own, not the counts.
  void ZoomSizes(int step);

  // A negative row, or a negative column in a row that has a map, raises EListError "列表索引越界 (%d)".
  // A row has a map once any of its cells was written (the empty text included, and by InsertRowsAt for
  // every row from the insertion point to the end) and keeps it when its texts are deleted; the map moves
  // with the row's texts.
  std::string ReadCell(int col, int row) const;
  // As ReadCell, without the copy; valid until the next change of the grid.
  std::string_view CellText(int col, int row) const;
  // A negative index raises EListError; the empty text deletes the entry.
  void WriteCell(int col, int row, std::string_view text);
  // Many cells at once, as WriteCell one by one would (the filter may leave some out, see
  // TCellStore::SetSorted). For block commands over many rows: 64 or more sorted by row, then column, each
  // cell once, cost no search per cell, rebuild each store block touched once, map the rows of all the
  // writes and reach the views as one box; others are written one by one.
  void WriteCells(std::span<const TCellStore::Write> writes, const TCellStore::TWriteFilter& filter = {});
  // Calls visit(row, text) for every non-empty text of column col in rows [firstRow, lastRow), top to
  // bottom; the cost follows the stored rows, not the counts. A template, as fitting a column calls it for
  // every row of a million.
  template <class Visit>
  void ForEachTextInColumn(int col, int firstRow, int lastRow, Visit&& visit) const {
    store_.ForEachRow(firstRow, lastRow, [&](int row, std::span<const TCellStore::Cell> cells) {
      // Rows hold a few cells: a linear scan beats a binary search.
      for (const TCellStore::Cell& cell : cells) {
        if (cell.col < col) continue;
        if (cell.col == col) visit(row, cell.Text());
        break;
      }
      return true;
    });
  }
  std::size_t StoredCellCount() const { return store_.CellCount(); }
  // Memory the store maps for large tables outside the heap, for memory figures.
  std::size_t StorePooledBytes() const { return store_.PooledBytes(); }

  // Row operations for a row r in 0..RowCount-1 and a count of 1 or more; other arguments change nothing.
  // Insertion past kMaxCount rows raises EInvalidGridOperation "操作的网格太大".
  void InsertRowsAt(int row, int count);
  // Removed rows keep their texts just past the new end, the most recently removed first.
  void RemoveRowsAt(int row, int count);
  // The exact inverse of RemoveRowsAt(row, count) right after it: the rows waiting past the end come back
  // at row with their texts and maps, and the texts past the end are again as before the removal. The rows
  // get the default height; the focus stays where it is. A row past RowCount changes nothing.
  void RestoreRemovedRows(int row, int count);
  // After a removal: when the last row is fully in view and rows are scrolled out above, scrolls up to take
  // back the empty space below it. fullyVisibleRows counts the non-fixed rows fully visible from TopRow.
  void ScrollUpAfterRemoval(int fullyVisibleRows);
  // The whole-cell find, case ignored (by whole characters), over the cells outside the fixed rows and
  // columns, column by column: the topmost match of the leftmost column holding one. A search text of two
  // double quotes finds the first empty cell; an empty one finds nothing. Returns {-1, -1} when nothing
  // matches.
  TCellAddress LocateText(std::string_view text) const;

  // Calls visit(row, cells) for every stored row in [firstRow, lastRow) in row order, while it returns
  // true; each row's cells are sorted by column and may reach past ColCount. For writers of whole tables and
  // searches: no call per cell, and reading inserts nothing.
  template <class Visit>
  void ForEachStoredRow(int firstRow, int lastRow, Visit&& visit) const {
    store_.ForEachRow(firstRow, lastRow, std::forward<Visit>(visit));
  }
  // Only the rows that may hold a text in a column at or past minCol (a superset, found block by block).
  template <class Visit>
  void ForEachStoredRowReaching(int firstRow, int lastRow, int minCol, Visit&& visit) const {
    store_.ForEachRow(firstRow, lastRow, std::forward<Visit>(visit), minCol);
  }
  // The same from the last stored row in [firstRow, lastRow) up to the first, for searches backwards.
  template <class Visit>
  void ForEachStoredRowBackward(int firstRow, int lastRow, Visit&& visit) const {
    store_.ForEachRowBackward(firstRow, lastRow, std::forward<Visit>(visit));
  }

  // Grows with every change that may alter what a save writes (counts, column widths, texts); focus,
  // scrolling, fixed counts and row heights leave it alone.
  std::uint64_t ContentRevision() const { return contentRevision_; }

  // Painting suspension: nested calls; layout and cell changes made meanwhile are announced once each at
  // the end.
  void BeginUpdate();
  void EndUpdate();
  bool Updating() const { return updateCount_ > 0; }
  // Announces the changes held back by an open update now; the update stays open.
  void FlushPendingNotices();
  // Holds painting suspended for its lifetime, balanced also when an operation fails half-way.
  class TUpdateGuard {
   public:
    explicit TUpdateGuard(TTableGrid& grid) : grid_(grid) { grid_.BeginUpdate(); }
    ~TUpdateGuard() { grid_.EndUpdate(); }
    TUpdateGuard(const TUpdateGuard&) = delete;
    TUpdateGuard& operator=(const TUpdateGuard&) = delete;

   private:
    TTableGrid& grid_;
  };

  // The notices, both optional. Cells: the smallest box holding the cells whose texts were written or moved
  // (rows inserted or removed, a table read); while an update is open, one box for all of them, told after
  // the layout notice when the update closes.
  std::function<void(const TCellBox& box)> OnCellsChanged;
  std::function<void()> OnLayoutChanged;  // counts, fixed counts, sizes, focus, anchor or top-left changed

  // Work over many cells (block commands, their undo) runs in a busy scope: while one is open the grid may be
  // half way through a change, and the scope's callback is called now and then between two states a reader
  // may see, so that a window can paint meanwhile. The callback must not change the grid. Scopes nest; the
  // innermost callback is called.
  class TBusyScope {
   public:
    TBusyScope(TTableGrid& grid, std::function<void()> onBusy);
    ~TBusyScope();
    TBusyScope(const TBusyScope&) = delete;
    TBusyScope& operator=(const TBusyScope&) = delete;

   private:
    TTableGrid& grid_;
    std::function<void()> outer_;
  };
  bool IsBusy() const { return busyDepth_ > 0; }
  // Calls the busy scope's callback, if any.
  void Busy() const {
    if (onBusy_) onBusy_();
  }
  // For loops over rows: Busy at every 4096th row.
  void BusyAtRow(std::int64_t row) const {
    if ((row & 4095) == 0) Busy();
  }

 private:
  friend class TTableGridLoader;

  void SetCount(TGridAxis& axis, int v);
  void SetFixed(TGridAxis& axis, int v, const char* tooManyMessage);
  void SetSize(TGridAxis& axis, int index, int size);
  void CollapseSelection();
  void CheckCellIndex(int col, int row) const;
  void ResetFocusToOrigin();
  void LayoutChanged();
  // Tells OnCellsChanged, or keeps the box for the end of the open update; an empty box tells nothing.
  void CellsChanged(const TCellBox& box);
  TCellAddress LocateEmptyCell() const;

  TGridAxis rows_{kDesignRowCount, kDesignFixedRows, kDesignRowHeight, false};
  // The class has a fixed column of its own, which the design takes away.
  TGridAxis cols_{kDesignColCount, 1, kDesignColWidth, true};
  TCellStore store_;
  TRowMapSet rowMaps_;  // every row holding a text is in it
  int updateCount_ = 0;
  bool layoutPending_ = false;
  TCellBox cellsPending_;
  int busyDepth_ = 0;
  std::function<void()> onBusy_;
  std::uint64_t contentRevision_ = 0;
};

}  // namespace metrazil
