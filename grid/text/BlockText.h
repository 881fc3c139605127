#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "grid/model/CellBlock.h"

namespace metrazil {

class TTableGrid;
struct TCellAddress;

// Block text is a rectangle of cell texts as tab-separated text, the way spreadsheets put a range on the clipboard:
// fields separated by tabs, each row ended by a line break, and a field holding a tab, a line break or a
// double quote written between double quotes with its own double quotes doubled. Texts are GB18030 bytes;
// the four bytes that carry the structure (tab, LF, CR, double quote) never occur inside a GB18030
// multi-byte character, so the text is scanned byte by byte.

// Reads tab-separated text into a block of fields. A row ends at LF, CR LF or a lone CR; a line break after the last
// row adds no row, so "a\n" and "a" are both one row and the empty text has none. A field that starts with a double
// quote is quoted when a double quote follows somewhere later: up to the next lone double quote, "" stands
// for one and tabs and line breaks are text; bytes after the closing quote up to the next tab or line
// break are added as they stand. A field whose opening quote is never closed is read as it stands,
// quote included. Linear in the input, no recursion; memory stays proportional to the input.
TCellBlock ParseBlockText(std::string_view text);

// The text of the cell at (col, row) of a rectangle counted from 0.
using TBlockCellText = std::function<std::string_view(std::size_t col, std::size_t row)>;

// Writes colCount fields on each of rowCount rows, each row ended by "\n" (what spreadsheets put on the
// clipboard on Linux); a field holding a tab, CR, LF or double quote is quoted. With colCount 0 the
// result is empty. ParseBlockText gives back exactly the same fields whenever colCount is 1 or more.
std::string FormatBlockText(std::size_t colCount, std::size_t rowCount, const TBlockCellText& cellText);
// The rectangle between two corners of the grid, in either order, as the grid holds its texts.
std::string FormatBlockText(const TTableGrid& grid, TCellAddress corner, TCellAddress oppositeCorner);

}  // namespace metrazil
