// Reading a table file into the grid: a count line, one width line per column and one line per cell.
#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

#include "grid/file/ReadLockedFile.h"
#include "grid/file/TableFile.h"
#include "grid/file/TableFileLines.h"
#include "grid/file/TableFileProgress.h"
#include "grid/model/TableGrid.h"

namespace metrazil {

namespace {

// The common shape of a cell line, "digits,digits,", read in one step; anything else (signs, blanks, hex
// prefixes, long numbers) is left to the full field rule.
bool ParsePlainCellIndexes(std::string_view line, TTableFileNumber& col, TTableFileNumber& row,
                           std::size_t& textStart) {
  std::size_t pos = 0;
  const auto plain = [&](TTableFileNumber& number) {
    int value = 0;
    const std::size_t begin = pos;
    while (pos < line.size() && pos - begin < 9 && static_cast<unsigned>(line[pos] - '0') < 10) {
      value = value * 10 + (line[pos] - '0');
      ++pos;
    }
    if (pos == begin || pos == line.size() || line[pos] != ',') return false;
    number = TTableFileNumber{value, true};
    ++pos;
    return true;
  };
  if (!plain(col) || !plain(row)) return false;
  textStart = pos - 1;
  return true;
}

}  // namespace

void TTableGrid::ReadTableFile(const std::string& path) { ReadTableFile(path, {}); }

void TTableGrid::ReadTableFile(const std::string& path, const std::function<void()>& yieldBetweenLines) {
  TReadLockedFile file(path);
  ++contentRevision_;  // the texts go straight into the store
  // The buffer need not be larger than the file.
  const std::size_t bufferSize = std::clamp<std::size_t>(file.Size() + 1, 4096, std::size_t{1} << 20);
  TTableFileLines lines([&file](char* buffer, std::size_t capacity) { return file.Read(buffer, capacity); },
                        bufferSize);

  std::string_view line;
  if (lines.Next(line) && !line.empty()) {
    const std::size_t comma = line.find(',');
    const std::string_view colField = comma == std::string_view::npos ? std::string_view() : line.substr(0, comma);
    const std::string_view rowField = comma == std::string_view::npos ? line : line.substr(comma + 1);
    SetColCount(ParseTableFileNumber(colField).value);
    SetRowCount(ParseTableFileNumber(rowField).value);
  }

  TTableFileProgress progress(OnTableFileProgress, rowCount_);
  // The cells stored are told once, as the smallest box holding them, also when the yield or the file
  // stops the read half-way: a hook per cell would cost a million calls.
  TCellAddress from{colCount_, rowCount_};
  TCellAddress to{-1, -1};
  try {
    std::string decoded;
    int currentRow = -1;
    std::size_t cellsInRow = 0;
    std::size_t rowCapacityHint = 1;
    std::size_t linesSinceYield = 0;
    std::size_t bytesSinceYield = 0;
    while (lines.Next(line)) {
      if (line.size() >= 2 && line[0] == 'c' && line[1] == 'w') {
        ReadWidthLine(line);
      } else {
        std::size_t secondComma = std::string_view::npos;
        TTableFileNumber col;
        TTableFileNumber row;
        if (!ParsePlainCellIndexes(line, col, row, secondComma)) {
          const std::size_t firstComma = line.find(',');
          secondComma = firstComma == std::string_view::npos ? std::string_view::npos : line.find(',', firstComma + 1);
          col = ParseTableFileNumber(line.substr(0, firstComma));
          if (firstComma != std::string_view::npos) {
            row = ParseTableFileNumber(line.substr(firstComma + 1, secondComma - firstComma - 1));
          }
        }
        if (secondComma != std::string_view::npos && col.hasDigits && row.hasDigits && col.value >= 0 &&
            col.value < colCount_ && row.value >= 0 && row.value < rowCount_) {
          std::string_view text = line.substr(secondComma + 1);
          if (lines.LineHasBackspace()) {
            decoded.clear();
            AppendDecodedCellText(decoded, text);
            text = decoded;
          }
          if (row.value != currentRow) {
            if (cellsInRow > 0) rowCapacityHint = cellsInRow;
            currentRow = row.value;
            cellsInRow = 0;
            rowMaps_.Add(row.value);
            from.row = std::min(from.row, row.value);
            to.row = std::max(to.row, row.value);
          }
          ++cellsInRow;
          store_.Append(col.value, row.value, text, rowCapacityHint);
          from.col = std::min(from.col, col.value);
          to.col = std::max(to.col, col.value);
        }
        if (progress.Active()) progress.Report(row.value);
      }
      bytesSinceYield += line.size();
      if (yieldBetweenLines && (++linesSinceYield >= kLinesPerYield || bytesSinceYield >= kBytesPerYield)) {
        linesSinceYield = 0;
        bytesSinceYield = 0;
        yieldBetweenLines();
      }
    }
    file.Close();
  } catch (...) {
    CellsWritten(from, to);
    throw;
  }
  CellsWritten(from, to);
  CellRangeChanged(0, 0, colCount_, rowCount_);
}

void TTableGrid::ReadWidthLine(std::string_view line) {
  const std::size_t comma = line.find(',');
  if (comma == std::string_view::npos || comma < 3) return;
  const TTableFileNumber index = ParseTableFileNumber(line.substr(3, comma - 3));
  if (!index.hasDigits || index.value < 0 || index.value >= colCount_) return;
  SetColWidth(index.value, ParseTableFileNumber(line.substr(comma + 1, 255)).value);
}

}  // namespace metrazil
