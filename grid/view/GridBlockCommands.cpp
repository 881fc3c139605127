#include "grid/view/GridBlockCommands.h"

#include <QClipboard>
#include <QGuiApplication>

#include "grid/layout/BlockPaste.h"
#include "grid/layout/BlockText.h"
#include "grid/view/BusyYield.h"
#include "grid/view/CodePageText.h"
#include "grid/view/TableGridView.h"

namespace metrazil {

namespace {

TCellAddress Focus(const TTableGrid& grid) { return TCellAddress{grid.FocusedCol(), grid.FocusedRow()}; }
TCellAddress Anchor(const TTableGrid& grid) { return TCellAddress{grid.AnchorCol(), grid.AnchorRow()}; }

}  // namespace

void TGridBlockCommands::Copy() const {
  TTableGrid& grid = view_.Model();
  const TBusyYield busy(grid);
  QGuiApplication::clipboard()->setText(FromTableBytes(FormatBlockText(grid, Anchor(grid), Focus(grid))));
}

void TGridBlockCommands::Cut() {
  Copy();
  Clear();
}

void TGridBlockCommands::Paste() {
  const QString text = QGuiApplication::clipboard()->text();
  if (text.isEmpty()) return;
  TTableGrid& grid = view_.Model();
  const TBusyYield busy(grid);
  const TBlockText block = ParseBlockText(ToTableBytes(text));
  view_.RecordAndShow(PasteBlock(grid, block, Anchor(grid), Focus(grid), pasteGrowsColumns_));
}

void TGridBlockCommands::Clear() {
  TTableGrid& grid = view_.Model();
  const TBusyYield busy(grid);
  view_.RecordAndShow(ClearBlock(grid, Anchor(grid), Focus(grid)));
}

}  // namespace metrazil
