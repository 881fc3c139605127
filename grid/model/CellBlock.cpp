#include "grid/model/CellBlock.h"

namespace metrazil {

std::size_t TCellBlock::FieldCount(std::size_t row) const {
  if (row >= rowEnds_.size()) return 0;
  return rowEnds_[row] - (row == 0 ? 0 : rowEnds_[row - 1]);
}

std::string_view TCellBlock::Field(std::size_t col, std::size_t row) const {
  if (col >= FieldCount(row)) return {};
  const std::size_t field = (row == 0 ? 0 : rowEnds_[row - 1]) + col;
  const std::size_t begin = field == 0 ? 0 : fieldEnds_[field - 1];
  return std::string_view(bytes_).substr(begin, fieldEnds_[field] - begin);
}

}  // namespace metrazil
