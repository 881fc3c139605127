#include "grid/text/BlockText.h"

#include <algorithm>
#include <cstdint>

#include "grid/model/TableGrid.h"

namespace metrazil {

namespace {

bool EndsField(char c) { return c == '\t' || c == '\n' || c == '\r'; }

bool NeedsQuotes(std::string_view field) { return field.find_first_of("\t\n\r\"") != std::string_view::npos; }

}  // namespace

TCellBlock ParseBlockText(std::string_view text) {
  TCellBlock block;
  block.Reserve(text.size());
  const std::size_t size = text.size();
  // A quote at or after this index closes an opening quote before it; none means no quote closes.
  const std::size_t lastQuote = text.rfind('"');
  std::size_t pos = 0;
  while (pos < size) {
    if (text[pos] == '"' && lastQuote != std::string_view::npos && lastQuote > pos) {
      ++pos;
      // Each quote is looked at once, so long runs of quotes stay linear.
      while (pos < size) {
        const std::size_t quote = text.find('"', pos);
        const std::size_t stop = quote == std::string_view::npos ? size : quote;
        block.AppendToField(text.substr(pos, stop - pos));
        pos = stop;
        if (pos == size) break;
        if (pos + 1 < size && text[pos + 1] == '"') {
          block.AppendToField('"');
          pos += 2;
          continue;
        }
        ++pos;  // the closing quote
        break;
      }
    }
    const std::size_t fieldStart = pos;
    while (pos < size && !EndsField(text[pos])) ++pos;
    block.AppendToField(text.substr(fieldStart, pos - fieldStart));
    block.EndField();
    if (pos < size && text[pos] == '\t') {
      ++pos;
      if (pos < size) continue;
      block.EndField();  // a tab at the very end leaves an empty last field
    } else if (pos < size) {
      pos += text[pos] == '\r' && pos + 1 < size && text[pos + 1] == '\n' ? 2 : 1;
    }
    block.EndRow();
  }
  return block;
}

std::string FormatBlockText(std::size_t colCount, std::size_t rowCount, const TBlockCellText& cellText) {
  std::string text;
  if (colCount == 0) return text;
  for (std::size_t row = 0; row < rowCount; ++row) {
    for (std::size_t col = 0; col < colCount; ++col) {
      if (col > 0) text.push_back('\t');
      const std::string_view field = cellText(col, row);
      if (!NeedsQuotes(field)) {
        text.append(field);
        continue;
      }
      text.push_back('"');
      for (std::size_t from = 0;;) {
        const std::size_t quote = field.find('"', from);
        if (quote == std::string_view::npos) {
          text.append(field.substr(from));
          break;
        }
        text.append(field.substr(from, quote + 1 - from));
        text.push_back('"');
        from = quote + 1;
      }
      text.push_back('"');
    }
    text.push_back('\n');
  }
  return text;
}

std::string FormatBlockText(const TTableGrid& grid, TCellAddress corner, TCellAddress oppositeCorner) {
  const int left = std::min(corner.col, oppositeCorner.col);
  const int top = std::min(corner.row, oppositeCorner.row);
  const auto cols = static_cast<std::size_t>(std::int64_t{std::max(corner.col, oppositeCorner.col)} - left + 1);
  const auto rows = static_cast<std::size_t>(std::int64_t{std::max(corner.row, oppositeCorner.row)} - top + 1);
  return FormatBlockText(cols, rows, [&](std::size_t col, std::size_t row) {
    if (col == 0) grid.BusyAtRow(static_cast<std::int64_t>(row));
    return grid.CellText(left + static_cast<int>(col), top + static_cast<int>(row));
  });
}

}  // namespace metrazil
