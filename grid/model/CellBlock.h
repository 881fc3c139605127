#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace metrazil {

// A rectangle of cell texts written at once, as a paste brings them: rows of byte-string fields, rows of
// any length. Every field's bytes in one buffer, with offsets, so a block of many rows makes three
// allocations, not one per field.
class TCellBlock {
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

  // Built row by row, field by field: bytes go to the open field until EndField, and EndRow ends the row
  // after its last field.
  void Reserve(std::size_t bytes) { bytes_.reserve(bytes); }
  void AppendToField(std::string_view bytes) { bytes_.append(bytes); }
  void AppendToField(char byte) { bytes_.push_back(byte); }
  void EndField() { fieldEnds_.push_back(bytes_.size()); }
  void EndRow() {
    const std::size_t rowStart = rowEnds_.empty() ? 0 : rowEnds_.back();
    rowEnds_.push_back(fieldEnds_.size());
    colCount_ = std::max(colCount_, fieldEnds_.size() - rowStart);
  }

 private:
  std::string bytes_;                   // the fields' texts, one after the other
  std::vector<std::size_t> fieldEnds_;  // where each field ends in bytes_
  std::vector<std::size_t> rowEnds_;    // how many fields the rows up to and including each hold
  std::size_t colCount_ = 0;
};

}  // namespace metrazil
