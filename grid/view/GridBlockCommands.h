#pragma once

#include "grid/model/GridUndoStep.h"

namespace metrazil {

class TTableGridView;

// The grid's clipboard and block commands over the selected rectangle, each one undo step: copy puts the
// rectangle on the clipboard as tab-separated text in the spreadsheet convention, paste writes such text
// with the rectangle's top-left cell as its corner, cut copies and clears, clear empties the cells. The
// cells hold GB18030 bytes and the clipboard Unicode: a block is converted as a whole.
class TGridBlockCommands {
 public:
  explicit TGridBlockCommands(TTableGridView& view) : view_(view) {}

  // Whether a paste may add columns (the address book) or drops the fields past the last one (a table whose
  // columns have fixed meanings).
  void SetPasteGrowsColumns(bool grow) { pasteGrowsColumns_ = grow; }

  void Copy() const;
  void Cut();
  void Paste();
  void Clear();

 private:
  void RecordAndShow(TGridUndoStep step);

  TTableGridView& view_;
  bool pasteGrowsColumns_ = false;
};

}  // namespace metrazil
