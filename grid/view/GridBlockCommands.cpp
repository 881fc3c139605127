#include "grid/view/GridBlockCommands.h"

#include <QClipboard>
#include <QGuiApplication>
#include <algorithm>
#include <string_view>
#include <utility>

#include "grid/model/GridEdits.h"
#include "grid/text/BlockText.h"
#include "grid/view/CodePageText.h"
#include "grid/view/PaintWhileBusy.h"
#include "grid/view/TableGridView.h"

namespace metrazil {

namespace {

// Converted a few megabytes at a time with the window painting in between: a whole table is a hundred. Cut
// after a line feed, which is never part of a two- or four-byte character.
QString BlockFromTableBytes(std::string_view bytes, TPaintWhileBusy& busy) {
  constexpr std::size_t kPiece = std::size_t{4} << 20;
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));  // never more UTF-16 units than bytes
  for (std::size_t from = 0; from < bytes.size();) {
    const std::size_t cut = bytes.find('\n', std::min(from + kPiece, bytes.size()) - 1);
    const std::size_t end = cut == std::string_view::npos ? bytes.size() : cut + 1;
    text += FromTableBytes(bytes.substr(from, end - from));
    from = end;
    busy();
  }
  return text;
}

}  // namespace

void TGridBlockCommands::Copy() const {
  TTableGrid& grid = view_.Model();
  TPaintWhileBusy busy(grid);
  const TCellBox selection = grid.Selection();
  QGuiApplication::clipboard()->setText(BlockFromTableBytes(FormatBlockText(grid, selection.from, selection.to), busy));
}

void TGridBlockCommands::Cut() {
  Copy();
  Clear();
}

void TGridBlockCommands::Paste() {
  const QString text = QGuiApplication::clipboard()->text();
  if (text.isEmpty()) return;
  TTableGrid& grid = view_.Model();
  const TPaintWhileBusy busy(grid);
  const TCellBlock block = ParseBlockText(ToTableBytes(text));
  const TCellBox selection = grid.Selection();
  RecordAndShow(PasteBlock(grid, block, selection.from, selection.to, pasteGrowsColumns_));
}

void TGridBlockCommands::Clear() {
  TTableGrid& grid = view_.Model();
  const TPaintWhileBusy busy(grid);
  const TCellBox selection = grid.Selection();
  RecordAndShow(ClearBlock(grid, selection.from, selection.to));
}

void TGridBlockCommands::RecordAndShow(TGridUndoStep step) {
  view_.ShowStep(step);
  view_.UndoStack().Push(std::move(step));
}

}  // namespace metrazil
