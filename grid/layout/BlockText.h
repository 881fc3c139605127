#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace metrazil {

class TTableGrid;
struct TCellAddress;

// A rectangle of cell texts as tab-separated text, the way spreadsheets put a range on the clipboard:
// fields separated by tabs, each row ended by a line break, and a field holding a tab, a line break or a
// double quote written between double quotes with its own double quotes doubled. Texts are GB18030 bytes;
// the four bytes that carry the structure (tab, LF, CR, double quote) never occur inside a GB18030
// multi-byte character, so the text is scanned byte by byte.
//
// The parsed form: every field's bytes in one buffer, with offsets, so a paste of many rows makes three
// allocations, not one per field.
class TBlockText {
 public:
  std::size_t RowCount() const { return rowEnds_.size(); }
  // The fields of one row; rows may differ.
  std::size_t FieldCount(std::size_t row) const;
  // The most fields of any row.
  std::size_t ColCount() const { return colCount_; }
  // Empty past the fields of its row or past the last row.
  std::string_view Field(std::size_t col, std::size_t row) const;
  // One row of one field: a text that fills every selected cell when pasted.
  bool IsSingleText() const { return rowEnds_.size() == 1 && rowEnds_[0] == 1; }

  friend TBlockText ParseBlockText(std::string_view text);

 private:
  std::string bytes_;                   // the fields' texts, one after the other
  std::vector<std::size_t> fieldEnds_;  // where each field ends in bytes_
  std::vector<std::size_t> rowEnds_;    // how many fields the rows up to and including each hold
  std::size_t colCount_ = 0;
};

// Reads tab-separated text. A row ends at LF, CR LF or a lone CR; a line break after the last row adds no
// row, so "a\n" and "a" are both one row and the empty text has none. A field that starts with a double
// quote is quoted when a double quote follows somewhere later: up to the next lone double quote, "" stands
// for one and tabs and line breaks are text; bytes after the closing quote up to the next tab or line
// break are added as they stand. A field whose opening quote is never closed is read as it stands,
// quote included. Linear in the input, no recursion; memory stays proportional to the input.
TBlockText ParseBlockText(std::string_view text);

// The text of the cell at (col, row) of a rectangle counted from 0.
using TBlockCellText = std::function<std::string_view(std::size_t col, std::size_t row)>;

// Writes colCount fields on each of rowCount rows, each row ended by "\n" (what spreadsheets put on the
// clipboard on Linux); a field holding a tab, CR, LF or double quote is quoted. With colCount 0 the
// result is empty. ParseBlockText gives back exactly the same fields whenever colCount is 1 or more.
std::string FormatBlockText(std::size_t colCount, std::size_t rowCount, const TBlockCellText& cellText);
// The rectangle between two corners of the grid, in either order, as the grid holds its texts.
std::string FormatBlockText(const TTableGrid& grid, TCellAddress corner, TCellAddress oppositeCorner);

}  // namespace metrazil
