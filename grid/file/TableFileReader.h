#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "grid/file/TableFileLines.h"

namespace metrazil {

class TTableGrid;

// Reading a table file into a grid: a count line, then width lines and cell lines in any order. The grid
// is not emptied first, and lines are applied in file order; lines that do not fit are skipped.

// A line of a table file after the count line, parsed without regard to any grid.
struct TTableFileLine {
  enum class TKind { kWidth, kCell };
  TKind kind = TKind::kCell;
  // False for a width line without a usable index and for a cell line with fewer than two commas or a
  // column or row field that does not start with a number; such lines are skipped.
  bool wellFormed = false;
  int col = 0;  // the cell's column, or the column a width line sets
  int row = 0;  // the cell's row, as far as it could be read (0 otherwise); it drives the progress
  int width = 0;
  std::string_view text;  // a cell line's text field, as in the file (line breaks still mapped)
};
TTableFileLine ParseTableFileLine(std::string_view line);

// The yield runs between lines once kLinesPerYield lines or kBytesPerYield bytes of them have been read
// since it last ran, and may throw, which leaves the grid as read so far.
inline constexpr std::size_t kLinesPerYield = 2048;
inline constexpr std::size_t kBytesPerYield = std::size_t{1} << 20;

// Reads the bytes that source delivers. sizeHint, the expected size, only sizes the buffer.
// Errors: what the source throws, EInvalidGridOperation (counts too large).
void ReadTable(TTableGrid& grid, const TTableFileLines::Source& source, std::size_t sizeHint,
               const std::function<void()>& yieldBetweenLines = {});
// Reads a table held in memory.
void ReadTableBytes(TTableGrid& grid, std::string_view bytes, const std::function<void()>& yieldBetweenLines = {});
// Reads the file at path, share-locked while it is read, so a save of it is refused meanwhile.
// Errors: ETableGridError "Cannot open file <path>", EInOutError, EInvalidGridOperation.
void ReadTableFile(TTableGrid& grid, const std::string& path, const std::function<void()>& yieldBetweenLines = {});

}  // namespace metrazil
